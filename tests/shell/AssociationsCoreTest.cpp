#include "shell/AssociationsCore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <strings.h>

namespace {

const std::string kCommand = "\"C:\\Korvid\\Korvid.exe\" \"%1\"";
const std::string kIcon = "C:\\Korvid\\Korvid.exe";

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

// HKEY_CLASSES_ROOT as key -> default value ("(none)" for a key without
// one), key names compared without regard to case as in the registry. The
// plans run against it as the registry layer runs them; FuzzAssocPlan
// checks the plans' general rules on any settings.
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
    // Plans the settings against this registry and the backup and runs the
    // plan, as one apply does.
    AssocPlan Apply(const AssocSettings& settings, AssocBackup& backup, bool canRecord = true) {
        AssocPlan plan = PlanAssociations(settings, kCommand, kIcon, backup, canRecord,
                                          [this](const std::string& e) { return ClassOf(e); });
        for (int index : plan.takes)
            TakeBackupRecord(backup, index, ClassOf(kAssocTypes[index].extension));
        for (const RegistryStep& step : plan.steps) {
            auto next = keys.upper_bound(step.key + "\\"); // a key's subkeys sort after it
            bool subkeys =
                next != keys.end() && strncasecmp(next->first.c_str(), (step.key + "\\").c_str(),
                                                  step.key.size() + 1) == 0;
            EXPECT_FALSE(step.op == RegistryStep::DeleteKey && subkeys) << step.key;
            if (step.op == RegistryStep::DeleteKey)
                keys.erase(step.key);
            else
                keys[step.key] = step.op == RegistryStep::SetDefault ? step.value : "(none)";
        }
        return plan;
    }
};

AssocSettings Only(int row, int32_t action, int row2 = -1, int32_t action2 = ASSOC_UNCHANGED) {
    AssocSettings settings;
    for (int32_t& state : settings.states)
        state = ASSOC_UNCHANGED;
    settings.states[row] = action;
    if (row2 >= 0)
        settings.states[row2] = action2;
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
    // On: the extension points at the program's class, which opens it; the
    // verb on txtfile, which other types share, stays.
    classes.Apply(Only(0, ASSOC_ON), backup);
    EXPECT_EQ(classes.Value(".txt"), "Korvid.txtFile");
    EXPECT_EQ(classes.Value("Korvid.txtFile\\shell\\Open\\Command"), kCommand);
    EXPECT_EQ(classes.Value("Korvid.txtFile\\DefaultIcon"), "(no key)");
    EXPECT_EQ(classes.Value("txtfile\\shell\\Korvid\\Command"), kCommand);
    EXPECT_EQ(backup.original[0], "txtfile");
    // On & Use Icon adds the icon of its row; Edit Only keeps the class and
    // adds the verb to it.
    classes.Apply(Only(1, ASSOC_ON_ICON, 4, ASSOC_EDIT_ONLY), backup);
    EXPECT_EQ(classes.Value("Korvid.rtfFile\\DefaultIcon"), kIcon + ",4");
    EXPECT_EQ(classes.Value(".htm"), "htmlfile");
    EXPECT_EQ(classes.Value("htmlfile\\shell\\Korvid\\Command"), kCommand);
    EXPECT_FALSE(backup.taken[4]);
    // Default hands the type to its standard class and takes the verb away;
    // the class before was the program's, so the standard one is recorded.
    classes.keys[".reg"] = "Korvid.regFile";
    classes.keys["regfile\\shell\\Korvid"] = "(none)";
    classes.keys["regfile\\shell\\Korvid\\Command"] = kCommand;
    classes.Apply(Only(5, ASSOC_DEFAULT), backup);
    EXPECT_EQ(classes.Value(".reg"), "regfile");
    EXPECT_EQ(classes.Value("regfile\\shell\\Korvid"), "(no key)");
    EXPECT_EQ(classes.Value("Korvid.regFile"), "(no key)");
    EXPECT_EQ(backup.original[5], "regfile");
}

TEST(AssociationPlan, CustomTypesUseTheirOwnNameAndTheCustomIcon) {
    FakeClasses classes;
    AssocBackup backup;
    AssocSettings settings = Only(12, ASSOC_ON_ICON, 13, ASSOC_ON);
    settings.customExtension[0] = ".abc"; // a typed dot is dropped
    settings.customName[0] = "ABC Notes";
    settings.customExtension[1] = "bad\\key";
    AssocPlan plan = classes.Apply(settings, backup);
    EXPECT_EQ(classes.Value(".abc"), "Korvid.abcFile");
    EXPECT_EQ(classes.Value("Korvid.abcFile"), "ABC Notes");
    EXPECT_EQ(classes.Value("Korvid.abcFile\\DefaultIcon"), kIcon + ",2");
    EXPECT_EQ(classes.Value(".bad\\key"), "(no key)");
    EXPECT_TRUE(plan.takes.empty()) << "custom types have no backup record";
    EXPECT_EQ(classes.Apply(Only(12, ASSOC_ON), backup).steps.size(), 2u)
        << "an empty custom type is not touched: only the all-files verb";
}

