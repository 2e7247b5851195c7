#include "shell/AssociationsCore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>

namespace {

const std::string kCommand = "\"C:\\Korvid\\Korvid.exe\" \"%1\"";
const std::string kIcon = "C:\\Korvid\\Korvid.exe";

// HKEY_CLASSES_ROOT as key -> default value; a key without a default value
// maps to "(none)". Plans run against it as the registry layer runs them.
// Key names compare without regard to case, as in the registry.
struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) {
                                                return std::tolower(static_cast<unsigned char>(x)) <
                                                       std::tolower(static_cast<unsigned char>(y));
                                            });
    }
};

bool StartsWithNoCase(const std::string& text, const std::string& start) {
    return text.size() >= start.size() && !NoCase()(text.substr(0, start.size()), start) &&
           !NoCase()(start, text.substr(0, start.size()));
}

class FakeClasses {
  public:
    std::map<std::string, std::string, NoCase> keys;

    std::string ClassOf(const std::string& extension) const {
        auto found = keys.find("." + extension);
        return found == keys.end() || found->second == "(none)" ? "" : found->second;
    }
    std::string Value(const std::string& key) const {
        auto found = keys.find(key);
        return found == keys.end() ? "(no key)" : found->second;
    }
    bool Has(const std::string& key) const { return keys.count(key) != 0; }

    void Run(const AssocPlan& plan, AssocBackup& backup) {
        for (int index : plan.takes)
            TakeBackupRecord(backup, index, ClassOf(kAssocTypes[index].extension));
        for (const RegistryStep& step : plan.steps) {
            switch (step.op) {
            case RegistryStep::SetDefault:
                keys[step.key] = step.value;
                break;
            case RegistryStep::DeleteDefault:
                keys[step.key] = "(none)";
                break;
            case RegistryStep::DeleteKey:
                for (const auto& [key, value] : keys)
                    ASSERT_FALSE(StartsWithNoCase(key, step.key + "\\"))
                        << step.key << " has subkeys";
                keys.erase(step.key);
                break;
            }
        }
    }

    // Plans the settings against this registry and the backup, runs the
    // plan and passes the backup on, as one apply does.
    AssocPlan Apply(const AssocSettings& settings, AssocBackup& backup, bool canRecord = true) {
        AssocPlan plan = PlanAssociations(settings, kCommand, kIcon, backup, canRecord,
                                          [this](const std::string& e) { return ClassOf(e); });
        Run(plan, backup);
        return plan;
    }
};

AssocSettings Only(int row, int32_t action) {
    AssocSettings settings;
    for (int32_t& state : settings.states)
        state = ASSOC_UNCHANGED;
    settings.states[row] = action;
    return settings;
}

FakeClasses Standard() {
    FakeClasses classes;
    for (int i = 0; i < kStandardTypes; ++i)
        classes.keys[std::string(".") + kAssocTypes[i].extension] = kAssocTypes[i].standardClass;
    return classes;
}

TEST(AssociationPlan, EachActionWritesItsKeys) {
    FakeClasses classes = Standard();
    AssocBackup backup;
    classes.keys["txtfile\\shell\\Korvid"] = "(none)";
    classes.keys["txtfile\\shell\\Korvid\\Command"] = kCommand;

    // On: the extension points at the program's class, which opens it.
    classes.Apply(Only(0, ASSOC_ON), backup);
    EXPECT_EQ(classes.Value(".txt"), "Korvid.txtFile");
    EXPECT_EQ(classes.Value("Korvid.txtFile"), "Text Document");
    EXPECT_EQ(classes.Value("Korvid.txtFile\\shell"), "&Open");
    EXPECT_EQ(classes.Value("Korvid.txtFile\\shell\\Open\\Command"), kCommand);
    EXPECT_FALSE(classes.Has("Korvid.txtFile\\DefaultIcon"));
    // The verb is taken from the class the extension has now; the one on
    // txtfile, which other types share, stays.
    EXPECT_TRUE(classes.Has("txtfile\\shell\\Korvid\\Command"));
    EXPECT_TRUE(backup.taken[0]);
    EXPECT_EQ(backup.original[0], "txtfile");

    // On & Use Icon adds the icon of its row.
    classes.Apply(Only(1, ASSOC_ON_ICON), backup);
    EXPECT_EQ(classes.Value(".rtf"), "Korvid.rtfFile");
    EXPECT_EQ(classes.Value("Korvid.rtfFile\\DefaultIcon"), kIcon + ",4");

    // Edit Only keeps the class and adds the verb to it.
    classes.Apply(Only(4, ASSOC_EDIT_ONLY), backup);
    EXPECT_EQ(classes.Value(".htm"), "htmlfile");
    EXPECT_EQ(classes.Value("htmlfile\\shell\\Korvid\\Command"), kCommand);
    EXPECT_FALSE(backup.taken[4]);

    // Default hands the type to its standard class and takes the verb away.
    classes.keys[".reg"] = "Korvid.regFile";
    classes.keys["regfile\\shell\\Korvid"] = "(none)";
    classes.keys["regfile\\shell\\Korvid\\Command"] = kCommand;
    classes.Apply(Only(5, ASSOC_DEFAULT), backup);
    EXPECT_EQ(classes.Value(".reg"), "regfile");
    EXPECT_FALSE(classes.Has("regfile\\shell\\Korvid"));
    EXPECT_FALSE(classes.Has("Korvid.regFile")) << "Default writes no class of the program's";
    // It pointed at the program already: the class before is unknown, and
    // the standard class is what a restore gives back.
    EXPECT_EQ(backup.original[5], "regfile");
}

