/* Loaded with LD_PRELOAD by the command's tests: reads of the file whose
 * path holds QUENDIX_FAIL_READ fail with EIO once QUENDIX_FAIL_AFTER reads
 * (0 when unset) have succeeded, as a failing disk or a kernel file that
 * refuses to be read would. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static FILE* failed_stream;
static long reads_done;

static int is_target(FILE* stream) {
    const char* name = getenv("QUENDIX_FAIL_READ");
    char link[64];
    char path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fileno(stream));
    const ssize_t length = readlink(link, path, sizeof path - 1);
    if (name == NULL || length <= 0) {
        return 0;
    }
    path[length] = '\0';
    return strstr(path, name) != NULL;
}

size_t fread(void* buffer, size_t size, size_t count, FILE* stream) {
    size_t (*real)(void*, size_t, size_t, FILE*);
    *(void**)&real = dlsym(RTLD_NEXT, "fread");
    const char* after = getenv("QUENDIX_FAIL_AFTER");
    if (is_target(stream) && reads_done++ >= (after != NULL ? atol(after) : 0)) {
        failed_stream = stream;
        errno = EIO;
        return 0;
    }
    return real(buffer, size, count, stream);
}

int ferror(FILE* stream) {
    int (*real)(FILE*);
    *(void**)&real = dlsym(RTLD_NEXT, "ferror");
    return stream == failed_stream || real(stream);
}
