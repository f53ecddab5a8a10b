// The turning line shown while the sweep engine runs. It is the program's
// only second thread; the main thread prints nothing while it lives.
#pragma once

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/platform.h"

namespace vantor {

// One frame: "\r      " and, in colour 11, the message with the
// character of `pass` from the cycle | / - \, then colour 7.
void PrintSpinnerFrame(Console& console, int pass);

class Spinner {
 public:
  static constexpr int kFrameMs = 100;

  explicit Spinner(Console& console, int frameMs = kFrameMs)
      : console_(console), frameMs_(frameMs) {}
  ~Spinner() { Stop(); }
  Spinner(const Spinner&) = delete;
  Spinner& operator=(const Spinner&) = delete;

  // Starts the thread; the system's reason when it could not be started.
  std::error_code Start();
  // Ends the loop at once, even in the middle of a frame's wait, and waits
  // for the thread, which clears its line last.
  void Stop();

 private:
  void Run();
  // Waits one frame; false once Stop was called.
  bool WaitFrame();

  Console& console_;
  const int frameMs_;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool running_ = false;
  std::thread thread_;
};

}  // namespace vantor
