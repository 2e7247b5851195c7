#include "tests/e2e/KorvidDriver.h"

#include <commctrl.h>
#include <dlgs.h>
#include <richedit.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

namespace korvid_e2e {
namespace {

std::string LastError() { return "error " + std::to_string(GetLastError()); }

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }

// Deletes a folder ("...\\") with everything in it.
void DeleteTree(const std::string& folder) {
    std::string from = folder.substr(0, folder.size() - 1) + '\0'; // and c_str's: a list
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationA(&operation);
}

LRESULT SendOrThrow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kUiTimeout,
                             &result))
        throw DriverError("message " + std::to_string(message) + " to the " + ClassOf(window) +
                          " window got no answer within " + std::to_string(kUiTimeout) + " ms");
    return static_cast<LRESULT>(result);
}

// Virtual keys for the key names the tests use.
WORD VirtualKeyOf(const std::string& name) {
    static const std::map<std::string, WORD> keys = {
        {"ctrl", VK_CONTROL}, {"shift", VK_SHIFT},   {"Return", VK_RETURN}, {"BackSpace", VK_BACK},
        {"Tab", VK_TAB},      {"Delete", VK_DELETE}, {"Escape", VK_ESCAPE}, {"Home", VK_HOME},
        {"End", VK_END},      {"Left", VK_LEFT},     {"Right", VK_RIGHT},   {"Up", VK_UP},
        {"Down", VK_DOWN},    {"Prior", VK_PRIOR},   {"Next", VK_NEXT},     {"Menu", VK_APPS},
        {"F10", VK_F10}};
    auto found = keys.find(name);
    if (found != keys.end())
        return found->second;
    if (name.size() == 1 && isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<WORD>(toupper(static_cast<unsigned char>(name[0])));
    throw DriverError("no virtual key known for the key name \"" + name + "\"");
}

INPUT KeyInput(WORD vk, WORD scan, DWORD flags) {
    INPUT input{INPUT_KEYBOARD, {}};
    input.ki = {vk, scan, flags, 0, 0};
    return input;
}

void SendInputs(std::vector<INPUT>& inputs) {
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size())
        throw DriverError("SendInput sent " + std::to_string(sent) + " of " +
                          std::to_string(inputs.size()) + " events");
}

// Memory inside the program, for messages whose pointers the system does
// not carry across processes.
void* RemoteCopy(HANDLE process, const void* bytes, size_t size) {
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T done = 0;
    if (!remote || !WriteProcessMemory(process, remote, bytes, size, &done) || done != size)
        throw DriverError("cannot copy into the program: " + LastError());
    return remote;
}

void ReadBack(HANDLE process, void* remote, void* bytes, size_t size) {
    SIZE_T done = 0;
    BOOL ok = ReadProcessMemory(process, remote, bytes, size, &done);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (!ok || done != size)
        throw DriverError("cannot read from the program: " + LastError());
}

} // namespace

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool TryReadFileBytes(const std::string& path, Bytes& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.assign(GetFileSize(file, nullptr), 0);
    DWORD done = 0;
    BOOL ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
    return ok && done == bytes.size();
}

Bytes ReadFileBytes(const std::string& path) {
    Bytes bytes;
    if (!TryReadFileBytes(path, bytes))
        throw DriverError("cannot read " + path + ": " + LastError());
    return bytes;
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    BOOL ok = file != INVALID_HANDLE_VALUE &&
              WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
    if (!ok || done != bytes.size())
        throw DriverError("cannot write " + path + ": " + LastError());
}

// Offsets come from the program's own record, so they always fit.
int32_t GetSettingsField(const Bytes& file, size_t offset) {
    int32_t value = 0;
    std::memcpy(&value, &file.at(offset + 3) - 3, 4);
    return value;
}

void SetSettingsField(Bytes& file, size_t offset, int32_t value) {
    std::memcpy(&file.at(offset + 3) - 3, &value, 4);
}

