#include "format/conversions.h"

#include <chrono>

#include "model/messages.h"
#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vsm {

using std::chrono::milliseconds;

std::string ConverterPath(const Settings& settings, std::string_view name) {
  return settings.converter_folder + std::string(name) + kExecutableSuffix;
}

void WaitForConversionsOf(Workspace& workspace, const std::string& file) {
  workspace.conversions.WaitFor(workspace.platform, file);
}

Expected<void> ConvertToText(Workspace& workspace, const std::string& source,
                             const std::string& text_file) {
  Settings& settings = workspace.settings;
  Platform& platform = workspace.platform;
  WaitForConversionsOf(workspace, source);
  WaitForConversionsOf(workspace, text_file);
  RemoveFile(text_file);

  const std::string program = ConverterPath(settings, kToTextConverter);
  settings.converter_command = program + " " + source + " " + text_file;
  // A converter cut short (killed with the tool, stopped, failed) may leave temporaries of its own
  // beside the text form: the next start removes them.
  workspace.journal.RecordProgramOutput(text_file);
  auto process = platform.StartProgram(program, {source, text_file});
  if (!process) {
    workspace.journal.Forget(text_file);
    return Failure(NotStartedText(process.error()));
  }

  const auto limit = std::chrono::seconds(settings.converter_timeout_seconds);
  const auto deadline = platform.Now() + limit;
  bool stopped = false;
  while (!stopped && !(*process)->WaitFor(milliseconds(10))) {
    platform.DiscardPendingEvents(milliseconds(0));
    if (platform.Now() >= deadline) {
      (*process)->Kill();
      stopped = true;
    }
  }
  if (!stopped && (*process)->ExitCode() == 0) {
    workspace.journal.Forget(text_file);
    return {};
  }
  // Half-written or failed output must not be read as a channel list.
  RemoveFile(text_file);
  return Failure(stopped ? StoppedText(limit) : FailureText(**process));
}

void StartConversionToBinary(Workspace& workspace, const std::string& text_file,
                             const std::string& target, const std::string& destination) {
  WaitForConversionsOf(workspace, target);
  const std::string program = ConverterPath(workspace.settings, kToBinaryConverter);
  workspace.settings.converter_command = program + " " + text_file + " " + target;
  const auto limit = std::chrono::seconds(workspace.settings.background_conversion_timeout_seconds);
  workspace.conversions.Start(workspace.platform, {program, text_file, target, destination, limit});
}

void ReportFailedConversions(Workspace& workspace) {
  for (const auto& failed : workspace.conversions.TakeFailures(workspace.platform)) {
    workspace.Show(ConversionFailed(failed.target, failed.reason));
  }
}

}  // namespace vsm
