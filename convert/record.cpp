#include "convert/record.h"

#include "convert/text_search.h"

#include <cstring>

namespace quendix {

namespace {
constexpr Literal kCharacterData = MakeLiteral(u"CDATA");

constexpr std::size_t kSpaceRun = kSummaryWidth;
struct SpaceRun {
    char16_t text[kSpaceRun];
};
constexpr SpaceRun MakeSpaceRun() {
    SpaceRun spaces{};
    for (char16_t& c : spaces.text) {
        c = u' ';
    }
    return spaces;
}
constexpr SpaceRun kSpaces = MakeSpaceRun();
} // namespace

void FitField(FieldText& field, std::size_t width) {
    if (field.length >= width) {
        field.length = width;
        MendCutEdges(field.text, width);
    } else {
        // Whole runs of spaces copied at once: fitting is a large part of a
        // conversion's work, most of a summary being padding.
        for (std::size_t filled = field.length; filled < width;) {
            const std::size_t run = width - filled < kSpaceRun ? width - filled : kSpaceRun;
            std::memcpy(field.text + filled, kSpaces.text, run * sizeof(char16_t));
            filled += run;
        }
        field.length = width;
    }
    field.text[width] = 0;
}

bool KeepRecord(const FieldText& title, const FieldText& summary) {
    if (FindLiteral(title.text, title.length, 0, kCharacterData) != kNotFound) {
        return false;
    }
    return summary.length > 0 && summary.text[0] != u' ';
}

bool WriteRecord(WideOutputStream& output, const FieldText& title, const FieldText& date,
                 const FieldText& summary, const FieldText& link) {
    return QueueUnits(output, title.text, title.length) &&
           QueueUnits(output, date.text, date.length) &&
           QueueUnits(output, summary.text, summary.length) &&
           QueueUnits(output, link.text, link.length);
}

} // namespace quendix
