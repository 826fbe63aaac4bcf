// Self-registration of the [InstallReg] list on the headless machine: the order of
// the items, the items that cannot be registered, and the error that ends the list.

#include <gtest/gtest.h>

#include <functional>

#include "core/installer.hpp"
#include "setup/run_installer.hpp"
#include "system/install_reg.hpp"
#include "support/installer_machine.hpp"

namespace instalator::system {
namespace {

using platform::Registration;
using testing::InstallerMachine;
using Outcome = Registration::Outcome;

// Starts the installer with script and hands the run to body once every window
// exists.
void WithRun(InstallerMachine& m, const std::string& script, const std::function<void(core::Installer&)>& body) {
    m.PrepareInstaller(script);
    m.machine.Run([&](platform::Platform& platform) {
        core::Installer run(platform);
        setup::CreateWindows(run);
        body(run);
        return 0;
    });
}

TEST(InstallRegTest, RegistersEveryListedItemInOrderWhateverBecomesOfIt) {
    struct Case {
        const char* name;
        std::string section;
        std::vector<std::string> appended;
        std::vector<std::string> registered;
    };
    const std::vector<Case> cases = {
        {"no section", "", {}, {}},
        {"count zero", "[InstallReg]\r\nCount=0\r\nItem1=C:\\APP\\A.DLL\r\n", {}, {}},
        {"count minus one", "[InstallReg]\r\nCount=-1\r\nItem1=C:\\APP\\A.DLL\r\n", {}, {}},
        {"count not a number", "[InstallReg]\r\nCount=two\r\nItem1=C:\\APP\\A.DLL\r\n", {}, {}},
        {"listed, missing and empty items",
         "[InstallReg]\r\nCount=3\r\nItem1=C:\\APP\\A.DLL\r\nItem2=\r\nItem3=C:\\APP\\GONE.DLL\r\n",
         {},
         {"C:\\APP\\A.DLL", "", "C:\\APP\\GONE.DLL"}},
        {"count beyond the items", "[InstallReg]\r\nCount=3\r\nItem1=C:\\APP\\A.DLL\r\n", {},
         {"C:\\APP\\A.DLL", "", ""}},
        {"listed ones before appended ones", "[InstallReg]\r\nCOUNT=2\r\nitem1=C:\\APP\\A.DLL\r\nItem2=C:\\APP\\B.OCX\r\n",
         {"C:\\APP\\C.DLL", "C:\\APP\\A.DLL"},
         {"C:\\APP\\A.DLL", "C:\\APP\\B.OCX", "C:\\APP\\C.DLL", "C:\\APP\\A.DLL"}},
        {"appended only", "", {"C:\\WINDOWS\\SYSTEM\\Q.q07"}, {"C:\\WINDOWS\\SYSTEM\\Q.q07"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        m.Write("C:\\APP\\A.DLL", "MZ");
        WithRun(m, "[Application]\r\nTitle=Q\r\n" + c.section, [&](core::Installer& run) {
            for (const std::string& path : c.appended) AppendInstallReg(run, path);
            ProcessInstallReg(run);
        });
        EXPECT_EQ(m.machine.shell.Registrations(), c.registered);
    }
}

TEST(InstallRegTest, ALibraryThatDoesNotRegisterIsPassedOverSilently) {
    const std::vector<Registration> failures = {
        {Outcome::NotLoaded, 193},     // not a library
        {Outcome::NoEntryPoint, 0},    // a library without DllRegisterServer
        {Outcome::Refused, 0x80004005},  // DllRegisterServer reported a failure
    };
    for (const Registration& failure : failures) {
        SCOPED_TRACE(static_cast<int>(failure.outcome));
        InstallerMachine m;
        m.machine.shell.ScriptRegistration("c:\\app\\bad.dll", failure);
        // No message box is scripted: showing one would fail the run.
        WithRun(m, "[InstallReg]\r\nCount=2\r\nItem1=C:\\APP\\BAD.DLL\r\nItem2=C:\\APP\\GOOD.DLL\r\n",
                [](core::Installer& run) { EXPECT_NO_THROW(ProcessInstallReg(run)); });
        EXPECT_EQ(m.machine.shell.Registrations(), (std::vector<std::string>{"C:\\APP\\BAD.DLL", "C:\\APP\\GOOD.DLL"}));
    }
}

TEST(InstallRegTest, AnErrorInsideARegistrationEndsTheList) {
    InstallerMachine m;
    m.machine.shell.ScriptRegistrationError("C:\\APP\\B.DLL", "Access violation at address 0040A1B2");
    WithRun(m, "[InstallReg]\r\nCount=3\r\nItem1=C:\\APP\\A.DLL\r\nItem2=C:\\APP\\B.DLL\r\nItem3=C:\\APP\\C.DLL\r\n",
            [](core::Installer& run) {
                try {
                    ProcessInstallReg(run);
                    ADD_FAILURE() << "the error did not reach the caller";
                } catch (const platform::ShellError& error) {
                    EXPECT_STREQ(error.what(), "Access violation at address 0040A1B2");
                }
            });
    EXPECT_EQ(m.machine.shell.Registrations(), (std::vector<std::string>{"C:\\APP\\A.DLL", "C:\\APP\\B.DLL"}));
}

}  // namespace
}  // namespace instalator::system
