// The window-free part of the file associations: the type and action
// tables, the backup file of the classes the extensions had before, and the
// plan of what to write to HKEY_CLASSES_ROOT. The registry layer only
// carries a plan out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum AssocAction : int32_t {
    ASSOC_OFF_RESTORE = 0,
    ASSOC_ON = 1,
    ASSOC_ON_ICON = 2,
    ASSOC_EDIT_ONLY = 3,
    ASSOC_DEFAULT = 4,
    ASSOC_UNCHANGED = 5,
};
constexpr int kAssocActions = 6;
constexpr int kAssocRows = 14;     // twelve standard types and two custom ones
constexpr int kStandardTypes = 12; // rows 0 to 11

struct AssocType {
    const char* caption;
    const char* extension; // without the dot; null for the custom rows
    const char* standardClass;
    const char* description;
    int iconNumber;
    int32_t normAction;
};
extern const AssocType kAssocTypes[kAssocRows];
extern const char* const kAssocActionCaptions[kAssocActions];

// The program's own class for an extension: "Korvid." + e + "File".
std::string OwnClassOf(const std::string& extension);

// The open command of the program at `programPath` (a full path): the
// program's path and the file's, each in double quotes, so that a path with
// blanks never starts another program that its first word names.
std::string OwnCommandLine(const std::string& programPath);

// Whether a command opens files with the program at `programPath`: the
// quoted form of OwnCommandLine, or the unquoted program path that earlier
// versions wrote. Case and surrounding blanks do not count.
bool IsOwnCommandLine(const std::string& command, const std::string& programPath);

// The backup "KvRgBack.dat": a 9-byte header, then a 300-byte record per
// standard type holding the class that extension had before the program
// first changed it. The header marks which records are taken and which of
// them found no class at all, so an empty record of a taken type means "no
// class", and one not yet taken is never mistaken for it.
constexpr size_t kBackupHeaderSize = 9;
constexpr size_t kBackupRecordSize = 300;
constexpr size_t kBackupFileSize = kBackupHeaderSize + kStandardTypes * kBackupRecordSize;

struct AssocBackup {
    bool taken[kStandardTypes] = {};
    bool noClass[kStandardTypes] = {};
    std::string original[kStandardTypes];
};

// Reads a backup image. A file without this program's header (or a short
// one) counts its non-empty records as taken.
AssocBackup ParseAssocBackup(const uint8_t* data, size_t size);
std::vector<uint8_t> FormatAssocBackup(const AssocBackup& backup);

// Takes record `index` from the class the extension has now (empty: none).
// When the extension already points at the program's own class, or at a
// class whose open command runs this program (`classIsOurs`), the class
// before is unknown and the type's standard class is recorded instead.
void TakeBackupRecord(AssocBackup& backup, int index, const std::string& currentClass,
                      bool classIsOurs = false);

struct AssocSettings {
    int32_t states[kAssocRows] = {};
    bool openWithAll = false;
    std::string customExtension[2];
    std::string customName[2];
};

struct RegistryStep {
    enum Op {
        SetDefault,    // the key's default value becomes `value`
        DeleteDefault, // the key's default value is removed
        DeleteKey,     // the key (without subkeys) is removed; a missing one is fine
    };
    Op op;
    std::string key;
    std::string value;
    bool operator==(const RegistryStep& other) const {
        return op == other.op && key == other.key && value == other.value;
    }
};

struct AssocPlan {
    // Backup records to take before anything changes (standard type
    // indexes); only records not yet taken are listed.
    std::vector<int> takes;
    std::vector<RegistryStep> steps;
};

// The class an extension points at before the plan runs; empty when it has
// none (or no key).
using ClassLookup = std::function<std::string(const std::string& extension)>;

// What to write for the settings. `canRecord` is false when the backup
// exists but cannot be read, so that no record is taken over it.
AssocPlan PlanAssociations(const AssocSettings& settings, const std::string& commandLine,
                           const std::string& iconFile, const AssocBackup& backup, bool canRecord,
                           const ClassLookup& classOf);
