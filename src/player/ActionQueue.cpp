#include "player/ActionQueue.h"

#include <new>

namespace tavro::player {

std::span<const uint8_t> ActionQueue::Entry::Actions() const {
    if (!buffer || offset > buffer->size() || length > buffer->size() - offset)
        return {};
    return {buffer->data() + offset, length};
}

ActionQueue::ActionQueue() {
    ring_.resize(kInitialCapacity);
    capacity_ = kInitialCapacity;
    mask_ = capacity_ - 1;
}

bool ActionQueue::Grow() {
    if (capacity_ >= kMaxCapacity)
        return false;
    std::vector<Entry> bigger;
    try {
        bigger.resize(size_t(capacity_) * 2);
    } catch (const std::bad_alloc&) {
        return false;
    }
    uint32_t n = 0;
    for (uint32_t i = head_; i != tail_; i = (i + 1) & mask_)
        bigger[n++] = std::move(ring_[i]);
    ring_ = std::move(bigger);
    capacity_ *= 2;
    mask_ = capacity_ - 1;
    head_ = 0;
    tail_ = n;
    return true;
}

bool ActionQueue::Push(std::shared_ptr<const std::vector<uint8_t>> buffer, uint32_t offset,
                       uint32_t length, Timeline* timeline) {
    if (((tail_ + 1) & mask_) == head_ && !Grow())
        return false;
    Entry& e = ring_[tail_];
    e.buffer = std::move(buffer);
    e.offset = offset;
    e.length = length;
    e.timeline = timeline;
    tail_ = (tail_ + 1) & mask_;
    return true;
}

bool ActionQueue::Pop(Entry& out) {
    while (head_ != tail_) {
        Entry& e = ring_[head_];
        head_ = (head_ + 1) & mask_;
        bool live = e.timeline != nullptr;
        out = std::move(e);
        e = Entry();
        if (live)
            return true;
    }
    return false;
}

void ActionQueue::Cancel(const Timeline* timeline) {
    for (uint32_t i = head_; i != tail_; i = (i + 1) & mask_)
        if (ring_[i].timeline == timeline) {
            ring_[i].timeline = nullptr;
            ring_[i].buffer.reset();
        }
}

void ActionQueue::Clear() {
    for (auto& e : ring_)
        e = Entry();
    head_ = tail_ = 0;
}

} // namespace tavro::player
