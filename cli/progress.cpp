#include "cli/progress.h"

#include <cstdio>

namespace quendix_cli {

namespace {

// Carriage return, then erase to the end of the line.
const char kEraseLine[] = "\r\033[K";

std::string TimeLeft(double seconds) {
    const long long whole = static_cast<long long>(seconds + 0.5);
    if (whole < 120) {
        return "about " + std::to_string(whole) + " s left";
    }
    return "about " + std::to_string((whole + 30) / 60) + " min left";
}

} // namespace

BatchProgress::BatchProgress(std::size_t total, bool live, bool quiet)
    : total_(total), live_(live && !quiet), quiet_(quiet),
      start_(std::chrono::steady_clock::now()) {}

void BatchProgress::BeforeFeed() {
    if (shown_) {
        std::fputs(kEraseLine, stderr);
        shown_ = false;
    }
}

void BatchProgress::AfterFeed(bool converted, int records) {
    ++done_;
    failed_ += converted ? 0 : 1;
    records_ += converted ? records : 0;
    if (!live_) {
        return;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    std::fprintf(stderr, "%squendix: %s", kEraseLine, Line(elapsed.count()).c_str());
    shown_ = true;
}

void BatchProgress::Finish() {
    BeforeFeed();
    if (!quiet_) {
        std::fprintf(stderr, "quendix: %s\n", Summary().c_str());
    }
}

std::string BatchProgress::Line(double secondsSoFar) const {
    std::string line = std::to_string(done_) + "/" + std::to_string(total_) + " feeds, " +
                       std::to_string(records_) + " records, " + std::to_string(failed_) +
                       " failed";
    if (secondsSoFar >= 1.0 && done_ > 0 && done_ < total_) {
        line += ", " + TimeLeft(secondsSoFar / static_cast<double>(done_) *
                                static_cast<double>(total_ - done_));
    }
    return line;
}

std::string BatchProgress::Summary() const {
    return std::to_string(total_) + " feeds, " + std::to_string(records_) + " records, " +
           std::to_string(failed_) + " failed";
}

} // namespace quendix_cli
