#include "model/ClassInfo.h"

#include <string>
#include <unordered_map>

namespace tavro {

namespace {

// Function-local statics so that registration works whatever the order of static
// initialisation across files.
struct Registry {
    std::unordered_map<std::string_view, const ClassInfo*> byName;
    std::vector<const ClassInfo*> all;
};

Registry& GetRegistry() {
    static Registry registry;
    return registry;
}

} // namespace

bool ClassInfo::IsDerivedFrom(const ClassInfo* other) const {
    for (const ClassInfo* c = this; c != nullptr; c = c->base) {
        if (c == other)
            return true;
    }
    return false;
}

CRootObj* ClassInfo::CreateObject() const {
    return factory != nullptr ? factory() : nullptr;
}

const ClassInfo* ClassInfo::FromName(std::string_view name) {
    const Registry& r = GetRegistry();
    auto it = r.byName.find(name);
    return it == r.byName.end() ? nullptr : it->second;
}

std::vector<const ClassInfo*> ClassInfo::AllClasses() {
    return GetRegistry().all;
}

ClassRegistrar::ClassRegistrar(const ClassInfo* info) {
    Registry& r = GetRegistry();
    // A second class with the same name keeps the first one findable; AllClasses lists both so
    // that a test can catch the clash.
    r.byName.emplace(std::string_view(info->className), info);
    r.all.push_back(info);
}

} // namespace tavro
