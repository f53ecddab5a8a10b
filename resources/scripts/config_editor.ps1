# Vantor configuration editor.
# A window for the master Vantor.ini or a folder's VantorSP.ini. Prints one result line:
#   X|OK (saved), X|Cancel (cancelled or closed), X|Abort (Special Project removed)
# Runs on Windows PowerShell 5.1 and PowerShell 7. The build puts prelude.ps1 in
# front of this file.

Set-StrictMode -Version 3.0
Start-CompileProfile -Name 'ConfigEditor'

# --- settings files ----------------------------------------------------------

$script:EditorYesNoKeys = @('CP_Launch_Sweep', 'CP_Reset_Config', 'CP_Reset_UI', 'CP_Reset_Mapkeys')
# Keys that had no line are appended in the order the window shows them.
$script:EditorKeyOrder = @('CP_Version_Max', 'CP_Creo_Cmd', 'Vantor_Setup_Master', 'CP_Countdown', 'CP_Launch_Sweep',
    'CP_Reset_Config', 'CP_Reset_UI', 'CP_Reset_Mapkeys', 'CP_Keep_N', 'CP_Max_Days', 'CP_Clutter')
# The words the program reads as yes or no, letter case included; the sweep
# switch has its own list of "no" words and is on for anything else.
$script:YesWords = @('1', 'Yes', 'yes', 'YES', 'Y', 'true', 'TRUE')
$script:NoWords = @('0', 'No', 'no', 'NO', 'N', 'false', 'FALSE')
$script:SweepOffWords = @('0', 'No', 'no', 'NO', 'N', 'n', 'false', 'FALSE')
# What the program takes for a yes/no key it cannot read.
$script:YesNoFallback = @{
    CP_Launch_Sweep = 'Sweep'; CP_Reset_Config = 'Yes'; CP_Reset_UI = 'No'; CP_Reset_Mapkeys = 'No'
}
$script:TrimCharacters = [char[]]@(' ', "`t", "`r", "`n")
$script:SpecialProjectUserEnv = 'VantorSP_UserEnv'

function ConvertTo-TrimmedText {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowEmptyString()][AllowNull()][string]$Text)
    if ($null -eq $Text) { return '' }
    return $Text.Trim($script:TrimCharacters)
}

function New-OrdinalTable {
    [CmdletBinding()]
    [OutputType([hashtable])]
    param()
    # Key names are case-sensitive in every reader of these files.
    return [System.Collections.Hashtable]::new([System.StringComparer]::Ordinal)
}

function ConvertFrom-IniByte {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowEmptyCollection()][byte[]]$Byte)
    $offset = 0
    if ($Byte.Length -ge 3 -and $Byte[0] -eq 0xEF -and $Byte[1] -eq 0xBB -and $Byte[2] -eq 0xBF) { $offset = 3 }
    $strict = [System.Text.UTF8Encoding]::new($false, $true)
    try {
        return $strict.GetString($Byte, $offset, $Byte.Length - $offset)
    }
    catch [System.Text.DecoderFallbackException] {
        # A file saved by an older editor in the system code page: decoding it as
        # UTF-8 would turn its accented letters into replacement characters.
        $legacy = $null
        $codePage = [System.Globalization.CultureInfo]::CurrentCulture.TextInfo.ANSICodePage
        try { $legacy = [System.Text.Encoding]::GetEncoding($codePage) }
        catch [System.ArgumentException], [System.NotSupportedException] {
            # PowerShell 7 knows no code pages beyond Latin-1 unless told; Latin-1
            # keeps every byte.
            $legacy = [System.Text.Encoding]::GetEncoding(28591)
        }
        return $legacy.GetString($Byte)
    }
}

function Read-IniLine {
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path)
    $lines = [System.Collections.Generic.List[string]]::new()
    $bytes = $null
    try {
        $bytes = [System.IO.File]::ReadAllBytes($Path)
    }
    catch [System.IO.FileNotFoundException], [System.IO.DirectoryNotFoundException] {
        # A missing file reads as empty; any other failure must stop a save, so it
        # is not caught here.
        return
    }
    $reader = [System.IO.StringReader]::new((ConvertFrom-IniByte -Byte $bytes))
    for ($line = $reader.ReadLine(); $null -ne $line; $line = $reader.ReadLine()) { $lines.Add($line) }
    return $lines.ToArray()
}

function Get-SettingValue {
    # The value of a setting line for Key, as the program reads it: the trimmed
    # line begins with Key and "=" (letter case counts, no blank before "=").
    # $null for any other line.
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][AllowEmptyString()][string]$Line,
        [Parameter(Mandatory)][string]$Key
    )
    $trimmed = ConvertTo-TrimmedText $Line
    if (-not $trimmed.StartsWith($Key + '=', [System.StringComparison]::Ordinal)) { return $null }
    return ConvertTo-TrimmedText $trimmed.Substring($Key.Length + 1)
}

function Read-ProgramSetting {
    # One key of one file read the way the program reads it. Which line counts:
    # First (its value even when empty), Last (the same), LastNonEmpty, or
    # Countdown (the first line that begins with the key at its very first
    # character). '' when no line counts.
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line,
        [Parameter(Mandatory)][string]$Key,
        [Parameter(Mandatory)][ValidateSet('First', 'Last', 'LastNonEmpty', 'Countdown')][string]$Rule
    )
    $found = ''
    foreach ($text in $Line) {
        if ($Rule -eq 'Countdown') {
            $raw = $text.StartsWith($Key + '=', [System.StringComparison]::Ordinal)
            if ($raw) { return ConvertTo-TrimmedText $text.Substring($Key.Length + 1) }
            continue
        }
        $value = Get-SettingValue -Line $text -Key $Key
        if ($null -eq $value) { continue }
        if ($Rule -eq 'First') { return $value }
        if ($Rule -eq 'Last' -or $value -ne '') { $found = $value }
    }
    return $found
}

function Get-ClutterText {
    # Every rule of every CP_Clutter line, trimmed, empty ones dropped, joined with ",".
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line)
    $rules = [System.Collections.Generic.List[string]]::new()
    foreach ($text in $Line) {
        $value = Get-SettingValue -Line $text -Key 'CP_Clutter'
        if ($null -eq $value) { continue }
        foreach ($piece in $value.Split(',')) {
            $rule = ConvertTo-TrimmedText $piece
            if ($rule -ne '') { $rules.Add($rule) }
        }
    }
    return $rules -join ','
}

