#include "document/Save.h"

#include "app/AppState.h"
#include "app/Editor.h"
#include "document/DocumentNames.h"
#include "document/DocumentState.h"
#include "document/LineBreaks.h"
#include "document/Lifecycle.h"
#include "document/Load.h"
#include "document/Monitor.h"
#include "document/Notify.h"
#include "document/Recovery.h"
#include "document/Utf8.h"
#include "settings/SettingsRecord.h"
#include "text/TextRoutines.h"

#include <commdlg.h>
#include <richedit.h>

namespace {

struct SaveStream {
    HANDLE file;
    bool failed;
    LineBreakWriter* breaks; // null: the control's CR LF are written as they are
    Utf8Writer* utf8;        // null: the control's bytes are the file's
    std::string converted;
    std::string encoded;
    // 8-bit Rich Text: the control ends its stream with a NUL byte after the
    // closing brace. NUL bytes are held back here and written only when
    // more bytes follow, so the ones at the very end are dropped and the
    // file ends with the brace; any inside the text are kept as they came.
    bool dropTrailingNuls;
    DWORD heldNuls;
};

// A new, empty file beside `path` whose name `temporary` receives.
HANDLE CreateTemporaryBeside(const char* path, char* temporary) {
    char folder[kPathSize];
    TextCopyBounded(path, folder, kPathSize);
    char* last = nullptr;
    for (char* p = folder; *p != 0; ++p)
        if (*p == '\\' || *p == '/')
            last = p;
    if (last != nullptr)
        last[1] = 0;
    else
        TextCopy(".\\", folder);
    if (GetTempFileNameA(folder, "kv", 0, temporary) == 0)
        return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        DeleteFileA(temporary);
    return file;
}

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    DWORD done = 0;
    return WriteFile(file, data, size, &done, nullptr) != 0 && done == size;
}

bool WriteRichText(SaveStream* s, const BYTE* data, DWORD size) {
    DWORD end = size;
    while (end > 0 && data[end - 1] == 0)
        --end;
    if (end > 0) {
        static const BYTE kZeros[64] = {};
        for (; s->heldNuls > 0;) {
            DWORD n = s->heldNuls < sizeof kZeros ? s->heldNuls : sizeof kZeros;
            if (!WriteAll(s->file, kZeros, n))
                return false;
            s->heldNuls -= n;
        }
    }
    s->heldNuls += size - end;
    return end == 0 || WriteAll(s->file, data, end);
}

// Two paths name the same file: the same full path, or the same file on
// the same volume (another spelling, a short name, a link).
bool SameFile(const char* a, const char* b) {
    char fullA[kPathSize], fullB[kPathSize];
    DWORD n = GetFullPathNameA(a, kPathSize, fullA, nullptr);
    DWORD m = GetFullPathNameA(b, kPathSize, fullB, nullptr);
    if (n == 0 || n >= kPathSize || m == 0 || m >= kPathSize) {
        if (lstrcmpiA(a, b) == 0)
            return true;
    } else if (lstrcmpiA(fullA, fullB) == 0) {
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info[2];
    const char* paths[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
        HANDLE file =
            CreateFileA(paths[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        BOOL known = GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
        if (!known)
            return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// A document that lacks part of its file is never written over that file,
// whichever way the save comes.
bool RefuseOverItsFile(const char* path) {
    if (!DocumentLacksItsFile() || !SameFile(path, doc.fileName))
        return false;
    TextCopy(doc.binaryContent ? "Binary content: save it under another name"
                               : "Partly loaded: save it under another name",
             doc.statusText);
    SetStatusPart(3, doc.statusText);
    return true;
}

// Flushes and closes the temporary file and puts it in place of `path`,
// giving it the old file's attributes; on any failure the temporary file
// goes and the old file stays as it was.
bool FinishReplacing(HANDLE file, const char* temporary, const char* path, bool ok) {
    ok = ok && FlushFileBuffers(file) != 0;
    ok = CloseHandle(file) != 0 && ok;
    DWORD attributes = GetFileAttributesA(path);
    if (ok && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY)) != 0)
        ok = false;
    ok =
        ok && MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) {
        DeleteFileA(temporary);
        return false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && attributes != FILE_ATTRIBUTE_NORMAL &&
        attributes != FILE_ATTRIBUTE_ARCHIVE)
        SetFileAttributesA(path, attributes);
    return true;
}

bool AskOverrideReadOnly(HWND owner) {
    ShowNotification(owner, 1, "File is Read Only", "OverRide ReadOnly", "Abort Close", nullptr, 0,
                     reinterpret_cast<LPARAM>(appRecord),
                     appRecord != nullptr ? appRecord->instance : nullptr);
    return LastNotifyAnswer() == AnswerFirst;
}

void ReportSaved(HWND editor, const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        ReportFileError(0);
        return;
    }
    doc.documentBytes = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    doc.fileWriteTime = data.ftLastWriteTime;
    char number[24];
    UInt64ToDecimal(doc.documentBytes, number);
    TextCopy("Saved at ", doc.statusText);
    TextAppend(doc.statusText, number);
    TextAppend(doc.statusText, " bytes");
    AppendFileFlags(doc.statusText);
    SendMessageA(editor, EM_SETMODIFY, FALSE, 0);
    app.modifiedShown = 0;
    RemoveRecoveryCopy(); // the file holds the text now
    UpdateStatusBar();
}

// The first line of the text (at most 50 characters) as the proposed name
// of a new file, or "Untitled".
void GuessName(char* name) {
    HWND e = app.editorWindow;
    CHARRANGE saved = {0, 0};
    SendMessageA(e, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    CHARRANGE all = {0, -1};
    SendMessageA(e, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    SendMessageA(e, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&all));
    LONG n = all.cpMax - all.cpMin;
    if (n < 2) {
        TextCopy("Untitled", name);
    } else {
        CHARRANGE first = {0, n < 50 ? n : 50};
        SendMessageA(e, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&first));
        char text[128] = {0};
        SendMessageA(e, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text));
        text[100] = 0;
        FirstLineName(text);
        TextCopy(text, name);
    }
    SendMessageA(e, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
}

} // namespace

