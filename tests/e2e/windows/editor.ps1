# The settings editor on real Windows Forms: the master file and a Special
# Project edited and saved (bytes checked), Cancel, and Special Project removal
# with its confirmation answered No, then Yes.
param([Parameter(Mandatory = $true)][string]$Scratch)
. ([System.IO.Path]::Combine($PSScriptRoot, 'WindowDriver.ps1'))

$templates = [System.IO.Path]::Combine($global:VantorRepo, 'resources', 'templates')
$anchor = New-ScratchFolder $Scratch 'Tools\Vantor'
$project = New-ScratchFolder $Scratch 'Projects\Bracket'
$master = [System.IO.Path]::Combine($anchor, 'Vantor.ini')
$special = [System.IO.Path]::Combine($project, 'VantorSP.ini')
$title = 'Vantor Configuration Editor'

function Open-Editor([string]$IniPath, [string]$ModeLabel, [string]$FileLabel, [scriptblock[]]$Step, [string]$Name) {
    $values = @{
        '%INI_PATH%' = $IniPath; '%MODE_LABEL%' = $ModeLabel; '%FILE_LABEL%' = $FileLabel
        '%INSTALLED_VERSIONS%' = '10,11'; '%MASTER_INI%' = $master
    }
    $payload = New-FilledScript -Template 'config_editor.ps1' -Folder $Scratch -Text $values -Literal @{ '%IS_CLEANER_MODE%' = '$false' }
    return Invoke-DrivenScript -Name $Name -Run { & $payload } -Step $Step
}

# The expected file: the given lines changed in place, every line ending in CR LF.
function Get-ExpectedText([string]$Original, [hashtable]$Change) {
    $lines = $Original.Replace("`r`n", "`n").TrimEnd("`n").Split("`n")
    for ($i = 0; $i -lt $lines.Count; $i++) {
        if ($Change.ContainsKey($lines[$i])) { $lines[$i] = $Change[$lines[$i]] }
    }
    return ($lines -join "`r`n") + "`r`n"
}

$masterText = [System.IO.File]::ReadAllText([System.IO.Path]::Combine($templates, 'Vantor.ini'))
$specialText = [System.IO.File]::ReadAllText([System.IO.Path]::Combine($templates, 'VantorSP.ini'))
[System.IO.File]::WriteAllText($master, $masterText, $global:VantorUtf8)

# The master file: three values changed and saved.
$printed = Open-Editor $master 'Baseline Settings' 'Vantor.ini' -Name 'master editor, save' -Step @(
    { $form = Get-ShownForm $title; if (-not $form) { return }; Test-Layout $form 'master editor'; $true }
    { Request-Picture 'editor-master' (Get-ShownForm $title).Bounds }
    {
        $form = Get-ShownForm $title
        (Get-Control $form 'CP_Keep_N').Text = '3'
        (Get-Control $form 'CP_Countdown').SelectedItem = 'Short'
        (Get-Control $form 'CP_Reset_UI').Checked = $true
        (Get-Control $form 'CP_Version_Max').SelectedItem = '11'
        (Get-Button $form 'Save && Exit').PerformClick()
        $true
    })
Assert-Equal 'X|OK' ($printed -join '|') 'master editor result'
$expected = Get-ExpectedText $masterText @{
    'CP_Keep_N=1' = 'CP_Keep_N=3'; 'CP_Countdown=Long' = 'CP_Countdown=Short'
    'CP_Reset_UI=No' = 'CP_Reset_UI=Yes'; 'CP_Version_Max=' = 'CP_Version_Max=11'
}
Assert-Equal $expected (Get-FileText $master) 'master file after saving'
Complete-Scenario
