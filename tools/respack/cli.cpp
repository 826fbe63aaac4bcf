#include "cli.hpp"

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

// The value after the option at args[i], which must not be empty.
std::string Value(const std::vector<std::string>& args, std::size_t& i, const std::string& missing) {
    if (i + 1 == args.size() || args[i + 1].empty()) throw UsageError(missing);
    return args[++i];
}

Arguments Parse(const Command& command, const std::vector<std::string>& args) {
    Arguments parsed;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (command.options & kDirectory) && arg == "-d") {
            parsed.directory = Value(args, i, "option -d needs a directory");
        } else if (options && (command.options & kNoCatalogue) && arg == "--no-catalogue") {
            parsed.catalogue = false;
        } else if (options && (command.options & kOutput) && arg == "-o") {
            parsed.output = Value(args, i, "option -o needs a directory");
        } else if (options && (command.options & kSetup) && arg == "--setup") {
            parsed.setup = Value(args, i, "option --setup needs the path of Setup.exe");
        } else if (options && (command.options & kFillSpace) && arg == "--fill-space") {
            parsed.fillSpace = true;
        } else if (options && (command.options & kVolumeSize) && arg == "--volume-size") {
            const std::string value = Value(args, i, "option --volume-size needs a size");
            const auto size = ParseVolumeSize(value);
            if (!size) throw UsageError("option --volume-size takes bytes (K and M allowed) or \"diskette\", not " + Quoted(value));
            parsed.volumeSize = *size;
        } else if (options && (command.options & kJobs) && (arg == "-j" || arg == "--jobs")) {
            const std::string value = Value(args, i, "option " + arg + " needs a number of threads");
            const auto jobs = ParseVolumeSize(value);
            if (!jobs || *jobs < 1 || *jobs > 256 || value.find_first_not_of("0123456789") != std::string::npos) {
                throw UsageError("option " + arg + " takes a number of threads from 1 to 256, not " + Quoted(value));
            }
            parsed.jobs = static_cast<unsigned>(*jobs);
        } else if (options && (command.options & kQuiet) && (arg == "-q" || arg == "--quiet")) {
            parsed.quiet = true;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + Quoted(arg));
        } else {
            parsed.operands.push_back(arg);
        }
    }
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
