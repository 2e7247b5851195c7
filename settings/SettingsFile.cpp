#include "settings/SettingsFile.h"

#include "app/AppState.h"
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "document/Notify.h"
#include "document/Save.h"
#include "resource.h"
#include "text/TextRoutines.h"
#include "tools/Tools.h"

#include <cstring>

namespace {

PackedLogFont AnsiFixedFont() {
    PackedLogFont font = {};
    static_assert(sizeof(LOGFONTA) == sizeof(PackedLogFont), "font description size");
    LOGFONTA platform = {};
    if (GetObjectA(GetStockObject(ANSI_FIXED_FONT), sizeof platform, &platform) != 0)
        memcpy(&font, &platform, sizeof font);
    return font;
}

// "ProgramFilesDir" into `out` (600 bytes); false when it cannot be read.
bool ReadProgramFilesDir(char* out) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = kPathSize - 1;
    LONG result = RegQueryValueExA(key, "ProgramFilesDir", nullptr, &type,
                                   reinterpret_cast<BYTE*>(out), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    out[size < kPathSize ? size : kPathSize - 1] = 0;
    return true;
}

bool IsWindowsNt() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    static_assert(sizeof version == 148, "version record is 148 bytes");
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool ReadSettingsFile(const char* folder, uint8_t* buffer, std::size_t* size) {
    char path[kPathSize];
    if (!MakePath(folder, kSettingsFileName, path))
        return false;
    HANDLE file =
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::size_t total = 0;
    while (total < kSettingsFileSize) {
        DWORD got = 0;
        if (!ReadFile(file, buffer + total, static_cast<DWORD>(kSettingsFileSize - total), &got,
                      nullptr) ||
            got == 0)
            break;
        total += got;
    }
    CloseHandle(file);
    *size = total;
    return true;
}

int GreetFirstRun() {
    notify.mode = 1;
    notify.message = "Thanks for trying Korvid. We hope you like it. To set advanced options or "
                     "see the help file Right Click on the main window.";
    notify.caption1 = "OK";
    notify.caption2 = "Open ReadMe";
    notify.caption3 = nullptr;
    RunNotificationLayout(nullptr, IDD_NOTIFY_TWO);
    return LastNotifyAnswer();
}

// "/s" and "/x" run without a window and end at once (the installer and
// the uninstaller start them and wait), so a first run through them never
// greets: the greeting would wait for a click. "/s" still writes the
// defaults it applied, as a first start does; "/x", on the way out, leaves
// no settings behind. The letter of the switch, or 0.
char StartingSwitch() {
    char argument[kPathSize];
    if (GetCommandLineArg(1, argument) != ArgCopied || argument[0] != '/')
        return 0;
    return argument[1] == 's' || argument[1] == 'x' ? argument[1] : 0;
}

// The record as a later version's settings file held it, for the save.
LaterVersionRecord laterVersion;

} // namespace

MachineDefaults CurrentMachineDefaults() {
    static char programFiles[kPathSize];
    MachineDefaults machine;
    machine.programFolder = app.programFolder;
    machine.ansiFixedFont = AnsiFixedFont();
    machine.programFilesDir = ReadProgramFilesDir(programFiles) ? programFiles : nullptr;
    machine.windowsNt = IsWindowsNt();
    return machine;
}

int CheckSettingsTag(HANDLE file) {
    uint8_t tag[kSettingsTagSize];
    DWORD got = 0;
    if (!ReadFile(file, tag, sizeof tag, &got, nullptr))
        got = 0;
    return CheckSettingsTagBytes(tag, got);
}

void FindWordPad() {
    char programFiles[kPathSize];
    bool found = ReadProgramFilesDir(programFiles);
    ComposeWordPadSetting(settings, found ? programFiles : nullptr, IsWindowsNt());
}

void RestoreDefaultSettings() { RestoreDefaultsInto(settings, CurrentMachineDefaults()); }

void ApplyVersion170Defaults() { ApplyVersion170DefaultsInto(settings, AnsiFixedFont()); }

void LoadSettings() {
    SettingsLoadHooks hooks;
    hooks.readFile = ReadSettingsFile;
    hooks.greet = GreetFirstRun;
    hooks.openReadMe = OpenReadMe;
    hooks.save = SaveSettings;
    char startingSwitch = StartingSwitch();
    if (startingSwitch != 0)
        hooks.greet = [] { return 0; };
    if (startingSwitch == 'x')
        hooks.save = [] {};
    LoadSettingsWith(settings, app.dataFolder, app.programFolder, CurrentMachineDefaults(), hooks,
                     &laterVersion);
    app.wordWrap = settings.WordWrap;
}

// The file is replaced whole through a temporary file, so a failed write
// never leaves a cut settings file behind; failures stay silent and the
// next save occasion tries again.
void SaveSettings() {
    if (settings.WindowSizeMode == 2 && app.mainWindow != nullptr) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        if (GetWindowPlacement(app.mainWindow, &placement))
            memcpy(&settings.WindowPlacement, &placement, sizeof placement);
    }
    char path[kPathSize];
    if (!MakePath(app.dataFolder, kSettingsFileName, path))
        return;
    static uint8_t image[kSettingsFileSize];
    WriteSettingsImage(settings, image, &laterVersion);
    WriteFileReplacing(path, image, kSettingsFileSize);
}
