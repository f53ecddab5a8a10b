# Vantor migration wizard.
# Brings an existing Creo environment into Vantor_Home: copies the chosen files
# into the scaffold, merges the chosen config.pro into Vantor_config.pro and
# writes the options that point at the copies into one managed section at its
# end. Prints one result line: X|OK (migrated) or X|Cancel (skipped or closed).
# Runs on Windows PowerShell 5.1 and PowerShell 7. The build puts prelude.ps1 in
# front of this file.

Set-StrictMode -Version 3.0
Start-CompileProfile -Name 'MigrationWizard'

$script:ManagedHeader = '! --- Vantor Auto-Wired Customizations ---'
$script:ManagedHeaderPattern = '(?i)^!\s*---\s*Vantor Auto-Wired'
$script:MigratedPrefix = '! [Vantor Migrated] '
$script:TrimCharacters = [char[]]@(' ', "`t", "`r", "`n")
$script:HomePointer = '$WorkPath\Vantor_Home'

# --- names and paths ---------------------------------------------------------

function Get-VersionFreeName {
    # "start.prt.3" -> "start.prt": Creo numbers the saved iterations of a model.
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Name)
    return $Name -replace '\.\d+$', ''
}

function Get-LastPathComponent {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Path)
    $trimmed = $Path.Trim($script:TrimCharacters).Trim('"').TrimEnd([char[]]@('\', '/'))
    $cut = $trimmed.LastIndexOfAny([char[]]@('\', '/'))
    return $trimmed.Substring($cut + 1)
}

function Get-MigrationPath {
    [CmdletBinding()]
    [OutputType([hashtable])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Root)
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
        [Parameter(Mandatory)][AllowEmptyCollection()][System.Collections.Generic.List[string]]$List,
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Path
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
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Source,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Destination
    )
    try {
        [System.IO.File]::Copy($Source, $Destination, $true)
        return $true
    }
    catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        return $false
    }
}

function Copy-MigrationTree {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Source,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Destination
    )
    if (-not [System.IO.Directory]::Exists($Source)) { return }
    $null = [System.IO.Directory]::CreateDirectory($Destination)
    $files = $null
    $folders = $null
    try {
        $files = [System.IO.Directory]::GetFiles($Source)
        $folders = [System.IO.Directory]::GetDirectories($Source)
    }
    catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        # A folder that cannot be listed is skipped like a file that cannot be copied.
        return
    }
    Copy-MigrationFileInto -Source $files -Folder $Destination
    foreach ($folder in $folders) {
        $target = [System.IO.Path]::Combine($Destination, [System.IO.Path]::GetFileName($folder))
        Copy-MigrationTree -Source $folder -Destination $target
    }
}

function Copy-MigrationFileInto {
    # Each file into Folder under its own name (Copy-MigrationFile).
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Source,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Folder
    )
    foreach ($file in $Source) {
        $target = [System.IO.Path]::Combine($Folder, [System.IO.Path]::GetFileName($file))
        $null = Copy-MigrationFile -Source $file -Destination $target
    }
}

function Get-SelectedText {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][hashtable]$Selection, [Parameter(Mandatory)][string]$Key)
    if (-not $Selection.ContainsKey($Key) -or $null -eq $Selection[$Key]) { return '' }
    return ([string]$Selection[$Key]).Trim($script:TrimCharacters)
}

function Get-SelectedList {
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][hashtable]$Selection, [Parameter(Mandatory)][string]$Key)
    $list = [System.Collections.Generic.List[string]]::new()
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
    param([Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Path, [Parameter(Mandatory)][string]$Part)
    foreach ($item in $Path) {
        $name = [System.IO.Path]::GetFileName($item)
        if ($name.IndexOf($Part, [System.StringComparison]::OrdinalIgnoreCase) -lt 0) { continue }
        return Get-VersionFreeName -Name $name
    }
    return ''
}

function Copy-SettingsAsset {
    # The single files that go into Settings under fixed names; adds the
    # options that point at them to Pointers.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][hashtable]$Selection,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Folder,
        [Parameter(Mandatory)][System.Collections.IDictionary]$Pointers
    )
    $settingsPointer = $script:HomePointer + '\Settings'
    # Row key, name of the copy, and the option naming it with its value.
    $copies = @(
        @('f_map', 'Vantor_mapkeys.pro', '', ''),
        @('f_ui', 'Vantor_customization.ui', '', ''),
        @('f_dmt', 'appearance.dmt', 'pro_colormap_path', $settingsPointer),
        @('f_scl', 'Creo.scl', 'system_colors_file', ($settingsPointer + '\Creo.scl')),
        @('f_pnt', 'table.pnt', 'pen_table_file', ($settingsPointer + '\table.pnt'))
    )
    foreach ($copy in $copies) {
        $key, $name, $option, $value = $copy
        $source = Get-SelectedText -Selection $Selection -Key $key
        if (-not $source) { continue }
        $null = Copy-MigrationFile -Source $source -Destination ([System.IO.Path]::Combine($Folder, $name))
        if ($option) { $Pointers[$option] = $value }
    }
}

