// Process start: folders, settings, the main window, the message loop, and
// the second stage that runs as the loop's first message.
#pragma once

#include "app/AppState.h"

[[noreturn]] void InitApplication();
void SetUpFolders(int chooseDataFolder, AppRecord* record);
void CompleteStartup(HWND window);
// 1 copied, 2 no such argument, 3 odd quotes, 4 empty argument.
int GetCommandLineArg(int index, char* output);
DWORD WINAPI StartupThread(LPVOID);
// True when the editor was rebuilt; false when its text could not be
// written to the working file, and the old editor stays as it was.
bool RebuildEditor();

// Joins folder and name into a path buffer of kPathSize bytes. Returns false
// (and an empty buffer) when the result would not fit.
bool MakePath(const char* folder, const char* name, char* path);
