// Shared by the launcher's unit tests: stand-in Creo installations on real
// folders and a world of fakes anchored in a temporary folder.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "base/paths.h"
#include "launcher/launch_state.h"
#include "testing/fakes.h"

namespace vantor::testing {

// Failed span comparisons show the colour and the text.
inline void PrintTo(const RecordingConsole::Span& span, std::ostream* out) {
  *out << "{" << span.color << ", \"" << span.text << "\"}";
}

inline constexpr int kUnknownData = -1;
inline constexpr int kPredecessorData = -2;

// A probe result: `data` above 0 is Creo data of that release, 0 no models,
// kUnknownData models of unknown version, kPredecessorData pre-Creo data.
inline ProbeResult ProbeOf(int data, std::string roots, int latest, std::string others) {
  ProbeResult probe;
  probe.data = data > 0                   ? ModelData::Creo
               : data == 0                ? ModelData::None
               : data == kPredecessorData ? ModelData::Predecessor
                                          : ModelData::Unknown;
  probe.dataVersion = data > 0 ? data : 0;
  probe.rootsText = std::move(roots);
  probe.latestVersion = latest;
  probe.otherVersionsText = std::move(others);
  return probe;
}

// Expected console bytes: box characters as code page 437 bytes.
inline std::string Cp437(std::string_view utf8) { return EncodeCp437(utf8); }

// `root`/<name>/Parametric/bin/parametric.exe for each name.
inline std::string MakeCreoRoot(const std::string& root, const std::vector<std::string>& names) {
  for (const auto& name : names)
    WriteFile(JoinPath(JoinPath(JoinPath(JoinPath(root, name, PathStyle::Posix), "Parametric",
                                         PathStyle::Posix),
                                "bin", PathStyle::Posix),
                       "parametric.exe", PathStyle::Posix),
              "#!/bin/sh\n");
  return root;
}

inline std::string ExecutableOf(const std::string& root, const std::string& name) {
  return root + "/" + name + "/Parametric/bin/parametric.exe";
}

// Real anchor and project folders under one temporary folder, POSIX paths.
struct LaunchWorld {
  TempDir dir;
  FakeWorld world;
  std::string anchor = dir / "anchor";
  std::string project = dir / "project";

  LaunchWorld() {
    CreateFolders(anchor);
    CreateFolders(project);
    world.UseRealFolders(anchor, dir.path());
  }
  Context& context() { return world.context; }
  std::string Text() const { return world.console.Text(); }

  LaunchState State() {
    LaunchState state;
    state.anchorFolder = anchor;
    state.targetFolder = project;
    state.projectFile = project + "/VantorSP.ini";
    state.masterFile = anchor + "/Vantor.ini";
    return state;
  }
};

}  // namespace vantor::testing
