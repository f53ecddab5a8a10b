#include "shell/script_host.h"

#include <filesystem>
#include <limits>
#include <optional>

#include "base/paths.h"
#include "base/text.h"
#include "shell/console_text.h"
#include "shell/whole_number.h"

namespace vantor {
namespace {

// Typographic quotes that PowerShell treats like their plain forms.
constexpr std::string_view kSingleQuotes[] = {"'", "\u2018", "\u2019", "\u201A", "\u201B"};
constexpr std::string_view kDoubleQuotes[] = {"\"", "\u201C", "\u201D", "\u201E"};

// The length of the quote character at `at`, or 0.
template <std::size_t N>
std::size_t QuoteAt(std::string_view text, std::size_t at, const std::string_view (&quotes)[N]) {
  for (const auto quote : quotes)
    if (text.substr(at, quote.size()) == quote) return quote.size();
  return 0;
}

// The payload's name is known in advance, so whatever stands there (a file
// left by a crash, a link planted in a shared temporary folder) is removed,
// never written through, and the file is created new.
std::error_code WritePayload(const std::string& path, std::string_view script) {
  std::error_code ec;
  std::filesystem::remove(ToFsPath(path), ec);
  return CreateNewFile(path, PayloadBytes(script));
}

constexpr std::string_view kPayloadPrefix = "Vantor_Payload_";
constexpr std::string_view kPayloadSuffix = ".ps1";

// The process id in a payload file's name; none for any other name.
std::optional<unsigned> PayloadOwner(std::string_view name) {
  if (!name.starts_with(kPayloadPrefix) || !name.ends_with(kPayloadSuffix)) return std::nullopt;
  const std::string_view digits = name.substr(
      kPayloadPrefix.size(), name.size() - kPayloadPrefix.size() - kPayloadSuffix.size());
  const auto id = ParseWholeNumber(digits, std::numeric_limits<unsigned>::max());
  if (!id) return std::nullopt;
  return static_cast<unsigned>(*id);
}

}  // namespace

std::string FillPlaceholder(std::string_view text, std::string_view placeholder,
                            std::string_view value) {
  std::string out(text);
  if (placeholder.empty()) return out;
  std::size_t at = out.find(placeholder);
  while (at != std::string::npos) {
    out.replace(at, placeholder.size(), value);
    at = out.find(placeholder, at + value.size());
  }
  return out;
}

std::vector<std::string> SplitFields(std::string_view text, char delimiter) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find(delimiter, start);
    if (end == std::string_view::npos) {
      fields.push_back(Trim(text.substr(start)));
      break;
    }
    fields.push_back(Trim(text.substr(start, end - start)));
    start = end + 1;
  }
  return fields;
}

std::string EscapeSingleQuoted(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size();) {
    const std::size_t quote = QuoteAt(value, i, kSingleQuotes);
    const std::size_t length = quote ? quote : 1;
    const std::string_view piece = value.substr(i, length);
    out += piece;
    if (quote) out += piece;
    i += length;
  }
  return out;
}

std::string EscapeDoubleQuoted(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size();) {
    const std::size_t quote = QuoteAt(value, i, kDoubleQuotes);
    const char c = value[i];
    if (quote || c == '`' || c == '$') out += '`';
    const std::size_t length = quote ? quote : 1;
    out += value.substr(i, length);
    i += length;
  }
  return out;
}

std::string EncodeScriptText(std::string_view value) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(value[k]); };
  for (; i + 2 < value.size(); i += 3) {
    const unsigned n = (byte(i) << 16) | (byte(i + 1) << 8) | byte(i + 2);
    for (int shift : {18, 12, 6, 0}) out += kAlphabet[(n >> shift) & 63];
  }
  if (i + 1 == value.size()) {
    const unsigned n = byte(i) << 16;
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += "==";
  } else if (i + 2 == value.size()) {
    const unsigned n = (byte(i) << 16) | (byte(i + 1) << 8);
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += kAlphabet[(n >> 6) & 63];
    out += '=';
  }
  return out;
}

std::string PayloadBytes(std::string_view script) {
  std::string bytes = "\xEF\xBB\xBF";
  for (const char c : script) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  return bytes;
}

std::string PowerShellHost::PayloadPath() const {
  return system_.TempFolder() + std::string(kPayloadPrefix) + std::to_string(system_.ProcessId()) +
         std::string(kPayloadSuffix);
}

void RemoveOrphanedPayloads(System& system) {
  const std::string temp = system.TempFolder();
  if (temp.empty()) return;
  for (const std::string& name : ListNamesStartingWith(temp, kPayloadPrefix)) {
    const auto owner = PayloadOwner(name);
    if (!owner || IsProcessRunning(*owner)) continue;
    const std::filesystem::path path = ToFsPath(temp + name);
    std::error_code ec;  // another start may have removed it first
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, ec)))
      std::filesystem::remove(path, ec);
  }
}

ScriptResult<std::string> PowerShellHost::RunScript(const std::string& script,
                                                    ScriptWindow window) {
  const std::string payload = PayloadPath();
  if (const std::error_code error = WritePayload(payload, script)) return PayloadNotWritten(error);
  std::vector<std::string> args{"-NoProfile"};
  args.push_back(window == ScriptWindow::Interactive ? "-Sta" : "-NonInteractive");
  for (const char* arg : {"-ExecutionPolicy", "Bypass", "-File"}) args.push_back(arg);
  args.push_back(payload);
  const auto run = system_.RunPowerShell(args, window);
  std::error_code ignored;
  std::filesystem::remove(ToFsPath(payload), ignored);
  if (!run)
    return window == ScriptWindow::Interactive ? WindowNeedsPowerShell(run.error())
                                               : NotStarted(run.error());
  return ReadResultLine(run->output);
}

ScriptResult<int> PowerShellHost::RunScriptFromStdin(const std::string& script) {
  const auto exitCode =
      system_.RunPowerShellWithInput({"-STA", "-NoProfile", "-ExecutionPolicy", "Bypass",
                                      "-WindowStyle", "Hidden", "-Command", "-"},
                                     script);
  if (!exitCode) return WindowNeedsPowerShell(exitCode.error());
  return *exitCode;
}

void RelaunchElevated(Console& console, System& system, const std::string& parameters) {
  switch (system.ShellRunElevated(system.ModulePath(), parameters)) {
    case ElevationResult::Started:
      system.EndProcess(0);
      return;
    case ElevationResult::Declined:
      Print(console, color::kYellow, "\n  [WARNING] Credentials Elevation declined.\n");
      console.SetColor(color::kGrey);
      return;
    case ElevationResult::Failed:
      return;
  }
}

}  // namespace vantor
