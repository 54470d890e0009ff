#include "player/actions/TargetPath.h"

#include "base/AsciiCase.h"
#include "player/Character.h"
#include "player/DisplayObject.h"
#include "player/MovieLevel.h"
#include "player/PlayerCore.h"
#include "player/Timeline.h"
#include "player/actions/ActionEngineDetail.h"

#include <cctype>

namespace tavro::player {

namespace {

constexpr size_t kMaxNameLength = 127;

// The level root above `obj` (the object whose parent is the display list root), or nullptr.
DisplayObject* LevelRootOf(DisplayObject* obj) {
    while (obj && obj->parent && obj->parent->parent)
        obj = obj->parent;
    return obj && obj->parent ? obj : nullptr;
}

} // namespace

DisplayObject* ResolveTargetObject(PlayerCore& player, Timeline& from, std::string_view path) {
    DisplayObject* obj = from.rootObject;
    size_t i = 0;
    if (!path.empty() && path[0] == '/') {
        obj = LevelRootOf(obj);
        i = 1;
    }
    bool first = true;
    while (i <= path.size()) {
        size_t slash = path.find('/', i);
        if (slash == std::string_view::npos)
            slash = path.size();
        std::string_view name = path.substr(i, slash - i);
        i = slash + 1;
        if (name.empty()) {
            if (slash >= path.size())
                break;
            continue;
        }
        if (name.size() > kMaxNameLength)
            name = name.substr(0, kMaxNameLength);
        if (first) {
            first = false;
            int32_t level = action_detail::LevelNumber(name);
            if (level >= 0) {
                MovieLevel* l = player.FindLevel(level);
                obj = l ? l->rootObject : nullptr;
                if (!obj)
                    return nullptr;
                continue;
            }
        }
        if (!obj)
            return nullptr;
        if (name == "..") {
            // The display list root stands above the levels and is no target.
            if (!obj->parent || !obj->parent->parent)
                return nullptr;
            obj = obj->parent;
            continue;
        }
        DisplayObject* found = nullptr;
        for (DisplayObject* c = obj->firstChild; c; c = c->nextSibling) {
            if (c->IsSprite() && EqualsNoCase(c->name, name)) {
                found = c;
                break;
            }
        }
        if (!found)
            return nullptr;
        obj = found;
    }
    return obj;
}

Timeline* ResolveTarget(PlayerCore& player, Timeline& from, std::string_view path) {
    if (path.empty())
        return &from;
    DisplayObject* obj = ResolveTargetObject(player, from, path);
    return obj ? obj->timeline : nullptr;
}

std::string TargetPathOf(const DisplayObject& obj) {
    std::string path;
    const DisplayObject* o = &obj;
    while (o && o->parent && o->parent->parent) {
        path.insert(0, o->name);
        path.insert(0, 1, '/');
        o = o->parent;
    }
    // `o` is now the level root (or a detached object, which reads as level 0).
    int32_t level = 0;
    if (o && o->parent && o->timeline && o->timeline->IsLevel())
        level = o->timeline->depth;
    if (level == 0)
        return path.empty() ? std::string("/") : path;
    return "_level" + std::to_string(level) + path;
}

std::string_view SplitVariablePath(PlayerCore& player, Timeline& from, std::string_view full,
                                   Timeline** timeline) {
    size_t colon = full.find(':');
    if (colon == std::string_view::npos) {
        *timeline = &from;
        return full;
    }
    *timeline = ResolveTarget(player, from, full.substr(0, colon));
    return full.substr(colon + 1);
}

const std::string* FindVariable(const Timeline& timeline, std::string_view name) {
    for (const Timeline::Variable& v : timeline.variables)
        if (EqualsNoCase(v.name, name))
            return &v.value;
    return nullptr;
}

void StoreVariable(Timeline& timeline, std::string_view name, std::string_view value) {
    for (Timeline::Variable& v : timeline.variables) {
        if (EqualsNoCase(v.name, name)) {
            v.value.assign(value);
            return;
        }
    }
    timeline.variables.push_back(Timeline::Variable{std::string(name), std::string(value)});
}

} // namespace tavro::player
