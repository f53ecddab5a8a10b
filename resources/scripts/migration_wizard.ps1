# Vantor migration wizard.
# Brings an existing Creo environment into Vantor_Home: copies the chosen files
# into the scaffold, merges the chosen config.pro into Vantor_config.pro and
# writes the options that point at the copies into one managed section at its
# end. Prints one result line: X|OK (migrated) or X|Cancel (skipped or closed).
# Runs on Windows PowerShell 5.1 and PowerShell 7.

Set-StrictMode -Version 3.0

$script:ManagedHeader = '! --- Vantor Auto-Wired Customizations ---'
$script:ManagedHeaderPattern = '(?i)^!\s*---\s*Vantor Auto-Wired'
$script:MigratedPrefix = '! [Vantor Migrated] '
$script:TrimCharacters = [char[]]@(' ', "`t", "`r", "`n")
$script:HomePointer = '$WorkPath\Vantor_Home'

function ConvertFrom-VantorText([string]$Encoded) { [System.Text.Encoding]::UTF8.GetString([System.Convert]::FromBase64String($Encoded)) }

# --- names and paths ---------------------------------------------------------

function Get-VersionFreeName {
    # "start.prt.3" -> "start.prt": Creo numbers the saved iterations of a model.
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory = $true)][AllowEmptyString()][string]$Name)
    return $Name -replace '\.\d+$', ''
}

function Get-LastPathComponent {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory = $true)][AllowEmptyString()][string]$Path)
    $trimmed = $Path.Trim($script:TrimCharacters).Trim('"').TrimEnd([char[]]@('\', '/'))
    $cut = $trimmed.LastIndexOfAny([char[]]@('\', '/'))
    return $trimmed.Substring($cut + 1)
}

function Get-MigrationPath {
    [CmdletBinding()]
    [OutputType([hashtable])]
    param([Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Root)
    $homeFolder = [System.IO.Path]::Combine($Root, 'Vantor_Home')
    $settings = [System.IO.Path]::Combine($homeFolder, 'Settings')
    return @{
        Home         = $homeFolder
        Settings     = $settings
        Templates    = [System.IO.Path]::Combine($homeFolder, 'Templates')
        Library      = [System.IO.Path]::Combine($homeFolder, 'Library')
        MasterConfig = [System.IO.Path]::Combine($settings, 'Vantor_config.pro')
    }
}

function Add-SelectedPath {
    # Multi-select rows gather picks across Browse rounds: earlier picks first,
    # a path picked again counted once.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][System.Collections.Generic.List[string]]$List,
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][string[]]$Path
    )
    foreach ($item in $Path) {
        if (-not $List.Contains($item)) { $List.Add($item) }
    }
}

# --- copying -----------------------------------------------------------------

function Copy-MigrationFile {
    # A copy that fails (source gone, target locked) is skipped; the rest of the
    # migration goes on. True when the file was copied.
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Source,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Destination
    )
    try {
        [System.IO.File]::Copy($Source, $Destination, $true)
        return $true
    }
    catch {
        return $false
    }
}

function Copy-MigrationTree {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Source,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Destination
    )
    if (-not [System.IO.Directory]::Exists($Source)) { return }
    $null = [System.IO.Directory]::CreateDirectory($Destination)
    $files = $null
    $folders = $null
    try {
        $files = [System.IO.Directory]::GetFiles($Source)
        $folders = [System.IO.Directory]::GetDirectories($Source)
    }
    catch {
        return
    }
    foreach ($file in $files) {
        $null = Copy-MigrationFile -Source $file -Destination ([System.IO.Path]::Combine($Destination, [System.IO.Path]::GetFileName($file)))
    }
    foreach ($folder in $folders) {
        Copy-MigrationTree -Source $folder -Destination ([System.IO.Path]::Combine($Destination, [System.IO.Path]::GetFileName($folder)))
    }
}

function Get-SelectedText {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory = $true)][hashtable]$Selection, [Parameter(Mandatory = $true)][string]$Key)
    if (-not $Selection.ContainsKey($Key) -or $null -eq $Selection[$Key]) { return '' }
    return ([string]$Selection[$Key]).Trim($script:TrimCharacters)
}

function Get-SelectedList {
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory = $true)][hashtable]$Selection, [Parameter(Mandatory = $true)][string]$Key)
    $list = New-Object 'System.Collections.Generic.List[string]'
    if ($Selection.ContainsKey($Key) -and $null -ne $Selection[$Key]) {
        foreach ($item in @($Selection[$Key])) {
            if (-not [string]::IsNullOrWhiteSpace([string]$item)) { $list.Add([string]$item) }
        }
    }
    return , $list.ToArray()
}