function ConvertTo-CountdownChoice {
    # The choice that behaves as the program reads the value: it compares in
    # upper case and takes anything it does not know as the normal length.
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Value)
    switch ($Value.ToUpperInvariant()) {
        'HOLD' { return 'Hold' }
        'LONG' { return 'Long' }
        'SHORT' { return 'Short' }
        'NONE' { return 'None' }
    }
    return 'Medium'
}

function ConvertTo-YesNoChoice {
    # "Yes" or "No" as the program reads the value; Fallback for a word it
    # does not know.
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][AllowEmptyString()][string]$Value,
        [Parameter(Mandatory)][ValidateSet('Yes', 'No', 'Sweep')][string]$Fallback
    )
    # The sweep switch is off only for its "no" words; everything else is on.
    if ($Fallback -eq 'Sweep') {
        if ($script:SweepOffWords -ccontains $Value) { return 'No' }
        return 'Yes'
    }
    if ($script:YesWords -ccontains $Value) { return 'Yes' }
    if ($script:NoWords -ccontains $Value) { return 'No' }
    return $Fallback
}

function Get-ProgramValue {
    # What every input starts with: the value the program itself uses from this
    # file, with its rules for which line counts and how yes/no words read. In a
    # Special Project an empty value is kept empty: the master value applies.
    [CmdletBinding()]
    [OutputType([hashtable])]
    param(
        [Parameter(Mandatory)][AllowNull()][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line,
        [Parameter(Mandatory)][bool]$SpecialProject,
        # A yes/no word the program cannot read stays as it is written, so the
        # window can show it as undecided instead of guessing.
        [switch]$KeepUnreadable
    )
    $lines = [string[]]@($Line | Where-Object { $null -ne $_ })
    $values = New-OrdinalTable
    $rules = [ordered]@{
        CP_Version_Max = 'First'; CP_Creo_Cmd = 'First'; Vantor_Setup_Master = 'Last'
        CP_Keep_N = 'LastNonEmpty'; CP_Max_Days = 'LastNonEmpty'
    }
    foreach ($key in $rules.Keys) { $values[$key] = Read-ProgramSetting -Line $lines -Key $key -Rule $rules[$key] }
    $values['CP_Clutter'] = Get-ClutterText -Line $lines
    $countdown = Read-ProgramSetting -Line $lines -Key 'CP_Countdown' -Rule Countdown
    $values['CP_Countdown'] = ''
    $known = $countdown -ne '' -or -not $SpecialProject
    if ($known) { $values['CP_Countdown'] = ConvertTo-CountdownChoice -Value $countdown }
    foreach ($key in $script:EditorYesNoKeys) {
        $value = Read-ProgramSetting -Line $lines -Key $key -Rule First
        $values[$key] = ''
        $known = $value -ne '' -or -not $SpecialProject
        if ($known) { $values[$key] = ConvertTo-YesNoChoice -Value $value -Fallback $script:YesNoFallback[$key] }
        $readable = $script:YesWords -ccontains $value -or $script:NoWords -ccontains $value
        if ($KeepUnreadable -and $value -ne '' -and $key -ne 'CP_Launch_Sweep' -and -not $readable) {
            $values[$key] = $value
        }
    }
    return $values
}

function Get-MasterReferenceValue {
    # The master values the hints show: text keys as text, yes/no keys as booleans.
    [CmdletBinding()]
    [OutputType([hashtable])]
    param([Parameter(Mandatory)][AllowNull()][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line)
    $values = Get-ProgramValue -Line $Line -SpecialProject $false
    foreach ($key in $script:EditorYesNoKeys) { $values[$key] = $values[$key] -eq 'Yes' }
    return $values
}

function Get-AppendOrder {
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Key)
    $ordered = [System.Collections.Generic.List[string]]::new()
    foreach ($known in $script:EditorKeyOrder) {
        if ($Key -ccontains $known) { $ordered.Add($known) }
    }
    $others = [System.Collections.Generic.List[string]]::new()
    foreach ($name in $Key) {
        if ($script:EditorKeyOrder -cnotcontains $name) { $others.Add($name) }
    }
    $others.Sort([System.StringComparer]::Ordinal)
    $ordered.AddRange($others)
    return , $ordered.ToArray()
}

function Get-ClutterLine {
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Text)
    $lines = [System.Collections.Generic.List[string]]::new()
    foreach ($piece in $Text.Split(',')) {
        $rule = ConvertTo-TrimmedText $piece
        if ($rule -ne '') { $lines.Add('CP_Clutter=' + $rule) }
    }
    # Text made only of commas and blanks holds no rule: it clears the list like
    # empty text does, instead of dropping every clutter line.
    if ($lines.Count -eq 0) { $lines.Add('CP_Clutter=') }
    return , $lines.ToArray()
}

function Get-SavedIniLine {
    # The lines a save writes: the existing lines with each shown key updated in
    # place, later duplicates dropped, new keys appended and every clutter rule
    # moved to the end, one per line. Help text and unknown keys stay in place.
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory)][AllowNull()][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line,
        [Parameter(Mandatory)][hashtable]$Value,
        [Parameter(Mandatory)][bool]$SpecialProject,
        [Parameter(Mandatory)][bool]$CleanerMode
    )
    $newValues = [System.Collections.Generic.Dictionary[string,string]]::new([System.StringComparer]::Ordinal)
    foreach ($key in $Value.Keys) { $newValues[[string]$key] = ConvertTo-TrimmedText ([string]$Value[$key]) }
    # Without a clutter value (not shown) the clutter lines stay where they are.
    $hasClutter = $newValues.ContainsKey('CP_Clutter')
    $clutterText = ''
    if ($hasClutter) {
        $clutterText = $newValues['CP_Clutter']
        $null = $newValues.Remove('CP_Clutter')
    }

    $output = [System.Collections.Generic.List[string]]::new()
    $written = [System.Collections.Generic.HashSet[string]]::new([System.StringComparer]::Ordinal)
    foreach ($text in @($Line)) {
        if ($null -eq $text) { $text = '' }
        $match = [regex]::Match($text, '^([^=]+)=')
        if (-not $match.Success) { $output.Add($text); continue }
        $key = ConvertTo-TrimmedText $match.Groups[1].Value
        if ($hasClutter -and $key -ceq 'CP_Clutter') { continue }
        if (-not $newValues.ContainsKey($key)) { $output.Add($text); continue }
        if (-not $written.Add($key)) { continue }
        $new = $newValues[$key]
        # The cleaner window never empties a setting: an emptied input keeps the old line.
        if ($CleanerMode -and $new -eq '') { $output.Add($text) }
        else { $output.Add($key + '=' + $new) }
    }

    foreach ($key in (Get-AppendOrder -Key ([string[]]@($newValues.Keys)))) {
        if ($written.Contains($key)) { continue }
        $new = $newValues[$key]
        # An empty line only means something in a Special Project (inherit the master).
        if ($new -eq '' -and ($CleanerMode -or -not $SpecialProject)) { continue }
        $output.Add($key + '=' + $new)
    }

    if ($hasClutter) { $output.AddRange([string[]](Get-ClutterLine -Text $clutterText)) }
    return $output.ToArray()
}

