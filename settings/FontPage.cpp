// The Font page: font, colours, extension list, "Auto" and "DeWrap" of the
// three font groups, with a sample strip of each group's face and colours.
#include "resource.h"
#include "version.h"
#include "settings/PageRules.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsPages.h"

namespace {

// Lists keep at most 269 characters, before the padding.
constexpr uint32_t kListTextSize = 270;
constexpr COLORREF kColourCancelled = 0xFF000000;

struct FontGroup {
    PackedLogFont* font;
    uint32_t* textColour;
    uint32_t* backColour;
    int32_t* autoFlag;
    char* list;
    uint32_t listSize;
    int32_t* deWrap;
};

FontGroup Group(int k) {
    FontGroup groups[] = {
        {&settings.FontGroup1Font, &settings.FontGroup1TextColour, &settings.FontGroup1BackColour,
         &settings.FontGroup1Auto, settings.FontGroup1Extensions,
         sizeof settings.FontGroup1Extensions, &settings.FontGroup1DeWrap},
        {&settings.FontGroup2Font, &settings.FontGroup2TextColour, &settings.FontGroup2BackColour,
         &settings.FontGroup2Auto, settings.FontGroup2Extensions,
         sizeof settings.FontGroup2Extensions, &settings.FontGroup2DeWrap},
        {&settings.FontGroup3Font, &settings.FontGroup3TextColour, &settings.FontGroup3BackColour,
         &settings.FontGroup3Auto, settings.FontGroup3Extensions,
         sizeof settings.FontGroup3Extensions, &settings.FontGroup3DeWrap},
    };
    return groups[k];
}

// The sample strip of group k in dialog units: the first row of its group
// box, left of the buttons (see SettingsPages.rc). Mapped to pixels when
// painted, so it keeps its place at every screen resolution.
RECT StripUnits(int k) {
    const int groupTops[] = {4, 58, 112};
    return {10, groupTops[k] + 10, 163, groupTops[k] + 25};
}

const char kListTip[] = "Extension names should be expressed in four character blocks and "
                        "include the '.'. E.g. '.h  .exe.fil'";

HINSTANCE Instance() { return appRecord != nullptr ? appRecord->instance : nullptr; }

} // namespace

void PaintGroupSample(HDC dc, COLORREF text, COLORREF back, const RECT& strip,
                      const char* faceName) {
    RECT area = strip;
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &area, brush);
    SetBkColor(dc, back);
    SetTextColor(dc, text);
    // 20 pixels in the 24-pixel strip of a 96-dpi screen.
    int height = (strip.bottom - strip.top) * 5 / 6;
    HFONT font = CreateFontA(height, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH, faceName);
    HGDIOBJ previous = SelectObject(dc, font);
    DrawTextA(dc, KORVID_NAME_AND_VERSION, -1, &area, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    DeleteObject(brush);
    SelectObject(dc, previous);
    DeleteObject(font);
}

void PaintFontPreview(HWND page) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    for (int k = 0; k < 3; ++k) {
        FontGroup group = Group(k);
        RECT strip = StripUnits(k);
        MapDialogRect(page, &strip);
        // The face name of a font read from a file may lack its terminator.
        char face[sizeof group.font->lfFaceName + 1] = {};
        for (size_t i = 0; i + 1 < sizeof face && group.font->lfFaceName[i] != 0; ++i)
            face[i] = group.font->lfFaceName[i];
        PaintGroupSample(dc, *group.textColour, *group.backColour, strip, face);
    }
    EndPaint(page, &paint);
}

void UpdateFontPageState(HWND page) {
    for (int k = 0; k < 3; ++k) {
        int on = *Group(k).autoFlag != 0;
        EnableControl(page, IDC_FONT_LIST_1 + k, on);
        EnableControl(page, IDC_FONT_DEWRAP_1 + k, on);
    }
}

void LoadFontPage(HWND page) {
    for (int k = 0; k < 3; ++k) {
        FontGroup group = Group(k);
        SetCheck(page, IDC_FONT_AUTO_1 + k, *group.autoFlag);
        SetDlgItemTextA(page, IDC_FONT_LIST_1 + k, group.list);
        SetCheck(page, IDC_FONT_DEWRAP_1 + k, *group.deWrap);
    }
    UpdateFontPageState(page);
}

void StoreFontPage(HWND page) {
    for (int k = 0; k < 3; ++k)
        *Group(k).autoFlag = CheckOf(page, IDC_FONT_AUTO_1 + k);
    for (int k = 0; k < 3; ++k)
        *Group(k).deWrap = CheckOf(page, IDC_FONT_DEWRAP_1 + k);
    for (int k = 0; k < 3; ++k) {
        FontGroup group = Group(k);
        ReadText(page, IDC_FONT_LIST_1 + k, group.list, kListTextSize);
        PadExtensionList(group.list, group.listSize);
    }
}

namespace {

// The choosers write the record at once; the strips show the result.
bool OnFontCommand(HWND page, int id, int code) {
    if (code != BN_CLICKED)
        return false;
    for (int k = 0; k < 3; ++k) {
        FontGroup group = Group(k);
        if (id == IDC_FONT_FONT_1 + k) {
            ChooseGroupFont(page, *group.textColour, group.font);
            InvalidateRect(page, nullptr, FALSE);
        } else if (id == IDC_FONT_COLOUR_1 + k || id == IDC_FONT_BACK_1 + k) {
            uint32_t* colour = id == IDC_FONT_COLOUR_1 + k ? group.textColour : group.backColour;
            if (ChooseGroupColour(page, colour, Instance()) != kColourCancelled)
                InvalidateRect(page, nullptr, FALSE);
        } else if (id == IDC_FONT_AUTO_1 + k) {
            *group.autoFlag = CheckOf(page, id);
            UpdateFontPageState(page);
        } else {
            continue;
        }
        return true;
    }
    return false;
}

} // namespace

INT_PTR CALLBACK FontPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        for (int k = 0; k < 3; ++k) {
            AddControlTooltip(page, appRecord, IDC_FONT_FONT_1 + k,
                              "Change the font for this group");
            AddControlTooltip(page, appRecord, IDC_FONT_COLOUR_1 + k,
                              "Change the text colour for this group");
            AddControlTooltip(page, appRecord, IDC_FONT_BACK_1 + k,
                              "Change the background colour for this group");
            AddControlTooltip(page, appRecord, IDC_FONT_AUTO_1 + k,
                              "Automatically select this font for these file types");
            AddControlTooltip(page, appRecord, IDC_FONT_LIST_1 + k, kListTip);
            AddControlTooltip(page, appRecord, IDC_FONT_DEWRAP_1 + k,
                              "Automatically turn off WordWrap for these file types");
        }
        LoadFontPage(page);
        return TRUE;
    case WM_PAINT:
        PaintFontPreview(page);
        return TRUE;
    case WM_COMMAND:
        OnFontCommand(page, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_NOTIFY:
        return AnswerPageProtocol(page, lParam, LoadFontPage, StoreFontPage);
    default:
        return FALSE;
    }
}
