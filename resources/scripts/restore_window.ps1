# Vantor restore window.
# Lists the files of the sweep bin that the history log still knows about, lets the
# user pick some in a grid and moves them back to their folders. The outcome is the
# process exit code: 100 plus the number of files restored, or 0 when there was
# nothing to show or nothing was chosen.
# The program feeds this script through standard input, which PowerShell runs one
# complete statement at a time: "} else {", "} catch {" and "} finally {" stay on
# one line, or the keyword would arrive as a statement of its own.
# Runs on Windows PowerShell 5.1 and PowerShell 7.

Set-StrictMode -Version 3.0

$script:RestoreExitBase = 100
$script:SweepLogName = 'Vantor_Sweep.log'
# Timestamp, then three "|"-separated columns; the last one runs to the end of the line.
# Event lines have one column fewer and so never match.
$script:FileLinePattern = '^([0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2})\s*\|\s*([^|]*)\|([^|]*)\|(.*)$'
$script:Blanks = [char[]]@(' ', "`t", "`r", "`n")
$script:LockTimeoutMilliseconds = 5000
$script:ReplaceTimeoutMilliseconds = 2000
$script:RetryPauseMilliseconds = 50
# Set by the entry layer; without it messages go to the console.
$script:WindowsFormsLoaded = $false

# --- paths ------------------------------------------------------------------

function Test-WindowsPlatform {
    [CmdletBinding()]
    [OutputType([bool])]
    param()
    return [System.IO.Path]::DirectorySeparatorChar -eq '\'
}

function Get-MirrorFolderPart {
    # The folders below the bin that mirror an original folder: C:\Work\Proj gives
    # Vantor_Drive_C, Work, Proj; \\fs01\cad\proj gives Vantor_UNC_Server, fs01, cad,
    # proj; any other path is kept as it is. Returns $null for a folder that would
    # lead out of the bin (".." and the like), since the log is a plain text file.
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Folder
    )
    $parts = New-Object 'System.Collections.Generic.List[string]'
    $rest = $Folder
    if ($Folder -match '^\\\\([^\\]+)\\?(.*)$') {
        # \\?\ and \\.\ are device paths, not servers.
        if ($Matches[1] -eq '?' -or $Matches[1] -eq '.') { return $null }
        $parts.Add('Vantor_UNC_Server')
        $parts.Add($Matches[1])
        $rest = $Matches[2]
    } elseif ($Folder -match '^([A-Za-z]):[\\/](.*)$') {
        $parts.Add('Vantor_Drive_' + $Matches[1])
        $rest = $Matches[2]
    }
    foreach ($piece in $rest.Split([char[]]@('\', '/'), [System.StringSplitOptions]::RemoveEmptyEntries)) {
        if ($piece -eq '.' -or $piece -eq '..' -or [System.IO.Path]::IsPathRooted($piece)) { return $null }
        $parts.Add($piece)
    }
    return , $parts.ToArray()
}

function Test-PlainFileName {
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Name
    )
    if ($Name.Length -eq 0 -or $Name -eq '.' -or $Name -eq '..') { return $false }
    return $Name.IndexOfAny([char[]]@('\', '/')) -lt 0
}

function Get-BinLocation {
    # Where the sweep put the file Name that stood in Folder; $null when the log
    # names something that cannot be a file of the bin.
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Folder,
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Name
    )
    if (-not (Test-PlainFileName -Name $Name)) { return $null }
    $parts = Get-MirrorFolderPart -Folder $Folder
    if ($null -eq $parts -or $parts.Count -eq 0) { return $null }
    $all = New-Object 'System.Collections.Generic.List[string]'
    $all.Add($RecycleDir)
    $all.AddRange([string[]]$parts)
    $all.Add($Name)
    return [System.IO.Path]::Combine($all.ToArray())
}

function Test-RestoreFolder {
    # Only a complete path is a place to restore to: a drive or UNC path on
    # Windows, a path from the root elsewhere, without "." or ".." steps.
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Folder,
        [bool]$Windows = (Test-WindowsPlatform)
    )
    if ($Windows) {
        $absolute = ($Folder -match '^[A-Za-z]:[\\/]') -or ($Folder -match '^\\\\[^\\?.][^\\]*\\[^\\]+')
    } else {
        $absolute = $Folder.StartsWith('/')
    }
    if (-not $absolute) { return $false }
    foreach ($piece in $Folder.Split([char[]]@('\', '/'))) {
        if ($piece -eq '.' -or $piece -eq '..') { return $false }
    }
    return $true
}

function ConvertTo-LongPath {
    # Windows PowerShell 5.1 stops at 260 characters unless a path carries the
    # \\?\ prefix; deep project folders mirrored below the bin easily pass that.
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Path,
        [bool]$Windows = (Test-WindowsPlatform)
    )
    if (-not $Windows) { return $Path }
    if ($Path.StartsWith('\\?\')) { return $Path }
    $plain = $Path.Replace('/', '\')
    if ($plain -match '^\\\\[^\\?.]') { return '\\?\UNC\' + $plain.Substring(2) }
    if ($plain -match '^[A-Za-z]:\\') { return '\\?\' + $plain }
    return $Path
}

# --- history log ------------------------------------------------------------

function Format-LogSizeText {
    # The invariant "." keeps the line the same whatever the regional format says.
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory = $true)][long]$Bytes
    )
    $culture = [System.Globalization.CultureInfo]::InvariantCulture
    if ($Bytes -lt 1024) { return $Bytes.ToString('F1', $culture) + ' B' }
    if ($Bytes -lt 1048576) { return ($Bytes / 1024.0).ToString('F1', $culture) + ' KB' }
    if ($Bytes -lt 1073741824) { return ($Bytes / 1048576.0).ToString('F2', $culture) + ' MB' }
    return ($Bytes / 1073741824.0).ToString('F3', $culture) + ' GB'
}

function Format-SweepLogFileLine {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory = $true)][datetime]$Time,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Name,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Folder,
        [Parameter(Mandatory = $true)][long]$Bytes
    )
    $stamp = $Time.ToString('yyyy-MM-dd HH:mm:ss', [System.Globalization.CultureInfo]::InvariantCulture)
    return $stamp + ' | ' + $Name.PadRight(35) + ' | ' + $Folder.PadRight(87) + ' | (' + (Format-LogSizeText -Bytes $Bytes) + ')'
}

