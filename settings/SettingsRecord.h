// The settings record: one fixed 8200-byte layout stored byte for byte
// behind the tag "KRVD1170" in "Korvid.Dat". Every field sits at a fixed
// offset that older and newer versions of the program rely on, so the
// layout is checked at compile time below.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// Same bytes as the platform's LOGFONTA.
struct PackedLogFont {
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    char lfFaceName[32];
};

// Same bytes as the platform's WINDOWPLACEMENT.
struct PackedWindowPlacement {
    uint32_t length;
    uint32_t flags;
    uint32_t showCmd;
    int32_t minX, minY;
    int32_t maxX, maxY;
    int32_t normalLeft, normalTop, normalRight, normalBottom;
};

struct SettingsRecord {
    int32_t ToolbarEnabled;
    int32_t StatusBarEnabled;
    int32_t UrlHighlight;
    int32_t StayOnTop;
    int32_t AutoSaveMinutes;
    int32_t AutoSaveMode;
    int32_t WindowSizeMode;
    int32_t WindowSizeValue;
    int32_t WindowHeight;
    int32_t AutoSaveEnabled;
    int32_t WordWrap;
    int32_t SelectionBar;
    char RunFileA[300];
    char RunFileB[300];
    char RunFileC[300];
    char RunParamA[270];
    char RunParamB[270];
    char RunParamC[270];
    char RunDescriptionA[100];
    char RunDescriptionB[100];
    char RunDescriptionC[100];
    char InsertTextA[300];
    char InsertTextB[300];
    char InsertTextC[300];
    char InsertTextD[300];
    char InsertTextE[300];
    int32_t RunSpecialA;
    int32_t RunSpecialB;
    int32_t RunSpecialC;
    int32_t ToolbarRunButtons;
    int32_t ToolbarInsertButtons;
    int32_t AutoSaveNewFiles;
    int32_t AutoSaveKeepTrying;
    int32_t AssocAutoRefresh;
    uint8_t Reserved1[56];
    // Copies of unsaved text are kept unless this is set: files written
    // before the switch hold zero here.
    int32_t NoRecoveryCopies;
    PackedWindowPlacement WindowPlacement;
    int32_t TitleFullPath;
    int32_t ToolbarSearchButtons;
    int32_t ToolbarIndentButtons;
    int32_t FontGroup1Auto;
    int32_t FontGroup2Auto;
    char FontGroup1Extensions[300];
    char FontGroup2Extensions[300];
    char DefaultDirectory[600];
    int32_t MonitorFile;
    int32_t PartialLoadSize;
    int32_t PartialLoadMode;
    int32_t FontGroup1DeWrap;
    int32_t FontGroup2DeWrap;
    int32_t DefaultExtension;
    int32_t ExitSave;
    int32_t TrayMinimise;
    char PrintProgram[600];
    char PrintParameter[100];
    char BookmarkMarker[100];
    int32_t ToolbarBookmarkButtons;
    int32_t BookmarkMode;
    char AutoSaveDirectory[300];
    int32_t MenuManipulate;
    int32_t MenuRunList;
    int32_t MenuInsertList;
    int32_t MenuBookmarks;
    int32_t OverwriteSelection;
    int32_t AssocTypeStates[14];
    int32_t AssocOpenWithAll;
    char AssocCustom1Name[270];
    char AssocCustom1Ext[270];
    char AssocCustom2Name[270];
    char AssocCustom2Ext[270];
    int32_t PureTextPaste;
    int32_t NotifySound;
    int32_t EscapeCloses;
    int32_t ShowFileErrors;
    uint32_t FontGroup1TextColour;
    uint32_t FontGroup2TextColour;
    uint32_t FontGroup3TextColour;
    uint32_t ReservedTextColours[2];
    uint32_t FontGroup1BackColour;
    uint32_t FontGroup2BackColour;
    uint32_t FontGroup3BackColour;
    uint32_t ReservedBackColours[2];
    uint32_t CustomColours[16];
    int32_t LabelsEnabled;
    int32_t BookmarkMaxFileSize;
    int32_t SaveEmptyFiles;
    int32_t LabelName1;
    int32_t LabelName2;
    int32_t LabelName3;
    int32_t GuessFileName;
    int32_t InsertTimeMode;
    char InsertTimeFormat[64];
    char InsertDateFormat[64];
    char LabelMarker1[64];
    char LabelMarker2[64];
    char LabelMarker3[64];
    PackedLogFont FontGroup1Font;
    PackedLogFont FontGroup2Font;
    PackedLogFont FontGroup3Font;
    char FontGroup3Extensions[300];
    int32_t LabelsMaxFileSize;
    int32_t LabelsMax;
    int32_t FontGroup3Auto;
    int32_t FontGroup3DeWrap;
    int32_t CurrentFontGroup;
    int32_t DefaultFontGroup;
    int32_t AutoOverwriteOff;
    uint8_t Reserved3[6];
};

