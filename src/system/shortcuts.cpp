#include "system/shortcuts.hpp"

#include <memory>

#include "common/errors.hpp"
#include "profile/reg_ini_file.hpp"
#include "system/uninstall_entry.hpp"
#include "system/uninstall_log.hpp"

namespace instalator::system {
namespace {

// Everything up to and including the last "\" or ":"; empty for a bare name.
std::string WorkingDirectoryOf(const std::string& target) {
    const std::size_t end = target.find_last_of("\\:");
    return end == std::string::npos ? std::string() : target.substr(0, end + 1);
}

}  // namespace

void InstallIcons(core::Installer& run) {
    const core::InstallerState& state = run.State;
    for (std::size_t i = 0; i < state.ShortCutCount && i < state.ShortCutList.size(); ++i) {
        const core::ShortCutEntry& entry = state.ShortCutList[i];
        CreateShortCut(run, entry.Group, entry.LinkName, entry.Target, entry.Arguments);
    }
    RegisterUninstaller(run);
}

void CreateShortCut(core::Installer& run, const std::string& group, const std::string& linkName,
                    const std::string& target, const std::string& arguments) {
    // The link object comes first: without one, nothing is created for the link.
    const std::unique_ptr<platform::LinkObject> link =
        run.Machine.shell.NewLink({target, arguments, WorkingDirectoryOf(target)});
    // Without a published Programs folder the links go below the current drive's root.
    const std::string groupFolder = core::ProgramsFolder(run.Machine.registry) + "\\" + group;
    try {
        run.Machine.files.CreateDirectory(groupFolder);
    } catch (const common::IoError&) {
        // It exists already, or its parent does not: the save below then fails quietly.
    }
    const std::string linkPath = groupFolder + "\\" + linkName;
    link->Save(linkPath);
    LogShortCut(run, linkPath, groupFolder);
    run.Report.Note(u8"Skrót ", linkPath + " -> " + target + (arguments.empty() ? "" : " " + arguments));
}

}  // namespace instalator::system