function Read-SweepLogLine {
    # All lines of the log as UTF-8; none when it cannot be read. Opened with full
    # sharing so that a sweep replacing the log at this moment is not refused.
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$LogFile
    )
    $lines = New-Object 'System.Collections.Generic.List[string]'
    try {
        $share = [System.IO.FileShare]::ReadWrite -bor [System.IO.FileShare]::Delete
        $stream = New-Object System.IO.FileStream -ArgumentList $LogFile, ([System.IO.FileMode]::Open), ([System.IO.FileAccess]::Read), $share
        try {
            $reader = New-Object System.IO.StreamReader -ArgumentList $stream, (New-Object System.Text.UTF8Encoding -ArgumentList $false), $true
            $line = $reader.ReadLine()
            while ($null -ne $line) {
                $lines.Add($line)
                $line = $reader.ReadLine()
            }
        } finally {
            $stream.Dispose()
        }
    } catch {
        $lines.Clear()
    }
    return , $lines.ToArray()
}

function Open-SweepLogLock {
    # Every writer of the history log holds <log>.lock exclusively around its
    # read-modify-write, so two writers never lose each other's lines. The
    # operating system drops the lock with the process; the file itself stays.
    [CmdletBinding()]
    [OutputType([System.IO.FileStream])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$LogFile,
        [ValidateRange(0, 600000)][int]$TimeoutMilliseconds = $script:LockTimeoutMilliseconds
    )
    $lockPath = $LogFile + '.lock'
    $clock = [System.Diagnostics.Stopwatch]::StartNew()
    while ($true) {
        try {
            return [System.IO.File]::Open($lockPath, [System.IO.FileMode]::OpenOrCreate, [System.IO.FileAccess]::ReadWrite, [System.IO.FileShare]::None)
        } catch {
            if ($clock.ElapsedMilliseconds -ge $TimeoutMilliseconds) { throw }
            Start-Sleep -Milliseconds $script:RetryPauseMilliseconds
        }
    }
}

