#include "platform/argument_quoting.h"

namespace vsm {

std::string QuoteArgument(std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos) {
    return std::string(argument);
  }
  // Backslashes are literal except in a run that ends at a quote: there each one must be doubled,
  // and the quote itself escaped. The closing quote counts too, so a trailing run is doubled.
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

std::string BuildCommandLine(std::string_view program, const std::vector<std::string>& arguments) {
  std::string command_line = QuoteArgument(program);
  for (const auto& argument : arguments) {
    command_line += ' ';
    command_line += QuoteArgument(argument);
  }
  return command_line;
}

}  // namespace vsm
