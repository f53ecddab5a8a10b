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
Start-CompileProfile -Name 'RestoreWindow'

$script:RestoreExitBase = 100
# Below the base, so the program shows no count for it.
$script:RestoreFailedExit = 1
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

function Test-PlainFileName {
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory)][AllowEmptyString()][string]$Name
    )
    if ($Name.Length -eq 0 -or $Name -eq '.' -or $Name -eq '..') { return $false }
    $separators = [char[]]@([System.IO.Path]::DirectorySeparatorChar, [System.IO.Path]::AltDirectorySeparatorChar)
    return $Name.IndexOfAny($separators) -lt 0
}

function Get-BinLocation {
    # Where the sweep put the file Name that stood in Folder; $null when the log
    # names something that cannot be a file of the bin.
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Folder,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Name
    )
    if (-not (Test-PlainFileName -Name $Name)) { return $null }
    $parts = Get-MirrorFolderPart -Folder $Folder
    if ($null -eq $parts -or $parts.Count -eq 0) { return $null }
    $all = [System.Collections.Generic.List[string]]::new()
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
        [Parameter(Mandatory)][AllowEmptyString()][string]$Folder,
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

function Format-SweepLogFileLine {
    # The restore writes sizes with "." whatever the regional format says.
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][datetime]$Time,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Name,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Folder,
        [Parameter(Mandatory)][long]$Bytes
    )
    $size = (ConvertTo-SizeText -Bytes @($Bytes) -Culture ([System.Globalization.CultureInfo]::InvariantCulture))[0]
    $stamp = Format-HistoryTimestamp -Now $Time
    return (Format-SweptFileLine -Timestamp $stamp -Name @($Name) -Folder $Folder -SizeText @($size))[0]
}

function Read-SweepLogLine {
    # All lines of the log as UTF-8; none when there is no log. Opened with full
    # sharing so that a sweep replacing the log at this moment is not refused.
    # A log that exists but cannot be read throws: it is not an empty one.
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile
    )
    if (-not [System.IO.File]::Exists($LogFile)) { return }
    $share = [System.IO.FileShare]::ReadWrite -bor [System.IO.FileShare]::Delete
    $stream = [System.IO.FileStream]::new($LogFile, [System.IO.FileMode]::Open, [System.IO.FileAccess]::Read, $share)
    try {
        $reader = [System.IO.StreamReader]::new($stream, [System.Text.UTF8Encoding]::new($false), $true)
        for ($line = $reader.ReadLine(); $null -ne $line; $line = $reader.ReadLine()) { $line }
    } finally {
        $stream.Dispose()
    }
}

function Add-SweepLogLine {
    # Puts one line on top of the history log under the writers' lock. Throws
    # when the lock or the log cannot be had; the log is then left as it was.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Line,
        [ValidateRange(0, 600000)][int]$LockTimeoutMilliseconds = $script:LockTimeoutMilliseconds
    )
    $lock = Enter-HistoryLock -LogFile $LogFile -TimeoutMilliseconds $LockTimeoutMilliseconds
    if ($null -eq $lock) { throw [System.IO.IOException]::new('The history log is locked by another program.') }
    try {
        # A log that cannot be read throws here instead of being rewritten from nothing.
        $lines = [System.Collections.Generic.List[string]]::new()
        $lines.Add($Line)
        $lines.AddRange((Read-HistoryFile -LogFile $LogFile))
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
        [Parameter(Mandatory)][AllowEmptyString()][string]$Line,
        [Parameter(Mandatory)][int]$LineNumber,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir
    )
    $match = [regex]::Match($Line, $script:FileLinePattern)
    if (-not $match.Success) { return $null }
    $name = $match.Groups[2].Value.Trim($script:Blanks)
    $folder = $match.Groups[3].Value.Trim($script:Blanks)
    if ($name.Length -eq 0 -or $folder.Length -eq 0) { return $null }
    $binPath = Get-BinLocation -RecycleDir $RecycleDir -Folder $folder -Name $name
    $status = 'Absent'
    $there = $null -ne $binPath -and [System.IO.File]::Exists((ConvertTo-LongPath -Path $binPath))
    if ($there) { $status = 'Available' }
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
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir
    )
    $number = 0
    foreach ($line in (Read-SweepLogLine -LogFile $LogFile)) {
        $entry = ConvertFrom-SweepLogLine -Line $line -LineNumber $number -RecycleDir $RecycleDir
        if ($null -ne $entry) { $entry }
        $number++
    }
}

