// Tavro's player side of the web page stage (tests/html5.cmake), with the headless host exactly as
// tavro-cli drives it:
//
//   html5_player frames MOVIE.swf OUT_DIR LAST
//       writes OUT_DIR/ours-0.png ... ours-LAST.png in one run: frame N is the picture after N
//       frame steps, as `tavro-cli render MOVIE --frame N` draws it (anti-aliased)
//   html5_player gestures MOVIE.swf GESTURE...
//       plays the movie and applies the gestures in order: "m:X,Y" moves the mouse to stage
//       pixel (X, Y) with the button as it is, "d" presses it, "u" releases it, "s" plays one
//       frame. Prints each GetURL request as "INDEX<TAB>GetURL<TAB>URL<TAB>TARGET" and, after each
//       gesture, the cursor the player asks for as "INDEX<TAB>cursor<TAB>KIND" (0 arrow, 2 hand),
//       where INDEX counts the gestures from 0.
#include "player/actions/ActionEngine.h"
#include "player/actions/UrlRequest.h"
#include "player/host/HeadlessHost.h"
#include "player/host/HeadlessPngWriter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace tavro::player;

int Frames(HeadlessHost& host, const std::string& out, int last) {
    for (int frame = 0; frame <= last; ++frame) {
        if (frame > 0)
            host.StepFrame();
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        std::string error;
        const std::string path = out + "/ours-" + std::to_string(frame) + ".png";
        if (!host.Snapshot(rgba, w, h) || !HeadlessPngWriter::Write(path, rgba, w, h, error)) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
            return 1;
        }
    }
    return 0;
}

int Gestures(HeadlessHost& host, int count, char** gestures) {
    int index = 0;
    if (ActionEngine* engine = host.Engine())
        engine->SetRequestObserver([&](const UrlRequest& r) {
            std::printf("%d\tGetURL\t%s\t%s\n", index, r.url.c_str(), r.target.c_str());
        });
    int x = 0, y = 0;
    bool down = false;
    for (index = 0; index < count; ++index) {
        const char* g = gestures[index];
        if (std::strncmp(g, "m:", 2) == 0 && std::sscanf(g + 2, "%d,%d", &x, &y) == 2) {
            host.MouseMove(x, y, down);
        } else if (std::strcmp(g, "d") == 0) {
            down = true;
            host.MouseDown(x, y);
        } else if (std::strcmp(g, "u") == 0) {
            down = false;
            host.MouseUp(x, y);
        } else if (std::strcmp(g, "s") == 0) {
            host.StepFrame();
        } else {
            std::fprintf(stderr, "unknown gesture %s\n", g);
            return 2;
        }
        std::printf("%d\tcursor\t%d\n", index, host.UpdateCursor());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool frames = argc == 5 && std::strcmp(argv[1], "frames") == 0;
    const bool gestures = argc >= 3 && std::strcmp(argv[1], "gestures") == 0;
    if (!frames && !gestures) {
        std::fprintf(stderr, "usage: html5_player frames MOVIE.swf OUT_DIR LAST\n"
                             "       html5_player gestures MOVIE.swf GESTURE...\n");
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    HeadlessHost host;
    host.SetQuality(true, host.BestQuality());
    host.Load(bytes.data(), bytes.size());
    if (!host.Loaded()) {
        std::fprintf(stderr, "%s: not a playable SWF movie\n", argv[2]);
        return 1;
    }
    return frames ? Frames(host, argv[3], std::atoi(argv[4])) : Gestures(host, argc - 3, argv + 3);
}
