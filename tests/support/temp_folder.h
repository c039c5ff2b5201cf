#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vsm::test_support {

// A fresh folder for one test, removed with everything in it at the end; made in `base`, or in
// the system's folder for temporary files.
class TempFolder {
 public:
  explicit TempFolder(const std::string& base = "");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, ending in the separator.
  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + std::string(name); }

 private:
  std::string path_;
};

// A folder below `base` (a folder ending in the separator) whose name, with its separator at the
// end, is `length` characters long; made of folders of at most 40 characters, which it creates.
std::string MakeDeepFolder(const std::string& base, std::size_t length);

// The tool's temporaries in `folder` (and the folders below it, with `below`), one name each:
// the files of its writers ("<name>.<16 hex digits>.tmp") and the staging folders of its
// conversions (".vsm" and three hexadecimal digits).
std::vector<std::string> TemporariesIn(const std::string& folder, bool below = false);

// Whole-file helpers for tests.
void WriteFile(const std::string& name, std::string_view content);
std::string ReadFile(const std::string& name);  // "" when missing
bool Exists(const std::string& name);

// An expected text kept byte for byte in tests/golden/<name>. The build copies those files into
// golden/ beside the test programs, where they are read, so that a test program run elsewhere (a
// cross-built one under wine) finds them too. A missing file fails the test.
std::string Golden(std::string_view name);

}  // namespace vsm::test_support