function Find-FirstNameContaining {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory = $true)][AllowEmptyCollection()][string[]]$Path, [Parameter(Mandatory = $true)][string]$Part)
    foreach ($item in $Path) {
        $name = [System.IO.Path]::GetFileName($item)
        if ($name.IndexOf($Part, [System.StringComparison]::OrdinalIgnoreCase) -ge 0) { return Get-VersionFreeName -Name $name }
    }
    return ''
}

function Copy-MigrationAsset {
    # Copies every chosen file into the scaffold. Returns the new pointers in
    # the order they were found and the start templates found among the
    # template assets.
    [CmdletBinding()]
    [OutputType([hashtable])]
    param(
        [Parameter(Mandatory = $true)][hashtable]$Selection,
        [Parameter(Mandatory = $true)][hashtable]$Paths
    )
    $pointers = [ordered]@{}
    $fallback = @{ asm = ''; drw = ''; prt = '' }
    $settingsPointer = $script:HomePointer + '\Settings'
    $templatesPointer = $script:HomePointer + '\Templates'
    $libraryPointer = $script:HomePointer + '\Library'

    $mapkeys = Get-SelectedText -Selection $Selection -Key 'f_map'
    if ($mapkeys) { $null = Copy-MigrationFile -Source $mapkeys -Destination ([System.IO.Path]::Combine($Paths.Settings, 'Vantor_mapkeys.pro')) }
    $ribbon = Get-SelectedText -Selection $Selection -Key 'f_ui'
    if ($ribbon) { $null = Copy-MigrationFile -Source $ribbon -Destination ([System.IO.Path]::Combine($Paths.Settings, 'Vantor_customization.ui')) }

    $palette = Get-SelectedText -Selection $Selection -Key 'f_dmt'
    if ($palette) {
        $null = Copy-MigrationFile -Source $palette -Destination ([System.IO.Path]::Combine($Paths.Settings, 'appearance.dmt'))
        $pointers['pro_colormap_path'] = $settingsPointer
    }
    $colors = Get-SelectedText -Selection $Selection -Key 'f_scl'
    if ($colors) {
        $null = Copy-MigrationFile -Source $colors -Destination ([System.IO.Path]::Combine($Paths.Settings, 'Creo.scl'))
        $pointers['system_colors_file'] = $settingsPointer + '\Creo.scl'
    }
    $pens = Get-SelectedText -Selection $Selection -Key 'f_pnt'
    if ($pens) {
        $null = Copy-MigrationFile -Source $pens -Destination ([System.IO.Path]::Combine($Paths.Settings, 'table.pnt'))
        $pointers['pen_table_file'] = $settingsPointer + '\table.pnt'
    }
    $drawingSetup = Get-SelectedText -Selection $Selection -Key 'f_dtl'
    if ($drawingSetup) {
        $name = [System.IO.Path]::GetFileName($drawingSetup)
        $null = Copy-MigrationFile -Source $drawingSetup -Destination ([System.IO.Path]::Combine($Paths.Templates, $name))
        $pointers['drawing_setup_file'] = $templatesPointer + '\' + (Get-VersionFreeName -Name $name)
        $pointers['format_setup_file'] = $templatesPointer + '\' + (Get-VersionFreeName -Name $name)
    }

    $templates = Get-SelectedList -Selection $Selection -Key 'f_tpl'
    if ($templates.Length -gt 0) {
        $pointers['pro_dtl_setup_dir'] = $templatesPointer
        $pointers['pro_format_dir'] = $templatesPointer
        $pointers['start_model_dir'] = $templatesPointer
        foreach ($file in $templates) {
            $null = Copy-MigrationFile -Source $file -Destination ([System.IO.Path]::Combine($Paths.Templates, [System.IO.Path]::GetFileName($file)))
        }
        $fallback.prt = Find-FirstNameContaining -Path $templates -Part '.prt'
        $fallback.asm = Find-FirstNameContaining -Path $templates -Part '.asm'
        $fallback.drw = Find-FirstNameContaining -Path $templates -Part '.drw'
    }

    $libraryAssets = Get-SelectedList -Selection $Selection -Key 'f_lib_assets'
    if ($libraryAssets.Length -gt 0) {
        foreach ($file in $libraryAssets) {
            $null = Copy-MigrationFile -Source $file -Destination ([System.IO.Path]::Combine($Paths.Library, [System.IO.Path]::GetFileName($file)))
        }
        $kinds = [ordered]@{ '.mtl' = 'pro_material_dir'; '.tbl' = 'pro_table_dir'; '.sym' = 'pro_symbol_dir'; '.gph' = 'pro_group_dir' }
        foreach ($extension in $kinds.Keys) {
            if (Find-FirstNameContaining -Path $libraryAssets -Part $extension) { $pointers[$kinds[$extension]] = $libraryPointer }
        }
    }

    $library = Get-SelectedText -Selection $Selection -Key 'f_lib'
    if ($library) {
        Copy-MigrationTree -Source $library -Destination $Paths.Library
        $pointers['search_path'] = $libraryPointer
    }
    return @{ Pointers = $pointers; Fallback = $fallback; HasTemplates = ($templates.Length -gt 0) }
}

