// Shared helpers for the tests: scratch files, feed builders, and the
// record file read back as 16-bit characters.
#ifndef QUENDIX_TESTS_TEST_SUPPORT_H
#define QUENDIX_TESTS_TEST_SUPPORT_H

#include <cstddef>
#include <string>
#include <vector>

namespace quendix_test {

// A directory that lives as long as the object.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    std::string Path(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

std::wstring Wide(const std::string& utf8Path);
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// UTF-8 to UTF-16 and back, for building expectations.
std::u16string U16(const std::string& utf8);
std::string Utf8(const std::u16string& text);
// 16-bit characters as UTF-16 bytes in either byte order, no byte-order mark.
std::string Utf16Bytes(const std::u16string& text, bool bigEndian);
// UTF-16LE bytes to 16-bit characters.
std::u16string FromLittleEndian(const std::string& bytes);

// One item with the four elements in feed order.
std::string Item(const std::string& title, const std::string& description, const std::string& link,
                 const std::string& date);
// A feed with a channel header around the items.
std::string Feed(const std::string& items);

// Item n of a numbered feed: "Title n", "Summary n", "http://x/n", "Date n".
std::string NumberedItem(int n);

// A character above U+FFFF, in UTF-8: two 16-bit characters.
inline const std::string kEmoji = "\xF0\x9F\x9A\xA4";

// length letters, with kEmoji's character at pairAt unless pairAt is
// kNoPair.
constexpr std::size_t kNoPair = std::size_t(-1);
std::u16string Letters(std::size_t length, std::size_t pairAt);

// What a field holds after fitting: its first width characters, with a
// pair cut in half at the end replaced by a space, or filled with spaces.
std::u16string FittedText(std::u16string text, std::size_t width);

struct Conversion {
    int result;
    std::u16string records; // the whole output file
};

// Converts feed bytes through ConvertFile.
Conversion Convert(const std::string& feedBytes);

// The record for four field texts, each padded with spaces to its width
// (the text must already fit).
std::u16string Record(const std::string& title, const std::string& date, const std::string& summary,
                      const std::string& link);

struct Fields {
    std::string title, date, summary, link;
};
// Splits a record file into its records' fields, trailing padding removed.
std::vector<Fields> SplitRecords(const std::u16string& records);

} // namespace quendix_test

#endif
