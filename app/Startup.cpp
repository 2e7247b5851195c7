#include "app/Startup.h"

#include "app/Bars.h"
#include "app/CommandLine.h"
#include "app/Editor.h"
#include "app/Dpi.h"
#include "app/Geometry.h"
#include "app/MainWindow.h"
#include "app/Trace.h"
#include "app/Tray.h"
#include "tools/EditorText.h"
#include "document/Autosave.h"
#include "document/DocumentState.h"
#include "document/Lifecycle.h"
#include "document/MemoryGuard.h"
#include "document/Load.h"
#include "document/Recovery.h"
#include "document/Save.h"
#include "resource.h"
#include "settings/SettingsFile.h"
#include "shell/Associations.h"
#include "text/TextRoutines.h"
#include "tools/Tools.h"

#include <commctrl.h>
#include <shlobj.h>

bool MakePath(const char* folder, const char* name, char* path) {
    if (TextLength(folder) + TextLength(name) >= kPathSize) {
        path[0] = 0;
        return false;
    }
    TextCopy(folder, path);
    TextAppend(path, name);
    return true;
}

namespace {

void CutAfterLastBackslash(char* path) {
    char* last = nullptr;
    for (char* p = path; *p != 0; ++p)
        if (*p == '\\')
            last = p;
    if (last != nullptr)
        last[1] = 0;
}

bool FileExistsForReading(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// Appends "\name", creates that folder (an existing one is fine) and reports
// whether the text still fits.
bool AppendFolder(char* path, const char* name) {
    if (TextLength(path) + 1 + TextLength(name) + 1 >= kPathSize)
        return false;
    TextAppend(path, "\\");
    TextAppend(path, name);
    CreateDirectoryA(path, nullptr);
    return true;
}

void CreateToolTipWindow() {
    appRecord->toolTipWindow = CreateWindowExA(
        WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, appRecord->instance, nullptr);
}

void RegisterMainClass() {
    WNDCLASSEXA& wc = appRecord->windowClass;
    wc.cbSize = sizeof wc;
    wc.style = CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = appRecord->instance;
    wc.hIcon = appRecord->largeIcon;
    wc.hIconSm = appRecord->smallIcon;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "KorvidBox";
    RegisterClassExA(&wc);
}

HWND CreateMainWindow() {
    InitialGeometry g = ComputeInitialGeometry(settings.WindowSizeMode, settings.WindowSizeValue,
                                               settings.WindowHeight, GetSystemMetrics(SM_CXSCREEN),
                                               GetSystemMetrics(SM_CYSCREEN));
    app.clientWidth = g.width;
    app.clientHeight = g.height;
    app.mainWindow =
        CreateWindowExA(WS_EX_ACCEPTFILES, "KorvidBox", "Untitled",
                        WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, g.x,
                        g.y, g.width, g.height, nullptr, nullptr, appRecord->instance, nullptr);
    KORVID_TRACE_POINT("window created");
    ShowWindow(app.mainWindow, g.maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    return app.mainWindow;
}

[[noreturn]] void RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (app.findDialog != nullptr && IsWindow(app.findDialog) &&
            IsDialogMessageA(app.findDialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    EndRecovery(); // a clean close
    ExitProcess(0);
}

// "/x" clears every association the user has not pinned (state 5), then
// both switches write the associations and end the process.
[[noreturn]] void RunAssociationSwitch(bool clear) {
    if (clear) {
        for (int32_t& state : settings.AssocTypeStates)
            if (state != 5)
                state = 0;
        settings.AssocOpenWithAll = 0;
    }
    ApplyAssociations(); // tells the shell itself
    ExitProcess(0);
}

} // namespace

int GetCommandLineArg(int index, char* output) {
    return SplitCommandLineArg(GetCommandLineA(), index, output);
}

void SetUpFolders(int chooseDataFolder, AppRecord*) {
    char found[kPathSize];
    DWORD n = SearchPathA(nullptr, "Korvid.exe", nullptr, kPathSize, found, nullptr);
    if (n == 0 || n >= kPathSize)
        found[0] = 0;
    CutAfterLastBackslash(found);
    TextCopy(found, app.programFolder);
    TextCopy(app.programFolder, app.dataFolder);
    if (chooseDataFolder == 0)
        return;

    char root[4] = {0, 0, 0, 0};
    TextSlice(app.programFolder, root, 0, 3);
    if (GetDriveTypeA(root) == DRIVE_REMOVABLE)
        return;

    char marker[kPathSize];
    if (!MakePath(app.programFolder, "DefSet.txt", marker) || !FileExistsForReading(marker))
        return;

    char folder[MAX_PATH + 1] = {0};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return;
    char data[kPathSize];
    if (!TextCopyBounded(folder, data, kPathSize))
        return;
    if (!AppendFolder(data, "Tavish") || !AppendFolder(data, "Korvid"))
        return;
    TextAppend(data, "\\");
    TextCopy(data, app.dataFolder);
}

void InitApplication() {
    KORVID_TRACE_POINT("entry");
    appRecord =
        static_cast<AppRecord*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(AppRecord)));
    if (appRecord == nullptr)
        ExitProcess(0);
    appRecord->instance = GetModuleHandleA(nullptr);
    SetUpFolders(1, appRecord);
    // The sizes the screen's scale asks for: 16 and 32 at 100 %.
    appRecord->smallIcon = LoadProgramIcon(GetSystemMetrics(SM_CXSMICON));
    appRecord->largeIcon = LoadProgramIcon(GetSystemMetrics(SM_CXICON));
    KORVID_TRACE_POINT("icons");

    RegisterMainClass();
    WM_TASKBAR_CREATED = RegisterWindowMessageA("TaskbarCreated");
    LoadSettings();

    KORVID_TRACE_POINT("settings read");
    CreateMainWindow();
    KORVID_TRACE_POINT("window shown");
    RunMessageLoop();
}

namespace {

// The saved placement, when it is one: otherwise the window keeps the size
// and place it opened with. The normal rectangle is kept on a screen that
// exists now (the nearest work area), however the screens have changed
// since it was saved.
void ApplySavedPlacement(HWND window) {
    WINDOWPLACEMENT placement;
    static_assert(sizeof placement == sizeof settings.WindowPlacement, "placement size");
    memcpy(&placement, &settings.WindowPlacement, sizeof placement);
    const RECT& saved = placement.rcNormalPosition;
    PixelRect normal = {saved.left, saved.top, saved.right, saved.bottom};
    UINT show = SavedPlacementShow(placement.length, sizeof placement, placement.showCmd, normal);
    if (show == 0)
        return;
    // The rectangle is in work-area coordinates of the primary screen;
    // screens are found in screen coordinates.
    RECT primaryWork = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &primaryWork, 0);
    RECT screenRect = saved;
    OffsetRect(&screenRect, primaryWork.left, primaryWork.top);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromRect(&screenRect, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& w = monitor.rcWork;
        PixelRect fitted =
            FitIntoArea({screenRect.left, screenRect.top, screenRect.right, screenRect.bottom},
                        {w.left, w.top, w.right, w.bottom});
        SetRect(&placement.rcNormalPosition, fitted.left - primaryWork.left,
                fitted.top - primaryWork.top, fitted.right - primaryWork.left,
                fitted.bottom - primaryWork.top);
    }
    placement.flags = 0;
    placement.showCmd = show;
    SetWindowPlacement(window, &placement);
}

} // namespace

