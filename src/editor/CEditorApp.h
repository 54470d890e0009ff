// The application: the settings, dialogs and shell the editor uses, and the main window, which
// lives for the whole run.
#pragma once

#include <QApplication>

#include <memory>

namespace tavro::editor {

class CMainDlg;
class DesktopShellOpener;
class QtAppSettings;
class QtDialogService;

class CEditorApp : public QApplication {
    Q_OBJECT
public:
    CEditorApp(int& argc, char** argv);
    ~CEditorApp() override;

    // Shows the main window, opens the movie named on the command line, runs until the main
    // window closes; the exit status.
    int Run();

    CMainDlg* MainWnd() const { return mainWnd_.get(); }

private:
    std::unique_ptr<QtAppSettings> settings_;
    std::unique_ptr<QtDialogService> dialogs_;
    std::unique_ptr<DesktopShellOpener> shell_;
    std::unique_ptr<CMainDlg> mainWnd_;
};

} // namespace tavro::editor
