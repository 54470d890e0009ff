// tavro-cli convert IN -o OUT: a movie document from one form to the other (.swi <-> .json),
// byte for byte: converting back gives the original file.
#include "CliCommand.h"
#include "DocumentFiles.h"

#include <memory>
#include <string>

namespace tavro::cli {
namespace {

struct ConvertOptions {
    std::string input;
    std::string output;
};

void Setup(CLI::App& app) {
    auto opts = std::make_shared<ConvertOptions>();
    auto* cmd = app.add_subcommand(
        "convert", "Convert a movie document between the .swi and .json forms, losslessly");
    cmd->add_option("IN", opts->input, "Movie document to read (.swi or .json)")->required();
    cmd->add_option("-o,--output", opts->output, "Document to write (.swi or .json)")->required();
    cmd->footer("The form of each file follows its extension. Converting a file to the other "
                "form and back gives the same bytes.\n");
    cmd->callback([opts] {
        DocumentFormOf(opts->output); // a bad output name is reported before any reading
        WriteDocumentArchive(opts->output, ReadDocumentArchive(opts->input));
    });
}

const CliCommandRegistrar registrar(Setup);

} // namespace
} // namespace tavro::cli
