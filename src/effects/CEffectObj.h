// An effect: one item on the timeline of a displayable object (a symbol or a text object). It
// occupies a run of consecutive frames and decides, frame by frame, where the object (or each of
// its letters) stands, how large and how rotated it is, and how transparent.
//
// It carries two sets of transform parameters: the start set ("Start At") says where the object
// starts relative to its own placement, the transform set ("Transform") how it changes from there
// over the effect's frames. Positions are pixels (x 20 gives twips), scales percent, angles
// degrees, alpha percent (x 2.56 gives the 0..256 alpha multiplier). Each group has a mode word
// (EffectModes.h). The timeline driver (EffectTimeline.h) interpolates between the start and end
// queries below and calls ExportFrame for each frame of the run.
//
// The effect's parent is its owner, the symbol whose timeline holds it. Everything an export
// changes lives in the owner's export state, so an export leaves the effect as it was, except the
// parameters that fades and slides preset at the start of every run.
#pragma once

#include "base/CDoublePoint.h"
#include "effects/EffectModes.h"
#include "model/CColor.h"
#include "model/CTavroObj.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavro {

class CColorTransform;
class CMatrix3;
class CSwfWriter;
class CSymbolObj;

class CEffectObj : public CTavroObj {
    TAVRO_DECLARE_CLASS(CEffectObj)
public:
    // One set of transform parameters.
    struct TransformSet {
        int32_t moveMode = 0;
        CDoublePoint move; // pixels
        int32_t scaleUniform = 1;
        int32_t scaleMode = 0;
        CDoublePoint scale; // percent: horizontal, vertical
        int32_t rotateUniform = 1;
        int32_t rotateMode = 0;
        CDoublePoint angles; // degrees: horizontal axis, vertical axis
        int32_t alphaMode = 0;
        double alpha = 0.0; // percent

        bool operator==(const TransformSet&) const = default;
    };

    // What the "Effect Properties" dialog edits.
    struct Properties {
        std::string description;
        int32_t numFrames = 0;
        bool resetAtStart = false;
        TransformSet start;
        TransformSet transform;
    };

    // The effect dialogs, implemented by the editor. Each returns true when the user pressed OK.
    class DialogHost {
    public:
        virtual ~DialogHost() = default;
        // The effect's own settings dialog (the slide dialog, the letter effects' dialogs).
        virtual bool RunSettingsDialog(CEffectObj& effect, bool recordUndo) = 0;
        // The "Effect Properties" dialog.
        virtual bool RunTransformDialog(CEffectObj& effect, bool recordUndo) = 0;
    };
    // The host the Edit operations open their dialogs through; none (the default) means no
    // dialog opens and the Edit operations that need one return false.
    static void SetDialogHost(DialogHost* host);
    static DialogHost* GetDialogHost();

    // The smallest scale factor an effect produces.
    static constexpr double kMinScale = 0.0001;

    explicit CEffectObj(CTavroObj* parent = nullptr);
    ~CEffectObj() override;

    void Serialize(Archive& ar) override;

    // The description when it is not empty, otherwise GetDefaultName.
    std::string GetName() const override;

    // Places the owner with M and C through its placement operation; true.
    virtual bool ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                             const CColorTransform& cxform);
    // The number-of-frames field; effects that compute their length may store it there.
    virtual int GetNumFrames() const;
    virtual void SetNumFrames(int frames);
    // Called at the first frame of every run, before that frame is computed, and after its last.
    virtual void OnEffectStart(CSwfWriter& writer);
    virtual void OnEffectEnd(CSwfWriter& writer);
    virtual std::string GetDefaultName() const;
    // False for one-frame markers: the timeline then writes no name inside the bar.
    virtual bool ShowsNameInTimeline() const;
    // The "Number of Frames:" box is enabled and the effect may be resized on the timeline.
    virtual bool CanSetNumFrames() const;
    // The colour of the effect's timeline bar; none means the system window colour.
    virtual std::optional<CColor> GetTimelineColor() const;
    // Opens the effect's own settings dialog. Base: there is none, false.
    virtual bool EditSettings(bool recordUndo);
    // False for effects without their own dialog: "Properties..." is then disabled and a double
    // click opens the "Effect Properties" dialog instead.
    virtual bool HasSettingsDialog() const;
    // The transform alpha applied to full opacity leaves more than 0.
    virtual bool IsVisibleAtEnd() const;
    // Depths the owner skips before its own; 0.
    virtual int GetExtraCount() const;
    // Depths the owner needs while this effect runs: the owner's own count (1 without owner).
    virtual int GetDepthCount() const;
    // Opens the "Effect Properties" dialog.
    virtual bool EditTransform(bool recordUndo);

    // Fields.
    int GetStartFrame() const { return startFrame_; }
    void SetStartFrame(int frame) { startFrame_ = frame; }
    TransformSet& GetStartSet() { return start_; }
    const TransformSet& GetStartSet() const { return start_; }
    TransformSet& GetTransformSet() { return transform_; }
    const TransformSet& GetTransformSet() const { return transform_; }
    // Bit i hides row i of the transform tabs (TransformRow).
    uint32_t GetHiddenRows() const { return hiddenRows_; }
    void SetHiddenRows(uint32_t rows) { hiddenRows_ = rows; }
    bool IsRowHidden(TransformRow row) const;
    static uint32_t RowBit(TransformRow row) { return 1u << static_cast<int>(row); }
    bool GetResetAtStart() const { return resetAtStart_ != 0; }
    void SetResetAtStart(bool reset) { resetAtStart_ = reset ? 1 : 0; }

    // The owner: the symbol whose timeline holds the effect, or null.
    CSymbolObj* GetOwner() const;

    // Start and end queries of the timeline driver, from the owner's current matrix (twips) and
    // colour transform. Positions in twips, scales as factors (never below kMinScale), angles in
    // degrees, alpha on the 0..256 scale (clamped).
    CDoublePoint GetStartPosition() const;
    CDoublePoint GetEndPosition(const CDoublePoint& start) const;
    CDoublePoint GetStartScale() const;
    CDoublePoint GetEndScale(const CDoublePoint& start) const;
    CDoublePoint GetStartAngles() const;
    CDoublePoint GetEndAngles(const CDoublePoint& start) const;
    double GetStartAlpha() const;
    double GetEndAlpha(double start) const;
    // Components not greater than 0 become kMinScale.
    static CDoublePoint FloorScale(const CDoublePoint& scale);
    // Into 0..256.
    static double ClampAlpha(double alpha);

    // The "Effect Properties" dialog's side. GetProperties reads what the dialog shows;
    // ApplyProperties writes it back: description, "Reset At Start" and both sets always, the
    // number of frames only when CanSetNumFrames.
    Properties GetProperties() const;
    void ApplyProperties(const Properties& properties);
    // Two tabs ("Start At" editing the start set, "Transform" the transform set) when the effect
    // has at least 2 frames or CanSetNumFrames; otherwise one "Start At" tab that edits the
    // transform set.
    bool HasTwoTransformTabs() const;

    // The transactional edit of a dialog: the whole effect in archive form, and the effect read
    // back from it (on Cancel). Reading back keeps the parent.
    std::vector<uint8_t> SaveEditState();
    void RestoreEditState(std::span<const uint8_t> bytes);

private:
    int32_t startFrame_ = 0;
    int32_t numFrames_ = 0;
    TransformSet start_;
    TransformSet transform_;
    uint32_t hiddenRows_ = 0;
    int32_t resetAtStart_ = 0;
};

} // namespace tavro