function Move-FileReplacing {
    # Puts Source in the place of Destination in one step. .NET Framework 4.x (5.1)
    # has no File.Move with overwrite, but File.Replace does the same for an
    # existing target. A scanner holding the target briefly is waited out.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Source,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Destination,
        [ValidateRange(0, 600000)][int]$TimeoutMilliseconds = $script:ReplaceTimeoutMilliseconds
    )
    $moveOver = [System.IO.File].GetMethod('Move', [type[]]@([string], [string], [bool]))
    $clock = [System.Diagnostics.Stopwatch]::StartNew()
    while ($true) {
        try {
            if (-not [System.IO.File]::Exists($Destination)) {
                [System.IO.File]::Move($Source, $Destination)
            } elseif ($null -ne $moveOver) {
                $null = $moveOver.Invoke($null, [object[]]@($Source, $Destination, $true))
            } else {
                [System.IO.File]::Replace($Source, $Destination, $null)
            }
            return
        } catch {
            if ($clock.ElapsedMilliseconds -ge $TimeoutMilliseconds) { throw }
            Start-Sleep -Milliseconds $script:RetryPauseMilliseconds
        }
    }
}

function Set-SweepLogContent {
    # Rewrites the log whole through a temporary file beside it, so a reader or a
    # crash never meets half a log. UTF-8 without a byte-order mark, CR LF.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line
    )
    $text = New-Object System.Text.StringBuilder
    foreach ($item in $Line) { $null = $text.Append($item).Append("`r`n") }
    $bytes = (New-Object System.Text.UTF8Encoding -ArgumentList $false).GetBytes($text.ToString())
    $temp = $LogFile + '.' + [guid]::NewGuid().ToString('N') + '.tmp'
    $stream = New-Object System.IO.FileStream -ArgumentList $temp, ([System.IO.FileMode]::CreateNew), ([System.IO.FileAccess]::Write), ([System.IO.FileShare]::None)
    try {
        $stream.Write($bytes, 0, $bytes.Length)
        $stream.Flush($true)
    } finally {
        $stream.Dispose()
    }
    try {
        Move-FileReplacing -Source $temp -Destination $LogFile
    } catch {
        try { [System.IO.File]::Delete($temp) } catch { $null = $_ }
        throw
    }
}

function Add-SweepLogLine {
    # Puts one line on top of the history log under the writers' lock. Throws
    # when the lock or the log cannot be had; the log is then left as it was.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Line,
        [ValidateRange(0, 600000)][int]$LockTimeoutMilliseconds = $script:LockTimeoutMilliseconds
    )
    $lock = Open-SweepLogLock -LogFile $LogFile -TimeoutMilliseconds $LockTimeoutMilliseconds
    try {
        $lines = New-Object 'System.Collections.Generic.List[string]'
        $lines.Add($Line)
        if ([System.IO.File]::Exists($LogFile)) {
            # A log that cannot be read must not be rewritten from an empty list.
            $lines.AddRange([System.IO.File]::ReadAllLines($LogFile, (New-Object System.Text.UTF8Encoding -ArgumentList $false)))
        }
        Set-SweepLogContent -LogFile $LogFile -Line $lines.ToArray()
    } finally {
        $lock.Dispose()
    }
}

# --- entries ----------------------------------------------------------------

function ConvertFrom-SweepLogLine {
    # One file line of the log as an entry; $null for event lines and anything else.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Line,
        [Parameter(Mandatory = $true)][int]$LineNumber,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$RecycleDir
    )
    $match = [regex]::Match($Line, $script:FileLinePattern)
    if (-not $match.Success) { return $null }
    $name = $match.Groups[2].Value.Trim($script:Blanks)
    $folder = $match.Groups[3].Value.Trim($script:Blanks)
    if ($name.Length -eq 0 -or $folder.Length -eq 0) { return $null }
    $binPath = Get-BinLocation -RecycleDir $RecycleDir -Folder $folder -Name $name
    $status = 'Absent'
    if ($null -ne $binPath -and [System.IO.File]::Exists((ConvertTo-LongPath -Path $binPath))) { $status = 'Available' }
    return [pscustomobject]@{
        LineNumber     = $LineNumber
        DateTime       = $match.Groups[1].Value
        Name           = $name
        OriginalFolder = $folder
        SizeText       = $match.Groups[4].Value.Trim($script:Blanks)
        BinPath        = $binPath
        Status         = $status
    }
}

function Read-SweepLogEntry {
    # Every file line of the log, in file order (newest block first).
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$RecycleDir
    )
    $entries = New-Object 'System.Collections.Generic.List[object]'
    $lines = Read-SweepLogLine -LogFile $LogFile
    for ($i = 0; $i -lt $lines.Count; $i++) {
        $entry = ConvertFrom-SweepLogLine -Line $lines[$i] -LineNumber $i -RecycleDir $RecycleDir
        if ($null -ne $entry) { $entries.Add($entry) }
    }
    return , $entries.ToArray()
}

