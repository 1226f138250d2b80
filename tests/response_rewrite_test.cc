#include "launcher/response_rewrite.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "launcher/text.h"
#include "tests/fake_platform.h"

namespace launcher {
namespace {

using testing::FakePlatform;
using testing::Fault;
using testing::FaultKind;
using testing::kFileAttributeHidden;
using testing::kFileAttributeReadOnly;
using testing::Op;

constexpr const char* kResponse = R"(C:\sysprep\P\setup.iss)";
constexpr const char* kCopy = R"(C:\TEMP\tempab.iss)";
constexpr const char* kStaging = R"(C:\sysprep\P\setup.iss.new)";

class RewriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.AddFolder(R"(C:\TEMP)");
    CopyText(plan.programFilesDir, kFolderCapacity, R"(D:\Programme)");
    CopyText(plan.tempDir, kFolderCapacity, R"(C:\TEMP)");
    CopyText(plan.tempCopyPath, kPathCapacity, kCopy);
    CopyText(plan.responseFilePath, kPathCapacity, kResponse);
    plan.tempCopyTick = 0xab;
  }

  std::string Rewrite(const std::string& bytes) {
    platform.AddFile(kResponse, bytes);
    RewriteResponseFile(plan, platform);
    return platform.FileBytes(kResponse);
  }

  // No copy was put in place: the response file is as it was, no partial
  // copy or staging file is left, and the plan names no separate copy.
  void ExpectUntouched(const std::string& original) {
    EXPECT_TRUE(platform.FileBytes(kResponse) == original) << "response file changed";
    EXPECT_STREQ(plan.tempCopyPath, kResponse);
    EXPECT_TRUE(platform.FilesIn(R"(C:\TEMP)").empty());
    EXPECT_FALSE(platform.HasFile(kStaging));
    EXPECT_EQ(platform.FileAttributes(kResponse), kFileAttributeNormal);
    EXPECT_EQ(platform.openHandles(), 0);
  }

  FakePlatform platform;
  LaunchPlan plan;
};

struct RewriteCase {
  const char* name;
  std::string input;
  std::string output;
};

void PrintTo(const RewriteCase& c, std::ostream* out) { *out << c.name; }

class RewriteCases : public RewriteTest, public ::testing::WithParamInterface<RewriteCase> {};

TEST_P(RewriteCases, ReplacesTheResponseFileWithItsLocalisedCopy) {
  const RewriteCase& c = GetParam();
  EXPECT_EQ(Rewrite(c.input), c.output);
  EXPECT_EQ(platform.FileBytes(kCopy), c.output);
  EXPECT_STREQ(plan.tempCopyPath, kCopy);
  EXPECT_FALSE(platform.HasFile(kStaging));
  EXPECT_EQ(platform.openHandles(), 0);
}

const std::string kCtrlZ(1, '\x1a');

INSTANTIATE_TEST_SUITE_P(
    Lines, RewriteCases,
    ::testing::Values(
        RewriteCase{"lower case long form", "Folder=c:\\program files\\App\r\n",
                    "Folder=D:\\Programme\\App\r\n"},
        RewriteCase{"match at the start", "C:\\PROGRA~1\\X\r\n", "D:\\Programme\\X\r\n"},
        RewriteCase{"short form wins", "a=C:\\Program Files\\A;C:\\Progra~1\\B\r\n",
                    "a=C:\\Program Files\\A;D:\\Programme\\B\r\n"},
        RewriteCase{"first match only", "p=C:\\Program Files\\A;C:\\Program Files\\B\r\n",
                    "p=D:\\Programme\\A;C:\\Program Files\\B\r\n"},
        RewriteCase{"what follows is not looked at",
                    "x=C:\\Program Files (x86)\\Y\r\nx=C:\\PROGRAM FILESX\r\n",
                    "x=D:\\Programme (x86)\\Y\r\nx=D:\\ProgrammeX\r\n"},
        RewriteCase{"other drives and folders stay",
                    "x=D:\\Program Files\\Y\r\nc:\\progra~2\\Y\r\nC:Program Files\r\n",
                    "x=D:\\Program Files\\Y\r\nc:\\progra~2\\Y\r\nC:Program Files\r\n"},
        RewriteCase{"each line on its own",
                    "[S]\r\nA=C:\\Progra~1\\a\r\nB=c:\\PROGRAM files\\b\r\n",
                    "[S]\r\nA=D:\\Programme\\a\r\nB=D:\\Programme\\b\r\n"},
        RewriteCase{"LF-only line ends become CR LF", "a=C:\\Progra~1\nb\n",
                    "a=D:\\Programme\r\nb\r\n"},
        RewriteCase{"a lone CR is an ordinary character", "a\rC:\\Progra~1\r\n",
                    "a\rD:\\Programme\r\n"},
        RewriteCase{"CR CR LF", "a\r\r\n", "a\r\r\n"}, RewriteCase{"CR at the end", "a\r", "a\r"},
        RewriteCase{"last line without a line end", "a\r\nx=C:\\Program Files\\Y",
                    "a\r\nx=D:\\Programme\\Y"},
        RewriteCase{"empty file", "", ""},
        RewriteCase{"Ctrl-Z is ordinary", "a" + kCtrlZ + "C:\\Progra~1\\b\r\nc\r\n",
                    "a" + kCtrlZ + "D:\\Programme\\b\r\nc\r\n"},
        RewriteCase{"blank lines", "\r\n\n\r\n", "\r\n\r\n\r\n"}));

