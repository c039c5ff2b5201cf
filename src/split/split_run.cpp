#include "split/split_run.h"

#include "format/conversions.h"
#include "format/writer.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "split/preferred_antennas.h"

namespace vsm {

SplitRun::SplitRun(Workspace& workspace, std::string script_base)
    : workspace_(workspace),
      script_base_(std::move(script_base)),
      names_(PieceNameRoom(workspace.settings, kLongestPath)) {}

void SplitRun::Start() {
  ReportFailedConversions(workspace_);
  timer_.Start(workspace_.platform);
  ApplyPreferredAntennas(workspace_);
}

bool SplitRun::OpenScript() {
  return workspace_.Report(OpenSplitScript(workspace_, script_, ScriptName()));
}

std::string SplitRun::ScriptName() const {
  return workspace_.settings.start_folder + script_base_ + ".txt";
}

void SplitRun::ShowProgress(std::size_t total) {
  if (progress_ == 0) names_.Reserve(total);
  ++progress_;
  workspace_.platform.SetStatus(
      StatusField::outcome, "Splitting " + std::to_string(progress_) + "/" + std::to_string(total));
}

const ListFiles& SplitRun::NamePiece(std::string_view name) {
  Settings& settings = workspace_.settings;
  const std::string piece = names_.Next(name);
  piece_ = {settings.ResultPath(piece), settings.TextFormOf(piece)};
  settings.current_file = piece_.target;
  settings.text_file = piece_.text_file;
  return piece_;
}

bool SplitRun::WasThere(const std::string& file) {
  if (!files_there_) {
    files_there_.emplace();
    const Settings& settings = workspace_.settings;
    for (const std::string& folder : {settings.ResultPath(""), settings.WorkPath("")}) {
      for (const std::string& name : FolderEntries(folder).value_or(std::vector<std::string>{})) {
        files_there_->insert(folder + NameAsCompared(name));
      }
    }
  }
  const std::string_view folder = FolderPart(file);
  return files_there_->contains(std::string(folder) + NameAsCompared(FilePart(file)));
}

bool SplitRun::RemoveEarlierPiece(std::initializer_list<const std::string*> files) {
  for (const std::string* file : files) {
    // A conversion of an earlier save or split may still be making it: it is there once that
    // conversion has ended, whether the split began with it or not.
    const bool converted_meanwhile = workspace_.conversions.WaitFor(workspace_.platform, *file);
    if (!converted_meanwhile && !WasThere(*file)) continue;
    // A piece that the user marked read-only, or that another program holds, stays as it is.
    if (auto unfit = UnfitDestination(*file)) {
      workspace_.Show(CannotWrite(*file, *unfit));
      return false;
    }
    if (!RemoveFile(*file)) {
      workspace_.Show(CannotWrite(*file, LastSystemError()));
      return false;
    }
  }
  return true;
}

bool SplitRun::Mark(Pieces& pieces, std::size_t position) {
  const bool kept = pieces.Mark(position);
  kept_any_ = kept_any_ || kept;
  return kept;
}

void SplitRun::WritePiece(bool by_antenna) {
  if (!workspace_.Report(WriteChannelList(workspace_, piece_, by_antenna))) return;
  const char* command = pieces_ == 0 ? "load " : "merge ";
  if (!WriteSplitScriptLine(script_, command + piece_.target)) {
    workspace_.Show(CannotWrite(ScriptName(), "a line would hold a line break: " + piece_.target));
    return;
  }
  ++pieces_;
}

void SplitRun::Finish(Button button, std::string_view unit) {
  workspace_.Report(CloseSplitScript(script_, script_base_));
  // Its earlier pieces are gone: the user must not take them, nor an empty script, for its work.
  if (!kept_any_) {
    const std::string folder = workspace_.settings.ResultPath("");
    workspace_.Show(NothingSplitNoChannel(folder.substr(0, folder.size() - 1)));
  }
  Platform& platform = workspace_.platform;
  platform.SetStatus(StatusField::outcome, "Done splitting.");
  platform.SetStatus(StatusField::detail, timer_.ElapsedText(platform));
  platform.SetCaption(button, "Split into " + std::to_string(pieces_) + " " + std::string(unit));
}

}  // namespace vsm
