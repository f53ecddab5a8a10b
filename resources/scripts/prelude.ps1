# Vantor shared script code: the build puts this file in front of every script
# template, so they decode their values, write files and keep the history log
# the same way. Only functions here: the template after
# it decides what runs. Fed through standard input as well (the restore window),
# so "} else {" and "} catch {" stay on one line.

Set-StrictMode -Version 3.0

# Text values arrive as base64 of their UTF-8 bytes, so no quote, dollar sign
# or backtick in a folder name can ever be read as script.
function ConvertFrom-VantorText([string]$Encoded) {
    [System.Text.Encoding]::UTF8.GetString([System.Convert]::FromBase64String($Encoded))
}

# PowerShell records the methods a run compiles and, on the next run, compiles
# them ahead on a spare core. Its record is one for all scripts, so each would
# find the others' methods. Each script keeps its own record beside PowerShell's from here on.
# Tests (VantorNoWindow) keep theirs.
function Start-CompileProfile([string]$Name) {
    if ($ExecutionContext.SessionState.PSVariable.GetValue('VantorNoWindow')) { return }
    [System.Runtime.ProfileOptimization]::StartProfile('Vantor-' + $Name)
}

function Test-WindowsPlatform {
    [CmdletBinding()]
    [OutputType([bool])]
    param()
    return [System.IO.Path]::DirectorySeparatorChar -eq '\'
}

function ConvertTo-LongPath {
    # Windows PowerShell 5.1 stops at 260 characters unless a path carries the
    # \\?\ prefix; deep project folders mirrored below the bin easily pass that.
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path,
        [bool]$Windows = (Test-WindowsPlatform)
    )
    if (-not $Windows) { return $Path }
    if ($Path.StartsWith('\\?\')) { return $Path }
    $plain = $Path.Replace('/', '\')
    if ($plain -match '^\\\\[^\\?.]') { return '\\?\UNC\' + $plain.Substring(2) }
    if ($plain -match '^[A-Za-z]:\\') { return '\\?\' + $plain }
    return $Path
}

# A failure's reason, fit for one field of a result line.
function Get-ReasonText {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowNull()][object]$ErrorRecord)
    $e = $ErrorRecord
    if ($e -is [System.Management.Automation.ErrorRecord]) { $e = $e.Exception }
    while ($e -is [System.Management.Automation.MethodInvocationException] -and $null -ne $e.InnerException) {
        $e = $e.InnerException
    }
    $text = [string]$e
    if ($e -is [System.Exception]) { $text = $e.Message }
    $text = [regex]::Replace($text, '[|\p{Cc}]+', ' ').Trim()
    if ($text.Length -gt 160) { $text = $text.Substring(0, 157) + '...' }
    return $text
}

# True for a file held open by another program (a sharing or lock violation),
# as opposed to a full disk, missing rights and the like.
function Test-LockedError {
    [CmdletBinding()]
    [OutputType([bool])]
    param([Parameter(Mandatory)][AllowNull()][object]$ErrorRecord)
    $e = $ErrorRecord
    if ($e -is [System.Management.Automation.ErrorRecord]) { $e = $e.Exception }
    while ($null -ne $e) {
        $code = $e.HResult -band 0xFFFF
        # Windows: sharing or lock violation; elsewhere the flock behind FileShare.None
        # reports EWOULDBLOCK.
        $held = $code -eq 32 -or $code -eq 33 -or (-not (Test-WindowsPlatform) -and $e.HResult -eq 11)
        if ($e -is [System.IO.IOException] -and $held) { return $true }
        $e = $e.InnerException
    }
    return $false
}

# --- the bin and its history lines ---------------------------------------------

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

function Get-MirrorFolderPart {
    # The folders of Get-MirrorFolderSubPath one by one, or $null for a folder
    # whose mirror would lead out of the bin ("..", a device path and the like):
    # a history log is a plain text file anyone can edit. Drive and UNC paths
    # split at either separator; other paths only at the system's, since "\" is
    # an ordinary character of a Linux name.
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Folder)
    # \\?\ and \\.\ are device paths, not servers; a server name holding "/"
    # would reach outside its own folder.
    if ($Folder.Length -eq 0 -or $Folder -match '^\\\\([?.](\\|$)|[^\\]*/)') { return $null }
    $separators = [char[]]@([System.IO.Path]::DirectorySeparatorChar, [System.IO.Path]::AltDirectorySeparatorChar)
    if ($Folder -match '^(\\\\|[A-Za-z]:[\\/])') { $separators = [char[]]@('\', '/') }
    $sub = Get-MirrorFolderSubPath -Folder $Folder
    $parts = $sub.Split($separators, [System.StringSplitOptions]::RemoveEmptyEntries)
    foreach ($piece in $parts) {
        if ($piece -eq '.' -or $piece -eq '..' -or [System.IO.Path]::IsPathRooted($piece)) { return $null }
    }
    return , [string[]]$parts
}

function Format-HistoryTimestamp {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][datetime]$Now)
    return $Now.ToString('yyyy-MM-dd HH:mm:ss', [System.Globalization.CultureInfo]::InvariantCulture)
}

# Size texts for many byte counts at once. The sweep writes the decimal
# separator of the user's regional format; the other writers of the log pass
# the invariant culture and always write ".".
function ConvertTo-SizeText {
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][long[]]$Bytes,
        [System.Globalization.CultureInfo]$Culture = [System.Globalization.CultureInfo]::CurrentCulture
    )
    $texts = [string[]]::new($Bytes.Length)
    for ($i = 0; $i -lt $Bytes.Length; $i++) {
        $b = $Bytes[$i]
        if ($b -lt 1024) { $texts[$i] = ([double]$b).ToString('F1', $Culture) + ' B' }
        elseif ($b -lt 1048576) { $texts[$i] = ($b / 1024.0).ToString('F1', $Culture) + ' KB' }
        elseif ($b -lt 1073741824) { $texts[$i] = ($b / 1048576.0).ToString('F2', $Culture) + ' MB' }
        else { $texts[$i] = ($b / 1073741824.0).ToString('F3', $Culture) + ' GB' }
    }
    return , $texts
}

