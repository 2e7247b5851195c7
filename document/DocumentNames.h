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

// Cuts `path` after its last "\", keeping the "\"; a path without one is
// left as it is.
void FolderOf(char* path);

// The autosave modes.
enum AutosaveMode {
    AutosaveOriginal = 0,
    AutosaveCopy,
    AutosaveHidden,
    AutosaveRemind,
    AutosaveDirectory
};

// The file an autosave copy goes to in the copy modes (Copy, Hidden,
// Directory), written into `out` of `size` bytes. False for the other modes
// and for a name that would not fit: a copy is never written to a cut name.
bool BackupFileName(int mode, const char* fileName, int hasFileName, const char* dataFolder,
                    const char* autosaveFolder, char* out, uint32_t size);

// The autosave timer's period: whole minutes, one at the least.
uint32_t AutosavePeriodMs(int32_t minutes);
