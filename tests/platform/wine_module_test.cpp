// QUENDIX.dll as a Windows host meets it (run under Wine by
// scripts/test-windows.sh): loaded by name, reached by name and by ordinal,
// and converting feeds into exactly the bytes the Linux build writes.
// Usage: quendix_wine_test SCRATCH_DIR FEED RECORDS [FEED RECORDS ...]
// where each RECORDS file is the Linux build's output for the FEED before it.
#include <windows.h>

#include "quendix.h"

#include <cstdio>
#include <string>

namespace {

// The exports as the ABI sees them: a constructor and a member function take
// the object's address as their first argument.
using ConvertFileFunction = int (*)(const wchar_t*, const wchar_t*);
using ConstructorFunction = void (*)(void*);
using AssignFunction = void* (*)(void*, const void*);
using SampleFunction = int (*)();

struct Export {
    WORD ordinal;
    const char* name;
};
const Export kExports[] = {{1, "ConvertFile"},
                           {2, "_ZN7CVARNELC1Ev"},
                           {3, "_ZN7CVARNELaSERKS_"},
                           {4, "_Z8fnVARNELv"},
                           {5, "nVARNEL"}};
const wchar_t kModuleName[] = L"QUENDIX.dll";
constexpr long kRecordBytes = QUENDIX_RECORD_BYTES;

int Passed = 0;
int Failed = 0;

std::string Narrow(const std::wstring& text) {
    char buffer[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return buffer;
}

bool Check(bool ok, const std::string& what) {
    ++(ok ? Passed : Failed);
    if (!ok) {
        std::printf("FAILED: %s\n", what.c_str());
    }
    return ok;
}

FARPROC ByOrdinal(HMODULE module, WORD ordinal) {
    return GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
}

// void (*)() is the function pointer type GCC lets any other convert through.
template <typename Function> Function As(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        return "<missing>";
    }
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, got);
    }
    std::fclose(file);
    return bytes;
}

void CheckExportTable(HMODULE module) {
    for (const Export& entry : kExports) {
        const FARPROC byName = GetProcAddress(module, entry.name);
        Check(byName != nullptr, std::string("export by name: ") + entry.name);
        Check(byName == ByOrdinal(module, entry.ordinal),
              std::string("ordinal ") + std::to_string(entry.ordinal) + " is " + entry.name);
    }
    Check(ByOrdinal(module, 6) == nullptr, "no ordinal after 5");
    Check(GetProcAddress(module, "_ZN7CVARNELC2Ev") == nullptr, "base-object constructor hidden");
}

void CheckSampleExports(HMODULE module) {
    const auto fortyTwo = As<SampleFunction>(ByOrdinal(module, 4));
    const auto* sampleInteger = reinterpret_cast<const int*>(ByOrdinal(module, 5));
    if (!Check(fortyTwo != nullptr && sampleInteger != nullptr, "ordinals 4 and 5 resolve")) {
        return;
    }
    bool always42 = true;
    for (int call = 0; call < 1000; ++call) {
        always42 = always42 && fortyTwo() == 42;
    }
    Check(always42, "ordinal 4 returns 42 on every call");
    Check(*sampleInteger == 0, "ordinal 5 reads 0");

    const auto construct = As<ConstructorFunction>(ByOrdinal(module, 2));
    const auto assign = As<AssignFunction>(ByOrdinal(module, 3));
    // The class has no members: neither call may touch the object's byte.
    unsigned char objects[2] = {0x5A, 0xC3};
    construct(&objects[0]);
    construct(&objects[1]);
    Check(assign(&objects[0], &objects[1]) == &objects[0], "operator= returns its object");
    Check(objects[0] == 0x5A && objects[1] == 0xC3, "CVARNEL calls leave the objects alone");
}

// Converts feed into output and checks the bytes against the Linux build's.
void CheckConversion(ConvertFileFunction convert, const std::wstring& feed,
                     const std::wstring& output, const std::wstring& expectedPath) {
    const std::string expected = ReadBytes(expectedPath);
    const int records = convert(feed.c_str(), output.c_str());
    const std::string actual = ReadBytes(output);
    Check(actual == expected, "same bytes as the Linux build: " + Narrow(feed));
    Check(records * kRecordBytes == static_cast<long>(actual.size()),
          "count matches the file: " + Narrow(feed));
}

