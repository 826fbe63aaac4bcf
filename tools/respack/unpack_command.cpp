// unpack: installs a distribution into a folder as the installer would install it on
// Windows, and lists what else it would do there. Everything it writes stays inside
// the folder, whatever names the script and the volumes hold.

#include <optional>

#include "commands.hpp"
#include "common/errors.hpp"
#include "profile/ini_file.hpp"
#include "common/strings.hpp"
#include "common/text.hpp"
#include "core/script.hpp"
#include "name_safety.hpp"
#include "package/catalogue.hpp"
#include "platform/file_system.hpp"
#include "product.hpp"
#include "report.hpp"
#include "workspace.hpp"

namespace instalator::respack {
namespace {

// The folders of DIR that stand for the installer's destinations.
constexpr std::string_view kAppFolder = "app";
constexpr std::string_view kSystemFolder = "system";
constexpr std::string_view kWindowsFolder = "windows";
// How the listing writes the system's own folders.
constexpr std::string_view kSystemShown = "%SYSTEM%\\";
constexpr std::string_view kWindowsShown = "%WINDIR%\\";

std::string WithBackslash(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

class Unpacker {
public:
    Unpacker(platform::FileSystem& fs, const Arguments& args, const std::string& tempDir)
        : fs_(fs), args_(args), tempDir_(tempDir), dist_(JoinPath(args.operands.front(), "", fs.Separator())),
          out_(JoinPath(args.directory.empty() ? std::string(".") : args.directory, "", fs.Separator())) {}

    int Run() {
        const std::string first = FindInFolder(fs_, dist_, kFirstVolume);
        package::TResourceClass setup(fs_, tempDir_);
        if (first.empty() || !setup.OpenPackage(first)) {
            Complain(dist_ + std::string(kFirstVolume), "missing or unreadable: the installer stops here");
            return kFailure;
        }
        const std::string script = setup.ExtractToTemp(std::string(kScriptEntry));
        if (script.empty()) {
            Complain(first, "holds no Setup.lst: the installer would install nothing");
            return kFailure;
        }
        ini_.emplace(fs_, script);
        target_ = WithBackslash(core::ScriptTargetDir(*ini_));
        const std::int32_t volumes = core::VolumeCount(*ini_);
        for (std::int32_t b = 1; b <= volumes; ++b) InstallVolume(b);
        ListRegistrations();
        ListUninstall();
        return status_;
    }

private:
    struct Destination {
        std::string host;   // the file's path under DIR
        std::string shown;  // the path the installer would write to
    };

    void Fail(const std::string& subject, const std::string& message) {
        Complain(subject, message);
        status_ = kFailure;
    }

    void Note(const std::string& line) {
        if (!args_.quiet) PrintLine(line);
    }

    // The installer's destination of item name under Dest: the keyword's folder, or
    // the target directory's subfolder in upper case, then the item's own path. Every
    // name must be a plain one; nothing is made of the others.
    std::optional<Destination> DestinationOf(const std::string& dest, const std::string& name, std::string& problem) {
        const std::string keyword = common::LowerCase(dest);
        Destination at;
        std::string below;
        if (keyword == "$system") {
            at = {std::string(kSystemFolder), std::string(kSystemShown)};
        } else if (keyword == "$win") {
            at = {std::string(kWindowsFolder), std::string(kWindowsShown)};
        } else {
            at = {std::string(kAppFolder), target_};
            if (!keyword.empty() && keyword != "$program") below = WithBackslash(common::UpperCase(dest));
        }
        below += name;
        at.shown += below;
        std::size_t begin = 0;
        while (begin <= below.size()) {
            std::size_t end = below.find_first_of("\\/", begin);
            if (end == std::string::npos) end = below.size();
            const std::string part = below.substr(begin, end - begin);
            const bool last = end == below.size();
            if (!(part.empty() && !last && begin > 0)) {  // "DOC\" + name: the folder's own separator
                if (const std::string reason = UnsafeNameReason(part); !reason.empty()) {
                    problem = Quoted(below) + " holds " + reason + ", which is not written outside " + Quoted(out_);
                    return std::nullopt;
                }
                at.host += fs_.Separator() + part;
            }
            begin = end + 1;
        }
        at.host = out_ + at.host;
        return at;
    }

    void InstallVolume(std::int32_t b) {
        const std::string name = core::VolumeName(*ini_, b);
        const std::string path = UnsafeNameReason(name).empty() ? FindInFolder(fs_, dist_, name) : std::string();
        package::TResourceClass volume(fs_, tempDir_);
        if (path.empty() || !volume.OpenPackage(path)) {
            Fail(dist_ + name, "volume " + std::to_string(b) +
                                   " is missing or unreadable: the installer would ask for the next diskette");
            return;
        }
        std::optional<package::Catalogue> catalogue;
        try {
            catalogue = package::ReadCatalogue(fs_, volume);
        } catch (const common::Error& e) {
            Fail(path, std::string("catalogue: ") + e.what());
        }
        const bool rewrite = core::VolumeRewrite(*ini_, b);
        const std::int32_t files = core::VolumeFileCount(*ini_, name);
        for (std::int32_t d = 1; d <= files; ++d) {
            InstallItem(volume, path, catalogue ? &*catalogue : nullptr, rewrite, core::ReadScriptItem(*ini_, name, d));
        }
    }

    void InstallItem(package::TResourceClass& volume, const std::string& volumePath, const package::Catalogue* catalogue,
                     bool rewrite, const core::ScriptItem& item) {
        std::string problem;
        const std::optional<Destination> at = DestinationOf(item.Dest, item.Name, problem);
        if (!at) {
            Fail(volumePath, problem);
            return;
        }
        if (item.Shell == 1) {
            shortcuts_.push_back(item.File.empty() ? at->shown + (item.Parameter.empty() ? "" : " " + item.Parameter)
                                                   : item.File + " " + at->shown);
            Note("shortcut: " + WithBackslash(core::ScriptGroup(*ini_)) + item.Link + " -> " + shortcuts_.back());
        }
        const std::string label = common::FileNamePart(at->shown);
        const package::TResourceEntry entry = volume.FindEntry(label);
        if (entry.EntryName.empty()) {
            Fail(volumePath, "no entry " + Quoted(label) + ": the installer would install nothing for " + Quoted(item.Name));
            return;
        }
        if (fs_.FileExists(at->host)) {
            // An earlier item already put a file there: the installer's version rule.
            const package::FileVersion existing = package::ReadFileVersion(fs_, at->host);
            if (!rewrite || (existing != package::FileVersion{} && !(entry.FileVersion > existing))) {
                Note("kept: " + at->shown);
                return;
            }
        }
        platform::MakePath(fs_, at->host);
        try {
            fs_.RemoveFile(at->host);  // created afresh, never written through a link
        } catch (const common::IoError&) {
            // Nothing there.
        }
        const package::CatalogueRecord* record = catalogue == nullptr ? nullptr : catalogue->Find(entry.EntryName);
        try {
            if (volume.ExtractEntry(entry, at->host, record).writeFailed) {
                throw common::IoError(common::kDiskWriteError, at->host);
            }
        } catch (const package::FormatError& e) {
            Fail(volumePath, e.what());
            return;
        }
        Note("file: " + at->shown + " -> " + at->host.substr(out_.size()));
        const bool library = common::LowerCase(common::RightText(label, 4)) == ".dll";
        if (item.Reg == 1 || library) registrations_.push_back(at->shown);
    }

    void ListRegistrations() {
        const std::int32_t listed = core::InstallRegCount(*ini_);
        for (std::int32_t n = 1; n <= listed; ++n) Note("register: " + core::InstallRegItem(*ini_, n));
        for (const std::string& library : registrations_) Note("register: " + library);
    }

    void ListUninstall() {
        const std::string uninstall = core::ScriptUninstall(*ini_);
        if (uninstall.empty() || shortcuts_.empty()) return;
        const std::string command = target_ + uninstall + " " + target_ + "Setup.uni";
        Note("shortcut: " + WithBackslash(core::ScriptGroup(*ini_)) + "Odinstaluj.lnk -> " + command);
        Note("uninstall entry: " + Quoted(core::ScriptTitle(*ini_)) + " -> " + command);
    }

    platform::FileSystem& fs_;
    const Arguments& args_;
    std::string tempDir_;
    std::string dist_;
    std::string out_;
    std::optional<profile::TIniFile> ini_;
    std::string target_;
    std::vector<std::string> shortcuts_;
    std::vector<std::string> registrations_;
    int status_ = kSuccess;
};

}  // namespace

int UnpackCommand(const Arguments& args) {
    platform::FileSystem& fs = platform::HostFileSystem();
    const PrivateTempDir temp(fs);
    return Unpacker(fs, args, temp.Path()).Run();
}

}  // namespace instalator::respack
