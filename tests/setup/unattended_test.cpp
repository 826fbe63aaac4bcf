// Unattended and logged runs on the headless machine: the command line's switches,
// a silent run that installs what the dialogs install without showing a window,
// the exit code of every way a run ends, and the log.

#include <gtest/gtest.h>

#include "common/text.hpp"
#include "package/resource.hpp"
#include "setup/command_line.hpp"
#include "support/installed_product.hpp"
#include "support/package_bytes.hpp"
#include "support/wizard_machine.hpp"

namespace instalator::setup {
namespace {

using common::Cp1250;
using platform::RunOutcome;
using platform::Step;
using testing::InstallerMachine;

std::string Describe(const CommandLine& line) {
    const core::Switches& s = line.switches;
    if (!line.error.empty()) return "error: " + common::Utf8FromCp1250(line.error);
    std::string text;
    if (s.silent) text += "S ";
    if (s.force) text += "FORCE ";
    if (s.noRestart) text += "NORESTART ";
    if (s.help) text += "? ";
    if (s.targetDir) text += "D[" + common::Utf8FromCp1250(*s.targetDir) + "] ";
    if (s.group) text += "G[" + common::Utf8FromCp1250(*s.group) + "] ";
    if (s.logPath) text += "LOG[" + *s.logPath + "] ";
    return text;
}

TEST(CommandLineTest, ReadsSwitchesAndValuesWithBlanks) {
    const std::pair<const char8_t*, const char8_t*> cases[] = {
        {u8"", u8""},
        {u8"/s /D=C:\\Cichy Katalog /LOG=C:\\setup.log", u8"S D[C:\\Cichy Katalog] LOG[C:\\setup.log] "},
        {u8"/D=C:\\Zażółć gęślą /S", u8"S D[C:\\Zażółć gęślą] "},
        {u8"\"/D=C:\\A /S B\" /force", u8"FORCE D[C:\\A /S B] "},
        {u8"/D=\"C:\\A /S B\"  /NoRestart", u8"NORESTART D[C:\\A /S B] "},
        {u8"/D=C:\\A/B /G=Narzędzia biurowe", u8"D[C:\\A/B] G[Narzędzia biurowe] "},
        {u8"/D=C:\\A /QUIET", u8"error: Nieznany przełącznik: /QUIET"},
        {u8"/D=C:\\A /1 B", u8"D[C:\\A /1 B] "},
        {u8"/?", u8"? "},
        {u8"/S /X", u8"error: Nieznany przełącznik: /X"},
        {u8"/S /S", u8"error: Przełącznik /S podano dwa razy"},
        {u8"/S=1", u8"error: Przełącznik /S nie przyjmuje wartości"},
        {u8"/LOG=", u8"error: Przełącznik /LOG wymaga wartości po \"=\""},
        {u8"/D=Programy", u8"error: Przełącznik /D wymaga pełnej ścieżki katalogu, np. /D=C:\\Programy\\Quill07"},
        {u8"/G=..", u8"error: Przełącznik /G wymaga nazwy jednej grupy, bez znaków \\ / : * ? \" < > |"},
        {u8"/G=a\\..\\..\\b", u8"error: Przełącznik /G wymaga nazwy jednej grupy, bez znaków \\ / : * ? \" < > |"},
        {u8"install", u8"error: Nieznany argument: install"},
        {u8"/Sx", u8"error: Nieznany przełącznik: /Sx"},
        {u8"\"/D=C:\\x", u8"error: Nieznany argument: \"/D=C:\\x"},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(Describe(ParseCommandLine(Cp1250(line))), reinterpret_cast<const char*>(expected))
            << reinterpret_cast<const char*>(line);
    }
}

// A product machine ready for a run with the given arguments.
struct Product {
    InstallerMachine m;

