// tavro-cli publish MOVIE -o PAGE.html: the page that embeds the movie and the movie beside it
// (PAGE.swf), as the editor's Publish writes them.
#include "CliCommand.h"
#include "DocumentFiles.h"

#include "export/AppSettings.h"
#include "export/ExportCommands.h"
#include "model/CDocObj.h"

#include <iostream>
#include <memory>
#include <string>

namespace tavro::cli {
namespace {

struct PublishOptions {
    std::string movie;
    std::string output;
    std::string codebaseHost;
    std::string pluginsPageHost;
};

void Setup(CLI::App& app) {
    auto opts = std::make_shared<PublishOptions>();
    auto* cmd = app.add_subcommand(
        "publish", "Publish a movie document as an HTML page with the SWF movie beside it");
    cmd->add_option("MOVIE", opts->movie, "Movie document to publish (.swi or .json)")->required();
    cmd->add_option("-o,--output", opts->output,
                    "HTML page to write; the movie goes beside it with the extension .swf")
        ->required();
    cmd->add_option("--codebase-host", opts->codebaseHost,
                    "Host name of the player cabinet URL in the page");
    cmd->add_option("--plugins-page-host", opts->pluginsPageHost,
                    "Host name of the player download page URL in the page");
    cmd->callback([opts] {
        const std::unique_ptr<CDocObj> doc = LoadDocumentFile(opts->movie);
        MemorySettings settings;
        if (!opts->codebaseHost.empty())
            settings.SetString("Publish", "CodebaseHost", opts->codebaseHost);
        if (!opts->pluginsPageHost.empty())
            settings.SetString("Publish", "PluginsPageHost", opts->pluginsPageHost);
        const ExportResult result = ExportCommands::PublishTo(*doc, opts->output, &settings);
        if (!result.ok)
            throw CliError(result.message);
    });
}

const CliCommandRegistrar registrar(Setup);

} // namespace
} // namespace tavro::cli
