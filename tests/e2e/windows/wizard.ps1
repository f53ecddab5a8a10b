# The migration wizard on real Windows Forms: an old Creo setup picked row by
# row, Execute Migration, and what lands in a scratch Vantor_Home; then Skip.
param([Parameter(Mandatory)][string]$Scratch)
. ([System.IO.Path]::Combine($PSScriptRoot, 'WindowDriver.ps1'))

$anchor = New-ScratchFolder $Scratch 'Tools\Vantor'
$old = New-ScratchFolder $Scratch 'Old Creo'
$homeFolder = [System.IO.Path]::Combine($anchor, 'Vantor_Home')
$title = 'Vantor Environment Migration Wizard'

function New-OldFile([string]$Name, [string]$Text) {
    $path = [System.IO.Path]::Combine($old, $Name)
    $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::GetDirectoryName($path))
    [System.IO.File]::WriteAllText($path, $Text)
    return $path
}

function Open-Wizard([string]$Name, [scriptblock[]]$Step) {
    $payload = New-FilledScript -Template 'migration_wizard.ps1' -Folder $Scratch -Text @{ '%ROOT_DIR%' = $anchor }
    return Invoke-DrivenScript -Name $Name -Run { & $payload } -Step $Step
}

$chosenFiles = @{
    f_cfg = New-OldFile 'config.pro' "display_mode shade`r`ntemplate_solidpart C:\old\start_part.prt`r`n"
    f_map = New-OldFile 'mapkeys.pro' "mapkey $ @MAPKEY_LABELsave;`r`n"
    f_scl = New-OldFile 'colors.scl' 'colours'
    f_lib = [System.IO.Path]::GetDirectoryName([System.IO.Path]::GetDirectoryName(
            (New-OldFile 'library\bolts\m6.prt.2' 'bolt')))
}
$chosenTemplates = @((New-OldFile 'templates\start_part.prt.3' 'part'), (New-OldFile 'templates\a4.frm.1' 'format'))

$printed = Open-Wizard 'migration wizard, execute' @(
    { $form = Get-ShownForm $title; if (-not $form) { return }; Test-Layout $form 'migration wizard'; $true }
    {
        $form = Get-ShownForm $title
        foreach ($key in $chosenFiles.Keys) { (Get-Control $form $key).Text = $chosenFiles[$key] }
        # The template row gathers its files through its Browse button's list.
        $browse = @($form.Controls | Where-Object { $_.Text -eq 'Browse...' -and $_.Tag.Box.Name -eq 'f_tpl' })[0]
        Add-SelectedPath -List $browse.Tag.List -Path $chosenTemplates
        $browse.Tag.Box.Text = Get-SelectionCountText -Count $browse.Tag.List.Count
        $true
    }
    { Request-Picture 'wizard' (Get-ShownForm $title).Bounds }
    { (Get-Button (Get-ShownForm $title) 'Execute Migration').PerformClick(); $true })
Assert-Equal 'X|OK' ($printed -join '|') 'wizard result'

$expectedFiles = @('Settings\Vantor_mapkeys.pro', 'Settings\Creo.scl', 'Templates\start_part.prt.3',
    'Templates\a4.frm.1', 'Library\bolts\m6.prt.2')
$copied = $expectedFiles |
    Where-Object { -not [System.IO.File]::Exists([System.IO.Path]::Combine($homeFolder, $_)) }
Assert-Equal '' ($copied -join ', ') 'files missing from Vantor_Home'
$config = [System.IO.Path]::Combine($homeFolder, 'Settings\Vantor_config.pro')
$lines = @(if ([System.IO.File]::Exists($config)) { [System.IO.File]::ReadAllLines($config) })
$wanted = @('display_mode shade', 'system_colors_file $WorkPath\Vantor_Home\Settings\Creo.scl',
    'search_path $WorkPath\Vantor_Home\Library', 'start_model_dir $WorkPath\Vantor_Home\Templates',
    'template_solidpart $WorkPath\Vantor_Home\Templates\start_part.prt')
Assert-Equal '' (($wanted | Where-Object { $lines -notcontains $_ }) -join ', ') 'lines missing from Vantor_config.pro'

# Skip changes nothing.
$before = [System.IO.File]::ReadAllText($config)
$printed = Open-Wizard 'migration wizard, skip' @(
    {
        $form = Get-ShownForm $title
        if (-not $form) { return }
        (Get-Button $form 'Skip Migration').PerformClick()
        $true
    })
Assert-Equal 'X|Cancel' ($printed -join '|') 'skipped wizard result'
Assert-Equal $before ([System.IO.File]::ReadAllText($config)) 'Vantor_config.pro after Skip'
Complete-Scenario
