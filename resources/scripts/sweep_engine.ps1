# Vantor sweep engine.
# Moves clutter and surplus model iterations of one folder into the sweep bin,
# under a mirror of their original folder, purges aged files from the bin,
# records every move in the history log and prints one result line:
#   X|clutter count|clutter size|model count|model size|total size|log state|
#     files not moved|first reason|log failure
# log state: 0 written, 1 locked by another program, 2 failed (log failure says why).
# The build puts prelude.ps1 in front of this file. Everything below the
# functions is the entry layer; only it reads the placeholders, so tests can
# dot-source the two files with $VantorNoWindow set.

Set-StrictMode -Version 3.0

# Files moved per journal flush: a crash loses no record, and a big sweep does
# not wait for the disk after every file.
$script:JournalBatch = 256

# Size texts for many byte counts at once (one call per sweep, not per file).
# The decimal separator follows the user's regional format.
function ConvertTo-SizeText {
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][AllowEmptyCollection()][long[]]$Bytes)

    $culture = [System.Globalization.CultureInfo]::CurrentCulture
    $texts = [string[]]::new($Bytes.Length)
    for ($i = 0; $i -lt $Bytes.Length; $i++) {
        $b = $Bytes[$i]
        if ($b -lt 1024) { $texts[$i] = ([double]$b).ToString('F1', $culture) + ' B' }
        elseif ($b -lt 1048576) { $texts[$i] = ($b / 1024.0).ToString('F1', $culture) + ' KB' }
        elseif ($b -lt 1073741824) { $texts[$i] = ($b / 1048576.0).ToString('F2', $culture) + ' MB' }
        else { $texts[$i] = ($b / 1073741824.0).ToString('F3', $culture) + ' GB' }
    }
    return , $texts
}

function Format-SizeText {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][ValidateRange(0, [long]::MaxValue)][long]$Bytes)

    return (ConvertTo-SizeText -Bytes @($Bytes))[0]
}

