// Linux stand-in for the Windows console: ANSI colours and UTF-8 on a
// terminal; into a pipe, the bare code page 437 bytes a Windows console
// would receive, so tests can compare them byte for byte.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace vantor {
namespace {

const char* SgrFor(int attribute) {
  switch (attribute) {
    case color::kDarkCyan:
      return "\x1b[0;36m";
    case color::kDarkGrey:
      return "\x1b[0;90m";
    case color::kGreen:
      return "\x1b[0;92m";
    case color::kCyan:
      return "\x1b[0;96m";
    case color::kRed:
      return "\x1b[0;91m";
    case color::kYellow:
      return "\x1b[0;93m";
    default:
      return "\x1b[0m";
  }
}

class PosixConsole final : public Console {
 public:
  PosixConsole() : terminal_(isatty(STDOUT_FILENO) == 1) {}

  void SetColor(int attribute) override {
    if (terminal_) Emit(SgrFor(attribute));
  }
  void Write(std::string_view text) override {
    Emit(terminal_ ? std::string(text) : EncodeCp437(text));
  }
  void Clear() override {
    if (terminal_) Emit("\x1b[2J\x1b[H");
  }
  void SetTitle(std::string_view title) override {
    if (terminal_) Emit("\x1b]0;" + std::string(title) + "\x07");
  }
  void UseBoxCodePage() override {}
  bool HideCursor() override {
    if (!terminal_) return false;
    Emit("\x1b[?25l");
    return true;
  }
  void SetCursorVisible(bool visible) override {
    if (terminal_) Emit(visible ? "\x1b[?25h" : "\x1b[?25l");
  }

 private:
  static void Emit(const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
  }
  bool terminal_;
};

}  // namespace

Console& RealConsole() {
  static PosixConsole console;
  return console;
}

}  // namespace vantor
