// With VANTOR_FORM_REPORT naming a folder, every form this host shows is
// described there for the tests that drive it from another process: one file
// per form, "<window handle>.form", tab-separated lines
//   form     handle  title  x,y,width,height
//   control  handle  name   type  text  state (a list's items with "|"
//                                          between, a check box's state)
//   problem  what the layout check found
// written when the form first shows and again as it closes.
using System.Text;
using System.Windows.Forms;

namespace WinHost;

public static class FormInspector {
  static readonly HashSet<IntPtr> Seen = new();
  static string folder = "";

  public static void Start(string reportFolder) {
    folder = reportFolder;
    Directory.CreateDirectory(folder);
    // Ticks on this thread whenever a window's message loop runs.
    var timer = new System.Windows.Forms.Timer { Interval = 150 };
    timer.Tick += (_, _) => LookForForms();
    timer.Start();
  }

  static void LookForForms() {
    foreach (Form form in Application.OpenForms) {
      if (!form.Visible || !form.IsHandleCreated || !Seen.Add(form.Handle)) continue;
      Report(form);
      form.FormClosing += (_, _) => Report(form);
    }
  }

  static void Report(Form form) {
    var text = new StringBuilder();
    var b = form.Bounds;
    text.Append($"form\t{form.Handle}\t{form.Text}\t{b.X},{b.Y},{b.Width},{b.Height}\n");
    foreach (var control in Walk(form)) {
      var items = control switch {
        ComboBox box => string.Join("|", box.Items.Cast<object>()),
        CheckBox box => box.CheckState.ToString(),
        _ => "",
      };
      text.Append($"control\t{control.Handle}\t{control.Name}\t{control.GetType().Name}\t" +
                  $"{OneLine(control.Text)}\t{items}\n");
    }
    foreach (var problem in LayoutCheck.Problems(form)) text.Append($"problem\t{OneLine(problem)}\n");
    var path = Path.Combine(folder, form.Handle + ".form");
    File.WriteAllText(path + ".tmp", text.ToString(), new UTF8Encoding(false));
    File.Move(path + ".tmp", path, true);
  }

  static IEnumerable<Control> Walk(Control parent) {
    foreach (Control child in parent.Controls) {
      yield return child;
      foreach (var inner in Walk(child)) yield return inner;
    }
  }

  static string OneLine(string text) =>
      text.Replace("\\", "\\\\").Replace("\r", "\\r").Replace("\n", "\\n").Replace("\t", "\\t");
}