DWORD CALLBACK StreamOutChunk(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* written) {
    SaveStream* s = reinterpret_cast<SaveStream*>(cookie);
    const void* data = buffer;
    DWORD size = static_cast<DWORD>(count);
    if (s->breaks != nullptr) {
        s->converted.clear();
        s->breaks->Feed(buffer, static_cast<std::size_t>(count), s->converted);
        data = s->converted.data();
        size = static_cast<DWORD>(s->converted.size());
    }
    if (s->utf8 != nullptr) {
        s->encoded.clear();
        s->utf8->Feed(static_cast<const uint8_t*>(data), size, s->encoded);
        data = s->encoded.data();
        size = static_cast<DWORD>(s->encoded.size());
    }
    if (s->dropTrailingNuls ? !WriteRichText(s, static_cast<const BYTE*>(data), size)
                            : !WriteAll(s->file, data, size)) {
        s->failed = true;
        *written = 0;
        return 1; // stops the stream; the save reports the failure
    }
    *written = count;
    return 0;
}

bool WriteFileReplacing(const char* path, const void* data, DWORD size) {
    char temporary[MAX_PATH + 16];
    HANDLE file = CreateTemporaryBeside(path, temporary);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    return FinishReplacing(file, temporary, path, WriteAll(file, data, size));
}

int SaveDocumentFile(HWND editor, const char* path) {
    if (RefuseOverItsFile(path))
        return 1;
    // The watch is held off while the program writes, so its own save is
    // never reported as an outside change: the thread has ended before the
    // file is opened for writing.
    const int monitor = settings.MonitorFile;
    settings.MonitorFile = 0;
    StopFileMonitor();
    const bool quiet = doc.quietTransfer != 0;
    int result = 1;

    DWORD attributes = GetFileAttributesA(path);
    bool overridden = false;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (!AskOverrideReadOnly(editor)) {
            settings.MonitorFile = monitor;
            ResumeFileMonitor();
            return 1;
        }
        overridden = true;
    }

    char temporary[MAX_PATH + 16];
    HANDLE file = CreateTemporaryBeside(path, temporary);
    bool ok = file != INVALID_HANDLE_VALUE;
    if (ok) {
        static const BYTE kUnicodeMark[2] = {0xFF, 0xFE};
        static const BYTE kUtf8Mark[3] = {0xEF, 0xBB, 0xBF};
        // Rich Text is 8-bit whatever the document's file was: it writes
        // other characters as escapes of its own.
        const bool utf16 = doc.unicodeText && !doc.richText;
        const bool utf8 = doc.utf8Text && !doc.richText && !doc.unicodeText;
        const bool wide = utf16 || utf8;
        UINT format = doc.richText ? SF_RTF : SF_TEXT;
        if (wide)
            format |= SF_UNICODE;
        if (utf16)
            ok = WriteAll(file, kUnicodeMark, 2);
        else if (utf8 && doc.utf8Mark)
            ok = WriteAll(file, kUtf8Mark, 3);
        LineBreakWriter breaks(static_cast<LineBreakStyle>(doc.lineBreaks), wide);
        Utf8Writer encoder;
        bool convert = !doc.richText && (doc.lineBreaks == BreaksLf || doc.lineBreaks == BreaksCr);
        SaveStream stream = {
            file,          false,         convert ? &breaks : nullptr, utf8 ? &encoder : nullptr,
            std::string(), std::string(), doc.richText != 0,           0};
        EDITSTREAM request = {reinterpret_cast<DWORD_PTR>(&stream), 0, StreamOutChunk};
        if (ok)
            SendMessageA(editor, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&request));
        ok = ok && !stream.failed && request.dwError == 0;
        if (ok) {
            std::string tail, encodedTail;
            if (convert)
                breaks.Finish(tail);
            if (utf8) {
                encoder.Feed(reinterpret_cast<const uint8_t*>(tail.data()), tail.size(),
                             encodedTail);
                encoder.Finish(encodedTail);
                tail.swap(encodedTail);
            }
            ok = tail.empty() || WriteAll(file, tail.data(), static_cast<DWORD>(tail.size()));
        }
        // A read-only file overridden by the user is replaced and then gets
        // its attributes back.
        if (overridden)
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        ok = FinishReplacing(file, temporary, path, ok);
        if (overridden)
            SetFileAttributesA(path, attributes);
    }

    if (!ok) {
        // A quiet save (an autosave copy, the editor's rebuild) stays quiet
        // only when it worked: a failure is always reported.
        ReportFileError(0);
        ShowStatusText();
    } else {
        result = 0;
        if (!quiet) {
            ReportSaved(editor, path);
            SetStatusPart(3, doc.statusText);
        }
    }
    settings.MonitorFile = monitor;
    // A save of the document itself is no outside change; a copy written
    // elsewhere leaves the watch where it was.
    if (lstrcmpiA(path, doc.fileName) == 0)
        RestartFileMonitor();
    else
        ResumeFileMonitor();
    return result;
}

