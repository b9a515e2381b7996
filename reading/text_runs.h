// The read loop's fast paths for text that is not ASCII: each decodes the
// steps that follow one another from the stream's position while they start
// with a byte of 0x80 and up, without going back to the ASCII loop between
// them, on local copies of the stream's place. Each stops, leaving the rest
// to the general step, at a step that may need bytes beyond the buffer, or
// at one that would not fit whole. Each returns whether it moved on.
#ifndef QUENDIX_READING_TEXT_RUNS_H
#define QUENDIX_READING_TEXT_RUNS_H

#include "encoding/multi_byte_decoders.h"
#include "encoding/two_byte_pairs.h"
#include "encoding/utf16.h"
#include "encoding/utf8.h"
#include "platform/byte_reader.h"
#include "simd/utf8_block.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quendix {

// Stores a scalar value as one 16-bit character or a surrogate pair.
inline std::size_t StoreCharacter(char16_t* out, char32_t character) {
    if (character < kFirstPairedCharacter) {
        out[0] = static_cast<char16_t>(character);
        return 1;
    }
    out[0] = static_cast<char16_t>(HighSurrogateOf(character));
    out[1] = static_cast<char16_t>(LowSurrogateOf(character));
    return 2;
}

// Whether block steps are worth trying at bytes, which hold size, right
// after a character the one-at-a-time step took: a whole run's margin at
// hand, a two- or three-byte character next and the four bytes from it all
// above ASCII (more of a word in another script, however short: a word in
// a link or a category, with markup after it, takes one block step). The
// lone accented letter in English text, a four-byte character or an error
// (a legacy encoding read as UTF-8) are taken for less one at a time.
inline bool Utf8BlocksWorthTrying(const unsigned char* bytes, std::size_t size) {
    constexpr std::uint32_t kHighBits = 0x80808080u;
    if (size < kUtf8RunMargin || bytes[0] < 0xC2 || bytes[0] >= 0xF0 || (bytes[1] & 0xC0) != 0x80) {
        return false;
    }
    std::uint32_t four = 0;
    std::memcpy(&four, bytes, sizeof four);
    return (four & kHighBits) == kHighBits;
}

// UTF-8, well-formed or not. Sixteen bytes a step (thirty-two with AVX2)
// while they hold ASCII
// other than CR and whole two- and three-byte characters, which keeps the
// spaces and digits between words in the run (utf8_block.h); what the block
// steps leave goes through the one UTF-8 decoder, called where a whole
// sequence is sure to be at hand. Text that is not UTF-8 at all (a legacy
// encoding read without its declaration) is mostly leads with nothing to
// follow them: after each such error, it goes a vector a step while no
// byte continues a sequence.
struct Utf8Runs {
    template <class Steps>
    static bool Decode(DecodingInput& stream, char16_t* out, std::size_t& count,
                       std::size_t capacity) {
        const unsigned char* const bytes = stream.bytes;
        const std::size_t filled = stream.filled;
        const std::size_t start = stream.position;
        std::size_t position = start;
        std::size_t stored = count;
        while (filled - position >= kMaxStepBytes && bytes[position] >= 0x80 && stored < capacity) {
            char32_t character = 0;
            const std::size_t used = DecodeUtf8(bytes + position, kMaxStepBytes, false, &character);
            if (character >= kFirstPairedCharacter && capacity - stored < 2) {
                break;
            }
            stored += StoreCharacter(out + stored, character);
            position += used;
            if (used == 1) {
                // A high byte alone is an error: perhaps the text is not UTF-8.
                constexpr std::size_t kStep = Steps::kIllFormedBytes;
                while (filled - position > kStep && capacity - stored >= kStep) {
                    const unsigned taken = Steps::IllFormedUtf8Step(bytes + position, out + stored);
                    position += taken;
                    stored += taken;
                    if (taken != kStep) {
                        break;
                    }
                }
                // After a four-byte character (an emoji, most often, in text
                // of any script) come its variation selector and ASCII, no
                // run for the block steps.
            } else if (used < 4 && Utf8BlocksWorthTrying(bytes + position, filled - position)) {
                const Utf8Taken taken = Steps::Utf8Blocks(bytes + position, filled - position,
                                                          out + stored, capacity - stored);
                position += taken.used;
                stored += taken.stored;
            }
        }
        stream.position = position;
        count = stored;
        return position != start;
    }
};

// The single-byte encodings and x-user-defined: one lookup a byte, sixteen
// bytes a step, ASCII and CR-free stretches included, until a CR; then the
// high bytes left one at a time.
struct SingleByteRuns {
    template <class Steps>
    static bool Decode(DecodingInput& stream, char16_t* out, std::size_t& count,
                       std::size_t capacity) {
        const unsigned char* const bytes = stream.bytes;
        const char16_t* const table = stream.byteTable;
        std::size_t position = stream.position;
        const std::size_t start = position;
        while (stream.filled - position >= 16 && capacity - count >= 16 &&
               Steps::SingleByteStep(bytes + position, table, out + count)) {
            position += 16;
            count += 16;
        }
        const std::size_t room = capacity - count;
        const std::size_t available = stream.filled - position;
        const std::size_t end = position + (room < available ? room : available);
        // Indexed from the run's start, so no pointer is formed before out.
        char16_t* const target = out + count;
        const std::size_t stepped = position;
        while (position < end && bytes[position] >= 0x80) {
            target[position - stepped] = table[bytes[position]];
            ++position;
        }
        count += position - stepped;
        stream.position = position;
        return position != start;
    }
};

// The multi-byte encodings whose steps stand alone: Decoder is one of
// multi_byte_decoders.h, and Pairs takes its ordinary two-byte characters
// (two_byte_pairs.h) first.
template <std::size_t (*Decoder)(const unsigned char*, std::size_t, bool, DecodedStep*),
          class Pairs = NoPairs>
struct MultiByteRuns {
    template <class Steps>
    static bool Decode(DecodingInput& stream, char16_t* out, std::size_t& count,
                       std::size_t capacity) {
        const unsigned char* const bytes = stream.bytes;
        const std::size_t filled = stream.filled;
        const std::size_t start = stream.position;
        std::size_t position = start;
        std::size_t stored = count;
        while (filled - position >= kMaxStepBytes && stored < capacity) {
            const unsigned char lead = bytes[position];
            if (lead < 0x80) {
                // ASCII stands for itself here. A lone byte between words (a
                // space, most often) is taken in the run, which spares a
                // turn through the ASCII loop; a longer run, or a CR that
                // may start a CR LF, is left to the loop.
                if (lead == '\r' || bytes[position + 1] < 0x80) {
                    break;
                }
                out[stored++] = lead;
                ++position;
                continue;
            }
            if (Pairs::template Take<Steps>(bytes, position, filled, out, stored, capacity)) {
                continue;
            }
            DecodedStep step;
            const std::size_t used = Decoder(bytes + position, kMaxStepBytes, false, &step);
            const char32_t first = step.characters[0];
            if ((step.count == 2 || first >= kFirstPairedCharacter) && capacity - stored < 2) {
                break;
            }
            stored += StoreCharacter(out + stored, first);
            if (step.count == 2) {
                out[stored++] = static_cast<char16_t>(step.characters[1]);
            }
            position += used;
        }
        stream.position = position;
        count = stored;
        return position != start;
    }
};

} // namespace quendix

#endif