function Select-RestorableEntry {
    # The newest entry of each file in each folder wins, and only then are the
    # absent ones dropped: when the newest copy is gone, older copies of the same
    # file are not offered. Files of one name from two folders are both offered.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][object[]]$Entry
    )
    $seen = [System.Collections.Generic.HashSet[string]]::new([System.StringComparer]::OrdinalIgnoreCase)
    foreach ($item in @($Entry | Sort-Object -Property LineNumber)) {
        if (-not $seen.Add($item.Name + [char]0 + $item.OriginalFolder)) { continue }
        if ($item.Status -ne 'Available') { continue }
        [pscustomobject]@{
            DateTime       = $item.DateTime
            Name           = $item.Name
            OriginalFolder = $item.OriginalFolder
            SizeText       = $item.SizeText
            BinPath        = $item.BinPath
        }
    }
}

function Get-RestoreEntry {
    # The entries the grid offers, in its order, with DateTime, Name,
    # OriginalFolder, SizeText and BinPath.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir
    )
    Select-RestorableEntry -Entry @(Read-SweepLogEntry -LogFile $LogFile -RecycleDir $RecycleDir)
}

# --- restore ----------------------------------------------------------------

function Undo-FileMove {
    # Best effort: puts a file back where it was after a later step failed.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][string]$From,
        [Parameter(Mandatory)][string]$To
    )
    try {
        $null = Move-FileSafely -Source $From -Destination $To
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        # The file stays whole where it is; a move cut short is settled from the
        # journal, and the step that failed first is the one that counts.
        Write-Verbose ('Could not put back ' + $From + ': ' + $_.Exception.Message)
    }
}

function Get-RestorePlan {
    # Where one chosen entry goes: its bin copy, its destination, a token naming
    # the files the move may leave on the way, and the log line the file now at
    # the destination gets when it has to step into the bin. $null when the entry
    # cannot be restored.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][AllowEmptyString()][string]$Name,
        [Parameter(Mandatory)][AllowEmptyString()][string]$OriginalFolder,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory)][datetime]$Now
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
        } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
            # A file in the way that cannot even be measured cannot step aside either.
            return $null
        }
        $line = Format-SweepLogFileLine -Time $Now -Name $name -Folder $folder -Bytes $bytes
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
    # turn), then the swept copy goes to the destination. A step the file system
    # refuses puts all back and counts the file as not restored; a crash half way
    # is finished or rolled back from the journal.
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory)][psobject]$Plan,
        [Parameter(Mandatory)][string]$LogFile,
        [int]$LockTimeoutMilliseconds = $script:LockTimeoutMilliseconds
    )
    $source = $Plan.Source
    $destination = $Plan.Destination
    $staging = $source + '.' + $Plan.Token + '.restoring'
    try {
        [System.IO.File]::Move($source, $staging)
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        return $false
    }
    try {
        $null = Move-FileSafely -Source $destination -Destination $source -Token $Plan.Token
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        Undo-FileMove -From $staging -To $source
        return $false
    }
    try {
        Add-SweepLogLine -LogFile $LogFile -Line $Plan.Line -LockTimeoutMilliseconds $LockTimeoutMilliseconds
        $null = Move-FileSafely -Source $staging -Destination $destination -Token $Plan.Token
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        # An unlogged file in the bin could never be restored: undo instead.
        Undo-FileMove -From $source -To $destination
        Undo-FileMove -From $staging -To $source
        return $false
    }
    # Like a swept file, the displaced one is kept for the full retention period.
    try {
        [System.IO.File]::SetLastWriteTime($source, $Plan.Now)
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        # Restored all the same; the displaced file merely ages out of the bin sooner.
        Write-Verbose ('Could not stamp ' + $source + ': ' + $_.Exception.Message)
    }
    return $true
}

