#include "tests/e2e/KorvidDriver.h"

#ifndef KORVID_DRIVER_OWN_MAIN
#include <gtest/gtest.h>
#endif

#include <commctrl.h>
#include <prsht.h>
#include <richedit.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace korvid_e2e {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string LastErrorText() { return "error " + std::to_string(GetLastError()); }

bool IsWindowsPath(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && path[0] == '\\');
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

std::string FolderOf(const std::string& path) {
    size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((WithSlash(folder) + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = WithSlash(folder) + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// Deletes the files (not the subfolders) of a folder.
void DeleteFilesIn(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((WithSlash(folder) + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            std::string path = WithSlash(folder) + entry.cFileName;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

std::string AppDataFolder() {
    // The same call the program makes for its data folder.
    char buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, buffer)))
        throw DriverError("no application-data folder (CSIDL_APPDATA)");
    return WithSlash(buffer);
}

// Quotes one argument so that the Windows command-line rules give it back
// unchanged (Wine splits the command line of a Unix program by the same rules).
std::string QuoteArgument(const std::string& argument) {
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string ClassOf(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// WM_GETTEXT across processes; Wine marshals the buffer.
std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kUiTimeout, &length))
        throw DriverError("WM_GETTEXTLENGTH did not answer (" + ClassOf(window) + ")");
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, kUiTimeout, &copied))
        throw DriverError("WM_GETTEXT did not answer (" + ClassOf(window) + ")");
    text.resize(copied < text.size() ? copied : text.size() - 1);
    return text;
}

struct ProcessWindows {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto* collected = reinterpret_cast<ProcessWindows*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == collected->processId)
        collected->windows.push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
    ProcessWindows collected{processId, {}};
    if (processId != 0)
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&collected));
    return collected.windows;
}

// A block of memory inside the program, for messages whose pointers the
// system does not carry across processes.
class RemoteBuffer {
  public:
    RemoteBuffer(HANDLE process, size_t size) : process_(process), size_(size) {
        address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!address_)
            throw DriverError("VirtualAllocEx failed: " + LastErrorText());
    }
    ~RemoteBuffer() { VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
    void Read(void* out, size_t size) const {
        SIZE_T done = 0;
        if (size > size_ || !ReadProcessMemory(process_, address_, out, size, &done) ||
            done != size)
            throw DriverError("ReadProcessMemory failed: " + LastErrorText());
    }
    void Write(const void* in, size_t size) {
        SIZE_T done = 0;
        if (size > size_ || !WriteProcessMemory(process_, address_, in, size, &done) ||
            done != size)
            throw DriverError("WriteProcessMemory failed: " + LastErrorText());
    }

  private:
    HANDLE process_;
    size_t size_;
    void* address_;
};

LRESULT SendOrThrow(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const char* what) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kUiTimeout,
                             &result))
        throw DriverError(std::string(what) + " did not answer within " +
                          std::to_string(kUiTimeout) + " ms");
    return static_cast<LRESULT>(result);
}

KeyMethod ChosenKeyMethod() {
    static int chosen = -1;
    if (chosen < 0) {
        std::string choice = Env("KORVID_E2E_KEYS");
        if (choice == "sendinput")
            chosen = static_cast<int>(KeyMethod::SendInput);
        else if (choice == "xdotool")
            chosen = static_cast<int>(KeyMethod::XTest);
        else {
            // xdotool when it can be run; SendInput without it (or without
            // Wine, where no Unix program can be started).
            chosen = static_cast<int>(KeyMethod::SendInput);
            try {
                if (RunUnixCommand("command -v xdotool >/dev/null") == 0)
                    chosen = static_cast<int>(KeyMethod::XTest);
            } catch (const DriverError&) {
            }
        }
    }
    return static_cast<KeyMethod>(chosen);
}

// Virtual keys for the xdotool key names the tests use.
WORD VirtualKeyOf(const std::string& name) {
    static const std::map<std::string, WORD> keys = {
        {"ctrl", VK_CONTROL},  {"control", VK_CONTROL}, {"shift", VK_SHIFT},
        {"alt", VK_MENU},      {"Return", VK_RETURN},   {"BackSpace", VK_BACK},
        {"Delete", VK_DELETE}, {"Escape", VK_ESCAPE},   {"Tab", VK_TAB},
        {"space", VK_SPACE},   {"Home", VK_HOME},       {"End", VK_END},
        {"Left", VK_LEFT},     {"Right", VK_RIGHT},     {"Up", VK_UP},
        {"Down", VK_DOWN},     {"Prior", VK_PRIOR},     {"Next", VK_NEXT},
        {"Insert", VK_INSERT}, {"Menu", VK_APPS},
    };
    auto found = keys.find(name);
    if (found != keys.end())
        return found->second;
    if (name.size() == 1 && isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<WORD>(toupper(static_cast<unsigned char>(name[0])));
    if (name.size() >= 2 && name[0] == 'F' && isdigit(static_cast<unsigned char>(name[1]))) {
        int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 12)
            return static_cast<WORD>(VK_F1 + n - 1);
    }
    throw DriverError("no virtual key known for the key name \"" + name + "\"");
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// A mouse event at a screen point (absolute coordinates run from 0 to 65535
// across the primary screen) with `flags` besides the move.
INPUT MouseInput(POINT screen, DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = static_cast<LONG>((screen.x * 65535LL + width / 2) / (width > 1 ? width - 1 : 1));
    input.mi.dy =
        static_cast<LONG>((screen.y * 65535LL + height / 2) / (height > 1 ? height - 1 : 1));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    return input;
}

void SendInputs(std::vector<INPUT>& inputs) {
    if (inputs.empty())
        return;
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size())
        throw DriverError("SendInput sent " + std::to_string(sent) + " of " +
                          std::to_string(inputs.size()) + " events");
}

