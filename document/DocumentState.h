// The one open document's fields. The text itself lives only in the editor
// control.
#pragma once

#include <windows.h>

struct DocumentState {
    char fileName[600];
    int hasFileName;
    int richText;
    int unicodeText;
    int readOnly;
    int partialLoaded;
    DWORD documentBytes;
    int quietTransfer;
    int openingFile;
    FILETIME fileWriteTime;
    int saveElsewhere;
    char statusText[100];
};

extern DocumentState doc;
