// A program the tests start as a Run target, a Run File entry or the print
// program: it appends to the file named by KORVID_PROBE_LOG one line of its
// arguments, its current folder and the show state it was started with,
// separated by "|".
#include <windows.h>

#include <cstring>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char log[MAX_PATH], folder[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA("KORVID_PROBE_LOG", log, sizeof log);
    if (n == 0 || n >= sizeof log)
        return 1;
    GetCurrentDirectoryA(sizeof folder, folder);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    // The arguments follow the program's name, which may or may not be quoted.
    const char* line = GetCommandLineA();
    const char* end = *line == '"' ? strchr(line + 1, '"') : strchr(line, ' ');
    line = end == nullptr ? "" : end + (*end == '"' && end[1] == ' ' ? 2 : 1);
    std::string entry = std::string(line) + "|" + folder + "|" + std::to_string(show) + "\r\n";
    // Two probes at once: the log is opened for appending, retried while held.
    for (int attempt = 0; attempt < 200; Sleep(10), ++attempt) {
        HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
            CloseHandle(file);
            return 0;
        }
    }
    return 2;
}
