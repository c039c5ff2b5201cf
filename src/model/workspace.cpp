#include "model/workspace.h"

#include <algorithm>
#include <thread>

#include "platform/paths.h"

namespace vsm {

namespace {

// A conversion spends most of its time waiting until its file and folder are on the disk, which
// needs no processor: two conversions per processor keep the processors busy meanwhile.
std::size_t ConversionsAtOnce() {
  return std::size_t{2} * std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace

Workspace::Workspace(Platform& platform_in, std::string start_folder)
    : platform(platform_in), conversions(ConversionsAtOnce(), &journal) {
  settings.start_folder = WithTrailingSeparator(std::move(start_folder));
}

std::string CountText(const Workspace& workspace) {
  return "Tv " + std::to_string(workspace.main_set.tv_services.size()) + " , Radio " +
         std::to_string(workspace.main_set.radio_services.size());
}

}  // namespace vsm