TEST(AssociationPlan, UnChangedRowsAndEmptyCustomTypesAreNotTouched) {
    AssocSettings settings = Only(0, ASSOC_UNCHANGED);
    settings.states[12] = ASSOC_ON; // Custom A with no extension
    settings.states[13] = ASSOC_UNCHANGED;
    settings.customExtension[1] = "xyz";
    AssocPlan plan = PlanAssociations(settings, kCommand, kIcon, AssocBackup(), true,
                                      [](const std::string&) { return std::string("cls"); });
    // Only the all-files verb, deleted even though it never existed.
    ASSERT_EQ(plan.steps.size(), 2u);
    EXPECT_EQ(plan.steps[0],
              (RegistryStep{RegistryStep::DeleteKey, "*\\shell\\Open with Korvid\\Command", ""}));
    EXPECT_EQ(plan.steps[1],
              (RegistryStep{RegistryStep::DeleteKey, "*\\shell\\Open with Korvid", ""}));
    EXPECT_TRUE(plan.takes.empty());

    settings.openWithAll = true;
    plan = PlanAssociations(settings, kCommand, kIcon, AssocBackup(), true,
                            [](const std::string&) { return std::string(); });
    ASSERT_EQ(plan.steps.size(), 1u);
    EXPECT_EQ(plan.steps[0], (RegistryStep{RegistryStep::SetDefault,
                                           "*\\shell\\Open with Korvid\\Command", kCommand}));
}

TEST(AssociationPlan, CustomTypesUseTheirOwnNameAndTheCustomIcon) {
    FakeClasses classes;
    AssocBackup backup;
    AssocSettings settings = Only(12, ASSOC_ON_ICON);
    settings.customExtension[0] = ".abc"; // a typed dot is dropped
    settings.customName[0] = "ABC Notes";
    settings.states[13] = ASSOC_ON;
    settings.customExtension[1] = "bad\\key";
    AssocPlan plan = classes.Apply(settings, backup);
    EXPECT_EQ(classes.Value(".abc"), "Korvid.abcFile");
    EXPECT_EQ(classes.Value("Korvid.abcFile"), "ABC Notes");
    EXPECT_EQ(classes.Value("Korvid.abcFile\\DefaultIcon"), kIcon + ",2");
    EXPECT_FALSE(classes.Has(".bad\\key"));
    EXPECT_TRUE(plan.takes.empty()) << "custom types have no backup record";
}

TEST(AssociationPlan, OffRestoresTheOriginalClassEvenAfterASecondApply) {
    FakeClasses classes = Standard();
    classes.keys[".log"] = "logviewer";
    AssocBackup backup;
    AssocSettings on = Only(0, ASSOC_ON);
    on.states[11] = ASSOC_ON_ICON;
    classes.Apply(on, backup);
    // A second apply finds the program's own classes; the originals stay.
    AssocPlan again = classes.Apply(on, backup);
    EXPECT_TRUE(again.takes.empty());
    EXPECT_EQ(backup.original[0], "txtfile");
    EXPECT_EQ(backup.original[11], "logviewer");

    AssocSettings off = Only(0, ASSOC_OFF_RESTORE);
    off.states[11] = ASSOC_OFF_RESTORE;
    off.states[2] = ASSOC_OFF_RESTORE; // never changed: no record, left alone
    classes.keys[".diz"] = "someviewer";
    classes.Apply(off, backup);
    EXPECT_EQ(classes.Value(".txt"), "txtfile");
    EXPECT_EQ(classes.Value(".log"), "logviewer");
    EXPECT_EQ(classes.Value(".diz"), "someviewer");
    // The program's own class keys are never deleted.
    EXPECT_EQ(classes.Value("Korvid.txtFile"), "Text Document");
}

TEST(AssociationPlan, AnExtensionWithoutAClassIsRecordedAsSuch) {
    FakeClasses classes; // no .txt at all
    AssocBackup backup;
    AssocPlan plan = classes.Apply(Only(0, ASSOC_EDIT_ONLY), backup);
    // No class to add the verb to: nothing but the all-files verb.
    EXPECT_EQ(plan.steps.size(), 2u);

    classes.Apply(Only(0, ASSOC_ON), backup);
    EXPECT_TRUE(backup.taken[0]);
    EXPECT_TRUE(backup.noClass[0]);
    classes.Apply(Only(0, ASSOC_OFF_RESTORE), backup);
    EXPECT_EQ(classes.Value(".txt"), "(none)") << "the program's class is taken away";

    // Pointing elsewhere by then, it is left as the user set it.
    classes.keys[".txt"] = "otherfile";
    classes.Apply(Only(0, ASSOC_OFF_RESTORE), backup);
    EXPECT_EQ(classes.Value(".txt"), "otherfile");
}

