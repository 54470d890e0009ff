#include "player/host/QtPlayerHost.h"

#include "base/AsciiCase.h"
#include "player/RenderBridge.h"
#include "player/actions/ActionEngine.h"
#include "player/actions/UrlRequest.h"
#include "player/host/LocalUrlLoader.h"
#include "player/render/Renderer.h"
#include "player/sound/PlayerSoundSink.h"
#include "player/sound/SoundMixer.h"

#ifdef TAVRO_HAVE_SDL_AUDIO
#include "player/host/SdlWaveOutput.h"
#endif

#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace tavro::player {
namespace {

std::function<void(const QString&, const QString&)>& UrlOpener() {
    static std::function<void(const QString&, const QString&)> opener;
    return opener;
}

// One line on standard error the first time the sound device turns out to be missing.
void ReportNoAudio() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::fputs("tavro: no audio device available; playing without sound\n", stderr);
    });
}

#ifdef TAVRO_HAVE_SDL_AUDIO
// SDL audio that says once when there is no device to play on.
class ReportingSdlOutput : public WaveOutput {
public:
    bool Supports(SoundFormat format) override {
        bool ok = sdl_.Supports(format);
        if (!ok)
            ReportNoAudio();
        return ok;
    }
    bool Open(SoundFormat format, Listener& listener) override {
        bool ok = sdl_.Open(format, listener);
        if (!ok)
            ReportNoAudio();
        return ok;
    }
    bool Write(WaveHeader& header) override { return sdl_.Write(header); }
    void Reset() override { sdl_.Reset(); }
    void Close() override { sdl_.Close(); }
    uint32_t NowMs() override { return sdl_.NowMs(); }

private:
    SdlWaveOutput sdl_;
};
#endif

// The shared mixer gets its device once per process. TAVRO_NO_AUDIO=1 keeps it silent.
void InstallAudioDevice() {
    static std::once_flag once;
    std::call_once(once, [] {
        const char* off = std::getenv("TAVRO_NO_AUDIO");
        if (off && *off && std::string_view(off) != "0")
            return;
#ifdef TAVRO_HAVE_SDL_AUDIO
        SoundMixer::Shared().SetDevice(std::make_shared<ReportingSdlOutput>());
#else
        ReportNoAudio();
#endif
    });
}

// "_levelN" / "_flashN": a level of this player rather than a browser window.
bool IsLevelTarget(std::string_view target) {
    if (!StartsWithNoCase(target, "_level") && !StartsWithNoCase(target, "_flash"))
        return false;
    std::string_view digits = target.substr(6);
    return !digits.empty() &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

QString FromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

QtPlayerHost::QtPlayerHost(QObject* parent) : QObject(parent), commands_(*this) {
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, &QtPlayerHost::OnFrameTimer);
    connect(&caretTimer_, &QTimer::timeout, this, &QtPlayerHost::OnCaretTimer);

    InstallAudioDevice();
    sound_ = std::make_unique<PlayerSoundSink>(SoundMixer::Shared());
    SetSoundSink(sound_.get());

    player::Renderer::Of(*this).SetBlit(
        [this](const NativeBitmap* surface, const Rect& pixels) { Blit(surface, pixels); });
    if (ActionEngine* engine = Engine())
        engine->SetRequestObserver([this](const UrlRequest& r) { OnRequest(r); });

    HostCommands::Callbacks callbacks;
    // The player is in the middle of its actions here: the window acts once it has returned.
    callbacks.quit = [this] {
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT quitRequested(); }, Qt::QueuedConnection);
    };
    callbacks.fullscreen = [this](bool on) {
        QMetaObject::invokeMethod(
            this, [this, on] { Q_EMIT fullscreenRequested(on); }, Qt::QueuedConnection);
    };
    callbacks.showMenu = [this](bool on) {
        QMetaObject::invokeMethod(
            this, [this, on] { Q_EMIT showMenuRequested(on); }, Qt::QueuedConnection);
    };
    callbacks.diagnostic = [](std::string_view s) {
        std::fprintf(stderr, "tavro: %.*s\n", int(s.size()), s.data());
    };
    commands_.SetCallbacks(std::move(callbacks));
}

