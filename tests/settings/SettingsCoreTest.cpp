#include "settings/SettingsCore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

PackedLogFont FixedFont() {
    PackedLogFont f = {};
    f.lfHeight = 12;
    f.lfWeight = 400;
    f.lfPitchAndFamily = 0x31;
    std::strcpy(f.lfFaceName, "Courier");
    return f;
}

const PackedLogFont kFixed = FixedFont();

MachineDefaults Machine() {
    MachineDefaults m;
    m.programFolder = "C:\\Korvid\\";
    m.ansiFixedFont = FixedFont();
    m.programFilesDir = "C:\\Program Files";
    m.windowsNt = true;
    return m;
}

std::vector<uint8_t> Image(const SettingsRecord& r, const char* tag = "KRVD1170") {
    std::vector<uint8_t> bytes(kSettingsFileSize);
    WriteSettingsImage(r, bytes.data());
    std::memcpy(bytes.data(), tag, 8);
    return bytes;
}

// A record whose every byte is set, text fields terminated, reserved areas
// holding a pattern: what a well-used settings file looks like.
SettingsRecord BusyRecord(uint32_t seed) {
    SettingsRecord r;
    std::mt19937 random(seed);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(&r);
    for (std::size_t i = 0; i < sizeof r; ++i)
        bytes[i] = static_cast<uint8_t>('a' + random() % 26);
    TerminateTextFields(r);
    return r;
}

bool SameBytes(const void* a, const void* b, std::size_t from, std::size_t to) {
    return std::memcmp(static_cast<const uint8_t*>(a) + from, static_cast<const uint8_t*>(b) + from,
                       to - from) == 0;
}

} // namespace

TEST(SettingsDefaults, MatchTheDefaultColumn) {
    SettingsRecord r = {};
    RestoreDefaultsInto(r, Machine());
    EXPECT_EQ(+r.ToolbarEnabled, 1);
    EXPECT_EQ(+r.AutoSaveMinutes, 60);
    EXPECT_EQ(+r.AutoSaveMode, 1);
    EXPECT_EQ(+r.WindowSizeValue, 60);
    EXPECT_EQ(+r.PartialLoadSize, 1000000);
    EXPECT_EQ(+r.PartialLoadMode, 1);
    EXPECT_EQ(+r.OverwriteSelection, 1);
    EXPECT_EQ(+r.EscapeCloses, 1);
    EXPECT_EQ(+r.ExitSave, 0);
    EXPECT_EQ(+r.FontGroup1BackColour, 0xFFFFFFu);
    EXPECT_EQ(+r.FontGroup3BackColour, 0xFFFFFFu);
    EXPECT_EQ(+r.ReservedBackColours[1], 0xFFFFFFu);
    EXPECT_EQ(+r.BookmarkMaxFileSize, 200000);
    EXPECT_EQ(+r.LabelsMaxFileSize, 500000);
    EXPECT_EQ(+r.LabelsMax, 1000);
    EXPECT_EQ(+r.LabelName1, 1);
    EXPECT_EQ(+r.LabelName3, 0);
    EXPECT_STREQ(r.FontGroup1Extensions, ".nfo    ");
    EXPECT_STREQ(r.FontGroup2Extensions, ".asm.inc.rc .h  .htm.diz");
    EXPECT_STREQ(r.FontGroup3Extensions, ".txt    ");
    EXPECT_STREQ(r.DefaultDirectory, "C:\\Korvid\\");
    EXPECT_STREQ(r.AutoSaveDirectory, "C:\\Korvid\\");
    EXPECT_STREQ(r.BookmarkMarker, "Korvid");
    EXPECT_STREQ(r.PrintProgram, "C:\\Program Files\\Windows NT\\Accessories\\WORDPAD.EXE");
    EXPECT_STREQ(r.PrintParameter, "/p ");
    EXPECT_STREQ(r.InsertTimeFormat, "hh':'mm':'ss tt");
    EXPECT_STREQ(r.InsertDateFormat, "ddd',' MMM dd yyyy");
    EXPECT_STREQ(r.LabelMarker1, " proc");
    EXPECT_STREQ(r.LabelMarker2, "...");
    EXPECT_STREQ(r.LabelMarker3, "*** ");
    EXPECT_EQ(std::memcmp(&r.FontGroup2Font, &kFixed, 60), 0);
}