void CompleteStartup(HWND window) {
    KORVID_TRACE_POINT("start-up command");
    // What only the bars and the editor need is loaded once the window
    // shows: the window appears as soon as a bare window would.
    CreateToolTipWindow();
    LoadLibraryA("RichEd20.dll");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    KORVID_TRACE_POINT("libraries");
    app.selectionSave = {0, 0};
    SetOnTop(window, settings.StayOnTop);
    SetAutosaveTimer();
    CreateBars();
    KORVID_TRACE_POINT("bars");
    DragAcceptFiles(window, TRUE);
    if (settings.WindowSizeMode == 2 || settings.WindowSizeMode == 3)
        ApplySavedPlacement(window);

    char argument[kPathSize];
    int result = GetCommandLineArg(1, argument);
    if (result == ArgCopied && argument[0] == '/' && argument[1] == 'x')
        RunAssociationSwitch(true);
    if (result == ArgCopied && argument[0] == '/' && argument[1] == 's')
        RunAssociationSwitch(false);
    if (result == ArgCopied) {
        doc.hasFileName = 1;
        doc.openingFile = 1;
        char longName[kPathSize];
        DWORD n = GetLongPathNameA(argument, longName, kPathSize);
        // A file that is not there yet keeps the name it was given, made
        // full: its first save creates it.
        if (n == 0 || n >= kPathSize)
            n = GetFullPathNameA(argument, kPathSize, longName, nullptr);
        if (n > 0 && n < kPathSize)
            TextCopy(longName, doc.fileName);
        OpenDocument();
        KORVID_TRACE_POINT("document opened");
    } else {
        doc.hasFileName = 0;
        doc.openingFile = 0;
        CreateEditor(window);
        RelayoutMainWindow();
    }
    ApplyFontGroup();
    KORVID_TRACE_POINT("font group");
    UpdateStatusBar(); // the bars came before the editor whose place they show

    KORVID_TRACE_POINT("status bar");
    HANDLE thread = CreateThread(nullptr, 0, StartupThread, nullptr, 0, nullptr);
    if (thread != nullptr)
        CloseHandle(thread);
    // Text a process that ended without closing left behind is offered
    // once the window is ready; "/s" and "/x" ended above.
    OfferRecoveryCopies(window);
}

