# Shared by the window scenarios that winhost runs under Wine.
#
# A window of the real program, from outside, as a user works it:
#   $run = Start-Vantor -Anchor $folder -Argument '/R'   # Vantor.exe under Wine, with the
#                                                        # stand-in powershell.exe beside it
#   $form = Wait-Form 'Window title'                     # shown and described (its controls)
#   Set-FormText / Select-FormItem / Invoke-FormButton $form 'name or button text'
#   Save-WindowPicture 'picture-name' $form.Handle        # with VANTOR_PICTURES (make-pictures)
#   $printed = Wait-Vantor $run                           # its console output; every form it
#                                                        # showed must pass the layout check
# Older scenarios fill a template as Vantor does and drive it from inside its
# own message loop (Invoke-DrivenScript).

Set-StrictMode -Version 3.0
# Timer ticks run inside the filled script: $script: is that script's scope,
# and a step sees the script's own variables before the scenario's, so the
# driver keeps its state in globals and scenarios name their variables apart.
$ErrorActionPreference = 'Stop'
Add-Type -AssemblyName System.Windows.Forms
Add-Type -AssemblyName System.Drawing
# The pointer out of the way: over a control it would open a tool tip.
[System.Windows.Forms.Cursor]::Position = [System.Drawing.Point]::new(1279, 719)

$global:VantorRepo = [System.IO.Path]::GetFullPath([System.IO.Path]::Combine($PSScriptRoot, '..', '..', '..'))
$global:VantorWatch = [System.Diagnostics.Stopwatch]::StartNew()
$global:VantorFailures = [System.Collections.Generic.List[string]]::new()
$global:VantorUtf8 = [System.Text.UTF8Encoding]::new($false)

function Write-Seen([string]$Text) {
    Write-Host ('[{0,5:0.0}s] {1}' -f $global:VantorWatch.Elapsed.TotalSeconds, $Text)
}

function Add-Failure([string]$Text) {
    $global:VantorFailures.Add($Text)
    Write-Seen ('FAIL: ' + $Text)
}

function Assert-Equal($Expected, $Actual, [string]$What) {
    if ([string]$Expected -cne [string]$Actual) {
        Add-Failure ("$What`n    expected: $Expected`n    actual:   $Actual")
    }
}

# --- filling a template ------------------------------------------------------

# Fills a template as the program does: text values go in as UTF-8 Base64,
# literal values (such as $true) as they are; the payload is UTF-8 with a
# byte-order mark and CR LF line ends.
function New-FilledScript {
    param(
        [Parameter(Mandatory)][string]$Template,
        [Parameter(Mandatory)][string]$Folder,
        [hashtable]$Text = @{},
        [hashtable]$Literal = @{}
    )
    $scripts = [System.IO.Path]::Combine($global:VantorRepo, 'resources', 'scripts')
    $script = [System.IO.File]::ReadAllText([System.IO.Path]::Combine($scripts, $Template))
    # As the build embeds them: every template carries the prelude.
    $script = [System.IO.File]::ReadAllText([System.IO.Path]::Combine($scripts, 'prelude.ps1')) + $script
    foreach ($key in $Text.Keys) {
        $encoded = [System.Convert]::ToBase64String($global:VantorUtf8.GetBytes([string]$Text[$key]))
        $script = $script.Replace($key, $encoded)
    }
    foreach ($key in $Literal.Keys) { $script = $script.Replace($key, [string]$Literal[$key]) }
    $script = $script.Replace("`r`n", "`n").Replace("`n", "`r`n")
    $name = 'Vantor_Payload_' + [guid]::NewGuid().ToString('N').Substring(0, 8) + '.ps1'
    $path = [System.IO.Path]::Combine($Folder, $name)
    [System.IO.File]::WriteAllText($path, $script, [System.Text.UTF8Encoding]::new($true))
    return $path
}

# --- the driver -----------------------------------------------------------------