TEST(SettingsDefaults, RestoreKeepsTheKeptFields) {
    SettingsRecord before = BusyRecord(7);
    before.AssocAutoRefresh = 1;
    SettingsRecord r = before;
    RestoreDefaultsInto(r, Machine());
    EXPECT_EQ(+r.AssocAutoRefresh, 0);
    // Run buttons, Insert texts and the Run "Special" choices.
    EXPECT_TRUE(SameBytes(&r, &before, offsetof(SettingsRecord, RunFileA),
                          offsetof(SettingsRecord, ToolbarRunButtons)));
    // The 60 reserved bytes and the window placement.
    EXPECT_TRUE(SameBytes(&r, &before, offsetof(SettingsRecord, Reserved1),
                          offsetof(SettingsRecord, TitleFullPath)));
    EXPECT_EQ(+r.WindowHeight, +before.WindowHeight);
    EXPECT_EQ(+r.ToolbarIndentButtons, +before.ToolbarIndentButtons);
    // Association states and custom types.
    EXPECT_TRUE(SameBytes(&r, &before, offsetof(SettingsRecord, AssocTypeStates),
                          offsetof(SettingsRecord, PureTextPaste)));
    EXPECT_TRUE(SameBytes(&r, &before, offsetof(SettingsRecord, CustomColours),
                          offsetof(SettingsRecord, LabelsEnabled)));
    // The trailing reserved bytes are zeroed.
    for (uint8_t b : r.Reserved3)
        EXPECT_EQ(b, 0);
}