// A line longer than 255 characters is rewritten as several pieces: a
// pattern inside each piece is replaced, one across the border is not.
TEST_F(RewriteTest, LongLinesAreRewrittenPieceByPiece) {
  const std::string head = "a=C:\\Progra~1\\" + std::string(255 - 14, 'h');
  ASSERT_EQ(head.size(), 255u);
  const std::string tail = "C:\\Program Files\\t" + std::string(27, 't');
  ASSERT_EQ(tail.size(), 45u);
  EXPECT_EQ(Rewrite(head + tail + "\r\n"), "a=D:\\Programme\\" + std::string(241, 'h') +
                                               "D:\\Programme\\t" + std::string(27, 't') + "\r\n");

  // "C:\PROG" ends the first piece and "RA~1" opens the second.
  const std::string straddling = std::string(248, 'x') + "C:\\PROGRA~1\\rest\r\n";
  platform = FakePlatform();
  SetUp();
  EXPECT_EQ(Rewrite(straddling), straddling);
}

// The piece limit counts the line end after CR LF has become one character.
TEST_F(RewriteTest, ACrLfAfter254CharactersEndsThePiece) {
  const std::string line = std::string(241, 'x') + "C:\\Progra~1\\Z\r\n";
  ASSERT_EQ(line.size() - 1, 255u);
  EXPECT_EQ(Rewrite(line + line), std::string(241, 'x') + "D:\\Programme\\Z\r\n" +
                                      std::string(241, 'x') + "D:\\Programme\\Z\r\n");
}

// A CR LF split across two block reads is still one line end.
TEST_F(RewriteTest, CrLfAcrossTheBlockBorderIsOneLineEnd) {
  std::string input;
  while (input.size() < kTextBlockSize - 200) input += std::string(99, 'y') + "\r\n";
  input += std::string(kTextBlockSize - 1 - input.size(), 'z');
  input += "\r\nC:\\Progra~1\\after\r\n";
  ASSERT_EQ(input[kTextBlockSize - 1], '\r');
  std::string expected = input;
  expected.replace(expected.rfind("C:\\Progra~1"), 11, "D:\\Programme");
  EXPECT_EQ(Rewrite(input), expected);
}

TEST_F(RewriteTest, ReadsAndWritesInLargeBlocks) {
  const std::string line = "Key=C:\\Program Files\\App\\bin\r\n";
  std::string input;
  while (input.size() < (1u << 20)) input += line;
  const std::string output = Rewrite(input);
  EXPECT_EQ(output.size(), input.size() - (input.size() / line.size()) * 4);
  EXPECT_LE(platform.Count(Op::kReadFile), 2 * static_cast<int>(input.size() / kTextBlockSize) + 4);
  EXPECT_LE(platform.Count(Op::kWriteFile),
            2 * static_cast<int>(input.size() / kTextBlockSize) + 4);
}