QtPlayerHost::~QtPlayerHost() {
    frameTimer_.stop();
    caretTimer_.stop();
    player::Renderer::Of(*this).SetBlit(nullptr);
    // Every sound goes back to the mixer while the sink still exists.
    ClearAllLevels();
    if (sound_)
        sound_->StopAll();
    SetSoundSink(nullptr);
}

void QtPlayerHost::SetUrlOpener(std::function<void(const QString&, const QString&)> opener) {
    UrlOpener() = std::move(opener);
}

void QtPlayerHost::SetWidget(QWidget* widget) {
    widget_ = widget;
    cursorKind_ = -1;
    Resize();
}

void QtPlayerHost::SetMoviePath(const std::filesystem::path& path) {
    commands_.SetMoviePath(path);
    baseFolder_ = path.empty() ? std::filesystem::path() : path.parent_path();
}

void QtPlayerHost::Play(const std::vector<uint8_t>& bytes) {
    playing_ = true;
    framesPlayed_ = 0;
    Load(bytes.data(), bytes.size());
}

void QtPlayerHost::Stop() {
    if (Level0().Playing() && Loaded())
        TogglePlay();
    Close();
    playing_ = false;
    framesPlayed_ = 0;
    SetCursorKind(0);
}

int QtPlayerHost::FrameTimerPeriod() const {
    return frameTimer_.isActive() ? frameTimer_.interval() : 0;
}

const NativeBitmap& QtPlayerHost::Surface() {
    return player::Renderer::Of(*this).Surface();
}

void QtPlayerHost::PaintTo(QPainter& painter, const QRect& rect) {
    if (rect.isEmpty())
        return;
    QElapsedTimer paintClock;
    paintClock.start();
    Rect client;
    GetClientRect(client);
    player::Renderer& renderer = player::Renderer::Of(*this);
    const NativeBitmap& surface = renderer.Surface();
    painter_ = &painter;
    bool current = surface.IsValid() && surface.Width() == client.Width() &&
                   surface.Height() == client.Height() && GetDisplayList().invalid.IsEmpty();
    Rect want(rect.x(), rect.x() + rect.width(), rect.y(), rect.y() + rect.height());
    if (current) {
        // The surface already holds this picture: only copy it.
        want.Intersect(Rect(0, surface.Width(), 0, surface.Height()));
        if (!want.IsEmpty())
            Blit(&surface, want);
    } else {
        Paint(want);
    }
    painter_ = nullptr;
    if (pendingTiming_)
        FinishTiming(double(paintClock.nsecsElapsed()) / 1e6);
    Q_EMIT painted();
}

void QtPlayerHost::Blit(const NativeBitmap* surface, const Rect& pixels) {
    QRect r(int(pixels.xmin), int(pixels.ymin), int(pixels.Width()), int(pixels.Height()));
    if (!painter_) {
        // Rendered outside a paint (a frame tick): the window copies it at its next paint.
        repaintAsked_ = true;
        if (widget_)
            widget_->update(r);
        return;
    }
    if (!surface) {
        painter_->fillRect(r, Qt::white);
        return;
    }
    if (surface->BitsPerPixel() == 32) {
        // 0xFFRRGGBB words in native order: exactly QImage's RGB32, so the memory is shown as is.
        QImage image(surface->Pixels(), surface->Width(), surface->Height(), surface->RowBytes(),
                     QImage::Format_RGB32);
        painter_->drawImage(r.topLeft(), image, r);
        return;
    }
    // Other layouts (a display of fewer bits) are converted for the copy.
    std::vector<uint8_t> rgba = surface->ToRgba();
    QImage image(rgba.data(), surface->Width(), surface->Height(), surface->Width() * 4,
                 QImage::Format_RGBA8888);
    painter_->drawImage(r.topLeft(), image, r);
}

void QtPlayerHost::HandleResize() {
    Resize();
    // The view follows the new size at once, so that mouse input before the next paint is
    // mapped through the view it will see.
    Renderer().RebuildView();
}

void QtPlayerHost::HandleMousePress(const QPoint& p) {
    MouseDown(p.x(), p.y());
    UpdateCursor();
}

void QtPlayerHost::HandleMouseMove(const QPoint& p, bool buttonDown) {
    MouseMove(p.x(), p.y(), buttonDown);
    UpdateCursor();
}