function Write-IniFile {
    # Writes the lines as UTF-8 without byte-order mark, each ended by CR LF, in
    # one step: a failure leaves the old file whole.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path,
        [Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line
    )
    Write-FileAtomically -Path $Path -Byte (ConvertTo-CrLfByte -Line $Line)
}

function Get-ChangedValue {
    # The values that differ from what the inputs started with (Initial). A key
    # the user left alone keeps its lines as they are.
    [CmdletBinding()]
    [OutputType([hashtable])]
    param(
        [Parameter(Mandatory)][hashtable]$Value,
        [Parameter(Mandatory)][hashtable]$Initial
    )
    $changed = New-OrdinalTable
    foreach ($key in $Value.Keys) {
        $new = ConvertTo-TrimmedText ([string]$Value[$key])
        if ($Initial.ContainsKey($key) -and [string]$Initial[$key] -ceq $new) { continue }
        $changed[$key] = $new
    }
    return $changed
}

function Save-EditorValue {
    # Re-reads the edited file (it may have changed since the window opened) and
    # writes it back with the values that changed; with none changed the file is
    # not touched. An unreadable file stops the save.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path,
        [Parameter(Mandatory)][hashtable]$Value,
        [Parameter(Mandatory)][bool]$SpecialProject,
        [Parameter(Mandatory)][bool]$CleanerMode,
        [hashtable]$Initial = @{}
    )
    $changed = Get-ChangedValue -Value $Value -Initial $Initial
    if ($changed.Count -eq 0) { return }
    $lines = @(Read-IniLine -Path $Path)
    $saved = Get-SavedIniLine -Line $lines -Value $changed -SpecialProject $SpecialProject -CleanerMode $CleanerMode
    Write-IniFile -Path $Path -Line $saved
}

# --- Special Project removal -------------------------------------------------

function Remove-DirectoryTree {
    [CmdletBinding()]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path)
    $directory = [System.IO.DirectoryInfo]::new($Path)
    $link = [System.IO.FileAttributes]::ReparsePoint
    # A junction or link is removed itself: following it would empty a folder
    # outside the project.
    if (($directory.Attributes -band $link) -ne 0) { $directory.Delete(); return }
    foreach ($entry in $directory.GetFileSystemInfos()) {
        if ($entry -is [System.IO.DirectoryInfo]) { Remove-DirectoryTree -Path $entry.FullName; continue }
        # Windows refuses to delete read-only files.
        if (($entry.Attributes -band $link) -eq 0) { $entry.Attributes = [System.IO.FileAttributes]::Normal }
        $entry.Delete()
    }
    $directory.Attributes = [System.IO.FileAttributes]::Directory
    $directory.Delete()
}

function Remove-SpecialProject {
    # Deletes VantorSP.ini and the VantorSP_UserEnv folder beside it; the folder's
    # own config.pro and models stay.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)]
        [ValidateScript({ [System.IO.Path]::GetFileName($_) -eq 'VantorSP.ini' })]
        [string]$IniPath
    )
    $file = [System.IO.Path]::GetFullPath($IniPath)
    if ([System.IO.File]::Exists($file)) {
        # Windows refuses to delete a read-only file.
        [System.IO.File]::SetAttributes($file, [System.IO.FileAttributes]::Normal)
        [System.IO.File]::Delete($file)
    }
    $folder = [System.IO.Path]::GetDirectoryName($file)
    $userEnv = [System.IO.Path]::Combine($folder, $script:SpecialProjectUserEnv)
    if ([System.IO.Directory]::Exists($userEnv)) { Remove-DirectoryTree -Path $userEnv }
}

function Get-RemovalConfirmationText {
    [CmdletBinding()]
    [OutputType([string])]
    param()
    return 'The local VantorSP.ini and VantorSP_UserEnv folder will be removed. ' +
    "(The local config.pro will remain.)`n`n" +
    "Launching Creo from this folder will now revert to your standard Vantor settings.`n`n" +
    'Confirm Special Project removal.'
}

# --- window model --------------------------------------------------------------

function Test-SpecialProjectPath {
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory)][AllowEmptyString()][string]$IniPath,
        [Parameter(Mandatory)][AllowEmptyString()][string]$MasterPath
    )
    return -not [string]::Equals($IniPath, $MasterPath, [System.StringComparison]::OrdinalIgnoreCase)
}

function Get-VersionList {
    # The version choices: an empty first item, then the installed versions, newest first.
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$InstalledVersions)
    $list = [System.Collections.Generic.List[string]]::new()
    $list.Add('')
    $text = ConvertTo-TrimmedText $InstalledVersions
    if ($text -eq '' -or $text -eq '0') { return $list.ToArray() }
    $numbers = [System.Collections.Generic.List[int]]::new()
    foreach ($piece in $text.Split(',')) {
        $number = 0
        # A piece that is not a whole number cannot be offered as a version.
        if ([int]::TryParse((ConvertTo-TrimmedText $piece), [ref]$number)) { $numbers.Add($number) }
    }
    $numbers.Sort()
    $numbers.Reverse()
    foreach ($number in $numbers) { $list.Add([string]$number) }
    return $list.ToArray()
}

