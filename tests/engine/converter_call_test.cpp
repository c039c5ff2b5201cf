#include "format/conversions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "format/reader.h"
#include "format/writer.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using testing::CrLf;
using testing::Exists;
using testing::ReadFile;
using testing::TempFolder;
using testing::WorkspaceTest;

const std::string kTextForm = CrLf({"[MORVANE V3 FILE]", "[NETWORK]", "converted"});

// Converter programs made up by the tests: small shell scripts, each started directly as the
// program (not through a shell command line), as the tool starts the real ones.
class ConverterCallTest : public WorkspaceTest {
 protected:
  ConverterCallTest() { workspace.settings.program_folder = programs.path(); }
#ifdef _WIN32
  void SetUp() override { GTEST_SKIP() << "the made-up converters are POSIX shell scripts"; }
#endif

  static void Install(const std::string& folder, std::string_view name, std::string_view body) {
    const std::string program = folder + std::string(name) + kExecutableSuffix;
    testing::WriteFile(program, "#!/bin/sh\n" + std::string(body) + "\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  }
  void InstallToText(std::string_view body) { Install(programs.path(), kToTextConverter, body); }
  void InstallToBinary(std::string_view body) {
    Install(programs.path(), kToBinaryConverter, body);
  }

  // A binary list whose "conversion" by a copying converter is `content`.
  bool LoadBinary(std::string_view name, std::string_view content = kTextForm) {
    WriteList(name, content);
    return Load(name);
  }
  std::string TextFormOf(std::string_view file) const {
    return workspace.settings.WorkPath(std::string(FilePart(file)) + ".txt");
  }
  void ExpectNotFound(std::string_view file) {
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, "Nice....");
    EXPECT_EQ(platform.messages[0].text,
              "LoadThisFile: File not found \r\n" + Path(file) + "\r\n" + TextFormOf(file));
    EXPECT_FALSE(Exists(TextFormOf(file)));
    EXPECT_TRUE(workspace.loaded_files.empty());
  }

  TempFolder programs;
};

TEST_F(ConverterCallTest, AConverterThatSucceedsIsRead) {
  InstallToText("cp \"$1\" \"$2\"");
  ASSERT_TRUE(LoadBinary("a.vrk"));
  EXPECT_EQ(workspace.settings.text_file, TextFormOf("a.vrk"));
  EXPECT_EQ(workspace.settings.converter_command, programs.path() + kToTextConverter +
                                                      kExecutableSuffix + " " + Path("a.vrk") +
                                                      " " + TextFormOf("a.vrk"));
  ASSERT_EQ(workspace.main_set.networks.size(), 1u);
  EXPECT_EQ(workspace.main_set.networks[0].text, "converted");
  ASSERT_EQ(workspace.loaded_files.size(), 1u);
  EXPECT_EQ(workspace.loaded_files[0].path, Path("a.vrk"));
  EXPECT_TRUE(Exists(TextFormOf("a.vrk")));  // the text form stays in the work folder
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ConverterCallTest, AnUpperCaseTxtNameIsConvertedAsBinary) {
  InstallToText("cp \"$1\" \"$2\"");
  ASSERT_TRUE(LoadBinary("LIST.TXT"));
  EXPECT_EQ(workspace.settings.text_file, workspace.settings.WorkPath("LIST.TXT.txt"));
  EXPECT_EQ(workspace.settings.converter_command,
            programs.path() + kToTextConverter + kExecutableSuffix + " " + Path("LIST.TXT") + " " +
                workspace.settings.WorkPath("LIST.TXT.txt"));
}

TEST_F(ConverterCallTest, OutputThatIsNotAListIsRefusedWithItsFirstLine) {
  InstallToText("printf 'garbage\\tline\\r\\n[MORVANE V3 FILE]\\r\\n' > \"$2\"");
  EXPECT_FALSE(LoadBinary("a.vrk"));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Nice....");
  EXPECT_EQ(platform.messages[0].text, "LoadThisFile: this file is not [MORVANE V3 FILE]\r\n" +
                                           Path("a.vrk") + "\r\ngarbage\tline");
  EXPECT_TRUE(workspace.loaded_files.empty());
}

TEST_F(ConverterCallTest, AnEmptyTextFormIsNotAList) {
  InstallToText(": > \"$2\"");
  EXPECT_FALSE(LoadBinary("a.vrk"));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text,
            "LoadThisFile: this file is not [MORVANE V3 FILE]\r\n" + Path("a.vrk") + "\r\n");
}

