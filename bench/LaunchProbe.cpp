// The yardsticks of the launch benchmark, one small program:
//   korvid_launch_probe.exe              a minimal Win32 window and nothing
//                                        else (no rich-edit library loaded)
//   korvid_launch_probe.exe FILE [opts]  a window with a bare RichEdit20A of
//                                        Korvid's size, FILE streamed in as
//                                        plain text; the options switch the
//                                        control's factors one at a time:
//     nowrap   no word wrap (EM_SETTARGETDEVICE line width 1)
//     noundo   no undo (EM_SETUNDOLIMIT 0)
//     url      automatic link detection on
//     unicode  the file is streamed as UTF-16 (SF_UNICODE), converted here
//     hidden   the control is shown only once the text is in
//     plain    plain-text mode (EM_SETTEXTMODE TM_PLAINTEXT)
//     noredraw WM_SETREDRAW off while the text streams in
// The benchmark measures it from outside like any other program.
#include <windows.h>

#include <richedit.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

struct Source {
    const char* data;
    size_t size;
    size_t at;
};

DWORD CALLBACK Feed(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    Source* s = reinterpret_cast<Source*>(cookie);
    size_t n = s->size - s->at < static_cast<size_t>(wanted) ? s->size - s->at
                                                             : static_cast<size_t>(wanted);
    std::memcpy(buffer, s->data + s->at, n);
    s->at += n;
    *got = static_cast<LONG>(n);
    return 0;
}

std::string ReadAll(const char* path) {
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD done = 0;
    if (!bytes.empty())
        ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &done, nullptr);
    bytes.resize(done);
    CloseHandle(file);
    return bytes;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Arguments split at blanks, a quoted one whole; the program's own name
    // first. (No shell32: the minimal window loads nothing it does not need.)
    std::vector<std::string> args;
    for (const char* p = GetCommandLineA(); *p != 0;) {
        while (*p == ' ')
            ++p;
        if (*p == 0)
            break;
        std::string arg;
        bool quoted = false;
        for (; *p != 0 && (quoted || *p != ' '); ++p) {
            if (*p == '"')
                quoted = !quoted;
            else
                arg += *p;
        }
        args.push_back(arg);
    }
    if (!args.empty())
        args.erase(args.begin());
    auto option = [&](const char* name) {
        for (size_t i = 1; i < args.size(); ++i)
            if (args[i] == name)
                return true;
        return false;
    };
    bool wrap = !option("nowrap"), undo = !option("noundo"), url = option("url"),
         unicode = option("unicode"), hidden = option("hidden"), plain = option("plain"),
         noRedraw = option("noredraw");

    WNDCLASSA wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "KorvidLaunchProbe";
    RegisterClassA(&wc);
    HWND frame = CreateWindowExA(0, wc.lpszClassName, "probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 819, 614, nullptr, nullptr, instance, nullptr);

    if (!args.empty()) {
        LoadLibraryA("RichEd20.dll");
        RECT client;
        GetClientRect(frame, &client);
        DWORD style =
            (hidden ? 0 : WS_VISIBLE) | WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL;
        if (!wrap)
            style |= WS_HSCROLL | ES_AUTOHSCROLL;
        HWND editor =
            CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "", style, 0, 50, client.right,
                            client.bottom - 70, frame, nullptr, instance, nullptr);
        SendMessageA(editor, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(0xFFFFFFFF));
        if (!wrap)
            SendMessageA(editor, EM_SETTARGETDEVICE, 0, 1);
        if (!undo)
            SendMessageA(editor, EM_SETUNDOLIMIT, 0, 0);
        SendMessageA(editor, EM_AUTOURLDETECT, url ? TRUE : FALSE, 0);
        if (plain)
            SendMessageA(editor, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
        if (noRedraw)
            SendMessageA(editor, WM_SETREDRAW, FALSE, 0);
        std::string bytes = ReadAll(args[0].c_str());
        std::wstring text;
        UINT format = SF_TEXT;
        Source source = {bytes.data(), bytes.size(), 0};
        if (unicode) {
            text.resize(bytes.size());
            int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                        &text[0], static_cast<int>(text.size()));
            source = {reinterpret_cast<const char*>(text.data()),
                      static_cast<size_t>(n > 0 ? n : 0) * 2, 0};
            format |= SF_UNICODE;
        }
        EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, Feed};
        SendMessageA(editor, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
        if (noRedraw) {
            SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(editor, nullptr, TRUE);
        }
        if (hidden)
            ShowWindow(editor, SW_SHOW);
    }

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
