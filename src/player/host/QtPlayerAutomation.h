// Hooks for automated runs of the player window, read from the environment:
//
//   TAVRO_FRAME_LOG=FILE        "stage W H" (the stage's size in pixels), then one line per
//                               frame round: "frame N period P tick T paint A shown S movie F"
//                               (milliseconds, and the movie's frame after the round; see
//                               QtPlayerHost::FrameTiming); "-" is standard error
//   TAVRO_TEST_CLICK=X,Y@F;...  after F frame rounds, a left click at stage pixel (X, Y)
//   TAVRO_TEST_GRAB=OUT.png     with TAVRO_TEST_GRAB_FRAMES=N: after N frame rounds (and the
//                               clicks of those frames), the stage as the screen shows it is
//                               saved and the program ends (status 0, or 1 when the picture
//                               cannot be written)
//   TAVRO_TEST_QUIT_AFTER_MS=MS the window closes this long after the first frame round
//
// The clicks go through the stage widget's own mouse handlers, as the window system's would.
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <cstdio>
#include <vector>

namespace tavro::player {

class QtPlayerWindow;

class QtPlayerAutomation : public QObject {
    Q_OBJECT
public:
    // Installs whatever the environment asks for on `window` (nothing when it asks nothing).
    explicit QtPlayerAutomation(QtPlayerWindow& window);
    ~QtPlayerAutomation() override;

private:
    struct Click {
        QPoint at;
        int frame = 0;
    };

    void OnFrame(int frame);
    void Grab();

    QtPlayerWindow& window_;
    std::vector<Click> clicks_;
    QString grabPath_;
    int grabFrames_ = -1;
    bool grabbed_ = false;
    int quitAfterMs_ = -1;
    bool quitArmed_ = false;
    FILE* log_ = nullptr;
    bool ownLog_ = false;
    bool logStarted_ = false;
};

} // namespace tavro::player
