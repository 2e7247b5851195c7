// The document's names and bytes against plain std::string rules, inside the
// program's buffers: title, extension, folder, first-line and autosave copy
// names, the format choice; the break style found, the NUL stand-ins, and the
// save-time break and UTF-8 writers whatever the pieces; which texts read
// as UTF-8, and how.
#include "FuzzSupport.h"
#include "document/DocumentNames.h"
#include "document/LineBreaks.h"
#include "document/Utf8.h"

namespace {

constexpr size_t kPath = 600;

// Lower case from the last dot, padded to 3; no dot: the whole name.
std::string ExtensionReference(const std::string& name, int* after) {
    size_t dot = name.rfind('.');
    *after = dot == std::string::npos ? 0 : static_cast<int>(dot + 1);
    std::string extension = dot == std::string::npos ? name : name.substr(dot);
    extension.resize(std::max<size_t>(extension.size(), *after > 0 ? 3 : 0), ' ');
    return LowerAscii(extension);
}

// The title, extension, folder and first-line names of one text.
void Names(Input& in) {
    std::string path = in.Text(); // may be longer than any path buffer
    std::string held = path.substr(0, kPath - 1), copy = held;
    Guarded title(kPath);
    FileNamePart(path.c_str(), title.data());
    if (!copy.empty() && copy.back() == '\\')
        copy.pop_back();
    size_t last = copy.rfind('\\');
    bool whole = last == std::string::npos || copy.size() <= 2 || copy.size() - last - 1 <= 1;
    FUZZ_CHECK(title.Text() == (whole ? held : copy.substr(last + 1)));
    Guarded extension(kPath, held); // as ChooseFormatForFile holds it
    int after = ExtensionOf(extension.data()), expectedAfter = 0;
    std::string expected = ExtensionReference(held, &expectedAfter);
    FUZZ_CHECK(after == expectedAfter && extension.Text() == expected);
    FUZZ_CHECK(after == 0 || (ExtensionOf(extension.data()) == 1 && extension.Text() == expected));
    Guarded folder(kPath, held);
    FolderOf(folder.data());
    last = held.rfind('\\');
    FUZZ_CHECK(folder.Text() == (last == std::string::npos ? held : held.substr(0, last + 1)));
    std::string text = path.substr(0, 100); // GuessName cuts the selection at 100
    Guarded line(128, text);
    int kept = FirstLineName(line.data());
    size_t cut = text.find_first_of("\r\n");
    std::string first = cut == 0 ? text : text.substr(0, cut); // a break first: left alone
    FUZZ_CHECK(kept == (cut == 0 ? 0 : static_cast<int>(first.size())) && line.Text() == first);
}

void Format(Input& in) {
    static SettingsRecord r;
    uint8_t flags = in.Byte();
    r.FontGroup1Auto = flags & 1, r.FontGroup2Auto = flags >> 1 & 1;
    r.FontGroup1DeWrap = flags >> 3 & 1, r.FontGroup2DeWrap = flags >> 4 & 1;
    r.FontGroup3Auto = flags >> 2 & 1, r.FontGroup3DeWrap = flags >> 5 & 1;
    char* fields[3] = {r.FontGroup1Extensions, r.FontGroup2Extensions, r.FontGroup3Extensions};
    std::string lists[3];
    for (int i = 0; i < 3; ++i)
        std::strcpy(fields[i], (lists[i] = in.Text(sizeof r.FontGroup1Extensions - 1)).c_str());
    r.DefaultFontGroup = in.I32();
    r.WordWrap = in.I32();
    std::string fileName = in.Text(kPath - 1);
    FormatChoice choice = ChooseFormatForFile(r, fileName.c_str());
    FormatChoice expected = {r.DefaultFontGroup, r.WordWrap, 0};
    if (fileName.size() > 2) {
        int after = 0;
        std::string extension = ExtensionReference(fileName, &after);
        const int autoOn[3] = {r.FontGroup1Auto, r.FontGroup2Auto, 1}; // Three is always looked at
        const int deWrap[3] = {r.FontGroup1DeWrap, r.FontGroup2DeWrap, r.FontGroup3DeWrap};
        // TextSearch's rule: a list holds an extension as a substring, never one
        // as long as itself or longer.
        auto InList = [](const std::string& list, const std::string& e) {
            return !e.empty() && e.size() < list.size() && list.find(e) != std::string::npos;
        };
        int group = 0;
        while (group < 3 && !(InList(lists[group], extension) && autoOn[group]))
            ++group;
        if (group < 3)
            expected = {group, deWrap[group] ? 0 : r.WordWrap, 0};
        else
            expected.richText = extension == ".rtf";
    }
    FUZZ_CHECK(choice.fontGroup == expected.fontGroup && choice.wordWrap == expected.wordWrap &&
               choice.richText == expected.richText);
}

void Backup(Input& in) {
    int mode = in.Byte() % 7 - 1; // the five modes and one on each side
    int hasFileName = in.Byte() & 1;
    uint32_t size = in.U16() % 700;
    std::string fileName = in.Text(), dataFolder = in.Text(), folder = in.Text();
    Guarded out(size);
    bool fits = BackupFileName(mode, fileName.c_str(), hasFileName, dataFolder.c_str(),
                               folder.c_str(), out.data(), size);
    std::string name = hasFileName ? fileName.substr(fileName.rfind('\\') + 1) : "";
    bool slash = !folder.empty() && folder.back() == '\\';
    std::string expected = mode == AutosaveCopy     ? fileName + " Backup"
                           : mode == AutosaveHidden ? dataFolder + "KvAuto.txt"
                                                    : folder + (slash ? "" : "\\") + "backup_" +
                                                          (name.empty() ? "Untitled" : name);
    bool named = mode == AutosaveHidden || mode == AutosaveDirectory ||
                 (mode == AutosaveCopy && hasFileName);
    FUZZ_CHECK(fits == (named && expected.size() + 1 <= size));
    FUZZ_CHECK(fits ? out.Text() == expected : size == 0 || out.data()[0] == 0);
    int32_t minutes = in.I32(); // whole minutes, at least one, never wrapping
    FUZZ_CHECK(AutosavePeriodMs(minutes) ==
               std::clamp<int64_t>(minutes, 1, 0x7FFFFFFF / 60000) * 60000);
}

std::vector<uint16_t> Units(const std::string& bytes, bool wide) {
    std::vector<uint16_t> units;
    for (size_t i = 0, n = wide ? 2 : 1; i + n <= bytes.size(); i += n)
        units.push_back(static_cast<uint16_t>(
            static_cast<uint8_t>(bytes[i]) | (wide ? static_cast<uint8_t>(bytes[i + 1]) << 8 : 0)));
    return units;
}

int DetectReference(const std::vector<uint16_t>& u) {
    size_t i = std::find_if(u.begin(), u.end(), [](uint16_t c) { return c == '\n' || c == '\r'; }) -
               u.begin();
    bool pair = i + 1 < u.size() && u[i] == '\r' && u[i + 1] == '\n';
    return i == u.size() ? -1 : u[i] == '\n' ? BreaksLf : pair ? BreaksCrLf : BreaksCr;
}

// Feeds `bytes` in pieces of the sizes `sizes` cycles through, after an
// empty one.
template <typename Writer>
std::string Write(Writer writer, const std::string& bytes, const std::string& sizes) {
    std::string out;
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
    writer.Feed(data, 0, out);
    for (size_t at = 0, k = 0; at < bytes.size(); ++k) {
        size_t piece =
            std::min(bytes.size() - at,
                     sizes.empty() ? bytes.size() : 1 + uint8_t(sizes[k % sizes.size()]) % 32);
        writer.Feed(data + at, piece, out);
        at += piece;
    }
    writer.Finish(out);
    return out;
}

// A CR LF pair becomes the style's one unit; every other unit, a CR alone
// included, stays. The odd last byte of a wide text is kept as it is.
std::string BreaksReference(const std::string& bytes, LineBreakStyle style, bool wide) {
    std::vector<uint16_t> u = Units(bytes, wide);
    std::string out;
    for (size_t i = 0; i < u.size(); ++i) {
        uint16_t unit = u[i];
        if (style != BreaksCrLf && unit == '\r' && i + 1 < u.size() && u[i + 1] == '\n')
            unit = style == BreaksLf ? u[++i] : u[i++];
        out += wide ? std::string{static_cast<char>(unit), static_cast<char>(unit >> 8)}
                    : std::string(1, static_cast<char>(unit));
    }
    return wide && bytes.size() % 2 == 1 ? out + bytes.back() : out;
}

// UTF-8 of UTF-16 units: a surrogate pair as one four-byte code, a lone
// surrogate as its own three-byte code.
std::string Utf8Reference(const std::vector<uint16_t>& u) {
    std::string out;
    for (size_t i = 0; i < u.size(); ++i) {
        uint32_t c = u[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 &&
            u[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (u[++i] - 0xDC00);
        int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        out.push_back(static_cast<char>(n == 1 ? c : (0xF00 >> n) | (c >> (6 * (n - 1)))));
        for (int k = n - 2; k >= 0; --k)
            out.push_back(static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F)));
    }
    return out;
}

void Breaks(Input& in) {
    uint8_t flags = in.Byte();
    bool wide = (flags & 1) != 0;
    LineBreakStyle style = static_cast<LineBreakStyle>((flags >> 1) % 3);
    std::string sizes = in.Text(8), bytes = in.Rest();
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(bytes.data());
    FUZZ_CHECK(DetectLineBreaks(raw, bytes.size(), wide) == DetectReference(Units(bytes, wide)));

    // Exactly the NULs (and with controlsToo the other controls but tab, LF
    // and CR) change, each whole unit.
    bool controlsToo = (flags & 8) != 0;
    std::string shown = bytes;
    size_t replaced = ReplaceNulCharacters(reinterpret_cast<uint8_t*>(&shown[0]), shown.size(),
                                           wide, 0xB7, controlsToo);
    std::vector<uint16_t> units = Units(bytes, wide);
    size_t expectedCount = 0;
    for (uint16_t& c : units) {
        bool control = c == 0 || (controlsToo && c < 0x20 && c != '\t' && c != '\n' && c != '\r');
        expectedCount += control ? 1 : 0;
        c = control ? 0xB7 : c;
    }
    FUZZ_CHECK(replaced == expectedCount && Units(shown, wide) == units);
    FUZZ_CHECK(!wide || bytes.size() % 2 == 0 || shown.back() == bytes.back()); // left alone
    std::string expected = BreaksReference(bytes, style, wide);
    FUZZ_CHECK(Write(LineBreakWriter(style, wide), bytes, "") == expected);
    FUZZ_CHECK(Write(LineBreakWriter(style, wide), bytes, sizes) == expected);
    expected = Utf8Reference(Units(bytes, true)); // an odd last byte is dropped
    FUZZ_CHECK(!wide || (Write(Utf8Writer(), bytes, "") == expected &&
                         Write(Utf8Writer(), bytes, sizes) == expected));
}

// A plain decoder: at each byte, a whole sequence of the length its lead
// byte gives, with the shortest form of a code that is no surrogate and at
// most U+10FFFF; otherwise that byte alone, as 0xF700 + byte.
struct Decoded {
    std::vector<uint16_t> units;
    bool valid = true, multiByte = false;
};
Decoded Utf8ReferenceDecode(const std::string& bytes) {
    Decoded d;
    for (size_t i = 0; i < bytes.size();) {
        uint8_t lead = static_cast<uint8_t>(bytes[i]);
        size_t n = lead < 0x80       ? 1
                   : lead >> 5 == 6  ? 2
                   : lead >> 4 == 14 ? 3
                   : lead >> 3 == 30 ? 4
                                     : 0;
        uint32_t code = n == 1 ? lead : lead & (0xFF >> (n + 1));
        bool ok = n > 0 && i + n <= bytes.size();
        for (size_t k = 1; ok && k < n; ++k) {
            uint8_t c = static_cast<uint8_t>(bytes[i + k]);
            ok = (c & 0xC0) == 0x80;
            code = code << 6 | (c & 0x3F);
        }
        const uint32_t shortest[5] = {0, 0, 0x80, 0x800, 0x10000};
        ok = ok && code >= shortest[n] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!ok) {
            d.units.push_back(static_cast<uint16_t>(0xF700 + lead));
            d.valid = false;
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            d.units.push_back(static_cast<uint16_t>(0xD800 + ((code - 0x10000) >> 10)));
            code = 0xDC00 + ((code - 0x10000) & 0x3FF);
        }
        d.units.push_back(static_cast<uint16_t>(code));
        d.multiByte = d.multiByte || n > 1;
        i += n;
    }
    return d;
}

