#include "uninstall/uninstaller.hpp"

#include <optional>

#include "common/text.hpp"
#include "dialogs/dialog_look.hpp"
#include "platform/forms.hpp"
#include "uninstall/command_line.hpp"
#include "uninstall/progress_window.hpp"
#include "uninstall/remover.hpp"

namespace instalator::uninstall {
namespace {

using common::Cp1250;
using dialogs::Quoted;

// How many paths a list in the final report names before it sums up the rest.
constexpr std::size_t kListedPaths = 10;

// The log named on the command line, read and checked.
UninstallLog ReadNamedLog(platform::Platform& machine, const std::optional<Command>& command) {
    if (!command) {
        throw LogError(Cp1250(u8"Nie podano pliku Setup.uni, według którego należy usunąć aplikację."));
    }
    if (!IsPlainAbsolutePath(command->logPath)) {
        throw LogError(Quoted(command->logPath) + Cp1250(u8" nie jest pełną ścieżką pliku Setup.uni."));
    }
    return ReadUninstallLog(machine.files, command->logPath, MachineProtectedDirectories(machine));
}

int ExitCode(const Report& report) { return report.LeftBehind() ? kLeftBehind : kRemoved; }

// A heading and the paths under it, the list cut after kListedPaths.
std::string Listed(const char8_t* heading, const std::vector<std::string>& paths) {
    if (paths.empty()) return {};
    std::string text = "\n\n" + Cp1250(heading);
    for (std::size_t i = 0; i < paths.size() && i < kListedPaths; ++i) text += "\n" + paths[i];
    if (paths.size() > kListedPaths) {
        text += Cp1250(u8"\n… i ") + std::to_string(paths.size() - kListedPaths) + Cp1250(u8" innych");
    }
    return text;
}

std::string ReportText(const std::string& title, const Report& report) {
    std::string text = report.LeftBehind()
                           ? Cp1250(u8"Aplikacja ") + Quoted(title) + Cp1250(u8" została usunięta tylko częściowo.")
                           : Cp1250(u8"Aplikacja ") + Quoted(title) + Cp1250(u8" została usunięta z Twojego komputera.");
    text += Listed(u8"Pozostawiono pliki, które istniały przed instalacją:", report.kept);
    text += Listed(u8"Pliki w użyciu, które zostaną usunięte po ponownym uruchomieniu systemu:", report.atRestart);
    text += Listed(u8"Nie udało się usunąć:", report.failed);
    return text;
}

int RemoveWithWindows(platform::Application& app, platform::Platform& machine, const UninstallLog& log,
                      const std::string& logPath) {
    TUninstalling window(app, log.title);
    app.CreateForm(window);
    window.Show();
    const Report report = Uninstall(machine, log, logPath, [&](std::size_t done, std::size_t total,
                                                               const std::string& path) {
        window.ShowStep(done, total, path);
    });
    window.Hide();
    app.MessageBox(ReportText(log.title, report), kUninstallerTitle, platform::kMbOk);
    if (!report.atRestart.empty() &&
        app.MessageBox(Cp1250(u8"Aby dokończyć usuwanie, należy ponownie uruchomić system. "
                              u8"Czy zrestartować system teraz ?"),
                       kUninstallerTitle, platform::kMbYesNo) == platform::kIdYes) {
        machine.shell.RestartWindows();
    }
    return ExitCode(report);
}

}  // namespace

const char* const kUninstallerTitle = "Odinstalowanie";

int RunUninstaller(platform::Platform& machine) {
    const std::optional<Command> command = ParseArguments(machine.system.Arguments());
    const bool silent = command && command->silent;
    platform::Application app(machine.ui);
    app.SetTitle(kUninstallerTitle);
    UninstallLog log;
    try {
        log = ReadNamedLog(machine, command);
    } catch (const LogError& error) {
        if (!silent) {
            app.MessageBox(error.what() + Cp1250(u8"\n\nNic nie zostało usunięte."), kUninstallerTitle,
                           platform::kMbOk | platform::kMbIconStop);
        }
        return kLogUnusable;
    }
    if (silent) return ExitCode(Uninstall(machine, log, command->logPath, [](std::size_t, std::size_t, const std::string&) {}));
    const std::string question = Cp1250(u8"Czy na pewno chcesz usunąć aplikację ") + Quoted(log.title) +
                                 Cp1250(u8" i wszystkie jej składniki ?");
    if (app.MessageBox(question, kUninstallerTitle, platform::kMbYesNo) != platform::kIdYes) return kDeclined;
    return RemoveWithWindows(app, machine, log, command->logPath);
}

}  // namespace instalator::uninstall