# --- the master configuration ------------------------------------------------

function ConvertFrom-OptionByte {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory = $true)][AllowEmptyCollection()][byte[]]$Byte)
    $offset = 0
    if ($Byte.Length -ge 3 -and $Byte[0] -eq 0xEF -and $Byte[1] -eq 0xBB -and $Byte[2] -eq 0xBF) { $offset = 3 }
    $strict = New-Object System.Text.UTF8Encoding -ArgumentList $false, $true
    try {
        return $strict.GetString($Byte, $offset, $Byte.Length - $offset)
    }
    catch [System.Text.DecoderFallbackException] {
        # Creo writes its option files in the system code page.
        $legacy = $null
        try { $legacy = [System.Text.Encoding]::GetEncoding([System.Globalization.CultureInfo]::CurrentCulture.TextInfo.ANSICodePage) }
        catch { $legacy = [System.Text.Encoding]::GetEncoding(28591) }
        return $legacy.GetString($Byte)
    }
}

function Read-OptionLine {
    # The lines of an option file; a file that cannot be read throws, so it is
    # never rewritten from an empty list.
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Path)
    $lines = New-Object 'System.Collections.Generic.List[string]'
    $reader = New-Object System.IO.StringReader -ArgumentList (ConvertFrom-OptionByte -Byte ([System.IO.File]::ReadAllBytes($Path)))
    for ($line = $reader.ReadLine(); $null -ne $line; $line = $reader.ReadLine()) { $lines.Add($line) }
    return , $lines.ToArray()
}

function Test-OptionComment {
    [CmdletBinding()]
    [OutputType([bool])]
    param([Parameter(Mandatory = $true)][AllowEmptyString()][string]$Line)
    return $Line.Trim($script:TrimCharacters).StartsWith('!')
}

function Split-OptionLine {
    # Name and value of an option line (split at the first run of white space),
    # or $null for a blank line, a comment or a name without a value.
    [CmdletBinding()]
    param([Parameter(Mandatory = $true)][AllowEmptyString()][string]$Line)
    $text = $Line.Trim($script:TrimCharacters)
    if ($text.Length -eq 0 -or $text.StartsWith('!')) { return $null }
    $match = [regex]::Match($text, '^(\S+)\s+(.*)$')
    if (-not $match.Success) { return $null }
    return [pscustomobject]@{ Name = $match.Groups[1].Value; Key = $match.Groups[1].Value.ToLowerInvariant(); Value = $match.Groups[2].Value }
}

function Get-OptionKey {
    # The lower-case first token of an active line; '' for blank and comment lines.
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory = $true)][AllowEmptyString()][string]$Line)
    $text = $Line.Trim($script:TrimCharacters)
    if ($text.Length -eq 0 -or $text.StartsWith('!')) { return '' }
    return ($text -split '\s+', 2)[0].ToLowerInvariant()
}

function Read-MasterConfig {
    # Splits the master lines into the user's body, the managed options of the
    # auto-wired section and every value known by option name.
    [CmdletBinding()]
    [OutputType([hashtable])]
    param([Parameter(Mandatory = $true)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line)
    $state = @{
        Body    = New-Object 'System.Collections.Generic.List[string]'
        Managed = @{}
        Known   = @{}
    }
    $inSection = $false
    foreach ($text in $Line) {
        if (-not $inSection -and $text.Trim($script:TrimCharacters) -match $script:ManagedHeaderPattern) {
            $inSection = $true
            # The empty line written before the header belongs to the section;
            # kept, every run would add one more.
            $last = $state.Body.Count - 1
            if ($last -ge 0 -and $state.Body[$last].Trim($script:TrimCharacters) -eq '') { $state.Body.RemoveAt($last) }
            continue
        }
        $option = Split-OptionLine -Line $text
        if ($inSection) {
            if ($null -ne $option) {
                $state.Managed[$option.Key] = [pscustomobject]@{ Name = $option.Name; Value = $option.Value }
                $state.Known[$option.Key] = $option.Value
            }
            continue
        }
        $state.Body.Add($text)
        if ($null -ne $option) { $state.Known[$option.Key] = $option.Value }
    }
    return $state
}

function Merge-UserConfig {
    # The chosen config.pro: the whole file when the body is empty, otherwise
    # option by option, replacing the first active body line of the same name.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][hashtable]$State,
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line
    )
    $body = $State.Body
    if ($body.Count -eq 0) {
        foreach ($text in $Line) {
            $body.Add($text)
            $option = Split-OptionLine -Line $text
            if ($null -ne $option) { $State.Known[$option.Key] = $option.Value }
        }
        return
    }
    foreach ($text in $Line) {
        $key = Get-OptionKey -Line $text
        if ($key -eq '') { continue }
        $replaced = $false
        for ($i = 0; $i -lt $body.Count; $i++) {
            if ((Get-OptionKey -Line $body[$i]) -eq $key) {
                $body[$i] = $text
                $replaced = $true
                break
            }
        }
        if (-not $replaced) { $body.Add($text) }
        $option = Split-OptionLine -Line $text
        if ($null -ne $option) { $State.Known[$option.Key] = $option.Value }
    }
}

