#include "app/console/console_platform.h"

#include "app/window_layout.h"
#include "platform/windows_1252.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace vsm {

void UseBinaryStandardStreams() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}

ConsolePlatform::ConsolePlatform(std::FILE* errors, std::FILE* trace)
    : errors_(errors), trace_(trace) {}

std::string EscapeTraceText(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\r':
        escaped += "\\r";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\t':
        escaped += "\\t";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string FormatTraceLine(std::string_view kind, std::string_view what, std::string_view text) {
  return std::string(kind) + '\t' + EscapeTraceText(what) + '\t' + EscapeTraceText(text);
}

void ConsolePlatform::Trace(std::string_view kind, std::string_view what, std::string_view text) {
  if (trace_ == nullptr) return;
  const std::string line = FormatTraceLine(kind, what, text) + '\n';
  std::fwrite(line.data(), 1, line.size(), trace_);
  // Flushed at once, so that the trace and the messages on the error stream stay in step.
  std::fflush(trace_);
}

void ConsolePlatform::ShowMessage(std::string_view title, std::string_view text) {
  Trace("message", title, text);
  std::string shown = std::string(title) + ": ";
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    shown += text[i];
  }
  shown += '\n';
#ifndef _WIN32
  // A Linux terminal reads UTF-8; a Windows console shows the bytes in its own code page.
  shown = TextForUtf8Display(shown);
#endif
  std::fwrite(shown.data(), 1, shown.size(), errors_);
  std::fflush(errors_);
}

void ConsolePlatform::SetStatus(StatusField field, std::string_view text) {
  Trace("status", field == StatusField::outcome ? "0" : "1", text);
}

void ConsolePlatform::SetCaption(Button button, std::string_view text) {
  Trace("caption", window_layout::NameOf(button), text);
}

// Check marks are not shown without a window; the options themselves live in the workspace.
void ConsolePlatform::SetChecked(Control, bool) {}

// No window, so no events to take: the wait costs nothing.
void ConsolePlatform::DiscardPendingEvents(std::chrono::milliseconds) {}

}  // namespace vsm