# Parent of a path. Drive and UNC paths split at either separator, so Windows
# paths can be handled (and tested) on any platform; elsewhere only the system's
# separators count, since "\" is an ordinary character of a Linux name. A drive
# root keeps its backslash.
function Get-ParentPathText {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path)

    $separators = [char[]]@([System.IO.Path]::DirectorySeparatorChar, [System.IO.Path]::AltDirectorySeparatorChar)
    if ($Path -match '^(?:[A-Za-z]:|\\\\)') { $separators = [char[]]@('\', '/') }
    $cut = $Path.LastIndexOfAny($separators)
    if ($cut -lt 0) { return '' }
    if ($cut -eq 2 -and $Path[1] -eq ':') { return $Path.Substring(0, 3) }
    if ($cut -eq 0) { return $Path.Substring(0, 1) }
    return $Path.Substring(0, $cut)
}

# Where below the bin the files of one original folder land:
#   C:\Work\Proj    -> Vantor_Drive_C\Work\Proj
#   \\fs01\cad\proj -> Vantor_UNC_Server\fs01\cad\proj
#   /home/u/proj    -> home/u/proj (any other form, joined under the bin)
function Get-MirrorFolderSubPath {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Folder)

    $unc = [regex]::Match($Folder, '^\\\\([^\\]+)\\?(.*)$')
    if ($unc.Success) {
        $sub = 'Vantor_UNC_Server\' + $unc.Groups[1].Value + '\' + $unc.Groups[2].Value
        return $sub.TrimEnd('\')
    }
    $drive = [regex]::Match($Folder, '^([A-Za-z]):[\\/](.*)$')
    if ($drive.Success) {
        $sub = 'Vantor_Drive_' + $drive.Groups[1].Value + '\' + $drive.Groups[2].Value
        return $sub.TrimEnd([char[]]@('\', '/'))
    }
    # Rooted forms such as /home/u would make a path join drop the bin.
    return $Folder.TrimStart([char[]]@('\', '/'))
}

# Mirror sub-path for one swept file, from its full path.
function Get-MirrorSubPath {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$FullPath)

    $unc = [regex]::Match($FullPath, '^\\\\([^\\]+)\\(.*)$')
    if ($unc.Success) {
        # The rest without its last component: the share-relative folder.
        $rest = $unc.Groups[2].Value
        $cut = $rest.LastIndexOf('\')
        if ($cut -lt 0) { $rest = '' } else { $rest = $rest.Substring(0, $cut) }
        return ('Vantor_UNC_Server\' + $unc.Groups[1].Value + '\' + $rest).TrimEnd('\')
    }
    $parent = Get-ParentPathText -Path $FullPath
    if ($parent -eq '') { return '' }
    return Get-MirrorFolderSubPath -Folder $parent
}

function Join-BinPath {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory)][AllowEmptyString()][string]$SubPath
    )

    if ($SubPath -eq '') { return $RecycleDir }
    return [System.IO.Path]::Combine($RecycleDir, $SubPath)
}

function Get-SweepCutoff {
    [CmdletBinding()]
    [OutputType([datetime])]
    param(
        [Parameter(Mandatory)][datetime]$Now,
        [Parameter(Mandatory)][ValidateRange(0, [long]::MaxValue)][long]$MaxDays
    )

    # A retention longer than the calendar keeps everything.
    if ($MaxDays -ge ($Now - [datetime]::MinValue).TotalDays) { return [datetime]::MinValue }
    return $Now.AddDays(-$MaxDays)
}

# Every folder below the bin, without following links or junctions out of it.
function Get-BinFolder {
    [CmdletBinding()]
    [OutputType([System.Collections.Generic.List[System.IO.DirectoryInfo]])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir)

    $found = [System.Collections.Generic.List[System.IO.DirectoryInfo]]::new()
    $pending = [System.Collections.Generic.Stack[System.IO.DirectoryInfo]]::new()
    $pending.Push([System.IO.DirectoryInfo]::new((ConvertTo-LongPath -Path $RecycleDir)))
    while ($pending.Count -gt 0) {
        $dir = $pending.Pop()
        try {
            foreach ($child in $dir.EnumerateDirectories()) {
                if (($child.Attributes -band [System.IO.FileAttributes]::ReparsePoint) -ne 0) { continue }
                $found.Add($child)
                $pending.Push($child)
            }
        } catch {
            # An unreadable folder is skipped; the rest of the bin is still kept tidy.
            continue
        }
    }
    return , $found
}

# Deletes bin files last written before the cut-off. The log and the files
# beside it (its lock, journals, temporary copies) stay.
function Remove-AgedBinFile {
    [CmdletBinding()]
    [OutputType([int])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][datetime]$Cutoff
    )

    $removed = 0
    $root = ConvertTo-LongPath -Path $RecycleDir
    if (-not [System.IO.Directory]::Exists($root)) { return $removed }
    $logName = [System.IO.Path]::GetFileName($LogFile)
    $cmp = [System.StringComparison]::OrdinalIgnoreCase
    $folders = [System.Collections.Generic.List[System.IO.DirectoryInfo]]::new()
    $folders.Add([System.IO.DirectoryInfo]::new($root))
    $folders.AddRange((Get-BinFolder -RecycleDir $RecycleDir))
    for ($i = 0; $i -lt $folders.Count; $i++) {
        try { $files = @($folders[$i].EnumerateFiles()) } catch { continue }
        foreach ($file in $files) {
            if ($file.LastWriteTime -ge $Cutoff) { continue }
            if ($i -eq 0 -and ([string]::Equals($file.Name, $logName, $cmp) -or $file.Name.StartsWith($logName + '.', $cmp))) { continue }
            try {
                # Windows refuses to delete read-only files; the bin copy keeps the original's flag.
                if (($file.Attributes -band [System.IO.FileAttributes]::ReadOnly) -ne 0) {
                    $file.Attributes = [System.IO.FileAttributes]::Normal
                }
                $file.Delete()
                $removed++
            } catch {
                continue
            }
        }
    }
    return $removed
}

# Removes empty folders below the bin, longest paths first so that nested
# empty chains vanish in one pass. The bin itself stays.
function Remove-EmptyBinFolder {
    [CmdletBinding()]
    [OutputType([int])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir)

    $removed = 0
    if (-not [System.IO.Directory]::Exists((ConvertTo-LongPath -Path $RecycleDir))) { return $removed }
    $folders = (Get-BinFolder -RecycleDir $RecycleDir).ToArray()
    $lengths = [int[]]::new($folders.Length)
    for ($i = 0; $i -lt $folders.Length; $i++) { $lengths[$i] = $folders[$i].FullName.Length }
    [System.Array]::Sort($lengths, $folders)
    for ($i = $folders.Length - 1; $i -ge 0; $i--) {
        $path = $folders[$i].FullName
        try {
            $entries = [System.IO.Directory]::EnumerateFileSystemEntries($path).GetEnumerator()
            try { $hasEntry = $entries.MoveNext() } finally { $entries.Dispose() }
            if (-not $hasEntry) {
                # Non-recursive: a file that arrived meanwhile makes this fail harmlessly.
                [System.IO.Directory]::Delete($path, $false)
                $removed++
            }
        } catch {
            continue
        }
    }
    return $removed
}

function Split-ClutterList {
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Clutter)

    $rules = [System.Collections.Generic.List[string]]::new()
    foreach ($piece in $Clutter.Split(',')) {
        $rule = $piece.Trim()
        if ($rule -ne '') { $rules.Add($rule) }
    }
    return , $rules.ToArray()
}

# Direct file children of a folder, hidden and system files included, as plain
# paths (listed through the long form, which a deep folder needs on Windows).
function Get-FolderFile {
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Folder)

    try {
        $long = ConvertTo-LongPath -Path $Folder
        $paths = [System.IO.Directory]::GetFiles($long)
        if (-not [object]::ReferenceEquals($long, $Folder) -and $long -ne $Folder) {
            for ($i = 0; $i -lt $paths.Length; $i++) { $paths[$i] = ConvertFrom-LongPath -Path $paths[$i] }
        }
        return , [string[]]$paths
    } catch {
        return , [string[]]@()
    }
}

