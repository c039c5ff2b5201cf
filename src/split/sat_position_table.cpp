#include "split/sat_position_table.h"

#include <array>
#include <string_view>

#include "platform/atomic_file.h"
#include "platform/files.h"

namespace vsm {
namespace {

// One row of the default table: the position in degrees east or west, and the satellite.
struct DefaultSatPosition {
  std::string_view degrees;
  char direction;  // 'E' or 'W'
  std::string_view satellite;
};

// The degree sign of Windows-1252, the code page of the channel lists.
constexpr char kDegreeSign = '\xB0';

constexpr std::array<DefaultSatPosition, 32> kDefaultRows{{
    {"19.2", 'E', "Astra"},
    {"13", 'E', "Hotbird"},
    {"16", 'E', "Eutelsat W2"},
    {"10", 'E', "Eutelsat W1"},
    {"7", 'E', "Eutelsat W3A"},
    {"5", 'E', "Sirius"},
    {"1", 'W', "Thor"},
    {"4", 'W', "Amos"},
    {"5", 'W', "Atl.Bird 3"},
    {"7", 'W', "Nilesat"},
    {"8", 'W', "Atl.Bird 2"},
    {"11", 'W', "Express 3A"},
    {"15", 'W', "Telstar 12"},
    {"18", 'W', "Intelsat 901"},
    {"22", 'W', "NSS 7"},
    {"27.5", 'W', "Intelsat 907"},
    {"30", 'W', "Hispasat"},
    {"40", 'E', "Express AM1"},
    {"34.5", 'W', "Intelsat 903"},
    {"37.5", 'W', "Telstar 11"},
    {"43", 'W', "Pas 3R"},
    {"45", 'E', "Europestar 1"},
    {"42", 'E', "Turksat"},
    {"36", 'E', "Sesat"},
    {"28.2", 'E', "Astra 2"},
    {"26", 'E', "Badr 3"},
    {"33", 'E', "E-bird"},
    {"23.5", 'E', "Astra 3A"},
    {"39", 'E', "Hellas sat 1"},
    {"24.5", 'W', "Intelsat 905"},
    {"12.5", 'W', "Atl. Bird 1"},
    {"21.5", 'E', "Eutelsat W6"},
}};

}  // namespace

std::string DefaultSatPositionTable() {
  std::string table;
  for (const DefaultSatPosition& row : kDefaultRows) {
    table += row.degrees;
    table += kDegreeSign;
    table += row.direction;
    table += '\t';
    table += row.satellite;
    table += "\r\n";
  }
  return table;
}

void EnsureSatPositionFile(Workspace& workspace) {
  const Settings& settings = workspace.settings;
  const std::string keep_folder = settings.start_folder + settings.keep_folder;
  CreateFolder(keep_folder.substr(0, keep_folder.size() - 1));
  const std::string table = settings.KeepPath(kSatPositionFileName);
  // The user's own table, even an empty or unreadable one, is left as it is.
  if (FileSize(table) || IsFolder(table)) return;
  WriteFileAtomically(table, DefaultSatPositionTable(), nullptr, AtomicFileWriter::Durability::disk,
                      AtLink::replace, &workspace.journal);
}

}  // namespace vsm