function Copy-MigrationAsset {
    # Copies every chosen file into the scaffold. Returns the new pointers in
    # the order they were found and the start templates found among the
    # template assets.
    [CmdletBinding()]
    [OutputType([hashtable])]
    param(
        [Parameter(Mandatory)][hashtable]$Selection,
        [Parameter(Mandatory)][hashtable]$Paths
    )
    $pointers = [ordered]@{}
    $fallback = @{ asm = ''; drw = ''; prt = '' }
    $templatesPointer = $script:HomePointer + '\Templates'
    $libraryPointer = $script:HomePointer + '\Library'
    Copy-SettingsAsset -Selection $Selection -Folder $Paths.Settings -Pointers $pointers

    $drawingSetup = Get-SelectedText -Selection $Selection -Key 'f_dtl'
    if ($drawingSetup) {
        Copy-MigrationFileInto -Source $drawingSetup -Folder $Paths.Templates
        $setupName = Get-VersionFreeName -Name ([System.IO.Path]::GetFileName($drawingSetup))
        $pointers['drawing_setup_file'] = $templatesPointer + '\' + $setupName
        $pointers['format_setup_file'] = $templatesPointer + '\' + $setupName
    }

    $templates = Get-SelectedList -Selection $Selection -Key 'f_tpl'
    if ($templates.Length -gt 0) {
        foreach ($option in 'pro_dtl_setup_dir', 'pro_format_dir', 'start_model_dir') {
            $pointers[$option] = $templatesPointer
        }
        Copy-MigrationFileInto -Source $templates -Folder $Paths.Templates
        foreach ($kind in 'prt', 'asm', 'drw') {
            $fallback[$kind] = Find-FirstNameContaining -Path $templates -Part ('.' + $kind)
        }
    }

    $libraryAssets = Get-SelectedList -Selection $Selection -Key 'f_lib_assets'
    if ($libraryAssets.Length -gt 0) {
        Copy-MigrationFileInto -Source $libraryAssets -Folder $Paths.Library
        $kinds = [ordered]@{
            '.mtl' = 'pro_material_dir'; '.tbl' = 'pro_table_dir'; '.sym' = 'pro_symbol_dir'; '.gph' = 'pro_group_dir'
        }
        foreach ($extension in $kinds.Keys) {
            $found = Find-FirstNameContaining -Path $libraryAssets -Part $extension
            if ($found) { $pointers[$kinds[$extension]] = $libraryPointer }
        }
    }

    $library = Get-SelectedText -Selection $Selection -Key 'f_lib'
    if ($library) {
        Copy-MigrationTree -Source $library -Destination $Paths.Library
        $pointers['search_path'] = $libraryPointer
    }
    return @{ Pointers = $pointers; Fallback = $fallback; HasTemplates = ($templates.Length -gt 0) }
}

# --- option files --------------------------------------------------------------
# Creo option files (config.pro, mapkey files) are read and merged by the same
# rules as in the add-on installer of the program; a test holds the two to each
# other.

# Options that Creo reads every time they appear instead of letting a later line
# replace an earlier one.
$script:RepeatableOptions = @('search_path', 'search_path_file', 'def_layer', 'mapkey',
    'toolkit_registry_file', 'protkdat', 'creotkdat', 'preferred_save_as_type')
$script:OptionBlanks = [char[]]@(' ', "`t")
$script:BlankRun = [regex]::new('[ \t]+')

function Get-SystemCodePage {
    # The machine's ANSI code page, which Creo writes its option files in.
    [CmdletBinding()]
    [OutputType([int])]
    param()
    # Off Windows (the tests' machines) Windows-1252 stands in, as it does in the program.
    if ([System.Environment]::OSVersion.Platform -ne [System.PlatformID]::Win32NT) { return 1252 }
    # Windows PowerShell's default encoding is that code page. A machine set to
    # UTF-8 throughout has none; a file that is not UTF-8 there most likely came
    # from a Western European one.
    $codePage = [System.Text.Encoding]::Default.CodePage
    if ($codePage -eq 65001 -or $codePage -le 0) { return 1252 }
    return $codePage
}

function Get-SystemCodePageEncoding {
    # With -Strict a character the code page lacks throws instead of turning
    # into a look-alike or a question mark.
    [CmdletBinding()]
    param([switch]$Strict)
    $encoderFallback = [System.Text.EncoderFallback]::ReplacementFallback
    if ($Strict) { $encoderFallback = [System.Text.EncoderFallback]::ExceptionFallback }
    $decoderFallback = [System.Text.DecoderFallback]::ReplacementFallback
    return [System.Text.Encoding]::GetEncoding((Get-SystemCodePage), $encoderFallback, $decoderFallback)
}

function Split-TextLine {
    # Lines as a text-mode reader sees them: split at LF, the CR before it
    # dropped, no empty last line for a final line end.
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Text)
    $parts = $Text.Split([char]"`n")
    $count = $parts.Length
    if ($parts[$count - 1] -eq '') { $count-- }
    $lines = [System.Collections.Generic.List[string]]::new()
    for ($i = 0; $i -lt $count; $i++) {
        $line = $parts[$i]
        if ($i -lt $parts.Length - 1 -and $line.EndsWith("`r")) { $line = $line.Substring(0, $line.Length - 1) }
        $lines.Add($line)
    }
    return , $lines.ToArray()
}

function ConvertFrom-OptionByte {
    # The lines of an option file and how it is stored: Utf8, Utf8WithBom, or
    # SystemCodePage for a file that is not valid UTF-8. PlainAscii: no mark
    # and nothing beyond ASCII, so any encoding would fit.
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param([Parameter(Mandatory)][AllowEmptyCollection()][byte[]]$Byte)
    $hasMark = $Byte.Length -ge 3 -and $Byte[0] -eq 0xEF -and $Byte[1] -eq 0xBB -and $Byte[2] -eq 0xBF
    $offset = 0
    if ($hasMark) { $offset = 3 }
    $strict = [System.Text.UTF8Encoding]::new($false, $true)
    try {
        $text = $strict.GetString($Byte, $offset, $Byte.Length - $offset)
        $encoding = 'Utf8'
        if ($hasMark) { $encoding = 'Utf8WithBom' }
        $plain = (-not $hasMark) -and ($text -notmatch '[^\x00-\x7F]')
        return [pscustomobject]@{ Lines = (Split-TextLine -Text $text); Encoding = $encoding; PlainAscii = $plain }
    }
    catch [System.Text.DecoderFallbackException] {
        $text = (Get-SystemCodePageEncoding).GetString($Byte)
        $lines = Split-TextLine -Text $text
        return [pscustomobject]@{ Lines = $lines; Encoding = 'SystemCodePage'; PlainAscii = $false }
    }
}

function Read-OptionText {
    # A file that cannot be read throws, so it is never rewritten from an empty list.
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path)
    return ConvertFrom-OptionByte -Byte ([System.IO.File]::ReadAllBytes($Path))
}

function Get-MergedEncoding {
    # What a file that Incoming is merged into is written in: the master's own
    # encoding; for an empty master the incoming file's; for a master of plain
    # ASCII the incoming file's, without adding a byte-order mark.
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][pscustomobject]$Master,
        [Parameter(Mandatory)][pscustomobject]$Incoming
    )
    if (-not $Master.PlainAscii) { return $Master.Encoding }
    if (@($Master.Lines).Count -eq 0) { return $Incoming.Encoding }
    if ($Incoming.Encoding -eq 'SystemCodePage') { return 'SystemCodePage' }
    return 'Utf8'
}

