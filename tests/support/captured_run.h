#pragma once

#include <string>
#include <vector>

namespace vsm::test_support {

// Runs `program` with `arguments` in `folder` (no shell involved), its standard output and
// standard error written to the files `out` and `err`, and waits for it. Returns its exit code,
// or -1 when it could not be started or did not end normally.
int RunCaptured(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& folder, const std::string& out, const std::string& err);

}  // namespace vsm::test_support
