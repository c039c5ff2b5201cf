#pragma once

#include <cstdint>
#include <string>

#include "platform/paths.h"

namespace vsm {

// How the providers of a saved list or a piece are named.
enum class Naming : std::uint8_t {
  keep_existing_names = 0,
  use_satellite_position = 1,
  use_antenna_names = 2,
};

// The options that the check boxes and option buttons set (and the script's option keywords).
struct Options {
  bool keep_pref_antennas = false;
  bool split_into_providers = false;
  bool remove_favorites = false;
  bool remove_radios = false;
  Naming naming = Naming::keep_existing_names;
  bool divide_fta_notfta = false;  // never set while existing names are kept
};

inline constexpr const char* kSplitPerAntennaCaption = "Split per antenna";
inline constexpr const char* kSplitPerProviderCaption = "Split per provider";

// Working values shared by every operation. Folder names end in the platform's separator.
struct Settings {
  std::string start_folder;  // base of every path the tool builds
  std::string work_folder = std::string("VrkWork") + kFolderSeparator;
  std::string keep_folder = std::string("VrkKeep") + kFolderSeparator;
  std::string result_folder = std::string("VrkResult") + kFolderSeparator;
  // The folder the converter programs are taken from: the one --converters names, else the
  // tool's own folder; never the start folder, where anyone who prepared it could have put one.
  std::string converter_folder;
  // The file that the last load, merge or save worked on (a save's name as completed), or the
  // last piece a split took; messages name it. The engine entries set it from their argument.
  std::string current_file;
  std::string text_file;          // the text form actually read or written for current_file
  std::string converter_command;  // display text of the last converter started
  std::string split_caption = kSplitPerAntennaCaption;
  int converter_timeout_seconds = 120;  // a conversion to text that takes longer is stopped
  int background_conversion_timeout_seconds = 120;  // the same for a conversion to binary

  std::string WorkPath(std::string_view file) const {
    return start_folder + work_folder + std::string(file);
  }
  std::string KeepPath(std::string_view file) const {
    return start_folder + keep_folder + std::string(file);
  }
  std::string ResultPath(std::string_view file) const {
    return start_folder + result_folder + std::string(file);
  }
  // Where the text form of a binary list goes: its file part with ".txt" added, in the work folder.
  std::string TextFormOf(std::string_view file) const {
    return WorkPath(std::string(FilePart(file)) + ".txt");
  }
};

}  // namespace vsm
