// Loads arbitrary bytes as an object tree: a CTavroObj root followed by loose objects of any
// registered class. Damage must end in an ArchiveError, never a crash, leak or huge allocation;
// whatever loads must save and load again to the same bytes.
#include "model/Archive.h"
#include "model/CColor.h"
#include "model/CFillStyleColor.h"
#include "model/CLineStyle.h"
#include "model/CMatrix3.h"
#include "model/CTavroObj.h"

#include <cstdlib>
#include <memory>
#include <vector>

using namespace tavro;

namespace {

// Taking the records' addresses links their classes in, so they are registered.
const ClassInfo* const kLinkedClasses[] = {&CColor::classInfo, &CMatrix3::classInfo,
                                           &CFillStyle::classInfo, &CFillStyleColor::classInfo,
                                           &CLineStyle::classInfo};

std::vector<uint8_t> SaveTree(const CTavroObj& root,
                              const std::vector<std::unique_ptr<CRootObj>>& loose) {
    Archive ar;
    const_cast<CTavroObj&>(root).Serialize(ar);
    for (const auto& obj : loose)
        ar.WriteObject(obj.get());
    return ar.TakeBuffer();
}

void LoadTree(std::span<const uint8_t> bytes, CTavroObj& root,
              std::vector<std::unique_ptr<CRootObj>>& loose) {
    Archive ar(bytes);
    root.Serialize(ar);
    while (ar.GetRemaining() > 0 && loose.size() < 64) {
        std::unique_ptr<CRootObj> obj = ar.ReadOwnedObject();
        if (obj)
            loose.push_back(std::move(obj));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)kLinkedClasses;
    std::vector<uint8_t> saved;
    try {
        CTavroObj root;
        std::vector<std::unique_ptr<CRootObj>> loose;
        LoadTree({data, size}, root, loose);
        saved = SaveTree(root, loose);
    } catch (const ArchiveError&) {
        return 0;
    }
    CTavroObj again;
    std::vector<std::unique_ptr<CRootObj>> looseAgain;
    LoadTree(saved, again, looseAgain); // must not throw: it was written by us
    if (SaveTree(again, looseAgain) != saved)
        std::abort();
    return 0;
}
