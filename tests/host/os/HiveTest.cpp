#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "host/os/Hive.h"
#include "host/os/TempDir.h"

namespace zanvoro::host {
namespace {

using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;
using Names = std::vector<std::string>;

constexpr const char* kVnh = "Software\\Pellworth\\VNH";

std::vector<std::filesystem::path> FilesStartingWith(const std::filesystem::path& folder,
                                                     const std::string& prefix) {
  std::vector<std::filesystem::path> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().rfind(prefix, 0) == 0)
      found.push_back(entry.path());
  }
  return found;
}

TEST(Hive, ReadsBackWhatWasWrittenAfterReopeningUnderNamesOfAnyCase) {
  TempDir dir;
  {
    Hive hive(dir / "hive.json");
    hive.SetValue(kVnh, "DefLang", "FRENCH");
    hive.SetValue(kVnh, "StartUpOption", "1");
    hive.SetValue(std::string(kVnh) + "\\frmSearch", "Width", "640");
  }
  Hive hive(dir / "hive.json");
  EXPECT_EQ(hive.GetValue(kVnh, "DefLang"), "FRENCH");
  EXPECT_EQ(hive.GetValue(std::string(kVnh) + "\\frmSearch", "Width"), "640");
  EXPECT_EQ(hive.ValueNames(kVnh), (Names{"DefLang", "StartUpOption"}));
  EXPECT_EQ(hive.SubKeyNames(kVnh), (Names{"frmSearch"}));
  EXPECT_EQ(hive.SubKeyNames(""), (Names{"Software"}));
  EXPECT_FALSE(hive.Warning().has_value());

  // Names compare without case and keep their first spelling; empty pieces
  // of a path are ignored.
  hive.SetValue("SOFTWARE\\pellworth\\vnh", "DEFLANG", "GERMAN");
  EXPECT_EQ(hive.GetValue("software\\PELLWORTH\\Vnh", "deflang"), "GERMAN");
  EXPECT_EQ(hive.ValueNames(kVnh), (Names{"DefLang", "StartUpOption"}));
  EXPECT_EQ(hive.SubKeyNames("software"), (Names{"Pellworth"}));
  EXPECT_TRUE(hive.KeyExists("SOFTWARE\\PELLWORTH"));
  hive.SetValue("\\Software\\\\Pellworth\\", "A", "");
  EXPECT_EQ(hive.GetValue("Software\\Pellworth", "A"), "");
  EXPECT_TRUE(hive.KeyExists(""));
}

TEST(Hive, MissingKeysAndValuesAreAbsentNotErrors) {
  TempDir dir;
  Hive hive(dir / "missing-folder" / "hive.json");
  EXPECT_EQ(hive.GetValue(kVnh, "DefLang"), std::nullopt);
  EXPECT_FALSE(hive.KeyExists(kVnh));
  EXPECT_TRUE(hive.SubKeyNames(kVnh).empty());
  EXPECT_TRUE(hive.ValueNames(kVnh).empty());
  EXPECT_FALSE(hive.DeleteValue(kVnh, "DefLang"));
  EXPECT_FALSE(hive.DeleteKey(kVnh));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing-folder"));
}

TEST(Hive, DeletingTakesAKeyWithItsSubKeysOrOneValueButNeverTheRoot) {
  TempDir dir;
  Hive hive(dir / "hive.json");
  hive.SetValue(kVnh, "DefLang", "FRENCH");
  hive.SetValue(std::string(kVnh) + "\\frmSearch\\Columns", "1", "Subject");
  hive.SetValue("Software\\Pellworth", "Other", "kept");
  hive.SetValue("Software\\Pellworth", "Gone", "2");
  EXPECT_TRUE(hive.DeleteValue("Software\\Pellworth", "gone"));
  EXPECT_TRUE(hive.DeleteKey("software\\pellworth\\vnh"));
  EXPECT_THROW(hive.DeleteKey("\\"), Error);

  Hive reopened(dir / "hive.json");
  EXPECT_FALSE(reopened.KeyExists(kVnh));
  EXPECT_FALSE(reopened.KeyExists(std::string(kVnh) + "\\frmSearch"));
  EXPECT_EQ(reopened.ValueNames("Software\\Pellworth"), (Names{"Other"}));
}