int counter = 0;

// The file-name box of the common file dialogs.
constexpr int kFileNameCombo = 0x47C; // cmb13
constexpr int kFileNameEdit = 0x480;  // edt1

} // namespace

// ---- files and settings ----------------------------------------------------

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads share delete access too, so that on Windows the program can rename
// a new file over one that a test is reading (Wine refuses it anyway).
constexpr DWORD kReadShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool TryReadFileBytes(const std::string& path, Bytes& bytes) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, kReadShare, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.assign(GetFileSize(file, nullptr), 0);
    DWORD done = 0;
    BOOL ok = bytes.empty() ||
              ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
    return ok && done == bytes.size();
}

Bytes ReadFileBytes(const std::string& path) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, kReadShare, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw DriverError("cannot read " + path + ": " + LastErrorText());
    Bytes bytes(GetFileSize(file, nullptr));
    DWORD done = 0;
    BOOL ok = bytes.empty() ||
              ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
    if (!ok || done != bytes.size())
        throw DriverError("short read of " + path);
    return bytes;
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw DriverError("cannot create " + path + ": " + LastErrorText());
    DWORD done = 0;
    BOOL ok = bytes.empty() ||
              WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
    if (!ok || done != bytes.size())
        throw DriverError("short write of " + path);
}

void WriteTextFile(const std::string& path, const std::string& text) {
    WriteFileBytes(path, Bytes(text.begin(), text.end()));
}

void MakeFolders(const std::string& folder) {
    for (size_t at = 3; at <= folder.size(); ++at) {
        if (at == folder.size() || folder[at] == '\\')
            CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    }
}

Bytes MakeSettingsFile() {
    Bytes file(kSettingsFileSize, 0);
    std::memcpy(file.data(), kSettingsTag, 8);
    return file;
}

int32_t GetSettingsField(const Bytes& file, size_t offset) {
    if (offset + 4 > file.size())
        throw DriverError("settings field at " + std::to_string(offset) + " is past the end");
    int32_t value;
    std::memcpy(&value, file.data() + offset, 4);
    return value;
}

void SetSettingsText(Bytes& file, size_t offset, size_t size, const std::string& text) {
    if (offset + size > file.size() || text.size() >= size)
        throw DriverError("settings text at " + std::to_string(offset) + " does not fit");
    std::memset(file.data() + offset, 0, size);
    std::memcpy(file.data() + offset, text.c_str(), text.size());
}

void SetSettingsField(Bytes& file, size_t offset, int32_t value) {
    if (offset + 4 > file.size())
        throw DriverError("settings field at " + std::to_string(offset) + " is past the end");
    std::memcpy(file.data() + offset, &value, 4);
}

const Bytes& DefaultSettingsFile() {
    static Bytes defaults;
    if (defaults.empty()) {
        // Choosing font group One, which is already current, is a save
        // occasion that changes nothing.
        KorvidApp app;
        app.Start();
        app.WaitForEditor();
        app.PostCommand(40050);
        Bytes file = app.WaitForFile(app.SettingsPathInProgram(), kSettingsFileSize);
        if (std::memcmp(file.data(), kSettingsTag, 8) != 0)
            app.Fail("the defaults file does not start with " + std::string(kSettingsTag));
        app.PostCommand(40011);
        app.WaitForExit();
        defaults = file;
    }
    return defaults;
}

// ---- paths -------------------------------------------------------------------

std::string WindowsPathOf(const std::string& unixPath) {
    if (IsWindowsPath(unixPath))
        return unixPath;
    using ToDos = WCHAR*(CDECL*)(const char*);
    auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos) {
        if (WCHAR* wide = toDos(unixPath.c_str())) {
            char narrow[1024] = {};
            WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
            HeapFree(GetProcessHeap(), 0, wide);
            return narrow;
        }
    }
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string UnixPathOf(const std::string& windowsPath) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        throw DriverError("not running under Wine: no wine_get_unix_file_name");
    WCHAR wide[1024] = {};
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, 1024);
    char* unixName = toUnix(wide);
    if (!unixName)
        throw DriverError("no Unix path for " + windowsPath);
    std::string result = unixName;
    HeapFree(GetProcessHeap(), 0, unixName);
    return result;
}

std::string KorvidExePath() {
    std::string exe = Env("KORVID_EXE");
    if (exe.empty())
        throw DriverError("KORVID_EXE is not set: it names the Korvid.exe to test");
    std::string path = WindowsPathOf(exe);
    if (!FileExists(path))
        throw DriverError("KORVID_EXE names " + exe + " (" + path + "), which does not exist");
    return path;
}

std::string ArtifactsFolder() {
    std::string folder = Env("KORVID_ARTIFACTS_DIR");
    folder = folder.empty() ? FolderOf(KorvidExePath()) + "artifacts" : WindowsPathOf(folder);
    folder = WithSlash(folder);
    MakeFolders(folder);
    return folder;
}

