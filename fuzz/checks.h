// The invariants each fuzz target holds the library to, on any input. The
// fuzz targets run them under libFuzzer; the replay test runs them over the
// seed corpus and every saved regression input inside the unit tests.
#ifndef QUENDIX_FUZZ_CHECKS_H
#define QUENDIX_FUZZ_CHECKS_H

#include "encoding/decode.h"

#include <string>
#include <vector>

namespace quendix_fuzz {

// Each returns an empty string when every invariant holds, else a short
// account of the first one broken.

// ConvertFile on the bytes as a feed file: whole 1300-byte records, a
// result equal to their number, no broken character, the same bytes from a
// second call, and the same records as the reference converter.
std::string CheckConversion(const std::string& bytes);

// The same, with the bytes placed across the end of a full feed text: the
// first byte chooses the encoding and what fills the text up to the rest
// (spaces, tags or whole items), the second how many characters of the
// rest come before the cut.
std::string CheckConversionAtCapacity(const std::string& bytes);
std::string AtCapacity(const std::string& bytes);

// One decoder on the bytes: DecodeStep always moves on and yields Unicode
// scalar values only, gives the same steps whether the bytes come whole or
// a few at a time, and agrees with the reference decoder; ReadText on a file
// in that encoding, the bytes at its start or across the end of the input
// buffer, keeps to its limit, never splits a pair, and gives the reference
// text however the reads split it.
std::string CheckDecoder(quendix::Encoding encoding, const std::string& bytes);

// CheckDecoder for the encoding the first byte picks (its value modulo the
// number of encodings, in the order of quendix::Encoding), on the rest.
std::string CheckAnyDecoder(const std::string& bytes);

// DetectEncoding agrees with the reference choice, and LoadFeedText on the
// bytes as a file gives the reference feed text.
std::string CheckFeedLoading(const std::string& bytes);

// The fuzz targets by name, and the check each runs.
const std::vector<std::string>& TargetNames();
std::string RunCheck(const std::string& target, const std::string& bytes);

} // namespace quendix_fuzz

#endif
