#include "uninstall/log_file.hpp"

#include <memory>
#include <optional>

#include "common/strings.hpp"
#include "common/text.hpp"
#include "profile/ini_file.hpp"
#include "uninstall/paths.hpp"

namespace instalator::uninstall {
namespace {

using common::Cp1250;

// The log read once, with the log's path for the messages.
class Records {
public:
    Records(std::string logPath, std::string text, const ProtectedDirectories& protectedDirs)
        : logPath_(std::move(logPath)), index_(std::move(text)), protected_(protectedDirs) {}

    [[noreturn]] void Damaged(const std::string& why) const {
        throw LogError(Cp1250(u8"Plik \"") + logPath_ + Cp1250(u8"\" jest uszkodzony: ") + why + ".");
    }

    std::string Text(const std::string& section, const char* key) const {
        const std::optional<std::string> value = index_.Find(section, key);
        if (!value) Damaged(Cp1250(u8"brak wartości ") + key + Cp1250(u8" w sekcji [") + section + "]");
        if (value->size() >= profile::TIniFile::kMaxValue) Damaged(Cp1250(u8"za długa wartość w sekcji [") + section + "]");
        return *value;
    }

    std::int32_t Count(const std::string& section) const {
        const auto count = profile::ProfileNumber(Text(section, "Count"));
        if (!count || *count < 0) Damaged(Cp1250(u8"błędna liczba wpisów w sekcji [") + section + "]");
        return *count;
    }

    bool Flag(const std::string& section, const char* key) const {
        const std::string value = Text(section, key);
        if (value != "0" && value != "1") Damaged(Cp1250(u8"błędna wartość ") + key + Cp1250(u8" w sekcji [") + section + "]");
        return value == "1";
    }

    std::string Path(const std::string& section, const char* key) const {
        std::string path = Text(section, key);
        if (!IsPlainAbsolutePath(path) || protected_.Contains(path)) {
            throw LogError(Cp1250(u8"Plik \"") + logPath_ + Cp1250(u8"\" wskazuje \"") + path +
                           Cp1250(u8"\", czego instalacja nie mogła zapisać."));
        }
        return path;
    }

    bool Has(const std::string& section, const char* key) const { return index_.Find(section, key).has_value(); }

private:
    std::string logPath_;
    profile::ProfileIndex index_;
    const ProtectedDirectories& protected_;
};

// The whole file; LogError when it is missing, unreadable or too large.
std::string ReadWhole(platform::FileSystem& files, const std::string& logPath) {
    try {
        const std::unique_ptr<platform::File> file = files.Open(logPath, platform::OpenMode::Read);
        const std::int64_t size = file->Size();
        if (size > kMaxLogSize) throw LogError(Cp1250(u8"Plik \"") + logPath + Cp1250(u8"\" jest za duży."));
        std::string text(static_cast<std::size_t>(size), '\0');
        text.resize(file->Read(text.data(), text.size()));
        return text;
    } catch (const common::IoError& error) {
        throw LogError(Cp1250(u8"Nie można odczytać pliku \"") + logPath + "\" (" + error.what() + ").");
    }
}

std::vector<LoggedFile> Files(const Records& records) {
    std::vector<LoggedFile> files;
    const std::int32_t count = records.Count("Application");
    for (std::int32_t n = 1; n <= count; ++n) {
        const std::string section = "Item" + std::to_string(n);
        files.push_back({records.Path(section, "Name"), records.Flag(section, "Exists"),
                         records.Flag(section, "Register")});
    }
    return files;
}

std::vector<LoggedLink> Links(const Records& records) {
    std::vector<LoggedLink> links;
    // A log without shortcuts has no [ShortCuts] section at all.
    if (!records.Has("ShortCuts", "Count")) return links;
    const std::int32_t count = records.Count("ShortCuts");
    for (std::int32_t n = 1; n <= count; ++n) {
        const std::string section = "ShortCut" + std::to_string(n);
        LoggedLink link{records.Path(section, "Name"), records.Path(section, "Directory")};
        if (!common::SameText(ParentOf(link.path), link.directory)) {
            records.Damaged(Cp1250(u8"skrót w sekcji [") + section + Cp1250(u8"] leży poza swoją grupą"));
        }
        links.push_back(std::move(link));
    }
    return links;
}

}  // namespace

UninstallLog ReadUninstallLog(platform::FileSystem& files, const std::string& logPath,
                              const ProtectedDirectories& protectedDirs) {
    const Records records(logPath, ReadWhole(files, logPath), protectedDirs);
    UninstallLog log;
    log.title = records.Has("Application", "Title") ? records.Text("Application", "Title") : std::string();
    log.files = Files(records);
    log.links = Links(records);
    return log;
}

}  // namespace instalator::uninstall
