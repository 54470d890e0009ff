// The characters of one loaded movie: 128 hash buckets on the low 7 bits of the id, records
// from a block pool. The first definition of an id wins.
#pragma once

#include "player/BlockPool.h"
#include "player/Character.h"

#include <cstdint>
#include <functional>

namespace tavro::player {

class CharacterDictionary {
public:
    static constexpr int kBuckets = 128;

    CharacterDictionary();
    ~CharacterDictionary();
    CharacterDictionary(const CharacterDictionary&) = delete;
    CharacterDictionary& operator=(const CharacterDictionary&) = delete;

    Character* Find(uint16_t id) const;
    // A new record for `id` at the head of its bucket; nullptr when the id is already defined
    // or memory is out.
    Character* Add(uint16_t id);
    // Removes and destroys the record (its render cache is freed with it). `onRemove` runs first
    // (for instance to release a sound from the mixer).
    void Remove(uint16_t id);
    void Clear();

    size_t Count() const { return pool_.LiveCount(); }

    // Called for every record just before it is destroyed.
    std::function<void(Character&)> onRemove;

private:
    Character* buckets_[kBuckets] = {};
    BlockPool pool_;
};

} // namespace tavro::player
