// Folders that cannot take the tool's files, save targets that are folders or lie in missing
// folders, and scripts that name missing files. Each fault is reported with the file concerned,
// nothing is reported as done that was not done, no earlier file is destroyed, and the next
// operation works.
//
// A folder "that cannot be written" is made by putting a regular file in its place: the tests may
// run as root, for whom permission bits do not stop a write.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "format/conversions.h"
#include "format/reader.h"
#include "format/text_lines.h"
#include "generator/list_generator.h"
#include "merge/merge_driver.h"
#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "script/controls.h"
#include "script/script_interpreter.h"
#include "split/sat_position_table.h"
#include "split/save_driver.h"
#include "split/split_per_antenna.h"
#include "split/split_per_provider.h"
#include "workspace_fixture.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace vsm {
namespace {
namespace fs = std::filesystem;

using namespace test_support;

class FaultyFolderTest : public WorkspaceTest {
 protected:
  FaultyFolderTest() {
    WriteList("a.txt", GenerateChannelListText(
                           {.services = 12, .antennas = 2, .first_antenna = 0, .seed = 11}));
    WriteList("b.txt", GenerateChannelListText(
                           {.services = 8, .antennas = 2, .first_antenna = 2, .seed = 12}));
  }
  void SetUp() override {
    if (!IsRegularFile(ConverterPath(workspace.settings, kToBinaryConverter))) {
      GTEST_SKIP() << "the converters are not built beside the tests";
    }
  }

  // The working folder `folder` ("VrkWork/", ...) becomes a regular file.
  std::string BlockFolder(const std::string& folder) {
    const std::string name = workspace.settings.start_folder + folder.substr(0, folder.size() - 1);
    fs::remove_all(name);
    WriteFile(name, "not a folder");
    return name;
  }
  void UnblockFolder(const std::string& name) {
    fs::remove(name);
    fs::create_directory(name);
  }
  bool Save(const std::string& target) { return SaveList(workspace, target); }
  void FinishConversions() {
    workspace.conversions.WaitAll(platform);
    ReportFailedConversions(workspace);
  }
  // The one message shown since the last call starts with `start`.
  void ExpectOneMessageStartingWith(const std::string& start) {
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, "Nice....");
    EXPECT_EQ(platform.messages[0].text.substr(0, start.size()), start);
    platform.messages.clear();
  }
};

// A file that the user marked read-only (the read-only attribute on Windows, no write permission
// for its owner elsewhere) is refused, not replaced: a saved list, a split's script (the split
// then does not start, and the earlier pieces stay), a piece.
TEST_F(FaultyFolderTest, ReadOnlyFilesAreRefusedAndStayAsTheyAre) {
  ASSERT_TRUE(Load("a.txt"));
  const auto read_only = [](const std::string& file) {
    WriteFile(file, "earlier file");
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  };
  const auto expect_refused = [&](const std::string& file) {
    ExpectOneMessageStartingWith("Cannot write file \r\n" + file + "\r\nread-only");
    EXPECT_EQ(ReadFile(file), "earlier file") << file;
    EXPECT_EQ(workspace.left_undone, 1) << file;
    workspace.left_undone = 0;
  };
  for (const char* name : {"out.txt", "out.vrk"}) {
    read_only(Path(name));
    EXPECT_FALSE(Save(Path(name)));
    FinishConversions();
    expect_refused(Path(name));
  }
  const std::string piece =
      workspace.settings.ResultPath(std::string(workspace.main_set.antennas[0].name) + ".vrk");
  read_only(Path("antenna_list.txt"));
  WriteFile(piece, "earlier file");
  SplitPerAntenna(workspace, Button::split);
  expect_refused(Path("antenna_list.txt"));
  EXPECT_EQ(ReadFile(piece), "earlier file");

  fs::permissions(Path("antenna_list.txt"), fs::perms::owner_write, fs::perm_options::add);
  read_only(piece);
  SplitPerAntenna(workspace, Button::split);
  FinishConversions();
  expect_refused(piece);
}

// What the system says when a file is not there, and on Windows when another program holds it
// open without sharing.
#ifdef _WIN32
std::string SystemText(DWORD error) {
  char* text = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string reason = text != nullptr ? text : "";
  LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  return reason;
}
std::string NoSuchFileReason() { return SystemText(ERROR_FILE_NOT_FOUND); }
std::string InUseReason() { return SystemText(ERROR_SHARING_VIOLATION); }
#else
std::string NoSuchFileReason() { return std::strerror(ENOENT); }
#endif