function Add-StartTemplatePointer {
    # A start template the user already names keeps its file name (without the
    # iteration number) but points into the scaffold; otherwise the first
    # matching template asset is used.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][hashtable]$State,
        [Parameter(Mandatory = $true)][System.Collections.IDictionary]$Pointers,
        [Parameter(Mandatory = $true)][hashtable]$Fallback
    )
    $templatesPointer = $script:HomePointer + '\Templates\'
    $starts = [ordered]@{ template_designasm = 'asm'; template_drawing = 'drw'; template_solidpart = 'prt' }
    foreach ($name in $starts.Keys) {
        $known = ''
        if ($State.Known.ContainsKey($name)) { $known = [string]$State.Known[$name] }
        $fromKnown = ''
        if ($known.Trim($script:TrimCharacters) -ne '') { $fromKnown = Get-VersionFreeName -Name (Get-LastPathComponent -Path $known) }
        if ($fromKnown -ne '') { $Pointers[$name] = $templatesPointer + $fromKnown }
        elseif ($Fallback[$starts[$name]] -ne '') { $Pointers[$name] = $templatesPointer + $Fallback[$starts[$name]] }
    }
}

function Get-MigratedConfigLine {
    # The new master file: the body with overridden lines commented out, then
    # the managed section sorted by option name.
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory = $true)][hashtable]$State,
        [Parameter(Mandatory = $true)][System.Collections.IDictionary]$Pointers
    )
    foreach ($name in $Pointers.Keys) {
        $State.Managed[$name.ToLowerInvariant()] = [pscustomobject]@{ Name = $name; Value = $Pointers[$name] }
    }
    $output = New-Object 'System.Collections.Generic.List[string]'
    foreach ($text in $State.Body) {
        $key = Get-OptionKey -Line $text
        if ($key -ne '' -and $State.Managed.ContainsKey($key)) { $output.Add($script:MigratedPrefix + $text) }
        else { $output.Add($text) }
    }
    if ($State.Managed.Count -gt 0) {
        $output.Add('')
        $output.Add($script:ManagedHeader)
        $keys = New-Object 'System.Collections.Generic.List[string]'
        foreach ($key in $State.Managed.Keys) { $keys.Add($key) }
        $keys.Sort([System.StringComparer]::Ordinal)
        foreach ($key in $keys) {
            $option = $State.Managed[$key]
            $output.Add($option.Name + ' ' + $option.Value)
        }
    }
    return , $output.ToArray()
}

function Move-OptionTempFile {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Source,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Target,
        [ValidateRange(1, 100)][int]$Attempts = 10
    )
    for ($attempt = 1; $true; $attempt++) {
        try {
            # .NET Framework has no Move with overwrite; Replace swaps in place.
            if ([System.IO.File]::Exists($Target)) { [System.IO.File]::Replace($Source, $Target, [NullString]::Value) }
            else { [System.IO.File]::Move($Source, $Target) }
            return
        }
        catch [System.IO.IOException] {
            # A virus scanner or indexer may hold the file for a moment.
            if ($attempt -ge $Attempts) { throw }
            Start-Sleep -Milliseconds 200
        }
    }
}

function Write-OptionFile {
    # UTF-8 without byte-order mark, every line ended by CR LF, written to a
    # temporary file beside the target first so a failure leaves the old file.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Path,
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line
    )
    $target = [System.IO.Path]::GetFullPath($Path)
    $folder = [System.IO.Path]::GetDirectoryName($target)
    $temp = [System.IO.Path]::Combine($folder, '.' + [System.IO.Path]::GetFileName($target) + '.' + [guid]::NewGuid().ToString('N') + '.tmp')
    try {
        $stream = New-Object System.IO.FileStream -ArgumentList $temp, ([System.IO.FileMode]::CreateNew), ([System.IO.FileAccess]::Write), ([System.IO.FileShare]::None)
        try {
            $writer = New-Object System.IO.StreamWriter -ArgumentList $stream, (New-Object System.Text.UTF8Encoding -ArgumentList $false)
            foreach ($text in $Line) { $writer.Write($text + "`r`n") }
            $writer.Flush()
            $stream.Flush($true)
        }
        finally {
            $stream.Dispose()
        }
        Move-OptionTempFile -Source $temp -Target $target
    }
    catch {
        if ([System.IO.File]::Exists($temp)) {
            try { [System.IO.File]::Delete($temp) } catch { $null = $_ }
        }
        throw
    }
}