function ConvertTo-OptionByte {
    # Every line followed by CR LF. A line the system code page cannot hold
    # makes the whole file UTF-8 with a byte-order mark, so nothing is lost.
    [CmdletBinding()]
    [OutputType([byte[]])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line,
        [Parameter(Mandatory)][ValidateSet('Utf8', 'Utf8WithBom', 'SystemCodePage')][string]$Encoding
    )
    $builder = [System.Text.StringBuilder]::new()
    foreach ($text in $Line) { $null = $builder.Append($text).Append("`r`n") }
    $text = $builder.ToString()
    $utf8 = [System.Text.UTF8Encoding]::new($false)
    if ($Encoding -eq 'SystemCodePage') {
        try { return , (Get-SystemCodePageEncoding -Strict).GetBytes($text) }
        catch [System.Text.EncoderFallbackException] { $Encoding = 'Utf8WithBom' }
    }
    if ($Encoding -eq 'Utf8') { return , $utf8.GetBytes($text) }
    $bytes = [System.Collections.Generic.List[byte]]::new()
    $bytes.AddRange([byte[]]@(0xEF, 0xBB, 0xBF))
    $bytes.AddRange($utf8.GetBytes($text))
    return , $bytes.ToArray()
}

function ConvertTo-AsciiLower {
    # Only A-Z, as the program compares option names.
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Text)
    if ($Text -cnotmatch '[^\x00-\x7F]') { return $Text.ToLowerInvariant() }
    $chars = $Text.ToCharArray()
    for ($i = 0; $i -lt $chars.Length; $i++) {
        if ($chars[$i] -ge [char]'A' -and $chars[$i] -le [char]'Z') { $chars[$i] = [char]([int]$chars[$i] + 32) }
    }
    return [string]::new($chars)
}

function Get-OptionPart {
    # The parts of one line: Trimmed; Word, its first word, and Name, the same
    # in lower case; Rest,
    # the text after the blanks behind it; Normalized, the name and the rest
    # with every run of blanks outside double quotes read as one space, since
    # "def_layer<tab>LAYER_AXIS  A" and "DEF_LAYER LAYER_AXIS A" are the same
    # line to Creo. Runs for every line of a file, so it keeps to .NET calls.
    [CmdletBinding()]
    [OutputType([hashtable])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Line)
    $trimmed = $Line.Trim($script:TrimCharacters)
    $cut = $trimmed.IndexOfAny($script:OptionBlanks)
    $word = $trimmed
    $rest = ''
    if ($cut -ge 0) {
        $word = $trimmed.Substring(0, $cut)
        $rest = $trimmed.Substring($cut).TrimStart($script:OptionBlanks)
    }
    # Option names are ASCII, where lower case is the same everywhere.
    $name = $word.ToLowerInvariant()
    if ($word -cmatch '[^\x00-\x7F]') { $name = ConvertTo-AsciiLower $word }
    $normalized = $name
    if ($rest -ne '') {
        $parts = $rest.Split([char]'"')
        for ($i = 0; $i -lt $parts.Length; $i += 2) { $parts[$i] = $script:BlankRun.Replace($parts[$i], ' ') }
        $normalized = $name + ' ' + [string]::Join('"', $parts)
    }
    return @{ Trimmed = $trimmed; Word = $word; Name = $name; Rest = $rest; Normalized = $normalized }
}

function Get-OptionEntry {
    # Blank lines, comments, options and mapkey blocks, in file order.
    [CmdletBinding()]
    param([Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line)
    # Kind is Blank, Comment, Replaceable or Repeatable; Identity what a
    # replaceable entry replaces by; Normalized what "the same entry" means.
    $entries = [System.Collections.Generic.List[pscustomobject]]::new()
    for ($i = 0; $i -lt $Line.Length; $i++) {
        $part = Get-OptionPart -Line $Line[$i]
        $lines = [System.Collections.Generic.List[string]]::new()
        $lines.Add($Line[$i])
        $entry = [pscustomobject]@{ Kind = 'Blank'; Identity = ''; Normalized = ''; Lines = $lines }
        $entries.Add($entry)
        if ($part.Trimmed -eq '') { continue }
        if ($part.Trimmed.StartsWith('!')) {
            $entry.Kind = 'Comment'
            $entry.Normalized = $part.Trimmed
            continue
        }
        $name = $part.Name
        $sequence = $part.Rest
        $cut = $sequence.IndexOfAny($script:OptionBlanks)
        if ($cut -ge 0) { $sequence = $sequence.Substring(0, $cut) }
        $entry.Normalized = $part.Normalized
        if ($name -eq 'mapkey' -and $sequence -ne '') {
            $entry.Kind = 'Replaceable'
            $entry.Identity = 'mapkey ' + $sequence
            $block = $entry
            while ($i + 1 -lt $Line.Length) {
                $next = Get-OptionPart -Line $Line[$i + 1]
                if ($next.Name -ne 'mapkey(continued)') { break }
                $i++
                $block.Lines.Add($Line[$i])
                $block.Normalized += "`n" + $next.Normalized
            }
            continue
        }
        # A continuation without its mapkey, or a mapkey without a key sequence,
        # cannot replace anything: it is kept like a repeatable line.
        $entry.Kind = 'Replaceable'
        $repeatable = $script:RepeatableOptions -ccontains $name -or $name -eq 'mapkey(continued)'
        if ($repeatable) { $entry.Kind = 'Repeatable' }
        $entry.Identity = $name
    }
    return , $entries
}

function Get-OptionName {
    # The lower-case first word of an option line; '' for blank and comment lines.
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Line)
    $part = Get-OptionPart -Line $Line
    if ($part.Trimmed -eq '' -or $part.Trimmed.StartsWith('!')) { return '' }
    return $part.Name
}

function Test-SingleOption {
    # True for an option that a later line of the same name replaces.
    [CmdletBinding()]
    [OutputType([bool])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Name)
    return $Name -ne '' -and $Name -ne 'mapkey(continued)' -and $script:RepeatableOptions -cnotcontains $Name
}

