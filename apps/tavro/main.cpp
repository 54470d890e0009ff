// tavro [MOVIE.swi]: the editor.
#include "editor/CEditorApp.h"

int main(int argc, char** argv) {
    tavro::editor::CEditorApp app(argc, argv);
    return app.Run();
}
