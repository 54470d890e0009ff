#include "player/BlockPool.h"

#include <algorithm>
#include <cstdlib>

namespace tavro::player {

namespace {
constexpr size_t kAlign = alignof(std::max_align_t);
size_t RoundUp(size_t v) {
    return (v + kAlign - 1) / kAlign * kAlign;
}
} // namespace

BlockPool::BlockPool(size_t itemSize, size_t itemsPerBlock)
    : itemSize_(RoundUp(std::max(itemSize, sizeof(FreeItem)))),
      itemsPerBlock_(std::max<size_t>(itemsPerBlock, 1)), headerSize_(RoundUp(sizeof(Block))) {}

BlockPool::~BlockPool() {
    FreeAll();
}

bool BlockPool::Grow() {
    void* mem = std::malloc(headerSize_ + itemSize_ * itemsPerBlock_);
    if (!mem)
        return false;
    auto* block = static_cast<Block*>(mem);
    block->next = firstBlock_;
    firstBlock_ = block;
    ++blocks_;
    auto* base = static_cast<unsigned char*>(mem) + headerSize_;
    for (size_t i = itemsPerBlock_; i-- > 0;) {
        auto* item = reinterpret_cast<FreeItem*>(base + i * itemSize_);
        item->next = freeList_;
        freeList_ = item;
    }
    return true;
}

void* BlockPool::Alloc() {
    if (!freeList_ && !Grow())
        return nullptr;
    FreeItem* item = freeList_;
    freeList_ = item->next;
    ++live_;
    return item;
}

void BlockPool::Free(void* p) {
    if (!p)
        return;
    auto* item = static_cast<FreeItem*>(p);
    item->next = freeList_;
    freeList_ = item;
    --live_;
}

void BlockPool::FreeAll() {
    while (firstBlock_) {
        Block* next = firstBlock_->next;
        std::free(firstBlock_);
        firstBlock_ = next;
    }
    freeList_ = nullptr;
    live_ = 0;
    blocks_ = 0;
}

} // namespace tavro::player
