/* Quendix: converts a saved RSS 2.0 feed into a file of fixed-width records.
 *
 * Each kept news item becomes one 650-character record, written as UTF-16LE
 * (1300 bytes): title (100), publication date (50), summary (400), link (100).
 */
#ifndef QUENDIX_H
#define QUENDIX_H

#include <wchar.h>

#define QUENDIX_VERSION_MAJOR 1
#define QUENDIX_VERSION_MINOR 0
#define QUENDIX_VERSION_PATCH 0

/* The record file: records back to back, no header, no separator. Widths
 * and offsets count 16-bit characters; each is two bytes, little-endian. */
#define QUENDIX_RECORD_CHARS 650
#define QUENDIX_RECORD_BYTES (QUENDIX_RECORD_CHARS * 2)
#define QUENDIX_TITLE_OFFSET 0
#define QUENDIX_TITLE_CHARS 100
#define QUENDIX_DATE_OFFSET 100
#define QUENDIX_DATE_CHARS 50
#define QUENDIX_SUMMARY_OFFSET 150
#define QUENDIX_SUMMARY_CHARS 400
#define QUENDIX_LINK_OFFSET 550
#define QUENDIX_LINK_CHARS 100

#if defined(_WIN32)
#if defined(QUENDIX_BUILDING_LIBRARY)
/* The DLL's export table, ordinals included, is module/quendix.def alone:
 * dllexport here would add the constructor's second (base-object) form. */
#define QUENDIX_API
#else
#define QUENDIX_API __declspec(dllimport)
#endif
#else
#define QUENDIX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Converts the feed at inputPath into the record file at outputPath and
 * returns the number of records written. 0 when the input cannot be opened
 * (the output is then left untouched), when the output cannot be created, or
 * when the feed holds no usable item. Calls from several threads are run one
 * after another. */
QUENDIX_API int ConvertFile(const wchar_t* inputPath, const wchar_t* outputPath);

#ifdef __cplusplus
}

/* Sample exports kept for hosts that were built against them. They do no feed
 * work. */
class CVARNEL {
  public:
    QUENDIX_API CVARNEL();
    QUENDIX_API CVARNEL& operator=(const CVARNEL& other);
};

QUENDIX_API int fnVARNEL();

extern QUENDIX_API int nVARNEL;
#endif

#endif /* QUENDIX_H */
