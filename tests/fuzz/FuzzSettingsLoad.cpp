// Any settings file must load without a crash, and every text field must
// end inside its buffer afterwards.
#include "settings/SettingsCore.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SettingsRecord record;
    MachineDefaults machine;
    machine.programFolder = "C:\\Korvid\\";
    if (size > kSettingsFileSize)
        size = kSettingsFileSize;
    LoadSettingsFromImage(record, data, size, machine);
    if (strnlen(record.PrintProgram, sizeof record.PrintProgram) == sizeof record.PrintProgram ||
        strnlen(record.LabelMarker3, sizeof record.LabelMarker3) == sizeof record.LabelMarker3)
        __builtin_trap();
    uint8_t image[kSettingsFileSize];
    WriteSettingsImage(record, image);
    return 0;
}
