// The root of every registered class: run-time class identity and self-serialisation.
#pragma once

#include "model/ClassInfo.h"

namespace tavro {

class Archive;

class CRootObj {
public:
    CRootObj() = default;
    CRootObj(const CRootObj&) = default;
    CRootObj& operator=(const CRootObj&) = default;

    // The class's registry record.
    virtual const ClassInfo* GetRuntimeClass() const;
    virtual ~CRootObj();
    // Writes to or reads from the archive, according to its direction. The root writes nothing.
    virtual void Serialize(Archive& ar);

    bool IsKindOf(const ClassInfo* cls) const;

    // The root's own record: not registered, not serialisable, no factory.
    static const ClassInfo classInfo;
};

// The object as T when it is of class T or derived from it, else null.
template <class T> T* DynamicCast(CRootObj* obj) {
    return obj != nullptr && obj->IsKindOf(&T::classInfo) ? static_cast<T*>(obj) : nullptr;
}
template <class T> const T* DynamicCast(const CRootObj* obj) {
    return obj != nullptr && obj->IsKindOf(&T::classInfo) ? static_cast<const T*>(obj) : nullptr;
}

} // namespace tavro