// Copies a feed into a directory and a file whose names need the wide API
// (a surrogate pair among them), and converts it there.
void CheckNonAsciiPaths(ConvertFileFunction convert, const std::wstring& scratch,
                        const std::wstring& feed, const std::wstring& expected) {
    const std::wstring directory = scratch + L"\\Pr\u00FCfung \u65E5\u672C \U0001F4F0";
    CreateDirectoryW(directory.c_str(), nullptr);
    const std::wstring copy = directory + L"\\Nachrichten\u00FCbersicht.xml";
    Check(CopyFileW(feed.c_str(), copy.c_str(), FALSE) != 0, "copy feed to a non-ASCII path");
    CheckConversion(convert, copy, directory + L"\\\u8A18\u9332.rec", expected);
}

struct ThreadWork {
    ConvertFileFunction convert;
    SampleFunction fortyTwo;
    std::wstring feed, output;
    int records = -1;
    int answer = 0;
};

DWORD WINAPI ConvertOnThread(LPVOID parameter) {
    auto* work = static_cast<ThreadWork*>(parameter);
    work->answer = work->fortyTwo();
    work->records = work->convert(work->feed.c_str(), work->output.c_str());
    return 0;
}

void CheckThread(HMODULE module, const std::wstring& scratch, const std::wstring& feed,
                 const std::wstring& expected) {
    ThreadWork work{As<ConvertFileFunction>(ByOrdinal(module, 1)),
                    As<SampleFunction>(ByOrdinal(module, 4)), feed, scratch + L"\\thread.rec"};
    HANDLE thread = CreateThread(nullptr, 0, ConvertOnThread, &work, 0, nullptr);
    if (!Check(thread != nullptr, "thread starts while the DLL is loaded")) {
        return;
    }
    Check(WaitForSingleObject(thread, 60000) == WAIT_OBJECT_0, "thread ends");
    CloseHandle(thread);
    Check(work.answer == 42, "fnVARNEL on another thread");
    Check(work.records * kRecordBytes == static_cast<long>(ReadBytes(expected).size()) &&
              ReadBytes(work.output) == ReadBytes(expected),
          "conversion on another thread");
}

// Unloading really unloads, and the next load starts from zeroed storage.
void CheckReloads() {
    for (int round = 0; round < 10; ++round) {
        HMODULE module = LoadLibraryW(kModuleName);
        int* sampleInteger = module ? reinterpret_cast<int*>(ByOrdinal(module, 5)) : nullptr;
        if (!Check(sampleInteger != nullptr && *sampleInteger == 0,
                   "reload reads 0 at ordinal 5")) {
            return;
        }
        *sampleInteger = round + 1;
        Check(FreeLibrary(module) != 0, "FreeLibrary succeeds");
        Check(GetModuleHandleW(kModuleName) == nullptr, "FreeLibrary unloads the DLL");
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4 || argc % 2 != 0) {
        std::printf("usage: quendix_wine_test SCRATCH_DIR FEED RECORDS [FEED RECORDS ...]\n");
        return 2;
    }
    const std::wstring scratch = argv[1];
    Check(GetModuleHandleW(kModuleName) == nullptr, "not loaded before LoadLibrary");
    HMODULE module = LoadLibraryW(kModuleName);
    if (!Check(module != nullptr, "LoadLibrary by name")) {
        return 1;
    }
    CheckExportTable(module);
    CheckSampleExports(module);
    const auto convert = As<ConvertFileFunction>(ByOrdinal(module, 1));
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::wstring output = scratch + L"\\feed-" + std::to_wstring(i / 2) + L".rec";
        CheckConversion(convert, argv[i], output, argv[i + 1]);
    }
    CheckNonAsciiPaths(convert, scratch, argv[2], argv[3]);
    CheckThread(module, scratch, argv[2], argv[3]);
    Check(FreeLibrary(module) != 0, "FreeLibrary succeeds");
    CheckReloads();
    std::printf("%d checks passed, %d failed\n", Passed, Failed);
    return Failed == 0 ? 0 : 1;
}