# Runs $Script (a filled payload) while the steps drive its windows; returns
# what the script printed. A step returns $true when it is done; anything else
# means "not yet" and it runs again on the next tick. When the time limit is
# hit, everything open is described and the process ends with 124.
function Invoke-DrivenScript {
    param(
        [Parameter(Mandatory)][string]$Name,
        [Parameter(Mandatory)][scriptblock]$Run,
        [Parameter(Mandatory)][AllowEmptyCollection()][scriptblock[]]$Step,
        [int]$TimeLimit = 120
    )
    Write-Seen "-- $Name"
    $deadline = $global:VantorWatch.Elapsed.TotalSeconds + $TimeLimit
    $global:VantorDriver = [pscustomobject]@{ Name = $Name; Steps = $Step; Next = 0; Deadline = $deadline }
    $timer = [System.Windows.Forms.Timer]::new()
    $timer.Interval = 200
    $timer.Add_Tick({ Invoke-DriverTick })
    $timer.Start()
    try { $output = @(& $Run) }
    finally { $timer.Stop(); $timer.Dispose() }
    if ($global:VantorDriver.Next -lt $Step.Count) {
        $next = $global:VantorDriver.Next
        Add-Failure ("$Name ended before step $($next + 1) of $($Step.Count): " + $Step[$next].ToString().Trim())
    }
    Write-Seen ("printed: " + ($output -join ' | '))
    return $output
}

function Invoke-DriverTick {
    $driver = $global:VantorDriver
    if ($global:VantorWatch.Elapsed.TotalSeconds -gt $driver.Deadline) { Stop-OnTimeLimit }
    $index = $driver.Next
    if ($index -ge $driver.Steps.Count) { return }
    # A step that opens a modal window returns only when it closes; the ticks
    # in between run the steps that follow.
    $driver.Next = $index + 1
    $done = $false
    try { $done = (& $driver.Steps[$index]) -eq $true }
    catch {
        Add-Failure ("step $($index + 1) of $($driver.Name) threw: " + $_.Exception.Message)
        $done = $true
        Close-AllWindows
    }
    if (-not $done -and $driver.Next -eq $index + 1) { $driver.Next = $index }
}

function Stop-OnTimeLimit {
    Write-Seen ("TIME LIMIT in $($global:VantorDriver.Name) at step $($global:VantorDriver.Next + 1); open windows:")
    foreach ($form in [System.Windows.Forms.Application]::OpenForms) {
        Write-Seen ("  form '" + $form.Text + "' visible=" + $form.Visible)
        foreach ($control in $form.Controls) {
            Write-Seen ('    ' + $control.GetType().Name + " '" + $control.Text + "' " + $control.Bounds)
        }
    }
    foreach ($caption in @('Confirm Removal', 'Vantor Configuration Editor', 'Vantor Migration')) {
        $text = [WinHost.MessageBoxes]::Text($caption)
        if ($null -ne $text) { Write-Seen "  message box '$caption': $text" }
    }
    [System.Environment]::Exit(124)
}

function Close-AllWindows {
    foreach ($form in @([System.Windows.Forms.Application]::OpenForms)) { $form.Close() }
}

# --- looking at windows ---------------------------------------------------------

function Get-ShownForm([Parameter(Mandatory)][string]$Title) {
    foreach ($form in [System.Windows.Forms.Application]::OpenForms) {
        if ($form.Text -eq $Title -and $form.Visible) { return $form }
    }
    return $null
}

function Get-Control($Form, [string]$Name) {
    $found = $Form.Controls.Find($Name, $true)
    if ($found.Count -ne 1) { throw "no single control named $Name" }
    return $found[0]
}

function Get-Button($Form, [string]$Text) {
    foreach ($control in $Form.Controls) {
        if ($control -is [System.Windows.Forms.Button] -and $control.Text -eq $Text) { return $control }
    }
    throw "no button '$Text'"
}

# With VANTOR_PICTURES set, asks the picture taker for a shot of the screen
# area and waits until it is there; otherwise does nothing.
function Request-Picture([string]$Name, [System.Drawing.Rectangle]$Area) {
    $folder = $env:VANTOR_PICTURES
    if (-not $folder) { return $true }
    $want = [System.IO.Path]::Combine($folder, $Name + '.want')
    $done = [System.IO.Path]::Combine($folder, $Name + '.done')
    if ([System.IO.File]::Exists($done)) { return $true }
    if (-not [System.IO.File]::Exists($want)) {
        $text = '{0}x{1}+{2}+{3}' -f $Area.Width, $Area.Height, $Area.X, $Area.Y
        [System.IO.File]::WriteAllText($want + '.tmp', $text)
        [System.IO.File]::Move($want + '.tmp', $want)
    }
    return $false
}

# --- Vantor.exe driven from outside ------------------------------------------

