#include "support/installer_machine.hpp"

#include <filesystem>

#include "common/strings.hpp"
#include "core/installer.hpp"
#include "package/resource.hpp"
#include "setup/run_installer.hpp"

namespace instalator::testing {

InstallerMachine::InstallerMachine() {
    for (const char drive : {'C', 'A'}) {
        const auto dir = scratch.path() / std::string(1, drive);
        std::filesystem::create_directories(dir);
        machine.files.MapDrive(drive, dir);
    }
    platform::MakePath(machine.files, kTempDir);
    machine.system.SetEnvironmentVariable("temp", "C:\\WINDOWS\\TEMP");
}

void InstallerMachine::Write(const std::string& path, const std::string& text) {
    platform::MakePath(machine.files, path);
    auto file = machine.files.Open(path, platform::OpenMode::Create);
    file->Write(text.data(), text.size());
    file->Close();
}

std::string InstallerMachine::Read(const std::string& path) {
    auto file = machine.files.Open(path, platform::OpenMode::Read);
    std::string text(static_cast<std::size_t>(file->Size()), '\0');
    text.resize(file->Read(text.data(), text.size()));
    return text;
}

void InstallerMachine::MakePackage(const std::string& path, const std::map<std::string, std::string>& entries) {
    package::TResourceClass package(machine.files, kTempDir);
    platform::MakePath(machine.files, path);
    if (!package.CreatePackage(path)) throw std::runtime_error("cannot create package " + path);
    for (const auto& [name, content] : entries) {
        const std::string source = "C:\\PACKSRC\\" + name;
        Write(source, content);
        package.AddFile(source);
    }
}

void InstallerMachine::PrepareInstaller(const std::string& script) {
    MakePackage("C:\\DIST\\Setup1.res", {{"Setup.lst", script}});
    machine.system.SetExecutablePath("C:\\DIST\\SETUP.EXE");
}

platform::RunOutcome InstallerMachine::RunInstaller() { return machine.Run(setup::RunInstaller); }

}  // namespace instalator::testing
