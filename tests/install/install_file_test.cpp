// Installing one file: the write-error box and its three answers, an abort from the
// copy window in the middle of a file, the names a file in use is diverted to, and an
// entry found in a volume whose directory is damaged further on.

#include <gtest/gtest.h>

#include "common/text.hpp"
#include "core/main_form.hpp"
#include "dialogs/confirm_abort.hpp"
#include "dialogs/copying.hpp"
#include "install/install_file.hpp"
#include "package/catalogue.hpp"
#include "support/engine_run.hpp"
#include "support/package_bytes.hpp"

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

const char* const kScratch = "C:\\WINDOWS\\TEMP\\Setup.tmp";
const char* const kVolume = "C:\\DIST\\Setup1.res";

// What a file leaves behind besides itself: a temporary copy, a queued rename.
void ExpectNothingPending(InstallerMachine& m, bool restart) {
    EXPECT_FALSE(m.machine.files.FileExists("C:\\APP\\Big.q07"));
    EXPECT_FALSE(m.machine.files.FileExists(kScratch));
    EXPECT_TRUE(m.machine.shell.Renames().empty());
    EXPECT_FALSE(restart);
}

// A failed write to the copy or a failed read of the volume brings the same box; the
// old file stays as it was until a new copy is whole, whatever the answer, and a retry
// reads the volume afresh.
TEST(InstallFileTest, TheWriteErrorBoxRetriesIgnoresOrAbortsAfterConfirmation) {
    const std::string error = Utf8(u8"Błąd I/O|Błąd podczas kopiowania pliku \"Big.bin\" ?");
    const std::string question = Utf8(u8"Zakończ instalację|Jesteś pewny, że chcesz przerwać instalację ?");
    const std::string content = Content(10000);
    using platform::kIdAbort, platform::kIdIgnore, platform::kIdNo, platform::kIdRetry, platform::kIdYes;
    struct Case {
        const char* name;
        const char* failing;
        int failingOpens;
        bool inUse;
        std::vector<int> answers;
        std::vector<std::string> boxes;
        bool installed;
        bool ended;
        bool closeFails = false;  // every write stored, the closing of the file fails once
        bool badSector = false;   // failing is the volume: reads of the entry's stream fail
    };
    const Case cases[] = {
        {"Retry succeeds", "C:\\APP\\Big.q07", 1, false, {kIdRetry}, {error}, true, false},
        {"Ignore keeps the old file", "C:\\APP\\Big.q07", 1, false, {kIdIgnore}, {error}, false, false},
        {"Ignore while in use queues nothing", "C:\\APP\\Big.q07", 1, true, {kIdIgnore}, {error}, false, false},
        {"Abort, No, then Abort, Yes", "C:\\APP\\Big.q07", 2, false, {kIdAbort, kIdNo, kIdAbort, kIdYes},
         {error, question, error, question}, false, true},
        {"Abort, No, and the retry succeeds", "C:\\APP\\Big.q07", 1, false, {kIdAbort, kIdNo}, {error, question},
         true, false},
        {"unreadable volume, Retry", kVolume, 1, false, {kIdRetry}, {error}, true, false, false, true},
        {"unreadable volume, Abort", kVolume, 1, false, {kIdAbort, kIdYes}, {error, question}, false, true, false, true},
        {"a failed close, then Retry", "C:\\APP\\Big.q07", 0, false, {kIdRetry}, {error}, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        Prepare(m, {{"Big.bin", content}});
        m.Write("C:\\APP\\Big.bin", "old");
        if (c.inUse) m.machine.files.Lock("C:\\APP\\Big.bin");
        for (int answer : c.answers) m.machine.ui.AddStep(Step::Answer(answer));
        bool restart = false;
        const RunOutcome outcome = RunEngine(m, [&](core::Installer& run) {
            if (c.badSector) {
                package::TResourceClass volume(run.Machine.files, run.TempDir);
                volume.OpenPackage(c.failing);
                const package::TResourceEntry entry = volume.FindEntry("Big.bin");
                m.machine.files.FailReads(c.failing, entry.DataOffset, entry.DataOffset + entry.PackedSize, c.failingOpens);
            } else {
                m.machine.files.FailWrites(c.failing, c.failingOpens);  // after start-up unpacked the script
            }
            m.machine.files.FailCloses(c.failing, c.closeFails ? 1 : 0);
            InstallFile(run, "Setup1.res", "C:\\APP\\Big.bin", false);
            restart = run.State.RestartNeeded;
            EXPECT_EQ(run.Windows.Copying->NowCoping.Text(), "Big.bin");
            EXPECT_EQ(run.Windows.Main->IOFailed, !c.installed);
        });
        EXPECT_EQ(Boxes(m.machine.ui), c.boxes);
        for (const platform::Event* box : m.machine.ui.EventsOf(platform::Event::Kind::MessageBox)) {
            EXPECT_EQ(box->style, box->caption == common::Cp1250(u8"Błąd I/O") ? 2U : 4U);
        }
        EXPECT_EQ(outcome.end, c.ended ? RunOutcome::End::EndInstaller : RunOutcome::End::Returned);
        m.machine.files.Unlock("C:\\APP\\Big.bin");
        EXPECT_EQ(m.Read("C:\\APP\\Big.bin"), c.installed ? content : "old");
        if (!c.installed) ExpectNothingPending(m, restart);
    }
}

// An abort from the copy window in the middle of a file ends the run with the old file
// as it was, in use or not: the unfinished copy is removed and nothing is queued.
TEST(InstallFileTest, AnAbortFromTheCopyWindowLeavesTheOldFileAndNoCopy) {
    const std::string content = Content(10000);
    for (const bool inUse : {false, true}) {
        for (const int answer : {platform::kIdYes, platform::kIdNo}) {
            SCOPED_TRACE(std::string(inUse ? "in use, " : "free, ") + (answer == platform::kIdYes ? "Yes" : "No"));
            InstallerMachine m;
            Prepare(m, {{"Big.bin", content}, {"Next.txt", "next"}});
            m.Write("C:\\APP\\Big.bin", "old");
            if (inUse) m.machine.files.Lock("C:\\APP\\Big.bin");
            m.machine.ui.AddSteps({Step::Click("TCopying", "Button1"), Step::Answer(answer)});
            std::int32_t fileDone = 0;
            bool restart = false;
            const RunOutcome outcome = RunEngine(m, [&](core::Installer& run) {
                dialogs::TCopying& copying = *run.Windows.Copying;
                copying.Button1.OnClick = [&run] {
                    if (dialogs::ConfirmAbort(run)) run.EndInstaller();
                };
                copying.Show();
                run.State.TotalSpaceNeeded = 20000;
                InstallFile(run, "Setup1.res", "C:\\APP\\Big.bin", false);
                restart = run.State.RestartNeeded;
                InstallFile(run, "Setup1.res", "C:\\APP\\Next.txt", false);
                fileDone = run.Windows.Main->FileDone;
            });
            m.machine.files.Unlock("C:\\APP\\Big.bin");
            if (answer == platform::kIdYes) {
                EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
                EXPECT_EQ(m.Read("C:\\APP\\Big.bin"), "old");
                EXPECT_FALSE(m.machine.files.FileExists("C:\\APP\\Next.txt"));
                ExpectNothingPending(m, restart);
            } else {
                EXPECT_EQ(outcome.end, RunOutcome::End::Returned);
                EXPECT_EQ(m.Read(inUse ? "C:\\APP\\Big.q07" : "C:\\APP\\Big.bin"), content);
                EXPECT_EQ(m.machine.shell.Renames().size(), inUse ? 1u : 0u);
                EXPECT_EQ(m.Read("C:\\APP\\Next.txt"), "next");
                EXPECT_EQ(fileDone, 4);
            }
        }
    }
}

// A damaged entry ends the run with a message naming the file and the volume; the
// old file stays as it was and no copy is left.
TEST(InstallFileTest, ADamagedEntryEndsTheRunAndLeavesTheOldFile) {
    struct Case {
        const char* name;
        std::int32_t lengthField;
        std::int32_t unpackedSize;
    };
    const Case cases[] = {
        {"length field above the unpacked size", 20000000, 3},
        {"both promise more than the stream holds", 70000, 70000},
    };
    const std::string message = Utf8(u8"Kalamarz s.c. Instalator|Pakiet instalacyjny \"Setup2.res\" jest uszkodzony: "
                                     u8"nie można poprawnie rozpakować pliku \"App.exe\". Instalacja zostanie przerwana.");
    for (const Case& c : cases) {
        for (const bool inUse : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (inUse ? ", in use" : ""));
            InstallerMachine m;
            Prepare(m, {});
            testing::Bytes bytes = testing::BuildPackage({{"App.exe"}});
            testing::Put32(bytes, package::kHeaderSize, c.lengthField);
            testing::Put32(bytes, testing::EntryOffsets(bytes)[0] + testing::kUnpackedSizeField, c.unpackedSize);
            m.Write("C:\\DIST\\Setup2.res", std::string(bytes.begin(), bytes.end()));
            m.Write("C:\\APP\\App.exe", "old");
            if (inUse) m.machine.files.Lock("C:\\APP\\App.exe");
            m.machine.ui.AddStep(Step::Answer(platform::kIdOk));
            bool restart = false;
            const RunOutcome outcome = RunEngine(m, [&](core::Installer& run) {
                InstallFile(run, "Setup2.res", "C:\\APP\\App.exe", false);
                ADD_FAILURE() << "the run went on";
            });
            EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
            EXPECT_EQ(Boxes(m.machine.ui), std::vector<std::string>{message});
            m.machine.files.Unlock("C:\\APP\\App.exe");
            EXPECT_EQ(m.Read("C:\\APP\\App.exe"), "old");
            EXPECT_FALSE(m.machine.files.FileExists("C:\\APP\\App.q07"));
            EXPECT_TRUE(m.machine.shell.Renames().empty());
            EXPECT_FALSE(restart);
        }
    }
}