function Select-RestorableEntry {
    # The newest entry of each file name wins, and only then are the absent ones
    # dropped: when the newest copy of a name is gone, older copies are not offered.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][object[]]$Entry
    )
    $seen = New-Object 'System.Collections.Generic.HashSet[string]' -ArgumentList ([System.StringComparer]::OrdinalIgnoreCase)
    $chosen = New-Object 'System.Collections.Generic.List[object]'
    foreach ($item in @($Entry | Sort-Object -Property LineNumber)) {
        if (-not $seen.Add($item.Name)) { continue }
        if ($item.Status -ne 'Available') { continue }
        $chosen.Add([pscustomobject]@{
                DateTime       = $item.DateTime
                Name           = $item.Name
                OriginalFolder = $item.OriginalFolder
                SizeText       = $item.SizeText
                BinPath        = $item.BinPath
            })
    }
    return , $chosen.ToArray()
}

function Get-RestoreEntry {
    # The entries the grid offers, in its order, with DateTime, Name,
    # OriginalFolder, SizeText and BinPath.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$RecycleDir
    )
    return , (Select-RestorableEntry -Entry (Read-SweepLogEntry -LogFile $LogFile -RecycleDir $RecycleDir))
}

# --- restore ----------------------------------------------------------------

function Undo-FileMove {
    # Best effort: puts a file back where it was after a later step failed.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][string]$From,
        [Parameter(Mandatory = $true)][string]$To
    )
    try { [System.IO.File]::Move($From, $To) } catch { $null = $_ }
}

function Switch-DisplacedFile {
    # Restores Source over a file that now stands at Destination without losing
    # either: the swept copy steps aside within the bin, the file in the way takes
    # its place in the bin with a log line of its own (so it can be restored in
    # turn), then the swept copy goes to Destination. Any failure puts all back.
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory = $true)][string]$Source,
        [Parameter(Mandatory = $true)][string]$Destination,
        [Parameter(Mandatory = $true)][string]$Name,
        [Parameter(Mandatory = $true)][string]$Folder,
        [Parameter(Mandatory = $true)][string]$LogFile,
        [int]$LockTimeoutMilliseconds = $script:LockTimeoutMilliseconds
    )
    $staging = $Source + '.' + [guid]::NewGuid().ToString('N') + '.restoring'
    try {
        $bytes = (New-Object System.IO.FileInfo -ArgumentList $Destination).Length
        [System.IO.File]::Move($Source, $staging)
    } catch {
        return $false
    }
    try {
        [System.IO.File]::Move($Destination, $Source)
    } catch {
        Undo-FileMove -From $staging -To $Source
        return $false
    }
    $now = Get-Date
    try {
        $line = Format-SweepLogFileLine -Time $now -Name $Name -Folder $Folder -Bytes $bytes
        Add-SweepLogLine -LogFile $LogFile -Line $line -LockTimeoutMilliseconds $LockTimeoutMilliseconds
        [System.IO.File]::Move($staging, $Destination)
    } catch {
        # An unlogged file in the bin could never be restored: undo instead.
        Undo-FileMove -From $Source -To $Destination
        Undo-FileMove -From $staging -To $Source
        return $false
    }
    # Like a swept file, the displaced one is kept for the full retention period.
    try { [System.IO.File]::SetLastWriteTime($Source, $now) } catch { $null = $_ }
    return $true
}

