#include "cli.hpp"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <exception>

#include "commands.hpp"
#include "package/resource.hpp"
#include "report.hpp"
#include "usage.hpp"

namespace instalator::respack {
namespace {

// The options a command takes.
enum Option : unsigned {
    kDirectory = 1,     // -d DIR
    kNoCatalogue = 2,   // --no-catalogue
    kOutput = 4,        // -o DIR
    kSetup = 8,         // --setup PATH
    kFillSpace = 16,    // --fill-space
    kVolumeSize = 32,   // --volume-size N
    kJobs = 64,         // -j N, --jobs N
    kQuiet = 128,       // -q, --quiet
};

struct Command {
    std::string_view name;
    std::string_view synopsis;
    std::size_t minOperands;
    std::size_t maxOperands;
    unsigned options;
    int (*run)(const Arguments&);
    std::string_view help;
};

constexpr Command kCommands[] = {
    {"create", "respack create PACKAGE", 1, 1, 0, CreateCommand, kCreateHelp},
    {"add", "respack add [--no-catalogue] [-j N] [-q] PACKAGE FILE...", 2, SIZE_MAX, kNoCatalogue | kJobs | kQuiet,
     AddCommand, kAddHelp},
    {"list", "respack list PACKAGE", 1, 1, 0, ListCommand, kListHelp},
    {"extract", "respack extract PACKAGE [-d DIR] [NAME...]", 1, SIZE_MAX, kDirectory, ExtractCommand, kExtractHelp},
    {"test", "respack test PACKAGE", 1, 1, 0, TestCommand, kTestHelp},
    {"check", "respack check [-q] SCRIPT", 1, 1, kQuiet, CheckCommand, kCheckHelp},
    {"build",
     "respack build [-o DIR] [--setup PATH] [--fill-space] [--volume-size N|diskette] [-j N] [-q] SCRIPT", 1, 1,
     kOutput | kSetup | kFillSpace | kVolumeSize | kJobs | kQuiet, BuildCommand, kBuildHelp},
    {"unpack", "respack unpack [-q] DIST [-d DIR]", 1, 1, kDirectory | kQuiet, UnpackCommand, kUnpackHelp},
};

const Command* FindCommand(std::string_view name) {
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command& command) { return command.name == name; });
    return found == std::end(kCommands) ? nullptr : found;
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") return false;
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

// One option of a command: where CLI11 puts its value, and what is said when the
// value is missing or empty.
struct ValueOption {
    unsigned flag;
    const char* names;  // as CLI11 takes them
    const char* missing;
};

constexpr ValueOption kValueOptions[] = {
    {kDirectory, "-d", "option -d needs a directory"},
    {kOutput, "-o", "option -o needs a directory"},
    {kSetup, "--setup", "option --setup needs the path of Setup.exe"},
    {kVolumeSize, "--volume-size", "option --volume-size needs a size"},
    {kJobs, "-j,--jobs", "option -j needs a number of threads"},
};

std::string* ValueOf(unsigned flag, Arguments& parsed, std::string& volumeSize, std::string& jobs) {
    switch (flag) {
    case kDirectory: return &parsed.directory;
    case kOutput: return &parsed.output;
    case kSetup: return &parsed.setup;
    case kVolumeSize: return &volumeSize;
    default: return &jobs;
    }
}

// The command's arguments through CLI11; the help texts and the messages stay
// respack's own.
Arguments ParseOptions(const Command& command, const std::vector<std::string>& args) {
    CLI::App app;
    app.set_help_flag();  // --help is answered before parsing, with respack's texts
    app.allow_extras();   // unknown options are named below
    Arguments parsed;
    std::string volumeSize;
    std::string jobs;
    std::vector<std::pair<CLI::Option*, const ValueOption*>> valued;
    for (const ValueOption& rule : kValueOptions) {
        if ((command.options & rule.flag) == 0) continue;
        valued.emplace_back(app.add_option(rule.names, *ValueOf(rule.flag, parsed, volumeSize, jobs)), &rule);
    }
    bool noCatalogue = false;
    if (command.options & kNoCatalogue) app.add_flag("--no-catalogue", noCatalogue);
    if (command.options & kFillSpace) app.add_flag("--fill-space", parsed.fillSpace);
    if (command.options & kQuiet) app.add_flag("-q,--quiet", parsed.quiet);
    app.add_option("operands", parsed.operands);
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch& e) {
        for (const auto& [option, rule] : valued) {
            if (option->count() > 1) throw UsageError("option " + option->get_name() + " given more than once");
            if (std::string(e.what()).find(option->get_name()) != std::string::npos) throw UsageError(rule->missing);
        }
        throw UsageError(e.what());
    } catch (const CLI::ParseError& e) {
        throw UsageError(e.what());
    }
    for (const std::string& extra : app.remaining()) {
        if (extra != "--") throw UsageError("unknown option " + Quoted(extra));  // "--" ends the options
    }
    for (const auto& [option, rule] : valued) {
        if (option->count() > 0 && ValueOf(rule->flag, parsed, volumeSize, jobs)->empty()) throw UsageError(rule->missing);
    }
    parsed.catalogue = !noCatalogue;
    if (!volumeSize.empty()) {
        const auto size = ParseVolumeSize(volumeSize);
        if (!size) {
            throw UsageError("option --volume-size takes bytes (K and M allowed) or \"diskette\", not " + Quoted(volumeSize));
        }
        parsed.volumeSize = *size;
    }
    if (!jobs.empty()) {
        const auto count = ParseVolumeSize(jobs);
        if (!count || *count > 256 || jobs.find_first_not_of("0123456789") != std::string::npos) {
            throw UsageError("option -j takes a number of threads from 1 to 256, not " + Quoted(jobs));
        }
        parsed.jobs = static_cast<unsigned>(*count);
    }
    return parsed;
}