int RunUnixCommand(const std::string& shellCommand, DWORD timeoutMs) {
    // A Unix program started by Wine gives no process handle to wait on, so
    // the command leaves its exit status in a marker file, renamed into
    // place so that it is never seen half-written.
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string marker = WithSlash(temp) + "korvid-e2e-" + std::to_string(GetCurrentProcessId()) +
                         "-cmd" + std::to_string(++counter);
    DeleteFileA(marker.c_str());
    std::string unixMarker = UnixPathOf(marker);
    std::string script = "{ " + shellCommand + "; } ; echo $? > " +
                         ShellQuote(unixMarker + ".part") + " && mv " +
                         ShellQuote(unixMarker + ".part") + " " + ShellQuote(unixMarker);
    std::string commandLine = WindowsPathOf("/bin/sh") + " -c " + QuoteArgument(script);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        throw DriverError("cannot start /bin/sh: " + LastErrorText());
    if (info.hProcess)
        CloseHandle(info.hProcess);
    if (info.hThread)
        CloseHandle(info.hThread);
    DWORD start = GetTickCount();
    while (!FileExists(marker)) {
        if (GetTickCount() - start > timeoutMs)
            throw DriverError("the Unix command did not finish within " +
                              std::to_string(timeoutMs) + " ms: " + shellCommand);
        Sleep(5);
    }
    Bytes status = ReadFileBytes(marker);
    DeleteFileA(marker.c_str());
    return std::atoi(std::string(status.begin(), status.end()).c_str());
}

std::string Notification::ButtonText(int id) const {
    for (const auto& button : buttons)
        if (button.first == id)
            return button.second;
    return "";
}

// ---- the program ---------------------------------------------------------------

KeyMethod DefaultKeyMethod() { return ChosenKeyMethod(); }

KorvidApp::KorvidApp(bool separateDataFolder)
    : separateDataFolder_(separateDataFolder), keyMethod_(ChosenKeyMethod()) {
    std::string exe = KorvidExePath();
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    root_ = WithSlash(temp) + "korvid-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter) + "\\";
    DeleteTree(root_);
    programFolder_ = root_ + "prog\\";
    MakeFolders(programFolder_);
    if (!CopyFileA(exe.c_str(), (programFolder_ + "Korvid.exe").c_str(), FALSE))
        throw DriverError("cannot copy " + exe + " into " + programFolder_ + ": " +
                          LastErrorText());
    std::string bitmap = FolderOf(exe) + "ToolBar.bmp";
    if (FileExists(bitmap))
        CopyFileA(bitmap.c_str(), (programFolder_ + "ToolBar.bmp").c_str(), FALSE);
    if (separateDataFolder) {
        WriteTextFile(programFolder_ + "DefSet.txt", "");
        dataFolder_ = AppDataFolder() + "Tavish\\Korvid\\";
        // Every test that uses the profile's data folder starts from an
        // empty one.
        DeleteFilesIn(dataFolder_);
    } else {
        dataFolder_ = programFolder_;
    }
}

KorvidApp::~KorvidApp() {
    try {
        Kill();
    } catch (...) {
    }
    if (processInfo_.hProcess)
        CloseHandle(processInfo_.hProcess);
    if (processInfo_.hThread)
        CloseHandle(processInfo_.hThread);
    if (Env("KORVID_E2E_KEEP").empty())
        RemoveFolders();
}

void KorvidApp::RemoveFolders() {
    if (separateDataFolder_)
        DeleteFilesIn(dataFolder_);
    DeleteTree(root_);
}

void KorvidApp::Fail(const std::string& message) const {
    std::string report = message + "\n  Korvid.exe pid " + std::to_string(processInfo_.dwProcessId);
    if (processInfo_.hProcess) {
        DWORD code = 0;
        GetExitCodeProcess(processInfo_.hProcess, &code);
        report +=
            code == STILL_ACTIVE ? " is running" : " has ended with code " + std::to_string(code);
    } else {
        report += " was not started";
    }
    for (HWND window : TopLevelWindowsOf(processInfo_.dwProcessId)) {
        char title[256] = {};
        GetWindowTextA(window, title, sizeof title);
        report += "\n  window " + ClassOf(window) + " \"" + title + "\"" +
                  (IsWindowVisible(window) ? " visible" : " hidden");
    }
    throw DriverError(report);
}

void KorvidApp::Start(const std::string& arguments, const std::string& currentFolder) {
    if (Running())
        Fail("Start called while the program still runs");
    if (processInfo_.hProcess) {
        CloseHandle(processInfo_.hProcess);
        CloseHandle(processInfo_.hThread);
        processInfo_ = PROCESS_INFORMATION{};
    }
    std::string exe = programFolder_ + "Korvid.exe";
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const std::string& folder = currentFolder.empty() ? programFolder_ : currentFolder;
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &processInfo_))
        throw DriverError("cannot start " + exe + ": " + LastErrorText());
}

