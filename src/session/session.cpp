#include "session/session.h"

#include "script/script_interpreter.h"

namespace vsm {

Session::Session(Platform& platform, std::string start_folder)
    : workspace(platform, std::move(start_folder)), controls(workspace) {
  workspace.run_script = [this](Workspace& running, const std::string& script) {
    return RunScript(running, controls, script);
  };
}

}  // namespace vsm
