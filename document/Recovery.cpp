#include "document/Recovery.h"

#include "app/AppState.h"
#include "app/Bars.h"
#include "app/Editor.h"
#include "app/Startup.h"
#include "document/DocumentNames.h"
#include "document/DocumentState.h"
#include "document/Lifecycle.h"
#include "document/Load.h"
#include "document/Monitor.h"
#include "document/Notify.h"
#include "document/Save.h"
#include "resource.h"
#include "settings/SettingsRecord.h"
#include "text/TextRoutines.h"
#include "tools/EditorText.h"
#include "tools/Tools.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT kPauseMs = 3000;
constexpr UINT kSteadyMs = 30000;
// Once changes have gone on for kSteadyMs, the copy waits only for this
// short lull: taking a large text out of the control holds the interface
// thread for a moment (some 170 ms at 10 MB), which should not fall between
// two keys. Without a lull it is written after a second kSteadyMs.
constexpr UINT kLullMs = 1000;
constexpr const char* kFirstLine = "Korvid recovery copy 1";
// A copy larger than this is no copy of ours: the editor cannot hold it.
constexpr LONGLONG kLargestCopy = 1LL << 30;

struct RecoveryState {
    char copy[kPathSize]; // this process's copy, "" until it has a name
    HANDLE lock;          // held, unshared, for the life of the process
    bool pending;         // changes the copy does not hold yet
    bool steadyArmed;
    bool overdue;  // the steady time has passed: the next lull writes
    HANDLE writer; // the thread of the write under way, or null
};

RecoveryState recovery = {{0}, nullptr, false, false, false, nullptr};

struct WriteJob {
    std::string path;
    std::string bytes;
};

DWORD WINAPI WriteThread(LPVOID parameter) {
    WriteJob* job = static_cast<WriteJob*>(parameter);
    bool ok = WriteFileReplacing(job->path.c_str(), job->bytes.data(),
                                 static_cast<DWORD>(job->bytes.size()));
    delete job;
    return ok ? 0 : 1;
}

// Waits for the write under way; true when the last write worked.
bool FinishWrite() {
    if (recovery.writer == nullptr)
        return true;
    WaitForSingleObject(recovery.writer, INFINITE);
    DWORD code = 1;
    GetExitCodeThread(recovery.writer, &code);
    CloseHandle(recovery.writer);
    recovery.writer = nullptr;
    return code == 0;
}

bool WriteBusy() {
    return recovery.writer != nullptr && WaitForSingleObject(recovery.writer, 0) == WAIT_TIMEOUT;
}

void LockPathOf(const char* copy, char* lock) {
    TextCopyBounded(copy, lock, kPathSize);
    int n = TextLength(lock);
    if (n >= 4)
        TextCopy(".kvl", lock + n - 4);
}

// The lock of a copy, taken only when nobody holds it: its owner is gone
// and no other start-up is offering it.
HANDLE ClaimLock(const char* copy) {
    char lock[kPathSize];
    LockPathOf(copy, lock);
    HANDLE file = CreateFileA(lock, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

// Gives this process a copy name of its own, with its lock taken: the
// process id, numbered on when an old copy already has that name.
bool EnsureOwnName() {
    if (recovery.lock != nullptr &&
        _strnicmp(recovery.copy, app.dataFolder, TextLength(app.dataFolder)) == 0)
        return true;
    EndRecovery(); // the data folder moved: the old name is let go
    for (int i = 0; i < 100; ++i) {
        char name[64];
        if (i == 0)
            std::snprintf(name, sizeof name, "Recover-%lu.kvr", GetCurrentProcessId());
        else
            std::snprintf(name, sizeof name, "Recover-%lu-%d.kvr", GetCurrentProcessId(), i);
        char copy[kPathSize];
        if (TextLength(app.dataFolder) + TextLength(name) >= kPathSize)
            return false;
        TextCopy(app.dataFolder, copy);
        TextAppend(copy, name);
        if (GetFileAttributesA(copy) != INVALID_FILE_ATTRIBUTES)
            continue;
        char lock[kPathSize];
        LockPathOf(copy, lock);
        HANDLE file = CreateFileA(lock, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        recovery.lock = file;
        TextCopy(copy, recovery.copy);
        return true;
    }
    return false;
}

DWORD CALLBACK StreamToString(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* written) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer),
                                                   static_cast<std::size_t>(count));
    *written = count;
    return 0;
}

struct MemoryStream {
    const char* data;
    std::size_t size;
    std::size_t at;
    bool wide;
};

