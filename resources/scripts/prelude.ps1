# Vantor shared window code: the build puts this file in front of every window
# script, so they decode their values, write files and lay out their controls
# the same way. Only functions here: the script after it decides what runs. Fed
# through standard input as well (the restore window), so "} else {" and
# "} catch {" stay on one line.

Set-StrictMode -Version 3.0

# Text values arrive as base64 of their UTF-8 bytes, so no quote, dollar sign
# or backtick in a folder name can ever be read as script.
function ConvertFrom-VantorText([string]$Encoded) {
    [System.Text.Encoding]::UTF8.GetString([System.Convert]::FromBase64String($Encoded))
}

# PowerShell records the methods a run compiles and, on the next run, compiles
# them ahead on a spare core. Its record is one for all scripts, so each would
# find the others' methods: each script keeps its own record beside
# PowerShell's. Tests (VantorNoWindow) keep theirs.
function Start-CompileProfile([string]$Name) {
    if ($ExecutionContext.SessionState.PSVariable.GetValue('VantorNoWindow')) { return }
    [System.Runtime.ProfileOptimization]::StartProfile('Vantor-' + $Name)
}

# A failure's reason, fit for one field of a result line.
function Get-ReasonText {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowNull()][object]$ErrorRecord)
    $e = $ErrorRecord
    if ($e -is [System.Management.Automation.ErrorRecord]) { $e = $e.Exception }
    while ($e -is [System.Management.Automation.MethodInvocationException] -and $null -ne $e.InnerException) {
        $e = $e.InnerException
    }
    $text = [string]$e
    if ($e -is [System.Exception]) { $text = $e.Message }
    $text = [regex]::Replace($text, '[|\p{Cc}]+', ' ').Trim()
    if ($text.Length -gt 160) { $text = $text.Substring(0, 157) + '...' }
    return $text
}

# --- writing files ---------------------------------------------------------------

function Remove-LeftoverFile {
    # Removes what a failed step left beside its target (a temporary or partial
    # file). The step's own error is the one the user needs, so a refusal here
    # is only told in verbose output; the leftover is harmless clutter.
    [CmdletBinding()]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path)
    try { [System.IO.File]::Delete($Path) } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        Write-Verbose ('Left behind: ' + $Path + ' (' + $_.Exception.Message + ')')
    }
}

function Set-FileOver {
    # Puts Source in the place of an existing Destination in one step on one volume.
    # .NET Framework 4.x (5.1) has no File.Move with overwrite; File.Replace does it.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][string]$Source,
        [Parameter(Mandatory)][string]$Destination
    )
    $moveOver = [System.IO.File].GetMethod('Move', [type[]]@([string], [string], [bool]))
    [System.IO.File]::SetAttributes($Destination, [System.IO.FileAttributes]::Normal)
    if ($null -ne $moveOver) {
        $null = $moveOver.Invoke($null, [object[]]@($Source, $Destination, $true))
    } else {
        [System.IO.File]::Replace($Source, $Destination, [NullString]::Value)
    }
}

function ConvertTo-CrLfByte {
    # The lines as UTF-8 without a byte-order mark, each ended by CR LF.
    [CmdletBinding()]
    [OutputType([byte[]])]
    param([Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line)
    if ($Line.Length -eq 0) { return , [byte[]]@() }
    $text = [string]::Join("`r`n", $Line) + "`r`n"
    return , [System.Text.UTF8Encoding]::new($false).GetBytes($text)
}

function Write-FileAtomically {
    # Replaces Path whole with Byte: a new temporary file beside it, flushed to
    # disk, then renamed over it, so a reader or a crash never meets half a file.
    # A virus scanner or an indexer may hold the file for a moment, so the rename
    # is retried for RetryMilliseconds. Throws with the reason; the file is then
    # as it was and no temporary file is left.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path,
        [Parameter(Mandatory)][AllowEmptyCollection()][byte[]]$Byte,
        [ValidateRange(0, 600000)][int]$RetryMilliseconds = 2000
    )
    $target = $Path
    $temp = $target + '.' + [guid]::NewGuid().ToString('N') + '.tmp'
    $placed = $false
    try {
        $mode = [System.IO.FileMode]::CreateNew
        $stream = [System.IO.FileStream]::new($temp, $mode, [System.IO.FileAccess]::Write, [System.IO.FileShare]::None)
        try {
            $stream.Write($Byte, 0, $Byte.Length)
            $stream.Flush($true)
        } finally {
            $stream.Dispose()
        }
        $clock = [System.Diagnostics.Stopwatch]::StartNew()
        while (-not $placed) {
            try {
                if ([System.IO.File]::Exists($target)) {
                    Set-FileOver -Source $temp -Destination $target
                } else {
                    [System.IO.File]::Move($temp, $target)
                }
                $placed = $true
            } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
                if ($clock.ElapsedMilliseconds -ge $RetryMilliseconds) { throw }
                Start-Sleep -Milliseconds 50
            }
        }
    } finally {
        if (-not $placed -and [System.IO.File]::Exists($temp)) { Remove-LeftoverFile -Path $temp }
    }
}

