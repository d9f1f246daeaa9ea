#include <gtest/gtest.h>

#include "support/utf8_check.h"

#include <cstring>
#include <string>

#include "core/app_state.h"
#include "core/error_info.h"
#include "core/resource_ids.h"
#include "platform/testing/seams.h"
#include "ui/resources/resources.h"

namespace {

class ErrorInfoTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ModuleInstance = &ResourceModule;
        LoadStringA(ModuleInstance, IDS_CAPTION, Caption, CaptionSize);
        MessageBoxLogClear();
        MessageBoxScriptSet({{IDOK, nullptr}});
    }
};

} // namespace

TEST_F(ErrorInfoTest, ResetLeavesAnEmptyRecordWithUnknownInserts)
{
    ErrorInfo record;
    std::memset(&record, 'x', sizeof record);
    ResetErrorInfo(&record);
    EXPECT_EQ(record.kind, ErrorKindNone);
    EXPECT_EQ(record.code, 0u);
    EXPECT_STREQ(record.messageText, "");
    EXPECT_STREQ(record.operationName, "");
    EXPECT_STREQ(record.context, "");
    for (const char* insert : record.insertArguments) {
        EXPECT_STREQ(insert, "?");
    }
    ResetErrorInfo(nullptr);
    Fill(nullptr, ErrorKindSystem, 2, "CreateFile", nullptr);
}

TEST_F(ErrorInfoTest, SystemCodesGetTheirSentenceOrTheHexFallback)
{
    ErrorInfo record;
    Fill(&record, ErrorKindSystem, ERROR_SHARING_VIOLATION, "CreateFile", nullptr);
    EXPECT_EQ(record.kind, ErrorKindSystem);
    EXPECT_EQ(record.code, 32u);
    EXPECT_STREQ(record.operationName, "CreateFile");
    EXPECT_GT(std::strlen(record.messageText), 10u);
    EXPECT_EQ(std::string(record.messageText).find("Err.0x"), std::string::npos);
    EXPECT_EQ(std::strchr(record.messageText, '\n'), nullptr);

    Fill(&record, ErrorKindSystem, 0x2000ABCD, "ReadFile", nullptr);
    EXPECT_STREQ(record.messageText, "Err.0x2000ABCD");
    Fill(&record, ErrorKindSystem, 0xBEEF, "ReadFile", nullptr);
    EXPECT_STREQ(record.messageText, "Err.0x0000BEEF");
}

TEST_F(ErrorInfoTest, SystemSentenceInsertsShowAQuestionMark)
{
    ErrorInfo record;
    Fill(&record, ErrorKindSystem, 34, "ReadFile", nullptr);
    const std::string text = record.messageText;
#ifdef _WIN32
    if (text.find('%') == std::string::npos && text.find('?') == std::string::npos) {
        GTEST_SKIP() << "this system's sentence for code 34 has no inserts (Wine's: " << text
                     << "); Windows' names the disk and drive with %1..%3";
    }
#endif
    EXPECT_NE(text.find('?'), std::string::npos) << text;
    EXPECT_EQ(text.find("%1"), std::string::npos) << text;
    EXPECT_EQ(text.find("%2"), std::string::npos) << text;
}

TEST_F(ErrorInfoTest, MultimediaCodesGetTheirSentenceOrTheNamedFallbacks)
{
    ErrorInfo record;
    Fill(&record, ErrorKindMultimedia, MMSYSERR_NODRIVER, "waveOutOpen", nullptr);
    EXPECT_EQ(record.kind, ErrorKindMultimedia);
    EXPECT_STREQ(record.operationName, "waveOutOpen");
    EXPECT_EQ(std::string(record.messageText).find("MmErr"), std::string::npos);
    EXPECT_GT(std::strlen(record.messageText), 10u);

    Fill(&record, ErrorKindMultimedia, 165, "waveOutOpen", nullptr);
    EXPECT_STREQ(record.messageText, "JOYERR_PARMS");
    Fill(&record, ErrorKindMultimedia, 166, "waveOutOpen", nullptr);
    EXPECT_STREQ(record.messageText, "JOYERR_NOCANDO");
    Fill(&record, ErrorKindMultimedia, 167, "waveOutOpen", nullptr);
    EXPECT_STREQ(record.messageText, "JOYERR_UNPLUGGED");
    Fill(&record, ErrorKindMultimedia, 999, "waveOutOpen", nullptr);
    EXPECT_STREQ(record.messageText, "MmErr.0x000003E7");
}

