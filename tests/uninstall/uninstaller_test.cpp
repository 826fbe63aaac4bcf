// Uninst.exe's process entry on the headless machine: its command line, the question,
// the progress window, the final report and the restart offer, and the exit codes of
// every way it ends, with and without /S.

#include <gtest/gtest.h>

#include "platform/memory_registry.hpp"
#include "support/engine_run.hpp"
#include "support/wizard_machine.hpp"
#include "support/installed_product.hpp"
#include "uninstall/command_line.hpp"
#include "uninstall/uninstaller.hpp"

namespace instalator::uninstall {
namespace {

using platform::kIdNo;
using platform::kIdYes;
using platform::Step;
using testing::InstallerMachine;
using Names = std::vector<std::string>;

const std::string kQuestion = "Odinstalowanie|Czy na pewno chcesz usunąć aplikację \"Pioro\" i wszystkie jej składniki ?";
const std::string kDone = "Odinstalowanie|Aplikacja \"Pioro\" została usunięta z Twojego komputera.";

struct Ended {
    int exitCode = -1;
    Names boxes;
    bool appLeft = false;
};

Ended Uninstall(InstallerMachine& m, const std::string& arguments, std::vector<Step> steps) {
    m.machine.system.SetExecutablePath("C:\\APP\\Uninst.exe");
    m.machine.system.SetArguments(arguments);
    for (Step& step : steps) m.machine.ui.AddStep(std::move(step));
    const std::size_t installerBoxes = testing::Boxes(m.machine.ui).size();
    Ended run;
    run.exitCode = m.machine.Run(RunUninstaller).exitCode;
    run.boxes = testing::Boxes(m.machine.ui);
    run.boxes.erase(run.boxes.begin(), run.boxes.begin() + static_cast<std::ptrdiff_t>(installerBoxes));
    run.appLeft = m.machine.files.FileExists("C:\\APP\\App.exe");
    return run;
}

TEST(UninstallerTest, EveryWayItEnds) {
    struct Case {
        const char* name;
        std::string arguments;
        bool inUse;
        std::vector<Step> steps;
        int exitCode;
        Names boxes;
        bool appLeft;
        int restarts;
    };
    const std::string log = "C:\\APP\\Setup.uni";
    const std::string inUse = "Odinstalowanie|Aplikacja \"Pioro\" została usunięta tylko częściowo.\n\n"
                              "Pliki w użyciu, które zostaną usunięte po ponownym uruchomieniu systemu:\n"
                              "C:\\APP\\App.exe\nC:\\APP";
    const std::string restart = "Odinstalowanie|Aby dokończyć usuwanie, należy ponownie uruchomić system. "
                                "Czy zrestartować system teraz ?";
    const std::string broken = "Odinstalowanie|Plik \"C:\\APP\\Setup.uni\" jest uszkodzony: brak wartości Count "
                               "w sekcji [Application].\n\nNic nie zostało usunięte.";
    const Case cases[] = {
        {"yes", log, false, {Step::Answer(kIdYes), Step::Answer(platform::kIdOk)}, 0, {kQuestion, kDone}, false, 0},
        {"no", log, false, {Step::Answer(kIdNo)}, 1, {kQuestion}, true, 0},
        {"silent", "/S " + log, false, {}, 0, {}, false, 0},
        {"silent, in use", "/s \"" + log + "\"", true, {}, 3, {}, true, 0},
        {"in use, restart", log, true,
         {Step::Answer(kIdYes), Step::Answer(platform::kIdOk), Step::Answer(kIdYes)}, 3,
         {kQuestion, inUse, restart}, true, 1},
        {"no argument", "", false, {Step::Answer(platform::kIdOk)}, 2,
         {"Odinstalowanie|Nie podano pliku Setup.uni, według którego należy usunąć aplikację.\n\n"
          "Nic nie zostało usunięte."}, true, 0},
        {"relative path, silent", "/S Setup.uni", false, {}, 2, {}, true, 0},
        {"damaged log", log, false, {Step::Answer(platform::kIdOk)}, 2, {broken}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        testing::PrepareMachine(m);
        testing::InstallProduct(m);
        if (c.inUse) m.machine.files.Lock("C:\\APP\\App.exe");
        if (std::string(c.name) == "damaged log") m.Write(log, "[Application]\r\nTitle=Pioro\r\n");
        const int before = m.machine.shell.Restarts();
        const Ended run = Uninstall(m, c.arguments, c.steps);
        EXPECT_EQ(run.exitCode, c.exitCode);
        Names expected;
        for (const std::string& box : c.boxes) expected.push_back(box);
        EXPECT_EQ(run.boxes, expected);
        EXPECT_EQ(run.appLeft, c.appLeft);
        EXPECT_EQ(m.machine.shell.Restarts() - before, c.restarts);
        // The progress window comes between the question and the report.
        const bool removing = !c.boxes.empty() && (c.exitCode == 0 || c.exitCode == 3);
        EXPECT_EQ(testing::ShownForms(m.machine.ui).back() == "TUninstalling", removing);
    }
}

TEST(UninstallerTest, TheUninstallEntrysCommandRemovesAnInstallationInAPathWithBlanks) {
    InstallerMachine m;
    testing::PrepareMachine(m);
    std::string script = testing::kProductScript;
    script.replace(script.find("C:\\APP"), 6, "C:\\Moje Programy");
    testing::InstallProduct(m, script, testing::ProductEntries(), "C:\\Moje Programy");
    const auto entry = m.machine.registry.OpenRoot(platform::RootKey::LocalMachine)
                           ->OpenSubKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quill07 HTML Editor",
                                        platform::KeyAccess::Read);
    const std::string command = entry->QueryString("UnInstallString").value_or("");
    EXPECT_EQ(command, "\"C:\\Moje Programy\\Uninst.exe\" \"C:\\Moje Programy\\Setup.uni\"");
    m.machine.system.SetExecutablePath(Split(command).first);
    // What follows the quoted program, as the system passes it on.
    m.machine.system.SetArguments("/S " + command.substr(command.find('"', 1) + 2));
    EXPECT_EQ(m.machine.Run(RunUninstaller).exitCode, 0);
    EXPECT_EQ(m.machine.registry.Dump().find("Quill07 HTML Editor"), std::string::npos);
    EXPECT_FALSE(m.machine.files.FileExists("C:\\Moje Programy\\App.exe"));
    // Unquoted, the whole rest of the line is the path.
    EXPECT_EQ(ParseArguments(" C:\\Moje Programy\\Setup.uni ")->logPath, "C:\\Moje Programy\\Setup.uni");
}

}  // namespace
}  // namespace instalator::uninstall
