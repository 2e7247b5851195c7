#include "settings/SettingsCore.h"

#include "text/TextRoutines.h"

#include <cstring>

namespace {

template <std::size_t N> void SetText(char (&field)[N], const char* text) {
    TextCopyBounded(text, field, N);
}

// (offset, size) of every text field, for TerminateTextFields.
struct TextField {
    std::size_t offset;
    std::size_t size;
};

#define KORVID_TEXT(field)                                                                         \
    { offsetof(SettingsRecord, field), sizeof(SettingsRecord::field) }
const TextField kTextFields[] = {
    KORVID_TEXT(RunFileA),
    KORVID_TEXT(RunFileB),
    KORVID_TEXT(RunFileC),
    KORVID_TEXT(RunParamA),
    KORVID_TEXT(RunParamB),
    KORVID_TEXT(RunParamC),
    KORVID_TEXT(RunDescriptionA),
    KORVID_TEXT(RunDescriptionB),
    KORVID_TEXT(RunDescriptionC),
    KORVID_TEXT(InsertTextA),
    KORVID_TEXT(InsertTextB),
    KORVID_TEXT(InsertTextC),
    KORVID_TEXT(InsertTextD),
    KORVID_TEXT(InsertTextE),
    KORVID_TEXT(FontGroup1Extensions),
    KORVID_TEXT(FontGroup2Extensions),
    KORVID_TEXT(DefaultDirectory),
    KORVID_TEXT(PrintProgram),
    KORVID_TEXT(PrintParameter),
    KORVID_TEXT(BookmarkMarker),
    KORVID_TEXT(AutoSaveDirectory),
    KORVID_TEXT(AssocCustom1Name),
    KORVID_TEXT(AssocCustom1Ext),
    KORVID_TEXT(AssocCustom2Name),
    KORVID_TEXT(AssocCustom2Ext),
    KORVID_TEXT(InsertTimeFormat),
    KORVID_TEXT(InsertDateFormat),
    KORVID_TEXT(LabelMarker1),
    KORVID_TEXT(LabelMarker2),
    KORVID_TEXT(LabelMarker3),
    KORVID_TEXT(FontGroup3Extensions),
    {offsetof(SettingsRecord, FontGroup1Font) + offsetof(PackedLogFont, lfFaceName), 32},
    {offsetof(SettingsRecord, FontGroup2Font) + offsetof(PackedLogFont, lfFaceName), 32},
    {offsetof(SettingsRecord, FontGroup3Font) + offsetof(PackedLogFont, lfFaceName), 32},
};
#undef KORVID_TEXT

} // namespace

int CheckSettingsTagBytes(const uint8_t* bytes, std::size_t size) {
    if (size < 5 || std::memcmp(bytes, "KRVD1", 5) != 0)
        return kSettingsTagForeign;
    char version[4] = {0, 0, 0, 0};
    for (std::size_t i = 0; i < 3 && 5 + i < size; ++i)
        version[i] = static_cast<char>(bytes[5 + i]);
    // A zero byte among the digits ends the number early, like any text.
    if (std::memcmp(version, "170", 3) == 0)
        return kSettingsTagCurrent;
    return DecimalToInt(version);
}

void ComposeWordPadSetting(SettingsRecord& record, const char* programFilesDir, bool windowsNt) {
    const char* suffix =
        windowsNt ? "\\Windows NT\\Accessories\\WORDPAD.EXE" : "\\Accessories\\WORDPAD.EXE";
    char path[sizeof record.PrintProgram];
    path[0] = 0;
    if (programFilesDir != nullptr)
        TextCopyBounded(programFilesDir, path, sizeof path);
    // The suffix must fit whole; a folder too long to take it leaves the
    // suffix alone rather than a cut path.
    if (TextLength(path) + TextLength(suffix) >= sizeof path)
        path[0] = 0;
    TextAppend(path, suffix);
    SetText(record.PrintProgram, path);
    SetText(record.PrintParameter, "/p ");
}