Arguments Parse(const Command& command, const std::vector<std::string>& args) {
    Arguments parsed = ParseOptions(command, args);
    if (parsed.operands.size() < command.minOperands) throw UsageError("missing arguments");
    if (parsed.operands.size() > command.maxOperands) throw UsageError("too many arguments");
    if (parsed.operands.front().empty()) {
        const bool script = command.name == "build" || command.name == "check";
        throw UsageError(script ? "the script name is empty"
                         : command.name == "unpack" ? "the distribution folder name is empty"
                                                    : "the package name is empty");
    }
    return parsed;
}

// Runs the command and reports whatever ends it early.
int RunGuarded(const Command& command, const Arguments& args) {
    const std::string& package = args.operands.front();
    try {
        return command.run(args);
    } catch (const package::FormatError& e) {
        Complain(package, e.what());
    } catch (const common::IoError& e) {
        Complain(e.path().empty() ? package : e.path(), e.what());
    } catch (const std::exception& e) {
        Complain(package, e.what());
    }
    return kFailure;
}

}  // namespace

std::optional<std::int64_t> ParseVolumeSize(std::string_view text) {
    if (text == "diskette") return kDisketteBytes;
    std::int64_t unit = 1;
    if (!text.empty() && (text.back() == 'K' || text.back() == 'k')) unit = 1024;
    if (!text.empty() && (text.back() == 'M' || text.back() == 'm')) unit = 1024 * 1024;
    if (unit != 1) text.remove_suffix(1);
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    const std::int64_t value = std::stoll(std::string(text)) * unit;
    if (value <= 0 || value > package::kMaxPackageSize) return std::nullopt;
    return value;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) {
        ComplainAboutUsage("missing command (see respack --help)");
        return kUsage;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        PrintText(kToolHelp);
        return kSuccess;
    }
    if (args[0] == "--version") {
        PrintText(kVersionText);
        return kSuccess;
    }
    const Command* command = FindCommand(args[0]);
    if (command == nullptr) {
        ComplainAboutUsage("unknown command " + Quoted(args[0]) + " (see respack --help)");
        return kUsage;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (WantsHelp(rest)) {
        PrintText(command->help);
        return kSuccess;
    }
    Arguments parsed;
    try {
        parsed = Parse(*command, rest);
    } catch (const UsageError& e) {
        ComplainAboutUsage(std::string(command->name) + ": " + e.what() + " (usage: " +
                           std::string(command->synopsis) + ")");
        return kUsage;
    }
    return RunGuarded(*command, parsed);
}

int ArgumentError(int index, std::string_view reason) {
    ComplainAboutUsage("argument " + std::to_string(index) + ": " + std::string(reason));
    return kUsage;
}

}  // namespace instalator::respack
