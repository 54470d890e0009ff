// A ring of pending action lists, each with the timeline it runs against. Starts at 32 entries
// and doubles when full, up to 4096; beyond that (or when memory is out) new entries are dropped.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tavro::player {

class Timeline;

class ActionQueue {
public:
    static constexpr uint32_t kInitialCapacity = 32;
    static constexpr uint32_t kMaxCapacity = 4096;

    struct Entry {
        // The buffer holding the action records (a level's buffer), shared so that an entry
        // stays readable whatever happens to the level before it runs.
        std::shared_ptr<const std::vector<uint8_t>> buffer;
        uint32_t offset = 0;
        uint32_t length = 0;
        Timeline* timeline = nullptr; // nullptr: cancelled

        std::span<const uint8_t> Actions() const;
    };

    ActionQueue();

    // Appends an entry; false when it was dropped (queue at its limit or out of memory).
    bool Push(std::shared_ptr<const std::vector<uint8_t>> buffer, uint32_t offset, uint32_t length,
              Timeline* timeline);
    // Takes the oldest entry; false when the queue is empty.
    bool Pop(Entry& out);
    // Cancels every queued entry of `timeline` (its object is being removed).
    void Cancel(const Timeline* timeline);
    void Clear();

    bool Empty() const { return head_ == tail_; }
    uint32_t Size() const { return (tail_ - head_) & mask_; }
    uint32_t Capacity() const { return capacity_; }

private:
    bool Grow();

    std::vector<Entry> ring_;
    uint32_t capacity_ = 0;
    uint32_t mask_ = 0;
    uint32_t head_ = 0;
    uint32_t tail_ = 0;
};

} // namespace tavro::player
