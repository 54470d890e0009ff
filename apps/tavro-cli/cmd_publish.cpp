// tavro-cli publish MOVIE -o PAGE.html: the page that embeds the movie and the movie beside it
// (PAGE.swf), as the editor's Publish writes them; with --html5, one self-contained web page
// that plays the movie in today's browsers, as the editor's Publish for Web Browsers writes it.
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
    bool html5 = false;
    bool fixed = false;
};

void Run(const PublishOptions& o) {
    if (o.html5) {
        // A document is exported in memory first, exactly as the editor does; an SWF movie is
        // read as it is.
        const std::vector<uint8_t> swf = ReadMovieBytes(o.movie);
        const ExportResult result = ExportCommands::WriteHtml5Page(swf, o.movie, o.output, o.fixed);
        if (!result.ok)
            throw CliError(result.message);
        return;
    }
    const std::unique_ptr<CDocObj> doc = LoadDocumentFile(o.movie);
    MemorySettings settings;
    if (!o.codebaseHost.empty())
        settings.SetString("Publish", "CodebaseHost", o.codebaseHost);
    if (!o.pluginsPageHost.empty())
        settings.SetString("Publish", "PluginsPageHost", o.pluginsPageHost);
    const ExportResult result = ExportCommands::PublishTo(*doc, o.output, &settings);
    if (!result.ok)
        throw CliError(result.message);
}

void Setup(CLI::App& app) {
    auto opts = std::make_shared<PublishOptions>();
    auto* cmd = app.add_subcommand(
        "publish", "Publish a movie as an HTML page with the SWF movie beside it, or (--html5) "
                   "as one web page that plays it without a plug-in");
    cmd->add_option("MOVIE", opts->movie,
                    "Movie to publish: a document (.swi or .json); with --html5 also an SWF movie")
        ->required();
    cmd->add_option("-o,--output", opts->output,
                    "HTML page to write; without --html5 the movie goes beside it with the "
                    "extension .swf")
        ->required();
    auto* html5 = cmd->add_flag("--html5", opts->html5,
                                "Write one self-contained page that plays the movie with its own "
                                "script (no plug-in, no other files)");
    cmd->add_flag("--fixed", opts->fixed,
                  "With --html5: show the stage at its own size instead of fitting it to the "
                  "window")
        ->needs(html5);
    cmd->add_option("--codebase-host", opts->codebaseHost,
                    "Host name of the player cabinet URL in the page")
        ->excludes(html5);
    cmd->add_option("--plugins-page-host", opts->pluginsPageHost,
                    "Host name of the player download page URL in the page")
        ->excludes(html5);
    cmd->callback([opts] { Run(*opts); });
}

const CliCommandRegistrar registrar(Setup);

} // namespace
} // namespace tavro::cli