# The history lines of swept files, one per name, in order:
#   stamp | name (35) | original folder (87) | (size)[ [Clutter]]
function Format-SweptFileLine {
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory)][string]$Timestamp,
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Name,
        [Parameter(Mandatory)][string]$Folder,
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$SizeText,
        [switch]$Clutter
    )
    $suffix = ')'
    if ($Clutter) { $suffix = ') [Clutter]' }
    $head = $Timestamp + ' | '
    $middle = ' | ' + $Folder.PadRight(87) + ' | ('
    $lines = [string[]]::new($Name.Length)
    for ($i = 0; $i -lt $Name.Length; $i++) {
        $lines[$i] = $head + $Name[$i].PadRight(35) + $middle + $SizeText[$i] + $suffix
    }
    return , $lines
}

# The line that heads a sweep's block in the history log.
function Format-SweepEventLine {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][string]$Timestamp,
        [Parameter(Mandatory)][ValidateRange(0, [long]::MaxValue)][long]$ModelCount,
        [Parameter(Mandatory)][ValidateRange(0, [long]::MaxValue)][long]$ClutterCount,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$TargetDir
    )
    $text = 'SWEEP - ' + $ModelCount + ' Models, ' + $ClutterCount + ' Clutter'
    return $Timestamp + ' | ' + $text.PadRight(35) + ' | ' + $TargetDir
}

# --- writing files ---------------------------------------------------------------

function Remove-LeftoverFile {
    # Removes what a failed step left beside its target (a temporary or partial
    # file). The step's own error is the one the user needs, so a refusal here
    # is only told in verbose output; the leftover is harmless clutter.
    [CmdletBinding()]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path)
    try { [System.IO.File]::Delete($Path) } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        Write-Verbose ('Left behind: ' + $Path + ' (' + $_.Exception.Message + ')')
    }
}

function Set-FileOver {
    # Puts Source in the place of an existing Destination in one step on one volume.
    # .NET Framework 4.x (5.1) has no File.Move with overwrite; File.Replace does it.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][string]$Source,
        [Parameter(Mandatory)][string]$Destination
    )
    $moveOver = [System.IO.File].GetMethod('Move', [type[]]@([string], [string], [bool]))
    [System.IO.File]::SetAttributes($Destination, [System.IO.FileAttributes]::Normal)
    if ($null -ne $moveOver) {
        $null = $moveOver.Invoke($null, [object[]]@($Source, $Destination, $true))
    } else {
        [System.IO.File]::Replace($Source, $Destination, [NullString]::Value)
    }
}

