#include "progress.hpp"

#include <cstdio>

#include "host.hpp"
#include "report.hpp"

namespace instalator::respack {
namespace {

constexpr std::int64_t kQuietBytes = 1 << 20;
constexpr std::size_t kLabelWidth = 60;

}  // namespace

std::string ProgressText(std::int64_t done, std::int64_t total) {
    char text[32];
    if (total > 0) {
        std::snprintf(text, sizeof text, "%3d%%", static_cast<int>(done * 100 / total));
    } else {
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(done) / (1 << 20));
    }
    return text;
}

ProgressDisplay::ProgressDisplay(bool enabled) : enabled_(enabled && IsTerminal(Stream::Err)) {}

ProgressDisplay::~ProgressDisplay() { Finish(); }

void ProgressDisplay::Start(std::string label, std::int64_t total) {
    Finish();
    label_ = Printable(label.size() > kLabelWidth ? label.substr(0, kLabelWidth) : label);
    total_ = total;
}

void ProgressDisplay::Update(std::int64_t done) {
    if (!enabled_ || done < kQuietBytes) return;
    std::string text = label_;
    text += "  ";
    text += ProgressText(done, total_);
    if (text == lastText_) return;
    // Back to the start of the line, and blanks over what a longer text left.
    std::string line = "\r";
    line += text;
    if (text.size() < lastText_.size()) line.append(lastText_.size() - text.size(), ' ');
    Write(Stream::Err, line);
    lastText_ = std::move(text);
    shown_ = true;
}

void ProgressDisplay::Finish() {
    if (!shown_) return;
    std::string line = "\r";
    line.append(lastText_.size(), ' ');
    line += '\r';
    Write(Stream::Err, line);
    shown_ = false;
    lastText_.clear();
}

}  // namespace instalator::respack