void ApplyVersion170DefaultsInto(SettingsRecord& r, const PackedLogFont& ansiFixedFont) {
    r.FontGroup2BackColour = 0xFFFFFF;
    r.FontGroup3BackColour = 0xFFFFFF;
    r.ReservedBackColours[0] = 0xFFFFFF;
    r.ReservedBackColours[1] = 0xFFFFFF;
    r.LabelsEnabled = 1;
    r.BookmarkMaxFileSize = 200000;
    r.SaveEmptyFiles = 0;
    r.LabelName1 = 1;
    r.LabelName2 = 1;
    r.LabelName3 = 0;
    r.GuessFileName = 0;
    r.InsertTimeMode = 0;
    SetText(r.InsertTimeFormat, "hh':'mm':'ss tt");
    SetText(r.InsertDateFormat, "ddd',' MMM dd yyyy");
    SetText(r.LabelMarker1, " proc");
    SetText(r.LabelMarker2, "...");
    SetText(r.LabelMarker3, "*** ");
    r.FontGroup1Font = ansiFixedFont;
    r.FontGroup2Font = ansiFixedFont;
    r.FontGroup3Font = ansiFixedFont;
    SetText(r.FontGroup3Extensions, ".txt    ");
    r.LabelsMaxFileSize = 500000;
    r.LabelsMax = 1000;
    r.FontGroup3Auto = 0;
    r.FontGroup3DeWrap = 0;
    r.CurrentFontGroup = 0;
    r.DefaultFontGroup = 0;
    r.AutoOverwriteOff = 0;
}

void RestoreDefaultsInto(SettingsRecord& r, const MachineDefaults& machine) {
    r.ToolbarEnabled = 1;
    r.StatusBarEnabled = 1;
    r.UrlHighlight = 1;
    r.StayOnTop = 0;
    r.AutoSaveMinutes = 60;
    r.AutoSaveMode = 1;
    r.WindowSizeMode = 0;
    r.WindowSizeValue = 60;
    r.AutoSaveEnabled = 0;
    r.WordWrap = 1;
    r.SelectionBar = 1;
    r.ToolbarRunButtons = 1;
    r.ToolbarInsertButtons = 1;
    r.AutoSaveNewFiles = 1;
    r.AutoSaveKeepTrying = 0;
    r.AssocAutoRefresh = 0;
    r.NoRecoveryCopies = 0;
    r.TitleFullPath = 0;
    r.ToolbarSearchButtons = 1;
    r.FontGroup1Auto = 1;
    r.FontGroup2Auto = 1;
    SetText(r.FontGroup1Extensions, ".nfo    ");
    SetText(r.FontGroup2Extensions, ".asm.inc.rc .h  .htm.diz");
    SetText(r.DefaultDirectory, machine.programFolder);
    r.MonitorFile = 0;
    r.PartialLoadSize = 1000000;
    r.PartialLoadMode = 1;
    r.FontGroup1DeWrap = 1;
    r.FontGroup2DeWrap = 1;
    r.DefaultExtension = 1;
    r.ExitSave = 0;
    r.TrayMinimise = 0;
    SetText(r.BookmarkMarker, "Korvid");
    r.ToolbarBookmarkButtons = 1;
    r.BookmarkMode = 0;
    SetText(r.AutoSaveDirectory, machine.programFolder);
    r.MenuManipulate = 0;
    r.MenuRunList = 1;
    r.MenuInsertList = 1;
    r.MenuBookmarks = 1;
    r.OverwriteSelection = 1;
    r.PureTextPaste = 1;
    r.NotifySound = 0;
    r.EscapeCloses = 1;
    r.ShowFileErrors = 1;
    r.FontGroup1TextColour = 0;
    r.FontGroup2TextColour = 0;
    r.FontGroup3TextColour = 0;
    r.ReservedTextColours[0] = 0;
    r.ReservedTextColours[1] = 0;
    r.FontGroup1BackColour = 0xFFFFFF;
    std::memset(r.Reserved3, 0, sizeof r.Reserved3);
    ComposeWordPadSetting(r, machine.programFilesDir, machine.windowsNt);
    ApplyVersion170DefaultsInto(r, machine.ansiFixedFont);
}