DWORD WINAPI StartupThread(LPVOID) {
    if (FileExistsForReading(settings.PrintProgram))
        InterlockedExchange(&app.printAvailable, 1);
    if (settings.AssocAutoRefresh != 0) {
        // The companion program refreshes the file types when it is there;
        // otherwise the program does it itself, here, off the window's way.
        char companion[kPathSize];
        if (MakePath(app.programFolder, "KorvSet.exe", companion) &&
            FileExistsForReading(companion))
            ShellExecuteA(nullptr, nullptr, companion, "/s", nullptr, SW_SHOWNORMAL);
        else
            ApplyAssociations();
    }
    LoadUserLists();
    SetTimer(app.mainWindow, TIMER_STATUS_MESSAGE, 150000, nullptr);
    return 0;
}

bool RebuildEditor() {
    doc.quietTransfer = 1;
    LRESULT modified = 0;
    if (app.editorWindow != nullptr)
        modified = SendMessageA(app.editorWindow, EM_GETMODIFY, 0, 0);

    char source[kPathSize];
    bool fromEditor = doc.openingFile == 0 && app.editorWindow != nullptr;
    if (fromEditor) {
        SendMessageA(app.editorWindow, EM_EXGETSEL, 0,
                     reinterpret_cast<LPARAM>(&app.selectionSave));
        // The text must survive the rebuild: if it cannot be written to the
        // working file, the old editor stays.
        // Nor may the new editor run out of memory halfway through it.
        if (!MakePath(app.dataFolder, "Tmp", source) ||
            SaveDocumentFile(app.editorWindow, source) != 0 ||
            !RebuildFits(source, EditorWraps(app.editorWindow), app.wordWrap != 0,
                         doc.unicodeText != 0)) {
            doc.quietTransfer = 0;
            return false;
        }
    } else {
        TextCopy(doc.fileName, source);
        doc.quietTransfer = 0;
    }

    DropUndoEditor();
    if (app.editorWindow != nullptr) {
        DestroyWindow(app.editorWindow);
        app.editorWindow = nullptr;
    }
    CreateEditor(app.mainWindow);
    KORVID_TRACE_POINT("editor created");
    // The control gets its real size before the text arrives: wrapping a
    // long text in the 10-pixel control costs many times the load.
    RelayoutMainWindow();
    KORVID_TRACE_POINT("editor laid out");
    if (doc.hasFileName)
        UpdateWindowTitle();
    // The group's format goes on the empty control first: plain text takes
    // it as it streams in, so a large text is never formatted twice. Rich
    // Text brings formats of its own, which the group's then replace.
    ApplyFontGroup();
    KORVID_TRACE_POINT("stream starts");
    LoadDocumentFile(app.editorWindow, source);
    KORVID_TRACE_POINT("stream ended");
    SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&app.selectionSave));
    if (doc.richText)
        ApplyFontGroup();
    SendMessageA(app.editorWindow, EM_SETMODIFY, modified, 0);
    doc.quietTransfer = 0;
    return true;
}
