#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "platform/files.h"
#include "platform/paths.h"

namespace vsm::test_support {

TempFolder::TempFolder(const std::string& base) {
  std::random_device random;
  const auto in =
      base.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(base);
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = in / ("vsm-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate.string() + kFolderSeparator;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string MakeDeepFolder(const std::string& base, std::size_t length) {
  if (base.size() + 2 > length) throw std::invalid_argument("no room for a deeper folder");
  std::string folder = base;
  while (folder.size() < length) {
    const std::size_t left = length - folder.size();
    // Each folder takes its name and a separator; the last one takes all that is left.
    folder += std::string(left > 41 + 2 ? 40 : left - 1, 'd') + kFolderSeparator;
    std::filesystem::create_directory(folder);
  }
  return folder;
}

namespace {

bool IsTemporaryName(const std::string& name) {
  static const std::regex kWriters(".*\\.[0-9a-f]{16}\\.tmp");
  static const std::regex kStagingFolders("\\.vsm[0-9a-f]{3}");
  return std::regex_match(name, kWriters) || std::regex_match(name, kStagingFolders);
}

}  // namespace

std::vector<std::string> TemporariesIn(const std::string& folder, bool below) {
  std::vector<std::string> names;
  const auto add = [&names](const std::filesystem::directory_entry& entry) {
    const std::string name = entry.path().filename().string();
    if (IsTemporaryName(name)) names.push_back(name);
  };
  if (below) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) add(entry);
  } else {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) add(entry);
  }
  return names;
}

void WriteFile(const std::string& name, std::string_view content) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool Exists(const std::string& name) { return std::filesystem::exists(name); }

std::string Golden(std::string_view name) {
  const std::string file = ExecutableFolder() + "golden/" + std::string(name);
  const auto text = ReadWholeFile(file);
  if (!text) ADD_FAILURE() << "cannot read the expected text " << file;
  return text.value_or("");
}

}  // namespace vsm::test_support
