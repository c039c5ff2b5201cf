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

namespace {

// A control character that a terminal would act on (ESC starts sequences that set its title or
// clear its screen), and that a console therefore shows as "\x" and two hexadecimal digits.
bool IsTerminalControl(unsigned code) { return (code < 0x20 && code != '\t') || code == 0x7F; }

void AppendVisibleControl(std::string& out, unsigned code) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += "\\x";
  out += kDigits[(code >> 4) & 0xF];
  out += kDigits[code & 0xF];
}

// The C1 controls U+0080 to U+009F, as UTF-8 ("\xC2" and a byte of 0x80 to 0x9F): a terminal
// that reads UTF-8 acts on them as on ESC sequences.
bool StartsC1Control(std::string_view text, std::size_t at) {
  return at + 1 < text.size() && static_cast<unsigned char>(text[at]) == 0xC2 &&
         static_cast<unsigned char>(text[at + 1]) < 0xA0;
}

}  // namespace

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
        if (IsTerminalControl(static_cast<unsigned char>(c))) {
          AppendVisibleControl(escaped, static_cast<unsigned char>(c));
        } else {
          escaped += c;
        }
    }
  }
  return escaped;
}

std::string TextForConsole(std::string_view text, bool utf8_console) {
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      lines += '\n';
      ++i;
    } else if (IsTerminalControl(byte)) {
      AppendVisibleControl(lines, byte);
    } else {
      lines += text[i];
    }
  }
  if (!utf8_console) return lines;
  const std::string utf8 = TextForUtf8Display(lines);
  std::string shown;
  shown.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (StartsC1Control(utf8, i)) {
      AppendVisibleControl(shown, static_cast<unsigned char>(utf8[++i]));
    } else {
      shown += utf8[i];
    }
  }
  return shown;
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
#ifdef _WIN32
  constexpr bool kUtf8Console = false;  // a Windows console shows the bytes in its code page
#else
  constexpr bool kUtf8Console = true;
#endif
  const std::string shown =
      TextForConsole(std::string(title) + ": " + std::string(text), kUtf8Console) + '\n';
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
