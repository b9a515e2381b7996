// How far a call with -o DIR has got. On a terminal, one line on standard
// error kept up to date; elsewhere nothing until the end. The summary line
// comes at the end either way, unless the user asked for quiet.
#ifndef QUENDIX_CLI_PROGRESS_H
#define QUENDIX_CLI_PROGRESS_H

#include <chrono>
#include <cstddef>
#include <string>

namespace quendix_cli {

class BatchProgress {
  public:
    // live: keep a line up to date (standard error is a terminal and
    // nothing else writes lines there); quiet: no summary either.
    BatchProgress(std::size_t total, bool live, bool quiet);

    // Called around each feed. The line is taken away while a feed is
    // converted, so a message about the feed starts on a clean line.
    void BeforeFeed();
    void AfterFeed(bool converted, int records);

    // Takes the line away and prints the summary.
    void Finish();

    // "120/2000 feeds, 600 records, 1 failed, about 3 s left"; the time
    // left only once a second has passed.
    std::string Line(double secondsSoFar) const;
    // "2000 feeds, 9990 records, 2 failed"
    std::string Summary() const;

  private:
    std::size_t total_;
    bool live_;
    bool quiet_;
    bool shown_ = false;
    std::size_t done_ = 0;
    std::size_t failed_ = 0;
    long long records_ = 0;
    std::chrono::steady_clock::time_point start_;
};

} // namespace quendix_cli

#endif
