#include "document/DocumentNames.h"

#include <gtest/gtest.h>

#include <string>

// (FuzzDocument checks the name routines.) The autosave copy's name, or
// "(none)": a refused name leaves the buffer empty, nothing goes past `size`.
TEST(BackupFileName, EachModeNamesItsCopyAndANameThatDoesNotFitIsRefusedWhole) {
    struct Case {
        int mode;
        const char* fileName;
        const char* folder;
        uint32_t size;
        std::string expected;
    } cases[] = {
        {AutosaveCopy, "C:\\docs\\a.txt", "", 21, "C:\\docs\\a.txt Backup"},
        {AutosaveCopy, "C:\\docs\\a.txt", "", 20, "(none)"},
        {AutosaveCopy, nullptr, "", 600, "(none)"},
        {AutosaveCopy, "C:\\docs\\a.txt", "", 0, "(none)"},
        {AutosaveHidden, nullptr, "", 19, "C:\\data\\KvAuto.txt"},
        {AutosaveHidden, nullptr, "", 18, "(none)"},
        {AutosaveDirectory, "x.txt", "D:\\bk", 19, "D:\\bk\\backup_x.txt"},
        {AutosaveDirectory, "x.txt", "D:\\bk", 18, "(none)"},
        {AutosaveDirectory, "x.txt", "D:\\bk", 6, "(none)"}, // no room for "\"
        {AutosaveDirectory, "C:\\docs\\a", "D:\\bk\\", 600, "D:\\bk\\backup_a"},
        {AutosaveDirectory, nullptr, "D:\\bk", 600, "D:\\bk\\backup_Untitled"},
        {AutosaveOriginal, "C:\\docs\\a.txt", "D:\\bk", 600, "(none)"},
        {AutosaveRemind, "C:\\docs\\a.txt", "D:\\bk", 600, "(none)"},
    };
    for (const Case& c : cases) {
        std::string out(c.size + 1, '#');
        bool fits = BackupFileName(c.mode, c.fileName, c.fileName != nullptr ? 1 : 0, "C:\\data\\",
                                   c.folder, &out[0], c.size);
        EXPECT_EQ(out[c.size], '#') << "wrote past the buffer";
        EXPECT_EQ(fits ? out.c_str() : "(none)", c.expected) << c.mode << " " << c.size;
        EXPECT_TRUE(fits || c.size == 0 || out[0] == '\0');
    }
}