# --- window controls ------------------------------------------------------------
# For the scripts that open a window; they load Windows Forms before calling these.

function New-WindowFont {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][single]$Size,
        [ValidateSet('Regular', 'Bold', 'Italic')][string]$Style = 'Regular'
    )
    return [System.Drawing.Font]::new('Segoe UI', $Size, [System.Drawing.FontStyle]$Style)
}

function New-WindowControl {
    # A Windows Forms control of the named type (Label, Button, TextBox, ...)
    # with its text, Bounds (x, y, width, height) and, unless $null, font.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][string]$Type,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Text,
        [Parameter(Mandatory)][ValidateCount(4, 4)][int[]]$Bounds,
        [AllowNull()]$Font = $null
    )
    $control = ([type]('System.Windows.Forms.' + $Type))::new()
    $control.Text = $Text
    $control.Location = [System.Drawing.Point]::new($Bounds[0], $Bounds[1])
    $control.Size = [System.Drawing.Size]::new($Bounds[2], $Bounds[3])
    if ($null -ne $Font) { $control.Font = $Font }
    # Texts such as "Environment & Launch" show their "&" instead of underlining a letter.
    if ($control -is [System.Windows.Forms.Label]) { $control.UseMnemonic = $false }
    return $control
}

function New-WindowLabel {
    # A label in a look both windows share: Title, the dark band across the
    # top; Note, the framed box under it; Caption, the heading of a group.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateSet('Title', 'Note', 'Caption')][string]$Look,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Text,
        [Parameter(Mandatory)][ValidateCount(4, 4)][int[]]$Bounds
    )
    $font = New-WindowFont -Size 8.75
    if ($Look -eq 'Title') { $font = New-WindowFont -Size 13 -Style Bold }
    if ($Look -eq 'Caption') { $font = New-WindowFont -Size 10.5 -Style Bold }
    $label = New-WindowControl -Type Label -Text $Text -Bounds $Bounds -Font $font
    switch ($Look) {
        'Title' {
            $label.ForeColor = [System.Drawing.Color]::White
            $label.BackColor = [System.Drawing.Color]::FromArgb(40, 45, 50)
            $label.Padding = [System.Windows.Forms.Padding]::new(12, 10, 0, 0)
        }
        'Note' {
            $label.ForeColor = [System.Drawing.Color]::FromArgb(60, 60, 60)
            $label.BackColor = [System.Drawing.Color]::FromArgb(245, 247, 250)
            $label.BorderStyle = [System.Windows.Forms.BorderStyle]::FixedSingle
            $label.Padding = [System.Windows.Forms.Padding]::new(8, 5, 8, 5)
        }
        'Caption' { $label.ForeColor = [System.Drawing.Color]::FromArgb(30, 80, 140) }
    }
    return $label
}

function Set-WindowFit {
    # Keeps the buttons of a tall window on a small screen (a 1080p laptop at
    # 150 % leaves 672 pixels above its taskbar): the controls from Top down
    # to Bottom move into a panel that scrolls, the ones below Bottom move up.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)]$Form,
        [Parameter(Mandatory)][int]$Top,
        [Parameter(Mandatory)][int]$Bottom
    )
    $screen = [System.Windows.Forms.Screen]::PrimaryScreen.WorkingArea.Height
    # The frame of a fixed dialog: its caption and a border above and below.
    $border = [System.Windows.Forms.SystemInformation]::FixedFrameBorderSize.Height
    $frame = [System.Windows.Forms.SystemInformation]::CaptionHeight + 2 * $border
    $tallest = [Math]::Min($screen, 672) - $frame
    $client = $Form.ClientSize
    if ($client.Height -le $tallest) { return }
    $shift = $client.Height - $tallest
    $width = $client.Width + [System.Windows.Forms.SystemInformation]::VerticalScrollBarWidth
    $panel = New-WindowControl -Type Panel -Text '' -Bounds 0, $Top, $width, ($Bottom - $Top - $shift)
    $panel.AutoScroll = $true
    foreach ($control in @($Form.Controls)) {
        # The title band stays as wide as the window.
        if ($control.Left -eq 0 -and $control.Width -eq $client.Width) { $control.Width = $width }
        if ($control.Top -ge $Bottom) { $control.Top -= $shift; continue }
        if ($control.Top -lt $Top) { continue }
        $Form.Controls.Remove($control)
        $control.Top -= $Top
        $panel.Controls.Add($control)
    }
    $Form.Controls.Add($panel)
    $Form.ClientSize = [System.Drawing.Size]::new($width, $tallest)
}
