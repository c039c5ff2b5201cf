#include "model/workspace.h"

#include <thread>

#include "platform/paths.h"

namespace vsm {

Workspace::Workspace(Platform& platform_in, std::string start_folder)
    : platform(platform_in), conversions(std::max(1u, std::thread::hardware_concurrency())) {
  settings.start_folder = WithTrailingSeparator(std::move(start_folder));
}

void ClearMainSet(Workspace& workspace) {
  ChannelList& set = workspace.main_set;
  workspace.kept = {};
  set.antennas.Clear();
  set.transponders.Clear();
  set.providers.Clear();
  set.generated_providers.Clear();
  set.tv_services.Clear();
  set.radio_services.Clear();
  set.menus.Clear();
  set.networks.Clear();
  set.tv_favorites.Clear();
  set.radio_favorites.Clear();
  workspace.loaded_files.clear();
}

void ClearMergeSet(Workspace& workspace) {
  ChannelList& set = workspace.merge_set;
  set.antennas.Clear();
  set.transponders.Clear();
  set.providers.Clear();
  set.tv_services.Clear();
  set.radio_services.Clear();
  set.menus.Clear();
  set.networks.Clear();
  set.tv_favorites.Clear();
  set.radio_favorites.Clear();
}

std::string CountText(const Workspace& workspace) {
  return "Tv " + std::to_string(workspace.main_set.tv_services.size()) + " , Radio " +
         std::to_string(workspace.main_set.radio_services.size());
}

}  // namespace vsm
