#include "WinTestSupport.h"

#include "app/AppState.h"
#include "document/Load.h"
#include "document/Save.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <string>

namespace {

class TransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadLibraryA("RichEd20.dll");
        editor = CreateWindowExA(0, "RichEdit20A", "", WS_POPUP | ES_MULTILINE, 0, 0, 300, 200,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(editor, nullptr);
        SendMessageA(editor, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(0xFFFFFFFF));
    }
    void TearDown() override { DestroyWindow(editor); }
    HWND editor = nullptr;
    TempFolder folder;
};

} // namespace

// The control asks for 4096 bytes at a time; a CR LF pair split across two
// requests must still come back as one line break.
TEST_F(TransferTest, LineBreaksSurviveEveryRequestBoundary) {
    for (int offset = 4090; offset <= 4100; ++offset) {
        std::string text(offset, 'a');
        text += "\r\nmiddle\r\n";
        text += std::string(8192 - text.size() % 4096 - 1, 'b');
        text += "\r\nend";
        ASSERT_TRUE(WriteWholeFile(folder.File("in.txt"), text));
        SetWindowTextA(editor, "");
        LoadDocumentFile(editor, folder.File("in.txt").c_str());
        ASSERT_EQ(SaveDocumentFile(editor, folder.File("out.txt").c_str()), 0);
        std::string back;
        ASSERT_TRUE(ReadWholeFile(folder.File("out.txt"), &back));
        ASSERT_EQ(back.size(), text.size()) << "CR at byte " << offset;
        EXPECT_EQ(back, text) << "CR at byte " << offset;
    }
}

TEST_F(TransferTest, SaveReplacesTheOldFileWhole) {
    ASSERT_TRUE(WriteWholeFile(folder.File("doc.txt"), std::string(50000, 'o')));
    SetWindowTextA(editor, "short new text");
    ASSERT_EQ(SaveDocumentFile(editor, folder.File("doc.txt").c_str()), 0);
    std::string now;
    ASSERT_TRUE(ReadWholeFile(folder.File("doc.txt"), &now));
    EXPECT_EQ(now, "short new text");
}

TEST_F(TransferTest, FailedReplaceKeepsTheOldFileAndLeavesNoTemporary) {
    // A folder in the target's place cannot be replaced by a file.
    CreateDirectoryA(folder.File("target").c_str(), nullptr);
    EXPECT_FALSE(WriteFileReplacing(folder.File("target").c_str(), "abc", 3));
    EXPECT_TRUE(GetFileAttributesA(folder.File("target").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(folder.File("*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);

    SetWindowTextA(editor, "text");
    EXPECT_EQ(SaveDocumentFile(editor, folder.File("no such folder\\x.txt").c_str()), 1);
}

TEST_F(TransferTest, FileIsReadableNeedsAnExistingUnsharedFile) {
    ASSERT_TRUE(WriteWholeFile(folder.File("r.txt"), "r"));
    EXPECT_EQ(FileIsReadable(folder.File("r.txt").c_str()), 1);
    EXPECT_EQ(FileIsReadable(folder.File("none.txt").c_str()), 0);
    HANDLE held = CreateFileA(folder.File("r.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(FileIsReadable(folder.File("r.txt").c_str()), 0);
    CloseHandle(held);
}