function Invoke-Migration {
    # Everything "Execute Migration" does. Copy failures are skipped; a master
    # configuration that cannot be read or written throws and is left as it was.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Root,
        [Parameter(Mandatory = $true)][hashtable]$Selection
    )
    $paths = Get-MigrationPath -Root $Root
    foreach ($folder in @($paths.Settings, $paths.Templates, $paths.Library)) {
        $null = [System.IO.Directory]::CreateDirectory($folder)
    }
    $copied = Copy-MigrationAsset -Selection $Selection -Paths $paths
    $existing = [string[]]@()
    if ([System.IO.File]::Exists($paths.MasterConfig)) { $existing = Read-OptionLine -Path $paths.MasterConfig }
    $state = Read-MasterConfig -Line $existing
    $userConfig = Get-SelectedText -Selection $Selection -Key 'f_cfg'
    if ($userConfig -and [System.IO.File]::Exists($userConfig)) {
        Merge-UserConfig -State $state -Line (Read-OptionLine -Path $userConfig)
    }
    if ($copied.HasTemplates) { Add-StartTemplatePointer -State $state -Pointers $copied.Pointers -Fallback $copied.Fallback }
    $output = Get-MigratedConfigLine -State $state -Pointers $copied.Pointers
    Write-OptionFile -Path $paths.MasterConfig -Line $output
}

function Format-MigrationResult {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory = $true)][string]$DialogResult)
    if ($DialogResult -eq 'OK') { return 'X|OK' }
    return 'X|Cancel'
}

# --- window ------------------------------------------------------------------

function Get-WizardRow {
    # The picker rows in window order; Group starts a new caption.
    [CmdletBinding()]
    param()
    $creoSettingsTip = 'Typically located in your AppData\Roaming\PTC\ProENGINEER\Wildfire\.wf\.Settings'
    return @(
        [pscustomobject]@{ Group = '1. System & UI Controls'; Key = 'f_cfg'; Kind = 'File'; Label = 'Main Config.pro:'; SubLabel = 'Copies to Settings\Vantor_config.pro'; Tip = 'Your master baseline config.pro. Typically located in your Startup folder.'; Filter = 'Pro/E Config (*.pro)|*.pro|All Files (*.*)|*.*' }
        [pscustomobject]@{ Group = ''; Key = 'f_map'; Kind = 'File'; Label = 'Mapkeys:'; SubLabel = 'Copies to Vantor_Home\Settings\Vantor_mapkeys.pro'; Tip = $creoSettingsTip; Filter = 'Pro/E Config (*.pro)|*.pro|All Files (*.*)|*.*' }
        [pscustomobject]@{ Group = ''; Key = 'f_ui'; Kind = 'File'; Label = 'Window and Ribbon Settings:'; SubLabel = 'Copies to Vantor_Home\Settings\Vantor_customization.ui'; Tip = $creoSettingsTip; Filter = 'Creo UI (*.ui)|*.ui|All Files (*.*)|*.*' }
        [pscustomobject]@{ Group = '2. System Colors & Plotting'; Key = 'f_dmt'; Kind = 'File'; Label = 'Appearance Palette:'; SubLabel = 'Copies to Vantor_Home\Settings\appearance.dmt'; Tip = 'Custom material color definitions and model appearances (pro_colormap_path).'; Filter = 'Appearance File (*.dmt)|*.dmt|All Files (*.*)|*.*' }
        [pscustomobject]@{ Group = ''; Key = 'f_scl'; Kind = 'File'; Label = 'System Appearance:'; SubLabel = 'Copies to Vantor_Home\Settings\Creo.scl'; Tip = 'Custom Creo window background, datum, and sketch colors, etc (system_colors_file).'; Filter = 'System Colors (*.scl)|*.scl|All Files (*.*)|*.*' }
        [pscustomobject]@{ Group = ''; Key = 'f_pnt'; Kind = 'File'; Label = 'Pen Table:'; SubLabel = 'Copies to Vantor_Home\Settings\table.pnt'; Tip = 'Plotter pen mappings and line weight definitions (pen_table_file).'; Filter = 'Pen Table (*.pnt)|*.pnt|All Files (*.*)|*.*' }
        [pscustomobject]@{ Group = '3. Template & Library Assets'; Key = 'f_dtl'; Kind = 'File'; Label = 'Default Drawing Settings:'; SubLabel = 'Copies to Vantor_Home\Templates\<filename>.dtl'; Tip = 'Default standard drafting options for new drawings (drawing_setup_file).'; Filter = 'Drawing Setup (*.dtl)|*.dtl|All Files (*.*)|*.*' }
        [pscustomobject]@{ Group = ''; Key = 'f_tpl'; Kind = 'Multi'; Label = 'Template Assets:'; SubLabel = 'Multi-select: .prt, .asm, .drw, .frm'; Tip = 'Select all start parts, start assemblies, drawing templates, and drawing formats across any folders (Ctrl+Click to select multiple; click Browse again to add more).'; Filter = 'Template Assets (*.prt*;*.asm*;*.drw*;*.frm*;*.dtl)|*.prt*;*.asm*;*.drw*;*.frm*;*.dtl|All Files (*.*)|*.*' }
        [pscustomobject]@{ Group = ''; Key = 'f_lib_assets'; Kind = 'Multi'; Label = 'Library Assets:'; SubLabel = 'Multi-select: .mtl, .tbl, .sym, .gph'; Tip = 'Select materials (.mtl), tables (.tbl), symbols (.sym), and UDF (.gph) across any folders.'; Filter = 'Library Assets (*.mtl*;*.tbl*;*.sym*;*.gph*)|*.mtl*;*.tbl*;*.sym*;*.gph*|All Files (*.*)|*.*' }
        [pscustomobject]@{ Group = ''; Key = 'f_lib'; Kind = 'Folder'; Label = 'External Library Directory:'; SubLabel = 'Copies tree to Library\'; Tip = 'Folder containing standard hardware, catalog components, or existing library hierarchies.'; Filter = '' }
    )
}

function Get-WizardLayout {
    # Vertical positions: captions take 28, rows 48, groups after the first
    # start 6 lower, the buttons sit 16 below the last row.
    [CmdletBinding()]
    [OutputType([hashtable])]
    param([Parameter(Mandatory = $true)][object[]]$Row)
    $y = 112
    $captions = New-Object 'System.Collections.Generic.List[pscustomobject]'
    $rows = New-Object 'System.Collections.Generic.List[pscustomobject]'
    $groupCount = 0
    foreach ($item in $Row) {
        if ($item.Group -ne '') {
            if ($groupCount -gt 0) { $y += 6 }
            $groupCount++
            $captions.Add([pscustomobject]@{ Text = $item.Group; Y = $y })
            $y += 28
        }
        $rows.Add([pscustomobject]@{ Row = $item; Y = $y })
        $y += 48
    }
    $buttonY = $y + 16
    return @{ Captions = $captions.ToArray(); Rows = $rows.ToArray(); ButtonY = $buttonY; ClientHeight = $buttonY + 55 }
}

function Get-SelectionCountText {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory = $true)][int]$Count)
    return [string]$Count + ' total file(s) selected'
}

