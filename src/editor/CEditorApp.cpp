#include "editor/CEditorApp.h"

#include "editor/CMainDlg.h"
#include "editor/CViewWnd.h"
#include "editor/DesktopShellOpener.h"
#include "editor/QtAppSettings.h"
#include "editor/QtDialogService.h"

#include <QAction>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

namespace tavro::editor {

CEditorApp::CEditorApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QStringLiteral("Tavro"));
    setApplicationName(QStringLiteral("Tavro"));
    setApplicationDisplayName(QStringLiteral("Tavro"));
    setApplicationVersion(QStringLiteral("0.06"));
    setDesktopFileName(QStringLiteral("org.tavro.Tavro"));
    settings_ = std::make_unique<QtAppSettings>();
    dialogs_ = std::make_unique<QtDialogService>();
    shell_ = std::make_unique<DesktopShellOpener>();
}

CEditorApp::~CEditorApp() = default;

int CEditorApp::Run() {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Tavro: text animations for web pages."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("MOVIE.swi"), QStringLiteral("The movie to open."),
                                 QStringLiteral("[MOVIE.swi]"));
    // For automated runs: play the opened movie at once (see CViewWnd for grabbing the stage).
    QCommandLineOption playOption(QStringLiteral("play"), QStringLiteral("Play the movie."));
    playOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(playOption);
    parser.process(*this);

    EditorServices services;
    services.dialogs = dialogs_.get();
    services.settings = settings_.get();
    services.shell = shell_.get();
    mainWnd_ = std::make_unique<CMainDlg>(services);
    mainWnd_->show();
    // The stage window opens beside the main window, as the View menu's Preview shows it.
    if (CViewWnd* stage = mainWnd_->ViewWnd())
        stage->show();

    const QStringList args = parser.positionalArguments();
    if (!args.isEmpty()) {
        QString path = args.join(QLatin1Char(' '));
        path.remove(QLatin1Char('"'));
        if (!path.isEmpty())
            mainWnd_->OpenFile(QFileInfo(path).absoluteFilePath());
    }
    if (parser.isSet(playOption))
        QTimer::singleShot(0, mainWnd_.get(),
                           [this] { mainWnd_->Action(CMainDlg::Command::Play)->trigger(); });
    const int status = exec();
    mainWnd_.reset();
    return status;
}

} // namespace tavro::editor
