// The file associations written to the prefix's real registry: every test
// puts HKEY_CLASSES_ROOT back as it found it.
#include "WinTestSupport.h"

#include "app/AppState.h"
#include "settings/SettingsFile.h"
#include "shell/Associations.h"
#include "shell/AssociationsCore.h"
#include "tests/shell/RegistrySnapshot.h"
#include "text/TextRoutines.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace classes_root;

class AssociationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(&settings, 0, sizeof settings);
        TextCopy(folder.path().c_str(), app.dataFolder);
        TextCopy(folder.path().c_str(), app.programFolder);
        RestoreDefaultSettings();
        for (int32_t& state : settings.AssocTypeStates)
            state = ASSOC_UNCHANGED;
        command = "\"" + folder.path() + "Korvid.exe\" \"%1\"";
    }
    TempFolder folder;
    RegistrySnapshot snapshot;
    std::string command;
};

TEST_F(AssociationsTest, EachActionWritesTheRealRegistry) {
    SetValue(".txt", "txtfile");
    SetValue(".rtf", "rtffile");
    SetValue(".htm", "htmlfile");
    SetValue(".reg", "Korvid.regFile");
    SetValue("regfile\\shell\\Korvid\\Command", "old");
    SetValue("*\\shell\\Open with Korvid\\Command", "old");
    settings.AssocTypeStates[0] = ASSOC_ON;
    settings.AssocTypeStates[1] = ASSOC_ON_ICON;
    settings.AssocTypeStates[4] = ASSOC_EDIT_ONLY;
    settings.AssocTypeStates[5] = ASSOC_DEFAULT;
    settings.AssocTypeStates[12] = ASSOC_ON; // Custom A without an extension
    EXPECT_EQ(ApplyAssociations(), 0);
    EXPECT_EQ(Value(".txt"), "Korvid.txtFile");
    EXPECT_EQ(Value("Korvid.txtFile"), "Text Document");
    EXPECT_EQ(Value("Korvid.txtFile\\shell\\Open\\Command"), command);
    EXPECT_FALSE(KeyExists("Korvid.txtFile\\DefaultIcon"));
    // No companion program beside it: the icons are the program's own.
    EXPECT_EQ(Value("Korvid.rtfFile\\DefaultIcon"), folder.path() + "Korvid.exe,4");
    EXPECT_EQ(Value(".htm"), "htmlfile");
    EXPECT_EQ(Value("htmlfile\\shell\\Korvid\\Command"), command);
    EXPECT_EQ(Value(".reg"), "regfile");
    EXPECT_FALSE(KeyExists("regfile\\shell\\Korvid"));
    EXPECT_FALSE(KeyExists("*\\shell\\Open with Korvid"));
    EXPECT_FALSE(KeyExists("."));
}

// The backup keeps the classes found first, for "Off" to put them back.
TEST_F(AssociationsTest, TheBackupKeepsTheFirstClassesForOffAndRestore) {
    SetValue(".txt", "txtfile");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".log"); // a type with no class at all
    SetValue(".bat", "batfile");
    settings.AssocTypeStates[0] = ASSOC_ON;
    settings.AssocTypeStates[11] = ASSOC_ON_ICON;
    settings.AssocTypeStates[6] = ASSOC_OFF_RESTORE; // never changed: left alone
    EXPECT_EQ(ApplyAssociations(), 0);
    const std::string first = FileBytes(folder.File("KvRgBack.dat"));
    ASSERT_EQ(first.size(), kBackupFileSize);
    EXPECT_EQ(Value(".log"), "Korvid.logFile");
    EXPECT_EQ(Value(".bat"), "batfile");
    EXPECT_EQ(ApplyAssociations(),
              0); // finds the program's classes, keeps the originals
    EXPECT_EQ(FileBytes(folder.File("KvRgBack.dat")), first);
    settings.AssocTypeStates[0] = ASSOC_OFF_RESTORE;
    settings.AssocTypeStates[11] = ASSOC_OFF_RESTORE;
    EXPECT_EQ(ApplyAssociations(), 0);
    EXPECT_EQ(Value(".txt"), "txtfile");
    EXPECT_EQ(Value(".log"), "(no value)") << "the program's class is taken away again";
    EXPECT_EQ(Value("Korvid.txtFile"), "Text Document") << "the program's classes stay";
}

} // namespace
