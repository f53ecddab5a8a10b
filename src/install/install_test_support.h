// Helpers for the Setup and Uninstall tests: a readable form of coloured
// console output, and an anchor with a desktop and a Start Menu of its own.
#pragma once

#include <string>

#include "base/paths.h"
#include "base/text.h"
#include "shell/console_text.h"
#include "testing/fakes.h"

namespace vantor::testing {

// Console output as text with "{colour}" before every change of colour.
inline std::string Transcript(const RecordingConsole& console) {
  std::string out;
  for (const auto& span : console.spans())
    out += "{" + std::to_string(span.color) + "}" + span.text;
  return out;
}

// `expected` without the "{colour}" marks that repeat the colour already
// set or have no text after them, so expectations can be written piece by
// piece.
inline std::string Canonical(const std::string& expected) {
  std::string out;
  std::string current;
  for (std::size_t i = 0; i < expected.size();) {
    if (expected[i] == '{') {
      const std::size_t end = expected.find('}', i);
      const std::string marker = expected.substr(i, end - i + 1);
      i = end + 1;
      // A colour set but never written to leaves no trace.
      if (i == expected.size() || expected[i] == '{') continue;
      if (marker != current) out += marker;
      current = marker;
      continue;
    }
    out += expected[i++];
  }
  return out;
}

// The header box of Setup and Uninstall, as a transcript piece.
inline std::string BoxTranscript(const std::string& title, int titleColor) {
  const std::string rule = RepeatText(box::kDouble, box::kInnerWidth);
  return "{7}\n{8}  " + std::string(box::kTopLeft) + rule + std::string(box::kTopRight) + "\n  " +
         std::string(box::kSide) + " {" + std::to_string(titleColor) + "}" +
         PadRight(title, box::kTextWidth) + "{8} " + std::string(box::kSide) + "\n  " +
         std::string(box::kBottomLeft) + rule + std::string(box::kBottomRight) + "\n\n{7}";
}

inline std::string InfoTranscript(const std::string& text) { return "{7}  {11}[INFO] {7}" + text; }

// An executable at <temp>/Work/Acme/Tools/vantor, so its foundation folder
// is "Acme"; a desktop and a programs folder beside it; the countdown off;
// a migration wizard that the user closes.
struct InstallWorld {
  TempDir dir;
  FakeWorld world;
  std::string anchor = dir / "Work/Acme/Tools";
  std::string foundation = dir / "Work/Acme";
  std::string exe = anchor + "/vantor";
  std::string desktop = dir / "Desktop";
  std::string programs = dir / "Programs";
  std::string startFolder = programs + "/Vantor Manager";

  InstallWorld() {
    CreateFolders(anchor);
    CreateFolders(desktop);
    CreateFolders(programs);
    world.UseRealFolders(anchor, dir / "cwd");
    WriteFile(dir / "cwd/VantorSP.ini", "CP_Countdown=None\r\n");
    world.system.desktopFolder = desktop;
    world.system.programsFolder = programs;
    world.scripts.results = {"X|Cancel"};
  }
  std::string Output() const { return Transcript(world.console); }
};

}  // namespace vantor::testing
