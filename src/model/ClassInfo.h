// The run-time class registry: one record per document class, found by its exact class name
// when an archive is read, and used for IsKindOf checks.
//
// A class joins the registry with one line in its header and one in its .cpp:
//
//   class CColor : public CRootObj {
//       TAVRO_DECLARE_CLASS(CColor)
//   public:
//       ...
//   };
//
//   TAVRO_IMPLEMENT_CLASS(CColor, CRootObj, 1)   // in CColor.cpp, inside namespace tavro
//
// TAVRO_IMPLEMENT_ABSTRACT_CLASS registers a class that cannot be created by name.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tavro {

class CRootObj;

struct ClassInfo {
    // Set in the schema word of every class that may be read back with an older version.
    static constexpr uint32_t kVersionable = 0x80000000u;
    // Schema word of a class that has no archive form (writing it is not supported).
    static constexpr uint32_t kNoSchema = 0xFFFFu;

    const char* className;  // the exact text written into archives
    uint32_t schema;        // kVersionable | version, or kNoSchema
    CRootObj* (*factory)(); // creates an empty instance with no parent; null if abstract
    const ClassInfo* base;  // null only for the root object class

    // The low 16 bits of the schema word: the class's current version.
    uint16_t Version() const { return static_cast<uint16_t>(schema & 0xFFFFu); }
    bool IsVersionable() const { return (schema & kVersionable) != 0; }
    bool IsSerializable() const { return schema != kNoSchema; }

    // True when this class is `other` or derives from it.
    bool IsDerivedFrom(const ClassInfo* other) const;

    // A new instance, or null when the class has no factory.
    CRootObj* CreateObject() const;

    // The registered class with exactly this (case-sensitive) name, or null.
    static const ClassInfo* FromName(std::string_view name);
    // Every registered class, in no particular order.
    static std::vector<const ClassInfo*> AllClasses();
};

// Adds a record to the registry at static-initialisation time (used by the macros below).
struct ClassRegistrar {
    explicit ClassRegistrar(const ClassInfo* info);
};

} // namespace tavro

#define TAVRO_DECLARE_CLASS(ClassName)                                                             \
public:                                                                                            \
    static const ::tavro::ClassInfo classInfo;                                                     \
    const ::tavro::ClassInfo* GetRuntimeClass() const override;                                    \
                                                                                                   \
private:

#define TAVRO_IMPLEMENT_CLASS_WITH_FACTORY(ClassName, BaseName, version, factoryFn)                \
    const ::tavro::ClassInfo ClassName::classInfo{                                                 \
        #ClassName, ::tavro::ClassInfo::kVersionable | static_cast<uint32_t>(version), factoryFn,  \
        &BaseName::classInfo};                                                                     \
    const ::tavro::ClassInfo* ClassName::GetRuntimeClass() const {                                 \
        return &classInfo;                                                                         \
    }                                                                                              \
    static const ::tavro::ClassRegistrar tavroRegistrar_##ClassName{&ClassName::classInfo};

#define TAVRO_IMPLEMENT_CLASS(ClassName, BaseName, version)                                        \
    TAVRO_IMPLEMENT_CLASS_WITH_FACTORY(ClassName, BaseName, version,                               \
                                       []() -> ::tavro::CRootObj* { return new ClassName; })

#define TAVRO_IMPLEMENT_ABSTRACT_CLASS(ClassName, BaseName, version)                               \
    TAVRO_IMPLEMENT_CLASS_WITH_FACTORY(ClassName, BaseName, version, nullptr)
