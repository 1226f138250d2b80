// The rewrite over arbitrary bytes, against the reference model of the
// piece rule: both must give the same response file, byte for byte.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "launcher/response_rewrite.h"
#include "launcher/text.h"
#include "tests/fake_platform.h"
#include "tests/reference_rewrite.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  launcher::testing::FakePlatform platform;
  platform.AddFolder("C:\\TEMP");
  platform.AddFile("C:\\sysprep\\P\\setup.iss", input);
  launcher::LaunchPlan plan;
  launcher::CopyText(plan.programFilesDir, launcher::kFolderCapacity, "D:\\Programme");
  launcher::CopyText(plan.tempDir, launcher::kFolderCapacity, "C:\\TEMP");
  launcher::CopyText(plan.tempCopyPath, launcher::kPathCapacity, "C:\\TEMP\\tempab.iss");
  launcher::CopyText(plan.responseFilePath, launcher::kPathCapacity, "C:\\sysprep\\P\\setup.iss");
  launcher::RewriteResponseFile(plan, platform);
  if (platform.FileBytes("C:\\sysprep\\P\\setup.iss") !=
      launcher::testing::ReferenceRewrite(input, "D:\\Programme")) {
    std::abort();
  }
  return 0;
}
