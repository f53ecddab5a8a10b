#Requires -Modules Pester
# Tests of the sweep engine on real temporary folders.

BeforeAll {
    # The engine as the program embeds it: the shared prelude, then the template.
    $script:EnginePath = Join-Path $TestDrive 'sweep_engine.ps1'
    $parts = foreach ($name in 'prelude.ps1', 'sweep_engine.ps1') { [System.IO.File]::ReadAllText((Join-Path $PSScriptRoot $name)) }
    [System.IO.File]::WriteAllText($script:EnginePath, -join $parts)
    $VantorNoWindow = $true
    . $script:EnginePath

    $script:Clutter = '*.lst*,*.inf*,*.log*,trail.txt.*,std.out,*.bde'
    $script:Utf8 = [System.Text.UTF8Encoding]::new($false)

    function New-TestFile {
        param([string]$Folder, [string]$Name, [int]$Size = 10, [Nullable[datetime]]$LastWrite = $null)
        $null = [System.IO.Directory]::CreateDirectory($Folder)
        $path = [System.IO.Path]::Combine($Folder, $Name)
        [System.IO.File]::WriteAllBytes($path, [byte[]]::new($Size))
        if ($null -ne $LastWrite) { [System.IO.File]::SetLastWriteTime($path, $LastWrite) }
        return $path
    }

    function New-SweepFolder {
        $root = Join-Path $TestDrive ([guid]::NewGuid().ToString('N'))
        $folders = [pscustomobject]@{
            Root = $root
            Target = [System.IO.Path]::Combine($root, 'Proj')
            Bin = [System.IO.Path]::Combine($root, 'Anchor', 'Vantor_Sweep')
            Log = [System.IO.Path]::Combine($root, 'Anchor', 'Vantor_Sweep', 'Vantor_Sweep.log')
        }
        $null = [System.IO.Directory]::CreateDirectory($folders.Target)
        $null = [System.IO.Directory]::CreateDirectory($folders.Bin)
        return $folders
    }

    function Invoke-TestSweep {
        param($Folders, [long]$Keep = 1, [long]$Days = 21, [string]$Clutter = $script:Clutter, [datetime]$Now = [datetime]::Now, [int]$LockTimeout = 10)
        return Invoke-FolderSweep -TargetDir $Folders.Target -RecycleDir $Folders.Bin -LogFile $Folders.Log -KeepCount $Keep -MaxDays $Days -Clutter $Clutter -Now $Now -LockTimeoutSeconds $LockTimeout
    }

    function Get-MirrorOf($Folders) {
        return Join-BinPath -RecycleDir $Folders.Bin -SubPath (Get-MirrorFolderSubPath -Folder $Folders.Target)
    }

    function Get-Remaining($Folders) {
        return @([System.IO.Directory]::GetFiles($Folders.Target) | ForEach-Object { [System.IO.Path]::GetFileName($_) } | Sort-Object)
    }

    function Get-LogLine($Folders) {
        return [System.IO.File]::ReadAllLines($Folders.Log, [System.Text.Encoding]::UTF8)
    }

    function Get-Stamp([datetime]$Now) { $Now.ToString('yyyy-MM-dd HH:mm:ss', [System.Globalization.CultureInfo]::InvariantCulture) }

    $script:SavedCulture = [System.Globalization.CultureInfo]::CurrentCulture
    [System.Globalization.CultureInfo]::CurrentCulture = [System.Globalization.CultureInfo]::new('en-US')
}

AfterAll {
    [System.Globalization.CultureInfo]::CurrentCulture = $script:SavedCulture
}

Describe 'Template structure' {
    It 'defines its functions and runs nothing when dot-sourced with VantorNoWindow' {
        $out = & {
            $VantorNoWindow = $true
            . $script:EnginePath
            Get-Command -Name Invoke-FolderSweep -CommandType Function
        }
        @($out).Count | Should -Be 1
    }

    It 'reads placeholders only in the entry layer, text ones as quoted base64' {
        $text = [System.IO.File]::ReadAllText($script:EnginePath)
        $entry = $text.IndexOf('# ---- entry layer')
        $entry | Should -BeGreaterThan 0
        [regex]::Matches($text.Substring(0, $entry), '%[A-Z_]+%').Count | Should -Be 0
        foreach ($name in 'TARGET_DIR', 'RECYCLE_DIR', 'LOG_FILE', 'CP_CLUTTER') {
            $text | Should -Match ("ConvertFrom-VantorText '%" + $name + "%'")
        }
        $text | Should -Match '\$kn = %CP_KEEP_N%'
        $text | Should -Match '\$md = %CP_MAX_DAYS%'
    }
}

