#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vsm {

// One argument quoted so that the Windows C runtime's command-line splitting gives it back
// unchanged: blanks, tabs and quotes inside, backslashes before a quote or at the end, and the
// empty argument all survive. An argument that needs none of this stays as it is.
std::string QuoteArgument(std::string_view argument);

// The command line that starts `program` with `arguments`, each quoted by QuoteArgument.
std::string BuildCommandLine(std::string_view program, const std::vector<std::string>& arguments);

}  // namespace vsm
