// tern-flash: the Tern Update Program's engine for a terminal and for scripts.
#include <CLI/CLI.hpp>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CheckCommand.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/InstallCommand.h"
#include "cli/InterruptGate.h"
#include "cli/JsonReport.h"
#include "cli/ListCommand.h"
#include "cli/OutOfMemory.h"
#include "cli/OutputFormat.h"
#include "devlink/DriverBitness.h"
#include "engine/Checksum.h"
#include "platform/InterruptWatcher.h"
#include "platform/LibrarySearch.h"
#include "platform/Terminal.h"

namespace {

constexpr char kExitStatuses[] =
    "Exit status: 0 success, 1 usage error, 2 device link or discovery failure (or another\n"
    "installation is running), 3 the file did not load or is refused (its transfer would\n"
    "fail, it holds no firmware, or its schedule is too long), 4 the transfer failed,\n"
    "5 nothing was written: a limit of the system (the CPU-time limit, ulimit -t, or memory)\n"
    "cannot cover the transfer, 6 the command did its work but its output could not be\n"
    "written (a full disk), 128+N install ended by signal N: before its transfer began\n"
    "(130 Ctrl+C, 143 SIGTERM, 129 a closed terminal), or held during it and acted on once\n"
    "it had ended.";

// A SHA-256 as published: 64 hex digits, either case.
const CLI::Validator kSha256Hex(
    [](std::string& text) {
        return tern::ParseDigest(text) ? std::string()
                                       : "a SHA-256 is 64 hex digits, not '" + text + "'";
    },
    "");

// Whether the command line asks for JSON before any "--", read before parsing: a usage error
// may stop the parse before the flag is reached.
bool JsonBeforeOperands(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            return false;
        }
        if (arg == "--json") {
            return true;
        }
    }
    return false;
}

// The command the line names, read before parsing, for what is said when even parsing cannot
// go on: "" when none is named.
const char* CommandNamed(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* command : {"list", "check", "install"}) {
            if (std::string_view(argv[i]) == command) {
                return command;
            }
        }
    }
    return "";
}

int Install(const std::string& path, const std::optional<tern::platform::Sha256Digest>& sha256,
            tern::cli::OutputFormat format) {
    const bool json = format == tern::cli::OutputFormat::Json;
    std::ostream discarded(nullptr);  // the document, printed at the end, takes the text's place
    tern::cli::Console console(json ? discarded : std::cout, std::cerr);
    tern::cli::InterruptGate gate(console);
    // Before any other thread exists, so that every thread leaves the signals to it.
    tern::platform::InterruptWatcher watcher([&gate](int signal) { gate.Interrupt(signal); });
    const auto style = tern::platform::StandardOutputIsTerminal()
                           ? tern::cli::TerminalProgress::Style::Bar
                           : tern::cli::TerminalProgress::Style::Lines;
    const tern::cli::InstallReport report =
        tern::cli::RunInstall(path, console, gate, style, sha256);
    if (json) {
        std::cout << tern::cli::InstallDocument(report) << std::flush;
    }
    return report.result.exitStatus;
}

// A command that did its work but could not write its output to standard output (a full
// disk, /dev/full) ends with a status of its own, so a script cannot take the missing text or
// document for the result. A command that failed keeps its own status, and a reader that went
// away (`| head`) took what it wanted.
int AfterOutput(int status) {
    std::cout.flush();
    if (std::cout.good() || status != tern::cli::kExitSuccess ||
        tern::platform::StandardOutputReaderGone()) {
        return status;
    }
    std::cerr << "Standard output could not be written (a full disk or device?): the output is "
                 "incomplete."
              << std::endl;
    return tern::cli::kExitOutput;
}