function Restore-SweptFileItem {
    # Moves one file back; $true when it now stands at its original place.
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Name,
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$OriginalFolder,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$LogFile,
        [int]$LockTimeoutMilliseconds = $script:LockTimeoutMilliseconds
    )
    $name = $Name.Trim($script:Blanks)
    $folder = $OriginalFolder.Trim($script:Blanks)
    if (-not (Test-RestoreFolder -Folder $folder)) { return $false }
    $binPath = Get-BinLocation -RecycleDir $RecycleDir -Folder $folder -Name $name
    if ($null -eq $binPath) { return $false }
    $source = ConvertTo-LongPath -Path $binPath
    # Purged meanwhile: nothing to bring back, and no folder to create for it.
    if (-not [System.IO.File]::Exists($source)) { return $false }
    $targetFolder = ConvertTo-LongPath -Path $folder
    $destination = ConvertTo-LongPath -Path ([System.IO.Path]::Combine($folder, $name))
    try {
        if (-not [System.IO.Directory]::Exists($targetFolder)) { $null = [System.IO.Directory]::CreateDirectory($targetFolder) }
    } catch {
        return $false
    }
    if ([System.IO.Directory]::Exists($destination)) { return $false }
    if ([System.IO.File]::Exists($destination)) {
        return Switch-DisplacedFile -Source $source -Destination $destination -Name $name -Folder $folder -LogFile $LogFile -LockTimeoutMilliseconds $LockTimeoutMilliseconds
    }
    try {
        [System.IO.File]::Move($source, $destination)
        return $true
    } catch {
        return $false
    }
}

function Remove-EmptyMirrorFolder {
    # Folders emptied by a restore go; longest paths first, so that a chain of
    # nested empty folders vanishes in one pass. Directory.Delete refuses a folder
    # that still holds anything, hidden entries included.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$RecycleDir
    )
    $folders = New-Object 'System.Collections.Generic.List[string]'
    try {
        $root = ConvertTo-LongPath -Path $RecycleDir
        foreach ($path in [System.IO.Directory]::EnumerateDirectories($root, '*', [System.IO.SearchOption]::AllDirectories)) { $folders.Add($path) }
    } catch {
        $null = $_
    }
    $longestFirst = [System.Comparison[string]] { param($a, $b) $b.Length.CompareTo($a.Length) }
    $folders.Sort($longestFirst)
    foreach ($path in $folders) {
        try { [System.IO.Directory]::Delete($path, $false) } catch { $null = $_ }
    }
}

function Restore-SweptFile {
    # Moves the given entries (anything with Name and OriginalFolder) back out of
    # the bin, tidies the emptied mirror folders and returns how many came back.
    [CmdletBinding()]
    [OutputType([int])]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][object[]]$Entry,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [string]$LogFile = '',
        [ValidateRange(0, 600000)][int]$LockTimeoutMilliseconds = $script:LockTimeoutMilliseconds
    )
    if ($LogFile.Length -eq 0) { $LogFile = [System.IO.Path]::Combine($RecycleDir, $script:SweepLogName) }
    $count = 0
    foreach ($item in $Entry) {
        if ($null -eq $item) { continue }
        $restored = Restore-SweptFileItem -Name ([string]$item.Name) -OriginalFolder ([string]$item.OriginalFolder) -RecycleDir $RecycleDir -LogFile $LogFile -LockTimeoutMilliseconds $LockTimeoutMilliseconds
        if ($restored) { $count++ }
    }
    Remove-EmptyMirrorFolder -RecycleDir $RecycleDir
    return $count
}

# --- grid -------------------------------------------------------------------

function Get-RestoreCaption {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Version
    )
    return 'Vantor Restore - v' + $Version
}

function Get-RestoreWindowTitle {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Version,
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Days
    )
    return (Get-RestoreCaption -Version $Version) + '      |      ACTION : Select items to restore, then click OK.      |      TIP : The filter bar is active.      |      NOTE : Files cannot be recovered after ' + $Days + ' days.'
}

function ConvertTo-RestoreRow {
    # The grid's rows: four columns, each padded on the right.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][object[]]$Entry
    )
    $rows = New-Object 'System.Collections.Generic.List[object]'
    foreach ($item in $Entry) {
        $when = [string]$item.DateTime
        if ($when -match '^(.*):[0-9]{2}$') { $when = $Matches[1] }
        $kind = ([string]$item.SizeText).Replace('(', '').Replace(')', '')
        if (([string]$item.SizeText).Contains('[Clutter]')) { $kind = 'Clutter' }
        $rows.Add([pscustomobject][ordered]@{
                'Date / Time'   = $when.PadRight(26)
                'Type/Size'     = $kind.PadRight(17)
                'File Name'     = ([string]$item.Name).PadRight(60)
                'Original Path' = ([string]$item.OriginalFolder).PadRight(120)
            })
    }
    return , $rows.ToArray()
}