TEST(SettingsTag, Classification) {
    auto tag = [](const std::string& s) {
        return CheckSettingsTagBytes(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    };
    EXPECT_EQ(tag("KRVD1170"), kSettingsTagCurrent);
    EXPECT_EQ(tag("KRVD1160"), 160);
    EXPECT_EQ(tag("KRVD1180"), 180);
    EXPECT_EQ(tag("KRVD2170"), kSettingsTagForeign);
    EXPECT_EQ(tag("kRVD1170"), kSettingsTagForeign);
    EXPECT_EQ(tag("KRVD"), kSettingsTagForeign);
    EXPECT_EQ(tag(""), kSettingsTagForeign);
    EXPECT_EQ(tag("KRVD1"), 0);
    EXPECT_EQ(tag("KRVD117"), 17);
}

TEST(SettingsLoad, CurrentFileRoundTripsByteForByte) {
    SettingsRecord original = BusyRecord(11);
    std::vector<uint8_t> file = Image(original);
    SettingsRecord r = {};
    EXPECT_EQ(LoadSettingsFromImage(r, file.data(), file.size(), Machine()),
              SettingsSource::Current);
    std::vector<uint8_t> again(kSettingsFileSize);
    WriteSettingsImage(r, again.data());
    EXPECT_EQ(again, file);
}

TEST(SettingsLoad, Version160IsUpgradedAndKeepsEverythingElse) {
    SettingsRecord original = BusyRecord(21);
    std::vector<uint8_t> file = Image(original, "KRVD1160");
    SettingsRecord r = {};
    EXPECT_EQ(LoadSettingsFromImage(r, file.data(), file.size(), Machine()),
              SettingsSource::Upgraded);
    EXPECT_EQ(+r.LabelsMax, 1000);
    EXPECT_STREQ(r.FontGroup3Extensions, ".txt    ");
    EXPECT_STREQ(r.InsertTimeFormat, "hh':'mm':'ss tt");
    for (const PackedLogFont* f : {&r.FontGroup1Font, &r.FontGroup2Font, &r.FontGroup3Font})
        EXPECT_EQ(std::memcmp(f, &kFixed, 60), 0);
    // The version-170 fields sit in record bytes [7254, 7270) and
    // [7334, 8194); every byte outside them is the file's.
    EXPECT_TRUE(SameBytes(&r, &original, 0, 7254));
    EXPECT_TRUE(SameBytes(&r, &original, 7270, 7334));
    EXPECT_TRUE(SameBytes(&r, &original, 8194, kSettingsRecordSize));
    std::vector<uint8_t> saved(kSettingsFileSize);
    WriteSettingsImage(r, saved.data());
    EXPECT_EQ(std::memcmp(saved.data(), "KRVD1170", 8), 0);
}

TEST(SettingsLoad, LaterVersionIsTakenUnchanged) {
    SettingsRecord original = BusyRecord(31);
    std::vector<uint8_t> file = Image(original, "KRVD1180");
    SettingsRecord r = {};
    EXPECT_EQ(LoadSettingsFromImage(r, file.data(), file.size(), Machine()),
              SettingsSource::Current);
    EXPECT_EQ(std::memcmp(&r, &original, sizeof r), 0);

    // A later version that fills text fields to their last byte: the
    // program reads them ended inside their buffers, and its save gives the
    // later version back every byte of the fields left as they were read.
    std::memset(original.PrintProgram, 'p', sizeof original.PrintProgram);
    std::memset(original.RunFileA, 'r', sizeof original.RunFileA);
    std::memset(original.FontGroup2Font.lfFaceName, 'f', 32);
    file = Image(original, "KRVD1180");
    LaterVersionRecord later;
    EXPECT_EQ(LoadSettingsFromImage(r, file.data(), file.size(), Machine(), &later),
              SettingsSource::Current);
    EXPECT_EQ(std::strlen(r.PrintProgram), sizeof r.PrintProgram - 1);
    EXPECT_EQ(std::strlen(r.FontGroup2Font.lfFaceName), 31u);
    std::memcpy(r.RunFileA, "C:\\new.exe", 11); // the user changed this one
    std::vector<uint8_t> saved(kSettingsFileSize);
    WriteSettingsImage(r, saved.data(), &later);
    EXPECT_EQ(std::memcmp(saved.data(), "KRVD1170", 8), 0);
    SettingsRecord expected = original;
    std::memcpy(&expected.RunFileA, &r.RunFileA, sizeof r.RunFileA);
    EXPECT_TRUE(SameBytes(saved.data() + 8, &expected, 0, kSettingsRecordSize));

    // A file of this version is never given bytes from an earlier later one.
    std::vector<uint8_t> current = Image(original);
    LoadSettingsFromImage(r, current.data(), current.size(), Machine(), &later);
    WriteSettingsImage(r, saved.data(), &later);
    EXPECT_EQ(saved[8 + offsetof(SettingsRecord, PrintProgram) + sizeof r.PrintProgram - 1], 0);
}

TEST(SettingsLoad, ForeignFileGivesFullDefaults) {
    SettingsRecord defaults = {};
    RestoreDefaultsInto(defaults, Machine());
    for (int i = 0; i < 5; ++i) {
        std::vector<uint8_t> file = Image(BusyRecord(41));
        file[i] ^= 0x20;
        SettingsRecord r = {};
        EXPECT_EQ(LoadSettingsFromImage(r, file.data(), file.size(), Machine()),
                  SettingsSource::Defaults);
        EXPECT_EQ(std::memcmp(&r, &defaults, sizeof r), 0) << "tag byte " << i;
    }
}

TEST(SettingsLoad, ShortFileFillsAsFarAsItReaches) {
    std::vector<uint8_t> file = Image(BusyRecord(51));
    file.resize(100);
    SettingsRecord r = {};
    LoadSettingsFromImage(r, file.data(), file.size(), Machine());
    EXPECT_EQ(std::memcmp(&r, file.data() + 8, 92), 0);
    EXPECT_EQ(+r.PartialLoadSize, 0);
    EXPECT_STREQ(r.FontGroup1Extensions, "");
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&r);
    for (std::size_t i = 92; i < sizeof r; ++i)
        ASSERT_EQ(bytes[i], 0) << "record byte " << i;
}

TEST(SettingsLoad, UnterminatedTextFieldIsEndedInsideItsBuffer) {
    SettingsRecord r = BusyRecord(61);
    std::memset(r.PrintProgram, 'x', sizeof r.PrintProgram);
    std::vector<uint8_t> file = Image(r);
    SettingsRecord loaded = {};
    LoadSettingsFromImage(loaded, file.data(), file.size(), Machine());
    EXPECT_EQ(std::strlen(loaded.PrintProgram), sizeof loaded.PrintProgram - 1);
}

TEST(SettingsLoad, AnyBytesLoadWithoutHarm) {
    std::mt19937 random(5);
    for (std::size_t size : {0u, 1u, 5u, 8u, 100u, 8207u, 8208u, 20000u}) {
        std::vector<uint8_t> bytes(size);
        for (auto& b : bytes)
            b = static_cast<uint8_t>(random());
        SettingsRecord r = {};
        LoadSettingsFromImage(r, bytes.data(), std::min<std::size_t>(size, kSettingsFileSize),
                              Machine());
        EXPECT_LT(std::strlen(r.DefaultDirectory), sizeof r.DefaultDirectory);
        if (size >= 5) {
            std::memcpy(bytes.data(), "KRVD1", 5);
            LoadSettingsFromImage(r, bytes.data(), std::min<std::size_t>(size, kSettingsFileSize),
                                  Machine());
            EXPECT_LT(std::strlen(r.FontGroup3Font.lfFaceName), 32u);
        }
    }
}

