// The operating system behind one seam. Everything the program asks of
// Windows (or of its Linux stand-ins) goes through the interfaces here; the
// implementations live in win32/ and posix/, and tests use the fakes in
// src/testing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace vantor {

// A value, or the operating system's reason why there is none.
template <typename T>
class SystemResult {
 public:
  SystemResult(T value) : value_(std::move(value)) {}
  SystemResult(std::error_code error) : error_(error) {}

  explicit operator bool() const { return value_.has_value(); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  T value_or(T fallback) const { return value_ ? *value_ : std::move(fallback); }
  // Empty while there is a value.
  const std::error_code& error() const { return error_; }

 private:
  std::optional<T> value_;
  std::error_code error_;
};

// Which separator and path rules a path text follows. Rules written for
// Windows paths take this as a parameter so tests on Linux can check them.
enum class PathStyle { Windows, Posix };

// Console text attributes of the palette.
namespace color {
inline constexpr int kDarkCyan = 3;
inline constexpr int kGrey = 7;
inline constexpr int kDarkGrey = 8;
inline constexpr int kGreen = 10;
inline constexpr int kCyan = 11;
inline constexpr int kRed = 12;
inline constexpr int kYellow = 14;
}  // namespace color

// Where printed text goes. Text is UTF-8; the implementation converts it
// for the console (code page 437 bytes on Windows and into pipes).
class Console {
 public:
  virtual ~Console() = default;
  virtual void SetColor(int attribute) = 0;
  virtual void Write(std::string_view text) = 0;
  // The "cls" of the command interpreter.
  virtual void Clear() = 0;
  virtual void SetTitle(std::string_view title) = 0;
  // Switches the console to code page 437 so box bytes show as lines.
  virtual void UseBoxCodePage() = 0;
  // Hides the cursor and returns whether it was visible before.
  virtual bool HideCursor() = 0;
  virtual void SetCursorVisible(bool visible) = 0;
};

enum class ScriptWindow { Hidden, Interactive };

// What a finished child process left behind.
struct ProcessOutput {
  int exitCode = 0;
  std::string output;  // standard output and standard error, interleaved
};

enum class ElevationResult { Started, Declined, Failed };

// The properties of a shortcut file (.lnk). Window state as the SW_ values:
// 1 a normal window, 7 minimized without taking the focus.
struct ShellLink {
  std::string linkPath;
  std::string target;
  std::string arguments;
  std::string description;
  std::string iconFile;
  int iconIndex = 0;
  std::string workingFolder;
  int windowState = 1;
  bool operator==(const ShellLink&) const = default;
};

// Everything else the jobs need from the operating system.
class System {
 public:
  virtual ~System() = default;

  virtual PathStyle Style() const = 0;
  // Full path of the running executable, not limited in length.
  virtual std::string ModulePath() = 0;
  // The temporary folder, ending with a separator ("" when unknown).
  virtual std::string TempFolder() = 0;
  virtual std::string CurrentDirectory() = 0;
  virtual unsigned ProcessId() = 0;

  // One key without echo, as _getch gives it; -1 when no key can ever come
  // (no console, input closed).
  virtual int ReadKey() = 0;
  // True when ReadKey would return at once (a key, or the end of input).
  virtual bool KeyWaiting() = 0;
  // One line typed (or dropped) at the console, without its line end; empty
  // when no line can come (input closed).
  virtual std::optional<std::string> ReadLine() = 0;
  virtual bool IsShiftHeld() = 0;
  virtual void Sleep(int milliseconds) = 0;

  virtual std::optional<std::string> GetEnv(const std::string& name) = 0;
  virtual void SetEnv(const std::string& name, const std::string& value) = 0;

  // PowerShell with the given arguments (the Windows spelling: the Linux
  // stand-in drops what only Windows PowerShell understands), output
  // captured through a pipe, no standard input, no window of its own.
  // The system's reason when the process could not be started.
  virtual SystemResult<ProcessOutput> RunPowerShell(const std::vector<std::string>& arguments,
                                                    ScriptWindow window) = 0;
  // PowerShell reading `input` from its standard input; its output goes to
  // our console. Returns the exit code, or why it could not start.
  virtual SystemResult<int> RunPowerShellWithInput(const std::vector<std::string>& arguments,
                                                   std::string_view input) = 0;
  // Any other program, started directly (no command interpreter), waited
  // for. The system's reason when it could not be started.
  virtual SystemResult<ProcessOutput> RunProgram(const std::string& program,
                                                 const std::vector<std::string>& arguments) = 0;

  // The shell's "open" verb: a document with its application, or an
  // executable with `parameters` in `workingFolder`. Does not wait. The
  // system's reason when it could not be started.
  virtual std::error_code ShellOpen(const std::string& file, const std::string& parameters,
                                    const std::string& workingFolder) = 0;
  // Starts `file` again with administrator rights.
  virtual ElevationResult ShellRunElevated(const std::string& file,
                                           const std::string& parameters) = 0;