function New-WizardFont {
    [CmdletBinding()]
    param([Parameter(Mandatory = $true)][single]$Size, [string]$Style = 'Regular')
    return New-Object System.Drawing.Font -ArgumentList 'Segoe UI', $Size, ([System.Drawing.FontStyle]$Style)
}

function New-WizardControl {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][string]$Type,
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Text,
        [Parameter(Mandatory = $true)][int]$X,
        [Parameter(Mandatory = $true)][int]$Y,
        [Parameter(Mandatory = $true)][int]$Width,
        [Parameter(Mandatory = $true)][int]$Height,
        [Parameter(Mandatory = $true)]$Font
    )
    $control = New-Object ('System.Windows.Forms.' + $Type)
    $control.Text = $Text
    $control.Location = New-Object System.Drawing.Point -ArgumentList $X, $Y
    $control.Size = New-Object System.Drawing.Size -ArgumentList $Width, $Height
    $control.Font = $Font
    if ($Type -eq 'Label') { $control.UseMnemonic = $false }
    return $control
}

function Add-WizardRow {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)]$Form,
        [Parameter(Mandatory = $true)]$ToolTip,
        [Parameter(Mandatory = $true)]$Row,
        [Parameter(Mandatory = $true)][int]$Y,
        [Parameter(Mandatory = $true)][hashtable]$Picks
    )
    $label = New-WizardControl -Type Label -Text $Row.Label -X 20 -Y $Y -Width 225 -Height 20 -Font (New-WizardFont -Size 9.5)
    # Two lines up to the next row: the longer destinations do not fit one; what
    # still does not fit ends in "..." and shows whole on hover.
    $sub = New-WizardControl -Type Label -Text $Row.SubLabel -X 20 -Y ($Y + 20) -Width 225 -Height 28 -Font (New-WizardFont -Size 8.25 -Style Italic)
    $sub.ForeColor = [System.Drawing.Color]::Gray
    $sub.AutoEllipsis = $true
    $width = 305
    if ($Row.Kind -eq 'Multi') { $width = 275 }
    $box = New-WizardControl -Type TextBox -Text '' -X 250 -Y ($Y + 4) -Width $width -Height 23 -Font (New-WizardFont -Size 9)
    $box.Name = $Row.Key
    $box.ReadOnly = $true
    $ToolTip.SetToolTip($label, $Row.Tip)
    $ToolTip.SetToolTip($box, $Row.Tip)
    $Form.Controls.AddRange(@($label, $sub, $box))

    if ($Row.Kind -eq 'Multi') {
        $list = New-Object 'System.Collections.Generic.List[string]'
        $Picks[$Row.Key] = $list
        $browse = New-WizardControl -Type Button -Text 'Browse...' -X 530 -Y ($Y + 3) -Width 75 -Height 26 -Font (New-WizardFont -Size 9)
        $browse.Tag = @{ Box = $box; List = $list; Filter = $Row.Filter }
        $ToolTip.SetToolTip($browse, 'Browse to add files (accumulates with existing selections across folders)')
        $browse.Add_Click({ param($source, $arguments) Invoke-MultiFileBrowse -State $source.Tag })
        $clear = New-WizardControl -Type Button -Text 'X' -X 610 -Y ($Y + 3) -Width 35 -Height 26 -Font (New-WizardFont -Size 8.5 -Style Bold)
        $clear.ForeColor = [System.Drawing.Color]::DarkRed
        $clear.Tag = $browse.Tag
        $ToolTip.SetToolTip($clear, 'Clear all selected files for this category')
        $clear.Add_Click({ param($source, $arguments) $source.Tag.List.Clear(); $source.Tag.Box.Text = '' })
        $Form.Controls.AddRange(@($browse, $clear))
        return
    }
    $button = New-WizardControl -Type Button -Text 'Browse...' -X 565 -Y ($Y + 3) -Width 80 -Height 26 -Font (New-WizardFont -Size 9)
    $button.Tag = @{ Box = $box; Filter = $Row.Filter }
    if ($Row.Kind -eq 'Folder') {
        $ToolTip.SetToolTip($button, 'Browse for folder')
        $button.Add_Click({ param($source, $arguments) Invoke-FolderBrowse -State $source.Tag })
    }
    else {
        $ToolTip.SetToolTip($button, 'Select file: ' + $Row.Label)
        $button.Add_Click({ param($source, $arguments) Invoke-FileBrowse -State $source.Tag })
    }
    $Form.Controls.Add($button)
}

