// Per-frame storage for renderer items: chunks that are kept from frame to frame and handed out
// again after Reset(), so a steady-state frame allocates nothing. Items are never freed one by
// one. Allocation fails (nullptr) beyond `limit` items or when memory is short, and the caller
// drops the item.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

namespace tavro::player::render {

template <class T, size_t ChunkItems = 1024> class Arena {
public:
    explicit Arena(size_t limit = size_t(1) << 22) : limit_(limit) {}

    T* New() {
        if (used_ >= limit_)
            return nullptr;
        size_t chunk = used_ / ChunkItems;
        if (chunk == chunks_.size()) {
            try {
                chunks_.push_back(std::make_unique<T[]>(ChunkItems));
            } catch (const std::bad_alloc&) {
                return nullptr;
            }
        }
        T* item = &chunks_[chunk][used_ % ChunkItems];
        *item = T();
        ++used_;
        return item;
    }
    void Reset() { used_ = 0; }
    // Item i of those handed out since the last Reset (i < Size()).
    T& At(size_t i) { return chunks_[i / ChunkItems][i % ChunkItems]; }
    const T& At(size_t i) const { return chunks_[i / ChunkItems][i % ChunkItems]; }
    size_t Size() const { return used_; }
    void SetLimit(size_t limit) { limit_ = limit; }

private:
    std::vector<std::unique_ptr<T[]>> chunks_;
    size_t used_ = 0;
    size_t limit_;
};

} // namespace tavro::player::render
