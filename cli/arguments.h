// Command-line text as the library wants it: the command keeps every
// argument as UTF-8, and widens a path only when it hands it on.
#ifndef QUENDIX_CLI_ARGUMENTS_H
#define QUENDIX_CLI_ARGUMENTS_H

#include <string>

namespace quendix_cli {

// Decodes a UTF-8 argument into a wide string: UTF-32 where wchar_t holds
// 32 bits, UTF-16 where it holds 16 (Windows). False when the bytes are not
// well-formed UTF-8, and then wide is empty: a path half widened would name
// another file.
bool WidenUtf8(const std::string& bytes, std::wstring& wide);

// Encodes a wide string (UTF-16 or UTF-32, as wchar_t is) as UTF-8. False
// when it holds a lone surrogate or a value beyond Unicode.
bool NarrowToUtf8(const std::wstring& wide, std::string& bytes);

// A file name as a message shows it: UTF-8 text as it is, each byte that
// is not part of UTF-8 text, and each control character, as \xNN.
std::string EscapeName(const std::string& name);

// Appends the UTF-8 form of a Unicode scalar value.
void AppendUtf8(std::string& out, char32_t value);

} // namespace quendix_cli

#endif
