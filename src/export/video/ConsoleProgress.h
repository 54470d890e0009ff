// The progress of an export on a text stream: on a terminal a bar that redraws itself in place
// with the frames done, the frames a second and the time left; elsewhere (a log, a pipe) one
// line each time another tenth of the work is done.
#pragma once

#include "export/video/VideoExport.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace tavro::video {

class ConsoleProgress {
public:
    ConsoleProgress(std::FILE* out, bool terminal);

    void Update(const VideoProgress& progress);
    // The work is complete (or stopped): ends the bar's line.
    void Finish();

    // The bar's text for a state of the work (no line end), for a terminal of `columns`.
    static std::string BarText(const VideoProgress& progress, int columns);
    // The line for a log when `tenths` tenths are done.
    static std::string LogLine(const VideoProgress& progress, int tenths);

private:
    std::FILE* out_;
    bool terminal_;
    int tenthsShown_ = 0;
    bool barShown_ = false;
    std::chrono::steady_clock::time_point lastDraw_;
};

} // namespace tavro::video