void QtPlayerHost::HandleMouseRelease(const QPoint& p) {
    MouseUp(p.x(), p.y());
    UpdateCursor();
}

void QtPlayerHost::OnFrameTimer() {
    // A round of frames sets a new deadline; a tick before the deadline leaves it alone.
    uint32_t before = NextFrameTime();
    bool wasRunning = Running();
    QElapsedTimer clock;
    if (timingObserver_)
        clock.start();
    repaintAsked_ = false;
    Tick(true);
    if (wasRunning && Running() && NextFrameTime() != before) {
        ++framesPlayed_;
        if (timingObserver_) {
            if (pendingTiming_)
                FinishTiming(-1); // never painted on its own
            FrameTiming t;
            t.frame = framesPlayed_;
            t.periodMs = Level0().frameMs;
            t.movieFrame = Level0().currentFrame;
            t.dueMs = before;
            t.tickMs = double(clock.nsecsElapsed()) / 1e6;
            pendingTiming_ = t;
            // A round that changed nothing on the screen is shown as soon as it is played.
            if (!repaintAsked_)
                FinishTiming(0);
        }
        Q_EMIT frameAdvanced(framesPlayed_);
    }
}

void QtPlayerHost::SetFrameTimingObserver(std::function<void(const FrameTiming&)> observer) {
    timingObserver_ = std::move(observer);
    pendingTiming_.reset();
}

void QtPlayerHost::FinishTiming(double paintMs) {
    FrameTiming t = *pendingTiming_;
    pendingTiming_.reset();
    t.paintMs = paintMs;
    // The clock is 31 bits wide; a round that a stream sound brought before its deadline was
    // shown early, which counts as on time.
    const uint32_t late = (CurrentTimeMs() - t.dueMs) & 0x7FFFFFFF;
    t.shownAfterDueMs = late < 0x40000000 ? double(late) : 0.0;
    if (timingObserver_)
        timingObserver_(t);
}

namespace {

std::optional<PlayerKey> EditingKey(const QKeyEvent& e) {
    const bool shift = e.modifiers() & Qt::ShiftModifier;
    const bool control = e.modifiers() & Qt::ControlModifier;
    using Code = PlayerKey::Code;
    if (e.matches(QKeySequence::SelectAll))
        return PlayerKey::Press(Code::SelectAll);
    switch (e.key()) {
    case Qt::Key_Backspace:
        return PlayerKey::Press(Code::Backspace, shift, control);
    case Qt::Key_Delete:
        return PlayerKey::Press(Code::Delete, shift, control);
    case Qt::Key_Left:
        return PlayerKey::Press(Code::Left, shift, control);
    case Qt::Key_Right:
        return PlayerKey::Press(Code::Right, shift, control);
    case Qt::Key_Up:
        return PlayerKey::Press(Code::Up, shift, control);
    case Qt::Key_Down:
        return PlayerKey::Press(Code::Down, shift, control);
    case Qt::Key_Home:
        return PlayerKey::Press(Code::Home, shift, control);
    case Qt::Key_End:
        return PlayerKey::Press(Code::End, shift, control);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return PlayerKey::Press(Code::Enter, shift, control);
    default:
        break;
    }
    if (control || (e.modifiers() & (Qt::AltModifier | Qt::MetaModifier)))
        return std::nullopt;
    const QString text = e.text();
    if (text.isEmpty() || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7F)
        return std::nullopt;
    return PlayerKey::Typed(text.toStdString());
}

bool IsClipboardKey(const QKeyEvent& e) {
    return e.matches(QKeySequence::Copy) || e.matches(QKeySequence::Cut) ||
           e.matches(QKeySequence::Paste);
}

} // namespace

bool QtPlayerHost::WantsKey(const QKeyEvent& event) {
    if (!EditingText())
        return false;
    std::optional<PlayerKey> key = EditingKey(event);
    // Enter is left to the window's shortcuts: a field of one line has no use for it, and a
    // multiline field still gets it through HandleKeyPress when no shortcut takes it.
    return (key && key->code != PlayerKey::Code::Enter) || IsClipboardKey(event);
}

