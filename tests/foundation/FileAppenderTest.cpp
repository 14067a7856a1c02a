#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include "foundation/logging/Log.h"
#include "foundation/time/IDateTime.h"
#include "foundation/win32/FileAppender.h"
#include "foundation/win32/InitializeLogging.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

using namespace Tessel::Common::Logging;
using TestSupport::LogCapture;
using TestSupport::ReadFileBytes;
using TestSupport::TempFolder;

TEST(FileAppender, WritesUtf8WithCrLfAndKeepsWritingAfterWideCharacters) {
    TempFolder folder;
    {
        FileAppender appender;
        appender.SetFileName(folder / L"a.log");
        appender.Open();
        appender.GetStream() << L"caf\u00E9" << std::endl;
        appender.GetStream() << L"\u65B0\u5EFA\u7EC4 \U0001F600" << std::endl;
        appender.GetStream() << L"still here" << std::endl;
        EXPECT_TRUE(appender.GetStream().good());
    }
    EXPECT_EQ(ReadFileBytes(folder / L"a.log"),
              "caf\xC3\xA9\r\n\xE6\x96\xB0\xE5\xBB\xBA\xE7\xBB\x84 \xF0\x9F\x98\x80\r\nstill here\r\n");
}

TEST(FileAppender, EveryLineIsOnDiskAsSoonAsItEnds) {
    TempFolder folder;
    FileAppender appender;
    appender.SetFileName(folder / L"a.log");
    appender.Open();
    appender.GetStream() << L"first" << std::endl;
    EXPECT_EQ(ReadFileBytes(folder / L"a.log"), "first\r\n");
}

TEST(FileAppender, AppendsToAnExistingFile) {
    TempFolder folder;
    TestSupport::WriteFileBytes(folder / L"a.log", "earlier run\r\n");
    {
        FileAppender appender;
        appender.SetFileName(folder / L"a.log");
        appender.Open();
        appender.GetStream() << L"this run" << std::endl;
    }
    EXPECT_EQ(ReadFileBytes(folder / L"a.log"), "earlier run\r\nthis run\r\n");
}

TEST(FileAppender, LinesTheFileCannotTakeYetAreKeptAndWrittenOnceItCan) {
    TempFolder folder;
    const std::wstring later = folder / L"later";
    FileAppender appender;
    appender.SetFileName(later + L"\\a.log");
    appender.Open();
    appender.GetStream() << L"first" << std::endl;
    appender.GetStream() << L"second" << std::endl;
    EXPECT_TRUE(appender.GetStream().good()) << "a log that cannot be written never fails the program";
    EXPECT_EQ(appender.PendingBytes(), 15u);

    CreateDirectoryW(later.c_str(), nullptr);
    appender.Close();
    EXPECT_EQ(ReadFileBytes(later + L"\\a.log"), "first\r\nsecond\r\n") << "written in order when it closes";
    EXPECT_TRUE(appender.IsClosed());
}

TEST(FileAppender, BeyondWhatItKeepsLinesAreDroppedAndALineSaysHowMany) {
    TempFolder folder;
    const std::wstring later = folder / L"later";
    FileAppender appender;
    appender.SetFileName(later + L"\\a.log");
    appender.Open();
    const std::wstring line(999, L'x'); // 1001 bytes with its line end
    const std::size_t kept = FileAppender::MaxPendingBytes / 1001;
    for (std::size_t i = 0; i < kept + 3; ++i) {
        appender.GetStream() << line << std::endl;
    }
    EXPECT_EQ(appender.PendingBytes(), kept * 1001);
    EXPECT_EQ(appender.DroppedBytes(), 3u * 1001);

    CreateDirectoryW(later.c_str(), nullptr);
    appender.Close();
    const std::string text = ReadFileBytes(later + L"\\a.log");
    EXPECT_EQ(text.find_first_not_of("x\r\n"), kept * 1001) << "the kept lines, then the note";
    const std::string note = text.substr(std::min(text.size(), kept * 1001));
    EXPECT_TRUE(
        std::regex_match(note, std::regex(R"(T\d+, [-0-9: .]+, ERR, FileAppender::Write\(\) # 3 lines )"
                                          R"(\(3003 bytes\) of the log could not be written and were dropped\r\n)")))
        << note;
}

TEST(FileAppender, NotOpenedStreamDropsEverything) {
    FileAppender appender;
    appender.GetStream() << L"dropped" << std::endl;
    EXPECT_TRUE(appender.GetStream().fail());
}

TEST(FileAppender, PathWithCharactersBeyondLatin1Works) {
    TempFolder folder;
    const std::wstring path = folder / L"\u5F20\u4E09.log";
    {
        FileAppender appender;
        appender.SetFileName(path);
        appender.Open();
        appender.GetStream() << L"ok" << std::endl;
    }
    EXPECT_EQ(ReadFileBytes(path), "ok\r\n");
}

