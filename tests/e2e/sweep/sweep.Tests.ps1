#Requires -Modules Pester
# End to end on Linux: build/linux/vantor (or $env:VANTOR_LINUX) copied into a
# temporary anchor folder sweeps project folders with `vantor /C`. Output is
# compared as the bytes printed.

BeforeAll {
    $repo = (Resolve-Path (Join-Path $PSScriptRoot '../../..')).Path
    $script:Program = $env:VANTOR_LINUX
    if (-not $script:Program) { $script:Program = Join-Path $repo 'build/linux/vantor' }
    $script:Utf8 = [System.Text.UTF8Encoding]::new($false)
    $script:Latin1 = [System.Text.Encoding]::Latin1
    $script:Template = [System.IO.File]::ReadAllText((Join-Path $repo 'resources/templates/Vantor.ini'))
    $script:Cleared = "`r" + (' ' * 70) + "`r"

    # An anchor folder holding the program; no Vantor.ini unless $Ini is given.
    function New-Anchor([string]$Ini = $null) {
        $root = [System.IO.Path]::Combine($TestDrive, [guid]::NewGuid().ToString('N').Substring(0, 8))
        $anchor = [System.IO.Path]::Combine($root, 'Tools', 'Vantor')
        $null = [System.IO.Directory]::CreateDirectory($anchor)
        $exe = [System.IO.Path]::Combine($anchor, 'vantor')
        [System.IO.File]::Copy($script:Program, $exe)
        & chmod 755 $exe
        if ($Ini -ne '') { [System.IO.File]::WriteAllText([System.IO.Path]::Combine($anchor, 'Vantor.ini'), $Ini, $script:Utf8) }
        $bin = [System.IO.Path]::Combine($anchor, 'Vantor_Sweep')
        return [pscustomobject]@{
            Root = $root
            Anchor = $anchor
            Exe = $exe
            Bin = $bin
            Log = [System.IO.Path]::Combine($bin, 'Vantor_Sweep.log')
        }
    }

    function New-TestFile([string]$Folder, [string]$Name, [int]$Size) {
        $null = [System.IO.Directory]::CreateDirectory($Folder)
        [System.IO.File]::WriteAllBytes([System.IO.Path]::Combine($Folder, $Name), [byte[]]::new($Size))
    }

    # Five part iterations, two assembly iterations, three clutter files and a document.
    function New-SampleProject([string]$Folder) {
        foreach ($i in 1..5) { New-TestFile $Folder "bracket.prt.$i" 100 }
        foreach ($i in 1..2) { New-TestFile $Folder "frame.asm.$i" 1000 }
        New-TestFile $Folder 'trail.txt.12' 50
        New-TestFile $Folder 'std.out' 50
        New-TestFile $Folder 'bracket.inf' 2000
        New-TestFile $Folder 'notes.pdf' 10
    }

    # Starts the program with input at its end; returns the process.
    function Start-Vantor($World, [string[]]$Arguments, [string]$WorkingDirectory, [hashtable]$Environment = @{}) {
        $info = [System.Diagnostics.ProcessStartInfo]::new($World.Exe)
        foreach ($a in $Arguments) { $info.ArgumentList.Add($a) }
        if (-not $WorkingDirectory) { $WorkingDirectory = $World.Root }
        $info.WorkingDirectory = $WorkingDirectory
        $info.UseShellExecute = $false
        $info.RedirectStandardOutput = $true
        $info.RedirectStandardInput = $true
        $info.Environment['TERM'] = 'dumb'
        foreach ($name in $Environment.Keys) { $info.Environment[$name] = $Environment[$name] }
        $process = [System.Diagnostics.Process]::Start($info)
        $process.StandardInput.Close()
        return $process
    }

    # The printed bytes (one character per byte) and the exit code.
    function Wait-Vantor($Process) {
        $buffer = [System.IO.MemoryStream]::new()
        $Process.StandardOutput.BaseStream.CopyTo($buffer)
        $Process.WaitForExit()
        return [pscustomobject]@{ Output = $script:Latin1.GetString($buffer.ToArray()); ExitCode = $Process.ExitCode }
    }

    function Invoke-Vantor($World, [string[]]$Arguments, [string]$WorkingDirectory, [hashtable]$Environment = @{}) {
        return Wait-Vantor (Start-Vantor $World $Arguments $WorkingDirectory $Environment)
    }

    # The spinner turns as often as the machine is slow; its frames go.
    function Remove-SpinnerFrame([string]$Text) {
        return [regex]::Replace($Text, '\r      \[\*\] Sweeping network drive \.\.\. [|/\\-]', '')
    }

    function Get-Names([string]$Folder) {
        if (-not [System.IO.Directory]::Exists($Folder)) { return @() }
        return @([System.IO.Directory]::GetFiles($Folder) | ForEach-Object { [System.IO.Path]::GetFileName($_) } | Sort-Object)
    }

    function Get-Mirror($World, [string]$Folder) {
        return [System.IO.Path]::Combine($World.Bin, $Folder.TrimStart('/'))
    }
}

