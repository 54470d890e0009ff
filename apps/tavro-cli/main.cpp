// tavro-cli: the Tavro engine without a window, for scripts and tests.
#include "CliCommand.h"

#include <exception>
#include <iostream>
#include <vector>

namespace tavro::cli {

static std::vector<CliSetup>& Commands() {
    static std::vector<CliSetup> commands;
    return commands;
}

void RegisterCliCommand(CliSetup setup) {
    Commands().push_back(setup);
}

} // namespace tavro::cli

int main(int argc, char** argv) {
    CLI::App app{"tavro-cli: export, convert, inspect and render Tavro movies without a window"};
    app.require_subcommand(1);
    for (auto setup : tavro::cli::Commands())
        setup(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    } catch (const tavro::cli::CliError& e) {
        std::cerr << "tavro-cli: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "tavro-cli: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
