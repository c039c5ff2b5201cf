#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vsm::vrk {

// Exit statuses of the converter programs.
enum ExitStatus : int { kDone = 0, kUsageError = 1, kBadInput = 2, kCannotWrite = 3 };

// The two programs, given their arguments (without the program name): vrk2mvt SOURCE TEXT and
// mvt2vrk TEXT TARGET. A fault is one line on `errors` naming the file concerned; the target is
// then left as it was.
int RunVrkToText(const std::vector<std::string>& arguments, std::ostream& errors);
int RunTextToVrk(const std::vector<std::string>& arguments, std::ostream& errors);

}  // namespace vsm::vrk
