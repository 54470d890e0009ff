#include "player/host/QtPlayerApp.h"

#include "player/host/QtPlayerAutomation.h"
#include "player/host/QtPlayerDialogs.h"
#include "player/host/QtPlayerWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>

namespace tavro::player {

int RunPlayerApplication(QApplication& app) {
    app.setOrganizationName(QStringLiteral("Tavro"));
    app.setApplicationName(QStringLiteral("TavroPlayer"));
    app.setApplicationDisplayName(QStringLiteral("Tavro Player"));
    app.setApplicationVersion(QStringLiteral("0.1.0"));
    app.setDesktopFileName(QStringLiteral("org.tavro.Player"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Tavro Player: plays SWF movies."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE.swf"), QStringLiteral("The movie to play."),
                                 QStringLiteral("[FILE.swf]"));
    QCommandLineOption fullScreen(QStringLiteral("full-screen"),
                                  QStringLiteral("Start in full screen (Esc leaves it)."));
    parser.addOption(fullScreen);
    parser.process(app);

    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tavro"),
                       QStringLiteral("TavroPlayer"));
    QtPlayerStandardDialogs dialogs;
    QtPlayerWindow window(settings, dialogs);
    QtPlayerAutomation automation(window);
    window.show();
    if (parser.isSet(fullScreen))
        window.SetFullScreen(true);

    const QStringList args = parser.positionalArguments();
    if (!args.isEmpty()) {
        const QString path = QFileInfo(args.front()).absoluteFilePath();
        // Once the window is up, so that an error message has a window to belong to.
        QTimer::singleShot(0, &window, [&window, path] { window.OpenFile(path); });
    }
    return app.exec();
}

} // namespace tavro::player
