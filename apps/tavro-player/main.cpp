// tavro-player [--full-screen] [FILE.swf]: the standalone SWF player.
#include "player/host/QtPlayerApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return tavro::player::RunPlayerApplication(app);
}