// With a catalogue in the volume, a stream whose bytes changed on the way is caught
// before anything is written: the same message, the old file as it was.
TEST(InstallFileTest, TheVolumesCatalogueCatchesAChangedStream) {
    const std::string content = Content(5000);
    struct Case {
        const char* name;
        bool flipBit;
        bool entryAfterCatalogue;
        bool damaged;
    };
    const Case cases[] = {
        {"intact", false, false, false},
        {"a bit flipped in the stream", true, false, true},
        {"an entry the catalogue does not list", false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        Prepare(m, {});
        m.MakePackage("C:\\DIST\\Setup2.res", c.entryAfterCatalogue ? std::map<std::string, std::string>{{"Other.txt", "x"}}
                                                                     : std::map<std::string, std::string>{{"App.exe", content}});
        package::TResourceClass volume(m.machine.files, InstallerMachine::kTempDir);
        ASSERT_TRUE(volume.OpenPackage("C:\\DIST\\Setup2.res"));
        package::AppendCatalogue(m.machine.files, volume);
        if (c.entryAfterCatalogue) {
            m.Write("C:\\PACKSRC\\App.exe", content);
            volume.AddFile("C:\\PACKSRC\\App.exe");
        }
        std::string bytes = m.Read("C:\\DIST\\Setup2.res");
        if (c.flipBit) {  // the last bit of the stream: the file would still unpack to its size
            const package::TResourceEntry entry = volume.FindEntry("App.exe");
            bytes[static_cast<std::size_t>(entry.DataOffset + entry.PackedSize - 1)] ^= 0x01;
        }
        m.Write("C:\\DIST\\Setup2.res", bytes);
        m.Write("C:\\APP\\App.exe", "old");
        if (c.damaged) m.machine.ui.AddStep(Step::Answer(platform::kIdOk));
        const RunOutcome outcome =
            RunEngine(m, [&](core::Installer& run) { InstallFile(run, "Setup2.res", "C:\\APP\\App.exe", false); });
        EXPECT_EQ(outcome.end, c.damaged ? RunOutcome::End::EndInstaller : RunOutcome::End::Returned);
        EXPECT_EQ(m.Read("C:\\APP\\App.exe"), c.damaged ? "old" : content);
        EXPECT_FALSE(m.machine.files.FileExists("C:\\APP\\App.q07"));
    }
}

TEST(InstallFileTest, DivertedCopiesStayBesideTheFileAndNeverTouchATakenName) {
    InstallerMachine m;
    m.Write("C:\\APP\\Taken.q07", "first");
    m.Write("C:\\APP\\TAKEN~2.Q07", "second");  // taken in other letters
    m.Write("C:\\APP\\App.old\\Lib.dll", "");
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\APP\\App.exe", "C:\\APP\\App.q07"},
        {"C:\\APP\\App.old\\Lib.dll", "C:\\APP\\App.old\\Lib.q07"},
        {"C:\\APP\\Archive.tar.gz", "C:\\APP\\Archive.q07"},
        {"C:\\APP\\README", "C:\\APP\\README.q07"},
        {"C:\\APP\\Taken.dll", "C:\\APP\\Taken~3.q07"},
        {"C:\\APP\\Data.q07", "C:\\APP\\Data~2.q07"},  // never the destination itself
    };
    for (const auto& [dest, diverted] : cases) {
        const DivertedCopy copy = CreateDiverted(m.machine.files, dest);
        EXPECT_EQ(copy.path, diverted) << dest;
        EXPECT_EQ(copy.file->Size(), 0) << dest;
    }
    EXPECT_EQ(m.Read("C:\\APP\\Taken.q07"), "first");
    EXPECT_EQ(m.Read("C:\\APP\\Taken~2.q07"), "second");
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
