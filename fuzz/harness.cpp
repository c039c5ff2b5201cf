#include "harness.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <stdexcept>
#include <system_error>

#include "broken_promise.h"
#include "format/conversions.h"
#include "format/reader.h"
#include "format/text_lines.h"
#include "generator/list_generator.h"
#include "merge/merge_driver.h"
#include "model/messages.h"
#include "model/workspace.h"
#include "platform/files.h"
#include "platform/null_platform.h"
#include "script/script_interpreter.h"
#include "session/session.h"
#include "split/sat_position_table.h"
#include "split/save_driver.h"
#include "split/split_per_antenna.h"
#include "split/split_per_provider.h"

namespace vsm::fuzz {
namespace fs = std::filesystem;

namespace {

void WriteWholeFile(const std::string& name, std::string_view content) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

const std::string& GeneratedList(int which) {
  static const std::string lists[] = {
      GenerateChannelListText({.services = 8, .antennas = 2, .first_antenna = 0, .seed = 7}),
      GenerateChannelListText({.services = 6, .antennas = 2, .first_antenna = 1, .seed = 8}),
  };
  return lists[which];
}

// A workspace in `folder` whose converters could not be started.
class QuietWorkspace {
 public:
  explicit QuietWorkspace(const std::string& folder) : workspace(platform, folder) {}
  NullPlatform platform;
  Workspace workspace;
};

// The engine's entries with their boxes shown, as the tool's operations do.
bool LoadFile(Workspace& workspace, const std::string& name) {
  BeginLoad(workspace, name);
  return workspace.Report(ReadListFile(workspace, name));
}

bool MergeFile(Workspace& workspace, const std::string& name) {
  return workspace.Report(MergeThisFile(workspace, name));
}

void SaveFile(Workspace& workspace, const std::string& name) {
  workspace.Report(SaveThisFile(workspace, name, Button::save));
}

void SetOptions(Options& options, unsigned char bits) {
  options.keep_pref_antennas = (bits & 1) != 0;
  options.remove_favorites = (bits & 2) != 0;
  options.remove_radios = (bits & 4) != 0;
  options.naming = static_cast<Naming>((bits >> 3) % 3);
  options.divide_fta_notfta = options.naming != Naming::keep_existing_names && (bits & 0x20) != 0;
}

bool DefaultOptions(const Options& options) {
  return !options.keep_pref_antennas && !options.remove_favorites && !options.remove_radios &&
         options.naming == Naming::keep_existing_names;
}

// Loads the text list `from` into a fresh workspace and saves it as `to`; false when it does not
// load.
bool LoadAndSave(const std::string& folder, const std::string& from, const std::string& to) {
  QuietWorkspace again(folder);
  if (!LoadFile(again.workspace, from)) return false;
  SaveFile(again.workspace, to);
  return true;
}

std::multiset<std::string_view> LinesOf(std::string_view text) {
  std::multiset<std::string_view> lines;
  LineCursor cursor(text);
  std::string_view line;
  while (cursor.Next(line)) lines.insert(line);
  return lines;
}

// A list saved as text loads back with the same records, and from then on saves unchanged. (The
// records may come back in another order once: a favourite is read as TV or radio by the first
// byte of its line, but written with its kind as a number, so a radio favourite whose kind column
// reads 0 without starting with "0" comes back among the TV favourites.)
void CheckSavedListLoadsBack(const std::string& folder, const std::string& saved) {
  const auto text = ReadWholeFile(saved);
  if (!text) return;  // nothing kept, nothing written
  const std::string resaved = folder + "resaved.txt";
  if (!LoadAndSave(folder, saved, resaved)) Broken("a saved list loads back");
  const auto again = ReadWholeFile(resaved);
  if (!again || LinesOf(*again) != LinesOf(*text)) Broken("a saved list loads back whole");
  const std::string resaved_twice = folder + "resaved_twice.txt";
  LoadAndSave(folder, resaved, resaved_twice);
  const auto twice = ReadWholeFile(resaved_twice);
  if (!twice || *twice != *again) Broken("a list saved from a saved list saves unchanged");
}

void SaveAndSplit(const std::string& folder, Workspace& workspace) {
  const Settings& settings = workspace.settings;
  // The preferred antennas are those of the list loaded last.
  std::error_code ignored;
  fs::copy_file(settings.WorkPath(kAntennaFileName), settings.KeepPath(kAntennaFileName),
                fs::copy_options::overwrite_existing, ignored);
  const std::string saved = folder + "saved.txt";
  fs::remove(saved, ignored);
  SaveFile(workspace, saved);
  SaveFile(workspace, folder + "saved");
  SplitPerAntenna(workspace, Button::split);
  SplitPerProvider(workspace, Button::split);
  workspace.conversions.WaitAll(workspace.platform);
  ReportFailedConversions(workspace);
  if (DefaultOptions(workspace.options)) CheckSavedListLoadsBack(folder, saved);
}

// The current folder for the time of one script run.
class CurrentFolderScope {
 public:
  explicit CurrentFolderScope(const std::string& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~CurrentFolderScope() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
  }
  CurrentFolderScope(const CurrentFolderScope&) = delete;
  CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