TEST_F(ConverterCallTest, FailedHungOrMissingConvertersLeaveNoTextForm) {
  workspace.settings.converter_timeout_seconds = 1;
  struct Case {
    const char* label;
    const char* program;  // nullptr: no converter at all
  };
  const Case cases[] = {
      {"fails after writing", "cp \"$1\" \"$2\"; exit 3"},
      {"writes nothing", "exit 0"},
      // Would be read in full after 30 s if the time limit did not stop it.
      {"hangs", "cp \"$1\" \"$2\"; exec sleep 30"},
      {"is missing", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    RemoveFile(programs.path() + kToTextConverter + kExecutableSuffix);
    if (c.program != nullptr) InstallToText(c.program);
    // A text form left from an earlier conversion must not be read instead.
    testing::WriteFile(TextFormOf("a.vrk"), kTextForm);
    platform.messages.clear();
    EXPECT_FALSE(LoadBinary("a.vrk"));
    ExpectNotFound("a.vrk");
  }
}

TEST_F(ConverterCallTest, NamesReachTheConverterIntactAsSeparateArguments) {
  const std::string args_file = programs / "args";
  InstallToText("printf '%s\\n' \"$#\" \"$1\" \"$2\" > '" + args_file + "'; cp \"$1\" \"$2\"");
  const std::string odd = "my list \"a\" 'b'; rm x & y.vrk";
  std::filesystem::create_directory(Path("sub folder"));
  const std::string source = Path("sub folder/" + odd);
  testing::WriteFile(source, kTextForm);
  workspace.settings.current_file = source;
  ASSERT_TRUE(LoadThisFile(workspace));
  EXPECT_EQ(ReadFile(args_file), "2\n" + source + "\n" + TextFormOf(odd) + "\n");
  EXPECT_EQ(workspace.main_set.networks.size(), 1u);
}

TEST_F(ConverterCallTest, TheToolsOwnFolderComesBeforeTheStartFolder) {
  const std::string marker = Path("used");
  Install(workspace.settings.start_folder, kToTextConverter,
          "echo start > '" + marker + "'; cp \"$1\" \"$2\"");
  InstallToText("echo own > '" + marker + "'; cp \"$1\" \"$2\"");
  ASSERT_TRUE(LoadBinary("a.vrk"));
  EXPECT_EQ(ReadFile(marker), "own\n");

  RemoveFile(programs.path() + kToTextConverter + kExecutableSuffix);
  ASSERT_TRUE(LoadBinary("a.vrk"));
  EXPECT_EQ(ReadFile(marker), "start\n");
  EXPECT_EQ(workspace.settings.converter_command.rfind(
                workspace.settings.start_folder + kToTextConverter + kExecutableSuffix + " ", 0),
            0u);
}

// Writes an empty list as `text_file` and converts it into `target`.
class ConversionToBinaryTest : public ConverterCallTest {
 protected:
  void Save(const std::string& target) {
    workspace.settings.current_file = target;
    workspace.settings.text_file = TextFormOf(target);
    ASSERT_TRUE(WriteChannelList(workspace, true));
  }
};

TEST_F(ConversionToBinaryTest, TheWriterStartsTheConversionOfAVrkTarget) {
  const std::string args_file = programs / "args";
  InstallToBinary("printf '%s\\n' \"$1\" \"$2\" > '" + args_file + "'; cp \"$1\" \"$2\"");
  const std::string target = Path("out list.vrk");
  Save(target);
  EXPECT_EQ(workspace.settings.converter_command, programs.path() + kToBinaryConverter +
                                                      kExecutableSuffix + " " + TextFormOf(target) +
                                                      " " + target);
  WaitForConversionsOf(workspace, target);
  // The converter writes beside the target; its output replaces the target once it succeeded.
  EXPECT_EQ(ReadFile(args_file), TextFormOf(target) + "\n" + PartialOutputName(target) + "\n");
  EXPECT_FALSE(Exists(PartialOutputName(target)));
  EXPECT_EQ(ReadFile(target), ReadFile(TextFormOf(target)));
  ReportFailedConversions(workspace);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ConversionToBinaryTest, OnlyALowerCaseVrkTargetIsConverted) {
  InstallToBinary("touch \"$2\"");
  for (const char* name : {"a.VRK", "a.txt", "a.vrk.bak"}) {
    Save(Path(name));
    EXPECT_EQ(workspace.settings.converter_command, "") << name;
    EXPECT_TRUE(workspace.conversions.Idle()) << name;
  }
}

TEST_F(ConversionToBinaryTest, AFailedConversionIsReportedOnceWithItsTarget) {
  InstallToBinary("exit 2");
  const std::string target = Path("a.vrk");
  Save(target);
  workspace.conversions.WaitAll(platform);
  ReportFailedConversions(workspace);
  ReportFailedConversions(workspace);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Nice....");
  EXPECT_EQ(platform.messages[0].text, "Conversion failed: \r\n" + target);
}

TEST_F(ConversionToBinaryTest, AConverterThatCannotStartIsAFailedConversion) {
  const std::string target = Path("a.vrk");
  StartConversionToBinary(workspace, TextFormOf(target), target);
  ReportFailedConversions(workspace);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "Conversion failed: \r\n" + target);
}

TEST_F(ConversionToBinaryTest, ALoadWaitsForTheConversionThatWritesItsFile) {
  InstallToBinary("sleep 1; cp \"$1\" \"$2\"");
  InstallToText("cp \"$1\" \"$2\"");
  workspace.main_set.networks.Append({"saved", 0});
  const std::string target = Path("a.vrk");
  Save(target);
  ASSERT_TRUE(Load("a.vrk"));
  ASSERT_EQ(workspace.main_set.networks.size(), 1u);
  EXPECT_EQ(workspace.main_set.networks[0].text, "saved");
  EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace vsm
