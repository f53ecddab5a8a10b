# The restore on Windows: a project swept into the bin, the list (a
# stand-in: Out-GridView is not part of the host) handing back two rows, the
# files put back; then the real message boxes of an empty bin and an empty log.
param([Parameter(Mandatory)][string]$Scratch)
. ([System.IO.Path]::Combine($PSScriptRoot, 'WindowDriver.ps1'))

$anchor = New-ScratchFolder $Scratch 'Tools\Vantor'
$project = New-ScratchFolder $Scratch 'Projects\Bracket'
$bin = [System.IO.Path]::Combine($anchor, 'Vantor_Sweep')
$log = [System.IO.Path]::Combine($bin, 'Vantor_Sweep.log')
$caption = 'Vantor Restore - v5.3'
foreach ($name in @('bracket.prt.1', 'bracket.prt.2', 'bracket.prt.3', 'std.out', 'trail.txt.4')) {
    [System.IO.File]::WriteAllText([System.IO.Path]::Combine($project, $name), $name)
}
$null = [System.IO.Directory]::CreateDirectory($bin)
# The bin as a sweep leaves it (keep 1, clutter std.out and trail.txt*): the
# files in the mirror of their folder, each with its line in the log.
$mirror = [System.IO.Path]::Combine($bin, 'Vantor_Drive_' + $project.Substring(0, 1), $project.Substring(3))
$null = [System.IO.Directory]::CreateDirectory($mirror)
$stamp = [datetime]::Now.ToString('yyyy-MM-dd HH:mm:ss', [System.Globalization.CultureInfo]::InvariantCulture)
$lines = foreach ($name in @('std.out', 'trail.txt.4', 'bracket.prt.1', 'bracket.prt.2')) {
    [System.IO.File]::Move([System.IO.Path]::Combine($project, $name), [System.IO.Path]::Combine($mirror, $name))
    $kind = ''
    if (-not $name.StartsWith('bracket')) { $kind = ' [Clutter]' }
    $stamp + ' | ' + $name.PadRight(35) + ' | ' + $project.PadRight(87) + ' | (' + $name.Length + '.0 B)' + $kind
}
[System.IO.File]::WriteAllLines($log, [string[]]$lines)
Write-Seen ('bin made: ' + $lines.Count + ' lines')

# The list: hands back the rows whose file name is in $global:RestorePick.
function global:Out-GridView {
    param([string]$Title, [switch]$PassThru, [Parameter(ValueFromPipeline = $true)]$InputObject)
    begin { $global:RestoreListTitle = $Title }
    process { if ($global:RestorePick -contains $InputObject.'File Name'.Trim()) { $InputObject } }
}

function Invoke-Restore([string]$Name, [scriptblock[]]$Step) {
    $payload = New-FilledScript -Template 'restore_window.ps1' -Folder $Scratch -Text @{
        '%RECYCLE_DIR%' = $bin; '%LOG_FILE%' = $log; '%VERSION%' = '5.3'; '%DAYS%' = '14'
        '%RESULT_FILE%' = [System.IO.Path]::Combine($Scratch, 'Vantor_Result.txt')
    }
    $global:LASTEXITCODE = 0
    $null = Invoke-DrivenScript -Name $Name -Run { & $payload } -Step $Step
    return $global:LASTEXITCODE
}

# Waits for the message box, takes its picture (when named), checks its text and presses OK.
function Confirm-Message([string]$Expected, [string]$Picture) {
    $text = [WinHost.MessageBoxes]::Text($caption)
    if ($null -eq $text) { return $false }
    if ($Picture -and -not (Request-Picture $Picture ([WinHost.MessageBoxes]::Bounds($caption)))) { return $false }
    Assert-Equal $Expected $text 'message box text'
    return [WinHost.MessageBoxes]::Press($caption, 1)
}

$global:RestorePick = @('bracket.prt.2', 'std.out')
$code = Invoke-Restore 'restore two rows' @()
Assert-Equal 102 $code 'exit code after restoring two files'
$result = [System.IO.File]::ReadAllText([System.IO.Path]::Combine($Scratch, 'Vantor_Result.txt'))
Assert-Equal '102' $result 'outcome written for the program'
$left = @([System.IO.Directory]::GetFiles($project) | ForEach-Object { [System.IO.Path]::GetFileName($_) })
$left = @($left | Sort-Object)
Assert-Equal 'bracket.prt.2 bracket.prt.3 std.out' ($left -join ' ') 'files in the project'
Assert-Equal 'True' ($global:RestoreListTitle.StartsWith($caption + '      |      ACTION')) 'list title'

# Every file that is left goes away: nothing can be restored any more.
foreach ($file in [System.IO.Directory]::GetFiles($bin, '*', [System.IO.SearchOption]::AllDirectories)) {
    if ($file -ne $log) { [System.IO.File]::Delete($file) }
}
$code = Invoke-Restore 'nothing to restore' @(
    { Confirm-Message 'No recoverable files found in the bin. Older files may have aged out.' 'restore-empty' })
Assert-Equal 0 $code 'exit code with nothing to restore'

[System.IO.File]::WriteAllText($log, '')
$code = Invoke-Restore 'empty log' @(
    { Confirm-Message 'Log is empty or formatted incorrectly.' '' })
Assert-Equal 0 $code 'exit code with an empty log'
Complete-Scenario
