// Runs one PowerShell script as `powershell.exe -Sta -File script args` would:
// on an STA thread, its output and Write-Host text on standard output, its
// errors on standard error. The exit code is the script's `exit N`, or 1 when
// it wrote errors or stopped on one. With VANTOR_FORM_REPORT set, the forms it
// shows are described and checked (FormInspector).
using System.Management.Automation;
using System.Management.Automation.Runspaces;
using System.Runtime.InteropServices;
using System.Text;

namespace WinHost;

public static class Program {
  [STAThread]
  public static int Main(string[] args) {
    if (args.Length == 0) {
      Console.Error.WriteLine("usage: winhost script.ps1 [argument ...]");
      return 2;
    }
    Console.OutputEncoding = new UTF8Encoding(false);
    // WINHOST_TRACE=1 shows every exception as it is thrown, caught or not.
    if (Environment.GetEnvironmentVariable("WINHOST_TRACE") == "1")
      AppDomain.CurrentDomain.FirstChanceException += (_, e) =>
          Console.Error.WriteLine("[thrown] " + e.Exception.GetType().Name + ": " + e.Exception.Message
              + Environment.NewLine + Environment.StackTrace);
    var state = InitialSessionState.CreateDefault2();
    state.ExecutionPolicy = Microsoft.PowerShell.ExecutionPolicy.Bypass;
    using var runspace = RunspaceFactory.CreateRunspace(state);
    runspace.ApartmentState = ApartmentState.STA;
    runspace.ThreadOptions = PSThreadOptions.UseCurrentThread;
    runspace.Open();
    // For an error in an event handler Windows Forms would open its own
    // window and wait for a click that never comes: print it and end.
    System.Windows.Forms.Application.ThreadException += (_, e) => {
      Console.Error.WriteLine("error in a window event: " + Describe(e.Exception));
      Environment.Exit(3);
    };
    var reports = Environment.GetEnvironmentVariable("VANTOR_FORM_REPORT");
    if (!string.IsNullOrEmpty(reports)) FormInspector.Start(reports);
    int errors = RunScript(runspace, Path.GetFullPath(args[0]), args.Skip(1).ToArray());
    if (errors < 0) return 1;
    int code = LastExitCode(runspace);
    return code != 0 ? code : (errors > 0 ? 1 : 0);
  }

  // The number of error records the script wrote, or -1 when it stopped on one.
  static int RunScript(Runspace runspace, string path, string[] args) {
    using var shell = PowerShell.Create(runspace);
    shell.AddScript("param($Path, $Arguments) & $Path @Arguments")
        .AddArgument(path).AddArgument(args)
        .AddCommand("Out-String").AddParameter("Stream");
    var output = new PSDataCollection<PSObject>();
    output.DataAdded += (_, e) => Console.WriteLine(output[e.Index]);
    shell.Streams.Information.DataAdded += (_, e) =>
        Console.WriteLine(shell.Streams.Information[e.Index].MessageData);
    shell.Streams.Warning.DataAdded += (_, e) =>
        Console.Error.WriteLine("WARNING: " + shell.Streams.Warning[e.Index].Message);
    shell.Streams.Error.DataAdded += (_, e) => Console.Error.WriteLine(Describe(shell.Streams.Error[e.Index]));
    try {
      shell.Invoke(null, output);
    } catch (RuntimeException e) {
      Console.Error.WriteLine(Describe(e));
      return -1;
    }
    // HadErrors is also set by -ErrorAction SilentlyContinue; only real records count.
    return shell.Streams.Error.Count;
  }

  static string Describe(Exception error) =>
      error is IContainsErrorRecord { ErrorRecord: { } record } ? Describe(record) : error.ToString();

  static string Describe(ErrorRecord record) =>
      record + (record.InvocationInfo is { } at ? Environment.NewLine + at.PositionMessage : "");

  static int LastExitCode(Runspace runspace) {
    using var shell = PowerShell.Create(runspace);
    var value = shell.AddScript("$global:LASTEXITCODE").Invoke().FirstOrDefault()?.BaseObject;
    return value is int code ? code : 0;
  }
}

// Message boxes are not forms; the tests find, read and answer them here.
public static class MessageBoxes {
  const uint WmCommand = 0x0111;
  const int TextId = 0xFFFF;

  struct Rect {
    public int Left, Top, Right, Bottom;
  }

  [DllImport("user32.dll", CharSet = CharSet.Unicode)]
  static extern IntPtr FindWindow(string className, string? caption);
  [DllImport("user32.dll")]
  static extern IntPtr GetDlgItem(IntPtr dialog, int id);
  [DllImport("user32.dll", CharSet = CharSet.Unicode)]
  static extern int GetWindowText(IntPtr window, StringBuilder text, int size);
  [DllImport("user32.dll")]
  static extern bool GetWindowRect(IntPtr window, out Rect rect);
  [DllImport("user32.dll")]
  static extern bool PostMessage(IntPtr window, uint message, IntPtr wParam, IntPtr lParam);

  // The text of the open message box with this caption, or null when none is open.
  public static string? Text(string caption) {
    IntPtr box = FindWindow("#32770", caption);
    if (box == IntPtr.Zero) return null;
    var text = new StringBuilder(4096);
    GetWindowText(GetDlgItem(box, TextId), text, text.Capacity);
    return text.ToString();
  }

  // Where the open message box with this caption is on the screen, or null.
  public static System.Drawing.Rectangle? Bounds(string caption) {
    IntPtr box = FindWindow("#32770", caption);
    if (box == IntPtr.Zero || !GetWindowRect(box, out var r)) return null;
    return System.Drawing.Rectangle.FromLTRB(r.Left, r.Top, r.Right, r.Bottom);
  }

  // Presses a button of the open message box (1 OK, 2 Cancel, 6 Yes, 7 No).
  public static bool Press(string caption, int button) {
    IntPtr box = FindWindow("#32770", caption);
    return box != IntPtr.Zero && PostMessage(box, WmCommand, button, IntPtr.Zero);
  }
}
