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
Start-CompileProfile -Name 'SweepEngine'

# Files moved per journal flush: a crash loses no record, and a big sweep does
# not wait for the disk after every file.
$script:JournalBatch = 4096

function Format-SizeText {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][ValidateRange(0, [long]::MaxValue)][long]$Bytes)

    return (ConvertTo-SizeText -Bytes @($Bytes))[0]
}

# Parent of each path, in order. Drive and UNC paths split at either
# separator, so Windows paths can be handled (and tested) on any platform;
# elsewhere only the system's separators count, since "\" is an ordinary
# character of a Linux name. A drive root keeps its backslash.
function Get-ParentPathText {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string[]]$Path)

    $native = [char[]]@([System.IO.Path]::DirectorySeparatorChar, [System.IO.Path]::AltDirectorySeparatorChar)
    $both = [char[]]@('\', '/')
    $windowsForm = [regex]::new('^(?:[A-Za-z]:|\\\\)')
    foreach ($item in $Path) {
        $separators = $native
        if ($windowsForm.IsMatch($item)) { $separators = $both }
        $cut = $item.LastIndexOfAny($separators)
        if ($cut -lt 0) { '' }
        elseif ($cut -eq 2 -and $item[1] -eq ':') { $item.Substring(0, 3) }
        elseif ($cut -eq 0) { $item.Substring(0, 1) }
        else { $item.Substring(0, $cut) }
    }
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
            $besideLog = [string]::Equals($file.Name, $logName, $cmp) -or $file.Name.StartsWith($logName + '.', $cmp)
            if ($i -eq 0 -and $besideLog) { continue }
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

# Names of a folder's files, hidden and system files included, listed through
# the long form a deep folder needs on Windows. Throws when the folder cannot
# be read: an unreadable folder must never look clean.
function Get-FolderFileName {
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Folder)

    $paths = [System.IO.Directory]::GetFiles((ConvertTo-LongPath -Path $Folder))
    # Up to the last separator is the folder: a name holds none, though "\" is
    # an ordinary character of a Linux name.
    $folderPart = '^.*/'
    if (Test-WindowsPlatform) { $folderPart = '^.*[\\/]' }
    return , [string[]]($paths -replace $folderPart, '')
}

# Regex text that finds a rule made only of literal characters, "*" and "?"
# in a name; $null for a rule with brackets or escapes, which is left to -like
# itself. Only the ends a rule does not open with "*" are anchored, so that
# most rules become plain text the regex engine can look for quickly.
function ConvertFrom-SimpleWildcard {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Rule)

    if ($Rule.IndexOfAny([char[]]@('[', ']', '`')) -ge 0) { return $null }
    # Escape gives "\*" and "\?" for the wildcards; a literal "." is "\.",
    # so a leading or trailing ".*" can only come from a "*".
    $regex = [regex]::Escape($Rule) -replace '\\\*', '.*' -replace '\\\?', '.'
    $open = $regex -replace '^(?:\.\*)+', ''
    if ($open -eq $regex) { $open = '\A' + $open }
    $closed = $open -replace '(?:\.\*)+$', ''
    if ($closed -eq $open) { $closed += '\z' }
    return $closed
}

