#include "launcher/command_tail.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/posix_command_tail.h"
#include "tests/fake_platform.h"

namespace launcher {
namespace {

struct LineCase {
  std::string commandLine;
  std::string tail;
};

void PrintTo(const LineCase& c, std::ostream* out) { *out << "[" << c.commandLine << "]"; }

class ProgramNameSkipping : public ::testing::TestWithParam<LineCase> {};

TEST_P(ProgramNameSkipping, LeavesTheTail) {
  testing::FakePlatform platform;
  EXPECT_EQ(SkipProgramName(GetParam().commandLine.c_str(), platform), GetParam().tail);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ProgramNameSkipping,
    ::testing::Values(LineCase{"launcher.exe Office", "Office"}, LineCase{"launcher.exe", ""},
                      LineCase{"launcher.exe   \t ", ""},
                      LineCase{"launcher.exe \t\x01\x1f Office  extra ", "Office  extra "},
                      LineCase{R"("C:\Tools\my launcher.exe" "D:\pkgs\app one" /x)",
                               R"("D:\pkgs\app one" /x)"},
                      LineCase{R"("C:\x.exe"Office)", "Office"},
                      LineCase{R"("C:\unclosed Office)", ""},
                      LineCase{"launcher.exe\tOffice", "Office"},
                      LineCase{"a\x7f\xe9.exe Office", "Office"}, LineCase{"", ""}));

// On a double-byte code page the byte after a lead byte is never a quote.
TEST(ProgramNameSkipping, ATrailByteNeverEndsAQuotedName) {
  testing::FakePlatform platform;
  platform.leadBytes = {0x81};
  const std::string line = "\"C:\\\x81\"name.exe\" Office";
  EXPECT_STREQ(SkipProgramName(line.c_str(), platform), "Office");
  // A lead byte just before the terminator does not carry it away.
  const std::string cut = "\"C:\\\x81";
  EXPECT_STREQ(SkipProgramName(cut.c_str(), platform), "");

  testing::FakePlatform singleByte;
  EXPECT_STREQ(SkipProgramName(line.c_str(), singleByte), "name.exe\" Office");
}

TEST(JoinArguments, JoinsWithSingleBlanksAndDropsLeadingBlanks) {
  char tail[64];
  const std::vector<const char*> words = {" \t Office", "", "extra  ", "\"q\""};
  EXPECT_STREQ(JoinArguments(4, words.data(), tail, sizeof tail), "Office  extra   \"q\"");
  const std::vector<const char*> blanks = {"  ", " "};
  EXPECT_STREQ(JoinArguments(2, blanks.data(), tail, sizeof tail), "");
  EXPECT_STREQ(JoinArguments(0, nullptr, tail, sizeof tail), "");
}

TEST(JoinArguments, ALongTailIsCutButStaysTooLong) {
  char tail[300];
  const std::string longWord(1000, 'a');
  const std::vector<const char*> words = {longWord.c_str()};
  EXPECT_EQ(std::string(JoinArguments(1, words.data(), tail, sizeof tail)).size(), 299u);
}

}  // namespace
}  // namespace launcher