function Invoke-FileBrowse {
    [CmdletBinding()]
    param([Parameter(Mandatory = $true)][hashtable]$State)
    $dialog = New-Object System.Windows.Forms.OpenFileDialog
    $dialog.Filter = $State.Filter
    if ($dialog.ShowDialog() -eq [System.Windows.Forms.DialogResult]::OK) { $State.Box.Text = $dialog.FileName }
}

function Invoke-MultiFileBrowse {
    [CmdletBinding()]
    param([Parameter(Mandatory = $true)][hashtable]$State)
    $dialog = New-Object System.Windows.Forms.OpenFileDialog
    $dialog.Filter = $State.Filter
    $dialog.Multiselect = $true
    if ($dialog.ShowDialog() -eq [System.Windows.Forms.DialogResult]::OK) {
        Add-SelectedPath -List $State.List -Path $dialog.FileNames
        $State.Box.Text = Get-SelectionCountText -Count $State.List.Count
    }
}

function Invoke-FolderBrowse {
    [CmdletBinding()]
    param([Parameter(Mandatory = $true)][hashtable]$State)
    $dialog = New-Object System.Windows.Forms.FolderBrowserDialog
    if ($dialog.ShowDialog() -eq [System.Windows.Forms.DialogResult]::OK) { $State.Box.Text = $dialog.SelectedPath }
}

function Invoke-WizardExecute {
    # Runs the migration and closes with OK. When the master configuration could
    # not be read or replaced it is left as it was, and the run does not count
    # as migrated.
    [CmdletBinding()]
    param([Parameter(Mandatory = $true)]$Form, [Parameter(Mandatory = $true)][hashtable]$State)
    try {
        Invoke-Migration -Root $State.Root -Selection (Get-WizardSelection -Form $Form -Picks $State.Picks)
        $Form.DialogResult = [System.Windows.Forms.DialogResult]::OK
    }
    catch {
        $null = [System.Windows.Forms.MessageBox]::Show("The migration could not update Vantor_config.pro.`n`n" + $_.Exception.Message, 'Vantor Migration', 'OK', 'Error')
        $Form.DialogResult = [System.Windows.Forms.DialogResult]::Abort
    }
}

function Get-WizardSelection {
    [CmdletBinding()]
    [OutputType([hashtable])]
    param([Parameter(Mandatory = $true)]$Form, [Parameter(Mandatory = $true)][hashtable]$Picks)
    $selection = @{}
    foreach ($row in Get-WizardRow) {
        if ($row.Kind -eq 'Multi') { $selection[$row.Key] = $Picks[$row.Key].ToArray() }
        else { $selection[$row.Key] = $Form.Controls[$row.Key].Text }
    }
    return $selection
}

