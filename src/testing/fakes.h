// Test doubles for the platform seam and the script host.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "shell/context.h"
#include "shell/script_host.h"

namespace vantor::testing {

// Records what was printed as (colour, text) spans; adjacent writes in one
// colour merge into one span.
class RecordingConsole final : public Console {
 public:
  struct Span {
    int color;
    std::string text;
    bool operator==(const Span&) const = default;
  };

  void SetColor(int attribute) override { color_ = attribute; }
  void Write(std::string_view text) override;
  void Clear() override { Write("<cls>"); }
  void SetTitle(std::string_view title) override { title_ = title; }
  void UseBoxCodePage() override { boxCodePage_ = true; }
  bool HideCursor() override;
  void SetCursorVisible(bool visible) override { cursorVisible_ = visible; }

  const std::vector<Span>& spans() const { return spans_; }
  // Everything printed, as UTF-8 text.
  std::string Text() const;
  // Everything printed, as the code page 437 bytes a console receives.
  std::string Bytes() const { return EncodeCp437(Text()); }
  int color() const { return color_; }
  const std::string& title() const { return title_; }
  bool boxCodePage() const { return boxCodePage_; }
  bool cursorVisible() const { return cursorVisible_; }
  void Reset() { spans_.clear(); }

 private:
  std::vector<Span> spans_;
  int color_ = color::kGrey;
  std::string title_;
  bool boxCodePage_ = false;
  bool cursorVisible_ = true;
};

class FakeSystem final : public System {
 public:
  PathStyle style = PathStyle::Windows;
  std::string modulePath = "C:\\Tools\\Vantor\\Vantor.exe";
  std::string tempFolder = "C:\\Users\\me\\AppData\\Local\\Temp\\";
  std::string currentDirectory = "C:\\Work";
  std::deque<int> keys;           // -1 once empty
  std::deque<std::string> lines;  // for ReadLine; none once empty
  bool shiftHeld = false;
  std::map<std::string, std::string> environment;
  int sleptMs = 0;
  std::vector<std::pair<std::vector<std::string>, ScriptWindow>> powershellRuns;
  // Without an output a run does not start, for the reason `notStarted`.
  std::optional<ProcessOutput> powershellOutput = ProcessOutput{};
  std::vector<std::pair<std::string, std::vector<std::string>>> programRuns;
  std::optional<ProcessOutput> programOutput = ProcessOutput{};
  std::error_code notStarted = std::make_error_code(std::errc::no_such_file_or_directory);
  bool runRealPrograms = false;  // RunProgram records, then runs the real program
  struct ShellOpenCall {
    std::string file, parameters, folder;
  };
  std::vector<ShellOpenCall> shellOpens;
  std::error_code shellOpenError;  // what every ShellOpen answers
  std::vector<std::pair<std::string, std::string>> messageBoxes;
  ElevationResult elevation = ElevationResult::Failed;
  bool administrator = false;
  std::string desktopFolder = "C:\\Users\\me\\Desktop";
  std::string programsFolder =
      "C:\\Users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
  // Registry calls in order; calls on a key in `failingRegistryKeys` fail
  // with permission denied.
  struct RegistryCall {
    std::string action;  // "delete" or "set"
    std::string key, valueName, data;
    bool operator==(const RegistryCall&) const = default;
  };
  std::vector<RegistryCall> registryCalls;
  std::set<std::string> failingRegistryKeys;
  // Links asked for in order; those at a path in `failingLinkPaths` fail
  // with permission denied.
  std::vector<ShellLink> shellLinks;
  std::set<std::string> failingLinkPaths;

  PathStyle Style() const override { return style; }
  std::string ModulePath() override { return modulePath; }
  std::string TempFolder() override { return tempFolder; }
  // A message here makes CurrentDirectory throw, as a failing file-system
  // call would.
  std::string currentDirectoryError;
  std::string CurrentDirectory() override;
  unsigned ProcessId() override { return 4711; }
  int ReadKey() override;
  bool KeyWaiting() override { return !keys.empty(); }
  std::optional<std::string> ReadLine() override;
  bool IsShiftHeld() override { return shiftHeld; }
  void Sleep(int milliseconds) override { sleptMs += milliseconds; }
  std::optional<std::string> GetEnv(const std::string& name) override;
  void SetEnv(const std::string& name, const std::string& value) override {
    environment[name] = value;
  }
  SystemResult<ProcessOutput> RunPowerShell(const std::vector<std::string>& arguments,
                                            ScriptWindow window) override;
  SystemResult<int> RunPowerShellWithInput(const std::vector<std::string>& arguments,
                                           std::string_view input) override;
  SystemResult<ProcessOutput> RunProgram(const std::string& program,
                                         const std::vector<std::string>& arguments) override;
  std::error_code ShellOpen(const std::string& file, const std::string& parameters,
                            const std::string& workingFolder) override;
  ElevationResult ShellRunElevated(const std::string&, const std::string&) override {
    return elevation;
  }
  int ShowMessageBox(const std::string& caption, const std::string& text, unsigned) override;
  void BringMessageBoxForward() override {}
  [[noreturn]] void EndProcess(int code) override;
  bool IsAdministrator() override { return administrator; }
  std::string DesktopFolder() override { return desktopFolder; }
  std::string ProgramsFolder() override { return programsFolder; }
  std::error_code SetRegistryString(const std::string& key, const std::string& valueName,
                                    const std::string& data) override;
  std::error_code DeleteRegistryTree(const std::string& key) override;
  std::error_code CreateShellLink(const ShellLink& link) override;

  // --- Registry reads: the values a test has stored, in order ---
  struct RegistryValue {
    std::string key, valueName, data;
  };
  std::vector<RegistryValue> registryValues;
  std::vector<std::string> RegistrySubKeys(const std::string& key) override;
  std::optional<std::string> ReadRegistryString(const std::string& key,
                                                const std::string& valueName) override;

  // Keys for ReadKey, as typed.
  void Type(std::string_view text);
};

// Thrown by FakeSystem::EndProcess so a test can see the process end.
struct ProcessEnded {
  int code;
};

// Plays canned script output through the real result-line reader and keeps
// every script it was asked to run.
class FakeScriptHost final : public ScriptHost {
 public:
  std::deque<std::string> results;     // what each run prints; "" once empty
  std::optional<ScriptError> failure;  // every run fails so when set
  std::optional<int> exitCode = 0;     // empty: PowerShell does not start
  std::vector<std::pair<std::string, ScriptWindow>> scripts;
  std::vector<std::string> stdinScripts;
  // Plays the window of a script fed through standard input.
  std::function<void(const std::string& script)> onStdinRun;

  ScriptResult<std::string> RunScript(const std::string& script, ScriptWindow window) override;
  ScriptResult<int> RunScriptFromStdin(const std::string& script) override;
};

// A unique temporary folder for one test, removed afterwards unless the
// test failed (then its path is printed).
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() joined with a relative name.
  std::string operator/(std::string_view name) const;

 private:
  std::string path_;
};

void WriteFile(const std::string& path, std::string_view content);
std::string ReadFile(const std::string& path);

// A Context over fakes, anchored at `anchor`.
struct FakeWorld {
  RecordingConsole console;
  FakeSystem system;
  FakeScriptHost scripts;
  Context context{console, system, scripts, ""};

  explicit FakeWorld(std::string anchor = "C:\\Tools\\Vantor") {
    context.anchorFolder = std::move(anchor);
  }
  // For tests on real folders: POSIX paths, anchor and current directory
  // inside `dir`.
  void UseRealFolders(const std::string& anchor, const std::string& current);
};

}  // namespace vantor::testing
