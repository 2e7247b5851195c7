// The shell's process-wide state: the application record handed to every
// modal dialog and the runtime fields that the shell's parts share.
#pragma once

#include <windows.h>
#include <richedit.h>

#include "tools/RunInfoCore.h"

constexpr int kPathSize = 600;

struct AppRecord {
    HINSTANCE instance;
    HWND toolTipWindow;
    HICON smallIcon;
    HICON largeIcon;
    WNDCLASSEXA windowClass;
};

struct AppState {
    char programFolder[kPathSize];
    char dataFolder[kPathSize];
    HWND mainWindow;
    HWND editorWindow;
    WNDPROC oldEditorProc;
    HWND findDialog;
    // The editor a large Replace All or De-Double replaced, kept hidden for
    // the undo that brings it back (EditorText).
    HWND undoEditor;
    int findState;
    HWND toolBar;
    HWND statusBar;
    int toolbarHeight;
    int statusHeight;
    // The toolbar image strips of 16, 24 and 32 pixels, each loaded when
    // first needed and kept for the life of the process.
    HBITMAP toolbarStrips[3];
    // The DPI the main window is drawn for: its monitor's, 96 at 100 %.
    int dpi;
    int clientWidth;
    int clientHeight;
    int wordWrap;
    CHARRANGE selectionSave;
    int quickMarks[5];
    int modifiedShown;
    volatile LONG printAvailable;
    // The lists are published by the start-up thread: records first, then
    // the count, so a reader sees either no list or the whole list.
    RunFileEntry* volatile runFileList;
    volatile LONG runFileCount;
    InsertTextEntry* volatile insertTextList;
    volatile LONG insertTextCount;
    // Editor subclass state
    int ctrlDown;
    int altDown;
    int insertShown;
};

extern AppRecord* appRecord;
extern AppState app;
extern UINT WM_TASKBAR_CREATED;
