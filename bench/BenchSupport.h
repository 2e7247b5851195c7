// Timing and file helpers shared by the window-side benchmarks.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

inline double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// -1 for no values, so a table shows "-" rather than a made-up figure.
inline double Median(std::vector<double> values) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    bool ok = bytes.empty() ||
              (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
               done == bytes.size());
    CloseHandle(file);
    return ok;
}

// Reads a file to its end, also one whose size is not known (/proc).
inline std::string ReadBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char piece[65536];
    DWORD done = 0;
    while (ReadFile(file, piece, sizeof piece, &done, nullptr) && done > 0)
        bytes.append(piece, done);
    CloseHandle(file);
    return bytes;
}

// A text streamed into a rich-edit control (EM_STREAMIN's callback).
struct Source {
    const std::string* text;
    size_t done;
};

inline DWORD CALLBACK FromSource(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    auto* source = reinterpret_cast<Source*>(cookie);
    size_t n = std::min(source->text->size() - source->done, static_cast<size_t>(wanted));
    std::memcpy(buffer, source->text->data() + source->done, n);
    source->done += n;
    *got = static_cast<LONG>(n);
    return 0;
}

} // namespace bench
