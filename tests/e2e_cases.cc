#include "tests/e2e_cases.h"

namespace launcher::e2e {
namespace {

const std::string kResponse =
    "[Setup]\r\nszDir=C:\\Program Files\\Office\r\nshort=c:\\progra~1\\x\r\n"
    "both=C:\\Program Files\\A;C:\\PROGRA~1\\B\r\nkeep=D:\\Program Files\\y\r\n";
const std::string kLocalised =
    "[Setup]\r\nszDir=D:\\Programme\\Office\r\nshort=D:\\Programme\\x\r\n"
    "both=C:\\Program Files\\A;D:\\Programme\\B\r\nkeep=D:\\Program Files\\y\r\n";

LaunchCase Package(const std::string& name, const std::string& tail, const std::string& folder,
                   const std::string& response = kResponse,
                   const std::string& localised = kLocalised) {
  LaunchCase c;
  c.name = name;
  c.tail = tail;
  c.files = {{folder + "\\setup.iss", response}};
  c.installers = {folder + "\\setup.exe"};
  c.expectations = {{folder + "\\setup.iss", localised}};
  c.installerArgs = "/k\n";
  c.installerSaw = localised;
  c.attributesSeen = "plain";
  c.tempCopies = 1;
  return c;
}

std::string Long(char c, std::size_t n) { return std::string(n, c); }

}  // namespace

std::vector<LaunchCase> SharedCases() {
  std::vector<LaunchCase> cases;
  cases.push_back(Package("ByName", "Office", "C:\\sysprep\\Office"));
  cases.push_back(
      Package("QuotedFolderWithExtraWord", "\"D:\\pkgs\\app one\" /x", "D:\\pkgs\\app one"));
  cases.push_back(Package("UnclosedQuote", "\"Office", "C:\\sysprep\\Office"));
  cases.push_back(Package("NameWithBlank", "Office extra", "C:\\sysprep\\Office extra"));
  cases.push_back(Package("DriveAlone", "D:", "D:"));
  {
    LaunchCase c = Package("DriveRelative", "D:pkgs", "D:\\pkgs");
    c.startedAs = "D:pkgs\\setup.exe";
    cases.push_back(c);
  }

  const std::string longLine =
      "a=C:\\Progra~1\\" + Long('h', 241) + "C:\\Program Files\\" + Long('t', 28) + "\r\n";
  const std::string longLocal =
      "a=D:\\Programme\\" + Long('h', 241) + "D:\\Programme\\" + Long('t', 28) + "\r\n";
  cases.push_back(Package(
      "LineEnds", "Office", "C:\\sysprep\\Office",
      "crlf=C:\\Progra~1\\a\r\nlf=C:\\Progra~1\\b\nlone\rcr=C:\\Progra~1\\c\r\n" + longLine +
          "ctrlz=\x1a"
          "C:\\Progra~1\\d\r\nlast=C:\\Program Files\\e",
      "crlf=D:\\Programme\\a\r\nlf=D:\\Programme\\b\r\nlone\rcr=D:\\Programme\\c\r\n" + longLocal +
          "ctrlz=\x1a"
          "D:\\Programme\\d\r\nlast=D:\\Programme\\e"));
  cases.push_back(Package("EmptyFile", "Office", "C:\\sysprep\\Office", "", ""));

  {
    const std::string utf16(
        "\xFF\xFE"
        "C\0:\0\\\0P\0R\0O\0G\0R\0A\0~\0"
        "1\0\r\0\n\0",
        28);
    LaunchCase c = Package("NulBytesLeftAlone", "Office", "C:\\sysprep\\Office", utf16, utf16);
    c.tempCopies = 0;
    cases.push_back(c);
  }
  {
    LaunchCase c = Package("ReadOnlyHiddenReplaced", "Office", "C:\\sysprep\\Office");
    c.files[0].readOnlyHidden = true;
    cases.push_back(c);
  }
  {
    // Someone's file at the staging name is never removed or emptied; the
    // response file then stays as it was, and the installer still runs.
    LaunchCase c =
        Package("StagingNameTaken", "Office", "C:\\sysprep\\Office", kResponse, kResponse);
    c.files.push_back({"C:\\sysprep\\Office\\setup.iss.new", "not ours"});
    c.expectations.push_back({"C:\\sysprep\\Office\\setup.iss.new", "not ours"});
    cases.push_back(c);
  }
  {
    // Unquoted, the start would run C:\sysprep\My.exe with "App\setup.exe /k".
    LaunchCase c = Package("BlankInInstallerPath", "My App", "C:\\sysprep\\My App");
    c.installers.push_back("C:\\sysprep\\My.exe");
    c.installers.push_back("C:\\sysprep\\My");
    cases.push_back(c);
  }
  {
    LaunchCase c = Package("MissingInstaller", "Office", "C:\\sysprep\\Office");
    c.installers.clear();
    c.status = 0;
    c.installerArgs.reset();
    c.installerSaw.reset();
    c.attributesSeen.clear();
    c.tempCopies = 0;
    c.minSeconds = 0.9;
    cases.push_back(c);
  }
  {
    LaunchCase c = Package("WaitsForASlowInstaller", "Office", "C:\\sysprep\\Office");
    c.installerSeconds = 2;
    c.minSeconds = 1.9;
    c.maxSeconds = 4;
    cases.push_back(c);
  }
  {
    LaunchCase c;
    c.name = "EmptyTail";
    c.status = 0;
    c.tempCopies = 0;
    c.expectations = {{"C:\\TEMP", std::nullopt}};
    cases.push_back(c);
  }
  {
    LaunchCase c = Package("TailTooLong", "Office " + Long('x', 249), "C:\\sysprep\\Office",
                           kResponse, kResponse);
    c.status = 0;
    c.installerArgs.reset();
    c.installerSaw.reset();
    c.attributesSeen.clear();
    c.tempCopies = 0;
    cases.push_back(c);
  }
  {
    LaunchCase c = Package("ProgramFilesFromTheRegistry", "Office", "C:\\sysprep\\Office",
                           "a=C:\\Progra~1\\x\r\n", "a=E:\\Apps\\x\r\n");
    c.environment["ProgramFiles"] = std::nullopt;
    c.registry = std::optional<std::string>("E:\\Apps");
    cases.push_back(c);
  }
  {
    LaunchCase c = Package("ProgramFilesTooLongForTheRegistry", "Office", "C:\\sysprep\\Office",
                           "a=C:\\Progra~1\\x\r\n", "a=E:\\Apps\\x\r\n");
    c.environment["ProgramFiles"] = Long('p', 1024);
    c.registry = std::optional<std::string>("E:\\Apps");
    cases.push_back(c);
  }
  {
    LaunchCase c = Package("RegistryValueMissing", "Office", "C:\\sysprep\\Office",
                           "a=C:\\Program Files\\x\r\n", "a=C:\\Progra~1\\x\r\n");
    c.environment["ProgramFiles"] = std::nullopt;
    c.registry = std::optional<std::string>();
    cases.push_back(c);
  }
  {
    LaunchCase c = Package("RegistryValueTooLong", "Office", "C:\\sysprep\\Office",
                           "a=C:\\Program Files\\x\r\n", "a=C:\\Progra~1\\x\r\n");
    c.environment["ProgramFiles"] = std::nullopt;
    c.registry = std::optional<std::string>(Long('v', 255));  // 256 bytes with its terminator
    cases.push_back(c);
  }
  {
    LaunchCase c = Package("RegistryValueOf255Bytes", "Office", "C:\\sysprep\\Office",
                           "a=C:\\Program Files\\x\r\n", "a=E:\\" + Long('v', 251) + "\\x\r\n");
    c.environment["ProgramFiles"] = std::nullopt;
    c.registry = std::optional<std::string>("E:\\" + Long('v', 251));
    cases.push_back(c);
  }
  {
    LaunchCase c = Package("TempFromTheTemporaryPath", "Office", "C:\\sysprep\\Office");
    c.environment["TEMP"] = std::nullopt;
    c.tempPathFolder = "C:\\TMPPATH";
    c.tempFolder = "C:\\TMPPATH";
    cases.push_back(c);
  }
  return cases;
}

}  // namespace launcher::e2e