bool KorvidApp::Running() const {
    return processInfo_.hProcess && WaitForSingleObject(processInfo_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND KorvidApp::FindMainWindow() const {
    for (HWND window : TopLevelWindowsOf(processInfo_.dwProcessId))
        if (ClassOf(window) == "KorvidBox")
            return window;
    return nullptr;
}

HWND KorvidApp::WaitForMainWindow(DWORD timeoutMs) {
    HWND main = nullptr;
    WaitUntil(
        [&] {
            if (HWND note = FindNotification())
                Fail("a notification showed instead of the main window: \"" +
                     ReadNotification(note).message + "\"");
            if (!Running())
                Fail("the program ended before its main window showed");
            main = FindMainWindow();
            return main && IsWindowVisible(main);
        },
        "the main window (class KorvidBox)", timeoutMs);
    return main;
}

HWND KorvidApp::Editor() const {
    HWND main = FindMainWindow();
    if (!main)
        return nullptr;
    HWND editor = GetDlgItem(main, kEditorId);
    return editor && ClassOf(editor) == "RichEdit20A" ? editor : nullptr;
}

HWND KorvidApp::WaitForEditor(DWORD timeoutMs) {
    WaitForMainWindow(timeoutMs);
    HWND editor = nullptr;
    // The control exists before its creation is complete; a user sees it
    // once it is visible.
    WaitUntil(
        [&] {
            editor = Editor();
            return editor != nullptr && IsWindowVisible(editor);
        },
        "the visible editor control (RichEdit20A, id 1000)", timeoutMs);
    return editor;
}

HWND KorvidApp::FindChild(const char* className) const {
    HWND main = FindMainWindow();
    return main ? FindWindowExA(main, nullptr, className, nullptr) : nullptr;
}

HWND KorvidApp::FindNotification() const {
    for (HWND window : TopLevelWindowsOf(processInfo_.dwProcessId)) {
        if (ClassOf(window) != "#32770" || !IsWindowVisible(window))
            continue;
        char title[64] = {};
        GetWindowTextA(window, title, sizeof title);
        if (std::strcmp(title, kNotifyCaption) == 0)
            return window;
    }
    return nullptr;
}

Notification KorvidApp::ReadNotification(HWND dialog) const {
    Notification note;
    note.window = dialog;
    if (HWND text = GetDlgItem(dialog, kNotifyTextId))
        note.message = WindowText(text);
    for (int id : {1, 2, 1612}) {
        HWND button = GetDlgItem(dialog, id);
        if (button && IsWindowVisible(button))
            note.buttons.emplace_back(id, WindowText(button));
    }
    return note;
}

Notification KorvidApp::WaitForNotification(DWORD timeoutMs) {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            dialog = FindNotification();
            if (!dialog && !Running())
                Fail("the program ended while a notification was expected");
            return dialog != nullptr;
        },
        "a notification dialog (caption \"Korvid 1.2\")", timeoutMs);
    return ReadNotification(dialog);
}

Bytes KorvidApp::WaitForFile(const std::string& path, size_t size, DWORD timeoutMs) {
    Bytes bytes;
    size_t seen = 0;
    WaitUntil(
        [&] {
            if (!TryReadFileBytes(path, bytes))
                return false;
            seen = bytes.size();
            return seen == size;
        },
        path + " with " + std::to_string(size) + " bytes (last seen: " + std::to_string(seen) + ")",
        timeoutMs);
    return bytes;
}

void KorvidApp::ExpectNoNotification(DWORD forMs) {
    DWORD start = GetTickCount();
    do {
        if (HWND note = FindNotification())
            Fail("an unexpected notification showed: \"" + ReadNotification(note).message + "\"");
        Sleep(10);
    } while (GetTickCount() - start < forMs);
}

void KorvidApp::Answer(const Notification& dialog, int buttonId, Press how) {
    HWND button = GetDlgItem(dialog.window, buttonId);
    if (!button)
        Fail("the notification \"" + dialog.message + "\" has no button " +
             std::to_string(buttonId));
    // Posted, not sent: a button may open another modal dialog before the
    // click returns.
    if (how == Press::Click)
        PostMessageA(button, BM_CLICK, 0, 0);
    else
        PostMessageA(dialog.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    WaitUntil([&] { return !IsWindow(dialog.window) || !IsWindowVisible(dialog.window); },
              "the notification to close after button " + std::to_string(buttonId));
}

void KorvidApp::PostCommand(int commandId) {
    HWND main = FindMainWindow();
    if (!main)
        Fail("no main window to post command " + std::to_string(commandId) + " to");
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void KorvidApp::Close() {
    HWND main = FindMainWindow();
    if (!main)
        Fail("no main window to close");
    PostMessageA(main, WM_CLOSE, 0, 0);
}

void KorvidApp::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!PostMessageA(window, message, wParam, lParam))
        Fail("PostMessage " + std::to_string(message) + " failed: " + LastErrorText());
}

std::string KorvidApp::Title() const {
    HWND main = FindMainWindow();
    if (!main)
        Fail("no main window to read the title of");
    return WindowText(main);
}

std::string KorvidApp::EditorText() const {
    HWND editor = Editor();
    if (!editor)
        Fail("no editor control to read");
    return WindowText(editor);
}

void KorvidApp::SetEditorText(const std::string& text) {
    HWND editor = Editor();
    if (!editor)
        Fail("no editor control to write");
    SendOrThrow(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), "WM_SETTEXT");
}

std::wstring KorvidApp::EditorTextW() const {
    HWND editor = Editor();
    if (!editor)
        Fail("no editor control to read");
    // WM_GETTEXT of an ANSI control passes through the code page; the
    // control's own UTF-16 form keeps every character.
    size_t length = static_cast<size_t>(Send(editor, WM_GETTEXTLENGTH, 0, 0));
    size_t capacity = 2 * length + 16; // CR LF for every break at most
    GETTEXTEX request{};
    request.cb = static_cast<DWORD>(capacity * sizeof(WCHAR));
    request.flags = GT_USECRLF;
    request.codepage = 1200;
    RemoteBuffer remote(processInfo_.hProcess, sizeof request + request.cb);
    remote.Write(&request, sizeof request);
    LRESULT copied = Send(editor, EM_GETTEXTEX, static_cast<WPARAM>(remote.Address()),
                          remote.Address() + sizeof request);
    std::vector<char> block(sizeof request + request.cb);
    remote.Read(block.data(), block.size());
    if (copied < 0 || static_cast<size_t>(copied) >= capacity)
        Fail("EM_GETTEXTEX answered " + std::to_string(copied));
    std::wstring text(static_cast<size_t>(copied), L'\0');
    std::memcpy(&text[0], block.data() + sizeof request, text.size() * sizeof(WCHAR));
    return text;
}