function Restore-PlannedFile {
    # Moves one file back; $true when it now stands at its original place, $false
    # when the file system refused (the file then stays in the bin).
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory)][psobject]$Plan,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [int]$LockTimeoutMilliseconds = $script:LockTimeoutMilliseconds
    )
    try {
        $null = [System.IO.Directory]::CreateDirectory($Plan.Folder)
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
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
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        return $false
    }
}

function Remove-EmptyMirrorFolder {
    # Folders emptied by a restore go; longest paths first, so that a chain of
    # nested empty folders vanishes in one pass. Directory.Delete refuses a folder
    # that still holds anything, hidden entries included.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir
    )
    $folders = [System.Collections.Generic.List[string]]::new()
    $all = [System.IO.SearchOption]::AllDirectories
    try {
        $root = ConvertTo-LongPath -Path $RecycleDir
        $folders.AddRange([System.IO.Directory]::EnumerateDirectories($root, '*', $all))
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        # Tidying is a courtesy: the files are back, the next sweep tidies again.
        Write-Verbose ('Mirror folders left as they are: ' + $_.Exception.Message)
    }
    $longestFirst = [System.Comparison[string]] { param($a, $b) $b.Length.CompareTo($a.Length) }
    $folders.Sort($longestFirst)
    foreach ($path in $folders) {
        try {
            [System.IO.Directory]::Delete($path, $false)
        } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
            # Not empty (or held): it stays, which is what a folder with files needs.
            Write-Verbose ('Kept ' + $path + ': ' + $_.Exception.Message)
        }
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
        [Parameter(Mandatory)][AllowEmptyCollection()][object[]]$Entry,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [string]$LogFile = '',
        [ValidateRange(0, 600000)][int]$LockTimeoutMilliseconds = $script:LockTimeoutMilliseconds
    )
    if ($LogFile.Length -eq 0) { $LogFile = [System.IO.Path]::Combine($RecycleDir, $script:SweepLogName) }
    $count = 0
    $now = Get-Date
    $plans = [System.Collections.Generic.List[object]]::new()
    foreach ($item in $Entry) {
        if ($null -eq $item) { continue }
        $folder = [string]$item.OriginalFolder
        $plan = Get-RestorePlan -Name ([string]$item.Name) -OriginalFolder $folder -RecycleDir $RecycleDir -Now $now
        if ($null -ne $plan) { $plans.Add($plan) }
    }
    $journal = $null
    $moving = $false
    try {
        if ($plans.Count -gt 0) { $journal = Open-Journal -LogFile $LogFile }
        for ($first = 0; $first -lt $plans.Count; $first += $script:JournalBatch) {
            $batch = $plans.GetRange($first, [System.Math]::Min($script:JournalBatch, $plans.Count - $first))
            $records = [System.Collections.Generic.List[string]]::new()
            foreach ($plan in $batch) {
                $records.Add("R`t" + $plan.Token + "`t" + $plan.Source + "`t" + $plan.Destination + "`t" + $plan.Line)
            }
            # Moves the journal could not name are not made: that failure ends the restore.
            Add-JournalRecord -Journal $journal -Record $records.ToArray()
            $moving = $true
            $wait = $LockTimeoutMilliseconds
            foreach ($plan in $batch) {
                if (Restore-PlannedFile -Plan $plan -LogFile $LogFile -LockTimeoutMilliseconds $wait) { $count++ }
            }
            $moving = $false
        }
    } finally {
        # Every finished batch ended whole (or was put back), so its records have
        # done their job; a batch a surprise cut short stays for the next run.
        Close-Journal -Journal $journal -Delete:(-not $moving)
    }
    Remove-EmptyMirrorFolder -RecycleDir $RecycleDir
    return $count
}

