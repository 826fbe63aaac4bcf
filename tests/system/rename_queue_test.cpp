// The replace-on-restart queue: the [Rename] line in WinInit.ini beside the
// system's own queue, whatever the Windows directory looks like.

#include <gtest/gtest.h>

#include "common/strings.hpp"
#include "support/engine_run.hpp"
#include "system/rename_queue.hpp"

namespace instalator::system {
namespace {

using testing::InstallerMachine;

TEST(RenameQueueTest, WritesTheLineQueuesTheRenameAndAsksForARestart) {
    const std::string longDir = "C:\\" + std::string(120, 'w') + "\\" + std::string(20, 'x');  // 144 characters
    struct Case {
        const char* name;
        std::string windows;
        std::string winInit;
    };
    const Case cases[] = {
        {"ordinary", "C:\\WINDOWS", "C:\\WINDOWS\\WinInit.ini"},
        {"drive root", "C:\\", "C:\\WinInit.ini"},
        {"128 characters and more", longDir, longDir + "\\WinInit.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        m.PrepareInstaller("");
        platform::MakePath(m.machine.files, c.windows + "\\");
        m.machine.system.SetWindowsDirectory(c.windows);
        bool before = true;
        bool after = false;
        testing::RunEngine(m, [&](core::Installer& run) {
            EXPECT_EQ(WinInitPath(run), c.winInit);
            before = run.State.RestartNeeded;
            QueueRename(run, "C:\\APP\\A.EXE", "C:\\APP\\A.q07");
            after = run.State.RestartNeeded;
        });
        EXPECT_FALSE(before);
        EXPECT_TRUE(after);
        EXPECT_EQ(m.Read(c.winInit), "[Rename]\r\nC:\\APP\\A.EXE=C:\\APP\\A.q07\r\n");
        ASSERT_EQ(m.machine.shell.Renames().size(), 1U);
        EXPECT_EQ(m.machine.shell.Renames()[0].destination, "C:\\APP\\A.EXE");
        EXPECT_EQ(m.machine.shell.Renames()[0].source, "C:\\APP\\A.q07");
    }
}

TEST(RenameQueueTest, KeepsOtherLinesAndReplacesTheSameDestination) {
    InstallerMachine m;
    m.PrepareInstaller("");
    m.Write("C:\\WINDOWS\\WinInit.ini",
            "[Rename]\r\nNUL=C:\\OLD1.TMP\r\nNUL=C:\\OLD2.TMP\r\nc:\\app\\a.exe=C:\\X.q07\r\n[Other]\r\nk=v\r\n");
    m.machine.system.SetWindowsDirectory("C:\\WINDOWS");
    m.machine.shell.SetReplaceOnRebootSupported(false);  // the family that reads WinInit.ini
    bool restart = false;
    testing::RunEngine(m, [&](core::Installer& run) {
        QueueRename(run, "C:\\APP\\A.EXE", "C:\\APP\\A.q07");
        QueueRename(run, "C:\\APP\\B.DLL", "C:\\APP\\B.q07");
        restart = run.State.RestartNeeded;
    });
    EXPECT_TRUE(restart);
    EXPECT_EQ(m.Read("C:\\WINDOWS\\WinInit.ini"),
              "[Rename]\r\nNUL=C:\\OLD1.TMP\r\nNUL=C:\\OLD2.TMP\r\nc:\\app\\a.exe=C:\\APP\\A.q07\r\n"
              "C:\\APP\\B.DLL=C:\\APP\\B.q07\r\n[Other]\r\nk=v\r\n");
}

}  // namespace
}  // namespace instalator::system
