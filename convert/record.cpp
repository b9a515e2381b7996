#include "convert/record.h"

#include "convert/text_search.h"

namespace quendix {

namespace {
constexpr Literal kCharacterData = MakeLiteral(u"CDATA");
}

void FitField(FieldText& field, std::size_t width) {
    if (field.length >= width) {
        field.length = width;
        MendCutEdges(field.text, width);
    } else {
        for (std::size_t i = field.length; i < width; ++i) {
            field.text[i] = u' ';
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
    return WriteUnits(output, title.text, title.length) &&
           WriteUnits(output, date.text, date.length) &&
           WriteUnits(output, summary.text, summary.length) &&
           WriteUnits(output, link.text, link.length);
}

} // namespace quendix
