#include "testing/fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iostream>
#include <random>
#include <stdexcept>

#include "base/paths.h"

namespace vantor::testing {

void RecordingConsole::Write(std::string_view text) {
  if (!spans_.empty() && spans_.back().color == color_)
    spans_.back().text += text;
  else
    spans_.push_back({color_, std::string(text)});
}

bool RecordingConsole::HideCursor() {
  const bool was = cursorVisible_;
  cursorVisible_ = false;
  return was;
}

std::string RecordingConsole::Text() const {
  std::string text;
  for (const auto& span : spans_) text += span.text;
  return text;
}

std::string FakeSystem::CurrentDirectory() {
  if (!currentDirectoryError.empty()) throw std::runtime_error(currentDirectoryError);
  return currentDirectory;
}

int FakeSystem::ReadKey() {
  if (keys.empty()) return -1;
  const int key = keys.front();
  keys.pop_front();
  return key;
}

std::optional<std::string> FakeSystem::ReadLine() {
  if (lines.empty()) return std::nullopt;
  std::string line = std::move(lines.front());
  lines.pop_front();
  return line;
}

void FakeSystem::Type(std::string_view text) {
  for (const char c : text) keys.push_back(static_cast<unsigned char>(c));
}

std::optional<std::string> FakeSystem::GetEnv(const std::string& name) {
  const auto found = environment.find(name);
  if (found == environment.end()) return std::nullopt;
  return found->second;
}

SystemResult<ProcessOutput> FakeSystem::RunPowerShell(const std::vector<std::string>& arguments,
                                                      ScriptWindow window) {
  powershellRuns.emplace_back(arguments, window);
  if (!powershellOutput) return notStarted;
  return *powershellOutput;
}

SystemResult<int> FakeSystem::RunPowerShellWithInput(const std::vector<std::string>& arguments,
                                                     std::string_view) {
  powershellRuns.emplace_back(arguments, ScriptWindow::Hidden);
  if (!powershellOutput) return notStarted;
  return powershellOutput->exitCode;
}

SystemResult<ProcessOutput> FakeSystem::RunProgram(const std::string& program,
                                                   const std::vector<std::string>& arguments) {
  programRuns.emplace_back(program, arguments);
  if (runRealPrograms) return RealSystem().RunProgram(program, arguments);
  if (!programOutput) return notStarted;
  return *programOutput;
}

std::error_code FakeSystem::ShellOpen(const std::string& file, const std::string& parameters,
                                      const std::string& workingFolder) {
  shellOpens.push_back({file, parameters, workingFolder});
  return shellOpenError;
}

int FakeSystem::ShowMessageBox(const std::string& caption, const std::string& text, unsigned) {
  messageBoxes.emplace_back(caption, text);
  return 1;
}

void FakeSystem::EndProcess(int code) { throw ProcessEnded{code}; }

namespace {
std::error_code DeniedWhen(bool failing) {
  return failing ? std::make_error_code(std::errc::permission_denied) : std::error_code();
}
}  // namespace

std::error_code FakeSystem::SetRegistryString(const std::string& key, const std::string& valueName,
                                              const std::string& data) {
  registryCalls.push_back({"set", key, valueName, data});
  return DeniedWhen(failingRegistryKeys.contains(key));
}

std::error_code FakeSystem::DeleteRegistryTree(const std::string& key) {
  registryCalls.push_back({"delete", key, "", ""});
  return DeniedWhen(failingRegistryKeys.contains(key));
}

std::vector<std::string> FakeSystem::RegistrySubKeys(const std::string& key) {
  std::vector<std::string> names;
  for (const auto& value : registryValues) {
    if (!value.key.starts_with(key + "\\")) continue;
    const std::string rest = value.key.substr(key.size() + 1);
    const std::string name = rest.substr(0, rest.find('\\'));
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  return names;
}

std::optional<std::string> FakeSystem::ReadRegistryString(const std::string& key,
                                                          const std::string& valueName) {
  for (const auto& value : registryValues)
    if (value.key == key && value.valueName == valueName) return value.data;
  return std::nullopt;
}

std::error_code FakeSystem::CreateShellLink(const ShellLink& link) {
  shellLinks.push_back(link);
  return DeniedWhen(failingLinkPaths.contains(link.linkPath));
}

ScriptResult<std::string> FakeScriptHost::RunScript(const std::string& script,
                                                    ScriptWindow window) {
  scripts.emplace_back(script, window);
  if (failure) return *failure;
  std::string output;
  if (!results.empty()) {
    output = results.front();
    results.pop_front();
  }
  return ReadResultLine(output);
}

ScriptResult<int> FakeScriptHost::RunScriptFromStdin(const std::string& script) {
  stdinScripts.push_back(script);
  if (failure) return *failure;
  if (!exitCode) return NotStarted();
  if (onStdinRun) onStdinRun(script);
  return *exitCode;
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
  for (char& c : name)
    if (c == '/') c = '_';
  const auto base = std::filesystem::temp_directory_path() / "vantor-tests";
  const auto dir = base / (name + "-" + std::to_string(std::random_device{}()) + "-" +
                           std::to_string(counter++));
  std::filesystem::create_directories(dir);
  path_ = FromFsPath(dir);
}

TempDir::~TempDir() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (info && info->result()->Failed()) {
    std::cerr << "  test folder kept: " << path_ << "\n";
    return;
  }
  std::error_code ignored;
  std::filesystem::remove_all(ToFsPath(path_), ignored);
}

std::string TempDir::operator/(std::string_view name) const {
  return JoinPath(path_, name, PathStyle::Posix);
}

void WriteFile(const std::string& path, std::string_view content) {
  std::filesystem::create_directories(ToFsPath(ParentFolder(path)));
  std::ofstream out(ToFsPath(path), std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(ToFsPath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void FakeWorld::UseRealFolders(const std::string& anchor, const std::string& current) {
  system.style = PathStyle::Posix;
  system.modulePath = JoinPath(anchor, "vantor", PathStyle::Posix);
  system.tempFolder = "/tmp/";
  system.currentDirectory = current;
  context.anchorFolder = anchor;
}

}  // namespace vantor::testing
