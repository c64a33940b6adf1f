// tern-flash: the Tern Update Program's engine for a terminal and for scripts.
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "cli/CheckCommand.h"
#include "cli/ExitStatus.h"

int main(int argc, char** argv) {
    CLI::App app{"Validate Ostrel firmware update files.", "tern-flash"};
    app.set_version_flag("--version", "tern-flash " TERN_VERSION);
    app.require_subcommand(1);

    std::string checkPath;
    CLI::App* check =
        app.add_subcommand("check", "Load an update file and print its header and track table.");
    check->add_option("FILE", checkPath, "the update file (.mid)")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version end with 0; every other parse failure is a usage error.
        return app.exit(e) == 0 ? tern::cli::kExitSuccess : tern::cli::kExitUsage;
    }

    if (check->parsed()) {
        return tern::cli::RunCheck(checkPath, std::cout, std::cerr);
    }
    return tern::cli::kExitUsage;
}
