// Choosing the input's encoding: byte-order marks, the XML declaration in
// its many forms, and the labels, which must be the Encoding Standard's own
// (data/encoding/encodings.json, read at test time).
#include "encoding/decode.h"
#include "encoding/detection.h"
#include "encoding/labels.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using quendix::Encoding;
using quendix::EncodingSource;

namespace {

quendix::DetectedEncoding Detect(const std::string& bytes) {
    return quendix::DetectEncoding(reinterpret_cast<const unsigned char*>(bytes.data()),
                                   bytes.size());
}

// The strings quoted in text, in order.
std::vector<std::string> QuotedStrings(const std::string& text) {
    std::vector<std::string> strings;
    for (std::size_t open = text.find('"'); open != std::string::npos;) {
        const std::size_t close = text.find('"', open + 1);
        if (close == std::string::npos) {
            break;
        }
        strings.push_back(text.substr(open + 1, close - open - 1));
        open = text.find('"', close + 1);
    }
    return strings;
}

std::string Declaration(const std::string& label) {
    return "<?xml version=\"1.0\" encoding=\"" + label + "\"?>\n<rss>";
}

} // namespace

TEST(EncodingChoice, ByteOrderMarksThenTheDeclarationThenUtf8) {
    const std::string far(1100, ' ');
    const struct {
        std::string bytes;
        Encoding encoding;
        EncodingSource source;
        std::size_t markLength;
    } cases[] = {
        {"\xEF\xBB\xBF<rss>", Encoding::Utf8, EncodingSource::ByteOrderMark, 3},
        {std::string("\xFF\xFE<\0", 4), Encoding::Utf16LE, EncodingSource::ByteOrderMark, 2},
        {std::string("\xFE\xFF\0<", 4), Encoding::Utf16BE, EncodingSource::ByteOrderMark, 2},
        // A mark outranks any declaration.
        {"\xEF\xBB\xBF" + Declaration("koi8-r"), Encoding::Utf8, EncodingSource::ByteOrderMark, 3},
        {Declaration("windows-1251"), Encoding::Windows1251, EncodingSource::Declaration, 0},
        {Declaration("ISO-8859-1"), Encoding::Windows1252, EncodingSource::Declaration, 0},
        {Declaration("US-ASCII"), Encoding::Windows1252, EncodingSource::Declaration, 0},
        {Declaration("Shift_JIS"), Encoding::ShiftJis, EncodingSource::Declaration, 0},
        {Declaration("gb2312"), Encoding::Gbk, EncodingSource::Declaration, 0},
        {Declaration("GB18030"), Encoding::Gb18030, EncodingSource::Declaration, 0},
        {Declaration("iso-2022-kr"), Encoding::Replacement, EncodingSource::Declaration, 0},
        {Declaration("x-user-defined"), Encoding::XUserDefined, EncodingSource::Declaration, 0},
        {Declaration("\t Big5 \f\r\n"), Encoding::Big5, EncodingSource::Declaration, 0},
        {" \r\n\t" + Declaration("euc-kr"), Encoding::EucKr, EncodingSource::Declaration, 0},
        {"<?xml version='1.0' encoding = 'koi8-u' ?>", Encoding::Koi8U, EncodingSource::Declaration,
         0},
        {"<?xml\nencoding=\"csshiftjis\"\n?>", Encoding::ShiftJis, EncodingSource::Declaration, 0},
        // The first "encoding" after white space counts, even when broken.
        {"<?xml xencoding='koi8-r' encoding='euc-jp'?>", Encoding::EucJp,
         EncodingSource::Declaration, 0},
        {"<?xml encoding=koi8-r encoding='euc-jp'?>", Encoding::Utf8, EncodingSource::Default, 0},
        // The declaration ends at its first '>', and within the first 1024
        // bytes of the file.
        {"<?xml version='1.0' x='>' encoding='koi8-r'?>", Encoding::Utf8, EncodingSource::Default,
         0},
        {"<?xml encoding='koi8-r'" + far + "?>", Encoding::Utf8, EncodingSource::Default, 0},
        {"<?xml encoding='koi8-r'" + far.substr(0, 990) + "?>", Encoding::Koi8R,
         EncodingSource::Declaration, 0},
        {"<?xml encoding='koi8-r?>'>", Encoding::Utf8, EncodingSource::Default, 0},
        {"<?xml encoding='koi8-r\"?>", Encoding::Utf8, EncodingSource::Default, 0},
        // Declared UTF-16 without a mark, unknown labels, no declaration.
        {Declaration("utf-16"), Encoding::Utf8, EncodingSource::Default, 0},
        {Declaration("UTF-16BE"), Encoding::Utf8, EncodingSource::Default, 0},
        {Declaration("unicode"), Encoding::Utf8, EncodingSource::Default, 0},
        {Declaration("ucs-2"), Encoding::Utf8, EncodingSource::Default, 0},
        {Declaration("latin-1"), Encoding::Utf8, EncodingSource::Default, 0},
        {Declaration(""), Encoding::Utf8, EncodingSource::Default, 0},
        {"x" + Declaration("koi8-r"), Encoding::Utf8, EncodingSource::Default, 0},
        {"<?xml-stylesheet encoding='koi8-r'?>", Encoding::Utf8, EncodingSource::Default, 0},
        {"<?XML encoding='koi8-r'?>", Encoding::Utf8, EncodingSource::Default, 0},
        {"<?xml encoding=\"koi8-r\"", Encoding::Utf8, EncodingSource::Default, 0},
        {"<rss>", Encoding::Utf8, EncodingSource::Default, 0},
        {"", Encoding::Utf8, EncodingSource::Default, 0},
    };
    for (const auto& c : cases) {
        const quendix::DetectedEncoding got = Detect(c.bytes);
        EXPECT_EQ(got.encoding, c.encoding) << c.bytes;
        EXPECT_EQ(got.source, c.source) << c.bytes;
        EXPECT_EQ(got.byteOrderMarkLength, c.markLength) << c.bytes;
    }
}

