#include "platform/file_system.hpp"

#include "common/errors.hpp"

namespace instalator::platform {

void MakePath(FileSystem& fs, std::string_view path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '\\' && path[i] != '/') continue;
        try {
            fs.CreateDirectory(std::string(path.substr(0, i + 1)));
        } catch (const common::IoError&) {
            // An existing directory, a drive root or an invalid name: carry on.
        }
    }
}

}  // namespace instalator::platform
