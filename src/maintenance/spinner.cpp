#include "maintenance/spinner.h"

#include <system_error>

#include "shell/console_text.h"

namespace vantor {
namespace {

constexpr int kFrameMs = 100;
constexpr int kLineWidth = 70;
constexpr char kCycle[] = {'|', '/', '-', '\\'};

}  // namespace

void PrintSpinnerFrame(Console& console, int pass) {
  console.Write("\r      ");
  Print(console, color::kCyan, std::string("[*] Sweeping network drive ... ") + kCycle[pass % 4]);
  console.SetColor(color::kGrey);
}

std::error_code Spinner::Start() {
  if (thread_.joinable()) return {};
  running_ = true;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error& error) {
    running_ = false;
    return error.code();
  }
  return {};
}

void Spinner::Stop() {
  running_ = false;
  if (thread_.joinable()) thread_.join();
}

void Spinner::Run() {
  for (int pass = 0; running_; ++pass) {
    PrintSpinnerFrame(console_, pass);
    sleep_(kFrameMs);
  }
  ClearLine(console_, kLineWidth);
}

}  // namespace vantor
