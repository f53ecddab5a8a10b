# The restore through Vantor.exe: the program lists what the log holds, the
# list window shows 300 rows; the user filters, selects and presses OK, and the
# files come back (one displacing a file made since, which goes into the bin).
# Then the real message boxes of a bin with nothing left and of an empty log.
param([Parameter(Mandatory)][string]$Scratch)
. ([System.IO.Path]::Combine($PSScriptRoot, 'WindowDriver.ps1'))

$anchor = New-ScratchFolder $Scratch 'Tools\Vantor'
$project = New-ScratchFolder $Scratch 'Projekte\Gehäusebaugruppe Überarbeitung für Serienfertigung 2026'
$bin = [System.IO.Path]::Combine($anchor, 'Vantor_Sweep')
$log = [System.IO.Path]::Combine($bin, 'Vantor_Sweep.log')
$caption = 'Vantor Restore - v5.3'
$gap = '      |      '
$title = $caption + $gap + 'ACTION : Select items to restore, then click OK.' + $gap +
    'TIP : The filter bar is active.' + $gap + 'NOTE : Files cannot be recovered after 14 days.'
[System.IO.File]::WriteAllText([System.IO.Path]::Combine($anchor, 'Vantor.ini'), "CP_Countdown=None`r`n")

# The bin as a sweep leaves it: each file in the mirror of its folder, each
# with its line in the log.
$mirror = [System.IO.Path]::Combine($bin, 'Vantor_Drive_' + $project.Substring(0, 1), $project.Substring(3))
$null = [System.IO.Directory]::CreateDirectory($mirror)
$lines = foreach ($i in 1..300) {
    $name = 'part{0:000}.prt.2' -f $i
    [System.IO.File]::WriteAllText([System.IO.Path]::Combine($mirror, $name), $name)
    '2026-12-09 10:00:00 | ' + $name.PadRight(35) + ' | ' + $project.PadRight(87) + ' | (13.0 B)'
}
[System.IO.File]::WriteAllLines($log, [string[]]$lines)
# Made since under a swept name: the restore must keep it.
[System.IO.File]::WriteAllText([System.IO.Path]::Combine($project, 'part012.prt.2'), 'made since')

function Confirm-Message([string]$Expected, [string]$Picture) {
    $text = Wait-MessageBox $caption
    if ($Picture) { Save-WindowPicture $Picture ([WinHost.Desktop]::Find($caption)) }
    Assert-Equal $Expected $text 'message box text'
    $null = [WinHost.MessageBoxes]::Press($caption, 1)
}

$run = Start-Vantor -Anchor $anchor -Argument '/R'
$form = Wait-Form $title
if ($form) {
    Save-WindowPicture 'restore-list' $form.Handle
    # Ten rows: part010 to part019. A click in the first gives the list the
    # focus, CTRL+A selects them all.
    Set-FormText $form 'Filter' 'part01'
    Start-Sleep -Milliseconds 500
    $rows = [WinHost.Desktop]::Bounds((Get-FormControl $form 'Rows').Handle)
    [WinHost.Desktop]::ClickAt($rows.Left + 60, $rows.Top + 36)
    [WinHost.Desktop]::ControlKey('A')
    Start-Sleep -Milliseconds 300
    Invoke-FormButton $form 'OK'
}
Confirm-Message 'Successfully restored 10 file(s) to their original locations.' ''
$printed = Wait-Vantor $run
if (-not $printed.Contains('Vantor Restore Utility - Background Process')) { Add-Failure "no notice in:`n$printed" }
$back = @([System.IO.Directory]::GetFiles($project) | ForEach-Object { [System.IO.Path]::GetFileName($_) } | Sort-Object)
Assert-Equal (@(10..19 | ForEach-Object { 'part{0:000}.prt.2' -f $_ }) -join ' ') ($back -join ' ') 'files back in the project'
$kept = @([System.IO.Directory]::GetFiles($mirror, 'part012 (displaced *).prt.2'))
Assert-Equal 1 $kept.Count 'displaced file in the bin'
if ($kept.Count -eq 1) { Assert-Equal 'made since' (Get-FileText $kept[0]) 'displaced file kept whole' }

# Every file that is left goes away: nothing can be restored any more.
foreach ($file in [System.IO.Directory]::GetFiles($bin, '*', [System.IO.SearchOption]::AllDirectories)) {
    if ($file -ne $log) { [System.IO.File]::Delete($file) }
}
$run = Start-Vantor -Anchor $anchor -Argument '/R'
Confirm-Message 'No recoverable files found in the bin. Older files may have aged out.' 'restore-empty'
$null = Wait-Vantor $run

[System.IO.File]::WriteAllText($log, '')
$run = Start-Vantor -Anchor $anchor -Argument '/R'
Confirm-Message 'Log is empty or formatted incorrectly.' ''
$null = Wait-Vantor $run
Complete-Scenario
