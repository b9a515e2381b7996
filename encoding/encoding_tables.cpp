#include "encoding/encoding_tables.h"

namespace quendix {

char32_t Big5CodePoint(std::uint32_t pointer) {
    const char32_t codePoint = IndexCodePoint(quendix_index_big5, quendix_index_big5_size, pointer);
    if (codePoint != 0) {
        return codePoint;
    }
    // The plane-2 entries, in pointer order: a binary search.
    std::uint32_t low = 0;
    std::uint32_t high = quendix_big5_plane2_size;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        if (quendix_big5_plane2[middle][0] < pointer) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low < quendix_big5_plane2_size && quendix_big5_plane2[low][0] == pointer) {
        return 0x20000 + char32_t{quendix_big5_plane2[low][1]};
    }
    return 0;
}

char32_t Gb18030RangesCodePoint(std::uint32_t pointer) {
    if ((pointer > 39419 && pointer < 189000) || pointer > 1237575) {
        return 0;
    }
    if (pointer == 7457) {
        return 0xE7C7;
    }
    // The last range that starts at or before pointer.
    std::uint32_t low = 0;
    std::uint32_t high = quendix_gb18030_ranges_size;
    while (high - low > 1) {
        const std::uint32_t middle = low + (high - low) / 2;
        if (quendix_gb18030_ranges[middle][0] <= pointer) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return quendix_gb18030_ranges[low][1] + pointer - quendix_gb18030_ranges[low][0];
}

} // namespace quendix