TEST_F(ErrorInfoTest, LongNamesAndContextsAreCut)
{
    ErrorInfo record;
    const std::string name(70, 'n');
    const std::string context(300, 'c');
    Fill(&record, ErrorKindSystem, 2, name.c_str(), context.c_str());
    EXPECT_EQ(std::string(record.operationName), name.substr(0, 63));
    EXPECT_EQ(std::string(record.context), context.substr(0, 255));

    // A cut never leaves half a character behind.
    std::string accented;
    while (accented.size() < 80) {
        accented += "\xC3\xA9"; // é
    }
    Fill(&record, ErrorKindSystem, 2, ("x" + accented).c_str(), nullptr);
    EXPECT_LE(std::strlen(record.operationName), 63u);
    EXPECT_TRUE(ValidUtf8(record.operationName));
}

TEST_F(ErrorInfoTest, TypeMismatchKeepsOnlyTheContext)
{
    ErrorInfo record;
    Fill(&record, ErrorKindTypeMismatch, 5, "RegQueryValueEx",
         "Software\\Vintrel\\Quorbel(TmpDir)");
    EXPECT_EQ(record.kind, ErrorKindTypeMismatch);
    EXPECT_EQ(record.code, 0u);
    EXPECT_STREQ(record.operationName, "");
    EXPECT_STREQ(record.messageText, "");
    EXPECT_STREQ(record.context, "Software\\Vintrel\\Quorbel(TmpDir)");
}

TEST_F(ErrorInfoTest, ErrorBoxesGoToTheCurrentOwnerAndPromptsToTheMainDialog)
{
    // Two real windows: boxes need a live owner.
    auto quiet = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
    MainDialogWindow =
        CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, quiet, 0);
    CurrentOwnerWindow =
        CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_ABOUT), MainDialogWindow, quiet, 0);
    ASSERT_NE(MainDialogWindow, nullptr);
    ASSERT_NE(CurrentOwnerWindow, nullptr);
    MessageBoxScriptSet({{IDOK, nullptr}, {IDYES, nullptr}});
    ErrorInfo record;
    Fill(&record, ErrorKindSystem, ERROR_FILE_NOT_FOUND, "CreateFile", nullptr);
    ShowError(&record);
    EXPECT_EQ(Prompt(MB_YESNO | MB_ICONQUESTION, IDS_QUIT), IDYES);
    ASSERT_EQ(MessageBoxLog().size(), 2u);
    const MessageBoxRecord& error = MessageBoxLog()[0];
    EXPECT_EQ(error.owner, CurrentOwnerWindow);
    EXPECT_EQ(error.text, record.messageText);
    EXPECT_EQ(error.caption, "Salvorin");
    EXPECT_EQ(error.type, static_cast<UINT>(MB_ICONERROR));
    const MessageBoxRecord& prompt = MessageBoxLog()[1];
    EXPECT_EQ(prompt.owner, MainDialogWindow);
    EXPECT_EQ(prompt.text, "Do you want to quit?");
    EXPECT_EQ(prompt.type, 36u);
}

TEST_F(ErrorInfoTest, PromptFormatsTheStringAndCutsItTo359Characters)
{
    MessageBoxScriptSet({{IDOK, nullptr}, {IDOK, nullptr}});
    Prompt(MB_ICONINFORMATION, IDS_CREATED, "/home/ann/rec/cap001.wav");
    std::string longPath(400, 'p');
    Prompt(MB_ICONINFORMATION, IDS_CREATED, longPath.c_str());
    ASSERT_EQ(MessageBoxLog().size(), 2u);
    EXPECT_EQ(MessageBoxLog()[0].text, "File /home/ann/rec/cap001.wav is successfully created.");
    EXPECT_EQ(MessageBoxLog()[0].type, 64u);
    EXPECT_EQ(MessageBoxLog()[1].text, ("File " + longPath).substr(0, 359));
}

TEST_F(ErrorInfoTest, FormatBoundedAlwaysTerminates)
{
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    FormatBounded(buffer, sizeof buffer, "%s", "0123456789");
    EXPECT_STREQ(buffer, "0123456");
    FormatBounded(buffer, sizeof buffer, "%s", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
    EXPECT_STREQ(buffer, "\xC3\xA9\xC3\xA9\xC3\xA9");
}
