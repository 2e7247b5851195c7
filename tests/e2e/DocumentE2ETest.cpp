// Documents as a user meets them: files opened from the command line, the
// Open dialog or a drop, edited with real keys, saved with Ctrl+S or Save
// As and opened again, byte for byte; large files and partial loading;
// read-only files; a save to a full disk; the close check; New, Revert and
// Reload; the format and title chosen from the file name.
#include "tests/e2e/KorvidDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

using namespace korvid_e2e;

namespace {

// Settings-file offsets beyond the driver's.
constexpr size_t kTitleFullPath = 3702;
constexpr size_t kPartialLoadSize = 4926;
constexpr size_t kPartialLoadMode = 4930;
constexpr size_t kDefaultExtension = 4942;
constexpr size_t kShowFileErrors = 7234;
constexpr size_t kSaveEmptyFiles = 7350;

constexpr int32_t kModeOff = 0;
constexpr int32_t kModeAuto = 2;

// Command ids.
constexpr int kCmdOpen = 2;
constexpr int kCmdRichText = 21;
constexpr int kCmdWordWrap = 22;
constexpr int kCmdSaveAs = 40009;
constexpr int kCmdReload = 40021;
constexpr int kCmdRevert = 40027;

// Answers of the questions.
constexpr int kFirst = 1;
constexpr int kSecond = 2;
constexpr int kThird = 1612;

// The control asks for the file in requests of this many bytes.
constexpr size_t kRequest = 4096;

constexpr const char* kNotSaved = "File is not saved and changes will be lost";
constexpr const char* kLargeFile = "File is large and might take some time to load.";

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// UTF-16 LE bytes of a wide text.
Bytes Utf16(const std::wstring& text) {
    Bytes bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n,
                        nullptr, nullptr);
    return out;
}

// Compares two byte strings and names the first difference.
testing::AssertionResult SameBytes(const Bytes& expected, const Bytes& actual) {
    size_t n = expected.size() < actual.size() ? expected.size() : actual.size();
    size_t at = 0;
    while (at < n && expected[at] == actual[at])
        ++at;
    if (at == n && expected.size() == actual.size())
        return testing::AssertionSuccess();
    auto show = [](const Bytes& bytes, size_t from) {
        std::string text;
        for (size_t i = from; i < bytes.size() && i < from + 12; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X ", bytes[i]);
            text += hex;
        }
        return text.empty() ? std::string("(end)") : text;
    };
    return testing::AssertionFailure()
           << "sizes " << expected.size() << " (expected) and " << actual.size()
           << " (file); first difference at byte " << at << ": expected " << show(expected, at)
           << "| file " << show(actual, at);
}

// A document's path: documents live in the program's folder, which the
// driver removes afterwards.
std::string DocPath(const KorvidApp& app, const std::string& name) {
    return app.ProgramFolder() + name;
}

// Starts the program with `path` on its command line.
void StartWithFile(KorvidApp& app, const std::string& path, std::initializer_list<Field> fields) {
    WriteSettings(app, fields);
    app.Start(Quote(path));
    app.WaitForEditor();
}

std::string StatusMessage(const KorvidApp& app) {
    std::vector<std::string> texts = app.StatusTexts();
    return texts.size() > 3 ? texts[3] : std::string("(no part 3)");
}

// Waits until status-bar part 3 shows `expected`.
void WaitForStatus(KorvidApp& app, const std::string& expected, DWORD timeoutMs = kUiTimeout) {
    std::string seen;
    app.WaitFor(
        [&] {
            seen = StatusMessage(app);
            return seen == expected;
        },
        [&] { return "the status \"" + expected + "\"; it shows \"" + seen + "\""; }, timeoutMs);
}

std::string SizeText(size_t n) { return std::to_string(n) + " bytes"; }

// Saves with Ctrl+S and waits for the status that reports it.
void SaveWithKeys(KorvidApp& app, const std::string& expectedStatus) {
    app.PressKeys("ctrl+s");
    WaitForStatus(app, expectedStatus);
}

// Ends the program through the close box; the document must be unchanged.
void CloseUnchanged(KorvidApp& app) {
    app.Close();
    app.WaitForExit();
}

// A text of `size` characters with a line break (`lineBreak`: "\r\n",
// "\n" or "\r") about every 60 characters and one that begins on the last
// character of each request of the control, where a break split across two
// requests would be doubled. Requests count from the first character (after
// a byte-order mark, which is not streamed).
std::wstring TextWithBreaks(size_t size, const std::wstring& lineBreak, bool eightBit) {
    const std::wstring letters = eightBit ? L"abcdefghij KLMNOP qrstuv\x00E9\x00FC\x00DF 0123456789"
                                          : L"abc defg \x00E9\x00FC\x00DF \x03B1\x03B2\x03B3 "
                                            L"\x4E16\x754C xyz 0123456789";
    // Requests count in bytes: a request holds kRequest 8-bit characters or
    // half as many UTF-16 units.
    const size_t perRequest = eightBit ? kRequest : kRequest / 2;
    std::wstring text;
    size_t sinceBreak = 0;
    while (text.size() < size) {
        size_t at = text.size();
        bool atBoundary = (at + 1) % perRequest == 0;
        bool nearBoundary = (at + 1) % perRequest >= perRequest - 4 || (at + 1) % perRequest < 2;
        if (atBoundary || (sinceBreak >= 60 && !nearBoundary)) {
            text += lineBreak;
            sinceBreak = 0;
            continue;
        }
        text += letters[at % letters.size()];
        ++sinceBreak;
    }
    text.resize(size);
    return text;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += static_cast<char>(c);
    return out;
}

} // namespace

// ---- round trips --------------------------------------------------------------

namespace {

// A text as the editor shows it: every line break as CR LF.
std::string ShownForm(const std::string& text) {
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\r' || text[i] == '\n')
            shown += "\r\n";
        else
            shown += text[i];
    }
    return shown;
}

