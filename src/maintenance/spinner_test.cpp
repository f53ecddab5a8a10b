#include "maintenance/spinner.h"

#include <gtest/gtest.h>

#include <chrono>

#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::RecordingConsole;
using Span = RecordingConsole::Span;

TEST(Spinner, FrameTurnsThroughTheCycle) {
  RecordingConsole console;
  for (int pass = 0; pass < 5; ++pass) PrintSpinnerFrame(console, pass);
  std::vector<Span> expected;
  for (const char c : std::string("|/-\\|")) {
    expected.push_back({color::kGrey, "\r      "});
    expected.push_back({color::kCyan, std::string("[*] Sweeping network drive ... ") + c});
  }
  EXPECT_EQ(console.spans(), expected);
  EXPECT_EQ(console.color(), color::kGrey);
}

TEST(Spinner, TurnsUntilStoppedThenClearsItsLine) {
  RecordingConsole console;
  Spinner spinner(console, 1);
  ASSERT_FALSE(spinner.Start());
  // The loop runs on its own thread; the console is read only after Stop.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  spinner.Stop();

  const auto& spans = console.spans();
  ASSERT_GE(spans.size(), 3u);
  EXPECT_EQ(spans.back(), (Span{color::kGrey, "\r" + std::string(70, ' ') + "\r"}));
  for (std::size_t i = 0; i + 1 < spans.size(); i += 2) {
    EXPECT_EQ(spans[i], (Span{color::kGrey, "\r      "}));
    EXPECT_EQ(spans[i + 1], (Span{color::kCyan, std::string("[*] Sweeping network drive ... ") +
                                                    "|/-\\"[(i / 2) % 4]}));
  }
  EXPECT_EQ(spans.size() % 2, 1u);
}

// The sweep's result is not held back by the rest of a frame.
TEST(Spinner, StopsInTheMiddleOfAFrame) {
  RecordingConsole console;
  Spinner spinner(console, 600'000);
  ASSERT_FALSE(spinner.Start());
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const auto stopAsked = std::chrono::steady_clock::now();
  spinner.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - stopAsked, std::chrono::seconds(60));
  EXPECT_EQ(console.spans().size(), 3u);
}

}  // namespace
}  // namespace vantor
