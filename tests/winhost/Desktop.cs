// What a window test does from outside the program, as a user would: find a
// window, press its buttons and keys, type into its boxes, pick from its
// lists, hold SHIFT. Windows messages and SendInput only: the windows belong
// to another process.
using System.Runtime.InteropServices;
using System.Text;

namespace WinHost;

public static class Desktop {
  const uint WmSetText = 0x000C, WmGetText = 0x000D, WmGetTextLength = 0x000E, WmCommand = 0x0111;
  const uint EmCharFromPos = 0x00D7, CbSetCurSel = 0x014E, BmClick = 0x00F5, BnClicked = 0, CbnSelChange = 1, EnChange = 0x0300;
  const ushort VkShift = 0x10, VkControl = 0x11;
  const uint MouseLeftDown = 0x0002, MouseLeftUp = 0x0004;
  const uint KeyUp = 0x0002;

  // INPUT with its keyboard member; the union's mouse member sets the size.
  [StructLayout(LayoutKind.Explicit, Size = 40)]
  struct KeyInput {
    [FieldOffset(0)] public uint Type;
    [FieldOffset(8)] public ushort Key;
    [FieldOffset(12)] public uint Flags;
  }

  [DllImport("user32.dll", CharSet = CharSet.Unicode)]
  static extern IntPtr FindWindow(string? className, string caption);
  [DllImport("user32.dll")]
  static extern bool IsWindowVisible(IntPtr window);
  [DllImport("user32.dll")]
  static extern IntPtr GetParent(IntPtr window);
  [DllImport("user32.dll")]
  static extern int GetDlgCtrlID(IntPtr window);
  [DllImport("user32.dll")]
  static extern IntPtr SendMessage(IntPtr window, uint message, IntPtr wParam, IntPtr lParam);
  [DllImport("user32.dll", CharSet = CharSet.Unicode, EntryPoint = "SendMessageW")]
  static extern IntPtr SendText(IntPtr window, uint message, IntPtr wParam, string text);
  [DllImport("user32.dll", CharSet = CharSet.Unicode, EntryPoint = "SendMessageW")]
  static extern IntPtr ReadText(IntPtr window, uint message, IntPtr wParam, StringBuilder text);
  [DllImport("user32.dll")]
  static extern bool PostMessage(IntPtr window, uint message, IntPtr wParam, IntPtr lParam);
  [DllImport("user32.dll")]
  static extern uint SendInput(uint count, KeyInput[] inputs, int size);
  [DllImport("user32.dll")]
  static extern short GetAsyncKeyState(int key);
  [DllImport("user32.dll")]
  static extern bool SetCursorPos(int x, int y);
  [DllImport("user32.dll")]
  static extern void mouse_event(uint flags, int dx, int dy, uint data, UIntPtr extra);
  [DllImport("user32.dll")]
  static extern bool GetWindowRect(IntPtr window, out Rect rect);

  struct Rect {
    public int Left, Top, Right, Bottom;
  }

  // The shown top-level window with this title, or zero.
  public static IntPtr Find(string title) {
    var window = FindWindow(null, title);
    return window != IntPtr.Zero && IsWindowVisible(window) ? window : IntPtr.Zero;
  }

  // What a control tells its parent when the user works it; the window
  // toolkit hands it back to the control, which then acts as if clicked,
  // picked or typed into. Posted, so a dialog it opens does not hold us.
  static void Notify(IntPtr control, uint code) {
    var wParam = (IntPtr)((code << 16) | ((uint)GetDlgCtrlID(control) & 0xFFFF));
    PostMessage(GetParent(control), WmCommand, wParam, control);
  }

  public static void Click(IntPtr button) => Notify(button, BnClicked);

  // A check box acts on the mouse itself, not on what its parent is told.
  public static void Toggle(IntPtr box) => PostMessage(box, BmClick, IntPtr.Zero, IntPtr.Zero);

  public static void Pick(IntPtr list, int index) {
    SendMessage(list, CbSetCurSel, index, IntPtr.Zero);
    Notify(list, CbnSelChange);
  }

  public static void Type(IntPtr box, string text) {
    SendText(box, WmSetText, IntPtr.Zero, text);
    Notify(box, EnChange);
  }

  public static string Text(IntPtr window) {
    int length = (int)SendMessage(window, WmGetTextLength, IntPtr.Zero, IntPtr.Zero);
    var text = new StringBuilder(length + 1);
    ReadText(window, WmGetText, text.Capacity, text);
    return text.ToString();
  }

  // The index of the first character a one-line text box shows at its left edge.
  public static int FirstShownChar(IntPtr box) =>
      (int)SendMessage(box, EmCharFromPos, IntPtr.Zero, (IntPtr)((8 << 16) | 4)) & 0xFFFF;

  public static System.Drawing.Rectangle Bounds(IntPtr window) {
    GetWindowRect(window, out var r);
    return System.Drawing.Rectangle.FromLTRB(r.Left, r.Top, r.Right, r.Bottom);
  }

  // Presses or lets go of SHIFT on the keyboard of the whole desktop.
  public static bool Shift(bool down) {
    var input = new KeyInput { Type = 1, Key = VkShift, Flags = down ? 0 : KeyUp };
    SendInput(1, new[] { input }, Marshal.SizeOf<KeyInput>());
    return (GetAsyncKeyState(VkShift) < 0) == down;
  }

  // A left click at a point of the screen, as the mouse gives it: the
  // window under it takes the focus.
  public static void ClickAt(int x, int y) {
    SetCursorPos(x, y);
    mouse_event(MouseLeftDown, 0, 0, 0, UIntPtr.Zero);
    mouse_event(MouseLeftUp, 0, 0, 0, UIntPtr.Zero);
  }

  // CTRL and a letter (upper case) together, to the control with the focus.
  public static void ControlKey(char letter) {
    var keys = new[] {
      new KeyInput { Type = 1, Key = VkControl }, new KeyInput { Type = 1, Key = letter },
      new KeyInput { Type = 1, Key = letter, Flags = KeyUp },
      new KeyInput { Type = 1, Key = VkControl, Flags = KeyUp } };
    SendInput((uint)keys.Length, keys, Marshal.SizeOf<KeyInput>());
  }
}
