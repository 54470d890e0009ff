#include "player/CharacterDictionary.h"

#include <algorithm>

namespace tavro::player {

CharacterDictionary::CharacterDictionary() : pool_(std::max<size_t>(sizeof(Character), 64), 32) {}

CharacterDictionary::~CharacterDictionary() {
    Clear();
}

Character* CharacterDictionary::Find(uint16_t id) const {
    for (Character* c = buckets_[id & (kBuckets - 1)]; c; c = c->next)
        if (c->id == id)
            return c;
    return nullptr;
}

Character* CharacterDictionary::Add(uint16_t id) {
    if (Find(id))
        return nullptr;
    Character* c = pool_.New<Character>();
    if (!c)
        return nullptr;
    c->id = id;
    Character*& head = buckets_[id & (kBuckets - 1)];
    c->next = head;
    head = c;
    return c;
}

void CharacterDictionary::Remove(uint16_t id) {
    Character** link = &buckets_[id & (kBuckets - 1)];
    while (*link) {
        Character* c = *link;
        if (c->id == id) {
            *link = c->next;
            if (onRemove)
                onRemove(*c);
            pool_.Delete(c);
            return;
        }
        link = &c->next;
    }
}

void CharacterDictionary::Clear() {
    for (auto& head : buckets_) {
        while (head) {
            Character* c = head;
            head = c->next;
            if (onRemove)
                onRemove(*c);
            pool_.Delete(c);
        }
    }
    pool_.FreeAll();
}

} // namespace tavro::player