class InitializeLoggingTest : public ::testing::Test {
protected:
    TestSupport::LogStateGuard mRestore;
    TempFolder mFolder;

    std::wstring LogFolder() const { return mFolder / L"Documents\\Tilebay\\1.0\\Log"; }
};

TEST_F(InitializeLoggingTest, CreatesTheWholeFolderChainAndANewFileNamedAfterTheStartTime) {
    InitializeLogging(mFolder / L"Documents\\Tilebay\\1.0");
    LOG_INF("WinMain", AppStartsMarker);
    LOG_DBG("WinMain", L"EnterFunc");
    AppenderCollection::Instance().DestroyAll();

    const auto files = TestSupport::ListFolder(LogFolder());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(std::regex_match(files[0], std::wregex(LR"(\d{6}-\d{6}\.log)")));
    const std::string text = ReadFileBytes(LogFolder() + L"\\" + files[0]);
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(T\d+, [-0-9: .]+, INF, WinMain\(\) # =+ App Starts =+\r\n)")))
        << text;
    EXPECT_FALSE(IsLogLevelEnabled(LogLevelDebug));
}

TEST_F(InitializeLoggingTest, AStartInTheSameSecondAsAnotherGetsAFileOfItsOwn) {
    // Earlier runs took the names of this second and the next ones.
    CreateDirectoryW((mFolder / L"Documents").c_str(), nullptr);
    CreateDirectoryW((mFolder / L"Documents\\Tilebay").c_str(), nullptr);
    CreateDirectoryW((mFolder / L"Documents\\Tilebay\\1.0").c_str(), nullptr);
    CreateDirectoryW(LogFolder().c_str(), nullptr);
    Tessel::Common::DateTime clock;
    const auto now = clock.Now();
    std::vector<std::wstring> taken;
    for (int second = 0; second < 3; ++second) {
        taken.push_back(clock.Format(now + second, L"%y%m%d-%H%M%S.log"));
        TestSupport::WriteFileBytes(LogFolder() + L"\\" + taken.back(), "earlier run\r\n");
    }
    InitializeLogging(mFolder / L"Documents\\Tilebay\\1.0");
    LOG_INF("WinMain", AppStartsMarker);
    AppenderCollection::Instance().DestroyAll();

    for (const std::wstring& name : taken) {
        EXPECT_EQ(ReadFileBytes(LogFolder() + L"\\" + name), "earlier run\r\n") << "never two runs in one file";
    }
    const auto files = TestSupport::ListFolder(LogFolder());
    ASSERT_EQ(files.size(), taken.size() + 1);
    const auto own = std::find_if(files.begin(), files.end(), [&](const std::wstring& f) {
        return std::find(taken.begin(), taken.end(), f) == taken.end();
    });
    ASSERT_NE(own, files.end());
    EXPECT_TRUE(std::regex_match(*own, std::wregex(LR"(\d{6}-\d{6}_2\.log)"))) << *own;
    EXPECT_NE(ReadFileBytes(LogFolder() + L"\\" + *own).find("App Starts"), std::string::npos);
}

TEST_F(InitializeLoggingTest, DebugMarkerFileOrFolderSwitchesTheTraceOn) {
    for (bool asFolder : {false, true}) {
        TempFolder::RemoveTree(mFolder / L"Documents");
        CreateDirectoryW((mFolder / L"Documents").c_str(), nullptr);
        CreateDirectoryW((mFolder / L"Documents\\Tilebay").c_str(), nullptr);
        CreateDirectoryW((mFolder / L"Documents\\Tilebay\\1.0").c_str(), nullptr);
        CreateDirectoryW(LogFolder().c_str(), nullptr);
        const std::wstring marker = LogFolder() + L"\\debug.txt";
        if (asFolder) {
            CreateDirectoryW(marker.c_str(), nullptr);
        } else {
            TestSupport::WriteFileBytes(marker, "");
        }
        InitializeLogging(mFolder / L"Documents\\Tilebay\\1.0");
        EXPECT_TRUE(IsLogLevelEnabled(LogLevelDebug)) << "as folder: " << asFolder;
        EXPECT_TRUE(IsLogLevelEnabled(LogLevelInfo));
        AppenderCollection::Instance().DestroyAll();
    }
}

TEST_F(InitializeLoggingTest, UnusableFolderMeansRunningWithoutALog) {
    // A file stands where the data folder should be: nothing can be created below it.
    TestSupport::WriteFileBytes(mFolder / L"blocked", "");
    InitializeLogging(mFolder / L"blocked\\1.0");
    LOG_INF("WinMain", AppStartsMarker);
    AppenderCollection::Instance().DestroyAll();
    EXPECT_EQ(GetFileAttributesW((mFolder / L"blocked\\1.0").c_str()), INVALID_FILE_ATTRIBUTES);
}
