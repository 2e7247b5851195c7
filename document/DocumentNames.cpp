#include "document/DocumentNames.h"

#include "text/TextRoutines.h"

namespace {
constexpr int kNameSize = 600;

// An extension is in a list when the list holds it as a substring; the
// lists are 4-character slots padded with blanks.
bool InList(const char* list, const char* extension) { return TextSearch(1, list, extension) > 0; }
bool SameText(const char* a, const char* b) {
    while (*a != 0 && *a == *b)
        ++a, ++b;
    return *a == *b;
}
} // namespace

void FileNamePart(const char* path, char* out) {
    char copy[kNameSize];
    TextCopyBounded(path, copy, kNameSize);
    uint32_t length = TextLength(copy);
    if (length > 0 && copy[length - 1] == '\\')
        copy[--length] = 0;
    int last = -1;
    for (uint32_t i = 0; i < length; ++i)
        if (copy[i] == '\\')
            last = static_cast<int>(i);
    if (last < 0 || length <= 2 || TextLength(copy + last + 1) <= 1) {
        TextCopyBounded(path, out, kNameSize);
        return;
    }
    TextCopy(copy + last + 1, out);
}

int ExtensionOf(char* name) {
    int after = 0;
    for (int at = TextSearch(1, name, "."); at > 0; at = TextSearch(at + 1, name, "."))
        after = at;
    // A name that is just "." is too short for TextSearch; look for it too.
    if (after == 0 && name[0] == '.' && name[1] == 0)
        after = 1;
    if (after > 0) {
        TextCopy(name + after - 1, name);
        while (TextLength(name) < 3)
            TextAppend(name, " ");
    }
    TextLowerAscii(name);
    return after;
}

int FirstLineName(char* text) {
    uint32_t i = 0;
    while (text[i] != 0 && text[i] != '\r' && text[i] != '\n')
        ++i;
    if (i == 0)
        return 0;
    text[i] = 0;
    return static_cast<int>(i);
}

FormatChoice ChooseFormatForFile(const SettingsRecord& r, const char* fileName) {
    FormatChoice choice = {r.DefaultFontGroup, r.WordWrap, 0};
    if (TextLength(fileName) <= 2)
        return choice;
    char extension[kNameSize];
    TextCopyBounded(fileName, extension, kNameSize);
    ExtensionOf(extension);
    if (InList(r.FontGroup1Extensions, extension) && r.FontGroup1Auto) {
        choice.fontGroup = 0;
        if (r.FontGroup1DeWrap)
            choice.wordWrap = 0;
    } else if (InList(r.FontGroup2Extensions, extension) && r.FontGroup2Auto) {
        choice.fontGroup = 1;
        if (r.FontGroup2DeWrap)
            choice.wordWrap = 0;
    } else if (InList(r.FontGroup3Extensions, extension)) {
        choice.fontGroup = 2;
        if (r.FontGroup3DeWrap)
            choice.wordWrap = 0;
    } else if (SameText(extension, ".rtf")) {
        choice.richText = 1;
    }
    return choice;
}

void FolderOf(char* path) {
    char* last = nullptr;
    for (char* p = path; *p != 0; ++p)
        if (*p == '\\')
            last = p;
    if (last != nullptr)
        last[1] = 0;
}

namespace {
// Appends `text` to `out` when the whole of it fits.
bool AppendWhole(char* out, uint32_t size, const char* text) {
    uint32_t have = TextLength(out);
    uint32_t add = TextLength(text);
    if (have + add + 1 > size)
        return false;
    TextCopy(text, out + have);
    return true;
}
} // namespace

bool BackupFileName(int mode, const char* fileName, int hasFileName, const char* dataFolder,
                    const char* autosaveFolder, char* out, uint32_t size) {
    if (size == 0)
        return false;
    out[0] = 0;
    bool fits = false;
    switch (mode) {
    case AutosaveCopy:
        fits = hasFileName != 0 && AppendWhole(out, size, fileName) &&
               AppendWhole(out, size, " Backup");
        break;
    case AutosaveHidden:
        fits = AppendWhole(out, size, dataFolder) && AppendWhole(out, size, "KvAuto.txt");
        break;
    case AutosaveDirectory: {
        // The file's own name, after the last "\" (not the title's rule,
        // which shows a one-letter name with its whole path).
        const char* name = "Untitled";
        if (hasFileName != 0) {
            name = fileName;
            for (const char* p = fileName; *p != 0; ++p)
                if (*p == '\\')
                    name = p + 1;
            if (*name == 0)
                name = "Untitled";
        }
        uint32_t length = TextLength(autosaveFolder);
        fits = AppendWhole(out, size, autosaveFolder) &&
               (length > 0 && autosaveFolder[length - 1] == '\\' ? true
                                                                 : AppendWhole(out, size, "\\")) &&
               AppendWhole(out, size, "backup_") && AppendWhole(out, size, name);
        break;
    }
    default:
        break;
    }
    if (!fits)
        out[0] = 0;
    return fits;
}

uint32_t AutosavePeriodMs(int32_t minutes) {
    // A value from a damaged settings file is held to the longest period
    // a timer takes (about 24 days) instead of wrapping round.
    constexpr int32_t kLongest = 0x7FFFFFFF / 60000;
    if (minutes < 1)
        minutes = 1;
    if (minutes > kLongest)
        minutes = kLongest;
    return static_cast<uint32_t>(minutes) * 60000u;
}
