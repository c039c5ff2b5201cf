// Converters that are missing, fail, die half-way or hang, and binary lists that are truncated or
// corrupt: each is reported with the file concerned, leaves no half-written file under a final
// name, destroys no earlier file, and the next operation works.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "converters/channel_tables.h"
#include "converters/vrk_binary.h"
#include "format/conversions.h"
#include "format/reader.h"
#include "generator/list_generator.h"
#include "merge/merge_driver.h"
#include "model/messages.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "split/save_driver.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::TempFolder;
using testing::WorkspaceTest;

std::string SmallList(std::uint32_t seed) {
  return GenerateChannelListText({.services = 12, .antennas = 2, .first_antenna = 0, .seed = seed});
}

std::string VrkOf(const std::string& text) {
  std::string fault;
  const auto tables = vrk::TablesFromText(text, fault);
  EXPECT_TRUE(tables.has_value()) << fault;
  return tables ? vrk::EncodeVrk(*tables) : std::string();
}

struct FaultyProgram {
  const char* label;
  const char* body;  // shell script body; nullptr: the program is missing
};

// Converter programs made up by the tests (POSIX shell scripts started directly).
class FaultyConverterTest : public WorkspaceTest {
 protected:
  FaultyConverterTest() {
    workspace.settings.program_folder = programs.path();
    workspace.settings.converter_timeout_seconds = 1;
    workspace.settings.background_conversion_timeout_seconds = 1;
  }
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "the made-up converters are POSIX shell scripts";
#endif
  }

  void Install(std::string_view name, const char* body) {
    const std::string program = programs.path() + std::string(name) + kExecutableSuffix;
    RemoveFile(program);
    if (body == nullptr) return;
    testing::WriteFile(program, "#!/bin/sh\n" + std::string(body) + "\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  }
  // The converters that this project builds, copied in as the working ones.
  void InstallRealConverter(std::string_view name) {
    const std::string program = std::string(name) + kExecutableSuffix;
    RemoveFile(programs.path() + program);
    std::filesystem::copy_file(ExecutableFolder() + program, programs.path() + program);
  }
  void SaveAs(const std::string& target) {
    workspace.settings.current_file = target;
    SaveThisFile(workspace, Button::save);
  }
  void FinishConversions() {
    workspace.conversions.WaitAll(platform);
    ReportFailedConversions(workspace);
  }

  TempFolder programs;
};

const FaultyProgram kFaultyPrograms[] = {
    {"is missing", nullptr},
    {"exits with an error", "cp \"$1\" \"$2\"; exit 2"},
    {"writes half a file and dies", "head -c 40 \"$1\" > \"$2\"; kill -9 $$"},
    {"hangs after writing half a file", "head -c 40 \"$1\" > \"$2\"; exec sleep 60"},
};

TEST_F(FaultyConverterTest, AFailedConversionToBinaryKeepsTheEarlierTargetAndIsReported) {
  WriteList("a.txt", SmallList(1));
  ASSERT_TRUE(Load("a.txt"));
  const std::string target = Path("out.vrk");
  for (const FaultyProgram& program : kFaultyPrograms) {
    SCOPED_TRACE(program.label);
    testing::WriteFile(target, "earlier file");
    Install(kToBinaryConverter, program.body);
    platform.messages.clear();
    const auto start = std::chrono::steady_clock::now();
    SaveAs(target);
    FinishConversions();
    // A hanging converter is stopped at its time limit, not waited for.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, kTitleNice);
    EXPECT_EQ(platform.messages[0].text, "Conversion failed: \r\n" + target);
    EXPECT_EQ(ReadFile(target), "earlier file");
    EXPECT_FALSE(Exists(PartialOutputName(target)));
  }
  // The tool keeps working: with a working converter the same save succeeds.
  InstallRealConverter(kToBinaryConverter);
  platform.messages.clear();
  SaveAs(target);
  FinishConversions();
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadFile(target), VrkOf(ReadFile(workspace.settings.text_file)));
}