// Hands the text over in the control's requests. A CR at the end of a
// request is held back while an LF follows: split there, the pair would
// become two breaks.
DWORD CALLBACK StreamFromMemory(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    MemoryStream* s = reinterpret_cast<MemoryStream*>(cookie);
    std::size_t n = s->size - s->at;
    if (n > static_cast<std::size_t>(wanted))
        n = static_cast<std::size_t>(wanted);
    if (s->wide) {
        n &= ~static_cast<std::size_t>(1);
        if (n > 2 && s->at + n < s->size && s->data[s->at + n - 2] == '\r' &&
            s->data[s->at + n - 1] == 0)
            n -= 2;
    }
    std::memcpy(buffer, s->data + s->at, n);
    s->at += n;
    *got = static_cast<LONG>(n);
    return 0;
}

void AddLine(std::string& header, const char* key, const std::string& value) {
    header += key;
    header += '=';
    header += value;
    header += "\r\n";
}

std::string HeaderOf(const char* time, std::size_t size) {
    std::string header = kFirstLine;
    header += "\r\n";
    AddLine(header, "name", doc.hasFileName ? doc.fileName : "");
    AddLine(header, "rich", std::to_string(doc.richText));
    AddLine(header, "unicode", std::to_string(doc.unicodeText));
    AddLine(header, "utf8", std::to_string(doc.utf8Text));
    AddLine(header, "utf8mark", std::to_string(doc.utf8Mark));
    AddLine(header, "breaks", std::to_string(doc.lineBreaks));
    AddLine(header, "partial", std::to_string(doc.partialLoaded));
    AddLine(header, "binary", std::to_string(doc.binaryContent));
    AddLine(header, "readonly", std::to_string(doc.readOnly));
    AddLine(header, "time", time);
    AddLine(header, "size", std::to_string(size));
    header += "\r\n";
    return header;
}

// A small decimal number, or false.
bool NumberOf(const std::string& text, long long& value) {
    if (text.empty() || text.size() > 12)
        return false;
    bool negative = text[0] == '-';
    value = 0;
    for (std::size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    if (negative)
        value = -value;
    return text.size() > (negative ? 1u : 0u);
}

bool ParseHeader(const std::string& header, RecoveryHeader& h, std::size_t& size) {
    std::memset(&h, 0, sizeof h);
    bool haveSize = false, haveName = false, haveMark = false;
    std::size_t at = 0, end = header.find("\r\n");
    if (header.compare(0, end, kFirstLine) != 0)
        return false;
    for (at = end + 2; at < header.size(); at = end + 2) {
        end = header.find("\r\n", at);
        if (end == std::string::npos)
            return false;
        std::string line = header.substr(at, end - at);
        std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            return false;
        std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        haveMark = haveMark || key == "utf8mark";
        long long number = 0;
        if (key == "name") {
            if (value.size() >= sizeof h.fileName)
                return false;
            TextCopy(value.c_str(), h.fileName);
            haveName = true;
        } else if (key == "time") {
            TextCopyBounded(value.c_str(), h.time, sizeof h.time);
        } else if (!NumberOf(value, number)) {
            return false;
        } else if (key == "size") {
            size = static_cast<std::size_t>(number);
            haveSize = number >= 0;
        } else {
            int flag = static_cast<int>(number);
            if (key == "rich")
                h.richText = flag != 0;
            else if (key == "unicode")
                h.unicodeText = flag != 0;
            else if (key == "utf8")
                h.utf8Text = flag != 0;
            else if (key == "utf8mark")
                h.utf8Mark = flag != 0;
            else if (key == "breaks")
                h.lineBreaks = flag >= -1 && flag <= 2 ? flag : -1;
            else if (key == "partial")
                h.partialLoaded = flag != 0;
            else if (key == "binary")
                h.binaryContent = flag != 0;
            else if (key == "readonly")
                h.readOnly = flag != 0;
        }
    }
    // Copies written before UTF-8 without the mark was read had the mark
    // whenever they were UTF-8.
    if (!haveMark)
        h.utf8Mark = h.utf8Text;
    return haveSize && haveName;
}

void LocalTimeText(char* text, std::size_t size) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    std::snprintf(text, size, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
}

bool TakeText(HWND editor, std::string& text) {
    EDITSTREAM request = {reinterpret_cast<DWORD_PTR>(&text), 0, StreamToString};
    UINT format = doc.richText ? SF_RTF : SF_TEXT | SF_UNICODE;
    SendMessageA(editor, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&request));
    if (doc.richText) // the control ends Rich Text with a NUL
        while (!text.empty() && text.back() == 0)
            text.pop_back();
    return request.dwError == 0;
}