function Get-FileNameText {
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Paths)

    $names = [string[]]::new($Paths.Length)
    for ($i = 0; $i -lt $Paths.Length; $i++) { $names[$i] = [System.IO.Path]::GetFileName($Paths[$i]) }
    return , $names
}

# Regex text for a rule made only of literal characters, "*" and "?"; $null
# for a rule with brackets or escapes, which is left to -like itself.
function ConvertFrom-SimpleWildcard {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Rule)

    if ($Rule.IndexOfAny([char[]]@('[', ']', '`')) -ge 0) { return $null }
    $regex = [System.Text.StringBuilder]::new()
    foreach ($c in $Rule.ToCharArray()) {
        if ($c -eq '*') { $null = $regex.Append('.*') }
        elseif ($c -eq '?') { $null = $regex.Append('.') }
        else { $null = $regex.Append([regex]::Escape([string]$c)) }
    }
    return $regex.ToString()
}

# Files of the folder that match a clutter rule, ignoring case. Anything whose
# path mentions the bin is left alone, so a sweep never eats its own history.
function Get-ClutterFile {
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$TargetDir,
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Rules
    )

    $paths = Get-FolderFile -Folder $TargetDir
    $names = Get-FileNameText -Paths $paths
    $matched = [System.Collections.Generic.HashSet[string]]::new([System.StringComparer]::Ordinal)
    # Plain rules become one regex: one test per file instead of one per rule.
    $simple = [System.Collections.Generic.List[string]]::new()
    foreach ($rule in $Rules) {
        $regex = ConvertFrom-SimpleWildcard -Rule $rule
        if ($null -ne $regex) { $simple.Add($regex); continue }
        try {
            # -like over the whole array filters in one pass per rule.
            foreach ($name in ($names -like $rule)) { $null = $matched.Add($name) }
        } catch {
            # A malformed pattern (an unclosed bracket) matches nothing.
            continue
        }
    }
    if ($simple.Count -gt 0) {
        $any = [regex]::new('^(?:' + ($simple -join '|') + ')$', 'IgnoreCase, CultureInvariant, Singleline')
        foreach ($name in $names) { if ($any.IsMatch($name)) { $null = $matched.Add($name) } }
    }
    $clutter = [System.Collections.Generic.List[string]]::new()
    for ($i = 0; $i -lt $paths.Length; $i++) {
        if (-not $matched.Contains($names[$i])) { continue }
        if ($paths[$i].IndexOf('Vantor_Sweep', [System.StringComparison]::OrdinalIgnoreCase) -ge 0) { continue }
        $clutter.Add($paths[$i])
    }
    return , $clutter.ToArray()
}