// Every encoding's name and labels as encodings.json lists them, in its
// order, and each label found in any case and with white space around it.
TEST(EncodingChoice, NamesAndLabelsAreTheStandardsOwn) {
    std::ifstream file(std::string(QUENDIX_SOURCE_DIR) + "/data/encoding/encodings.json");
    std::stringstream json;
    json << file.rdbuf();
    const std::string text = json.str();
    // Each encoding is "labels": [ ... ], "name": "...".
    std::vector<std::pair<std::string, std::string>> expected; // label, name
    int encodings = 0;
    for (std::size_t at = text.find("\"labels\""); at != std::string::npos;
         at = text.find("\"labels\"", at + 1)) {
        const std::size_t open = text.find('[', at);
        const std::size_t close = text.find(']', open);
        const std::size_t nameKey = text.find("\"name\"", close);
        ASSERT_NE(nameKey, std::string::npos);
        const std::string name = QuotedStrings(text.substr(nameKey + 6, 200)).at(0);
        EXPECT_STREQ(quendix::EncodingName(static_cast<Encoding>(encodings)), name.c_str());
        ++encodings;
        for (const std::string& label : QuotedStrings(text.substr(open, close - open))) {
            expected.emplace_back(label, name);
        }
    }
    EXPECT_EQ(encodings, quendix::kEncodingCount);

    std::size_t count = 0;
    const quendix::EncodingLabel* labels = quendix::EncodingLabels(&count);
    ASSERT_EQ(count, expected.size());
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(labels[i].label, expected[i].first);
        EXPECT_EQ(quendix::EncodingName(labels[i].encoding), expected[i].second);
        std::string shouted = " \t" + expected[i].first + "\n\f\r";
        for (char& c : shouted) {
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
        Encoding found = Encoding::Utf8;
        EXPECT_TRUE(quendix::FindEncodingByLabel(shouted.data(), shouted.size(), &found));
        EXPECT_EQ(quendix::EncodingName(found), expected[i].second) << shouted;
    }
    Encoding found = Encoding::Utf8;
    for (const std::string label : {"", "utf-8 x", "latin-1", "sjis\v", "\xC4\xB1so-8859-1"}) {
        EXPECT_FALSE(quendix::FindEncodingByLabel(label.data(), label.size(), &found)) << label;
    }
}