TEST(Hive, SeesWhatAnotherWriterWroteAndKeepsItWhenWriting) {
  TempDir dir;
  Hive first(dir / "hive.json");
  Hive second(dir / "hive.json");
  first.SetValue(kVnh, "FromFirst", "1");
  EXPECT_EQ(second.GetValue(kVnh, "FromFirst"), "1");

  second.SetValue(kVnh, "FromSecond", "2");
  first.SetValue(kVnh, "FromFirstAgain", "3");
  EXPECT_EQ(Hive(dir / "hive.json").ValueNames(kVnh),
            (Names{"FromFirst", "FromSecond", "FromFirstAgain"}));
}

// A writer killed at an arbitrary point of a stream of big writes: the file
// holds one complete version, never a mix or a torn one.
TEST(Hive, SurvivesAWriterKilledMidWrite) {
  TempDir dir;
  std::filesystem::path path = dir / "hive.json";
  Hive(path).SetValue(kVnh, "Generation", "0");

  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t writer = ::fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    ::close(ready[0]);
    Hive hive(path);
    for (int generation = 1;; ++generation) {
      // The filler makes each write long enough to be caught in the middle.
      std::string text = std::to_string(generation);
      hive.SetValue(kVnh, "Filler",
                    std::string(256 * 1024, static_cast<char>('a' + generation % 26)));
      hive.SetValue(kVnh, "Generation", text);
      if (generation == 3) {
        char byte = 1;
        [[maybe_unused]] ssize_t ignored = ::write(ready[1], &byte, 1);
      }
    }
  }
  ::close(ready[1]);
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::close(ready[0]);
  ::kill(writer, SIGKILL);
  int status = 0;
  ::waitpid(writer, &status, 0);

  Hive hive(path);
  EXPECT_FALSE(hive.Warning().has_value()) << hive.Warning()->Description();
  auto generation = hive.GetValue(kVnh, "Generation");
  ASSERT_TRUE(generation.has_value());
  EXPECT_GE(std::stoi(*generation), 3);
  auto filler = hive.GetValue(kVnh, "Filler");
  ASSERT_TRUE(filler.has_value());
  EXPECT_EQ(filler->size(), 256u * 1024);
  EXPECT_EQ(filler->find_first_not_of(filler->front()), std::string::npos);
  // The dead writer's temporary file was cleared away when the hive was opened.
  EXPECT_TRUE(FilesStartingWith(dir.Path(), "hive.json.tmp-").empty());
}

TEST(Hive, IgnoresAHalfWrittenFileOfACrashedWriter) {
  TempDir dir;
  std::filesystem::path path = dir / "hive.json";
  Hive(path).SetValue(kVnh, "DefLang", "DUTCH");
  // Process ids never get this high, so its writer is surely gone.
  WriteFile(dir / "hive.json.tmp-999999999-0", "{\"format\": \"zanvoro-hi");

  Hive hive(path);
  EXPECT_EQ(hive.GetValue(kVnh, "DefLang"), "DUTCH");
  EXPECT_FALSE(hive.Warning().has_value());
  EXPECT_FALSE(std::filesystem::exists(dir / "hive.json.tmp-999999999-0"));
}

TEST(Hive, SetsADamagedFileAsideAndStartsEmptyWithAWarning) {
  const char* damaged[] = {
      "",
      "{\"format\": \"zanvoro-hive\", \"version\": 1, \"root\": {\"name\": \"\", \"val",
      "[1, 2, 3]",
      "{\"format\": \"something else\", \"version\": 1, \"root\": {}}",
      "{\"format\": \"zanvoro-hive\", \"version\": 1, \"root\": {\"name\": \"\", "
      "\"values\": [[\"A\", 1]]}}",
      "{\"format\": \"zanvoro-hive\", \"version\": 1, \"root\": {\"name\": \"\", "
      "\"keys\": [{\"values\": []}]}}",
      "\xff\xfe garbage",
  };
  for (const char* content : damaged) {
    SCOPED_TRACE(content);
    TempDir dir;
    std::filesystem::path path = dir / "hive.json";
    WriteFile(path, content);

    Hive hive(path);
    ASSERT_TRUE(hive.Warning().has_value());
    EXPECT_EQ(hive.Warning()->Number(), err::kCorruptData);
    EXPECT_NE(hive.Warning()->Description().find(path.string()), std::string::npos);
    EXPECT_TRUE(hive.SubKeyNames("").empty());

    auto set_aside = FilesStartingWith(dir.Path(), "hive.json.corrupt-");
    ASSERT_EQ(set_aside.size(), 1u);
    EXPECT_EQ(ReadFile(set_aside[0]), content);
    EXPECT_NE(hive.Warning()->Description().find(set_aside[0].string()),
              std::string::npos);

    hive.SetValue(kVnh, "DefLang", "FRENCH");
    EXPECT_EQ(Hive(path).GetValue(kVnh, "DefLang"), "FRENCH");
  }
}

