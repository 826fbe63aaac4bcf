#pragma once
// The headless machine: a Windows machine in a folder for tests. Its drives are host
// directories, its registry lives in memory, its system facts are set by the test and
// its user is a script. Run() starts an entry point (the installer's) on it and
// reports how the run ended.

#include <functional>
#include <stdexcept>
#include <string>

#include "platform/headless/file_system.hpp"
#include "platform/headless/shell.hpp"
#include "platform/headless/system.hpp"
#include "platform/headless/ui.hpp"
#include "platform/memory_registry.hpp"
#include "platform/platform.hpp"

namespace instalator::platform {

// A run that did not go as the script foresaw: an interaction the script did not
// answer, or script steps left unused.
class HeadlessRunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RunOutcome {
    enum class End {
        EndInstaller,  // the installer ended itself (EndInstaller)
        Returned,      // the entry point returned (the message loop ended by itself)
    };
    End end = End::Returned;
    int exitCode = 0;
    std::string where;  // the event during which EndInstaller ran
};

class HeadlessMachine {
public:
    HeadlessMachine() : system(files), shell(files) {}
    HeadlessMachine(const HeadlessMachine&) = delete;
    HeadlessMachine& operator=(const HeadlessMachine&) = delete;

    Platform GetPlatform() { return {files, registry, system, ui, shell}; }

    // Runs entry on this machine. Throws HeadlessRunError when the script did not
    // foresee an interaction or has steps left; other errors pass through.
    RunOutcome Run(const std::function<int(Platform&)>& entry);

    HeadlessFileSystem files;
    MemoryRegistry registry;
    HeadlessSystem system;
    HeadlessUi ui;
    HeadlessShell shell;
};

}  // namespace instalator::platform
