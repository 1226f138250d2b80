// The POSIX stand-in's pure parts: path mapping, command-line splitting and
// environment expansion.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/environment_expansion.h"
#include "platform/posix_paths.h"
#include "platform/windows_command_line.h"

namespace launcher {
namespace {

TEST(MapWindowsPath, MapsDrivesUnderTheRootAndKeepsHostPaths) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"(C:\sysprep\Office\setup.iss)", "/r/c/sysprep/Office/setup.iss"},
      {R"(d:\pkgs\app one)", "/r/d/pkgs/app one"},
      {"D:pkgs", "/r/d/pkgs"},
      {"D:", "/r/d/"},
      {R"(/tmp/\temp1.iss)", "/tmp//temp1.iss"},
      {R"(%TEMP%\x)", "%TEMP%/x"},
      {R"(\\server\share)", "//server/share"},
      {"1:x", "1:x"},
  };
  for (const auto& [windows, host] : cases) {
    char mapped[64];
    ASSERT_TRUE(MapWindowsPath("/r", windows.c_str(), mapped, sizeof mapped)) << windows;
    EXPECT_EQ(std::string(mapped), host) << windows;
  }
  char tiny[8];
  EXPECT_FALSE(MapWindowsPath("/root", "C:\\long", tiny, sizeof tiny));
}

std::vector<std::string> Split(const char* line) {
  char storage[256];
  char* words[16];
  const int count = SplitCommandLine(line, storage, sizeof storage, words, 16);
  std::vector<std::string> result;
  for (int i = 0; i < count; ++i) result.push_back(words[i]);
  EXPECT_EQ(words[count < 0 ? 0 : count], nullptr);
  return result;
}

TEST(SplitCommandLine, FollowsWindowsRules) {
  using Words = std::vector<std::string>;
  EXPECT_EQ(Split(R"("C:\My App\setup.exe" /k)"), (Words{R"(C:\My App\setup.exe)", "/k"}));
  EXPECT_EQ(Split(R"(C:\My App\setup.exe /k)"), (Words{R"(C:\My)", R"(App\setup.exe)", "/k"}));
  EXPECT_EQ(Split(R"(p a\\b "c d" e\"f g\\"h i" j\\\"k "l""m")"),
            (Words{"p", R"(a\\b)", "c d", "e\"f", R"(g\h i)", R"(j\"k)", "l\"m"}));
  EXPECT_EQ(Split(R"("C:\path\"x y)"), (Words{R"(C:\path\)", "x", "y"}));
  EXPECT_EQ(Split("p \"\"  \t"), (Words{"p", ""}));
  EXPECT_EQ(Split(""), (Words{""}));
}

TEST(SplitCommandLine, RefusesWhatDoesNotFit) {
  char storage[8];
  char* words[4];
  EXPECT_EQ(SplitCommandLine("program-too-long", storage, sizeof storage, words, 4), -1);
  char big[64];
  EXPECT_EQ(SplitCommandLine("p a b c d", big, sizeof big, words, 4), -1);
  EXPECT_EQ(SplitCommandLine("p a b", big, sizeof big, words, 4), 3);
}

const std::map<std::string, std::string> kVariables = {
    {"TEMP", R"(C:\TEMP)"}, {"EMPTY", ""}, {"A", "%B%"}};

const char* LookUp(void*, const char* name, std::uint32_t length) {
  const auto found = kVariables.find(std::string(name, length));
  return found == kVariables.end() ? nullptr : found->second.c_str();
}

TEST(ExpandReferences, ExpandsDefinedVariablesOnly) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"%TEMP%", R"(C:\TEMP)"},
      {R"(%TEMP%\x%TEMP%)", R"(C:\TEMP\xC:\TEMP)"},
      {"%ProgramFiles%", "%ProgramFiles%"},
      {"%temp%", "%temp%"},  // POSIX names keep their case
      {"%EMPTY%", ""},
      {"%A%", "%B%"},  // one level only
      {"%%", "%%"},
      {"100% sure", "100% sure"},
      {"%UNDEF%TEMP%", "%UNDEF%TEMP%"},
      {"", ""},
  };
  for (const auto& [source, expected] : cases) {
    char buffer[64];
    EXPECT_EQ(ExpandReferences(source.c_str(), buffer, sizeof buffer, LookUp, nullptr),
              expected.size() + 1)
        << source;
    EXPECT_EQ(std::string(buffer), expected) << source;
  }
}

TEST(ExpandReferences, ReportsTheSizeNeededWhenTheResultDoesNotFit) {
  char buffer[5];
  EXPECT_EQ(ExpandReferences(R"(%TEMP%\y)", buffer, sizeof buffer, LookUp, nullptr), 10u);
  EXPECT_EQ(std::string(buffer).size(), 4u);  // never past the buffer
  char exact[10];
  EXPECT_EQ(ExpandReferences(R"(%TEMP%\y)", exact, sizeof exact, LookUp, nullptr), 10u);
  EXPECT_STREQ(exact, R"(C:\TEMP\y)");
}

}  // namespace
}  // namespace launcher
