#pragma once
// A product as its installation script describes it, with every file the script
// names found in the script's folder: what the checker reports on and what build
// packs. Reading it runs every check; the findings name the script's lines.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/script.hpp"
#include "platform/file_system.hpp"

namespace instalator::respack {

struct Finding {
    bool error = false;
    int line = 0;  // 0 when the finding concerns no one line
    std::string message;
};

class Findings {
public:
    void Error(int line, std::string message) { all_.push_back({true, line, std::move(message)}); }
    void Warning(int line, std::string message) { all_.push_back({false, line, std::move(message)}); }
    bool HasErrors() const;
    // In line order, as "SCRIPT:LINE: error: message" or "...: warning: ...".
    std::vector<std::string> Lines(std::string_view script) const;
    // Writes Lines to stderr, each after "respack: ".
    void Report(std::string_view script) const;

private:
    std::vector<Finding> all_;
};

// Where an item goes on the user's machine.
enum class Place { Target, System, Windows };

struct ProductItem {
    std::int32_t number = 0;  // d, from 1
    int line = 0;             // of Item<d>
    core::ScriptItem script;
    std::string entryName;  // the file-name part of Item<d>: the name in the volume
    std::string source;     // host path of the file; empty when it was not found
    std::int64_t size = 0;
    Place place = Place::Target;
    bool placed = true;  // false when Dest names no place the installer can use
    std::string folder;  // subfolder of the target directory, in upper case, "\" between names
};

struct ProductVolume {
    std::string name;  // [Resources] Item<b>, also the name of its section
    std::string rewrite;  // [Resources] Item<b>Rewrite as written; empty when missing
    int line = 0;
    std::vector<ProductItem> items;
};

// A file that the installer takes from Setup1.res itself: the script and the pictures.
struct StartupFile {
    std::string name;    // entry name
    std::string source;  // host path
    std::int64_t size = 0;
};

inline constexpr std::string_view kFirstVolume = "Setup1.res";
inline constexpr std::string_view kScriptEntry = "Setup.lst";
inline constexpr int kMaxShortcuts = 30;

struct Product {
    std::string scriptPath;
    std::string folder;  // the script's folder, ending with the separator
    std::string scriptText;
    std::vector<ProductVolume> volumes;
    // The two start-up pictures, then the [Splash] pictures in the order the
    // installer shows them, each once; the script itself is not among them.
    std::vector<StartupFile> pictures;
    // What the items install into the target directory and into the Windows and
    // system directories, in bytes.
    std::int64_t prgSpace = 0;
    std::int64_t winSpace = 0;
};

// Reads the script at scriptPath and finds its files, recording every problem in
// findings. A script that cannot be read throws common::IoError. With splitting,
// the volumes are to be formed anew, so their sizes are not held against them.
Product ReadProduct(platform::FileSystem& fs, const std::string& scriptPath, Findings& findings,
                    bool splitting = false);

// Folders already listed, by path.
using FolderListings = std::map<std::string, std::vector<platform::DirectoryEntry>>;

// The host path of relative (names separated by "\" or "/") inside folder, each name
// matched without regard to letter case, as Windows finds files; empty when there
// is no such file. An exact spelling wins over other spellings. With listings, each
// folder is listed once and then looked up there.
std::string FindInFolder(platform::FileSystem& fs, const std::string& folder, std::string_view relative,
                         FolderListings* listings = nullptr);

// The folder of the script at scriptPath with the separator, empty for the current one.
std::string ScriptFolder(const std::string& scriptPath, char separator);

// Why text cannot be a path below a folder (an Item<d> name or a Dest folder);
// empty when it can: a relative path of names that Windows accepts, without "." or
// "..", drives or empty names.
std::string RelativePathProblem(std::string_view text);

}  // namespace instalator::respack
