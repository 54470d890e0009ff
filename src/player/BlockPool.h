// Fixed-size block allocator: items of one size handed out from blocks of `itemsPerBlock` items,
// recycled through a free list. Everything is released at once when the pool is destroyed or
// FreeAll() is called, so pools are owned by whatever owns the items.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace tavro::player {

class BlockPool {
public:
    BlockPool(size_t itemSize, size_t itemsPerBlock);
    ~BlockPool();
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    // Raw storage of ItemSize() bytes, aligned for any scalar type; nullptr when memory is out.
    void* Alloc();
    // Returns storage obtained from Alloc() of this pool.
    void Free(void* item);
    // Drops every block (items must have been destroyed by their users).
    void FreeAll();

    // Constructs a T in pool storage (sizeof(T) must fit ItemSize()); nullptr when memory is out.
    template <class T, class... Args> T* New(Args&&... args) {
        static_assert(alignof(T) <= alignof(std::max_align_t));
        if (sizeof(T) > itemSize_)
            return nullptr;
        void* p = Alloc();
        return p ? new (p) T(std::forward<Args>(args)...) : nullptr;
    }
    template <class T> void Delete(T* item) {
        if (!item)
            return;
        item->~T();
        Free(item);
    }

    size_t ItemSize() const { return itemSize_; }
    size_t ItemsPerBlock() const { return itemsPerBlock_; }
    size_t LiveCount() const { return live_; }
    size_t BlockCount() const { return blocks_; }

private:
    struct FreeItem {
        FreeItem* next;
    };
    struct Block {
        Block* next;
    };

    bool Grow();

    size_t itemSize_;
    size_t itemsPerBlock_;
    size_t headerSize_;
    Block* firstBlock_ = nullptr;
    FreeItem* freeList_ = nullptr;
    size_t live_ = 0;
    size_t blocks_ = 0;
};

} // namespace tavro::player
