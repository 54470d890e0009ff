#include "export/video/PngFolderWriter.h"

#include "export/video/FfmpegSupport.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavro::video {

namespace fs = std::filesystem;

namespace {

std::string SystemText(int err) {
    return std::strerror(err);
}

bool WriteWholeFile(const fs::path& path, const uint8_t* data, size_t size, int& err) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        err = errno;
        return false;
    }
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : EIO;
            ::close(fd);
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    if (::close(fd) != 0) {
        err = errno;
        return false;
    }
    return true;
}

void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

struct PngFolderWriter::Impl {
    fs::path folder; // as given, for messages
    fs::path target;
    fs::path temp;
    int width = 0;
    int height = 0;
    int64_t expected = 0;
    int64_t index = 0;
    CodecPtr codec;
    PacketPtr packet;
    FramePtr picture;
    SwsContext* scaler = nullptr;
    std::vector<uint8_t> last; // the last file's bytes, for repeats

    ~Impl() {
        sws_freeContext(scaler);
        if (!temp.empty()) {
            std::error_code ec;
            fs::remove_all(temp, ec);
        }
    }

    std::string Failure(int err) const {
        return folder.string() + ": cannot write the folder (" + SystemText(err) + ")";
    }
};

PngFolderWriter::PngFolderWriter() : impl_(std::make_unique<Impl>()) {}
PngFolderWriter::~PngFolderWriter() = default;

std::string PngFolderWriter::FileName(int64_t index, int64_t frames) {
    int digits = 5;
    for (int64_t n = frames - 1; n >= 100000; n /= 10)
        ++digits;
    std::string number = std::to_string(index);
    if (number.size() < size_t(digits))
        number.insert(0, size_t(digits) - number.size(), '0');
    return "frame-" + number + ".png";
}

bool PngFolderWriter::Open(const fs::path& folder, int width, int height, bool alpha,
                           int64_t expectedFrames, std::string& error) {
    QuietFfmpegLog();
    Impl& m = *impl_;
    m.folder = folder;
    m.width = width;
    m.height = height;
    m.expected = expectedFrames;
    // A trailing slash names the folder itself.
    m.target = folder.has_filename() ? folder : folder.parent_path();
    if (m.target.empty()) {
        error = folder.string() + ": not a folder name";
        return false;
    }
    std::error_code ec;
    if (fs::exists(m.target, ec) &&
        (!fs::is_directory(m.target, ec) || !fs::is_empty(m.target, ec))) {
        error = folder.string() + (fs::is_directory(m.target, ec)
                                       ? ": the folder exists and is not empty"
                                       : ": exists and is not a folder");
        return false;
    }
    static std::atomic<unsigned> counter{0};
    const fs::path parent = m.target.parent_path().empty() ? fs::path(".") : m.target.parent_path();
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
        std::string name(1, '.');
        name.append(m.target.filename().string().substr(0, 200))
            .append(".")
            .append(std::to_string(::getpid()))
            .append("-")
            .append(std::to_string(counter++))
            .append(".tmp");
        const fs::path candidate = parent / name;
        if (::mkdir(candidate.c_str(), 0777) == 0) {
            m.temp = candidate;
            err = 0;
        } else {
            err = errno;
        }
    }
    if (err != 0) {
        error = m.Failure(err);
        return false;
    }

    const AVCodec* png = avcodec_find_encoder_by_name("png");
    m.codec.reset(png ? avcodec_alloc_context3(png) : nullptr);
    m.packet.reset(av_packet_alloc());
    const AVPixelFormat pixels = alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24;
    if (!m.codec || !m.packet) {
        error = folder.string() + ": this system's FFmpeg has no PNG encoder";
        return false;
    }
    m.codec->width = width;
    m.codec->height = height;
    m.codec->pix_fmt = pixels;
    m.codec->time_base = AVRational{1, 25};
    if (const int r = avcodec_open2(m.codec.get(), png, nullptr); r < 0) {
        error = folder.string() + ": cannot start the PNG encoder (" + AvErrorText(r) + ")";
        return false;
    }
    m.picture = AllocPicture(pixels, width, height);
    m.scaler = sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height, pixels, SWS_POINT,
                              nullptr, nullptr, nullptr);
    if (!m.picture || m.scaler == nullptr) {
        error = folder.string() + ": cannot set up the picture conversion";
        return false;
    }
    return true;
}

bool PngFolderWriter::AddFrame(const uint8_t* rgba, std::string& error) {
    Impl& m = *impl_;
    if (rgba != nullptr) {
        {
            ScopedSeconds timing(times_.convert);
            if (!PrepareForWriting(*m.picture)) {
                error = m.folder.string() + ": out of memory for a picture";
                return false;
            }
            const uint8_t* planes[1] = {rgba};
            const int strides[1] = {m.width * 4};
            sws_scale(m.scaler, planes, strides, 0, m.height, m.picture->data, m.picture->linesize);
        }
        ScopedSeconds timing(times_.encode);
        m.picture->pts = m.index;
        int r = avcodec_send_frame(m.codec.get(), m.picture.get());
        if (r >= 0)
            r = avcodec_receive_packet(m.codec.get(), m.packet.get());
        if (r < 0) {
            error = m.folder.string() + ": cannot encode a picture (" + AvErrorText(r) + ")";
            return false;
        }
        m.last.assign(m.packet->data, m.packet->data + m.packet->size);
        av_packet_unref(m.packet.get());
    } else if (m.last.empty()) {
        error = m.folder.string() + ": no picture to repeat";
        return false;
    }
    ScopedSeconds timing(times_.encode);
    int err = 0;
    if (!WriteWholeFile(m.temp / FileName(m.index, m.expected), m.last.data(), m.last.size(),
                        err)) {
        error = m.Failure(err);
        return false;
    }
    ++m.index;
    return true;
}

bool PngFolderWriter::Finish(std::string& error) {
    Impl& m = *impl_;
    ScopedSeconds timing(times_.encode);
    // Every file's data reaches the disk before the folder takes the output's name.
    const int fd = ::open(m.temp.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
    std::error_code ec;
    if (fs::is_directory(m.target, ec))
        ::rmdir(m.target.c_str()); // an empty folder of that name gives way
    if (::rename(m.temp.c_str(), m.target.c_str()) != 0) {
        error = m.Failure(errno);
        return false;
    }
    m.temp.clear();
    SyncFolder(m.target.parent_path().empty() ? fs::path(".") : m.target.parent_path());
    return true;
}

} // namespace tavro::video
