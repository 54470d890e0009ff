// The sound mixer: the list of playing channels, the output buffers and the thread that mixes
// them and writes them to the wave-output device.
//
// Guarantees and invariants:
// - One lock (Lock/Unlock) guards the channel list, the buffers and every channel's playing
//   state. The window thread takes it to start and stop channels; the sound thread takes it to
//   mix. The device's completion callback never takes it: it only adds each finished buffer's
//   per-channel sample counts to the channels' samplesPlayed, stamps lastBufferTime and sets the
//   event that wakes the sound thread.
// - The per-channel counts of a buffer live with the buffer, together with references to the
//   channels mixed into it; they are dropped only when the buffer is refilled. So the callback
//   never touches a channel that is gone, and a stopped channel stays valid while queued audio
//   still refers to it.
// - The sound thread waits at most 10 seconds for the event, so a lost wake-up never hangs it.
// - Decoding happens on the sound thread (or, with a device that services the mixer itself, on
//   the caller's thread inside the device's clock), never while a channel is being started.
// - Without a device, or when the device cannot be opened, no channel is kept: the player runs
//   silently and its frames follow the timer.
#pragma once

#include "player/sound/SoundChannel.h"
#include "player/sound/SoundFormat.h"
#include "player/sound/WaveHeader.h"
#include "player/sound/WaveOutput.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tavro::player {

class SoundMixer : private WaveOutput::Listener {
public:
    static constexpr int kBufferMs = 46;
    static constexpr int kMaxBuffers = 32;
    static constexpr int kStartBuffers = 2;
    static constexpr int kMaxMixChannels = 8;
    static constexpr size_t kDecodeBufferBytes = 8192;
    static constexpr uint32_t kWaitMs = 10000;

    SoundMixer();
    ~SoundMixer() override;
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    // The process's mixer, shared by the player of the moment.
    static SoundMixer& Shared();

    // The device used from the next opening on; nullptr for none (silence). Closes an open
    // device first.
    void SetDevice(std::shared_ptr<WaveOutput> device);

    // ---- the mixer's operations ----
    // Init and Term pair up per player: the device is closed when the last player terminates.
    virtual void Init();
    virtual void Term();
    virtual void Lock();
    virtual void Unlock();
    // Refills buffer `index` (mixed, or silence) and writes it to the device. Under the lock.
    virtual void WriteBuffer(int index, bool silence);
    // 22050 Hz, 16-bit, stereo, stepped down to what the device supports.
    virtual SoundFormat GetFormat();
    // Under the lock. False (and every channel stopped) when there is no usable device.
    virtual bool OpenDevice(SoundFormat format);
    virtual void StartThread();
    // Not under the lock: waits for the sound thread to end.
    virtual void CloseDevice();
    virtual bool IsDeviceOpen() const { return deviceOpen_; }
    virtual void InitHeaders();

    // ---- used by the player ----
    // Starts an event or stream channel (see StartSoundLocked).
    void StartSound(std::shared_ptr<SoundChannel> channel);
    // Stops every channel playing `sound`, started by `owner`, or all of them.
    void StopSound(const SoundRecord* sound);
    void StopOwner(const void* owner);
    void StopAll();
    bool IsPlaying(const SoundRecord* sound);
    // The frame a stream channel has reached, or -1 for an event channel.
    int32_t StreamFrame(const SoundChannel& channel);

    // Under the lock: applies an event sound's stop and no-multiple flags and its in and out
    // points, then appends the channel and opens the device when it is not open yet.
    void StartSoundLocked(std::shared_ptr<SoundChannel> channel);

    // False when starting a sound is pointless: no device, or the device failed to open.
    bool CanPlay();
    SoundFormat Format() const { return format_; }
    int SamplesPerBuffer() const { return samplesPerBuffer_; }
    int BufferCount() const { return bufferCount_; }
    // Channels in the list that are not stopped.
    size_t LiveChannels();
    // The device's clock, or the steady clock without a device.
    uint32_t NowMs();

private:
    struct Contribution {
        std::shared_ptr<SoundChannel> channel;
        uint32_t samples = 0;
    };

    void BufferDone(WaveHeader& header) override;
    void Service() override;
    void ServiceLocked();
    void ThreadMain();
    void SetEvent();
    void PurgeLocked();
    void StopLocked(bool (*match)(const SoundChannel&, const void*), const void* what);
    void MixLocked(int index);

    std::shared_ptr<WaveOutput> device_;
    int initCount_ = 0;

    SoundFormat format_ = SoundFormat::Make(2, true, true);
    int samplesPerBuffer_ = 1024;
    size_t bytesPerBuffer_ = 4096;
    int bufferCount_ = 0;
    int wantedBuffers_ = 0;
    std::vector<uint8_t> bufferMemory_;
    std::array<WaveHeader, kMaxBuffers> headers_;
    std::array<std::vector<Contribution>, kMaxBuffers> contributions_;
    std::array<std::vector<uint8_t>, kMaxMixChannels> decodeBuffers_;

    std::vector<std::shared_ptr<SoundChannel>> channels_;

    std::atomic<bool> deviceOpen_{false};
    bool openFailed_ = false;
    bool stopThread_ = false;
    std::mutex mutex_;
    std::mutex eventMutex_;
    std::condition_variable eventCv_;
    bool eventSet_ = false;
    std::thread thread_;
};

} // namespace tavro::player
