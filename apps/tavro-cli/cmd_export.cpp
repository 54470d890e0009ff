// tavro-cli export MOVIE -o OUT.swf: the SWF movie of a document, as the editor's Export To SWF
// writes it.
#include "CliCommand.h"
#include "DocumentFiles.h"

#include "export/MovieExport.h"
#include "model/CDocObj.h"

#include <memory>
#include <string>

namespace tavro::cli {
namespace {

struct ExportOptions {
    std::string movie;
    std::string output;
};

void Setup(CLI::App& app) {
    auto opts = std::make_shared<ExportOptions>();
    auto* cmd = app.add_subcommand("export", "Export a movie document to an SWF movie");
    cmd->add_option("MOVIE", opts->movie, "Movie document to export (.swi or .json)")->required();
    cmd->add_option("-o,--output", opts->output, "SWF file to write")->required();
    cmd->callback([opts] {
        const std::unique_ptr<CDocObj> doc = LoadDocumentFile(opts->movie);
        if (std::string error; !ExportMovieToFile(*doc, opts->output, &error))
            throw CliError(error);
    });
}

const CliCommandRegistrar registrar(Setup);

} // namespace
} // namespace tavro::cli
