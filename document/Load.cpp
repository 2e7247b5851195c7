#include "document/Load.h"

#include "app/AppState.h"
#include "app/Editor.h"
#include "app/Startup.h"
#include "document/DocumentState.h"
#include "document/LineBreaks.h"
#include "document/MemoryBudget.h"
#include "document/MemoryGuard.h"
#include "document/Notify.h"
#include "document/Save.h"
#include "document/Utf8.h"
#include "resource.h"
#include "settings/SettingsRecord.h"
#include "text/TextRoutines.h"
#include "tools/Tools.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <string>

namespace {

constexpr DWORD kProgressAfterMs = 5000;

struct LoadStream {
    LoadStream(bool wraps, bool wide) : cost(wraps, wide) {}
    HANDLE file = INVALID_HANDLE_VALUE;
    bool unicode = false; // the control is given UTF-16
    bool plain = false;   // not Rich Text: NUL characters are replaced
    uint16_t standIn = 0;
    uint64_t threshold = 0;
    bool atEnd = false;
    BYTE held[2] = {0, 0};
    LONG heldCount = 0;
    // Only the start of the file is read (up to `threshold`).
    bool partial = false;
    // The editor's own text coming back (a rebuild, the Rich Text switch):
    // taken whole, never cut, never offered for cancelling, and its
    // characters are not turned into stand-ins.
    bool quiet = false;
    // What the control will need for the text taken so far, against the
    // address space free when the stream began.
    TextCostMeter cost;
    uint64_t available = 0;
    uint64_t taken = 0; // bytes handed to the control
    // A UTF-8 file is read here and handed over as UTF-16; otherwise null.
    Utf8Reader* utf8 = nullptr;
    std::string decoded;
    std::string raw;
    std::size_t decodedAt = 0; // `decoded` up to here is handed over
    bool fileDone = false;
    uint64_t fileRead = 0;  // bytes of the file read so far
    uint64_t fileTaken = 0; // bytes of the file whose text the control holds
};

// The last stream stopped because the rest would not fit in memory.
bool stoppedForMemory = false;

// UTF-8 read from the file as UTF-16, at most `want` bytes of it. Each
// byte read gives at most two bytes of UTF-16, and a sequence held from the
// last read at most six more, so with the control's usual requests what is
// read is handed over whole; a small request gets the rest next time.
// Partial loading reads up to `threshold` bytes of the file; a character
// cut there is left out.
LONG ReadDecoded(LoadStream* s, LPBYTE buffer, LONG want) {
    std::string& out = s->decoded;
    out.erase(0, s->decodedAt);
    s->decodedAt = 0;
    while (out.empty() && !s->fileDone) {
        uint64_t room = want >= 16 ? static_cast<uint64_t>(want - 8) / 2 : 1;
        if (s->partial)
            room = std::min(room, s->threshold - std::min(s->threshold, s->fileRead));
        s->raw.resize(static_cast<std::size_t>(room));
        DWORD read = 0;
        if (room == 0 || !ReadFile(s->file, &s->raw[0], static_cast<DWORD>(room), &read, nullptr) ||
            read == 0) {
            s->fileDone = true;
            if (!s->partial)
                s->utf8->Finish(&out);
        } else {
            s->fileRead += read;
            s->utf8->Feed(reinterpret_cast<const uint8_t*>(s->raw.data()), read, &out);
        }
    }
    s->decodedAt = std::min(out.size(), static_cast<std::size_t>(want) & ~std::size_t{1});
    CopyMemory(buffer, out.data(), s->decodedAt);
    s->atEnd = s->fileDone && s->decodedAt == out.size();
    return static_cast<LONG>(s->decodedAt);
}

// Bytes of the file the text still waiting in the stream came from: UTF-16
// `units` not yet handed over, as UTF-8.
uint64_t Utf8Length(const BYTE* units, std::size_t size) {
    uint64_t length = 0;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        unsigned u = units[i] | (units[i + 1] << 8);
        length += u < 0x80 ? 1 : u < 0x800 ? 2 : (u & 0xFC00) == 0xDC00 ? 1 : 3; // a pair: 3 + 1
    }
    return length;
}

// Fills `buffer` with up to `want` bytes: bytes held back last time first,
// then the file.
LONG ReadInto(LoadStream* s, LPBYTE buffer, LONG want) {
    LONG n = 0;
    for (; n < s->heldCount && n < want; ++n)
        buffer[n] = s->held[n];
    s->heldCount = 0;
    if (s->utf8 != nullptr)
        return n + ReadDecoded(s, buffer + n, want - n);
    while (n < want && !s->atEnd) {
        DWORD read = 0;
        if (!ReadFile(s->file, buffer + n, static_cast<DWORD>(want - n), &read, nullptr) ||
            read == 0)
            s->atEnd = true;
        n += static_cast<LONG>(read);
    }
    return n;
}

