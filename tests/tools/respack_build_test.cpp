// The publisher's side: respack check and build over a product folder, and the
// distribution it builds installed by the engine on the headless machine.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "profile/reg_ini_file.hpp"
#include "common/strings.hpp"
#include "platform/headless/machine.hpp"
#include "support/scratch_dir.hpp"
#include "support/wizard_machine.hpp"

namespace instalator::respack {
namespace {

namespace fs = std::filesystem;
using platform::Step;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string Noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 7 == 0 ? random() : 'a' + i % 13);
    return bytes;
}

// Two volumes, three pictures, an item from a subfolder of the product folder
// installed into a subfolder of the target, one into the system directory.
const std::vector<std::string> kScript = {
    "[Application]",             // 1
    "WinSpace=4",                // 2
    "TargetDir=C:\\APP",         // 3
    "Group=Kalamarz",            // 4
    "PrgSpace=300025",           // 5
    "Shell=App.exe",             // 6
    "Uninstall=Odinstaluj.exe",  // 7
    "[Resources]",               // 8
    "Count=2",                   // 9
    "Item1=Setup1.res",          // 10
    "Item2=Setup2.res",          // 11
    "[Setup1.res]",              // 12
    "Count=2",                   // 13
    "Item1=App.exe",             // 14
    "Item1Shell=1",              // 15
    "Item1Link=Pioro.lnk",       // 16
    "Item2=doc\\Czytaj.txt",     // 17
    "Item2Dest=Pomoc",           // 18
    "[Setup2.res]",              // 19
    "Count=3",                   // 20
    "Item1=Pomocnik.hlp",        // 21
    "Item1Dest=$system",         // 22
    "Item2=Odinstaluj.exe",      // 23
    "Item3=Big.dat",             // 24
    "[Splash]",                  // 25
    "Item2_3=Pic2.bmp",          // 26
};

class RespackBuildTest : public ::testing::Test {
protected:
    RespackBuildTest() {
        fs::create_directories(dir.path() / "tmp");
        Put(Product("Splash1.bmp"), testing::BmpFile(40, 26));
        Put(Product("SETUP2.BMP"), testing::BmpFile(14, 29));  // found whatever its letter case
        Put(Product("Pic2.bmp"), testing::BmpFile(40, 26));
        Put(Product("App.exe"), "program");
        Put(Product("Doc/czytaj.TXT"), "read me");
        Put(Product("Pomocnik.hlp"), "help");
        Put(Product("Odinstaluj.exe"), "uninstaller");
        Put(Product("Big.dat"), Noise(300'000, 7));
        // A second folder spelled "doc": on this host both exist, and Czytaj.txt is
        // still found in "Doc".
        Put(Product("doc/Pic2.bmp"), testing::BmpFile(4, 2));
        WriteScript(kScript);
    }

    fs::path Product(const std::string& name) const { return dir.path() / "product" / name; }
    void WriteScript(const std::vector<std::string>& lines) const { Put(Product("Setup.lst"), Joined(lines)); }

    // Runs respack in the product folder.
    Outcome Run(const std::string& args) const {
        const std::string tmp = (dir.path() / "tmp").string();
        const std::string command = "cd '" + (dir.path() / "product").string() + "' && TMPDIR='" + tmp + "' '" +
                                    INSTALATOR_RESPACK + "' " + args + " >'" + tmp + "/out' 2>'" + tmp + "/err' </dev/null";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir.path() / "tmp" / "out"), Slurp(dir.path() / "tmp" / "err")};
    }

    testing::ScratchDir dir;
};

