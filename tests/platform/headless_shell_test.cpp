// The headless shell: how an unscripted registration ends, the link files it writes
// and reads back, and the requests a test can refuse.

#include <gtest/gtest.h>

#include "platform/headless/machine.hpp"
#include "support/installer_machine.hpp"

namespace instalator::platform {
namespace {

using testing::InstallerMachine;
using Outcome = Registration::Outcome;

TEST(HeadlessShellTest, UnscriptedRegistrationsFollowTheFiles) {
    InstallerMachine m;
    m.Write("C:\\APP\\A.DLL", "MZ");
    m.machine.shell.ScriptRegistration("c:\\app\\b.dll", {Outcome::Refused, 0x80070005});
    struct Case {
        std::string path;
        Outcome outcome;
        std::uint32_t code;
    };
    const std::vector<Case> cases = {
        {"C:\\APP\\A.DLL", Outcome::Registered, 0},
        {"c:\\app\\a.dll", Outcome::Registered, 0},
        {"C:\\APP\\B.DLL", Outcome::Refused, 0x80070005},  // scripted, though the file is missing
        {"C:\\APP\\C.DLL", Outcome::NotLoaded, HeadlessShell::kModuleNotFound},
        {"C:\\APP", Outcome::NotLoaded, HeadlessShell::kModuleNotFound},  // a directory
        {"", Outcome::NotLoaded, HeadlessShell::kModuleNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Registration r = m.machine.shell.RegisterLibrary(c.path);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.code, c.code);
    }
    EXPECT_EQ(m.machine.shell.Registrations().size(), cases.size());
}

TEST(HeadlessShellTest, LinksAreFilesThatReadBack) {
    InstallerMachine m;
    HeadlessShell& shell = m.machine.shell;
    m.Write("C:\\MENU\\x", "");
    const ShellLink link{"C:\\Program Files\\Q\\Q.EXE", "\"C:\\a b\\c.txt\" /p", "C:\\Program Files\\Q\\"};
    EXPECT_TRUE(shell.NewLink(link)->Save("C:\\MENU\\Q.lnk"));
    const std::optional<ShellLink> back = shell.ReadLink("c:\\menu\\q.LNK");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->target, link.target);
    EXPECT_EQ(back->arguments, link.arguments);
    EXPECT_EQ(back->workingDirectory, link.workingDirectory);

    EXPECT_FALSE(shell.NewLink(link)->Save("C:\\NOWHERE\\Q.lnk"));  // no such folder
    m.Write("C:\\MENU\\OTHER.lnk", "[HeadlessLink]\r\nTarget=X\r\n");
    EXPECT_FALSE(shell.ReadLink("C:\\MENU\\OTHER.lnk"));
    EXPECT_FALSE(shell.ReadLink("C:\\MENU\\NONE.lnk"));
    ASSERT_EQ(shell.Links().size(), 2u);
    EXPECT_TRUE(shell.Links()[0].saved);
    EXPECT_FALSE(shell.Links()[1].saved);

    shell.SetLinkObjectMissing("Class not registered");
    EXPECT_THROW(shell.NewLink(link)->Save("C:\\MENU\\R.lnk"), ShellError);
    EXPECT_FALSE(m.machine.files.FileExists("C:\\MENU\\R.lnk"));
    EXPECT_EQ(shell.Links().size(), 2u);  // nothing was asked of a missing object
}

TEST(HeadlessShellTest, RefusedRequestsSayFalse) {
    InstallerMachine m;
    HeadlessShell& shell = m.machine.shell;
    EXPECT_TRUE(shell.QueueReplaceOnReboot("C:\\W\\A.DLL", "C:\\W\\A.q07"));
    shell.SetReplaceOnRebootSupported(false);
    EXPECT_FALSE(shell.QueueReplaceOnReboot("C:\\W\\B.DLL", "C:\\W\\B.q07"));
    ASSERT_EQ(shell.Renames().size(), 1u);
    EXPECT_EQ(shell.Renames()[0].destination, "C:\\W\\A.DLL");
    EXPECT_EQ(shell.Renames()[0].source, "C:\\W\\A.q07");

    shell.SetStartResult(false);
    EXPECT_FALSE(shell.StartFile(nullptr, "C:\\APP\\Q.EXE", "", "c:\\", 1));
    ASSERT_EQ(shell.Starts().size(), 1u);
    EXPECT_EQ(shell.Starts()[0].directory, "c:\\");
    shell.SetRestartResult(false);
    EXPECT_FALSE(shell.RestartWindows());
    EXPECT_EQ(shell.Restarts(), 1);
}

}  // namespace
}  // namespace instalator::platform