// The control turns a CR at the end of one request and the LF at the start
// of the next into two line breaks, so a trailing CR (one byte, or one
// UTF-16 unit) waits for the next request; UTF-16 is also handed over in
// whole units. At the end of the file an odd last byte cannot be a
// character and is dropped.
LONG HoldBack(LoadStream* s, LPBYTE buffer, LONG n) {
    if (s->unicode && (n % 2) != 0) {
        if (s->atEnd)
            return n - 1;
        s->held[s->heldCount++] = buffer[--n];
    }
    if (s->atEnd || s->heldCount > 0)
        return n;
    LONG unit = s->unicode ? 2 : 1;
    if (n > unit && buffer[n - unit] == '\r' && (unit == 1 || buffer[n - 1] == 0)) {
        for (LONG i = 0; i < unit; ++i)
            s->held[i] = buffer[n - unit + i];
        s->heldCount = unit;
        n -= unit;
    }
    return n;
}

// The first line break of a plain text decides the style its saves write.
// The control cannot hold a NUL character (and slows to a crawl on them),
// so each becomes a visible stand-in and the document is marked binary;
// from then on the other control characters get the stand-in too.
void NoteLineBreaks(LoadStream* s, BYTE* buffer, LONG n) {
    if (doc.lineBreaks < 0 && !doc.richText)
        doc.lineBreaks = DetectLineBreaks(buffer, static_cast<std::size_t>(n), s->unicode);
    if (!s->plain)
        return;
    std::size_t size = static_cast<std::size_t>(n);
    // The editor's own text never holds a NUL; should one come, only it is
    // replaced: control characters the user typed stay as they are.
    bool binary = doc.binaryContent != 0 && !s->quiet;
    if (ReplaceNulCharacters(buffer, size, s->unicode, s->standIn, binary) != 0 && !binary &&
        !s->quiet) {
        // The first NUL: from here on the text is shown as binary content.
        doc.binaryContent = 1;
        ReplaceNulCharacters(buffer, size, s->unicode, s->standIn, true);
    }
}

// A middle dot where the ANSI code page has one at 0xB7 (all the Windows
// 125x pages), otherwise a full stop.
uint16_t NulStandIn(bool unicode) {
    if (unicode)
        return 0x00B7;
    UINT page = GetACP();
    return page >= 1250 && page <= 1258 ? 0xB7 : '.';
}

void StartProgressQuestion() {
    notify.timeoutSeconds = 1;
    notify.answer = 0;
    notify.caption1 = "File is large and might take some time to load.";
    HANDLE thread = CreateThread(nullptr, 0, ShowNotificationThread,
                                 reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(12)), 0, nullptr);
    if (thread != nullptr)
        CloseHandle(thread);
    doc.loadStartTick = 0;
}

// What the bytes 0x80 to 0xFF show as in the ANSI code page: a UTF-8 file
// with a stray byte shows that byte as 8-bit text would.
const uint16_t* AnsiCharacters() {
    static uint16_t table[128];
    if (table[0] == 0)
        for (int b = 0x80; b <= 0xFF; ++b) {
            char c = static_cast<char>(b);
            WCHAR w = 0;
            table[b - 0x80] = MultiByteToWideChar(CP_ACP, 0, &c, 1, &w, 1) == 1 && w != 0
                                  ? static_cast<uint16_t>(w)
                                  : static_cast<uint16_t>(b);
        }
    return table;
}

// A file without a mark is read as UTF-8 when its bytes are valid UTF-8
// with at least one character beyond ASCII: all of them when it is loaded
// whole, the `limit` bytes that will be read when only its start is. Pure
// ASCII and anything else stay 8-bit text. The file is read from its start;
// the file pointer is left there.
bool ReadsAsUtf8(HANDLE file, uint64_t limit, bool whole) {
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    Utf8Reader check;
    std::string chunk(1 << 16, '\0');
    uint64_t left = limit;
    while (left > 0 && check.Valid()) {
        DWORD read = 0;
        DWORD want = static_cast<DWORD>(std::min<uint64_t>(chunk.size(), left));
        if (!ReadFile(file, &chunk[0], want, &read, nullptr) || read == 0)
            break;
        check.Feed(reinterpret_cast<const uint8_t*>(chunk.data()), read, nullptr);
        left -= read;
    }
    if (whole)
        check.Finish(nullptr);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    return check.Valid() && check.MultiByte();
}

