#pragma once

#include <string>
#include <string_view>

namespace vsm::fuzz {

// The in-memory entries: each hands its input straight to the code that parses it, in a
// workspace whose platform records nothing and starts no program. They open no file and write
// none, so they run thousands of inputs a second. Each aborts when a promise of the tool is
// broken.

// `bytes`, after the header line "[MORVANE V3 FILE]", as a channel-list text form read by the
// three section passes. Every record must refer only to records of its own set, and the list must
// read the same from the text form that the converters make of it (what a save as .vrk and a
// load of that file read), with the same warnings.
void RunReaderInput(std::string_view bytes);

// `bytes` cut into two lists at its first line, after the first, that is exactly
// "[MORVANE V3 FILE]" (the whole input twice when there is none). The first part is read as the
// loaded list, the second merged into it as a further file. A merge that is refused leaves the
// loaded list as it was; one that is done leaves every record referring only to records of the
// main set, every index renumbered, and the merged services after the loaded ones.
void RunMergeInput(std::string_view bytes);

// `bytes` as a .vrk file for vrk2mvt's decoder, once as it is and once with its length and
// checksum made right, so that changed bytes reach the sections instead of stopping at the
// checksum. A refused file must say why; a decoded file must come back the same after encoding
// it again, and its text form must read as the same list.
void RunVrkInput(std::string_view bytes);

// `bytes` with the length field and the checksum of a .vrk file set to match them (unchanged
// when too short to hold both).
std::string SealVrk(std::string_view bytes);

}  // namespace vsm::fuzz
