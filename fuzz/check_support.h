// Helpers shared by the checks that the fuzz targets and the replay test
// run: scratch files, and what every piece of converted text must be.
#ifndef QUENDIX_FUZZ_CHECK_SUPPORT_H
#define QUENDIX_FUZZ_CHECK_SUPPORT_H

#include <string>

namespace quendix_fuzz {

// A file that lives as long as the object, in /dev/shm when there is one
// (fuzzing writes one per input), else in TMPDIR or /tmp.
class ScratchFile {
  public:
    ScratchFile();
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return path_; }
    std::wstring WidePath() const;

  private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

// UTF-16LE bytes as 16-bit characters (an odd last byte is dropped).
std::u16string Units(const std::string& littleEndianBytes);

// Index of the first surrogate in text that is not half of a pair;
// npos when every character is whole.
std::size_t FirstBrokenCharacter(const std::u16string& text);

// A failure message naming what broke, for the fuzzer's log or a test.
std::string Describe(const std::string& what, long long expected, long long got);

} // namespace quendix_fuzz

#endif
