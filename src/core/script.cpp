#include "core/script.hpp"

#include "common/strings.hpp"
#include "common/text.hpp"

namespace instalator::core {

std::string ItemKey(std::int32_t number, std::string_view suffix) {
    std::string key("Item");
    key.append(common::IntToText(number));
    key.append(suffix);
    return key;
}

std::string SplashKey(std::int32_t volume, std::int32_t file) {
    std::string suffix("_");
    suffix.append(common::IntToText(file));
    return ItemKey(volume, suffix);
}

std::string ScriptTitle(const profile::TIniFile& script) { return script.ReadText(kApplication, "Title", kDefaultTitle); }

std::string ScriptTargetDir(const profile::TIniFile& script) {
    return script.ReadText(kApplication, "TargetDir", kDefaultTargetDir);
}

std::string ScriptGroup(const profile::TIniFile& script) { return script.ReadText(kApplication, "Group", ""); }

std::int32_t ScriptPrgSpace(const profile::TIniFile& script) { return script.ReadNumber(kApplication, "PrgSpace", 0); }

std::int32_t ScriptWinSpace(const profile::TIniFile& script) { return script.ReadNumber(kApplication, "WinSpace", 0); }

std::string ScriptShell(const profile::TIniFile& script) { return script.ReadText(kApplication, "Shell", ""); }

std::string ScriptUninstall(const profile::TIniFile& script) { return script.ReadText(kApplication, "Uninstall", ""); }

void WriteScriptGroup(profile::TIniFile& script, std::string_view group) {
    if (!group.empty()) script.WriteText(kApplication, "Group", group);
}

std::int32_t VolumeCount(const profile::TIniFile& script) { return script.ReadNumber(kResources, "Count", 0); }

std::string VolumeName(const profile::TIniFile& script, std::int32_t volume) {
    return script.ReadText(kResources, ItemKey(volume), "");
}

bool VolumeRewrite(const profile::TIniFile& script, std::int32_t volume) {
    return common::LowerCase(script.ReadText(kResources, ItemKey(volume, "Rewrite"), "true")) == "true";
}

std::int32_t VolumeFileCount(const profile::TIniFile& script, std::string_view section) {
    return script.ReadNumber(section, "Count", 0);
}

ScriptItem ReadScriptItem(const profile::TIniFile& script, std::string_view section, std::int32_t file) {
    ScriptItem item;
    item.Name = script.ReadText(section, ItemKey(file), "");
    item.Dest = script.ReadText(section, ItemKey(file, "Dest"), "");
    item.Shell = script.ReadNumber(section, ItemKey(file, "Shell"), 0);
    item.Link = script.ReadText(section, ItemKey(file, "Link"), "");
    item.File = script.ReadText(section, ItemKey(file, "File"), "");
    item.Parameter = script.ReadText(section, ItemKey(file, "Parameter"), "");
    item.Reg = script.ReadNumber(section, ItemKey(file, "Reg"), 0);
    return item;
}

std::string SplashPicture(const profile::TIniFile& script, std::int32_t volume, std::int32_t file) {
    return script.ReadText(kSplash, SplashKey(volume, file), "");
}

std::int32_t InstallRegCount(const profile::TIniFile& script) { return script.ReadNumber(kInstallReg, "Count", 0); }

std::string InstallRegItem(const profile::TIniFile& script, std::int32_t item) {
    return script.ReadText(kInstallReg, ItemKey(item), "");
}

}  // namespace instalator::core
