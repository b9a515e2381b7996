// Where the ordinary two-byte characters of an encoding lie: the lead and
// trail bytes that may form one, and how they make its pointer into the
// encoding's index, (lead - lead base) * row length + (trail - trail base).
// Each side is at most two ranges of bytes; an unused range is empty
// (low above high).
#ifndef QUENDIX_ENCODING_PAIR_SHAPE_H
#define QUENDIX_ENCODING_PAIR_SHAPE_H

namespace quendix {

struct ByteRange {
    int low;
    int high;
    int base; // the byte whose part is 0
};

struct PairShape {
    ByteRange leads[2];
    ByteRange trails[2];
    int rowLength;
};

inline constexpr ByteRange kNoBytes = {1, 0, 0};

inline constexpr PairShape kShiftJisShape = {
    {{0x81, 0x9F, 0x81}, {0xE0, 0xFC, 0xC1}}, {{0x40, 0x7E, 0x40}, {0x80, 0xFC, 0x41}}, 188};
inline constexpr PairShape kGb18030Shape = {
    {{0x81, 0xFE, 0x81}, kNoBytes}, {{0x40, 0x7E, 0x40}, {0x80, 0xFE, 0x41}}, 190};
inline constexpr PairShape kEucJpShape = {
    {{0xA1, 0xFE, 0xA1}, kNoBytes}, {{0xA1, 0xFE, 0xA1}, kNoBytes}, 94};
inline constexpr PairShape kEucKrShape = {
    {{0x81, 0xFE, 0x81}, kNoBytes}, {{0x41, 0xFE, 0x41}, kNoBytes}, 190};

} // namespace quendix

#endif