    explicit Product(const std::map<std::string, std::string>& entries = testing::ProductEntries(),
                     const std::string& script = testing::kProductScript) {
        testing::PrepareMachine(m);
        testing::PrepareWizard(m, script, true, true, entries);
    }
    RunOutcome Run(const std::string& arguments) {
        m.machine.system.SetArguments(arguments);
        return m.RunInstaller();
    }
    std::vector<std::string> LogLines() {
        std::vector<std::string> lines;
        const std::string log = m.Read("C:\\setup.log");
        for (std::size_t at = 0; at < log.size();) {
            const std::size_t end = log.find("\r\n", at);
            lines.push_back(log.substr(at, end - at));
            at = end == std::string::npos ? log.size() : end + 2;
        }
        return lines;
    }
};

std::string WithSecondVolume() {
    std::string script = testing::kProductScript;
    const std::string one = "Count=1\r\nItem1=Setup1.res";
    script.replace(script.find(one), one.size(), "Count=2\r\nItem1=Setup1.res\r\nItem2=Setup2.res");
    return script + "[Setup2.res]\r\nCount=1\r\nItem1=Extra.txt\r\n";
}

// A silent run installs what the dialogs install: the same files, log and registry,
// with no window shown and exit code 0.
TEST(UnattendedTest, SilentRunLeavesTheMachineAsTheDialogsDo) {
    InstallerMachine dialogs;
    testing::PrepareMachine(dialogs);
    testing::InstallProduct(dialogs);

    Product silent;
    const RunOutcome outcome = silent.Run("/S /LOG=C:\\setup.log");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(testing::ShownForms(silent.m.machine.ui).empty());
    EXPECT_TRUE(testing::ModalForms(silent.m.machine.ui).empty());
    const std::vector<std::string> log = silent.LogLines();
    silent.m.machine.files.RemoveFile("C:\\setup.log");
    EXPECT_EQ(testing::MachineState(silent.m), testing::MachineState(dialogs));

    for (const char* line : {"Zapisano C:\\APP\\App.exe", "Zapisano C:\\APP\\Uninst.exe", "Zapisano C:\\APP\\Parts.dll",
                             "Zapisano C:\\APP\\DOC\\Help.txt", "Zapisano C:\\WINDOWS\\SYSTEM\\Shared.dll",
                             "Zarejestrowano C:\\APP\\Parts.dll", "Skrót C:\\MENU\\Kalamarz\\Pioro.lnk -> C:\\APP\\App.exe"}) {
        const std::string utf8 = common::Utf8FromCp1250(Cp1250(reinterpret_cast<const char8_t*>(line)));
        EXPECT_NE(std::find(log.begin(), log.end(), utf8), log.end()) << line;
    }
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), reinterpret_cast<const char*>(u8"Wynik: 0 (instalacja zakończona pomyślnie)"));
}