# A version lock no installed Creo matches is shown as itself with this mark.
$script:NotInstalledMark = ' (not installed)'

function Add-LockedVersion {
    # The version choices, with the file's own version added, marked, when no
    # installed Creo has it: the window shows the lock the file holds.
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory)][AllowEmptyString()][string[]]$VersionList,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Value
    )
    $number = 0
    if ($VersionList -ccontains $Value -or -not [int]::TryParse($Value, [ref]$number)) { return , $VersionList }
    return , ([string[]]($VersionList + @($Value + $script:NotInstalledMark)))
}

function ConvertFrom-ListItem {
    # The value a list item stands for.
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Item)
    $mark = $script:NotInstalledMark
    if ($Item.EndsWith($mark)) { return $Item.Substring(0, $Item.Length - $mark.Length) }
    return $Item
}

function New-EditorRow {
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param(
        [Parameter(Mandatory)][ValidateSet('Caption', 'Text', 'List', 'Combo', 'Check')][string]$Kind,
        [AllowEmptyString()][string]$Key = '',
        [Parameter(Mandatory)][string]$Label,
        [AllowEmptyString()][string]$Hint = '',
        [AllowEmptyString()][string]$ToolTip = '',
        [int]$Width = 0,
        [AllowEmptyCollection()][AllowEmptyString()][string[]]$Items = @()
    )
    return [pscustomobject]@{
        Kind = $Kind; Key = $Key; Label = $Label; Hint = $Hint; ToolTip = $ToolTip; Width = $Width; Items = $Items
    }
}

function Get-ChoiceItem {
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory)][string[]]$Item,
        [Parameter(Mandatory)][bool]$SpecialProject
    )
    # In a Special Project the empty first item means "use the master value".
    if ($SpecialProject) { return , ([string[]](@('') + $Item)) }
    return , $Item
}

function Get-LaunchRow {
    # The rows above "Maintenance & Cleanup" of the windows that set up a launch.
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param(
        [Parameter(Mandatory)][bool]$SpecialProject,
        [Parameter(Mandatory)][AllowEmptyString()][string[]]$VersionList,
        [Parameter(Mandatory)][AllowEmptyString()][string[]]$Countdown
    )
    $version = @{
        Label   = 'CP_Version_Max (Auto-Version Limit):'
        Hint    = 'Limits the latest Creo version Vantor will automatically select.'
        ToolTip = 'Leave blank for no limit, or select a detected installation to set a ceiling.'
    }
    if ($SpecialProject) {
        $version = @{
            Label   = 'CP_Version_Max (Specific Version Lock):'
            Hint    = 'Forces this Special Project to open with an exact Creo version.'
            ToolTip = 'Leave blank to inherit the Master limit, or select a version to lock this project.'
        }
    }
    $command = @{
        Label   = 'CP_Creo_Cmd (Creo Launch CMD):'
        Hint    = 'Custom execution command.'
        ToolTip = 'Leave blank for auto-discovery, or provide a specific launch command.'
    }
    $syncTarget = @{
        Label   = 'Vantor_Setup_Master (Sync Target):'
        Hint    = 'UNC Network path to synchronize the Vantor_Home baseline.'
        ToolTip = 'Set to a shared server path to pull updates to this client.'
    }
    $timer = @{
        Label   = 'CP_Countdown (Console Timer):'
        Hint    = 'Delay duration before automatically proceeding with launch.'
        ToolTip = "Choose 'Hold' to pause indefinitely, or 'None' for instant execution."
    }
    $versionWidth = 65
    if (@($VersionList | Where-Object { $_.EndsWith($script:NotInstalledMark) }).Count -gt 0) { $versionWidth = 150 }
    New-EditorRow -Kind Caption -Label 'Environment & Launch'
    New-EditorRow -Kind List -Key 'CP_Version_Max' -Width $versionWidth -Items $VersionList @version
    New-EditorRow -Kind Text -Key 'CP_Creo_Cmd' -Width 180 @command
    if (-not $SpecialProject) { New-EditorRow -Kind Text -Key 'Vantor_Setup_Master' -Width 180 @syncTarget }
    New-EditorRow -Kind List -Key 'CP_Countdown' -Width 120 -Items $Countdown @timer
    New-EditorRow -Kind Caption -Label 'Action & Enforcement'
    Get-LaunchSweepRow
    Get-ResetRow
}

function Get-LaunchSweepRow {
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param()
    $sweep = @{
        Label   = 'CP_Launch_Sweep (Sweep at Launch)'
        Hint    = 'Automatically execute file purge and sweep engine prior to launching.'
        ToolTip = 'Uncheck to skip folder cleaning at Creo launch.'
    }
    return New-EditorRow -Kind Check -Key 'CP_Launch_Sweep' @sweep
}

function Get-ResetRow {
    # The check boxes for the files a launch puts back to the master's.
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param()
    # Key, then label, hint and tool tip.
    $resets = [ordered]@{
        CP_Reset_Config  = @('CP_Reset_Config (Reset config.pro)',
            'Synchronize the active config.pro with the Master baseline.',
            'Uncheck to allow custom modifications to the active config.pro.')
        CP_Reset_UI      = @('CP_Reset_UI (Reset .ui)',
            'Overwrite the active customization.ui with the Master baseline.',
            'Uncheck to allow active creo_parametric_customization.ui variance.')
        CP_Reset_Mapkeys = @('CP_Reset_Mapkeys (Reset mapkeys.pro)',
            'Overwrite the active mapkeys.pro with the Master baseline.',
            'Uncheck to allow active mapkey.pro variance.')
    }
    foreach ($key in $resets.Keys) {
        $label, $hint, $tip = $resets[$key]
        New-EditorRow -Kind Check -Key $key -Label $label -Hint $hint -ToolTip $tip
    }
}