# Names of the folder's files that match a clutter rule, ignoring case.
# Anything whose path mentions the bin is left alone, so a sweep never eats
# its own history. Whole lists are matched at once, never a file at a time.
function Get-ClutterFile {
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$TargetDir,
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Rules
    )

    $names = Get-FolderFileName -Folder $TargetDir
    if ($TargetDir.IndexOf('Vantor_Sweep', [System.StringComparison]::OrdinalIgnoreCase) -ge 0) {
        return , [string[]]@()
    }
    $matched = [System.Collections.Generic.HashSet[string]]::new([System.StringComparer]::Ordinal)
    # Plain rules become one regex: one pass over the names for all of them.
    $simple = [System.Collections.Generic.List[string]]::new()
    foreach ($rule in $Rules) {
        $regex = ConvertFrom-SimpleWildcard -Rule $rule
        if ($null -ne $regex) { $simple.Add($regex); continue }
        try {
            $matched.UnionWith([string[]]($names -like $rule))
        } catch [System.Management.Automation.WildcardPatternException] {
            # A malformed pattern (an unclosed bracket) matches nothing.
            continue
        }
    }
    if ($simple.Count -gt 0) {
        $any = [regex]::new('(?:' + ($simple -join '|') + ')', 'IgnoreCase, CultureInvariant, Singleline')
        $matched.UnionWith([string[]]($names -match $any))
    }
    $clutter = [string[]][System.Linq.Enumerable]::ToArray($matched)
    return , [string[]]($clutter -notmatch 'Vantor_Sweep')
}

# Names of model iterations beyond the newest KeepCount of each model. Models
# are grouped by name without the numeric suffix (ignoring case) and ranked by
# that suffix as a number, so name.prt.10 is newer than name.prt.9.
function Get-SurplusIteration {
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$TargetDir,
        [Parameter(Mandatory)][ValidateRange(0, [long]::MaxValue)][long]$KeepCount
    )

    $model = [regex]::new('^(.*\.(?:prt|asm|drw))(?:\.([0-9]+))?$', 'IgnoreCase, CultureInvariant')
    $names = [string[]]((Get-FolderFileName -Folder $TargetDir) -match $model)
    $keys = [string[]]::new($names.Length)
    $zero = [char[]]@('0')
    for ($i = 0; $i -lt $names.Length; $i++) {
        $m = $model.Match($names[$i])
        $digits = $m.Groups[2].Value.TrimStart($zero)
        # Key: group, then the suffix length and digits (numeric order for any
        # length), then the name so ties are settled the same way every time.
        $keys[$i] = $m.Groups[1].Value.ToLowerInvariant() + [char]0 + $digits.Length.ToString('D5') + $digits +
            [char]0 + $names[$i]
    }
    [System.Array]::Sort($keys, $names, [System.StringComparer]::Ordinal)

    $surplus = [System.Collections.Generic.List[string]]::new()
    $ordinal = [System.StringComparison]::Ordinal
    $start = 0
    while ($start -lt $keys.Length) {
        $group = $keys[$start].Substring(0, $keys[$start].IndexOf([char]0) + 1)
        $end = $start
        while ($end -lt $keys.Length -and $keys[$end].StartsWith($group, $ordinal)) { $end++ }
        # Ascending order: the oldest iterations come first and are the ones to go.
        $drop = ($end - $start) - $KeepCount
        if ($drop -gt 0) { $surplus.AddRange([System.ArraySegment[string]]::new($names, $start, $drop)) }
        $start = $end
    }
    return , $surplus.ToArray()
}

# The files a sweep moved: how many, their bytes and their log lines.
function New-MovedFileSet {
    [CmdletBinding()]
    [OutputType([psobject])]
    param()

    return [pscustomobject]@{
        Count = 0
        Bytes = [long]0
        Line = [System.Collections.Generic.List[string]]::new()
        # Moved files whose bin copy kept its own write time.
        Unstamped = 0
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
        [ValidateRange(0, [int]::MaxValue)][int]$Count = 1
    )

    $Shortfall.Count += $Count
    if ($Shortfall.Reason -eq '') { $Shortfall.Reason = $Reason }
}

