// Pictures of the effect dialogs for a person to look at: opens a movie in the real main window,
// shows each effect dialog beside it in turn and saves the dialog and the whole screen as PNG
// files. Run it on a display (a virtual one will do):
//
//   xvfb-run -a -s "-screen 0 1600x1000x24" build/tests/effect_dialog_shots
//       examples/letters.swi examples/effects.swi OUT_FOLDER
//
// A test helper only: it is neither a test nor installed.
#include "editor/CCharacterPickerDlg.h"
#include "editor/CEffectPropertiesDlg.h"
#include "editor/CEffectSettingsDlg.h"
#include "editor/CMainDlg.h"
#include "editor/CTypewriterEffectDlg.h"
#include "editor/EffectDialogHost.h"
#include "editor/EffectEditSession.h"
#include "editor/QtAppSettings.h"
#include "editor/QtDialogService.h"
#include "effects/CEffectAlternate.h"
#include "effects/CEffectExplode.h"
#include "effects/CEffectFadeIn.h"
#include "effects/CEffectScaleLetter.h"
#include "effects/CEffectShow.h"
#include "effects/CEffectSlide.h"
#include "effects/CEffectSqueeze.h"
#include "effects/CEffectTransform.h"
#include "effects/CEffectTypewriter.h"
#include "effects/CEffectWave.h"
#include "export/ShellOpener.h"
#include "model/CSceneObj.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>

using namespace tavro;
using namespace tavro::editor;

namespace {

template <class T> T* FirstEffect(CDocObj& doc) {
    for (const auto& scene : doc.GetChildList()) {
        for (const auto& obj : scene->GetChildList()) {
            if (auto* symbol = DynamicCast<CSymbolObj>(obj.get())) {
                for (const auto& effect : symbol->GetEffectList().GetChildList()) {
                    if (auto* e = DynamicCast<T>(effect.get()))
                        return e;
                }
            }
        }
    }
    return nullptr;
}

void Settle(int ms = 300) {
    for (int i = 0; i < ms / 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

void Save(QWidget* dialog, const QString& folder, const QString& name) {
    dialog->move(40, 440); // below the stage window
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    Settle();
    dialog->grab().save(folder + QStringLiteral("/") + name + QStringLiteral(".png"));
    QGuiApplication::primaryScreen()->grabWindow(0).save(folder + QStringLiteral("/") + name +
                                                         QStringLiteral("-screen.png"));
    std::printf("%s\n", qPrintable(name));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: effect_dialog_shots LETTERS.swi EFFECTS.swi OUT_FOLDER\n");
        return 2;
    }
    const QString letters = QString::fromLocal8Bit(argv[1]);
    const QString effects = QString::fromLocal8Bit(argv[2]);
    const QString out = QString::fromLocal8Bit(argv[3]);
    QDir().mkpath(out);
    QTemporaryDir home;
    QtAppSettings settings(home.filePath(QStringLiteral("Tavro.ini")));
    QtDialogService dialogs;
    RecordingShellOpener shell;
    EditorServices services;
    services.dialogs = &dialogs;
    services.settings = &settings;
    services.shell = &shell;
    CMainDlg main(services);
    main.move(700, 40);
    main.show();
    EffectDialogHost& host = main.EffectDialogs();

    const auto settingsShot = [&](CEffectObj* effect, const char* name,
                                  const std::function<void(CEffectSettingsDlg&)>& extra = {}) {
        if (effect == nullptr)
            return;
        auto session = host.BeginEdit(*effect, false);
        auto dialog = host.CreateSettingsDialog(*session, &main);
        Save(dialog.get(), out, QString::fromLatin1(name));
        if (extra)
            extra(*dialog);
        dialog->reject();
    };
    const auto propertiesShot = [&](CEffectObj* effect, const char* name, int tab) {
        if (effect == nullptr)
            return;
        auto session = host.BeginEdit(*effect, false);
        auto dialog = host.CreatePropertiesDialog(*session, false, &main);
        if (tab >= 0)
            dialog->Tabs()->setCurrentIndex(tab);
        Save(dialog.get(), out, QString::fromLatin1(name));
        dialog->reject();
    };

    if (!main.OpenFile(letters))
        return 1;
    CDocObj& doc = main.Document();
    settingsShot(FirstEffect<CEffectWave>(doc), "wave-letters");
    settingsShot(FirstEffect<CEffectExplode>(doc), "explode-effect");
    settingsShot(
        FirstEffect<CEffectTypewriter>(doc), "typewriter-effect", [&](CEffectSettingsDlg& dialog) {
            auto& typewriter = static_cast<CTypewriterEffectDlg&>(dialog);
            CCharacterPickerDlg picker(typewriter.TextFont(), typewriter.CursorCode(), &dialog);
            Save(&picker, out, QStringLiteral("character-picker"));
        });
    settingsShot(FirstEffect<CEffectSqueeze>(doc), "squeeze-effect");
    settingsShot(FirstEffect<CEffectScaleLetter>(doc), "scaling-letters-effect");
    settingsShot(FirstEffect<CEffectAlternate>(doc), "alternating-letters",
                 [&](CEffectSettingsDlg& dialog) {
                     dialog.PreviewButton()->click();
                     Settle(1500);
                     Save(&dialog, out, QStringLiteral("alternating-letters-preview"));
                     dialog.PreviewButton()->click();
                 });
    propertiesShot(FirstEffect<CEffectWave>(doc), "properties-wave-transform", -1);
    propertiesShot(FirstEffect<CEffectWave>(doc), "properties-wave-start-at", 0);

    if (!main.OpenFile(effects))
        return 1;
    settingsShot(FirstEffect<CEffectSlide>(main.Document()), "slide-effect");
    propertiesShot(FirstEffect<CEffectShow>(main.Document()), "properties-show", -1);
    propertiesShot(FirstEffect<CEffectFadeIn>(main.Document()), "properties-fade-in", -1);
    propertiesShot(FirstEffect<CEffectTransform>(main.Document()), "properties-transform", -1);
    main.close();
    return 0;
}