#ifdef _WIN32

// Files that another program holds open without sharing: a load or a merge names the system's
// reason, a save to such a file and a split whose script it is are refused, and the file stays.
TEST_F(FaultyFolderTest, FilesHeldByAnotherProgramAreNamedWithTheSystemsReason) {
  const std::string reason = InUseReason();
  ASSERT_FALSE(reason.empty());
  ASSERT_TRUE(Load("a.txt"));
  WriteFile(Path("b.vrk"), "held");
  WriteFile(Path("antenna_list.txt"), "earlier script");
  std::vector<HANDLE> held;
  for (const char* name : {"b.txt", "b.vrk", "antenna_list.txt"}) {
    held.push_back(CreateFileA(Path(name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(held.back(), INVALID_HANDLE_VALUE) << name;
  }
  EXPECT_FALSE(MergeList(workspace, Path("b.txt")));
  ExpectOneMessageStartingWith("MergeThisFile: File not found \r\n" + Path("b.txt") + "\r\n" +
                               reason);
  EXPECT_FALSE(MergeList(workspace, Path("b.vrk")));
  ExpectOneMessageStartingWith("MergeThisFile: File not found \r\n" + Path("b.vrk") +
                               "\r\nvrk2mvt: " + Path("b.vrk") + ": cannot be read: " + reason);
  EXPECT_FALSE(Save(Path("b.txt")));
  ExpectOneMessageStartingWith("Cannot write file \r\n" + Path("b.txt") + "\r\n" + reason);
  SplitPerAntenna(workspace, Button::split);
  ExpectOneMessageStartingWith("Cannot write file \r\n" + Path("antenna_list.txt") + "\r\n" +
                               reason);
  EXPECT_TRUE(FolderEntries(workspace.settings.ResultPath("")).value().empty());
  for (HANDLE handle : held) CloseHandle(handle);
  EXPECT_EQ(ReadFile(Path("antenna_list.txt")), "earlier script");
}
#endif

TEST_F(FaultyFolderTest, AWorkFolderInTheWayIsReportedAndTheToolKeepsWorking) {
  const std::string work = BlockFolder(workspace.settings.work_folder);
  const std::string dump = workspace.settings.WorkPath(kAntennaFileName);

  // A text list loads; only its antenna dump cannot be written, and that is said.
  EXPECT_TRUE(Load("a.txt"));
  ExpectOneMessageStartingWith("Cannot write file \r\n" + dump + "\r\n");

  // A save as .vrk goes through the work folder: reported, not done, the old target kept.
  WriteFile(Path("out.vrk"), "earlier file");
  EXPECT_FALSE(Save(Path("out.vrk")));
  ExpectOneMessageStartingWith("Cannot write file \r\n" + workspace.settings.text_file + "\r\n");
  EXPECT_EQ(platform.caption(Button::save), "Save");
  EXPECT_TRUE(workspace.conversions.Idle());
  EXPECT_EQ(ReadFile(Path("out.vrk")), "earlier file");

  // A split counts no piece whose text form could not be written.
  SplitPerAntenna(workspace, Button::split);
  EXPECT_EQ(platform.caption(Button::split), "Split into 0 antennas");
  EXPECT_EQ(platform.messages.size(), 2u);  // one per antenna
  for (const auto& message : platform.messages) {
    EXPECT_NE(message.text.find(workspace.settings.work_folder), std::string::npos);
  }
  platform.messages.clear();
  EXPECT_EQ(ReadFile(work), "not a folder");

  UnblockFolder(work);
  EXPECT_TRUE(Save(Path("out.vrk")));
  FinishConversions();
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_NE(ReadFile(Path("out.vrk")), "earlier file");
}

TEST_F(FaultyFolderTest, AResultFolderInTheWayFailsEachConversionByName) {
  ASSERT_TRUE(Load("a.txt"));
  const std::string result = BlockFolder(workspace.settings.result_folder);
  SplitPerAntenna(workspace, Button::split);
  FinishConversions();
  ASSERT_EQ(platform.messages.size(), 2u);
  for (const auto& message : platform.messages) {
    EXPECT_EQ(message.title, "Nice....");
    EXPECT_EQ(message.text.rfind("Conversion failed: \r\n" + result + kFolderSeparator, 0), 0u)
        << message.text;
  }
  platform.messages.clear();
  UnblockFolder(result);
  SplitPerAntenna(workspace, Button::split);
  FinishConversions();
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(platform.caption(Button::split), "Split into 2 antennas");
  EXPECT_EQ(std::distance(fs::directory_iterator(result), fs::directory_iterator()), 2);
}

TEST_F(FaultyFolderTest, AKeepFolderInTheWayLeavesTheLabelsAndTheSaveWorks) {
  ASSERT_TRUE(Load("a.txt"));
  const std::string keep = BlockFolder(workspace.settings.keep_folder);
  workspace.options.naming = Naming::use_satellite_position;
  EXPECT_TRUE(Save(Path("out.txt")));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(FirstLine(ReadFile(Path("out.txt"))), "[MORVANE V3 FILE]");
  EXPECT_EQ(ReadFile(keep), "not a folder");
  // Preferred antennas that cannot be read keep every antenna, as if the option were off.
  workspace.options.keep_pref_antennas = true;
  EXPECT_TRUE(Save(Path("pref.txt")));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadFile(Path("pref.txt")), ReadFile(Path("out.txt")));
}

TEST_F(FaultyFolderTest, ASaveTargetThatIsAFolderIsReportedAndLeftAlone) {
  ASSERT_TRUE(Load("a.txt"));
  fs::create_directory(Path("dir.txt"));
  WriteFile(Path("dir.txt/inside"), "x");
  EXPECT_FALSE(Save(Path("dir.txt")));
  ExpectOneMessageStartingWith("Cannot write file \r\n" + Path("dir.txt") + "\r\nit is a folder");
  EXPECT_EQ(platform.caption(Button::save), "Save");

  // A .vrk target before its text form is written.
  fs::create_directory(Path("dir.vrk"));
  WriteFile(Path("dir.vrk/inside"), "x");
  EXPECT_FALSE(Save(Path("dir.vrk")));
  FinishConversions();
  ExpectOneMessageStartingWith("Cannot write file \r\n" + Path("dir.vrk") + "\r\nit is a folder");
  EXPECT_FALSE(Exists(workspace.settings.TextFormOf("dir.vrk")));
  EXPECT_EQ(ReadFile(Path("dir.txt/inside")), "x");
  EXPECT_EQ(ReadFile(Path("dir.vrk/inside")), "x");

  EXPECT_TRUE(Save(Path("fine.txt")));
  EXPECT_TRUE(platform.messages.empty());
}

#ifdef _WIN32
// A device name (NUL, CON, ...) names no file on Windows, whatever its folder and ending: a save to
// one is refused, and nothing is written.
TEST_F(FaultyFolderTest, ASaveToADeviceNameIsRefused) {
  ASSERT_TRUE(Load("a.txt"));
  for (const char* name : {"NUL.txt", "con.vrk"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Save(Path(name)));
    FinishConversions();
    ExpectOneMessageStartingWith("Cannot write file \r\n" + Path(name) + "\r\nnot a regular file");
  }
  EXPECT_TRUE(TemporariesIn(workspace.settings.start_folder, true).empty());
}
#endif

TEST_F(FaultyFolderTest, ATargetInAMissingFolderIsReportedAndLeavesNothingBehind) {
  ASSERT_TRUE(Load("a.txt"));
  const std::string text_target = Path("missing/out.txt");
  EXPECT_FALSE(Save(text_target));
  ExpectOneMessageStartingWith("Cannot write file \r\n" + text_target + "\r\n");

  const std::string binary_target = Path("missing/out.vrk");
  Save(binary_target);
  FinishConversions();
  ExpectOneMessageStartingWith("Conversion failed: \r\n" + binary_target);
  EXPECT_FALSE(Exists(Path("missing")));

  EXPECT_TRUE(Save(Path("out.vrk")));
  FinishConversions();
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(Exists(Path("out.vrk")));
}

// A split deletes the earlier pieces of its names first. One that stays (here a folder in its
// place, which no one may delete as a file, root neither) is reported, counted as undone, and its
// piece is not written and gets no script line: the script must not merge last week's piece.
TEST_F(FaultyFolderTest, AnEarlierPieceThatCannotBeDeletedIsReportedAndNotNamedByTheScript) {
  WriteList("one.txt", OneAntennaListText("Astra", 2));
  ASSERT_TRUE(Load("one.txt"));
  struct Case {
    bool per_provider;
    const char* piece;
    const char* script;
    const char* caption;
  };
  for (const Case& c : {Case{false, "Astra.vrk", "antenna_list.txt", "Split into 0 antennas"},
                        Case{true, "P.vrk", "provider_list.txt", "Split into 0 providers"}}) {
    SCOPED_TRACE(c.piece);
    const std::string piece = workspace.settings.ResultPath(c.piece);
    fs::create_directory(piece);
    WriteFile(piece + kFolderSeparator + "inside", "last week");
    platform.messages.clear();
    workspace.left_undone = 0;
    if (c.per_provider) {
      SplitPerProvider(workspace, Button::split);
    } else {
      SplitPerAntenna(workspace, Button::split);
    }
    FinishConversions();
    ExpectOneMessageStartingWith("Cannot write file \r\n" + piece + "\r\n");
    EXPECT_EQ(workspace.left_undone, 1);
    EXPECT_EQ(platform.caption(Button::split), c.caption);
    EXPECT_EQ(ReadFile(Path(c.script)).find(c.piece), std::string::npos);
    EXPECT_EQ(ReadFile(piece + kFolderSeparator + "inside"), "last week");
    fs::remove_all(piece);
  }
}

#ifndef _WIN32
// A start folder that someone else prepared may hold symbolic links at the names of the files that
// the tool makes itself. Each is replaced by the new file; what it leads to stays untouched, also
// a file that is not there yet.
struct PlantedLink {
  const char* label;
  const char* name;  // below the start folder
  std::function<void(Workspace&)> make_it;
};

void PrintTo(const PlantedLink& link, std::ostream* out) { *out << link.label; }

class PlantedLinkTest : public FaultyFolderTest, public testing::WithParamInterface<PlantedLink> {};

TEST_P(PlantedLinkTest, IsReplacedAndWhatItLeadsToStaysUntouched) {
  const TempFolder outside;
  const std::string victim = outside / "victim";
  const bool dangling = std::string(GetParam().label).starts_with("dangling");
  if (!dangling) WriteFile(victim, "someone else's file");
  WriteList("one.txt", OneAntennaListText("Astra", 2));
  ASSERT_TRUE(Load("one.txt"));
  const std::string planted = Path(GetParam().name);
  RemoveFile(planted);
  fs::create_symlink(victim, planted);
  GetParam().make_it(workspace);
  FinishConversions();
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0].text;
  if (dangling) {
    EXPECT_FALSE(Exists(victim));
  } else {
    EXPECT_EQ(ReadFile(victim), "someone else's file");
  }
  EXPECT_FALSE(fs::is_symlink(planted));
  EXPECT_TRUE(fs::is_regular_file(planted));
}

INSTANTIATE_TEST_SUITE_P(
    Links, PlantedLinkTest,
    testing::Values(
        PlantedLink{"antenna_dump", "VrkWork/ANTENNA.txt",
                    [](Workspace& w) { LoadList(w, w.settings.start_folder + "one.txt"); }},
        PlantedLink{"text_form_of_a_save", "VrkWork/out.vrk.txt",
                    [](Workspace& w) { SaveList(w, w.settings.start_folder + "out.vrk"); }},
        PlantedLink{"piece", "VrkResult/Astra.vrk",
                    [](Workspace& w) {
                      w.options.naming = Naming::use_antenna_names;  // keeps the earlier piece
                      SplitPerProvider(w, Button::split);
                    }},
        PlantedLink{"text_form_of_a_piece", "VrkWork/Astra.vrk.txt",
                    [](Workspace& w) {
                      w.options.naming = Naming::use_antenna_names;
                      SplitPerProvider(w, Button::split);
                    }},
        PlantedLink{"split_script", "antenna_list.txt",
                    [](Workspace& w) { SplitPerAntenna(w, Button::split); }},
        PlantedLink{"dangling_satellite_table", "VrkKeep/sat_position.txt",
                    [](Workspace& w) { EnsureSatPositionFile(w); }}),
    [](const auto& info) { return std::string(info.param.label); });
#endif

// Saves to files the user owns, as a text form or through the conversion to binary: a target
// reached through symbolic links, a target with its own permission bits and owner. Symbolic links
// and permission bits are POSIX matters; on Windows these tests do not run.
class OwnedTargetTest : public FaultyFolderTest, public testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links and POSIX permission bits";
#endif
    FaultyFolderTest::SetUp();
    if (!IsSkipped()) {
      ASSERT_TRUE(Load("a.txt"));
    }
  }
  std::string Named(const std::string& stem) const { return stem + GetParam(); }
  // Saves to `target` and waits for its conversion; every step must succeed.
  void SaveFully(const std::string& target) {
    EXPECT_TRUE(Save(target));
    FinishConversions();
    EXPECT_TRUE(platform.messages.empty()) << platform.messages.front().text;
    platform.messages.clear();
  }
  // The content of a saved list: a text form or a binary list.
  bool IsSavedList(const std::string& name) const {
    const std::string content = ReadFile(name);
    return content.starts_with(std::string(GetParam()) == ".txt" ? "[MORVANE V3 FILE]\r\n"
                                                                 : "VRKL");
  }
  std::vector<std::string> LeftOvers(const std::string& folder) const {
    return TemporariesIn(folder);
  }
};