# Model iterations beyond the newest KeepCount of each model. Models are
# grouped by name without the numeric suffix (ignoring case) and ranked by
# that suffix as a number, so name.prt.10 is newer than name.prt.9.
function Get-SurplusIteration {
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$TargetDir,
        [Parameter(Mandatory)][ValidateRange(0, [long]::MaxValue)][long]$KeepCount
    )

    $paths = Get-FolderFile -Folder $TargetDir
    $names = Get-FileNameText -Paths $paths
    $model = [regex]::new('^(.*\.(?:prt|asm|drw))(?:\.([0-9]+))?$', 'IgnoreCase, CultureInvariant')
    $keys = [System.Collections.Generic.List[string]]::new()
    $items = [System.Collections.Generic.List[string]]::new()
    $zero = [char[]]@('0')
    for ($i = 0; $i -lt $paths.Length; $i++) {
        $m = $model.Match($names[$i])
        if (-not $m.Success) { continue }
        $digits = $m.Groups[2].Value.TrimStart($zero)
        # Key: group, then the suffix length and digits (numeric order for any
        # length), then the name so ties are settled the same way every time.
        $keys.Add($m.Groups[1].Value.ToLowerInvariant() + [char]0 + $digits.Length.ToString('D5') + $digits + [char]0 + $names[$i])
        $items.Add($paths[$i])
    }
    $keyArray = $keys.ToArray()
    $itemArray = $items.ToArray()
    [System.Array]::Sort($keyArray, $itemArray, [System.StringComparer]::Ordinal)

    $surplus = [System.Collections.Generic.List[string]]::new()
    $start = 0
    while ($start -lt $keyArray.Length) {
        $group = $keyArray[$start].Substring(0, $keyArray[$start].IndexOf([char]0) + 1)
        $end = $start
        while ($end -lt $keyArray.Length -and $keyArray[$end].StartsWith($group, [System.StringComparison]::Ordinal)) { $end++ }
        # Ascending order: the oldest iterations come first and are the ones to go.
        $drop = ($end - $start) - $KeepCount
        for ($j = 0; $j -lt $drop; $j++) { $surplus.Add($itemArray[$start + $j]) }
        $start = $end
    }
    return , $surplus.ToArray()
}

function Format-HistoryTimestamp {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][datetime]$Now)

    return $Now.ToString('yyyy-MM-dd HH:mm:ss', [System.Globalization.CultureInfo]::InvariantCulture)
}

function Format-SweepEventLine {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][datetime]$Now,
        [Parameter(Mandatory)][ValidateRange(0, [long]::MaxValue)][long]$ModelCount,
        [Parameter(Mandatory)][ValidateRange(0, [long]::MaxValue)][long]$ClutterCount,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$TargetDir
    )

    $text = 'SWEEP - ' + $ModelCount + ' Models, ' + $ClutterCount + ' Clutter'
    return (Format-HistoryTimestamp -Now $Now) + ' | ' + $text.PadRight(35) + ' | ' + $TargetDir
}

# The files a sweep moved, as parallel lists (one object per file would cost
# more than the move itself on a big folder), with their log lines.
function New-MovedFileSet {
    [CmdletBinding()]
    [OutputType([psobject])]
    param()

    return [pscustomobject]@{
        Name = [System.Collections.Generic.List[string]]::new()
        Folder = [System.Collections.Generic.List[string]]::new()
        Length = [System.Collections.Generic.List[long]]::new()
        Line = [System.Collections.Generic.List[string]]::new()
    }
}

# Files a sweep meant to move but left in place, and the first reason why.
function New-SweepShortfall {
    [CmdletBinding()]
    [OutputType([psobject])]
    param()

    return [pscustomobject]@{ Count = 0; Reason = '' }
}

function Add-SweepShortfall {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][psobject]$Shortfall,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Reason,
        [ValidateRange(1, [int]::MaxValue)][int]$Count = 1
    )

    $Shortfall.Count += $Count
    if ($Shortfall.Reason -eq '') { $Shortfall.Reason = $Reason }
}