# Starts Vantor.exe from Anchor (copied there with the stand-in powershell.exe
# the first time), SHIFT held when asked; no key ever comes on its input. The
# forms its scripts show are described in $env:VANTOR_FORM_REPORT, emptied
# first. Returns the run for Wait-Vantor.
function Start-Vantor {
    param(
        [Parameter(Mandatory)][string]$Anchor,
        [string[]]$Argument = @(),
        [switch]$HoldShift
    )
    $exe = [System.IO.Path]::Combine($Anchor, 'Vantor.exe')
    [System.IO.File]::Copy($env:VANTOR_EXE_WIN, $exe, $true)
    [System.IO.File]::Copy($env:VANTOR_STANDIN, [System.IO.Path]::Combine($Anchor, 'powershell.exe'), $true)
    if ([System.IO.Directory]::Exists($env:VANTOR_FORM_REPORT)) { [System.IO.Directory]::Delete($env:VANTOR_FORM_REPORT, $true) }
    if ($HoldShift -and -not [WinHost.Desktop]::Shift($true)) { Add-Failure 'SHIFT could not be pressed' }
    $info = [System.Diagnostics.ProcessStartInfo]::new($exe)
    foreach ($item in $Argument) { $info.ArgumentList.Add($item) }
    $info.UseShellExecute = $false
    $info.RedirectStandardInput = $true
    $info.RedirectStandardOutput = $true
    $info.WorkingDirectory = $Anchor
    Write-Seen ('-- Vantor.exe ' + ($Argument -join ' '))
    $process = [System.Diagnostics.Process]::Start($info)
    $process.StandardInput.Close()
    $bytes = [System.IO.MemoryStream]::new()
    $copy = $process.StandardOutput.BaseStream.CopyToAsync($bytes)
    return [pscustomobject]@{ Process = $process; Bytes = $bytes; Copy = $copy }
}

# Waits for the run to end; returns what it printed (code page 437 bytes read
# one character each, so the box bytes keep their values). Every form it
# showed must have passed the layout check.
function Wait-Vantor {
    param([Parameter(Mandatory)]$Run, [int]$TimeLimit = 90)
    if (-not $Run.Process.WaitForExit($TimeLimit * 1000)) {
        $Run.Process.Kill($true)
        Add-Failure "Vantor.exe still ran after $TimeLimit s"
    }
    $null = [WinHost.Desktop]::Shift($false)
    $null = $Run.Copy.Wait(10000)
    $printed = [System.Text.Encoding]::Latin1.GetString($Run.Bytes.ToArray())
    Write-Seen ('exit code ' + $Run.Process.ExitCode)
    foreach ($form in (Get-FormReport)) {
        foreach ($problem in $form.Problems) { Add-Failure ("layout of '" + $form.Title + "': " + $problem) }
    }
    return $printed
}

# Every form described in the report folder: Handle, Title, Bounds, Controls
# (Handle, Name, Type, Text, Items: a list's items or a check box's state)
# and Problems.
function Get-FormReport {
    $folder = $env:VANTOR_FORM_REPORT
    if (-not [System.IO.Directory]::Exists($folder)) { return }
    foreach ($file in [System.IO.Directory]::GetFiles($folder, '*.form')) {
        Read-FormReport ([System.IO.File]::ReadAllLines($file))
    }
}

