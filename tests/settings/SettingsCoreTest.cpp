#include "settings/PageRules.h"
#include "settings/SettingsCore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

MachineDefaults Machine() {
    MachineDefaults m;
    m.programFolder = "C:\\Korvid\\";
    m.ansiFixedFont.lfHeight = 12;
    std::strcpy(m.ansiFixedFont.lfFaceName, "Courier");
    m.programFilesDir = "C:\\Program Files";
    return m;
}

SettingsRecord Defaults() {
    SettingsRecord r = {};
    RestoreDefaultsInto(r, Machine());
    return r;
}

// The file the program writes for `r`, with another tag when given.
std::vector<uint8_t> Image(const SettingsRecord& r, const char* tag = nullptr) {
    std::vector<uint8_t> bytes(kSettingsFileSize);
    WriteSettingsImage(r, bytes.data());
    if (tag != nullptr)
        std::memcpy(bytes.data(), tag, kSettingsTagSize);
    return bytes;
}

// A record whose every byte is set, text fields terminated, reserved areas
// holding a pattern: what a well-used settings file looks like.
SettingsRecord BusyRecord(uint32_t seed) {
    SettingsRecord r;
    std::mt19937 random(seed);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(&r);
    for (size_t i = 0; i < sizeof r; ++i)
        bytes[i] = static_cast<uint8_t>('a' + random() % 26);
    TerminateTextFields(r);
    return r;
}

bool SameBytes(const void* a, const void* b, size_t from, size_t to) {
    return std::memcmp(static_cast<const uint8_t*>(a) + from, static_cast<const uint8_t*>(b) + from,
                       to - from) == 0;
}

SettingsSource Load(SettingsRecord& r, const std::vector<uint8_t>& file,
                    LaterVersionRecord* later = nullptr) {
    return LoadSettingsFromImage(r, file.data(), file.size(), Machine(), later);
}

#define KORVID_SPAN(from, to) offsetof(SettingsRecord, from), offsetof(SettingsRecord, to)

} // namespace

// A page that shows the defaults and stores them back changes nothing.
TEST(SettingsDefaults, EveryDefaultLiesInTheRangeItsPageAccepts) {
    SettingsRecord r = Defaults();
    EXPECT_EQ(StoredWindowPercent(r.WindowSizeValue), r.WindowSizeValue);
    EXPECT_EQ(StoredAutoSaveMinutes(r.AutoSaveMinutes, r.AutoSaveMinutes + 1), r.AutoSaveMinutes);
    for (int32_t number : {r.PartialLoadSize, r.LabelsMax})
        EXPECT_EQ(NumberField(ReadTypedNumber(std::to_string(number).c_str())), number);
    for (int32_t bytes : {r.BookmarkMaxFileSize, r.LabelsMaxFileSize})
        EXPECT_GT(BytesFromKilobytes(KilobytesShown(bytes)), bytes - 1024);
    std::string suffix = r.PrintParameter;
    EndWithBlank(r.PrintParameter, sizeof r.PrintParameter);
    EXPECT_EQ(r.PrintParameter, suffix);
}

TEST(SettingsDefaults, RestoreKeepsTheKeptFields) {
    SettingsRecord before = BusyRecord(7);
    before.AssocAutoRefresh = 1;
    SettingsRecord r = before;
    RestoreDefaultsInto(r, Machine());
    EXPECT_EQ(+r.AssocAutoRefresh, 0);
    // Run buttons, Insert texts and the Run "Special" choices; the reserved
    // bytes and the window placement; association states and custom types.
    EXPECT_TRUE(SameBytes(&r, &before, KORVID_SPAN(RunFileA, ToolbarRunButtons)));
    EXPECT_TRUE(SameBytes(&r, &before, KORVID_SPAN(Reserved1, NoRecoveryCopies)));
    EXPECT_TRUE(SameBytes(&r, &before, KORVID_SPAN(WindowPlacement, TitleFullPath)));
    EXPECT_EQ(+r.NoRecoveryCopies, 0);
    EXPECT_EQ(+r.WindowHeight, +before.WindowHeight);
    EXPECT_EQ(+r.ToolbarIndentButtons, +before.ToolbarIndentButtons);
    EXPECT_TRUE(SameBytes(&r, &before, KORVID_SPAN(AssocTypeStates, PureTextPaste)));
    EXPECT_TRUE(SameBytes(&r, &before, KORVID_SPAN(CustomColours, LabelsEnabled)));
    for (uint8_t b : r.Reserved3)
        EXPECT_EQ(b, 0);
}