# The history line of one swept file:
#   stamp | name (35) | original folder (87) | (size)[ [Clutter]]
function Format-SweptFileLine {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][string]$Timestamp,
        [Parameter(Mandatory)][string]$Name,
        [Parameter(Mandatory)][string]$Folder,
        [Parameter(Mandatory)][string]$SizeText,
        [switch]$Clutter
    )

    $suffix = ')'
    if ($Clutter) { $suffix = ') [Clutter]' }
    return $Timestamp + ' | ' + $Name.PadRight(35) + ' | ' + $Folder.PadRight(87) + ' | (' + $SizeText + $suffix
}

# What one batch of files would become: name, folder, size, bin place and log
# line of each file that can be moved. A name the history log cannot hold
# faithfully (a line break, "|", blanks at its ends) is left where it is, since
# nothing could bring it back from the bin.
function Get-MovePlan {
    [CmdletBinding()]
    [OutputType([System.Collections.Generic.List[psobject]])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Paths,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory)][string]$Timestamp,
        [Parameter(Mandatory)][AllowEmptyCollection()][hashtable]$MirrorOf,
        [Parameter(Mandatory)][psobject]$Shortfall,
        [switch]$Clutter
    )

    $plan = [System.Collections.Generic.List[psobject]]::new()
    foreach ($path in $Paths) {
        $folder = Get-ParentPathText -Path $path
        $name = $path.Substring($folder.TrimEnd([char[]]@('\', '/')).Length + 1)
        if (-not (Test-LoggableText -Text $name) -or -not (Test-LoggableText -Text $folder)) {
            Add-SweepShortfall -Shortfall $Shortfall -Reason 'a name the history log cannot hold (line break, "|" or blanks at its ends)'
            continue
        }
        try {
            $length = [System.IO.FileInfo]::new((ConvertTo-LongPath -Path $path)).Length
        } catch {
            Add-SweepShortfall -Shortfall $Shortfall -Reason (Get-ReasonText -ErrorRecord $_)
            continue
        }
        # Per folder, never per file: a "\" in a Linux name is no folder.
        if (-not $MirrorOf.ContainsKey($folder)) {
            $MirrorOf[$folder] = Join-BinPath -RecycleDir $RecycleDir -SubPath (Get-MirrorFolderSubPath -Folder $folder)
        }
        $plan.Add([pscustomobject]@{
                Path = $path
                Name = $name
                Folder = $folder
                Length = $length
                Mirror = $MirrorOf[$folder]
                Target = [System.IO.Path]::Combine($MirrorOf[$folder], $name)
                Line = ''
            })
    }
    $sizes = ConvertTo-SizeText -Bytes ([long[]]@($plan | ForEach-Object { $_.Length }))
    for ($i = 0; $i -lt $plan.Count; $i++) {
        $plan[$i].Line = Format-SweptFileLine -Timestamp $Timestamp -Name $plan[$i].Name -Folder $plan[$i].Folder -SizeText $sizes[$i] -Clutter:$Clutter
    }
    return , $plan
}

# Moves one planned file into its mirror folder; throws with the reason when it
# stayed where it was.
function Move-PlannedFile {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][psobject]$Item,
        [Parameter(Mandatory)][AllowEmptyCollection()][System.Collections.Generic.HashSet[string]]$Created
    )

    $source = ConvertTo-LongPath -Path $Item.Path
    $target = ConvertTo-LongPath -Path $Item.Target
    $mirror = ConvertTo-LongPath -Path $Item.Mirror
    $hadCopy = [System.IO.File]::Exists($target)
    # Two tries: a concurrent sweep may remove an empty mirror folder between
    # our create and our move; the second try creates it again.
    for ($attempt = 0; $attempt -lt 2; $attempt++) {
        try {
            if ($attempt -gt 0 -or -not $Created.Contains($mirror)) {
                $null = [System.IO.Directory]::CreateDirectory($mirror)
                $null = $Created.Add($mirror)
            }
            # The newer sweep of the same original path wins.
            $whole = Move-FileSafely -Source $source -Destination $target
            break
        } catch [System.IO.DirectoryNotFoundException] {
            if ($attempt -gt 0) { throw }
        }
    }
    if (-not $whole) {
        # Copied to another volume but still in its folder: it was not moved.
        if (-not $hadCopy) { try { [System.IO.File]::Delete($target) } catch { $null = $_ } }
        throw [System.IO.IOException]::new('The file could not be removed from its folder.')
    }
}