# A field of a report as the form had it (backslash escapes undone).
function ConvertFrom-ReportText([string]$Text) {
    $escapes = @{ 'n' = "`n"; 'r' = "`r"; 't' = "`t"; '\' = '\' }
    return [regex]::Replace($Text, '\\(.)', { param($m) $escapes[$m.Groups[1].Value] })
}

function Read-FormReport([string[]]$Line) {
    $form = [pscustomobject]@{
        Handle = [IntPtr]::Zero; Title = ''; Bounds = ''
        Controls = [System.Collections.Generic.List[object]]::new()
        Problems = [System.Collections.Generic.List[string]]::new()
    }
    foreach ($text in $Line) {
        $field = $text.Split("`t")
        $unescaped = @($field | ForEach-Object { ConvertFrom-ReportText $_ })
        switch ($field[0]) {
            'form' { $form.Handle = [IntPtr][long]$field[1]; $form.Title = $unescaped[2]; $form.Bounds = $field[3] }
            'control' {
                $form.Controls.Add([pscustomobject]@{
                        Handle = [IntPtr][long]$field[1]; Name = $field[2]; Type = $field[3]; Text = $unescaped[4]
                        Items = @($field[5].Split('|'))
                    })
            }
            'problem' { $form.Problems.Add($unescaped[1]) }
        }
    }
    return $form
}

# The form with this title once it shows and has been described; $null after
# the time limit.
function Wait-Form([Parameter(Mandatory)][string]$Title, [int]$TimeLimit = 60) {
    $deadline = $global:VantorWatch.Elapsed.TotalSeconds + $TimeLimit
    while ($global:VantorWatch.Elapsed.TotalSeconds -lt $deadline) {
        $window = [WinHost.Desktop]::Find($Title)
        $report = [System.IO.Path]::Combine($env:VANTOR_FORM_REPORT, [string]$window + '.form')
        if ($window -ne [IntPtr]::Zero -and [System.IO.File]::Exists($report)) {
            Write-Seen "form '$Title' shows"
            return Read-FormReport ([System.IO.File]::ReadAllLines($report))
        }
        Start-Sleep -Milliseconds 200
    }
    Add-Failure "no form '$Title' within $TimeLimit s"
    return $null
}

# A control of the form by its name, or by its text for a button.
function Get-FormControl($Form, [Parameter(Mandatory)][string]$Name) {
    $found = @($Form.Controls | Where-Object { $_.Name -ceq $Name -or ($_.Type -eq 'Button' -and $_.Text -ceq $Name) })
    if ($found.Count -ne 1) { throw "no single control '$Name' in '$($Form.Title)'" }
    return $found[0]
}

function Set-FormText($Form, [string]$Name, [string]$Text) {
    [WinHost.Desktop]::Type((Get-FormControl $Form $Name).Handle, $Text)
}

function Select-FormItem($Form, [string]$Name, [string]$Item) {
    $control = Get-FormControl $Form $Name
    $index = [array]::IndexOf([string[]]$control.Items, $Item)
    if ($index -lt 0) { throw "'$Item' is not among the items of $Name" }
    [WinHost.Desktop]::Pick($control.Handle, $index)
}

# Clicks a button or a check box.
function Invoke-FormButton($Form, [string]$Name) {
    $control = Get-FormControl $Form $Name
    if ($control.Type -eq 'CheckBox') { [WinHost.Desktop]::Toggle($control.Handle) }
    else { [WinHost.Desktop]::Click($control.Handle) }
}

# The text a control shows now.
function Get-FormText($Form, [string]$Name) {
    return [WinHost.Desktop]::Text((Get-FormControl $Form $Name).Handle)
}

# With VANTOR_PICTURES set, a picture of the window as it is now, named Name
# (the picture taker of lib.sh crops it from the display); otherwise nothing.
function Save-WindowPicture([Parameter(Mandatory)][string]$Name, [Parameter(Mandatory)][IntPtr]$Window) {
    $area = [WinHost.Desktop]::Bounds($Window)
    while (-not (Request-Picture $Name $area)) { Start-Sleep -Milliseconds 200 }
}

# Waits until the message box with this caption shows; its text, or $null.
function Wait-MessageBox([Parameter(Mandatory)][string]$Caption, [int]$TimeLimit = 30) {
    $deadline = $global:VantorWatch.Elapsed.TotalSeconds + $TimeLimit
    while ($global:VantorWatch.Elapsed.TotalSeconds -lt $deadline) {
        $text = [WinHost.MessageBoxes]::Text($Caption)
        if ($null -ne $text) { return $text.Replace("`r`n", "`n") }
        Start-Sleep -Milliseconds 200
    }
    Add-Failure "no message box '$Caption' within $TimeLimit s"
    return $null
}

# --- files ----------------------------------------------------------------------

function New-ScratchFolder([Parameter(Mandatory)][string]$Root, [string]$Name) {
    $path = [System.IO.Path]::Combine($Root, $Name)
    if ([System.IO.Directory]::Exists($path)) { [System.IO.Directory]::Delete($path, $true) }
    $null = [System.IO.Directory]::CreateDirectory($path)
    return $path
}

function Get-FileText([string]$Path) {
    return [System.IO.File]::ReadAllText($Path, $global:VantorUtf8)
}

function Complete-Scenario {
    if ($global:VantorFailures.Count -gt 0) {
        Write-Host ("{0} failure(s)" -f $global:VantorFailures.Count)
        exit 1
    }
    Write-Seen 'all windows behaved'
    exit 0
}
