// The editing tools reached from the command table.
#pragma once

#include <windows.h>

// Find, replace and goto
HWND OpenFindDialog(int replace);
void OnFindMessage();
bool IsFindMessage(LPARAM lParam);
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
void ScanBookmarks();
void GotoBookmark(int index);
void SetBookmark(int index);
void ShowLabelsWindow(HWND owner);
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
