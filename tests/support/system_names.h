#pragma once

#include <filesystem>
#include <string>

namespace vsm::test_support {

// The file part of `path` as the tool names it: the bytes of the name on Linux, the ANSI name on
// Windows (where std::filesystem would give UTF-8 instead).
std::string SystemFileName(const std::filesystem::path& path);

// The errors that a test provokes, with the system's code for each.
enum class SystemError { access_denied, name_too_long };
// The system's text for `error`, as the tool's messages give it (LastSystemError).
std::string SystemErrorText(SystemError error);

}  // namespace vsm::test_support
