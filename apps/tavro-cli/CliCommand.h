// Registration of tavro-cli commands. Each command file defines a setup function that adds its
// subcommand to the application and registers it with a file-scope CliCommandRegistrar.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <stdexcept>
#include <string>

namespace tavro::cli {

// A failure that the command reports as "tavro-cli: <message>" on standard error, exit status 1.
// Messages name the file and the reason.
class CliError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Adds one subcommand to `app`. The subcommand's callback does the work and may throw CliError.
using CliSetup = void (*)(CLI::App& app);

void RegisterCliCommand(CliSetup setup);

struct CliCommandRegistrar {
    explicit CliCommandRegistrar(CliSetup setup) { RegisterCliCommand(setup); }
};

} // namespace tavro::cli