function ConvertTo-CrLfByte {
    # The lines as UTF-8 without a byte-order mark, each ended by CR LF.
    [CmdletBinding()]
    [OutputType([byte[]])]
    param([Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line)
    if ($Line.Length -eq 0) { return , [byte[]]@() }
    $text = [string]::Join("`r`n", $Line) + "`r`n"
    return , [System.Text.UTF8Encoding]::new($false).GetBytes($text)
}

function Write-FileAtomically {
    # Replaces Path whole with Byte: a new temporary file beside it, flushed to
    # disk, then renamed over it, so a reader or a crash never meets half a file.
    # A virus scanner or an indexer may hold the file for a moment, so the rename
    # is retried for RetryMilliseconds. Throws with the reason; the file is then
    # as it was and no temporary file is left.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path,
        [Parameter(Mandatory)][AllowEmptyCollection()][byte[]]$Byte,
        [ValidateRange(0, 600000)][int]$RetryMilliseconds = 2000
    )
    $target = $Path
    $temp = $target + '.' + [guid]::NewGuid().ToString('N') + '.tmp'
    $placed = $false
    try {
        $mode = [System.IO.FileMode]::CreateNew
        $stream = [System.IO.FileStream]::new($temp, $mode, [System.IO.FileAccess]::Write, [System.IO.FileShare]::None)
        try {
            $stream.Write($Byte, 0, $Byte.Length)
            $stream.Flush($true)
        } finally {
            $stream.Dispose()
        }
        $clock = [System.Diagnostics.Stopwatch]::StartNew()
        while (-not $placed) {
            try {
                if ([System.IO.File]::Exists($target)) {
                    Set-FileOver -Source $temp -Destination $target
                } else {
                    [System.IO.File]::Move($temp, $target)
                }
                $placed = $true
            } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
                if ($clock.ElapsedMilliseconds -ge $RetryMilliseconds) { throw }
                Start-Sleep -Milliseconds 50
            }
        }
    } finally {
        if (-not $placed -and [System.IO.File]::Exists($temp)) { Remove-LeftoverFile -Path $temp }
    }
}

function Move-FileSafely {
    # Moves Source to Destination, replacing a file there. On one volume it is a
    # rename; across volumes a copy beside the destination, checked for its size,
    # takes the destination's name before the source is deleted. Throws with the
    # reason when the file did not arrive; Source is then whole and nothing partial
    # is left at Destination. Returns $false when the file arrived but Source could
    # not be deleted (two copies, none lost).
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Source,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Destination,
        [string]$Token = [guid]::NewGuid().ToString('N')
    )
    if (-not [System.IO.File]::Exists($Destination)) {
        # Directory.Move renames files too, and never copies across volumes.
        try {
            [System.IO.Directory]::Move($Source, $Destination)
            return $true
        } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
            # Another volume or no right to rename: the copy below moves it, or
            # fails with its own reason.
            Write-Verbose ('Rename refused, copying: ' + $_.Exception.Message)
        }
        if (-not [System.IO.File]::Exists($Source)) {
            throw [System.IO.FileNotFoundException]::new('The file is gone.', $Source)
        }
    }
    $temp = $Destination + '.' + $Token + '.partial'
    $renamed = $false
    try {
        [System.IO.Directory]::Move($Source, $temp)
        $renamed = $true
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        $copied = $false
        try {
            [System.IO.File]::Copy($Source, $temp)
            $want = [System.IO.FileInfo]::new($Source).Length
            if ([System.IO.FileInfo]::new($temp).Length -ne $want) {
                throw [System.IO.IOException]::new('The copy is incomplete.')
            }
            $copied = $true
        } finally {
            if (-not $copied) { Remove-LeftoverFile -Path $temp }
        }
    }
    $placed = $false
    try {
        if ([System.IO.File]::Exists($Destination)) {
            Set-FileOver -Source $temp -Destination $Destination
        } else {
            [System.IO.Directory]::Move($temp, $Destination)
        }
        $placed = $true
    } finally {
        if (-not $placed -and $renamed) { Undo-PartialRename -Path $temp -Source $Source }
        if (-not $placed -and -not $renamed) { Remove-LeftoverFile -Path $temp }
    }
    if ($renamed) { return $true }
    try {
        [System.IO.File]::SetAttributes($Source, [System.IO.FileAttributes]::Normal)
        [System.IO.File]::Delete($Source)
        return $true
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        # The file arrived whole; the caller is told two copies exist.
        return $false
    }
}

