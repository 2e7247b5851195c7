// The file-type plan from any settings, backup and classes: records are
// taken only where the rules allow, nothing is deleted but the program's own
// verbs, no extension is pointed at an empty class, and, unless two rows name
// one extension, every Edit Only row's class ends up with the verb and a
// second plan changes nothing. Any backup file survives a write and a read.
#include "FuzzSupport.h"
#include "shell/AssociationsCore.h"

#include <map>

namespace {

const std::string kCommand = OwnCommandLine("C:\\Korvid\\Korvid.exe");
const std::string kIcons = "C:\\Korvid\\Korvid.exe";
const std::string kVerb = "*\\shell\\Open with Korvid";
const std::string kVerbCommand = kVerb + "\\Command";
const std::string kOwnVerb = "\\shell\\Korvid";
const std::string kOwnVerbCommand = kOwnVerb + "\\Command";

// HKEY_CLASSES_ROOT: keys and their default values, if set.
struct Registry {
    std::map<std::string, std::pair<bool, std::string>> keys;
    std::string ClassOf(const std::string& extension) const {
        auto found = keys.find("." + extension);
        return found != keys.end() && found->second.first ? found->second.second : "";
    }
    bool operator==(const Registry& other) const { return keys == other.keys; }
};

// Takes the records as the registry layer does, then runs the steps.
void CarryOut(const AssocPlan& plan, Registry& registry, AssocBackup& backup) {
    for (int index : plan.takes)
        TakeBackupRecord(backup, index, registry.ClassOf(kAssocTypes[index].extension));
    std::vector<uint8_t> image = FormatAssocBackup(backup); // and the backup file is written
    backup = ParseAssocBackup(image.data(), image.size());
    for (const RegistryStep& step : plan.steps) {
        if (step.op == RegistryStep::SetDefault)
            registry.keys[step.key] = {true, step.value};
        else if (step.op == RegistryStep::DeleteDefault && registry.keys.count(step.key) != 0)
            registry.keys[step.key] = {false, ""};
        else if (step.op == RegistryStep::DeleteKey)
            registry.keys.erase(step.key);
    }
}

void CheckPlan(const AssocPlan& plan, const AssocSettings& settings, const AssocBackup& backup,
               bool canRecord) {
    bool taken[kStandardTypes] = {};
    for (int index : plan.takes) {
        FUZZ_CHECK(index >= 0 && index < kStandardTypes && !taken[index]);
        taken[index] = true;
    }
    for (int i = 0; i < kStandardTypes; ++i) {
        int32_t s = settings.states[i];
        bool wanted = s == ASSOC_ON || s == ASSOC_ON_ICON || s == ASSOC_DEFAULT;
        FUZZ_CHECK(taken[i] == (wanted && canRecord && !backup.taken[i]));
    }
    for (const RegistryStep& step : plan.steps) {
        FUZZ_CHECK(!step.key.empty());
        bool extensionKey = step.key[0] == '.' && step.key.find('\\') == std::string::npos;
        std::string tail = step.key.substr(std::min(step.key.rfind(kOwnVerb), step.key.size()));
        if (step.op == RegistryStep::DeleteKey)
            FUZZ_CHECK(tail == kOwnVerb || tail == kOwnVerbCommand || step.key == kVerb ||
                       step.key == kVerbCommand);
        FUZZ_CHECK(step.op != RegistryStep::DeleteDefault || extensionKey);
        if (step.op == RegistryStep::SetDefault && extensionKey)
            FUZZ_CHECK(step.key.size() > 1 && !step.value.empty());
    }
    // The verb for all files comes last, as the setting says.
    FUZZ_CHECK(!plan.steps.empty());
    const RegistryStep& last = plan.steps.back();
    FUZZ_CHECK(settings.openWithAll ? last.op == RegistryStep::SetDefault &&
                                          last.key == kVerbCommand && last.value == kCommand
                                    : last.op == RegistryStep::DeleteKey && last.key == kVerb);
}

// Every Edit Only row's class has the verb, whatever other rows share it;
// false when two rows name one extension (the later row wins then). A row
// works on its extension ("" when it does nothing), a custom one as typed:
// leading dots dropped, none with a backslash.
bool CheckEditVerbs(const AssocSettings& settings, const Registry& registry) {
    std::vector<std::string> extensions;
    std::map<std::string, int> rows;
    for (int i = 0; i < kAssocRows; ++i) {
        std::string e = i < kStandardTypes ? kAssocTypes[i].extension
                                           : settings.customExtension[i - kStandardTypes];
        e.erase(0, std::min(e.find_first_not_of('.'), e.size()));
        bool acts = settings.states[i] >= ASSOC_OFF_RESTORE && settings.states[i] < ASSOC_UNCHANGED;
        extensions.push_back(acts && e.find('\\') == std::string::npos ? e : "");
        if (!extensions.back().empty() && ++rows[extensions.back()] > 1)
            return false;
    }
    for (int i = 0; i < kAssocRows; ++i) {
        std::string cls = extensions[i].empty() ? "" : registry.ClassOf(extensions[i]);
        if (settings.states[i] != ASSOC_EDIT_ONLY || cls.empty())
            continue;
        auto verb = registry.keys.find(cls + kOwnVerbCommand);
        FUZZ_CHECK(verb != registry.keys.end() && verb->second.second == kCommand);
    }
    return true;
}

void Backup(Input& in) {
    std::string file = in.Rest();
    AssocBackup read = ParseAssocBackup(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    std::vector<uint8_t> image = FormatAssocBackup(read);
    FUZZ_CHECK(image.size() == kBackupFileSize);
    AssocBackup again = ParseAssocBackup(image.data(), image.size());
    for (int i = 0; i < kStandardTypes; ++i)
        FUZZ_CHECK(again.taken[i] == read.taken[i] && again.noClass[i] == read.noClass[i] &&
                   again.original[i] == read.original[i] &&
                   read.original[i].size() < kBackupRecordSize);
}

void Plan(Input& in) {
    uint8_t flags = in.Byte();
    AssocSettings settings;
    settings.openWithAll = flags & 1;
    bool canRecord = flags & 2;
    for (int32_t& state : settings.states) // mostly the actions, now and then anything
        state = in.Byte() < 0xF8 ? in.Byte() % 7 - 1 : in.I32();
    for (int c = 0; c < 2; ++c)
        settings.customExtension[c] = in.Text(269), settings.customName[c] = in.Text(269);
    // A backup as the program writes it, and the classes the extensions
    // have (class names are registry texts: no zeros, at most 599 bytes).
    AssocBackup written;
    uint32_t takenBits = in.U16(), noClassBits = in.U16();
    for (int i = 0; i < kStandardTypes; ++i)
        written.taken[i] = takenBits >> i & 1, written.noClass[i] = noClassBits >> i & 1,
        written.original[i] = in.Text(299);
    std::vector<uint8_t> image = FormatAssocBackup(written);
    AssocBackup backup = ParseAssocBackup(image.data(), image.size());
    Registry registry;
    for (int i = 0; i < kStandardTypes + 2; ++i) {
        std::string extension = i < kStandardTypes ? kAssocTypes[i].extension
                                                   : settings.customExtension[i - kStandardTypes];
        std::string cls = in.Text(599);
        if (!cls.empty())
            registry.keys["." + extension] = {true, cls};
    }
    ClassLookup classOf = [&registry](const std::string& e) { return registry.ClassOf(e); };
    AssocPlan plan = PlanAssociations(settings, kCommand, kIcons, backup, canRecord, classOf);
    CheckPlan(plan, settings, backup, canRecord);
    CarryOut(plan, registry, backup);
    if (!CheckEditVerbs(settings, registry))
        return; // and what an earlier apply left counts
    Registry done = registry;
    AssocPlan again = PlanAssociations(settings, kCommand, kIcons, backup, canRecord, classOf);
    CheckPlan(again, settings, backup, canRecord);
    FUZZ_CHECK(again.takes.empty());
    CarryOut(again, registry, backup);
    FUZZ_CHECK(registry == done);
}
} // namespace

FUZZ_TESTS(Backup, Plan)
