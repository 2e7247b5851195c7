#include "tools/Tools.h"

#include "app/AppState.h"
#include "app/Dpi.h"
#include "app/Editor.h"
#include "app/Geometry.h"
#include "document/DocumentState.h"
#include "document/Notify.h"
#include "resource.h"
#include "settings/SettingsFile.h"
#include "text/TextRoutines.h"
#include "tools/EditorText.h"

#include <commctrl.h>
#include <richedit.h>

#include <vector>

volatile LONG labelsWindowOpen;
HWND labelsWindow;
HWND labelsList;

namespace {

constexpr const char* kLabelsClass = "XtraSBox";

struct LabelsText {
    std::u16string text;
    std::u16string folded;
};

// The columns' widths at 96 dpi.
constexpr int kColumnWidths[3] = {200, 80, 80};

void AddColumn(int index, const char* title, int dpi) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(title);
    column.cx = ScaleToDpi(kColumnWidths[index], dpi);
    SendMessageA(labelsList, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void AddRow(int row, const LabelRow& label, const char* marker) {
    // The name keeps every character of the document; the list takes
    // UTF-16 whatever the window's own kind.
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(label.name.c_str()));
    int at = static_cast<int>(
        SendMessageW(labelsList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    char number[12];
    IntToDecimal(label.character, number);
    LVITEMA sub = {};
    sub.iSubItem = 1;
    sub.pszText = const_cast<char*>(marker);
    SendMessageA(labelsList, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
    sub.iSubItem = 2;
    sub.pszText = number;
    SendMessageA(labelsList, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
}

// The rows of one marker from the text read once for the whole fill;
// returns the next free row.
int ScanLabels(const LabelsText& text, const char* markerField, int32_t choice, int row) {
    char marker[64];
    TextCopyBounded(markerField, marker, sizeof marker);
    std::vector<LabelRow> rows;
    int32_t next = row;
    ScanLabelText(text.text, text.folded, WidenText(marker), choice == 1, settings.LabelsMax, &next,
                  &rows, SystemFolding());
    for (const LabelRow& label : rows)
        AddRow(row++, label, marker);
    return row;
}

void FillLabelsList() {
    if (app.editorWindow == nullptr || labelsList == nullptr)
        return;
    LabelsText text;
    text.text = ReadEditorText(app.editorWindow);
    text.folded = FoldText(text.text, SystemFolding());
    SendMessageA(labelsList, WM_SETREDRAW, FALSE, 0);
    SendMessageA(labelsList, LVM_DELETEALLITEMS, 0, 0);
    int row = 0;
    row = ScanLabels(text, settings.LabelMarker1, settings.LabelName1, row);
    row = ScanLabels(text, settings.LabelMarker2, settings.LabelName2, row);
    ScanLabels(text, settings.LabelMarker3, settings.LabelName3, row);
    SendMessageA(labelsList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(labelsList, nullptr, TRUE);
}

void CloseLabelsWindow(HWND window) {
    labelsWindowOpen = 0;
    DestroyWindow(window);
}

// A double click puts the selection at the row's place and closes.
void JumpToFocusedLabel(HWND window) {
    int item = static_cast<int>(
        SendMessageA(labelsList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (item < 0)
        return;
    char number[16] = {};
    LVITEMA sub = {};
    sub.iSubItem = 2;
    sub.pszText = number;
    sub.cchTextMax = sizeof number;
    SendMessageA(labelsList, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&sub));
    int32_t n = DecimalToInt(number);
    if (app.editorWindow != nullptr) {
        SendMessageA(app.editorWindow, EM_SETSEL, n, n + 1);
        SendMessageA(app.editorWindow, EM_SCROLLCARET, 0, 0);
        UpdateStatusBar();
    }
    CloseLabelsWindow(window);
    if (app.mainWindow != nullptr)
        SetForegroundWindow(app.mainWindow);
}

void CreateLabelsList(HWND window) {
    labelsList = CreateWindowExA(
        WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | LVS_REPORT | LVS_SHAREIMAGELISTS, 0, 0, 0, 0, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LABELS_LIST)), GetModuleHandleA(nullptr),
        nullptr);
    SendMessageA(labelsList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    const int dpi = WindowDpi(window);
    AddColumn(0, "Name", dpi);
    AddColumn(1, "Type", dpi);
    AddColumn(2, "Character", dpi);
}

// A move to a screen of another scale: the columns take their widths at
// the new scale and the window the rectangle the system proposes.
void OnLabelsDpiChanged(HWND window, int dpi, const RECT* proposed) {
    if (labelsList != nullptr) {
        for (int i = 0; i < 3; ++i)
            SendMessageA(labelsList, LVM_SETCOLUMNWIDTH, i, ScaleToDpi(kColumnWidths[i], dpi));
    }
    SetWindowPos(window, nullptr, proposed->left, proposed->top, proposed->right - proposed->left,
                 proposed->bottom - proposed->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

LRESULT CALLBACK LabelsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        labelsWindowOpen = 1;
        labelsWindow = window;
        SetForegroundWindow(window);
        CreateLabelsList(window);
        // The list fills on the first tick, so the empty window shows at once.
        SetTimer(window, TIMER_LABELS_FILL, 100, nullptr);
        return 0;
    case WM_SIZE:
        if (labelsList != nullptr)
            MoveWindow(labelsList, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_DPICHANGED:
        OnLabelsDpiChanged(window, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_TIMER:
        if (wParam != TIMER_LABELS_FILL)
            break;
        KillTimer(window, TIMER_LABELS_FILL);
        FillLabelsList();
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == labelsList && header->code == NM_DBLCLK)
            JumpToFocusedLabel(window);
        return 0;
    }
    case WM_CLOSE:
        CloseLabelsWindow(window);
        return 0;
    case WM_DESTROY:
        if (labelsWindow == window) {
            labelsWindow = nullptr;
            labelsList = nullptr;
            labelsWindowOpen = 0;
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI LabelsClassCleanup(LPVOID) {
    do
        Sleep(5000);
    while (labelsWindowOpen != 0);
    UnregisterClassA(kLabelsClass, GetModuleHandleA(nullptr));
    return 0;
}

void ShowLabelsWindow(HWND) {
    if (doc.documentBytes >
        static_cast<uint64_t>(static_cast<uint32_t>(settings.LabelsMaxFileSize))) {
        ShowNotification(app.mainWindow, NOTIFY_ASK,
                         "File bigger than set maximum. You can change this setting in Korvid "
                         "Options",
                         "OK", "Open ReadMe", nullptr, settings.NotifySound,
                         reinterpret_cast<LPARAM>(appRecord),
                         appRecord != nullptr ? appRecord->instance : nullptr);
        if (LastNotifyAnswer() == AnswerSecond)
            OpenReadMe();
        return;
    }
    // A second command brings the open window forward with a fresh scan.
    if (labelsWindow != nullptr && IsWindow(labelsWindow)) {
        if (IsIconic(labelsWindow))
            ShowWindow(labelsWindow, SW_RESTORE);
        SetForegroundWindow(labelsWindow);
        SetTimer(labelsWindow, TIMER_LABELS_FILL, 100, nullptr);
        return;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_BYTEALIGNWINDOW;
    windowClass.lpfnWndProc = LabelsWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hIcon = appRecord != nullptr ? appRecord->largeIcon : nullptr;
    windowClass.hIconSm = appRecord != nullptr ? appRecord->smallIcon : nullptr;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kLabelsClass;
    RegisterClassExA(&windowClass); // may still be registered from the last opening
    // 400 x 800 at 96 dpi, scaled to the main window's screen; a scaled
    // window is kept on that screen's work area.
    const int dpi = MainWindowDpi();
    PixelRect place = {100, 100, 100 + ScaleToDpi(400, dpi), 100 + ScaleToDpi(800, dpi)};
    MONITORINFO screen = {};
    screen.cbSize = sizeof screen;
    if (dpi != kBaseDpi &&
        GetMonitorInfoA(MonitorFromWindow(app.mainWindow, MONITOR_DEFAULTTOPRIMARY), &screen)) {
        const RECT& work = screen.rcWork;
        place = FitIntoArea(place, {work.left, work.top, work.right, work.bottom});
    }
    HWND window = CreateWindowExA(0, kLabelsClass, "Labels Found", WS_OVERLAPPEDWINDOW, place.left,
                                  place.top, place.right - place.left, place.bottom - place.top,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return;
    ShowWindow(window, SW_SHOW);
    if (HANDLE thread = CreateThread(nullptr, 0, LabelsClassCleanup, nullptr, 0, nullptr))
        CloseHandle(thread);
}