TEST_F(FaultyConverterTest, AFailedConversionToTextLoadsNothingAndKeepsTheSource) {
  const std::string source = WriteList("a.vrk", VrkOf(SmallList(2)));
  const std::string text_form = workspace.settings.WorkPath("a.vrk.txt");
  for (const FaultyProgram& program : kFaultyPrograms) {
    SCOPED_TRACE(program.label);
    Install(kToTextConverter, program.body);
    platform.messages.clear();
    EXPECT_FALSE(Load("a.vrk"));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "LoadThisFile: File not found \r\n" + source + "\r\n" + text_form);
    EXPECT_FALSE(Exists(text_form));
    EXPECT_TRUE(workspace.loaded_files.empty());
    EXPECT_EQ(ReadFile(source), VrkOf(SmallList(2)));
  }
  InstallRealConverter(kToTextConverter);
  platform.messages.clear();
  EXPECT_TRUE(Load("a.vrk"));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadFile(text_form), SmallList(2));
}

TEST_F(FaultyConverterTest, AFailedConversionOfAMergedFileLeavesTheMainSetAsItWas) {
  WriteList("a.txt", SmallList(3));
  ASSERT_TRUE(Load("a.txt"));
  const std::size_t services = workspace.main_set.tv_services.size();
  const std::string source = WriteList("b.vrk", VrkOf(SmallList(4)));
  for (const FaultyProgram& program : kFaultyPrograms) {
    SCOPED_TRACE(program.label);
    Install(kToTextConverter, program.body);
    platform.messages.clear();
    workspace.settings.current_file = source;
    EXPECT_FALSE(MergeThisFile(workspace));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "MergeThisFile: File not found \r\n" + source);
    EXPECT_EQ(workspace.main_set.tv_services.size(), services);
    EXPECT_EQ(workspace.loaded_files.size(), 1u);
  }
  InstallRealConverter(kToTextConverter);
  workspace.settings.current_file = source;
  EXPECT_TRUE(MergeThisFile(workspace));
  EXPECT_GT(workspace.main_set.tv_services.size(), services);
}

// The real converters refuse a binary list that is cut short or damaged.
class DamagedVrkTest : public WorkspaceTest {};

TEST_F(DamagedVrkTest, ATruncatedOrCorruptListIsReportedAndTheNextLoadWorks) {
  const std::string good = VrkOf(SmallList(5));
  ASSERT_GT(good.size(), 64u);
  struct Case {
    const char* label;
    std::string bytes;
  };
  std::string flipped = good;
  flipped[good.size() / 2] = static_cast<char>(flipped[good.size() / 2] ^ 0x40);
  // The antenna block's record count, with a checksum that matches again.
  std::string huge_count = good;
  huge_count.replace(vrk::kHeaderSize + 4, 4, "\xff\xff\xff\x7f", 4);
  std::uint32_t crc = vrk::Crc32(std::string_view(huge_count).substr(0, good.size() - 4));
  for (std::size_t i = good.size() - 4; i < good.size(); ++i, crc >>= 8) {
    huge_count[i] = static_cast<char>(crc & 0xff);
  }
  const Case cases[] = {
      {"empty", ""},
      {"header only", good.substr(0, vrk::kHeaderSize)},
      {"cut in the middle", good.substr(0, good.size() / 2)},
      {"last byte missing", good.substr(0, good.size() - 1)},
      {"one byte changed", flipped},
      {"a count larger than the file", huge_count},
      {"text, not a list", "hello\r\n"},
  };
  const std::string name = Path("damaged.vrk");
  const std::string text_form = workspace.settings.WorkPath("damaged.vrk.txt");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    testing::WriteFile(name, c.bytes);
    platform.messages.clear();
    EXPECT_FALSE(Load("damaged.vrk"));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "LoadThisFile: File not found \r\n" + name + "\r\n" + text_form);
    EXPECT_EQ(ReadFile(name), c.bytes);  // the damaged file itself is left as it is
    EXPECT_FALSE(Exists(text_form));
    EXPECT_TRUE(workspace.main_set.antennas.empty());
  }
  testing::WriteFile(name, good);
  platform.messages.clear();
  EXPECT_TRUE(Load("damaged.vrk"));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(workspace.main_set.tv_services.empty());
}

}  // namespace
}  // namespace vsm
