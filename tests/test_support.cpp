#include "tests/test_support.h"

#include "quendix.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace quendix_test {

ScratchDirectory::ScratchDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/quendix-test-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) {
        throw std::runtime_error("cannot create scratch directory");
    }
    path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
    const std::string command = "rm -rf '" + path_ + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "could not remove %s\n", path_.c_str());
    }
}

std::u16string U16(const std::string& utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        char32_t value = extra == 0 ? lead : lead & (0x3F >> extra);
        for (std::size_t k = 1; k <= extra; ++k) {
            value = (value << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        if (value >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(value);
        }
        i += extra + 1;
    }
    return out;
}

std::string Utf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t value = text[i];
        if (value >= 0xD800 && value <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            value = 0x10000 + ((value - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (value < 0x80) {
            out += static_cast<char>(value);
        } else if (value < 0x800) {
            out += static_cast<char>(0xC0 | (value >> 6));
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else if (value < 0x10000) {
            out += static_cast<char>(0xE0 | (value >> 12));
            out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (value >> 18));
            out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        }
    }
    return out;
}

std::wstring Wide(const std::string& utf8Path) {
    std::wstring out;
    const std::u16string units = U16(utf8Path);
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t value = units[i];
        if (value >= 0xD800 && value <= 0xDBFF && i + 1 < units.size()) {
            value = 0x10000 + ((value - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        out += static_cast<wchar_t>(value);
    }
    return out;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool FileExists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

std::string Utf16Bytes(const std::u16string& text, bool bigEndian) {
    std::string out;
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

std::u16string FromLittleEndian(const std::string& bytes) {
    std::u16string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return out;
}

std::string Item(const std::string& title, const std::string& description, const std::string& link,
                 const std::string& date) {
    return "<item>\n<title>" + title + "</title>\n<description>" + description +
           "</description>\n<link>" + link + "</link>\n<pubDate>" + date + "</pubDate>\n</item>\n";
}

std::string Feed(const std::string& items) {
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel>\n<title>Channel</title>\n"
           "<link>http://channel.example/</link>\n<description>About the channel</description>\n" +
           items + "</channel></rss>\n";
}

std::string NumberedItem(int n) {
    const std::string number = std::to_string(n);
    return Item("Title " + number, "Summary " + number, "http://x/" + number, "Date " + number);
}

std::u16string Letters(std::size_t length, std::size_t pairAt) {
    std::u16string text(length, u'w');
    if (pairAt != kNoPair) {
        text.replace(pairAt, 2, U16(kEmoji));
    }
    return text;
}

std::u16string FittedText(std::u16string text, std::size_t width) {
    if (text.size() < width) {
        return text + std::u16string(width - text.size(), u' ');
    }
    text.resize(width);
    if (text.back() >= 0xD800 && text.back() <= 0xDBFF) {
        text.back() = u' ';
    }
    return text;
}

Conversion Convert(const std::string& feedBytes) {
    ScratchDirectory scratch;
    const std::string input = scratch.Path("feed.xml");
    const std::string output = scratch.Path("records.bin");
    WriteFile(input, feedBytes);
    const int result = ConvertFile(Wide(input).c_str(), Wide(output).c_str());
    return {result, FromLittleEndian(ReadFile(output))};
}

namespace {
std::u16string Padded(const std::string& text, std::size_t width) {
    std::u16string field = U16(text);
    if (field.size() > width) {
        throw std::logic_error("field text wider than its field");
    }
    field.resize(width, u' ');
    return field;
}

std::string Unpadded(const std::u16string& records, std::size_t from, std::size_t width) {
    std::u16string field = records.substr(from, width);
    while (!field.empty() && field.back() == u' ') {
        field.pop_back();
    }
    return Utf8(field);
}
} // namespace

std::u16string Record(const std::string& title, const std::string& date, const std::string& summary,
                      const std::string& link) {
    static_assert(QUENDIX_TITLE_OFFSET == 0 &&
                      QUENDIX_DATE_OFFSET == QUENDIX_TITLE_OFFSET + QUENDIX_TITLE_CHARS &&
                      QUENDIX_SUMMARY_OFFSET == QUENDIX_DATE_OFFSET + QUENDIX_DATE_CHARS &&
                      QUENDIX_LINK_OFFSET == QUENDIX_SUMMARY_OFFSET + QUENDIX_SUMMARY_CHARS &&
                      QUENDIX_RECORD_CHARS == QUENDIX_LINK_OFFSET + QUENDIX_LINK_CHARS,
                  "the fields follow one another in record order and fill the record");
    return Padded(title, QUENDIX_TITLE_CHARS) + Padded(date, QUENDIX_DATE_CHARS) +
           Padded(summary, QUENDIX_SUMMARY_CHARS) + Padded(link, QUENDIX_LINK_CHARS);
}

std::vector<Fields> SplitRecords(const std::u16string& records) {
    std::vector<Fields> out;
    for (std::size_t at = 0; at + QUENDIX_RECORD_CHARS <= records.size();
         at += QUENDIX_RECORD_CHARS) {
        out.push_back({Unpadded(records, at + QUENDIX_TITLE_OFFSET, QUENDIX_TITLE_CHARS),
                       Unpadded(records, at + QUENDIX_DATE_OFFSET, QUENDIX_DATE_CHARS),
                       Unpadded(records, at + QUENDIX_SUMMARY_OFFSET, QUENDIX_SUMMARY_CHARS),
                       Unpadded(records, at + QUENDIX_LINK_OFFSET, QUENDIX_LINK_CHARS)});
    }
    return out;
}

} // namespace quendix_test