bool OpenForLoading(const char* path, HANDLE* file) {
    *file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return *file != INVALID_HANDLE_VALUE;
}

// The large-file decision: 1 partial, 2 whole.
int DecideLargeFile(uint64_t size, uint64_t threshold) {
    if (size <= threshold || settings.PartialLoadMode == 0)
        return 2;
    if (doc.quietTransfer)
        return 2;
    if (settings.PartialLoadMode == 2)
        return 1;
    ShowNotification(app.mainWindow, 0, "File is large and might take some time to load.",
                     "Partial Load only the start", "Load normally", nullptr, settings.NotifySound,
                     reinterpret_cast<LPARAM>(appRecord),
                     appRecord != nullptr ? appRecord->instance : nullptr);
    return LastNotifyAnswer();
}

void ComposeLoadStatus(uint64_t size) {
    char number[24];
    if (doc.loadCancelled) {
        TextCopy("Loading Cancelled", doc.statusText);
        return;
    }
    if (doc.partialLoaded) {
        TextCopy("Partially Opened at ", doc.statusText);
        UInt64ToDecimal(doc.documentBytes, number);
        TextAppend(doc.statusText, number);
        TextAppend(doc.statusText, " bytes of ");
    } else {
        doc.documentBytes = size;
        TextCopy("Opened at ", doc.statusText);
    }
    UInt64ToDecimal(size, number);
    TextAppend(doc.statusText, number);
    TextAppend(doc.statusText, " bytes");
    if (doc.partialLoaded && stoppedForMemory)
        TextAppend(doc.statusText, ", not enough memory for the rest");
}

// The control takes the bytes quickly and lays the text out once it has
// them all, so the cost of each piece is counted before the piece is handed
// over: the stream stops while the text taken still fits, leaving a partly
// loaded document that is never written over its file.
bool HandOver(LoadStream* s, LPBYTE buffer, LONG* got) {
    TextCostMeter next = s->cost;
    next.Feed(buffer, static_cast<std::size_t>(*got));
    if (!CostFits(next.Cost(), s->available)) {
        stoppedForMemory = true;
        doc.partialLoaded = 1;
        doc.readOnly = 1;
        doc.documentBytes = s->fileTaken;
        *got = 0;
        return false;
    }
    s->cost = next;
    s->taken += static_cast<uint64_t>(*got);
    if (s->utf8 == nullptr)
        s->fileTaken = s->taken;
    else
        s->fileTaken = s->fileRead - s->utf8->Pending() -
                       Utf8Length(s->held, static_cast<std::size_t>(s->heldCount)) -
                       Utf8Length(reinterpret_cast<const BYTE*>(s->decoded.data()) + s->decodedAt,
                                  s->decoded.size() - s->decodedAt);
    if (s->utf8 != nullptr && s->partial)
        doc.documentBytes = s->fileTaken;
    NoteLineBreaks(s, buffer, *got);
    return true;
}

// Streams the file into the editor. A long load shows what it is doing
// before it starts: the control may spend many seconds laying the text out
// after the last request, where the progress question cannot come.
void StreamFile(HWND editor, UINT format, LoadStream* stream, uint64_t size, bool quiet) {
    stoppedForMemory = false;
    if (!quiet) {
        char number[24];
        UInt64ToDecimal(size, number);
        TextCopy("Loading ", doc.statusText);
        TextAppend(doc.statusText, number);
        TextAppend(doc.statusText, " bytes...");
        SetStatusPart(3, doc.statusText);
        if (app.statusBar != nullptr)
            UpdateWindow(app.statusBar);
    }
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    stream->available = AvailableAddressSpace();
    EDITSTREAM request = {reinterpret_cast<DWORD_PTR>(stream), 0, StreamInChunk};
    SendMessageA(editor, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&request));
    SetCursor(previous);
}

} // namespace

