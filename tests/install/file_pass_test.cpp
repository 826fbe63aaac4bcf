// The file pass over whole small packages on the headless machine: which files are
// written (versions, Rewrite, missing entries), where (destination keywords, files
// in use), what is noted on the way (shortcuts, registration, BytesDone, pictures)
// and the next-diskette prompt.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <span>
#include <sstream>

#include "profile/ini_file.hpp"
#include "common/text.hpp"
#include "core/main_form.hpp"
#include "install/progress.hpp"
#include "dialogs/informations.hpp"
#include "dialogs/select_dir.hpp"
#include "install/file_pass.hpp"
#include "platform/image.hpp"
#include "support/engine_run.hpp"
#include "system/shortcuts.hpp"

namespace instalator::install {
namespace {

using platform::Step;
using testing::Boxes;
using testing::InstallerMachine;
using testing::RunEngine;


std::string Utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

std::string DataFile(const std::string& name) {
    std::ifstream in(std::string(INSTALATOR_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The installer at C:\DIST with Setup1.res holding the script and entries.
void Prepare(InstallerMachine& m, const std::string& script, std::map<std::string, std::string> entries) {
    entries["Setup.lst"] = script;
    m.MakePackage("C:\\DIST\\Setup1.res", entries);
    m.machine.system.SetExecutablePath("C:\\DIST\\SETUP.EXE");
}

std::string OneVolume(const std::string& items, const std::string& more = "") {
    return "[Resources]\r\nCount=1\r\nItem1=Setup1.res\r\n" + more + "[Setup1.res]\r\n" + items;
}

std::string ScriptValue(InstallerMachine& m, const char* section, const std::string& key) {
    return profile::TIniFile(m.machine.files, "C:\\WINDOWS\\TEMP\\Setup.lst").ReadText(section, key, "-");
}

std::string LogValue(InstallerMachine& m, const std::string& section, const char* key) {
    return profile::TIniFile(m.machine.files, "C:\\APP\\Setup.uni").ReadText(section, key, "-");
}

TEST(FilePassTest, ReplacesAnExistingFileOnlyByANewerPackedVersion) {
    const std::string v1234 = DataFile("pe/app32.exe");  // 1.2.3.4
    const std::string v1100 = DataFile("pe/lib32.dll");  // 1.10.0.0
    const std::string none = DataFile("pe/noversion.exe");
    struct Case {
        const char* name;
        std::optional<std::string> existing;
        std::string packed;
        bool written;
    };
    const Case cases[] = {
        {"1.2.3.4 replaced by 1.10.0.0 (numbers, not text)", v1234, v1100, true},
        {"1.10.0.0 kept against 1.2.3.4", v1100, v1234, false},
        {"equal versions kept", v1234, v1234, false},
        {"existing without version replaced", none, v1234, true},
        {"both without version replaced", std::string("old"), "new", true},
        {"packed without version kept", v1234, "new", false},
        {"missing file written", std::nullopt, "new", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        Prepare(m, OneVolume("Count=1\r\nItem1=App.exe\r\nItem1Shell=1\r\nItem1Link=App.lnk\r\n"),
                {{"App.exe", c.packed}});
        if (c.existing) m.Write("C:\\APP\\App.exe", *c.existing);
        std::int32_t bytesDone = -1;
        int shortcuts = 0;
        RunEngine(m, [&](core::Installer& run) {
            InstallResources(run);
            bytesDone = run.State.BytesDone;
            shortcuts = run.State.ShortCutCount;
        });
        EXPECT_EQ(shortcuts, 1);  // recorded whether or not the file is written
        EXPECT_EQ(m.Read("C:\\APP\\App.exe"), c.written ? c.packed : *c.existing);
        EXPECT_EQ(m.machine.files.FileExists("C:\\APP\\Setup.uni"), c.written);
        if (c.written) {
            EXPECT_EQ(LogValue(m, "Item1", "Exists"), c.existing ? "1" : "0");
        }
        EXPECT_EQ(bytesDone, static_cast<std::int32_t>(c.packed.size()));  // written or not
    }
}

TEST(FilePassTest, RewriteOtherThanTrueKeepsExistingFilesOnly) {
    const std::pair<const char*, bool> cases[] = {{"true", true}, {"TRUE", true}, {"false", false}, {"no", false}};
    for (const auto& [rewrite, replaced] : cases) {
        SCOPED_TRACE(rewrite);
        InstallerMachine m;
        const std::string resources = std::string("Item1Rewrite=") + rewrite + "\r\n";
        Prepare(m, OneVolume("Count=2\r\nItem1=Old.txt\r\nItem2=New.txt\r\n", resources),
                {{"Old.txt", "packed old"}, {"New.txt", "packed new"}});
        m.Write("C:\\APP\\Old.txt", "installed");
        RunEngine(m, [](core::Installer& run) { InstallResources(run); });
        EXPECT_EQ(m.Read("C:\\APP\\Old.txt"), replaced ? "packed old" : "installed");
        EXPECT_EQ(m.Read("C:\\APP\\New.txt"), "packed new");
    }
}

TEST(FilePassTest, EachVolumeFollowsItsOwnRewriteFlag) {
    for (const bool firstRewrites : {true, false}) {
        SCOPED_TRACE(firstRewrites ? "true, then false" : "false, then true");
        const auto flag = [](bool rewrite) { return std::string(rewrite ? "true" : "false"); };
        InstallerMachine m;
        Prepare(m,
                "[Resources]\r\nCount=2\r\nItem1=Setup1.res\r\nItem1Rewrite=" + flag(firstRewrites) +
                    "\r\nItem2=Disk2.res\r\nItem2Rewrite=" + flag(!firstRewrites) +
                    "\r\n[Setup1.res]\r\nCount=1\r\nItem1=One.txt\r\n[Disk2.res]\r\nCount=1\r\nItem1=Two.txt\r\n",
                {{"One.txt", "packed one"}});
        m.MakePackage("C:\\DIST\\Disk2.res", {{"Two.txt", "packed two"}});
        m.Write("C:\\APP\\One.txt", "installed");
        m.Write("C:\\APP\\Two.txt", "installed");
        RunEngine(m, [](core::Installer& run) { InstallResources(run); });
        EXPECT_EQ(m.Read("C:\\APP\\One.txt"), firstRewrites ? "packed one" : "installed");
        EXPECT_EQ(m.Read("C:\\APP\\Two.txt"), firstRewrites ? "installed" : "packed two");
    }
}

TEST(FilePassTest, DestinationKeywordsAndSubdirectoriesInUpperCase) {
    InstallerMachine m;
    const std::string subdir = common::Cp1250(u8"pomoc ą");
    Prepare(m,
            OneVolume("Count=6\r\nItem1=a.txt\r\nItem1Dest=$system\r\nItem2=b.txt\r\nItem2Dest=Doc\r\n"
                      "Item3=c.txt\r\nItem3Dest=$Win\r\nItem4=d.txt\r\nItem4Dest=$program\r\nItem5=e.txt\r\n"
                      "Item6=f.txt\r\nItem6Dest=" + subdir + "\r\n"),
            {{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}, {"d.txt", "d"}, {"e.txt", "e"}, {"f.txt", "f"}});
    std::string noBackslash;
    RunEngine(m, [&](core::Installer& run) {
        InstallResources(run);
        run.State.TargetDir = "C:\\APP";
        noBackslash = DestinationDirectory(run, "x");
    });
    EXPECT_EQ(m.Read("C:\\WINDOWS\\SYSTEM\\a.txt"), "a");
    EXPECT_EQ(m.Read("C:\\APP\\DOC\\b.txt"), "b");
    EXPECT_EQ(m.Read("C:\\WINDOWS\\c.txt"), "c");
    EXPECT_EQ(m.Read("C:\\APP\\d.txt"), "d");
    EXPECT_EQ(m.Read("C:\\APP\\e.txt"), "e");
    std::vector<std::string> names;
    for (const auto& entry : m.machine.files.ListDirectory("C:\\APP")) names.push_back(entry.name);
    {
        const std::string upper = common::Cp1250(u8"POMOC Ą");
        EXPECT_NE(std::find(names.begin(), names.end(), "DOC"), names.end());
        EXPECT_NE(std::find(names.begin(), names.end(), upper), names.end());
        EXPECT_EQ(m.Read("C:\\APP\\" + upper + "\\f.txt"), "f");
    }
    EXPECT_EQ(noBackslash, "C:\\APP\\X\\");
}

TEST(FilePassTest, FilesInUseGoToDistinctDivertedNamesQueuedForTheRestart) {
    InstallerMachine m;
    Prepare(m,
            OneVolume("Count=3\r\nItem1=App.exe\r\nItem2=App.dll\r\nItem3=Lib.dll\r\nItem3Dest=Lib.old\r\n"
                      "Item3Reg=1\r\n"),
            {{"App.exe", "new exe"}, {"App.dll", "new dll"}, {"Lib.dll", "new lib"}});
    for (const char* path : {"C:\\APP\\App.exe", "C:\\APP\\App.dll", "C:\\APP\\LIB.OLD\\Lib.dll"}) {
        m.Write(path, "in use");
        m.machine.files.Lock(path);
    }
    bool restart = false;
    RunEngine(m, [&](core::Installer& run) {
        InstallResources(run);
        restart = run.State.RestartNeeded;
    });
    EXPECT_TRUE(restart);
    EXPECT_EQ(m.Read("C:\\APP\\App.exe"), "in use");
    EXPECT_EQ(m.Read("C:\\APP\\App.q07"), "new exe");
    EXPECT_EQ(m.Read("C:\\APP\\App~2.q07"), "new dll");
    EXPECT_EQ(m.Read("C:\\APP\\LIB.OLD\\Lib.q07"), "new lib");  // not cut at the directory's dot
    EXPECT_EQ(m.Read("C:\\WINDOWS\\WinInit.ini"),
              "[Rename]\r\nC:\\APP\\App.exe=C:\\APP\\App.q07\r\nC:\\APP\\App.dll=C:\\APP\\App~2.q07\r\n"
              "C:\\APP\\LIB.OLD\\Lib.dll=C:\\APP\\LIB.OLD\\Lib.q07\r\n");
    EXPECT_EQ(m.machine.shell.Renames().size(), 3U);
    EXPECT_EQ(LogValue(m, "Item2", "Name"), "C:\\APP\\App.dll");  // the final name
    EXPECT_EQ(LogValue(m, "Item2", "Exists"), "1");
    // The diverted library registers at its temporary name; the one without the flag
    // has lost its ".dll" and is not noted.
    EXPECT_EQ(ScriptValue(m, "InstallReg", "Count"), "1");
    EXPECT_EQ(ScriptValue(m, "InstallReg", "Item1"), "C:\\APP\\LIB.OLD\\Lib.q07");
}

TEST(FilePassTest, AnItemMissingFromItsVolumeLeavesTheInstalledFileAlone) {
    InstallerMachine m;
    Prepare(m, OneVolume("Count=3\r\nItem1=Gone.exe\r\nItem2=Busy.exe\r\nItem3=Nowhere.dll\r\n"), {});
    m.Write("C:\\APP\\Gone.exe", "installed");
    m.Write("C:\\APP\\Busy.exe", "in use");
    m.machine.files.Lock("C:\\APP\\Busy.exe");
    RunEngine(m, [](core::Installer& run) { InstallResources(run); });
    EXPECT_EQ(m.Read("C:\\APP\\Gone.exe"), "installed");
    EXPECT_EQ(m.Read("C:\\APP\\Busy.exe"), "in use");
    EXPECT_FALSE(m.machine.files.FileExists("C:\\APP\\Busy.q07"));
    EXPECT_FALSE(m.machine.files.FileExists("C:\\WINDOWS\\WinInit.ini"));
    EXPECT_FALSE(m.machine.files.FileExists("C:\\APP\\Nowhere.dll"));
    EXPECT_TRUE(Boxes(m.machine.ui).empty());
    EXPECT_EQ(LogValue(m, "Application", "Count"), "3");  // each is still logged
    EXPECT_EQ(ScriptValue(m, "InstallReg", "Item1"), "C:\\APP\\Nowhere.dll");
}

TEST(FilePassTest, RegistrationItemsFollowThoseListedInAdvance) {
    InstallerMachine m;
    Prepare(m,
            OneVolume("Count=4\r\nItem1=A.exe\r\nItem1Reg=1\r\nItem2=B.DLL\r\nItem3=C.dll\r\nItem3Reg=1\r\n"
                      "Item4=D.ocx\r\nItem4Reg=2\r\n",
                      "") + "[InstallReg]\r\nCount=2\r\nItem1=C:\\X1.DLL\r\nItem2=C:\\X2.DLL\r\n",
            {{"A.exe", "a"}, {"B.DLL", "b"}, {"C.dll", "c"}, {"D.ocx", "d"}});
    RunEngine(m, [](core::Installer& run) { InstallResources(run); });
    EXPECT_EQ(ScriptValue(m, "InstallReg", "Count"), "5");
    EXPECT_EQ(ScriptValue(m, "InstallReg", "Item2"), "C:\\X2.DLL");
    EXPECT_EQ(ScriptValue(m, "InstallReg", "Item3"), "C:\\APP\\A.exe");
    EXPECT_EQ(ScriptValue(m, "InstallReg", "Item4"), "C:\\APP\\B.DLL");
    EXPECT_EQ(ScriptValue(m, "InstallReg", "Item5"), "C:\\APP\\C.dll");  // once, though both rules apply
    EXPECT_EQ(ScriptValue(m, "InstallReg", "Item6"), "-");
    EXPECT_EQ(LogValue(m, "Item1", "Register"), "1");
    EXPECT_EQ(LogValue(m, "Item2", "Register"), "0");  // registered for its extension only
    EXPECT_EQ(LogValue(m, "Item4", "Register"), "0");
}

TEST(FilePassTest, ShortcutRecordsStopAtThirtyAndNameAViewerAsTarget) {
    InstallerMachine m;
    std::string items = "Count=32\r\n";
    std::map<std::string, std::string> entries;
    for (int d = 1; d <= 32; ++d) {
        const std::string n = std::to_string(d);
        items += "Item" + n + "=F" + n + ".txt\r\nItem" + n + "Shell=" + (d == 2 ? "2" : "1") + "\r\nItem" + n +
                 "Link=F" + n + ".lnk\r\nItem" + n + "Parameter=-p" + n + "\r\n";
        entries["F" + n + ".txt"] = n;
    }
    items += "Item1File=C:\\VIEW.EXE\r\n";
    Prepare(m, "[Application]\r\nGroup=Grupa\r\n" + OneVolume(items), entries);
    std::vector<core::ShortCutEntry> shortcuts;
    int count = 0;
    RunEngine(m, [&](core::Installer& run) {
        InstallResources(run);
        count = run.State.ShortCutCount;
        shortcuts.assign(run.State.ShortCutList.begin(), run.State.ShortCutList.end());
    });
    EXPECT_EQ(count, 30);  // items 1 and 3..31; the 32nd request is refused
    EXPECT_EQ(m.Read("C:\\APP\\F32.txt"), "32");
    EXPECT_EQ(shortcuts[0].Group, "Grupa");
    EXPECT_EQ(shortcuts[0].LinkName, "F1.lnk");
    EXPECT_EQ(shortcuts[0].Target, "C:\\VIEW.EXE");
    EXPECT_EQ(shortcuts[0].Arguments, "C:\\APP\\F1.txt");
    EXPECT_EQ(shortcuts[1].Target, "C:\\APP\\F3.txt");
    EXPECT_EQ(shortcuts[1].Arguments, "-p3");
    EXPECT_EQ(shortcuts[29].LinkName, "F31.lnk");
}

// A viewer's link hands it the installed file as one argument, quoted where the path
// has a blank; a script's own parameters go to the link as written.
TEST(FilePassTest, AViewerGetsTheInstalledPathAsOneArgument) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\APP\\", "C:\\APP\\Czytaj.txt"},
        {"C:\\Program Files\\Quill07\\", "\"C:\\Program Files\\Quill07\\Czytaj.txt\""},
    };
    for (const auto& [target, arguments] : cases) {
        SCOPED_TRACE(target);
        InstallerMachine m;
        Prepare(m,
                OneVolume("Count=2\r\nItem1=Czytaj.txt\r\nItem1Shell=1\r\nItem1Link=Czytaj.lnk\r\n"
                          "Item1File=C:\\WINDOWS\\NOTEPAD.EXE\r\nItem2=Q07.exe\r\nItem2Shell=1\r\n"
                          "Item2Link=Q07.lnk\r\nItem2Parameter=/open C:\\My Files\r\n"),
                {{"Czytaj.txt", "tekst"}, {"Q07.exe", "program"}});
        RunEngine(
            m,
            [](core::Installer& run) {
                InstallResources(run);
                system::InstallIcons(run);
            },
            target);
        const auto& links = m.machine.shell.Links();
        ASSERT_EQ(links.size(), 2U);
        EXPECT_EQ(links[0].link.target, "C:\\WINDOWS\\NOTEPAD.EXE");
        EXPECT_EQ(links[0].link.arguments, arguments);
        EXPECT_EQ(links[1].link.arguments, "/open C:\\My Files");
    }
}

TEST(FilePassTest, ASplashPictureComesFromTheStartupPackage) {
    InstallerMachine m;
    const std::string bmp = DataFile("bmp/core24.bmp");
    Prepare(m, OneVolume("Count=1\r\nItem1=a.txt\r\n", "") + "[Splash]\r\nItem1_1=Pic.bmp\r\n",
            {{"a.txt", "a"}, {"Pic.bmp", bmp}});
    platform::Rect bounds{};
    platform::Rect expected{};
    bool visible = false;
    RunEngine(m, [&](core::Installer& run) {
        const core::TMain& main = *run.Windows.Main;
        InstallResources(run);
        const dialogs::TInformations& window = *run.Windows.Informations;
        bounds = window.Bounds();
        visible = window.Visible();
        expected = {main.Left() + 8, main.Top() + static_cast<int>(install::Nearest(main.Height() / 6.0L)),
                    window.Dest.Width(), window.Dest.Height()};
    });
    EXPECT_TRUE(visible);
    EXPECT_EQ(bounds.left, expected.left);
    EXPECT_EQ(bounds.top, expected.top);
    EXPECT_EQ(bounds.width, 400);
    EXPECT_EQ(bounds.height, 261);
    EXPECT_EQ(m.Read("C:\\WINDOWS\\TEMP\\Pic.bmp"), bmp);
}

// Pictures are unpacked from Setup1.res whichever volume is being read: one that only
// the second volume holds is not found, and its load fails out of the pass.
TEST(FilePassTest, SplashPicturesDuringALaterVolumeComeFromSetup1Only) {
    const std::string first = DataFile("bmp/mono.bmp");
    const std::string second = DataFile("bmp/core24.bmp");
    const std::string script =
        "[Resources]\r\nCount=2\r\nItem1=Setup1.res\r\nItem2=Disk2.res\r\n[Setup1.res]\r\nCount=1\r\n"
        "Item1=One.txt\r\n[Disk2.res]\r\nCount=1\r\nItem1=Two.txt\r\n[Splash]\r\nItem1_1=First.bmp\r\n"
        "Item2_1=Second.bmp\r\n";
    for (const bool inSetup1 : {true, false}) {
        SCOPED_TRACE(inSetup1 ? "second picture in Setup1.res" : "second picture in Disk2.res only");
        InstallerMachine m;
        std::map<std::string, std::string> setup1{{"One.txt", "one"}, {"First.bmp", first}};
        std::map<std::string, std::string> disk2{{"Two.txt", "two"}};
        (inSetup1 ? setup1 : disk2)["Second.bmp"] = second;
        Prepare(m, script, setup1);
        m.MakePackage("C:\\DIST\\Disk2.res", disk2);
        std::vector<std::uint32_t> shown;
        const auto pass = [&] {
            RunEngine(m, [&](core::Installer& run) {
                InstallResources(run);
                shown = run.Windows.Informations->Dest.GetImage().pixels;
            });
        };
        if (inSetup1) {
            pass();
            const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(second.data()), second.size());
            EXPECT_EQ(shown, platform::DecodeBmp(bytes).pixels);  // the later picture replaced the first
            EXPECT_EQ(m.Read("C:\\APP\\Two.txt"), "two");
        } else {
            EXPECT_THROW(pass(), common::Error);
            EXPECT_FALSE(m.machine.files.FileExists("C:\\APP\\Two.txt"));
            EXPECT_FALSE(m.machine.files.FileExists("C:\\WINDOWS\\TEMP\\Second.bmp"));
        }
        EXPECT_EQ(m.Read("C:\\WINDOWS\\TEMP\\First.bmp"), first);
    }
}

// An empty volume name is prompted for like a missing volume; OK reads the name from
// the script again, so a name set meanwhile is the one opened and installed.
TEST(FilePassTest, OkOnThePromptReadsTheVolumeNameAgain) {
    InstallerMachine m;
    Prepare(m,
            "[Resources]\r\nCount=2\r\nItem1=Setup1.res\r\nItem2=\r\n[Setup1.res]\r\nCount=1\r\n"
            "Item1=One.txt\r\n[Other.res]\r\nCount=1\r\nItem1=Two.txt\r\n",
            {{"One.txt", "one"}});
    m.MakePackage("C:\\DIST\\Other.res", {{"Two.txt", "other"}});
    m.machine.ui.AddStep(Step::Answer(platform::kIdOk, [&m] {
        profile::TIniFile(m.machine.files, "C:\\WINDOWS\\TEMP\\Setup.lst").WriteText("Resources", "Item2", "Other.res");
    }));
    RunEngine(m, [](core::Installer& run) { InstallResources(run); });
    EXPECT_EQ(Boxes(m.machine.ui).size(), 1U);
    EXPECT_EQ(m.Read("C:\\APP\\Two.txt"), "other");
}

// A second volume Disk2.res that is put beside the installer only when the user
// answers the prompt.
void PrepareTwoVolumes(InstallerMachine& m) {
    Prepare(m,
            "[Resources]\r\nCount=2\r\nItem1=Setup1.res\r\nItem2=Disk2.res\r\n[Setup1.res]\r\nCount=1\r\n"
            "Item1=One.txt\r\n[Disk2.res]\r\nCount=1\r\nItem1=Two.txt\r\n",
            {{"One.txt", "one"}});
    m.MakePackage("C:\\STAGE\\Disk2.res", {{"Two.txt", "second"}});
}

TEST(FilePassTest, AsksForTheNextDisketteUntilItIsThereOrTheUserGivesUp) {
    const std::string prompt = Utf8(u8"Kolejna dyskietka|Proszę włożyć kolejną dyskietkę...");
    const std::string question = Utf8(u8"Zakończ instalację|Jesteś pewny, że chcesz przerwać instalację ?");
    struct Case {
        const char* name;
        std::vector<int> answers;  // the last one puts the diskette in, unless giving up
        bool givesUp;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {"OK after the diskette is in", {platform::kIdOk, platform::kIdOk}, false, {prompt, prompt}},
        {"Cancel, No, then OK", {platform::kIdCancel, platform::kIdNo, platform::kIdOk}, false, {prompt, question, prompt}},
        {"Cancel and Yes", {platform::kIdCancel, platform::kIdYes, platform::kIdOk}, true,
         {prompt, question, Utf8(u8"Kalamarz s.c. Instalator|Brak plików w pakiecie instalacyjnym !")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        PrepareTwoVolumes(m);
        for (std::size_t i = 0; i < c.answers.size(); ++i) {
            if (i + 1 < c.answers.size() || c.givesUp) {
                m.machine.ui.AddStep(Step::Answer(c.answers[i]));
            } else {
                m.machine.ui.AddStep(Step::Answer(c.answers[i], [&m] {
                    m.machine.files.RenameFile("C:\\STAGE\\Disk2.res", "C:\\DIST\\Disk2.res");
                }));
            }
        }
        std::int32_t bytesDone = 0;
        const auto outcome = RunEngine(m, [&](core::Installer& run) {
            InstallResources(run);
            bytesDone = run.State.BytesDone;
        });
        EXPECT_EQ(Boxes(m.machine.ui), c.boxes);
        EXPECT_EQ(m.Read("C:\\APP\\One.txt"), "one");
        EXPECT_EQ(m.machine.files.FileExists("C:\\APP\\Two.txt"), !c.givesUp);
        using End = platform::RunOutcome::End;
        EXPECT_EQ(outcome.end, c.givesUp ? End::EndInstaller : End::Returned);
        if (!c.givesUp) {
            EXPECT_EQ(bytesDone, 9);
        }
    }
}

TEST(FilePassTest, ASecondRunIntoTheSameDirectoryContinuesTheLog) {
    InstallerMachine m;
    Prepare(m, "[Application]\r\nTitle=Pierwszy\r\n" + OneVolume("Count=2\r\nItem1=A.txt\r\nItem2=B.txt\r\n"),
            {{"A.txt", "a1"}, {"B.txt", "b1"}});
    RunEngine(m, [](core::Installer& run) { InstallResources(run); });
    Prepare(m,
            "[Application]\r\nTitle=Drugi\r\n" +
                OneVolume("Count=3\r\nItem1=A.txt\r\nItem2=B.txt\r\nItem2Reg=1\r\nItem3=C.txt\r\n"),
            {{"A.txt", "a2"}, {"B.txt", "b2"}, {"C.txt", "c2"}});
    RunEngine(m, [](core::Installer& run) { InstallResources(run); });
    EXPECT_EQ(m.Read("C:\\APP\\B.txt"), "b2");
    EXPECT_EQ(m.Read("C:\\APP\\Setup.uni"),
              "[Application]\r\nTitle=Drugi\r\nCount=3\r\n"
              "[Item1]\r\nName=C:\\APP\\A.txt\r\nExists=0\r\nRegister=0\r\n[C:\\APP\\A.txt]\r\nItem=1\r\n"
              "[Item2]\r\nName=C:\\APP\\B.txt\r\nExists=0\r\nRegister=0\r\n[C:\\APP\\B.txt]\r\nItem=2\r\n"
              "[Item3]\r\nName=C:\\APP\\C.txt\r\nExists=0\r\nRegister=0\r\n[C:\\APP\\C.txt]\r\nItem=3\r\n");
}

TEST(FilePassTest, NoVolumesInstallNothing) {
    InstallerMachine m;
    Prepare(m, "[Resources]\r\nCount=0\r\nItem1=Setup1.res\r\n[Setup1.res]\r\nCount=1\r\nItem1=a.txt\r\n",
            {{"a.txt", "a"}});
    std::int32_t bytesDone = -1;
    RunEngine(m, [&](core::Installer& run) {
        InstallResources(run);
        bytesDone = run.State.BytesDone;
    });
    EXPECT_EQ(bytesDone, 0);
    EXPECT_FALSE(m.machine.files.FileExists("C:\\APP\\a.txt"));
    EXPECT_FALSE(m.machine.files.FileExists("C:\\APP\\Setup.uni"));
}

}  // namespace
}  // namespace instalator::install
