#include "export/video/ConsoleProgress.h"

#include <algorithm>
#include <cmath>

namespace tavro::video {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string Clock(double seconds) {
    const long s = std::lround(std::max(seconds, 0.0));
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

// ", pass 1 of 2" while a GIF gathers its colours, ", pass 2 of 2" while it is written.
std::string PassText(const VideoProgress& p) {
    return p.passes > 1 ? ", pass " + std::to_string(p.pass + 1) + " of " + std::to_string(p.passes)
                        : std::string();
}

double Rate(const VideoProgress& p) {
    return p.seconds > 0 ? double(p.done) / p.seconds : 0;
}

} // namespace

ConsoleProgress::ConsoleProgress(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

std::string ConsoleProgress::BarText(const VideoProgress& p, int columns) {
    const int64_t total = std::max<int64_t>(p.total, 1);
    const int64_t done = std::clamp<int64_t>(p.done, 0, total);
    const double rate = Rate(p);
    char tail[128];
    std::snprintf(tail, sizeof tail, " %3d%% %lld/%lld frames%s, %.1f fps, %s left",
                  int(done * 100 / total), static_cast<long long>(p.passes > 1 ? p.frame : done),
                  static_cast<long long>(p.passes > 1 ? p.frames : total), PassText(p).c_str(),
                  rate, rate > 0 ? Clock(double(total - done) / rate).c_str() : "--:--");
    const int width = std::clamp(columns - int(std::string(tail).size()) - 3, 10, 50);
    const int filled = int(done * width / total);
    std::string bar(1, '[');
    bar.append(size_t(filled), '#').append(size_t(width - filled), '.').append(1, ']');
    return bar.append(tail);
}

std::string ConsoleProgress::LogLine(const VideoProgress& p, int tenths) {
    char text[128];
    std::snprintf(text, sizeof text, "%d%% (%lld of %lld frames%s, %.1f fps)", tenths * 10,
                  static_cast<long long>(p.passes > 1 ? p.frame : p.done),
                  static_cast<long long>(p.passes > 1 ? p.frames : p.total), PassText(p).c_str(),
                  Rate(p));
    return text;
}

void ConsoleProgress::Update(const VideoProgress& p) {
    if (out_ == nullptr || p.total <= 0)
        return;
    if (terminal_) {
        const auto now = std::chrono::steady_clock::now();
        if (barShown_ && now - lastDraw_ < kRedrawInterval && p.done < p.total)
            return;
        lastDraw_ = now;
        barShown_ = true;
        std::fprintf(out_, "\r%s\x1b[K", BarText(p, 80).c_str());
        std::fflush(out_);
        return;
    }
    const int tenths = int(std::min<int64_t>(p.done * 10 / p.total, 10));
    if (tenths > tenthsShown_) {
        tenthsShown_ = tenths;
        std::fprintf(out_, "%s\n", LogLine(p, tenths).c_str());
        std::fflush(out_);
    }
}

void ConsoleProgress::Finish() {
    if (out_ != nullptr && terminal_ && barShown_) {
        std::fprintf(out_, "\n");
        std::fflush(out_);
    }
    barShown_ = false;
}

} // namespace tavro::video
