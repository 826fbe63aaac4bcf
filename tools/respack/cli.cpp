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

struct Command {
    std::string_view name;
    std::string_view synopsis;
    std::size_t minOperands;
    std::size_t maxOperands;
    bool takesDirectory;
    bool takesNoCatalogue;
    int (*run)(const Arguments&);
    std::string_view help;
};

constexpr Command kCommands[] = {
    {"create", "respack create PACKAGE", 1, 1, false, false, CreateCommand, kCreateHelp},
    {"add", "respack add [--no-catalogue] PACKAGE FILE...", 2, SIZE_MAX, false, true, AddCommand, kAddHelp},
    {"list", "respack list PACKAGE", 1, 1, false, false, ListCommand, kListHelp},
    {"extract", "respack extract PACKAGE [-d DIR] [NAME...]", 1, SIZE_MAX, true, false, ExtractCommand,
     kExtractHelp},
    {"test", "respack test PACKAGE", 1, 1, false, false, TestCommand, kTestHelp},
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

Arguments Parse(const Command& command, const std::vector<std::string>& args) {
    Arguments parsed;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && command.takesDirectory && arg == "-d") {
            if (i + 1 == args.size()) throw UsageError("option -d needs a directory");
            parsed.directory = args[++i];
            if (parsed.directory.empty()) throw UsageError("option -d needs a directory");
        } else if (options && command.takesNoCatalogue && arg == "--no-catalogue") {
            parsed.catalogue = false;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + Quoted(arg));
        } else {
            parsed.operands.push_back(arg);
        }
    }
    if (parsed.operands.size() < command.minOperands) throw UsageError("missing arguments");
    if (parsed.operands.size() > command.maxOperands) throw UsageError("too many arguments");
    if (parsed.operands.front().empty()) throw UsageError("the package name is empty");
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
