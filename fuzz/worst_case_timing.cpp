// Wall-clock time of ConvertFile on full-capacity feeds built so that every
// search runs to the end of the text, next to a normal full-capacity feed,
// and the plain reference converter's time on the same feeds for contrast.
// Run by hand, on an optimised build of the library:
//
//   cmake -S . -B build-timing -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-timing --target quendix
//   g++ -O2 -std=c++17 -I. -Iinclude fuzz/worst_case_timing.cpp
//       tests/reference_converter.cpp -Lbuild-timing -lquendix
//       -Wl,-rpath,$PWD/build-timing -o /tmp/worst_case_timing
//   /tmp/worst_case_timing
#include "quendix.h"
#include "tests/reference_converter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kFeedLimit = 127999;

std::string Fill(const std::string& head, const std::string& unit, const std::string& tail) {
    std::string text = head;
    while (text.size() + unit.size() + tail.size() <= kFeedLimit) {
        text += unit;
    }
    return text + std::string(kFeedLimit - text.size() - tail.size(), ' ') + tail;
}

std::string Normal() {
    return Fill("<rss><channel>",
                "<item><title>Ferry timetable changes from Monday</title><description>The "
                "morning crossing moves while the pier is repaired. &lt;p&gt;More&lt;/p&gt;"
                "</description><link>https://example.org/news/ferry</link><pubDate>Mon, 07 "
                "Dec 2026 08:15:00 GMT</pubDate></item>\n",
                "</channel></rss>");
}

// The same items as DatesClosedAtTheEnd, each date closed at once: as many
// records, so the two differ only in how far the date searches run.
std::string ShortItems() {
    return Fill(
        "", "<item><title>T</title><description>S</description><link>L</link><pubDate>D</pubDate>",
        "");
}

std::string DatesClosedAtTheEnd() {
    return Fill("", "<item><title>T</title><description>S</description><link>L</link><pubDate>D",
                "</pubDate>");
}

std::string NearMisses() {
    std::string description;
    while (description.size() < 3000) {
        description += "&l &LT alt alt = ALT= style styl= style = ";
    }
    return Fill("",
                "<item><title>T</title><description>" + description +
                    "</description><link>L</link><pubDate>D</pubDate></item>",
                "");
}

std::string LessThanSigns() {
    return std::string(kFeedLimit, '<');
}

// Median wall-clock milliseconds of ConvertFile on the feed.
double MillisecondsPerConversion(const std::string& feed, int* records) {
    const std::string input = "/tmp/quendix-timing-" + std::to_string(getpid()) + ".xml";
    const std::string output = input + ".rec";
    std::ofstream(input, std::ios::binary) << feed;
    const std::wstring in(input.begin(), input.end()), out(output.begin(), output.end());
    std::vector<double> times;
    for (int run = 0; run < 51; ++run) {
        const auto start = std::chrono::steady_clock::now();
        *records = ConvertFile(in.c_str(), out.c_str());
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::remove(input.c_str());
    std::remove(output.c_str());
    std::nth_element(times.begin(), times.begin() + 25, times.end());
    return times[25];
}

double ReferenceMilliseconds(const std::string& feed) {
    const std::u16string text = quendix_reference::FeedTextOf(feed);
    const auto start = std::chrono::steady_clock::now();
    quendix_reference::ConvertText(text);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main() {
    const struct {
        const char* name;
        std::string feed;
    } feeds[] = {{"normal", Normal()},
                 {"normal, short items", ShortItems()},
                 {"dates closed only at the end", DatesClosedAtTheEnd()},
                 {"descriptions of near-misses", NearMisses()},
                 {"nothing but <", LessThanSigns()}};
    std::printf("%-30s %8s %12s %14s\n", "feed (127999 characters)", "records", "ConvertFile",
                "naive scan");
    for (const auto& f : feeds) {
        int records = 0;
        const double library = MillisecondsPerConversion(f.feed, &records);
        std::printf("%-30s %8d %9.3f ms %11.1f ms\n", f.name, records, library,
                    ReferenceMilliseconds(f.feed));
    }
}
