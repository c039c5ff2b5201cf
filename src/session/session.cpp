#include "session/session.h"

#include "platform/paths.h"

namespace vsm {

Session::Session(Platform& platform, std::string start_folder, std::string converter_folder)
    : workspace(platform, std::move(start_folder)), controls(workspace) {
  if (!converter_folder.empty()) {
    workspace.settings.converter_folder = WithTrailingSeparator(std::move(converter_folder));
  }
}

}  // namespace vsm