void KorvidApp::WaitForEditorText(const std::string& expected, DWORD timeoutMs) {
    std::string seen;
    DWORD start = GetTickCount();
    // Opening a file replaces the editor control: one that goes away while
    // it is read is no failure, the next poll reads its successor.
    auto read = [&] {
        HWND editor = Editor();
        try {
            return EditorText();
        } catch (const DriverError&) {
            if (editor && IsWindow(editor))
                throw;
            return std::string("(the editor control was being replaced)");
        }
    };
    while ((seen = read()) != expected) {
        if (GetTickCount() - start > timeoutMs)
            Fail("timed out after " + std::to_string(timeoutMs) +
                 " ms waiting for the editor text \"" + expected + "\"; it shows \"" + seen + "\"");
        Sleep(10);
    }
}

void KorvidApp::WaitForSelection(long first, long last, DWORD timeoutMs) {
    std::pair<long, long> seen;
    DWORD start = GetTickCount();
    while ((seen = Selection()) != std::make_pair(first, last)) {
        if (GetTickCount() - start > timeoutMs)
            Fail("timed out after " + std::to_string(timeoutMs) +
                 " ms waiting for the selection {" + std::to_string(first) + ", " +
                 std::to_string(last) + "}; it is {" + std::to_string(seen.first) + ", " +
                 std::to_string(seen.second) + "}");
        Sleep(10);
    }
}

LRESULT KorvidApp::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendOrThrow(window, message, wParam, lParam,
                       ("message " + std::to_string(message)).c_str());
}

LRESULT KorvidApp::SendWithBuffer(HWND window, UINT message, WPARAM wParam, void* buffer,
                                  size_t size) const {
    RemoteBuffer remote(processInfo_.hProcess, size);
    remote.Write(buffer, size);
    LRESULT result = Send(window, message, wParam, remote.Address());
    remote.Read(buffer, size);
    return result;
}

std::pair<long, long> KorvidApp::Selection() const {
    HWND editor = Editor();
    if (!editor)
        Fail("no editor control to read the selection of");
    CHARRANGE range{-2, -2};
    SendWithBuffer(editor, EM_EXGETSEL, 0, &range, sizeof range);
    return {range.cpMin, range.cpMax};
}

std::vector<int> KorvidApp::StatusParts() const {
    HWND bar = FindChild(STATUSCLASSNAMEA);
    if (!bar)
        return {};
    constexpr int kMaxParts = 32;
    std::vector<int> edges(kMaxParts, 0);
    LRESULT count =
        SendWithBuffer(bar, SB_GETPARTS, kMaxParts, edges.data(), kMaxParts * sizeof(int));
    if (count < 0 || count > kMaxParts)
        Fail("SB_GETPARTS answered " + std::to_string(count));
    edges.resize(static_cast<size_t>(count));
    return edges;
}

std::vector<std::string> KorvidApp::StatusTexts() const {
    HWND bar = FindChild(STATUSCLASSNAMEA);
    if (!bar)
        return {};
    size_t parts = StatusParts().size();
    std::vector<std::string> texts;
    for (size_t part = 0; part < parts; ++part) {
        size_t length = LOWORD(Send(bar, SB_GETTEXTLENGTHA, part, 0));
        std::string text(length + 1, '\0');
        SendWithBuffer(bar, SB_GETTEXTA, part, &text[0], text.size());
        text.resize(std::strlen(text.c_str()));
        texts.push_back(text);
    }
    return texts;
}

LONG KorvidApp::MainStyle() const {
    HWND main = FindMainWindow();
    if (!main)
        Fail("no main window to read the style of");
    return GetWindowLongA(main, GWL_STYLE);
}

LONG KorvidApp::MainExStyle() const {
    HWND main = FindMainWindow();
    if (!main)
        Fail("no main window to read the extended style of");
    return GetWindowLongA(main, GWL_EXSTYLE);
}

HWND KorvidApp::Toolbar() const {
    HWND main = FindMainWindow();
    if (!main)
        return nullptr;
    HWND bar = GetDlgItem(main, kToolbarId);
    return bar && ClassOf(bar) == TOOLBARCLASSNAMEA ? bar : nullptr;
}

std::vector<TBBUTTON> KorvidApp::ToolbarButtons() const {
    HWND bar = Toolbar();
    if (!bar)
        Fail("no toolbar to read the buttons of");
    LRESULT count = Send(bar, TB_BUTTONCOUNT, 0, 0);
    std::vector<TBBUTTON> buttons;
    for (LRESULT i = 0; i < count; ++i) {
        TBBUTTON button{};
        if (!SendWithBuffer(bar, TB_GETBUTTON, static_cast<WPARAM>(i), &button, sizeof button))
            Fail("TB_GETBUTTON failed for button " + std::to_string(i));
        buttons.push_back(button);
    }
    return buttons;
}

bool KorvidApp::ToolbarChecked(int command) const {
    HWND bar = Toolbar();
    if (!bar)
        Fail("no toolbar to read the check state of " + std::to_string(command));
    LRESULT state = Send(bar, TB_ISBUTTONCHECKED, static_cast<WPARAM>(command), 0);
    if (state == -1)
        Fail("the toolbar has no button for command " + std::to_string(command));
    return state != 0;
}

RECT KorvidApp::ToolbarButtonRect(int command) const {
    HWND bar = Toolbar();
    if (!bar)
        Fail("no toolbar to find the button of command " + std::to_string(command));
    RECT rect{};
    if (!SendWithBuffer(bar, TB_GETRECT, static_cast<WPARAM>(command), &rect, sizeof rect))
        Fail("the toolbar has no button for command " + std::to_string(command));
    return rect;
}