function Show-MigrationWizard {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Root)
    Add-Type -AssemblyName System.Windows.Forms -ErrorAction Stop
    Add-Type -AssemblyName System.Drawing -ErrorAction Stop
    [System.Windows.Forms.Application]::EnableVisualStyles()
    $rows = Get-WizardRow
    $layout = Get-WizardLayout -Row $rows

    $form = New-Object System.Windows.Forms.Form
    $form.Text = 'Vantor Environment Migration Wizard'
    $form.StartPosition = 'CenterScreen'
    $form.FormBorderStyle = 'FixedDialog'
    $form.MaximizeBox = $false
    $form.BackColor = [System.Drawing.Color]::White
    $form.ClientSize = New-Object System.Drawing.Size -ArgumentList 665, $layout.ClientHeight

    $toolTip = New-Object System.Windows.Forms.ToolTip
    $toolTip.IsBalloon = $true
    $toolTip.AutoPopDelay = 10000
    $toolTip.InitialDelay = 400
    $toolTip.ReshowDelay = 200

    $header = New-WizardControl -Type Label -Text 'Migrate Your Existing Creo Environment to Vantor' -X 0 -Y 0 -Width 665 -Height 48 -Font (New-WizardFont -Size 13 -Style Bold)
    $header.ForeColor = [System.Drawing.Color]::White
    $header.BackColor = [System.Drawing.Color]::FromArgb(40, 45, 50)
    $header.Padding = New-Object System.Windows.Forms.Padding -ArgumentList 12, 10, 0, 0
    $guide = New-WizardControl -Type Label -Text "All fields are optional. Multi-select rows accumulate selections: click 'Browse...' across multiple folders to gather all your assets. Click 'X' to reset." -X 20 -Y 58 -Width 625 -Height 42 -Font (New-WizardFont -Size 8.75)
    $guide.ForeColor = [System.Drawing.Color]::FromArgb(60, 60, 60)
    $guide.BackColor = [System.Drawing.Color]::FromArgb(245, 247, 250)
    $guide.BorderStyle = 'FixedSingle'
    $guide.Padding = New-Object System.Windows.Forms.Padding -ArgumentList 8, 5, 8, 5
    $form.Controls.AddRange(@($header, $guide))

    foreach ($caption in $layout.Captions) {
        $label = New-WizardControl -Type Label -Text $caption.Text -X 20 -Y $caption.Y -Width 625 -Height 24 -Font (New-WizardFont -Size 10.5 -Style Bold)
        $label.ForeColor = [System.Drawing.Color]::FromArgb(30, 80, 140)
        $form.Controls.Add($label)
    }
    $picks = @{}
    foreach ($placed in $layout.Rows) { Add-WizardRow -Form $form -ToolTip $toolTip -Row $placed.Row -Y $placed.Y -Picks $picks }

    $skip = New-WizardControl -Type Button -Text 'Skip Migration' -X 320 -Y $layout.ButtonY -Width 145 -Height 36 -Font (New-WizardFont -Size 9.5)
    $skip.BackColor = [System.Drawing.Color]::LightGray
    $skip.DialogResult = [System.Windows.Forms.DialogResult]::Cancel
    $toolTip.SetToolTip($skip, 'Skip file migration and use clean standard Vantor templates.')
    $execute = New-WizardControl -Type Button -Text 'Execute Migration' -X 480 -Y $layout.ButtonY -Width 165 -Height 36 -Font (New-WizardFont -Size 9.5 -Style Bold)
    $execute.ForeColor = [System.Drawing.Color]::White
    $execute.BackColor = [System.Drawing.Color]::FromArgb(0, 120, 215)
    $toolTip.SetToolTip($execute, 'Copy selected assets into Vantor_Home and auto-wire configuration pointers.')
    $execute.Tag = @{ Root = $Root; Picks = $picks }
    $execute.Add_Click({ param($source, $arguments) Invoke-WizardExecute -Form $source.FindForm() -State $source.Tag })
    $form.Controls.AddRange(@($skip, $execute))
    $form.CancelButton = $skip

    try { $result = $form.ShowDialog() }
    finally { $form.Dispose() }
    return Format-MigrationResult -DialogResult ([string]$result)
}

# --- entry ------------------------------------------------------------------
# Tests set $VantorNoWindow and dot-source this file to get the functions only.
if (Get-Variable -Name VantorNoWindow -ValueOnly -ErrorAction SilentlyContinue) { return }

$ErrorActionPreference = 'Stop'
Write-Output (Show-MigrationWizard -Root (ConvertFrom-VantorText '%ROOT_DIR%'))