# Moves each file into its mirror folder in the bin, a batch at a time, each
# batch named in the journal before any of it moves. Returns the files that
# really left their folder; the others stay and are counted in Shortfall.
function Move-FileToMirror {
    [CmdletBinding()]
    [OutputType([psobject])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Paths,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory)][datetime]$Now,
        [Parameter(Mandatory)][psobject]$Shortfall,
        [AllowNull()][System.IO.FileStream]$Journal = $null,
        [switch]$Clutter
    )

    $moved = New-MovedFileSet
    $stamp = Format-HistoryTimestamp -Now $Now
    $mirrorOf = @{}
    $created = [System.Collections.Generic.HashSet[string]]::new()
    for ($first = 0; $first -lt $Paths.Length; $first += $script:JournalBatch) {
        $count = [System.Math]::Min($script:JournalBatch, $Paths.Length - $first)
        $batch = [string[]]::new($count)
        [System.Array]::Copy($Paths, $first, $batch, 0, $count)
        $plan = Get-MovePlan -Paths $batch -RecycleDir $RecycleDir -Timestamp $stamp -MirrorOf $mirrorOf -Shortfall $Shortfall -Clutter:$Clutter
        if ($plan.Count -eq 0) { continue }
        try {
            if ($null -ne $Journal) {
                Add-JournalRecord -Journal $Journal -Record ([string[]]@($plan | ForEach-Object { "F`t" + $_.Target + "`t" + $_.Path + "`t" + $_.Line }))
            }
        } catch {
            # Unrecorded moves could be lost to a crash: these files stay.
            Add-SweepShortfall -Shortfall $Shortfall -Reason (Get-ReasonText -ErrorRecord $_) -Count $plan.Count
            continue
        }
        foreach ($item in $plan) {
            try {
                Move-PlannedFile -Item $item -Created $created
            } catch {
                Add-SweepShortfall -Shortfall $Shortfall -Reason (Get-ReasonText -ErrorRecord $_)
                continue
            }
            # Retention counts from the sweep, not from the file's own age.
            try { [System.IO.File]::SetLastWriteTime((ConvertTo-LongPath -Path $item.Target), $Now) } catch { $null = $_ }
            $moved.Name.Add($item.Name)
            $moved.Folder.Add($item.Folder)
            $moved.Length.Add($item.Length)
            $moved.Line.Add($item.Line)
        }
    }
    return $moved
}

# Lines of the existing log that are dated and not older than the cut-off day.
function Select-SurvivingHistory {
    [CmdletBinding()]
    [OutputType([System.Collections.Generic.List[string]])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Lines,
        [Parameter(Mandatory)][datetime]$Cutoff
    )

    $kept = [System.Collections.Generic.List[string]]::new()
    $dated = [regex]::new('^[0-9]{4}-[0-9]{2}-[0-9]{2}')
    $invariant = [System.Globalization.CultureInfo]::InvariantCulture
    foreach ($line in $Lines) {
        if (-not $dated.IsMatch($line)) { continue }
        $day = [datetime]::MinValue
        if (-not [datetime]::TryParseExact($line.Substring(0, 10), 'yyyy-MM-dd', $invariant, [System.Globalization.DateTimeStyles]::None, [ref]$day)) { continue }
        if ($day -ge $Cutoff) { $kept.Add($line) }
    }
    return , $kept
}

