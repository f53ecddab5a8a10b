# Shared by the window scenarios that winhost runs under Wine. A scenario fills
# a script template as Vantor does, starts a driver and runs the script: the
# driver's steps run one per tick of a Windows Forms timer, inside the window's
# own message loop, so they see and press the real controls and message boxes.

Set-StrictMode -Version 3.0
# Timer ticks run inside the filled script: $script: is that script's scope,
# and a step sees the script's own variables before the scenario's, so the
# driver keeps its state in globals and scenarios name their variables apart.
$ErrorActionPreference = 'Stop'
Add-Type -AssemblyName System.Windows.Forms
Add-Type -AssemblyName System.Drawing
# The pointer out of the way: over a control it would open a tool tip.
[System.Windows.Forms.Cursor]::Position = [System.Drawing.Point]::new(1279, 1023)

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

# Every visible control lies inside its parent's client area and overlaps none
# of its visible siblings; bounds, not pixels, since Wine's fonts differ.
function Test-Layout($Container, [string]$Where) {
    $children = @($Container.Controls | Where-Object { $_.Visible })
    $client = $Container.ClientRectangle
    for ($i = 0; $i -lt $children.Count; $i++) {
        $a = $children[$i]
        if (-not $client.Contains($a.Bounds)) {
            Add-Failure ("${Where}: '" + $a.Text + "' " + $a.Bounds + " leaves the client area " + $client)
        }
        for ($j = $i + 1; $j -lt $children.Count; $j++) {
            $b = $children[$j]
            if ($a.Bounds.IntersectsWith($b.Bounds)) {
                Add-Failure ("${Where}: '" + $a.Text + "' " + $a.Bounds + " overlaps '" + $b.Text + "' " + $b.Bounds)
            }
        }
        if ($a.Controls.Count -gt 0) { Test-Layout $a ($Where + '/' + $a.Text) }
    }
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
