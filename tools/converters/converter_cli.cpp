#include "converters/converter_cli.h"

#include <functional>
#include <optional>

#include "converters/vrk_binary.h"
#include "platform/atomic_file.h"
#include "platform/files.h"

namespace vsm::vrk {
namespace {

// Turns the content of the source into the content of the target, or sets the fault.
using Conversion = std::function<std::optional<std::string>(std::string_view, std::string&)>;

int RunConversion(std::string_view program, const std::vector<std::string>& arguments,
                  std::ostream& errors, const Conversion& convert,
                  AtomicFileWriter::Durability durability) {
  if (arguments.size() != 2) {
    errors << "usage: " << program << " SOURCE TARGET\n";
    return kUsageError;
  }
  const std::string& source = arguments[0];
  const std::string& target = arguments[1];
  const auto input = ReadWholeFile(source);
  if (!input) {
    errors << program << ": " << source << ": cannot be read: " << input.error() << "\n";
    return kBadInput;
  }
  std::string fault;
  const auto output = convert(*input, fault);
  if (!output) {
    errors << program << ": " << source << ": " << fault << "\n";
    return kBadInput;
  }
  std::string reason;
  // The target is the user's name, when the program is run by hand: a link there is followed.
  if (!WriteFileAtomically(target, *output, &reason, durability, AtLink::follow,
                           /*journal=*/nullptr)) {
    errors << program << ": " << target << ": cannot be written: " << reason << "\n";
    return kCannotWrite;
  }
  return kDone;
}

std::optional<std::string> VrkToText(std::string_view bytes, std::string& fault) {
  const auto tables = DecodeVrk(bytes, fault);
  if (!tables) return std::nullopt;
  return TextFromTables(*tables);
}

std::optional<std::string> TextToVrk(std::string_view text, std::string& fault) {
  const auto tables = TablesFromText(text, fault);
  if (!tables) return std::nullopt;
  return EncodeVrk(*tables);
}

}  // namespace

int RunVrkToText(const std::vector<std::string>& arguments, std::ostream& errors) {
  // The text form is an intermediate file that the tool can make again.
  return RunConversion("vrk2mvt", arguments, errors, VrkToText,
                       AtomicFileWriter::Durability::cache);
}

int RunTextToVrk(const std::vector<std::string>& arguments, std::ostream& errors) {
  return RunConversion("mvt2vrk", arguments, errors, TextToVrk, AtomicFileWriter::Durability::disk);
}

}  // namespace vsm::vrk
