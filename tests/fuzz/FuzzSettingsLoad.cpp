// Any settings file loads over a record holding stale text with every text
// field ending inside its buffer, the source follows the tag, and the
// record written out loads back as the same bytes. A whole file of a later
// version is written back byte for byte behind this version's tag.
#include "FuzzSupport.h"
#include "settings/SettingsCore.h"

namespace {

bool Terminated(const char* field, size_t size) { return std::memchr(field, 0, size) != nullptr; }

#define KORVID_TERMINATED(field) Terminated(r.field, sizeof r.field)
bool AllTerminated(const SettingsRecord& r) {
    return KORVID_TERMINATED(RunFileA) && KORVID_TERMINATED(RunFileB) &&
           KORVID_TERMINATED(RunFileC) && KORVID_TERMINATED(RunParamA) &&
           KORVID_TERMINATED(RunParamB) && KORVID_TERMINATED(RunParamC) &&
           KORVID_TERMINATED(RunDescriptionA) && KORVID_TERMINATED(RunDescriptionB) &&
           KORVID_TERMINATED(RunDescriptionC) && KORVID_TERMINATED(InsertTextA) &&
           KORVID_TERMINATED(InsertTextB) && KORVID_TERMINATED(InsertTextC) &&
           KORVID_TERMINATED(InsertTextD) && KORVID_TERMINATED(InsertTextE) &&
           KORVID_TERMINATED(FontGroup1Extensions) && KORVID_TERMINATED(FontGroup2Extensions) &&
           KORVID_TERMINATED(FontGroup3Extensions) && KORVID_TERMINATED(DefaultDirectory) &&
           KORVID_TERMINATED(PrintProgram) && KORVID_TERMINATED(PrintParameter) &&
           KORVID_TERMINATED(BookmarkMarker) && KORVID_TERMINATED(AutoSaveDirectory) &&
           KORVID_TERMINATED(AssocCustom1Name) && KORVID_TERMINATED(AssocCustom1Ext) &&
           KORVID_TERMINATED(AssocCustom2Name) && KORVID_TERMINATED(AssocCustom2Ext) &&
           KORVID_TERMINATED(InsertTimeFormat) && KORVID_TERMINATED(InsertDateFormat) &&
           KORVID_TERMINATED(LabelMarker1) && KORVID_TERMINATED(LabelMarker2) &&
           KORVID_TERMINATED(LabelMarker3) && KORVID_TERMINATED(FontGroup1Font.lfFaceName) &&
           KORVID_TERMINATED(FontGroup2Font.lfFaceName) &&
           KORVID_TERMINATED(FontGroup3Font.lfFaceName);
}
#undef KORVID_TERMINATED

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SettingsRecord record, again;
    static uint8_t image[kSettingsFileSize];
    MachineDefaults machine;
    machine.programFolder = "C:\\Korvid\\";
    if (size > kSettingsFileSize)
        size = kSettingsFileSize;
    // Stale bytes as an earlier load leaves them: fields terminated, the
    // rest of each full of text.
    std::memset(&record, 'x', sizeof record);
    TerminateTextFields(record);
    static LaterVersionRecord later;
    SettingsSource source = LoadSettingsFromImage(record, data, size, machine, &later);
    FUZZ_CHECK(AllTerminated(record));
    // A file without the tag is foreign; one with it carries a version, which
    // is read without validating (":01" reads as 1001 and counts as foreign).
    int tag = CheckSettingsTagBytes(data, size);
    if (size < 5 || std::memcmp(data, "KRVD1", 5) != 0)
        FUZZ_CHECK(tag == kSettingsTagForeign);
    FUZZ_CHECK(source == (tag == kSettingsTagForeign ? SettingsSource::Defaults
                          : tag >= 170               ? SettingsSource::Current
                                                     : SettingsSource::Upgraded));

    WriteSettingsImage(record, image, &later);
    FUZZ_CHECK(later.present ==
               (source == SettingsSource::Current && tag != kSettingsTagCurrent && tag != 170));
    if (later.present && size == kSettingsFileSize)
        FUZZ_CHECK(std::memcmp(image + 8, data + 8, kSettingsFileSize - 8) == 0);
    std::memset(&again, 'y', sizeof again);
    FUZZ_CHECK(LoadSettingsFromImage(again, image, sizeof image, machine) ==
               SettingsSource::Current);
    FUZZ_CHECK(std::memcmp(&again, &record, sizeof record) == 0);
    return 0;
}
