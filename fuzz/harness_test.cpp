// The fuzzing harness itself: its confinement of script names, the sealing of .vrk inputs, and a
// run of each entry on ordinary and odd inputs.

#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "converters/channel_tables.h"
#include "converters/vrk_binary.h"
#include "generator/list_generator.h"
#include "memory_targets.h"

namespace vsm::fuzz {
namespace {
namespace fs = std::filesystem;

std::string ReadAll(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

TEST(ConfineScript, LeavesNoSeparatorAndNoParentFolder) {
  for (const std::string text :
       {"load ../../etc/passwd", "save /tmp/x.txt", "merge ..\\..\\x.vrk", "save \\\\host\\share",
        "load ....//....//x", "load .../x", "save ~/.profile", "load C:\\Windows\\win.ini"}) {
    SCOPED_TRACE(text);
    const std::string confined = ConfineScript(text);
    EXPECT_EQ(confined.size(), text.size());
    EXPECT_EQ(confined.find_first_of("/\\"), std::string::npos);
    EXPECT_EQ(confined.find(".."), std::string::npos);
  }
  EXPECT_EQ(ConfineScript("load a.txt\r\nmerge b.txt\r\nsplit"),
            "load a.txt\r\nmerge b.txt\r\nsplit");
}

// A hostile script reaches only files inside its folder, and its plain names land there.
TEST(ConfineScript, AHostileScriptStaysInItsFolder) {
  const FuzzFolder outside;
  const FuzzFolder folder;
  const std::string secret = outside.path() + "secret.txt";
  std::ofstream(secret) << "[MORVANE V3 FILE]\r\n";
  const std::string parent_relative =
      "../" + fs::path(outside.path()).parent_path().filename().string();
  const std::string script = "load " + secret + "\r\n" +                 //
                             "load " + kFirstList + "\r\n" +             //
                             "save " + outside.path() + "x.txt\r\n" +    //
                             "save " + parent_relative + "/y.txt\r\n" +  //
                             "save ..\\z.txt\r\n" +                      //
                             "save kept.txt\r\n" +                       //
                             "split\r\n";
  RunScriptInput(folder, script);
  EXPECT_EQ(ReadAll(secret), "[MORVANE V3 FILE]\r\n");
  EXPECT_FALSE(fs::exists(outside.path() + "x.txt"));
  EXPECT_FALSE(fs::exists(outside.path() + "y.txt"));
  EXPECT_FALSE(fs::exists(fs::path(folder.path()).parent_path().parent_path() / "z.txt"));
  std::size_t outside_files = 0;
  for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(outside.path())) {
    ++outside_files;
  }
  EXPECT_EQ(outside_files, 1u);  // the secret only
  // The plain names were used inside the folder.
  EXPECT_TRUE(fs::exists(folder.path() + "kept.txt"));
  EXPECT_TRUE(fs::exists(folder.path() + "antenna_list.txt"));
  EXPECT_FALSE(fs::is_empty(folder.path() + "VrkWork"));
  // The current folder is given back.
  EXPECT_NE(fs::current_path().string() + "/", folder.path());
}

TEST(FuzzHarness, RunsEachEntryOnOrdinaryAndOddInputs) {
  const FuzzFolder folder;
  const std::string list =
      GenerateChannelListText({.services = 10, .antennas = 3, .first_antenna = 0, .seed = 3});
  const std::string odd_inputs[] = {
      "",
      std::string(5000, '\0'),
      "[MORVANE V3 FILE]",
      "[MORVANE V3 "
      "FILE]\r\n[ANTENNA]\r\n0\t0\t0\t0\t0\t0\t0\t0\t0\t..\r\n[TS]\r\n5\r\n[SERVICE]\r\n"
      "V\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t0\t-1\tx\r\n[FAVORITE]\r\n0\t0\t9\r\n",
  };
  // Each run saves and splits: the generated list at least is kept, whatever the input.
  const auto saved_and_split = [&] {
    return fs::exists(folder.path() + "saved.txt") &&
           fs::exists(folder.path() + "VrkWork/saved.vrk.txt") &&
           fs::exists(folder.path() + "antenna_list.txt") &&
           fs::exists(folder.path() + "provider_list.txt");
  };
  for (unsigned char options = 0; options < 64; options += 9) {
    RunTextListInput(folder, list + static_cast<char>(options));
    EXPECT_TRUE(saved_and_split()) << int{options};
  }
  for (const std::string& input : odd_inputs) {
    RunTextListInput(folder, input);
    EXPECT_TRUE(saved_and_split()) << input.size();
    RunScriptInput(folder, input);
    RunReaderInput(input);
    RunMergeInput(input);
    RunVrkInput(input);
  }
  const std::string other =
      GenerateChannelListText({.services = 6, .antennas = 2, .first_antenna = 2, .seed = 4});
  RunReaderInput(list);
  RunMergeInput(list + other);
  RunMergeInput(list + "\r\n" + other);
  RunScriptInput(folder,
                 "load a.txt\r\nmerge b.txt\r\nuse_antenna_names\r\nsave c\r\nsplit\r\n"
                 "split_into_providers true\r\nsplit\r\nload antenna_list.txt\r\n");
  EXPECT_TRUE(fs::exists(folder.path() + "provider_list.txt"));
  EXPECT_EQ(LeftoverTemporaries(folder.path()), "");
}

// Files a script names, or pieces of providers called so, may look like temporaries; only the
// shapes the tool gives its own are reported.
TEST(FuzzHarness, LeftoverTemporariesAreOnlyTheToolsOwnShapes) {
  const FuzzFolder folder;
  folder.Reset();
  for (const char* user_file : {".vsma.txs", ".vsm0a1", "old.tmp", "x.0123456789abcdeg.tmp"}) {
    std::ofstream(folder.path() + "VrkResult/" + user_file) << "kept";
  }
  fs::create_directory(folder.path() + ".vsm0a1x");
  fs::create_directory(folder.path() + "x.0123456789abcdef.tmp");
  EXPECT_EQ(LeftoverTemporaries(folder.path()), "");

  std::ofstream(folder.path() + "VrkWork/a.vrk.txt.0123456789abcdef.tmp") << "half";
  fs::create_directory(folder.path() + ".vsm9f0");
  const std::string found = LeftoverTemporaries(folder.path());
  EXPECT_NE(found.find("a.vrk.txt.0123456789abcdef.tmp\n"), std::string::npos) << found;
  EXPECT_NE(found.find(".vsm9f0\n"), std::string::npos) << found;
  EXPECT_EQ(std::count(found.begin(), found.end(), '\n'), 2) << found;
}

// Sealing lets a changed byte reach the sections: the file is refused for its checksum before,
// and decodes with the change after.
TEST(SealVrk, MakesLengthAndChecksumMatchTheBytes) {
  std::string fault;
  const auto tables = vrk::TablesFromText(
      GenerateChannelListText({.services = 4, .antennas = 1, .first_antenna = 0, .seed = 5}),
      fault);
  ASSERT_TRUE(tables);
  std::string bytes = vrk::EncodeVrk(*tables);
  const std::size_t name = bytes.find("Astra");
  ASSERT_NE(name, std::string::npos);
  bytes[name] = 'E';
  EXPECT_FALSE(vrk::DecodeVrk(bytes, fault));
  EXPECT_NE(fault.find("checksum"), std::string::npos) << fault;

  const auto sealed = vrk::DecodeVrk(SealVrk(bytes), fault);
  ASSERT_TRUE(sealed) << fault;
  EXPECT_EQ(sealed->Table(Section::antenna).Text(8, 0), "Estra");

  bytes.resize(bytes.size() - 9);  // cut into the last block: length and checksum made right,
  EXPECT_FALSE(vrk::DecodeVrk(SealVrk(bytes), fault));  // the block is still short
  EXPECT_EQ(SealVrk("VRKL\x01"), "VRKL\x01");           // too short to seal
}

}  // namespace
}  // namespace vsm::fuzz