  // Shows a message box and returns the button pressed.
  virtual int ShowMessageBox(const std::string& caption, const std::string& text,
                             unsigned style) = 0;
  // A synthetic Alt tap so that the next message box may take the
  // foreground from a console program.
  virtual void BringMessageBoxForward() = 0;

  [[noreturn]] virtual void EndProcess(int code) = 0;

  // Whether this process holds administrator rights.
  virtual bool IsAdministrator() = 0;
  // The user's desktop folder and Start Menu programs folder; "" when the
  // shell does not know them.
  virtual std::string DesktopFolder() = 0;
  virtual std::string ProgramsFolder() = 0;
  // A string value under HKEY_LOCAL_MACHINE; the key is created when
  // missing, an empty `valueName` is the key's default value. The reason
  // when it could not be written.
  virtual std::error_code SetRegistryString(const std::string& key, const std::string& valueName,
                                            const std::string& data) = 0;
  // Removes a key under HKEY_LOCAL_MACHINE with everything below it. The
  // reason when the key is still there afterwards (a missing key is no
  // error).
  virtual std::error_code DeleteRegistryTree(const std::string& key) = 0;
  // Writes the shortcut file, replacing one of the same name; the reason
  // when it could not be written.
  virtual std::error_code CreateShellLink(const ShellLink& link) = 0;

  // --- Reading the machine registry (Creo discovery) ---
  // The names of the sub-keys of `key` under HKEY_LOCAL_MACHINE, in the
  // registry's order; empty when the key is missing or cannot be read.
  virtual std::vector<std::string> RegistrySubKeys(const std::string& key) = 0;
  // A string value under HKEY_LOCAL_MACHINE; none when the key or the value
  // is missing, cannot be read or holds no text.
  virtual std::optional<std::string> ReadRegistryString(const std::string& key,
                                                        const std::string& valueName) = 0;
};

// Mirroring a folder tree onto another: robocopy /MIR /XO /XF on Windows,
// rsync on Linux. The command is run with System::RunProgram.
enum class MirrorRun { DryRun, Copy };
struct ProgramCall {
  std::string program;
  std::vector<std::string> arguments;
};
// Files named in `excludedNames` are neither copied nor deleted; files
// older than their copy in `destination` are not copied.
ProgramCall MirrorFolderCommand(const std::string& source, const std::string& destination,
                                const std::vector<std::string>& excludedNames, MirrorRun run);
// The finished command read the way robocopy's exit code reads: 0 when the
// trees already agreed, above 0 when files were (or would be) copied or
// deleted, or when something failed.
int MirrorStatus(const ProcessOutput& finished, MirrorRun run);

// Unpacking a zip archive into a folder: Windows' own tar.exe, bsdtar on
// Linux. The command is run with System::RunProgram.
ProgramCall ExtractArchiveCommand(const std::string& archive, const std::string& destination);

// Bytes of an embedded resource by number (templates 107-111, manual 112).
std::optional<std::string_view> EmbeddedResource(int number);

// Text of an embedded script template by file name ("restore_window.ps1").
std::optional<std::string_view> EmbeddedScript(std::string_view name);

// UTF-8 text to the bytes a code page 437 console shows. Bytes that are not
// UTF-8 pass through unchanged; characters 437 lacks become "?".
std::string EncodeCp437(std::string_view utf8);
// The reverse, for showing code page 437 bytes on a UTF-8 terminal.
std::string DecodeCp437(std::string_view bytes);

// Text in the system code page (the machine's ANSI code page, which Creo
// writes its option files in) to UTF-8 and back. The way back is empty when
// a character has no byte in that code page. The Linux build stands in with
// Windows-1252.
std::string SystemCodePageToUtf8(std::string_view bytes);
std::optional<std::string> Utf8ToSystemCodePage(std::string_view utf8);

// The real console and system of this build.
Console& RealConsole();
System& RealSystem();
// The program's arguments as UTF-8 text, without the program name.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Unpredictable names tried for a temporary file or folder before giving up.
inline constexpr int kFreshNameAttempts = 8;
// A replace that another program blocks for a moment (a virus scanner, an
// indexer) is tried this often, this far apart.
inline constexpr int kReplaceAttempts = 20;
inline constexpr int kReplacePauseMs = 100;

// Replaces `path` with `content` so that readers see either the old file
// or the new one whole: a temporary file beside it, flushed, renamed over.
// Retries briefly when another program holds the file. The temporary file
// gets a name nobody can guess and is created new, so a file or link planted
// beside the target is never written through; a link at `path` itself is
// replaced, not followed. The reason when it failed, which leaves the old
// file as it was and no temporary file behind.
std::error_code ReplaceFileAtomically(const std::string& path, std::string_view content);

// Creates `path` new with `content`, flushed. The reason when anything (a
// file, a link) is already there or the write fails, which leaves no file
// behind.
std::error_code CreateNewFile(const std::string& path, std::string_view content);

// 16 hex digits from the system's random source, for names of temporary
// files that nobody can predict.
std::string UnpredictableName();

// Renames `from` to `to` on the same volume, replacing a file at `to`.
// Never copies: across volumes the reason is std::errc::cross_device_link,
// so the caller can copy with care.
std::error_code RenameWithinVolume(const std::string& from, const std::string& to);

// One entry of a folder as the system lists it. Links and junctions are
// reported as links and never followed; hidden and system files are listed.
enum class EntryKind { File, Folder, Link };
struct FolderEntry {
  std::string name;
  EntryKind kind = EntryKind::File;
  std::uint64_t size = 0;
  std::int64_t lastWriteNs = 0;  // nanoseconds since 1970-01-01 UTC
  // A cloud placeholder (OneDrive and the like) whose data is not on the
  // disk: reading it would download the whole file.
  bool dataOffline = false;
  bool readOnly = false;
  // Hidden or system on Windows; a name beginning with "." on Linux.
  bool hidden = false;
  bool operator==(const FolderEntry&) const = default;
};

// The entries of `folder`, without "." and "..", in no particular order.
// Paths of any length (Windows: the \\?\ form is used past 260 characters).
// The system's reason when the folder cannot be listed.
SystemResult<std::vector<FolderEntry>> ListFolder(const std::string& folder);

// The path the system reaches through `path`: absolute, every link and
// junction followed, "." and ".." resolved, names spelled as they are stored
// (Windows: the drive or UNC form, without a \\?\ prefix). The system's
// reason when `path` names nothing.
SystemResult<std::string> RealPath(const std::string& path);

// The names in `folder` that begin with `prefix`, read without looking at
// each entry: cheap in a folder of thousands. Files, folders and links
// alike; empty when the folder cannot be listed.
std::vector<std::string> ListNamesStartingWith(const std::string& folder, std::string_view prefix);

// Whether a process with this id runs now. One the system will not tell
// about (another user's) counts as running.
bool IsProcessRunning(unsigned processId);

// --- Reading the head of a file (the model probe) ---
// At most `maxBytes` from the start of `file`, fewer when it is shorter.
// Opened for reading while others may write or delete it. The system's
// reason when it cannot be opened or read.
SystemResult<std::string> ReadFileHead(const std::string& file, std::size_t maxBytes);

// A file this process creates new and holds alone while it is open: the
// journal of a run that moves files. Another process that opens it alone
// (ReadUnheldFile) fails while it is held; the system lets go when the
// process ends, however it ends.
class HeldFile {
 public:
  // The reason when anything already stands at `path` or it cannot be made.
  static SystemResult<HeldFile> CreateNew(const std::string& path);
  // Appends `bytes` and flushes them to the disk before returning.
  std::error_code Append(std::string_view bytes);
  HeldFile(HeldFile&& other) noexcept;
  HeldFile& operator=(HeldFile&&) = delete;
  HeldFile(const HeldFile&) = delete;
  ~HeldFile();