function Undo-PartialRename {
    # Gives a file renamed aside on its way back its old name. When even that is
    # refused it stays whole under the partial name, which the journal of the
    # move settles; the move's own error is the one the user needs.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Source
    )
    try {
        [System.IO.Directory]::Move($Path, $Source)
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        Write-Verbose ('Left under its partial name: ' + $Path + ' (' + $_.Exception.Message + ')')
    }
}

# --- history log --------------------------------------------------------------

function Enter-HistoryLock {
    # Exclusive lock beside the log, held around every read-modify-write of it by
    # any writer; the system drops it with the process. $null when it stays busy;
    # any other failure (no rights, no folder) throws with its reason.
    [CmdletBinding()]
    [OutputType([System.IO.FileStream])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [ValidateRange(0, 600000)][int]$TimeoutMilliseconds = 10000
    )
    $clock = [System.Diagnostics.Stopwatch]::StartNew()
    $access = [System.IO.FileAccess]::ReadWrite
    while ($true) {
        try {
            $mode = [System.IO.FileMode]::OpenOrCreate
            return [System.IO.File]::Open($LogFile + '.lock', $mode, $access, [System.IO.FileShare]::None)
        } catch [System.IO.IOException] {
            if (-not (Test-LockedError -ErrorRecord $_)) { throw }
            if ($clock.ElapsedMilliseconds -ge $TimeoutMilliseconds) { return $null }
            Start-Sleep -Milliseconds 50
        }
    }
}

function Read-HistoryFile {
    # Every line of the log, none when it does not exist. Throws when it exists
    # but cannot be read: such a log must never be rewritten from nothing.
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile)
    if (-not [System.IO.File]::Exists($LogFile)) { return , [string[]]@() }
    return , [System.IO.File]::ReadAllLines($LogFile, [System.Text.UTF8Encoding]::new($false))
}

function Write-HistoryFile {
    # Replaces the log whole (Write-FileAtomically): UTF-8 without a byte-order
    # mark, CR LF. Throws with the reason; the log is then unchanged.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line
    )
    $bytes = ConvertTo-CrLfByte -Line $Line
    # Writers hold the lock: a temporary file already there is one a crash left.
    $folder = [System.IO.Path]::GetDirectoryName($LogFile)
    foreach ($stale in [System.IO.Directory]::GetFiles($folder, [System.IO.Path]::GetFileName($LogFile) + '.*.tmp')) {
        Remove-LeftoverFile -Path $stale
    }
    Write-FileAtomically -Path $LogFile -Byte $bytes
}

# --- journal ------------------------------------------------------------------
# Work that moves files writes its intent first into a journal beside the log
# (one per run, held open and exclusive while the run lives, flushed before the
# moves it names). Whoever next holds the log lock and finds a journal nobody
# holds folds it: sweep moves that happened get their log lines, a restore cut
# short is finished or rolled back. Records are tab-separated, one per line:
#   S  stamp  ticks  target        a sweep started (stamp as in its log lines)
#   F  bin path  original path  line   a sweep is about to move a file
#   R  token  bin path  destination  line   a restore is about to move a file
#      back (line: the log line of the file it displaces, or empty)

function Get-JournalPattern {
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile)
    return [System.IO.Path]::GetFileName($LogFile) + '.*.journal'
}

function Open-Journal {
    [CmdletBinding()]
    [OutputType([System.IO.FileStream])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile)
    $path = $LogFile + '.' + [guid]::NewGuid().ToString('N') + '.journal'
    $mode = [System.IO.FileMode]::CreateNew
    return [System.IO.FileStream]::new($path, $mode, [System.IO.FileAccess]::Write, [System.IO.FileShare]::None)
}

function Add-JournalRecord {
    # Appends whole records and flushes them to the disk; throws when it cannot.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][System.IO.FileStream]$Journal,
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Record
    )
    if ($Record.Length -eq 0) { return }
    $bytes = [System.Text.UTF8Encoding]::new($false).GetBytes([string]::Join("`n", $Record) + "`n")
    $Journal.Write($bytes, 0, $bytes.Length)
    $Journal.Flush($true)
}

