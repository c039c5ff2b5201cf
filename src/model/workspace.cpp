#include "model/workspace.h"

#include <thread>

#include "platform/paths.h"

namespace vsm {

Workspace::Workspace(Platform& platform_in, std::string start_folder)
    : platform(platform_in), conversions(std::max(1u, std::thread::hardware_concurrency())) {
  settings.start_folder = WithTrailingSeparator(std::move(start_folder));
}

std::string CountText(const Workspace& workspace) {
  return "Tv " + std::to_string(workspace.main_set.tv_services.size()) + " , Radio " +
         std::to_string(workspace.main_set.radio_services.size());
}

}  // namespace vsm
