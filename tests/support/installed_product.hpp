#pragma once
// A small product installed through the installer's dialogs on the headless machine,
// and the machine's whole state to compare before and after its removal.

#include <map>
#include <string>

#include "support/installer_machine.hpp"

namespace instalator::testing {

// C:\APP: App.exe with the shortcut Pioro.lnk in the group Kalamarz, the uninstaller
// Uninst.exe, the registered library Parts.dll, DOC\Help.txt and, in the system
// directory, Shared.dll (kept when it was there before).
extern const std::string kProductScript;
std::map<std::string, std::string> ProductEntries();

// Publishes the Programs folder C:\MENU and makes the uninstall list's key, as a
// machine has them before any installation.
void PrepareMachine(InstallerMachine& m);

// Runs the installer with script and entries through every dialog to the end; target
// is the script's target directory.
void InstallProduct(InstallerMachine& m, const std::string& script = kProductScript,
                    const std::map<std::string, std::string>& entries = ProductEntries(),
                    const std::string& target = "C:\\APP");

// Every directory and file of drive C: with its contents (the temporary directory
// and the installation media C:\DIST and C:\PACKSRC left out), then the registry.
std::string MachineState(InstallerMachine& m);

// What the next start of Windows does with the queued deletions.
void Restart(InstallerMachine& m);

}  // namespace instalator::testing