bool QtPlayerHost::HandleKeyPress(const QKeyEvent& event) {
    if (!EditingText())
        return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event.matches(QKeySequence::Copy) || event.matches(QKeySequence::Cut)) {
        const std::string text = SelectedText();
        if (!text.empty() && clipboard)
            clipboard->setText(QString::fromStdString(text));
        if (event.matches(QKeySequence::Cut) && !text.empty())
            KeyDown(PlayerKey::Press(PlayerKey::Code::Delete));
        return true;
    }
    if (event.matches(QKeySequence::Paste)) {
        if (clipboard)
            KeyDown(PlayerKey::Typed(clipboard->text().toStdString()));
        return true;
    }
    std::optional<PlayerKey> key = EditingKey(event);
    return key && KeyDown(*key);
}

void QtPlayerHost::OnCaretTimer() {
    CaretTick();
}

int QtPlayerHost::StartTimers(int frameMs, int caretMs) {
    frameTimer_.start(std::max(frameMs, 1));
    caretTimer_.start(std::max(caretMs, 1));
    return 1;
}

void QtPlayerHost::StopTimers() {
    frameTimer_.stop();
    caretTimer_.stop();
}

void QtPlayerHost::InvalidateScreen() {
    if (widget_)
        widget_->update();
}

void QtPlayerHost::GetClientRect(Rect& out) {
    int w = widget_ ? widget_->width() : 0;
    int h = widget_ ? widget_->height() : 0;
    out = Rect(0, std::max(w, 0), 0, std::max(h, 0));
}

void QtPlayerHost::OpenUrlStream(std::string_view url, std::string_view,
                                 const StreamTarget& target) {
    if (HasUrlScheme(url) && !IsFileUrl(url)) {
        // Nothing is fetched from a network here; a movie headed for a level is shown by the
        // desktop instead, and data for variables or sprites is dropped.
        if (!target.variables && target.spritePath.empty())
            OpenExternally(url, {});
        else
            std::fprintf(stderr, "tavro: not loaded (no network): %.*s\n", int(url.size()),
                         url.data());
        return;
    }
    LoadLocalUrl(*this, url, baseFolder_, target);
}

void QtPlayerHost::OnRequest(const UrlRequest& r) {
    if (r.url.empty() || StartsWithNoCase(r.url, "FSCommand:"))
        return;
    if ((r.flags & UrlRequest::kSpriteTarget) || IsLevelTarget(r.target))
        return; // OpenUrlStream deals with it
    // A browser window target.
    if (!HasUrlScheme(r.url) || IsFileUrl(r.url)) {
        std::fprintf(stderr, "tavro: local file not opened for window \"%s\": %s\n",
                     r.target.c_str(), r.url.c_str());
        return;
    }
    OpenExternally(r.url, r.target);
}

QString QtPlayerHost::BrowserTarget(std::string_view target) {
    std::string_view name = target;
    if (!name.empty() && name.front() == '_')
        name.remove_prefix(1);
    return EqualsNoCase(name, "blank") ? QStringLiteral("_blank") : FromUtf8(target);
}

void QtPlayerHost::OpenExternally(std::string_view url, std::string_view target) {
    QString u = FromUtf8(url);
    QString t = BrowserTarget(target);
    if (UrlOpener())
        UrlOpener()(u, t);
    else
        QDesktopServices::openUrl(QUrl(u));
    Q_EMIT urlOpened(u, t);
}

void QtPlayerHost::FsCommand(std::string_view command, std::string_view args) {
    Q_EMIT fsCommand(FromUtf8(command), FromUtf8(args));
    if (commands_.Handle(command, args) == HostCommands::Result::Done)
        Q_EMIT controlsChanged();
}

void QtPlayerHost::UpdateControls(const ControlState&) {
    Q_EMIT controlsChanged();
}

void QtPlayerHost::SetCursorKind(int kind) {
    if (kind == cursorKind_)
        return;
    cursorKind_ = kind;
    if (!widget_)
        return;
    switch (kind) {
    case 1: // pan
    case 2: // over a button
        widget_->setCursor(Qt::PointingHandCursor);
        break;
    case 3:
        widget_->setCursor(Qt::IBeamCursor);
        break;
    default:
        widget_->setCursor(Qt::ArrowCursor);
        break;
    }
}

} // namespace tavro::player
