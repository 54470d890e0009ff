#include "model/CSceneObj.h"

#include "effects/CEventObj.h"
#include "model/Archive.h"
#include "model/DrawContext.h"
#include "swf/CSwfButton.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CSceneObj, CSymbolObj, 1)

namespace {

// The link button always stands at depth 1, below every object of the scene.
constexpr uint16_t kLinkButtonDepth = 1;

// The displayable children, in list order (head first).
std::vector<CSymbolObj*> Symbols(CTavroObj& parent) {
    std::vector<CSymbolObj*> symbols;
    symbols.reserve(parent.GetChildCount());
    for (auto& child : parent.GetChildList()) {
        if (auto* symbol = DynamicCast<CSymbolObj>(child.get()))
            symbols.push_back(symbol);
    }
    return symbols;
}

bool Meets(const IntRect& a, const IntRect& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

} // namespace

CSceneObj::CSceneObj(CTavroObj* parent) : CSymbolObj(parent) {
    ResetSymbol();
}

CSceneObj::CSceneObj(const CSceneObj& other)
    : CSymbolObj(other), link_(other.link_), targetFrame_(other.targetFrame_),
      reservedB_(other.reservedB_) {}

CSceneObj::~CSceneObj() = default;

void CSceneObj::Serialize(Archive& ar) {
    CSymbolObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    if (ar.IsStoring()) {
        ar.WriteInt(reservedA_);
        ar.WriteInt(reservedC_);
        ar.WriteInt(reservedB_);
        ar.WriteString(link_);
        ar.WriteString(targetFrame_);
    } else {
        reservedA_ = ar.ReadInt();
        reservedC_ = ar.ReadInt();
        reservedB_ = ar.ReadInt();
        link_ = ar.ReadString();
        targetFrame_ = ar.ReadString();
    }
}

int CSceneObj::GetFrameCount() const {
    int64_t count = 0;
    for (const auto& child : GetChildList()) {
        if (const auto* symbol = DynamicCast<CSymbolObj>(child.get()))
            count = std::max<int64_t>(count, symbol->GetFrameCount());
    }
    for (const auto& child : GetEventList().GetChildList()) {
        if (const auto* event = DynamicCast<CEventObj>(child.get()))
            count = std::max<int64_t>(count, int64_t{event->GetFrame()} + 1);
    }
    return static_cast<int>(std::min<int64_t>(count, kMaxFrameCount));
}

void CSceneObj::CopyScene(const CSceneObj& other) {
    CopySymbol(other);
    link_ = other.link_;
    targetFrame_ = other.targetFrame_;
    reservedB_ = other.reservedB_;
}

bool CSceneObj::IsEqualScene(const CSceneObj& other) const {
    return IsEqualSymbol(other) && link_ == other.link_ && targetFrame_ == other.targetFrame_ &&
           reservedB_ == other.reservedB_;
}

CSymbolObj* CSceneObj::FindChildAt(int x, int y) {
    std::vector<CSymbolObj*> hits;
    for (CSymbolObj* symbol : Symbols(*this)) {
        if (symbol->HitTest(x, y))
            hits.push_back(symbol);
    }
    if (hits.size() == 1)
        return hits.front();
    for (CSymbolObj* symbol : hits) {
        if (symbol->HitTestMask(x, y))
            return symbol;
    }
    return nullptr;
}

CSymbolObj* CSceneObj::SelectChildAt(int x, int y, const SelectionNotify& notify) {
    CSymbolObj* found = FindChildAt(x, y);
    SelectChild(found); // null empties the selection
    if (notify)
        notify(found);
    return found;
}

void CSceneObj::DrawChildren(DrawContext& dc, const IntRect& clip) {
    const CTavroObj* selected = GetSelectedChild();
    std::vector<CSymbolObj*> symbols = Symbols(*this);
    for (auto it = symbols.rbegin(); it != symbols.rend(); ++it) {
        if (Meets((*it)->GetScreenRect(), clip))
            (*it)->Draw(dc, clip, *it == selected);
    }
}

void CSceneObj::WriteSwf(CSwfWriter& writer, bool lastScene, CSwfShape& stageRectangle,
                         const CDoublePoint& stageSize) {
    const int frameCount = std::max(GetFrameCount(), 1);
    const bool hasLink = !link_.empty();
    int depth = 1;

    if (hasLink) {
        // One stage rectangle per export, shared by every linked scene.
        if (stageRectangle.id == -1)
            stageRectangle.Define(writer);
        CSwfButton button;
        button.url = link_;
        button.target = targetFrame_;
        button.stateIds[CSwfButton::kHitTest] = stageRectangle.id;
        button.Write(writer, writer.NextCharacterId());
        const CMatrix3 identity;
        writer.WritePlaceObject2(static_cast<uint16_t>(button.id), &identity, nullptr,
                                 kLinkButtonDepth, false);
        depth = kLinkButtonDepth + 1;
    }

    // Tail first: the back of the stacking order gets the lowest depths.
    std::vector<CSymbolObj*> symbols = Symbols(*this);
    for (auto it = symbols.rbegin(); it != symbols.rend(); ++it) {
        CSymbolObj& symbol = **it;
        depth += symbol.GetDepthOffset();
        symbol.SetExportStageSize(stageSize);
        symbol.BeginExport(writer, depth);
        depth += symbol.GetDepthCount();
    }

    for (int frame = 0; frame < frameCount; ++frame) {
        for (auto it = symbols.rbegin(); it != symbols.rend(); ++it)
            (*it)->WriteFrame(writer, frame);
        for (const auto& child : GetEventList().GetChildList()) {
            if (const auto* event = DynamicCast<CEventObj>(child.get()))
                event->ExportEvent(writer, frame);
        }
        writer.WriteShowFrame();
    }

    if (lastScene)
        return;
    if (hasLink)
        writer.WriteRemoveObject2(kLinkButtonDepth);
    for (CSymbolObj* symbol : symbols)
        symbol->RemoveFromStage(writer);
}

} // namespace tavro