function ConvertFrom-RestoreRow {
    # Back from chosen grid rows to what Restore-SweptFile needs.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][object[]]$Row
    )
    $entries = New-Object 'System.Collections.Generic.List[object]'
    foreach ($item in $Row) {
        if ($null -eq $item) { continue }
        $entries.Add([pscustomobject]@{
                Name           = ([string]$item.'File Name').Trim($script:Blanks)
                OriginalFolder = ([string]$item.'Original Path').Trim($script:Blanks)
            })
    }
    return , $entries.ToArray()
}

function Invoke-RestoreWindow {
    # The whole restore with its windows passed in, so it runs without a desktop:
    # SelectRow gets (rows, title) and returns the rows chosen; ShowMessage gets
    # (text, caption, icon). Returns the exit code.
    [CmdletBinding()]
    [OutputType([int])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Version,
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Days,
        [Parameter(Mandatory = $true)][scriptblock]$SelectRow,
        [Parameter(Mandatory = $true)][scriptblock]$ShowMessage
    )
    $caption = Get-RestoreCaption -Version $Version
    $all = Read-SweepLogEntry -LogFile $LogFile -RecycleDir $RecycleDir
    if ($all.Count -eq 0) {
        $null = & $ShowMessage 'Log is empty or formatted incorrectly.' $caption 'Warning'
        return 0
    }
    $entries = Select-RestorableEntry -Entry $all
    if ($entries.Count -eq 0) {
        $null = & $ShowMessage 'No recoverable files found in the bin. Older files may have aged out.' $caption 'Information'
        return 0
    }
    $rows = ConvertTo-RestoreRow -Entry $entries
    $chosen = @(& $SelectRow $rows (Get-RestoreWindowTitle -Version $Version -Days $Days) | Where-Object { $null -ne $_ })
    if ($chosen.Count -eq 0) { return 0 }
    $count = Restore-SweptFile -Entry (ConvertFrom-RestoreRow -Row $chosen) -RecycleDir $RecycleDir -LogFile $LogFile
    return $script:RestoreExitBase + $count
}

# --- windows ----------------------------------------------------------------

function Initialize-WindowsForm {
    [CmdletBinding()]
    [OutputType([bool])]
    param()
    try {
        Add-Type -AssemblyName System.Windows.Forms -ErrorAction Stop
        return $true
    } catch {
        return $false
    }
}

function Show-RestoreMessage {
    # A message box on the default desktop; without Windows Forms (a test run on
    # Linux) the caption and text go to the console instead.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][string]$Text,
        [Parameter(Mandatory = $true)][string]$Caption,
        [Parameter(Mandatory = $true)][ValidateSet('Warning', 'Information')][string]$Icon
    )
    if (-not $script:WindowsFormsLoaded) {
        Write-Host ($Caption + ': ' + $Text)
        return
    }
    $null = [System.Windows.Forms.MessageBox]::Show($Text, $Caption, [System.Windows.Forms.MessageBoxButtons]::OK, [System.Windows.Forms.MessageBoxIcon]$Icon, [System.Windows.Forms.MessageBoxDefaultButton]::Button1, [System.Windows.Forms.MessageBoxOptions]::DefaultDesktopOnly)
}

function Show-RestoreGrid {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][object[]]$Row,
        [Parameter(Mandatory = $true)][string]$Title
    )
    if ($null -eq (Get-Command -Name Out-GridView -ErrorAction SilentlyContinue)) {
        Write-Host 'The restore list needs Out-GridView, which this PowerShell does not have.'
        return
    }
    $Row | Out-GridView -Title $Title -PassThru
}

function ConvertFrom-VantorText([string]$Encoded) { [System.Text.Encoding]::UTF8.GetString([System.Convert]::FromBase64String($Encoded)) }

# --- entry ------------------------------------------------------------------
# Tests set $VantorNoWindow and dot-source this file to get the functions only.
if (Get-Variable -Name VantorNoWindow -ValueOnly -ErrorAction SilentlyContinue) { return }

$script:WindowsFormsLoaded = Initialize-WindowsForm
$vantorExitCode = 0
try { $vantorExitCode = Invoke-RestoreWindow -RecycleDir (ConvertFrom-VantorText '%RECYCLE_DIR%') -LogFile (ConvertFrom-VantorText '%LOG_FILE%') -Version (ConvertFrom-VantorText '%VERSION%') -Days (ConvertFrom-VantorText '%DAYS%') -SelectRow ${function:Show-RestoreGrid} -ShowMessage ${function:Show-RestoreMessage} } catch { Write-Host ('Restore failed: ' + $_.Exception.Message) }
exit $vantorExitCode
