#include "player/sound/VirtualWaveOutput.h"

#include <algorithm>

namespace tavro::player {

bool VirtualWaveOutput::Open(SoundFormat format, Listener& listener) {
    if (openFails_ || !Supports(format))
        return false;
    std::lock_guard<std::mutex> g(mutex_);
    format_ = format;
    listener_ = &listener;
    open_ = true;
    queue_.clear();
    frontOffset_ = 0;
    frameRemainder_ = msRemainder_ = 0;
    return true;
}

bool VirtualWaveOutput::Write(WaveHeader& header) {
    std::lock_guard<std::mutex> g(mutex_);
    if (!open_ || !header.data || header.length == 0)
        return false;
    header.flags.fetch_or(WaveHeader::kQueued);
    queue_.push_back(&header);
    return true;
}

size_t VirtualWaveOutput::QueuedBuffers() {
    std::lock_guard<std::mutex> g(mutex_);
    return queue_.size();
}

void VirtualWaveOutput::Advance(uint32_t ms) {
    clockMs_ += ms;
    if (!open_)
        return;
    // The remainder carries over so that many short steps play as many frames as one long one.
    uint64_t scaled = uint64_t(ms) * uint64_t(format_.Rate()) + frameRemainder_;
    frameRemainder_ = scaled % 1000;
    Play(scaled / 1000);
}

void VirtualWaveOutput::AdvanceFrames(uint64_t frames) {
    if (!open_)
        return;
    uint64_t scaled = frames * 1000 + msRemainder_;
    msRemainder_ = scaled % uint64_t(format_.Rate());
    clockMs_ += scaled / uint64_t(format_.Rate());
    Play(frames);
}

void VirtualWaveOutput::Play(uint64_t frames) {
    const size_t align = size_t(format_.BlockAlign());
    const uint8_t silence = format_.SixteenBit() ? 0x00 : 0x80;
    while (frames > 0) {
        WaveHeader* done = nullptr;
        {
            std::lock_guard<std::mutex> g(mutex_);
            if (queue_.empty()) {
                if (capture_)
                    captured_.insert(captured_.end(), size_t(frames) * align, silence);
                underrunFrames_ += frames;
                return;
            }
            WaveHeader* h = queue_.front();
            size_t left = (h->length - frontOffset_) / align;
            size_t n = size_t(std::min<uint64_t>(frames, left));
            if (capture_)
                captured_.insert(captured_.end(), h->data + frontOffset_,
                                 h->data + frontOffset_ + n * align);
            frontOffset_ += n * align;
            frames -= n;
            if (frontOffset_ + align > h->length) {
                queue_.pop_front();
                frontOffset_ = 0;
                h->flags.fetch_and(~WaveHeader::kQueued);
                done = h;
            }
        }
        // The listener may queue new buffers: no lock is held while it runs.
        if (done && listener_) {
            listener_->BufferDone(*done);
            if (servicesMixer_)
                listener_->Service();
        }
    }
}

void VirtualWaveOutput::Reset() {
    std::deque<WaveHeader*> dropped;
    {
        std::lock_guard<std::mutex> g(mutex_);
        dropped.swap(queue_);
        frontOffset_ = 0;
    }
    for (WaveHeader* h : dropped) {
        h->flags.fetch_and(~WaveHeader::kQueued);
        if (listener_)
            listener_->BufferDone(*h);
    }
}

void VirtualWaveOutput::Close() {
    Reset();
    std::lock_guard<std::mutex> g(mutex_);
    open_ = false;
    listener_ = nullptr;
}

} // namespace tavro::player
