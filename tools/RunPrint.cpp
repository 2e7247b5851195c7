#include "tools/Tools.h"

#include "app/AppState.h"
#include "app/Startup.h"

#include <shellapi.h>

void OpenReadMe() {
    char path[kPathSize];
    if (MakePath(app.programFolder, "ReadMe.htm", path))
        ShellExecuteA(nullptr, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

void LaunchFromFolder(const char* name) {
    char path[kPathSize];
    if (MakePath(app.programFolder, name, path))
        ShellExecuteA(nullptr, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

// The Run buttons, Execute and external printing are filled in with the
// run and print work.
void RunButton(HWND, WORD) {}
void ExecuteDocument() {}
void PrintExternally() {}