function Get-EditorRow {
    # The rows of the window, in order, for one mode.
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param(
        [Parameter(Mandatory)][bool]$SpecialProject,
        [Parameter(Mandatory)][bool]$CleanerMode,
        [Parameter(Mandatory)][AllowEmptyString()][string[]]$VersionList
    )
    $countdown = Get-ChoiceItem -Item @('Hold', 'Long', 'Medium', 'Short', 'None') -SpecialProject $SpecialProject
    $keep = Get-ChoiceItem -Item @('1', '2', '3', '4', '5') -SpecialProject $SpecialProject
    $cleanerTimer = @{
        Label   = 'CP_Countdown (Console Timer):'
        Hint    = 'Delay duration before automatically closing the cleaner console.'
        ToolTip = "Choose 'Hold' to view the sweep inventory, or 'None' to auto-close."
    }
    $versionsKept = @{
        Label   = 'CP_Keep_N (Versions to keep):'
        Hint    = 'Number of recent model versions to keep during a sweep.'
        ToolTip = 'Select a value or type your own. Set to 1 to keep only the newest file.'
    }
    $maximumAge = @{
        Label   = 'CP_Max_Days (Age out threshold):'
        Hint    = 'Days to hold swept files in the quarantine bin before deletion.'
        ToolTip = 'Select a value or type your own.'
    }
    $clutter = @{
        Label   = 'CP_Clutter (Comma separated):'
        Hint    = 'List of file extensions to automatically sweep.'
        ToolTip = 'Use comma separation (e.g., .*.lst*,*.inf*,*.crc*).'
    }
    if ($CleanerMode) {
        New-EditorRow -Kind Caption -Label 'Console & Automation'
        New-EditorRow -Kind List -Key 'CP_Countdown' -Width 120 -Items $countdown @cleanerTimer
        Get-LaunchSweepRow
    }
    else {
        Get-LaunchRow -SpecialProject $SpecialProject -VersionList $VersionList -Countdown $countdown
    }
    New-EditorRow -Kind Caption -Label 'Maintenance & Cleanup'
    New-EditorRow -Kind Combo -Key 'CP_Keep_N' -Width 65 -Items $keep @versionsKept
    $days = @('7', '14', '21', '30', '60', '90')
    if (-not $SpecialProject) { New-EditorRow -Kind Combo -Key 'CP_Max_Days' -Width 65 -Items $days @maximumAge }
    New-EditorRow -Kind Text -Key 'CP_Clutter' -Width 180 @clutter
}

function Get-EditorLayout {
    # The y of every row and of the button row; the client area is 495 wide and
    # 55 higher than the button row.
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param([Parameter(Mandatory)][pscustomobject[]]$Row)
    $positions = [System.Collections.Generic.List[int]]::new()
    $y = 112
    foreach ($item in $Row) {
        switch ($item.Kind) {
            'Caption' { $y += 10; $positions.Add($y); $y += 28 }
            'Check' { $positions.Add($y); $y += 44 }
            default { $positions.Add($y); $y += 46 }
        }
    }
    $buttonY = $y + 20
    return [pscustomobject]@{
        RowY = $positions.ToArray(); ButtonY = $buttonY; ClientWidth = 495; ClientHeight = $buttonY + 55
    }
}

function Get-InitialInputValue {
    # What an input shows at first: the text of a text, list or combo input, or
    # the state of a check box (Checked, Unchecked, Indeterminate).
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][pscustomobject]$Row,
        [Parameter(Mandatory)][AllowNull()][AllowEmptyString()][string]$FileValue,
        [Parameter(Mandatory)][bool]$SpecialProject
    )
    $value = ConvertTo-TrimmedText $FileValue
    switch ($Row.Kind) {
        'List' {
            if (@($Row.Items) -ccontains $value) { return $value }
            $marked = $value + $script:NotInstalledMark
            if ($value -ne '' -and @($Row.Items) -ccontains $marked) { return $marked }
            return [string]@($Row.Items)[0]
        }
        'Combo' {
            if ($value -ne '') { return $value }
            return [string]@($Row.Items)[0]
        }
        'Check' {
            if ($value -eq 'Yes') { return 'Checked' }
            if ($value -eq 'No') { return 'Unchecked' }
            # Empty in a master file; a word neither yes nor no shows undecided.
            if ($value -eq '' -and -not $SpecialProject) { return 'Unchecked' }
            return 'Indeterminate'
        }
    }
    return $value
}

function ConvertFrom-CheckState {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][ValidateSet('Checked', 'Unchecked', 'Indeterminate')][string]$State,
        [Parameter(Mandatory)][bool]$SpecialProject
    )
    if ($State -eq 'Checked') { return 'Yes' }
    # Undecided in a Special Project writes an empty value: the master value applies.
    if ($State -eq 'Indeterminate' -and $SpecialProject) { return '' }
    return 'No'
}

function Get-MasterDisplayText {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][pscustomobject]$Row,
        [Parameter(Mandatory)][hashtable]$Master
    )
    $value = $Master[$Row.Key]
    if ($Row.Kind -eq 'Check') {
        if ($value -eq $true) { return 'YES' }
        return 'NO'
    }
    if ($null -eq $value -or [string]$value -eq '') { return 'NONE' }
    # A blank after each comma lets a long rule list wrap in the hint.
    if ($Row.Key -eq 'CP_Clutter') { return ([string]$value).Replace(',', ', ') }
    return [string]$value
}

function Get-HintText {
    # The hint under an input: the master value is shown while a Special Project
    # leaves the input empty.
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param(
        [Parameter(Mandatory)][string]$BaseText,
        [Parameter(Mandatory)][AllowEmptyString()][string]$MasterText,
        [Parameter(Mandatory)][bool]$SpecialProject,
        [Parameter(Mandatory)][bool]$IsEmpty
    )
    if ($SpecialProject -and $IsEmpty) {
        return [pscustomobject]@{ Text = $BaseText + ' (Current Value: ' + $MasterText + ')'; Color = 'SteelBlue' }
    }
    return [pscustomobject]@{ Text = $BaseText; Color = 'Gray' }
}