TEST_F(RewriteTest, AReadOnlyHiddenResponseFileIsReplacedAndMadeNormal) {
  platform.AddFile(kResponse, "C:\\Progra~1\\A\r\n", kFileAttributeReadOnly | kFileAttributeHidden);
  RewriteResponseFile(plan, platform);
  EXPECT_EQ(platform.FileBytes(kResponse), "D:\\Programme\\A\r\n");
  EXPECT_EQ(platform.FileAttributes(kResponse), kFileAttributeNormal);
}

TEST_F(RewriteTest, AMissingResponseFileLeavesNoCopy) {
  RewriteResponseFile(plan, platform);
  EXPECT_STREQ(plan.tempCopyPath, kResponse);
  EXPECT_TRUE(platform.FilesIn(R"(C:\TEMP)").empty());
  EXPECT_FALSE(platform.HasFile(kResponse));
  EXPECT_EQ(platform.Count(Op::kSetFileAttributesA), 1);
}

TEST_F(RewriteTest, ACopyThatCannotBeCreatedLeavesTheResponseFile) {
  CopyText(plan.tempDir, kFolderCapacity, R"(C:\NoSuchTemp)");
  CopyText(plan.tempCopyPath, kPathCapacity, R"(C:\NoSuchTemp\tempab.iss)");
  const std::string original = "C:\\Progra~1\\A\r\n";
  platform.AddFile(kResponse, original, kFileAttributeReadOnly);
  RewriteResponseFile(plan, platform);
  ExpectUntouched(original);
}

// A temporary folder too long for the copy's name leaves the name empty.
TEST_F(RewriteTest, NoCopyNameMeansNoCopy) {
  plan.tempCopyPath[0] = '\0';
  const std::string original = "C:\\Progra~1\\A\r\n";
  platform.AddFile(kResponse, original);
  RewriteResponseFile(plan, platform);
  ExpectUntouched(original);
}

// Text with a NUL byte (UTF-16, say) is not narrow text and stays as it is.
TEST_F(RewriteTest, AFileWithANulByteIsLeftExactlyAsItIs) {
  const std::string utf16(
      "\xFF\xFE"
      "C\0:\0\\\0P\0\r\0\n\0",
      14);
  platform.AddFile(kResponse, utf16, kFileAttributeReadOnly);
  RewriteResponseFile(plan, platform);
  ExpectUntouched(utf16);

  // Also when the NUL comes late, after pieces were already written.
  platform = FakePlatform();
  SetUp();
  std::string late;
  while (late.size() < 3 * kTextBlockSize) late += "C:\\Progra~1\\x\r\n";
  late += std::string(1, '\0') + "tail\r\n";
  platform.AddFile(kResponse, late);
  RewriteResponseFile(plan, platform);
  ExpectUntouched(late);
}

// The copy is created exclusively: a file or link planted at its name is
// never opened, and the following tick values are tried instead.
TEST_F(RewriteTest, ATakenCopyNameMovesOnToTheNextTick) {
  platform.AddFile(kCopy, "someone else's");
  platform.AddFile(R"(C:\TEMP\tempac.iss)", "another's");
  EXPECT_EQ(Rewrite("C:\\Progra~1\\A\r\n"), "D:\\Programme\\A\r\n");
  EXPECT_STREQ(plan.tempCopyPath, R"(C:\TEMP\tempad.iss)");
  EXPECT_EQ(platform.FileBytes(kCopy), "someone else's");
  EXPECT_EQ(platform.FileBytes(R"(C:\TEMP\tempac.iss)"), "another's");
}

TEST_F(RewriteTest, WhenEveryCopyNameIsTakenNoCopyIsMade) {
  platform.Inject(Fault{Op::kCreateFileA, 2, FaultKind::kNameTaken, true});
  const std::string original = "C:\\Progra~1\\A\r\n";
  platform.AddFile(kResponse, original);
  RewriteResponseFile(plan, platform);
  ExpectUntouched(original);
  EXPECT_EQ(platform.Count(Op::kCreateFileA), 1 + 256);
}

TEST_F(RewriteTest, TheTickWrapsWhenMovingOn) {
  plan.tempCopyTick = 0xFFFFFFFF;
  CopyText(plan.tempCopyPath, kPathCapacity, R"(C:\TEMP\tempffffffff.iss)");
  platform.AddFile(plan.tempCopyPath, "taken");
  Rewrite("a\r\n");
  EXPECT_STREQ(plan.tempCopyPath, R"(C:\TEMP\temp0.iss)");
}