INSTANTIATE_TEST_SUITE_P(TextAndBinary, OwnedTargetTest, testing::Values(".txt", ".vrk"),
                         [](const auto& info) { return std::string(info.param + 1); });

TEST_P(OwnedTargetTest, ASaveThroughASymbolicLinkWritesTheFileItLeadsTo) {
  fs::create_directory(Path("real"));
  const std::string mine = Path("real/" + Named("mine"));
  struct Case {
    const char* label;
    std::string link;
    std::string leads_to;  // as written in the link
    std::string written;   // the file the save must write
  };
  const Case cases[] = {
      {"relative link", Path(Named("link")), "real/" + Named("mine"), mine},
      {"absolute link", Path(Named("absolute")), mine, mine},
      {"link to a link", Path(Named("chain")), Named("link"), mine},
      {"link into a folder reached by a link", Path(Named("via")), "shortcut/" + Named("mine"),
       mine},
      {"link to a file not made yet", Path(Named("dangling")), "real/" + Named("new"),
       Path("real/" + Named("new"))},
  };
  fs::create_directory_symlink("real", Path("shortcut"));
  for (const Case& c : cases) fs::create_symlink(c.leads_to, c.link);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    WriteFile(mine, "earlier file");
    SaveFully(c.link);
    EXPECT_EQ(platform.caption(Button::save), "Saved " + std::string(FilePart(c.link)));
    ASSERT_TRUE(fs::is_symlink(c.link));
    EXPECT_EQ(fs::read_symlink(c.link).string(), c.leads_to);
    EXPECT_TRUE(IsSavedList(c.written));
    EXPECT_TRUE(LeftOvers(workspace.settings.start_folder).empty());
    EXPECT_TRUE(LeftOvers(Path("real")).empty());
  }
  // A link that leads back to itself names no file: reported with the name, nothing written.
  const std::string loop = Path(Named("loop"));
  fs::create_symlink(Named("loop"), loop);
  Save(loop);
  FinishConversions();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].text.find(" \r\n" + loop), std::string::npos);
  EXPECT_TRUE(fs::is_symlink(loop));
  EXPECT_TRUE(LeftOvers(workspace.settings.start_folder).empty());
}

