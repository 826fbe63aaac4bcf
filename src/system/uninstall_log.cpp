#include "system/uninstall_log.hpp"

#include "common/strings.hpp"
#include "common/text.hpp"
#include "profile/ini_file.hpp"
#include "core/main_form.hpp"
#include "dialogs/select_dir.hpp"

namespace instalator::system {
namespace {

constexpr std::string_view kApplication = "Application";
constexpr std::string_view kShortCuts = "ShortCuts";

// The record number after n. A count edited by hand to the largest 32-bit number goes
// on at the smallest, as 32-bit arithmetic wraps it, without overflowing an int.
std::int32_t NextNumber(std::int32_t n) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(n) + 1U); }

}  // namespace

std::string UninstallLogPath(core::Installer& run) {
    return run.State.TargetDir + "Setup.uni";
}

void LogInstalledFile(core::Installer& run, const std::string& destPath, bool reg) {
    UninstallLog(run).AddFile(destPath, reg, run.Machine.files.FileExists(destPath));
}

UninstallLog::UninstallLog(core::Installer& run) : run_(run), path_(UninstallLogPath(run)) {}

// The record of one file goes to the disk in one write, before the file is unpacked:
// a run that ends on the way leaves the record of every file it may have touched, and
// never a part of a record.
void UninstallLog::AddFile(const std::string& destPath, bool reg, bool exists) {
    try {
        if (!text_) {
            text_ = profile::ReadProfileText(run_.Machine.files, path_).value_or(std::string());
            sections_ = profile::ProfileSectionNames(*text_);
        }
        std::string text = *text_;
        SetKeys(text, kApplication, {{"Title", run_.State.Title}});
        const std::string number = common::IntToText(NextNumber(Number(text, kApplication, "Count")));
        if (Number(text, destPath, "Item") == 0) {
            SetKeys(text, "Item" + number, {{"Name", destPath}, {"Exists", exists ? "1" : "0"},
                                            {"Register", reg ? "1" : "0"}});
            SetKeys(text, kApplication, {{"Count", number}});
            SetKeys(text, destPath, {{"Item", number}});
        }
        if (text != *text_) profile::ReplaceProfileText(run_.Machine.files, path_, text);
        text_ = std::move(text);
    } catch (const common::IoError&) {
        text_.reset();  // read the file again next time
        throw profile::ProfileError("Unable to write to " + path_);
    }
}

// As the profile store reads a number: nothing or anything but a number is 0.
std::int32_t UninstallLog::Number(const std::string& text, std::string_view section, std::string_view key) const {
    if (!HasSection(section)) return 0;
    return profile::ProfileNumber(profile::ReadProfileValue(text, section, key, "")).value_or(0);
}

void UninstallLog::SetKeys(std::string& text, std::string_view section,
                           std::initializer_list<std::pair<std::string_view, std::string_view>> keys) {
    if (HasSection(section)) {
        for (const auto& [key, value] : keys) text = profile::WithProfileValue(text, section, key, value);
        return;
    }
    // What the profile store writes for a missing section: its header and its keys
    // at the end, on a line of their own.
    if (!text.empty() && text.back() != '\r' && text.back() != '\n') text += "\r\n";
    text.append("[").append(common::TrimBlanks(section)).append("]\r\n");
    for (const auto& [key, value] : keys) text.append(key).append("=").append(value).append("\r\n");
    const std::string name = common::LowerCase(common::TrimBlanks(section));
    sections_.insert(name);
}

bool UninstallLog::HasSection(std::string_view section) const {
    return sections_.contains(common::LowerCase(common::TrimBlanks(section)));
}

void LogShortCut(core::Installer& run, const std::string& linkPath, const std::string& groupFolder) {
    profile::TIniFile log(run.Machine.files, UninstallLogPath(run), profile::TIniFile::Access::Batch);
    const std::int32_t number = NextNumber(log.ReadNumber(kShortCuts, "Count", 0));
    const std::string section = "ShortCut" + std::to_string(number);
    log.WriteText(section, "Name", linkPath);
    log.WriteText(section, "Directory", groupFolder);
    log.WriteNumber(kShortCuts, "Count", number);
    log.Commit();
}

}  // namespace instalator::system