# --- grid -------------------------------------------------------------------

function Get-RestoreCaption {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][AllowEmptyString()][string]$Version
    )
    return 'Vantor Restore - v' + $Version
}

function Get-RestoreWindowTitle {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][AllowEmptyString()][string]$Version,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Days
    )
    $gap = '      |      '
    return (Get-RestoreCaption -Version $Version) + $gap + 'ACTION : Select items to restore, then click OK.' + $gap +
    'TIP : The filter bar is active.' + $gap + 'NOTE : Files cannot be recovered after ' + $Days + ' days.'
}

function ConvertTo-RestoreRow {
    # The grid's rows: four columns, each padded on the right.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][object[]]$Entry
    )
    foreach ($item in $Entry) {
        $when = [string]$item.DateTime
        if ($when -match '^(.*):[0-9]{2}$') { $when = $Matches[1] }
        $kind = ([string]$item.SizeText).Replace('(', '').Replace(')', '')
        if (([string]$item.SizeText).Contains('[Clutter]')) { $kind = 'Clutter' }
        [pscustomobject][ordered]@{
            'Date / Time'   = $when.PadRight(26)
            'Type/Size'     = $kind.PadRight(17)
            'File Name'     = ([string]$item.Name).PadRight(60)
            'Original Path' = ([string]$item.OriginalFolder).PadRight(120)
        }
    }
}

function ConvertFrom-RestoreRow {
    # Back from chosen grid rows to what Restore-SweptFile needs.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][object[]]$Row
    )
    foreach ($item in $Row) {
        if ($null -eq $item) { continue }
        [pscustomobject]@{
            Name           = ([string]$item.'File Name').Trim($script:Blanks)
            OriginalFolder = ([string]$item.'Original Path').Trim($script:Blanks)
        }
    }
}

function Invoke-RestoreWindow {
    # The whole restore with its windows passed in, so it runs without a desktop:
    # SelectRow gets (rows, title) and returns the rows chosen; ShowMessage gets
    # (text, caption, icon). Returns the exit code.
    [CmdletBinding()]
    [OutputType([int])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$LogFile,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$RecycleDir,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Version,
        [Parameter(Mandatory)][AllowEmptyString()][string]$Days,
        [Parameter(Mandatory)][scriptblock]$SelectRow,
        [Parameter(Mandatory)][scriptblock]$ShowMessage
    )
    $caption = Get-RestoreCaption -Version $Version
    # Moves of a sweep or a restore that died are settled before the list is read.
    $null = Invoke-HistoryFold -LogFile $LogFile -TimeoutMilliseconds $script:LockTimeoutMilliseconds
    $all = @(Read-SweepLogEntry -LogFile $LogFile -RecycleDir $RecycleDir)
    if ($all.Count -eq 0) {
        $null = & $ShowMessage 'Log is empty or formatted incorrectly.' $caption 'Warning'
        return 0
    }
    $entries = @(Select-RestorableEntry -Entry $all)
    if ($entries.Count -eq 0) {
        $text = 'No recoverable files found in the bin. Older files may have aged out.'
        $null = & $ShowMessage $text $caption 'Information'
        return 0
    }
    # The grid takes the rows as one list.
    $rows = @(ConvertTo-RestoreRow -Entry $entries)
    $title = Get-RestoreWindowTitle -Version $Version -Days $Days
    $chosen = @(& $SelectRow $rows $title | Where-Object { $null -ne $_ })
    if ($chosen.Count -eq 0) { return 0 }
    $chosenEntries = @(ConvertFrom-RestoreRow -Row $chosen)
    $count = Restore-SweptFile -Entry $chosenEntries -RecycleDir $RecycleDir -LogFile $LogFile
    return $script:RestoreExitBase + $count
}