HWND KorvidApp::FindPopupMenu() const {
    for (HWND window : TopLevelWindowsOf(processInfo_.dwProcessId))
        if (ClassOf(window) == "#32768" && IsWindowVisible(window))
            return window;
    return nullptr;
}

HWND KorvidApp::WaitForPopupMenu(DWORD timeoutMs) {
    HWND menu = nullptr;
    WaitUntil(
        [&] {
            menu = FindPopupMenu();
            return menu != nullptr;
        },
        "a pop-up menu (class #32768)", timeoutMs);
    return menu;
}

void KorvidApp::WaitForNoPopupMenu(DWORD timeoutMs) {
    WaitUntil([&] { return FindPopupMenu() == nullptr; }, "the pop-up menu to close", timeoutMs);
}

POINT KorvidApp::ScreenPoint(HWND window, POINT at) const {
    if (!ClientToScreen(window, &at))
        Fail("ClientToScreen failed: " + LastErrorText());
    return at;
}

void KorvidApp::RunXdotool(const std::string& arguments, const std::string& what) {
    HWND main = WaitForMainWindow(kUiTimeout);
    int status = RunUnixCommand("xdotool " + XFocusCommand(main) + arguments);
    if (status != 0)
        Fail("xdotool (" + what + ") ended with status " + std::to_string(status));
}

void KorvidApp::Click(HWND window, POINT at, int button) {
    if (button != 1 && button != 3)
        Fail("Click knows buttons 1 (left) and 3 (right), not " + std::to_string(button));
    Focus(WaitForMainWindow(kUiTimeout));
    POINT screen = ScreenPoint(window, at);
    if (keyMethod_ == KeyMethod::XTest) {
        RunXdotool("mousemove " + std::to_string(screen.x) + " " + std::to_string(screen.y) +
                       " click " + std::to_string(button),
                   "click");
        return;
    }
    // Every event carries the position, as a real mouse's would: the move
    // alone may not have reached the program when the button goes down.
    std::vector<INPUT> inputs(3, MouseInput(screen, 0));
    inputs[1].mi.dwFlags |= button == 1 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
    inputs[2].mi.dwFlags |= button == 1 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
    SendInputs(inputs);
}

void KorvidApp::Wheel(HWND window, POINT at, int notches, const std::string& modifiers) {
    if (notches == 0)
        return;
    Focus(WaitForMainWindow(kUiTimeout));
    POINT screen = ScreenPoint(window, at);
    if (keyMethod_ == KeyMethod::XTest) {
        // Buttons 4 and 5 are one notch away from and towards the user.
        std::string turn = "click --repeat " + std::to_string(notches < 0 ? -notches : notches) +
                           " --delay 10 " + (notches > 0 ? "4" : "5");
        std::string command =
            "mousemove " + std::to_string(screen.x) + " " + std::to_string(screen.y) + " ";
        if (modifiers.empty())
            command += turn;
        else
            command += "keydown " + modifiers + " " + turn + " keyup " + modifiers;
        RunXdotool(command, "wheel");
        return;
    }
    std::vector<WORD> held;
    size_t from = 0;
    while (!modifiers.empty() && from <= modifiers.size()) {
        size_t plus = modifiers.find('+', from);
        if (plus == std::string::npos)
            plus = modifiers.size();
        held.push_back(VirtualKeyOf(modifiers.substr(from, plus - from)));
        from = plus + 1;
    }
    std::vector<INPUT> inputs(1, MouseInput(screen, 0));
    for (WORD vk : held)
        inputs.push_back(KeyInput(vk, false));
    for (int i = 0; i < (notches < 0 ? -notches : notches); ++i) {
        INPUT input = MouseInput(screen, MOUSEEVENTF_WHEEL);
        input.mi.mouseData = static_cast<DWORD>(notches > 0 ? WHEEL_DELTA : -WHEEL_DELTA);
        inputs.push_back(input);
    }
    for (auto vk = held.rbegin(); vk != held.rend(); ++vk)
        inputs.push_back(KeyInput(*vk, true));
    SendInputs(inputs);
}

void KorvidApp::Focus(HWND window) {
    if (GetForegroundWindow() != window)
        SetForegroundWindow(window);
    // Keys go to the focus window of the program's interface thread, which
    // the program sets itself when it sees the activation: wait for it.
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    WaitUntil(
        [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetForegroundWindow() == window && GetGUIThreadInfo(thread, &info) &&
                   (info.hwndFocus == window || IsChild(window, info.hwndFocus));
        },
        (window == FindMainWindow() ? std::string("the main window")
                                    : "the " + ClassOf(window) + " window") +
            " to come to the front with the keyboard focus");
}

// The X window that Wine made for a top-level window, as an xdotool command
// that gives it the X input focus. Wine moves the X focus by itself only
// when a window of its own process is activated, not when another process
// brings it to the front.
std::string KorvidApp::XFocusCommand(HWND window) const {
    auto xid = reinterpret_cast<uintptr_t>(GetPropA(window, "__wine_x11_whole_window"));
    if (!xid)
        Fail("the " + ClassOf(window) +
             " window has no X window (property __wine_x11_whole_window)");
    return "windowfocus " + std::to_string(xid) + " ";
}

void KorvidApp::PressKeys(const std::string& keys) {
    PressKeysIn(WaitForMainWindow(kUiTimeout), keys);
}

