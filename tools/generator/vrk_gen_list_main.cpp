// vrk-gen-list [--services N] [--antennas N] [--first-antenna N] [--seed N] OUTPUT
// Writes a made-up channel list in the text form.

#include <charconv>
#include <iostream>
#include <string>
#include <string_view>

#include "generator/list_generator.h"
#include "platform/atomic_file.h"

namespace {

constexpr const char* kUsage =
    "usage: vrk-gen-list [--services N] [--antennas N] [--first-antenna N] [--seed N] OUTPUT\n";

template <class Number>
bool ParseNumber(std::string_view text, Number& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// Fills `options` and `output` from the arguments; false on anything it does not understand.
bool ParseArguments(int argc, char** argv, vsm::ListGeneratorOptions& options,
                    std::string& output) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!argument.starts_with("--")) {
      if (!output.empty()) return false;
      output = argument;
      continue;
    }
    if (i + 1 >= argc) return false;
    const std::string_view value = argv[++i];
    const bool parsed = argument == "--services"        ? ParseNumber(value, options.services)
                        : argument == "--antennas"      ? ParseNumber(value, options.antennas)
                        : argument == "--first-antenna" ? ParseNumber(value, options.first_antenna)
                        : argument == "--seed"          ? ParseNumber(value, options.seed)
                                                        : false;
    if (!parsed) return false;
  }
  return !output.empty() && options.services >= 0 && options.antennas >= 1 &&
         options.antennas <= 32 && options.first_antenna >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  vsm::ListGeneratorOptions options;
  std::string output;
  if (!ParseArguments(argc, argv, options, output)) {
    std::cerr << kUsage;
    return 1;
  }
  std::string reason;
  if (!vsm::WriteFileAtomically(output, vsm::GenerateChannelListText(options), &reason,
                                vsm::AtomicFileWriter::Durability::disk, vsm::AtLink::follow,
                                /*journal=*/nullptr)) {
    std::cerr << "vrk-gen-list: " << output << ": cannot be written: " << reason << "\n";
    return 3;
  }
  return 0;
}
