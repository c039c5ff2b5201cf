#pragma once

namespace vsm {

class WindowSession;

// For scripts/screenshot.sh only: when VSM_SCREENSHOT names a PNG file, the shown window loads
// the list named by VSM_SCREENSHOT_LOAD (and merges VSM_SCREENSHOT_MERGE) through its buttons,
// with the dialogs answered by those names and message boxes written to standard error, then
// saves a picture of itself to that file and closes.
void ArrangeScreenshotIfAsked(WindowSession& run);

}  // namespace vsm