const Bytes& DefaultSettingsFile() {
    static Bytes defaults;
    if (defaults.empty()) {
        // Choosing font group One, already current, is a save occasion
        // that changes nothing.
        KorvidApp app;
        app.Start();
        app.WaitForEditor();
        app.PostCommand(IDM_FONT_GROUP1);
        const std::string path = app.SettingsPathInProgram();
        app.WaitUntil(
            [&] {
                return TryReadFileBytes(path, defaults) && defaults.size() == kSettingsFileSize;
            },
            "the defaults file");
        app.PostCommand(IDM_EXIT);
        app.WaitForExit();
    }
    return defaults;
}

// Wine's drive Z: is the Linux root.
std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = unixPath.size() >= 2 && unixPath[1] == ':' ? unixPath : "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string BuiltBeside(const std::string& name) {
    const char* exe = std::getenv("KORVID_EXE"); // the Korvid.exe to test
    std::string path = FolderOf(WindowsPathOf(exe ? exe : "")) + name;
    if (!exe || !FileExists(path))
        throw DriverError("KORVID_EXE names no folder with " + name + " in it");
    return path;
}

HWND FindTopWindow(DWORD pid, const char* className, const char* title,
                   const std::function<bool(HWND)>& also) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if ((pid == 0 || owner == pid) && IsWindowVisible(window) && (!also || also(window)))
            return window;
    }
    return nullptr;
}

