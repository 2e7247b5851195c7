// The common controls, common dialogs, shell and COM libraries are loaded
// when the program first calls into them, not by the loader before the
// entry point: under Wine they cost about a fifth of the time a bare window
// takes to show, and the common dialogs, the shell and COM are not needed
// at all for most sessions.
//
// Each function's import slot (the pointer a dllimport call goes through)
// is defined here, so the linker takes it from this file rather than from
// the import library, and the DLL is never listed in Korvid.exe's imports.
// The slot first holds a stand-in that loads the library, finds the real
// function, stores it in the slot for every later call, and calls it. Two
// threads that meet in a stand-in store the same address.
//
// The slot names follow the 32-bit stdcall decoration: "__imp__" + name +
// "@" + the bytes of the arguments. A wrong byte count shows at once: the
// DLL comes back among the program's imports, which a package test checks.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

namespace {

FARPROC Resolve(const char* library, const char* name) {
    HMODULE module = LoadLibraryA(library);
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

} // namespace

// A function whose library cannot be loaded answers `failed`, as its own
// failing calls do.
#define KORVID_LATE(library, result, failed, name, bytes, params, args)                            \
    extern "C" result WINAPI KorvidLate_##name params;                                             \
    extern "C" void* korvidSlot_##name __asm__("__imp__" #name "@" #bytes);                        \
    void* korvidSlot_##name = reinterpret_cast<void*>(&KorvidLate_##name);                         \
    extern "C" result WINAPI KorvidLate_##name params {                                            \
        auto real =                                                                                \
            reinterpret_cast<decltype(&::name)>(reinterpret_cast<void*>(Resolve(library, #name))); \
        if (real == nullptr)                                                                       \
            return failed;                                                                         \
        korvidSlot_##name = reinterpret_cast<void*>(real);                                         \
        return real args;                                                                          \
    }

KORVID_LATE("comctl32.dll", HPROPSHEETPAGE, nullptr, CreatePropertySheetPageA, 4,
            (LPCPROPSHEETPAGEA a), (a))
KORVID_LATE("comctl32.dll", HWND, nullptr, CreateStatusWindowA, 16,
            (LONG a, LPCSTR b, HWND c, UINT d), (a, b, c, d))
KORVID_LATE("comctl32.dll", HWND, nullptr, CreateToolbarEx, 52,
            (HWND a, DWORD b, UINT c, int d, HINSTANCE e, UINT_PTR f, LPCTBBUTTON g, int h, int i,
             int j, int k, int l, UINT m),
            (a, b, c, d, e, f, g, h, i, j, k, l, m))
KORVID_LATE("comctl32.dll", int, -1, ImageList_AddMasked, 12, (HIMAGELIST a, HBITMAP b, COLORREF c),
            (a, b, c))
KORVID_LATE("comctl32.dll", HIMAGELIST, nullptr, ImageList_Create, 20,
            (int a, int b, UINT c, int d, int e), (a, b, c, d, e))
KORVID_LATE("comctl32.dll", BOOL, FALSE, ImageList_Destroy, 4, (HIMAGELIST a), (a))
KORVID_LATE("comctl32.dll", BOOL, FALSE, InitCommonControlsEx, 4, (const INITCOMMONCONTROLSEX* a),
            (a))
KORVID_LATE("comctl32.dll", INT_PTR, -1, PropertySheetA, 4, (LPCPROPSHEETHEADERA a), (a))

KORVID_LATE("comdlg32.dll", BOOL, FALSE, ChooseColorA, 4, (LPCHOOSECOLORA a), (a))
KORVID_LATE("comdlg32.dll", BOOL, FALSE, ChooseFontA, 4, (LPCHOOSEFONTA a), (a))
KORVID_LATE("comdlg32.dll", HWND, nullptr, FindTextA, 4, (LPFINDREPLACEA a), (a))
KORVID_LATE("comdlg32.dll", HWND, nullptr, ReplaceTextA, 4, (LPFINDREPLACEA a), (a))
KORVID_LATE("comdlg32.dll", BOOL, FALSE, GetOpenFileNameA, 4, (LPOPENFILENAMEA a), (a))
KORVID_LATE("comdlg32.dll", BOOL, FALSE, GetSaveFileNameA, 4, (LPOPENFILENAMEA a), (a))

KORVID_LATE("ole32.dll", void, (void)0, CoTaskMemFree, 4, (LPVOID a), (a))

KORVID_LATE("shell32.dll", void, (void)0, DragAcceptFiles, 8, (HWND a, BOOL b), (a, b))
KORVID_LATE("shell32.dll", void, (void)0, DragFinish, 4, (HDROP a), (a))
KORVID_LATE("shell32.dll", UINT, 0, DragQueryFileA, 16, (HDROP a, UINT b, LPSTR c, UINT d),
            (a, b, c, d))
KORVID_LATE("shell32.dll", PIDLIST_ABSOLUTE, nullptr, SHBrowseForFolderA, 4, (LPBROWSEINFOA a), (a))
KORVID_LATE("shell32.dll", void, (void)0, SHChangeNotify, 16,
            (LONG a, UINT b, LPCVOID c, LPCVOID d), (a, b, c, d))
KORVID_LATE("shell32.dll", HRESULT, E_FAIL, SHGetFolderPathA, 20,
            (HWND a, int b, HANDLE c, DWORD d, LPSTR e), (a, b, c, d, e))
KORVID_LATE("shell32.dll", BOOL, FALSE, SHGetPathFromIDListA, 8, (PCIDLIST_ABSOLUTE a, LPSTR b),
            (a, b))
KORVID_LATE("shell32.dll", BOOL, FALSE, SHGetSpecialFolderPathA, 16,
            (HWND a, LPSTR b, int c, BOOL d), (a, b, c, d))
KORVID_LATE("shell32.dll", HINSTANCE, nullptr, ShellExecuteA, 24,
            (HWND a, LPCSTR b, LPCSTR c, LPCSTR d, LPCSTR e, INT f), (a, b, c, d, e, f))
KORVID_LATE("shell32.dll", BOOL, FALSE, Shell_NotifyIconA, 8, (DWORD a, PNOTIFYICONDATAA b), (a, b))
