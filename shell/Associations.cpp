#include "shell/Associations.h"

#include "app/AppState.h"
#include "app/Startup.h"
#include "document/Save.h"
#include "settings/SettingsRecord.h"
#include "shell/AssociationsCore.h"
#include "text/TextRoutines.h"

#include <shlobj.h>

#include <string>
#include <vector>

bool RegAccessValue(HKEY root, const char* subkey, const char* valueName, char* buffer,
                    bool write) {
    HKEY key = nullptr;
    if (write) {
        if (RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        // The terminator is part of a REG_SZ value, so every reader finds
        // the text ended.
        LONG result = RegSetValueExA(key, valueName, 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(buffer), TextLength(buffer) + 1);
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    char value[kPathSize + 1] = {};
    DWORD size = kPathSize;
    DWORD type = 0;
    LONG result =
        RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    value[size < kPathSize ? size : kPathSize - 1] = '\0';
    TextCopy(value, buffer);
    return true;
}

namespace {

std::string ClassOfExtension(const std::string& extension) {
    char buffer[kPathSize] = "";
    RegAccessValue(HKEY_CLASSES_ROOT, ("." + extension).c_str(), nullptr, buffer, false);
    return buffer;
}

// Record `index` of the backup: the class the type's extension has now,
// unless that class already opens files with this program.
void BackupAssociationRecord(const char* extension, int index, AssocBackup& backup,
                             const std::string& programPath) {
    std::string current = ClassOfExtension(extension);
    char command[kPathSize] = "";
    if (!current.empty())
        RegAccessValue(HKEY_CLASSES_ROOT, (current + "\\shell\\open\\command").c_str(), nullptr,
                       command, false);
    TakeBackupRecord(backup, index, current, IsOwnCommandLine(command, programPath));
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

AssocSettings SettingsForPlan() {
    AssocSettings plan;
    for (int i = 0; i < kAssocRows; ++i)
        plan.states[i] = settings.AssocTypeStates[i];
    plan.openWithAll = settings.AssocOpenWithAll != 0;
    char text[sizeof settings.AssocCustom1Ext + 1];
    const char* fields[4] = {settings.AssocCustom1Ext, settings.AssocCustom2Ext,
                             settings.AssocCustom1Name, settings.AssocCustom2Name};
    std::string* targets[4] = {&plan.customExtension[0], &plan.customExtension[1],
                               &plan.customName[0], &plan.customName[1]};
    for (int k = 0; k < 4; ++k) {
        TextCopyBounded(fields[k], text, sizeof settings.AssocCustom1Ext);
        *targets[k] = text;
    }
    return plan;
}

bool RunStep(const RegistryStep& step) {
    switch (step.op) {
    case RegistryStep::SetDefault: {
        std::vector<char> value(step.value.begin(), step.value.end());
        value.push_back('\0');
        return RegAccessValue(HKEY_CLASSES_ROOT, step.key.c_str(), nullptr, value.data(), true);
    }
    case RegistryStep::DeleteDefault: {
        HKEY key = nullptr;
        LONG result = RegOpenKeyExA(HKEY_CLASSES_ROOT, step.key.c_str(), 0, KEY_SET_VALUE, &key);
        if (result == ERROR_FILE_NOT_FOUND)
            return true;
        if (result != ERROR_SUCCESS)
            return false;
        result = RegDeleteValueA(key, nullptr);
        RegCloseKey(key);
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    case RegistryStep::DeleteKey: {
        LONG result = RegDeleteKeyA(HKEY_CLASSES_ROOT, step.key.c_str());
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    }
    return false;
}

} // namespace

int ApplyAssociations() {
    std::string folder = app.programFolder;
    std::string programPath = folder + "Korvid.exe";
    std::string commandLine = OwnCommandLine(programPath);
    // The icons are the companion program's when it is there, else the
    // program's own, which holds the same icons at the same positions.
    std::string iconFile = folder + (Exists(folder + "KorvSet.exe") ? "KorvSet.exe" : "Korvid.exe");

    char backupPath[kPathSize];
    bool havePath = MakePath(app.dataFolder, "KvRgBack.dat", backupPath);
    AssocBackup backup;
    bool canRecord = havePath;
    if (havePath && Exists(backupPath)) {
        std::vector<uint8_t> bytes(kBackupFileSize);
        HANDLE file = CreateFileA(backupPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD got = 0;
        // A backup that exists but cannot be read is never written over:
        // the classes it holds would be lost.
        canRecord = file != INVALID_HANDLE_VALUE &&
                    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        backup = ParseAssocBackup(bytes.data(), canRecord ? got : 0);
    }

    AssocSettings wanted = SettingsForPlan();
    ClassLookup classOf = [](const std::string& extension) { return ClassOfExtension(extension); };
    AssocPlan plan = PlanAssociations(wanted, commandLine, iconFile, backup, canRecord, classOf);
    int failed = 0;
    if (!plan.takes.empty()) {
        for (int index : plan.takes)
            BackupAssociationRecord(kAssocTypes[index].extension, index, backup, programPath);
        std::vector<uint8_t> image = FormatAssocBackup(backup);
        if (!WriteFileReplacing(backupPath, image.data(), static_cast<DWORD>(image.size()))) {
            // Without their record the types would lose the class they had:
            // they stay as they are this time.
            for (int index : plan.takes)
                wanted.states[index] = ASSOC_UNCHANGED;
            failed += static_cast<int>(plan.takes.size());
            plan = PlanAssociations(wanted, commandLine, iconFile, backup, false, classOf);
        }
    }
    for (const RegistryStep& step : plan.steps)
        if (!RunStep(step))
            ++failed;
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return failed;
}
