// The decoding tables the build generates from the Encoding Standard's
// index files (cmake/GenerateEncodingTables.cmake), and lookups in them. An
// entry of 0 is a pointer the index leaves out. Each two-byte index holds one
// entry past its size, 0, so that a four-byte read at its last entry stays
// inside it.
#ifndef QUENDIX_ENCODING_ENCODING_TABLES_H
#define QUENDIX_ENCODING_ENCODING_TABLES_H

#include <cstdint>

extern "C" {
// Code points of the bytes 0x80 to 0xFF, one row per single-byte encoding,
// in the order of Encoding from IBM866 to x-mac-cyrillic (ISO-8859-8-I
// shares ISO-8859-8's row).
extern const std::uint16_t quendix_single_byte_indexes[][128];

extern const std::uint16_t quendix_index_gb18030[];
extern const std::uint32_t quendix_index_gb18030_size;
extern const std::uint16_t quendix_index_big5[]; // code points in the BMP only
extern const std::uint32_t quendix_index_big5_size;
extern const std::uint16_t quendix_index_jis0208[];
extern const std::uint32_t quendix_index_jis0208_size;
extern const std::uint16_t quendix_index_jis0212[];
extern const std::uint32_t quendix_index_jis0212_size;
extern const std::uint16_t quendix_index_euc_kr[];
extern const std::uint32_t quendix_index_euc_kr_size;
// Big5's pointers to plane 2: pointer and the code point's low 16 bits.
extern const std::uint16_t quendix_big5_plane2[][2];
extern const std::uint32_t quendix_big5_plane2_size;
// gb18030's four-byte ranges: first pointer and first code point of each.
extern const std::uint32_t quendix_gb18030_ranges[][2];
extern const std::uint32_t quendix_gb18030_ranges_size;
}

namespace quendix {

// The code point at pointer in a two-byte index, 0 when there is none.
inline char32_t IndexCodePoint(const std::uint16_t* index, std::uint32_t size,
                               std::uint32_t pointer) {
    return pointer < size ? index[pointer] : 0;
}

// The same for index Big5, whose plane-2 entries are listed apart.
char32_t Big5CodePoint(std::uint32_t pointer);

// The standard's "index gb18030 ranges code point", 0 for null.
char32_t Gb18030RangesCodePoint(std::uint32_t pointer);

} // namespace quendix

#endif