void KorvidApp::PressKeysIn(HWND window, const std::string& keys) {
    if (!IsWindow(window))
        Fail("no window to send the keys " + keys + " to");
    Focus(window);
    if (keyMethod_ == KeyMethod::XTest) {
        int status = RunUnixCommand("xdotool " + XFocusCommand(window) + "key --delay 10 " + keys);
        if (status != 0)
            Fail("xdotool key " + keys + " ended with status " + std::to_string(status));
        return;
    }
    std::vector<INPUT> inputs;
    size_t at = 0;
    while (at < keys.size()) {
        size_t end = keys.find(' ', at);
        if (end == std::string::npos)
            end = keys.size();
        std::string chord = keys.substr(at, end - at);
        at = end + 1;
        if (chord.empty())
            continue;
        std::vector<WORD> pressed;
        size_t from = 0;
        while (from <= chord.size()) {
            size_t plus = chord.find('+', from);
            if (plus == std::string::npos)
                plus = chord.size();
            pressed.push_back(VirtualKeyOf(chord.substr(from, plus - from)));
            from = plus + 1;
        }
        for (WORD vk : pressed)
            inputs.push_back(KeyInput(vk, false));
        for (auto vk = pressed.rbegin(); vk != pressed.rend(); ++vk)
            inputs.push_back(KeyInput(*vk, true));
    }
    SendInputs(inputs);
}

void KorvidApp::TypeText(const std::string& text) {
    HWND main = WaitForMainWindow(kUiTimeout);
    Focus(main);
    if (keyMethod_ == KeyMethod::XTest) {
        int status = RunUnixCommand("xdotool " + XFocusCommand(main) + "type --delay 10 -- " +
                                    ShellQuote(text));
        if (status != 0)
            Fail("xdotool type ended with status " + std::to_string(status));
        return;
    }
    std::vector<INPUT> inputs;
    for (char c : text) {
        if (c == '\n') {
            inputs.push_back(KeyInput(VK_RETURN, false));
            inputs.push_back(KeyInput(VK_RETURN, true));
            continue;
        }
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = static_cast<unsigned char>(c);
        input.ki.dwFlags = KEYEVENTF_UNICODE;
        inputs.push_back(input);
        input.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInputs(inputs);
}

HWND KorvidApp::FindFileDialog() const {
    for (HWND window : TopLevelWindowsOf(processInfo_.dwProcessId)) {
        if (ClassOf(window) != "#32770" || !IsWindowVisible(window))
            continue;
        if (GetDlgItem(window, kFileNameCombo) || GetDlgItem(window, kFileNameEdit))
            return window;
    }
    return nullptr;
}

HWND KorvidApp::WaitForFileDialog(DWORD timeoutMs) {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            if (HWND note = FindNotification())
                Fail("a notification showed instead of the file dialog: \"" +
                     ReadNotification(note).message + "\"");
            dialog = FindFileDialog();
            return dialog != nullptr;
        },
        "the common file dialog (#32770 with a file-name box)", timeoutMs);
    return dialog;
}

void KorvidApp::ChooseInFileDialog(HWND dialog, const std::string& name) {
    HWND box = GetDlgItem(dialog, kFileNameCombo);
    if (!box)
        box = GetDlgItem(dialog, kFileNameEdit);
    if (!box)
        Fail("the file dialog has no file-name box");
    SendOrThrow(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), "WM_SETTEXT");
    if (WindowText(box) != name)
        Fail("the file-name box shows \"" + WindowText(box) + "\" instead of \"" + name + "\"");
    HWND ok = GetDlgItem(dialog, IDOK);
    if (!ok)
        Fail("the file dialog has no OK button");
    // Posted: the program's answer to OK may open another modal window.
    PostMessageA(ok, BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); },
              "the file dialog to close after OK with \"" + name + "\"");
}

void KorvidApp::CancelFileDialog(HWND dialog) {
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    if (!cancel)
        Fail("the file dialog has no Cancel button");
    PostMessageA(cancel, BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); },
              "the file dialog to close after Cancel");
}