FontGroupFields CurrentFontGroupFields(SettingsRecord& r) {
    switch (r.CurrentFontGroup) {
    case 0:
        return {&r.FontGroup1Font, &r.FontGroup1TextColour, &r.FontGroup1BackColour};
    case 1:
        return {&r.FontGroup2Font, &r.FontGroup2TextColour, &r.FontGroup2BackColour};
    default:
        return {&r.FontGroup3Font, &r.FontGroup3TextColour, &r.FontGroup3BackColour};
    }
}

void TerminateTextFields(SettingsRecord& record) {
    uint8_t* base = reinterpret_cast<uint8_t*>(&record);
    for (const TextField& f : kTextFields) {
        if (std::memchr(base + f.offset, 0, f.size) == nullptr)
            base[f.offset + f.size - 1] = 0;
    }
}

void WriteSettingsImage(const SettingsRecord& record, uint8_t* out,
                        const LaterVersionRecord* later) {
    std::memcpy(out, kSettingsTag, kSettingsTagSize);
    std::memcpy(out + kSettingsTagSize, &record, kSettingsRecordSize);
    if (later == nullptr || !later->present)
        return;
    const uint8_t* now = reinterpret_cast<const uint8_t*>(&record);
    const uint8_t* read = reinterpret_cast<const uint8_t*>(&later->asRead);
    for (const TextField& f : kTextFields) {
        std::size_t last = f.offset + f.size - 1;
        if (std::memchr(read + f.offset, 0, f.size) == nullptr && now[last] == 0 &&
            std::memcmp(now + f.offset, read + f.offset, f.size - 1) == 0)
            out[kSettingsTagSize + last] = read[last];
    }
}

SettingsSource LoadSettingsFromImage(SettingsRecord& record, const uint8_t* bytes, std::size_t size,
                                     const MachineDefaults& machine, LaterVersionRecord* later) {
    int tag = CheckSettingsTagBytes(bytes, size);
    if (later != nullptr)
        later->present = false;
    if (tag == kSettingsTagForeign) {
        RestoreDefaultsInto(record, machine);
        return SettingsSource::Defaults;
    }
    if (size > kSettingsTagSize) {
        std::size_t n = size - kSettingsTagSize;
        if (n > kSettingsRecordSize)
            n = kSettingsRecordSize;
        std::memcpy(&record, bytes + kSettingsTagSize, n);
    }
    if (later != nullptr && tag > 170 && tag != kSettingsTagCurrent) {
        later->present = true;
        later->asRead = record;
    }
    TerminateTextFields(record);
    if (tag < 170) {
        ApplyVersion170DefaultsInto(record, machine.ansiFixedFont);
        return SettingsSource::Upgraded;
    }
    return SettingsSource::Current;
}

SettingsLoadResult LoadSettingsWith(SettingsRecord& record, const char* dataFolder,
                                    const char* programFolder, const MachineDefaults& machine,
                                    const SettingsLoadHooks& hooks, LaterVersionRecord* later) {
    if (later != nullptr)
        later->present = false;
    uint8_t buffer[kSettingsFileSize];
    std::size_t size = 0;
    if (hooks.readFile(dataFolder, buffer, &size)) {
        LoadSettingsFromImage(record, buffer, size, machine, later);
        return SettingsLoadResult::FromDataFolder;
    }
    if (hooks.readFile(programFolder, buffer, &size)) {
        LoadSettingsFromImage(record, buffer, size, machine, later);
        return SettingsLoadResult::FromProgramFolder;
    }
    RestoreDefaultsInto(record, machine);
    if (std::strcmp(dataFolder, programFolder) == 0)
        return SettingsLoadResult::FirstRunQuiet;
    if (hooks.greet() == 2)
        hooks.openReadMe();
    hooks.save();
    return SettingsLoadResult::FirstRunGreeted;
}

SettingsRecord settings;