#ifndef _WIN32
// A target that is no regular file (a FIFO, a device, or a link to one) is not replaced by one:
// the save is refused with the name and why, counted as undone, and the node stays. A .vrk target
// is refused before its text form is written, and again when its conversion has ended.
TEST_P(OwnedTargetTest, ATargetThatIsNoRegularFileIsRefusedAndStays) {
  const std::string fifo = Path(Named("fifo"));
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::vector<std::string> targets{fifo, Path(Named("to_fifo"))};
  fs::create_symlink(fifo, targets.back());
  // A device of the test's own (with the numbers of the null device), where the system lets one
  // be made: a save that went wrong must replace no device that others use.
  const std::string device = Path(Named("device"));
  const bool device_made = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  if (device_made) {
    targets.insert(targets.end(), {device, Path(Named("to_device"))});
    fs::create_symlink(device, targets.back());
  }
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    workspace.left_undone = 0;
    EXPECT_FALSE(Save(target));
    FinishConversions();
    ExpectOneMessageStartingWith("Cannot write file \r\n" + target + "\r\nnot a regular file");
    EXPECT_EQ(workspace.left_undone, 1);
    EXPECT_EQ(platform.caption(Button::save), "Save");
    EXPECT_FALSE(Exists(workspace.settings.TextFormOf(target)));
  }
  EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
  EXPECT_TRUE(fs::is_symlink(Path(Named("to_fifo"))));
  if (device_made) {
    EXPECT_EQ(fs::status(device).type(), fs::file_type::character);
  }
  EXPECT_TRUE(TemporariesIn(workspace.settings.start_folder, true).empty());
  if (std::string(GetParam()) != ".vrk") return;
  // A FIFO made while the conversion runs takes no converted file either.
  const std::string late = Path("late.vrk");
  EXPECT_TRUE(Save(late));
  ASSERT_EQ(mkfifo(late.c_str(), 0600), 0);
  FinishConversions();
  ExpectOneMessageStartingWith("Conversion failed: \r\n" + late + "\r\ncannot write file " + late +
                               ": not a regular file");
  EXPECT_EQ(fs::status(late).type(), fs::file_type::fifo);
}