function Close-Journal {
    # Closes a journal and, when its work is in the log, deletes it.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][AllowNull()][System.IO.FileStream]$Journal,
        [switch]$Delete
    )
    if ($null -eq $Journal) { return }
    $path = $Journal.Name
    $Journal.Dispose()
    # A journal that cannot be deleted is folded again later and adds nothing:
    # its lines are in the log by then.
    if ($Delete) { Remove-LeftoverFile -Path $path }
}

function Read-DeadJournal {
    # The complete records of a journal that no live run holds; $null when it is
    # held (or gone). A record cut short by a crash has no line end and is dropped.
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path)
    try {
        $mode = [System.IO.FileMode]::Open
        $stream = [System.IO.FileStream]::new($Path, $mode, [System.IO.FileAccess]::Read, [System.IO.FileShare]::None)
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        # Held by the run that writes it (or gone): not ours to fold.
        return $null
    }
    try {
        $reader = [System.IO.StreamReader]::new($stream, [System.Text.UTF8Encoding]::new($false))
        $text = $reader.ReadToEnd()
    } finally {
        $stream.Dispose()
    }
    $records = $text.Split([char]"`n")
    $complete = [string[]]::new($records.Length - 1)
    [System.Array]::Copy($records, $complete, $complete.Length)
    return , $complete
}

function Test-SweptByRun {
    # Did the run that wrote this record move the file? Its copy is in the bin, and
    # the file is gone from its folder or the copy carries the run's time.
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory)][string]$BinPath,
        [Parameter(Mandatory)][string]$Original,
        [Parameter(Mandatory)][long]$Ticks
    )
    $bin = ConvertTo-LongPath -Path $BinPath
    if (-not [System.IO.File]::Exists($bin)) { return $false }
    if (-not [System.IO.File]::Exists((ConvertTo-LongPath -Path $Original))) { return $true }
    $age = [System.IO.File]::GetLastWriteTime($bin).Ticks - $Ticks
    return [System.Math]::Abs($age) -le [System.TimeSpan]::TicksPerSecond * 2
}

