// What makes a window unusable on a small screen or unreadable: a window
// larger than a 1280x720 screen, controls that overlap or leave their
// container, and texts cut by the box they are drawn in. Sizes are checked,
// not pixels: the tests' fonts differ from a real Windows desktop's.
using System.Drawing;
using System.Windows.Forms;

namespace WinHost;

public static class LayoutCheck {
  public static readonly Rectangle Screen = new(0, 0, 1280, 720);

  public static List<string> Problems(Form form) {
    var problems = new List<string>();
    if (!Screen.Contains(form.Bounds))
      problems.Add($"window '{form.Text}' {form.Bounds} does not fit the screen {Screen.Size}");
    CheckContainer(form, Describe(form), problems);
    return problems;
  }

  static void CheckContainer(Control container, string where, List<string> problems) {
    var children = container.Controls.Cast<Control>().Where(c => c.Visible).ToList();
    // A scrolling panel's rows may reach below its visible part.
    var room = container is ScrollableControl { AutoScroll: true } scrolling
                   ? new Rectangle(Point.Empty, scrolling.DisplayRectangle.Size)
                   : container.ClientRectangle;
    for (int i = 0; i < children.Count; i++) {
      var a = children[i];
      if (!room.Contains(a.Bounds)) problems.Add($"{where}: {Describe(a)} {a.Bounds} leaves {room}");
      for (int j = i + 1; j < children.Count; j++) {
        var b = children[j];
        if (a.Bounds.IntersectsWith(b.Bounds))
          problems.Add($"{where}: {Describe(a)} {a.Bounds} overlaps {Describe(b)} {b.Bounds}");
      }
      if (CutText(a) is { } cut) problems.Add($"{where}: {Describe(a)} {cut}");
      if (a.Controls.Count > 0 && a is not ComboBox && a is not TextBox)
        CheckContainer(a, where + "/" + Describe(a), problems);
    }
  }

  // Why the control's text does not fit it, or null when it does.
  static string? CutText(Control control) {
    if (string.IsNullOrEmpty(control.Text)) return null;
    Size room;
    var flags = TextFormatFlags.WordBreak;
    switch (control) {
      case Label label:
        if (!label.UseMnemonic) flags |= TextFormatFlags.NoPrefix;
        room = label.ClientSize - label.Padding.Size;
        break;
      case CheckBox box:
        room = new Size(box.Width - SystemInformation.MenuCheckSize.Width - 6, box.Height);
        break;
      case Button button:
        room = new Size(button.Width - 8, button.Height - 4);
        break;
      case ComboBox list when list.DropDownStyle == ComboBoxStyle.DropDownList:
        room = new Size(list.Width - SystemInformation.VerticalScrollBarWidth - 6, list.Height);
        flags = TextFormatFlags.SingleLine;
        break;
      default:
        return null;
    }
    var needed = TextRenderer.MeasureText(control.Text, control.Font, new Size(room.Width, 0), flags);
    // Wine breaks a word too long for a line in the middle, Windows cuts it.
    var word = LongestWord(control, flags & TextFormatFlags.NoPrefix);
    if (needed.Width <= room.Width && needed.Height <= room.Height && word <= room.Width) return null;
    return $"text needs {Math.Max(needed.Width, word)}x{needed.Height}, has {room.Width}x{room.Height}";
  }

  static int LongestWord(Control control, TextFormatFlags flags) {
    var words = control.Text.Split(new[] { ' ', '\r', '\n' }, StringSplitOptions.RemoveEmptyEntries);
    return words.Length == 0 ? 0 : words.Max(w => TextRenderer.MeasureText(w, control.Font, Size.Empty, flags | TextFormatFlags.SingleLine).Width);
  }

  static string Describe(Control control) {
    var text = control.Text.Length > 48 ? control.Text[..45] + "..." : control.Text;
    var name = control.Name.Length > 0 ? control.Name + " " : "";
    return $"{control.GetType().Name} {name}'{text}'";
  }
}
