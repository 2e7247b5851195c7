// The editing tools reached from the command table.
#pragma once

#include <windows.h>

// The shared search texts: the last search and replacement, kept between
// openings of the dialogs (De-Double leaves its doubled text here too).
extern char findWhat[600];
extern char replaceWith[600];

// Find, replace and goto
HWND OpenFindDialog(int replace);
void OnFindMessage();
// The Find and Replace dialogs' notification: the registered message with
// the shared record's address.
bool IsFindMessage(UINT message, LPARAM lParam);
void GotoLine(HWND owner);
// F3: search again downward with the last request.
void FindNextDown();
// Insert, indent and clipboard
void InsertTime();
void ShowInsertTextDialog(HWND owner);
void ChangeIndent(int increase);
void CopyOrCut(WORD id);
void PasteText();
void DeDouble();
// Bookmarks and labels
// The first occurrence of a text anywhere in the document, ignoring case:
// its position + 1, or 0.
int FindFirstInText(const char* text);
void ScanBookmarks();
void GotoBookmark(int index);
void SetBookmark(int index);
void ShowLabelsWindow(HWND owner);
LRESULT CALLBACK LabelsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
DWORD WINAPI LabelsClassCleanup(LPVOID);
// The labels window while it exists, and its list.
extern volatile LONG labelsWindowOpen;
extern HWND labelsWindow;
extern HWND labelsList;
// File information
void ShowFileInfo(HWND owner);
// Run buttons, launching and printing
void RunButton(HWND owner, WORD id);
void LaunchFromFolder(const char* name);
void OpenReadMe();
void ExecuteDocument();
void PrintExternally();
// Run File and Insert Text lists
void LoadUserLists();
void RunFileListEntry(int entry);
void InsertListEntry(int entry);