TEST(SettingsLoad, EachVersionLoadsAndWritesBackWhatItShould) {
    // Current: tag then record, and back byte for byte.
    SettingsRecord original = BusyRecord(11), r = {};
    std::vector<uint8_t> file = Image(original);
    EXPECT_EQ(std::memcmp(file.data(), kSettingsTag, kSettingsTagSize), 0);
    EXPECT_TRUE(SameBytes(file.data() + kSettingsTagSize, &original, 0, sizeof original));
    EXPECT_EQ(Load(r, file), SettingsSource::Current);
    EXPECT_EQ(Image(r), file);
    // Version 160: the version-170 fields get their defaults, every other
    // byte is the file's.
    EXPECT_EQ(Load(r, Image(original, "KRVD1160")), SettingsSource::Upgraded);
    SettingsRecord expected = original;
    ApplyVersion170DefaultsInto(expected, Machine().ansiFixedFont);
    EXPECT_EQ(std::memcmp(&r, &expected, sizeof r), 0);
    EXPECT_TRUE(SameBytes(&r, &original, 0, offsetof(SettingsRecord, FontGroup2BackColour)));
    EXPECT_TRUE(SameBytes(&r, &original, KORVID_SPAN(CustomColours, LabelsEnabled)));
    EXPECT_TRUE(SameBytes(&r, &original, offsetof(SettingsRecord, Reserved3), sizeof r));
    // A foreign tag gives full defaults.
    const SettingsRecord defaults = Defaults();
    for (int i = 0; i < 5; ++i) {
        file = Image(original);
        file[i] ^= 0x20;
        r = {};
        EXPECT_EQ(Load(r, file), SettingsSource::Defaults);
        EXPECT_EQ(std::memcmp(&r, &defaults, sizeof r), 0) << "tag byte " << i;
    }
}

// A later version may fill text fields to their last byte: the program
// reads them ended inside their buffers, and its save gives the later
// version back every byte of the fields left as they were read.
TEST(SettingsLoad, ALaterVersionGetsItsBytesBack) {
    SettingsRecord original = BusyRecord(31), r = {};
    EXPECT_EQ(Load(r, Image(original, "KRVD1180")), SettingsSource::Current);
    EXPECT_EQ(std::memcmp(&r, &original, sizeof r), 0);
    std::memset(original.PrintProgram, 'p', sizeof original.PrintProgram);
    std::memset(original.RunFileA, 'r', sizeof original.RunFileA);
    std::memset(original.FontGroup2Font.lfFaceName, 'f', 32);
    LaterVersionRecord later;
    EXPECT_EQ(Load(r, Image(original, "KRVD1180"), &later), SettingsSource::Current);
    EXPECT_EQ(std::strlen(r.PrintProgram), sizeof r.PrintProgram - 1);
    EXPECT_EQ(std::strlen(r.FontGroup2Font.lfFaceName), 31u);
    std::memcpy(r.RunFileA, "C:\\new.exe", 11); // the user changed this one
    std::vector<uint8_t> saved(kSettingsFileSize);
    WriteSettingsImage(r, saved.data(), &later);
    EXPECT_EQ(std::memcmp(saved.data(), kSettingsTag, kSettingsTagSize), 0);
    SettingsRecord expected = original;
    std::memcpy(&expected.RunFileA, &r.RunFileA, sizeof r.RunFileA);
    EXPECT_TRUE(SameBytes(saved.data() + kSettingsTagSize, &expected, 0, kSettingsRecordSize));
    // A file of this version is never given bytes from an earlier later one.
    Load(r, Image(original), &later);
    WriteSettingsImage(r, saved.data(), &later);
    EXPECT_EQ(saved[kSettingsTagSize + offsetof(SettingsRecord, PrintProgram) +
                    sizeof r.PrintProgram - 1],
              0);
}