// 8-bit text with the given line breaks, one of them split across every
// pair of requests: opened from the command line, changed at both ends
// with real keys, saved with Ctrl+S and opened again. The file keeps its
// break style and every other byte.
void RoundTripEightBit(const std::wstring& lineBreak, const std::string& name) {
    KorvidApp app;
    std::string original = Narrow(TextWithBreaks(3 * kRequest + 500, lineBreak, true));
    std::string path = DocPath(app, name);
    WriteTextFile(path, original);
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at " + SizeText(original.size()));
    EXPECT_EQ(app.Title(), name);
    std::string text = app.EditorText();
    EXPECT_EQ(text, ShownForm(original)) << "the text shown differs from the file";

    app.PressKeys("ctrl+Home");
    app.TypeText("Top ");
    app.PressKeys("ctrl+End");
    app.TypeText(" end");
    app.WaitForEditorText("Top " + text + " end");
    std::string edited = "Top " + original + " end";
    SaveWithKeys(app, "Saved at " + SizeText(edited.size()));
    CloseUnchanged(app);
    EXPECT_TRUE(SameBytes(ToBytes(edited), ReadFileBytes(path)));

    app.Start(Quote(path));
    app.WaitForEditor();
    WaitForStatus(app, "Opened at " + SizeText(edited.size()));
    EXPECT_EQ(app.EditorText(), "Top " + text + " end");
}

} // namespace

TEST(RoundTripE2E, CrLfTextKeepsEveryByte) { RoundTripEightBit(L"\r\n", "crlf.txt"); }

TEST(RoundTripE2E, LfOnlyTextStaysLfOnly) { RoundTripEightBit(L"\n", "unix.txt"); }

// The name, quoted on the command line, holds a blank and the byte 0xFE (a
// letter in every Windows code page): both reach the program as they are.
TEST(RoundTripE2E, CrOnlyTextStaysCrOnly) { RoundTripEightBit(L"\r", "mac \xFEorn.txt"); }

// The example of the save rules: a 12-character UTF-16 document is 26 bytes
// on disk, its mark included.
TEST(RoundTripE2E, Utf16WithMarkKeepsTheMarkAndReportsItsSize) {
    KorvidApp app;
    const std::wstring text = L"Gr\x00FC\x00DF"
                              L"e, \x4E16\x754C!!"; // 11 characters
    ASSERT_EQ(text.size(), 11u);
    std::string path = DocPath(app, "wide.txt");
    WriteFileBytes(path, Concat({{0xFF, 0xFE}, Utf16(text)}));
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at 24 bytes, Unicode");
    EXPECT_EQ(app.EditorTextW(), text);

    app.PressKeys("ctrl+End");
    app.TypeText("x");
    app.WaitUntil([&] { return app.EditorTextW() == text + L"x"; }, "the typed x");
    SaveWithKeys(app, "Saved at 26 bytes, Unicode");
    CloseUnchanged(app);
    EXPECT_TRUE(SameBytes(Concat({{0xFF, 0xFE}, Utf16(text + L"x")}), ReadFileBytes(path)));
}

// A longer UTF-16 text with a CR LF split across every pair of requests.
TEST(RoundTripE2E, Utf16TextKeepsEveryUnit) {
    KorvidApp app;
    const std::wstring text = TextWithBreaks(3 * kRequest / 2 + 300, L"\r\n", false);
    const Bytes original = Concat({{0xFF, 0xFE}, Utf16(text)});
    std::string path = DocPath(app, "wide-long.txt");
    WriteFileBytes(path, original);
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at " + SizeText(original.size()) + ", Unicode");
    EXPECT_EQ(app.EditorTextW(), text) << "the text shown differs from the file";

    app.PressKeys("ctrl+Home");
    app.TypeText("A ");
    std::wstring edited = L"A " + text;
    app.WaitUntil([&] { return app.EditorTextW() == edited; }, "the typed text at the start");
    const Bytes expected = Concat({{0xFF, 0xFE}, Utf16(edited)});
    SaveWithKeys(app, "Saved at " + SizeText(expected.size()) + ", Unicode");
    CloseUnchanged(app);
    EXPECT_TRUE(SameBytes(expected, ReadFileBytes(path)));

    app.Start(Quote(path));
    app.WaitForEditor();
    WaitForStatus(app, "Opened at " + SizeText(expected.size()) + ", Unicode");
    EXPECT_EQ(app.EditorTextW(), edited);
}

TEST(RoundTripE2E, Utf8WithMarkIsReadAndWrittenAsUtf8) {
    KorvidApp app;
    const std::wstring text = L"Gr\x00FC\x00DF"
                              L"e \x4E16\x754C\r\nPrice \x20AC 5, na\x00EFve\r\n";
    const Bytes mark = {0xEF, 0xBB, 0xBF};
    const Bytes original = Concat({mark, ToBytes(Utf8(text))});
    std::string path = DocPath(app, "utf8.txt");
    WriteFileBytes(path, original);
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at " + SizeText(original.size()));
    EXPECT_EQ(app.EditorTextW(), text) << "the UTF-8 text was not decoded";

    app.PressKeys("ctrl+End");
    app.TypeText("ok");
    app.WaitUntil([&] { return app.EditorTextW() == text + L"ok"; }, "the typed text");
    const Bytes expected = Concat({mark, ToBytes(Utf8(text + L"ok"))});
    SaveWithKeys(app, "Saved at " + SizeText(expected.size()));
    CloseUnchanged(app);
    EXPECT_TRUE(SameBytes(expected, ReadFileBytes(path)));
}

