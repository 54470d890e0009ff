#include "effects/CEffectTypewriter.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CTextObj.h"
#include "model/JsonForm.h"
#include "model/TextLayout.h"
#include "swf/CSwfGlyph.h"
#include "swf/CSwfWriter.h"

#include <algorithm>
#include <limits>
#include <string>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectTypewriter, CTextEffectObj, 1)

namespace {

const ArchiveLevelRegistrar kJsonLevel{{"CEffectTypewriter",
                                        "CTextEffectObj",
                                        1,
                                        ArchiveLevelForm::Versioned,
                                        {{"letterInterval", ArchiveFieldType::Int},
                                         {"flashInterval", ArchiveFieldType::Int},
                                         {"flashesAtLineStart", ArchiveFieldType::Int},
                                         {"flashesAtLineEnd", ArchiveFieldType::Int},
                                         {"cursorCharacter", ArchiveFieldType::Int}}}};

// How far the typing has come at a frame.
struct Progress {
    size_t count = 0; // characters typed, line breaks included
    int64_t from = 0; // the frame at which the last of them was typed; 0 before the first
    bool flashing = true;
};

CDoublePoint CentreOf(const TextLetter& letter) {
    return letter.glyph != nullptr ? letter.glyph->Centre() : CDoublePoint();
}

} // namespace

CEffectTypewriter::CEffectTypewriter(CTavroObj* parent) : CTextEffectObj(parent) {
    SetName(GetDefaultName());
}

CEffectTypewriter::~CEffectTypewriter() = default;

void CEffectTypewriter::Serialize(Archive& ar) {
    if (ar.IsStoring() && GetTextOwner() != nullptr)
        SetNumFrames(GetNumFrames());
    CTextEffectObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) < 1)
        return;
    if (ar.IsStoring()) {
        ar.WriteInt(letterInterval_);
        ar.WriteInt(flashInterval_);
        ar.WriteInt(flashesAtLineStart_);
        ar.WriteInt(flashesAtLineEnd_);
        ar.WriteInt(cursorCharacter_);
    } else {
        letterInterval_ = ar.ReadInt();
        flashInterval_ = ar.ReadInt();
        flashesAtLineStart_ = ar.ReadInt();
        flashesAtLineEnd_ = ar.ReadInt();
        cursorCharacter_ = ar.ReadInt();
    }
}

CEffectTypewriter::Timing CEffectTypewriter::GetTiming() const {
    // A damaged file may hold anything; the arithmetic takes the dialog's ranges, which also
    // keep every frame number far inside 64 bits.
    return {std::clamp<int64_t>(letterInterval_, 1, 9999),
            std::clamp<int64_t>(flashInterval_, 1, 9999),
            std::clamp<int64_t>(flashesAtLineStart_, 0, 9999),
            std::clamp<int64_t>(flashesAtLineEnd_, 0, 9999)};
}

int CEffectTypewriter::ComputeNumFrames(std::string_view text) const {
    const Timing tm = GetTiming();
    const int64_t n = static_cast<int64_t>(text.size());
    int64_t breaks = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '\r' && text[i + 1] == '\n') {
            ++breaks;
            ++i;
        }
    }
    const int64_t frames = (breaks + 1) * (2 * tm.lineEnd + 1) * tm.flash +
                           (n - 2 * breaks) * tm.letter +
                           (2 * tm.lineStart * (breaks + 1) + 1) * tm.flash;
    return static_cast<int>(std::min<int64_t>(frames, std::numeric_limits<int32_t>::max()));
}

int CEffectTypewriter::GetNumFrames() const {
    const CTextObj* text = GetTextOwner();
    return text != nullptr ? ComputeNumFrames(text->GetText()) : CTextEffectObj::GetNumFrames();
}

void CEffectTypewriter::OnEffectStart(CSwfWriter& writer) {
    CTextEffectObj::OnEffectStart(writer);
    cursor_.reset();
    CTextObj* text = GetTextOwner();
    if (text == nullptr)
        return;
    SetNumFrames(GetNumFrames());
    frame_.Capture(*text);
    if (cursorCharacter_ < 1 || cursorCharacter_ > 0xFF)
        return; // no character to show
    const auto code = static_cast<uint8_t>(cursorCharacter_);
    cursor_ = std::make_unique<TextLetter>();
    cursor_->code = code;
    cursor_->glyph = text->AddLetterGlyph(writer, code);
    cursor_->position = CentreOf(*cursor_);
}

