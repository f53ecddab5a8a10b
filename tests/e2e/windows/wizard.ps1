# Vantor.exe /M opens the migration wizard: files typed into its rows and
# Execute Migration, checked in a scratch Vantor_Home; then Skip Migration.
param([Parameter(Mandatory)][string]$Scratch)
. ([System.IO.Path]::Combine($PSScriptRoot, 'WindowDriver.ps1'))

# A long folder name with letters beyond ASCII, as users have them.
$anchor = New-ScratchFolder $Scratch 'Werkzeuge für Konstruktion und Entwicklung\Vantör'
# A path far longer than its box: the box must show the end, the file chosen.
$old = New-ScratchFolder $Scratch 'Old Creo\Einstellungen der Konstruktionsabteilung aus dem Jahr 2019'
$homeFolder = [System.IO.Path]::Combine($anchor, 'Vantor_Home')
$title = 'Vantor Environment Migration Wizard'
[System.IO.File]::WriteAllText([System.IO.Path]::Combine($anchor, 'Vantor.ini'), "CP_Countdown=None`r`n")

function New-OldFile([string]$Name, [string]$Text) {
    $path = [System.IO.Path]::Combine($old, $Name)
    $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::GetDirectoryName($path))
    [System.IO.File]::WriteAllText($path, $Text)
    return $path
}

$chosen = [ordered]@{
    f_cfg = New-OldFile 'config.pro' "display_mode shade`r`npen_table_file C:\old\old.pnt`r`n"
    f_map = New-OldFile 'mapkeys.pro' "mapkey $ @MAPKEY_LABELsave;`r`n"
    f_pnt = New-OldFile 'pens\table.pnt' 'pens'
    f_lib = [System.IO.Path]::GetDirectoryName((New-OldFile 'library\bolts\m6.prt.2' 'bolt'))
}

$run = Start-Vantor -Anchor $anchor -Argument '/M'
$form = Wait-Form $title
if ($form) {
    foreach ($key in $chosen.Keys) { Set-FormText $form $key $chosen[$key] }
    $shown = [WinHost.Desktop]::FirstShownChar((Get-FormControl $form 'f_cfg').Handle)
    Assert-Equal $true ($shown -gt 0) "first character shown of a long path ($shown)"
    Save-WindowPicture 'wizard' $form.Handle
    Invoke-FormButton $form 'Execute Migration'
}
$printed = Wait-Vantor $run
Assert-Equal $true ($printed.Contains('[+] Migration executed successfully.')) "wizard outcome in: $printed"

$copied = @('Settings\Vantor_mapkeys.pro', 'Settings\table.pnt', 'Library\m6.prt.2') |
    Where-Object { -not [System.IO.File]::Exists([System.IO.Path]::Combine($homeFolder, $_)) }
Assert-Equal '' ($copied -join ', ') 'files missing from Vantor_Home'
$config = [System.IO.Path]::Combine($homeFolder, 'Settings\Vantor_config.pro')
$expected = "display_mode shade`r`n! [Vantor Migrated] pen_table_file C:\old\old.pnt`r`n`r`n" +
    "! --- Vantor Auto-Wired Customizations ---`r`n" +
    "pen_table_file `$WorkPath\Vantor_Home\Settings\table.pnt`r`nsearch_path `$WorkPath\Vantor_Home\Library`r`n"
Assert-Equal $expected (Get-FileText $config) 'Vantor_config.pro'

# Skip changes nothing.
$before = Get-FileText $config
$run = Start-Vantor -Anchor $anchor -Argument '/M'
$form = Wait-Form $title
if ($form) { Invoke-FormButton $form 'Skip Migration' }
$printed = Wait-Vantor $run
Assert-Equal $true ($printed.Contains('[-] Migration canceled. No changes were made.')) "skip outcome in: $printed"
Assert-Equal $before (Get-FileText $config) 'Vantor_config.pro after Skip'
Complete-Scenario
