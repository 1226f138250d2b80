// The shared case table, run on one host per process: "Posix/*" against
// the POSIX build, "Wine/*" against the 64-bit launcher.exe under Wine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "tests/e2e_cases.h"
#include "tests/e2e_hosts.h"

namespace fs = std::filesystem;

namespace launcher::e2e {
namespace {

Host* TheHost(const std::string& name) {
  static std::unique_ptr<Host> posix;
  static std::unique_ptr<Host> wine;
  static std::string whyNoWine;
  static bool wineTried = false;
  if (name == "Posix") {
    if (!posix) posix = MakePosixHost();
    return posix.get();
  }
  if (!wineTried) {
    wineTried = true;
    wine = MakeWineHost(whyNoWine);
  }
  if (!wine) {
    if (std::getenv("LAUNCHER_REQUIRE_WINE") != nullptr) {
      ADD_FAILURE() << "Wine suite cannot run: " << whyNoWine;
    } else {
      std::printf("Wine suite skipped: %s\n", whyNoWine.c_str());
    }
  }
  return wine.get();
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  if (!fs::is_directory(folder)) return names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

}  // namespace

void PrintTo(const LaunchCase& c, std::ostream* out) { *out << c.name; }

namespace {

class SharedCase : public ::testing::TestWithParam<std::tuple<std::string, LaunchCase>> {};

TEST_P(SharedCase, GivesTheSameResultOnEveryHost) {
  const auto& [hostName, c] = GetParam();
  Host* host = TheHost(hostName);
  if (host == nullptr) {
    if (!HasFailure()) GTEST_SKIP() << "no Wine here";
    return;
  }
  if (c.environment.count("ProgramFiles") != 0 && !host->CanSetProgramFiles()) {
    GTEST_SKIP() << "this host sets every process's ProgramFiles itself; the chain is tested "
                    "in-process by WineChains";
  }
  // The expected texts name the default Program Files folder D:\Programme.
  const auto localised = [&](std::string text) {
    const std::string folder = "D:\\Programme";
    for (std::size_t at = text.find(folder); at != std::string::npos;
         at = text.find(folder, at + host->DefaultProgramFiles().size())) {
      text.replace(at, folder.size(), host->DefaultProgramFiles());
    }
    return text;
  };
  host->Reset();
  const Outcome outcome = host->Run(c);
  EXPECT_EQ(outcome.status, c.status);
  EXPECT_GE(outcome.seconds, c.minSeconds);
  EXPECT_LE(outcome.seconds, c.maxSeconds);

  for (const Expectation& expectation : c.expectations) {
    const fs::path path = host->HostPath(expectation.path);
    if (expectation.bytes) {
      EXPECT_EQ(ReadFile(path), localised(*expectation.bytes)) << expectation.path;
    } else {
      EXPECT_FALSE(fs::exists(path)) << expectation.path;
    }
  }

  const fs::path record = host->RecordFolder();
  if (c.installerArgs) {
    EXPECT_EQ(ReadFile(record / "installer.args"), *c.installerArgs);
  } else {
    EXPECT_FALSE(fs::exists(record / "installer.args")) << "an installer ran";
  }
  if (c.installerSaw) {
    EXPECT_EQ(ReadFile(record / "installer.saw.iss"), localised(*c.installerSaw));
  }
  if (!c.attributesSeen.empty()) {
    EXPECT_EQ(ReadFile(record / "installer.attrs"), c.attributesSeen + "\n");
  }
  // Only Windows has a command line to record: the path is always quoted.
  if (fs::exists(record / "installer.cmdline")) {
    const std::string path = c.startedAs.empty() ? c.installers.at(0) : c.startedAs;
    EXPECT_EQ(ReadFile(record / "installer.cmdline"), "\"" + path + "\" /k");
  }

  if (c.tempCopies >= 0) {
    const std::vector<std::string> copies = Entries(host->HostPath(c.tempFolder));
    EXPECT_EQ(copies.size(), static_cast<std::size_t>(c.tempCopies));
    for (const std::string& name : copies) {
      EXPECT_TRUE(std::regex_match(name, std::regex("temp[0-9a-f]{1,8}\\.iss"))) << name;
    }
  }
}

std::string CaseName(const ::testing::TestParamInfo<SharedCase::ParamType>& info) {
  return std::get<0>(info.param) + "_" + std::get<1>(info.param).name;
}

struct ChainCase {
  const char* name;
  std::string spec;  // directives for the probe
  std::string programFilesDir;
  std::string tempDir;
};

void PrintTo(const ChainCase& c, std::ostream* out) { *out << c.name; }

class WineChains : public ::testing::TestWithParam<ChainCase> {};

// The folder chains on the real Win32 layer, in one process under Wine.
TEST_P(WineChains, YieldTheFirstUsableSource) {
  Host* wine = TheHost("Wine");
  if (wine == nullptr) {
    if (!HasFailure()) GTEST_SKIP() << "no Wine here";
    return;
  }
  const ChainCase& c = GetParam();
  const std::string result = RunChainProbe(*wine, "set TEMP=C:\\TEMP\n" + c.spec);
  EXPECT_EQ(result,
            "exit 0\nprogramFilesDir=" + c.programFilesDir + "\ntempDir=" + c.tempDir + "\n");
  EXPECT_EQ(result.find('%'), std::string::npos);
}

const std::string k1023(1023, 'p');

INSTANTIATE_TEST_SUITE_P(
    Probe, WineChains,
    ::testing::Values(
        ChainCase{"Variable", "set ProgramFiles=C:\\Programme\nregistry E:\\Apps\n",
                  "C:\\Programme", "C:\\TEMP"},
        ChainCase{"VariableOf1024", "set ProgramFiles=" + k1023 + "\nregistry E:\\Apps\n", k1023,
                  "C:\\TEMP"},
        ChainCase{"VariableTooLong", "set ProgramFiles=" + k1023 + "p\nregistry E:\\Apps\n",
                  "E:\\Apps", "C:\\TEMP"},
        ChainCase{"VariableUndefined", "unset ProgramFiles\nregistry E:\\Apps\n", "E:\\Apps",
                  "C:\\TEMP"},
        ChainCase{"ValueOf255Bytes", "unset ProgramFiles\nregistry " + std::string(254, 'v') + "\n",
                  std::string(254, 'v'), "C:\\TEMP"},
        ChainCase{"ValueTooLong", "unset ProgramFiles\nregistry " + std::string(255, 'v') + "\n",
                  "C:\\Progra~1", "C:\\TEMP"},
        ChainCase{"ValueMissing", "unset ProgramFiles\nregistry-delete\n", "C:\\Progra~1",
                  "C:\\TEMP"},
        ChainCase{"TempFromTheTemporaryPath",
                  "set ProgramFiles=C:\\P\nunset TEMP\nset TMP=C:\\TMPPATH\n", "C:\\P",
                  "C:\\TMPPATH\\"}),
    [](const ::testing::TestParamInfo<ChainCase>& each) { return std::string(each.param.name); });

INSTANTIATE_TEST_SUITE_P(Hosts, SharedCase,
                         ::testing::Combine(::testing::Values("Posix", "Wine"),
                                            ::testing::ValuesIn(SharedCases())),
                         CaseName);

}  // namespace
}  // namespace launcher::e2e