void CEffectTypewriter::OnEffectEnd(CSwfWriter& writer) {
    CTextEffectObj::OnEffectEnd(writer);
    if (cursor_ && cursor_->stageDepth >= 1)
        writer.WriteRemoveObject2(static_cast<uint16_t>(cursor_->stageDepth));
    cursor_.reset();
    frame_.Clear();
}

bool CEffectTypewriter::ExportFrame(CSwfWriter& writer, int r, const CMatrix3& matrix,
                                    const CColorTransform& cxform) {
    CTextObj* text = GetTextOwner();
    if (text == nullptr)
        return true;
    const std::string chars = text->GetText();
    const Timing tm = GetTiming();

    Progress typed;
    int64_t next = (2 * tm.lineStart + 1) * tm.flash; // when the next character is typed
    for (const char c : chars) {
        if (r < next)
            break;
        typed.from = next;
        if (c == '\n') {
            next += (2 * tm.lineStart + 1) * tm.flash;
            typed.flashing = true; // at a line start
        } else if (c == '\r') {
            next += 2 * tm.lineEnd * tm.flash;
            typed.flashing = true; // at a line end
        } else {
            next += tm.letter;
            typed.flashing = false;
        }
        ++typed.count;
    }
    if (typed.count == chars.size())
        typed.flashing = true;

    frame_.Place(*text, writer, matrix, cxform,
                 [&](const VisibleLetter& v) -> std::optional<LetterPlacement> {
                     if (v.index < typed.count)
                         return LetterPlacement{v.matrix, v.pose.cxform};
                     // Left on the display list by an earlier effect: hidden until typed.
                     if (v.record->stageDepth >= 1)
                         return LetterPlacement{v.matrix, WithAlpha(v.pose.cxform, 0.0)};
                     return std::nullopt;
                 });

    // The cursor comes off at the end of the last frame: it is not placed there at all, which
    // also keeps it out of the picture of a text button coming to rest.
    if (!cursor_ || r >= GetNumFrames() - 1)
        return true;

    // The pen position of letter i as it stands now. A line break has no placement of its own
    // (its matrix stays the identity unless the letters were reset), so it takes the pen the
    // layout gave it: where its line ended, or where the first line starts for breaks before
    // it. Effects never move line breaks, so that pen is where it stands.
    const std::vector<TextLetter>& letters = text->GetLetters();
    const auto penOf = [&](size_t i) {
        const TextLetter& letter = letters[i];
        if (IsLineBreak(letter.code))
            return letter.pen;
        return frame_.StartPose(*text, i).translation - CentreOf(letter);
    };
    CDoublePoint at;
    if (typed.count < letters.size()) {
        at = penOf(typed.count);
    } else if (!letters.empty()) {
        const TextLetter& last = letters.back();
        at = penOf(letters.size() - 1) + last.advance;
    }
    at += CentreOf(*cursor_);
    CMatrix3 cursorMatrix = cursor_->restMatrix;
    cursorMatrix.SetTranslation(at.x, at.y);

    bool lit = true;
    if (typed.flashing) {
        bool phase = (((r - typed.from) / tm.flash) & 1) != 0;
        const bool lineFeedNext = typed.count < chars.size() && chars[typed.count] == '\n';
        if (!lineFeedNext)
            phase = !phase;
        lit = phase;
    }
    const CColorTransform cursorCxform =
        WithAlpha(cursor_->restColorTransform, lit ? cursor_->restColorTransform.alphaMult : 0.0);

    // The cursor's depth is the one after all the text's letters, whatever order they take
    // theirs in.
    SymbolExportState& state = text->GetExportState();
    const int32_t nextDepth = state.stageDepth;
    if (cursor_->stageDepth == 0)
        state.stageDepth = state.depth + text->CountPrintable();
    text->PlaceLetter(*cursor_, writer, cursorMatrix, cursorCxform, matrix, cxform);
    state.stageDepth = nextDepth;
    return true;
}

std::string CEffectTypewriter::GetDefaultName() const {
    return std::string(LoadEffectName(effect_string::kTypewriter));
}

bool CEffectTypewriter::CanSetNumFrames() const {
    return false;
}

int CEffectTypewriter::GetDepthCount() const {
    return CTextEffectObj::GetDepthCount() + 1;
}

bool CEffectTypewriter::EditSettings(bool recordUndo) {
    DialogHost* host = GetDialogHost();
    return host != nullptr && host->RunSettingsDialog(*this, recordUndo);
}

} // namespace tavro
