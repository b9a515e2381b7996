#include "bench/plain_port.h"

#include "quendix.h"

#include <clocale>
#include <cstddef>
#include <cstdio>
#include <cwchar>

namespace plain_port {

namespace {

constexpr std::size_t kFeedTextCapacity = 128000;
constexpr std::size_t kDescriptionCapacity = 32000;
constexpr std::size_t kTitleWidth = 100;
constexpr std::size_t kDateWidth = 50;
constexpr std::size_t kSummaryWidth = 400;
constexpr std::size_t kLinkWidth = 100;
// The port spells the record out as a port would; it must still be the
// record the library writes.
static_assert(kTitleWidth == QUENDIX_TITLE_CHARS && kDateWidth == QUENDIX_DATE_CHARS &&
                  kSummaryWidth == QUENDIX_SUMMARY_CHARS && kLinkWidth == QUENDIX_LINK_CHARS,
              "the plain port's widths are the record's");
static_assert(kTitleWidth + kDateWidth + kSummaryWidth + kLinkWidth == QUENDIX_RECORD_CHARS,
              "the plain port's fields fill the record");

wchar_t FeedText[kFeedTextCapacity];
wchar_t LineBuffer[kFeedTextCapacity];
wchar_t RawDescription[kDescriptionCapacity];
wchar_t TitleField[201];
wchar_t DateField[151];
wchar_t LinkField[200];
wchar_t SummaryField[401];
wchar_t Spaces[kSummaryWidth + 1];

// wcsncpy with the storage's limit and a terminator, as every field copy
// of the port does it.
void CopyField(wchar_t* field, std::size_t capacity, const wchar_t* from, const wchar_t* to) {
    std::size_t length = static_cast<std::size_t>(to - from);
    if (length > capacity - 1) {
        length = capacity - 1;
    }
    std::wcsncpy(field, from, length);
    field[length] = 0;
}

void LoadFeedText(std::FILE* input) {
    FeedText[0] = 0;
    std::size_t feedLength = 0;
    while (!std::feof(input)) {
        LineBuffer[0] = 0;
        if (std::fgetws(LineBuffer, kFeedTextCapacity, input) == nullptr && std::ferror(input)) {
            break; // a byte sequence the locale cannot decode
        }
        std::size_t length = std::wcslen(LineBuffer);
        if (length > kFeedTextCapacity - 1 - feedLength) {
            length = kFeedTextCapacity - 1 - feedLength; // keeps FeedText in bounds
        }
        std::wcsncat(FeedText, LineBuffer, length);
        feedLength += length;
    }
}

void SummariseDescription() {
    SummaryField[0] = 0;
    const wchar_t* escaped = std::wcsstr(RawDescription, L"&lt");
    if (escaped != nullptr) {
        CopyField(SummaryField, sizeof SummaryField / sizeof(wchar_t), RawDescription, escaped);
        return;
    }
    const wchar_t* alt = std::wcsstr(RawDescription, L"alt=");
    if (alt == nullptr) {
        const std::size_t length = std::wcslen(RawDescription);
        CopyField(SummaryField, sizeof SummaryField / sizeof(wchar_t), RawDescription,
                  RawDescription + (length < kSummaryWidth ? length : kSummaryWidth));
        return;
    }
    const wchar_t* start = alt + 5;
    const wchar_t* style = std::wcsstr(start, L"style=");
    if (style == nullptr || style - 2 < start) {
        return;
    }
    if (style - 2 > start) {
        CopyField(SummaryField, sizeof SummaryField / sizeof(wchar_t), start, style - 2);
        return;
    }
    const wchar_t* linkEnd = std::wcsstr(RawDescription, L"</a>");
    const wchar_t* paragraphEnd = linkEnd == nullptr ? nullptr : std::wcsstr(linkEnd + 4, L"</p>");
    if (paragraphEnd != nullptr) {
        CopyField(SummaryField, sizeof SummaryField / sizeof(wchar_t), linkEnd + 4, paragraphEnd);
    }
}

void FitField(wchar_t* field, std::size_t width) {
    const std::size_t length = std::wcslen(field);
    if (length >= width) {
        field[width] = 0;
    } else {
        std::wcsncat(field, Spaces, width - length);
    }
}

// Finds the element opened by tag from from; returns where its content
// starts, or nullptr.
const wchar_t* FindContent(const wchar_t* from, const wchar_t* tag) {
    const wchar_t* found = std::wcsstr(from, tag);
    return found == nullptr ? nullptr : found + std::wcslen(tag);
}

bool ExtractItemFields(const wchar_t* item, std::size_t& scanPosition) {
    const wchar_t* title = FindContent(item + 2, L"<title>");
    const wchar_t* titleEnd = title == nullptr ? nullptr : std::wcsstr(title + 1, L"</title>");
    if (titleEnd == nullptr) {
        return false;
    }
    CopyField(TitleField, sizeof TitleField / sizeof(wchar_t), title, titleEnd);
    const wchar_t* description = FindContent(title + 1, L"<description>");
    const wchar_t* descriptionEnd =
        description == nullptr ? nullptr : std::wcsstr(description, L"</description>");
    if (descriptionEnd == nullptr) {
        return false;
    }
    CopyField(RawDescription, kDescriptionCapacity, description, descriptionEnd);
    const wchar_t* link = FindContent(description + 1, L"<link>");
    const wchar_t* linkEnd = link == nullptr ? nullptr : std::wcsstr(link, L"</link>");
    if (linkEnd == nullptr) {
        return false;
    }
    CopyField(LinkField, sizeof LinkField / sizeof(wchar_t), link, linkEnd);
    const wchar_t* date = FindContent(link + 1, L"<pubDate>");
    if (date == nullptr) {
        return false;
    }
    scanPosition = static_cast<std::size_t>(date - FeedText);
    const wchar_t* dateEnd = std::wcsstr(date + 1, L"</pubDate>");
    if (dateEnd == nullptr) {
        return false;
    }
    CopyField(DateField, sizeof DateField / sizeof(wchar_t), date, dateEnd);
    return true;
}

int ConvertFeedText(std::FILE* output) {
    std::size_t scanPosition = 0;
    int recordCount = 0;
    for (bool first = true;; first = false) {
        const wchar_t* item = std::wcsstr(FeedText + (first ? 0 : scanPosition + 1), L"<item>");
        if (item == nullptr) {
            break;
        }
        RawDescription[0] = TitleField[0] = DateField[0] = LinkField[0] = SummaryField[0] = 0;
        if (!ExtractItemFields(item, scanPosition)) {
            break;
        }
        SummariseDescription();
        FitField(TitleField, kTitleWidth);
        FitField(DateField, kDateWidth);
        FitField(SummaryField, kSummaryWidth);
        FitField(LinkField, kLinkWidth);
        if (std::wcsstr(TitleField, L"CDATA") != nullptr || SummaryField[0] == L' ') {
            continue;
        }
        std::fputws(TitleField, output);
        std::fputws(DateField, output);
        std::fputws(SummaryField, output);
        std::fputws(LinkField, output);
        ++recordCount;
    }
    return recordCount;
}

} // namespace

bool UseUtf8Locale() {
    std::wmemset(Spaces, L' ', kSummaryWidth);
    return std::setlocale(LC_ALL, "C.UTF-8") != nullptr ||
           std::setlocale(LC_ALL, "C.utf8") != nullptr;
}

int Convert(const char* inputPath, const char* outputPath) {
    std::FILE* input = std::fopen(inputPath, "r");
    std::FILE* output = std::fopen(outputPath, "w");
    int recordCount = 0;
    if (input != nullptr && output != nullptr) {
        LoadFeedText(input);
        recordCount = ConvertFeedText(output);
    }
    if (input != nullptr) {
        std::fclose(input);
    }
    if (output != nullptr) {
        std::fclose(output);
    }
    return recordCount;
}

} // namespace plain_port