function Merge-OptionLine {
    # Merges the incoming lines into the master's by identity: a mapkey block by
    # its key sequence, like an option named by it; a repeatable option, and
    # every line of a name the incoming file itself repeats, appended unless the
    # same line is there; any other option replacing the last line naming it
    # (the one Creo reads), earlier ones dropped, or appended; a comment
    # appended unless the master held it; blank lines only in front of an
    # appended line. An entry already there as it is changes nothing, so
    # merging a file twice gives what merging it once gave.
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Master,
        [Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Incoming
    )
    $entries = Get-OptionEntry -Line $Master
    $comments = [System.Collections.Generic.HashSet[string]]::new([System.StringComparer]::Ordinal)
    $lastOf = [System.Collections.Generic.Dictionary[string, int]]::new([System.StringComparer]::Ordinal)
    $present = [System.Collections.Generic.Dictionary[string, int]]::new([System.StringComparer]::Ordinal)
    for ($i = 0; $i -lt $entries.Count; $i++) {
        $entry = $entries[$i]
        if ($entry.Kind -eq 'Comment') { $null = $comments.Add($entry.Normalized) }
        if ($entry.Kind -eq 'Comment' -or $entry.Kind -eq 'Blank') { continue }
        Add-OptionCount -Count $present -Key $entry.Normalized -By 1
        if ($entry.Kind -eq 'Replaceable') { $lastOf[$entry.Identity] = $i }
    }
    $pending = [System.Collections.Generic.List[pscustomobject]]::new()
    foreach ($entry in (Set-RepeatedEntryKind -Entry (Get-OptionEntry -Line $Incoming))) {
        if ($entry.Kind -eq 'Blank') { $pending.Add($entry); continue }
        if ($entry.Kind -eq 'Replaceable' -and $lastOf.ContainsKey($entry.Identity)) {
            # Creo reads the last line of a name: that one is matched or replaced.
            $index = $lastOf[$entry.Identity]
            $pending.Clear()
            if ($entries[$index].Normalized -ceq $entry.Normalized) { continue }
            Remove-EarlierCopy -Entry $entries -Before $index -Identity $entry.Identity -Count $present
            Add-OptionCount -Count $present -Key $entries[$index].Normalized -By -1
            Add-OptionCount -Count $present -Key $entry.Normalized -By 1
            $entries[$index] = $entry
            continue
        }
        $isOption = $entry.Kind -ne 'Comment'
        $there = ($isOption -and $present.ContainsKey($entry.Normalized) -and $present[$entry.Normalized] -gt 0) -or
            (-not $isOption -and $comments.Contains($entry.Normalized))
        # Blank lines belong to the line after them: with it skipped they go too.
        if ($there) { $pending.Clear(); continue }
        $entries.AddRange($pending)
        $pending.Clear()
        if ($isOption) { Add-OptionCount -Count $present -Key $entry.Normalized -By 1 }
        if ($entry.Kind -eq 'Replaceable') { $lastOf[$entry.Identity] = $entries.Count }
        $entries.Add($entry)
    }
    $lines = [System.Collections.Generic.List[string]]::new()
    $previous = $null
    foreach ($entry in $entries) {
        if ($entry.Kind -eq 'Dropped') { continue }
        # Right under a mapkey block a stray continuation line would be read
        # as the block's last line: a blank line keeps it apart.
        $stray = $entry.Kind -eq 'Repeatable' -and $entry.Identity -ceq 'mapkey(continued)'
        $underBlock = $null -ne $previous -and $previous.Kind -ne 'Comment' -and
            $previous.Identity.StartsWith('mapkey ', [System.StringComparison]::Ordinal)
        if ($stray -and $underBlock) { $lines.Add('') }
        $lines.AddRange($entry.Lines)
        $previous = $entry
    }
    return , $lines.ToArray()
}

function Set-RepeatedEntryKind {
    # A name (or mapkey sequence) that one file sets more than once is meant
    # more than once: Creo wrote preferred_save_as_type five times itself, and a
    # mapkey file may define a key twice. Such lines come as they stand.
    [CmdletBinding()]
    param([Parameter(Mandatory)][AllowEmptyCollection()][System.Collections.Generic.List[pscustomobject]]$Entry)
    $count = [System.Collections.Generic.Dictionary[string, int]]::new([System.StringComparer]::Ordinal)
    foreach ($item in $Entry) {
        if ($item.Kind -eq 'Replaceable') { Add-OptionCount -Count $count -Key $item.Identity -By 1 }
    }
    foreach ($item in $Entry) {
        if ($item.Kind -eq 'Replaceable' -and $count[$item.Identity] -gt 1) { $item.Kind = 'Repeatable' }
    }
    return , $Entry
}

function Remove-EarlierCopy {
    # Earlier lines of a single-valued option are dead lines that would only mislead.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][System.Collections.Generic.List[pscustomobject]]$Entry,
        [Parameter(Mandatory)][int]$Before,
        [Parameter(Mandatory)][string]$Identity,
        [Parameter(Mandatory)][System.Collections.Generic.Dictionary[string, int]]$Count
    )
    for ($i = 0; $i -lt $Before; $i++) {
        $copy = $Entry[$i]
        if ($copy.Kind -ne 'Replaceable' -or $copy.Identity -cne $Identity) { continue }
        Add-OptionCount -Count $Count -Key $copy.Normalized -By -1
        $copy.Kind = 'Dropped'
    }
}

function Add-OptionCount {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][System.Collections.Generic.Dictionary[string, int]]$Count,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Key,
        [Parameter(Mandatory)][int]$By
    )
    $now = 0
    if ($Count.ContainsKey($Key)) { $now = $Count[$Key] }
    $Count[$Key] = $now + $By
}

function Merge-OptionFile {
    # The master option file with the incoming one merged in, written in the
    # master's encoding. Used by the tests that hold this rule to the program's.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Master,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Incoming,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Destination
    )
    $into = ConvertFrom-OptionByte -Byte ([byte[]]@())
    if ([System.IO.File]::Exists($Master)) { $into = Read-OptionText -Path $Master }
    $from = Read-OptionText -Path $Incoming
    $merged = Merge-OptionLine -Master $into.Lines -Incoming $from.Lines
    Write-OptionFile -Path $Destination -Line $merged -Encoding (Get-MergedEncoding -Master $into -Incoming $from)
}

