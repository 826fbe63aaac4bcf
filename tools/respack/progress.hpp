#pragma once
// A one-line progress display on stderr for long work, redrawn in place. It stays
// silent when stderr is not a terminal and for the first megabyte of each item,
// so that short work leaves no trace.

#include <cstdint>
#include <string>

namespace instalator::respack {

class ProgressDisplay {
public:
    // enabled false keeps the display silent (-q); it is silent anyway when stderr
    // is not a terminal.
    explicit ProgressDisplay(bool enabled = true);
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    // A new item; total 0 when the amount of work is not known (a count of bytes is
    // shown instead of a percentage).
    void Start(std::string label, std::int64_t total);
    void Update(std::int64_t done);
    // Clears the line.
    void Finish();

private:
    bool enabled_;
    bool shown_ = false;
    std::string label_;
    std::int64_t total_ = 0;
    std::string lastText_;
};

// The text shown after the label: a percentage of total, or megabytes when total is 0.
std::string ProgressText(std::int64_t done, std::int64_t total);

}  // namespace instalator::respack
