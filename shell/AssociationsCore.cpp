#include "shell/AssociationsCore.h"

#include <cstring>
#include <map>
#include <set>

const AssocType kAssocTypes[kAssocRows] = {
    {"Text File", "txt", "txtfile", "Text Document", 3, ASSOC_ON_ICON},
    {"Rich Text", "rtf", "rtffile", "Rich Text File", 4, ASSOC_EDIT_ONLY},
    {"DIZ", "diz", "txtfile", "Diz File", 5, ASSOC_ON_ICON},
    {"Info", "nfo", "txtfile", "Info File", 6, ASSOC_ON_ICON},
    {"HTML", "htm", "htmlfile", "Hypertext File", 7, ASSOC_EDIT_ONLY},
    {"Registry", "reg", "regfile", "Registry Entries", 8, ASSOC_EDIT_ONLY},
    {"Batch", "bat", "batfile", "Batch File", 9, ASSOC_EDIT_ONLY},
    {"Assembly", "asm", "txtfile", "Assembly Source", 10, ASSOC_ON_ICON},
    {"Resource", "rc", "txtfile", "Resource File", 11, ASSOC_ON_ICON},
    {"Resource Header", "h", "txtfile", "Resorce Header", 12, ASSOC_ON_ICON},
    {"Include", "inc", "txtfile", "Include File", 13, ASSOC_ON_ICON},
    {"Log", "log", "txtfile", "Log File", 14, ASSOC_ON_ICON},
    {"Custom A", nullptr, nullptr, nullptr, 2, ASSOC_UNCHANGED},
    {"Custom B", nullptr, nullptr, nullptr, 2, ASSOC_UNCHANGED},
};

const char* const kAssocActionCaptions[kAssocActions] = {
    "Off / Restore", "On", "On & Use Icon", "Edit Only", "Default", "UnChanged"};

std::string OwnClassOf(const std::string& extension) { return "Korvid." + extension + "File"; }

std::string OwnCommandLine(const std::string& programPath) {
    return "\"" + programPath + "\" \"%1\"";
}

