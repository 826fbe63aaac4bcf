#pragma once
// The uninstall log Setup.uni in the target directory: one record per installed file
// (with a reverse index by path, so a path is recorded once across runs) and one per
// shortcut, written through the profile store, so the file is the same as the
// platform's profile functions write it.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <set>
#include <utility>

#include "core/installer.hpp"

namespace instalator::system {

// The text of the target-directory field followed by "Setup.uni".
std::string UninstallLogPath(core::Installer& run);

// The file records of the log, for a pass that installs many files: the log is read
// once and its text kept, and each record goes to the disk in one write of the whole
// text, the same bytes as the profile store would write key by key. Nothing else may
// write the log while the object lives.
class UninstallLog {
public:
    explicit UninstallLog(core::Installer& run);

    // Rewrites [Application] Title with the main window's product title and, unless
    // destPath is already recorded (letter case ignored), adds the record [ItemN] with
    // the path, exists (whether a file is there now) and the registration flag, its
    // reverse index [destPath] Item=N, and [Application] Count=N. A failed write
    // throws profile::ProfileError; records written before it stay.
    void AddFile(const std::string& destPath, bool reg, bool exists);

private:
    std::int32_t Number(const std::string& text, std::string_view section, std::string_view key) const;
    // Sets the keys of section (values in order), appending the section whole when
    // the text lacks it.
    void SetKeys(std::string& text, std::string_view section,
                 std::initializer_list<std::pair<std::string_view, std::string_view>> keys);

    bool HasSection(std::string_view section) const;

    core::Installer& run_;
    std::string path_;
    std::optional<std::string> text_;  // as the disk holds it; empty until read
    std::set<std::string> sections_;   // the text's section names, as profile::ProfileSectionNames gives them
};

// UninstallLog::AddFile for one file, looking whether a file is at destPath now.
void LogInstalledFile(core::Installer& run, const std::string& destPath, bool reg);

// Adds the record [ShortCutN] with the link's path and its group folder and sets
// [ShortCuts] Count=N.
void LogShortCut(core::Installer& run, const std::string& linkPath, const std::string& groupFolder);

}  // namespace instalator::system