Describe 'vantor /C' {
    It 'restores the master file, sweeps with its defaults, reports and lists the inventory' {
        $w = New-Anchor
        $project = [System.IO.Path]::Combine($w.Root, 'Projects', 'Bracket')
        New-SampleProject $project
        $r = Invoke-Vantor $w @('/C', $project)
        $r.ExitCode | Should -Be 0
        [System.IO.File]::ReadAllText([System.IO.Path]::Combine($w.Anchor, 'Vantor.ini')) | Should -BeExactly $script:Template
        $out = Remove-SpinnerFrame $r.Output
        # The banner box in code page 437 line bytes.
        $out.StartsWith("`n  " + [char]0xC9 + ([string][char]0xCD * 60) + [char]0xBB + "`n  " + [char]0xBA + ' Vantor Environment Folder Maintenance - v5.3') | Should -BeTrue
        $expected = "`n      [INFO] Master Vantor.ini was restored from internal memory.`n" +
            "`n    [CLEANUP]`n" + $script:Cleared +
            "      [-]   3   Clutter files   ..........    2.1 KB`n" +
            "      [-]   5   Old versions    ..........    1.4 KB`n" +
            "`n    3.4 KB sent to Vantor/Vantor_Sweep held for 21 days`n" +
            "`n    [FOLDER INVENTORY]`n" +
            "                   Parts:    1 ...........   100.0 B`n" +
            "              Assemblies:    1 ...........  1000.0 B`n" +
            "`n                     1.1 KB in a total of 2 models`n" +
            "`n  `r       Closing in 24 seconds... (Press [H] to Hold Window)      "
        $at = $out.IndexOf("`n      [INFO] ")
        $at | Should -BeGreaterThan 0
        $out.Substring($at, [System.Math]::Min($expected.Length, $out.Length - $at)) | Should -BeExactly $expected

        Get-Names $project | Should -Be @('bracket.prt.5', 'frame.asm.2', 'notes.pdf')
        Get-Names (Get-Mirror $w $project) | Should -Be @('bracket.inf', 'bracket.prt.1', 'bracket.prt.2', 'bracket.prt.3', 'bracket.prt.4', 'frame.asm.1', 'std.out', 'trail.txt.12')
        $log = [System.IO.File]::ReadAllLines($w.Log, $script:Utf8)
        $log.Count | Should -Be 9
        $log[0] | Should -Match ('^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \| SWEEP - 5 Models, 3 Clutter {9}\| ' + [regex]::Escape($project) + '$')
        $log[1] | Should -Match ('\| bracket\.inf {25}\| ' + [regex]::Escape($project.PadRight(87)) + ' \| \(2\.0 KB\) \[Clutter\]$')
    }

    It 'says the folder is clean on a second run, and sweeps the folder of a file argument' {
        $w = New-Anchor "CP_Countdown=None`r`nCP_Keep_N=1`r`nCP_Max_Days=21`r`nCP_Clutter=*.log*`r`n"
        $project = [System.IO.Path]::Combine($w.Root, 'Proj')
        New-TestFile $project 'a.prt.1' 10
        New-TestFile $project 'a.prt.2' 10
        $null = Invoke-Vantor $w @('/C', [System.IO.Path]::Combine($project, 'a.prt.2'))
        Get-Names $project | Should -Be @('a.prt.2')
        $r = Invoke-Vantor $w @('/C', $project)
        $out = Remove-SpinnerFrame $r.Output
        $out | Should -Match ([regex]::Escape("`n    [CLEANUP]`n" + $script:Cleared + "      [*] Folder is clean. No maintenance required.`n`n    [FOLDER INVENTORY]`n                   Parts:    1 ...........    10.0 B`n"))
        @([System.IO.File]::ReadAllLines($w.Log) | Where-Object { $_ -match 'SWEEP - 0 Models, 0 Clutter' }).Count | Should -Be 1
    }

    It 'sweeps the current directory when the argument names nothing' {
        $w = New-Anchor "CP_Countdown=None`r`nCP_Keep_N=0`r`nCP_Max_Days=21`r`nCP_Clutter=*.log*`r`n"
        $project = [System.IO.Path]::Combine($w.Root, 'Current')
        New-TestFile $project 'x.drw' 10
        $null = Invoke-Vantor $w @('/C', [System.IO.Path]::Combine($w.Root, 'gone')) $project
        Get-Names $project | Should -BeNullOrEmpty
    }

    It 'sweeps a folder named <Name> like any other and runs nothing from the name' -TestCases @(
        @{ Name = "Bob's parts" }
        @{ Name = "Bob$([char]0x2019)s parts" }
        @{ Name = '$(Remove-Item canary.txt)' }
        @{ Name = 'Tr' + [char]0xE4 + 'ger ' + [char]0x30D6 + ' `$x; & ''q''' }
    ) {
        $w = New-Anchor "CP_Countdown=None`r`nCP_Keep_N=1`r`nCP_Max_Days=21`r`nCP_Clutter=*.log*`r`n"
        $project = [System.IO.Path]::Combine($w.Root, $Name)
        New-TestFile $project 'job.log' 10
        New-TestFile $project 'a.prt.1' 10
        New-TestFile $project 'a.prt.2' 10
        New-TestFile $w.Root 'canary.txt' 1
        New-TestFile $project 'canary.txt' 1
        $r = Invoke-Vantor $w @('/C', $project) $project
        $r.ExitCode | Should -Be 0
        (Remove-SpinnerFrame $r.Output) | Should -Match 'Clutter files   \.\.\.\.\.\.\.\.\.\.    10\.0 B'
        Get-Names $project | Should -Be @('a.prt.2', 'canary.txt')
        [System.IO.File]::Exists([System.IO.Path]::Combine($w.Root, 'canary.txt')) | Should -BeTrue
        Get-Names (Get-Mirror $w $project) | Should -Be @('a.prt.1', 'job.log')
        ([System.IO.File]::ReadAllLines($w.Log, $script:Utf8))[0] | Should -Match ([regex]::Escape(' | ' + $project) + '$')
    }

    It 'logs names outside ASCII in UTF-8 so they can be found again' {
        $w = New-Anchor "CP_Countdown=None`r`nCP_Keep_N=1`r`nCP_Max_Days=21`r`nCP_Clutter=*.log*`r`n"
        $project = [System.IO.Path]::Combine($w.Root, 'Proj')
        $names = @(('Tr' + [char]0xE4 + 'ger.prt'), ([string][char]0x30D6 + [char]0x30E9 + [char]0x30B1 + [char]0x30C3 + [char]0x30C8 + '.prt'))
        foreach ($n in $names) { New-TestFile $project "$n.2" 10; New-TestFile $project "$n.3" 10 }
        $null = Invoke-Vantor $w @('/C', $project)
        $text = [System.IO.File]::ReadAllText($w.Log, $script:Utf8)
        foreach ($n in $names) {
            $text | Should -Match ([regex]::Escape("| $n.2"))
            [System.IO.File]::Exists([System.IO.Path]::Combine((Get-Mirror $w $project), "$n.2")) | Should -BeTrue
        }
    }

    It 'refuses keep counts and retention days that are not whole numbers: <Value>' -TestCases @(
        @{ Key = 'CP_Keep_N'; Value = 'abc' }
        @{ Key = 'CP_Keep_N'; Value = '-1' }
        @{ Key = 'CP_Max_Days'; Value = '2; Remove-Item -Recurse ~' }
        @{ Key = 'CP_Max_Days'; Value = '1.5' }
    ) {
        $ini = "CP_Countdown=None`r`nCP_Keep_N=1`r`nCP_Max_Days=21`r`nCP_Clutter=*.log*`r`n$Key=$Value`r`n"
        $w = New-Anchor $ini
        $project = [System.IO.Path]::Combine($w.Root, 'Proj')
        New-TestFile $project 'job.log' 10
        New-TestFile $project 'a.prt.1' 10
        New-TestFile $project 'a.prt.2' 10
        $r = Invoke-Vantor $w @('/C', $project)
        $r.Output | Should -Match ([regex]::Escape("`n    [ERROR] $Key=$Value is not a whole number (0 or more).`n              Aborting cleanup sequence.`n`n    [FOLDER INVENTORY]`n                   Parts:    1 ...........    20.0 B`n"))
        $r.Output | Should -Not -Match '\[CLEANUP\]'
        Get-Names $project | Should -Be @('a.prt.1', 'a.prt.2', 'job.log')
        [System.IO.Directory]::Exists($w.Bin) | Should -BeFalse
    }

    It 'sweeps with no PowerShell on the path' {
        $w = New-Anchor "CP_Countdown=None`r`nCP_Keep_N=1`r`nCP_Max_Days=21`r`nCP_Clutter=*.log*`r`n"
        $project = [System.IO.Path]::Combine($w.Root, 'Proj')
        New-TestFile $project 'job.log' 10
        $r = Invoke-Vantor $w @('/C', $project) -Environment @{ PATH = [System.IO.Path]::Combine($w.Root, 'empty') }
        $out = Remove-SpinnerFrame $r.Output
        $out | Should -Match ([regex]::Escape("`n    [CLEANUP]`n" + $script:Cleared + "      [-]   1   Clutter files   ..........    10.0 B`n"))
        Get-Names $project | Should -BeNullOrEmpty
        Get-Names (Get-Mirror $w $project) | Should -Be @('job.log')
    }

    It 'warns that the history was not saved when another program holds the log' {
        $w = New-Anchor "CP_Countdown=None`r`nCP_Keep_N=1`r`nCP_Max_Days=21`r`nCP_Clutter=*.log*`r`n"
        $project = [System.IO.Path]::Combine($w.Root, 'Proj')
        New-TestFile $project 'job.log' 10
        $null = [System.IO.Directory]::CreateDirectory($w.Bin)
        [System.IO.File]::WriteAllText($w.Log, "2099-01-01 00:00:00 | kept line`r`n")
        $held = [System.IO.File]::Open($w.Log, 'Open', 'ReadWrite', 'None')
        try {
            $r = Invoke-Vantor $w @('/C', $project)
        } finally {
            $held.Dispose()
        }
        (Remove-SpinnerFrame $r.Output) | Should -Match ([regex]::Escape(" days`n          [WARNING: Log file locked by another program. History not saved!]`n"))
        Get-Names $project | Should -BeNullOrEmpty
        [System.IO.File]::ReadAllText($w.Log) | Should -BeExactly "2099-01-01 00:00:00 | kept line`r`n"
    }

    It 'gives every file of four sweeps started together its log line' {
        $w = New-Anchor "CP_Countdown=None`r`nCP_Keep_N=1`r`nCP_Max_Days=21`r`nCP_Clutter=*.log*`r`n"
        $projects = foreach ($p in 1..4) {
            $folder = [System.IO.Path]::Combine($w.Root, "Proj$p")
            foreach ($i in 1..25) { New-TestFile $folder "job$i.log" 10; New-TestFile $folder "m$i.prt.1" 10; New-TestFile $folder "m$i.prt.2" 10 }
            $folder
        }
        $running = @(foreach ($folder in $projects) { Start-Vantor $w @('/C', $folder) })
        $results = @(foreach ($process in $running) { Wait-Vantor $process })
        foreach ($r in $results) { (Remove-SpinnerFrame $r.Output) | Should -Match 'Clutter files   \.\.\.\.\.\.\.\.\.\.   250\.0 B' }
        $log = [System.IO.File]::ReadAllLines($w.Log, $script:Utf8)
        $log.Count | Should -Be (4 * 51)
        foreach ($folder in $projects) {
            @($log | Where-Object { $_.EndsWith('| ' + $folder) -and $_.Contains('SWEEP - 25 Models, 25 Clutter') }).Count | Should -Be 1
            foreach ($name in (Get-Names (Get-Mirror $w $folder))) {
                @($log | Where-Object { $_.Contains(' | ' + $name.PadRight(35) + ' | ' + $folder.PadRight(87) + ' | ') }).Count | Should -Be 1
            }
        }
        [System.IO.File]::Exists($w.Log + '.lock') | Should -BeTrue
    }
}
