#include "format/conversions.h"

#include <chrono>
#include <utility>
#include <vector>

#include "format/read_back.h"
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
  const std::vector<std::string> arguments = {AsProgramArgument(source),
                                              AsProgramArgument(text_file)};
  settings.converter_command = program + " " + arguments[0] + " " + arguments[1];
  // A converter cut short (killed with the tool, stopped, failed) may leave temporaries of its own
  // beside the text form: the next start removes them.
  workspace.journal.RecordProgramOutput(text_file);
  auto process = platform.StartProgram(program, arguments);
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

std::string ReadBackPath(const Settings& settings, const std::string& target) {
  const std::string text_form = settings.TextFormOf(target);
  return StagingFolder::PathFor(text_form, FilePart(text_form));
}

namespace {

// The conversion of the binary `target` back to text, and its check against `text_file`.
ProgramQueue::ReadBack ReadBackOf(const Settings& settings, const std::string& text_file,
                                  const std::string& target) {
  const std::string text_form = settings.TextFormOf(target);
  return {ConverterPath(settings, kToTextConverter),
          kToTextConverter,
          text_form,
          std::string(FilePart(text_form)),
          std::chrono::seconds(settings.converter_timeout_seconds),
          [text_file](const std::string& read_back) {
            return ReadBackFileDifference(text_file, read_back);
          }};
}

}  // namespace

void StartConversionToBinary(Workspace& workspace, const std::string& text_file,
                             const std::string& target, const std::string& destination,
                             Verification verification) {
  WaitForConversionsOf(workspace, target);
  const Settings& settings = workspace.settings;
  const std::string program = ConverterPath(settings, kToBinaryConverter);
  workspace.settings.converter_command = program + " " + text_file + " " + target;
  ProgramQueue::Job job{program, text_file, target, destination,
                        std::chrono::seconds(settings.background_conversion_timeout_seconds)};
  if (verification == Verification::read_back) {
    job.read_back = ReadBackOf(settings, text_file, target);
  }
  workspace.conversions.Start(workspace.platform, std::move(job));
}

void ReportFailedConversions(Workspace& workspace) {
  for (const auto& failed : workspace.conversions.TakeFailures(workspace.platform)) {
    workspace.Show(ConversionFailed(failed.target, failed.reason));
  }
}

}  // namespace vsm
