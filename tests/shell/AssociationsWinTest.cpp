// The file associations against the prefix's real registry, and the File
// Types page. Every test puts HKEY_CLASSES_ROOT back as it found it.
#include "tests/settings/SettingsPageFixture.h"

#include "resource.h"
#include "settings/SettingsPages.h"
#include "shell/Associations.h"
#include "shell/AssociationsCore.h"
#include "tests/shell/RegistrySnapshot.h"

#include <vector>

namespace {

using namespace classes_root;

const char* const kCustomExtension = "korvtest";

class AssociationsTest : public SettingsPageTest {
  protected:
    void SetUp() override {
        SettingsPageTest::SetUp();
        for (int32_t& state : settings.AssocTypeStates)
            state = ASSOC_UNCHANGED;
        command = "\"" + folder.path() + "Korvid.exe\" \"%1\"";
    }
    std::string Backup() {
        std::string bytes = "(none)";
        ReadWholeFile(folder.File("KvRgBack.dat"), &bytes);
        return bytes;
    }
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
    EXPECT_EQ(Value("Korvid.txtFile\\shell"), "&Open");
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

    // With the companion program there, its icons are named.
    ASSERT_TRUE(WriteWholeFile(folder.File("KorvSet.exe"), "MZ"));
    settings.AssocOpenWithAll = 1;
    EXPECT_EQ(ApplyAssociations(), 0);
    EXPECT_EQ(Value("Korvid.rtfFile\\DefaultIcon"), folder.path() + "KorvSet.exe,4");
    EXPECT_EQ(Value("*\\shell\\Open with Korvid\\Command"), command);
}

TEST_F(AssociationsTest, TheBackupKeepsTheFirstClassesForOffAndRestore) {
    SetValue(".txt", "txtfile");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".log"); // a type with no class at all
    SetValue(".bat", "batfile");
    settings.AssocTypeStates[0] = ASSOC_ON;
    settings.AssocTypeStates[11] = ASSOC_ON_ICON;
    settings.AssocTypeStates[6] = ASSOC_OFF_RESTORE; // never changed: left alone
    EXPECT_EQ(Backup(), "(none)");
    EXPECT_EQ(ApplyAssociations(), 0);
    std::string first = Backup();
    ASSERT_EQ(first.size(), kBackupFileSize);
    EXPECT_EQ(first.compare(9, 8, std::string("txtfile\0", 8)), 0);
    EXPECT_EQ(Value(".log"), "Korvid.logFile");
    EXPECT_EQ(Value(".bat"), "batfile");

    // A second apply finds the program's classes and keeps the originals.
    EXPECT_EQ(ApplyAssociations(), 0);
    EXPECT_EQ(Backup(), first);

    settings.AssocTypeStates[0] = ASSOC_OFF_RESTORE;
    settings.AssocTypeStates[11] = ASSOC_OFF_RESTORE;
    EXPECT_EQ(ApplyAssociations(), 0);
    EXPECT_EQ(Value(".txt"), "txtfile");
    EXPECT_EQ(Value(".log"), "(no value)") << "the program's class is taken away again";
    EXPECT_EQ(Value("Korvid.txtFile"), "Text Document") << "the program's classes stay";
}

TEST_F(AssociationsTest, ThePageStoresChoicesAtOnceAndSetsWhatItShows) {
    app.statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                    host, nullptr, GetModuleHandleA(nullptr), nullptr);
    int parts[4] = {100, 200, 300, -1};
    SendMessageA(app.statusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
    settings.AssocTypeStates[4] = ASSOC_EDIT_ONLY;
    Open(IDD_PAGE_FILE_TYPES, FileTypesPageProc);
    EXPECT_EQ(Selection(IDC_TYPES_TYPE), 0);
    EXPECT_EQ(Selection(IDC_TYPES_ACTION), ASSOC_UNCHANGED);
    EXPECT_EQ(Tooltip(IDC_TYPES_SET), "Set File Types According to Chosen Settings");

    Choose(IDC_TYPES_TYPE, 4);
    EXPECT_EQ(Selection(IDC_TYPES_ACTION), ASSOC_EDIT_ONLY);
    Choose(IDC_TYPES_ACTION, ASSOC_DEFAULT);
    EXPECT_EQ(settings.AssocTypeStates[4], ASSOC_DEFAULT) << "stored the moment it is chosen";
    Click(IDC_TYPES_ALL);
    EXPECT_EQ(Selection(IDC_TYPES_ACTION), ASSOC_ON_ICON);
    EXPECT_EQ(settings.AssocTypeStates[13], ASSOC_ON_ICON);
    Click(IDC_TYPES_NORM);
    EXPECT_EQ(Selection(IDC_TYPES_ACTION), ASSOC_EDIT_ONLY); // HTML's
    for (int i = 0; i < kAssocRows; ++i)
        EXPECT_EQ(settings.AssocTypeStates[i], kAssocTypes[i].normAction) << i;
    Click(IDC_TYPES_NONE);
    EXPECT_EQ(settings.AssocTypeStates[0], ASSOC_OFF_RESTORE);

    // Texts typed on the page count for "Set File Types" at once.
    for (int32_t& state : settings.AssocTypeStates)
        state = ASSOC_UNCHANGED;
    settings.AssocTypeStates[12] = ASSOC_ON;
    Type(IDC_TYPES_CUSTOM1_EXT, kCustomExtension);
    Type(IDC_TYPES_CUSTOM1_NAME, "Test Notes");
    Type(IDC_TYPES_CUSTOM2_NAME, std::string(300, 'n'));
    Click(IDC_TYPES_AUTO);
    Click(IDC_TYPES_SET);
    EXPECT_EQ(Value(std::string(".") + kCustomExtension), "Korvid.korvtestFile");
    EXPECT_EQ(Value("Korvid.korvtestFile"), "Test Notes");
    char status[128] = {};
    SendMessageA(app.statusBar, SB_GETTEXTA, 3, reinterpret_cast<LPARAM>(status));
    EXPECT_STREQ(status, "File types set, 0 keys not written");
    EXPECT_EQ(settings.AssocAutoRefresh, 1);
    EXPECT_EQ(strlen(settings.AssocCustom2Name), 269u);

    Leave();
    EXPECT_STREQ(settings.AssocCustom1Ext, kCustomExtension);
    DestroyWindow(app.statusBar);
    app.statusBar = nullptr;
}

} // namespace
