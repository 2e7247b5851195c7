#include "app/Trace.h"

#ifdef KORVID_TRACE
#include <windows.h>

#include <cstdio>

namespace {

double MillisecondsSince(const FILETIME& start) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER a, b;
    a.LowPart = start.dwLowDateTime;
    a.HighPart = start.dwHighDateTime;
    b.LowPart = now.dwLowDateTime;
    b.HighPart = now.dwHighDateTime;
    return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;
}

} // namespace

void TracePoint(const char* name) {
    static FILETIME created = [] {
        FILETIME c{}, unused;
        GetProcessTimes(GetCurrentProcess(), &c, &unused, &unused, &unused);
        return c;
    }();
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("KORVID_TRACE_FILE", path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return;
    char line[128];
    int length = std::snprintf(line, sizeof line, "%s %.1f\r\n", name, MillisecondsSince(created));
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
}
#endif