int ChooseFileName(HWND owner, char* name, int kind, int filterIndex) {
    static OPENFILENAMEA request;
    static const char kFilters[] = "Text Files\0*.txt\0Rich Text Files\0*.rtf\0Help Files\0*."
                                   "hlp\0Executable Files\0*.exe\0All Files\0*.*\0";
    request = {};
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = owner;
    request.hInstance = appRecord != nullptr ? appRecord->instance : nullptr;
    request.lpstrFilter = kFilters;
    request.nFilterIndex = static_cast<DWORD>(filterIndex);
    request.lpstrFile = name;
    request.nMaxFile = kPathSize;
    request.lpstrInitialDir = settings.DefaultDirectory;
    request.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
    if (kind != 1)
        request.Flags |= OFN_FILEMUSTEXIST;
    request.lpstrDefExt = settings.DefaultExtension ? (doc.richText ? "rtf" : "txt") : nullptr;
    BOOL confirmed;
    if (kind == 0) {
        TextCopy("Untitled", name);
        confirmed = GetOpenFileNameA(&request);
    } else if (kind == 1) {
        confirmed = GetSaveFileNameA(&request);
    } else {
        confirmed = GetOpenFileNameA(&request);
    }
    // A document that lacks part of its file stays read-only, whatever the
    // dialog's read-only box said.
    if (kind == 0 || kind == 1)
        doc.readOnly = (request.Flags & OFN_READONLY) != 0 || DocumentLacksItsFile() ? 1 : 0;
    return confirmed ? 1 : 0;
}

int SaveDocument() {
    int result;
    // A partly loaded document holds only the start of its file: written
    // over that file it would cut the rest off. One showing binary content
    // holds stand-ins for the file's NUL bytes. Either is saved under
    // another name only (SaveDocumentFile refuses its own), which it then
    // takes as a whole document of its own.
    const bool partial = DocumentLacksItsFile() && doc.hasFileName;
    if (doc.hasFileName && !doc.saveElsewhere && !partial) {
        result = SaveDocumentFile(app.editorWindow, doc.fileName);
    } else {
        char name[kPathSize];
        if (doc.hasFileName)
            TextCopy(doc.fileName, name);
        else if (settings.GuessFileName)
            GuessName(name);
        else
            TextCopy("Untitled", name);
        if (ChooseFileName(app.mainWindow, name, 1, doc.richText ? 2 : 1) == 1) {
            const bool ownFile = partial && SameFile(name, doc.fileName);
            result = SaveDocumentFile(app.editorWindow, name);
            // The part saved elsewhere becomes a whole document of its own;
            // a refused or failed save leaves the document as it was.
            if (!doc.saveElsewhere && !ownFile && (!partial || result == 0)) {
                TextCopy(name, doc.fileName);
                doc.hasFileName = 1;
                if (partial) {
                    doc.partialLoaded = 0;
                    doc.binaryContent = 0;
                    doc.readOnly = 0; // the file it now names holds all of it
                }
                UpdateWindowTitle();
            }
        } else {
            result = 1;
        }
    }
    doc.saveElsewhere = 0;
    return result;
}