# --- the master configuration ------------------------------------------------

function Split-OptionLine {
    # Name and value of an option line (split at the first run of white space),
    # or $null for a blank line, a comment or a name without a value.
    [CmdletBinding()]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Line)
    $text = $Line.Trim($script:TrimCharacters)
    if ($text.Length -eq 0 -or $text.StartsWith('!')) { return $null }
    $match = [regex]::Match($text, '^(\S+)\s+(.*)$')
    if (-not $match.Success) { return $null }
    $name = $match.Groups[1].Value
    return [pscustomobject]@{ Name = $name; Key = $name.ToLowerInvariant(); Value = $match.Groups[2].Value }
}

function Add-ManagedOption {
    # A managed option keeps one value; a repeatable one (search_path) every
    # distinct value, in order.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][hashtable]$Managed,
        [Parameter(Mandatory)][string]$Name,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Value
    )
    $key = ConvertTo-AsciiLower $Name
    if (-not $Managed.ContainsKey($key) -or (Test-SingleOption -Name $key)) {
        $Managed[$key] = [pscustomobject]@{ Name = $Name; Values = ([System.Collections.Generic.List[string]]::new()) }
    }
    if (-not $Managed[$key].Values.Contains($Value)) { $Managed[$key].Values.Add($Value) }
}

function Read-ManagedLine {
    # One line of the auto-wired section. Mapkeys and comments there were put
    # at the end of the file by an add-on: they go back to the body, so the
    # section never swallows them.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][hashtable]$State,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Line,
        [Parameter(Mandatory)][AllowEmptyCollection()][System.Collections.Generic.List[string]]$Moved
    )
    $part = Get-OptionPart -Line $Line
    if ($part.Trimmed -eq '') { return }
    if ($part.Trimmed.StartsWith('!') -or $part.Name -eq 'mapkey' -or $part.Name -eq 'mapkey(continued)') {
        $Moved.Add($Line)
        return
    }
    Add-ManagedOption -Managed $State.Managed -Name $part.Word -Value $part.Rest
    $State.Known[$part.Name] = $part.Rest
}

function Read-MasterConfig {
    # Splits the master lines into the user's body, the managed options of the
    # auto-wired section and every value known by option name. Lines an earlier
    # run commented out as "[Vantor Migrated]" are read as the user wrote them;
    # the output comments them out again while the section overrides them.
    [CmdletBinding()]
    [OutputType([hashtable])]
    param([Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line)
    $state = @{
        Body    = [System.Collections.Generic.List[string]]::new()
        Managed = @{}
        Known   = @{}
    }
    $moved = [System.Collections.Generic.List[string]]::new()
    $inSection = $false
    foreach ($text in $Line) {
        if ($inSection) { Read-ManagedLine -State $state -Line $text -Moved $moved; continue }
        if ($text.Trim($script:TrimCharacters) -match $script:ManagedHeaderPattern) {
            $inSection = $true
            # The empty line written before the header belongs to the section;
            # kept, every run would add one more.
            $last = $state.Body.Count - 1
            $blankBefore = $last -ge 0 -and $state.Body[$last].Trim($script:TrimCharacters) -eq ''
            if ($blankBefore) { $state.Body.RemoveAt($last) }
            continue
        }
        $state.Body.Add($text)
        $option = Split-OptionLine -Line $text
        if ($null -ne $option) { $state.Known[$option.Key] = $option.Value }
    }
    $state.Body.AddRange($moved)
    Restore-MigratedLine -State $state
    return $state
}

function Restore-MigratedLine {
    # Only while the section still names the option (or for options that
    # never should have been commented out: mapkeys and repeatable ones).
    [CmdletBinding()]
    param([Parameter(Mandatory)][hashtable]$State)
    $body = $State.Body
    for ($i = 0; $i -lt $body.Count; $i++) {
        $trimmed = $body[$i].TrimStart($script:TrimCharacters)
        if (-not $trimmed.StartsWith($script:MigratedPrefix)) { continue }
        $original = $trimmed.Substring($script:MigratedPrefix.Length)
        $name = Get-OptionName -Line $original
        if ($name -eq '') { continue }
        if ($State.Managed.ContainsKey($name) -or -not (Test-SingleOption -Name $name)) { $body[$i] = $original }
    }
}

function Merge-UserConfig {
    # The chosen config.pro: the whole file when the body is empty, otherwise
    # merged by identity (Merge-OptionLine).
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][hashtable]$State,
        [Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line
    )
    $body = $State.Body
    if ($body.Count -eq 0) { $body.AddRange($Line) }
    else {
        $merged = Merge-OptionLine -Master $body.ToArray() -Incoming $Line
        $body.Clear()
        $body.AddRange($merged)
    }
    foreach ($text in $Line) {
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
        [Parameter(Mandatory)][hashtable]$State,
        [Parameter(Mandatory)][System.Collections.IDictionary]$Pointers,
        [Parameter(Mandatory)][hashtable]$Fallback
    )
    $templatesPointer = $script:HomePointer + '\Templates\'
    $starts = [ordered]@{ template_designasm = 'asm'; template_drawing = 'drw'; template_solidpart = 'prt' }
    foreach ($name in $starts.Keys) {
        $known = ''
        if ($State.Known.ContainsKey($name)) { $known = [string]$State.Known[$name] }
        $fromKnown = ''
        if ($known.Trim($script:TrimCharacters) -ne '') {
            $fromKnown = Get-VersionFreeName -Name (Get-LastPathComponent -Path $known)
        }
        if ($fromKnown -ne '') { $Pointers[$name] = $templatesPointer + $fromKnown }
        elseif ($Fallback[$starts[$name]] -ne '') { $Pointers[$name] = $templatesPointer + $Fallback[$starts[$name]] }
    }
}

