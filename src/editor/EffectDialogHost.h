// The editor's side of the effects' Edit operations: opens an effect's settings dialog or its
// "Effect Properties" dialog as one transactional edit (EffectEditSession), records the undo
// step through the main window, and plays the previews in the stage window. The main window
// installs it when it is built and takes it away when it goes.
#pragma once

#include "effects/CEffectObj.h"

#include <QObject>

#include <memory>

class QWidget;

namespace tavro::editor {

class CEffectPropertiesDlg;
class CEffectSettingsDlg;
class CMainDlg;
class DialogService;
class EffectEditSession;

class EffectDialogHost : public QObject, public CEffectObj::DialogHost {
    Q_OBJECT
public:
    EffectDialogHost(CMainDlg& mainWnd, DialogService& dialogs);
    ~EffectDialogHost() override;

    // Modal dialogs; true when the user pressed OK. An effect without a settings dialog of its
    // own gets "Effect Properties".
    bool RunSettingsDialog(CEffectObj& effect, bool recordUndo) override;
    bool RunTransformDialog(CEffectObj& effect, bool recordUndo) override;

    // The pieces the Run operations put together, for callers that show the dialogs themselves.
    std::unique_ptr<EffectEditSession> BeginEdit(CEffectObj& effect, bool recordUndo);
    // The settings dialog of the effect's class, or none.
    std::unique_ptr<CEffectSettingsDlg> CreateSettingsDialog(EffectEditSession& session,
                                                             QWidget* parent);
    std::unique_ptr<CEffectPropertiesDlg>
    CreatePropertiesDialog(EffectEditSession& session, bool insideSettings, QWidget* parent);

    DialogService& Dialogs() { return dialogs_; }
    QWidget* DialogParent();

    // Plays the movie in the stage window from the first frame of the effect's scene; false
    // when nothing plays.
    bool StartPreview(const CEffectObj& effect);
    void StopPreview();
    bool IsPreviewPlaying() const;

Q_SIGNALS:
    // The movie in the stage window stopped, whoever stopped it.
    void previewStopped();

private:
    CMainDlg& mainWnd_;
    DialogService& dialogs_;
};

} // namespace tavro::editor
