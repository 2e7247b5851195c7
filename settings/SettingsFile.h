// The settings file "Korvid.Dat" in the data folder.
#pragma once

#include "settings/SettingsCore.h"

#include <windows.h>

void LoadSettings();
void SaveSettings();
void RestoreDefaultSettings();
void ApplyVersion170Defaults();
void FindWordPad();
int CheckSettingsTag(HANDLE file);
// The machine-derived defaults: program folder, fixed font, WordPad.
MachineDefaults CurrentMachineDefaults();