function Get-MigratedConfigLine {
    # The new master file: the body with lines the section overrides commented
    # out, then the managed section sorted by option name.
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory)][hashtable]$State,
        [Parameter(Mandatory)][System.Collections.IDictionary]$Pointers
    )
    foreach ($name in $Pointers.Keys) { Add-ManagedOption -Managed $State.Managed -Name $name -Value $Pointers[$name] }
    $output = [System.Collections.Generic.List[string]]::new()
    foreach ($text in $State.Body) {
        $name = Get-OptionName -Line $text
        # A repeatable option adds to the section's lines instead of yielding to them.
        $overridden = (Test-SingleOption -Name $name) -and $State.Managed.ContainsKey($name)
        if ($overridden) { $output.Add($script:MigratedPrefix + $text) }
        else { $output.Add($text) }
    }
    if ($State.Managed.Count -gt 0) {
        $output.Add('')
        $output.Add($script:ManagedHeader)
        $keys = [System.Collections.Generic.List[string]]::new()
        foreach ($key in $State.Managed.Keys) { $keys.Add($key) }
        $keys.Sort([System.StringComparer]::Ordinal)
        foreach ($key in $keys) {
            $option = $State.Managed[$key]
            foreach ($value in $option.Values) {
                if ($value -eq '') { $output.Add($option.Name) }
                else { $output.Add($option.Name + ' ' + $value) }
            }
        }
    }
    return , $output.ToArray()
}

function Write-OptionFile {
    # Every line ended by CR LF, in the given encoding (ConvertTo-OptionByte),
    # written in one step so a failure leaves the old file.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path,
        [Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line,
        [ValidateSet('Utf8', 'Utf8WithBom', 'SystemCodePage')][string]$Encoding = 'Utf8'
    )
    Write-FileAtomically -Path $Path -Byte (ConvertTo-OptionByte -Line $Line -Encoding $Encoding)
}

function Invoke-Migration {
    # Everything "Execute Migration" does. Copy failures are skipped; a master
    # configuration that cannot be read or written throws and is left as it was.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Root,
        [Parameter(Mandatory)][hashtable]$Selection
    )
    $paths = Get-MigrationPath -Root $Root
    foreach ($folder in @($paths.Settings, $paths.Templates, $paths.Library)) {
        $null = [System.IO.Directory]::CreateDirectory($folder)
    }
    $copied = Copy-MigrationAsset -Selection $Selection -Paths $paths
    $existing = ConvertFrom-OptionByte -Byte ([byte[]]@())
    if ([System.IO.File]::Exists($paths.MasterConfig)) { $existing = Read-OptionText -Path $paths.MasterConfig }
    $encoding = $existing.Encoding
    $state = Read-MasterConfig -Line $existing.Lines
    $userConfig = Get-SelectedText -Selection $Selection -Key 'f_cfg'
    if ($userConfig -and [System.IO.File]::Exists($userConfig)) {
        $user = Read-OptionText -Path $userConfig
        $encoding = Get-MergedEncoding -Master $existing -Incoming $user
        Merge-UserConfig -State $state -Line $user.Lines
    }
    if ($copied.HasTemplates) {
        Add-StartTemplatePointer -State $state -Pointers $copied.Pointers -Fallback $copied.Fallback
    }
    $output = Get-MigratedConfigLine -State $state -Pointers $copied.Pointers
    Write-OptionFile -Path $paths.MasterConfig -Line $output -Encoding $encoding
}

function Format-MigrationResult {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][string]$DialogResult)
    if ($DialogResult -eq 'OK') { return 'X|OK' }
    return 'X|Cancel'
}

# --- window ------------------------------------------------------------------

function Get-FileFilter {
    # An open dialog's filter: the named kind of file, then all files.
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][string]$Name, [Parameter(Mandatory)][string]$Pattern)
    return $Name + ' (' + $Pattern + ')|' + $Pattern + '|All Files (*.*)|*.*'
}

function Get-WizardRow {
    # The picker rows in window order; Group starts a new caption.
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param()
    $creoSettingsTip = 'Typically located in your AppData\Roaming\PTC\ProENGINEER\Wildfire\.wf\.Settings'
    $configFilter = Get-FileFilter -Name 'Pro/E Config' -Pattern '*.pro'
    # Group, key, kind, label, the line under it, tool tip, and the file filter.
    $rows = @(
        @('1. System & UI Controls', 'f_cfg', 'File', 'Main Config.pro:', 'Copies to Settings\Vantor_config.pro',
            'Your master baseline config.pro. Typically located in your Startup folder.', $configFilter),
        @('', 'f_map', 'File', 'Mapkeys:', 'Copies to Vantor_Home\Settings\Vantor_mapkeys.pro', $creoSettingsTip,
            $configFilter),
        @('', 'f_ui', 'File', 'Window and Ribbon Settings:', 'Copies to Vantor_Home\Settings\Vantor_customization.ui',
            $creoSettingsTip, (Get-FileFilter -Name 'Creo UI' -Pattern '*.ui')),
        @('2. System Colors & Plotting', 'f_dmt', 'File', 'Appearance Palette:',
            'Copies to Vantor_Home\Settings\appearance.dmt',
            'Custom material color definitions and model appearances (pro_colormap_path).',
            (Get-FileFilter -Name 'Appearance File' -Pattern '*.dmt')),
        @('', 'f_scl', 'File', 'System Appearance:', 'Copies to Vantor_Home\Settings\Creo.scl',
            'Custom Creo window background, datum, and sketch colors, etc (system_colors_file).',
            (Get-FileFilter -Name 'System Colors' -Pattern '*.scl')),
        @('', 'f_pnt', 'File', 'Pen Table:', 'Copies to Vantor_Home\Settings\table.pnt',
            'Plotter pen mappings and line weight definitions (pen_table_file).',
            (Get-FileFilter -Name 'Pen Table' -Pattern '*.pnt')),
        @('3. Template & Library Assets', 'f_dtl', 'File', 'Default Drawing Settings:',
            'Copies to Vantor_Home\Templates\<filename>.dtl',
            'Default standard drafting options for new drawings (drawing_setup_file).',
            (Get-FileFilter -Name 'Drawing Setup' -Pattern '*.dtl')),
        @('', 'f_tpl', 'Multi', 'Template Assets:', 'Multi-select: .prt, .asm, .drw, .frm',
            ('Select all start parts, start assemblies, drawing templates, and drawing formats across any ' +
                'folders (Ctrl+Click to select multiple; click Browse again to add more).'),
            (Get-FileFilter -Name 'Template Assets' -Pattern '*.prt*;*.asm*;*.drw*;*.frm*;*.dtl')),
        @('', 'f_lib_assets', 'Multi', 'Library Assets:', 'Multi-select: .mtl, .tbl, .sym, .gph',
            'Select materials (.mtl), tables (.tbl), symbols (.sym), and UDF (.gph) across any folders.',
            (Get-FileFilter -Name 'Library Assets' -Pattern '*.mtl*;*.tbl*;*.sym*;*.gph*')),
        @('', 'f_lib', 'Folder', 'External Library Directory:', 'Copies tree to Library\',
            'Folder containing standard hardware, catalog components, or existing library hierarchies.', '')
    )
    foreach ($row in $rows) {
        $group, $key, $kind, $label, $subLabel, $tip, $filter = $row
        [pscustomobject]@{
            Group = $group; Key = $key; Kind = $kind; Label = $label
            SubLabel = $subLabel; Tip = $tip; Filter = $filter
        }
    }
}

