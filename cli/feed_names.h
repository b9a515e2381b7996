// Where each feed of a call with -o DIR goes: DIR/NAME.rec, NAME being the
// feed's file name without its last extension. Two feeds with one NAME
// would write one file, so they are found before anything is written.
#ifndef QUENDIX_CLI_FEED_NAMES_H
#define QUENDIX_CLI_FEED_NAMES_H

#include <cstddef>
#include <string>
#include <vector>

namespace quendix_cli {

// NAME for the feed at path: "news/world.xml" gives "world", "a.b.rss"
// gives "a.b", ".hidden" stays ".hidden". Empty when the path names no
// file ("dir/", ".", "..").
std::string RecordNameOf(const std::string& path);

// DIR/NAME.rec.
std::string RecordPathIn(const std::string& directory, const std::string& name);

// The first two feeds (indexes into names) whose names would reach the
// same file, as the file system compares names. False when there are none.
bool FindNameClash(const std::vector<std::string>& names, std::size_t& first, std::size_t& second);

} // namespace quendix_cli

#endif