# Puts a new block at the top of the log, with the blocks of journals left by
# runs that died, and drops lines older than the cut-off. Written tells whether
# it worked; when not, the log is exactly as it was and Locked or Reason says why.
function Add-HistoryBlock {
    [CmdletBinding()]
    [OutputType([psobject])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][AllowEmptyCollection()][System.Collections.Generic.List[string]]$Block,
        [Parameter(Mandatory)][datetime]$Cutoff,
        [ValidateRange(0, 600)][int]$LockTimeoutSeconds = 10
    )

    $outcome = [pscustomobject]@{ Written = $false; Locked = $false; Reason = '' }
    $lock = Enter-HistoryLock -LogFile $LogFile -TimeoutMilliseconds ($LockTimeoutSeconds * 1000)
    if ($null -eq $lock) { $outcome.Locked = $true; return $outcome }
    try {
        # Read inside the lock so lines another sweep wrote meanwhile survive.
        $existing = Read-HistoryFile -LogFile $LogFile
        $fold = Invoke-JournalFold -LogFile $LogFile -Existing $existing
        $lines = [System.Collections.Generic.List[string]]::new($Block)
        $lines.AddRange($fold.Line)
        $lines.AddRange((Select-SurvivingHistory -Lines $existing -Cutoff $Cutoff))
        Write-HistoryFile -LogFile $LogFile -Line $lines.ToArray()
        Remove-FoldedJournal -Path $fold.Journal.ToArray()
        $outcome.Written = $true
    } catch {
        $outcome.Locked = Test-LockedError -ErrorRecord $_
        $outcome.Reason = Get-ReasonText -ErrorRecord $_
    } finally {
        $lock.Dispose()
    }
    return $outcome
}

# The block a sweep puts on top of the log: its event line, then its clutter
# lines, then its model lines, each group sorted as text ignoring case.
function Get-SweepBlock {
    [CmdletBinding()]
    [OutputType([System.Collections.Generic.List[string]])]
    param(
        [Parameter(Mandatory)][datetime]$Now,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$TargetDir,
        [Parameter(Mandatory)][psobject]$Clutter,
        [Parameter(Mandatory)][psobject]$Models
    )

    $block = [System.Collections.Generic.List[string]]::new()
    $block.Add((Format-SweepEventLine -Now $Now -ModelCount $Models.Name.Count -ClutterCount $Clutter.Name.Count -TargetDir $TargetDir))
    foreach ($set in $Clutter, $Models) {
        $lines = [System.Collections.Generic.List[string]]::new($set.Line)
        $lines.Sort([System.StringComparer]::CurrentCultureIgnoreCase)
        $block.AddRange($lines)
    }
    return , $block
}

function Measure-MovedByte {
    [CmdletBinding()]
    [OutputType([long])]
    param([Parameter(Mandatory)][psobject]$Files)

    $total = [long]0
    foreach ($length in $Files.Length) { $total += $length }
    return $total
}

# The journal of this run, opened with its start record; $null (and the
# reason in Shortfall when files are at stake) when the bin cannot take one.
function Start-SweepJournal {
    [CmdletBinding()]
    [OutputType([System.IO.FileStream])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][datetime]$Now,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$TargetDir
    )

    $journal = Open-Journal -LogFile $LogFile
    try {
        $record = "S`t" + (Format-HistoryTimestamp -Now $Now) + "`t" + $Now.Ticks + "`t" + $TargetDir
        Add-JournalRecord -Journal $journal -Record ([string[]]@($record))
    } catch {
        Close-Journal -Journal $journal -Delete
        throw
    }
    return $journal
}

