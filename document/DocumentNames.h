// Names of documents: the title's name part, the extension used to pick a
// font group, and the first-line name proposed for a new file.
#pragma once

#include "settings/SettingsRecord.h"

// The name part of a path into `out` (both 600 bytes): the text after the
// last "\" when that is longer than one character, else the whole path.
void FileNamePart(const char* path, char* out);
// Rewrites `name` to its lower-cased extension from the last ".", padded
// with blanks to at least 3 characters; a name without a dot stays whole,
// lower-cased. Returns the position after the last "." (0 when none).
int ExtensionOf(char* name);
// Cuts `text` at its first line break and returns the characters kept; a
// text that begins with a line break is left as it was and 0 returned.
int FirstLineName(char* text);

struct FormatChoice {
    int fontGroup; // 0 One, 1 Two, 2 Three
    int wordWrap;
    int richText;
};

// The font group, word wrap and Rich Text choice for opening `fileName`.
FormatChoice ChooseFormatForFile(const SettingsRecord& record, const char* fileName);