 private:
  explicit HeldFile(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
};

// The whole content of `path`, read while holding it alone; the reason
// when another process holds it (a live run's journal), or it is gone or
// unreadable.
SystemResult<std::string> ReadUnheldFile(const std::string& path);
// The whole content of `path`, shared with writers (the history log).
SystemResult<std::string> ReadWholeFile(const std::string& path);

// Single file operations on paths of any length (Windows: \\?\ past 260
// characters). Each returns the system's reason when it failed.
std::error_code SetLastWriteTime(const std::string& path, std::int64_t lastWriteNs);
// Deletes a file, clearing its read-only flag first (Windows refuses
// read-only files). A link is deleted, never followed.
std::error_code RemoveOneFile(const std::string& path);
// Deletes a folder only when it is empty.
std::error_code RemoveEmptyFolder(const std::string& path);
// Creates the folder and every missing parent; no error when it exists.
std::error_code CreateFolderChain(const std::string& path);
// Copies `from` to a new file `to` (never through anything standing
// there), flushed; on failure no `to` is left.
std::error_code CopyToNewFile(const std::string& from, const std::string& to);
// What stands at `path`, as ListFolder would list it (links not followed).
SystemResult<FolderEntry> PathEntry(const std::string& path);

// The decimal separator of the user's number format: the Windows regional
// setting; LC_NUMERIC (or LC_ALL, LANG) on Linux. "." when unknown.
std::string UserDecimalSeparator();

// An exclusive lock on a lock file, released when the holder ends (or the
// process dies). Opened without sharing on Windows, flock on Linux.
class FileLock {
 public:
  // Tries for up to `timeoutMs`; without the lock, the system's reason
  // (another holder, or a lock file that cannot be opened).
  static SystemResult<FileLock> Acquire(const std::string& lockPath, int timeoutMs);
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&&) = delete;
  FileLock(const FileLock&) = delete;
  ~FileLock();

 private:
  explicit FileLock(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
};

}  // namespace vantor
