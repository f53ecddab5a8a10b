#Requires -Modules Pester
# Pester tests for the restore window, on real temporary folders with hand-made
# history logs. The grid and the message boxes are replaced by script blocks that
# play the user.

BeforeAll {
    # The scripts as the program embeds them: the shared prelude, then the template.
    foreach ($name in 'restore_window.ps1', 'sweep_engine.ps1') {
        if (-not (Test-Path -LiteralPath (Join-Path $PSScriptRoot $name))) { continue }
        $parts = foreach ($part in 'prelude.ps1', $name) { [System.IO.File]::ReadAllText((Join-Path $PSScriptRoot $part)) }
        [System.IO.File]::WriteAllText((Join-Path $TestDrive $name), -join $parts)
    }
    $script:TemplatePath = Join-Path $TestDrive 'restore_window.ps1'
    $VantorNoWindow = $true
    . $script:TemplatePath

    $script:Utf8 = New-Object System.Text.UTF8Encoding -ArgumentList $false
    $script:Stamp = '2024-05-03 14:25:36'
    $script:Placeholders = @('%RECYCLE_DIR%', '%LOG_FILE%', '%VERSION%', '%DAYS%', '%RESULT_FILE%')

    # A fresh anchor with an empty bin; names with quotes and a subexpression
    # prove that paths are data all the way through.
    function New-Workplace([string]$Label = 'ws') {
        $root = [System.IO.Path]::Combine($TestDrive, $Label + '_' + [guid]::NewGuid().ToString('N').Substring(0, 8), "Bob's parts $([char]0x2019)`$(Remove-Item x)")
        $bin = [System.IO.Path]::Combine($root, 'Vantor_Sweep')
        $null = [System.IO.Directory]::CreateDirectory($bin)
        return [pscustomobject]@{
            Root = $root
            Bin  = $bin
            Log  = [System.IO.Path]::Combine($bin, 'Vantor_Sweep.log')
        }
    }

    function New-Folder([string]$Parent, [string[]]$Name) {
        $path = [System.IO.Path]::Combine([string[]](@($Parent) + $Name))
        $null = [System.IO.Directory]::CreateDirectory($path)
        return $path
    }

    # Where the sweep puts a file, worked out here independently of the script.
    function Get-ExpectedBinPath([string]$Bin, [string]$Folder, [string]$Name) {
        if ($Folder -match '^([A-Za-z]):\\(.*)$') {
            $parts = @('Vantor_Drive_' + $Matches[1]) + $Matches[2].Split('\')
        } elseif ($Folder -match '^\\\\([^\\]+)\\(.*)$') {
            $parts = @('Vantor_UNC_Server', $Matches[1]) + $Matches[2].Split('\')
        } else {
            $parts = $Folder.Split([char[]]@('/', '\'), [System.StringSplitOptions]::RemoveEmptyEntries)
        }
        return [System.IO.Path]::Combine([string[]](@($Bin) + $parts + @($Name)))
    }

    function Add-BinFile([string]$Bin, [string]$Folder, [string]$Name, [string]$Content) {
        $path = Get-ExpectedBinPath -Bin $Bin -Folder $Folder -Name $Name
        $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::GetDirectoryName($path))
        [System.IO.File]::WriteAllText($path, $Content, $script:Utf8)
        return $path
    }

    function New-FileLine([string]$Name, [string]$Folder, [string]$Size = '1.0 KB', [switch]$Clutter, [string]$Stamp = $script:Stamp) {
        $line = $Stamp + ' | ' + $Name.PadRight(35) + ' | ' + $Folder.PadRight(87) + ' | (' + $Size + ')'
        if ($Clutter) { $line += ' [Clutter]' }
        return $line
    }

    function New-EventLine([string]$Text, [string]$Folder, [string]$Stamp = $script:Stamp) {
        return $Stamp + ' | ' + $Text.PadRight(35) + ' | ' + $Folder
    }

    function Set-Log([string]$Log, [string[]]$Line) {
        [System.IO.File]::WriteAllText($Log, (($Line | ForEach-Object { $_ + "`r`n" }) -join ''), $script:Utf8)
    }

    function Get-Text([string]$Path) { [System.IO.File]::ReadAllText($Path, $script:Utf8) }

    function Get-TreeListing([string]$Path) {
        $items = New-Object 'System.Collections.Generic.List[string]'
        foreach ($entry in [System.IO.Directory]::EnumerateFileSystemEntries($Path, '*', [System.IO.SearchOption]::AllDirectories)) {
            $items.Add($entry.Substring($Path.Length))
        }
        $items.Sort([System.StringComparer]::Ordinal)
        return $items.ToArray()
    }

    # A filled copy of the template, as the program hands it over.
    function Get-FilledTemplate([string]$Bin, [string]$Log, [string]$Version = '5.3', [string]$Days = '14') {
        $text = [System.IO.File]::ReadAllText($script:TemplatePath)
        $values = @($Bin, $Log, $Version, $Days, [System.IO.Path]::Combine($Bin, 'result.txt'))
        for ($i = 0; $i -lt $script:Placeholders.Count; $i++) {
            $encoded = [System.Convert]::ToBase64String($script:Utf8.GetBytes($values[$i]))
            $text = $text.Replace($script:Placeholders[$i], $encoded)
        }
        return $text
    }

    # Runs a filled copy the way the program does: text on standard input of a
    # fresh PowerShell. The stand-in grid hands back the rows whose names are
    # listed (all rows for '*'), and notes the title it was given.
    function Invoke-TemplateThroughStdin([string]$Bin, [string]$Log, [string[]]$Choose, [string]$Days = '14') {
        $pwsh = (Get-Command -Name pwsh -CommandType Application | Select-Object -First 1).Source
        $names = ($Choose | ForEach-Object { "'" + $_.Replace("'", "''") + "'" }) -join ', '
        $standIn = 'function Out-GridView { param([string]$Title, [switch]$PassThru, [Parameter(ValueFromPipeline = $true)]$InputObject) begin { $pick = @(' + $names + '); Write-Host ("GRID TITLE=" + $Title) } process { if ($pick -contains ''*'' -or $pick -contains $InputObject.''File Name''.Trim()) { $InputObject } } }'
        $script = $standIn + "`n" + (Get-FilledTemplate -Bin $Bin -Log $Log -Days $Days)
        $output = $script.Split("`n") | & $pwsh -NoProfile -Command - 2>&1
        return [pscustomobject]@{
            ExitCode = $LASTEXITCODE
            Output   = (($output | ForEach-Object { "$_" }) -join "`n") -replace "`e\[\?1[hl]", ''
        }
    }
}

Describe 'Mirror locations' {
    It 'maps <Folder> to <Expected>' -ForEach @(
        @{ Folder = 'C:\Work\Proj'; Expected = 'Vantor_Drive_C|Work|Proj' }
        @{ Folder = 'd:\cad\Bracket Assy'; Expected = 'Vantor_Drive_d|cad|Bracket Assy' }
        @{ Folder = 'C:\'; Expected = 'Vantor_Drive_C' }
        @{ Folder = '\\fs01\cad\proj'; Expected = 'Vantor_UNC_Server|fs01|cad|proj' }
        @{ Folder = '\\fs01'; Expected = 'Vantor_UNC_Server|fs01' }
        @{ Folder = '/srv/cad/proj'; Expected = 'srv|cad|proj' }
    ) {
        (Get-MirrorFolderPart -Folder $Folder) -join '|' | Should -BeExactly $Expected
    }

    It 'refuses folders that lead out of the bin: <Folder>' -ForEach @(
        @{ Folder = 'C:\Work\..\..\Windows' }
        @{ Folder = '/srv/./cad' }
        @{ Folder = '\\?\C:\Work' }
        @{ Folder = '\\.\pipe\x' }
        @{ Folder = '\\..\x' }
        @{ Folder = '\\../..\x' }
        @{ Folder = '\\a/b\x' }
    ) {
        Get-MirrorFolderPart -Folder $Folder | Should -BeNullOrEmpty
    }

    It 'joins bin, mirror folders and name' {
        $bin = [System.IO.Path]::Combine($TestDrive, 'bin')
        Get-BinLocation -RecycleDir $bin -Folder 'C:\Work\Proj' -Name 'a.prt.3' |
            Should -BeExactly ([System.IO.Path]::Combine($bin, 'Vantor_Drive_C', 'Work', 'Proj', 'a.prt.3'))
        Get-BinLocation -RecycleDir $bin -Folder '\\fs01\cad\proj' -Name 'b.log' |
            Should -BeExactly ([System.IO.Path]::Combine($bin, 'Vantor_UNC_Server', 'fs01', 'cad', 'proj', 'b.log'))
    }

    It 'has no bin location for a name that is a path: <Name>' -ForEach @(
        @{ Name = '..' }, @{ Name = '.' }, @{ Name = '' }, @{ Name = '../x' }
        @{ Name = $(if ([System.IO.Path]::DirectorySeparatorChar -eq '\') { '..\..\boot.ini' } else { '../boot.ini' }) }
    ) {
        Get-BinLocation -RecycleDir $TestDrive -Folder 'C:\Work' -Name $Name | Should -BeNullOrEmpty
    }

    It 'keeps a Linux name with backslashes whole, in its own folder' -Skip:([System.IO.Path]::DirectorySeparatorChar -eq '\') {
        Get-BinLocation -RecycleDir '/b' -Folder '/srv/a\b' -Name '..\x.log' | Should -BeExactly '/b/srv/a\b/..\x.log'
    }

    It 'gives Windows paths the long-path prefix: <Path>' -ForEach @(
        @{ Path = 'C:\Work\a.prt'; Expected = '\\?\C:\Work\a.prt' }
        @{ Path = '\\fs01\cad\a.prt'; Expected = '\\?\UNC\fs01\cad\a.prt' }
        @{ Path = '\\?\C:\Work'; Expected = '\\?\C:\Work' }
        @{ Path = 'relative\a'; Expected = 'relative\a' }
    ) {
        ConvertTo-LongPath -Path $Path -Windows $true | Should -BeExactly $Expected
        ConvertTo-LongPath -Path $Path -Windows $false | Should -BeExactly $Path
    }

    It 'restores only to complete paths: <Folder> on Windows <Windows>' -ForEach @(
        @{ Folder = 'C:\Work\Proj'; Windows = $true; Expected = $true }
        @{ Folder = '\\fs01\cad\proj'; Windows = $true; Expected = $true }
        @{ Folder = '\\fs01'; Windows = $true; Expected = $false }
        @{ Folder = 'Work\Proj'; Windows = $true; Expected = $false }
        @{ Folder = 'C:Work'; Windows = $true; Expected = $false }
        @{ Folder = 'C:\Work\..\Windows'; Windows = $true; Expected = $false }
        @{ Folder = '/srv/cad'; Windows = $false; Expected = $true }
        @{ Folder = 'C:\Work\Proj'; Windows = $false; Expected = $false }
        @{ Folder = '/srv/../etc'; Windows = $false; Expected = $false }
    ) {
        Test-RestoreFolder -Folder $Folder -Windows $Windows | Should -Be $Expected
    }
}

Describe 'Reading the history log' {
    BeforeEach {
        $ws = New-Workplace
        $proj = New-Folder $ws.Root 'proj'
    }

    It 'takes file lines only and skips event, launch and garbage lines' {
        $longName = 'a_model_with_a_name_far_longer_than_thirty_five.prt.12'
        $longFolder = New-Folder $ws.Root ('deep_' + ('x' * 100))
        $null = Add-BinFile $ws.Bin $proj 'trail.txt.4' 'trail'
        $null = Add-BinFile $ws.Bin $longFolder $longName 'model'
        Set-Log $ws.Log @(
            (New-EventLine 'SWEEP - 1 Models, 1 Clutter' $proj)
            (New-FileLine 'trail.txt.4' $proj '812.0 B' -Clutter)
            (New-FileLine $longName $longFolder '2.50 MB')
            (New-EventLine 'LAUNCH - CP 11.0.2.0' $proj)
            'garbage without a date | a | b | c'
            '2024-05-03 | x | y | z'
            '2024-13-45 99:99:99|||'
            '2024-13-45 99:99:99|odd.txt|/x|(1.0 B)'
            ''
            "$([char]0xFFFD)$([char]0) binary noise"
        )
        $entries = Read-SweepLogEntry -LogFile $ws.Log -RecycleDir $ws.Bin
        $entries.Count | Should -Be 3
        $entries[0].LineNumber | Should -Be 1
        $entries[0].Name | Should -BeExactly 'trail.txt.4'
        $entries[0].OriginalFolder | Should -BeExactly $proj
        $entries[0].SizeText | Should -BeExactly '(812.0 B) [Clutter]'
        $entries[0].DateTime | Should -BeExactly $script:Stamp
        $entries[0].Status | Should -Be 'Available'
        $entries[1].Name | Should -BeExactly $longName
        $entries[1].OriginalFolder | Should -BeExactly $longFolder
        $entries[1].SizeText | Should -BeExactly '(2.50 MB)'
        $entries[1].Status | Should -Be 'Available'
        # A timestamp is recognised by its shape; a line with empty columns names
        # no file and is dropped.
        $entries[2].LineNumber | Should -Be 7
        $entries[2].Name | Should -BeExactly 'odd.txt'
        $entries[2].Status | Should -Be 'Absent'
    }

    It 'finds files under drive and UNC mirrors from a hand-made log' {
        $null = Add-BinFile $ws.Bin 'C:\Work\Proj' 'bracket.prt.2' 'x'
        $null = Add-BinFile $ws.Bin '\\fs01\cad\proj' 'mc_err.log' 'y'
        Set-Log $ws.Log @(
            (New-FileLine 'bracket.prt.2' 'C:\Work\Proj')
            (New-FileLine 'mc_err.log' '\\fs01\cad\proj' -Clutter)
            (New-FileLine 'gone.prt.1' '\\fs01\cad\proj')
        )
        $entries = @(Get-RestoreEntry -LogFile $ws.Log -RecycleDir $ws.Bin)
        $entries.Name | Should -Be @('bracket.prt.2', 'mc_err.log')
        $entries[0].BinPath | Should -BeExactly (Get-ExpectedBinPath $ws.Bin 'C:\Work\Proj' 'bracket.prt.2')
        $entries[1].BinPath | Should -BeExactly (Get-ExpectedBinPath $ws.Bin '\\fs01\cad\proj' 'mc_err.log')
        $entries[1].OriginalFolder | Should -BeExactly '\\fs01\cad\proj'
    }

    It 'reads the log as UTF-8 and finds names outside ASCII' {
        $name = "Gr$([char]0xFC)$([char]0xDF)e_$([char]0x65E5)$([char]0x672C).prt.3"
        $null = Add-BinFile $ws.Bin $proj $name 'x'
        Set-Log $ws.Log @((New-FileLine $name $proj))
        $entries = @(Get-RestoreEntry -LogFile $ws.Log -RecycleDir $ws.Bin)
        $entries.Count | Should -Be 1
        $entries[0].Name | Should -BeExactly $name
    }

    It 'returns the five documented properties' {
        $null = Add-BinFile $ws.Bin $proj 'a.txt' 'x'
        Set-Log $ws.Log @((New-FileLine 'a.txt' $proj))
        $entry = @(Get-RestoreEntry -LogFile $ws.Log -RecycleDir $ws.Bin)[0]
        $entry.PSObject.Properties.Name | Should -Be @('DateTime', 'Name', 'OriginalFolder', 'SizeText', 'BinPath')
    }

    It 'has no entries when the log is missing' {
        $entries = @(Get-RestoreEntry -LogFile ([System.IO.Path]::Combine($ws.Bin, 'none.log')) -RecycleDir $ws.Bin)
        $entries.Count | Should -Be 0
    }
}

Describe 'Which entries are offered' {
    BeforeEach {
        $ws = New-Workplace
        $proj = New-Folder $ws.Root 'proj'
        $other = New-Folder $ws.Root 'other'
    }

    It 'offers the newest entry of each file per folder, so one name from two folders comes twice' {
        $null = Add-BinFile $ws.Bin $proj 'Notes.log' 'new'
        $null = Add-BinFile $ws.Bin $other 'notes.LOG' 'old'
        $null = Add-BinFile $ws.Bin $other 'c.prt.2' 'c'
        Set-Log $ws.Log @(
            (New-EventLine 'SWEEP - 0 Models, 1 Clutter' $proj -Stamp '2024-05-04 09:00:00')
            (New-FileLine 'Notes.log' $proj -Clutter -Stamp '2024-05-04 09:00:00')
            (New-FileLine 'gone.prt.1' $proj -Stamp '2024-05-04 09:00:00')
            (New-EventLine 'SWEEP - 1 Models, 1 Clutter' $other -Stamp '2024-05-02 09:00:00')
            (New-FileLine 'notes.LOG' $other -Clutter -Stamp '2024-05-02 09:00:00')
            (New-FileLine 'c.prt.2' $other -Stamp '2024-05-02 09:00:00')
            (New-FileLine 'Notes.log' $proj -Clutter -Stamp '2024-05-01 09:00:00')
        )
        $entries = @(Get-RestoreEntry -LogFile $ws.Log -RecycleDir $ws.Bin)
        $entries.Name | Should -Be @('Notes.log', 'notes.LOG', 'c.prt.2')
        $entries.DateTime | Should -Be @('2024-05-04 09:00:00', '2024-05-02 09:00:00', '2024-05-02 09:00:00')
        $entries[0].OriginalFolder | Should -BeExactly $proj
        $fromOther = Get-RestoreEntry -LogFile $ws.Log -RecycleDir $ws.Bin | Where-Object { $_.OriginalFolder -eq $other }
        @($fromOther).Name | Should -Be @('notes.LOG', 'c.prt.2') -Because 'the entries reach the pipeline one by one'
    }
}

Describe 'Work a crash cut short' {
    BeforeEach {
        $ws = New-Workplace
        $proj = New-Folder $ws.Root 'proj'
        $stamp = '2024-05-03 14:25:36'
        $ticks = ([datetime]$stamp).Ticks
    }

    It 'logs once what a dead sweep moved, and nothing that stayed or that a live run holds' {
        $moved = Add-BinFile $ws.Bin $proj 'moved.log' 'm'
        $logged = Add-BinFile $ws.Bin $proj 'logged.log' 'l'
        $stayed = [System.IO.Path]::Combine($proj, 'stayed.log')
        [System.IO.File]::WriteAllText($stayed, 's')
        $old = New-FileLine 'logged.log' $proj -Clutter -Stamp $stamp
        Set-Log $ws.Log @($old)
        $record = { param($path, $name) "F`t" + $path + "`t" + [System.IO.Path]::Combine($proj, $name) + "`t" + (New-FileLine $name $proj -Clutter -Stamp $stamp) }
        $dead = "S`t$stamp`t$ticks`t$proj`n" + (& $record $moved 'moved.log') + "`n" + (& $record $logged 'logged.log') + "`n" +
            (& $record (Get-ExpectedBinPath $ws.Bin $proj 'stayed.log') 'stayed.log') + "`n" + (& $record $moved 'cut')
        [System.IO.File]::WriteAllText($ws.Log + '.1.journal', $dead)
        $live = Open-Journal -LogFile $ws.Log
        try {
            Add-JournalRecord -Journal $live -Record @("S`t$stamp`t$ticks`t$proj", (& $record $moved 'held.log'))
            Invoke-HistoryFold -LogFile $ws.Log | Should -BeExactly ''
            Invoke-HistoryFold -LogFile $ws.Log | Should -BeExactly ''
            [System.IO.File]::Exists($live.Name) | Should -BeTrue
        } finally {
            Close-Journal -Journal $live -Delete
        }
        [System.IO.File]::ReadAllLines($ws.Log) | Should -Be @(
            (New-EventLine 'SWEEP - 0 Models, 1 Clutter' $proj -Stamp $stamp)
            (New-FileLine 'moved.log' $proj -Clutter -Stamp $stamp)
            $old
        )
        [System.IO.File]::Exists($ws.Log + '.1.journal') | Should -BeFalse
    }

    It 'settles a restore that died <Case>' -ForEach @(
        @{ Case = 'with the swept copy aside'; Bin = $null; Here = 'mine'; Logged = $false; WantBin = 'swept'; WantHere = 'mine'; Partial = $false }
        @{ Case = 'with the file in the way binned, unlogged'; Bin = 'mine'; Here = $null; Logged = $false; WantBin = 'swept'; WantHere = 'mine'; Partial = $false }
        @{ Case = 'with the file in the way binned and logged'; Bin = 'mine'; Here = $null; Logged = $true; WantBin = 'mine'; WantHere = 'swept'; Partial = $false }
        @{ Case = 'copying to another volume'; Bin = 'swept'; Here = $null; Logged = $false; WantBin = 'swept'; WantHere = $null; Partial = $true }
    ) {
        $source = Get-ExpectedBinPath $ws.Bin $proj 'a.prt.1'
        $destination = [System.IO.Path]::Combine($proj, 'a.prt.1')
        $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::GetDirectoryName($source))
        $line = New-FileLine 'a.prt.1' $proj -Stamp $stamp
        if ($Bin) { [System.IO.File]::WriteAllText($source, $Bin) }
        if ($Here) { [System.IO.File]::WriteAllText($destination, $Here) }
        if ($Bin -ne 'swept') { [System.IO.File]::WriteAllText($source + '.t1.restoring', 'swept') }
        if ($Partial) { [System.IO.File]::WriteAllText($destination + '.t1.partial', 'swe') }
        Set-Log $ws.Log @($(if ($Logged) { $line } else { 'earlier' }))
        [System.IO.File]::WriteAllText($ws.Log + '.2.journal', "R`tt1`t$source`t$destination`t$line`n")
        Invoke-HistoryFold -LogFile $ws.Log | Should -BeExactly ''
        $(if ([System.IO.File]::Exists($source)) { Get-Text $source }) | Should -Be $WantBin
        $(if ([System.IO.File]::Exists($destination)) { Get-Text $destination }) | Should -Be $WantHere
        @([System.IO.Directory]::GetFiles($proj)).Count + @([System.IO.Directory]::GetFiles([System.IO.Path]::GetDirectoryName($source))).Count |
            Should -Be @(@($WantBin, $WantHere) | Where-Object { $_ }).Count
    }
}

Describe 'Grid rows and title' {
    It 'pads the four columns and shows clutter as Clutter' {
        $rows = ConvertTo-RestoreRow -Entry @(
            [pscustomobject]@{ DateTime = '2024-05-03 14:25:36'; Name = 'trail.txt.4'; OriginalFolder = 'C:\Work\Proj'; SizeText = '(812.0 B) [Clutter]'; BinPath = 'x' }
            [pscustomobject]@{ DateTime = '2024-05-03 14:25:36'; Name = 'a.prt.1'; OriginalFolder = 'C:\Work\Proj'; SizeText = '(1.25 MB)'; BinPath = 'y' }
        )
        $rows[0].PSObject.Properties.Name | Should -Be @('Date / Time', 'Type/Size', 'File Name', 'Original Path')
        $rows[0].'Date / Time' | Should -BeExactly ('2024-05-03 14:25' + (' ' * 10))
        $rows[0].'Type/Size' | Should -BeExactly ('Clutter' + (' ' * 10))
        $rows[0].'File Name' | Should -BeExactly 'trail.txt.4'.PadRight(60)
        $rows[0].'Original Path' | Should -BeExactly 'C:\Work\Proj'.PadRight(120)
        $rows[1].'Type/Size' | Should -BeExactly '1.25 MB'.PadRight(17)
    }

    It 'never cuts a value longer than its column' {
        $name = 'n' * 75
        $row = (ConvertTo-RestoreRow -Entry @([pscustomobject]@{ DateTime = $script:Stamp; Name = $name; OriginalFolder = 'C:\x'; SizeText = '(1.0 B)'; BinPath = 'x' }))[0]
        $row.'File Name' | Should -BeExactly $name
    }

    It 'turns chosen rows back into trimmed names and folders' {
        $rows = ConvertTo-RestoreRow -Entry @([pscustomobject]@{ DateTime = $script:Stamp; Name = 'a b.prt'; OriginalFolder = 'C:\My Work'; SizeText = '(1.0 B)'; BinPath = 'x' })
        $back = ConvertFrom-RestoreRow -Row $rows
        $back[0].Name | Should -BeExactly 'a b.prt'
        $back[0].OriginalFolder | Should -BeExactly 'C:\My Work'
    }

    It 'names the window with caption, hints and days' {
        Get-RestoreCaption -Version '5.3' | Should -BeExactly 'Vantor Restore - v5.3'
        Get-RestoreWindowTitle -Version '5.3' -Days '21' |
            Should -BeExactly 'Vantor Restore - v5.3      |      ACTION : Select items to restore, then click OK.      |      TIP : The filter bar is active.      |      NOTE : Files cannot be recovered after 21 days.'
    }
}

Describe 'Restoring files' {
    BeforeEach {
        $ws = New-Workplace
        $proj = [System.IO.Path]::Combine($ws.Root, 'proj')
        [System.IO.File]::WriteAllText($ws.Log + '.lock', '')
    }

    It 'recreates a folder that no longer exists and tidies the emptied mirror' {
        $deep = [System.IO.Path]::Combine($proj, 'sub', 'deeper')
        $binFile = Add-BinFile $ws.Bin $deep 'bracket.prt.2' 'bracket body'
        $keep = Add-BinFile $ws.Bin $proj 'stays.log' 'stays'
        Set-Log $ws.Log @((New-FileLine 'bracket.prt.2' $deep), (New-FileLine 'stays.log' $proj -Clutter))
        $entries = @(Get-RestoreEntry -LogFile $ws.Log -RecycleDir $ws.Bin)
        $count = Restore-SweptFile -Entry @($entries[0]) -RecycleDir $ws.Bin
        $count | Should -Be 1
        Get-Text ([System.IO.Path]::Combine($deep, 'bracket.prt.2')) | Should -BeExactly 'bracket body'
        [System.IO.File]::Exists($binFile) | Should -BeFalse
        [System.IO.Directory]::Exists([System.IO.Path]::GetDirectoryName($binFile)) | Should -BeFalse
        [System.IO.File]::Exists($keep) | Should -BeTrue
        [System.IO.File]::Exists($ws.Log) | Should -BeTrue
        [System.IO.File]::Exists($ws.Log + '.lock') | Should -BeTrue
    }

    It 'counts only the files that came back when one was purged meanwhile' {
        $names = @('one.prt.1', 'two.prt.1', 'three.prt.1')
        foreach ($name in $names) { $null = Add-BinFile $ws.Bin $proj $name $name }
        Set-Log $ws.Log @($names | ForEach-Object { New-FileLine $_ $proj })
        $entries = @(Get-RestoreEntry -LogFile $ws.Log -RecycleDir $ws.Bin)
        [System.IO.File]::Delete($entries[1].BinPath)
        Restore-SweptFile -Entry $entries -RecycleDir $ws.Bin | Should -Be 2
        Get-TreeListing $proj | Should -Be @(
            [System.IO.Path]::DirectorySeparatorChar + 'one.prt.1'
            [System.IO.Path]::DirectorySeparatorChar + 'three.prt.1'
        )
    }

    It 'restores a name outside ASCII byte for byte' {
        $name = "Kl$([char]0xE4)ger $([char]0x2019)n$([char]0x00E9)$([char]0x4E2D).asm.7"
        $bytes = [byte[]](0..255)
        $binFile = Get-ExpectedBinPath $ws.Bin $proj $name
        $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::GetDirectoryName($binFile))
        [System.IO.File]::WriteAllBytes($binFile, $bytes)
        Set-Log $ws.Log @((New-FileLine $name $proj '256.0 B'))
        $count = Restore-SweptFile -Entry (Get-RestoreEntry -LogFile $ws.Log -RecycleDir $ws.Bin) -RecycleDir $ws.Bin
        $count | Should -Be 1
        [System.IO.File]::ReadAllBytes([System.IO.Path]::Combine($proj, $name)) | Should -Be $bytes
    }

    It 'keeps the file it would overwrite: it goes to the bin with a log line of its own' {
        $null = New-Folder $proj
        $null = Add-BinFile $ws.Bin $proj 'config.pro' 'the swept one'
        $destination = [System.IO.Path]::Combine($proj, 'config.pro')
        [System.IO.File]::WriteAllText($destination, 'made since', $script:Utf8)
        $older = New-FileLine 'config.pro' $proj '13.0 B' -Clutter
        Set-Log $ws.Log @((New-EventLine 'SWEEP - 0 Models, 1 Clutter' $proj), $older)
        $before = Get-Date

        Restore-SweptFile -Entry (Get-RestoreEntry -LogFile $ws.Log -RecycleDir $ws.Bin) -RecycleDir $ws.Bin | Should -Be 1

        Get-Text $destination | Should -BeExactly 'the swept one'
        $binFile = Get-ExpectedBinPath $ws.Bin $proj 'config.pro'
        Get-Text $binFile | Should -BeExactly 'made since'
        [System.IO.File]::GetLastWriteTime($binFile) | Should -BeGreaterOrEqual $before.AddSeconds(-1)
        $bytes = [System.IO.File]::ReadAllBytes($ws.Log)
        $bytes[0] | Should -Not -Be 0xEF
        $lines = $script:Utf8.GetString($bytes) -split "`r`n"
        $lines.Count | Should -Be 4
        $lines[0] | Should -Match ('^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \| ' + [regex]::Escape('config.pro'.PadRight(35) + ' | ' + $proj.PadRight(87) + ' | (10.0 B)') + '$')
        $lines[1] | Should -BeExactly (New-EventLine 'SWEEP - 0 Models, 1 Clutter' $proj)
        $lines[2] | Should -BeExactly $older
        $lines[3] | Should -BeExactly ''
        # The displaced file is now what the list offers for that name.
        $offered = @(Get-RestoreEntry -LogFile $ws.Log -RecycleDir $ws.Bin)
        $offered.Count | Should -Be 1
        $offered[0].SizeText | Should -BeExactly '(10.0 B)'
        Get-TreeListing $ws.Bin | Where-Object { $_ -match '\.(tmp|restoring)$' } | Should -BeNullOrEmpty
        [System.IO.File]::Exists($ws.Log + '.lock') | Should -BeTrue
    }

    It 'leaves everything as it was when the log lock cannot be had' {
        $null = New-Folder $proj
        $binFile = Add-BinFile $ws.Bin $proj 'config.pro' 'the swept one'
        $destination = [System.IO.Path]::Combine($proj, 'config.pro')
        [System.IO.File]::WriteAllText($destination, 'made since', $script:Utf8)
        Set-Log $ws.Log @((New-FileLine 'config.pro' $proj))
        $logBefore = [System.IO.File]::ReadAllBytes($ws.Log)
        $held = [System.IO.File]::Open($ws.Log + '.lock', 'OpenOrCreate', 'ReadWrite', 'None')
        try {
            $entries = @(Get-RestoreEntry -LogFile $ws.Log -RecycleDir $ws.Bin)
            Restore-SweptFile -Entry $entries -RecycleDir $ws.Bin -LockTimeoutMilliseconds 200 | Should -Be 0
        } finally {
            $held.Dispose()
        }
        Get-Text $destination | Should -BeExactly 'made since'
        Get-Text $binFile | Should -BeExactly 'the swept one'
        [System.IO.File]::ReadAllBytes($ws.Log) | Should -Be $logBefore
        Get-TreeListing $ws.Bin | Where-Object { $_ -match '\.(tmp|restoring)$' } | Should -BeNullOrEmpty
    }

    It 'skips a destination that is now a folder, and unsafe log entries' {
        $null = New-Folder $proj 'taken.prt.1'
        $taken = Add-BinFile $ws.Bin $proj 'taken.prt.1' 'x'
        $count = Restore-SweptFile -RecycleDir $ws.Bin -Entry @(
            [pscustomobject]@{ Name = 'taken.prt.1'; OriginalFolder = $proj }
            [pscustomobject]@{ Name = 'taken.prt.1'; OriginalFolder = ([System.IO.Path]::Combine($proj, '..', 'proj')) }
            [pscustomobject]@{ Name = '..'; OriginalFolder = $proj }
            [pscustomobject]@{ Name = 'a.txt'; OriginalFolder = 'relative' }
        )
        $count | Should -Be 0
        [System.IO.File]::Exists($taken) | Should -BeTrue
        [System.IO.Directory]::Exists('relative') | Should -BeFalse
    }

    It 'removes chains of empty mirror folders but keeps folders with hidden files' {
        $empty = New-Folder $ws.Bin 'a', 'b', 'c'
        $held = New-Folder $ws.Bin 'd', 'e'
        [System.IO.File]::WriteAllText([System.IO.Path]::Combine($held, '.hidden'), 'h')
        Remove-EmptyMirrorFolder -RecycleDir $ws.Bin
        [System.IO.Directory]::Exists([System.IO.Path]::Combine($ws.Bin, 'a')) | Should -BeFalse
        [System.IO.Directory]::Exists($held) | Should -BeTrue
        [System.IO.Directory]::Exists($ws.Bin) | Should -BeTrue
        $null = $empty
    }
}

Describe 'Writing the history log' {
    BeforeEach { $ws = New-Workplace }

    It 'starts a log that does not exist and puts each new line on top' {
        Add-SweepLogLine -LogFile $ws.Log -Line 'second'
        Add-SweepLogLine -LogFile $ws.Log -Line "first $([char]0xE9)"
        [System.IO.File]::ReadAllBytes($ws.Log) | Should -Be ($script:Utf8.GetBytes("first $([char]0xE9)`r`nsecond`r`n"))
        [System.IO.File]::Exists($ws.Log + '.lock') | Should -BeTrue
        @([System.IO.Directory]::GetFiles($ws.Bin)).Count | Should -Be 2
    }

    It 'gives up without touching the log while another writer holds the lock' {
        Set-Log $ws.Log @('kept')
        $held = [System.IO.File]::Open($ws.Log + '.lock', 'OpenOrCreate', 'ReadWrite', 'None')
        try {
            { Add-SweepLogLine -LogFile $ws.Log -Line 'new' -LockTimeoutMilliseconds 150 } | Should -Throw
        } finally {
            $held.Dispose()
        }
        Get-Text $ws.Log | Should -BeExactly "kept`r`n"
        Add-SweepLogLine -LogFile $ws.Log -Line 'new' -LockTimeoutMilliseconds 150
        Get-Text $ws.Log | Should -BeExactly "new`r`nkept`r`n"
    }

    It 'writes file lines with sizes with a point whatever the regional format' {
        $saved = [System.Threading.Thread]::CurrentThread.CurrentCulture
        try {
            [System.Threading.Thread]::CurrentThread.CurrentCulture = [System.Globalization.CultureInfo]::GetCultureInfo('de-DE')
            $time = [datetime]::ParseExact($script:Stamp, 'yyyy-MM-dd HH:mm:ss', $null)
            $sizes = @(0, 1023, 1024, 1048575, 1048576, 1073741824, 1610612736)
            $lines = $sizes | ForEach-Object { Format-SweepLogFileLine -Time $time -Name 'a.prt' -Folder 'C:\x' -Bytes $_ }
            $expected = @('0.0 B', '1023.0 B', '1.0 KB', '1024.0 KB', '1.00 MB', '1.000 GB', '1.500 GB')
            $lines | Should -Be ($expected | ForEach-Object { New-FileLine 'a.prt' 'C:\x' $_ })
        } finally {
            [System.Threading.Thread]::CurrentThread.CurrentCulture = $saved
        }
    }
}

Describe 'The restore window without a desktop' {
    BeforeEach {
        $ws = New-Workplace
        $proj = [System.IO.Path]::Combine($ws.Root, 'proj')
        $messages = New-Object 'System.Collections.Generic.List[string]'
        $grids = New-Object 'System.Collections.Generic.List[object]'
        $showMessage = { param($Text, $Caption, $Icon) $messages.Add("$Caption|$Text|$Icon") }.GetNewClosure()
        $chooseAll = { param($Rows, $Title) $grids.Add(@{ Rows = $Rows; Title = $Title }); $Rows }.GetNewClosure()
    }

    It 'reports an empty log and ends with 0' {
        Set-Log $ws.Log @((New-EventLine 'SWEEP - 0 Models, 0 Clutter' $proj), 'rubbish')
        Invoke-RestoreWindow -LogFile $ws.Log -RecycleDir $ws.Bin -Version '5.3' -Days '14' -SelectRow $chooseAll -ShowMessage $showMessage | Should -Be 0
        $messages | Should -Be @('Vantor Restore - v5.3|Log is empty or formatted incorrectly.|Warning')
        $grids.Count | Should -Be 0
    }

    It 'reports a log whose files are all gone and ends with 0' {
        Set-Log $ws.Log @((New-FileLine 'a.prt.1' $proj))
        Invoke-RestoreWindow -LogFile $ws.Log -RecycleDir $ws.Bin -Version '5.3' -Days '14' -SelectRow $chooseAll -ShowMessage $showMessage | Should -Be 0
        $messages | Should -Be @('Vantor Restore - v5.3|No recoverable files found in the bin. Older files may have aged out.|Information')
    }

    It 'restores the rows the user picks and ends with 100 plus their number' {
        foreach ($name in 'a.prt.1', 'b.prt.1', 'c.log') { $null = Add-BinFile $ws.Bin $proj $name $name }
        Set-Log $ws.Log @((New-FileLine 'a.prt.1' $proj), (New-FileLine 'b.prt.1' $proj), (New-FileLine 'c.log' $proj -Clutter))
        $pick = { param($Rows, $Title) $grids.Add(@{ Rows = $Rows; Title = $Title }); $Rows[0]; $Rows[2] }.GetNewClosure()
        Invoke-RestoreWindow -LogFile $ws.Log -RecycleDir $ws.Bin -Version '5.3' -Days '30' -SelectRow $pick -ShowMessage $showMessage | Should -Be 102
        $grids[0].Title | Should -BeLike '*NOTE : Files cannot be recovered after 30 days.'
        ($grids[0].Rows | ForEach-Object { $_.'File Name'.Trim() }) | Should -Be @('a.prt.1', 'b.prt.1', 'c.log')
        Get-TreeListing $proj | Should -Be @(
            [System.IO.Path]::DirectorySeparatorChar + 'a.prt.1'
            [System.IO.Path]::DirectorySeparatorChar + 'c.log'
        )
        $messages.Count | Should -Be 0
    }

    It 'ends with 0 and moves nothing when the user cancels' {
        $binFile = Add-BinFile $ws.Bin $proj 'a.prt.1' 'a'
        Set-Log $ws.Log @((New-FileLine 'a.prt.1' $proj))
        Invoke-RestoreWindow -LogFile $ws.Log -RecycleDir $ws.Bin -Version '5.3' -Days '14' -SelectRow { param($Rows, $Title) } -ShowMessage $showMessage | Should -Be 0
        [System.IO.File]::Exists($binFile) | Should -BeTrue
    }

    It 'ends with 100 when every chosen file vanished before the move' {
        $binFile = Add-BinFile $ws.Bin $proj 'a.prt.1' 'a'
        Set-Log $ws.Log @((New-FileLine 'a.prt.1' $proj))
        $purgeThenChoose = { param($Rows, $Title) [System.IO.File]::Delete($binFile); $Rows }.GetNewClosure()
        Invoke-RestoreWindow -LogFile $ws.Log -RecycleDir $ws.Bin -Version '5.3' -Days '14' -SelectRow $purgeThenChoose -ShowMessage $showMessage | Should -Be 100
        [System.IO.Directory]::Exists($proj) | Should -BeFalse
    }
}

Describe 'The template as the program runs it' {
    It 'is ASCII and uses each placeholder once, in the entry layer, inside single quotes' {
        $text = [System.IO.File]::ReadAllText($script:TemplatePath)
        $text | Should -Not -Match '[^\x00-\x7F]'
        $guard = $text.IndexOf('if (Get-Variable -Name VantorNoWindow')
        $guard | Should -BeGreaterThan 0
        foreach ($placeholder in $script:Placeholders) {
            ([regex]::Matches($text, [regex]::Escape($placeholder))).Count | Should -Be 1
            $text.IndexOf("'" + $placeholder + "'") | Should -BeGreaterThan $guard
        }
    }

    It 'defines its functions and runs nothing when dot-sourced for tests' {
        $VantorNoWindow = $true
        . $script:TemplatePath
        Get-Command -Name Get-RestoreEntry, Restore-SweptFile -CommandType Function | Should -HaveCount 2
        Get-Variable -Name vantorExitCode -Scope Local -ErrorAction SilentlyContinue | Should -BeNullOrEmpty
    }

    It 'keeps every multi-line statement free of blank lines and closed by one' {
        # PowerShell reading a script from standard input runs a statement that
        # spans lines only when a blank line follows it, and cuts it at a blank
        # line inside it.
        $tokens = $null
        $errors = $null
        $ast = [System.Management.Automation.Language.Parser]::ParseFile($script:TemplatePath, [ref]$tokens, [ref]$errors)
        $lines = [System.IO.File]::ReadAllLines($script:TemplatePath)
        $problems = New-Object 'System.Collections.Generic.List[string]'
        $statements = @($ast.EndBlock.Statements)
        foreach ($statement in $statements) {
            $first = $statement.Extent.StartLineNumber
            $last = $statement.Extent.EndLineNumber
            if ($first -eq $last) { continue }
            for ($n = $first; $n -le $last; $n++) {
                if ($lines[$n - 1].Trim().Length -eq 0) { $problems.Add("blank line $n inside the statement at line $first") }
            }
            $closed = $false
            for ($n = $last + 1; $n -le $lines.Count; $n++) {
                if ($lines[$n - 1].Trim().Length -eq 0) { $closed = $true; break }
            }
            if (-not $closed) { $problems.Add("no blank line after the statement at line $first") }
        }
        $problems | Should -BeNullOrEmpty
    }

    It 'restores through standard input and ends with 100 plus the count' {
        $ws = New-Workplace 'stdin'
        $proj = [System.IO.Path]::Combine($ws.Root, "proj $([char]0xF6)")
        $null = Add-BinFile $ws.Bin $proj 'keep.prt.1' 'k'
        $null = Add-BinFile $ws.Bin $proj "it's.log" 'i'
        $null = Add-BinFile $ws.Bin $proj 'skip.log' 's'
        Set-Log $ws.Log @((New-FileLine 'keep.prt.1' $proj), (New-FileLine "it's.log" $proj -Clutter), (New-FileLine 'skip.log' $proj -Clutter))
        $run = Invoke-TemplateThroughStdin -Bin $ws.Bin -Log $ws.Log -Choose @('keep.prt.1', "it's.log") -Days '9'
        $run.ExitCode | Should -Be 102 -Because $run.Output
        Get-Text ([System.IO.Path]::Combine($ws.Bin, 'result.txt')) | Should -BeExactly '102'
        $run.Output | Should -Match ([regex]::Escape('GRID TITLE=Vantor Restore - v5.3      |      ACTION : Select items to restore, then click OK.      |      TIP : The filter bar is active.      |      NOTE : Files cannot be recovered after 9 days.'))
        Get-Text ([System.IO.Path]::Combine($proj, "it's.log")) | Should -BeExactly 'i'
        Get-Text ([System.IO.Path]::Combine($proj, 'keep.prt.1')) | Should -BeExactly 'k'
        [System.IO.File]::Exists([System.IO.Path]::Combine($proj, 'skip.log')) | Should -BeFalse
    }

    It 'ends with 0 through standard input when the log has no file lines' {
        $ws = New-Workplace 'stdin'
        Set-Log $ws.Log @('nothing to see')
        $run = Invoke-TemplateThroughStdin -Bin $ws.Bin -Log $ws.Log -Choose @('*')
        $run.ExitCode | Should -Be 0
        $run.Output | Should -Match 'Vantor Restore - v5\.3: Log is empty or formatted incorrectly\.'
    }

    It 'ends with 1 and says why through standard input when the log cannot be read' {
        $ws = New-Workplace 'stdin'
        Set-Log $ws.Log @((New-FileLine 'a.prt.1' $ws.Root))
        $held = [System.IO.File]::Open($ws.Log, 'Open', 'ReadWrite', 'None')
        try {
            $run = Invoke-TemplateThroughStdin -Bin $ws.Bin -Log $ws.Log -Choose @('*')
        } finally {
            $held.Dispose()
        }
        $run.ExitCode | Should -Be 1 -Because $run.Output
        $run.Output | Should -Match 'Restore failed: .+'
        Get-Text ([System.IO.Path]::Combine($ws.Bin, 'result.txt')) | Should -BeExactly '1'
    }
}

Describe 'A sweep and a restore, round trip' {
    BeforeAll {
        $script:SweepPath = Join-Path $TestDrive 'sweep_engine.ps1'

        # Fills the sweep engine as the program does (text as base64, numbers
        # bare) and runs it from a payload file; returns its result line.
        function Invoke-Sweep([string]$Target, [string]$Bin, [string]$Log, [string]$Clutter, [int]$Keep) {
            $text = [System.IO.File]::ReadAllText($script:SweepPath)
            $values = [ordered]@{ '%TARGET_DIR%' = $Target; '%RECYCLE_DIR%' = $Bin; '%LOG_FILE%' = $Log; '%CP_CLUTTER%' = $Clutter }
            foreach ($key in $values.Keys) {
                $text = $text.Replace($key, [System.Convert]::ToBase64String($script:Utf8.GetBytes($values[$key])))
            }
            $text = $text.Replace('%CP_KEEP_N%', [string]$Keep).Replace('%CP_MAX_DAYS%', '14')
            $payload = [System.IO.Path]::Combine($TestDrive, 'Vantor_Payload_' + [guid]::NewGuid().ToString('N') + '.ps1')
            [System.IO.File]::WriteAllText($payload, $text.Replace("`r`n", "`n").Replace("`n", "`r`n"), (New-Object System.Text.UTF8Encoding -ArgumentList $true))
            $pwsh = (Get-Command -Name pwsh -CommandType Application | Select-Object -First 1).Source
            $output = & $pwsh -NoProfile -NonInteractive -ExecutionPolicy Bypass -File $payload 2>&1
            return (($output | ForEach-Object { "$_" }) -join "`n")
        }

        # Relative path and content hash of every file below a folder.
        function Get-FolderState([string]$Path) {
            $state = New-Object 'System.Collections.Generic.List[string]'
            $sha = [System.Security.Cryptography.SHA256]::Create()
            foreach ($file in [System.IO.Directory]::EnumerateFiles($Path, '*', [System.IO.SearchOption]::AllDirectories)) {
                $hash = [System.BitConverter]::ToString($sha.ComputeHash([System.IO.File]::ReadAllBytes($file)))
                $state.Add($file.Substring($Path.Length) + ' ' + $hash)
            }
            $sha.Dispose()
            $state.Sort([System.StringComparer]::Ordinal)
            return $state.ToArray()
        }
    }

    It 'brings every swept file back byte for byte' -Skip:(-not (Test-Path -LiteralPath (Join-Path $PSScriptRoot 'sweep_engine.ps1'))) {
        $ws = New-Workplace 'trip'
        $proj = New-Folder $ws.Root "Proj $([char]0xC4)'s [v2]"
        $null = New-Folder $proj 'sub'
        $random = New-Object System.Random -ArgumentList 7
        $names = @('bracket.prt.1', 'bracket.prt.2', 'bracket.prt.10', 'Housing.ASM.3', 'housing.asm.4', 'trail.txt.1', 'trail.txt.2',
            'std.out', "Bob's $([char]0x2019)`$(x).log", "Gr$([char]0xFC)$([char]0xDF)e.log", 'keep.pdf', ('sub' + [System.IO.Path]::DirectorySeparatorChar + 'deep.log'))
        foreach ($name in $names) {
            $bytes = New-Object byte[] ($random.Next(0, 5000))
            $random.NextBytes($bytes)
            [System.IO.File]::WriteAllBytes([System.IO.Path]::Combine($proj, $name), $bytes)
        }
        $before = Get-FolderState $proj

        $result = Invoke-Sweep -Target $proj -Bin $ws.Bin -Log $ws.Log -Clutter '*.log, trail.txt*, std.out' -Keep 1
        $result | Should -Match '^X\|5\|.*\|3\|.*\|0\|0\|\|$'
        @(Get-FolderState $proj).Count | Should -Be ($before.Count - 8)

        $entries = @(Get-RestoreEntry -LogFile $ws.Log -RecycleDir $ws.Bin)
        $entries.Count | Should -Be 8
        Restore-SweptFile -Entry $entries -RecycleDir $ws.Bin | Should -Be 8
        Get-FolderState $proj | Should -Be $before
        Get-TreeListing $ws.Bin | ForEach-Object { [System.IO.Path]::GetFileName($_) } | Should -Be @('Vantor_Sweep.log', 'Vantor_Sweep.log.lock')
    }
}
