// The Bookmark page: bookmark mode, marker and size limit, and the labels
// window's switch, limits, markers and name rules.
#include "resource.h"
#include "settings/PageRules.h"
#include "settings/SettingsPages.h"

#include <commctrl.h>

namespace {

// Label markers keep at most 62 characters in their 64-byte fields.
constexpr uint32_t kLabelMarkerSize = 63;

const char* const kBookmarkModes[] = {"Manual", "Semi-Auto", "Full-Auto"};
const char* const kLabelNames[] = {"Word to right", "Word to left"};

char* LabelMarker(int k) {
    char* markers[] = {settings.LabelMarker1, settings.LabelMarker2, settings.LabelMarker3};
    return markers[k];
}

int32_t* LabelName(int k) {
    int32_t* names[] = {&settings.LabelName1, &settings.LabelName2, &settings.LabelName3};
    return names[k];
}

const ControlTooltip kBookmarkTooltips[] = {
    {IDC_MARKS_MODE, "How automated the Bookmark handling is"},
    {IDC_MARKS_MARKER, "Bookmark identification prefix"},
    {IDC_MARKS_SIZE, "Maximum file size (in KB) that Korvid will look for Bookmarks in"},
    {IDC_LABELS_ENABLE, "Enable the label function"},
    {IDC_LABELS_MAX, "Maximum Lables that Korvid will look for"},
    {IDC_LABELS_SIZE, "Maximum file size (in KB) that Korvid will look for Lables in"},
    {IDC_LABELS_MARKER_1, "What will be used to identify the label"},
    {IDC_LABELS_MARKER_1 + 1, "What will be used to identify the label"},
    {IDC_LABELS_MARKER_1 + 2, "What will be used to identify the label"},
    {IDC_LABELS_NAME_1, "What will be used to make the label"},
    {IDC_LABELS_NAME_1 + 1, "What will be used to make the label"},
    {IDC_LABELS_NAME_1 + 2, "What will be used to make the label"},
};

} // namespace

void UpdateBookmarkPageState(HWND page) {
    int on = settings.LabelsEnabled != 0;
    for (int k = 0; k < 3; ++k) {
        EnableControl(page, IDC_LABELS_MARKER_1 + k, on);
        EnableControl(page, IDC_LABELS_NAME_1 + k, on);
    }
    EnableControl(page, IDC_LABELS_MAX, on);
    EnableControl(page, IDC_LABELS_SIZE, on);
}

void LoadBookmarkPage(HWND page) {
    SetDlgItemTextA(page, IDC_MARKS_MARKER, settings.BookmarkMarker);
    SelectIndex(page, IDC_MARKS_MODE, settings.BookmarkMode);
    for (int k = 0; k < 3; ++k) {
        SetDlgItemTextA(page, IDC_LABELS_MARKER_1 + k, LabelMarker(k));
        SelectIndex(page, IDC_LABELS_NAME_1 + k, *LabelName(k));
    }
    SetNumber(page, IDC_LABELS_MAX, static_cast<uint32_t>(settings.LabelsMax));
    SetNumber(page, IDC_MARKS_SIZE, KilobytesShown(settings.BookmarkMaxFileSize));
    SetNumber(page, IDC_LABELS_SIZE, KilobytesShown(settings.LabelsMaxFileSize));
    SetCheck(page, IDC_LABELS_ENABLE, settings.LabelsEnabled);
    UpdateBookmarkPageState(page);
}

void StoreBookmarkPage(HWND page) {
    settings.BookmarkMaxFileSize = BytesFromKilobytes(NumberOf(page, IDC_MARKS_SIZE));
    ReadText(page, IDC_MARKS_MARKER, settings.BookmarkMarker);
    settings.BookmarkMode = SelectedIndex(page, IDC_MARKS_MODE, settings.BookmarkMode);
    for (int k = 0; k < 3; ++k)
        ReadText(page, IDC_LABELS_MARKER_1 + k, LabelMarker(k), kLabelMarkerSize);
    for (int k = 0; k < 3; ++k)
        *LabelName(k) = SelectedIndex(page, IDC_LABELS_NAME_1 + k, *LabelName(k));
    settings.LabelsEnabled = CheckOf(page, IDC_LABELS_ENABLE);
    settings.LabelsMax = NumberField(NumberOf(page, IDC_LABELS_MAX));
    settings.LabelsMaxFileSize = BytesFromKilobytes(NumberOf(page, IDC_LABELS_SIZE));
}

INT_PTR CALLBACK BookmarkPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        FillList(page, IDC_MARKS_MODE, kBookmarkModes, 3);
        for (int k = 0; k < 3; ++k)
            FillList(page, IDC_LABELS_NAME_1 + k, kLabelNames, 2);
        SendDlgItemMessageA(page, IDC_MARKS_SIZE_SPIN, UDM_SETRANGE, 0, MAKELPARAM(32767, 0));
        SendDlgItemMessageA(page, IDC_LABELS_SIZE_SPIN, UDM_SETRANGE, 0, MAKELPARAM(32767, 0));
        SendDlgItemMessageA(page, IDC_LABELS_MAX_SPIN, UDM_SETRANGE, 0, MAKELPARAM(4095, 0));
        LoadBookmarkPage(page);
        AddControlTooltips(page, kBookmarkTooltips);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_LABELS_ENABLE && HIWORD(wParam) == BN_CLICKED) {
            settings.LabelsEnabled = CheckOf(page, IDC_LABELS_ENABLE);
            UpdateBookmarkPageState(page);
        }
        return FALSE;
    case WM_NOTIFY:
        // The page keeps what its controls show.
        return AnswerPageProtocol(page, lParam, nullptr, StoreBookmarkPage);
    default:
        return FALSE;
    }
}