TEST(SettingsLoad, ShortFilesAndAnyBytesFillAsFarAsTheyReach) {
    std::vector<uint8_t> file = Image(BusyRecord(51));
    file.resize(100);
    SettingsRecord r = {}, zero = {};
    Load(r, file);
    const size_t read = file.size() - kSettingsTagSize;
    EXPECT_EQ(std::memcmp(&r, file.data() + kSettingsTagSize, read), 0);
    EXPECT_TRUE(SameBytes(&r, &zero, read, sizeof r));
    std::mt19937 random(5);
    for (size_t size : {0u, 1u, 5u, 8u, 100u, 8207u, 8208u}) {
        std::vector<uint8_t> noise(size);
        for (size_t i = 0; i < size; ++i)
            noise[i] = i < 5 ? kSettingsTag[i] : static_cast<uint8_t>(random());
        Load(r, noise);
        EXPECT_LT(std::strlen(r.DefaultDirectory), sizeof r.DefaultDirectory);
        EXPECT_LT(std::strlen(r.FontGroup3Font.lfFaceName), 32u);
    }
}

TEST(SettingsWordPad, PathNeverOutgrowsItsField) {
    SettingsRecord r = {};
    ComposeWordPadSetting(r, std::string(590, 'f').c_str(), true);
    EXPECT_LT(std::strlen(r.PrintProgram), sizeof r.PrintProgram);
}

namespace {
// The load decision with files held in memory, keyed by folder, the
// program's folder being "P\\"; `calls` counts greetings, ReadMe openings
// and saves.
SettingsLoadResult Decide(SettingsRecord& r, const char* dataFolder,
                          std::map<std::string, std::vector<uint8_t>> files, int* calls,
                          int answer = 1) {
    SettingsLoadHooks h;
    h.readFile = [&files](const char* folder, uint8_t* buffer, size_t* size) {
        auto it = files.find(folder);
        *size = it == files.end() ? 0 : std::min(it->second.size(), kSettingsFileSize);
        return it != files.end() && std::memcpy(buffer, it->second.data(), *size) != nullptr;
    };
    h.greet = [=] { return ++*calls, answer; };
    h.openReadMe = h.save = [=] { ++*calls; };
    return LoadSettingsWith(r, dataFolder, "P\\", Machine(), h);
}
} // namespace

TEST(SettingsLoadDecision, DataFolderFirstThenProgramFolderThenFirstRun) {
    SettingsRecord a = BusyRecord(71), b = BusyRecord(72), r = {};
    int calls = 0;
    EXPECT_EQ(Decide(r, "D\\", {{"D\\", Image(a)}, {"P\\", Image(b)}}, &calls),
              SettingsLoadResult::FromDataFolder);
    EXPECT_EQ(std::memcmp(&r, &a, sizeof r), 0);
    EXPECT_EQ(Decide(r, "D\\", {{"P\\", Image(b)}}, &calls), SettingsLoadResult::FromProgramFolder);
    EXPECT_EQ(std::memcmp(&r, &b, sizeof r), 0);
    // A foreign file, or none where data and program share a folder, is
    // quiet; a first run with folders apart greets once and saves.
    r = {};
    Decide(r, "D\\", {{"D\\", std::vector<uint8_t>(kSettingsFileSize, 'z')}}, &calls);
    EXPECT_EQ(Decide(r, "P\\", {}, &calls), SettingsLoadResult::FirstRunQuiet);
    EXPECT_EQ(calls, 0);
    const SettingsRecord defaults = Defaults();
    EXPECT_EQ(std::memcmp(&r, &defaults, sizeof r), 0);
    EXPECT_EQ(Decide(r, "D\\", {}, &calls, 2), SettingsLoadResult::FirstRunGreeted);
    EXPECT_EQ(calls, 3);
}
