#pragma once

#include <filesystem>
#include <string>

namespace vsm::test_support {

// The file part of `path` as the tool names it: the bytes of the name on Linux, the ANSI name on
// Windows (where std::filesystem would give UTF-8 instead).
std::string SystemFileName(const std::filesystem::path& path);

}  // namespace vsm::test_support
