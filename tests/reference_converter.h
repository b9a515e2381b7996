// A second, deliberately plain implementation of the whole conversion, for
// checking the library against: whole-string decoding, naive searches that
// run from their start to the end of the text every time, and no shared
// storage. It is quadratic at worst, so it is only for small feeds. The
// tests and the fuzz targets compare the library's output with it.
#ifndef QUENDIX_TESTS_REFERENCE_CONVERTER_H
#define QUENDIX_TESTS_REFERENCE_CONVERTER_H

#include "encoding/decode.h"
#include "encoding/labels.h"

#include <string>

namespace quendix_reference {

using ByteEncoding = quendix::Encoding;

struct Choice {
    ByteEncoding encoding;
    std::size_t byteOrderMarkLength;
};

// The encoding a feed file's first bytes call for.
Choice ChooseEncoding(const std::string& bytes);

// Every character of bytes, decoded as encoding (no byte-order mark is
// skipped), as Unicode scalar values. UTF-8, UTF-16 and windows-1252 are
// decoded here; the other encodings step by step through the library's
// decoders, whose tables the tests check entry by entry.
std::u32string DecodeAll(ByteEncoding encoding, const std::string& bytes);

// Every character of bytes through the library's step decoder for
// encoding, as at the end of the input. A step that uses no byte ends it
// there, so a decoder that makes no progress shows as missing characters.
std::u32string DecodeStepByStep(ByteEncoding encoding, const std::string& bytes);

// The characters with each CR LF made LF, as the conversion reads them.
std::u32string JoinLineEnds(const std::u32string& characters);

// A whole file's bytes as the conversion sees them: encoding chosen, mark
// skipped, decoded, CR LF made LF, as 16-bit characters, not yet cut.
std::u16string DecodeFeed(const std::string& bytes);

// The feed text the conversion works on: at most its first 127999 characters.
std::u16string FeedTextOf(const std::string& bytes);

struct Result {
    int count = 0;
    std::u16string records; // the whole record file
};

// The item loop over a feed text.
Result ConvertText(const std::u16string& text);

// A text of any length, window by window: each window holds at most
// windowLimit characters (127999 in the library) and ends before the last
// "<item>" lying wholly in it, which opens the next window; a window with no
// such item is converted whole, and the next starts at the next "<item>".
Result ConvertWindowed(const std::u16string& text, std::size_t windowLimit = 127999);

// From file bytes to record file.
Result ConvertBytes(const std::string& bytes, std::size_t windowLimit = 127999);

// Strings as 16-bit characters.
std::u16string ToUtf16(const std::u32string& characters);

} // namespace quendix_reference

#endif
