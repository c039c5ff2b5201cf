#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/channel_list.h"
#include "model/settings.h"
#include "platform/platform.h"
#include "platform/program_queue.h"

namespace vsm {

// The records that the last marking pass kept for the writer, each chain in list order. Listed
// rather than linked through the records: a piece of a split is written without walking the
// whole lists, and the records are fetched from memory without each waiting for the one before.
struct KeptChains {
  std::vector<Transponder*> transponders;  // those of the selected antennas
  std::vector<Service*> tv_services;
  std::vector<Service*> radio_services;
  std::vector<Provider*> providers;     // those marked `used` in the provider list written
  std::vector<Favorite*> tv_favorites;  // those of the kept services
  std::vector<Favorite*> radio_favorites;
};

// Start of the run whose duration a split reports.
struct RunTimer {
  std::chrono::steady_clock::time_point start{};
  std::chrono::steady_clock::time_point end{};
};

// All state of one tool session: the two sets, the options and working values, and the platform
// through which the engine reaches the outside world. Every entry of the engine takes it.
class Workspace {
 public:
  Workspace(Platform& platform, std::string start_folder);
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  Platform& platform;
  ChannelList main_set;
  ChannelList merge_set;
  std::vector<LoadedFile> loaded_files;
  Options options;
  Settings settings;
  KeptChains kept;
  RunTimer run_timer;
  ProgramQueue conversions;
  bool script_running = false;
  // Runs the batch script `script`; installed by the script interpreter.
  std::function<bool(Workspace&, const std::string& script)> run_script;

  // How often something the session was asked to read, merge, write or convert was not done:
  // a run without a window ends with its own status when it is not 0.
  int left_undone = 0;

  ChannelList& Set(SetId id) { return id == SetId::main ? main_set : merge_set; }
  // A box about the data (a warning, a row of the satellite table, a preferred antenna).
  void ShowMessage(std::string_view title, std::string_view text) {
    platform.ShowMessage(title, text);
  }
  // A box that says a file was not read, merged, written or converted.
  void ReportUndone(std::string_view title, std::string_view text) {
    ++left_undone;
    platform.ShowMessage(title, text);
  }
};

// "Tv n , Radio m" for the main set.
std::string CountText(const Workspace& workspace);

}  // namespace vsm
