#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/system_platform.h"

namespace vsm {

// The platform of a run without a window. Message boxes go to `errors` as "title: text"
// (TextForConsole; on Linux in UTF-8); nothing waits for a user:
// dialogs answer "" (cancelled) and there are no events to take. With a trace stream, every
// message box, status-field change and push-button caption change is also written there as one
// line (see FormatTraceLine), its bytes as they are.
class ConsolePlatform : public SystemPlatform {
 public:
  ConsolePlatform(std::FILE* errors, std::FILE* trace);

  void ShowMessage(std::string_view title, std::string_view text) override;
  void SetStatus(StatusField field, std::string_view text) override;
  void SetCaption(Button button, std::string_view text) override;
  void SetChecked(Control control, bool checked) override;
  void DiscardPendingEvents(std::chrono::milliseconds limit) override;

 private:
  void Trace(std::string_view kind, std::string_view what, std::string_view text);

  std::FILE* errors_;
  std::FILE* trace_;  // nullptr: no trace
};

// Puts standard output and standard error in binary mode, so that the trace and the messages are
// the same bytes on every system (Windows would otherwise turn each LF into CR LF).
void UseBinaryStandardStreams();

// A trace field with backslash, CR, LF and TAB written as "\\", "\r", "\n" and "\t", so that a
// trace line never holds a line end and its fields are split by TAB alone, and the other control
// characters (below 0x20, and 0x7F) as "\x" and two hexadecimal digits, so that none reaches a
// terminal.
std::string EscapeTraceText(std::string_view text);

// A box's text as a console shows it: each CR LF a line break, every other control character
// written as "\x" and two hexadecimal digits; for a console that reads UTF-8, the Windows-1252
// bytes converted (TextForUtf8Display) and the C1 controls shown the same way.
std::string TextForConsole(std::string_view text, bool utf8_console);

// "kind<TAB>what<TAB>text" with `what` and `text` escaped, without a line end.
std::string FormatTraceLine(std::string_view kind, std::string_view what, std::string_view text);

}  // namespace vsm