HWND KorvidApp::DropFiles(HWND window, const std::vector<std::string>& paths, POINT at) {
    HWND target = window;
    while (target && !(GetWindowLongA(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)) {
        if (!(GetWindowLongA(target, GWL_STYLE) & WS_CHILD)) {
            target = nullptr;
            break;
        }
        POINT screen = ScreenPoint(target, at);
        target = GetParent(target);
        if (target)
            ScreenToClient(target, &screen);
        at = screen;
    }
    if (!target)
        Fail("no window from the " + ClassOf(window) + " up accepts dropped files");
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.pt = at;
    header.fNC = FALSE;
    header.fWide = FALSE;
    Bytes block(sizeof header);
    std::memcpy(block.data(), &header, sizeof header);
    for (const std::string& path : paths) {
        block.insert(block.end(), path.begin(), path.end());
        block.push_back(0);
    }
    block.push_back(0);
    void* remote = VirtualAllocEx(processInfo_.hProcess, nullptr, block.size(),
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote)
        Fail("VirtualAllocEx for the drop failed: " + LastErrorText());
    SIZE_T done = 0;
    if (!WriteProcessMemory(processInfo_.hProcess, remote, block.data(), block.size(), &done) ||
        done != block.size())
        Fail("WriteProcessMemory for the drop failed: " + LastErrorText());
    Post(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
    return target;
}

DWORD KorvidApp::WaitForExit(DWORD timeoutMs) {
    if (!processInfo_.hProcess)
        Fail("the program was never started");
    if (WaitForSingleObject(processInfo_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        Fail("the program did not end within " + std::to_string(timeoutMs) + " ms");
    DWORD code = 0;
    GetExitCodeProcess(processInfo_.hProcess, &code);
    return code;
}

void KorvidApp::Kill() {
    if (Running()) {
        TerminateProcess(processInfo_.hProcess, 1);
        WaitForSingleObject(processInfo_.hProcess, kExitTimeout);
    }
}

std::string KorvidApp::SaveScreenshot(const std::string& name) {
    HWND main = WaitForMainWindow(kUiTimeout);
    RECT rect{};
    GetWindowRect(main, &rect);
    std::string path = ArtifactsFolder() + name + ".png";
    DeleteFileA(path.c_str());
    // The whole display, cut to the window: without a window manager the
    // screen coordinates are those of the X root window.
    std::string geometry = std::to_string(rect.right - rect.left) + "x" +
                           std::to_string(rect.bottom - rect.top) + "+" +
                           std::to_string(rect.left < 0 ? 0 : rect.left) + "+" +
                           std::to_string(rect.top < 0 ? 0 : rect.top);
    std::string unixPath = UnixPathOf(path);
    int status = RunUnixCommand("import -window root -crop " + geometry + " +repage " +
                                    ShellQuote(unixPath) + " 2>/dev/null",
                                15000);
    if (status != 0 || !FileExists(path))
        Fail("the screenshot command (import) ended with status " + std::to_string(status));
    return path;
}

int KorvidApp::CountScreenColours(HWND window, const RECT& clientRect) {
    POINT corner = ScreenPoint(window, {clientRect.left, clientRect.top});
    std::string geometry = std::to_string(clientRect.right - clientRect.left) + "x" +
                           std::to_string(clientRect.bottom - clientRect.top) + "+" +
                           std::to_string(corner.x) + "+" + std::to_string(corner.y);
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string out = WithSlash(temp) + "korvid-e2e-" + std::to_string(GetCurrentProcessId()) +
                      "-colours" + std::to_string(++counter);
    int status = RunUnixCommand("import -window root -crop " + geometry +
                                    " +repage png:- 2>/dev/null | convert - -format %k info: > " +
                                    ShellQuote(UnixPathOf(out)),
                                15000);
    Bytes count;
    bool read = TryReadFileBytes(out, count);
    DeleteFileA(out.c_str());
    if (status != 0 || !read || count.empty())
        Fail("counting the colours on the display failed (status " + std::to_string(status) + ")");
    return std::atoi(std::string(count.begin(), count.end()).c_str());
}

} // namespace korvid_e2e

// The test program's entry: GoogleTest, after a line that says how keys are
// sent. A program with an entry of its own (the soak test) defines
// KORVID_DRIVER_OWN_MAIN and needs no GoogleTest.
#ifndef KORVID_DRIVER_OWN_MAIN
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    bool xtest = korvid_e2e::DefaultKeyMethod() == korvid_e2e::KeyMethod::XTest;
    std::printf("korvid e2e: keys through %s\n", xtest ? "xdotool (XTEST)" : "SendInput");
    std::fflush(stdout);
    return RUN_ALL_TESTS();
}
#endif

// ---- windows of the program ----

namespace korvid_e2e {

// Writes the default settings with `fields` changed beside the program.
void WriteSettings(KorvidApp& app, std::initializer_list<Field> fields) {
    Bytes file = DefaultSettingsFile();
    for (const Field& field : fields)
        SetSettingsField(file, field.offset, field.value);
    WriteFileBytes(app.SettingsPathInProgram(), file);
}

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

POINT EditorPoint(KorvidApp& app) {
    RECT client{};
    GetClientRect(app.Editor(), &client);
    return {client.right / 2, client.bottom / 3};
}

namespace {

struct OwnWindowSearch {
    DWORD pid;
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchOwnWindow(HWND window, LPARAM p) {
    auto* s = reinterpret_cast<OwnWindowSearch*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[64] = {}, text[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, text, sizeof text);
    if (pid == s->pid && IsWindowVisible(window) && std::strcmp(cls, s->className) == 0 &&
        std::strcmp(text, s->title) == 0) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindOwnWindow(const KorvidApp& app, const char* className, const char* title) {
    OwnWindowSearch search = {app.ProcessId(), className, title, nullptr};
    EnumWindows(MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForOwnWindow(KorvidApp& app, const char* className, const char* title) {
    HWND found = nullptr;
    app.WaitUntil([&] { return (found = FindOwnWindow(app, className, title)) != nullptr; },
                  std::string("the window \"") + title + "\"");
    return found;
}

// A control's text in another process goes through messages.
std::string ItemText(const KorvidApp& app, HWND dialog, int id) {
    char text[700] = {};
    app.Send(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void SetItemText(const KorvidApp& app, HWND dialog, int id, const char* text) {
    app.Send(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// The control with the keyboard focus in the thread that runs `window`.
HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// ---- the settings sheet ----

HWND OpenOptions(KorvidApp& app) {
    app.PostCommand(19); // Options
    return WaitForOwnWindow(app, "#32770", "Korvid 1.9");
}

int CurrentTab(const KorvidApp& app, HWND sheet) {
    HWND tabs = reinterpret_cast<HWND>(app.Send(sheet, PSM_GETTABCONTROL, 0, 0));
    return static_cast<int>(app.Send(tabs, TCM_GETCURSEL, 0, 0));
}

// Ctrl+Tab to the next page; waits until the tab shows it.
void NextTab(KorvidApp& app, HWND sheet, int expected) {
    app.PressKeysIn(sheet, "ctrl+Tab");
    app.WaitUntil([&] { return CurrentTab(app, sheet) == expected; },
                  "tab " + std::to_string(expected));
}

} // namespace korvid_e2e