// UTF-8 detection and reading against the plain decoder, whatever the
// pieces; the start of a text counts as valid when some ending makes the
// whole valid, as a partly read file must.
void Utf8(Input& in) {
    std::string sizes = in.Text(8), bytes = in.Rest();
    uint16_t fallback[128];
    for (int b = 0; b < 128; ++b)
        fallback[b] = static_cast<uint16_t>(0xF780 + b);
    Utf8Reader reader(fallback), check;
    std::string wide;
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (size_t at = 0, k = 0; at < bytes.size(); ++k) {
        uint8_t step = sizes.empty() ? 0 : uint8_t(sizes[k % sizes.size()]);
        size_t piece = std::min(bytes.size() - at, size_t{1} + step % 32);
        reader.Feed(data + at, piece, &wide);
        check.Feed(data + at, piece, nullptr);
        at += piece;
    }
    bool validStart = false;
    for (const char* ending : {"", "\x80", "\xA0\x80", "\x90\x80\x80", "\x80\x80", "\x80\x80\x80"})
        validStart = validStart || Utf8ReferenceDecode(bytes + ending).valid;
    FUZZ_CHECK(reader.Valid() == validStart && check.Valid() == validStart);
    reader.Finish(&wide);
    check.Finish(nullptr);
    Decoded expected = Utf8ReferenceDecode(bytes);
    FUZZ_CHECK(reader.Valid() == expected.valid && check.Valid() == expected.valid);
    FUZZ_CHECK(reader.MultiByte() == expected.multiByte && check.MultiByte() == expected.multiByte);
    FUZZ_CHECK(Units(wide, true) == expected.units && wide.size() == 2 * expected.units.size());
    // Valid UTF-8 read and written back is the same bytes.
    FUZZ_CHECK(!expected.valid || Write(Utf8Writer(), wide, sizes) == bytes);
}

} // namespace

FUZZ_TESTS(Names, Format, Backup, Breaks, Utf8)