namespace {

// Rich Text as a word processor writes it: font and colour tables, a
// generator group, paragraph and character formats and an escaped
// character.
const char* const kRichText =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033"
    "{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Arial;}{\\f1\\froman\\fprq2\\fcharset0 Times New "
    "Roman;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green77\\blue187;}\r\n"
    "{\\*\\generator Notes 1.0;}\\viewkind4\\uc1 \r\n"
    "\\pard\\qc\\sa200\\sl276\\slmult1\\f0\\fs28\\lang9 Quarterly notes\\par\r\n"
    "\\pard\\sa200\\sl276\\slmult1\\fs22 Plain start, \\b bold words\\b0 , \\ul underlined "
    "words\\ulnone  and \\cf1 red words\\cf0  end.\\par\r\n"
    "\\f1\\fs24 Serif line with caf\\'e9.\\par\r\n"
    "}\r\n";

// Character positions of a text read with WM_GETTEXT: the control counts
// a line break as one character.
long PositionOf(const std::string& text, const std::string& part) {
    size_t at = text.find(part);
    if (at == std::string::npos)
        return -1;
    long breaks = 0;
    for (size_t i = 0; i < at; ++i)
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++breaks;
    return static_cast<long>(at) - breaks;
}

// Checks the formats a Rich Text document keeps when the font group is
// applied over it (the group sets face, size, colour, bold and italic):
// the underline and the centred first paragraph.
void ExpectRichFormats(KorvidApp& app) {
    std::string text = app.EditorText();
    long underlined = PositionOf(text, "underlined words");
    long plain = PositionOf(text, "Plain start");
    ASSERT_GE(underlined, 0) << text;
    ASSERT_GE(plain, 0) << text;
    HWND editor = app.Editor();
    app.Send(editor, EM_SETSEL, static_cast<WPARAM>(underlined),
             static_cast<LPARAM>(underlined + 16));
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    app.SendWithBuffer(editor, EM_GETCHARFORMAT, SCF_SELECTION, &format, sizeof format);
    EXPECT_TRUE(format.dwMask & CFM_UNDERLINE) << "\"underlined words\" is partly underlined";
    EXPECT_TRUE(format.dwEffects & CFE_UNDERLINE) << "\"underlined words\" lost its underline";
    app.Send(editor, EM_SETSEL, static_cast<WPARAM>(plain), static_cast<LPARAM>(plain + 5));
    format = CHARFORMAT2A{};
    format.cbSize = sizeof format;
    app.SendWithBuffer(editor, EM_GETCHARFORMAT, SCF_SELECTION, &format, sizeof format);
    EXPECT_FALSE(format.dwEffects & CFE_UNDERLINE) << "\"Plain\" is underlined";

    PARAFORMAT2 paragraph{};
    paragraph.cbSize = sizeof paragraph;
    app.Send(editor, EM_SETSEL, 0, 0);
    app.SendWithBuffer(editor, EM_GETPARAFORMAT, 0, &paragraph, sizeof paragraph);
    EXPECT_EQ(paragraph.wAlignment, PFA_CENTER) << "the title paragraph is not centred";
    paragraph = PARAFORMAT2{};
    paragraph.cbSize = sizeof paragraph;
    app.Send(editor, EM_SETSEL, static_cast<WPARAM>(plain), static_cast<LPARAM>(plain));
    app.SendWithBuffer(editor, EM_GETPARAFORMAT, 0, &paragraph, sizeof paragraph);
    EXPECT_EQ(paragraph.wAlignment, PFA_LEFT);
}

bool Contains(const Bytes& bytes, const std::string& part) {
    return std::string(bytes.begin(), bytes.end()).find(part) != std::string::npos;
}

} // namespace

TEST(RoundTripE2E, RichTextKeepsItsFormatsAndSavesStably) {
    KorvidApp app;
    std::string path = DocPath(app, "notes.rtf");
    WriteTextFile(path, kRichText);
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at " + SizeText(std::strlen(kRichText)));
    EXPECT_TRUE(app.ToolbarChecked(kCmdRichText));
    std::string text = app.EditorText();
    EXPECT_EQ(text.find('{'), std::string::npos) << "Rich Text source shown: " << text;
    EXPECT_NE(text.find("Serif line with caf\xE9."), std::string::npos) << text;
    ExpectRichFormats(app);

    app.PressKeys("ctrl+End");
    app.TypeText("Added line");
    app.WaitUntil([&] { return app.EditorText().find("Added line") != std::string::npos; },
                  "the typed line");
    app.PressKeys("ctrl+s");
    app.WaitUntil([&] { return StatusMessage(app).rfind("Saved at ", 0) == 0; }, "a Saved status");
    std::string savedStatus = StatusMessage(app);
    CloseUnchanged(app);
    Bytes saved = ReadFileBytes(path);
    EXPECT_EQ(savedStatus, "Saved at " + SizeText(saved.size()));
    // The control's stream ends with a NUL after the closing brace; the
    // file does not.
    EXPECT_EQ(std::count(saved.begin(), saved.end(), 0), 0) << "a NUL byte in the Rich Text";
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(saved.back(), '}');
    EXPECT_TRUE(Contains(saved, "{\\rtf1")) << "not Rich Text";
    EXPECT_TRUE(Contains(saved, "\\ul"));
    EXPECT_TRUE(Contains(saved, "\\qc"));
    EXPECT_TRUE(Contains(saved, "Added line"));
    EXPECT_TRUE(Contains(saved, "caf\\'e9"));

    // Opened again: the same text and formats, and a save without changes
    // writes the same bytes.
    app.Start(Quote(path));
    app.WaitForEditor();
    WaitForStatus(app, "Opened at " + SizeText(saved.size()));
    std::string reopened = app.EditorText();
    EXPECT_NE(reopened.find("Added line"), std::string::npos) << reopened;
    ExpectRichFormats(app);
    SaveWithKeys(app, "Saved at " + SizeText(saved.size()));
    CloseUnchanged(app);
    EXPECT_TRUE(SameBytes(saved, ReadFileBytes(path)));
}

// ---- large files --------------------------------------------------------------

namespace {

// Lines of 32 bytes ending in CR LF: no break falls on a request boundary.
std::string PlainLines(size_t size) {
    std::string text;
    for (int line = 0; text.size() < size; ++line) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "Line %07d of the large file\r\n", line);
        text += buffer;
    }
    text.resize(size);
    return text;
}

constexpr int32_t kSmallThreshold = 10000;
// Whole requests up to the threshold: two of them.
constexpr size_t kPartOfSmallThreshold = 2 * kRequest;

// A sparse file of `size` bytes whose first `textBytes` are PlainLines.
void MakeSparseFile(const std::string& path, uint64_t size, size_t textBytes) {
    WriteTextFile(path, PlainLines(textBytes));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(file)) << "cannot make a file of " << size << " bytes";
    CloseHandle(file);
}

} // namespace

TEST(PartialLoadE2E, FileAtTheThresholdLoadsWholeWithoutAQuestion) {
    KorvidApp app;
    std::string text = PlainLines(kSmallThreshold);
    std::string path = DocPath(app, "at.txt");
    WriteTextFile(path, text);
    StartWithFile(app, path, {{kPartialLoadSize, kSmallThreshold}});
    WaitForStatus(app, "Opened at 10000 bytes");
    app.ExpectNoNotification();
    EXPECT_EQ(app.EditorText(), text);
}