// Off / Restore after "/x" gives back what the program took, even after a
// second apply found the program's own classes.
TEST(AssociationPlan, OffRestoresTheOriginalClassEvenAfterASecondApply) {
    FakeClasses classes = Standard();
    classes.keys[".log"] = "logviewer";
    AssocBackup backup;
    classes.Apply(Only(0, ASSOC_ON, 11, ASSOC_ON_ICON), backup);
    EXPECT_TRUE(classes.Apply(Only(0, ASSOC_ON, 11, ASSOC_ON_ICON), backup).takes.empty());
    classes.keys[".diz"] = "someviewer";
    AssocSettings off = Only(0, ASSOC_OFF_RESTORE, 11, ASSOC_OFF_RESTORE);
    off.states[2] = ASSOC_OFF_RESTORE; // never changed: no record, left alone
    classes.Apply(off, backup);
    EXPECT_EQ(classes.Value(".txt"), "txtfile");
    EXPECT_EQ(classes.Value(".log"), "logviewer");
    EXPECT_EQ(classes.Value(".diz"), "someviewer");
    EXPECT_EQ(classes.Value("Korvid.txtFile"), "Text Document"); // never deleted
}

TEST(AssociationPlan, AnExtensionWithoutAClassIsRecordedAsSuch) {
    FakeClasses classes; // no .txt at all
    AssocBackup backup;
    EXPECT_EQ(classes.Apply(Only(0, ASSOC_EDIT_ONLY), backup).steps.size(), 2u); // all-files verb
    classes.Apply(Only(0, ASSOC_ON), backup);
    EXPECT_TRUE(backup.taken[0] && backup.noClass[0]);
    classes.Apply(Only(0, ASSOC_OFF_RESTORE), backup);
    EXPECT_EQ(classes.Value(".txt"), "(none)") << "the program's class is taken away";
    classes.keys[".txt"] = "otherfile"; // pointing elsewhere by then: left as the user set it
    classes.Apply(Only(0, ASSOC_OFF_RESTORE), backup);
    EXPECT_EQ(classes.Value(".txt"), "otherfile");
}

TEST(AssociationPlan, ASharedClassKeepsTheEditOnlyVerbWhateverTheRowOrder) {
    // .txt and .log share txtfile: an Off row must not take away the verb an
    // Edit Only row has just given the class, whichever of them comes first.
    for (const auto& [edit, off] : {std::pair{0, 11}, std::pair{11, 0}}) {
        SCOPED_TRACE(edit);
        FakeClasses classes = Standard();
        classes.keys[".log"] = edit == 0 ? "TXTFILE" : "txtfile"; // one class, either spelling
        AssocBackup backup;
        for (int round = 0; round < 2; ++round) {
            classes.Apply(Only(edit, ASSOC_EDIT_ONLY, off, ASSOC_OFF_RESTORE), backup);
            EXPECT_EQ(classes.Value("txtfile\\shell\\Korvid\\Command"), kCommand);
        }
    }
}

TEST(AssociationPlan, AnUnreadableBackupIsNeverTakenOver) {
    FakeClasses classes = Standard();
    AssocBackup backup;
    EXPECT_TRUE(classes.Apply(Only(0, ASSOC_ON), backup, false).takes.empty());
    EXPECT_EQ(classes.Value(".txt"), "Korvid.txtFile");
    classes.Apply(Only(0, ASSOC_OFF_RESTORE), backup); // no record: left as it is
    EXPECT_EQ(classes.Value(".txt"), "Korvid.txtFile");
}

TEST(AssociationCommand, BothFormsOfTheQuotedProgramPathAreOurs) {
    const std::string program = "C:\\Program Files\\Korvid\\Korvid.exe";
    EXPECT_EQ(OwnCommandLine(program), "\"" + program + "\" \"%1\"");
    EXPECT_TRUE(IsOwnCommandLine("C:\\Program Files\\Korvid\\Korvid.exe \"%1\"", program));
    EXPECT_TRUE(IsOwnCommandLine("  \"c:\\program files\\korvid\\KORVID.EXE\" \"%1\" ", program));
    for (const char* other :
         {"C:\\Program.exe \"%1\"", "\"C:\\Program Files\\Korvid\\Korvid.exe\"", ""})
        EXPECT_FALSE(IsOwnCommandLine(other, program)) << other;
    EXPECT_FALSE(IsOwnCommandLine(" \"%1\"", ""));
    // A class that already opens files with this program is no class to
    // give back: the standard class is recorded in its place.
    AssocBackup backup;
    TakeBackupRecord(backup, 0, "Applications\\Korvid.exe", true);
    TakeBackupRecord(backup, 1, "WordPad.Document.1", false);
    EXPECT_EQ(backup.original[0], "txtfile");
    EXPECT_EQ(backup.original[1], "WordPad.Document.1");
}

// FuzzAssocPlan round-trips any backup file; a file of another maker's header
// still counts its non-empty records, and a short one none.
TEST(AssociationBackup, ReadsRecordsWithoutTheHeader) {
    AssocBackup backup;
    TakeBackupRecord(backup, 0, "txtfile");
    TakeBackupRecord(backup, 3, "");
    std::vector<uint8_t> file = FormatAssocBackup(backup);
    file[0] = 'X';
    AssocBackup foreign = ParseAssocBackup(file.data(), file.size());
    EXPECT_TRUE(foreign.taken[0] && !foreign.taken[3]);
    EXPECT_FALSE(ParseAssocBackup(file.data(), 100).taken[0] ||
                 ParseAssocBackup(nullptr, 0).taken[0]);
    std::fill_n(file.begin() + kBackupHeaderSize, kBackupRecordSize, 'L'); // no end: cut
    EXPECT_EQ(ParseAssocBackup(file.data(), file.size()).original[0].size(), kBackupRecordSize - 1);
}

} // namespace
