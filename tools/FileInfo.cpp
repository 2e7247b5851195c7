#include "tools/Tools.h"

#include "app/AppState.h"
#include "document/DocumentState.h"
#include "document/Load.h"
#include "document/Notify.h"
#include "resource.h"
#include "text/TextRoutines.h"
#include "tools/RunInfoCore.h"

#include <commctrl.h>

#include <new>

// File Info counts the file as it is stored, not the editor's text, on a
// worker thread: a large file neither freezes the dialog nor keeps Close
// from answering. The worker only posts to the dialog and stops at the next
// piece once Close asks it to.

namespace {

constexpr UINT WM_INFO_SIZE = WM_APP + 40;     // the size is known
constexpr UINT WM_INFO_PROGRESS = WM_APP + 41; // wParam: percent read
constexpr UINT WM_INFO_DONE = WM_APP + 42;     // wParam: an InfoOutcome

constexpr DWORD kReadBufferSize = 1000050;
constexpr DWORD kPieceSize = 1000000;

enum InfoOutcome { InfoCounted, InfoOpenError, InfoMemoryError };

// Shared by the dialog and its worker; whichever lets go last frees it, so
// a dialog closed while a read hangs never leaves the worker writing freed
// memory.
struct InfoJob {
    HWND dialog;
    char path[kPathSize];
    volatile LONG cancel;
    volatile LONG owners;
    uint64_t size;
    FileStatistics counts;
};

void Release(InfoJob* job) {
    if (InterlockedDecrement(&job->owners) == 0)
        delete job;
}

DWORD WINAPI CountFile(LPVOID parameter) {
    InfoJob* job = static_cast<InfoJob*>(parameter);
    // Shared for reading and writing: a log another program is writing can
    // still be counted.
    HANDLE file =
        CreateFileA(job->path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    InfoOutcome outcome = InfoCounted;
    if (file == INVALID_HANDLE_VALUE) {
        outcome = InfoOpenError;
    } else {
        unsigned char* buffer = new (std::nothrow) unsigned char[kReadBufferSize]();
        if (buffer == nullptr) {
            outcome = InfoMemoryError;
        } else {
            LARGE_INTEGER size = {};
            GetFileSizeEx(file, &size);
            job->size = static_cast<uint64_t>(size.QuadPart);
            PostMessageA(job->dialog, WM_INFO_SIZE, 0, 0);
            // A file that shrinks or vanishes meanwhile ends the reading
            // early: the figures are those of what was read.
            uint64_t read = 0;
            WPARAM shownPercent = 0;
            DWORD got = 0;
            while (read < job->size && job->cancel == 0) {
                uint64_t left = job->size - read;
                DWORD piece = left < kPieceSize ? static_cast<DWORD>(left) : kPieceSize;
                if (!ReadFile(file, buffer, piece, &got, nullptr) || got == 0)
                    break;
                CountStatistics(job->counts, buffer, got);
                read += got;
                WPARAM percent = static_cast<WPARAM>(read * 100 / job->size);
                if (percent != shownPercent) {
                    shownPercent = percent;
                    PostMessageA(job->dialog, WM_INFO_PROGRESS, percent, 0);
                }
            }
            delete[] buffer;
        }
        CloseHandle(file);
    }
    if (job->cancel == 0)
        PostMessageA(job->dialog, WM_INFO_DONE, outcome, 0);
    Release(job);
    return 0;
}

void GroupedDecimal(HWND dialog, int control, uint64_t value) {
    char text[kGroupedDigitsSize];
    GroupDigits(value, text);
    SetDlgItemTextA(dialog, control, text);
}

void ShowCounts(HWND dialog, const FileStatistics& c) {
    GroupedDecimal(dialog, IDC_INFO_SYMBOLS, c.symbols);
    GroupedDecimal(dialog, IDC_INFO_LINES, c.lines);
    GroupedDecimal(dialog, IDC_INFO_WORDS, c.words);
    GroupedDecimal(dialog, IDC_INFO_SENTENCES, c.sentences);
    GroupedDecimal(dialog, IDC_INFO_NUMBERS, c.numbers);
    GroupedDecimal(dialog, IDC_INFO_SPACES, c.spaces);
    GroupedDecimal(dialog, IDC_INFO_LETTERS, c.letters);
    GroupedDecimal(dialog, IDC_INFO_CHARACTERS, StatisticsCharacters(c));
    GroupedDecimal(dialog, IDC_INFO_AVG_WORD, AverageWordLength(c));
    GroupedDecimal(dialog, IDC_INFO_AVG_SENTENCE, AverageSentenceLength(c));
}

void ShowFileType(HWND dialog) {
    char type[sizeof doc.statusText];
    TextCopy(doc.richText ? "Rich Text" : "Text", type);
    AppendFileFlags(type);
    SetDlgItemTextA(dialog, IDC_INFO_TYPE, type);
}

void ComputeFileStatistics(HWND dialog, const char* path) {
    ShowFileType(dialog);
    InfoJob* job = new (std::nothrow) InfoJob();
    if (job == nullptr) {
        SetDlgItemTextA(dialog, IDC_INFO_SIZE, "Memory Allocation Error");
        return;
    }
    job->dialog = dialog;
    TextCopyBounded(path, job->path, sizeof job->path);
    job->owners = 2;
    HANDLE thread = CreateThread(nullptr, 0, CountFile, job, 0, nullptr);
    if (thread == nullptr) {
        delete job;
        SetDlgItemTextA(dialog, IDC_INFO_SIZE, "Memory Allocation Error");
        return;
    }
    SetPropA(dialog, "KorvidInfoJob", job);
    SetPropA(dialog, "KorvidInfoThread", thread);
}

// Close stops the worker at its next piece and waits a moment for it; a
// worker held up in a read is left to free the job itself.
void StopCounting(HWND dialog) {
    InfoJob* job = static_cast<InfoJob*>(RemovePropA(dialog, "KorvidInfoJob"));
    HANDLE thread = RemovePropA(dialog, "KorvidInfoThread");
    if (job == nullptr)
        return;
    InterlockedExchange(&job->cancel, 1);
    WaitForSingleObject(thread, 2000);
    CloseHandle(thread);
    Release(job);
}

INT_PTR CALLBACK FileInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        InterlockedExchange(&notify.modalBusy, 1);
        SendDlgItemMessageA(dialog, IDC_INFO_PROGRESS, PBM_SETRANGE32, 0, 100);
        ComputeFileStatistics(dialog, doc.fileName);
        return TRUE;
    case WM_INFO_SIZE:
        if (InfoJob* job = static_cast<InfoJob*>(GetPropA(dialog, "KorvidInfoJob"))) {
            SetDlgItemTextA(dialog, IDC_INFO_NAME, job->path);
            GroupedDecimal(dialog, IDC_INFO_SIZE, job->size);
        }
        return TRUE;
    case WM_INFO_PROGRESS:
        // Only a file that takes a while shows the bar.
        SendDlgItemMessageA(dialog, IDC_INFO_PROGRESS, PBM_SETPOS, wParam, 0);
        if (wParam < 100)
            ShowWindow(GetDlgItem(dialog, IDC_INFO_PROGRESS), SW_SHOWNA);
        return TRUE;
    case WM_INFO_DONE:
        ShowWindow(GetDlgItem(dialog, IDC_INFO_PROGRESS), SW_HIDE);
        if (wParam == InfoOpenError)
            SetDlgItemTextA(dialog, IDC_INFO_SIZE, "Open Error");
        else if (wParam == InfoMemoryError)
            SetDlgItemTextA(dialog, IDC_INFO_SIZE, "Memory Allocation Error");
        else if (InfoJob* job = static_cast<InfoJob*>(GetPropA(dialog, "KorvidInfoJob")))
            ShowCounts(dialog, job->counts);
        return TRUE;
    case WM_COMMAND:
        // Escape (IDCANCEL) does nothing: only "Close" ends the dialog.
        if (LOWORD(wParam) == IDOK) {
            StopCounting(dialog);
            InterlockedExchange(&notify.modalBusy, 0);
            EndDialog(dialog, IDOK);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void ShowFileInfo(HWND owner) {
    HINSTANCE instance = appRecord != nullptr ? appRecord->instance : GetModuleHandleA(nullptr);
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_FILE_INFO), owner, FileInfoDialogProc, 0);
}