TEST(PartialLoadE2E, OneByteMoreAsksAndPartialLoadKeepsWholeRequests) {
    KorvidApp app;
    std::string text = PlainLines(kSmallThreshold + 1);
    std::string path = DocPath(app, "over.txt");
    WriteTextFile(path, text);
    WriteSettings(app, {{kPartialLoadSize, kSmallThreshold}});
    app.Start(Quote(path));
    Notification question = app.WaitForNotification();
    EXPECT_EQ(question.message, kLargeFile);
    EXPECT_EQ(question.ButtonText(kFirst), "Partial Load only the start");
    EXPECT_EQ(question.ButtonText(kSecond), "Load normally");
    app.Answer(question, kFirst);
    app.WaitForEditor();
    WaitForStatus(app, "Partially Opened at 8192 bytes of 10001 bytes, File is Read Only");
    EXPECT_EQ(app.EditorText(), text.substr(0, kPartOfSmallThreshold));
}

TEST(PartialLoadE2E, LoadNormallyLoadsTheWholeFile) {
    KorvidApp app;
    std::string text = PlainLines(kSmallThreshold + 1);
    std::string path = DocPath(app, "over.txt");
    WriteTextFile(path, text);
    WriteSettings(app, {{kPartialLoadSize, kSmallThreshold}});
    app.Start(Quote(path));
    app.Answer(app.WaitForNotification(), kSecond);
    app.WaitForEditor();
    WaitForStatus(app, "Opened at 10001 bytes");
    EXPECT_EQ(app.EditorText(), text);
}

TEST(PartialLoadE2E, ModeOffLoadsALargeFileWholeWithoutAQuestion) {
    KorvidApp app;
    std::string text = PlainLines(kSmallThreshold + 1);
    std::string path = DocPath(app, "over.txt");
    WriteTextFile(path, text);
    StartWithFile(app, path, {{kPartialLoadSize, kSmallThreshold}, {kPartialLoadMode, kModeOff}});
    WaitForStatus(app, "Opened at 10001 bytes");
    app.ExpectNoNotification();
    EXPECT_EQ(app.EditorText(), text);
}

// The default threshold and "Auto": the start of a 5,000,000-byte file,
// without a question, read-only.
TEST(PartialLoadE2E, AutoLoadsTheStartReadOnlyWithoutAQuestion) {
    KorvidApp app;
    std::string text = PlainLines(5000000);
    std::string path = DocPath(app, "five.txt");
    WriteTextFile(path, text);
    StartWithFile(app, path, {{kPartialLoadMode, kModeAuto}});
    WaitForStatus(app, "Partially Opened at 999424 bytes of 5000000 bytes, File is Read Only",
                  30000);
    app.ExpectNoNotification();
    EXPECT_EQ(app.Send(app.Editor(), WM_GETTEXTLENGTH, 0, 0), 999424);
    EXPECT_EQ(app.EditorText().substr(999424 - 64), text.substr(999424 - 64, 64));
}

// Sizes that do not fit a signed 32-bit number: the status shows the true
// size; only the start is read.
TEST(PartialLoadE2E, FilesOfTwoAndFourGigabytesShowTheirTrueSize) {
    struct Case {
        uint64_t size;
        int32_t mode;
    };
    for (Case c : {Case{2147483648ull, 1}, Case{4294967396ull, kModeAuto}}) {
        SCOPED_TRACE("file of " + std::to_string(c.size) + " bytes");
        KorvidApp app;
        std::string path = DocPath(app, "huge.log");
        MakeSparseFile(path, c.size, 3 * kRequest);
        WriteSettings(app, {{kPartialLoadSize, kSmallThreshold}, {kPartialLoadMode, c.mode}});
        app.Start(Quote(path));
        if (c.mode != kModeAuto)
            app.Answer(app.WaitForNotification(), kFirst);
        app.WaitForEditor();
        WaitForStatus(app, "Partially Opened at 8192 bytes of " + std::to_string(c.size) +
                               " bytes, File is Read Only");
        EXPECT_EQ(app.EditorText(), PlainLines(kPartOfSmallThreshold));
        CloseUnchanged(app);
    }
}

// ---- binary content -------------------------------------------------------------

// A megabyte of NUL runs, control bytes and text opens as fast as text,
// shows a stand-in for each NUL and control character, and the save key never writes it over its
// file: the Save dialog comes instead, and cancelling it leaves the file.
TEST(BinaryE2E, NulBytesShowAsStandInsAndTheSaveKeyNeverWritesTheFile) {
    KorvidApp app;
    std::string bytes;
    for (int i = 0; bytes.size() < 1000000; ++i)
        bytes += i % 3 == 0   ? std::string(40, '\0')
                 : i % 3 == 1 ? "a line of text\r\n"
                              : std::string("\x01\x02\x7f\x1b");
    bytes.resize(1000000);
    std::string path = DocPath(app, "data.bin");
    WriteFileBytes(path, Bytes(bytes.begin(), bytes.end()));
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at 1000000 bytes, binary content shown, read only", 30000);
    std::string shown = app.EditorText();
    ASSERT_EQ(shown.size(), bytes.size());
    EXPECT_EQ(shown.find('\0'), std::string::npos);
    EXPECT_EQ(shown.substr(0, 60), std::string(40, '\xB7') + "a line of text\r\n\xB7\xB7\x7f\xB7");

    app.PressKeys("End x ctrl+s");
    app.CancelFileDialog(app.WaitForFileDialog());
    EXPECT_EQ(ReadFileBytes(path), Bytes(bytes.begin(), bytes.end()));
    EXPECT_EQ(app.Title(), "data.bin");
}

// ---- read-only files ----------------------------------------------------------

