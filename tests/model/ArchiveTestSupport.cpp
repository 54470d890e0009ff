#include "ArchiveTestSupport.h"

#include <stdexcept>

namespace tavro::test {

TAVRO_IMPLEMENT_CLASS(TestScene, CTavroObj, 1)
TAVRO_IMPLEMENT_CLASS(TestText, CTavroObj, 1)
TAVRO_IMPLEMENT_CLASS(TestRef, CTavroObj, 1)
TAVRO_IMPLEMENT_CLASS(TestPoint, CRootObj, 1)
TAVRO_IMPLEMENT_CLASS(TestCounted, CTavroObj, 1)
TAVRO_IMPLEMENT_CLASS(TestThrowing, CTavroObj, 1)

int TestCounted::alive = 0;

void TestScene::Serialize(Archive& ar) {
    CTavroObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    if (ar.IsStoring())
        ar.WriteInt(extra);
    else
        extra = ar.ReadInt();
}

void TestText::Serialize(Archive& ar) {
    CTavroObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    ar.SerializeMember(color);
}

void TestRef::Serialize(Archive& ar) {
    CTavroObj::Serialize(ar);
    if (ar.IsStoring())
        ar.WriteObject(target);
    else
        target = ar.ReadObject(&CTavroObj::classInfo);
}

void TestPoint::Serialize(Archive& ar) {
    if (ar.IsStoring())
        ar.WriteDouble(x);
    else if (ar.GetStoredSchema(classInfo) >= 1)
        x = ar.ReadDouble();
}

void TestThrowing::Serialize(Archive& ar) {
    ar.WriteBytes("partial", 7);
    throw std::runtime_error("disk full");
}

} // namespace tavro::test
