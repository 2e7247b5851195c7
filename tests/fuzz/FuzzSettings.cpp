// The settings from what a user may type and any file: the pages' rules and
// the first window size against plain references, the window on the screen,
// completions inside their fields. A file loads with every text field ended,
// the source its tag gives; written out it loads back the same, and a whole
// later version's file is written back byte for byte behind this tag.
#include "FuzzSupport.h"
#include "app/Geometry.h"
#include "settings/PageRules.h"
#include "settings/SettingsCore.h"

namespace {

// Blanks around, digits between; more than 32 bits reads as the largest.
uint32_t TypedReference(const std::string& text) {
    size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    std::string digits = first == std::string::npos ? "" : text.substr(first, last - first + 1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    bool over = digits.size() > 10 || (digits.size() == 10 && digits > "4294967295");
    return over ? UINT32_MAX : digits.empty() ? 0 : static_cast<uint32_t>(std::stoull(digits));
}

void Pages(Input& in) {
    uint8_t pad = in.Byte();
    uint64_t big = in.U64() >> (in.Byte() % 64);
    std::string number = std::string(pad & 3, ' ') + std::string((pad >> 2) & 3, '0') +
                         std::to_string(big) + std::string((pad >> 4) & 3, '\t');
    FUZZ_CHECK(ReadTypedNumber(number.c_str()) == std::min<uint64_t>(big, UINT32_MAX));
    std::string text = in.Text();
    uint32_t typed = ReadTypedNumber(text.c_str());
    FUZZ_CHECK(typed == TypedReference(text));
    FUZZ_CHECK(NumberField(typed) == static_cast<int32_t>(std::min<uint32_t>(typed, INT32_MAX)));
    FUZZ_CHECK(StoredWindowPercent(typed) == (typed >= 1 && typed <= 100 ? int32_t(typed) : 70));
    int32_t stored = in.I32(), bytes = in.I32(); // an unchanged field keeps what it held
    FUZZ_CHECK(StoredAutoSaveMinutes(typed, stored) ==
               (typed == uint32_t(stored) ? stored : int32_t(std::clamp<uint32_t>(typed, 1, 180))));
    FUZZ_CHECK(KilobytesShown(bytes) == static_cast<uint32_t>(bytes) / 1024);
    int32_t back = BytesFromKilobytes(typed);
    FUZZ_CHECK(back >= 0 && back % 1024 == 0);
    FUZZ_CHECK(KilobytesShown(back) == std::min<uint32_t>(typed, INT32_MAX / 1024));
    int32_t side = in.I32(), percent = in.I32();
    int64_t share = static_cast<int64_t>(side) * percent / 100;
    share = std::clamp<int64_t>(share, INT32_MIN, INT32_MAX);
    FUZZ_CHECK(ScreenShare(side, percent) == (percent == 100 ? side : share));
    // Screens are what a display reports; the rest comes from the file.
    int32_t width = 100 + static_cast<int32_t>(in.U16() % 16285);
    int32_t height = 100 + static_cast<int32_t>(in.U16() % 16285);
    int32_t mode = in.Byte() < 0x80 ? 0 : in.I32();
    int32_t value = in.I32(), valueHeight = in.I32();
    InitialGeometry g = ComputeInitialGeometry(mode, value, valueHeight, width, height);
    FUZZ_CHECK(g.width > 0 && g.height > 0 && g.width <= width && g.height <= height);
    FUZZ_CHECK(g.x >= 0 && g.y >= 0 && g.x + g.width <= width && g.y + g.height <= height);
    int32_t p = std::clamp(value, 1, 100);
    FUZZ_CHECK(mode == 0 ? g.maximised == (p == 100) && g.width == width * p / 100 &&
                               g.height == height * p / 100
                         : !g.maximised && g.width == std::clamp(value, 100, width) &&
                               g.height == std::clamp(valueHeight, 100, height));
    // Any size up to the extension lists' 300 bytes and the suffix's 100.
    uint32_t listSize = 1 + in.U16() % 300;
    std::string list = in.Text(listSize - 1);
    Guarded padded(listSize, list);
    PadExtensionList(padded.data(), listSize);
    std::string expected = list;
    expected.resize(std::max<size_t>(list.size(), std::min<size_t>(11, listSize - 1)), ' ');
    FUZZ_CHECK(padded.Text() == expected);
    uint32_t suffixSize = in.U16() % 101;
    std::string suffix = in.Text(suffixSize == 0 ? 0 : suffixSize - 1);
    Guarded blank(suffixSize, suffix);
    EndWithBlank(blank.data(), suffixSize);
    expected = suffix; // a full field gives way to the blank
    if (suffixSize >= 2 && (expected.empty() || expected.back() != ' '))
        expected = expected.substr(0, std::min<size_t>(expected.size(), suffixSize - 2)) + ' ';
    FUZZ_CHECK(suffixSize == 0 || blank.Text() == expected);
}

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

void Load(Input& in) {
    std::string file = in.Rest().substr(0, kSettingsFileSize);
    const uint8_t* data = reinterpret_cast<const uint8_t*>(file.data());
    size_t size = file.size();
    static SettingsRecord record, again;
    static uint8_t image[kSettingsFileSize];
    MachineDefaults machine;
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
    if (size < 5 || std::memcmp(data, kSettingsTag, 5) != 0)
        FUZZ_CHECK(tag == kSettingsTagForeign);
    FUZZ_CHECK(source == (tag == kSettingsTagForeign ? SettingsSource::Defaults
                          : tag >= 170               ? SettingsSource::Current
                                                     : SettingsSource::Upgraded));
    WriteSettingsImage(record, image, &later);
    FUZZ_CHECK(later.present ==
               (source == SettingsSource::Current && tag != kSettingsTagCurrent && tag != 170));
    if (later.present && size == kSettingsFileSize)
        FUZZ_CHECK(std::memcmp(image + kSettingsTagSize, data + kSettingsTagSize,
                               kSettingsRecordSize) == 0);
    std::memset(&again, 'y', sizeof again);
    FUZZ_CHECK(LoadSettingsFromImage(again, image, sizeof image, machine) ==
               SettingsSource::Current);
    FUZZ_CHECK(std::memcmp(&again, &record, sizeof record) == 0);
}

} // namespace

FUZZ_TESTS(Pages, Load)
