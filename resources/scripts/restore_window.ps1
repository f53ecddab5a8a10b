# Vantor restore window.
# Lists the files of the sweep bin that the history log still knows about, lets the
# user pick some in a grid and moves them back to their folders. The outcome is the
# process exit code: 100 plus the number of files restored, or 0 when there was
# nothing to show or nothing was chosen.
# The program feeds this script through standard input, which PowerShell runs one
# complete statement at a time: "} else {", "} catch {" and "} finally {" stay on
# one line, or the keyword would arrive as a statement of its own.
# Runs on Windows PowerShell 5.1 and PowerShell 7. The build puts prelude.ps1 in
# front of this file.

Set-StrictMode -Version 3.0

$script:RestoreExitBase = 100
$script:SweepLogName = 'Vantor_Sweep.log'
# Timestamp, then three "|"-separated columns; the last one runs to the end of the line.
# Event lines have one column fewer and so never match.
$script:FileLinePattern = '^([0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2})\s*\|\s*([^|]*)\|([^|]*)\|(.*)$'
$script:Blanks = [char[]]@(' ', "`t", "`r", "`n")
$script:LockTimeoutMilliseconds = 5000
# Restores named per journal flush.
$script:JournalBatch = 256
# Set by the entry layer; without it messages go to the console.
$script:WindowsFormsLoaded = $false

# --- paths ------------------------------------------------------------------

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
    # Drive and UNC paths split at either separator; other paths only at the
    # system's, since "\" is an ordinary character of a Linux name.
    $separators = [char[]]@('\', '/')
    if ($parts.Count -eq 0) { $separators = [char[]]@([System.IO.Path]::DirectorySeparatorChar, [System.IO.Path]::AltDirectorySeparatorChar) }
    foreach ($piece in $rest.Split($separators, [System.StringSplitOptions]::RemoveEmptyEntries)) {
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
    return $Name.IndexOfAny([char[]]@([System.IO.Path]::DirectorySeparatorChar, [System.IO.Path]::AltDirectorySeparatorChar)) -lt 0
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
    # read-modify-write, so two writers never lose each other's lines. Throws
    # when it stays busy.
    [CmdletBinding()]
    [OutputType([System.IO.FileStream])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$LogFile,
        [ValidateRange(0, 600000)][int]$TimeoutMilliseconds = $script:LockTimeoutMilliseconds
    )
    $lock = Enter-HistoryLock -LogFile $LogFile -TimeoutMilliseconds $TimeoutMilliseconds
    if ($null -eq $lock) { throw [System.IO.IOException]::new('The history log is locked by another program.') }
    return $lock
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
        Write-HistoryFile -LogFile $LogFile -Line $lines.ToArray()
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
    # The newest entry of each file in each folder wins, and only then are the
    # absent ones dropped: when the newest copy is gone, older copies of the same
    # file are not offered. Files of one name from two folders are both offered.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][object[]]$Entry
    )
    $seen = New-Object 'System.Collections.Generic.HashSet[string]' -ArgumentList ([System.StringComparer]::OrdinalIgnoreCase)
    $chosen = New-Object 'System.Collections.Generic.List[object]'
    foreach ($item in @($Entry | Sort-Object -Property LineNumber)) {
        if (-not $seen.Add($item.Name + [char]0 + $item.OriginalFolder)) { continue }
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
    try { $null = Move-FileSafely -Source $From -Destination $To } catch { $null = $_ }
}

function Get-RestorePlan {
    # Where one chosen entry goes: its bin copy, its destination, a token naming
    # the files the move may leave on the way, and the log line the file now at
    # the destination gets when it has to step into the bin. $null when the entry
    # cannot be restored.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$Name,
        [Parameter(Mandatory = $true)][AllowEmptyString()][string]$OriginalFolder,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory = $true)][datetime]$Now
    )
    $name = $Name.Trim($script:Blanks)
    $folder = $OriginalFolder.Trim($script:Blanks)
    if (-not (Test-RestoreFolder -Folder $folder)) { return $null }
    $binPath = Get-BinLocation -RecycleDir $RecycleDir -Folder $folder -Name $name
    if ($null -eq $binPath) { return $null }
    $source = ConvertTo-LongPath -Path $binPath
    # Purged meanwhile: nothing to bring back, and no folder to create for it.
    if (-not [System.IO.File]::Exists($source)) { return $null }
    $destination = ConvertTo-LongPath -Path ([System.IO.Path]::Combine($folder, $name))
    $line = ''
    if ([System.IO.File]::Exists($destination)) {
        try {
            $bytes = [System.IO.FileInfo]::new($destination).Length
            $line = Format-SweepLogFileLine -Time $Now -Name $name -Folder $folder -Bytes $bytes
        } catch {
            return $null
        }
    }
    return [pscustomobject]@{
        Token       = [guid]::NewGuid().ToString('N')
        Source      = $source
        Destination = $destination
        Folder      = ConvertTo-LongPath -Path $folder
        Line        = $line
        Now         = $Now
    }
}

