#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "format/writer.h"
#include "model/workspace.h"
#include "platform/platform.h"
#include "split/marking.h"
#include "split/piece_name.h"
#include "split/split_script.h"

namespace vsm {

// What both splits share: the run timer, the re-merge script, the progress texts, the piece names
// and the count of the pieces written.
class SplitRun {
 public:
  // `script_base` names the script (script_base + ".txt" in the start folder) and its result.
  // Piece names are cut to what the system's path limit leaves below the start folder.
  SplitRun(Workspace& workspace, std::string script_base);

  // What a split does first: reports the conversions that failed since the last operation,
  // starts the run timer and applies the preferred antennas (which rebuilds the generated
  // providers). Conversions that earlier operations started go on meanwhile: the split waits only
  // for those that make a file of its own pieces.
  void Start();
  // Opens the script; false, after a message, when it cannot be created.
  bool OpenScript();
  // Shows "Splitting i/total" for the next record taken; the first call makes room for the total.
  void ShowProgress(std::size_t total);
  // Names the files of the piece of the antenna or provider named `name`; current_file and
  // text_file name them too from now on.
  const ListFiles& NamePiece(std::string_view name);
  // Deletes what an earlier run left under the piece's names `files`, waiting for the conversions
  // that use them, so that no script line names an earlier piece. False, after the message of a
  // write that failed, when a file stays: the piece must not be written then.
  bool RemoveEarlierPiece(std::initializer_list<const std::string*> files);
  // Marks the piece at `position` for the writer (Pieces::Mark); true when it keeps a channel.
  bool Mark(Pieces& pieces, std::size_t position);
  // Writes the piece named last, as the marking pass prepared it; counts it and adds its script
  // line when the write succeeded.
  void WritePiece(bool by_antenna);
  // Closes the script and shows the outcome: "Split into " + count + " " + unit on `button`,
  // after a box when no piece kept a channel.
  void Finish(Button button, std::string_view unit);

 private:
  // Whether `file` (in the result or the work folder) was there when the split began.
  bool WasThere(const std::string& file);
  std::string ScriptName() const;

  Workspace& workspace_;
  std::string script_base_;
  // The files in the result and work folders when the split began, folder and name as the file
  // system compares them. A piece's earlier files are deleted only where there are some: deleting
  // a name that is not there costs a lookup all the same, a million times for a million antennas.
  std::optional<std::unordered_set<std::string>> files_there_;
  SplitScript script_;
  RunTimer timer_;
  PieceNamer names_;
  ListFiles piece_;
  std::size_t progress_ = 0;
  std::size_t pieces_ = 0;
  bool kept_any_ = false;  // whether the marking kept a channel for any piece
};

}  // namespace vsm
