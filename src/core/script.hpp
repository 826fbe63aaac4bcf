#pragma once
// Typed access to the installation script (Setup.lst): every section and key the
// installer reads, each with its default, and the run's own writes into the script
// copy. Key names are the word "Item", a number in decimal and a suffix.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/script.hpp"
#include "profile/ini_file.hpp"

namespace instalator::core {

// The sections of the script with fixed names.
inline constexpr std::string_view kApplication = "Application";
inline constexpr std::string_view kResources = "Resources";
inline constexpr std::string_view kSplash = "Splash";
inline constexpr std::string_view kInstallReg = "InstallReg";

// The product title when the script names none.
inline constexpr std::string_view kDefaultTitle = "Quill07";
// The target directory when the script names none.
inline constexpr std::string_view kDefaultTargetDir = "C:\\MyApp";

// "Item" + number + suffix: ItemKey(3, "Dest") is "Item3Dest".
std::string ItemKey(std::int32_t number, std::string_view suffix = {});
// The [Splash] key of file d of volume b: "Item<b>_<d>".
std::string SplashKey(std::int32_t volume, std::int32_t file);

// One file of a volume section, as the script describes it.
struct ScriptItem {
    std::string Name;        // Item<d>: destination file name and entry name
    std::string Dest;        // Item<d>Dest: destination keyword or subdirectory
    std::int32_t Shell = 0;  // Item<d>Shell: 1 records a shortcut
    std::string Link;        // Item<d>Link: the shortcut's file name
    std::string File;        // Item<d>File: a program that opens the installed file
    std::string Parameter;   // Item<d>Parameter: the shortcut's arguments
    std::int32_t Reg = 0;    // Item<d>Reg: 1 self-registers the file
};

// [Application]
std::string ScriptTitle(const profile::TIniFile& script);
std::string ScriptTargetDir(const profile::TIniFile& script);
std::string ScriptGroup(const profile::TIniFile& script);
std::int32_t ScriptPrgSpace(const profile::TIniFile& script);
std::int32_t ScriptWinSpace(const profile::TIniFile& script);
std::string ScriptShell(const profile::TIniFile& script);
std::string ScriptUninstall(const profile::TIniFile& script);
// Writes [Application] Group, only when group is not empty.
void WriteScriptGroup(profile::TIniFile& script, std::string_view group);

// [Resources]
std::int32_t VolumeCount(const profile::TIniFile& script);
std::string VolumeName(const profile::TIniFile& script, std::int32_t volume);
// Item<b>Rewrite is "true" in any letter case (the default).
bool VolumeRewrite(const profile::TIniFile& script, std::int32_t volume);

// The section named after a volume.
std::int32_t VolumeFileCount(const profile::TIniFile& script, std::string_view section);
ScriptItem ReadScriptItem(const profile::TIniFile& script, std::string_view section, std::int32_t file);

// [Splash]
std::string SplashPicture(const profile::TIniFile& script, std::int32_t volume, std::int32_t file);

// [InstallReg]
std::int32_t InstallRegCount(const profile::TIniFile& script);
std::string InstallRegItem(const profile::TIniFile& script, std::int32_t item);

}  // namespace instalator::core
