#include "player/sound/SoundMixer.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace tavro::player {

namespace {

constexpr uint32_t kClockMask = 0x7FFFFFFF;

// The sound thread asks for real-time scheduling; where that is refused it takes the lowest
// nice value it is allowed. Failures are ignored: the thread then runs at normal priority.
void RaiseThreadPriority() {
    sched_param p{};
    p.sched_priority = sched_get_priority_max(SCHED_FIFO);
    if (p.sched_priority > 0 && pthread_setschedparam(pthread_self(), SCHED_FIFO, &p) == 0)
        return;
    p.sched_priority = sched_get_priority_max(SCHED_RR);
    if (p.sched_priority > 0 && pthread_setschedparam(pthread_self(), SCHED_RR, &p) == 0)
        return;
    id_t tid = id_t(syscall(SYS_gettid));
    for (int nice = -20; nice < 0; ++nice)
        if (setpriority(PRIO_PROCESS, tid, nice) == 0)
            return;
}

class Locked {
public:
    explicit Locked(SoundMixer& m) : m_(m) { m_.Lock(); }
    ~Locked() { m_.Unlock(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    SoundMixer& m_;
};

} // namespace

SoundMixer::SoundMixer() {
    for (auto& c : contributions_)
        c.reserve(kMaxMixChannels);
}

SoundMixer::~SoundMixer() {
    CloseDevice();
}

SoundMixer& SoundMixer::Shared() {
    static SoundMixer mixer;
    return mixer;
}

void SoundMixer::SetDevice(std::shared_ptr<WaveOutput> device) {
    CloseDevice();
    Locked lock(*this);
    for (auto& ch : channels_)
        ch->stopRequested = true;
    PurgeLocked();
    device_ = std::move(device);
    openFailed_ = false;
}

void SoundMixer::Init() {
    Locked lock(*this);
    ++initCount_;
}

void SoundMixer::Term() {
    {
        Locked lock(*this);
        if (initCount_ == 0 || --initCount_ > 0)
            return;
        for (auto& ch : channels_)
            ch->stopRequested = true;
        PurgeLocked();
        openFailed_ = false;
    }
    CloseDevice();
}

void SoundMixer::Lock() {
    mutex_.lock();
}

void SoundMixer::Unlock() {
    mutex_.unlock();
}

bool SoundMixer::CanPlay() {
    Locked lock(*this);
    return device_ && !openFailed_;
}

uint32_t SoundMixer::NowMs() {
    if (device_)
        return device_->NowMs() & kClockMask;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now().time_since_epoch())
                  .count();
    return uint32_t(ms) & kClockMask;
}

SoundFormat SoundMixer::GetFormat() {
    bool stereo = true;
    bool sixteen = true;
    int rateIndex = 2;
    if (!device_)
        return SoundFormat::Make(rateIndex, sixteen, stereo);
    bool mono16 = device_->Supports(SoundFormat::Make(2, true, false));
    bool stereo16 = device_->Supports(SoundFormat::Make(2, true, true));
    if (!mono16)
        rateIndex = 1;
    if (!stereo16)
        stereo = false;
    if (!mono16)
        sixteen = false;
    return SoundFormat::Make(rateIndex, sixteen, stereo);
}

void SoundMixer::InitHeaders() {
    for (int i = 0; i < kMaxBuffers; ++i) {
        WaveHeader& h = headers_[size_t(i)];
        h.data = bufferMemory_.data() + size_t(i) * bytesPerBuffer_;
        h.length = uint32_t(bytesPerBuffer_);
        h.index = uint32_t(i);
        h.flags = 0;
    }
}

bool SoundMixer::OpenDevice(SoundFormat format) {
    if (deviceOpen_)
        return true;
    auto fail = [&] {
        openFailed_ = true;
        for (auto& ch : channels_)
            ch->stopRequested = true;
        PurgeLocked();
        return false;
    };
    if (!device_ || openFailed_)
        return fail();
    format_ = format;
    samplesPerBuffer_ = 2048 >> format.RateShift();
    bytesPerBuffer_ = size_t(samplesPerBuffer_) * size_t(format.BlockAlign());
    try {
        bufferMemory_.assign(bytesPerBuffer_ * kMaxBuffers, 0);
    } catch (const std::bad_alloc&) {
        return fail();
    }
    InitHeaders();
    if (!device_->Open(format, *this))
        return fail();
    deviceOpen_ = true;
    stopThread_ = false;
    bufferCount_ = wantedBuffers_ = kStartBuffers;
    for (int i = 0; i < bufferCount_; ++i)
        WriteBuffer(i, true);
    StartThread();
    return true;
}

void SoundMixer::StartThread() {
    if (device_->ServicesMixer() || thread_.joinable())
        return;
    try {
        thread_ = std::thread(&SoundMixer::ThreadMain, this);
    } catch (const std::system_error&) {
        // No thread: the queued buffers play out and the output falls silent.
    }
}

void SoundMixer::CloseDevice() {
    {
        Locked lock(*this);
        if (!deviceOpen_ && !thread_.joinable())
            return;
        deviceOpen_ = false;
        stopThread_ = true;
    }
    SetEvent();
    if (thread_.joinable())
        thread_.join();
    if (device_) {
        device_->Reset();
        for (WaveHeader& h : headers_) {
            for (int tries = 0; tries < 50 && (h.flags.load() & WaveHeader::kQueued); ++tries)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            h.flags = 0;
        }
        device_->Close();
    }
    Locked lock(*this);
    for (auto& c : contributions_)
        c.clear();
    bufferCount_ = 0;
}

void SoundMixer::SetEvent() {
    {
        std::lock_guard<std::mutex> g(eventMutex_);
        eventSet_ = true;
    }
    eventCv_.notify_one();
}

void SoundMixer::ThreadMain() {
    RaiseThreadPriority();
    for (;;) {
        {
            std::unique_lock<std::mutex> g(eventMutex_);
            eventCv_.wait_for(g, std::chrono::milliseconds(kWaitMs), [&] { return eventSet_; });
            eventSet_ = false;
        }
        Locked lock(*this);
        if (!deviceOpen_ || stopThread_)
            return;
        ServiceLocked();
    }
}

void SoundMixer::Service() {
    Locked lock(*this);
    if (deviceOpen_)
        ServiceLocked();
}

void SoundMixer::ServiceLocked() {
    PurgeLocked();
    int free = 0;
    for (int i = 0; i < bufferCount_; ++i) {
        uint32_t f = headers_[size_t(i)].flags.load(std::memory_order_acquire);
        if ((f & WaveHeader::kDone) || !(f & WaveHeader::kPrepared)) {
            WriteBuffer(i, false);
            ++free;
        }
    }
    // Nearly every buffer had run out: the output was about to starve, so queue one more.
    if (free > bufferCount_ - 2 && bufferCount_ < kMaxBuffers) {
        int i = bufferCount_++;
        wantedBuffers_ = bufferCount_;
        WriteBuffer(i, false);
    }
}

void SoundMixer::BufferDone(WaveHeader& header) {
    uint32_t now = NowMs();
    if (header.index < kMaxBuffers) {
        for (Contribution& c : contributions_[header.index]) {
            c.channel->samplesPlayed.fetch_add(c.samples);
            c.channel->lastBufferTime = now;
        }
    }
    header.flags.fetch_or(WaveHeader::kDone, std::memory_order_release);
    SetEvent();
}

void SoundMixer::WriteBuffer(int index, bool silence) {
    if (index < 0 || index >= kMaxBuffers || !device_)
        return;
    WaveHeader& h = headers_[size_t(index)];
    h.flags.fetch_and(~(WaveHeader::kPrepared | WaveHeader::kDone));
    contributions_[size_t(index)].clear();
    if (silence)
        std::memset(h.data, format_.SixteenBit() ? 0x00 : 0x80, h.length);
    else
        MixLocked(index);
    h.flags.fetch_or(WaveHeader::kPrepared);
    if (!device_->Write(h))
        h.flags.fetch_and(~WaveHeader::kPrepared);
}

void SoundMixer::MixLocked(int index) {
    WaveHeader& h = headers_[size_t(index)];
    auto& contrib = contributions_[size_t(index)];
    // Channels started while mixing (event sounds met in a stream) join from the next buffer.
    std::array<std::shared_ptr<SoundChannel>, kMaxMixChannels> live;
    size_t n = 0;
    for (auto& ch : channels_) {
        if (n == live.size())
            break;
        if (!ch->stopRequested)
            live[n++] = ch;
    }
    for (size_t k = 0; k < n; ++k) {
        auto& scratch = decodeBuffers_[k];
        if (scratch.size() < bytesPerBuffer_)
            scratch.resize(std::max(bytesPerBuffer_, kDecodeBufferBytes));
        uint32_t counted =
            live[k]->Render(scratch.data(), format_, uint32_t(samplesPerBuffer_), *this);
        contrib.push_back({live[k], counted});
    }
    if (n == 0) {
        std::memset(h.data, format_.SixteenBit() ? 0x00 : 0x80, h.length);
        return;
    }
    if (n == 1) {
        std::memcpy(h.data, decodeBuffers_[0].data(), h.length);
        return;
    }
    if (format_.SixteenBit()) {
        size_t count = h.length / 2;
        for (size_t i = 0; i < count; ++i) {
            int32_t sum = 0;
            for (size_t k = 0; k < n; ++k) {
                const uint8_t* p = decodeBuffers_[k].data() + 2 * i;
                sum += int16_t(uint16_t(p[0] | (p[1] << 8)));
            }
            uint16_t v = uint16_t(int16_t(std::clamp(sum, -32768, 32767)));
            h.data[2 * i] = uint8_t(v);
            h.data[2 * i + 1] = uint8_t(v >> 8);
        }
    } else {
        for (size_t i = 0; i < h.length; ++i) {
            int32_t sum = 0;
            for (size_t k = 0; k < n; ++k)
                sum += int32_t(decodeBuffers_[k][i]) - 128;
            h.data[i] = uint8_t(std::clamp(sum + 128, 0, 255));
        }
    }
}

void SoundMixer::PurgeLocked() {
    std::erase_if(channels_,
                  [](const std::shared_ptr<SoundChannel>& ch) { return ch->stopRequested.load(); });
}

void SoundMixer::StartSound(std::shared_ptr<SoundChannel> channel) {
    Locked lock(*this);
    StartSoundLocked(std::move(channel));
}

void SoundMixer::StartSoundLocked(std::shared_ptr<SoundChannel> channel) {
    if (!channel || !device_ || openFailed_)
        return;
    if (channel->isStream) {
        channel->lastBufferTime = NowMs();
    } else {
        const SoundInfo& info = channel->info;
        if (info.Stop()) {
            StopLocked([](const SoundChannel& c, const void* s) { return c.sound.get() == s; },
                       channel->sound.get());
            return;
        }
        if (info.NoMultiple()) {
            for (auto& ch : channels_)
                if (!ch->stopRequested && ch->sound == channel->sound)
                    return;
        }
        int shift = channel->sound->Format().RateShift();
        uint32_t count = channel->sound->sampleCount;
        uint32_t start = (info.flags & SoundInfo::kHasInPoint) ? info.inPoint >> shift : 0;
        uint32_t end = (info.flags & SoundInfo::kHasOutPoint)
                           ? std::min(info.outPoint >> shift, count)
                           : count;
        if (start >= end)
            return;
        channel->start = start;
        channel->end = end;
        channel->position = start;
    }
    PurgeLocked();
    channel->mixer = this;
    channels_.push_back(std::move(channel));
    if (!deviceOpen_)
        OpenDevice(GetFormat());
}

void SoundMixer::StopLocked(bool (*match)(const SoundChannel&, const void*), const void* what) {
    for (auto& ch : channels_)
        if (match(*ch, what))
            ch->stopRequested = true;
    PurgeLocked();
}

void SoundMixer::StopSound(const SoundRecord* sound) {
    Locked lock(*this);
    StopLocked([](const SoundChannel& c, const void* s) { return c.sound.get() == s; }, sound);
}

void SoundMixer::StopOwner(const void* owner) {
    Locked lock(*this);
    StopLocked([](const SoundChannel& c, const void* o) { return c.owner == o; }, owner);
}

void SoundMixer::StopAll() {
    Locked lock(*this);
    StopLocked([](const SoundChannel&, const void*) { return true; }, nullptr);
}

bool SoundMixer::IsPlaying(const SoundRecord* sound) {
    Locked lock(*this);
    for (auto& ch : channels_)
        if (!ch->stopRequested && ch->sound.get() == sound)
            return true;
    return false;
}

int32_t SoundMixer::StreamFrame(const SoundChannel& channel) {
    return channel.StreamFrame(NowMs());
}

size_t SoundMixer::LiveChannels() {
    Locked lock(*this);
    size_t n = 0;
    for (auto& ch : channels_)
        if (!ch->stopRequested)
            ++n;
    return n;
}

} // namespace tavro::player
