#include "system_names.h"

#include <cerrno>

#include "platform/files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vsm::test_support {

std::string SystemFileName(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::wstring wide = path.filename().native();
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string name(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), name.data(), size,
                      nullptr, nullptr);
  return name;
#else
  return path.filename().string();
#endif
}

std::string SystemErrorText(SystemError error) {
#ifdef _WIN32
  SetLastError(error == SystemError::access_denied ? ERROR_ACCESS_DENIED
                                                   : ERROR_FILENAME_EXCED_RANGE);
#else
  errno = error == SystemError::access_denied ? EACCES : ENAMETOOLONG;
#endif
  return LastSystemError();
}

}  // namespace vsm::test_support
