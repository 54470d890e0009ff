#include "model/CDocObj.h"

#include "model/Archive.h"
#include "model/CSceneObj.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <system_error>
#include <vector>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CDocObj, CTavroObj, 1)

namespace {

constexpr double kSizeTolerance = 1e-10;

std::vector<CSceneObj*> Scenes(CTavroObj& doc) {
    std::vector<CSceneObj*> scenes;
    scenes.reserve(doc.GetChildCount());
    for (auto& child : doc.GetChildList()) {
        if (auto* scene = DynamicCast<CSceneObj>(child.get()))
            scenes.push_back(scene);
    }
    return scenes;
}

std::string AbsolutePath(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    return (ec ? path : full).lexically_normal().string();
}

} // namespace

CDocObj::CDocObj(CTavroObj* parent) : CTavroObj(parent) {}

CDocObj::CDocObj(const CDocObj& other)
    : CTavroObj(other), movieSize_(other.movieSize_), backgroundColor_(other.backgroundColor_),
      frameRate_(other.frameRate_) {}

CDocObj::~CDocObj() = default;

void CDocObj::Serialize(Archive& ar) {
    CTavroObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    if (ar.IsStoring()) {
        ar.WriteDouble(movieSize_.x);
        ar.WriteDouble(movieSize_.y);
        ar.WriteDouble(frameRate_);
    } else {
        movieSize_.x = ar.ReadDouble();
        movieSize_.y = ar.ReadDouble();
        frameRate_ = ar.ReadDouble();
    }
    ar.SerializeMember(backgroundColor_);
}

bool CDocObj::IsEqualDoc(const CDocObj& other) const {
    return IsEqualBase(other) && std::abs(movieSize_.x - other.movieSize_.x) <= kSizeTolerance &&
           std::abs(movieSize_.y - other.movieSize_.y) <= kSizeTolerance &&
           backgroundColor_ == other.backgroundColor_ && frameRate_ == other.frameRate_;
}

CSceneObj* CDocObj::GetSelectedScene() const {
    return DynamicCast<CSceneObj>(GetSelectedChild());
}

std::string CDocObj::SceneName(size_t sceneCount) {
    return "Scene " + std::to_string(sceneCount + 1);
}

CSceneObj& CDocObj::NewMovie() {
    DeleteAllChildren();
    SetName("");
    return InsertScene();
}

CSceneObj& CDocObj::InsertScene() {
    auto scene = std::make_unique<CSceneObj>(this);
    scene->SetName(SceneName(GetChildCount()));
    CSceneObj& added = *scene;
    SelectPosition(AddChild(std::move(scene)));
    return added;
}

int CDocObj::GetFrameCount() const {
    int64_t total = 0;
    for (const auto& child : GetChildList()) {
        if (const auto* scene = DynamicCast<CSceneObj>(child.get()))
            total += std::max(scene->GetFrameCount(), 1);
    }
    return static_cast<int>(std::clamp<int64_t>(total, 1, kMaxFrameCount));
}

void CDocObj::WriteSwf(CSwfWriter& writer, CSwfShape& stageRectangle) {
    writer.WriteHeader(movieSize_.x, movieSize_.y, frameRate_,
                       static_cast<uint16_t>(GetFrameCount()));
    writer.WriteSetBackgroundColor(backgroundColor_);
    const std::vector<CSceneObj*> scenes = Scenes(*this);
    for (size_t i = 0; i < scenes.size(); ++i)
        scenes[i]->WriteSwf(writer, i + 1 == scenes.size(), stageRectangle, movieSize_);
}

void CDocObj::TakeContentFrom(CDocObj& other) {
    if (&other == this)
        return;
    DeleteAllChildren();
    const std::vector<int> selection = other.GetSelectionIndexes();
    other.SelectPosition({}); // its positions would otherwise name children it no longer has
    GetChildList().splice(GetChildList().end(), other.GetChildList());
    SetSelectionIndexes(selection);
    SetParentOfChildren(this);
    SetName(other.GetName());
    other.SetName("");
    movieSize_ = other.movieSize_;
    backgroundColor_ = other.backgroundColor_;
    frameRate_ = other.frameRate_;
}

void CDocObj::LoadFile(const std::filesystem::path& path) {
    CDocObj loaded;
    LoadObjectFromFile(path, loaded);
    TakeContentFrom(loaded);
    SetName(AbsolutePath(path));
}

void CDocObj::SaveFile(const std::filesystem::path& path) {
    SaveObjectToFile(path, *this);
    SetName(AbsolutePath(path));
}

} // namespace tavro
