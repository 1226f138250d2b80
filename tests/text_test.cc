#include "launcher/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace launcher {
namespace {

TEST(FormatText, ComposesStringsAndLowercaseHex) {
  char buffer[64];
  ASSERT_TRUE(FormatText(buffer, sizeof buffer, "%s\\temp%x.iss", "C:\\TEMP", 0xab));
  EXPECT_STREQ(buffer, "C:\\TEMP\\tempab.iss");
  ASSERT_TRUE(FormatText(buffer, sizeof buffer, "%x|%x|%x", 0u, 0xFFFFFFFFu, 0x10u));
  EXPECT_STREQ(buffer, "0|ffffffff|10");
  ASSERT_TRUE(FormatText(buffer, sizeof buffer, "100%% \"%s\" /k", ""));
  EXPECT_STREQ(buffer, "100% \"\" /k");
  ASSERT_TRUE(FormatText(buffer, sizeof buffer, "%s", "%x stays"));
  EXPECT_STREQ(buffer, "%x stays");
}

TEST(FormatText, NeverWritesPastTheBufferAndReportsWhatDoesNotFit) {
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_TRUE(FormatText(buffer, 8, "%s", "1234567"));
  EXPECT_STREQ(buffer, "1234567");
  char guarded[12];
  std::memset(guarded, '#', sizeof guarded);
  EXPECT_FALSE(FormatText(guarded, 8, "%s", "12345678"));
  EXPECT_STREQ(guarded, "");
  EXPECT_EQ(std::string(guarded + 8, 4), "####");
  EXPECT_FALSE(FormatText(guarded, 8, "abcd%x", 0x12345u));
  EXPECT_TRUE(FormatText(guarded, 8, "abc%x", 0x1234u));
  EXPECT_STREQ(guarded, "abc1234");
}

TEST(CopyText, CopiesWhatFitsAndEmptiesWhatDoesNot) {
  char buffer[4];
  EXPECT_TRUE(CopyText(buffer, sizeof buffer, "abc"));
  EXPECT_STREQ(buffer, "abc");
  EXPECT_FALSE(CopyText(buffer, sizeof buffer, "abcd"));
  EXPECT_STREQ(buffer, "");
}

}  // namespace
}  // namespace launcher