function Get-InitialFormValue {
    # What Get-FormValue reads from inputs nobody touched.
    [CmdletBinding()]
    [OutputType([hashtable])]
    param(
        [Parameter(Mandatory)][pscustomobject[]]$Row,
        [Parameter(Mandatory)][hashtable]$Edited,
        [Parameter(Mandatory)][bool]$SpecialProject
    )
    $values = New-OrdinalTable
    foreach ($item in $Row) {
        if ($item.Kind -eq 'Caption') { continue }
        $fileValue = [string]$Edited[$item.Key]
        $initial = Get-InitialInputValue -Row $item -FileValue $fileValue -SpecialProject $SpecialProject
        if ($item.Kind -eq 'Check') {
            $initial = ConvertFrom-CheckState -State $initial -SpecialProject $SpecialProject
        }
        if ($item.Kind -eq 'List') { $initial = ConvertFrom-ListItem -Item $initial }
        $values[$item.Key] = ConvertTo-TrimmedText $initial
    }
    return $values
}

function Get-EditorState {
    # Everything the window needs, read from the files.
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$IniPath,
        [Parameter(Mandatory)][AllowEmptyString()][string]$ModeLabel,
        [Parameter(Mandatory)][AllowEmptyString()][string]$FileLabel,
        [Parameter(Mandatory)][AllowEmptyString()][string]$InstalledVersions,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$MasterIni,
        [Parameter(Mandatory)][bool]$CleanerMode
    )
    $specialProject = Test-SpecialProjectPath -IniPath $IniPath -MasterPath $MasterIni
    $masterLines = [string[]]@()
    try { $masterLines = @(Read-IniLine -Path $MasterIni) }
    catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        # The master values only feed the hints; an unreadable master file shows none.
        Write-Verbose ('Master settings not read: ' + $_.Exception.Message)
    }
    $editedLines = @(Read-IniLine -Path $IniPath)
    $edited = Get-ProgramValue -Line $editedLines -SpecialProject $specialProject -KeepUnreadable
    $versions = @(Get-VersionList -InstalledVersions $InstalledVersions)
    $versions = Add-LockedVersion -VersionList $versions -Value ([string]$edited['CP_Version_Max'])
    $rows = @(Get-EditorRow -SpecialProject $specialProject -CleanerMode $CleanerMode -VersionList $versions)
    return [pscustomobject]@{
        IniPath        = $IniPath
        ModeLabel      = $ModeLabel
        FileLabel      = $FileLabel
        SpecialProject = $specialProject
        CleanerMode    = $CleanerMode
        Master         = Get-MasterReferenceValue -Line $masterLines
        Edited         = $edited
        Rows           = $rows
        Initial        = Get-InitialFormValue -Row $rows -Edited $edited -SpecialProject $specialProject
    }
}

function Format-EditorResult {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$DialogResult)
    switch ($DialogResult) {
        'OK' { return 'X|OK' }
        'Abort' { return 'X|Abort' }
    }
    return 'X|Cancel'
}

# --- window -----------------------------------------------------------------------
# Only these functions touch Windows Forms; they run on a desktop only.

function New-EditorButton {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][string]$Text,
        [Parameter(Mandatory)][int]$X,
        [Parameter(Mandatory)][int]$Y,
        [Parameter(Mandatory)][int]$Width,
        [Parameter(Mandatory)]$BackColor,
        [switch]$Strong
    )
    $font = $null
    if ($Strong) { $font = New-WindowFont -Size 9 -Style Bold }
    $button = New-WindowControl -Type Button -Text $Text -Bounds $X, $Y, $Width, 32 -Font $font
    $button.BackColor = $BackColor
    if ($Strong) { $button.ForeColor = [System.Drawing.Color]::White }
    return $button
}

function New-EditorInput {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][pscustomobject]$Row,
        [Parameter(Mandatory)][int]$Y,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Initial,
        [Parameter(Mandatory)][bool]$SpecialProject
    )
    if ($Row.Kind -eq 'Check') {
        $font = New-WindowFont -Size 9.5
        $box = New-WindowControl -Type CheckBox -Text $Row.Label -Bounds 20, $Y, 460, 22 -Font $font
        $box.ThreeState = $SpecialProject -or $Initial -eq 'Indeterminate'
        $box.CheckState = [System.Windows.Forms.CheckState]$Initial
        $box.Name = $Row.Key
        return $box
    }
    if ($Row.Kind -eq 'Text') {
        $control = [System.Windows.Forms.TextBox]::new()
        $control.BackColor = [System.Drawing.Color]::WhiteSmoke
    }
    else {
        $control = [System.Windows.Forms.ComboBox]::new()
        $style = 'DropDown'
        if ($Row.Kind -eq 'List') { $style = 'DropDownList' }
        $control.DropDownStyle = [System.Windows.Forms.ComboBoxStyle]$style
        foreach ($item in $Row.Items) { $null = $control.Items.Add($item) }
    }
    $control.Location = [System.Drawing.Point]::new(290, ($Y - 2))
    $control.Size = [System.Drawing.Size]::new($Row.Width, 23)
    $control.Font = New-WindowFont -Size 9
    $control.Name = $Row.Key
    if ($Row.Kind -eq 'List') { $control.SelectedIndex = [array]::IndexOf([string[]]$Row.Items, $Initial) }
    else { $control.Text = $Initial }
    return $control
}

function Test-InputEmpty {
    [CmdletBinding()]
    [OutputType([bool])]
    param([Parameter(Mandatory)]$InputControl)
    if ($InputControl -is [System.Windows.Forms.CheckBox]) {
        return $InputControl.CheckState -eq [System.Windows.Forms.CheckState]::Indeterminate
    }
    return (ConvertTo-TrimmedText $InputControl.Text) -eq ''
}

function Update-EditorHint {
    [CmdletBinding()]
    param([Parameter(Mandatory)]$InputControl)
    $info = $InputControl.Tag
    $shown = @{
        BaseText = $info.Row.Hint; MasterText = $info.MasterText; SpecialProject = $info.SpecialProject
        IsEmpty = Test-InputEmpty -InputControl $InputControl
    }
    $hint = Get-HintText @shown
    $info.HintLabel.Text = $hint.Text
    $info.HintLabel.ForeColor = [System.Drawing.Color]::FromName($hint.Color)
}

function Register-HintUpdate {
    # The hint follows the input as it is typed in, picked from or ticked.
    [CmdletBinding()]
    param([Parameter(Mandatory)]$InputControl)
    $update = { param($source, $arguments) Update-EditorHint -InputControl $source }
    if ($InputControl -is [System.Windows.Forms.CheckBox]) {
        $InputControl.Add_CheckStateChanged($update)
        return
    }
    $InputControl.Add_TextChanged($update)
    if ($InputControl -is [System.Windows.Forms.ComboBox]) { $InputControl.Add_SelectedIndexChanged($update) }
}