# Where the files of one original folder go: its mirror folder in the bin,
# the long forms file calls need, and whether the log can name the folder.
function Get-MirrorPlace {
    [CmdletBinding()]
    [OutputType([psobject])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Folder,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir
    )

    $sub = Get-MirrorFolderSubPath -Folder $Folder
    $mirror = ConvertTo-LongPath -Path (Join-BinPath -RecycleDir $RecycleDir -SubPath $sub)
    $separator = [string][System.IO.Path]::DirectorySeparatorChar
    $slashes = [char[]]@('\', '/')
    return [pscustomobject]@{
        Mirror = $mirror
        # What a file name is put behind, in -replace form ("$" doubled).
        SourcePrefix = ((ConvertTo-LongPath -Path $Folder).TrimEnd($slashes) + $separator).Replace('$', '$$')
        TargetPrefix = ($mirror.TrimEnd($slashes) + $separator).Replace('$', '$$')
        Loggable = Test-LoggableText -Text $Folder
    }
}

# What one batch of a folder's files would become: their paths now and in the
# bin, sizes, log lines and journal records. A file gone meanwhile is counted
# in Shortfall and left out.
function Get-MovePlan {
    [CmdletBinding()]
    [OutputType([psobject])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Names,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Folder,
        [Parameter(Mandatory)][psobject]$Place,
        [Parameter(Mandatory)][string]$Timestamp,
        [Parameter(Mandatory)][psobject]$Shortfall,
        [switch]$Clutter
    )

    $sources = [string[]]($Names -replace '^', $Place.SourcePrefix)
    $lengths = [long[]]::new($Names.Length)
    $gone = 0
    # One try for the whole loop, not one per file: a failure is handled and
    # the loop goes on after that file.
    $i = 0
    while ($i -lt $Names.Length) {
        try {
            for (; $i -lt $Names.Length; $i++) { $lengths[$i] = [System.IO.FileInfo]::new($sources[$i]).Length }
        } catch {
            Add-SweepShortfall -Shortfall $Shortfall -Reason (Get-ReasonText -ErrorRecord $_)
            $lengths[$i] = -1
            $gone++
            $i++
        }
    }
    $kept = $Names
    if ($gone -gt 0) {
        $left = [System.Collections.Generic.List[int]]::new()
        for ($i = 0; $i -lt $Names.Length; $i++) { if ($lengths[$i] -ge 0) { $left.Add($i) } }
        $kept = [string[]]$Names[$left]
        $sources = [string[]]$sources[$left]
        $lengths = [long[]]$lengths[$left]
    }
    $targets = [string[]]($kept -replace '^', $Place.TargetPrefix)
    $sizes = ConvertTo-SizeText -Bytes $lengths
    $lines = Format-SweptFileLine -Timestamp $Timestamp -Name $kept -Folder $Folder -SizeText $sizes -Clutter:$Clutter
    $records = [string[]]::new($kept.Length)
    for ($i = 0; $i -lt $kept.Length; $i++) {
        $records[$i] = "F`t" + $targets[$i] + "`t" + $sources[$i] + "`t" + $lines[$i]
    }
    return [pscustomobject]@{
        Source = $sources
        Target = $targets
        Length = $lengths
        Line = $lines
        Record = $records
    }
}

# Moves one file into its mirror folder the careful way: creating the folder,
# replacing an older bin copy, copying across volumes. Paths in long form.
# Throws with the reason when the file stayed where it was.
function Move-PlannedFile {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Source,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Target,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Mirror
    )

    $hadCopy = [System.IO.File]::Exists($Target)
    # Two tries: a concurrent sweep may remove an empty mirror folder between
    # our create and our move; the second try creates it again.
    for ($attempt = 0; $attempt -lt 2; $attempt++) {
        try {
            $null = [System.IO.Directory]::CreateDirectory($Mirror)
            # The newer sweep of the same original path wins.
            $whole = Move-FileSafely -Source $Source -Destination $Target
            break
        } catch [System.IO.DirectoryNotFoundException] {
            if ($attempt -gt 0) { throw }
        }
    }
    if (-not $whole) {
        # Copied to another volume but still in its folder: it was not moved.
        if (-not $hadCopy) {
            try {
                [System.IO.File]::Delete($Target)
            } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
                # A spare whole copy in the bin costs space, never data.
            }
        }
        throw [System.IO.IOException]::new('The file could not be removed from its folder.')
    }
}