// The permission bits of a file, in octal.
std::string OctalMode(const std::string& name) {
  struct stat status {};
  if (stat(name.c_str(), &status) != 0) return "missing";
  char text[8];
  std::snprintf(text, sizeof text, "%o", static_cast<unsigned>(status.st_mode & 07777));
  return text;
}

TEST_P(OwnedTargetTest, ASaveKeepsWhoMayReadTheList) {
  struct Case {
    const char* label;
    const char* mode;  // octal
    bool given_away;   // owned by another user (only root may do that; skipped otherwise)
  };
  const Case cases[] = {
      {"private", "600", false},
      {"shared with the group", "640", false},
      {"readable by all", "644", false},
      {"another user's", "640", true},
  };
  constexpr uid_t kOtherUser = 4321;
  constexpr gid_t kOtherGroup = 4322;
  const std::string target = Path(Named("kept"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.given_away && geteuid() != 0) continue;
    RemoveFile(target);
    WriteFile(target, "earlier file");
    fs::permissions(target, fs::perms(std::stoi(c.mode, nullptr, 8)));
    if (c.given_away) {
      ASSERT_EQ(chown(target.c_str(), kOtherUser, kOtherGroup), 0);
    }
    SaveFully(target);
    EXPECT_TRUE(IsSavedList(target));
    EXPECT_EQ(OctalMode(target), c.mode);
    struct stat status {};
    ASSERT_EQ(stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, c.given_away ? kOtherUser : geteuid());
    EXPECT_EQ(status.st_gid, c.given_away ? kOtherGroup : getegid());
  }
  // A new file gets the usual mode: 0666 less the umask.
  const std::pair<mode_t, const char*> masks[] = {
      {022, "644"}, {027, "640"}, {077, "600"}, {0, "666"}};
  for (const auto& [mask, mode] : masks) {
    SCOPED_TRACE(mode);
    RemoveFile(target);
    const mode_t before = umask(mask);
    SaveFully(target);
    umask(before);
    EXPECT_EQ(OctalMode(target), mode);
  }
}
#endif