# The whole sweep, in the order that keeps it safe: journals of runs that died
# folded first, purge before new files arrive, clutter before versions (a model
# matched by a clutter rule goes as clutter), the log last.
function Invoke-FolderSweep {
    [CmdletBinding()]
    [OutputType([psobject])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$TargetDir,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][ValidateRange(0, [long]::MaxValue)][long]$KeepCount,
        [Parameter(Mandatory)][ValidateRange(0, [long]::MaxValue)][long]$MaxDays,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Clutter,
        [datetime]$Now = [datetime]::Now,
        [ValidateRange(0, 600)][int]$LockTimeoutSeconds = 10
    )

    # The log names full folders, whatever form the target arrived in.
    try { $TargetDir = [System.IO.Path]::GetFullPath($TargetDir) } catch { $null = $_ }
    if ($TargetDir.Length -gt 3) { $TargetDir = $TargetDir.TrimEnd([char[]]@([System.IO.Path]::DirectorySeparatorChar)) }
    $cutoff = Get-SweepCutoff -Now $Now -MaxDays $MaxDays
    $clutterMoved = New-MovedFileSet
    $modelsMoved = New-MovedFileSet
    $shortfall = New-SweepShortfall
    $journal = $null
    # Each step is fenced so that a surprise in one never skips the log of the
    # files already moved.
    try { $null = Invoke-HistoryFold -LogFile $LogFile -TimeoutMilliseconds ($LockTimeoutSeconds * 1000) } catch { $null = $_ }
    try { $null = Remove-AgedBinFile -RecycleDir $RecycleDir -LogFile $LogFile -Cutoff $cutoff } catch { $null = $_ }
    try { $null = Remove-EmptyBinFolder -RecycleDir $RecycleDir } catch { $null = $_ }
    try {
        $rules = Split-ClutterList -Clutter $Clutter
        $clutterPaths = Get-ClutterFile -TargetDir $TargetDir -Rules $rules
        $modelPaths = @()
        $journalError = ''
        try { $journal = Start-SweepJournal -LogFile $LogFile -Now $Now -TargetDir $TargetDir } catch { $journalError = Get-ReasonText -ErrorRecord $_ }
        if ($null -ne $journal) {
            $clutterMoved = Move-FileToMirror -Paths $clutterPaths -RecycleDir $RecycleDir -Now $Now -Shortfall $shortfall -Journal $journal -Clutter
            # Listed after the clutter moved, so a model matched by a rule is gone by now.
            $modelPaths = Get-SurplusIteration -TargetDir $TargetDir -KeepCount $KeepCount
            $modelsMoved = Move-FileToMirror -Paths $modelPaths -RecycleDir $RecycleDir -Now $Now -Shortfall $shortfall -Journal $journal
        } else {
            $modelPaths = Get-SurplusIteration -TargetDir $TargetDir -KeepCount $KeepCount
            $waiting = $clutterPaths.Length + $modelPaths.Length
            if ($waiting -gt 0) { Add-SweepShortfall -Shortfall $shortfall -Reason $journalError -Count $waiting }
        }
    } catch { $null = $_ }

    $outcome = [pscustomobject]@{ Written = $false; Locked = $false; Reason = 'The history log could not be written.' }
    try {
        $block = Get-SweepBlock -Now $Now -TargetDir $TargetDir -Clutter $clutterMoved -Models $modelsMoved
        $outcome = Add-HistoryBlock -LogFile $LogFile -Block $block -Cutoff $cutoff -LockTimeoutSeconds $LockTimeoutSeconds
    } catch { $outcome.Reason = Get-ReasonText -ErrorRecord $_ }
    # A journal whose moves did not reach the log stays for the next run to fold.
    Close-Journal -Journal $journal -Delete:($outcome.Written)

    return [pscustomobject]@{
        ClutterCount = $clutterMoved.Name.Count
        ClutterBytes = Measure-MovedByte -Files $clutterMoved
        ModelCount = $modelsMoved.Name.Count
        ModelBytes = Measure-MovedByte -Files $modelsMoved
        LogBusy = $outcome.Locked
        LogError = $(if ($outcome.Written -or $outcome.Locked) { '' } else { $outcome.Reason })
        NotMoved = $shortfall.Count
        NotMovedReason = $shortfall.Reason
    }
}

function Format-SweepResult {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][psobject]$Result)

    $state = '0'
    if ($Result.LogBusy) { $state = '1' } elseif ($Result.LogError -ne '') { $state = '2' }
    $fields = @(
        'X'
        [string]$Result.ClutterCount
        (Format-SizeText -Bytes $Result.ClutterBytes)
        [string]$Result.ModelCount
        (Format-SizeText -Bytes $Result.ModelBytes)
        (Format-SizeText -Bytes ($Result.ClutterBytes + $Result.ModelBytes))
        $state
        [string]$Result.NotMoved
        $Result.NotMovedReason
        $Result.LogError
    )
    return ($fields -join '|')
}

# ---- entry layer -----------------------------------------------------------
if ((Test-Path -LiteralPath 'variable:VantorNoWindow') -and $VantorNoWindow) { return }

$td = ConvertFrom-VantorText '%TARGET_DIR%'
$rd = ConvertFrom-VantorText '%RECYCLE_DIR%'
$lf = ConvertFrom-VantorText '%LOG_FILE%'
$cl = ConvertFrom-VantorText '%CP_CLUTTER%'
$kn = %CP_KEEP_N%
$md = %CP_MAX_DAYS%

$result = Invoke-FolderSweep -TargetDir $td -RecycleDir $rd -LogFile $lf -KeepCount $kn -MaxDays $md -Clutter $cl
Write-Output (Format-SweepResult -Result $result)