TEST(ReadOnlyE2E, SavingAsksAndOnlyOverrideWritesKeepingTheAttribute) {
    KorvidApp app;
    std::string path = DocPath(app, "locked.txt");
    const std::string original = "Locked text\r\nSecond line\r\n";
    WriteTextFile(path, original);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at " + SizeText(original.size()) + ", File is Read Only");
    EXPECT_EQ(app.EditorText(), original);

    app.PressKeys("ctrl+Home");
    app.TypeText("New ");
    app.WaitForEditorText("New " + original);
    app.PressKeys("ctrl+s");
    Notification question = app.WaitForNotification();
    EXPECT_EQ(question.message, "File is Read Only");
    EXPECT_EQ(question.ButtonText(kFirst), "OverRide ReadOnly");
    EXPECT_EQ(question.ButtonText(kSecond), "Abort Close");
    app.Answer(question, kSecond);
    app.ExpectNoNotification();
    EXPECT_TRUE(SameBytes(ToBytes(original), ReadFileBytes(path))) << "declining wrote the file";
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(app.EditorText(), "New " + original);

    app.PressKeys("ctrl+s");
    app.Answer(app.WaitForNotification(), kFirst);
    WaitForStatus(app, "Saved at " + SizeText(original.size() + 4) + ", File is Read Only");
    EXPECT_TRUE(SameBytes(ToBytes("New " + original), ReadFileBytes(path)));
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY)
        << "the file lost its read-only attribute";
    CloseUnchanged(app);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// ---- a full disk ----------------------------------------------------------------

namespace {

// Fills the file system of `folder` with one file, to the last byte it
// takes.
void FillDisk(const std::string& filler) {
    HANDLE file = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<char> block(4096, 'f');
    DWORD done = 0;
    for (int i = 0; i < 100000; ++i) {
        if (!WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &done, nullptr) ||
            done == 0)
            break;
    }
    // The last part: byte by byte up to the end.
    for (int i = 0; i < 4096; ++i) {
        if (!WriteFile(file, block.data(), 1, &done, nullptr) || done == 0)
            break;
    }
    CloseHandle(file);
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

} // namespace

TEST(SaveErrorE2E, SaveToAFullDiskKeepsTheOldFileAndReportsSaveError) {
    const char* disk = std::getenv("KORVID_SMALL_DISK");
    if (disk == nullptr || *disk == 0)
        GTEST_SKIP() << "KORVID_SMALL_DISK is not set: it names the Linux path of a small "
                        "mounted file system (such as a 256 KB tmpfs) for the full-disk save";
    std::string folder = WindowsPathOf(disk);
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    folder += "korvid-e2e-" + std::to_string(GetCurrentProcessId()) + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << "cannot make " << folder;
    std::string path = folder + "full.txt";
    std::string filler = folder + "filler.bin";
    struct Cleanup {
        std::string folder;
        ~Cleanup() {
            for (const std::string& name : FilesIn(folder))
                DeleteFileA((folder + name).c_str());
            RemoveDirectoryA(folder.c_str());
        }
    } cleanup{folder};

    const std::string original = PlainLines(20000);
    WriteTextFile(path, original);
    KorvidApp app;
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at 20000 bytes");
    FillDisk(filler);

    app.PressKeys("ctrl+Home");
    app.TypeText("More ");
    app.WaitUntil([&] { return app.EditorText().rfind("More Line", 0) == 0; }, "the typed text");
    app.PressKeys("ctrl+s");
    Notification notice = app.WaitForNotification();
    EXPECT_EQ(notice.message, "Save Error");
    EXPECT_EQ(notice.ButtonText(kFirst), "OK");
    EXPECT_EQ(notice.ButtonText(kSecond), "Open ReadMe");
    app.Answer(notice, kFirst);
    WaitForStatus(app, "Save Error");
    EXPECT_TRUE(SameBytes(ToBytes(original), ReadFileBytes(path)))
        << "the failed save changed the file";
    std::vector<std::string> left = FilesIn(folder);
    EXPECT_EQ(left.size(), 2u) << "files left beside the document: " << left.size();

    // With room again the same document saves.
    ASSERT_TRUE(DeleteFileA(filler.c_str()));
    SaveWithKeys(app, "Saved at 20005 bytes");
    CloseUnchanged(app);
    EXPECT_TRUE(SameBytes(ToBytes("More " + original), ReadFileBytes(path)));
}

// A file that loads in a moment never shows the progress question, which
// belongs to loads of more than five seconds. Each reload is one more
// chance for a wrong start time to show it.
TEST(LoadProgressE2E, QuickLoadsNeverShowTheProgressQuestion) {
    KorvidApp app;
    std::string path = DocPath(app, "quick.txt");
    WriteTextFile(path, PlainLines(2000));
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at 2000 bytes");
    app.ExpectNoNotification();
    for (size_t size = 2001; size <= 2008; ++size) {
        WriteTextFile(path, PlainLines(size));
        app.PostCommand(kCmdReload);
        WaitForStatus(app, "Opened at " + SizeText(size));
        app.ExpectNoNotification();
    }
}

// ---- the close check ----------------------------------------------------------

namespace {

// Starts the program on a small named file and changes it with a key.
std::string StartChanged(KorvidApp& app, const std::string& original,
                         std::initializer_list<Field> fields = {}) {
    std::string path = DocPath(app, "letter.txt");
    WriteTextFile(path, original);
    StartWithFile(app, path, fields);
    WaitForStatus(app, "Opened at " + SizeText(original.size()));
    app.PressKeys("ctrl+End");
    app.TypeText("!");
    app.WaitForEditorText(original + "!");
    return path;
}

Notification ExpectCloseQuestion(KorvidApp& app) {
    Notification question = app.WaitForNotification();
    EXPECT_EQ(question.message, kNotSaved);
    EXPECT_EQ(question.ButtonText(kFirst), "Save file now");
    EXPECT_EQ(question.ButtonText(kSecond), "Abort Close");
    EXPECT_EQ(question.ButtonText(kThird), "Abandon changes");
    return question;
}

} // namespace

TEST(CloseCheckE2E, EscapeInTheQuestionAbortsTheClose) {
    KorvidApp app;
    const std::string original = "Dear reader,\r\n";
    std::string path = StartChanged(app, original);
    app.Close();
    Notification question = ExpectCloseQuestion(app);
    app.PressKeysIn(question.window, "Escape");
    app.WaitUntil([&] { return !IsWindow(question.window) || !IsWindowVisible(question.window); },
                  "the question to close on Escape");
    app.ExpectNoNotification();
    EXPECT_TRUE(app.Running());
    EXPECT_EQ(app.EditorText(), original + "!");
    EXPECT_EQ(app.Title(), "letter.txt");
    EXPECT_TRUE(SameBytes(ToBytes(original), ReadFileBytes(path)));

    // The document is still changed: the next close asks again.
    app.Close();
    app.Answer(ExpectCloseQuestion(app), kThird);
    app.WaitForExit();
    EXPECT_TRUE(SameBytes(ToBytes(original), ReadFileBytes(path))) << "abandoning wrote the file";
}