function Add-EditorRow {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)]$Form,
        [Parameter(Mandatory)]$ToolTip,
        [Parameter(Mandatory)][pscustomobject]$State,
        [Parameter(Mandatory)][pscustomobject]$Row,
        [Parameter(Mandatory)][int]$Y
    )
    if ($Row.Kind -eq 'Caption') {
        $Form.Controls.Add((New-WindowLabel -Look Caption -Text $Row.Label -Bounds 18, $Y, 460, 24))
        return 0
    }
    # The hint starts below the input (23 high from Y - 2) and the check box (22 high).
    $hintY = $Y + 22
    if ($Row.Kind -ne 'Check') {
        $labelFont = New-WindowFont -Size 9.5
        $label = New-WindowControl -Type Label -Text $Row.Label -Bounds 20, $Y, 265, 20 -Font $labelFont
        $ToolTip.SetToolTip($label, $Row.ToolTip)
        $Form.Controls.Add($label)
    }
    $fileValue = $null
    if ($State.Edited.ContainsKey($Row.Key)) { $fileValue = [string]$State.Edited[$Row.Key] }
    $initial = Get-InitialInputValue -Row $Row -FileValue $fileValue -SpecialProject $State.SpecialProject
    $inputControl = New-EditorInput -Row $Row -Y $Y -Initial $initial -SpecialProject $State.SpecialProject
    $hintFont = New-WindowFont -Size 8.25 -Style Italic
    $masterText = Get-MasterDisplayText -Row $Row -Master $State.Master
    # As high as the longest hint it can show, so the master value is never cut.
    $shown = @{ BaseText = $Row.Hint; MasterText = $masterText; SpecialProject = $State.SpecialProject }
    $longest = Get-HintText @shown -IsEmpty $true
    $hintHeight = Measure-TextHeight -Text $longest.Text -Font $hintFont -Width 465 -Least 16
    $hintLabel = New-WindowControl -Type Label -Text $Row.Hint -Bounds 20, $hintY, 465, $hintHeight -Font $hintFont
    $inputControl.Tag = @{
        Row = $Row; HintLabel = $hintLabel; SpecialProject = $State.SpecialProject; MasterText = $masterText
    }
    $ToolTip.SetToolTip($inputControl, $Row.ToolTip)
    Register-HintUpdate -InputControl $inputControl
    Update-EditorHint -InputControl $inputControl
    $Form.Controls.Add($inputControl)
    $Form.Controls.Add($hintLabel)
    return $hintHeight - 16
}

function Measure-TextHeight {
    # The height a label of this Width needs for Text, Least at least.
    [CmdletBinding()]
    [OutputType([int])]
    param(
        [Parameter(Mandatory)][string]$Text,
        [Parameter(Mandatory)]$Font,
        [Parameter(Mandatory)][int]$Width,
        [Parameter(Mandatory)][int]$Least
    )
    $flags = [System.Windows.Forms.TextFormatFlags]'WordBreak, NoPrefix'
    $room = [System.Drawing.Size]::new($Width, 0)
    $size = [System.Windows.Forms.TextRenderer]::MeasureText($Text, $Font, $room, $flags)
    return [Math]::Max($Least, $size.Height)
}

function Get-FormValue {
    # The new values of the inputs this mode shows, by key.
    [CmdletBinding()]
    [OutputType([hashtable])]
    param([Parameter(Mandatory)]$Form)
    $state = $Form.Tag
    $values = New-OrdinalTable
    foreach ($row in $state.Rows) {
        if ($row.Kind -eq 'Caption') { continue }
        $control = $Form.Controls.Find($row.Key, $true)[0]
        if ($row.Kind -eq 'Check') {
            $checkState = [string]$control.CheckState
            $values[$row.Key] = ConvertFrom-CheckState -State $checkState -SpecialProject $state.SpecialProject
        }
        elseif ($row.Kind -eq 'List') {
            $values[$row.Key] = ConvertFrom-ListItem -Item (ConvertTo-TrimmedText $control.Text)
        }
        else { $values[$row.Key] = ConvertTo-TrimmedText $control.Text }
    }
    return $values
}

function Show-EditorMessage {
    # A message box over the editor; returns the button pressed.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][string]$Message,
        [Parameter(Mandatory)][string]$Caption,
        [ValidateSet('OK', 'YesNo')][string]$Buttons = 'OK',
        [ValidateSet('Error', 'Warning')][string]$Icon = 'Error'
    )
    $buttonSet = [System.Windows.Forms.MessageBoxButtons]$Buttons
    $iconShown = [System.Windows.Forms.MessageBoxIcon]$Icon
    return [System.Windows.Forms.MessageBox]::Show($Message, $Caption, $buttonSet, $iconShown)
}

function Show-EditorError {
    [CmdletBinding()]
    param([Parameter(Mandatory)][string]$Message)
    $null = Show-EditorMessage -Message $Message -Caption 'Vantor Configuration Editor'
}

function Invoke-EditorSave {
    [CmdletBinding()]
    param([Parameter(Mandatory)]$Form)
    $state = $Form.Tag
    try {
        $saving = @{
            Path = $state.IniPath; Value = (Get-FormValue -Form $Form); Initial = $state.Initial
            SpecialProject = $state.SpecialProject; CleanerMode = $state.CleanerMode
        }
        Save-EditorValue @saving
    }
    catch {
        # The old file is intact; the window stays open so nothing typed is lost.
        Show-EditorError -Message ("The settings could not be saved.`n`n" + $_.Exception.Message)
        return
    }
    $Form.DialogResult = [System.Windows.Forms.DialogResult]::OK
}

