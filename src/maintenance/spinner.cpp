#include "maintenance/spinner.h"

#include <chrono>
#include <system_error>

#include "shell/console_text.h"

namespace vantor {
namespace {

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
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
  }
  stop_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool Spinner::WaitFrame() {
  std::unique_lock<std::mutex> lock(mutex_);
  return !stop_.wait_for(lock, std::chrono::milliseconds(frameMs_), [this] { return !running_; });
}

void Spinner::Run() {
  int pass = 0;
  do {
    PrintSpinnerFrame(console_, pass++);
  } while (WaitFrame());
  ClearLine(console_, kLineWidth);
}

}  // namespace vantor