TEST_F(RespackBuildTest, CheckerNamesFileLineAndKey) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, std::string>> edits;  // line (from 1) and its new text; 0 appends
        std::string err;
        int status;
    };
    const std::vector<Case> cases = {
        {"a file that is not there", {{23, "Item2=Odinstal.exe"}},
         "respack: Setup.lst:7: error: [Application] Uninstall=Odinstaluj.exe: no item installs that file into the target directory\n"
         "respack: Setup.lst:23: error: [Setup2.res] Item2=Odinstal.exe: no such file in \".\"\n", 1},
        {"an item outside Count", {{20, "Count=2"}, {24, "Item03=Big.dat"}},
         "respack: Setup.lst:24: error: [Setup2.res] Item03 is outside Count=2: the installer never reads it\n"
         "respack: Setup.lst:26: warning: [Splash] Item2_3 names no file of a volume; the picture is never shown\n", 1},
        {"a volume without its section", {{19, "[Setup3.res]"}},
         "respack: Setup.lst:7: error: [Application] Uninstall=Odinstaluj.exe: no item installs that file into the target directory\n"
         "respack: Setup.lst:11: error: [Resources] Item2=Setup2.res: the script has no section [Setup2.res] listing its files\n"
         "respack: Setup.lst:19: error: section [Setup3.res] lists files but [Resources] names no such volume: they are never installed\n"
         "respack: Setup.lst:26: warning: [Splash] Item2_3 names no file of a volume; the picture is never shown\n", 1},
        {"Dest outside the target", {{18, "Item2Dest=C:\\Pomoc"}, {22, "Item1Dest=..\\sys"}},
         "respack: Setup.lst:18: error: [Setup1.res] Item2Dest=C:\\Pomoc: a path with a drive or stream colon; a Dest is a keyword or a folder inside the target directory\n"
         "respack: Setup.lst:22: error: [Setup2.res] Item1Dest=..\\sys: a path through \".\" or \"..\"; a Dest is a keyword or a folder inside the target directory\n", 1},
        {"Shell and Uninstall elsewhere", {{6, "Shell=Pomocnik.hlp"}, {20, "Count=2"}, {24, "Item2Dest=$WIN"}},
         "respack: Setup.lst:2: warning: [Application] WinSpace=4 is less than the 15 bytes the items install into the Windows and system directories; the right figure is WinSpace=15 (--fill-space writes it)\n"
         "respack: Setup.lst:6: error: [Application] Shell=Pomocnik.hlp: no item installs that file into the target directory\n"
         "respack: Setup.lst:7: error: [Application] Uninstall=Odinstaluj.exe: no item installs that file into the target directory\n"
         "respack: Setup.lst:26: warning: [Splash] Item2_3 names no file of a volume; the picture is never shown\n", 1},
        {"pictures that cannot be shown", {{26, "Item2_3=Big.dat"}, {0, "Item1_7=Pic2.bmp"}, {0, "Item1Dest=Pic2.bmp"}},
         "respack: Setup.lst:26: error: [Splash] Item2_3=Big.dat: not a BMP picture the installer can show (Invalid BMP file: no BM signature)\n"
         "respack: Setup.lst:27: warning: [Splash] Item1_7 names no file of a volume; the picture is never shown\n"
         "respack: Setup.lst:28: warning: [Splash] Item1Dest is not a key the installer reads\n", 1},
        {"an item under a name Setup1.res keeps for itself", {{17, "Item2=doc\\Pic2.bmp"}},
         "respack: Setup.lst:5: warning: [Application] PrgSpace=300025 is less than the 300096 bytes the items install into the target directory; the right figure is PrgSpace=300096 (--fill-space writes it)\n"
         "respack: Setup.lst:17: error: [Setup1.res] Item2=doc\\Pic2.bmp: Setup1.res holds the picture \"Pic2.bmp\" under that name, from another file\n", 1},
        {"two items to one file", {{23, "Item2=app.EXE"}},
         "respack: Setup.lst:7: error: [Application] Uninstall=Odinstaluj.exe: no item installs that file into the target directory\n"
         "respack: Setup.lst:23: error: [Setup2.res] Item2=app.EXE installs to the same file as [Setup1.res] Item1 (line 14)\n", 1},
        {"read otherwise than it looks", {{5, "PrgSpace=$100000"}, {0, "item2_3=Splash1.bmp"}, {0, "[Application]"}, {0, "Title=Inny"}},
         "respack: Setup.lst:5: warning: [Application] PrgSpace=$100000 is read as the hexadecimal number 1048576\n"
         "respack: Setup.lst:27: warning: [Splash] item2_3 appears again (first at line 26); the installer reads the first value\n"
         "respack: Setup.lst:28: warning: section [Application] appears again (first at line 1); the installer reads only the first, so the keys here are ignored\n", 0},
        {"space figures too small", {{5, "PrgSpace=0"}, {2, "WinSpace=3"}},
         "respack: Setup.lst:2: warning: [Application] WinSpace=3 is less than the 4 bytes the items install into the Windows and system directories; the right figure is WinSpace=4 (--fill-space writes it)\n"
         "respack: Setup.lst:5: warning: [Application] PrgSpace=0 is less than the 300025 bytes the items install into the target directory; the right figure is PrgSpace=300025 (--fill-space writes it)\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> lines = kScript;
        for (const auto& [line, text] : c.edits) {
            if (line == 0) lines.push_back(text);
            else lines[static_cast<std::size_t>(line - 1)] = text;
        }
        WriteScript(lines);
        const Outcome check = Run("check -q Setup.lst");
        EXPECT_EQ(check.err, c.err);
        EXPECT_EQ(check.status, c.status);
        // build runs the same checks, and writes nothing after an error.
        const Outcome build = Run("build -q -o out Setup.lst");
        EXPECT_EQ(build.status, c.status);
        EXPECT_EQ(fs::exists(Product("out")), c.status == 0);
        fs::remove_all(Product("out"));
    }
}

