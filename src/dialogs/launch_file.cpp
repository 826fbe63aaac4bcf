#include "dialogs/launch_file.hpp"

#include "core/main_form.hpp"

namespace instalator::dialogs {

bool LaunchFile(core::Installer& run, const std::string& file, const std::string& params,
                const std::string& directory, int showCmd) {
    return run.Machine.shell.StartFile(run.Windows.Main.get(), file, params, directory, showCmd);
}

}  // namespace instalator::dialogs
