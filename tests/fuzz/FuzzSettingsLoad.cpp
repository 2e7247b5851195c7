// Any settings file loads over a record holding stale text with every text
// field ending inside its buffer, the source follows the tag, and the
// record written out loads back as the same bytes. A whole file of a later
// version is written back byte for byte behind this version's tag.
#include "FuzzSupport.h"
#include "settings/SettingsCore.h"

namespace {

// Every text field of the record, by name.
bool AllTerminated(const SettingsRecord& r) {
    bool all = true;
    auto ended = [&all](const char* field, size_t size) {
        all = all && std::memchr(field, 0, size) != nullptr;
    };
#define E(field) ended(r.field, sizeof r.field)
    E(RunFileA), E(RunFileB), E(RunFileC), E(RunParamA), E(RunParamB), E(RunParamC);
    E(RunDescriptionA), E(RunDescriptionB), E(RunDescriptionC), E(InsertTextA), E(InsertTextB);
    E(InsertTextC), E(InsertTextD), E(InsertTextE), E(FontGroup1Extensions);
    E(FontGroup2Extensions), E(FontGroup3Extensions), E(DefaultDirectory), E(PrintProgram);
    E(PrintParameter), E(BookmarkMarker), E(AutoSaveDirectory), E(AssocCustom1Name);
    E(AssocCustom1Ext), E(AssocCustom2Name), E(AssocCustom2Ext), E(InsertTimeFormat);
    E(InsertDateFormat), E(LabelMarker1), E(LabelMarker2), E(LabelMarker3);
    E(FontGroup1Font.lfFaceName), E(FontGroup2Font.lfFaceName), E(FontGroup3Font.lfFaceName);
#undef E
    return all;
}

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