function Get-WizardLayout {
    # Vertical positions: captions take 28, rows 48, groups after the first
    # start 6 lower, the buttons sit 16 below the last row.
    [CmdletBinding()]
    [OutputType([hashtable])]
    param([Parameter(Mandatory)][object[]]$Row)
    $y = 112
    $captions = [System.Collections.Generic.List[pscustomobject]]::new()
    $rows = [System.Collections.Generic.List[pscustomobject]]::new()
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
    return @{
        Captions = $captions.ToArray(); Rows = $rows.ToArray(); ButtonY = $buttonY; ClientHeight = $buttonY + 55
    }
}

function Get-SelectionCountText {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][int]$Count)
    return [string]$Count + ' total file(s) selected'
}

function Add-WizardRow {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)]$Form,
        [Parameter(Mandatory)]$ToolTip,
        [Parameter(Mandatory)]$Row,
        [Parameter(Mandatory)][int]$Y,
        [Parameter(Mandatory)][hashtable]$Picks
    )
    $label = New-WindowControl -Type Label -Text $Row.Label -Bounds 20, $Y, 225, 20 -Font (New-WindowFont -Size 9.5)
    # Below the box, across the row: the longer destinations are wider than the
    # label column, and a path cut in the middle names no file.
    $subFont = New-WindowFont -Size 8.25 -Style Italic
    $sub = New-WindowControl -Type Label -Text $Row.SubLabel -Bounds 20, ($Y + 30), 625, 16 -Font $subFont
    $sub.ForeColor = [System.Drawing.Color]::Gray
    $width = 305
    if ($Row.Kind -eq 'Multi') { $width = 275 }
    $box = New-WindowControl -Type TextBox -Text '' -Bounds 250, ($Y + 4), $width, 23 -Font (New-WindowFont -Size 9)
    $box.Name = $Row.Key
    $box.ReadOnly = $true
    # A long path shows its end: the file or folder chosen.
    $box.Add_TextChanged({
            param($source, $arguments)
            $source.Select($source.Text.Length, 0)
            $source.ScrollToCaret()
        })
    $ToolTip.SetToolTip($label, $Row.Tip)
    $ToolTip.SetToolTip($box, $Row.Tip)
    $Form.Controls.AddRange(@($label, $sub, $box))
    if ($Row.Kind -eq 'Multi') {
        $list = [System.Collections.Generic.List[string]]::new()
        $Picks[$Row.Key] = $list
        $pick = @{ Box = $box; List = $list; Filter = $Row.Filter }
        $Form.Controls.AddRange(@(New-MultiPickButton -ToolTip $ToolTip -Y $Y -State $pick))
        return
    }
    $browseFont = New-WindowFont -Size 9
    $button = New-WindowControl -Type Button -Text 'Browse...' -Bounds 565, ($Y + 3), 80, 26 -Font $browseFont
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

function New-MultiPickButton {
    # Browse and X of a multi-select row: Browse adds files to State.List and
    # counts them in State.Box; X empties both.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)]$ToolTip,
        [Parameter(Mandatory)][int]$Y,
        [Parameter(Mandatory)][hashtable]$State
    )
    $browseFont = New-WindowFont -Size 9
    $browse = New-WindowControl -Type Button -Text 'Browse...' -Bounds 530, ($Y + 3), 75, 26 -Font $browseFont
    $browse.Tag = $State
    $ToolTip.SetToolTip($browse, 'Browse to add files (accumulates with existing selections across folders)')
    $browse.Add_Click({ param($source, $arguments) Invoke-MultiFileBrowse -State $source.Tag })
    $clearFont = New-WindowFont -Size 8.5 -Style Bold
    $clear = New-WindowControl -Type Button -Text 'X' -Bounds 610, ($Y + 3), 35, 26 -Font $clearFont
    $clear.ForeColor = [System.Drawing.Color]::DarkRed
    $clear.Tag = $State
    $ToolTip.SetToolTip($clear, 'Clear all selected files for this category')
    $clear.Add_Click({ param($source, $arguments) $source.Tag.List.Clear(); $source.Tag.Box.Text = '' })
    return $browse, $clear
}

function Invoke-FileBrowse {
    [CmdletBinding()]
    param([Parameter(Mandatory)][hashtable]$State)
    $dialog = [System.Windows.Forms.OpenFileDialog]::new()
    $dialog.Filter = $State.Filter
    if ($dialog.ShowDialog() -eq [System.Windows.Forms.DialogResult]::OK) { $State.Box.Text = $dialog.FileName }
}

function Invoke-MultiFileBrowse {
    [CmdletBinding()]
    param([Parameter(Mandatory)][hashtable]$State)
    $dialog = [System.Windows.Forms.OpenFileDialog]::new()
    $dialog.Filter = $State.Filter
    $dialog.Multiselect = $true
    if ($dialog.ShowDialog() -eq [System.Windows.Forms.DialogResult]::OK) {
        Add-SelectedPath -List $State.List -Path $dialog.FileNames
        $State.Box.Text = Get-SelectionCountText -Count $State.List.Count
    }
}