DWORD CALLBACK StreamInChunk(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    LoadStream* s = reinterpret_cast<LoadStream*>(cookie);
    *got = 0;
    if (s->quiet) {
        // No question: cancelling would cut the user's text.
    } else if (doc.loadStartTick != 0 && GetTickCount() - doc.loadStartTick > kProgressAfterMs) {
        StartProgressQuestion();
    } else if (doc.loadStartTick == 0 && notify.answer == 1) {
        doc.loadCancelled = 1;
        return 1;
    }

    LONG want = wanted;
    if (s->partial && s->utf8 == nullptr) {
        if (doc.documentBytes + static_cast<uint64_t>(wanted) > s->threshold) {
            if (doc.documentBytes != 0)
                return 1;
            want = static_cast<LONG>(s->threshold < static_cast<uint64_t>(wanted) ? s->threshold
                                                                                  : wanted);
            LONG n = ReadInto(s, buffer, want);
            doc.documentBytes = static_cast<uint64_t>(n);
            *got = HoldBack(s, buffer, n);
            return HandOver(s, buffer, got) ? 0 : 1;
        }
        doc.documentBytes += static_cast<uint64_t>(wanted);
    }
    *got = HoldBack(s, buffer, ReadInto(s, buffer, want));
    return HandOver(s, buffer, got) ? 0 : 1;
}

int FileIsReadable(const char* path) {
    HANDLE file =
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(file);
    return 1;
}

namespace {

void AppendBounded(char* text, const char* flag) {
    if (TextLength(text) + TextLength(flag) < sizeof doc.statusText)
        TextAppend(text, flag);
}

} // namespace

void AppendFileFlags(char* text) {
    if (doc.unicodeText)
        AppendBounded(text, ", Unicode");
    else if (doc.utf8Text)
        AppendBounded(text, ", UTF-8");
    if (doc.binaryContent)
        AppendBounded(text, ", binary content shown, read only");
    else if (doc.readOnly)
        AppendBounded(text, ", File is Read Only");
}

void ReportFileError(int isOpen) {
    TextCopy(isOpen ? "Open Error" : "Save Error", doc.statusText);
    if (settings.ShowFileErrors == 0)
        return;
    ShowNotification(app.mainWindow, 0, doc.statusText, "OK", "Open ReadMe", nullptr,
                     settings.NotifySound, reinterpret_cast<LPARAM>(appRecord),
                     appRecord != nullptr ? appRecord->instance : nullptr);
    if (LastNotifyAnswer() == AnswerSecond)
        OpenReadMe();
}

void ShowStatusText() {
    SetStatusPart(3, doc.statusText);
    UpdateStatusBar();
}

// The file is streamed straight into the control in the control's own
// request size; the program keeps no copy of it. A quiet load is the
// editor's own text coming back from the working file: it is taken whole
// and leaves the document's state (partly loaded, binary, read only, its
// size and write time) as it was. A file that is not there
// loads nothing silently (a new file named on the command line is created
// by its first save); one that is there but cannot be read, such as a
// folder or a file locked by another program, reports "Open Error" so an
// empty editor is never mistaken for the file's content.
int LoadDocumentFile(HWND editor, const char* path) {
    const bool quiet = doc.quietTransfer != 0;
    if (!quiet) {
        doc.readOnly = 0;
        doc.partialLoaded = 0;
        doc.binaryContent = 0;
    }
    HANDLE file;
    if (!OpenForLoading(path, &file)) {
        DWORD error = GetLastError();
        if (!quiet && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            ReportFileError(1);
            ShowStatusText();
        }
        return 0;
    }
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        doc.readOnly = 1;
    LARGE_INTEGER fileSize;
    bool sized = GetFileSizeEx(file, &fileSize) != 0;
    uint64_t size = sized ? static_cast<uint64_t>(fileSize.QuadPart) : 0;
    uint64_t threshold = static_cast<uint32_t>(settings.PartialLoadSize);

    if (sized && DecideLargeFile(size, threshold) == 1) {
        doc.partialLoaded = 1;
        doc.readOnly = 1;
    }
    const bool partial = doc.partialLoaded != 0 && !quiet;
    if (partial)
        doc.documentBytes = 0;

    BYTE mark[3] = {0, 0, 0};
    DWORD read = 0;
    ReadFile(file, mark, 3, &read, nullptr);
    const bool unicode = read >= 2 && mark[0] == 0xFF && mark[1] == 0xFE;
    const bool utf8Mark = read == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF;
    // A quiet load takes the editor's own text back from the working file,
    // in whatever form the document has now (Rich Text is always 8-bit): the
    // document keeps the encoding and the line-break style of its file. A
    // UTF-8 file, with its mark or without, is read here and given to the
    // control as UTF-16; the save writes UTF-8 back, the mark only where
    // the file had it.
    if (!quiet) {
        doc.unicodeText = unicode;
        doc.utf8Mark = !doc.richText && utf8Mark;
        doc.utf8Text =
            doc.utf8Mark || (!doc.richText && !unicode &&
                             ReadsAsUtf8(file, partial ? threshold : UINT64_MAX, !partial));
    }
    Utf8Reader reader(AnsiCharacters());
    const bool utf8 = doc.utf8Text && !doc.unicodeText && !doc.richText;
    const bool wide = unicode || utf8;
    const DWORD skip = unicode ? 2 : utf8 && utf8Mark && doc.utf8Mark ? 3 : 0;
    const int lineBreaks = doc.lineBreaks;
    SetFilePointer(file, static_cast<LONG>(skip), nullptr, FILE_BEGIN);

    UINT format = doc.richText ? SF_RTF : SF_TEXT;
    if (wide)
        format |= SF_UNICODE;
    LoadStream stream(EditorWraps(editor), wide);
    stream.file = file;
    stream.unicode = wide;
    stream.plain = doc.richText == 0;
    stream.standIn = NulStandIn(wide);
    stream.threshold = threshold;
    stream.partial = partial;
    stream.quiet = quiet;
    if (utf8) {
        stream.utf8 = &reader;
        stream.fileRead = skip;
    }
    doc.lineBreaks = -1;
    doc.loadCancelled = 0;
    DWORD now = GetTickCount();
    doc.loadStartTick = now != 0 ? now : 1; // 0 means the question has started
    StreamFile(editor, format, &stream, size, quiet);
    // A text without a break shows none to the reload.
    if (quiet && lineBreaks >= 0)
        doc.lineBreaks = lineBreaks;
    doc.loadStartTick = 0;
    notify.timeoutSeconds = 0;

    // A cancelled load holds only the start of the file, like a partial one.
    if (doc.loadCancelled) {
        if (!partial)
            doc.documentBytes = stream.fileTaken;
        doc.partialLoaded = 1;
    }
    if (DocumentLacksItsFile())
        doc.readOnly = 1;
    if (!quiet) {
        if (!sized) {
            ReportFileError(1);
        } else {
            ComposeLoadStatus(size);
            if (!doc.loadCancelled) {
                AppendFileFlags(doc.statusText);
                GetFileTime(file, nullptr, nullptr, &doc.fileWriteTime);
                SendMessageA(editor, EM_SETMODIFY, FALSE, 0);
                app.modifiedShown = 0;
            }
        }
        ShowStatusText();
    }
    CloseHandle(file);
    return 0;
}

