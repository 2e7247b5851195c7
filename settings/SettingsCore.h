// Window-free half of the settings: defaults, the version-170 upgrade, the
// tag check, the file image and the load decision. The platform half in
// SettingsFile.cpp supplies files, fonts, the registry and the greeting.
#pragma once

#include "settings/SettingsRecord.h"

#include <cstddef>
#include <cstdint>
#include <functional>

constexpr int kSettingsTagCurrent = 1000;
constexpr int kSettingsTagForeign = 1001;
constexpr char kSettingsTag[] = "KRVD1170";
constexpr char kSettingsFileName[] = "Korvid.Dat";

// Values the defaults take from the machine rather than from constants.
struct MachineDefaults {
    const char* programFolder = "";
    PackedLogFont ansiFixedFont{};
    // The "ProgramFilesDir" value, or nullptr when it cannot be read.
    const char* programFilesDir = nullptr;
    bool windowsNt = true;
};

// 1000 for a current file, 1001 for a foreign one, else the version number
// the file carries. `size` may be below 8 for a short file.
int CheckSettingsTagBytes(const uint8_t* bytes, std::size_t size);

void RestoreDefaultsInto(SettingsRecord& record, const MachineDefaults& machine);
void ApplyVersion170DefaultsInto(SettingsRecord& record, const PackedLogFont& ansiFixedFont);
void ComposeWordPadSetting(SettingsRecord& record, const char* programFilesDir, bool windowsNt);

// The fields of the font group that `CurrentFontGroup` names: 0 One, 1 Two,
// any other value Three.
struct FontGroupFields {
    PackedLogFont* font;
    uint32_t* textColour;
    uint32_t* backColour;
};
FontGroupFields CurrentFontGroupFields(SettingsRecord& record);

// Every text field ends inside its buffer after this, so no reader runs off
// a field; fields that already hold a terminator are left byte for byte.
void TerminateTextFields(SettingsRecord& record);

// A later version may use every byte of a text field. The program reads
// such a field one byte short, so that no reader runs off it, and keeps the
// record as the file held it: a save gives the byte back for every field
// that still holds what was read, so the later version finds its settings as
// they were.
struct LaterVersionRecord {
    bool present = false;
    SettingsRecord asRead{};
};

// The 8208 bytes of the settings file for `record`; with `later`, the bytes
// the load cut from a later version's fields are given back.
void WriteSettingsImage(const SettingsRecord& record, uint8_t* out,
                        const LaterVersionRecord* later = nullptr);

// How the record was filled by LoadSettingsFromImage.
enum class SettingsSource {
    Defaults, // foreign file: full defaults
    Current,  // version 170 or later, taken as it is
    Upgraded, // older version: read, then the version-170 fields reset
};

// Fills `record` from a settings file's bytes (`size` may be anything, the
// record is read as far as the file reaches). A later version's file is
// also kept whole in `later`, when given.
SettingsSource LoadSettingsFromImage(SettingsRecord& record, const uint8_t* bytes, std::size_t size,
                                     const MachineDefaults& machine,
                                     LaterVersionRecord* later = nullptr);

// The whole load decision, with the platform's parts passed in.
struct SettingsLoadHooks {
    // Reads up to kSettingsFileSize bytes of the named file; false when it
    // cannot be opened.
    std::function<bool(const char* folder, uint8_t* buffer, std::size_t* size)> readFile;
    // Shows the first-run greeting; returns the answer (2 = "Open ReadMe").
    std::function<int()> greet;
    std::function<void()> openReadMe;
    std::function<void()> save;
};

enum class SettingsLoadResult { FromDataFolder, FromProgramFolder, FirstRunGreeted, FirstRunQuiet };

SettingsLoadResult LoadSettingsWith(SettingsRecord& record, const char* dataFolder,
                                    const char* programFolder, const MachineDefaults& machine,
                                    const SettingsLoadHooks& hooks,
                                    LaterVersionRecord* later = nullptr);
