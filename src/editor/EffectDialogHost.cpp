#include "editor/EffectDialogHost.h"

#include "editor/CAlternateLettersDlg.h"
#include "editor/CEffectPropertiesDlg.h"
#include "editor/CExplodeEffectDlg.h"
#include "editor/CMainDlg.h"
#include "editor/CScaleLettersDlg.h"
#include "editor/CSlideEffectDlg.h"
#include "editor/CSqueezeEffectDlg.h"
#include "editor/CTypewriterEffectDlg.h"
#include "editor/CWaveLettersDlg.h"
#include "editor/EffectEditSession.h"
#include "effects/CEffectAlternate.h"
#include "effects/CEffectExplode.h"
#include "effects/CEffectScaleLetter.h"
#include "effects/CEffectSlide.h"
#include "effects/CEffectSqueeze.h"
#include "effects/CEffectTypewriter.h"
#include "effects/CEffectWave.h"
#include "model/CSceneObj.h"

namespace tavro::editor {

namespace {

// The scene whose timeline the effect runs in.
const CSceneObj* SceneOf(const CEffectObj& effect) {
    for (const CTavroObj* obj = effect.GetParent(); obj != nullptr; obj = obj->GetParent()) {
        if (const auto* scene = DynamicCast<CSceneObj>(obj))
            return scene;
    }
    return nullptr;
}

} // namespace

EffectDialogHost::EffectDialogHost(CMainDlg& mainWnd, DialogService& dialogs)
    : QObject(nullptr), mainWnd_(mainWnd), dialogs_(dialogs) {
    connect(&mainWnd_, &CMainDlg::playbackStopped, this, &EffectDialogHost::previewStopped);
}

EffectDialogHost::~EffectDialogHost() = default;

QWidget* EffectDialogHost::DialogParent() {
    return &mainWnd_;
}

std::unique_ptr<EffectEditSession> EffectDialogHost::BeginEdit(CEffectObj& effect,
                                                               bool recordUndo) {
    return std::make_unique<EffectEditSession>(
        effect, recordUndo, [this] { mainWnd_.RecordUndo(false); },
        [this] { mainWnd_.SetDirty(); });
}

std::unique_ptr<CEffectSettingsDlg>
EffectDialogHost::CreateSettingsDialog(EffectEditSession& session, QWidget* parent) {
    CEffectObj& effect = session.Effect();
    if (auto* slide = DynamicCast<CEffectSlide>(&effect))
        return std::make_unique<CSlideEffectDlg>(*this, session, *slide, parent);
    if (auto* wave = DynamicCast<CEffectWave>(&effect))
        return std::make_unique<CWaveLettersDlg>(*this, session, *wave, parent);
    if (auto* explode = DynamicCast<CEffectExplode>(&effect))
        return std::make_unique<CExplodeEffectDlg>(*this, session, *explode, parent);
    if (auto* typewriter = DynamicCast<CEffectTypewriter>(&effect))
        return std::make_unique<CTypewriterEffectDlg>(*this, session, *typewriter, parent);
    if (auto* squeeze = DynamicCast<CEffectSqueeze>(&effect))
        return std::make_unique<CSqueezeEffectDlg>(*this, session, *squeeze, parent);
    if (auto* scale = DynamicCast<CEffectScaleLetter>(&effect))
        return std::make_unique<CScaleLettersDlg>(*this, session, *scale, parent);
    if (auto* alternate = DynamicCast<CEffectAlternate>(&effect))
        return std::make_unique<CAlternateLettersDlg>(*this, session, *alternate, parent);
    return nullptr;
}

std::unique_ptr<CEffectPropertiesDlg>
EffectDialogHost::CreatePropertiesDialog(EffectEditSession& session, bool insideSettings,
                                         QWidget* parent) {
    return std::make_unique<CEffectPropertiesDlg>(*this, session, insideSettings, parent);
}

bool EffectDialogHost::RunSettingsDialog(CEffectObj& effect, bool recordUndo) {
    const std::unique_ptr<EffectEditSession> session = BeginEdit(effect, recordUndo);
    std::unique_ptr<CEffectSettingsDlg> dialog = CreateSettingsDialog(*session, DialogParent());
    if (!dialog) {
        std::unique_ptr<CEffectPropertiesDlg> properties =
            CreatePropertiesDialog(*session, false, DialogParent());
        return properties->exec() == QDialog::Accepted;
    }
    return dialog->exec() == QDialog::Accepted;
}

bool EffectDialogHost::RunTransformDialog(CEffectObj& effect, bool recordUndo) {
    const std::unique_ptr<EffectEditSession> session = BeginEdit(effect, recordUndo);
    std::unique_ptr<CEffectPropertiesDlg> dialog =
        CreatePropertiesDialog(*session, false, DialogParent());
    return dialog->exec() == QDialog::Accepted;
}

bool EffectDialogHost::StartPreview(const CEffectObj& effect) {
    mainWnd_.PlayFromScene(SceneOf(effect));
    return mainWnd_.IsPlaying();
}

void EffectDialogHost::StopPreview() {
    mainWnd_.StopMovie();
}

bool EffectDialogHost::IsPreviewPlaying() const {
    return mainWnd_.IsPlaying();
}

} // namespace tavro::editor