# Moves the files of a plan and stamps each with the sweep time, so that
# retention counts from the sweep. Returns which of them left their folder.
function Move-PlannedBatch {
    [CmdletBinding()]
    [OutputType([bool[]])]
    param(
        [Parameter(Mandatory)][string[]]$Source,
        [Parameter(Mandatory)][string[]]$Target,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Mirror,
        [Parameter(Mandatory)][datetime]$Now,
        [Parameter(Mandatory)][psobject]$Shortfall,
        [Parameter(Mandatory)][psobject]$Moved
    )

    $done = [bool[]]::new($Source.Length)
    $stamp = $Now.ToUniversalTime()
    $i = 0
    while ($i -lt $Source.Length) {
        # The common case is one rename and one stamp, with one try for the
        # whole loop. Anything else (a mirror folder to create, a bin copy to
        # replace, another volume, a real failure) goes the careful way, which
        # says why a file stayed, and the loop goes on after that file.
        try {
            for (; $i -lt $Source.Length; $i++) {
                [System.IO.Directory]::Move($Source[$i], $Target[$i])
                $done[$i] = $true
                [System.IO.File]::SetLastWriteTimeUtc($Target[$i], $stamp)
            }
        } catch {
            if (-not $done[$i]) {
                $careful = @{ Source = $Source[$i]; Target = $Target[$i]; Mirror = $Mirror; Shortfall = $Shortfall }
                $done[$i] = Move-FileCarefully @careful
            }
            if ($done[$i]) { Set-SweepStamp -Path $Target[$i] -Stamp $stamp -Moved $Moved }
            $i++
        }
    }
    return , $done
}

# The careful way for one file; $false (and the reason in Shortfall) when it stayed.
function Move-FileCarefully {
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory)][string]$Source,
        [Parameter(Mandatory)][string]$Target,
        [Parameter(Mandatory)][string]$Mirror,
        [Parameter(Mandatory)][psobject]$Shortfall
    )

    try {
        Move-PlannedFile -Source $Source -Target $Target -Mirror $Mirror
        return $true
    } catch {
        Add-SweepShortfall -Shortfall $Shortfall -Reason (Get-ReasonText -ErrorRecord $_)
        return $false
    }
}

# Stamps a moved file with the sweep time (UTC), so that retention counts
# from the sweep.
function Set-SweepStamp {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][string]$Path,
        [Parameter(Mandatory)][datetime]$Stamp,
        [Parameter(Mandatory)][psobject]$Moved
    )

    try {
        [System.IO.File]::SetLastWriteTimeUtc($Path, $Stamp)
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        # The file is in the bin and logged; only its retention starts from its own age.
        $Moved.Unstamped++
    }
}

# Adds the files of a plan that really moved to the moved set.
function Add-MovedFile {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][psobject]$Moved,
        [Parameter(Mandatory)][psobject]$Plan,
        [Parameter(Mandatory)][bool[]]$Done
    )

    if ([System.Array]::IndexOf($Done, $false) -lt 0) {
        $Moved.Count += $Done.Length
        $bytes = [long]0
        foreach ($length in $Plan.Length) { $bytes += $length }
        $Moved.Bytes += $bytes
        $Moved.Line.AddRange([string[]]$Plan.Line)
        return
    }
    for ($i = 0; $i -lt $Done.Length; $i++) {
        if (-not $Done[$i]) { continue }
        $Moved.Count++
        $Moved.Bytes += $Plan.Length[$i]
        $Moved.Line.Add($Plan.Line[$i])
    }
}

