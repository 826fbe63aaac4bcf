#include "support/installed_product.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/headless/ui.hpp"
#include "platform/memory_registry.hpp"
#include "support/wizard_machine.hpp"

namespace instalator::testing {

const std::string kProductScript =
    "[Application]\r\nTitle=Pioro\r\nTargetDir=C:\\APP\r\nGroup=Kalamarz\r\nUninstall=Uninst.exe\r\n"
    "[Resources]\r\nCount=1\r\nItem1=Setup1.res\r\n"
    "[Setup1.res]\r\nCount=5\r\nItem1=App.exe\r\nItem1Shell=1\r\nItem1Link=Pioro.lnk\r\nItem2=Uninst.exe\r\n"
    "Item3=Parts.dll\r\nItem3Reg=1\r\nItem4=Help.txt\r\nItem4Dest=Doc\r\nItem5=Shared.dll\r\nItem5Dest=$system\r\n";

std::map<std::string, std::string> ProductEntries() {
    return {{"App.exe", "program"}, {"Uninst.exe", "uninstaller"}, {"Parts.dll", "library"},
            {"Help.txt", "help"}, {"Shared.dll", "shared"}};
}

void PrepareMachine(InstallerMachine& m) {
    platform::MakePath(m.machine.files, "C:\\MENU\\");
    platform::MakePath(m.machine.files, "C:\\WINDOWS\\SYSTEM\\");
    m.machine.registry.SetValue(platform::RootKey::CurrentUser,
                                "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs",
                                platform::kRegSz, std::string("C:\\MENU") + '\0');
    m.machine.registry.OpenRoot(platform::RootKey::LocalMachine)
        ->CreateSubKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
}

void InstallProduct(InstallerMachine& m, const std::string& script, const std::map<std::string, std::string>& entries,
                    const std::string& target) {
    PrepareWizard(m, script, true, true, entries);
    using platform::Step;
    m.machine.ui.AddSteps({Step::Click("TMakeSure", "SpeedButton1"), Step::Click("TSelectDirectory", "BitBtn1")});
    // The directory dialog asks to make a target that is not there yet.
    if (!m.machine.files.DirectoryExists(target)) m.machine.ui.AddStep(Step::Answer(platform::kIdYes));
    m.machine.ui.AddSteps(
        {Step::Click("TGrupa", "BitBtn1"), Step::Click("TFinish", "DoStart"), Step::Click("TFinish", "BitBtn2")});
    m.RunInstaller();
}

std::string MachineState(InstallerMachine& m) {
    const std::filesystem::path drive = m.scratch.path() / "C";
    std::ostringstream out;
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(drive)) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    for (const auto& path : paths) {
        const std::string name = std::filesystem::relative(path, drive).generic_string();
        // The temporary directory and the installation media are not the machine's.
        if (name.starts_with("WINDOWS/TEMP") || name.starts_with("DIST") || name.starts_with("PACKSRC")) continue;
        out << name;
        if (std::filesystem::is_regular_file(path)) out << " = " << std::ifstream(path, std::ios::binary).rdbuf();
        out << "\n";
    }
    return out.str() + m.machine.registry.Dump();
}

void Restart(InstallerMachine& m) {
    for (const auto& queued : m.machine.shell.Renames()) {
        if (!queued.source.empty()) continue;
        if (m.machine.files.DirectoryExists(queued.destination)) {
            m.machine.files.RemoveDirectory(queued.destination);
        } else {
            m.machine.files.RemoveFile(queued.destination);
        }
    }
}

}  // namespace instalator::testing
