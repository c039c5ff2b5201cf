// The journal of the tool's temporaries: what a killed run leaves in it reads back as what existed
// at the kill, whenever it came, and it stays small however many temporaries come and go.

#include "platform/temporary_journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "temp_folder.h"

namespace vsm {
namespace {

using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;
using Kind = JournalEntry::Kind;

void Append(const std::string& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

// A journal's record of a temporary file, with its end (a NUL) or cut short without it.
std::string FileRecord(const std::string& path, bool whole = true) {
  std::string record = "f";
  record += path;
  if (whole) record += '\0';
  return record;
}

TEST(TemporaryJournalTest, NamesWhatExistsAndSkipsARecordCutShort) {
  const TempFolder folder;
  const std::string file = folder / "journal";
  {
    TemporaryJournal journal;
    journal.RecordFile(folder / "before.tmp");  // not open yet: nothing
    ASSERT_TRUE(journal.Open(file));
    journal.RecordFile(folder / "a.tmp");
    journal.RecordFile(folder / "renamed.tmp");
    journal.RecordFolder(folder / ".vsm001");
    journal.RecordFolderMade(folder / ".vsm001", NodeId{7, 42});
    journal.RecordFolder(folder / ".vsm002");  // the run ended before it was made
    journal.Forget(folder / "renamed.tmp");
  }  // as a kill leaves it
  std::vector<JournalEntry> named{{Kind::folder, folder / ".vsm001", NodeId{7, 42}},
                                  {Kind::folder, folder / ".vsm002", std::nullopt},
                                  {Kind::file, folder / "a.tmp", std::nullopt}};
  EXPECT_EQ(TemporaryJournal::Read(file), named);
  // A record cut short by a kill; the copy that a kill while it was written anew left beside it.
  Append(file, FileRecord(folder / "cut.tmp", false));
  WriteFile(file + ".new", FileRecord(folder / "b.tmp") + FileRecord("relative.tmp"));
  named.push_back({Kind::file, folder / "b.tmp", std::nullopt});
  EXPECT_EQ(TemporaryJournal::Read(file), named);
  // Opened again, it names nothing.
  TemporaryJournal journal;
  ASSERT_TRUE(journal.Open(file));
  EXPECT_TRUE(TemporaryJournal::Read(file).empty());
}

TEST(TemporaryJournalTest, StaysSmallHoweverManyTemporariesComeAndGo) {
  const TempFolder folder;
  const std::string file = folder / "journal";
  TemporaryJournal journal;
  ASSERT_TRUE(journal.Open(file));
  journal.RecordFile(folder / "kept.tmp");
  const std::string temporary = folder / "piece.0123456789abcdef.tmp";
  for (std::size_t i = 0; i < 5 * TemporaryJournal::kRecordsBeforeRewrite; ++i) {
    journal.RecordFile(temporary);
    journal.Forget(temporary);
  }
  // At most one round of records besides what it names.
  EXPECT_LE(FileSize(file).value_or(0),
            (TemporaryJournal::kRecordsBeforeRewrite + 1) * (temporary.size() + 2));
  EXPECT_EQ(TemporaryJournal::Read(file),
            (std::vector<JournalEntry>{{Kind::file, folder / "kept.tmp", std::nullopt}}));
}

#ifndef _WIN32
// A journal that someone replaced by a link to their file is neither read nor written through.
TEST(TemporaryJournalTest, ALinkAtItsNameIsNeitherReadNorWrittenThrough) {
  const TempFolder folder;
  const std::string file = folder / "journal";
  const std::string records = FileRecord(folder / "theirs.0123456789abcdef.tmp");
  WriteFile(folder / "theirs", records);
  std::filesystem::create_symlink(folder / "theirs", file);
  EXPECT_TRUE(TemporaryJournal::Read(file).empty());
  TemporaryJournal journal;
  ASSERT_TRUE(journal.Open(file));
  journal.RecordFile(folder / "mine.tmp");
  EXPECT_FALSE(std::filesystem::is_symlink(file));
  EXPECT_EQ(ReadFile(folder / "theirs"), records);
}
#endif

}  // namespace
}  // namespace vsm
