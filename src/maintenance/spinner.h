// The turning line shown while the sweep engine runs. It is the program's
// only second thread; the main thread prints nothing while it lives.
#pragma once

#include <atomic>
#include <functional>
#include <system_error>
#include <thread>

#include "platform/platform.h"

namespace vantor {

// One frame: "\r      " and, in colour 11, the message with the
// character of `pass` from the cycle | / - \, then colour 7.
void PrintSpinnerFrame(Console& console, int pass);

class Spinner {
 public:
  using SleepFunction = std::function<void(int milliseconds)>;

  Spinner(Console& console, SleepFunction sleep) : console_(console), sleep_(std::move(sleep)) {}
  ~Spinner() { Stop(); }
  Spinner(const Spinner&) = delete;
  Spinner& operator=(const Spinner&) = delete;

  // Starts the thread; the system's reason when it could not be started.
  std::error_code Start();
  // Ends the loop, waits for the thread, which clears its line last.
  void Stop();

 private:
  void Run();

  Console& console_;
  SleepFunction sleep_;
  std::atomic<bool> running_{false};
  std::thread thread_;
};

}  // namespace vantor
