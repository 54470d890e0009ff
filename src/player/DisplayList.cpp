#include "player/DisplayList.h"

#include "player/Character.h"
#include "player/MovieLevel.h"
#include "player/PlayerCore.h"
#include "player/Timeline.h"

#include <algorithm>
#include <string>

namespace tavro::player {

DisplayList::DisplayList(PlayerCore* p)
    : player(p), objectPool_(std::max<size_t>(sizeof(DisplayObject), 136), 32) {
    root.displayList = this;
}

DisplayList::~DisplayList() {
    player = nullptr;
    while (root.firstChild)
        RemoveObject(root.firstChild);
    retired_.clear();
}

DisplayObject* DisplayList::NewObject() {
    DisplayObject* obj = objectPool_.New<DisplayObject>();
    if (obj)
        obj->displayList = this;
    return obj;
}

void DisplayList::InsertChild(DisplayObject* parent, DisplayObject* obj) {
    obj->parent = parent;
    DisplayObject** link = &parent->firstChild;
    while (*link && (*link)->depth <= obj->depth)
        link = &(*link)->nextSibling;
    obj->nextSibling = *link;
    *link = obj;
}

DisplayObject* DisplayList::Place(DisplayObject* parent, const PlaceInfo& info,
                                  Timeline* timeline) {
    if (!parent || !info.character)
        return nullptr;
    // Sprites that place themselves (directly or in a cycle) would nest without end, and a few
    // nested sprites placing each other several times multiply; both are cut off.
    int nesting = 0;
    for (const DisplayObject* p = parent; p; p = p->parent)
        if (++nesting > kMaxNesting)
            return nullptr;
    if (objectPool_.LiveCount() >= kMaxObjects)
        return nullptr;
    DisplayObject* obj = NewObject();
    if (!obj)
        return nullptr;
    Character* ch = info.character;
    obj->character = ch;
    obj->depth = info.depth;
    obj->ratio = info.ratio;
    obj->matrix = info.matrix;
    obj->cxform = info.cxform;
    obj->clipDepth = (info.flags & PlaceInfo::kHasClipDepth) ? info.clipDepth : 0;
    obj->visible = true;
    obj->scriptTransformed = info.scriptTransformed;
    obj->timeline = timeline;
    if (info.flags & PlaceInfo::kHasName)
        obj->name.assign(info.name);
    else if (ch->IsSpriteLike())
        obj->name = "instance" + std::to_string(++instanceCounter);

    // New objects go before any object of equal or greater depth.
    obj->parent = parent;
    DisplayObject** link = &parent->firstChild;
    while (*link && (*link)->depth < obj->depth)
        link = &(*link)->nextSibling;
    obj->nextSibling = *link;
    *link = obj;
    MarkDirty(obj);

    if (ch->IsSpriteLike() && player) {
        std::unique_ptr<Timeline> t;
        try {
            t = std::make_unique<Timeline>(player, this);
        } catch (const std::bad_alloc&) {
            RemoveObject(obj);
            return nullptr;
        }
        t->BindSprite(ch->owner, *ch, obj);
        obj->timeline = t.get();
        obj->ownTimeline = std::move(t);
        LinkTimeline(obj->timeline);
        obj->timeline->Seek(0, false);
    }
    if (player && (ch->IsSpriteLike() || ch->type == CharacterType::Button ||
                   ch->type == CharacterType::EditText))
        player->Actions().ObjectPlaced(*player, *obj);
    return obj;
}

void DisplayList::Modify(DisplayObject* parent, const PlaceInfo& info) {
    if (!parent)
        return;
    DisplayObject* obj = parent->FindChild(info.depth);
    if (!obj || obj->scriptTransformed)
        return;
    if ((info.flags & PlaceInfo::kHasCharacter) && info.character &&
        info.character != obj->character) {
        Character* oldCh = obj->character;
        Character* newCh = info.character;
        auto special = [](const Character* c) {
            return c->IsSpriteLike() || c->type == CharacterType::Button;
        };
        if (oldCh->type == newCh->type || (!special(oldCh) && !special(newCh))) {
            // A button or field that takes another character of its kind starts over: the old
            // button's state children go, and the new one shows its own idle state (a field
            // binds again), as if it had just been placed.
            const bool interactive =
                newCh->type == CharacterType::Button || newCh->type == CharacterType::EditText;
            if (interactive && player)
                player->Actions().ObjectRemoved(*player, *obj);
            if (newCh->type == CharacterType::Button)
                while (obj->firstChild)
                    RemoveObject(obj->firstChild);
            obj->character = newCh;
            obj->renderCache.reset();
            if (interactive && player)
                player->Actions().ObjectPlaced(*player, *obj);
        }
    }
    if (info.flags & PlaceInfo::kHasMatrix)
        obj->matrix = info.matrix;
    if (info.flags & PlaceInfo::kHasCxform)
        obj->cxform = info.cxform;
    if (info.flags & PlaceInfo::kHasRatio)
        obj->ratio = info.ratio;
    MarkDirty(obj);
}

void DisplayList::Remove(DisplayObject* parent, uint16_t depth) {
    if (!parent)
        return;
    if (DisplayObject* obj = parent->FindChild(depth))
        RemoveObject(obj);
}

void DisplayList::RemoveObject(DisplayObject* obj) {
    if (!obj)
        return;
    if (DisplayObject* parent = obj->parent) {
        DisplayObject** link = &parent->firstChild;
        while (*link && *link != obj)
            link = &(*link)->nextSibling;
        if (*link)
            *link = obj->nextSibling;
    }
    obj->parent = nullptr;
    obj->nextSibling = nullptr;
    DestroyObject(obj);
}

DisplayObject* DisplayList::DetachChildren(DisplayObject* parent) {
    DisplayObject* chain = parent->firstChild;
    parent->firstChild = nullptr;
    for (DisplayObject* c = chain; c; c = c->nextSibling)
        c->parent = nullptr;
    return chain;
}

void DisplayList::DestroyObject(DisplayObject* obj) {
    InvalidateSubtree(obj);
    while (DisplayObject* child = obj->firstChild) {
        obj->firstChild = child->nextSibling;
        child->parent = nullptr;
        child->nextSibling = nullptr;
        DestroyObject(child);
    }
    if (player && (obj->IsSprite() || obj->IsButton() || obj->IsEditText()))
        player->Actions().ObjectRemoved(*player, *obj);
    if (trackedButton == obj)
        trackedButton = nullptr;
    if (obj->ownTimeline) {
        Timeline* t = obj->ownTimeline.get();
        UnlinkTimeline(t);
        actions.Cancel(t);
        if (player && player->Sound())
            player->Sound()->StopOwner(*t);
        t->DetachRootObject();
        Retire(std::move(obj->ownTimeline));
    }
    anyDirty = true;
    objectPool_.Delete(obj);
}

void DisplayList::MarkDirty(DisplayObject* obj) {
    obj->dirty = true;
    anyDirty = true;
}

void DisplayList::Invalidate(const Rect& r) {
    invalid.Union(r);
}

void DisplayList::InvalidateSubtree(const DisplayObject* obj) {
    if (!obj->cachedBounds.IsEmpty())
        invalid.Union(obj->cachedBounds);
    for (const DisplayObject* c = obj->firstChild; c; c = c->nextSibling)
        InvalidateSubtree(c);
}

void DisplayList::LinkTimeline(Timeline* t) {
    if (t->inList)
        return;
    t->prevInList = nullptr;
    t->nextInList = timelines;
    if (timelines)
        timelines->prevInList = t;
    timelines = t;
    t->inList = true;
}

void DisplayList::UnlinkTimeline(Timeline* t) {
    if (!t->inList)
        return;
    if (t->prevInList)
        t->prevInList->nextInList = t->nextInList;
    else
        timelines = t->nextInList;
    if (t->nextInList)
        t->nextInList->prevInList = t->prevInList;
    t->nextInList = t->prevInList = nullptr;
    t->inList = false;
}

void DisplayList::Retire(std::unique_ptr<Timeline> t) {
    try {
        retired_.push_back(std::move(t));
    } catch (const std::bad_alloc&) {
        // Keeping it alive is only a safety net for loops that may still hold it; when even that
        // fails, the timeline is freed here (t goes out of scope).
    }
}

void DisplayList::ReleaseRetired() {
    retired_.clear();
}

} // namespace tavro::player
