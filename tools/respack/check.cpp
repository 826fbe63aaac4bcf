// The script checker: reads the script as the installer will, finds every file it
// names, and reports what would go wrong on the user's machine.

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>

#include "common/errors.hpp"
#include "profile/ini_file.hpp"
#include "common/strings.hpp"
#include "common/text.hpp"
#include "host.hpp"
#include "name_safety.hpp"
#include "package/resource.hpp"
#include "platform/file_system.hpp"
#include "platform/image.hpp"
#include "product.hpp"
#include "report.hpp"
#include "script_view.hpp"
#include "workspace.hpp"

namespace instalator::respack {
namespace {

using core::kApplication;
using core::kInstallReg;
using core::kResources;
using core::kSplash;
constexpr std::string_view kStartupPictures[] = {"Splash1.bmp", "setup2.bmp"};

std::string Backslashes(std::string_view path) {
    std::string out(path);
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

std::string KeyText(const std::string& key, const std::string& value) { return key + "=" + value; }

// "Item12Dest" -> 12 and "Dest"; nothing for other names. A number with a leading
// zero is kept as written (the installer never forms it) and reported by the caller.
struct ItemKeyName {
    std::string digits;
    std::string suffix;
};

std::optional<ItemKeyName> SplitItemKey(std::string_view key) {
    if (key.size() < 5 || !common::SameText(key.substr(0, 4), "Item")) return std::nullopt;
    std::size_t end = 4;
    while (end < key.size() && key[end] >= '0' && key[end] <= '9') ++end;
    if (end == 4) return std::nullopt;
    return ItemKeyName{std::string(key.substr(4, end - 4)), std::string(key.substr(end))};
}

// The number the installer forms for these digits, or -1 when it never forms them.
std::int64_t ItemNumber(const std::string& digits) {
    if (digits.size() > 9 || (digits.size() > 1 && digits[0] == '0')) return -1;
    return std::stoll(digits);
}

class Checker {
public:
    Checker(platform::FileSystem& fs, const std::string& scriptPath, Findings& findings, bool splitting)
        : fs_(fs), findings_(findings), ini_(fs, scriptPath), splitting_(splitting) {
        product_.scriptPath = scriptPath;
        product_.folder = ScriptFolder(scriptPath, fs.Separator());
        const auto file = fs.Open(scriptPath, platform::OpenMode::Read);
        product_.scriptText.resize(static_cast<std::size_t>(file->Size()));
        product_.scriptText.resize(file->Read(product_.scriptText.data(), product_.scriptText.size()));
        file->Close();
        view_.emplace(product_.scriptText);
    }

    Product Run() {
        CheckLayout();
        CheckApplication();
        CheckResources();
        for (ProductVolume& volume : product_.volumes) CheckVolume(volume);
        CheckNames();
        CheckShortcuts();
        CheckTargetFile("Shell");
        CheckTargetFile("Uninstall");
        CheckPictures();
        CheckStartupNames();
        CheckSpace();
        if (!splitting_) CheckLimits();
        CheckUnknownSections();
        return std::move(product_);
    }

private:
    const ScriptView& View() const { return *view_; }

    // Sections twice, keys twice, stray lines and values longer than the reader takes.
    void CheckLayout() {
        std::map<std::string, int> sections;
        for (const ScriptSection& section : View().Sections()) {
            const auto [at, fresh] = sections.emplace(common::LowerCase(section.name), section.line);
            if (!fresh) {
                findings_.Warning(section.line, "section [" + section.name + "] appears again (first at line " +
                                                    std::to_string(at->second) +
                                                    "); the installer reads only the first, so the keys here are ignored");
                continue;
            }
            std::map<std::string, int> keys;
            for (const ScriptKey& key : section.keys) {
                const auto [k, new_key] = keys.emplace(common::LowerCase(key.name), key.line);
                if (!new_key) {
                    findings_.Warning(key.line, "[" + section.name + "] " + key.name + " appears again (first at line " +
                                                    std::to_string(k->second) + "); the installer reads the first value");
                }
                if (key.value.size() > profile::TIniFile::kMaxValue) {
                    findings_.Warning(key.line, "[" + section.name + "] " + key.name +
                                                    ": the value is cut to its first 1023 characters when read");
                }
            }
        }
        for (const StrayLine& stray : View().Stray()) {
            findings_.Warning(stray.line, "the line " + Quoted(stray.text) +
                                              " is neither a section, a key nor a comment; the installer ignores it");
        }
    }

    // A number key: hexadecimal and text that is no number are read otherwise than they look.
    void CheckNumber(std::string_view section, std::string_view key) {
        const ScriptKey* found = View().Find(section, key);
        if (found == nullptr) return;
        const std::string where = "[" + std::string(section) + "] " + KeyText(found->name, found->value);
        const std::optional<std::int32_t> number = profile::ProfileNumber(found->value);
        if (!number) {
            findings_.Warning(found->line, where + " is not a number; the installer reads 0");
        } else if (found->value.starts_with('$') || found->value.starts_with("0x") || found->value.starts_with("0X")) {
            findings_.Warning(found->line, where + " is read as the hexadecimal number " + std::to_string(*number));
        }
    }

    void CheckKnownKeys(std::string_view section, std::initializer_list<std::string_view> known) {
        const ScriptSection* found = View().Find(section);
        if (found == nullptr) return;
        for (const ScriptKey& key : found->keys) {
            const bool ok = std::any_of(known.begin(), known.end(), [&](std::string_view k) { return common::SameText(k, key.name); });
            if (!ok) findings_.Warning(key.line, "[" + found->name + "] " + key.name + " is not a key the installer reads");
        }
    }

    void CheckApplication() {
        CheckKnownKeys(kApplication, {"Title", "TargetDir", "Group", "PrgSpace", "WinSpace", "Shell", "Uninstall"});
        CheckNumber(kApplication, "PrgSpace");
        CheckNumber(kApplication, "WinSpace");
        CheckNumber(kInstallReg, "Count");
    }

    // Item keys numbered outside 1..count, or with a suffix the installer does not
    // know, in a section whose items are numbered.
    void CheckItemKeys(const ScriptSection& section, std::int32_t count, std::initializer_list<std::string_view> suffixes) {
        for (const ScriptKey& key : section.keys) {
            if (common::SameText(key.name, "Count")) continue;
            const auto item = SplitItemKey(key.name);
            const bool known = item && std::any_of(suffixes.begin(), suffixes.end(), [&](std::string_view s) {
                                   return common::SameText(s, item->suffix);
                               });
            const std::string where = "[" + section.name + "] " + key.name;
            if (!known) {
                findings_.Warning(key.line, where + " is not a key the installer reads");
                continue;
            }
            const std::int64_t number = ItemNumber(item->digits);
            if (number < 1 || number > count) {
                findings_.Error(key.line, where + " is outside Count=" + std::to_string(count) +
                                              ": the installer never reads it");
            }
        }
    }

    void CheckResources() {
        CheckNumber(kResources, "Count");
        const std::int32_t count = core::VolumeCount(ini_);
        const ScriptSection* resources = View().Find(kResources);
        if (resources == nullptr || count <= 0) {
            findings_.Warning(View().Line(kResources, "Count"), "[Resources] names no volume: nothing is installed");
        }
        if (resources != nullptr) CheckItemKeys(*resources, count, {"", "Rewrite"});
        for (std::int32_t b = 1; b <= count; ++b) {
            ProductVolume volume;
            volume.name = core::VolumeName(ini_, b);
            const std::string key = core::ItemKey(b);
            volume.line = View().Line(kResources, key);
            if (const ScriptKey* rewrite = View().Find(kResources, core::ItemKey(b, "Rewrite"))) {
                volume.rewrite = rewrite->value;
                const std::string lower = common::LowerCase(rewrite->value);
                if (lower != "true" && lower != "false") {
                    findings_.Warning(rewrite->line, "[Resources] " + KeyText(rewrite->name, rewrite->value) +
                                                         " is not \"true\": files already on the machine are kept");
                }
            }
            if (volume.name.empty()) {
                findings_.Error(volume.line, "[Resources] " + key + " is missing: volume " + std::to_string(b) +
                                                 " has no file name");
                continue;
            }
            if (const std::string reason = UnsafeNameReason(volume.name); !reason.empty()) {
                findings_.Error(volume.line, "[Resources] " + KeyText(key, volume.name) + " is " + reason +
                                                 ", not the plain file name of a volume");
                continue;
            }
            const bool twice = std::any_of(product_.volumes.begin(), product_.volumes.end(),
                                           [&](const ProductVolume& v) { return common::SameText(v.name, volume.name); });
            if (twice) {
                findings_.Error(volume.line, "[Resources] " + KeyText(key, volume.name) + " names a volume listed before");
                continue;
            }
            if (View().Find(volume.name) == nullptr) {
                findings_.Error(volume.line, "[Resources] " + KeyText(key, volume.name) + ": the script has no section [" +
                                                 volume.name + "] listing its files");
            }
            product_.volumes.push_back(std::move(volume));
        }
    }

    void CheckVolume(ProductVolume& volume) {
        const ScriptSection* section = View().Find(volume.name);
        if (section == nullptr) return;
        CheckNumber(volume.name, "Count");
        const std::int32_t count = core::VolumeFileCount(ini_, volume.name);
        CheckItemKeys(*section, count, {"", "Dest", "Shell", "Link", "File", "Parameter", "Reg"});
        if (count <= 0) findings_.Warning(section->line, "[" + section->name + "] lists no files (Count=" + std::to_string(count) + ")");
        for (std::int32_t d = 1; d <= count; ++d) {
            ProductItem item;
            item.number = d;
            item.script = core::ReadScriptItem(ini_, volume.name, d);
            const std::string key = core::ItemKey(d);
            const std::string where = "[" + section->name + "] ";
            item.line = View().Line(volume.name, key);
            CheckFlag(volume.name, core::ItemKey(d, "Shell"), "makes no shortcut");
            CheckFlag(volume.name, core::ItemKey(d, "Reg"), "does not register the file");
            if (item.script.Name.empty()) {
                findings_.Error(item.line, where + key + " is missing: item " + std::to_string(d) + " names no file");
                continue;
            }
            const std::string name = Backslashes(item.script.Name);
            if (const std::string problem = RelativePathProblem(name); !problem.empty()) {
                findings_.Error(item.line, where + KeyText(key, item.script.Name) + ": " + problem);
                continue;
            }
            item.entryName = common::FileNamePart(name);
            if (item.entryName.size() > package::kMaxEntryName) {
                findings_.Error(item.line, where + KeyText(key, item.script.Name) +
                                               ": a volume keeps names of at most 80 characters");
            }
            item.source = FindInFolder(fs_, product_.folder, name, &listings_);
            if (item.source.empty()) {
                findings_.Error(item.line, where + KeyText(key, item.script.Name) + ": no such file in " +
                                               Quoted(product_.folder.empty() ? "." : product_.folder));
            } else {
                item.size = fs_.Open(item.source, platform::OpenMode::Read)->Size();
            }
            CheckDest(volume, item, where);
            if (item.script.Shell == 1 && item.script.Link.empty()) {
                findings_.Warning(View().Line(volume.name, core::ItemKey(d, "Shell")),
                                  where + core::ItemKey(d, "Shell") + "=1 without " + core::ItemKey(d, "Link") +
                                      ": the shortcut has no name");
            }
            volume.items.push_back(std::move(item));
        }
    }

    // Shell and Reg act only when exactly 1.
    void CheckFlag(const std::string& section, const std::string& key, std::string_view otherwise) {
        const ScriptKey* found = View().Find(section, key);
        if (found == nullptr) return;
        const auto number = profile::ProfileNumber(found->value);
        if (number == 1 || number == 0) return;
        findings_.Warning(found->line, "[" + section + "] " + KeyText(found->name, found->value) + " " +
                                           std::string(otherwise) + ": only 1 acts");
    }

    void CheckDest(const ProductVolume& volume, ProductItem& item, const std::string& where) {
        const std::string keyword = common::UpperCase(item.script.Dest);
        if (keyword.empty() || keyword == "$PROGRAM") return;
        if (keyword == "$SYSTEM") {
            item.place = Place::System;
            return;
        }
        if (keyword == "$WIN") {
            item.place = Place::Windows;
            return;
        }
        const std::string key = core::ItemKey(item.number, "Dest");
        const int line = View().Line(volume.name, key);
        std::string problem = keyword.starts_with('$') ? "not a keyword ($PROGRAM, $SYSTEM, $WIN)"
                                                        : RelativePathProblem(Backslashes(keyword));
        if (!problem.empty()) {
            item.placed = false;
            findings_.Error(line, where + KeyText(key, item.script.Dest) + ": " + problem +
                                      "; a Dest is a keyword or a folder inside the target directory");
            return;
        }
        item.folder = Backslashes(keyword);
        while (!item.folder.empty() && item.folder.back() == '\\') item.folder.pop_back();
    }

    // Two items that land on the same file, and two different files under one name in
    // one volume (the installer would find the first for both).
    void CheckNames() {
        std::map<std::string, std::pair<const ProductVolume*, const ProductItem*>> destinations;
        for (const ProductVolume& volume : product_.volumes) {
            std::map<std::string, const ProductItem*> entries;
            for (const ProductItem& item : volume.items) {
                if (item.entryName.empty()) continue;
                const std::string where = "[" + volume.name + "] " + core::ItemKey(item.number) + "=" + item.script.Name;
                const std::string destination = std::to_string(static_cast<int>(item.place)) + "\\" +
                                                (item.folder.empty() ? "" : item.folder + "\\") +
                                                common::UpperCase(Backslashes(item.script.Name));
                const auto [at, fresh] = destinations.emplace(destination, std::make_pair(&volume, &item));
                if (!fresh) {
                    findings_.Error(item.line, where + " installs to the same file as [" + at->second.first->name + "] " +
                                                   core::ItemKey(at->second.second->number) + " (line " +
                                                   std::to_string(at->second.second->line) + ")");
                }
                const auto [e, new_entry] = entries.emplace(common::UpperCase(item.entryName), &item);
                if (!new_entry && !item.source.empty() && !e->second->source.empty() && e->second->source != item.source) {
                    findings_.Error(item.line, where + ": its volume already holds another file named " +
                                                   Quoted(item.entryName) + " (" + core::ItemKey(e->second->number) +
                                                   ", line " + std::to_string(e->second->line) +
                                                   "); the installer would install that one");
                }
            }
        }
    }

    void CheckShortcuts() {
        int shortcuts = 0;
        for (const ProductVolume& volume : product_.volumes) {
            for (const ProductItem& item : volume.items) {
                if (item.script.Shell != 1 || ++shortcuts != kMaxShortcuts + 1) continue;
                findings_.Error(View().Line(volume.name, core::ItemKey(item.number, "Shell")),
                                "[" + volume.name + "] " + core::ItemKey(item.number, "Shell") +
                                    "=1 asks for a 31st shortcut; the installer makes at most 30");
            }
        }
    }

    // [Application] Shell and Uninstall name files in the target directory, which
    // some item must put there.
    void CheckTargetFile(std::string_view key) {
        const ScriptKey* found = View().Find(kApplication, key);
        if (found == nullptr || found->value.empty()) return;
        const std::string wanted = Backslashes(found->value);
        for (const ProductVolume& volume : product_.volumes) {
            for (const ProductItem& item : volume.items) {
                if (item.place != Place::Target) continue;
                const std::string installed = (item.folder.empty() ? "" : item.folder + "\\") + Backslashes(item.script.Name);
                if (common::SameText(installed, wanted)) return;
            }
        }
        findings_.Error(found->line, "[Application] " + KeyText(found->name, found->value) +
                                         ": no item installs that file into the target directory");
    }

    // A picture beside the script that the installer's picture loader accepts.
    void CheckPicture(const std::string& name, int line, const std::string& what) {
        const bool known = std::any_of(product_.pictures.begin(), product_.pictures.end(),
                                       [&](const StartupFile& f) { return common::SameText(f.name, name); });
        if (known) return;
        if (const std::string reason = UnsafeNameReason(name); !reason.empty()) {
            findings_.Error(line, what + " is " + reason + ", not the plain name of a picture in " +
                                      std::string(kFirstVolume));
            return;
        }
        StartupFile picture{name, FindInFolder(fs_, product_.folder, name, &listings_), 0};
        if (picture.source.empty()) {
            findings_.Error(line, what + ": no such file in " + Quoted(product_.folder.empty() ? "." : product_.folder));
            return;
        }
        try {
            const platform::Image image = platform::LoadBmp(fs_, picture.source);
            if (image.Empty()) throw platform::ImageError("the picture has no pixels");
        } catch (const common::Error& e) {
            findings_.Error(line, what + ": not a BMP picture the installer can show (" + e.what() + ")");
            return;
        }
        picture.size = fs_.Open(picture.source, platform::OpenMode::Read)->Size();
        product_.pictures.push_back(std::move(picture));
    }

    void CheckPictures() {
        for (const std::string_view name : kStartupPictures) {
            CheckPicture(std::string(name), 0, "the start-up picture " + std::string(name));
        }
        const ScriptSection* splash = View().Find(kSplash);
        if (splash == nullptr) return;
        // Shown in the order of the volumes and their files.
        for (std::size_t b = 0; b < product_.volumes.size(); ++b) {
            for (const ProductItem& item : product_.volumes[b].items) {
                const std::string key = core::SplashKey(static_cast<std::int32_t>(b + 1), item.number);
                const ScriptKey* found = View().Find(kSplash, key);
                if (found == nullptr || found->value.empty()) continue;
                CheckPicture(found->value, found->line, "[Splash] " + KeyText(found->name, found->value));
            }
        }
        for (const ScriptKey& key : splash->keys) {
            const auto item = SplitItemKey(key.name);
            if (!item || item->suffix.size() < 2 || item->suffix[0] != '_' ||
                item->suffix.find_first_not_of("0123456789", 1) != std::string::npos) {
                findings_.Warning(key.line, "[Splash] " + key.name + " is not a key the installer reads");
            } else if (!Shown(key.name)) {
                findings_.Warning(key.line, "[Splash] " + key.name + " names no file of a volume; the picture is never shown");
            }
        }
    }

    // True when the installer reads the [Splash] key name before some item.
    bool Shown(const std::string& name) const {
        for (std::size_t b = 0; b < product_.volumes.size(); ++b) {
            const std::int32_t count = core::VolumeFileCount(ini_, product_.volumes[b].name);
            for (std::int32_t d = 1; d <= count; ++d) {
                if (common::SameText(name, core::SplashKey(static_cast<std::int32_t>(b + 1), d))) return true;
            }
        }
        return false;
    }

    // Setup1.res holds the script and the pictures under their own names: an item
    // of that volume under one of those names would be another file the installer
    // never gets.
    void CheckStartupNames() {
        for (const ProductVolume& volume : product_.volumes) {
            if (!common::SameText(volume.name, kFirstVolume)) continue;
            for (const ProductItem& item : volume.items) {
                const std::string where = "[" + volume.name + "] " + KeyText(core::ItemKey(item.number), item.script.Name);
                if (common::SameText(item.entryName, kScriptEntry)) {
                    findings_.Error(item.line, where + ": Setup1.res holds the installation script under that name");
                    continue;
                }
                for (const StartupFile& picture : product_.pictures) {
                    if (common::SameText(item.entryName, picture.name) && !item.source.empty() && item.source != picture.source) {
                        findings_.Error(item.line, where + ": Setup1.res holds the picture " + Quoted(picture.name) +
                                                       " under that name, from another file");
                    }
                }
            }
        }
    }

    void CheckSpace() {
        for (const ProductVolume& volume : product_.volumes) {
            for (const ProductItem& item : volume.items) {
                if (!item.placed) continue;
                (item.place == Place::Target ? product_.prgSpace : product_.winSpace) += item.size;
            }
        }
        CompareSpace("PrgSpace", core::ScriptPrgSpace(ini_), product_.prgSpace, "the target directory");
        CompareSpace("WinSpace", core::ScriptWinSpace(ini_), product_.winSpace, "the Windows and system directories");
    }

    void CompareSpace(std::string_view key, std::int32_t declared, std::int64_t needed, std::string_view where) {
        const int line = View().Line(kApplication, key);
        if (needed > package::kMaxPackageSize) {
            findings_.Error(line, "the items install " + std::to_string(needed) + " bytes into " + std::string(where) +
                                      ", more than [Application] " + std::string(key) + " can state (2147483647)");
            return;
        }
        if (declared >= needed) return;
        findings_.Warning(line, "[Application] " + std::string(key) + "=" + std::to_string(declared) + " is less than the " +
                                    std::to_string(needed) + " bytes the items install into " + std::string(where) +
                                    "; the right figure is " + std::string(key) + "=" + std::to_string(needed) +
                                    " (--fill-space writes it)");
    }

    // The entries each volume will hold against the container's 128 entries; sizes
    // are checked exactly when the volume is packed.
    void CheckLimits() {
        bool firstListed = false;
        for (const ProductVolume& volume : product_.volumes) {
            std::set<std::string> names;
            const bool first = common::SameText(volume.name, kFirstVolume);
            firstListed = firstListed || first;
            if (first) {
                names.insert(common::UpperCase(kScriptEntry));
                for (const StartupFile& picture : product_.pictures) names.insert(common::UpperCase(picture.name));
            }
            std::int64_t unpacked = 0;
            for (const ProductItem& item : volume.items) {
                if (!item.entryName.empty()) names.insert(common::UpperCase(item.entryName));
                unpacked += item.size;
            }
            CheckEntryCount(volume, names.size());
            if (unpacked > package::kMaxPackageSize) {
                findings_.Warning(volume.line, "volume " + volume.name + " holds " + std::to_string(unpacked) +
                                                   " bytes unpacked; packed, a volume holds at most 2147483647 bytes");
            }
        }
        if (!firstListed) CheckEntryCount({std::string(kFirstVolume), {}, 0, {}}, 1 + product_.pictures.size());
    }

    void CheckEntryCount(const ProductVolume& volume, std::size_t entries) {
        if (entries > package::kMaxEntries) {
            findings_.Error(volume.line, "volume " + volume.name + " would hold " + std::to_string(entries) +
                                             " files; a volume holds at most 128 (split it, or use --volume-size)");
        } else if (entries == package::kMaxEntries) {
            findings_.Warning(volume.line, "volume " + volume.name +
                                               " holds 128 files, the most it can, so it is written without a catalogue");
        }
    }

    // A section that lists files but is no volume: its files are never installed.
    void CheckUnknownSections() {
        std::set<std::string> seen;
        for (const ScriptSection& section : View().Sections()) {
            if (!seen.insert(common::LowerCase(section.name)).second) continue;
            const bool known = common::SameText(section.name, kApplication) || common::SameText(section.name, kResources) ||
                               common::SameText(section.name, kSplash) || common::SameText(section.name, kInstallReg) ||
                               std::any_of(product_.volumes.begin(), product_.volumes.end(),
                                           [&](const ProductVolume& v) { return common::SameText(v.name, section.name); });
            const bool listsFiles = std::any_of(section.keys.begin(), section.keys.end(), [](const ScriptKey& k) {
                return common::SameText(k.name, "Count") || SplitItemKey(k.name).has_value();
            });
            if (!known && listsFiles) {
                findings_.Error(section.line, "section [" + section.name +
                                                  "] lists files but [Resources] names no such volume: they are never installed");
            }
        }
    }

    platform::FileSystem& fs_;
    Findings& findings_;
    profile::TIniFile ini_;
    bool splitting_;
    FolderListings listings_;  // each folder is listed once
    Product product_;
    std::optional<ScriptView> view_;
};

}  // namespace

std::string ScriptFolder(const std::string& scriptPath, char separator) {
    const std::size_t last = scriptPath.find_last_of(separator == '\\' ? "\\/" : "/");
    if (last == std::string::npos) return {};
    return scriptPath.substr(0, last) + separator;
}

namespace {

bool IsBadNameCharacter(char c) {
    return static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos;
}

}  // namespace

bool Findings::HasErrors() const {
    return std::any_of(all_.begin(), all_.end(), [](const Finding& f) { return f.error; });
}

std::vector<std::string> Findings::Lines(std::string_view script) const {
    std::vector<Finding> sorted = all_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
    std::vector<std::string> lines;
    for (const Finding& f : sorted) {
        std::string line(script);
        if (f.line > 0) line += ":" + std::to_string(f.line);
        line += f.error ? ": error: " : ": warning: ";
        line += f.message;
        lines.push_back(Printable(line));
    }
    return lines;
}

void Findings::Report(std::string_view script) const {
    for (const std::string& line : Lines(script)) ComplainAboutUsage(line);
}

std::string RelativePathProblem(std::string_view text) {
    if (text.empty()) return "an empty path";
    if (text.find(':') != std::string_view::npos) return "a path with a drive or stream colon";
    if (text.front() == '\\' || text.front() == '/') return "a path from the root of a drive";
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find_first_of("\\/", begin);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view name = text.substr(begin, end - begin);
        const bool last = end == text.size();
        if (name.empty() && !(last && begin > 0)) return "a path with an empty name in it";
        if (name == "." || name == "..") return "a path through \".\" or \"..\"";
        if (std::any_of(name.begin(), name.end(), IsBadNameCharacter)) {
            return "a path with a character Windows refuses in names (<>:\"|?* or a control character)";
        }
        if (!name.empty() && !UnsafeNameReason(name).empty()) return "a path with " + UnsafeNameReason(name);
        begin = end + 1;
    }
    return {};
}

namespace {

// The entries of directory, listed once when listings keep them.
std::vector<platform::DirectoryEntry> Listing(platform::FileSystem& fs, const std::string& directory,
                                              FolderListings* listings) {
    if (listings != nullptr) {
        if (const auto found = listings->find(directory); found != listings->end()) return found->second;
    }
    std::vector<platform::DirectoryEntry> listed;
    try {
        listed = fs.ListDirectory(directory);
    } catch (const common::IoError&) {
        // No such folder: nothing in it.
    }
    if (listings != nullptr) (*listings)[directory] = listed;
    return listed;
}

// relative from `begin` on, inside path (which ends with the separator, or is empty
// for the current folder). Folders whose names differ only in letter case, which a
// host other than Windows may hold, are all tried, the exact spelling first.
std::string FindBelow(platform::FileSystem& fs, const std::string& path, std::string_view relative, std::size_t begin,
                      FolderListings* listings) {
    std::size_t end = relative.find_first_of("\\/", begin);
    if (end == std::string_view::npos) end = relative.size();
    const std::string_view name = relative.substr(begin, end - begin);
    const bool last = end == relative.size();
    const char separator = fs.Separator();
    std::vector<platform::DirectoryEntry> matches;
    for (platform::DirectoryEntry& entry : Listing(fs, path.empty() ? std::string(".") + separator : path, listings)) {
        if (entry.isDirectory == last || !common::SameText(entry.name, name)) continue;
        matches.insert(entry.name == name ? matches.begin() : matches.end(), std::move(entry));
    }
    for (const platform::DirectoryEntry& match : matches) {
        if (last) return path + match.name;
        std::string found = FindBelow(fs, path + match.name + separator, relative, end + 1, listings);
        if (!found.empty()) return found;
    }
    return {};
}

}  // namespace

std::string FindInFolder(platform::FileSystem& fs, const std::string& folder, std::string_view relative,
                         FolderListings* listings) {
    if (relative.empty()) return {};
    return FindBelow(fs, folder, relative, 0, listings);
}

Product ReadProduct(platform::FileSystem& fs, const std::string& scriptPath, Findings& findings, bool splitting) {
    return Checker(fs, scriptPath, findings, splitting).Run();
}

}  // namespace instalator::respack