TEST(Hive, LeavesAFileOfANewerVersionAlone) {
  TempDir dir;
  std::filesystem::path path = dir / "hive.json";
  std::string newer = "{\"format\": \"zanvoro-hive\", \"version\": 99, \"root\": {}}";
  WriteFile(path, newer);
  try {
    Hive hive(path);
    FAIL() << "a newer hive was opened";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), err::kVersionMismatch);
    EXPECT_NE(error.Description().find(path.string()), std::string::npos);
  }
  EXPECT_EQ(ReadFile(path), newer);
}

TEST(Hive, AFailedWriteKeepsTheOldFileAndTheOldValues) {
  TempDir dir;
  std::filesystem::path path = dir / "hive.json";
  Hive(path).SetValue(kVnh, "DefLang", "FRENCH");
  std::string before = ReadFile(path);

  // A disk that fills up: in a child, files may not grow past 4 KiB.
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    Hive hive(path);
    int result = 0;
    try {
      hive.SetValue(kVnh, "DefLang", std::string(64 * 1024, 'x'));
      result = 1;
    } catch (const Error& error) {
      if (error.Number() != err::kDiskFull) result = 2;
      if (error.Description().find(path.string()) == std::string::npos) result = 3;
    }
    if (hive.GetValue(kVnh, "DefLang") != "FRENCH") result = 4;
    ::_exit(result);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no error, 2: wrong number, 3: file not named, "
                                       "4: value changed in memory";
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_TRUE(FilesStartingWith(dir.Path(), "hive.json.tmp-").empty());
}

TEST(Hive, AFolderThatCannotBeCreatedIsAnError) {
  TempDir dir;
  WriteFile(dir / "blocker", "a file where the folder should be");
  Hive hive(dir / "blocker" / "hive.json");
  EXPECT_THROW(hive.SetValue(kVnh, "A", "1"), Error);
  EXPECT_EQ(hive.GetValue(kVnh, "A"), std::nullopt);
}

TEST(Hive, KeepsUtf8AndSpecialCharactersAndRefusesOtherTextKeepingTheFile) {
  TempDir dir;
  std::filesystem::path path = dir / "hive.json";
  Hive hive(path);
  std::string text =
      "Gr\xc3\xbc\xc3\x9f"
      "e \"quoted\" \\ back\nslash\ttab";
  hive.SetValue(kVnh, "Greeting", text);
  EXPECT_EQ(Hive(path).GetValue(kVnh, "Greeting"), text);
  std::string before = ReadFile(path);
  EXPECT_THROW(hive.SetValue(kVnh, "B", "caf\xe9"), Error);
  EXPECT_EQ(hive.GetValue(kVnh, "B"), std::nullopt);
  EXPECT_EQ(ReadFile(path), before);
}

TEST(Hive, DefaultPathFollowsTheEnvironment) {
  {
    ScopedEnv hive("ZANVORO_HIVE", "/tmp/elsewhere/h.json");
    EXPECT_EQ(Hive::DefaultPath(), "/tmp/elsewhere/h.json");
    EXPECT_EQ(Hive::PathFor("/profile/hive.json"), "/tmp/elsewhere/h.json");
  }
  ScopedEnv no_hive("ZANVORO_HIVE", nullptr);
  ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
  EXPECT_EQ(Hive::DefaultPath(), "/cfg/zanvoro/hive.json");
  EXPECT_EQ(Hive::PathFor("/profile/hive.json"), "/profile/hive.json");
}

}  // namespace
}  // namespace zanvoro::host