// Starts writing the copy. False when there was nothing to write or the
// copy cannot be written now.
bool StartWrite() {
    HWND editor = app.editorWindow;
    if (settings.NoRecoveryCopies != 0) {
        RemoveRecoveryCopy();
        return false;
    }
    if (editor == nullptr || SendMessageA(editor, EM_GETMODIFY, 0, 0) == 0) {
        recovery.pending = false;
        return false;
    }
    if (doc.openingFile != 0 || doc.quietTransfer != 0 || WriteBusy()) {
        SetTimer(app.mainWindow, TIMER_RECOVERY_PAUSE, kPauseMs, nullptr);
        return false;
    }
    FinishWrite();
    if (!EnsureOwnName())
        return false;
    std::string text;
    if (!TakeText(editor, text))
        return false;
    char time[32];
    LocalTimeText(time, sizeof time);
    WriteJob* job = new WriteJob{recovery.copy, HeaderOf(time, text.size())};
    job->bytes += text;
    recovery.pending = false;
    recovery.overdue = false;
    recovery.writer = CreateThread(nullptr, 0, WriteThread, job, 0, nullptr);
    if (recovery.writer == nullptr) {
        delete job;
        return false;
    }
    return true;
}

void KillRecoveryTimers() {
    if (app.mainWindow == nullptr)
        return;
    KillTimer(app.mainWindow, TIMER_RECOVERY_PAUSE);
    KillTimer(app.mainWindow, TIMER_RECOVERY_STEADY);
    recovery.steadyArmed = false;
    recovery.overdue = false;
}

void CheckToolbarButton(WORD id, bool checked) {
    if (app.toolBar != nullptr)
        SendMessageA(app.toolBar, TB_CHECKBUTTON, id, MAKELONG(checked, 0));
}

// Asks about one copy whose lock this process holds. Returns true when
// the copy was recovered (the process then owns it).
bool OfferCopy(HWND owner, const char* copy, HANDLE lock) {
    RecoveryHeader header;
    std::string text;
    if (!ReadRecoveryCopy(copy, header, text)) {
        std::string message = "A copy of unsaved text cannot be read. It is kept in\r\n";
        message += copy;
        ShowNotification(owner, 0, message.c_str(), "OK", "Open ReadMe", nullptr,
                         settings.NotifySound, reinterpret_cast<LPARAM>(appRecord),
                         appRecord != nullptr ? appRecord->instance : nullptr);
        if (LastNotifyAnswer() == AnswerSecond)
            OpenReadMe();
        CloseHandle(lock);
        return false;
    }
    std::string message = "Korvid ended without saving ";
    message += header.fileName[0] != 0 ? header.fileName : "an Untitled document";
    message += ".\r\nThe unsaved text as of ";
    message += header.time;
    message += " was kept.";
    notify.mode = 1;
    notify.message = message.c_str();
    notify.caption1 = "Recover unsaved text";
    notify.caption2 = "Ask me later";
    static char third[kPathSize];
    TextCopy("Discard it", third);
    notify.caption3 = third;
    RunNotificationLayout(owner, IDD_NOTIFY_THREE);
    switch (LastNotifyAnswer()) {
    case AnswerFirst:
        EndRecovery(); // a copy of this process's own gives way to the recovered one
        recovery.lock = lock;
        TextCopy(copy, recovery.copy);
        RecoverFromCopy(copy);
        return true;
    case AnswerThird:
        DeleteFileA(copy);
        CloseHandle(lock);
        return false;
    default: // "Ask me later", Escape: the copy waits for the next start
        CloseHandle(lock);
        return false;
    }
}

} // namespace

void NoteRecoveryChange() {
    if (settings.NoRecoveryCopies != 0) {
        if (recovery.copy[0] != 0)
            RemoveRecoveryCopy();
        return;
    }
    if (app.mainWindow == nullptr)
        return;
    recovery.pending = true;
    SetTimer(app.mainWindow, TIMER_RECOVERY_PAUSE, recovery.overdue ? kLullMs : kPauseMs, nullptr);
    if (!recovery.steadyArmed) {
        SetTimer(app.mainWindow, TIMER_RECOVERY_STEADY, kSteadyMs, nullptr);
        recovery.steadyArmed = true;
    }
}

void OnRecoveryTimer(HWND window, UINT_PTR timerId) {
    if (timerId == TIMER_RECOVERY_PAUSE) {
        KillTimer(window, TIMER_RECOVERY_PAUSE);
        KillTimer(window, TIMER_RECOVERY_STEADY);
        recovery.steadyArmed = false;
        StartWrite();
    } else if (timerId == TIMER_RECOVERY_STEADY) {
        KillTimer(window, TIMER_RECOVERY_STEADY);
        recovery.steadyArmed = false;
        // A second period of changes without a lull writes the copy anyway:
        // unsaved text is never more than two periods old.
        if (recovery.pending && recovery.overdue)
            StartWrite();
        else if (recovery.pending) {
            recovery.overdue = true;
            SetTimer(window, TIMER_RECOVERY_PAUSE, kLullMs, nullptr);
        }
    }
}