namespace {

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

bool IsOwnCommandLine(const std::string& command, const std::string& programPath) {
    size_t first = command.find_first_not_of(" \t");
    if (first == std::string::npos || programPath.empty())
        return false;
    size_t last = command.find_last_not_of(" \t");
    std::string text = command.substr(first, last - first + 1);
    return SameNoCase(text, OwnCommandLine(programPath)) ||
           SameNoCase(text, programPath + " \"%1\"");
}

namespace {

// "KvRgB", then two bytes of taken records and two of records that found
// no class, one bit per standard type.
constexpr char kBackupTag[5] = {'K', 'v', 'R', 'g', 'B'};

uint16_t Bits(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

std::string RecordText(const uint8_t* record) {
    size_t n = 0;
    while (n < kBackupRecordSize - 1 && record[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(record), n);
}

// A custom extension as typed: a leading dot is dropped; one that would
// name another key (a backslash) or nothing at all is no extension.
std::string CustomExtension(const std::string& typed) {
    std::string extension = typed;
    while (!extension.empty() && extension[0] == '.')
        extension.erase(0, 1);
    if (extension.find('\\') != std::string::npos)
        return std::string();
    return extension;
}

} // namespace

AssocBackup ParseAssocBackup(const uint8_t* data, size_t size) {
    AssocBackup backup;
    bool marked = size >= kBackupHeaderSize && memcmp(data, kBackupTag, sizeof kBackupTag) == 0;
    uint16_t taken = marked ? Bits(data + 5) : 0;
    uint16_t noClass = marked ? Bits(data + 7) : 0;
    for (int i = 0; i < kStandardTypes; ++i) {
        size_t at = kBackupHeaderSize + static_cast<size_t>(i) * kBackupRecordSize;
        std::string text = at + kBackupRecordSize <= size ? RecordText(data + at) : std::string();
        if (marked) {
            backup.taken[i] = (taken >> i) & 1;
            backup.noClass[i] = backup.taken[i] && ((noClass >> i) & 1);
        } else {
            backup.taken[i] = !text.empty();
        }
        backup.original[i] = backup.taken[i] && !backup.noClass[i] ? text : std::string();
        if (backup.taken[i] && !backup.noClass[i] && text.empty())
            backup.taken[i] = false; // a taken record with no text holds nothing to restore
    }
    return backup;
}

std::vector<uint8_t> FormatAssocBackup(const AssocBackup& backup) {
    std::vector<uint8_t> file(kBackupFileSize, 0);
    memcpy(file.data(), kBackupTag, sizeof kBackupTag);
    uint16_t taken = 0, noClass = 0;
    for (int i = 0; i < kStandardTypes; ++i) {
        if (!backup.taken[i])
            continue;
        taken = static_cast<uint16_t>(taken | (1u << i));
        if (backup.noClass[i])
            noClass = static_cast<uint16_t>(noClass | (1u << i));
        const std::string& text = backup.original[i];
        size_t n = text.size() < kBackupRecordSize - 1 ? text.size() : kBackupRecordSize - 1;
        memcpy(file.data() + kBackupHeaderSize + static_cast<size_t>(i) * kBackupRecordSize,
               text.data(), n);
    }
    file[5] = static_cast<uint8_t>(taken & 0xFF);
    file[6] = static_cast<uint8_t>(taken >> 8);
    file[7] = static_cast<uint8_t>(noClass & 0xFF);
    file[8] = static_cast<uint8_t>(noClass >> 8);
    return file;
}

void TakeBackupRecord(AssocBackup& backup, int index, const std::string& currentClass,
                      bool classIsOurs) {
    const AssocType& type = kAssocTypes[index];
    backup.taken[index] = true;
    backup.noClass[index] = currentClass.empty();
    if (currentClass.empty())
        backup.original[index].clear();
    else if (classIsOurs || currentClass == OwnClassOf(type.extension))
        backup.original[index] = type.standardClass;
    else
        backup.original[index] = currentClass.substr(0, kBackupRecordSize - 1);
}

namespace {

// Registry key names compare without regard to case, so the plan's own
// records of classes and extensions do too.
struct NoCase {
    static char Lower(char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    bool operator()(const std::string& a, const std::string& b) const {
        size_t n = a.size() < b.size() ? a.size() : b.size();
        for (size_t i = 0; i < n; ++i) {
            char x = Lower(a[i]), y = Lower(b[i]);
            if (x != y)
                return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        }
        return a.size() < b.size();
    }
};

class Planner {
  public:
    Planner(const std::string& commandLine, const std::string& iconFile, const AssocBackup& backup,
            bool canRecord, const ClassLookup& classOf)
        : commandLine_(commandLine), iconFile_(iconFile), backup_(backup), canRecord_(canRecord),
          classOf_(classOf) {}

    // One type: class `own`, extension `e`, standard index or -1.
    void Type(const std::string& own, const std::string& e, int index, int32_t action,
              const std::string& description, int iconNumber) {
        const std::string dotted = "." + e;
        if (action == ASSOC_ON || action == ASSOC_ON_ICON || action == ASSOC_DEFAULT) {
            if (index >= 0 && canRecord_ && !backup_.taken[index] && !taken_[index]) {
                plan.takes.push_back(index);
                taken_[index] = true;
            }
            if (action != ASSOC_DEFAULT) {
                Set(own, description);
                Set(own + "\\shell", "&Open");
                Set(own + "\\shell\\Open\\Command", commandLine_);
                if (action == ASSOC_ON_ICON)
                    Set(own + "\\DefaultIcon", iconFile_ + "," + std::to_string(iconNumber));
            }
            // The extension is pointed at the class once the class is
            // whole: the shell never finds it naming a class without a verb.
            Set(dotted, own);
            classes_[e] = own;
        } else if (action == ASSOC_OFF_RESTORE && index >= 0 && backup_.taken[index]) {
            if (!backup_.noClass[index]) {
                Set(dotted, backup_.original[index]);
                classes_[e] = backup_.original[index];
            } else if (ClassOf(e) == OwnClassOf(e)) {
                // It had no class before: the program's own is taken away.
                plan.steps.push_back({RegistryStep::DeleteDefault, dotted, ""});
                classes_[e] = "";
            }
        }
        std::string current = ClassOf(e);
        if (!current.empty()) {
            if (action == ASSOC_EDIT_ONLY) {
                Set(current + "\\shell\\Korvid\\Command", commandLine_);
                editClasses_.insert(current);
            } else if (editClasses_.count(current) == 0) {
                // A class that several types share keeps the verb an Edit
                // Only row gave it, whichever row comes first.
                Delete(current + "\\shell\\Korvid\\Command");
                Delete(current + "\\shell\\Korvid");
            }
        }
    }

    void Set(const std::string& key, const std::string& value) {
        plan.steps.push_back({RegistryStep::SetDefault, key, value});
    }
    void Delete(const std::string& key) {
        plan.steps.push_back({RegistryStep::DeleteKey, key, ""});
    }

    AssocPlan plan;

  private:
    std::string ClassOf(const std::string& e) {
        auto found = classes_.find(e);
        return found != classes_.end() ? found->second : classOf_(e);
    }

    const std::string& commandLine_;
    const std::string& iconFile_;
    const AssocBackup& backup_;
    bool canRecord_;
    const ClassLookup& classOf_;
    bool taken_[kStandardTypes] = {};
    std::map<std::string, std::string, NoCase> classes_; // what the plan has set so far
    std::set<std::string, NoCase> editClasses_;          // classes given the verb so far
};

} // namespace

AssocPlan PlanAssociations(const AssocSettings& settings, const std::string& commandLine,
                           const std::string& iconFile, const AssocBackup& backup, bool canRecord,
                           const ClassLookup& classOf) {
    Planner planner(commandLine, iconFile, backup, canRecord, classOf);
    for (int i = 0; i < kStandardTypes; ++i) {
        int32_t action = settings.states[i];
        if (action < ASSOC_OFF_RESTORE || action >= ASSOC_UNCHANGED)
            continue; // UnChanged, or a value no action has
        const AssocType& type = kAssocTypes[i];
        std::string own = action == ASSOC_DEFAULT ? type.standardClass : OwnClassOf(type.extension);
        planner.Type(own, type.extension, i, action, type.description, type.iconNumber);
    }
    for (int c = 0; c < 2; ++c) {
        int32_t action = settings.states[kStandardTypes + c];
        std::string extension = CustomExtension(settings.customExtension[c]);
        if (action < ASSOC_OFF_RESTORE || action >= ASSOC_UNCHANGED || extension.empty())
            continue;
        planner.Type(OwnClassOf(extension), extension, -1, action, settings.customName[c], 2);
    }
    const std::string verb = "*\\shell\\Open with Korvid";
    if (settings.openWithAll) {
        planner.Set(verb + "\\Command", commandLine);
    } else {
        planner.Delete(verb + "\\Command");
        planner.Delete(verb);
    }
    return planner.plan;
}
