#pragma once

#include <string>
#include <string_view>

#include "model/messages.h"
#include "model/workspace.h"
#include "platform/expected.h"

namespace vsm {

// The reader of channel lists: the text form (a ".txt" file whose first line is
// "[MORVANE V3 FILE]") and binary lists, which are converted into it first. A load goes in two
// steps, BeginLoad and ReadListFile, so that a batch script can be told apart in between (see
// LoadThisFile, which runs it).

// What a load does before it looks at `file`: the previous list and the loaded files are gone,
// whatever follows; the conversions that write `file` are waited for. `file` becomes current_file.
void BeginLoad(Workspace& workspace, const std::string& file);

// Whether `file` is a batch script: a ".txt" file whose first line is "[VRK_SPLIT_MERGE]".
bool IsBatchScript(const std::string& file);

// Reads the channel list `file` into the main set that BeginLoad emptied, and records it in
// loaded_files; text_file names the text form read. Not done, without a box, when the file cannot
// be opened; with the box that says why when it has no text form that is a channel list.
Outcome ReadListFile(Workspace& workspace, const std::string& file);

// Whose box a text form that cannot be read gives.
enum class Reading { load, merge };

// The text form of `file`, read whole: a ".txt" file is its own text form when its first line is
// "[MORVANE V3 FILE]"; any other file is converted into the work folder (Settings::TextFormOf),
// and text_file names it. The box of a load or a merge (`reading`) when there is none, or when it
// is no channel list; the box of a write that failed when its path is too long to be written.
Expected<std::string, Message> ReadTextForm(Workspace& workspace, const std::string& file,
                                            Reading reading);

// The three reading passes over the text form held in `text` (antennas and transponders;
// networks, providers and menus; services and favourites), into the chosen set.
void ReadAllSections(Workspace& workspace, SetId set, std::string_view text);

// Shows the warning for an antenna about to be added to a list that already holds 32 or more;
// the antenna is added all the same.
void WarnWhenAntennasAreFull(Workspace& workspace, const RecordList<Antenna>& antennas,
                             std::string_view name);

// Appends the antenna of an "[ANTENNA]" line to `list` (a preferred-antennas file holds such lines
// too).
Antenna& ParseAntenna(Workspace& workspace, RecordList<Antenna>& list, std::string_view line);

// Placeholder service lines carry this name and are never read.
inline constexpr std::string_view kDummyServiceName = "Dummy Service";

// The antenna dump file in the work folder, and the preferred-antennas file in the keep folder.
inline constexpr const char* kAntennaFileName = "ANTENNA.txt";

}  // namespace vsm