bool WriteRecoveryCopyNow() {
    FinishWrite();
    return StartWrite() && FinishWrite();
}

void RemoveRecoveryCopy() {
    KillRecoveryTimers();
    recovery.pending = false;
    FinishWrite();
    if (recovery.copy[0] != 0)
        DeleteFileA(recovery.copy);
}

void EndRecovery() {
    RemoveRecoveryCopy();
    if (recovery.lock != nullptr)
        CloseHandle(recovery.lock);
    recovery.lock = nullptr;
    recovery.copy[0] = 0;
}

std::string OwnRecoveryCopy() {
    if (recovery.copy[0] == 0 || GetFileAttributesA(recovery.copy) == INVALID_FILE_ATTRIBUTES)
        return std::string();
    return recovery.copy;
}

bool ReadRecoveryCopy(const char* path, RecoveryHeader& header, std::string& text) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) != 0 && size.QuadPart < kLargestCopy;
    std::string bytes;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes.empty() ||
             (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) != 0 &&
              got == bytes.size());
    }
    CloseHandle(file);
    std::size_t end = ok ? bytes.find("\r\n\r\n") : std::string::npos;
    std::size_t textSize = 0;
    if (end == std::string::npos || !ParseHeader(bytes.substr(0, end + 2), header, textSize) ||
        bytes.size() - (end + 4) != textSize || (!header.richText && textSize % 2 != 0))
        return false;
    text = bytes.substr(end + 4);
    return true;
}

bool RecoverFromCopy(const char* path) {
    RecoveryHeader h;
    std::string text;
    if (!ReadRecoveryCopy(path, h, text))
        return false;
    StopFileMonitor();
    doc.openingFile = 1;
    doc.hasFileName = h.fileName[0] != 0 ? 1 : 0;
    if (doc.hasFileName) {
        TextCopy(h.fileName, doc.fileName);
        FormatChoice choice = ChooseFormatForFile(settings, doc.fileName);
        app.wordWrap = choice.wordWrap;
        settings.CurrentFontGroup = choice.fontGroup;
    }
    doc.richText = h.richText;
    doc.unicodeText = h.unicodeText;
    doc.utf8Text = h.utf8Text;
    doc.utf8Mark = h.utf8Mark;
    doc.lineBreaks = h.lineBreaks;
    // A document that lacks part of its file stays guarded: the save still
    // refuses to write it over that file.
    doc.partialLoaded = h.partialLoaded;
    doc.binaryContent = h.binaryContent;
    doc.readOnly = h.readOnly || DocumentLacksItsFile() ? 1 : 0;

    DropUndoEditor();
    if (app.editorWindow != nullptr) {
        DestroyWindow(app.editorWindow);
        app.editorWindow = nullptr;
    }
    CreateEditor(app.mainWindow);
    RelayoutMainWindow();
    ApplyFontGroup();
    MemoryStream stream = {text.data(), text.size(), 0, !doc.richText};
    EDITSTREAM request = {reinterpret_cast<DWORD_PTR>(&stream), 0, StreamFromMemory};
    SendMessageA(app.editorWindow, EM_STREAMIN, doc.richText ? SF_RTF : SF_TEXT | SF_UNICODE,
                 reinterpret_cast<LPARAM>(&request));
    if (doc.richText)
        ApplyFontGroup();
    doc.documentBytes = text.size();
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    if (doc.hasFileName)
        UpdateWindowTitle();
    else
        SetWindowTextA(app.mainWindow, "Untitled");
    CheckToolbarButton(IDM_RICH_TEXT, doc.richText == 1);
    CheckToolbarButton(IDM_WORD_WRAP, app.wordWrap == 1);
    if (doc.hasFileName)
        RestartFileMonitor();
    doc.openingFile = 0;
    TextCopy("Recovered unsaved text of ", doc.statusText);
    TextAppend(doc.statusText, h.time);
    app.modifiedShown = 0;
    ShowStatusText();
    UpdateStatusBar();
    return true;
}

void OfferRecoveryCopies(HWND owner) {
    char pattern[kPathSize];
    if (!MakePath(app.dataFolder, "Recover-*.kvr", pattern))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        char copy[kPathSize];
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            !MakePath(app.dataFolder, found.cFileName, copy) || lstrcmpiA(copy, recovery.copy) == 0)
            continue;
        HANDLE lock = ClaimLock(copy);
        if (lock == nullptr)
            continue; // its owner still runs, or another start-up asks about it
        if (OfferCopy(owner, copy, lock))
            break;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}