std::string ClassOf(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    std::string text(static_cast<size_t>(SendOrThrow(window, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(
        SendOrThrow(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

KorvidApp::KorvidApp(bool separateDataFolder) : separateDataFolder_(separateDataFolder) {
    static int count = 0;
    std::string exe = BuiltBeside("Korvid.exe");
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    root_ = std::string(temp) + "korvid-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++count) + "\\";
    programFolder_ = root_ + "prog\\";
    DeleteTree(root_);
    CreateDirectoryA(root_.c_str(), nullptr);
    CreateDirectoryA(programFolder_.c_str(), nullptr);
    if (!CopyFileA(exe.c_str(), (programFolder_ + "Korvid.exe").c_str(), FALSE))
        throw DriverError("cannot copy " + exe + " into " + programFolder_ + ": " + LastError());
    CopyFileA((FolderOf(exe) + "ToolBar.bmp").c_str(), (programFolder_ + "ToolBar.bmp").c_str(),
              FALSE);
    dataFolder_ = programFolder_;
    if (separateDataFolder) {
        // A "DefSet.txt" beside the program sends its data to the profile.
        WriteTextFile(programFolder_ + "DefSet.txt", "");
        char appData[MAX_PATH] = {};
        SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
        dataFolder_ = std::string(appData) + "\\Tavish\\Korvid\\";
        DeleteTree(dataFolder_);
    }
}

KorvidApp::~KorvidApp() {
    if (Running()) {
        TerminateProcess(processInfo_.hProcess, 1);
        WaitForSingleObject(processInfo_.hProcess, kExitTimeout);
    }
    if (processInfo_.hProcess) {
        CloseHandle(processInfo_.hProcess);
        CloseHandle(processInfo_.hThread);
    }
    if (!std::getenv("KORVID_E2E_KEEP")) {
        if (separateDataFolder_)
            DeleteTree(dataFolder_);
        DeleteTree(root_);
    }
}

void KorvidApp::WriteSettings(std::initializer_list<Field> fields) {
    Bytes file = DefaultSettingsFile();
    for (const Field& field : fields)
        SetSettingsField(file, field.first, field.second);
    WriteFileBytes(SettingsPathInProgram(), file);
}

void KorvidApp::Fail(const std::string& message) const {
    std::string report = message + "\n  Korvid.exe pid " + std::to_string(ProcessId());
    DWORD code = 0;
    if (processInfo_.hProcess && GetExitCodeProcess(processInfo_.hProcess, &code))
        report += code == STILL_ACTIVE ? " runs" : " has ended with code " + std::to_string(code);
    FindWindowOf(nullptr, nullptr, [&](HWND window) {
        report += "\n  window " + ClassOf(window) + " \"" + TextOf(window) + "\"";
        return false;
    });
    throw DriverError(report);
}

void KorvidApp::Start(const std::string& arguments) {
    if (Running())
        Fail("Start called while the program still runs");
    if (processInfo_.hProcess) {
        CloseHandle(processInfo_.hProcess);
        CloseHandle(processInfo_.hThread);
    }
    std::string exe = programFolder_ + "Korvid.exe";
    std::string commandLine = Quote(exe) + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        programFolder_.c_str(), &startup, &processInfo_))
        throw DriverError("cannot start " + exe + ": " + LastError());
}

bool KorvidApp::Running() const {
    return processInfo_.hProcess && WaitForSingleObject(processInfo_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD KorvidApp::WaitForExit(DWORD timeoutMs) {
    if (!processInfo_.hProcess || WaitForSingleObject(processInfo_.hProcess, timeoutMs))
        Fail("the program did not end within " + std::to_string(timeoutMs) + " ms");
    DWORD code = 0;
    GetExitCodeProcess(processInfo_.hProcess, &code);
    return code;
}

HWND KorvidApp::FindWindowOf(const char* className, const char* title,
                             const std::function<bool(HWND)>& also) const {
    return ProcessId() ? FindTopWindow(ProcessId(), className, title, also) : nullptr;
}

HWND KorvidApp::Main() const {
    HWND main = FindMainWindow();
    if (!main)
        Fail("the main window is missing");
    return main;
}

HWND KorvidApp::Editor() const {
    HWND main = FindMainWindow();
    HWND editor = main ? GetDlgItem(main, IDC_EDITOR) : nullptr;
    return editor && ClassOf(editor) == "RichEdit20A" ? editor : nullptr;
}

HWND KorvidApp::WaitForEditor(DWORD timeoutMs) {
    WaitUntil(
        [&] {
            if (HWND note = FindNotification())
                Fail("a notification showed instead of the editor: \"" +
                     ReadNotification(note).message + "\"");
            if (!Running())
                Fail("the program ended before its editor showed");
            return FindMainWindow() && Editor() && IsWindowVisible(Editor());
        },
        "the main window (KorvidBox) and its visible editor", timeoutMs);
    return Editor();
}

Notification KorvidApp::ReadNotification(HWND dialog) const {
    Notification note;
    note.window = dialog;
    if (HWND text = GetDlgItem(dialog, IDC_NOTIFY_TEXT))
        note.message = TextOf(text);
    for (int id : {kFirst, kSecond, kThird}) {
        HWND button = GetDlgItem(dialog, id);
        if (button && IsWindowVisible(button))
            note.buttons.emplace_back(id, TextOf(button));
    }
    return note;
}

Notification KorvidApp::WaitForNotification(DWORD timeoutMs) {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            if (!(dialog = FindNotification()) && !Running())
                Fail("the program ended while a notification was expected");
            return dialog != nullptr;
        },
        "a notification (caption \"" + std::string(kNotifyCaption) + "\")", timeoutMs);
    return ReadNotification(dialog);
}

Notification KorvidApp::Expect(const std::string& message, int button, DWORD timeoutMs) {
    Notification note = WaitForNotification(timeoutMs);
    if (note.message != message)
        Fail("the notification says \"" + note.message + "\" instead of \"" + message + "\"");
    Answer(note, button);
    return note;
}

void KorvidApp::Answer(const Notification& dialog, int button) {
    HWND control = GetDlgItem(dialog.window, button);
    if (!control || !IsWindowVisible(control))
        Fail("the notification \"" + dialog.message + "\" has no button " + std::to_string(button));
    Post(control, BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsWindow(dialog.window) || !IsWindowVisible(dialog.window); },
              "the notification \"" + dialog.message + "\" to close");
}

void KorvidApp::ExpectNoNotification(DWORD forMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < forMs; Sleep(10))
        if (HWND note = FindNotification())
            Fail("an unexpected notification showed: \"" + ReadNotification(note).message + "\"");
}

void KorvidApp::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!PostMessageA(window, message, wParam, lParam))
        Fail("PostMessage " + std::to_string(message) + " failed: " + LastError());
}

LRESULT KorvidApp::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    try {
        return SendOrThrow(window, message, wParam, lParam);
    } catch (const DriverError& error) {
        Fail(error.what());
    }
}

