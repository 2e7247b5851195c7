#include "document/DocumentNames.h"
#include "settings/SettingsCore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {
std::string NamePart(const char* path) {
    char out[600];
    FileNamePart(path, out);
    return out;
}
std::string Extension(const char* name, int* after = nullptr) {
    char buffer[600];
    std::strcpy(buffer, name);
    int a = ExtensionOf(buffer);
    if (after)
        *after = a;
    return buffer;
}
SettingsRecord Defaults() {
    SettingsRecord r = {};
    RestoreDefaultsInto(r, MachineDefaults());
    return r;
}
} // namespace

TEST(FileNamePart, TitleRules) {
    EXPECT_EQ(NamePart("C:\\docs\\a.txt"), "a.txt");
    EXPECT_EQ(NamePart("C:\\docs\\a"), "C:\\docs\\a"); // one-character name
    EXPECT_EQ(NamePart("C:\\docs\\notes\\"), "notes");
    EXPECT_EQ(NamePart("plain.txt"), "plain.txt");
    EXPECT_EQ(NamePart("C:\\"), "C:\\");
    EXPECT_EQ(NamePart(""), "");
}

TEST(ExtensionOf, LowerCasedPaddedFromTheLastDot) {
    int after = 0;
    EXPECT_EQ(Extension("notes.RTF", &after), ".rtf");
    EXPECT_EQ(after, 6);
    EXPECT_EQ(Extension("a.b.H"), ".h ");
    EXPECT_EQ(Extension("C:\\dir.v2\\README", &after), ".v2\\readme");
    EXPECT_EQ(Extension("NoDot", &after), "nodot");
    EXPECT_EQ(after, 0);
    EXPECT_EQ(Extension("x."), ".  ");
}

TEST(FirstLineName, CutsAtTheFirstBreak) {
    char text[64];
    std::strcpy(text, "Shopping list\r\nmilk");
    EXPECT_EQ(FirstLineName(text), 13);
    EXPECT_STREQ(text, "Shopping list");
    std::strcpy(text, "one\nline");
    EXPECT_EQ(FirstLineName(text), 3);
    std::strcpy(text, "\r\nstarts with a break");
    EXPECT_EQ(FirstLineName(text), 0);
    EXPECT_STREQ(text, "\r\nstarts with a break");
}

TEST(ChooseFormatForFile, DefaultListsAndRichText) {
    SettingsRecord r = Defaults();
    FormatChoice nfo = ChooseFormatForFile(r, "C:\\x\\readme.NFO");
    EXPECT_EQ(nfo.fontGroup, 0);
    EXPECT_EQ(nfo.wordWrap, 0);
    FormatChoice header = ChooseFormatForFile(r, "C:\\src\\main.h");
    EXPECT_EQ(header.fontGroup, 1);
    EXPECT_EQ(header.wordWrap, 0);
    FormatChoice htm = ChooseFormatForFile(r, "page.htm");
    EXPECT_EQ(htm.fontGroup, 1);
    FormatChoice html = ChooseFormatForFile(r, "page.html"); // not in any list
    EXPECT_EQ(html.fontGroup, +r.DefaultFontGroup);
    EXPECT_EQ(html.wordWrap, 1);
    FormatChoice txt = ChooseFormatForFile(r, "notes.txt");
    EXPECT_EQ(txt.fontGroup, 2);
    EXPECT_EQ(txt.wordWrap, 1); // group Three's DeWrap is off by default
    FormatChoice rtf = ChooseFormatForFile(r, "C:\\docs\\notes.RTF");
    EXPECT_EQ(rtf.richText, 1);
    EXPECT_EQ(ChooseFormatForFile(r, "a.rtfx").richText, 0);
    EXPECT_EQ(ChooseFormatForFile(r, "ab").fontGroup, +r.DefaultFontGroup);
}

TEST(ChooseFormatForFile, AutoOffSkipsAGroupAndListsWinOverRichText) {
    SettingsRecord r = Defaults();
    r.FontGroup1Auto = 0;
    r.DefaultFontGroup = 1;
    FormatChoice nfo = ChooseFormatForFile(r, "readme.nfo");
    EXPECT_EQ(nfo.fontGroup, 1);
    EXPECT_EQ(nfo.wordWrap, 1);
    std::strcpy(r.FontGroup3Extensions, ".txt.rtf    ");
    FormatChoice rtf = ChooseFormatForFile(r, "x.rtf");
    EXPECT_EQ(rtf.fontGroup, 2);
    EXPECT_EQ(rtf.richText, 0);
}

