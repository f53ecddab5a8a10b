# Holding SHIFT as Vantor.exe starts opens the settings editor: at /C on the
# master settings (saved) and on a Special Project (cancelled), at /L on the
# master settings (saved) and on a Special Project with odd values (a lock to
# a version not installed cleared, an undecided box kept; Cancel; removal
# answered No, then Yes).
param([Parameter(Mandatory)][string]$Scratch)
. ([System.IO.Path]::Combine($PSScriptRoot, 'WindowDriver.ps1'))

$anchor = New-ScratchFolder $Scratch 'Tools\Vantor'
$project = New-ScratchFolder $Scratch 'Projekte\Gehäusebaugruppe Überarbeitung für Serienfertigung 2026'
$master = [System.IO.Path]::Combine($anchor, 'Vantor.ini')
$special = [System.IO.Path]::Combine($project, 'VantorSP.ini')
$title = 'Vantor Configuration Editor'
$templates = [System.IO.Path]::Combine($global:VantorRepo, 'resources', 'templates')
# The shipped master settings, with no countdown and no sweep before a launch.
$masterText = [System.IO.File]::ReadAllText([System.IO.Path]::Combine($templates, 'Vantor.ini')).
    Replace('CP_Countdown=Long', 'CP_Countdown=None').Replace('CP_Launch_Sweep=Yes', 'CP_Launch_Sweep=No')
[System.IO.File]::WriteAllText($master, $masterText, $global:VantorUtf8)
[System.IO.File]::WriteAllText([System.IO.Path]::Combine($project, 'bracket.prt.1'), 'model')

# Runs Vantor.exe with SHIFT held until its editor shows, lets Act work the
# editor, and returns what Vantor.exe printed.
function Invoke-WithEditor([string[]]$Argument, [scriptblock]$Act) {
    $run = Start-Vantor -Anchor $anchor -Argument $Argument -HoldShift
    $form = Wait-Form $title
    $null = [WinHost.Desktop]::Shift($false)
    if ($form) { & $Act $form }
    return Wait-Vantor $run
}

function Assert-Printed([string]$Printed, [string]$Expected) {
    if (-not $Printed.Contains($Expected)) { Add-Failure "'$Expected' not printed in:`n$Printed" }
}

# /C: the cleaner settings of the master file.
$printed = Invoke-WithEditor @('/C', $project) {
    param($form)
    Assert-Equal 'Vantor Configuration - Master Cleaner Settings' $form.Controls[0].Text 'cleaner title'
    Set-FormText $form 'CP_Keep_N' '3'
    Invoke-FormButton $form 'Save && Exit'
}
Assert-Printed $printed '[+] Settings updated. Resuming sweep...'
# A save ends every line, the last one too.
$masterText = $masterText.Replace("CP_Keep_N=1`r`n", "CP_Keep_N=3`r`n") + "`r`n"
Assert-Equal $masterText (Get-FileText $master) 'master file after the cleaner editor'

# /L without a Special Project: no key comes, so the baseline is edited.
$printed = Invoke-WithEditor @('/L', $project) {
    param($form)
    Save-WindowPicture 'editor-master' $form.Handle
    Invoke-FormButton $form 'CP_Reset_UI'
    Set-FormText $form 'CP_Max_Days' '30'
    Invoke-FormButton $form 'Save && Exit'
}
Assert-Printed $printed '[+] Settings updated. Resuming launch sequence...'
$masterText = $masterText.Replace("CP_Reset_UI=No`r`n", "CP_Reset_UI=Yes`r`n").Replace("CP_Max_Days=21`r`n", "CP_Max_Days=30`r`n")
Assert-Equal $masterText (Get-FileText $master) 'master file after the launch editor'

# A Special Project locked to a Creo that is not installed, with a yes/no
# word the program cannot read: both show as the file has them.
$specialText = "CP_Version_Max=12`r`nCP_Reset_Config=perhaps`r`nCP_Keep_N=2`r`n"
[System.IO.File]::WriteAllText($special, $specialText, $global:VantorUtf8)
$printed = Invoke-WithEditor @('/L', $project) {
    param($form)
    Assert-Equal '12 (not installed)' (Get-FormText $form 'CP_Version_Max') 'version lock shown'
    Assert-Equal 'Indeterminate' (Get-FormControl $form 'CP_Reset_Config').Items[0] 'unreadable yes/no word'
    Save-WindowPicture 'editor-special' $form.Handle
    Select-FormItem $form 'CP_Version_Max' ''
    Invoke-FormButton $form 'Save && Exit'
}
Assert-Printed $printed '[+] Settings updated. Resuming launch sequence...'
$specialText = $specialText.Replace('CP_Version_Max=12', 'CP_Version_Max=')
Assert-Equal $specialText (Get-FileText $special) 'VantorSP.ini after clearing the lock'

# /C in the Special Project: its cleaner settings, no removal offered; Cancel.
$printed = Invoke-WithEditor @('/C', $project) {
    param($form)
    Assert-Equal 'Vantor Configuration - Special Project Cleaner' $form.Controls[0].Text 'project cleaner title'
    Assert-Equal 0 @($form.Controls | Where-Object { $_.Text -eq 'Remove Special Project' }).Count 'removal offered'
    Set-FormText $form 'CP_Keep_N' '4'
    Invoke-FormButton $form 'Cancel'
}
Assert-Printed $printed '[-] Edit canceled. Resuming sweep...'
Assert-Equal $specialText (Get-FileText $special) 'VantorSP.ini after the cleaner editor'

# Removal asks first; No keeps everything, and Cancel then changes nothing.
$userEnv = [System.IO.Path]::Combine($project, 'VantorSP_UserEnv')
$null = [System.IO.Directory]::CreateDirectory($userEnv)
[System.IO.File]::WriteAllText([System.IO.Path]::Combine($userEnv, 'config.pro'), 'user')
$confirm = 'Confirm Removal'
$question = 'The local VantorSP.ini and VantorSP_UserEnv folder will be removed. ' +
    "(The local config.pro will remain.)`n`n" +
    'Launching Creo from this folder will now revert to your standard Vantor settings.' +
    "`n`nConfirm Special Project removal."
$printed = Invoke-WithEditor @('/L', $project) {
    param($form)
    Set-FormText $form 'CP_Keep_N' '5'
    Invoke-FormButton $form 'Remove Special Project'
    Assert-Equal $question (Wait-MessageBox $confirm) 'confirmation text'
    $null = [WinHost.MessageBoxes]::Press($confirm, 7)
    Invoke-FormButton $form 'Cancel'
}
Assert-Printed $printed '[-] Edit canceled. Resuming launch sequence...'
Assert-Equal $specialText (Get-FileText $special) 'VantorSP.ini after No and Cancel'

$printed = Invoke-WithEditor @('/L', $project) {
    param($form)
    Invoke-FormButton $form 'Remove Special Project'
    $null = Wait-MessageBox $confirm
    Save-WindowPicture 'editor-remove' ([WinHost.Desktop]::Find($confirm))
    $null = [WinHost.MessageBoxes]::Press($confirm, 6)
}
Assert-Printed $printed '[+] Special Project removed. Resuming standard launch...'
$left = foreach ($name in @('VantorSP.ini', 'VantorSP_UserEnv', 'bracket.prt.1')) {
    $path = [System.IO.Path]::Combine($project, $name)
    [System.IO.File]::Exists($path) -or [System.IO.Directory]::Exists($path)
}
Assert-Equal 'False False True' ($left -join ' ') 'what removal leaves'
Complete-Scenario
