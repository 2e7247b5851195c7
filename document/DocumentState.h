// The one open document's fields. The text itself lives only in the editor
// control.
#pragma once

#include <windows.h>

#include <cstdint>

struct DocumentState {
    char fileName[600];
    int hasFileName;
    int richText;
    int unicodeText;
    int readOnly;
    int partialLoaded;
    // 64-bit so that files of 2 GB and more are sized, not failed.
    uint64_t documentBytes;
    int quietTransfer;
    int openingFile;
    FILETIME fileWriteTime;
    int saveElsewhere;
    char statusText[100];
    // The line-break style of the loaded plain text (LineBreakStyle), written
    // back by every save; -1 until a break has been seen.
    int lineBreaks;
    // The file is UTF-8: it began with the UTF-8 mark (`utf8Mark`), or it
    // is valid UTF-8 with characters beyond ASCII. Saves write UTF-8 again,
    // with the mark only where the file had it.
    int utf8Text;
    int utf8Mark;
    // The file held NUL characters, shown as stand-ins: written over its
    // file the document would change those bytes, so it is read-only and is
    // saved under another name only.
    int binaryContent;
    volatile LONG loadCancelled;
    DWORD loadStartTick;
};

extern DocumentState doc;

// The editor does not hold its file's whole content: only the start was
// loaded (above the partial-load threshold, or a load that was cancelled or
// stopped early), or the file's NUL bytes show as stand-ins. Such a
// document is never written over its own file; the editor's rebuilds and
// the Rich Text switch carry the state on, and only a new load, New, or a
// save that gives the document another name of its own ends it.
inline bool DocumentLacksItsFile() { return doc.partialLoaded != 0 || doc.binaryContent != 0; }
