# Vantor sweep engine.
# Moves clutter and surplus model iterations of one folder into the sweep bin,
# under a mirror of their original folder, purges aged files from the bin,
# records every move in the history log and prints one result line:
#   X|clutter count|clutter size|model count|model size|total size|log busy
# Everything below the functions is the entry layer; only it reads the
# placeholders, so tests can dot-source this file with $VantorNoWindow set.

Set-StrictMode -Version 3.0

# Text values arrive as base64 of their UTF-8 bytes, so no quote, dollar sign
# or backtick in a folder name can ever be read as script.
function ConvertFrom-VantorText([string]$Encoded) { [System.Text.Encoding]::UTF8.GetString([System.Convert]::FromBase64String($Encoded)) }

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

# Parent of a path written with either separator, so Windows paths can be
# handled (and tested) on any platform. A drive root keeps its backslash.
function Get-ParentPathText {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path)

    $cut = $Path.LastIndexOfAny([char[]]@('\', '/'))
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
    $pending.Push([System.IO.DirectoryInfo]::new($RecycleDir))
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

# Deletes bin files last written before the cut-off; the log and its lock stay.
function Remove-AgedBinFile {
    [CmdletBinding()]
    [OutputType([int])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][datetime]$Cutoff
    )

    $removed = 0
    if (-not [System.IO.Directory]::Exists($RecycleDir)) { return $removed }
    $log = [System.IO.Path]::GetFullPath($LogFile)
    $lock = $log + '.lock'
    $cmp = [System.StringComparison]::OrdinalIgnoreCase
    $folders = [System.Collections.Generic.List[System.IO.DirectoryInfo]]::new()
    $folders.Add([System.IO.DirectoryInfo]::new($RecycleDir))
    $folders.AddRange((Get-BinFolder -RecycleDir $RecycleDir))
    foreach ($folder in $folders) {
        try { $files = @($folder.EnumerateFiles()) } catch { continue }
        foreach ($file in $files) {
            if ($file.LastWriteTime -ge $Cutoff) { continue }
            if ([string]::Equals($file.FullName, $log, $cmp) -or [string]::Equals($file.FullName, $lock, $cmp)) { continue }
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
    if (-not [System.IO.Directory]::Exists($RecycleDir)) { return $removed }
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

# Direct file children of a folder, hidden and system files included.
function Get-FolderFile {
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Folder)

    try {
        return , [string[]][System.IO.Directory]::GetFiles($Folder)
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
# more than the move itself on a big folder).
function New-MovedFileSet {
    [CmdletBinding()]
    [OutputType([psobject])]
    param()

    return [pscustomobject]@{
        Name = [System.Collections.Generic.List[string]]::new()
        Folder = [System.Collections.Generic.List[string]]::new()
        Length = [System.Collections.Generic.List[long]]::new()
    }
}

# Moves each file into its mirror folder in the bin. Returns one record per
# file that really left its folder; a file that could not be moved (locked,
# no rights) stays where it was and is not reported.
function Move-FileToMirror {
    [CmdletBinding()]
    [OutputType([psobject])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Paths,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory)][datetime]$Now
    )

    $moved = New-MovedFileSet
    $canOverwrite = $null -ne [System.IO.File].GetMethod('Move', [type[]]@([string], [string], [bool]))
    $mirrorOf = @{}
    $created = [System.Collections.Generic.HashSet[string]]::new()
    foreach ($path in $Paths) {
        try {
            $info = [System.IO.FileInfo]::new($path)
            $length = $info.Length
            $name = $info.Name
            $folder = $info.DirectoryName
        } catch {
            continue
        }
        if (-not $mirrorOf.ContainsKey($folder)) {
            # From the full path, so the bin place always matches the folder the
            # log names, even for a target given as a relative path.
            $mirrorOf[$folder] = Join-BinPath -RecycleDir $RecycleDir -SubPath (Get-MirrorSubPath -FullPath $info.FullName)
        }
        $mirror = $mirrorOf[$folder]
        $target = [System.IO.Path]::Combine($mirror, $name)
        # Two tries: a concurrent sweep may remove an empty mirror folder between
        # our create and our move; the second try creates it again.
        $ok = $false
        $hadCopy = [System.IO.File]::Exists($target)
        for ($attempt = 0; $attempt -lt 2; $attempt++) {
            try {
                if ($attempt -gt 0 -or -not $created.Contains($mirror)) {
                    $null = [System.IO.Directory]::CreateDirectory($mirror)
                    $null = $created.Add($mirror)
                }
                if ([System.IO.File]::Exists($target)) {
                    # The newer sweep of the same original path wins.
                    [System.IO.File]::SetAttributes($target, [System.IO.FileAttributes]::Normal)
                    if ($canOverwrite) {
                        [System.IO.File]::Move($path, $target, $true)
                    } else {
                        # No overwriting move on .NET Framework: park the old copy so a
                        # failed move can put it back instead of losing it.
                        $aside = $target + '.' + [guid]::NewGuid().ToString('N') + '.old'
                        [System.IO.File]::Move($target, $aside)
                        try {
                            [System.IO.File]::Move($path, $target)
                        } catch {
                            [System.IO.File]::Move($aside, $target)
                            throw
                        }
                        [System.IO.File]::Delete($aside)
                    }
                } else {
                    [System.IO.File]::Move($path, $target)
                }
                $ok = $true
                break
            } catch [System.IO.DirectoryNotFoundException] {
                continue
            } catch {
                break
            }
        }
        # Counted only when it really left: a copy that could not delete its
        # source (another volume, a lock) leaves the original in place.
        if (-not $ok -or [System.IO.File]::Exists($path)) {
            # A move that gives up half way (on Linux .NET links, then unlinks)
            # can leave a second name in the bin; the original is still there.
            if (-not $hadCopy -and [System.IO.File]::Exists($path) -and [System.IO.File]::Exists($target)) {
                try { [System.IO.File]::Delete($target) } catch { $null = $_ }
            }
            continue
        }
        # Retention counts from the sweep, not from the file's own age.
        try { [System.IO.File]::SetLastWriteTime($target, $Now) } catch { $null = $_ }
        $moved.Name.Add($name)
        $moved.Folder.Add($folder)
        $moved.Length.Add($length)
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

# Exclusive lock beside the log, held around every read-modify-write of it by
# any writer. Returns the open lock stream, or $null when it stays busy.
function Enter-HistoryLock {
    [CmdletBinding()]
    [OutputType([System.IO.FileStream])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [ValidateRange(0, 600)][int]$TimeoutSeconds = 10
    )

    $deadline = [datetime]::UtcNow.AddSeconds($TimeoutSeconds)
    while ($true) {
        try {
            return [System.IO.File]::Open($LogFile + '.lock', [System.IO.FileMode]::OpenOrCreate, [System.IO.FileAccess]::ReadWrite, [System.IO.FileShare]::None)
        } catch {
            if ([datetime]::UtcNow -ge $deadline) { return $null }
            Start-Sleep -Milliseconds 50
        }
    }
}

# Replaces the log whole: a temporary file beside it, flushed to disk, then
# renamed over it, so a reader never sees half a log.
function Set-HistoryContent {
    [CmdletBinding(SupportsShouldProcess = $false)]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][AllowEmptyCollection()][System.Collections.Generic.List[string]]$Lines
    )

    $temp = $LogFile + '.tmp'
    try {
        $builder = [System.Text.StringBuilder]::new()
        foreach ($line in $Lines) { $null = $builder.Append($line).Append("`r`n") }
        $bytes = [System.Text.UTF8Encoding]::new($false).GetBytes($builder.ToString())
        $stream = [System.IO.File]::Open($temp, [System.IO.FileMode]::Create, [System.IO.FileAccess]::Write, [System.IO.FileShare]::None)
        try {
            $stream.Write($bytes, 0, $bytes.Length)
            $stream.Flush($true)
        } finally {
            $stream.Dispose()
        }
    } catch {
        try { [System.IO.File]::Delete($temp) } catch { $null = $_ }
        return $false
    }

    $canOverwrite = $null -ne [System.IO.File].GetMethod('Move', [type[]]@([string], [string], [bool]))
    # A virus scanner or indexer may hold the log for a moment: retry briefly.
    for ($attempt = 0; $attempt -lt 20; $attempt++) {
        try {
            if ($canOverwrite) {
                [System.IO.File]::Move($temp, $LogFile, $true)
            } elseif ([System.IO.File]::Exists($LogFile)) {
                [System.IO.File]::Replace($temp, $LogFile, [NullString]::Value, $true)
            } else {
                [System.IO.File]::Move($temp, $LogFile)
            }
            return $true
        } catch {
            Start-Sleep -Milliseconds 100
        }
    }
    try { [System.IO.File]::Delete($temp) } catch { $null = $_ }
    return $false
}

# Puts a new block at the top of the log and drops lines older than the
# cut-off. Returns $false when the log could not be written; it is then left
# exactly as it was.
function Add-HistoryBlock {
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][AllowEmptyCollection()][System.Collections.Generic.List[string]]$Block,
        [Parameter(Mandatory)][datetime]$Cutoff,
        [ValidateRange(0, 600)][int]$LockTimeoutSeconds = 10
    )

    $lock = Enter-HistoryLock -LogFile $LogFile -TimeoutSeconds $LockTimeoutSeconds
    if ($null -eq $lock) { return $false }
    try {
        $existing = [string[]]@()
        if ([System.IO.File]::Exists($LogFile)) {
            # Read inside the lock so lines another sweep wrote meanwhile survive;
            # a log that cannot be read is never rewritten from nothing.
            try { $existing = [System.IO.File]::ReadAllLines($LogFile, [System.Text.Encoding]::UTF8) } catch { return $false }
        }
        $lines = [System.Collections.Generic.List[string]]::new($Block)
        $lines.AddRange((Select-SurvivingHistory -Lines $existing -Cutoff $Cutoff))
        return (Set-HistoryContent -LogFile $LogFile -Lines $lines)
    } finally {
        $lock.Dispose()
    }
}

# History lines of moved files, sorted as text ignoring case:
#   stamp | name (35) | original folder (87) | (size)[ [Clutter]]
function Get-SweptFileLine {
    [CmdletBinding()]
    [OutputType([System.Collections.Generic.List[string]])]
    param(
        [Parameter(Mandatory)][psobject]$Files,
        [Parameter(Mandatory)][string]$Timestamp,
        [switch]$Clutter
    )

    $sizes = ConvertTo-SizeText -Bytes $Files.Length.ToArray()
    $suffix = ')'
    if ($Clutter) { $suffix = ') [Clutter]' }
    $count = $Files.Name.Count
    $lines = [System.Collections.Generic.List[string]]::new($count)
    for ($i = 0; $i -lt $count; $i++) {
        $lines.Add($Timestamp + ' | ' + $Files.Name[$i].PadRight(35) + ' | ' + $Files.Folder[$i].PadRight(87) + ' | (' + $sizes[$i] + $suffix)
    }
    $lines.Sort([System.StringComparer]::CurrentCultureIgnoreCase)
    return , $lines
}

# The block a sweep puts on top of the log: its event line, then its clutter
# lines, then its model lines.
function Get-SweepBlock {
    [CmdletBinding()]
    [OutputType([System.Collections.Generic.List[string]])]
    param(
        [Parameter(Mandatory)][datetime]$Now,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$TargetDir,
        [Parameter(Mandatory)][psobject]$Clutter,
        [Parameter(Mandatory)][psobject]$Models
    )

    $stamp = Format-HistoryTimestamp -Now $Now
    $block = [System.Collections.Generic.List[string]]::new()
    $block.Add((Format-SweepEventLine -Now $Now -ModelCount $Models.Name.Count -ClutterCount $Clutter.Name.Count -TargetDir $TargetDir))
    $block.AddRange((Get-SweptFileLine -Files $Clutter -Timestamp $stamp -Clutter))
    $block.AddRange((Get-SweptFileLine -Files $Models -Timestamp $stamp))
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

# The whole sweep, in the order that keeps it safe: purge before new files
# arrive, clutter before versions (a model matched by a clutter rule goes as
# clutter), the log last.
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

    $cutoff = Get-SweepCutoff -Now $Now -MaxDays $MaxDays
    $clutterMoved = New-MovedFileSet
    $modelsMoved = New-MovedFileSet
    # Each step is fenced so that a surprise in one never skips the log of the
    # files already moved.
    try { $null = Remove-AgedBinFile -RecycleDir $RecycleDir -LogFile $LogFile -Cutoff $cutoff } catch { $null = $_ }
    try { $null = Remove-EmptyBinFolder -RecycleDir $RecycleDir } catch { $null = $_ }
    try {
        $rules = Split-ClutterList -Clutter $Clutter
        $clutterMoved = Move-FileToMirror -Paths (Get-ClutterFile -TargetDir $TargetDir -Rules $rules) -RecycleDir $RecycleDir -Now $Now
    } catch { $null = $_ }
    try {
        $modelsMoved = Move-FileToMirror -Paths (Get-SurplusIteration -TargetDir $TargetDir -KeepCount $KeepCount) -RecycleDir $RecycleDir -Now $Now
    } catch { $null = $_ }

    $logBusy = $true
    try {
        $block = Get-SweepBlock -Now $Now -TargetDir $TargetDir -Clutter $clutterMoved -Models $modelsMoved
        $logBusy = -not (Add-HistoryBlock -LogFile $LogFile -Block $block -Cutoff $cutoff -LockTimeoutSeconds $LockTimeoutSeconds)
    } catch { $null = $_ }

    return [pscustomobject]@{
        ClutterCount = $clutterMoved.Name.Count
        ClutterBytes = Measure-MovedByte -Files $clutterMoved
        ModelCount = $modelsMoved.Name.Count
        ModelBytes = Measure-MovedByte -Files $modelsMoved
        LogBusy = $logBusy
    }
}

function Format-SweepResult {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][psobject]$Result)

    $busy = '0'
    if ($Result.LogBusy) { $busy = '1' }
    $fields = @(
        'X'
        [string]$Result.ClutterCount
        (Format-SizeText -Bytes $Result.ClutterBytes)
        [string]$Result.ModelCount
        (Format-SizeText -Bytes $Result.ModelBytes)
        (Format-SizeText -Bytes ($Result.ClutterBytes + $Result.ModelBytes))
        $busy
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