function Get-SweepFoldLine {
    # The log block of a dead sweep journal: its event line and the lines of the
    # files it really moved that the log does not hold yet. Empty when none.
    [CmdletBinding()]
    [OutputType([System.Collections.Generic.List[string]])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Record,
        [Parameter(Mandatory)][AllowEmptyCollection()][System.Collections.Generic.HashSet[string]]$Known
    )
    $block = [System.Collections.Generic.List[string]]::new()
    $start = $null
    $clutter = [System.Collections.Generic.List[string]]::new()
    $models = [System.Collections.Generic.List[string]]::new()
    foreach ($item in $Record) {
        $f = $item.Split([char]"`t")
        if ($f[0] -eq 'S' -and $f.Length -eq 4) { $start = $f; continue }
        if ($f[0] -ne 'F' -or $f.Length -ne 4 -or $null -eq $start) { continue }
        if ($Known.Contains($f[3])) { continue }
        if (-not (Test-SweptByRun -BinPath $f[1] -Original $f[2] -Ticks ([long]$start[2]))) { continue }
        $null = $Known.Add($f[3])
        if ($f[3].EndsWith(' [Clutter]')) { $clutter.Add($f[3]) } else { $models.Add($f[3]) }
    }
    if ($clutter.Count + $models.Count -eq 0) { return , $block }
    $block.Add((Format-SweepEventLine -Timestamp $start[1] -ModelCount $models.Count -ClutterCount $clutter.Count `
                -TargetDir $start[3]))
    $clutter.Sort([System.StringComparer]::CurrentCultureIgnoreCase)
    $models.Sort([System.StringComparer]::CurrentCultureIgnoreCase)
    $block.AddRange($clutter)
    $block.AddRange($models)
    return , $block
}

function Restore-CutShortMove {
    # Finishes or rolls back one restore of a dead journal, so the file stands
    # either at its destination or in the bin where its log line says.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][AllowEmptyString()][string[]]$Field,
        [Parameter(Mandatory)][AllowEmptyCollection()][System.Collections.Generic.HashSet[string]]$Known
    )
    $token = $Field[1]
    $source = ConvertTo-LongPath -Path $Field[2]
    $destination = ConvertTo-LongPath -Path $Field[3]
    foreach ($partial in @(($destination + '.' + $token + '.partial'), ($source + '.' + $token + '.partial'))) {
        Remove-LeftoverFile -Path $partial
    }
    $staging = $source + '.' + $token + '.restoring'
    if (-not [System.IO.File]::Exists($staging)) { return }
    $hasSource = [System.IO.File]::Exists($source)
    $hasDestination = [System.IO.File]::Exists($destination)
    if (-not $hasSource) {
        $null = Move-FileSafely -Source $staging -Destination $source -Token $token
    } elseif (-not $hasDestination) {
        # With nothing displaced, the bin copy is a later sweep's: finish. A
        # displaced file is in the bin: finish when its log line made it.
        if ($Field[4].Length -eq 0 -or $Known.Contains($Field[4])) {
            $null = Move-FileSafely -Source $staging -Destination $destination -Token $token
        } else {
            $null = Move-FileSafely -Source $source -Destination $destination -Token $token
            $null = Move-FileSafely -Source $staging -Destination $source -Token $token
        }
    } elseif ([System.IO.FileInfo]::new($destination).Length -eq [System.IO.FileInfo]::new($staging).Length) {
        # Copied to its destination across volumes, cut short before the delete.
        [System.IO.File]::Delete($staging)
    }
}

function Get-DeadJournalPath {
    [CmdletBinding()]
    [OutputType([string[]])]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile)
    $folder = [System.IO.Path]::GetDirectoryName($LogFile)
    try {
        return , [string[]][System.IO.Directory]::GetFiles($folder, (Get-JournalPattern -LogFile $LogFile))
    } catch [System.IO.DirectoryNotFoundException] {
        # No bin yet: nothing was ever journaled.
        return , [string[]]@()
    }
}

function Invoke-JournalFold {
    # Folds every journal nobody holds; call with the log lock held. Returns the
    # lines to put on top of the log and the journals to delete once they are in.
    [CmdletBinding()]
    [OutputType([psobject])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Existing
    )
    $known = [System.Collections.Generic.HashSet[string]]::new([string[]]$Existing, [System.StringComparer]::Ordinal)
    $lines = [System.Collections.Generic.List[string]]::new()
    $done = [System.Collections.Generic.List[string]]::new()
    foreach ($path in (Get-DeadJournalPath -LogFile $LogFile)) {
        $records = Read-DeadJournal -Path $path
        if ($null -eq $records) { continue }
        $settled = $true
        foreach ($item in $records) {
            $f = $item.Split([char]"`t")
            if ($f[0] -ne 'R' -or $f.Length -ne 5) { continue }
            try {
                Restore-CutShortMove -Field $f -Known $known
            } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
                # Nothing is lost (every step moves a whole file); the journal
                # stays so that the next run finishes the move.
                $settled = $false
            }
        }
        # Lines already in the log are known, so a journal folded twice adds none twice.
        $lines.AddRange((Get-SweepFoldLine -Record $records -Known $known))
        if ($settled) { $done.Add($path) }
    }
    return [pscustomobject]@{ Line = $lines; Journal = $done }
}

function Remove-FoldedJournal {
    [CmdletBinding()]
    param([Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Path)
    foreach ($item in $Path) { Remove-LeftoverFile -Path $item }
}

function Invoke-HistoryFold {
    # Takes the log lock only when there is a journal to fold, and folds it.
    # Returns the reason when that failed; the journals then stay for next time.
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [ValidateRange(0, 600000)][int]$TimeoutMilliseconds = 10000
    )
    if ((Get-DeadJournalPath -LogFile $LogFile).Length -eq 0) { return '' }
    $lock = Enter-HistoryLock -LogFile $LogFile -TimeoutMilliseconds $TimeoutMilliseconds
    if ($null -eq $lock) { return 'The history log is locked by another program.' }
    try {
        $existing = Read-HistoryFile -LogFile $LogFile
        $fold = Invoke-JournalFold -LogFile $LogFile -Existing $existing
        # Rewritten even with no new line, which clears a crash's temporary file.
        $lines = [System.Collections.Generic.List[string]]::new($fold.Line)
        $lines.AddRange([string[]]$existing)
        Write-HistoryFile -LogFile $LogFile -Line $lines.ToArray()
        Remove-FoldedJournal -Path $fold.Journal.ToArray()
        return ''
    } catch {
        return (Get-ReasonText -ErrorRecord $_)
    } finally {
        $lock.Dispose()
    }
}

# --- window controls ------------------------------------------------------------
# For the scripts that open a window; they load Windows Forms before calling these.

