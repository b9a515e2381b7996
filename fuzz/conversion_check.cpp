// The whole conversion, through ConvertFile itself, on a real file.
#include "fuzz/check_support.h"
#include "fuzz/checks.h"
#include "quendix.h"
#include "tests/reference_converter.h"

namespace quendix_fuzz {

namespace {

constexpr std::size_t kRecordBytes = 1300;
// The reference searches naively; past this it would be too slow to run on
// every input, and fuzzing inputs are far smaller.
constexpr std::size_t kReferenceLimit = 256 * 1024;

struct Output {
    int result;
    std::string bytes;
};

Output ConvertOnce(const ScratchFile& input) {
    const ScratchFile output;
    const int result = ConvertFile(input.WidePath().c_str(), output.WidePath().c_str());
    return {result, ReadBytes(output.Path())};
}

std::string CheckRecordFile(const Output& out) {
    if (out.bytes.size() % kRecordBytes != 0) {
        return Describe("record file size modulo 1300", 0,
                        static_cast<long long>(out.bytes.size() % kRecordBytes));
    }
    const long long records = static_cast<long long>(out.bytes.size() / kRecordBytes);
    if (out.result != records) {
        return Describe("result against records in the file", records, out.result);
    }
    const std::size_t broken = FirstBrokenCharacter(Units(out.bytes));
    if (broken != std::u16string::npos) {
        return Describe("broken character at character", -1, static_cast<long long>(broken));
    }
    return "";
}

std::string CheckAgainstReference(const std::string& bytes, const Output& out) {
    if (bytes.size() > kReferenceLimit) {
        return "";
    }
    const quendix_reference::Result expected = quendix_reference::ConvertBytes(bytes);
    if (out.result != expected.count) {
        return Describe("result against the reference", expected.count, out.result);
    }
    const std::u16string got = Units(out.bytes);
    if (got != expected.records) {
        std::size_t at = 0;
        while (at < got.size() && at < expected.records.size() && got[at] == expected.records[at]) {
            ++at;
        }
        return Describe("records differ from the reference at character", -1,
                        static_cast<long long>(at));
    }
    return "";
}

} // namespace

std::string CheckConversion(const std::string& bytes) {
    const ScratchFile input;
    WriteBytes(input.Path(), bytes);
    const Output first = ConvertOnce(input);
    std::string failure = CheckRecordFile(first);
    if (!failure.empty()) {
        return failure;
    }
    const Output second = ConvertOnce(input);
    if (second.result != first.result || second.bytes != first.bytes) {
        return "a second conversion of the same input gave other output";
    }
    return CheckAgainstReference(bytes, first);
}

} // namespace quendix_fuzz