// The temporary files beside `target` (regular files, never links).
std::vector<std::string> TemporariesOf(const std::string& target) {
  std::vector<std::string> names;
  const fs::path path(target);
  const std::string prefix = path.filename().string() + ".";
  for (const auto& entry : fs::directory_iterator(path.parent_path())) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(prefix) && name.ends_with(".tmp") && !entry.is_symlink()) {
      names.push_back(name);
    }
  }
  return names;
}

// A temporary file is made anew under a name that no one can tell beforehand, and while it is
// written only its owner may read it: nothing planted beside the target receives the list. The
// target keeps its content until the commit, and a writer that ends without one leaves no trace.
TEST(AtomicFileWriterTest, WritesAPrivateUnforeseeableTemporaryThatOnlyACommitPutsInPlace) {
  TempFolder folder;
  const std::string target = folder / "list.txt";
  alignas(AtomicFileWriter) unsigned char place[sizeof(AtomicFileWriter)];
#ifndef _WIN32
  // A link planted where a name made of the process number and the writer's address would be.
  const std::string victim = folder / "victim";
  WriteFile(victim, "victim");
  fs::create_symlink(victim, target + "." + std::to_string(getpid()) + "-" +
                                 std::to_string(reinterpret_cast<std::uintptr_t>(place)) + ".tmp");
#endif
  std::vector<std::string> names;
  WriteFile(target, "earlier");
  for (const char* content : {"first", "second", "third"}) {
    // The same process and the same place in memory each time.
    auto* writer =
        new (place) AtomicFileWriter(target, Durability::cache, AtLink::replace, nullptr);
    writer->Write(content);
    writer->WriteLine(" and more");
    EXPECT_EQ(ReadFile(target), "earlier");
    const auto temporaries = TemporariesOf(target);
    EXPECT_EQ(temporaries.size(), 1u);
    if (!temporaries.empty()) {
      names.push_back(temporaries.front());
#ifndef _WIN32
      EXPECT_EQ(OctalMode(folder / temporaries.front()), "600");
#endif
    }
    EXPECT_TRUE(writer->Commit()) << writer->error();
    writer->~AtomicFileWriter();
    EXPECT_EQ(ReadFile(target), std::string(content) + " and more\r\n");
    WriteFile(target, "earlier");
  }
  // A writer that ends without a commit leaves the target as it was and no temporary file.
  { AtomicFileWriter(target, Durability::cache, AtLink::replace, nullptr).Write("lost"); }
  EXPECT_EQ(ReadFile(target), "earlier");
  EXPECT_TRUE(TemporariesOf(target).empty());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::unique(names.begin(), names.end()) - names.begin(), 3);
  EXPECT_FALSE(fs::is_symlink(target));