TEST(FolderOf, CutsAfterTheLastBackslash) {
    char path[64];
    std::strcpy(path, "C:\\a\\b.txt");
    FolderOf(path);
    EXPECT_STREQ(path, "C:\\a\\");
    FolderOf(path);
    EXPECT_STREQ(path, "C:\\a\\");
    std::strcpy(path, "b.txt");
    FolderOf(path);
    EXPECT_STREQ(path, "b.txt");
}

namespace {
// The backup name for `mode`, or "(none)" when BackupFileName refuses; a
// refused name must leave the buffer empty, and nothing goes past `size`.
std::string Backup(int mode, const char* fileName, const char* folder = "D:\\bk",
                   uint32_t size = 600) {
    std::string out(size + 1, '#');
    bool fits = BackupFileName(mode, fileName, fileName != nullptr ? 1 : 0, "C:\\data\\", folder,
                               &out[0], size);
    EXPECT_EQ(out[size], '#') << "wrote past the buffer";
    if (fits)
        return out.c_str();
    EXPECT_TRUE(size == 0 || out[0] == '\0');
    return "(none)";
}
} // namespace

TEST(BackupFileName, EachModeNamesItsCopy) {
    EXPECT_EQ(Backup(AutosaveCopy, "C:\\docs\\a.txt"), "C:\\docs\\a.txt Backup");
    EXPECT_EQ(Backup(AutosaveCopy, nullptr), "(none)");
    EXPECT_EQ(Backup(AutosaveHidden, "C:\\docs\\a.txt"), "C:\\data\\KvAuto.txt");
    EXPECT_EQ(Backup(AutosaveHidden, nullptr), "C:\\data\\KvAuto.txt");
    EXPECT_EQ(Backup(AutosaveDirectory, "C:\\docs\\a.txt"), "D:\\bk\\backup_a.txt");
    EXPECT_EQ(Backup(AutosaveDirectory, "C:\\docs\\a.txt", "D:\\bk\\"), "D:\\bk\\backup_a.txt");
    EXPECT_EQ(Backup(AutosaveDirectory, nullptr), "D:\\bk\\backup_Untitled");
    EXPECT_EQ(Backup(AutosaveDirectory, "plain.txt"), "D:\\bk\\backup_plain.txt");
    EXPECT_EQ(Backup(AutosaveOriginal, "C:\\docs\\a.txt"), "(none)");
    EXPECT_EQ(Backup(AutosaveRemind, "C:\\docs\\a.txt"), "(none)");
}

TEST(BackupFileName, DirectoryCopyOfAOneLetterNameStaysInTheFolder) {
    // Not the title's rule (a one-letter name shows the whole path): the
    // copy's name must never hold the document's folder.
    EXPECT_EQ(Backup(AutosaveDirectory, "C:\\docs\\a"), "D:\\bk\\backup_a");
}

TEST(BackupFileName, ANameThatDoesNotFitIsRefusedWhole) {
    EXPECT_EQ(Backup(AutosaveCopy, "C:\\docs\\a.txt", "", 21), "C:\\docs\\a.txt Backup");
    EXPECT_EQ(Backup(AutosaveCopy, "C:\\docs\\a.txt", "", 20), "(none)");
    EXPECT_EQ(Backup(AutosaveHidden, nullptr, "", 19), "C:\\data\\KvAuto.txt");
    EXPECT_EQ(Backup(AutosaveHidden, nullptr, "", 18), "(none)");
    EXPECT_EQ(Backup(AutosaveDirectory, "x.txt", "D:\\bk", 19), "D:\\bk\\backup_x.txt");
    EXPECT_EQ(Backup(AutosaveDirectory, "x.txt", "D:\\bk", 18), "(none)");
    EXPECT_EQ(Backup(AutosaveDirectory, "x.txt", "D:\\bk", 6), "(none)"); // no room for "\"
    EXPECT_EQ(Backup(AutosaveCopy, "C:\\docs\\a.txt", "", 0), "(none)");
}

TEST(AutosavePeriodMs, WholeMinutesAtLeastOneAndNeverWrapping) {
    EXPECT_EQ(AutosavePeriodMs(0), 60000u);
    EXPECT_EQ(AutosavePeriodMs(-5), 60000u);
    EXPECT_EQ(AutosavePeriodMs(60), 3600000u);
    const uint32_t longest = AutosavePeriodMs(35791); // 0x7FFFFFFF / 60000
    EXPECT_EQ(longest, 35791u * 60000u);
    for (int32_t huge : {35792, 71583, 0x7FFFFFFF})
        EXPECT_EQ(AutosavePeriodMs(huge), longest) << huge;
}