// The switch passes the text through the working file in the other
// format. The reload is quiet: the document is still the one of its file,
// partly loaded or binary as before, with the file's size, write time and
// status. What the editor now holds is the control's own rewrite of the
// text in the other format, not the file's bytes, so the document counts
// as changed and the close check asks before it is dropped.
void ToggleRichText() {
    char temporary[kPathSize];
    if (app.editorWindow == nullptr || !MakePath(app.dataFolder, "Tmp", temporary))
        return;
    // The text goes through the working file; if it cannot be written the
    // document stays as it is.
    doc.quietTransfer = 1;
    int failed = SaveDocumentFile(app.editorWindow, temporary);
    doc.quietTransfer = 0;
    if (failed != 0) {
        SendMessageA(app.toolBar, TB_CHECKBUTTON, IDM_RICH_TEXT, MAKELONG(doc.richText == 1, 0));
        return;
    }
    CHARRANGE selection = {0, 0};
    SendMessageA(app.editorWindow, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    bool reload = true;
    if (doc.richText) {
        doc.richText = 0;
    } else {
        CHARRANGE first = {0, 1};
        SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&first));
        char text[8] = {0};
        SendMessageA(app.editorWindow, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text));
        SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        if (text[0] == '{') {
            doc.richText = 1;
        } else {
            ShowNotification(app.mainWindow, 0,
                             "This file does not appear to be a RTF; if it is not you will lose "
                             "all text!",
                             "Convert anyway", "Abort convertion", nullptr, settings.NotifySound,
                             reinterpret_cast<LPARAM>(appRecord),
                             appRecord != nullptr ? appRecord->instance : nullptr);
            if (LastNotifyAnswer() == AnswerFirst)
                doc.richText = 1;
            else
                reload = false;
        }
    }
    if (reload) {
        doc.quietTransfer = 1;
        LoadDocumentFile(app.editorWindow, temporary);
        doc.quietTransfer = 0;
        SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        if (!doc.richText)
            ApplyFontGroup();
        SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
        UpdateStatusBar();
    }
    if (app.toolBar != nullptr)
        SendMessageA(app.toolBar, TB_CHECKBUTTON, IDM_RICH_TEXT, MAKELONG(doc.richText == 1, 0));
}