// Every way a silent run ends, with its exit code, what is on the disk and the log
// line that says why.
TEST(UnattendedTest, EachOutcomeHasItsExitCode) {
    struct Case {
        const char* name;
        const char8_t* arguments;
        std::function<void(Product&)> arrange;
        int exitCode;
        const char8_t* present;  // a file there afterwards
        const char8_t* absent;   // a file not there afterwards
        const char8_t* logLine;
    };
    const auto shortSpace = [](Product& p) { p.m.machine.system.SetFreeDiskSpace('C', 100000); };
    const auto secondVolume = [](const std::string& bytes) {
        return [bytes](Product& p) {
            testing::PrepareWizard(p.m, WithSecondVolume(), true, true, testing::ProductEntries());
            if (!bytes.empty()) p.m.Write("C:\\DIST\\Setup2.res", bytes);
        };
    };
    testing::Bytes damaged = testing::BuildPackage({{"Extra.txt"}});
    testing::Put32(damaged, package::kHeaderSize, 20000000);
    const Case cases[] = {
        {"target with blanks and Polish letters", u8"/S /D=C:\\Cichy Katalog ąę /G=Narzędzia /LOG=C:\\setup.log",
         nullptr, 0, u8"C:\\MENU\\Narzędzia\\Pioro.lnk", u8"C:\\APP\\App.exe",
         u8"Katalog docelowy: C:\\Cichy Katalog ąę\\"},
        {"a file in use", u8"/S /LOG=C:\\setup.log",
         [](Product& p) {
             p.m.Write("C:\\APP\\App.exe", "running");
             p.m.machine.files.Lock("C:\\APP\\App.exe");
         },
         3010, u8"C:\\APP\\App.q07", nullptr,
         u8"Plik w użyciu: C:\\APP\\App.exe; nowa kopia C:\\APP\\App.q07 zastąpi go po ponownym uruchomieniu systemu"},
        {"too little space", u8"/S /LOG=C:\\setup.log", shortSpace, 3, nullptr, u8"C:\\APP\\App.exe",
         u8"Za mało wolnego miejsca na dysku C:\\: 100000 / 1000000 bajtów (wolne / potrzebne)"},
        {"too little space, forced", u8"/S /FORCE /LOG=C:\\setup.log", shortSpace, 0, u8"C:\\APP\\App.exe", nullptr,
         u8"Instalacja trwa dalej (/FORCE)"},
        {"a missing second volume", u8"/S /LOG=C:\\setup.log", secondVolume(""), 2, u8"C:\\APP\\App.exe",
         u8"C:\\APP\\Extra.txt", u8"Brak pakietu instalacyjnego C:\\DIST\\Setup2.res"},
        {"a damaged second volume", u8"/S /LOG=C:\\setup.log",
         secondVolume(std::string(damaged.begin(), damaged.end())), 2, u8"C:\\APP\\App.exe", u8"C:\\APP\\Extra.txt",
         u8"Pakiet instalacyjny \"Setup2.res\" jest uszkodzony: nie można poprawnie rozpakować pliku \"Extra.txt\". "
         u8"Instalacja zostanie przerwana."},
        {"a write failure", u8"/S /LOG=C:\\setup.log",
         [](Product& p) {
             p.m.machine.files.CreateDirectory("C:\\APP");
             p.m.machine.files.FailWrites("C:\\APP\\Parts.q07", 1);
         },
         4, u8"C:\\APP\\App.exe",
         u8"C:\\APP\\Parts.dll", u8"Błąd zapisu pliku C:\\APP\\Parts.dll"},
        {"a target that cannot be made", u8"/S /D=C:\\BLOCK\\APP /LOG=C:\\setup.log",
         [](Product& p) { p.m.Write("C:\\BLOCK", "a file"); }, 5, nullptr, u8"C:\\APP\\App.exe",
         u8"Nie można utworzyć katalogu docelowego C:\\BLOCK\\APP\\"},
        {"an error the default error box would show", u8"/S /LOG=C:\\setup.log",
         [](Product& p) {
             p.m.Write("C:\\APP\\Setup.uni", "");
             p.m.machine.files.Lock("C:\\APP\\Setup.uni");
         },
         6, nullptr, u8"C:\\APP\\App.exe", u8"Błąd: Unable to write to C:\\APP\\Setup.uni"},
        {"an unknown switch", u8"/S /LOG=C:\\setup.log /QUIET", nullptr, 1, nullptr, u8"C:\\APP",
         u8"Nieznany przełącznik: /QUIET"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Product p;
        if (c.arrange) c.arrange(p);
        const RunOutcome outcome = p.Run(Cp1250(c.arguments));
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        EXPECT_TRUE(testing::ShownForms(p.m.machine.ui).empty());
        if (c.present != nullptr) {
            EXPECT_TRUE(p.m.machine.files.FileExists(Cp1250(c.present))) << "missing";
        }
        if (c.absent != nullptr) {
            EXPECT_FALSE(p.m.machine.files.FileExists(Cp1250(c.absent)) ||
                         p.m.machine.files.DirectoryExists(Cp1250(c.absent)))
                << "present";
        }
        const std::vector<std::string> log = p.LogLines();
        EXPECT_NE(std::find(log.begin(), log.end(), reinterpret_cast<const char*>(c.logLine)), log.end())
            << p.m.Read("C:\\setup.log");
        ASSERT_FALSE(log.empty());
        EXPECT_TRUE(log.back().starts_with("Wynik: " + std::to_string(c.exitCode) + " (")) << log.back();
    }
}

// Through the dialogs, /LOG gives the exit codes too; without /S or /LOG every run
// ends with 0, as it always has, unless the command line is refused.
TEST(UnattendedTest, DialogRunsReportOnlyWithALog) {
    struct Case {
        const char* name;
        const char* arguments;
        std::vector<Step> steps;
        int exitCode;
        bool shortSpace;
        bool installed;  // into the directory of /D
    };
    const Step cancel[] = {Step::Click("TMakeSure", "BitBtn1"), Step::Answer(platform::kIdYes)};
    const std::vector<Step> spaceNo = {Step::Click("TMakeSure", "SpeedButton1"), Step::Click("TSelectDirectory", "BitBtn1"),
                                       Step::Answer(platform::kIdYes), Step::Click("TGrupa", "BitBtn1"),
                                       Step::Answer(platform::kIdNo)};
    const std::vector<Step> done = {Step::Click("TMakeSure", "SpeedButton1"), Step::Click("TSelectDirectory", "BitBtn1"),
                                    Step::Click("TGrupa", "BitBtn1"), Step::Click("TFinish", "BitBtn2")};
    const Case cases[] = {
        {"given up, logged", "/LOG=C:\\setup.log", {cancel[0], cancel[1]}, 1, false, false},
        {"given up", "", {cancel[0], cancel[1]}, 0, false, false},
        {"no to the space question, logged", "/LOG=C:\\setup.log", spaceNo, 3, true, false},
        {"no to the space question", "", spaceNo, 0, true, false},
        {"installed into the directory of /D, logged", "/D=C:\\Inny katalog /LOG=C:\\setup.log", done, 0, false, true},
        {"an unknown switch: a box, nothing installed", "/X", {Step::Answer(platform::kIdOk)}, 1, false, false},
        {"the switches shown, nothing installed", "/?", {Step::Answer(platform::kIdOk)}, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Product p;
        if (c.shortSpace) p.m.machine.system.SetFreeDiskSpace('C', 100000);
        p.m.machine.files.CreateDirectory("C:\\Inny katalog");
        for (const Step& step : c.steps) p.m.machine.ui.AddStep(step);
        EXPECT_EQ(p.Run(c.arguments).exitCode, c.exitCode);
        EXPECT_EQ(p.m.machine.files.FileExists("C:\\Inny katalog\\App.exe"), c.installed);
    }
}

// With /NORESTART the restart dialog is not offered; the code still says a restart
// is needed.
TEST(UnattendedTest, NoRestartSkipsTheRestartDialog) {
    Product p;
    p.m.Write("C:\\APP\\App.exe", "running");
    p.m.machine.files.Lock("C:\\APP\\App.exe");
    p.m.machine.ui.AddSteps({Step::Click("TMakeSure", "SpeedButton1"), Step::Click("TSelectDirectory", "BitBtn1"),
                             Step::Click("TGrupa", "BitBtn1"), Step::Click("TFinish", "BitBtn2")});
    EXPECT_EQ(p.Run("/NORESTART /LOG=C:\\setup.log").exitCode, 3010);
    const std::vector<std::string> modal = testing::ModalForms(p.m.machine.ui);
    EXPECT_EQ(std::count(modal.begin(), modal.end(), "TRestartME"), 0);
    EXPECT_EQ(p.m.machine.shell.Restarts(), 0);
}

}  // namespace
}  // namespace instalator::setup