#pragma pack(pop)

constexpr std::size_t kSettingsRecordSize = 8200;
constexpr std::size_t kSettingsTagSize = 8;
constexpr std::size_t kSettingsFileSize = kSettingsTagSize + kSettingsRecordSize;

static_assert(sizeof(PackedLogFont) == 60, "font description is 60 bytes");
static_assert(sizeof(PackedWindowPlacement) == 44, "window placement is 44 bytes");
static_assert(sizeof(SettingsRecord) == kSettingsRecordSize, "settings record is 8200 bytes");

// Offsets in the settings file are record offsets plus the 8-byte tag.
#define KORVID_FIELD_AT(field, fileOffset)                                                         \
    static_assert(offsetof(SettingsRecord, field) + 8 == (fileOffset), #field " moved")
KORVID_FIELD_AT(ToolbarEnabled, 8);
KORVID_FIELD_AT(StatusBarEnabled, 12);
KORVID_FIELD_AT(UrlHighlight, 16);
KORVID_FIELD_AT(StayOnTop, 20);
KORVID_FIELD_AT(AutoSaveMinutes, 24);
KORVID_FIELD_AT(AutoSaveMode, 28);
KORVID_FIELD_AT(WindowSizeMode, 32);
KORVID_FIELD_AT(WindowSizeValue, 36);
KORVID_FIELD_AT(WindowHeight, 40);
KORVID_FIELD_AT(AutoSaveEnabled, 44);
KORVID_FIELD_AT(WordWrap, 48);
KORVID_FIELD_AT(SelectionBar, 52);
KORVID_FIELD_AT(RunFileA, 56);
KORVID_FIELD_AT(RunFileB, 356);
KORVID_FIELD_AT(RunFileC, 656);
KORVID_FIELD_AT(RunParamA, 956);
KORVID_FIELD_AT(RunParamB, 1226);
KORVID_FIELD_AT(RunParamC, 1496);
KORVID_FIELD_AT(RunDescriptionA, 1766);
KORVID_FIELD_AT(RunDescriptionB, 1866);
KORVID_FIELD_AT(RunDescriptionC, 1966);
KORVID_FIELD_AT(InsertTextA, 2066);
KORVID_FIELD_AT(InsertTextB, 2366);
KORVID_FIELD_AT(InsertTextC, 2666);
KORVID_FIELD_AT(InsertTextD, 2966);
KORVID_FIELD_AT(InsertTextE, 3266);
KORVID_FIELD_AT(RunSpecialA, 3566);
KORVID_FIELD_AT(RunSpecialB, 3570);
KORVID_FIELD_AT(RunSpecialC, 3574);
KORVID_FIELD_AT(ToolbarRunButtons, 3578);
KORVID_FIELD_AT(ToolbarInsertButtons, 3582);
KORVID_FIELD_AT(AutoSaveNewFiles, 3586);
KORVID_FIELD_AT(AutoSaveKeepTrying, 3590);
KORVID_FIELD_AT(AssocAutoRefresh, 3594);
KORVID_FIELD_AT(Reserved1, 3598);
KORVID_FIELD_AT(NoRecoveryCopies, 3654);
KORVID_FIELD_AT(WindowPlacement, 3658);
KORVID_FIELD_AT(TitleFullPath, 3702);
KORVID_FIELD_AT(ToolbarSearchButtons, 3706);
KORVID_FIELD_AT(ToolbarIndentButtons, 3710);
KORVID_FIELD_AT(FontGroup1Auto, 3714);
KORVID_FIELD_AT(FontGroup2Auto, 3718);
KORVID_FIELD_AT(FontGroup1Extensions, 3722);
KORVID_FIELD_AT(FontGroup2Extensions, 4022);
KORVID_FIELD_AT(DefaultDirectory, 4322);
KORVID_FIELD_AT(MonitorFile, 4922);
KORVID_FIELD_AT(PartialLoadSize, 4926);
KORVID_FIELD_AT(PartialLoadMode, 4930);
KORVID_FIELD_AT(FontGroup1DeWrap, 4934);
KORVID_FIELD_AT(FontGroup2DeWrap, 4938);
KORVID_FIELD_AT(DefaultExtension, 4942);
KORVID_FIELD_AT(ExitSave, 4946);
KORVID_FIELD_AT(TrayMinimise, 4950);
KORVID_FIELD_AT(PrintProgram, 4954);
KORVID_FIELD_AT(PrintParameter, 5554);
KORVID_FIELD_AT(BookmarkMarker, 5654);
KORVID_FIELD_AT(ToolbarBookmarkButtons, 5754);
KORVID_FIELD_AT(BookmarkMode, 5758);
KORVID_FIELD_AT(AutoSaveDirectory, 5762);
KORVID_FIELD_AT(MenuManipulate, 6062);
KORVID_FIELD_AT(MenuRunList, 6066);
KORVID_FIELD_AT(MenuInsertList, 6070);
KORVID_FIELD_AT(MenuBookmarks, 6074);
KORVID_FIELD_AT(OverwriteSelection, 6078);
KORVID_FIELD_AT(AssocTypeStates, 6082);
KORVID_FIELD_AT(AssocOpenWithAll, 6138);
KORVID_FIELD_AT(AssocCustom1Name, 6142);
KORVID_FIELD_AT(AssocCustom1Ext, 6412);
KORVID_FIELD_AT(AssocCustom2Name, 6682);
KORVID_FIELD_AT(AssocCustom2Ext, 6952);
KORVID_FIELD_AT(PureTextPaste, 7222);
KORVID_FIELD_AT(NotifySound, 7226);
KORVID_FIELD_AT(EscapeCloses, 7230);
KORVID_FIELD_AT(ShowFileErrors, 7234);
KORVID_FIELD_AT(FontGroup1TextColour, 7238);
KORVID_FIELD_AT(FontGroup2TextColour, 7242);
KORVID_FIELD_AT(FontGroup3TextColour, 7246);
KORVID_FIELD_AT(ReservedTextColours, 7250);
KORVID_FIELD_AT(FontGroup1BackColour, 7258);
KORVID_FIELD_AT(FontGroup2BackColour, 7262);
KORVID_FIELD_AT(FontGroup3BackColour, 7266);
KORVID_FIELD_AT(ReservedBackColours, 7270);
KORVID_FIELD_AT(CustomColours, 7278);
KORVID_FIELD_AT(LabelsEnabled, 7342);
KORVID_FIELD_AT(BookmarkMaxFileSize, 7346);
KORVID_FIELD_AT(SaveEmptyFiles, 7350);
KORVID_FIELD_AT(LabelName1, 7354);
KORVID_FIELD_AT(LabelName2, 7358);
KORVID_FIELD_AT(LabelName3, 7362);
KORVID_FIELD_AT(GuessFileName, 7366);
KORVID_FIELD_AT(InsertTimeMode, 7370);
KORVID_FIELD_AT(InsertTimeFormat, 7374);
KORVID_FIELD_AT(InsertDateFormat, 7438);
KORVID_FIELD_AT(LabelMarker1, 7502);
KORVID_FIELD_AT(LabelMarker2, 7566);
KORVID_FIELD_AT(LabelMarker3, 7630);
KORVID_FIELD_AT(FontGroup1Font, 7694);
KORVID_FIELD_AT(FontGroup2Font, 7754);
KORVID_FIELD_AT(FontGroup3Font, 7814);
KORVID_FIELD_AT(FontGroup3Extensions, 7874);
KORVID_FIELD_AT(LabelsMaxFileSize, 8174);
KORVID_FIELD_AT(LabelsMax, 8178);
KORVID_FIELD_AT(FontGroup3Auto, 8182);
KORVID_FIELD_AT(FontGroup3DeWrap, 8186);
KORVID_FIELD_AT(CurrentFontGroup, 8190);
KORVID_FIELD_AT(DefaultFontGroup, 8194);
KORVID_FIELD_AT(AutoOverwriteOff, 8198);
KORVID_FIELD_AT(Reserved3, 8202);
#undef KORVID_FIELD_AT

// The one record of the process, zero-filled until the settings are loaded.
extern SettingsRecord settings;
