#pragma once

#include <string>

#include "model/workspace.h"

namespace vsm {

inline constexpr const char* kToTextConverter = "vrk2mvt";
inline constexpr const char* kToBinaryConverter = "mvt2vrk";

// Where a converter program is: the tool's own folder first, then the start folder.
std::string ConverterPath(const Workspace& workspace, std::string_view name);

// Converts the binary list `source` into `text_file` and waits until the converter ends, keeping
// the window painted. A converter that cannot be started, fails or takes longer than the time
// limit leaves no text form. False, after the message of a write that failed, when the path of
// `text_file` is too long for the system: no converter is started then.
bool ConvertToText(Workspace& workspace, const std::string& source, const std::string& text_file);

// Starts the conversion of `text_file` into the binary list `target` and returns at once. The
// converter writes PartialOutputName(target), which replaces the target (the file it finally
// names, when it is a symbolic link) only when the converter ends well within the time limit;
// otherwise the target stays as it was.
inline constexpr std::string_view kPartialSuffix = ".partial";
std::string PartialOutputName(const std::string& target);
void StartConversionToBinary(Workspace& workspace, const std::string& text_file,
                             const std::string& target);

// Before the tool reads, deletes or rewrites a file, it waits for the conversions that use it.
void WaitForConversionsOf(Workspace& workspace, const std::string& file);

// Reports, one box each, the conversions to binary that failed since the last report.
void ReportFailedConversions(Workspace& workspace);

}  // namespace vsm
