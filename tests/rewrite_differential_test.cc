// The fast rewrite against the plain reference of the piece rule, on many
// random inputs: pattern halves straddling the 255-character piece border
// and the block border, CR LF split across blocks, lone CRs and LFs.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "launcher/response_rewrite.h"
#include "launcher/text.h"
#include "tests/fake_platform.h"
#include "tests/reference_rewrite.h"

namespace launcher {
namespace {

constexpr const char* kFolder = "E:\\Prog Files\n\\";  // a line end in the folder too

std::string Rewrite(const std::string& input) {
  testing::FakePlatform platform;
  platform.AddFolder("C:\\TEMP");
  platform.AddFile("C:\\P\\setup.iss", input);
  LaunchPlan plan;
  CopyText(plan.programFilesDir, kFolderCapacity, kFolder);
  CopyText(plan.tempDir, kFolderCapacity, "C:\\TEMP");
  CopyText(plan.tempCopyPath, kPathCapacity, "C:\\TEMP\\tempab.iss");
  CopyText(plan.responseFilePath, kPathCapacity, "C:\\P\\setup.iss");
  RewriteResponseFile(plan, platform);
  return platform.FileBytes("C:\\P\\setup.iss");
}

std::string RandomText(std::mt19937& random, std::size_t size) {
  static const std::vector<std::string> kParts = {"C:\\",
                                                  "c:\\",
                                                  "PROGRA~1",
                                                  "progra~1",
                                                  "Program Files",
                                                  "PROGRAM FILES",
                                                  "C:\\PROGRA~1",
                                                  "c:\\program files",
                                                  "C:\\Progra~",
                                                  ":",
                                                  "\\",
                                                  "C",
                                                  "\r",
                                                  "\n",
                                                  "\r\n",
                                                  "\r\r\n",
                                                  "x",
                                                  "yy",
                                                  " ",
                                                  "\x1a",
                                                  "\xe9",
                                                  "=",
                                                  "[S]"};
  std::uniform_int_distribution<std::size_t> pick(0, kParts.size() - 1);
  std::string text;
  while (text.size() < size) text += kParts[pick(random)];
  text.resize(size);
  return text;
}

TEST(RewriteDifferential, MatchesTheReferenceOnRandomInputs) {
  std::mt19937 random(5);
  std::uniform_int_distribution<std::size_t> small(0, 2000);
  for (int run = 0; run < 2000; ++run) {
    const std::string input = RandomText(random, small(random));
    ASSERT_TRUE(Rewrite(input) == testing::ReferenceRewrite(input, kFolder)) << "run " << run;
  }
  for (int run = 0; run < 6; ++run) {
    const std::string input =
        RandomText(random, 3 * kTextBlockSize + 77 * static_cast<std::size_t>(run));
    ASSERT_TRUE(Rewrite(input) == testing::ReferenceRewrite(input, kFolder)) << "large " << run;
  }
}

// Each pattern cut at every place by the piece border (after 255 characters
// of a line) and by the block borders (after 65,536 and 131,072 bytes).
TEST(RewriteDifferential, PatternsAcrossThePieceAndBlockBorders) {
  for (const std::string pattern : {"C:\\PROGRA~1", "c:\\program files", "\r\n"}) {
    for (std::size_t cut = 0; cut <= pattern.size(); ++cut) {
      const std::string acrossPiece =
          "x\r\n" + std::string(255 - cut, 'b') + pattern + "\\t\r\nC:\\Progra~1\r\n";
      EXPECT_TRUE(Rewrite(acrossPiece) == testing::ReferenceRewrite(acrossPiece, kFolder))
          << "piece border, cut " << cut << " of " << pattern;
      for (std::size_t border : {kTextBlockSize, 2 * kTextBlockSize}) {
        std::string input;
        while (input.size() + 200 < border - cut) input += std::string(98, 'a') + "\r\n";
        input += std::string(border - cut - input.size(), 'd');
        input += pattern + "\\t\r\nC:\\Progra~1\r\n";
        EXPECT_TRUE(Rewrite(input) == testing::ReferenceRewrite(input, kFolder))
            << "block border " << border << ", cut " << cut << " of " << pattern;
      }
    }
  }
}

}  // namespace
}  // namespace launcher