function Switch-DisplacedFile {
    # Restores over a file that now stands at the destination without losing
    # either: the swept copy steps aside within the bin, the file in the way takes
    # its place in the bin with a log line of its own (so it can be restored in
    # turn), then the swept copy goes to the destination. Any failure puts all
    # back; a crash half way is finished or rolled back from the journal.
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory = $true)][psobject]$Plan,
        [Parameter(Mandatory = $true)][string]$LogFile,
        [int]$LockTimeoutMilliseconds = $script:LockTimeoutMilliseconds
    )
    $source = $Plan.Source
    $destination = $Plan.Destination
    $staging = $source + '.' + $Plan.Token + '.restoring'
    try {
        [System.IO.File]::Move($source, $staging)
    } catch {
        return $false
    }
    try {
        $null = Move-FileSafely -Source $destination -Destination $source -Token $Plan.Token
    } catch {
        Undo-FileMove -From $staging -To $source
        return $false
    }
    try {
        Add-SweepLogLine -LogFile $LogFile -Line $Plan.Line -LockTimeoutMilliseconds $LockTimeoutMilliseconds
        $null = Move-FileSafely -Source $staging -Destination $destination -Token $Plan.Token
    } catch {
        # An unlogged file in the bin could never be restored: undo instead.
        Undo-FileMove -From $source -To $destination
        Undo-FileMove -From $staging -To $source
        return $false
    }
    # Like a swept file, the displaced one is kept for the full retention period.
    try { [System.IO.File]::SetLastWriteTime($source, $Plan.Now) } catch { $null = $_ }
    return $true
}

function Restore-PlannedFile {
    # Moves one file back; $true when it now stands at its original place.
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory = $true)][psobject]$Plan,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$LogFile,
        [int]$LockTimeoutMilliseconds = $script:LockTimeoutMilliseconds
    )
    try {
        if (-not [System.IO.Directory]::Exists($Plan.Folder)) { $null = [System.IO.Directory]::CreateDirectory($Plan.Folder) }
    } catch {
        return $false
    }
    if ([System.IO.Directory]::Exists($Plan.Destination)) { return $false }
    if ([System.IO.File]::Exists($Plan.Destination)) {
        if ($Plan.Line.Length -eq 0) { return $false }
        return Switch-DisplacedFile -Plan $Plan -LogFile $LogFile -LockTimeoutMilliseconds $LockTimeoutMilliseconds
    }
    try {
        # Across volumes a copy is checked before the bin copy goes; a failed
        # copy leaves nothing at the destination.
        $null = Move-FileSafely -Source $Plan.Source -Destination $Plan.Destination -Token $Plan.Token
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
    # Each batch of moves is named in a journal first, so a crash half way leaves
    # work the next run finishes or rolls back.
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
    $now = Get-Date
    $plans = New-Object 'System.Collections.Generic.List[object]'
    foreach ($item in $Entry) {
        if ($null -eq $item) { continue }
        $plan = Get-RestorePlan -Name ([string]$item.Name) -OriginalFolder ([string]$item.OriginalFolder) -RecycleDir $RecycleDir -Now $now
        if ($null -ne $plan) { $plans.Add($plan) }
    }
    $journal = $null
    try {
        if ($plans.Count -gt 0) { $journal = Open-Journal -LogFile $LogFile }
        for ($first = 0; $first -lt $plans.Count; $first += $script:JournalBatch) {
            $batch = $plans.GetRange($first, [System.Math]::Min($script:JournalBatch, $plans.Count - $first))
            $records = New-Object 'System.Collections.Generic.List[string]'
            foreach ($plan in $batch) { $records.Add("R`t" + $plan.Token + "`t" + $plan.Source + "`t" + $plan.Destination + "`t" + $plan.Line) }
            # Moves the journal could not name are not made.
            Add-JournalRecord -Journal $journal -Record $records.ToArray()
            foreach ($plan in $batch) {
                if (Restore-PlannedFile -Plan $plan -LogFile $LogFile -LockTimeoutMilliseconds $LockTimeoutMilliseconds) { $count++ }
            }
        }
    } catch {
        $null = $_
    } finally {
        # Every move above ended whole (or was put back), so the journal has done its job.
        Close-Journal -Journal $journal -Delete
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
    # Moves of a sweep or a restore that died are settled before the list is read.
    $null = Invoke-HistoryFold -LogFile $LogFile -TimeoutMilliseconds $script:LockTimeoutMilliseconds
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

# --- entry ------------------------------------------------------------------
# Tests set $VantorNoWindow and dot-source this file to get the functions only.
if (Get-Variable -Name VantorNoWindow -ValueOnly -ErrorAction SilentlyContinue) { return }

$script:WindowsFormsLoaded = Initialize-WindowsForm
$vantorExitCode = 0
try { $vantorExitCode = Invoke-RestoreWindow -RecycleDir (ConvertFrom-VantorText '%RECYCLE_DIR%') -LogFile (ConvertFrom-VantorText '%LOG_FILE%') -Version (ConvertFrom-VantorText '%VERSION%') -Days (ConvertFrom-VantorText '%DAYS%') -SelectRow ${function:Show-RestoreGrid} -ShowMessage ${function:Show-RestoreMessage} } catch { Write-Host ('Restore failed: ' + $_.Exception.Message) }
# The program reads the outcome from this file too: on Linux an exit code wraps at 256.
try { [System.IO.File]::WriteAllText((ConvertFrom-VantorText '%RESULT_FILE%'), [string]$vantorExitCode) } catch { }
exit $vantorExitCode