#ifndef _WIN32
  EXPECT_EQ(ReadFile(victim), "victim");
#endif
}

// A staging folder is removed through the handle that it is held by from when it is made: one who
// moves it away and puts a folder of the user's, or a link to one, at its name meanwhile has
// nothing of the user's removed. On Windows no one can move it while it is held.
TEST(StagingFolderTest, RemovesItsOwnFolderWhateverTookItsPlace) {
  for (const bool link : {false, true}) {
    SCOPED_TRACE(link ? "a link in its place" : "a folder in its place");
    TempFolder folder;
    fs::create_directory(folder / "victim");
    WriteFile(folder / "victim/mine.txt", "the user's");
    std::string staged;
    bool swapped = false;
    {
      auto staging = StagingFolder::Make(folder / "out.vrk", "out.vrk", nullptr);
      ASSERT_TRUE(staging) << staging.error();
      staged = fs::path(staging->file()).parent_path().string();
      // What a converter may leave: its file, a folder of its own, a link (never followed).
      WriteFile(staging->file(), "converted");
      fs::create_directory(staged + "/made");
      WriteFile(staged + "/made/part", "converted");
      std::error_code error;
      fs::create_directory_symlink(folder / "victim", staged + "/link", error);
      fs::rename(staged, folder / "moved", error);
      swapped = !error;
      if (swapped && link) fs::create_directory_symlink(folder / "victim", staged);
      if (swapped && !link) fs::rename(folder / "victim", staged);
    }
#ifdef _WIN32
    EXPECT_FALSE(swapped);
#endif
    const std::string users = swapped && !link ? staged : folder / "victim";
    EXPECT_EQ(ReadFile(users + kFolderSeparator + "mine.txt"), "the user's");
    EXPECT_EQ(fs::exists(fs::symlink_status(staged)), swapped && !link);
    if (swapped) {
      EXPECT_TRUE(fs::is_empty(folder / "moved"));
    }
  }
}

// Windows takes paths of at most 259 characters, and a file is written under its name and 21
// more (".<16 hex digits>.tmp"). The count is of the whole path: a relative name's includes the
// current folder.
TEST(PathLimitTest, ATargetIsTooLongWhenItsTemporaryNameIs) {
  test_support::TempFolder folder;
  const std::string fits = folder / std::string(259 - 21 - folder.path().size(), 'n');
  EXPECT_EQ(PathTooLongToWrite(fits, 259), std::nullopt);
  EXPECT_EQ(PathTooLongToWrite(fits + "x", 259),
            "The path is too long: 260 characters while it is written, 259 at most.");
  EXPECT_EQ(PathTooLongToWrite(fits + "x", std::nullopt), std::nullopt);  // no limit: Linux
  const std::size_t whole = WithTrailingSeparator(CurrentFolder()).size() + 8;
  EXPECT_EQ(PathTooLongToWrite("list.txt", whole + 21), std::nullopt);
  EXPECT_NE(PathTooLongToWrite("list.txt", whole + 20), std::nullopt);
}