LRESULT KorvidApp::SendWithBuffer(HWND window, UINT message, WPARAM wParam, void* buffer,
                                  size_t size) const {
    void* remote = RemoteCopy(processInfo_.hProcess, buffer, size);
    LRESULT result = Send(window, message, wParam, reinterpret_cast<LPARAM>(remote));
    ReadBack(processInfo_.hProcess, remote, buffer, size);
    return result;
}

HWND KorvidApp::EditorOrFail() const {
    HWND editor = Editor();
    if (!editor)
        Fail("the editor control is missing");
    return editor;
}

std::wstring KorvidApp::EditorTextW() const {
    // WM_GETTEXT of an ANSI control passes through the code page; the
    // control's own UTF-16 form keeps every character.
    HWND editor = EditorOrFail();
    size_t capacity = 2 * static_cast<size_t>(Send(editor, WM_GETTEXTLENGTH, 0, 0)) + 16;
    std::vector<char> block(sizeof(GETTEXTEX) + capacity * sizeof(WCHAR));
    auto* request = reinterpret_cast<GETTEXTEX*>(block.data());
    request->cb = static_cast<DWORD>(capacity * sizeof(WCHAR));
    request->flags = GT_USECRLF;
    request->codepage = 1200;
    char* remote =
        static_cast<char*>(RemoteCopy(processInfo_.hProcess, block.data(), block.size()));
    LRESULT copied = Send(editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(remote),
                          reinterpret_cast<LPARAM>(remote + sizeof(GETTEXTEX)));
    ReadBack(processInfo_.hProcess, remote, block.data(), block.size());
    if (copied < 0 || static_cast<size_t>(copied) >= capacity)
        Fail("EM_GETTEXTEX answered " + std::to_string(copied));
    const auto* text = reinterpret_cast<const wchar_t*>(block.data() + sizeof(GETTEXTEX));
    return std::wstring(text, text + copied);
}

std::pair<long, long> KorvidApp::Selection() const {
    CHARRANGE range{-2, -2};
    SendWithBuffer(EditorOrFail(), EM_EXGETSEL, 0, &range, sizeof range);
    return {range.cpMin, range.cpMax};
}

void KorvidApp::WaitForEditorText(const std::string& expected, DWORD timeoutMs) {
    std::string seen;
    // Opening a file replaces the editor control: the next look reads its
    // successor.
    WaitFor(
        [&] {
            try {
                seen = TextOf(EditorOrFail());
            } catch (const DriverError&) {
                seen = "(no editor, or one being replaced)";
            }
            return seen == expected;
        },
        [&] { return "the editor text \"" + expected + "\"; it shows \"" + seen + "\""; },
        timeoutMs);
}

std::string KorvidApp::StatusMessage() const {
    HWND bar = FindWindowExA(Main(), nullptr, STATUSCLASSNAMEA, nullptr);
    if (!bar)
        Fail("the status bar is missing");
    std::string text(LOWORD(Send(bar, SB_GETTEXTLENGTHA, 3, 0)) + 1, '\0');
    SendWithBuffer(bar, SB_GETTEXTA, 3, &text[0], text.size());
    return text.c_str();
}

void KorvidApp::WaitForStatus(const std::string& expected, DWORD timeoutMs) {
    std::string seen;
    // The modified mark follows the message once the status catches up.
    WaitFor([&] { return (seen = StatusMessage()) == expected || seen == expected + ", Modified"; },
            [&] { return "the status \"" + expected + "\"; it shows \"" + seen + "\""; },
            timeoutMs);
}

bool KorvidApp::ToolbarChecked(int command) const {
    HWND bar = FindWindowExA(Main(), nullptr, TOOLBARCLASSNAMEA, nullptr);
    LRESULT state = bar ? Send(bar, TB_ISBUTTONCHECKED, static_cast<WPARAM>(command), 0) : -1;
    if (state == -1)
        Fail("the toolbar has no button for command " + std::to_string(command));
    return state != 0;
}

void KorvidApp::WaitForPopupMenu(bool open) {
    WaitUntil([&] { return (FindWindowOf("#32768") != nullptr) == open; },
              open ? "a pop-up menu (#32768)" : "the pop-up menu to close");
}