# Moves files of one folder into its mirror folder in the bin, a batch at a
# time, each batch named in the journal before any of it moves. Returns the
# files that really left their folder; the others stay and are counted in
# Shortfall, among them names the history log cannot hold faithfully (a line
# break, "|", blanks at its ends), since nothing could bring them back.
function Move-FileToMirror {
    [CmdletBinding()]
    [OutputType([psobject])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Folder,
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Names,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory)][datetime]$Now,
        [Parameter(Mandatory)][psobject]$Shortfall,
        [AllowNull()][System.IO.FileStream]$Journal = $null,
        [switch]$Clutter
    )

    $moved = New-MovedFileSet
    if ($Names.Length -eq 0) { return $moved }
    $place = Get-MirrorPlace -Folder $Folder -RecycleDir $RecycleDir
    $loggable = [string[]]@()
    if ($place.Loggable) { $loggable = [string[]]($Names -notmatch (Get-UnloggablePattern)) }
    if ($loggable.Length -lt $Names.Length) {
        $reason = 'a name the history log cannot hold (line break, "|" or blanks at its ends)'
        Add-SweepShortfall -Shortfall $Shortfall -Reason $reason -Count ($Names.Length - $loggable.Length)
    }
    $stamp = Format-HistoryTimestamp -Now $Now
    try {
        # Made here once, so that the first file does not take the careful way.
        $null = [System.IO.Directory]::CreateDirectory($place.Mirror)
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        # The careful way tries again for each file and says why it failed.
    }
    for ($first = 0; $first -lt $loggable.Length; $first += $script:JournalBatch) {
        $count = [System.Math]::Min($script:JournalBatch, $loggable.Length - $first)
        $batch = [string[]]::new($count)
        [System.Array]::Copy($loggable, $first, $batch, 0, $count)
        $plan = Get-MovePlan -Names $batch -Folder $Folder -Place $place -Timestamp $stamp -Shortfall $Shortfall `
            -Clutter:$Clutter
        if ($plan.Source.Length -eq 0) { continue }
        try {
            if ($null -ne $Journal) { Add-JournalRecord -Journal $Journal -Record $plan.Record }
        } catch {
            # Unrecorded moves could be lost to a crash: these files stay.
            $reason = Get-ReasonText -ErrorRecord $_
            Add-SweepShortfall -Shortfall $Shortfall -Reason $reason -Count $plan.Source.Length
            continue
        }
        $done = Move-PlannedBatch -Source $plan.Source -Target $plan.Target -Mirror $place.Mirror -Now $Now `
            -Shortfall $Shortfall -Moved $moved
        Add-MovedFile -Moved $moved -Plan $plan -Done $done
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
    $none = [System.Globalization.DateTimeStyles]::None
    foreach ($line in $Lines) {
        if (-not $dated.IsMatch($line)) { continue }
        $day = [datetime]::MinValue
        $valid = [datetime]::TryParseExact($line.Substring(0, 10), 'yyyy-MM-dd', $invariant, $none, [ref]$day)
        if ($valid -and $day -ge $Cutoff) { $kept.Add($line) }
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
    $stamp = Format-HistoryTimestamp -Now $Now
    $block.Add((Format-SweepEventLine -Timestamp $stamp -ModelCount $Models.Count -ClutterCount $Clutter.Count `
                -TargetDir $TargetDir))
    foreach ($set in $Clutter, $Models) {
        $lines = [System.Collections.Generic.List[string]]::new($set.Line)
        $lines.Sort([System.StringComparer]::CurrentCultureIgnoreCase)
        $block.AddRange($lines)
    }
    return , $block
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
    try {
        $TargetDir = [System.IO.Path]::GetFullPath($TargetDir)
    } catch [System.ArgumentException], [System.NotSupportedException], [System.IO.IOException] {
        # Not a form the system can resolve: the listing below says why.
    }
    if ($TargetDir.Length -gt 3) { $TargetDir = $TargetDir.TrimEnd([System.IO.Path]::DirectorySeparatorChar) }
    $cutoff = Get-SweepCutoff -Now $Now -MaxDays $MaxDays
    $timeout = $LockTimeoutSeconds * 1000
    # Bin upkeep first; each step keeps going past a file it cannot touch, and
    # whatever is left is tried again by the next run.
    $null = Invoke-HistoryFold -LogFile $LogFile -TimeoutMilliseconds $timeout
    $null = Remove-AgedBinFile -RecycleDir $RecycleDir -LogFile $LogFile -Cutoff $cutoff
    $null = Remove-EmptyBinFolder -RecycleDir $RecycleDir
    # Throws when the folder cannot be read, before anything moved.
    $clutterNames = Get-ClutterFile -TargetDir $TargetDir -Rules (Split-ClutterList -Clutter $Clutter)

    $clutterMoved = New-MovedFileSet
    $modelsMoved = New-MovedFileSet
    $shortfall = New-SweepShortfall
    $journal = $null
    try {
        $journal = Start-SweepJournal -LogFile $LogFile -Now $Now -TargetDir $TargetDir
    } catch {
        # Without a journal no file may move: a crash could lose it. They all stay.
        $waiting = $clutterNames.Length + (Get-SurplusIteration -TargetDir $TargetDir -KeepCount $KeepCount).Length
        $reason = Get-ReasonText -ErrorRecord $_
        if ($waiting -gt 0) { Add-SweepShortfall -Shortfall $shortfall -Reason $reason -Count $waiting }
    }
    # Once files move, a surprise must never skip the log of those already moved.
    try {
        if ($null -ne $journal) {
            $clutterMoved = Move-FileToMirror -Folder $TargetDir -Names $clutterNames -RecycleDir $RecycleDir `
                -Now $Now -Shortfall $shortfall -Journal $journal -Clutter
            # Listed after the clutter moved, so a model matched by a rule is gone by now.
            $modelNames = Get-SurplusIteration -TargetDir $TargetDir -KeepCount $KeepCount
            $modelsMoved = Move-FileToMirror -Folder $TargetDir -Names $modelNames -RecycleDir $RecycleDir -Now $Now `
                -Shortfall $shortfall -Journal $journal
        }
    } catch {
        # Files of this step not tried yet stay in place; the reason is reported.
        Add-SweepShortfall -Shortfall $shortfall -Reason (Get-ReasonText -ErrorRecord $_) -Count 0
    }

    $outcome = [pscustomobject]@{ Written = $false; Locked = $false; Reason = 'The history log could not be written.' }
    try {
        $block = Get-SweepBlock -Now $Now -TargetDir $TargetDir -Clutter $clutterMoved -Models $modelsMoved
        $outcome = Add-HistoryBlock -LogFile $LogFile -Block $block -Cutoff $cutoff `
            -LockTimeoutSeconds $LockTimeoutSeconds
    } catch {
        # The journal keeps these moves; the next run puts them in the log.
        $outcome.Reason = Get-ReasonText -ErrorRecord $_
    }
    # A journal whose moves did not reach the log stays for the next run to fold.
    Close-Journal -Journal $journal -Delete:($outcome.Written)

    return [pscustomobject]@{
        ClutterCount = $clutterMoved.Count
        ClutterBytes = $clutterMoved.Bytes
        ModelCount = $modelsMoved.Count
        ModelBytes = $modelsMoved.Bytes
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
# Read through the session state: the variable: drive's first use costs more than a small sweep.
if ($ExecutionContext.SessionState.PSVariable.GetValue('VantorNoWindow')) { return }

$td = ConvertFrom-VantorText '%TARGET_DIR%'
$rd = ConvertFrom-VantorText '%RECYCLE_DIR%'
$lf = ConvertFrom-VantorText '%LOG_FILE%'
$cl = ConvertFrom-VantorText '%CP_CLUTTER%'
$kn = %CP_KEEP_N%
$md = %CP_MAX_DAYS%

try {
    $result = Invoke-FolderSweep -TargetDir $td -RecycleDir $rd -LogFile $lf -KeepCount $kn -MaxDays $md -Clutter $cl
    [System.Console]::Out.WriteLine((Format-SweepResult -Result $result))
} catch {
    # No result line: the program reports the sweep as failed, with this reason.
    [System.Console]::Error.WriteLine('The sweep stopped: ' + (Get-ReasonText -ErrorRecord $_))
    exit 1
}