#ifdef _WIN32
// Below a start folder of 230 characters: every file whose path Windows cannot take while it is
// written is reported as a write that failed, with the file and the length, and nothing of it is
// written; what fits is written.
TEST_F(FaultyFolderTest, FilesWhosePathsWindowsCannotTakeAreReportedAndNotWritten) {
  Settings& settings = workspace.settings;
  settings.start_folder = test_support::MakeDeepFolder(folder.path(), 230);
  const std::string start = settings.start_folder;
  for (const char* sub : {"VrkWork", "VrkKeep", "VrkResult"})
    ASSERT_TRUE(CreateFolder(start + sub));
  const auto expect_one_failure = [&](const std::string& file, int length) {
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Cannot write file \r\n" + file +
                                             "\r\nThe path is too long: " + std::to_string(length) +
                                             " characters while it is written, 259 at most.");
    platform.messages.clear();
  };

  // The antenna dump of a load: 230 + "VrkWork\ANTENNA.txt" + 21.
  EXPECT_TRUE(Load("a.txt"));
  expect_one_failure(start + "VrkWork\\ANTENNA.txt", 270);

  // Saves: a text list is its own target, a binary one is converted in a staging folder beside it.
  EXPECT_TRUE(Save(start + "a.txt"));  // 256
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(Save(start + "abcdefghi.txt"));
  expect_one_failure(start + "abcdefghi.txt", 264);
  EXPECT_EQ(platform.caption(Button::save), "Save");
  EXPECT_FALSE(Save(start + "a.vrk"));
  expect_one_failure(start + "a.vrk", 264);
  EXPECT_FALSE(Exists(start + "VrkWork\\a.vrk.txt"));  // not half written: no text form either
  EXPECT_TRUE(workspace.conversions.Idle());

  // The text form of a binary list that is loaded or merged: no converter is started.
  test_support::WriteFile(start + "bb.vrk", "a binary list");
  EXPECT_FALSE(MergeList(workspace, start + "bb.vrk"));
  expect_one_failure(start + "VrkWork\\bb.vrk.txt", 269);
  EXPECT_EQ(workspace.loaded_files.size(), 1u);
  EXPECT_FALSE(LoadList(workspace, start + "bb.vrk"));
  expect_one_failure(start + "VrkWork\\bb.vrk.txt", 269);

  // A split's script: at once, without the five tries a second apart.
  ASSERT_TRUE(Load("a.txt"));
  platform.messages.clear();
  platform.sleeps.clear();
  SplitPerAntenna(workspace, Button::split);
  expect_one_failure(start + "antenna_list.txt", 267);
  EXPECT_TRUE(platform.sleeps.empty());

  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(start)) {
    if (entry.is_regular_file()) files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"a.txt", "bb.vrk"}));

  // A saved binary list is also read back in a staging folder of the work folder: 218 +
  // "VrkWork\.vsm000\a.vrk.txt" + 21, while its text form (256) and its output (252) fit.
  settings.start_folder = test_support::MakeDeepFolder(folder.path(), 218);
  ASSERT_TRUE(CreateFolder(settings.start_folder + "VrkWork"));
  EXPECT_FALSE(Save(settings.start_folder + "a.vrk"));
  expect_one_failure(settings.start_folder + "a.vrk", 264);
  EXPECT_TRUE(workspace.conversions.Idle());
}
#endif

TEST_F(FaultyFolderTest, AScriptNamingMissingFilesReportsEachAndGoesOn) {
  Controls controls(workspace);
  WriteList("job.txt", BatchScript({"load " + Path("gone.txt"), "load " + Path("a.txt"),
                                    "merge " + Path("gone.vrk"), "merge " + Path("lost.txt"),
                                    "merge " + Path("b.txt"), "save " + Path("out.txt")}));
  EXPECT_TRUE(workspace.Report(LoadThisFile(workspace, controls, Path("job.txt"))));
  // A load line whose file cannot be opened names it in status field 0, in the box that the Load
  // button shows, and leaves the caption "Load"; a merge line names it in a box of its own.
  const auto& statuses = platform.status_history;
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "0:gone"), statuses.end());
  EXPECT_EQ(platform.caption_history.front(), "load_button:Load");
  ASSERT_EQ(platform.messages.size(), 3u);
  EXPECT_EQ(platform.messages[0].title, "Nice....");
  EXPECT_EQ(platform.messages[0].text,
            "LoadFile: No file specified or found.\r\n" + Path("gone.txt"));
  EXPECT_EQ(platform.messages[1].text, "MergeThisFile: File not found \r\n" + Path("gone.vrk") +
                                           "\r\nvrk2mvt: " + Path("gone.vrk") +
                                           ": cannot be read: " + NoSuchFileReason());
  EXPECT_EQ(platform.messages[2].text, "MergeThisFile: File not found \r\n" + Path("lost.txt"));
  ASSERT_EQ(workspace.loaded_files.size(), 2u);
  EXPECT_EQ(workspace.loaded_files[0].path, Path("a.txt"));
  EXPECT_EQ(workspace.loaded_files[1].path, Path("b.txt"));
  EXPECT_EQ(platform.caption(Button::save), "Saved out.txt");
  EXPECT_EQ(FirstLine(ReadFile(Path("out.txt"))), "[MORVANE V3 FILE]");
}

}  // namespace
}  // namespace vsm