void KorvidApp::Focus(HWND window) {
    if (GetForegroundWindow() != window)
        SetForegroundWindow(window);
    // Keys go to the focus window of the program's interface thread, which
    // the program sets itself when it sees the activation.
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    WaitUntil(
        [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetForegroundWindow() == window && GetGUIThreadInfo(thread, &info) &&
                   (info.hwndFocus == window || IsChild(window, info.hwndFocus));
        },
        "the " + ClassOf(window) + " window to come to the front with the keyboard focus");
}

void KorvidApp::PressKeysIn(HWND window, const std::string& keys) {
    Focus(window);
    std::vector<INPUT> inputs;
    for (size_t at = 0; at < keys.size();) {
        size_t end = std::min(keys.find(' ', at), keys.size());
        std::string chord = keys.substr(at, end - at);
        at = end + 1;
        std::vector<WORD> pressed;
        for (size_t from = 0; !chord.empty() && from <= chord.size();) {
            size_t plus = std::min(chord.find('+', from), chord.size());
            pressed.push_back(VirtualKeyOf(chord.substr(from, plus - from)));
            from = plus + 1;
        }
        for (WORD vk : pressed)
            inputs.push_back(KeyInput(vk, 0, 0));
        for (auto vk = pressed.rbegin(); vk != pressed.rend(); ++vk)
            inputs.push_back(KeyInput(*vk, 0, KEYEVENTF_KEYUP));
    }
    SendInputs(inputs);
}

void KorvidApp::TypeText(const std::string& text) {
    Focus(Main());
    std::vector<INPUT> inputs;
    for (char c : text) {
        WORD vk = c == '\n' ? VK_RETURN : 0;
        WORD scan = c == '\n' ? 0 : static_cast<unsigned char>(c);
        DWORD flags = c == '\n' ? 0 : KEYEVENTF_UNICODE;
        inputs.push_back(KeyInput(vk, scan, flags));
        inputs.push_back(KeyInput(vk, scan, flags | KEYEVENTF_KEYUP));
    }
    SendInputs(inputs);
}

void KorvidApp::Click(HWND window, POINT at, int button) {
    Focus(Main());
    if (!ClientToScreen(window, &at))
        Fail("ClientToScreen failed: " + LastError());
    // Every event carries the position, as a real mouse's would.
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>(at.x * 65535LL / (GetSystemMetrics(SM_CXSCREEN) - 1));
    input.mi.dy = static_cast<LONG>(at.y * 65535LL / (GetSystemMetrics(SM_CYSCREEN) - 1));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    std::vector<INPUT> inputs(3, input);
    inputs[1].mi.dwFlags |= button == 1 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
    inputs[2].mi.dwFlags |= button == 1 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
    SendInputs(inputs);
}

HWND KorvidApp::FindFileDialog() const {
    return FindWindowOf("#32770", nullptr, [](HWND window) {
        return GetDlgItem(window, cmb13) != nullptr || GetDlgItem(window, edt1) != nullptr;
    });
}

HWND KorvidApp::WaitForFileDialog(DWORD timeoutMs) {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            if (HWND note = FindNotification())
                Fail("a notification showed instead of the file dialog: \"" +
                     ReadNotification(note).message + "\"");
            return (dialog = FindFileDialog()) != nullptr;
        },
        "the Open or Save dialog", timeoutMs);
    return dialog;
}

void KorvidApp::CancelFileDialog(HWND dialog) {
    Post(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); },
              "the file dialog to close after Cancel");
}

void KorvidApp::DropFiles(HWND window, const std::vector<std::string>& paths) {
    while (window && !(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES))
        window = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
    if (!window)
        Fail("no window accepts dropped files");
    Bytes block(sizeof(DROPFILES));
    reinterpret_cast<DROPFILES*>(block.data())->pFiles = sizeof(DROPFILES);
    for (const std::string& path : paths)
        block.insert(block.end(), path.c_str(), path.c_str() + path.size() + 1);
    block.push_back(0);
    // The program frees the block through DragFinish.
    void* remote = RemoteCopy(processInfo_.hProcess, block.data(), block.size());
    Post(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

} // namespace korvid_e2e
