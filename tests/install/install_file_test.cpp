// Installing one file: the write-error box and its three answers, an abort from the
// copy window in the middle of a file, the names a file in use is diverted to, and an
// entry found in a volume whose directory is damaged further on.

#include <gtest/gtest.h>

#include "common/text.hpp"
#include "core/main_form.hpp"
#include "dialogs/confirm_abort.hpp"
#include "dialogs/copying.hpp"
#include "install/install_file.hpp"
#include "support/engine_run.hpp"

namespace instalator::install {
namespace {

using platform::RunOutcome;
using platform::Step;
using testing::Boxes;
using testing::InstallerMachine;
using testing::RunEngine;


std::string Utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

// Bytes that do not compress to nothing, from a fixed recurrence.
std::string Content(std::size_t size) {
    std::string text(size, '\0');
    std::uint32_t x = 12345;
    for (char& c : text) {
        x = x * 1103515245U + 12345U;
        c = static_cast<char>(x >> 24);
    }
    return text;
}

void Prepare(InstallerMachine& m, const std::map<std::string, std::string>& files) {
    std::map<std::string, std::string> entries = files;
    entries["Setup.lst"] = "";
    m.MakePackage("C:\\DIST\\Setup1.res", entries);
    m.machine.system.SetExecutablePath("C:\\DIST\\SETUP.EXE");
}

TEST(InstallFileTest, TheWriteErrorBoxRetriesIgnoresOrAbortsAfterConfirmation) {
    const std::string error = Utf8(u8"Błąd I/O|Błąd podczas kopiowania pliku \"Big.bin\" ?");
    const std::string question = Utf8(u8"Zakończ instalację|Jesteś pewny, że chcesz przerwać instalację ?");
    const std::string content = Content(10000);
    struct Case {
        const char* name;
        int failingOpens;
        std::vector<int> answers;
        std::vector<std::string> boxes;
        std::size_t sizeLeft;
        bool ended;
        bool closeFails = false;  // every write stored, the closing of the file fails once
    };
    const Case cases[] = {
        {"Retry succeeds", 1, {platform::kIdRetry}, {error}, content.size(), false},
        {"Ignore keeps what was written", 1, {platform::kIdIgnore}, {error}, 0, false},
        {"Abort, No, then Abort, Yes", 2, {platform::kIdAbort, platform::kIdNo, platform::kIdAbort, platform::kIdYes}, {error, question, error, question}, 0, true},
        {"Abort, No, and the retry succeeds", 1, {platform::kIdAbort, platform::kIdNo}, {error, question}, content.size(), false},
        {"A failed close, then Retry", 0, {platform::kIdRetry}, {error}, content.size(), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        Prepare(m, {{"Big.bin", content}});
        m.machine.files.FailWrites("C:\\APP\\Big.bin", c.failingOpens);
        m.machine.files.FailCloses("C:\\APP\\Big.bin", c.closeFails ? 1 : 0);
        for (int answer : c.answers) m.machine.ui.AddStep(Step::Answer(answer));
        std::string caption;
        bool ioFailed = true;
        const RunOutcome outcome = RunEngine(m, [&](core::Installer& run) {
            InstallFile(run, "Setup1.res", "C:\\APP\\Big.bin", false);
            caption = run.Windows.Copying->NowCoping.Text();
            ioFailed = run.Windows.Main->IOFailed;
        });
        EXPECT_EQ(Boxes(m.machine.ui), c.boxes);
        for (const platform::Event* box : m.machine.ui.EventsOf(platform::Event::Kind::MessageBox)) {
            EXPECT_EQ(box->style, box->caption == common::Cp1250(u8"Błąd I/O") ? 2U : 4U);
        }
        EXPECT_EQ(outcome.end, c.ended ? RunOutcome::End::EndInstaller : RunOutcome::End::Returned);
        const std::string left = m.Read("C:\\APP\\Big.bin");
        EXPECT_EQ(left.size(), c.sizeLeft);
        if (c.sizeLeft == content.size()) {
            EXPECT_EQ(left, content);
        }
        if (!c.ended) {
            EXPECT_EQ(caption, "Big.bin");
            EXPECT_EQ(ioFailed, c.sizeLeft == 0);
        }
    }
}

TEST(InstallFileTest, AnAbortFromTheCopyWindowLeavesThePartlyWrittenFile) {
    const std::string content = Content(10000);
    for (const int answer : {platform::kIdYes, platform::kIdNo}) {
        SCOPED_TRACE(answer == platform::kIdYes ? "Yes" : "No");
        InstallerMachine m;
        Prepare(m, {{"Big.bin", content}, {"Next.txt", "next"}});
        m.machine.ui.AddSteps({Step::Click("TCopying", "Button1"), Step::Answer(answer)});
        std::int32_t fileDone = 0;
        const RunOutcome outcome = RunEngine(m, [&](core::Installer& run) {
            dialogs::TCopying& copying = *run.Windows.Copying;
            copying.Button1.OnClick = [&run] {
                if (dialogs::ConfirmAbort(run)) run.EndInstaller();
            };
            copying.Show();
            run.State.TotalSpaceNeeded = 20000;
            InstallFile(run, "Setup1.res", "C:\\APP\\Big.bin", false);
            InstallFile(run, "Setup1.res", "C:\\APP\\Next.txt", false);
            fileDone = run.Windows.Main->FileDone;
        });
        if (answer == platform::kIdYes) {
            EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
            EXPECT_EQ(m.Read("C:\\APP\\Big.bin"), content.substr(0, 4096));  // the first block stays
            EXPECT_FALSE(m.machine.files.FileExists("C:\\APP\\Next.txt"));
        } else {
            EXPECT_EQ(outcome.end, RunOutcome::End::Returned);
            EXPECT_EQ(m.Read("C:\\APP\\Big.bin"), content);
            EXPECT_EQ(m.Read("C:\\APP\\Next.txt"), "next");
            EXPECT_EQ(fileDone, 4);
        }
    }
}

TEST(InstallFileTest, DivertedNamesStayBesideTheFileAndDoNotCollide) {
    InstallerMachine m;
    m.Write("C:\\APP\\Taken.q07", "");
    m.Write("C:\\APP\\Taken~2.q07", "");
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\APP\\App.exe", "C:\\APP\\App.q07"},
        {"C:\\APP\\App.old\\Lib.dll", "C:\\APP\\App.old\\Lib.q07"},
        {"C:\\APP\\Archive.tar.gz", "C:\\APP\\Archive.q07"},
        {"C:\\APP\\README", "C:\\APP\\README.q07"},
        {"C:\\APP\\Taken.dll", "C:\\APP\\Taken~3.q07"},
    };
    for (const auto& [dest, diverted] : cases) EXPECT_EQ(DivertedName(m.machine.files, dest), diverted) << dest;
}

// Points the last directory entry of the package at four stray bytes past it, so that
// reading the directory stops with an error after every real entry has been read.
void DamageChainEnd(InstallerMachine& m, const std::string& path) {
    std::string bytes = m.Read(path);
    const auto end = static_cast<std::uint32_t>(bytes.size());
    const std::size_t next = bytes.size() - 124 + 116;
    for (std::size_t i = 0; i < 4; ++i) bytes[next + i] = static_cast<char>(end >> (8 * i));
    m.Write(path, bytes + "junk");
}

TEST(InstallFileTest, AnEntryReadBeforeDamageInTheDirectoryIsInstalledLikeAnyOther) {
    const std::string content = Content(5000);
    for (const bool damaged : {false, true}) {
        for (const bool inUse : {false, true}) {
            SCOPED_TRACE(std::string(damaged ? "damaged" : "intact") + (inUse ? ", in use" : ", free"));
            InstallerMachine m;
            Prepare(m, {});
            m.MakePackage("C:\\DIST\\Setup2.res", {{"Big.bin", content}});
            if (damaged) DamageChainEnd(m, "C:\\DIST\\Setup2.res");
            m.Write("C:\\APP\\Big.bin", "old");
            if (inUse) m.machine.files.Lock("C:\\APP\\Big.bin");
            bool restart = false;
            const RunOutcome outcome = RunEngine(m, [&](core::Installer& run) {
                InstallFile(run, "Setup2.res", "C:\\APP\\Big.bin", false);
                restart = run.State.RestartNeeded;
            });
            EXPECT_EQ(outcome.end, RunOutcome::End::Returned);
            EXPECT_EQ(restart, inUse);
            EXPECT_EQ(m.Read(inUse ? "C:\\APP\\Big.q07" : "C:\\APP\\Big.bin"), content);
            if (inUse) {
                EXPECT_EQ(m.Read("C:\\APP\\Big.bin"), "old");
            }
        }
    }
}

TEST(InstallFileTest, DeleteIfExistsFailsOnlyForAFileThatStays) {
    InstallerMachine m;
    m.Write("C:\\APP\\free.txt", "x");
    m.Write("C:\\APP\\busy.txt", "x");
    m.machine.files.Lock("C:\\APP\\busy.txt");
    EXPECT_TRUE(DeleteIfExists(m.machine.files, "C:\\APP\\free.txt"));
    EXPECT_FALSE(m.machine.files.FileExists("C:\\APP\\free.txt"));
    EXPECT_TRUE(DeleteIfExists(m.machine.files, "C:\\APP\\none.txt"));
    EXPECT_FALSE(DeleteIfExists(m.machine.files, "C:\\APP\\busy.txt"));
    EXPECT_TRUE(m.machine.files.FileExists("C:\\APP\\busy.txt"));
}

}  // namespace
}  // namespace instalator::install