TEST(SettingsWordPad, PathNeverOutgrowsItsField) {
    SettingsRecord r = {};
    ComposeWordPadSetting(r, nullptr, true);
    EXPECT_STREQ(r.PrintProgram, "\\Windows NT\\Accessories\\WORDPAD.EXE");
    ComposeWordPadSetting(r, "C:\\Programs", false);
    EXPECT_STREQ(r.PrintProgram, "C:\\Programs\\Accessories\\WORDPAD.EXE");
    std::string longFolder(590, 'f');
    ComposeWordPadSetting(r, longFolder.c_str(), true);
    EXPECT_LT(std::strlen(r.PrintProgram), sizeof r.PrintProgram);
    EXPECT_STREQ(r.PrintParameter, "/p ");
}

namespace {
// The load decision with files held in memory, keyed by folder.
struct FakeFolders {
    std::map<std::string, std::vector<uint8_t>> files;
    int greetings = 0;
    int readMeOpened = 0;
    int saves = 0;
    int answer = 1;

    SettingsLoadHooks Hooks() {
        SettingsLoadHooks h;
        h.readFile = [this](const char* folder, uint8_t* buffer, std::size_t* size) {
            auto it = files.find(folder);
            if (it == files.end())
                return false;
            *size = std::min(it->second.size(), kSettingsFileSize);
            std::memcpy(buffer, it->second.data(), *size);
            return true;
        };
        h.greet = [this] {
            ++greetings;
            return answer;
        };
        h.openReadMe = [this] { ++readMeOpened; };
        h.save = [this] { ++saves; };
        return h;
    }
};
} // namespace

TEST(SettingsLoadDecision, FirstRunGreetsOnlyWhenFoldersDiffer) {
    FakeFolders same;
    SettingsRecord r = {};
    EXPECT_EQ(LoadSettingsWith(r, "C:\\K\\", "C:\\K\\", Machine(), same.Hooks()),
              SettingsLoadResult::FirstRunQuiet);
    EXPECT_EQ(same.greetings + same.saves, 0);
    EXPECT_EQ(+r.PartialLoadSize, 1000000);

    FakeFolders differ;
    differ.answer = 2;
    EXPECT_EQ(LoadSettingsWith(r, "C:\\Data\\", "C:\\K\\", Machine(), differ.Hooks()),
              SettingsLoadResult::FirstRunGreeted);
    EXPECT_EQ(differ.greetings, 1);
    EXPECT_EQ(differ.readMeOpened, 1);
    EXPECT_EQ(differ.saves, 1);
}

TEST(SettingsLoadDecision, DataFolderFirstThenProgramFolderAndForeignIsQuiet) {
    SettingsRecord a = BusyRecord(71), b = BusyRecord(72);
    FakeFolders both;
    both.files["D\\"] = Image(a);
    both.files["P\\"] = Image(b);
    SettingsRecord r = {};
    EXPECT_EQ(LoadSettingsWith(r, "D\\", "P\\", Machine(), both.Hooks()),
              SettingsLoadResult::FromDataFolder);
    EXPECT_EQ(std::memcmp(&r, &a, sizeof r), 0);

    FakeFolders programOnly;
    programOnly.files["P\\"] = Image(b);
    EXPECT_EQ(LoadSettingsWith(r, "D\\", "P\\", Machine(), programOnly.Hooks()),
              SettingsLoadResult::FromProgramFolder);
    EXPECT_EQ(std::memcmp(&r, &b, sizeof r), 0);

    FakeFolders foreign;
    foreign.files["D\\"] = std::vector<uint8_t>(8208, 'z');
    LoadSettingsWith(r, "D\\", "P\\", Machine(), foreign.Hooks());
    EXPECT_EQ(foreign.greetings + foreign.saves, 0);
    EXPECT_EQ(+r.LabelsMax, 1000);
}

TEST(SettingsImage, IsTagThenRecord) {
    SettingsRecord r = BusyRecord(81);
    std::vector<uint8_t> image(kSettingsFileSize);
    WriteSettingsImage(r, image.data());
    EXPECT_EQ(std::memcmp(image.data(), "KRVD1170", 8), 0);
    EXPECT_EQ(std::memcmp(image.data() + 8, &r, sizeof r), 0);
}