struct FailureCase {
  const char* name;
  Fault fault;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class IncompleteCopy : public RewriteTest, public ::testing::WithParamInterface<FailureCase> {};

// A copy that may be incomplete is never put in place.
TEST_P(IncompleteCopy, LeavesTheResponseFileAsItWas) {
  std::string original;
  while (original.size() < 3 * kTextBlockSize) original += "Dir=C:\\Program Files\\App\r\n";
  platform.AddFile(kResponse, original, kFileAttributeReadOnly);
  platform.Inject(GetParam().fault);
  RewriteResponseFile(plan, platform);
  EXPECT_TRUE(platform.faultMet);
  ExpectUntouched(original);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, IncompleteCopy,
    ::testing::Values(FailureCase{"first read fails", {Op::kReadFile, 1}},
                      FailureCase{"a later read fails", {Op::kReadFile, 3}},
                      FailureCase{"a read fails for good",
                                  {Op::kReadFile, 2, FaultKind::kFail, true}},
                      FailureCase{"first write fails", {Op::kWriteFile, 1}},
                      FailureCase{"disk full midway", {Op::kWriteFile, 2, FaultKind::kDiskFull}},
                      FailureCase{"closing the copy fails", {Op::kCloseHandle, 2}}));

class FailedCopyBack : public RewriteTest, public ::testing::WithParamInterface<FailureCase> {};

// The response file holds its old content or the whole new one, never part.
TEST_P(FailedCopyBack, KeepsTheOldContent) {
  std::string original;
  while (original.size() < 3 * kTextBlockSize) original += "Dir=C:\\Program Files\\App\r\n";
  platform.AddFile(kResponse, original);
  platform.Inject(GetParam().fault);
  RewriteResponseFile(plan, platform);
  EXPECT_TRUE(platform.faultMet);
  EXPECT_TRUE(platform.FileBytes(kResponse) == original) << "response file changed";
  EXPECT_FALSE(platform.HasFile(kStaging));
  // The complete copy stays in the temporary folder for the run to decide on.
  EXPECT_STREQ(plan.tempCopyPath, kCopy);
  EXPECT_TRUE(platform.HasFile(kCopy));
  EXPECT_EQ(platform.openHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailedCopyBack,
    ::testing::Values(FailureCase{"the staging copy fails", {Op::kCopyFileA, 1}},
                      FailureCase{"disk full midway through the staging copy",
                                  {Op::kCopyFileA, 1, FaultKind::kDiskFull}},
                      FailureCase{"the staging file cannot be opened to commit it",
                                  {Op::kCreateFileA, 3}},
                      FailureCase{"flush fails", {Op::kFlushFileBuffers, 1}},
                      FailureCase{"closing the staging file fails", {Op::kCloseHandle, 3}},
                      FailureCase{"rename fails", {Op::kMoveFileExA, 1}}));

TEST_F(RewriteTest, SomeoneElsesStagingFileIsLeftAlone) {
  platform.AddFile(kStaging, "not ours");
  const std::string original = "C:\\Progra~1\\A\r\n";
  EXPECT_EQ(Rewrite(original), original);
  EXPECT_EQ(platform.FileBytes(kStaging), "not ours");
}

TEST_F(RewriteTest, AFailedAttributeChangeDoesNotStopTheRewrite) {
  platform.Inject(Fault{Op::kSetFileAttributesA, 1});
  EXPECT_EQ(Rewrite("C:\\Progra~1\\A\r\n"), "D:\\Programme\\A\r\n");
}

TEST(RewriteLine, KeepsTheCaseAroundTheMatchAndWritesTheFolderAsResolved) {
  FakePlatform platform;
  platform.AddFolder("C:\\T");
  TextWriter copy;
  ASSERT_TRUE(CreateTextWriter(copy, platform, "C:\\T\\out"));
  const std::string piece = "Mixed=c:\\Progra~1\\Sub Dir\n";
  RewriteLine(piece.c_str(), piece.size(), "e:\\odd Case\\", copy, platform);
  ASSERT_TRUE(CloseTextWriter(copy));
  EXPECT_EQ(platform.FileBytes("C:\\T\\out"), "Mixed=e:\\odd Case\\\\Sub Dir\r\n");
}

}  // namespace
}  // namespace launcher