TEST(AssociationPlan, ASharedClassKeepsTheEditOnlyVerbWhateverTheRowOrder) {
    // .txt and .log share txtfile: an Off row must not take away the verb an
    // Edit Only row has just given the class, whichever of them comes first.
    const std::pair<int, int> rows[] = {{0, 11}, {11, 0}}; // Edit Only, Off
    for (const auto& [edit, off] : rows) {
        SCOPED_TRACE(edit);
        FakeClasses classes = Standard();
        classes.keys[".log"] = edit == 0 ? "TXTFILE" : "txtfile"; // one class, either spelling
        AssocBackup backup;
        AssocSettings settings = Only(edit, ASSOC_EDIT_ONLY);
        settings.states[off] = ASSOC_OFF_RESTORE;
        classes.Apply(settings, backup);
        EXPECT_EQ(classes.Value("txtfile\\shell\\Korvid\\Command"), kCommand);
        classes.Apply(settings, backup);
        EXPECT_EQ(classes.Value("txtfile\\shell\\Korvid\\Command"), kCommand);
    }
}

TEST(AssociationPlan, AnUnreadableBackupIsNeverTakenOver) {
    FakeClasses classes = Standard();
    AssocBackup backup;
    AssocPlan plan = classes.Apply(Only(0, ASSOC_ON), backup, false);
    EXPECT_TRUE(plan.takes.empty());
    EXPECT_EQ(classes.Value(".txt"), "Korvid.txtFile");
    // With no record, Off / Restore leaves the extension as it is.
    classes.Apply(Only(0, ASSOC_OFF_RESTORE), backup);
    EXPECT_EQ(classes.Value(".txt"), "Korvid.txtFile");
}

TEST(AssociationCommand, ProgramPathIsQuotedAndBothFormsAreOurs) {
    const std::string program = "C:\\Program Files\\Korvid\\Korvid.exe";
    EXPECT_EQ(OwnCommandLine(program), "\"C:\\Program Files\\Korvid\\Korvid.exe\" \"%1\"");
    struct Case {
        const char* command;
        bool ours;
    } cases[] = {
        {"\"C:\\Program Files\\Korvid\\Korvid.exe\" \"%1\"", true},
        {"C:\\Program Files\\Korvid\\Korvid.exe \"%1\"", true}, // earlier versions
        {"  \"c:\\program files\\korvid\\KORVID.EXE\" \"%1\" ", true},
        {"C:\\Program.exe \"%1\"", false},
        {"\"C:\\Program Files\\Korvid\\Korvid.exe\" /p \"%1\"", false},
        {"\"C:\\Other\\Korvid.exe\" \"%1\"", false},
        {"\"C:\\Program Files\\Korvid\\Korvid.exe\"", false},
        {"%SystemRoot%\\system32\\NOTEPAD.EXE %1", false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsOwnCommandLine(c.command, program), c.ours) << c.command;
    EXPECT_FALSE(IsOwnCommandLine(" \"%1\"", ""));

    // A class that already opens files with this program is no class to
    // give back: the standard class is recorded in its place.
    AssocBackup backup;
    TakeBackupRecord(backup, 0, "Applications\\Korvid.exe", true);
    TakeBackupRecord(backup, 1, "WordPad.Document.1", false);
    EXPECT_EQ(backup.original[0], "txtfile");
    EXPECT_EQ(backup.original[1], "WordPad.Document.1");
}

TEST(AssociationBackup, RoundTripsAndReadsRecordsWithoutTheHeader) {
    AssocBackup backup;
    TakeBackupRecord(backup, 0, "txtfile");
    TakeBackupRecord(backup, 3, "");
    TakeBackupRecord(backup, 11, std::string(400, 'L'));
    std::vector<uint8_t> file = FormatAssocBackup(backup);
    ASSERT_EQ(file.size(), kBackupFileSize);
    EXPECT_EQ(std::string(file.begin() + 9, file.begin() + 16), std::string("txtfile"));
    AssocBackup read = ParseAssocBackup(file.data(), file.size());
    for (int i = 0; i < kStandardTypes; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read.taken[i], i == 0 || i == 3 || i == 11);
        EXPECT_EQ(read.noClass[i], i == 3);
    }
    EXPECT_EQ(read.original[0], "txtfile");
    EXPECT_EQ(read.original[11], std::string(299, 'L'));

    // A file of another maker's header: its non-empty records count.
    file[0] = 'X';
    AssocBackup foreign = ParseAssocBackup(file.data(), file.size());
    EXPECT_TRUE(foreign.taken[0]);
    EXPECT_FALSE(foreign.taken[3]);
    AssocBackup truncated = ParseAssocBackup(file.data(), 100);
    EXPECT_FALSE(truncated.taken[0]);
    AssocBackup empty = ParseAssocBackup(nullptr, 0);
    EXPECT_FALSE(empty.taken[0]);
}

} // namespace