Describe 'Mirror sub-paths' {
    It 'maps <Path> to <Expected>' -TestCases @(
        @{ Path = 'C:\Work\Proj\bracket.prt.3'; Expected = 'Vantor_Drive_C\Work\Proj' }
        @{ Path = 'd:\Work\Proj\trail.txt.1'; Expected = 'Vantor_Drive_d\Work\Proj' }
        @{ Path = 'C:\top.prt.1'; Expected = 'Vantor_Drive_C' }
        @{ Path = 'C:/Work/Proj/a.log'; Expected = 'Vantor_Drive_C\Work/Proj' }
        @{ Path = '\\fs01\cad\proj\bracket.prt.3'; Expected = 'Vantor_UNC_Server\fs01\cad\proj' }
        @{ Path = '\\fs01\cad\a.log'; Expected = 'Vantor_UNC_Server\fs01\cad' }
        @{ Path = '/home/u/proj/bracket.prt.3'; Expected = 'home/u/proj' }
        @{ Path = 'relative/proj/a.log'; Expected = 'relative/proj' }
    ) {
        Get-MirrorSubPath -FullPath $Path | Should -BeExactly $Expected
    }

    It 'gives the same sub-path for a folder as for the files in it' -TestCases @(
        @{ Folder = 'C:\Work\Proj' }
        @{ Folder = '\\fs01\cad\proj' }
        @{ Folder = '/home/u/proj' }
    ) {
        $file = $Folder + $(if ($Folder.StartsWith('/')) { '/' } else { '\' }) + 'x.prt.1'
        Get-MirrorFolderSubPath -Folder $Folder | Should -BeExactly (Get-MirrorSubPath -FullPath $file)
    }

    It 'joins a rooted path under the bin instead of escaping it' {
        $bin = [System.IO.Path]::Combine($TestDrive, 'Vantor_Sweep')
        $joined = Join-BinPath -RecycleDir $bin -SubPath (Get-MirrorFolderSubPath -Folder '/home/u/proj')
        $joined | Should -BeExactly ([System.IO.Path]::Combine($bin, 'home/u/proj'))
    }
}

Describe 'Size texts' {
    It 'formats <Bytes> as <Expected>' -TestCases @(
        @{ Bytes = 0; Expected = '0.0 B' }
        @{ Bytes = 512; Expected = '512.0 B' }
        @{ Bytes = 1023; Expected = '1023.0 B' }
        @{ Bytes = 1024; Expected = '1.0 KB' }
        @{ Bytes = 1536; Expected = '1.5 KB' }
        @{ Bytes = 1048575; Expected = '1024.0 KB' }
        @{ Bytes = 1048576; Expected = '1.00 MB' }
        @{ Bytes = 5767168; Expected = '5.50 MB' }
        @{ Bytes = 1073741824; Expected = '1.000 GB' }
        @{ Bytes = 3221225472; Expected = '3.000 GB' }
    ) {
        Format-SizeText -Bytes $Bytes | Should -BeExactly $Expected
    }

    It 'uses the regional decimal separator' {
        $saved = [System.Globalization.CultureInfo]::CurrentCulture
        try {
            [System.Globalization.CultureInfo]::CurrentCulture = [System.Globalization.CultureInfo]::new('de-DE')
            Format-SizeText -Bytes 1536 | Should -BeExactly '1,5 KB'
        } finally {
            [System.Globalization.CultureInfo]::CurrentCulture = $saved
        }
    }
}

Describe 'Old-iteration sweep' {
    It 'keeps the newest two of five iterations and logs the three it moves' {
        $f = New-SweepFolder
        1..5 | ForEach-Object { $null = New-TestFile $f.Target "bracket.prt.$_" }
        $now = [datetime]::Now
        $r = Invoke-TestSweep $f -Keep 2 -Now $now
        $r.ModelCount | Should -Be 3
        (Format-SweepResult -Result $r).Split('|')[3] | Should -Be '3'
        Get-Remaining $f | Should -Be @('bracket.prt.4', 'bracket.prt.5')
        $mirror = Get-MirrorOf $f
        @([System.IO.Directory]::GetFiles($mirror) | ForEach-Object { [System.IO.Path]::GetFileName($_) } | Sort-Object) | Should -Be @('bracket.prt.1', 'bracket.prt.2', 'bracket.prt.3')
        $log = Get-LogLine $f
        $log.Count | Should -Be 4
        $log[1] | Should -BeExactly ((Get-Stamp $now) + ' | ' + 'bracket.prt.1'.PadRight(35) + ' | ' + $f.Target.PadRight(87) + ' | (10.0 B)')
    }

    It 'orders iterations as numbers: .10 is newer than .9' {
        $f = New-SweepFolder
        foreach ($n in 2, 9, 10) { $null = New-TestFile $f.Target "shaft.prt.$n" }
        $null = Invoke-TestSweep $f -Keep 1
        Get-Remaining $f | Should -Be @('shaft.prt.10')
    }

    It 'groups names that differ only in case' {
        $f = New-SweepFolder
        $null = New-TestFile $f.Target 'Bracket.PRT.3'
        $null = New-TestFile $f.Target 'bracket.prt.2'
        $null = New-TestFile $f.Target 'BRACKET.prt.1'
        $r = Invoke-TestSweep $f -Keep 1
        $r.ModelCount | Should -Be 2
        Get-Remaining $f | Should -Be @('Bracket.PRT.3')
    }

    It 'with keep 0 moves every model file, unnumbered ones too, and nothing else' {
        $f = New-SweepFolder
        foreach ($n in 'a.prt', 'a.prt.1', 'b.asm.4', 'c.DRW', 'x.prt.bak', 'x.prt.', 'notes.pdf') { $null = New-TestFile $f.Target $n }
        $r = Invoke-TestSweep $f -Keep 0
        $r.ModelCount | Should -Be 4
        Get-Remaining $f | Should -Be @('notes.pdf', 'x.prt.', 'x.prt.bak')
    }

    It 'ranks an unnumbered model as iteration 0' {
        $f = New-SweepFolder
        $null = New-TestFile $f.Target 'a.asm'
        $null = New-TestFile $f.Target 'a.asm.1'
        $null = Invoke-TestSweep $f -Keep 1
        Get-Remaining $f | Should -Be @('a.asm.1')
    }
}

Describe 'Clutter sweep' {
    It 'moves matching files ignoring case, hidden ones included, and leaves the rest' {
        $f = New-SweepFolder
        foreach ($n in 'TRAIL.TXT.12', 'job.log', '.hidden.log', 'std.out', 'std.outx', 'part.bde', 'keep.txt', 'model.prt') { $null = New-TestFile $f.Target $n }
        $r = Invoke-TestSweep $f -Keep 5
        $r.ClutterCount | Should -Be 5
        Get-Remaining $f | Should -Be @('keep.txt', 'model.prt', 'std.outx')
    }

    It 'understands ? and bracket sets, and a malformed rule does not stop the others' {
        $f = New-SweepFolder
        foreach ($n in 's2d0001.sec', 'a1.tmp', 'a2.tmp', 'a3.tmp', 'ab.tmp') { $null = New-TestFile $f.Target $n }
        $r = Invoke-TestSweep $f -Keep 5 -Clutter 'a[12].tmp, [unclosed , s2d0??1.sec'
        $r.ClutterCount | Should -Be 3
        Get-Remaining $f | Should -Be @('a3.tmp', 'ab.tmp')
    }

    It 'picks exactly the files -like would pick for the shipped rules and odd names' {
        $f = New-SweepFolder
        $rules = @('*.lst*', '*.inf*', 'iges_stats.dat*', 's2d0*.sec*', 'mechevnt*', '*_log.*', 'std.out', 'trail.txt.*', '*.err.*', 'mc_err.log', 'a+b(1)?.t$p', '^x.*', 'é*.LOG')
        $names = @('x.lst', 'X.LST.2', 'a.inf', 'iges_stats.dat', 'S2D0001.SEC', 's2d0.sec.3', 'MechEvnt', 'run_log.txt', 'std.out', 'STD.OUTX', 'trail.txt.7',
            'trail.txt', 'a.err.1', 'mc_err.log', 'mc_errXlog', 'a+b(1)x.t$p', 'a+b(1)xx.t$p', '^x.1', 'xx.1', 'É1.log', 'plain.prt.1', 'notes.txt')
        foreach ($n in $names) { $null = New-TestFile $f.Target $n }
        $expected = @($names | Where-Object { $name = $_; @($rules | Where-Object { $name -like $_ }).Count -gt 0 } | Sort-Object)
        $paths = Get-ClutterFile -TargetDir $f.Target -Rules $rules
        $found = @($paths | ForEach-Object { [System.IO.Path]::GetFileName($_) } | Sort-Object)
        $found | Should -Be $expected
        $found.Count | Should -Be 15
    }

    It 'sweeps clutter before versions, so a model matched by a rule goes as clutter' {
        $f = New-SweepFolder
        foreach ($n in 'a.prt', 'a.prt.1', 'a.prt.2', 'b.asm.1', 'b.asm.2') { $null = New-TestFile $f.Target $n }
        $r = Invoke-TestSweep $f -Keep 5 -Clutter '*.prt.*'
        $r.ClutterCount | Should -Be 2
        $r.ModelCount | Should -Be 0
        Get-Remaining $f | Should -Be @('a.prt', 'b.asm.1', 'b.asm.2')
        $log = Get-LogLine $f
        $log[0] | Should -Match 'SWEEP - 0 Models, 2 Clutter'
        $log[1] | Should -Match '^\S+ \S+ \| a\.prt\.1 +\| .* \| \(10\.0 B\) \[Clutter\]$'
    }

    It 'never sweeps files whose path contains Vantor_Sweep' {
        $root = Join-Path $TestDrive 'old_vantor_sweep_copy'
        $target = [System.IO.Path]::Combine($root, 'Proj')
        $null = New-TestFile $target 'job.log'
        $null = New-TestFile $target 'a.prt.1'
        $null = New-TestFile $target 'a.prt.2'
        $bin = [System.IO.Path]::Combine($TestDrive, 'Anchor2', 'Vantor_Sweep')
        $null = [System.IO.Directory]::CreateDirectory($bin)
        $r = Invoke-FolderSweep -TargetDir $target -RecycleDir $bin -LogFile ([System.IO.Path]::Combine($bin, 'Vantor_Sweep.log')) -KeepCount 1 -MaxDays 21 -Clutter '*.log*'
        $r.ClutterCount | Should -Be 0
        $r.ModelCount | Should -Be 1
        [System.IO.File]::Exists([System.IO.Path]::Combine($target, 'job.log')) | Should -BeTrue
    }

    It 'lists sorted clutter lines, then sorted model lines, under the event line' {
        $f = New-SweepFolder
        foreach ($n in 'zeta.log', 'Alpha.log', 'm.prt.1', 'm.prt.2', 'B.prt.1', 'B.prt.2') { $null = New-TestFile $f.Target $n }
        $null = Invoke-TestSweep $f -Keep 1 -Clutter '*.log'
        $names = @(Get-LogLine $f | ForEach-Object { $_.Split('|')[1].Trim() })
        $names | Should -Be @('SWEEP - 2 Models, 2 Clutter', 'Alpha.log', 'zeta.log', 'B.prt.1', 'm.prt.1')
    }
}

Describe 'Mirror moves' {
    It 'replaces an older bin copy of the same file and logs both sweeps' {
        $f = New-SweepFolder
        $null = New-TestFile $f.Target 'job.log' -Size 10
        $null = Invoke-TestSweep $f -Now ([datetime]::Now.AddMinutes(-5))
        $null = New-TestFile $f.Target 'job.log' -Size 20
        $null = Invoke-TestSweep $f
        $copy = [System.IO.Path]::Combine((Get-MirrorOf $f), 'job.log')
        ([System.IO.FileInfo]::new($copy)).Length | Should -Be 20
        @(Get-LogLine $f | Where-Object { $_ -match '\| job\.log ' }).Count | Should -Be 2
    }

    It 'puts files of a target given as a relative path where the logged folder says' {
        $f = New-SweepFolder
        $null = New-TestFile $f.Target 'job.log'
        $saved = [System.Environment]::CurrentDirectory
        [System.Environment]::CurrentDirectory = $f.Root
        try {
            $r = Invoke-FolderSweep -TargetDir 'Proj' -RecycleDir $f.Bin -LogFile $f.Log -KeepCount 1 -MaxDays 21 -Clutter '*.log'
        } finally {
            [System.Environment]::CurrentDirectory = $saved
        }
        $r.ClutterCount | Should -Be 1
        $folder = (Get-LogLine $f)[1].Split('|')[2].Trim()
        $folder | Should -BeExactly $f.Target
        [System.IO.File]::Exists([System.IO.Path]::Combine((Join-BinPath -RecycleDir $f.Bin -SubPath (Get-MirrorFolderSubPath -Folder $folder)), 'job.log')) | Should -BeTrue
    }

    It 'stamps a moved file with the sweep time so retention counts from the sweep' {
        $f = New-SweepFolder
        $null = New-TestFile $f.Target 'job.log' -LastWrite ([datetime]::Now.AddDays(-400))
        $now = [datetime]::Now.AddSeconds(-30)
        $null = Invoke-TestSweep $f -Now $now
        $copy = [System.IO.Path]::Combine((Get-MirrorOf $f), 'job.log')
        [System.IO.File]::GetLastWriteTime($copy) | Should -Be $now
    }

    It 'goes on past files that take the careful way or stay, and stamps every file it moved' {
        $f = New-SweepFolder
        $old = [datetime]::Now.AddDays(-400)
        foreach ($n in 'a.log', 'b.log', 'c.log', 'd.log', 'e.log') { $null = New-TestFile $f.Target $n -LastWrite $old }
        # b.log has an older bin copy to replace; d.log meets a folder in its place and stays.
        $null = New-TestFile (Get-MirrorOf $f) 'b.log'
        $null = New-TestFile ([System.IO.Path]::Combine((Get-MirrorOf $f), 'd.log')) 'inside'
        $now = [datetime]::Now.AddSeconds(-30)
        $r = Invoke-TestSweep $f -Now $now
        $r.ClutterCount | Should -Be 4
        $r.NotMoved | Should -Be 1
        $r.NotMovedReason | Should -Not -BeNullOrEmpty
        Get-Remaining $f | Should -Be @('d.log')
        foreach ($n in 'a.log', 'b.log', 'c.log', 'e.log') {
            [System.IO.File]::GetLastWriteTime([System.IO.Path]::Combine((Get-MirrorOf $f), $n)) | Should -Be $now
        }
    }

    It 'leaves a file it cannot move where it was, unlogged, and counts it with the reason' {
        $f = New-SweepFolder
        $null = New-TestFile $f.Target 'job.log'
        $null = New-TestFile $f.Target 'a.prt.1'
        $null = New-TestFile $f.Target 'a.prt.2'
        $isRoot = (& id -u) -eq '0'
        # root ignores permission bits; the immutable flag stops even root.
        if ($isRoot) { & chattr +i $f.Target } else { & chmod 555 $f.Target }
        $LASTEXITCODE | Should -Be 0
        try {
            $r = Invoke-TestSweep $f -Keep 1
        } finally {
            if ($isRoot) { & chattr -i $f.Target } else { & chmod 755 $f.Target }
        }
        $r.ClutterCount | Should -Be 0
        $r.ModelCount | Should -Be 0
        $r.NotMoved | Should -Be 2
        $r.NotMovedReason | Should -Not -BeNullOrEmpty
        $r.LogBusy | Should -BeFalse
        Get-Remaining $f | Should -Be @('a.prt.1', 'a.prt.2', 'job.log')
        $log = @(Get-LogLine $f)
        $log.Count | Should -Be 1
        $log[0] | Should -Match 'SWEEP - 0 Models, 0 Clutter'
        [System.IO.File]::Exists([System.IO.Path]::Combine((Get-MirrorOf $f), 'job.log')) | Should -BeFalse
    }
}

Describe 'Names a log line cannot hold' {
    It 'leaves them in place and counts them, and files beside them reach the right mirror' {
        $f = New-SweepFolder
        $odd = @(' lead.log', 'trail.log ', 'pi|pe.log', "line`nbreak.log", "car`rriage.log", "tab`t.log")
        $fine = @('ok.log', 'x.prt.1')
        # "\" is an ordinary character of a Linux name, and no folder.
        if ([System.IO.Path]::DirectorySeparatorChar -eq '/') { $fine += 'back\slash.log' }
        foreach ($n in $odd + $fine) { $null = New-TestFile $f.Target $n }
        $null = New-TestFile $f.Target 'x.prt.2'
        $r = Invoke-TestSweep $f
        $r.ClutterCount + $r.ModelCount | Should -Be $fine.Count
        $r.NotMoved | Should -Be $odd.Count
        $r.NotMovedReason | Should -Match 'history log'
        Get-Remaining $f | Should -Be @($odd + 'x.prt.2' | Sort-Object)
        $binned = @([System.IO.Directory]::GetFiles((Get-MirrorOf $f)) | ForEach-Object { [System.IO.Path]::GetFileName($_) })
        $binned | Sort-Object | Should -Be @($fine | Sort-Object)
        (Get-LogLine $f).Count | Should -Be (1 + $fine.Count)
    }
}

Describe 'Bin upkeep' {
    It 'purges bin files older than the retention, but never the log or its lock' {
        $f = New-SweepFolder
        $old = [datetime]::Now.AddDays(-30)
        $deep = [System.IO.Path]::Combine($f.Bin, 'Vantor_Drive_C', 'Work', 'Proj')
        $aged = New-TestFile $deep 'aged.log' -LastWrite $old
        $hidden = New-TestFile $deep '.aged_hidden' -LastWrite $old
        $fresh = New-TestFile $deep 'fresh.log' -LastWrite ([datetime]::Now.AddDays(-20))
        [System.IO.File]::WriteAllText($f.Log, '')
        [System.IO.File]::SetLastWriteTime($f.Log, $old)
        $lock = New-TestFile $f.Bin 'Vantor_Sweep.log.lock' -LastWrite $old
        $null = Invoke-TestSweep $f -Days 21
        [System.IO.File]::Exists($aged) | Should -BeFalse
        [System.IO.File]::Exists($hidden) | Should -BeFalse
        [System.IO.File]::Exists($fresh) | Should -BeTrue
        [System.IO.File]::Exists($lock) | Should -BeTrue
        [System.IO.File]::Exists($f.Log) | Should -BeTrue
    }

    It 'removes empty mirror folders deepest first and keeps the bin and non-empty ones' {
        $f = New-SweepFolder
        $chain = [System.IO.Path]::Combine($f.Bin, 'Vantor_Drive_C', 'a', 'b', 'c', 'd')
        $null = [System.IO.Directory]::CreateDirectory($chain)
        $kept = [System.IO.Path]::Combine($f.Bin, 'Vantor_UNC_Server', 'fs01', 'cad')
        $null = New-TestFile $kept '.only_hidden'
        $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::Combine($kept, 'empty'))
        $removed = Remove-EmptyBinFolder -RecycleDir $f.Bin
        $removed | Should -Be 6
        [System.IO.Directory]::Exists([System.IO.Path]::Combine($f.Bin, 'Vantor_Drive_C')) | Should -BeFalse
        [System.IO.Directory]::Exists($kept) | Should -BeTrue
        [System.IO.Directory]::Exists($f.Bin) | Should -BeTrue
    }

    It 'never follows a link out of the bin' {
        $f = New-SweepFolder
        $outside = [System.IO.Path]::Combine($f.Root, 'Outside')
        $precious = New-TestFile $outside 'precious.prt' -LastWrite ([datetime]::Now.AddDays(-90))
        $null = New-Item -ItemType SymbolicLink -Path ([System.IO.Path]::Combine($f.Bin, 'link')) -Target $outside
        $null = Invoke-TestSweep $f -Days 1
        [System.IO.File]::Exists($precious) | Should -BeTrue
    }
}

Describe 'History log' {
    It 'puts an event line on top even when nothing moved, and reports 0.0 B' {
        $f = New-SweepFolder
        $null = New-TestFile $f.Target 'keep.pdf'
        $now = [datetime]::Now
        $r = Invoke-TestSweep $f -Now $now
        Format-SweepResult -Result $r | Should -BeExactly 'X|0|0.0 B|0|0.0 B|0.0 B|0|0||'
        $bytes = [System.IO.File]::ReadAllBytes($f.Log)
        $expected = (Get-Stamp $now) + ' | ' + 'SWEEP - 0 Models, 0 Clutter'.PadRight(35) + ' | ' + $f.Target + "`r`n"
        $script:Utf8.GetString($bytes) | Should -BeExactly $expected
    }

    It 'reports counts and sizes in the result line' {
        $f = New-SweepFolder
        $null = New-TestFile $f.Target 'big.log' -Size 1536
        $null = New-TestFile $f.Target 'small.log' -Size 512
        $null = New-TestFile $f.Target 'a.prt.1' -Size 2097152
        $null = New-TestFile $f.Target 'a.prt.2' -Size 1
        Format-SweepResult -Result (Invoke-TestSweep $f) | Should -BeExactly 'X|2|2.0 KB|1|2.00 MB|2.00 MB|0|0||'
    }

    It 'stacks blocks newest first and prunes lines older than the retention' {
        $f = New-SweepFolder
        $now = [datetime]'2025-03-20 15:00:00'
        $old = @(
            '2025-03-10 09:00:00 | SWEEP - 0 Models, 1 Clutter          | C:\Work'
            'not a dated line'
            '2025-02-27 23:59:59 | too.old                             | C:\Work | (1.0 B)'
            '2025-02-28 08:00:00 | cut.day                             | C:\Work | (1.0 B)'
            '2025-13-45 08:00:00 | impossible date'
        )
        [System.IO.File]::WriteAllLines($f.Log, $old)
        $null = New-TestFile $f.Target 'a.log'
        $null = Invoke-TestSweep $f -Days 20 -Now $now
        $null = New-TestFile $f.Target 'b.log'
        $null = Invoke-TestSweep $f -Days 20 -Now $now.AddMinutes(1)
        $log = Get-LogLine $f
        $log | Should -Be @(
            ('2025-03-20 15:01:00 | ' + 'SWEEP - 0 Models, 1 Clutter'.PadRight(35) + ' | ' + $f.Target)
            ('2025-03-20 15:01:00 | ' + 'b.log'.PadRight(35) + ' | ' + $f.Target.PadRight(87) + ' | (10.0 B) [Clutter]')
            ('2025-03-20 15:00:00 | ' + 'SWEEP - 0 Models, 1 Clutter'.PadRight(35) + ' | ' + $f.Target)
            ('2025-03-20 15:00:00 | ' + 'a.log'.PadRight(35) + ' | ' + $f.Target.PadRight(87) + ' | (10.0 B) [Clutter]')
            '2025-03-10 09:00:00 | SWEEP - 0 Models, 1 Clutter          | C:\Work'
        )
    }

    It 'keeps a line dated on the cut day when the cut falls at midnight' {
        $lines = @('2025-02-28 08:00:00 | kept', '2025-02-27 23:00:00 | dropped')
        Select-SurvivingHistory -Lines $lines -Cutoff ([datetime]'2025-02-28') | Should -Be @('2025-02-28 08:00:00 | kept')
    }

    It 'writes names outside ASCII as UTF-8 without a BOM, ASCII lines unchanged, CR LF ends' {
        $f = New-SweepFolder
        foreach ($n in 'Träger.prt.1', 'Träger.prt.2', 'ブラケット.prt.2', 'ブラケット.prt.3', 'plain.prt.1', 'plain.prt.2') { $null = New-TestFile $f.Target $n }
        $now = [datetime]::Now
        $null = Invoke-TestSweep $f -Keep 1 -Now $now
        $bytes = [System.IO.File]::ReadAllBytes($f.Log)
        $bytes[0] | Should -Not -Be 0xEF
        $text = $script:Utf8.GetString($bytes)
        $text | Should -Match ([regex]::Escape('| Träger.prt.1'))
        $text | Should -Match ([regex]::Escape('| ブラケット.prt.2'))
        $plain = (Get-Stamp $now) + ' | ' + 'plain.prt.1'.PadRight(35) + ' | ' + $f.Target.PadRight(87) + ' | (10.0 B)' + "`r`n"
        $text.Contains($plain) | Should -BeTrue
        ($text -split "`r`n").Count | Should -Be 5
        $text.Replace("`r`n", '').Contains("`n") | Should -BeFalse
    }

    It 'flags the log busy, still moves files and leaves the log as it was when it is held open' {
        $f = New-SweepFolder
        [System.IO.File]::WriteAllText($f.Log, "2099-01-01 00:00:00 | earlier line`r`n")
        $before = [System.IO.File]::ReadAllBytes($f.Log)
        $null = New-TestFile $f.Target 'job.log'
        $held = [System.IO.File]::Open($f.Log, 'Open', 'ReadWrite', 'None')
        try {
            $r = Invoke-TestSweep $f -LockTimeout 1
        } finally {
            $held.Dispose()
        }
        Format-SweepResult -Result $r | Should -BeExactly 'X|1|10.0 B|0|0.0 B|10.0 B|1|0||'
        Get-Remaining $f | Should -BeNullOrEmpty
        [System.IO.File]::ReadAllBytes($f.Log) | Should -Be $before
    }

    It 'flags the log busy when another writer holds the lock' {
        $f = New-SweepFolder
        $lock = [System.IO.File]::Open($f.Log + '.lock', 'OpenOrCreate', 'ReadWrite', 'None')
        try {
            $r = Invoke-TestSweep $f -LockTimeout 1
        } finally {
            $lock.Dispose()
        }
        $r.LogBusy | Should -BeTrue
        [System.IO.File]::Exists($f.Log) | Should -BeFalse
    }

    It 'loses no block when many writers add to the log at once' {
        $f = New-SweepFolder
        $jobs = foreach ($writer in 1..4) {
            Start-Job -ArgumentList $script:EnginePath, $f.Log, $writer -ScriptBlock {
                param($engine, $log, $writer)
                $VantorNoWindow = $true
                . $engine
                $fails = 0
                foreach ($i in 1..15) {
                    $block = [System.Collections.Generic.List[string]]::new()
                    $block.Add(('2099-01-01 00:00:00 | writer {0} block {1}' -f $writer, $i))
                    if (-not (Add-HistoryBlock -LogFile $log -Block $block -Cutoff ([datetime]'2000-01-01') -LockTimeoutSeconds 60).Written) { $fails++ }
                }
                $fails
            }
        }
        $fails = $jobs | Wait-Job | Receive-Job
        $jobs | Remove-Job
        ($fails | Measure-Object -Sum).Sum | Should -Be 0
        @(Get-LogLine $f).Count | Should -Be 60
        foreach ($writer in 1..4) {
            # Each writer's blocks stay in its own order, newest first.
            $mine = @(Get-LogLine $f | Where-Object { $_ -match "writer $writer block" } | ForEach-Object { [int]($_ -replace '.* block ', '') })
            $mine | Should -Be @(15..1)
        }
    }
}

Describe 'Entry layer as the program runs it' {
    BeforeAll {
        $script:Pwsh = (Get-Command -Name pwsh, powershell -CommandType Application -ErrorAction SilentlyContinue | Select-Object -First 1).Source

        function ConvertTo-VantorText([string]$Value) { [System.Convert]::ToBase64String([System.Text.Encoding]::UTF8.GetBytes($Value)) }

        function Invoke-FilledEngine {
            param([string]$Target, [string]$Bin, [string]$Keep = '1', [string]$Days = '21', [string]$Clutter = '*.log*')
            $text = [System.IO.File]::ReadAllText($script:EnginePath)
            $text = $text.Replace('%TARGET_DIR%', (ConvertTo-VantorText $Target)).Replace('%RECYCLE_DIR%', (ConvertTo-VantorText $Bin))
            $text = $text.Replace('%LOG_FILE%', (ConvertTo-VantorText ([System.IO.Path]::Combine($Bin, 'Vantor_Sweep.log'))))
            $text = $text.Replace('%CP_CLUTTER%', (ConvertTo-VantorText $Clutter)).Replace('%CP_KEEP_N%', $Keep).Replace('%CP_MAX_DAYS%', $Days)
            $payload = [System.IO.Path]::Combine($TestDrive, 'Vantor_Payload_' + [guid]::NewGuid().ToString('N') + '.ps1')
            [System.IO.File]::WriteAllText($payload, $text.Replace("`r`n", "`n").Replace("`n", "`r`n"), [System.Text.UTF8Encoding]::new($true))
            $out = & $script:Pwsh -NoProfile -NonInteractive -ExecutionPolicy Bypass -File $payload 2>&1
            $script:EngineExit = $LASTEXITCODE
            return @($out | ForEach-Object { [string]$_ })
        }
    }

    It 'sweeps a folder named <Name> as data, running nothing from the name' -TestCases @(
        @{ Name = "Bob's parts" }
        @{ Name = "Bob$([char]0x2019)s parts" }
        @{ Name = '$(Remove-Item canary.txt)' }
        @{ Name = 'back`tick ; & @(x) %TARGET_DIR%' }
    ) {
        $root = Join-Path $TestDrive ([guid]::NewGuid().ToString('N'))
        $target = [System.IO.Path]::Combine($root, $Name)
        $bin = [System.IO.Path]::Combine($root, 'Anchor', 'Vantor_Sweep')
        $null = [System.IO.Directory]::CreateDirectory($bin)
        $canary = New-TestFile $root 'canary.txt'
        foreach ($n in 'job.log', 'a.prt.1', 'a.prt.2') { $null = New-TestFile $target $n }
        Push-Location $root
        try { $out = Invoke-FilledEngine -Target $target -Bin $bin } finally { Pop-Location }
        $out | Should -Be @('X|1|10.0 B|1|10.0 B|20.0 B|0|0||')
        [System.IO.File]::Exists($canary) | Should -BeTrue
        [System.IO.File]::Exists([System.IO.Path]::Combine($bin, $target.TrimStart('/'), 'job.log')) | Should -BeTrue
        ([System.IO.File]::ReadAllLines([System.IO.Path]::Combine($bin, 'Vantor_Sweep.log'), [System.Text.Encoding]::UTF8))[0] | Should -Match ([regex]::Escape(' | ' + $target) + '$')
    }

    It 'fails with the reason and no result line when the folder cannot be read' {
        $root = Join-Path $TestDrive ([guid]::NewGuid().ToString('N'))
        $bin = [System.IO.Path]::Combine($root, 'Anchor', 'Vantor_Sweep')
        $null = [System.IO.Directory]::CreateDirectory($bin)
        $out = Invoke-FilledEngine -Target ([System.IO.Path]::Combine($root, 'gone')) -Bin $bin
        $script:EngineExit | Should -Be 1
        @($out | Where-Object { $_ -like 'X|*' }).Count | Should -Be 0
        ($out -join "`n") | Should -Match 'The sweep stopped: .*gone'
    }

    It 'gives every file of four simultaneous sweeps its log line' {
        $root = Join-Path $TestDrive 'four'
        $bin = [System.IO.Path]::Combine($root, 'Anchor', 'Vantor_Sweep')
        $null = [System.IO.Directory]::CreateDirectory($bin)
        $jobs = foreach ($p in 1..4) {
            $target = [System.IO.Path]::Combine($root, "Proj$p")
            foreach ($i in 1..40) { $null = New-TestFile $target "job$i.log"; $null = New-TestFile $target "m$i.prt.1"; $null = New-TestFile $target "m$i.prt.2" }
            Start-ThreadJob -ArgumentList $target -ScriptBlock {
                param($t)
                $text = [System.IO.File]::ReadAllText($using:EnginePath)
                $b64 = { param($v) [System.Convert]::ToBase64String([System.Text.Encoding]::UTF8.GetBytes($v)) }
                $text = $text.Replace('%TARGET_DIR%', (& $b64 $t)).Replace('%RECYCLE_DIR%', (& $b64 $using:bin))
                $text = $text.Replace('%LOG_FILE%', (& $b64 ([System.IO.Path]::Combine($using:bin, 'Vantor_Sweep.log'))))
                $text = $text.Replace('%CP_CLUTTER%', (& $b64 '*.log*')).Replace('%CP_KEEP_N%', '1').Replace('%CP_MAX_DAYS%', '21')
                $payload = $t + '.ps1'
                [System.IO.File]::WriteAllText($payload, $text, [System.Text.UTF8Encoding]::new($true))
                & $using:Pwsh -NoProfile -NonInteractive -File $payload
            }
        }
        $lines = @($jobs | Wait-Job | Receive-Job)
        $jobs | Remove-Job
        $lines | Should -Be @('X|40|400.0 B|40|400.0 B|800.0 B|0|0||', 'X|40|400.0 B|40|400.0 B|800.0 B|0|0||', 'X|40|400.0 B|40|400.0 B|800.0 B|0|0||', 'X|40|400.0 B|40|400.0 B|800.0 B|0|0||')
        $log = [System.IO.File]::ReadAllLines([System.IO.Path]::Combine($bin, 'Vantor_Sweep.log'), [System.Text.Encoding]::UTF8)
        @($log | Where-Object { $_ -match 'SWEEP - 40 Models, 40 Clutter' }).Count | Should -Be 4
        foreach ($p in 1..4) {
            $folder = [System.IO.Path]::Combine($root, "Proj$p")
            $mirror = [System.IO.Path]::Combine($bin, $folder.TrimStart('/'))
            $moved = [System.IO.Directory]::GetFiles($mirror)
            $moved.Count | Should -Be 80
            foreach ($file in $moved) {
                $name = [System.IO.Path]::GetFileName($file)
                @($log | Where-Object { $_.Contains(' | ' + $name.PadRight(35) + ' | ' + $folder.PadRight(87) + ' | ') }).Count | Should -Be 1
            }
        }
    }
}
