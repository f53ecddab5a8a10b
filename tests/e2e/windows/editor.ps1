# The settings editor on real Windows Forms: the master file and a Special
# Project edited and saved (bytes checked), Cancel, and Special Project removal
# with its confirmation answered No, then Yes.
param([Parameter(Mandatory)][string]$Scratch)
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
    $literal = @{ '%IS_CLEANER_MODE%' = '$false' }
    $payload = New-FilledScript -Template 'config_editor.ps1' -Folder $Scratch -Text $values -Literal $literal
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

# Cancel leaves the file as it was.
$before = Get-FileText $master
$printed = Open-Editor $master 'Baseline Settings' 'Vantor.ini' -Name 'master editor, cancel' -Step @(
    {
        $form = Get-ShownForm $title
        if (-not $form) { return }
        (Get-Control $form 'CP_Keep_N').Text = '5'
        (Get-Button $form 'Cancel').PerformClick()
        $true
    })
Assert-Equal 'X|Cancel' ($printed -join '|') 'cancelled editor result'
Assert-Equal $before (Get-FileText $master) 'master file after Cancel'

# A Special Project: a version lock and a number of versions saved, the
# undecided boxes stay empty.
[System.IO.File]::WriteAllText($special, $specialText, $global:VantorUtf8)
$printed = Open-Editor $special 'Special Project Variance' 'VantorSP.ini' -Name 'Special Project editor, save' -Step @(
    { $form = Get-ShownForm $title; if (-not $form) { return }; Test-Layout $form 'Special Project editor'; $true }
    { Request-Picture 'editor-special' (Get-ShownForm $title).Bounds }
    {
        $form = Get-ShownForm $title
        (Get-Control $form 'CP_Version_Max').SelectedItem = '11'
        (Get-Control $form 'CP_Keep_N').Text = '2'
        Assert-Equal 'Indeterminate' (Get-Control $form 'CP_Reset_UI').CheckState 'unset check box'
        (Get-Button $form 'Save && Exit').PerformClick()
        $true
    })
Assert-Equal 'X|OK' ($printed -join '|') 'Special Project editor result'
$expected = Get-ExpectedText $specialText @{ 'CP_Version_Max=' = 'CP_Version_Max=11'; 'CP_Keep_N=' = 'CP_Keep_N=2' }
Assert-Equal $expected (Get-FileText $special) 'VantorSP.ini after saving'

# Removal asks first: No keeps the project, Yes removes its settings only.
$userEnv = [System.IO.Path]::Combine($project, 'VantorSP_UserEnv')
$null = [System.IO.Directory]::CreateDirectory($userEnv)
[System.IO.File]::WriteAllText([System.IO.Path]::Combine($userEnv, 'config.pro'), 'user')
[System.IO.File]::WriteAllText([System.IO.Path]::Combine($project, 'config.pro'), 'project')
[System.IO.File]::WriteAllText([System.IO.Path]::Combine($project, 'bracket.prt.1'), 'model')
$confirm = 'Confirm Removal'
$question = 'The local VantorSP.ini and VantorSP_UserEnv folder will be removed. ' +
    "(The local config.pro will remain.)`n`n" +
    'Launching Creo from this folder will now revert to your standard Vantor settings.' +
    "`n`nConfirm Special Project removal."
$printed = Open-Editor $special 'Special Project Variance' 'VantorSP.ini' -Name 'Special Project removal' -Step @(
    {
        $form = Get-ShownForm $title
        if (-not $form) { return }
        (Get-Button $form 'Remove Special Project').PerformClick()
        $true
    }
    {
        $text = [WinHost.MessageBoxes]::Text($confirm)
        if ($null -eq $text) { return }
        Assert-Equal $question $text.Replace("`r`n", "`n") 'confirmation text'
        [WinHost.MessageBoxes]::Press($confirm, 7)
    }
    {
        if ($null -ne [WinHost.MessageBoxes]::Text($confirm)) { return }
        Assert-Equal $true ([System.IO.File]::Exists($special)) 'VantorSP.ini kept after No'
        (Get-Button (Get-ShownForm $title) 'Remove Special Project').PerformClick()
        $true
    }
    {
        $bounds = [WinHost.MessageBoxes]::Bounds($confirm)
        if ($null -eq $bounds) { return }
        if (-not (Request-Picture 'editor-remove' $bounds)) { return }
        [WinHost.MessageBoxes]::Press($confirm, 6)
    })
Assert-Equal 'X|Abort' ($printed -join '|') 'removal result'
$left = foreach ($name in @($special, $userEnv, 'config.pro', 'bracket.prt.1')) {
    $path = [System.IO.Path]::Combine($project, $name)
    [System.IO.File]::Exists($path) -or [System.IO.Directory]::Exists($path)
}
Assert-Equal 'False False True True' ($left -join ' ') 'what removal leaves'
Complete-Scenario