 private:
  fs::path previous_;
};

void CheckNoTemporariesLeft(const std::string& folder) {
  if (!LeftoverTemporaries(folder).empty()) Broken("no temporary file stays behind");
}

}  // namespace

FuzzFolder::FuzzFolder() {
  std::random_device random;
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = base / ("vsm-fuzz-" + std::to_string(random()));
    if (fs::create_directory(candidate)) {
      path_ = candidate.string() + kFolderSeparator;
      return;
    }
  }
  throw std::runtime_error("cannot create a folder for fuzzing");
}

FuzzFolder::~FuzzFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void FuzzFolder::Reset() const {
  for (const auto& entry : fs::directory_iterator(path_)) fs::remove_all(entry.path());
  for (const char* sub : {"VrkWork", "VrkKeep", "VrkResult"}) fs::create_directory(path_ + sub);
}

std::string ConfineScript(std::string_view text) {
  std::string confined;
  confined.reserve(text.size());
  for (const char c : text) {
    if (c == '/' || c == '\\') {
      confined += '_';
    } else if (c == '.' && !confined.empty() && confined.back() == '.') {
      confined += '_';
    } else {
      confined += c;
    }
  }
  return confined;
}

namespace {

bool IsLowerHex(std::string_view text) {
  return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// "<target>.<16 hexadecimal digits>.tmp"
bool IsWritersTemporary(const fs::directory_entry& entry, std::string_view name) {
  constexpr std::size_t kSuffixLength = 1 + 16 + 4;
  return entry.is_regular_file() && name.size() > kSuffixLength && name.ends_with(".tmp") &&
         name[name.size() - kSuffixLength] == '.' &&
         IsLowerHex(name.substr(name.size() - kSuffixLength + 1, 16));
}

// ".vsm<3 hexadecimal digits>"
bool IsStagingFolder(const fs::directory_entry& entry, std::string_view name) {
  return entry.is_directory() && !entry.is_symlink() && name.size() == 7 &&
         name.starts_with(".vsm") && IsLowerHex(name.substr(4));
}

}  // namespace

std::string LeftoverTemporaries(const std::string& folder) {
  std::string found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (IsWritersTemporary(entry, name) || IsStagingFolder(entry, name)) found += name + "\n";
  }
  return found;
}

void RunTextListInput(const FuzzFolder& folder, std::string_view bytes) {
  folder.Reset();
  const std::string input = folder.path() + "input.txt";
  const std::string generated = folder.path() + "generated.txt";
  WriteWholeFile(input, bytes);
  WriteWholeFile(generated, GeneratedList(0));
  const unsigned char option_bits = bytes.empty() ? 0 : static_cast<unsigned char>(bytes.back());
  {
    QuietWorkspace quiet(folder.path());
    Workspace& workspace = quiet.workspace;
    EnsureSatPositionFile(workspace);
    SetOptions(workspace.options, option_bits);
    if (LoadFile(workspace, input)) MergeFile(workspace, generated);
    SaveAndSplit(folder.path(), workspace);
  }
  {
    QuietWorkspace quiet(folder.path());
    Workspace& workspace = quiet.workspace;
    SetOptions(workspace.options, option_bits);
    LoadFile(workspace, generated);
    MergeFile(workspace, input);
    SaveAndSplit(folder.path(), workspace);
  }
  CheckNoTemporariesLeft(folder.path());
}

void RunScriptInput(const FuzzFolder& folder, std::string_view bytes) {
  folder.Reset();
  WriteWholeFile(folder.path() + kFirstList, GeneratedList(0));
  WriteWholeFile(folder.path() + kSecondList, GeneratedList(1));
  const std::string script = folder.path() + "script.txt";
  WriteWholeFile(script, std::string(kScriptHeader) + "\r\n" + ConfineScript(bytes));
  {
    CurrentFolderScope in_folder(folder.path());
    NullPlatform platform;
    Session session(platform, folder.path(), /*converter_folder=*/"");
    Workspace& workspace = session.workspace;
    EnsureSatPositionFile(workspace);
    workspace.Report(LoadThisFile(workspace, session.controls, script));
    workspace.conversions.WaitAll(platform);
    ReportFailedConversions(workspace);
  }
  CheckNoTemporariesLeft(folder.path());
}

}  // namespace vsm::fuzz
