#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/workspace.h"

namespace vsm {

// Reads `file` (a channel-list text form, a binary list, or a batch script) into the main set,
// which it empties first. `file` becomes current_file, and text_file names the text form read.
// True when the list was read; for a batch script, what the script interpreter returned
// (current_file names the script again afterwards).
bool LoadThisFile(Workspace& workspace, std::string file);

// The text form to read for a file.
struct PreparedTextForm {
  std::string file;               // "" when there is none
  std::string converter_failure;  // why the converter made none, for a binary file
};

// Names in text_file the text form to read for `file`: a ".txt" file is its own text form when
// its first line is "[MORVANE V3 FILE]" (there is none otherwise); any other file is converted
// into the work folder (Settings::TextFormOf). Nothing, after a message, when that text form
// cannot be written at all (its path is too long for the system).
std::optional<PreparedTextForm> PrepareTextForm(Workspace& workspace, const std::string& file);

// The three reading passes, over the text form held in `text`, into the chosen set.
void ReadAntennaAndTransponderSections(Workspace& workspace, SetId set, std::string_view text);
void ReadNetworkProviderMenuSections(Workspace& workspace, SetId set, std::string_view text);
void ReadServiceAndFavoriteSections(Workspace& workspace, SetId set, std::string_view text);
void ReadAllSections(Workspace& workspace, SetId set, std::string_view text);

// Shows the warning for an antenna about to be added to a list that already holds 32 or more;
// the antenna is added all the same.
void WarnWhenAntennasAreFull(Workspace& workspace, const RecordList<Antenna>& antennas,
                             std::string_view name);

// Record parsers: each appends one record to `list`, resolving its references in the lists
// given, which belong to the same set.
Antenna& ParseAntenna(Workspace& workspace, RecordList<Antenna>& list, std::string_view line);
void ParseTransponder(RecordList<Transponder>& list, const RecordList<Antenna>& antennas,
                      std::string_view line);
void ParseNetwork(RecordList<Network>& list, std::string_view line);
void ParseProvider(RecordList<Provider>& list, std::string_view line);
void ParseMenu(RecordList<Menu>& list, std::string_view line);
void ParseService(RecordList<Service>& list, const RecordList<Transponder>& transponders,
                  const RecordList<Provider>& providers, std::string_view line);
void ParseFavorite(Workspace& workspace, RecordList<Favorite>& list,
                   const RecordList<Service>& tv_services,
                   const RecordList<Service>& radio_services, std::string_view line);

// Column 13 of a "[SERVICE]" line.
std::string_view ServiceNameOf(std::string_view line);

// Placeholder service lines carry this name and are never read.
inline constexpr std::string_view kDummyServiceName = "Dummy Service";

// The antenna dump file in the work folder, and the preferred-antennas file in the keep folder.
inline constexpr const char* kAntennaFileName = "ANTENNA.txt";

// The first line of a file, or nothing when it cannot be read.
std::optional<std::string> ReadFirstLineOf(const std::string& name);

}  // namespace vsm
