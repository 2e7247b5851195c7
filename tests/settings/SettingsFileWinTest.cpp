#include "WinTestSupport.h"

#include "app/AppState.h"
#include "settings/SettingsFile.h"
#include "text/TextRoutines.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class SettingsFileTest : public ::testing::Test {
  protected:
    void UseFolders(const std::string& data, const std::string& program) {
        TextCopy(data.c_str(), app.dataFolder);
        TextCopy(program.c_str(), app.programFolder);
    }
    void SetUp() override {
        std::memset(&settings, 0, sizeof settings);
        app.mainWindow = nullptr;
    }
    void TearDown() override { std::memset(&settings, 0, sizeof settings); }
    TempFolder data, program;
};

} // namespace

TEST_F(SettingsFileTest, NoFileAndOneFolderGivesDefaultsAndWritesNothing) {
    UseFolders(program.path(), program.path());
    LoadSettings();
    EXPECT_EQ(+settings.PartialLoadSize, 1000000);
    EXPECT_EQ(app.wordWrap, 1);
    EXPECT_FALSE(FileExists(program.File("Korvid.Dat")));
    LOGFONTA fixed = {};
    GetObjectA(GetStockObject(ANSI_FIXED_FONT), sizeof fixed, &fixed);
    EXPECT_EQ(std::memcmp(&settings.FontGroup1Font, &fixed, 60), 0);
    EXPECT_STREQ(settings.DefaultDirectory, program.path().c_str());
}

TEST_F(SettingsFileTest, FirstRunGreetsThenWritesTheDataFolderCopy) {
    UseFolders(data.path(), program.path());
    Answer("Korvid 1.2", IDOK, [] { LoadSettings(); }); // the greeting
    std::string bytes = FileBytes(data.File("Korvid.Dat"));
    EXPECT_EQ(bytes.size(), kSettingsFileSize);
    EXPECT_EQ(bytes.substr(0, 8), "KRVD1170");
    EXPECT_FALSE(FileExists(program.File("Korvid.Dat")));
}

TEST_F(SettingsFileTest, SaveAndLoadRoundTripReservedBytesIncluded) {
    UseFolders(data.path(), program.path());
    RestoreDefaultSettings();
    for (std::size_t i = 0; i < sizeof settings.Reserved1; ++i)
        settings.Reserved1[i] = static_cast<uint8_t>(i * 7 + 1);
    settings.Reserved3[5] = 0x5A;
    TextCopy("notepad.exe", settings.RunFileB);
    SaveSettings();
    std::string first;
    ASSERT_TRUE(ReadWholeFile(data.File("Korvid.Dat"), &first));
    ASSERT_EQ(first.size(), 8208u);

    std::memset(&settings, 0, sizeof settings);
    LoadSettings();
    EXPECT_STREQ(settings.RunFileB, "notepad.exe");
    EXPECT_EQ(settings.Reserved3[5], 0x5A);
    SaveSettings();
    std::string second;
    ASSERT_TRUE(ReadWholeFile(data.File("Korvid.Dat"), &second));
    EXPECT_EQ(first, second);
}

TEST_F(SettingsFileTest, ProgramFolderCopyIsReadAndSavedToTheDataFolder) {
    UseFolders(data.path(), program.path());
    RestoreDefaultSettings();
    settings.LabelsMax = 77;
    TextCopy(program.path().c_str(), app.dataFolder);
    SaveSettings(); // writes the copy beside the program
    TextCopy(data.path().c_str(), app.dataFolder);
    std::memset(&settings, 0, sizeof settings);
    LoadSettings();
    EXPECT_EQ(+settings.LabelsMax, 77);
    EXPECT_FALSE(FileExists(data.File("Korvid.Dat")));
    SaveSettings();
    EXPECT_TRUE(FileExists(data.File("Korvid.Dat")));
}

TEST_F(SettingsFileTest, FailedSaveLeavesTheOldFileWhole) {
    UseFolders(data.path(), program.path());
    std::string old(8208, 'k');
    old.replace(0, 8, "KRVD1170");
    ASSERT_TRUE(WriteWholeFile(data.File("Korvid.Dat"), old));
    // A folder that does not exist cannot take the temporary file.
    TextCopy((data.path() + "missing\\").c_str(), app.dataFolder);
    RestoreDefaultSettings();
    SaveSettings();
    std::string now;
    ASSERT_TRUE(ReadWholeFile(data.File("Korvid.Dat"), &now));
    EXPECT_EQ(now, old);
    // No temporary file is left behind.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((data.path() + "*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}
