// tavro-player as a program: the command line, the settings file, the window and the hooks for
// automated runs.
//
//   tavro-player [--full-screen] [FILE.swf]
//
// Settings are kept in ~/.config/Tavro/TavroPlayer.ini (the XDG config folder).
#pragma once

class QApplication;

namespace tavro::player {

// Sets the application's names, shows the window (opening the file named on the command line)
// and runs the event loop; returns the exit status.
int RunPlayerApplication(QApplication& app);

} // namespace tavro::player