# --- windows ----------------------------------------------------------------

function Initialize-WindowsForm {
    # PowerShell off Windows has no Windows Forms: messages then go to the console.
    [CmdletBinding()]
    [OutputType([bool])]
    param()
    Add-Type -AssemblyName System.Windows.Forms -ErrorAction SilentlyContinue
    return $null -ne ('System.Windows.Forms.MessageBox' -as [type])
}

function Show-RestoreMessage {
    # A message box on the default desktop; without Windows Forms (a test run on
    # Linux) the caption and text go to the console instead.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][string]$Text,
        [Parameter(Mandatory)][string]$Caption,
        [Parameter(Mandatory)][ValidateSet('Warning', 'Information', 'Error')][string]$Icon
    )
    if (-not $script:WindowsFormsLoaded) {
        Write-Host ($Caption + ': ' + $Text)
        return
    }
    $buttons = [System.Windows.Forms.MessageBoxButtons]::OK
    $first = [System.Windows.Forms.MessageBoxDefaultButton]::Button1
    $desktop = [System.Windows.Forms.MessageBoxOptions]::DefaultDesktopOnly
    $symbol = [System.Windows.Forms.MessageBoxIcon]$Icon
    $null = [System.Windows.Forms.MessageBox]::Show($Text, $Caption, $buttons, $symbol, $first, $desktop)
}

function Show-RestoreGrid {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][object[]]$Row,
        [Parameter(Mandatory)][string]$Title
    )
    if ($null -eq (Get-Command -Name Out-GridView -ErrorAction SilentlyContinue)) {
        Write-Host 'The restore list needs Out-GridView, which this PowerShell does not have.'
        return
    }
    $Row | Out-GridView -Title $Title -PassThru
}

function Invoke-RestoreEntry {
    # The restore as the program runs it: its exit code, or RestoreFailedExit with
    # the reason on the error stream and in a message when anything went wrong.
    [CmdletBinding()]
    [OutputType([int])]
    param([Parameter(Mandatory)][hashtable]$Argument)
    try {
        return Invoke-RestoreWindow @Argument
    } catch {
        $reason = 'Restore failed: ' + (Get-ReasonText -ErrorRecord $_)
        [Console]::Error.WriteLine($reason)
        Show-RestoreMessage -Text $reason -Caption (Get-RestoreCaption -Version $Argument.Version) -Icon Error
        return $script:RestoreFailedExit
    }
}

function Write-RestoreResult {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path,
        [Parameter(Mandatory)][int]$ExitCode
    )
    try {
        [System.IO.File]::WriteAllText($Path, [string]$ExitCode)
    } catch [System.IO.IOException], [System.UnauthorizedAccessException] {
        # The program falls back to the exit code, which holds the same number.
        [Console]::Error.WriteLine('The result file could not be written: ' + $_.Exception.Message)
    }
}

# --- entry ------------------------------------------------------------------
# Tests set $VantorNoWindow and dot-source this file to get the functions only.
if (Get-Variable -Name VantorNoWindow -ValueOnly -ErrorAction SilentlyContinue) { return }

$script:WindowsFormsLoaded = Initialize-WindowsForm
$vantorArguments = @{
    RecycleDir  = ConvertFrom-VantorText '%RECYCLE_DIR%'
    LogFile     = ConvertFrom-VantorText '%LOG_FILE%'
    Version     = ConvertFrom-VantorText '%VERSION%'
    Days        = ConvertFrom-VantorText '%DAYS%'
    SelectRow   = ${function:Show-RestoreGrid}
    ShowMessage = ${function:Show-RestoreMessage}
}

$vantorExitCode = Invoke-RestoreEntry -Argument $vantorArguments
# The program reads the outcome from this file too: on Linux an exit code wraps at 256.
Write-RestoreResult -Path (ConvertFrom-VantorText '%RESULT_FILE%') -ExitCode $vantorExitCode
exit $vantorExitCode
