// What the pages of the settings dialog share: the page procedures, the
// tooltip, enabling and chooser routines, and small control helpers. Every
// page reads the settings record when it is shown and writes it when it is
// left; see SettingsDialog.cpp for the protocol.
#pragma once

#include "app/AppState.h"
#include "settings/SettingsRecord.h"

#include <windows.h>
#include <prsht.h>

#include <cstdint>

INT_PTR CALLBACK ViewPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AutoSavePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RunPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FontPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FileTypesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
void StoreFileTypesPage(HWND page);
INT_PTR CALLBACK BookmarkPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MiscPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The pages' own steps: set the controls from the record, set their enabled
// states, copy the controls into the record.
void LoadViewPage(HWND page);
void UpdateViewPageState(HWND page);
void StoreViewPage(HWND page);
void LoadAutoSavePage(HWND page);
void UpdateAutoSavePageState(HWND page);
void StoreAutoSavePage(HWND page);
void RunPageCommand(HWND page, int id);
void StoreRunPage(HWND page);
void LoadFontPage(HWND page);
void UpdateFontPageState(HWND page);
void StoreFontPage(HWND page);
void PaintFontPreview(HWND page);
void PaintGroupSample(HDC dc, COLORREF text, COLORREF back, const RECT& strip,
                      const char* faceName);
void LoadBookmarkPage(HWND page);
void UpdateBookmarkPageState(HWND page);
void StoreBookmarkPage(HWND page);
void LoadMiscPage(HWND page);
void UpdateMiscPageState(HWND page);
void StoreMiscPage(HWND page);

// Fills one page description and returns the next slot.
PROPSHEETPAGEA* MakeSettingsPage(int dialogId, DLGPROC procedure, PROPSHEETPAGEA* slot);

// Registers a control's tooltip with the shared tooltip window; `text` must
// live as long as the program (the tool keeps the pointer).
void AddControlTooltip(HWND page, AppRecord* record, int controlId, const char* text);
void EnableControl(HWND page, int controlId, int flag);

// The folder browser: 1 and the chosen folder in `buffer` (kPathSize bytes),
// or 0 when cancelled.
int ChooseFolder(HWND owner, char* buffer);

// The Open dialog on a 600-byte buffer; `filter` 1 selects "Help Files", 2
// "Executable Files". Non-zero when a file was chosen.
enum { kChooseHelpFiles = 1, kChooseExecutables = 2 };
BOOL ChooseFile(HWND owner, char* buffer, int filter, HINSTANCE instance);

// The About box of the program.
void ShowAboutBox(HWND owner);

// Control helpers of the pages.
void SetCheck(HWND page, int id, int32_t flag);
int32_t CheckOf(HWND page, int id);
// A stored number shown as an unsigned decimal.
void SetNumber(HWND page, int id, uint32_t value);
// A typed number (see ReadTypedNumber).
uint32_t NumberOf(HWND page, int id);
// Copies a control's text into a record field of `size` bytes: at most
// size - 1 characters, always terminated, however long the text is.
void ReadText(HWND page, int id, char* field, uint32_t size);
template <std::size_t N> void ReadText(HWND page, int id, char (&field)[N]) {
    ReadText(page, id, field, static_cast<uint32_t>(N));
}
// Fills a drop-down list by index in the order given, never sorted.
void FillList(HWND page, int id, const char* const* texts, int count);
void SelectIndex(HWND page, int id, int32_t index);
// The selected index; `kept` when nothing is selected (a stored index out
// of the list's range selects nothing and is then kept as it was).
int32_t SelectedIndex(HWND page, int id, int32_t kept);

// Registers the tooltips of a table of (control, text) pairs.
struct ControlTooltip {
    int id;
    const char* text;
};
template <std::size_t N> void AddControlTooltips(HWND page, const ControlTooltip (&tips)[N]) {
    for (const ControlTooltip& tip : tips)
        AddControlTooltip(page, appRecord, tip.id, tip.text);
}

// The sheet's notification code, or 0 for another message.
UINT PageNotification(UINT message, LPARAM lParam);
// Answers a notification: `result` goes back to the sheet.
INT_PTR AnswerSheet(HWND page, LRESULT result);
// The page protocol for WM_NOTIFY: entering the page runs `load` (none for
// a page that keeps what its controls show), leaving it runs `store` and
// lets the sheet go on.
INT_PTR AnswerPageProtocol(HWND page, LPARAM lParam, void (*load)(HWND), void (*store)(HWND));
