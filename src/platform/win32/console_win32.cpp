#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace vantor {
namespace {

class Win32Console final : public Console {
 public:
  void SetColor(int attribute) override {
    // The handle is fetched on every call: a job may have reopened it.
    SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), static_cast<WORD>(attribute));
  }
  void Write(std::string_view text) override {
    const std::string bytes = EncodeCp437(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
  }
  void Clear() override { std::system("cls"); }
  void SetTitle(std::string_view title) override { SetConsoleTitleW(Widen(title).c_str()); }
  void UseBoxCodePage() override { SetConsoleOutputCP(437); }
  bool HideCursor() override {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_CURSOR_INFO info{};
    if (!GetConsoleCursorInfo(out, &info)) return false;
    const bool wasVisible = info.bVisible != FALSE;
    info.bVisible = FALSE;
    SetConsoleCursorInfo(out, &info);
    return wasVisible;
  }
  void SetCursorVisible(bool visible) override {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_CURSOR_INFO info{};
    if (!GetConsoleCursorInfo(out, &info)) return;
    info.bVisible = visible ? TRUE : FALSE;
    SetConsoleCursorInfo(out, &info);
  }
};

}  // namespace

Console& RealConsole() {
  static Win32Console console;
  return console;
}

}  // namespace vantor