int Run(int argc, char** argv) {
    // A reader that goes away (`| head`) makes a write fail, never ends the program: least of
    // all during a transfer, which no output can hold back.
    tern::platform::IgnoreBrokenPipe();
    CLI::App app{"Install firmware into the Ostrel, and validate update files.", "tern-flash"};
    app.set_version_flag("--version", "tern-flash " TERN_VERSION);
    app.require_subcommand(1);
    // The same command line on every platform: "/" starts a path, never an option.
    app.allow_windows_style_options(false);
    app.footer(kExitStatuses);
    bool json = false;
    app.add_flag("--json", json, "Print one JSON document on standard output instead of text");
    // Inherited by the subcommands made below: "--json" may also follow the subcommand.
    app.fallthrough();

    app.add_subcommand("list", "List the bus nodes, which are an Ostrel, and their ports.");

    std::string checkPath;
    CLI::App* check = app.add_subcommand(
        "check",
        "Validate an update file and play it dry: what an installation would send, for "
        "how long, and how it would end. Touches no device.");
    check->add_option("FILE", checkPath, "the update file (.mid)")->required();

    std::string installPath;
    CLI::App* install = app.add_subcommand(
        "install", "Find the Ostrel and install an update file into its firmware port.");
    install->add_option("FILE", installPath, "the update file (.mid)")->required();
    std::string installSha256;
    install
        ->add_option("--sha256", installSha256,
                     "Refuse the file, before the device is looked for, unless its SHA-256 is "
                     "HEX (64 hex digits)")
        ->type_name("HEX")
        ->check(kSha256Hex);
    install->footer(std::string("Ctrl+C, Ctrl+\\, SIGTERM or a closed terminal ends the program "
                                "until the transfer begins; while it runs they, Ctrl+Z and every "
                                "other signal a program can catch are held until it has ended. "
                                "SIGKILL and SIGSTOP cannot be held.\n\n") +
                    kExitStatuses);

    const bool jsonBeforeOperands = JsonBeforeOperands(argc, argv);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& caught) {
        // An operand found missing may only be missing because an unknown option stood in its
        // place (`check --bogus`): the option set aside is the fault to name then.
        std::optional<CLI::ExtrasError> unexpected;
        if (const std::vector<std::string> extras = app.remaining(true);
            dynamic_cast<const CLI::RequiredError*>(&caught) && !extras.empty()) {
            unexpected.emplace(extras);
        }
        const CLI::ParseError& e = unexpected ? *unexpected : caught;
        // Help and version end with 0; every other parse failure is a usage error.
        if (app.exit(e) == 0) {
            return tern::cli::kExitSuccess;
        }
        // CLI11 ends only a subcommand at "--" when the subcommand takes no more operands, and
        // reads a "--json" after it as the flag: that counts too.
        if (jsonBeforeOperands || app.count("--json") > 0) {
            // The command, when the parse got as far as it: "check" missing its FILE.
            const std::vector<CLI::App*> named = app.get_subcommands();
            std::cout << tern::cli::UsageDocument(
                             named.empty() ? nullptr : named.front()->get_name().c_str(), e.what())
                      << std::flush;
        }
        return tern::cli::kExitUsage;
    }

    const auto format = json ? tern::cli::OutputFormat::Json : tern::cli::OutputFormat::Text;
    if (app.got_subcommand("list")) {
        return tern::cli::RunList(std::cout, std::cerr, format);
    }
    if (check->parsed()) {
        return tern::cli::RunCheck(checkPath, std::cout, std::cerr, format);
    }
    if (install->parsed()) {
        std::optional<tern::platform::Sha256Digest> sha256;
        if (!installSha256.empty()) {
            sha256 = tern::ParseDigest(installSha256);
        }
        return Install(installPath, sha256, format);
    }
    return tern::cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    // Paths in any script show as they are named, on a console too.
    tern::platform::ShowUtf8OnConsole();
    // Before anything can load a library: the device link's server above all.
    if (!tern::platform::RestrictLibrarySearch()) {
        std::cerr << "tern-flash: " << tern::platform::kLibrarySearchRefused << std::endl;
        return tern::cli::kExitDeviceLink;
    }
    // A bus driver registered for the other bitness alone is served by the other build: it
    // runs the command in this one's place, on the same streams, and its status is ours.
    if (const std::string other = tern::HandOverTarget(); !other.empty()) {
        if (const std::optional<int> status = tern::platform::HandOver(other, true)) {
            return *status;
        }
    }
    // Every command ends with its outcome or a clear message, under any memory limit: what
    // runs out of memory where no result can carry it ends here, and is said in fixed words.
    try {
        return AfterOutput(Run(argc, argv));
    } catch (const std::bad_alloc&) {
        return tern::cli::ReportOutOfMemory(CommandNamed(argc, argv),
                                            JsonBeforeOperands(argc, argv));
    }
}
