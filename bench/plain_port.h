// A literal port of the conversion onto the C runtime's wide streams and
// wide-string functions: lines read with fgetws and joined with wcscat,
// fields found with wcsstr, cut with wcsncpy and written with fputws. It is
// the yardstick the benchmark holds the library against, not part of it.
#ifndef QUENDIX_BENCH_PLAIN_PORT_H
#define QUENDIX_BENCH_PLAIN_PORT_H

namespace plain_port {

// Picks a UTF-8 locale for the wide streams; call once before converting.
bool UseUtf8Locale();

// Converts inputPath into outputPath the plain way and returns the number
// of records written. The output is in the locale's multibyte encoding, so
// only its record count, not its bytes, matches the library's.
int Convert(const char* inputPath, const char* outputPath);

} // namespace plain_port

#endif