TEST(CloseCheckE2E, SaveFileNowWritesTheNamedFileThenCloses) {
    KorvidApp app;
    const std::string original = "Dear reader,\r\n";
    std::string path = StartChanged(app, original);
    app.Close();
    app.Answer(ExpectCloseQuestion(app), kFirst);
    app.WaitForExit();
    EXPECT_TRUE(SameBytes(ToBytes(original + "!"), ReadFileBytes(path)));
}

TEST(CloseCheckE2E, SaveFileNowWithACancelledSaveDialogKeepsTheWindow) {
    KorvidApp app;
    WriteSettings(app, {});
    app.Start();
    app.WaitForEditor();
    app.TypeText("draft");
    app.WaitForEditorText("draft");
    app.Close();
    app.Answer(ExpectCloseQuestion(app), kFirst);
    app.CancelFileDialog(app.WaitForFileDialog());
    app.ExpectNoNotification();
    EXPECT_TRUE(app.Running());
    EXPECT_EQ(app.EditorText(), "draft");
    EXPECT_EQ(app.Title(), "Untitled");
}

TEST(CloseCheckE2E, EmptiedDocumentClosesWithoutAskingWhileSaveEmptyFilesIsOff) {
    KorvidApp app;
    const std::string original = "Short note\r\n";
    std::string path = StartChanged(app, original);
    app.PressKeys("ctrl+a Delete");
    app.WaitForEditorText("");
    app.Close();
    app.WaitForExit();
    EXPECT_TRUE(SameBytes(ToBytes(original), ReadFileBytes(path)));
}

TEST(CloseCheckE2E, EmptiedDocumentAsksWhileSaveEmptyFilesIsOn) {
    KorvidApp app;
    const std::string original = "Short note\r\n";
    std::string path = StartChanged(app, original, {{kSaveEmptyFiles, 1}});
    app.PressKeys("ctrl+a Delete");
    app.WaitForEditorText("");
    app.Close();
    app.Answer(ExpectCloseQuestion(app), kFirst);
    app.WaitForExit();
    EXPECT_TRUE(ReadFileBytes(path).empty()) << "the emptied document was not saved";
}

// ---- drops --------------------------------------------------------------------

// A file dropped on the text area, where a user drops it.
TEST(DropE2E, FileDroppedOnTheEditorOpens) {
    KorvidApp app;
    const std::string text = "Dropped text\r\n";
    std::string path = DocPath(app, "dropped.txt");
    WriteTextFile(path, text);
    WriteSettings(app, {});
    app.Start();
    HWND editor = app.WaitForEditor();
    app.DropFiles(editor, {path, DocPath(app, "second.txt")}, {40, 40});
    WaitForStatus(app, "Opened at " + SizeText(text.size()));
    EXPECT_EQ(app.Title(), "dropped.txt");
    EXPECT_EQ(app.EditorText(), text);
}

TEST(DropE2E, DropOnAChangedDocumentAsksFirst) {
    KorvidApp app;
    const std::string text = "Dropped text\r\n";
    std::string path = DocPath(app, "dropped.txt");
    WriteTextFile(path, text);
    WriteSettings(app, {});
    app.Start();
    HWND editor = app.WaitForEditor();
    app.TypeText("mine");
    app.WaitForEditorText("mine");

    app.DropFiles(editor, {path});
    app.Answer(ExpectCloseQuestion(app), kSecond);
    app.ExpectNoNotification();
    EXPECT_EQ(app.EditorText(), "mine");
    EXPECT_EQ(app.Title(), "Untitled");

    app.DropFiles(editor, {path});
    app.Answer(ExpectCloseQuestion(app), kThird);
    WaitForStatus(app, "Opened at " + SizeText(text.size()));
    EXPECT_EQ(app.EditorText(), text);
    EXPECT_EQ(app.Title(), "dropped.txt");
}

// ---- the Open and Save dialogs ------------------------------------------------

TEST(FileDialogE2E, OpenDialogOpensTheChosenFile) {
    KorvidApp app;
    const std::string text = "Chosen in the dialog\r\n";
    std::string path = DocPath(app, "chosen.txt");
    WriteTextFile(path, text);
    WriteSettings(app, {});
    app.Start();
    app.WaitForEditor();
    app.PressKeys("ctrl+o");
    HWND dialog = app.WaitForFileDialog();
    app.ChooseInFileDialog(dialog, path);
    WaitForStatus(app, "Opened at " + SizeText(text.size()));
    EXPECT_EQ(app.Title(), "chosen.txt");
    EXPECT_EQ(app.EditorText(), text);
}

TEST(FileDialogE2E, CancelledOpenChangesNothing) {
    KorvidApp app;
    const std::string original = "Dear reader,\r\n";
    std::string path = StartChanged(app, original);
    app.PostCommand(kCmdOpen);
    app.Answer(ExpectCloseQuestion(app), kThird);
    app.CancelFileDialog(app.WaitForFileDialog());
    app.ExpectNoNotification();
    EXPECT_EQ(app.EditorText(), original + "!");
    EXPECT_EQ(app.Title(), "letter.txt");
}

// Save As on a named document writes the chosen file; the document keeps
// its name, and the next Save writes the old file.
TEST(FileDialogE2E, SaveAsOnANamedDocumentWritesTheChosenFileAndKeepsTheName) {
    KorvidApp app;
    const std::string original = "Dear reader,\r\n";
    std::string path = StartChanged(app, original);
    std::string copy = DocPath(app, "copy.txt");
    app.PostCommand(kCmdSaveAs);
    app.ChooseInFileDialog(app.WaitForFileDialog(), copy);
    WaitForStatus(app, "Saved at " + SizeText(original.size() + 1));
    EXPECT_TRUE(SameBytes(ToBytes(original + "!"), ReadFileBytes(copy)));
    EXPECT_TRUE(SameBytes(ToBytes(original), ReadFileBytes(path)));
    EXPECT_EQ(app.Title(), "letter.txt");

    app.TypeText("?");
    app.WaitForEditorText(original + "!?");
    SaveWithKeys(app, "Saved at " + SizeText(original.size() + 2));
    app.ExpectNoNotification();
    EXPECT_EQ(app.FindFileDialog(), nullptr) << "Save asked for a name";
    CloseUnchanged(app);
    EXPECT_TRUE(SameBytes(ToBytes(original + "!?"), ReadFileBytes(path)));
    EXPECT_TRUE(SameBytes(ToBytes(original + "!"), ReadFileBytes(copy)));
}

