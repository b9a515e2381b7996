// Turning command-line bytes into the wide paths the library takes.
#ifndef QUENDIX_CLI_ARGUMENTS_H
#define QUENDIX_CLI_ARGUMENTS_H

#include <string>

namespace quendix_cli {

// Decodes a UTF-8 argument into a wide string. False when it is not UTF-8.
bool WidenUtf8(const std::string& bytes, std::wstring& wide);

// Appends the UTF-8 form of a Unicode scalar value.
void AppendUtf8(std::string& out, char32_t value);

} // namespace quendix_cli

#endif
