#include "common/errors.hpp"

namespace instalator::common {

IoError::IoError(int code, std::string path)
    : Error(TextFor(code)), code_(code), path_(std::move(path)) {}

std::string IoError::TextFor(int code) {
    switch (code) {
    case kFileNotFound: return "File not found";
    case kPathNotFound: return "Path not found";
    case kAccessDenied: return "File access denied";
    case kDiskReadError: return "Disk read error";
    case kDiskWriteError: return "Disk write error";
    default: return "I/O error " + std::to_string(code);
    }
}

}  // namespace instalator::common
