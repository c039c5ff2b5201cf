#pragma once

#include <string>
#include <string_view>

#include "model/workspace.h"
#include "platform/expected.h"

namespace vsm {

inline constexpr const char* kToTextConverter = "vrk2mvt";
inline constexpr const char* kToBinaryConverter = "mvt2vrk";

// The converter program `name` in the converter folder (Settings::converter_folder).
std::string ConverterPath(const Settings& settings, std::string_view name);

// Converts the binary list `source` into `text_file` and waits until the converter ends, keeping
// the window painted. A converter that cannot be started, fails or takes longer than the time
// limit leaves no text form; its reason is the failure.
Expected<void> ConvertToText(Workspace& workspace, const std::string& source,
                             const std::string& text_file);

// Whether the output of a conversion to binary is converted back to text and compared with the
// text form it was made of before it replaces its target: for the target the user names (a save),
// as a converter can end well with a wrong file; not for the pieces of a split, which are many
// and can be made again.
enum class Verification { none, read_back };

// Where the read-back of `target` is made while it is checked: in a staging folder in the work
// folder, named as its text form, so that a converter that wants a ".txt" target takes it.
std::string ReadBackPath(const Settings& settings, const std::string& target);

// Starts the conversion of `text_file` into the binary list `target` and returns at once. The
// converter writes a file of the target's name in a staging folder beside `destination` (the
// target, or the file that a link standing there leads to; DestinationOf), which replaces
// `destination` only when the converter ends well within the time limit with a file that is not
// empty and, with Verification::read_back, that file reads back as the records of `text_file`;
// otherwise the target stays as it was.
void StartConversionToBinary(Workspace& workspace, const std::string& text_file,
                             const std::string& target, const std::string& destination,
                             Verification verification = Verification::none);

// Before the tool reads, deletes or rewrites a file, it waits for the conversions that use it.
void WaitForConversionsOf(Workspace& workspace, const std::string& file);

// Reports, one box each, the conversions to binary that failed since the last report, with the
// converter's reason.
void ReportFailedConversions(Workspace& workspace);

}  // namespace vsm
