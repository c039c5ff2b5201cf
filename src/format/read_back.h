#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vsm {

// How the list that a converted file reads back as differs from the text form it was made of.
// Both are read as lists and compared count by count, then record by record and field by field,
// not byte by byte, so that a converter that spells a number its own way is not refused. Nothing
// when they agree; else the first difference in the words of a box: "it reads back as 118 TV
// services instead of 120", "its TV service 12 reads back with another name".
std::optional<std::string> ReadBackDifference(std::string_view written, std::string_view read_back);

// The same for the text form `text_file` and the file `read_back` that the converter of its
// binary form back to text made; also when that file is no channel list.
std::optional<std::string> ReadBackFileDifference(const std::string& text_file,
                                                  const std::string& read_back);

}  // namespace vsm
