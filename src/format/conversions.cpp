#include "format/conversions.h"

#include <chrono>

#include "format/writer.h"
#include "model/messages.h"
#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vsm {

using std::chrono::milliseconds;

std::string ConverterPath(const Workspace& workspace, std::string_view name) {
  const std::string file = std::string(name) + kExecutableSuffix;
  const std::string& own_folder = workspace.settings.program_folder;
  if (!own_folder.empty() && IsRegularFile(own_folder + file)) return own_folder + file;
  return workspace.settings.start_folder + file;
}

void WaitForConversionsOf(Workspace& workspace, const std::string& file) {
  workspace.conversions.WaitFor(workspace.platform, file);
}

bool ConvertToText(Workspace& workspace, const std::string& source, const std::string& text_file) {
  Settings& settings = workspace.settings;
  Platform& platform = workspace.platform;
  if (auto too_long = PathTooLongToWrite(text_file)) {
    ReportWriteFailure(workspace, text_file, *too_long);
    return false;
  }
  WaitForConversionsOf(workspace, source);
  WaitForConversionsOf(workspace, text_file);
  RemoveFile(text_file);

  const std::string program = ConverterPath(workspace, kToTextConverter);
  settings.converter_command = program + " " + source + " " + text_file;
  auto process = platform.StartProgram(program, {source, text_file});
  if (process == nullptr) return true;

  const auto deadline = platform.Now() + std::chrono::seconds(settings.converter_timeout_seconds);
  while (!process->WaitFor(milliseconds(10))) {
    platform.DiscardPendingEvents(milliseconds(0));
    if (platform.Now() >= deadline) {
      process->Kill();
      break;
    }
  }
  // Half-written or failed output must not be read as a channel list.
  if (process->ExitCode() != 0) RemoveFile(text_file);
  return true;
}

std::string PartialOutputName(const std::string& target) {
  // Beside the file that the target finally names, so that it can be renamed over that file.
  return FinalTarget(target).value_or(target) + std::string(kPartialSuffix);
}

void StartConversionToBinary(Workspace& workspace, const std::string& text_file,
                             const std::string& target) {
  WaitForConversionsOf(workspace, target);
  const std::string program = ConverterPath(workspace, kToBinaryConverter);
  workspace.settings.converter_command = program + " " + text_file + " " + target;
  const std::string output = PartialOutputName(target);
  const auto limit = std::chrono::seconds(workspace.settings.background_conversion_timeout_seconds);
  workspace.conversions.Start(workspace.platform,
                              {program, {text_file, output}, text_file, target, output, limit});
}

void ReportFailedConversions(Workspace& workspace) {
  for (const std::string& target : workspace.conversions.TakeFailedTargets(workspace.platform)) {
    workspace.ReportUndone(kTitleNice, "Conversion failed: \r\n" + target);
  }
}

}  // namespace vsm