TEST(FileDialogE2E, SaveAsOnAnUntitledDocumentLeavesItUntitled) {
    KorvidApp app;
    WriteSettings(app, {});
    app.Start();
    app.WaitForEditor();
    app.TypeText("draft");
    app.WaitForEditorText("draft");
    std::string copy = DocPath(app, "draft-copy.txt");
    app.PostCommand(kCmdSaveAs);
    app.ChooseInFileDialog(app.WaitForFileDialog(), copy);
    WaitForStatus(app, "Saved at 5 bytes");
    EXPECT_TRUE(SameBytes(ToBytes("draft"), ReadFileBytes(copy)));
    EXPECT_EQ(app.Title(), "Untitled");
    // Still untitled: Save asks for a name.
    app.PressKeys("ctrl+s");
    app.CancelFileDialog(app.WaitForFileDialog());
}

// Save on an untitled document proposes "Untitled", adopts the chosen name
// and, with "Def Ext" on, adds ".txt" to a name typed without one.
TEST(FileDialogE2E, SaveOnAnUntitledDocumentAdoptsTheNameWithTheDefaultExtension) {
    KorvidApp app;
    WriteSettings(app, {{kDefaultExtension, 1}});
    app.Start();
    app.WaitForEditor();
    app.TypeText("fresh");
    app.WaitForEditorText("fresh");
    app.PressKeys("ctrl+s");
    HWND dialog = app.WaitForFileDialog();
    HWND box = GetDlgItem(dialog, 0x47C);
    ASSERT_NE(box, nullptr);
    std::string proposed;
    app.WaitFor(
        [&] {
            char text[64] = {};
            app.Send(box, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
            proposed = text;
            return proposed == "Untitled";
        },
        [&] { return "the proposed name Untitled; the box shows \"" + proposed + "\""; });
    app.ChooseInFileDialog(dialog, DocPath(app, "fresh"));
    WaitForStatus(app, "Saved at 5 bytes");
    EXPECT_TRUE(SameBytes(ToBytes("fresh"), ReadFileBytes(DocPath(app, "fresh.txt"))));
    EXPECT_FALSE(FileExists(DocPath(app, "fresh")));
    EXPECT_EQ(app.Title(), "fresh.txt");
}

// ---- New, Revert and Reload ----------------------------------------------------

TEST(LifecycleE2E, NewThenRevertReopensThePreviousFile) {
    KorvidApp app;
    const std::string text = "Kept on disk\r\n";
    std::string path = DocPath(app, "kept.txt");
    WriteTextFile(path, text);
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at " + SizeText(text.size()));
    app.PressKeys("ctrl+n");
    app.WaitForEditorText("");
    app.WaitUntil([&] { return app.Title() == "Untitled"; }, "the title Untitled after New");
    app.PostCommand(kCmdRevert);
    app.WaitForEditorText(text);
    EXPECT_EQ(app.Title(), "kept.txt");
    EXPECT_EQ(StatusMessage(app), "Opened at " + SizeText(text.size()));
}

// Revert with changes: "Save file now" writes them to a file chosen in the
// Save dialog, then the document's own file is read back from disk.
TEST(LifecycleE2E, RevertSavesTheChangesElsewhereThenReloads) {
    KorvidApp app;
    const std::string original = "Dear reader,\r\n";
    std::string path = StartChanged(app, original);
    std::string elsewhere = DocPath(app, "changes.txt");
    app.PostCommand(kCmdRevert);
    app.Answer(ExpectCloseQuestion(app), kFirst);
    app.ChooseInFileDialog(app.WaitForFileDialog(), elsewhere);
    app.WaitForEditorText(original);
    EXPECT_EQ(app.Title(), "letter.txt");
    EXPECT_TRUE(SameBytes(ToBytes(original + "!"), ReadFileBytes(elsewhere)));
    EXPECT_TRUE(SameBytes(ToBytes(original), ReadFileBytes(path)));
}

TEST(LifecycleE2E, ReloadDropsChangesWithoutAsking) {
    KorvidApp app;
    const std::string original = "Dear reader,\r\n";
    std::string path = StartChanged(app, original);
    const std::string outside = "Changed by another program\r\n";
    WriteTextFile(path, outside);
    app.PostCommand(kCmdReload);
    WaitForStatus(app, "Opened at " + SizeText(outside.size()));
    app.ExpectNoNotification();
    EXPECT_EQ(app.EditorText(), outside);
    CloseUnchanged(app); // nothing left to save: no question
}

// ---- format and title from the file name ---------------------------------------

namespace {

bool Wraps(KorvidApp& app) {
    LONG style = GetWindowLongA(app.Editor(), GWL_STYLE);
    return !(style & WS_HSCROLL) && !(style & ES_AUTOHSCROLL);
}

} // namespace

TEST(FileNameE2E, NfoFileOpensWithoutWordWrap) {
    KorvidApp app;
    const std::string line(600, '=');
    std::string path = DocPath(app, "readme.nfo");
    WriteTextFile(path, line);
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at 600 bytes");
    EXPECT_FALSE(Wraps(app));
    EXPECT_EQ(app.Send(app.Editor(), EM_GETLINECOUNT, 0, 0), 1) << "the long line wraps";
    EXPECT_FALSE(app.ToolbarChecked(kCmdWordWrap));
}

TEST(FileNameE2E, TxtFileOpensWithWordWrap) {
    KorvidApp app;
    const std::string line(600, '=');
    std::string path = DocPath(app, "readme.txt");
    WriteTextFile(path, line);
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at 600 bytes");
    EXPECT_TRUE(Wraps(app));
    EXPECT_GT(app.Send(app.Editor(), EM_GETLINECOUNT, 0, 0), 1) << "the long line does not wrap";
    EXPECT_TRUE(app.ToolbarChecked(kCmdWordWrap));
}

TEST(FileNameE2E, UpperCaseRtfExtensionOpensAsRichText) {
    KorvidApp app;
    std::string path = DocPath(app, "notes.RTF");
    WriteTextFile(path, kRichText);
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at " + SizeText(std::strlen(kRichText)));
    EXPECT_TRUE(app.ToolbarChecked(kCmdRichText));
    EXPECT_EQ(app.Title(), "notes.RTF");
    std::string text = app.EditorText();
    EXPECT_EQ(text.find("\\rtf1"), std::string::npos) << "Rich Text source shown: " << text;
    EXPECT_NE(text.find("Quarterly notes"), std::string::npos) << text;
}

TEST(FileNameE2E, TitleIsTheNamePartOrTheWholePath) {
    struct Case {
        const char* name;
        int32_t fullPath;
        bool wholePath;
    };
    for (Case c : {Case{"a.txt", 0, false}, Case{"a", 0, true}, Case{"a.txt", 1, true}}) {
        SCOPED_TRACE(std::string(c.name) + (c.fullPath ? " with Full Path" : ""));
        KorvidApp app;
        std::string path = DocPath(app, c.name);
        WriteTextFile(path, "x");
        StartWithFile(app, path, {{kTitleFullPath, c.fullPath}});
        WaitForStatus(app, "Opened at 1 bytes");
        EXPECT_EQ(app.Title(), c.wholePath ? path : std::string(c.name));
        CloseUnchanged(app);
    }
}

// ---- the Rich Text switch ------------------------------------------------------

TEST(RichTextSwitchE2E, PlainTextAsksBeforeConvertingAndAbortKeepsIt) {
    KorvidApp app;
    const std::string text = "Plain words\r\n";
    std::string path = DocPath(app, "plain.txt");
    WriteTextFile(path, text);
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at " + SizeText(text.size()));
    app.PostCommand(kCmdRichText);
    Notification question = app.WaitForNotification();
    EXPECT_EQ(question.message,
              "This file does not appear to be a RTF; if it is not you will lose all text!");
    EXPECT_EQ(question.ButtonText(kFirst), "Convert anyway");
    EXPECT_EQ(question.ButtonText(kSecond), "Abort convertion");
    app.Answer(question, kSecond);
    app.ExpectNoNotification();
    EXPECT_EQ(app.EditorText(), text);
    EXPECT_FALSE(app.ToolbarChecked(kCmdRichText));
}

// An edited Rich Text document switched to show its source: the edit lives
// only in the editor, so the close still asks, and the file is untouched.
TEST(RichTextSwitchE2E, RichTextSwitchedOffShowsItsSourceAndTheCloseStillAsks) {
    KorvidApp app;
    std::string path = DocPath(app, "notes.rtf");
    WriteTextFile(path, kRichText);
    StartWithFile(app, path, {});
    WaitForStatus(app, "Opened at " + SizeText(std::strlen(kRichText)));
    app.PressKeys("ctrl+End");
    app.TypeText("Added line");
    app.WaitUntil([&] { return app.EditorText().find("Added line") != std::string::npos; },
                  "the typed line");
    app.PostCommand(kCmdRichText);
    app.WaitUntil([&] { return app.EditorText().rfind("{\\rtf1", 0) == 0; },
                  "the Rich Text source in the editor");
    EXPECT_NE(app.EditorText().find("Added line"), std::string::npos);
    EXPECT_FALSE(app.ToolbarChecked(kCmdRichText));
    EXPECT_TRUE(SameBytes(ToBytes(kRichText), ReadFileBytes(path))) << "the switch wrote the file";
    app.Close();
    app.Answer(ExpectCloseQuestion(app), kThird);
    app.WaitForExit();
    EXPECT_TRUE(SameBytes(ToBytes(kRichText), ReadFileBytes(path)));
}

// ---- a partly loaded file through the switch and the rebuild --------------------

// A JSON file starts with "{", so the Rich Text switch asks nothing; the
// document is still the start of its file afterwards, and Ctrl+S offers
// another name instead of writing 100 KB over with the part shown.
TEST(PartialLoadE2E, RichTextSwitchOnAPartlyLoadedJsonFileLeavesTheFileWhole) {
    KorvidApp app;
    std::string json = "{\"records\": [";
    while (json.size() < 100000)
        json += "{\"id\": 17, \"name\": \"entry\"}, ";
    json.resize(100000);
    std::string path = DocPath(app, "data.json");
    WriteTextFile(path, json);
    StartWithFile(app, path, {{kPartialLoadSize, 20000}, {kPartialLoadMode, kModeAuto}});
    WaitForStatus(app, "Partially Opened at 16384 bytes of 100000 bytes, File is Read Only");
    app.PostCommand(kCmdRichText);
    app.WaitUntil([&] { return app.ToolbarChecked(kCmdRichText); }, "the Rich Text button checked");
    app.ExpectNoNotification();
    app.PressKeys("ctrl+s");
    app.CancelFileDialog(app.WaitForFileDialog());
    EXPECT_TRUE(SameBytes(ToBytes(json), ReadFileBytes(path)));
}

// Word Wrap rebuilds the editor through the working file: text typed past
// the part of the file that was loaded comes back whole.
TEST(PartialLoadE2E, WordWrapKeepsTextTypedIntoAPartlyLoadedFile) {
    KorvidApp app;
    std::string text = PlainLines(2 * kSmallThreshold);
    std::string path = DocPath(app, "big.txt");
    WriteTextFile(path, text);
    StartWithFile(app, path, {{kPartialLoadSize, kSmallThreshold}, {kPartialLoadMode, kModeAuto}});
    WaitForStatus(app, "Partially Opened at 8192 bytes of 20000 bytes, File is Read Only");
    const std::string typed = text.substr(0, kPartOfSmallThreshold) + "typed at the end";
    app.PressKeys("ctrl+End");
    app.TypeText("typed at the end");
    app.WaitForEditorText(typed);
    app.PostCommand(kCmdWordWrap);
    app.WaitUntil([&] { return !Wraps(app); }, "the editor rebuilt without wrapping");
    EXPECT_FALSE(app.ToolbarChecked(kCmdWordWrap));
    std::string shown = app.EditorText();
    EXPECT_TRUE(shown == typed) << "the editor holds " << shown.size() << " characters of "
                                << typed.size() << ", ending \""
                                << shown.substr(shown.size() > 20 ? shown.size() - 20 : 0) << "\"";
    app.Close();
    app.Answer(ExpectCloseQuestion(app), kThird);
    app.WaitForExit();
    EXPECT_TRUE(SameBytes(ToBytes(text), ReadFileBytes(path)));
}