function Invoke-SpecialProjectRemoval {
    [CmdletBinding()]
    param([Parameter(Mandatory)]$Form)
    $removalQuestion = @{
        Message = Get-RemovalConfirmationText; Caption = 'Confirm Removal'; Buttons = 'YesNo'; Icon = 'Warning'
    }
    $answer = Show-EditorMessage @removalQuestion
    if ($answer -ne [System.Windows.Forms.DialogResult]::Yes) { return }
    $state = $Form.Tag
    try {
        Remove-SpecialProject -IniPath $state.IniPath
    }
    catch {
        Show-EditorError -Message ("The Special Project could not be removed completely.`n`n" + $_.Exception.Message)
        # Without its VantorSP.ini the folder is no Special Project any more.
        if ([System.IO.File]::Exists($state.IniPath)) { return }
    }
    $Form.DialogResult = [System.Windows.Forms.DialogResult]::Abort
}

function New-EditorToolTip {
    [CmdletBinding()]
    param()
    $toolTip = [System.Windows.Forms.ToolTip]::new()
    $toolTip.IsBalloon = $true
    $toolTip.ShowAlways = $true
    $toolTip.AutoPopDelay = 10000
    $toolTip.InitialDelay = 500
    $toolTip.ReshowDelay = 200
    return $toolTip
}

function Add-EditorButton {
    # Cancel, Save & Exit and, for a Special Project outside cleaner mode, its removal.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)]$Form,
        [Parameter(Mandatory)][pscustomobject]$State,
        [Parameter(Mandatory)][int]$Y
    )
    $cancel = New-EditorButton -Text 'Cancel' -X 235 -Y $Y -Width 100 -BackColor ([System.Drawing.Color]::LightGray)
    $cancel.DialogResult = [System.Windows.Forms.DialogResult]::Cancel
    $Form.Controls.Add($cancel)
    $blue = [System.Drawing.Color]::FromArgb(0, 120, 215)
    $save = New-EditorButton -Text 'Save && Exit' -X 345 -Y $Y -Width 130 -BackColor $blue -Strong
    $save.Add_Click({ param($source, $arguments) Invoke-EditorSave -Form $source.FindForm() })
    $Form.Controls.Add($save)
    if ($State.SpecialProject -and -not $State.CleanerMode) {
        $red = [System.Drawing.Color]::FromArgb(200, 50, 50)
        $remove = New-EditorButton -Text 'Remove Special Project' -X 20 -Y $Y -Width 180 -BackColor $red -Strong
        $remove.Add_Click({ param($source, $arguments) Invoke-SpecialProjectRemoval -Form $source.FindForm() })
        $Form.Controls.Add($remove)
    }
}

function New-EditorForm {
    [CmdletBinding()]
    param([Parameter(Mandatory)][pscustomobject]$State)
    $form = [System.Windows.Forms.Form]::new()
    $form.Text = 'Vantor Configuration Editor'
    $form.Size = [System.Drawing.Size]::new(515, 660)
    $form.StartPosition = [System.Windows.Forms.FormStartPosition]::CenterScreen
    $form.FormBorderStyle = [System.Windows.Forms.FormBorderStyle]::FixedDialog
    $form.MaximizeBox = $false
    $form.BackColor = [System.Drawing.Color]::White
    $form.Tag = $State

    $toolTip = New-EditorToolTip
    $layout = Get-EditorLayout -Row $State.Rows
    $titleText = 'Vantor Configuration - ' + $State.ModeLabel
    $form.Controls.Add((New-WindowLabel -Look Title -Text $titleText -Bounds 0, 0, $layout.ClientWidth, 48))
    # A line feed alone: Wine draws the carriage return of CR LF as a box.
    $noteText = 'Editing: ' + $State.FileLabel + "`n" + 'Path: ' + $State.IniPath
    $note = New-WindowLabel -Look Note -Text $noteText -Bounds 18, 58, 460, 42
    # A long path takes more lines (inside a padding of 8, 5 and a border);
    # the rows move down to make room, as they do below a tall hint.
    $below = (Measure-TextHeight -Text $noteText -Font $note.Font -Width 442 -Least 30) - 30
    $note.Height += $below
    $form.Controls.Add($note)
    $rowsTop = 104 + $below
    for ($i = 0; $i -lt $State.Rows.Count; $i++) {
        $placing = @{ Form = $form; ToolTip = $toolTip; State = $State; Row = $State.Rows[$i] }
        $below += Add-EditorRow @placing -Y ($layout.RowY[$i] + $below)
    }
    Add-EditorButton -Form $form -State $State -Y ($layout.ButtonY + $below)
    $form.ClientSize = [System.Drawing.Size]::new($layout.ClientWidth, $layout.ClientHeight + $below)
    Set-WindowFit -Form $form -Top $rowsTop -Bottom ($layout.ButtonY + $below)
    # Started from a console program, the window may open behind it.
    $form.Add_Shown({ param($source, $arguments) $source.Activate() })
    return $form
}

function Invoke-ConfigEditor {
    # Opens the window for Request, the parameters of Get-EditorState, and
    # returns its result line.
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][hashtable]$Request)
    Add-Type -AssemblyName System.Windows.Forms -ErrorAction Stop
    Add-Type -AssemblyName System.Drawing -ErrorAction Stop
    [System.Windows.Forms.Application]::EnableVisualStyles()
    try {
        $state = Get-EditorState @Request
    }
    catch {
        Show-EditorError -Message ("The settings file could not be read.`n`n" + $_.Exception.Message)
        return Format-EditorResult -DialogResult 'Cancel'
    }
    $form = New-EditorForm -State $state
    try { $result = $form.ShowDialog() }
    finally { $form.Dispose() }
    return Format-EditorResult -DialogResult ([string]$result)
}

# --- entry ------------------------------------------------------------------
# Tests set $VantorNoWindow and dot-source this file to get the functions only.
if (Get-Variable -Name VantorNoWindow -ValueOnly -ErrorAction SilentlyContinue) { return }

$ErrorActionPreference = 'Stop'
$cleanerMode = %IS_CLEANER_MODE%
$editorArguments = @{
    IniPath           = ConvertFrom-VantorText '%INI_PATH%'
    ModeLabel         = ConvertFrom-VantorText '%MODE_LABEL%'
    FileLabel         = ConvertFrom-VantorText '%FILE_LABEL%'
    InstalledVersions = ConvertFrom-VantorText '%INSTALLED_VERSIONS%'
    MasterIni         = ConvertFrom-VantorText '%MASTER_INI%'
    CleanerMode       = $cleanerMode
}
Write-Output (Invoke-ConfigEditor -Request $editorArguments)
