#include "system_names.h"

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

}  // namespace vsm::test_support
