#pragma once
// A headless machine ready for the installer: drives C: and A: in a scratch
// directory, the Windows and temporary directories made, and helpers to put files
// and packages on it.

#include <map>
#include <string>

#include "platform/headless/machine.hpp"
#include "support/scratch_dir.hpp"

namespace instalator::testing {

class InstallerMachine {
public:
    // The temporary directory of the machine (the "temp" variable), with its "\".
    static constexpr const char* kTempDir = "C:\\WINDOWS\\TEMP\\";

    InstallerMachine();

    // Writes text (cp1250) to a Windows path, making its directories.
    void Write(const std::string& path, const std::string& text);
    std::string Read(const std::string& path);
    // Builds a package at path holding one entry per name with that content.
    void MakePackage(const std::string& path, const std::map<std::string, std::string>& entries);
    // A package at C:\DIST\Setup1.res with Setup.lst = script, the installer at
    // C:\DIST\SETUP.EXE.
    void PrepareInstaller(const std::string& script);

    // Runs the installer's process entry.
    platform::RunOutcome RunInstaller();

    ScratchDir scratch;
    platform::HeadlessMachine machine;
};

}  // namespace instalator::testing
