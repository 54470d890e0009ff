// tavro-cli version: prints the program version.
#include "CliCommand.h"

#include <iostream>

namespace tavro::cli {
namespace {

void Setup(CLI::App& app) {
    auto* cmd = app.add_subcommand("version", "Print the version of tavro-cli");
    cmd->callback([] { std::cout << "tavro-cli 0.1.0\n"; });
}

const CliCommandRegistrar registrar(Setup);

} // namespace
} // namespace tavro::cli