function Invoke-FolderBrowse {
    [CmdletBinding()]
    param([Parameter(Mandatory)][hashtable]$State)
    $dialog = [System.Windows.Forms.FolderBrowserDialog]::new()
    if ($dialog.ShowDialog() -eq [System.Windows.Forms.DialogResult]::OK) { $State.Box.Text = $dialog.SelectedPath }
}

function Invoke-WizardExecute {
    # Runs the migration and closes with OK. When the master configuration could
    # not be read or replaced it is left as it was, and the run does not count
    # as migrated.
    [CmdletBinding()]
    param([Parameter(Mandatory)]$Form, [Parameter(Mandatory)][hashtable]$State)
    try {
        Invoke-Migration -Root $State.Root -Selection (Get-WizardSelection -Form $Form -Picks $State.Picks)
        $Form.DialogResult = [System.Windows.Forms.DialogResult]::OK
    }
    catch {
        $message = "The migration could not update Vantor_config.pro.`n`n" + $_.Exception.Message
        $null = [System.Windows.Forms.MessageBox]::Show($message, 'Vantor Migration', 'OK', 'Error')
        $Form.DialogResult = [System.Windows.Forms.DialogResult]::Abort
    }
}

function Get-WizardSelection {
    [CmdletBinding()]
    [OutputType([hashtable])]
    param([Parameter(Mandatory)]$Form, [Parameter(Mandatory)][hashtable]$Picks)
    $selection = @{}
    foreach ($row in Get-WizardRow) {
        if ($row.Kind -eq 'Multi') { $selection[$row.Key] = $Picks[$row.Key].ToArray() }
        else { $selection[$row.Key] = $Form.Controls.Find($row.Key, $true)[0].Text }
    }
    return $selection
}

function Add-WizardButton {
    # Skip closes without migrating; Execute Migration runs the migration with
    # State's Root and Picks.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)]$Form,
        [Parameter(Mandatory)]$ToolTip,
        [Parameter(Mandatory)][int]$Y,
        [Parameter(Mandatory)][hashtable]$State
    )
    $plainFont = New-WindowFont -Size 9.5
    $skip = New-WindowControl -Type Button -Text 'Skip Migration' -Bounds 320, $Y, 145, 36 -Font $plainFont
    $skip.BackColor = [System.Drawing.Color]::LightGray
    $skip.DialogResult = [System.Windows.Forms.DialogResult]::Cancel
    $ToolTip.SetToolTip($skip, 'Skip file migration and use clean standard Vantor templates.')
    $strongFont = New-WindowFont -Size 9.5 -Style Bold
    $execute = New-WindowControl -Type Button -Text 'Execute Migration' -Bounds 480, $Y, 165, 36 -Font $strongFont
    $execute.ForeColor = [System.Drawing.Color]::White
    $execute.BackColor = [System.Drawing.Color]::FromArgb(0, 120, 215)
    $ToolTip.SetToolTip($execute, 'Copy selected assets into Vantor_Home and auto-wire configuration pointers.')
    $execute.Tag = $State
    $execute.Add_Click({ param($source, $arguments) Invoke-WizardExecute -Form $source.FindForm() -State $source.Tag })
    $Form.Controls.AddRange(@($skip, $execute))
    $Form.CancelButton = $skip
}

function New-WizardForm {
    [CmdletBinding()]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Root)
    $layout = Get-WizardLayout -Row (Get-WizardRow)
    $form = [System.Windows.Forms.Form]::new()
    $form.Text = 'Vantor Environment Migration Wizard'
    $form.StartPosition = 'CenterScreen'
    $form.FormBorderStyle = 'FixedDialog'
    $form.MaximizeBox = $false
    $form.BackColor = [System.Drawing.Color]::White
    $form.ClientSize = [System.Drawing.Size]::new(665, $layout.ClientHeight)

    $toolTip = [System.Windows.Forms.ToolTip]::new()
    $toolTip.IsBalloon = $true
    $toolTip.AutoPopDelay = 10000
    $toolTip.InitialDelay = 400
    $toolTip.ReshowDelay = 200

    $headerText = 'Migrate Your Existing Creo Environment to Vantor'
    $header = New-WindowLabel -Look Title -Text $headerText -Bounds 0, 0, 665, 48
    $guideText = "All fields are optional. Multi-select rows accumulate selections: click 'Browse...' across " +
    "multiple folders to gather all your assets. Click 'X' to reset."
    $guide = New-WindowLabel -Look Note -Text $guideText -Bounds 20, 58, 625, 42
    $form.Controls.AddRange(@($header, $guide))
    foreach ($caption in $layout.Captions) {
        $form.Controls.Add((New-WindowLabel -Look Caption -Text $caption.Text -Bounds 20, $caption.Y, 625, 24))
    }
    $picks = @{}
    foreach ($placed in $layout.Rows) {
        Add-WizardRow -Form $form -ToolTip $toolTip -Row $placed.Row -Y $placed.Y -Picks $picks
    }
    Add-WizardButton -Form $form -ToolTip $toolTip -Y $layout.ButtonY -State @{ Root = $Root; Picks = $picks }
    Set-WindowFit -Form $form -Top 104 -Bottom $layout.ButtonY
    return $form
}

function Show-MigrationWizard {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Root)
    Add-Type -AssemblyName System.Windows.Forms -ErrorAction Stop
    Add-Type -AssemblyName System.Drawing -ErrorAction Stop
    [System.Windows.Forms.Application]::EnableVisualStyles()
    $form = New-WizardForm -Root $Root
    try { $result = $form.ShowDialog() }
    finally { $form.Dispose() }
    return Format-MigrationResult -DialogResult ([string]$result)
}

# --- entry ------------------------------------------------------------------
# Tests set $VantorNoWindow and dot-source this file to get the functions only.
if (Get-Variable -Name VantorNoWindow -ValueOnly -ErrorAction SilentlyContinue) { return }

$ErrorActionPreference = 'Stop'
Write-Output (Show-MigrationWizard -Root (ConvertFrom-VantorText '%ROOT_DIR%'))