function New-WindowFont {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][single]$Size,
        [ValidateSet('Regular', 'Bold', 'Italic')][string]$Style = 'Regular'
    )
    return [System.Drawing.Font]::new('Segoe UI', $Size, [System.Drawing.FontStyle]$Style)
}

function New-WindowControl {
    # A Windows Forms control of the named type (Label, Button, TextBox, ...)
    # with its text, Bounds (x, y, width, height) and, unless $null, font.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][string]$Type,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Text,
        [Parameter(Mandatory)][ValidateCount(4, 4)][int[]]$Bounds,
        [AllowNull()]$Font = $null
    )
    $control = ([type]('System.Windows.Forms.' + $Type))::new()
    $control.Text = $Text
    $control.Location = [System.Drawing.Point]::new($Bounds[0], $Bounds[1])
    $control.Size = [System.Drawing.Size]::new($Bounds[2], $Bounds[3])
    if ($null -ne $Font) { $control.Font = $Font }
    # Texts such as "Environment & Launch" show their "&" instead of underlining a letter.
    if ($control -is [System.Windows.Forms.Label]) { $control.UseMnemonic = $false }
    return $control
}

function New-WindowLabel {
    # A label in a look both windows share: Title, the dark band across the
    # top; Note, the framed box under it; Caption, the heading of a group.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateSet('Title', 'Note', 'Caption')][string]$Look,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Text,
        [Parameter(Mandatory)][ValidateCount(4, 4)][int[]]$Bounds
    )
    $font = New-WindowFont -Size 8.75
    if ($Look -eq 'Title') { $font = New-WindowFont -Size 13 -Style Bold }
    if ($Look -eq 'Caption') { $font = New-WindowFont -Size 10.5 -Style Bold }
    $label = New-WindowControl -Type Label -Text $Text -Bounds $Bounds -Font $font
    switch ($Look) {
        'Title' {
            $label.ForeColor = [System.Drawing.Color]::White
            $label.BackColor = [System.Drawing.Color]::FromArgb(40, 45, 50)
            $label.Padding = [System.Windows.Forms.Padding]::new(12, 10, 0, 0)
        }
        'Note' {
            $label.ForeColor = [System.Drawing.Color]::FromArgb(60, 60, 60)
            $label.BackColor = [System.Drawing.Color]::FromArgb(245, 247, 250)
            $label.BorderStyle = [System.Windows.Forms.BorderStyle]::FixedSingle
            $label.Padding = [System.Windows.Forms.Padding]::new(8, 5, 8, 5)
        }
        'Caption' { $label.ForeColor = [System.Drawing.Color]::FromArgb(30, 80, 140) }
    }
    return $label
}

function Set-WindowFit {
    # Keeps the buttons of a tall window on a small screen (a 1080p laptop at
    # 150 % leaves 672 pixels above its taskbar): the controls from Top down
    # to Bottom move into a panel that scrolls, the ones below Bottom move up.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)]$Form,
        [Parameter(Mandatory)][int]$Top,
        [Parameter(Mandatory)][int]$Bottom
    )
    $screen = [System.Windows.Forms.Screen]::PrimaryScreen.WorkingArea.Height
    # The frame of a fixed dialog: its caption and a border above and below.
    $border = [System.Windows.Forms.SystemInformation]::FixedFrameBorderSize.Height
    $frame = [System.Windows.Forms.SystemInformation]::CaptionHeight + 2 * $border
    $tallest = [Math]::Min($screen, 672) - $frame
    $client = $Form.ClientSize
    if ($client.Height -le $tallest) { return }
    $shift = $client.Height - $tallest
    $width = $client.Width + [System.Windows.Forms.SystemInformation]::VerticalScrollBarWidth
    $panel = New-WindowControl -Type Panel -Text '' -Bounds 0, $Top, $width, ($Bottom - $Top - $shift)
    $panel.AutoScroll = $true
    foreach ($control in @($Form.Controls)) {
        # The title band stays as wide as the window.
        if ($control.Left -eq 0 -and $control.Width -eq $client.Width) { $control.Width = $width }
        if ($control.Top -ge $Bottom) { $control.Top -= $shift; continue }
        if ($control.Top -lt $Top) { continue }
        $Form.Controls.Remove($control)
        $control.Top -= $Top
        $panel.Controls.Add($control)
    }
    $Form.Controls.Add($panel)
    $Form.ClientSize = [System.Drawing.Size]::new($width, $tallest)
}
