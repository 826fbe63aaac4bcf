// The file operations the installer cannot do without for each small file it
// installs, and nothing else: the look for the destination, the uninstall log written
// whole beside itself and renamed over itself, the copy made under a new name and
// renamed over the destination. No package, no decoding, no windows. Run under Wine
// by bench/wine_file_pass.sh (FLOOR=1) into a directory as full as the installer's,
// it shows what those operations alone cost per file as the directory grows.
//
// Usage: file_floor.exe DIRECTORY COUNT
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/errors.hpp"
#include "platform/file_system.hpp"
#include "profile/ini_file.hpp"

namespace {

using instalator::platform::FileSystem;
using instalator::platform::OpenMode;

// One small file, as the installer puts it in place.
void PutFile(FileSystem& fs, const std::string& stem, const std::string& path, const std::string& data) {
    const std::string copy = stem + ".q07";
    const auto file = fs.Open(copy, OpenMode::CreateNew);
    file->Write(data.data(), data.size());
    file->Close();
    fs.RenameFile(copy, path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: file_floor DIRECTORY COUNT\n");
        return 2;
    }
    const std::string dir = argv[1];
    const int count = std::atoi(argv[2]);
    FileSystem& fs = instalator::platform::HostFileSystem();
    try {
        instalator::platform::MakePath(fs, dir + "\\");
        const std::string logPath = dir + "\\Setup.uni";
        std::string log = "[Application]\r\nTitle=Floor\r\nCount=0\r\n";
        const std::string data(10240, 'x');
        for (int n = 1; n <= count; ++n) {
            char name[16];
            std::snprintf(name, sizeof name, "F%04d", n);
            const std::string stem = dir + "\\" + name;
            const std::string path = stem + ".TXT";
            const bool exists = fs.FileExists(path);
            const std::string item = std::to_string(n);
            log += "[Item" + item + "]\r\nName=" + path + "\r\nExists=" + (exists ? "1" : "0") +
                   "\r\nRegister=0\r\n[" + path + "]\r\nItem=" + item + "\r\n";
            instalator::profile::ReplaceProfileText(fs, logPath, log);
            PutFile(fs, stem, path, data);
        }
    } catch (const instalator::common::IoError& error) {
        std::fprintf(stderr, "file_floor: %s: error %d\n", error.path().c_str(), error.code());
        return 1;
    }
    return 0;
}
