#pragma once

#include <string>
#include <vector>

#include "model/channel_list.h"
#include "model/messages.h"
#include "model/settings.h"
#include "platform/platform.h"
#include "platform/program_queue.h"
#include "platform/temporary_journal.h"

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
  // The temporaries that exist, which start-up opens once it holds the lock on the start folder;
  // before that it records nothing. Declared before the conversions, whose staging folders it
  // names.
  TemporaryJournal journal;
  ProgramQueue conversions;
  bool script_running = false;

  // How often something the session was asked to read, merge, write or convert was not done:
  // a run without a window ends with its own status when it is not 0.
  int left_undone = 0;

  ChannelList& Set(SetId id) { return id == SetId::main ? main_set : merge_set; }
  // Shows a box; one that says something was not done counts in left_undone.
  void Show(const Message& message) {
    if (message.undone) ++left_undone;
    platform.ShowMessage(message.title, message.text);
  }
  // Shows the box of an outcome that was not done, if it has one; true when it was done.
  bool Report(const Outcome& outcome) {
    if (!outcome && outcome.error()) Show(*outcome.error());
    return outcome.has_value();
  }
};

// "Tv n , Radio m" for the main set.
std::string CountText(const Workspace& workspace);

}  // namespace vsm
