// The names of documents from any path or text: each routine agrees with
// a plain std::string version of its rule, keeps to the program's buffer
// sizes, and the cutting ones change nothing when run again. The first byte
// picks the routine.
#include "FuzzSupport.h"
#include "document/DocumentNames.h"

namespace {

using fuzz::Guarded;
using fuzz::Input;
using fuzz::LowerAscii;

constexpr size_t kPath = 600;

void NamePart(Input& in) {
    std::string path = in.Text(); // may be longer than any path buffer
    Guarded out(kPath);
    FileNamePart(path.c_str(), out.data());
    FUZZ_CHECK(out.GuardIntact());
    std::string copy = path.substr(0, kPath - 1);
    if (!copy.empty() && copy.back() == '\\')
        copy.pop_back();
    size_t last = copy.rfind('\\');
    bool whole = last == std::string::npos || copy.size() <= 2 || copy.size() - last - 1 <= 1;
    FUZZ_CHECK(out.Text() == (whole ? path.substr(0, kPath - 1) : copy.substr(last + 1)));
}

// The lower-cased extension from the last dot, padded to 3, or the whole
// name lower-cased when it has no dot.
std::string ExtensionReference(const std::string& name, int* after) {
    size_t dot = name.rfind('.');
    *after = dot == std::string::npos ? 0 : static_cast<int>(dot + 1);
    if (dot == std::string::npos)
        return LowerAscii(name);
    std::string extension = name.substr(dot);
    extension.resize(std::max<size_t>(extension.size(), 3), ' ');
    return LowerAscii(extension);
}

void Extension(Input& in) {
    std::string name = in.Text(kPath - 1);
    Guarded buffer(kPath, name); // as ChooseFormatForFile holds it
    int after = ExtensionOf(buffer.data());
    FUZZ_CHECK(buffer.GuardIntact());
    int expectedAfter = 0;
    std::string expected = ExtensionReference(name, &expectedAfter);
    FUZZ_CHECK(after == expectedAfter && buffer.Text() == expected);
    if (after > 0) {
        FUZZ_CHECK(ExtensionOf(buffer.data()) == 1);
        FUZZ_CHECK(buffer.Text() == expected);
    }
}

void FirstLine(Input& in) {
    std::string text = in.Text(100); // GuessName cuts the selection at 100
    Guarded buffer(128, text);
    int kept = FirstLineName(buffer.data());
    FUZZ_CHECK(buffer.GuardIntact());
    size_t cut = text.find_first_of("\r\n");
    if (cut == 0) {
        FUZZ_CHECK(kept == 0 && buffer.Text() == text);
        return;
    }
    std::string first = text.substr(0, cut);
    FUZZ_CHECK(kept == static_cast<int>(first.size()) && buffer.Text() == first);
    FUZZ_CHECK(FirstLineName(buffer.data()) == kept && buffer.Text() == first);
}

void Folder(Input& in) {
    std::string path = in.Text(kPath - 1);
    Guarded buffer(kPath, path);
    FolderOf(buffer.data());
    FUZZ_CHECK(buffer.GuardIntact());
    size_t last = path.rfind('\\');
    std::string expected = last == std::string::npos ? path : path.substr(0, last + 1);
    FUZZ_CHECK(buffer.Text() == expected);
    FolderOf(buffer.data());
    FUZZ_CHECK(buffer.Text() == expected);
}

template <size_t N> void SetField(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// TextSearch's rule: a list holds an extension as a substring, and never one
// as long as itself or longer.
bool InListReference(const std::string& list, const std::string& extension) {
    return !extension.empty() && extension.size() < list.size() &&
           list.find(extension) != std::string::npos;
}

void Format(Input& in) {
    static SettingsRecord r;
    uint8_t flags = in.Byte();
    r.FontGroup1Auto = flags & 1;
    r.FontGroup2Auto = (flags >> 1) & 1;
    r.FontGroup3Auto = (flags >> 2) & 1;
    r.FontGroup1DeWrap = (flags >> 3) & 1;
    r.FontGroup2DeWrap = (flags >> 4) & 1;
    r.FontGroup3DeWrap = (flags >> 5) & 1;
    r.DefaultFontGroup = in.I32();
    r.WordWrap = in.I32();
    std::string lists[3] = {in.Text(299), in.Text(299), in.Text(299)};
    SetField(r.FontGroup1Extensions, lists[0]);
    SetField(r.FontGroup2Extensions, lists[1]);
    SetField(r.FontGroup3Extensions, lists[2]);
    std::string fileName = in.Text(kPath - 1);

    FormatChoice choice = ChooseFormatForFile(r, fileName.c_str());
    FormatChoice expected = {r.DefaultFontGroup, r.WordWrap, 0};
    if (fileName.size() > 2) {
        int after = 0;
        std::string extension = ExtensionReference(fileName, &after);
        const int autoOn[3] = {r.FontGroup1Auto, r.FontGroup2Auto, 1};
        const int deWrap[3] = {r.FontGroup1DeWrap, r.FontGroup2DeWrap, r.FontGroup3DeWrap};
        int group = 0;
        while (group < 3 && !(InListReference(lists[group], extension) && autoOn[group]))
            ++group;
        if (group < 3) {
            expected.fontGroup = group;
            if (deWrap[group])
                expected.wordWrap = 0;
        } else {
            expected.richText = extension == ".rtf";
        }
    }
    FUZZ_CHECK(choice.fontGroup == expected.fontGroup && choice.wordWrap == expected.wordWrap &&
               choice.richText == expected.richText);
}

void Backup(Input& in) {
    int mode = in.Byte() % 7 - 1; // the five modes and one on each side
    int hasFileName = in.Bool() ? 1 : 0;
    uint32_t size = in.U16() % 700;
    std::string fileName = in.Text(), dataFolder = in.Text(), folder = in.Text();
    Guarded out(size);
    bool fits = BackupFileName(mode, fileName.c_str(), hasFileName, dataFolder.c_str(),
                               folder.c_str(), out.data(), size);
    FUZZ_CHECK(out.GuardIntact());

    std::string expected;
    bool named = true;
    if (mode == AutosaveCopy) {
        named = hasFileName != 0;
        expected = fileName + " Backup";
    } else if (mode == AutosaveHidden) {
        expected = dataFolder + "KvAuto.txt";
    } else if (mode == AutosaveDirectory) {
        std::string name = hasFileName ? fileName.substr(fileName.rfind('\\') + 1) : "";
        if (name.empty())
            name = "Untitled";
        bool endsInSlash = !folder.empty() && folder.back() == '\\';
        expected = folder + (endsInSlash ? "" : "\\") + "backup_" + name;
    } else {
        named = false;
    }
    bool expectedFits = named && expected.size() + 1 <= size;
    FUZZ_CHECK(fits == expectedFits);
    if (fits)
        FUZZ_CHECK(out.Text() == expected);
    else
        FUZZ_CHECK(size == 0 || out.data()[0] == 0);

    int32_t minutes = in.I32();
    uint32_t period = AutosavePeriodMs(minutes);
    int64_t held = std::min<int64_t>(std::max<int64_t>(minutes, 1), 0x7FFFFFFF / 60000);
    FUZZ_CHECK(period == static_cast<uint32_t>(held * 60000) && period <= 0x7FFFFFFFu);
}

} // namespace

FUZZ_TESTS(NamePart, Extension, FirstLine, Folder, Format, Backup)