std::vector<std::string> ListNames(const std::string& listing) {
    std::vector<std::string> names;
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);) names.push_back(line.substr(0, line.find(' ')));
    return names;
}

// One command gives the whole distribution; the engine installs it as it stands.
TEST_F(RespackBuildTest, BuildsADistributionThatInstalls) {
    std::vector<std::string> lines = kScript;
    lines[4] = "PrgSpace=1";
    WriteScript(lines);
    Put(Product("installer.bin"), "MZ installer");
    const Outcome build = Run("build --fill-space --setup installer.bin -o ../dist Setup.lst");
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(build.err, "respack: Setup.lst:5: warning: [Application] PrgSpace=1 is less than the 300025 bytes the items "
                         "install into the target directory; the right figure is PrgSpace=300025 (--fill-space writes it)\n");
    const fs::path dist = dir.path() / "dist";
    EXPECT_EQ(Slurp(dist / "Setup.exe"), "MZ installer");
    EXPECT_EQ(ListNames(Run("list ../dist/Setup1.res").out),
              (std::vector<std::string>{"Setup.lst", "Splash1.bmp", "setup2.bmp", "Pic2.bmp", "App.exe", "Czytaj.txt",
                                        ":catalogue"}));
    // A volume is what create and add make of the same files in the same order.
    ASSERT_EQ(Run("create ../two.res").status, 0);
    ASSERT_EQ(Run("add ../two.res Pomocnik.hlp Odinstaluj.exe Big.dat").status, 0);
    EXPECT_EQ(Slurp(dist / "Setup2.res"), Slurp(dir.path() / "two.res"));
    // The packed script carries the figures; the publisher's copy is unchanged.
    ASSERT_EQ(Run("extract ../dist/Setup1.res Setup.lst -d ../packed").status, 0);
    const std::string packed = Slurp(dir.path() / "packed" / "Setup.lst");
    EXPECT_NE(packed.find("PrgSpace=300025\r\n"), std::string::npos);
    EXPECT_NE(packed.find("WinSpace=4\r\n"), std::string::npos);
    EXPECT_EQ(Slurp(Product("Setup.lst")), Joined(lines));

    // The same inputs give the same bytes, on one thread or on several.
    for (const char* jobs : {"1", "3"}) {
        ASSERT_EQ(Run(std::string("build -q --fill-space -j ") + jobs + " -o ../again Setup.lst").status, 0);
        for (const char* volume : {"Setup1.res", "Setup2.res"}) {
            EXPECT_EQ(Slurp(dir.path() / "again" / volume), Slurp(dist / volume)) << volume << " with -j " << jobs;
        }
    }

    testing::InstallerMachine m;
    for (const char* file : {"Setup.exe", "Setup1.res", "Setup2.res"}) {
        Put(m.scratch.path() / "C" / "DIST" / file, Slurp(dist / file));
    }
    m.machine.system.SetExecutablePath("C:\\DIST\\SETUP.EXE");
    m.machine.files.CreateDirectory("C:\\APP");
    platform::MakePath(m.machine.files, "C:\\MENU\\");
    platform::MakePath(m.machine.files, "C:\\WINDOWS\\SYSTEM\\");
    profile::TRegIniFile(m.machine.registry, "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer")
        .WriteText("Shell Folders", "Programs", "C:\\MENU");
    for (const Step& step : {Step::Click("TMakeSure", "SpeedButton1"), Step::Click("TSelectDirectory", "BitBtn1"),
                             Step::Click("TGrupa", "BitBtn1"), Step::Click("TFinish", "BitBtn2")}) {
        m.machine.ui.AddStep(step);
    }
    EXPECT_EQ(m.RunInstaller().where, "TFinish.BitBtn2Click");
    EXPECT_EQ(m.Read("C:\\APP\\App.exe"), "program");
    EXPECT_EQ(m.Read("C:\\APP\\POMOC\\doc\\Czytaj.txt"), "read me");
    EXPECT_EQ(m.Read("C:\\WINDOWS\\SYSTEM\\Pomocnik.hlp"), "help");
    EXPECT_EQ(m.Read("C:\\APP\\Big.dat"), Noise(300'000, 7));
    EXPECT_EQ(m.machine.shell.Links().size(), 2u);  // Pioro.lnk and the uninstaller's
    const auto shown = testing::ShownForms(m.machine.ui);
    EXPECT_NE(std::find(shown.begin(), shown.end(), "TInformations"), shown.end());  // Pic2.bmp before Big.dat
}

std::vector<std::string> Tree(const fs::path& root) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), root).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// unpack installs what the installer would, where it would, and lists the rest;
// names from a distribution never lead outside the folder.
TEST_F(RespackBuildTest, UnpackInstallsAsTheInstallerWould) {
    ASSERT_EQ(Run("build -q -o ../dist Setup.lst").status, 0);
    const Outcome unpack = Run("unpack ../dist -d ../root");
    ASSERT_EQ(unpack.status, 0) << unpack.err;
    const fs::path root = dir.path() / "root";
    EXPECT_EQ(Tree(root), (std::vector<std::string>{"app/App.exe", "app/Big.dat", "app/Odinstaluj.exe",
                                                    "app/POMOC/doc/Czytaj.txt", "system/Pomocnik.hlp"}));
    EXPECT_EQ(Slurp(root / "app" / "Big.dat"), Noise(300'000, 7));
    EXPECT_EQ(unpack.out,
              "shortcut: Kalamarz\\Pioro.lnk -> C:\\APP\\App.exe\n"
              "file: C:\\APP\\App.exe -> app/App.exe\n"
              "file: C:\\APP\\POMOC\\doc\\Czytaj.txt -> app/POMOC/doc/Czytaj.txt\n"
              "file: %SYSTEM%\\Pomocnik.hlp -> system/Pomocnik.hlp\n"
              "file: C:\\APP\\Odinstaluj.exe -> app/Odinstaluj.exe\n"
              "file: C:\\APP\\Big.dat -> app/Big.dat\n"
              "shortcut: Kalamarz\\Odinstaluj.lnk -> C:\\APP\\Odinstaluj.exe C:\\APP\\Setup.uni\n"
              "uninstall entry: \"Quill07\" -> C:\\APP\\Odinstaluj.exe C:\\APP\\Setup.uni\n");

    // A distribution made by hand, with names build would refuse, and a volume missing.
    Put(Product("evil/Setup.lst"), Joined({"[Resources]", "Count=2", "Item1=Setup1.res", "Item2=Setup9.res",
                                           "[Setup1.res]", "Count=4", "Item1=..\\..\\App.exe", "Item2=App.exe",
                                           "Item2Dest=C:\\tmp", "Item3=App.exe", "Item3Dest=..", "Item4=Lib.dll",
                                           "Item4Dest=$win", "[Setup9.res]", "Count=1", "Item1=App.exe"}));
    Put(Product("evil/Lib.dll"), "library");
    Put(Product("evil/App.exe"), "program");
    ASSERT_EQ(Run("create evil/Setup1.res").status, 0);
    ASSERT_EQ(Run("add evil/Setup1.res evil/Setup.lst evil/App.exe evil/Lib.dll").status, 0);
    const Outcome evil = Run("unpack -q evil -d ../inside/root");
    EXPECT_EQ(evil.status, 1);
    EXPECT_EQ(evil.err,
              "respack: evil/Setup1.res: \"..\\..\\App.exe\" holds a name that refers to a directory, which is not "
              "written outside \"../inside/root/\"\n"
              "respack: evil/Setup1.res: \"C:\\TMP\\App.exe\" holds a name with a drive or stream colon, which is not "
              "written outside \"../inside/root/\"\n"
              "respack: evil/Setup1.res: \"..\\App.exe\" holds a name that refers to a directory, which is not written "
              "outside \"../inside/root/\"\n"
              "respack: evil/Setup9.res: volume 2 is missing or unreadable: the installer would ask for the next "
              "diskette\n");
    EXPECT_EQ(Tree(dir.path() / "inside"), (std::vector<std::string>{"root/windows/Lib.dll"}));
}

// --volume-size spreads the items in the script's order and rewrites the packed
// script to match; the installation is the same as from one volume.
TEST_F(RespackBuildTest, VolumeSizeSpreadsTheItemsInScriptOrder) {
    std::vector<std::string> lines = kScript;
    lines[19] = "Count=4";
    lines.insert(lines.begin() + 24, "Item4=Big2.dat");
    WriteScript(lines);
    Put(Product("Big2.dat"), Noise(300'000, 8));
    ASSERT_EQ(Run("build -q -o ../whole Setup.lst").status, 0);
    const Outcome split = Run("build --volume-size 110K -o ../split Setup.lst");
    ASSERT_EQ(split.status, 0) << split.err;
    EXPECT_EQ(Tree(dir.path() / "split"), (std::vector<std::string>{"Setup1.res", "Setup2.res"}));
    for (const char* volume : {"Setup1.res", "Setup2.res"}) {
        EXPECT_LE(fs::file_size(dir.path() / "split" / volume), 110u * 1024) << volume;
    }
    ASSERT_EQ(Run("extract ../split/Setup1.res Setup.lst -d ../packed").status, 0);
    EXPECT_EQ(Slurp(dir.path() / "packed" / "Setup.lst"),
              Joined({"[Application]", "WinSpace=4", "TargetDir=C:\\APP", "Group=Kalamarz", "PrgSpace=300025",
                      "Shell=App.exe", "Uninstall=Odinstaluj.exe", "[Resources]", "Count=2", "Item1=Setup1.res",
                      "Item2=Setup2.res", "[Setup1.res]", "Count=5", "Item1=App.exe", "Item1Shell=1",
                      "Item1Link=Pioro.lnk", "Item2=doc\\Czytaj.txt", "Item2Dest=Pomoc", "Item3=Pomocnik.hlp",
                      "Item3Dest=$system", "Item4=Odinstaluj.exe", "Item5=Big.dat", "[Setup2.res]", "Count=1",
                      "Item1=Big2.dat", "[Splash]", "Item1_5=Pic2.bmp"}));
    const Outcome whole = Run("unpack ../whole -d ../from-whole");
    const Outcome parts = Run("unpack ../split -d ../from-split");
    EXPECT_EQ(parts.status, 0) << parts.err;
    EXPECT_EQ(parts.out, whole.out);
    EXPECT_EQ(Tree(dir.path() / "from-split"), Tree(dir.path() / "from-whole"));
    EXPECT_EQ(Slurp(dir.path() / "from-split" / "app" / "Big2.dat"), Noise(300'000, 8));

    // A diskette holds it all; a file that fits in no volume stops the build.
    ASSERT_EQ(Run("build -q --volume-size diskette -o ../one Setup.lst").status, 0);
    EXPECT_EQ(Tree(dir.path() / "one"), (std::vector<std::string>{"Setup1.res"}));
    const Outcome small = Run("build -q --volume-size 100K -o ../small Setup.lst");
    EXPECT_EQ(small.status, 1);
    EXPECT_NE(small.err.find("Big.dat packs to "), std::string::npos) << small.err;
    EXPECT_FALSE(fs::exists(dir.path() / "small"));
}

// The limits that only a large product reaches: 30 shortcuts, 128 entries a volume;
// and the start-up pictures, which no key names.
TEST_F(RespackBuildTest, CheckerKnowsTheInstallersLimits) {
    std::vector<std::string> lines = {"[Application]", "PrgSpace=129",     "[Resources]",
                                      "Count=1",       "Item1=Setup2.res", "[Setup2.res]", "Count=129"};
    for (int d = 1; d <= 129; ++d) {
        const std::string item = "Item" + std::to_string(d);
        Put(Product("f" + std::to_string(d) + ".txt"), "x");
        lines.push_back(item + "=f" + std::to_string(d) + ".txt");
        lines.push_back(item + "Shell=1");  // line 9 + 3 (d - 1)
        lines.push_back(item + "Link=" + std::to_string(d) + ".lnk");
    }
    WriteScript(lines);
    fs::remove(Product("SETUP2.BMP"));
    const Outcome check = Run("check Setup.lst");
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(check.err,
              "respack: Setup.lst: error: the start-up picture setup2.bmp: no such file in \".\"\n"
              "respack: Setup.lst:5: error: volume Setup2.res would hold 129 files; a volume holds at most 128 (split it, or use --volume-size)\n"
              "respack: Setup.lst:99: error: [Setup2.res] Item31Shell=1 asks for a 31st shortcut; the installer makes at most 30\n");
}

}  // namespace
}  // namespace instalator::respack
