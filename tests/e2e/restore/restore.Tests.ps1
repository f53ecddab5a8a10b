#Requires -Modules Pester
# End to end on Linux: build/linux/vantor (or $env:VANTOR_LINUX) in a temporary
# anchor folder, a project swept into its bin, and `vantor /R` moving files back.
# The user at the restore list is played by a stand-in that a wrapper `pwsh`
# early on PATH puts in front of the script the program feeds in; it picks the
# rows named in VANTOR_E2E_PICK ("|"-separated, "*" for all).

BeforeAll {
    $repo = (Resolve-Path (Join-Path $PSScriptRoot '../../..')).Path
    $script:Program = $env:VANTOR_LINUX
    if (-not $script:Program) { $script:Program = Join-Path $repo 'build/linux/vantor' }
    $script:RealPwsh = (Get-Command -Name pwsh -CommandType Application | Select-Object -First 1).Source
    $script:Utf8 = New-Object System.Text.UTF8Encoding -ArgumentList $false
    $script:Caption = 'Vantor Restore - v5.3'

    function New-Anchor {
        $anchor = [System.IO.Path]::Combine($TestDrive, [guid]::NewGuid().ToString('N').Substring(0, 8), "anchor $([char]0xE9)'s")
        $null = [System.IO.Directory]::CreateDirectory($anchor)
        $exe = [System.IO.Path]::Combine($anchor, 'vantor')
        [System.IO.File]::Copy($script:Program, $exe)
        & chmod 755 $exe
        $ini = "CP_Countdown=None`r`nCP_Launch_Sweep=Yes`r`nCP_Keep_N=1`r`nCP_Max_Days=14`r`nCP_Clutter=*.log, trail.txt*`r`nCP_Clutter=std.out`r`n"
        [System.IO.File]::WriteAllText([System.IO.Path]::Combine($anchor, 'Vantor.ini'), $ini, $script:Utf8)
        $wrapDir = [System.IO.Path]::Combine($anchor, '..', 'wrap')
        $null = [System.IO.Directory]::CreateDirectory($wrapDir)
        $standIn = '$VantorPickerStandIn = { param($Rows) $pick = @($env:VANTOR_E2E_PICK.Split([char]124)); foreach ($r in $Rows) { if ($pick -contains ''*'' -or $pick -contains $r.Fields[2].Trim()) { $r.Row } } }'
        $wrapper = "#!/bin/bash`n" +
            "# Only the script fed through standard input gets the stand-in grid.`n" +
            "if [ `"`${@: -1}`" = `"-`" ]; then`n" +
            "  { printf '%s\n' '" + $standIn.Replace("'", "'\''") + "'; cat; } | '" + $script:RealPwsh + "' `"`$@`"`n" +
            "  exit `$?`n" +
            "fi`n" +
            "exec '" + $script:RealPwsh + "' `"`$@`"`n"
        $wrapPath = [System.IO.Path]::Combine($wrapDir, 'pwsh')
        [System.IO.File]::WriteAllText($wrapPath, $wrapper, $script:Utf8)
        & chmod 755 $wrapPath
        $bin = [System.IO.Path]::Combine($anchor, 'Vantor_Sweep')
        return [pscustomobject]@{
            Anchor = $anchor
            Exe    = $exe
            Wrap   = (Resolve-Path $wrapDir).Path
            Bin    = $bin
            Log    = [System.IO.Path]::Combine($bin, 'Vantor_Sweep.log')
        }
    }

    # Runs the program; returns its output bytes as text and its exit code.
    function Invoke-Vantor($World, [string[]]$Arguments, [string]$Pick = '*') {
        $saved = @{ PATH = $env:PATH; TERM = $env:TERM; VANTOR_E2E_PICK = $env:VANTOR_E2E_PICK }
        try {
            $env:PATH = $World.Wrap + ':' + $env:PATH
            # pwsh reading a script from a pipe toggles cursor-key modes unless TERM says not to.
            $env:TERM = 'dumb'
            $env:VANTOR_E2E_PICK = $Pick
            $outFile = [System.IO.Path]::Combine($TestDrive, 'out_' + [guid]::NewGuid().ToString('N'))
            # bash redirects, so the bytes arrive as printed (PowerShell would split lines).
            & bash -c 'cd "$1" && shift && out="$1" && shift && exec "$@" > "$out" < /dev/null' vantor $World.Anchor $outFile $World.Exe @Arguments
            return [pscustomobject]@{ Output = [System.IO.File]::ReadAllText($outFile, $script:Utf8); ExitCode = $LASTEXITCODE }
        } finally {
            foreach ($name in $saved.Keys) { [System.Environment]::SetEnvironmentVariable($name, $saved[$name]) }
        }
    }

    # A project folder of models, iterations and clutter with awkward names.
    function New-Project($World) {
        $project = [System.IO.Path]::Combine($World.Anchor, '..', "Proj [A] $([char]0x2019)`$(x) $([char]0x65E5)")
        $project = [System.IO.Path]::GetFullPath($project)
        $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::Combine($project, 'sub'))
        $random = New-Object System.Random -ArgumentList 11
        foreach ($name in @('bracket.prt.1', 'bracket.prt.2', 'bracket.prt.3', 'keep.pdf', "Bob's.log", "Gr$([char]0xFC)$([char]0xDF)e.log",
                'trail.txt.1', 'std.out', 'sub/deep.log')) {
            $bytes = New-Object byte[] ($random.Next(1, 6000))
            $random.NextBytes($bytes)
            [System.IO.File]::WriteAllBytes([System.IO.Path]::Combine($project, $name), $bytes)
        }
        return $project
    }

    function Get-FolderState([string]$Path) {
        $state = New-Object 'System.Collections.Generic.List[string]'
        $sha = [System.Security.Cryptography.SHA256]::Create()
        foreach ($file in [System.IO.Directory]::EnumerateFiles($Path, '*', [System.IO.SearchOption]::AllDirectories)) {
            $state.Add($file.Substring($Path.Length) + ' ' + [System.BitConverter]::ToString($sha.ComputeHash([System.IO.File]::ReadAllBytes($file))))
        }
        $sha.Dispose()
        $state.Sort([System.StringComparer]::Ordinal)
        return $state.ToArray()
    }

    function Get-Notice {
        $rule = '=' * 56
        return "`n$rule`n  Vantor Restore Utility - Background Process`n$rule`n`n" +
            "  [STATUS] The graphical interface is currently active.`n`n" +
            "  [WARNING] Do NOT close this window!`n" +
            "             Closing this console will immediately terminate`n" +
            "             the Restore GUI.`n`n" +
            "  (This window will close automatically when you are done.)`n`n"
    }
}

Describe 'vantor /R on Linux' {
    It 'puts back what a sweep took, and keeps a file made since restorable through later sweeps' {
        $world = New-Anchor
        $project = New-Project $world
        $before = Get-FolderState $project
        (Invoke-Vantor $world @('/C', $project)).Output | Should -Match '  4   Clutter files[^\n]*\n +\[-\]   2   Old versions'
        # Made after the sweep under a swept name: the restore must not destroy it.
        [System.IO.File]::WriteAllText([System.IO.Path]::Combine($project, 'std.out'), 'made since', $script:Utf8)

        $run = Invoke-Vantor $world @('/R')
        $run.Output | Should -BeExactly ((Get-Notice) + "[$script:Caption] Successfully restored 6 file(s) to their original locations.`n")
        $run.ExitCode | Should -Be 0
        Get-FolderState $project | Should -Be $before
        $mirror = [System.IO.Path]::Combine($world.Bin, $project.TrimStart('/'))
        $kept = @([System.IO.Directory]::GetFiles($mirror, 'std (displaced *).out'))
        $kept.Count | Should -Be 1
        $keptName = [System.IO.Path]::GetFileName($kept[0])
        ([System.IO.File]::ReadAllLines($world.Log, $script:Utf8))[0] | Should -Match ('^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \| ' + [regex]::Escape($keptName) + ' \| ' + [regex]::Escape($project) + ' *\| \(10\.0 B\)$')

        # The next sweep takes the restored std.out into the bin again; the
        # displaced one stays there, and a restore brings it back.
        $null = Invoke-Vantor $world @('/C', $project)
        [System.IO.File]::ReadAllText($kept[0]) | Should -BeExactly 'made since'
        $run = Invoke-Vantor $world @('/R') -Pick $keptName
        $run.Output | Should -BeExactly ((Get-Notice) + "[$script:Caption] Successfully restored 1 file(s) to their original locations.`n")
        [System.IO.File]::ReadAllText([System.IO.Path]::Combine($project, $keptName)) | Should -BeExactly 'made since'
    }

    It 'restores only the rows picked, and says so' {
        $world = New-Anchor
        $project = New-Project $world
        $null = Invoke-Vantor $world @('/C', $project)
        $run = Invoke-Vantor $world @('/R') -Pick "bracket.prt.1|Gr$([char]0xFC)$([char]0xDF)e.log"
        $run.Output | Should -BeExactly ((Get-Notice) + "[$script:Caption] Successfully restored 2 file(s) to their original locations.`n")
        $names = @([System.IO.Directory]::GetFiles($project) | ForEach-Object { [System.IO.Path]::GetFileName($_) } | Sort-Object)
        $names | Should -Be @('bracket.prt.1', 'bracket.prt.3', "Gr$([char]0xFC)$([char]0xDF)e.log", 'keep.pdf')
    }

    It 'folds a journal a killed sweep left before any log existed, then offers its file' {
        $world = New-Anchor
        $project = [System.IO.Path]::GetFullPath([System.IO.Path]::Combine($world.Anchor, '..', 'cut short'))
        $null = [System.IO.Directory]::CreateDirectory($project)
        $binFile = [System.IO.Path]::Combine($world.Bin, $project.TrimStart('/'), 'a.log')
        $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::GetDirectoryName($binFile))
        [System.IO.File]::WriteAllText($binFile, 'swept')
        $line = '2024-05-03 10:00:00 | ' + 'a.log'.PadRight(35) + ' | ' + $project.PadRight(87) + ' | (5.0 B) [Clutter]'
        $journal = "S`t2024-05-03 10:00:00`t638503000000000000`t$project`nF`t$binFile`t$project/a.log`t$line`n"
        [System.IO.File]::WriteAllText($world.Log + '.0123456789abcdef.journal', $journal, $script:Utf8)
        $run = Invoke-Vantor $world @('/R')
        $run.Output | Should -BeExactly ((Get-Notice) + "[$script:Caption] Successfully restored 1 file(s) to their original locations.`n")
        [System.IO.File]::ReadAllText([System.IO.Path]::Combine($project, 'a.log')) | Should -BeExactly 'swept'
        @([System.IO.File]::ReadAllLines($world.Log, $script:Utf8)) | Should -Contain $line
    }

    It 'shows only the notice when the user picks nothing' {
        $world = New-Anchor
        $project = [System.IO.Path]::Combine($world.Anchor, '..', 'p')
        $binFile = [System.IO.Path]::Combine($world.Bin, [System.IO.Path]::GetFullPath($project).TrimStart('/'), 'a.log')
        $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::GetDirectoryName($binFile))
        [System.IO.File]::WriteAllText($binFile, 'a')
        $line = '2024-05-03 10:00:00 | ' + 'a.log'.PadRight(35) + ' | ' + [System.IO.Path]::GetFullPath($project).PadRight(87) + ' | (1.0 B) [Clutter]'
        [System.IO.File]::WriteAllText($world.Log, $line + "`r`n")
        $run = Invoke-Vantor $world @('/R') -Pick 'nothing-of-that-name'
        $run.Output | Should -BeExactly (Get-Notice)
        [System.IO.File]::Exists($binFile) | Should -BeTrue
    }

    It 'tolerates a hand-made log of garbage, drive and UNC lines' {
        $world = New-Anchor
        $project = [System.IO.Path]::GetFullPath([System.IO.Path]::Combine($world.Anchor, '..', 'hand made'))
        $stamp = '2024-05-03 10:00:00 | '
        $files = [ordered]@{
            ([System.IO.Path]::Combine($world.Bin, $project.TrimStart('/'), 'posix.log'))                  = $stamp + 'posix.log'.PadRight(35) + ' | ' + $project.PadRight(87) + ' | (1.0 B) [Clutter]'
            ([System.IO.Path]::Combine($world.Bin, 'Vantor_UNC_Server', 'fs01', 'cad', 'proj', 'unc.log')) = $stamp + 'unc.log'.PadRight(35) + ' | ' + '\\fs01\cad\proj'.PadRight(87) + ' | (1.0 B) [Clutter]'
            ([System.IO.Path]::Combine($world.Bin, 'Vantor_Drive_C', 'Work', 'drive.prt.1'))              = $stamp + 'drive.prt.1'.PadRight(35) + ' | ' + 'C:\Work'.PadRight(87) + ' | (1.0 B)'
        }
        foreach ($path in $files.Keys) {
            $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::GetDirectoryName($path))
            [System.IO.File]::WriteAllText($path, 'x')
        }
        $lines = @('garbage', '2024-05-03 10:00:00 | SWEEP - 1 Models, 2 Clutter         | C:\Work', '| | |') + @($files.Values) + @('2024-05-03 10:00:00 | ../../etc | /tmp | (1.0 B)')
        [System.IO.File]::WriteAllText($world.Log, (($lines | ForEach-Object { $_ + "`r`n" }) -join ''), $script:Utf8)
        $run = Invoke-Vantor $world @('/R')
        # Windows paths are no places to restore to on Linux; only the POSIX entry comes back.
        $run.Output | Should -BeExactly ((Get-Notice) + "[$script:Caption] Successfully restored 1 file(s) to their original locations.`n")
        [System.IO.File]::Exists([System.IO.Path]::Combine($project, 'posix.log')) | Should -BeTrue
        @($files.Keys | Where-Object { [System.IO.File]::Exists($_) }).Count | Should -Be 2
    }

    It 'names a missing bin, then a missing log, in a message and stops' {
        $world = New-Anchor
        $run = Invoke-Vantor $world @('/R')
        $run.Output | Should -BeExactly ("[$script:Caption] The Vantor Sweep Bin was not found at:`n" + $world.Bin + "`n")
        $null = [System.IO.Directory]::CreateDirectory($world.Bin)
        $run = Invoke-Vantor $world @('/R')
        $run.Output | Should -BeExactly "[$script:Caption] The Vantor Sweep History Log was not found.`n"
    }

    It 'counts past 255 restored files, where an exit code would wrap' {
        $world = New-Anchor
        $project = [System.IO.Path]::GetFullPath([System.IO.Path]::Combine($world.Anchor, '..', 'many'))
        $mirror = [System.IO.Path]::Combine($world.Bin, $project.TrimStart('/'))
        $null = [System.IO.Directory]::CreateDirectory($mirror)
        $lines = New-Object 'System.Collections.Generic.List[string]'
        foreach ($i in 1..256) {
            $name = 'f{0:000}.log' -f $i
            [System.IO.File]::WriteAllText([System.IO.Path]::Combine($mirror, $name), 'x')
            $lines.Add('2024-05-03 10:00:00 | ' + $name.PadRight(35) + ' | ' + $project.PadRight(87) + ' | (1.0 B) [Clutter]')
        }
        [System.IO.File]::WriteAllText($world.Log, (($lines | ForEach-Object { $_ + "`r`n" }) -join ''), $script:Utf8)
        $run = Invoke-Vantor $world @('/R')
        $run.Output | Should -BeExactly ((Get-Notice) + "[$script:Caption] Successfully restored 256 file(s) to their original locations.`n")
        [System.IO.Directory]::GetFiles($project).Count | Should -Be 256
    }

    It 'round-trips a folder swept with vantor /C' {
        $world = New-Anchor
        $project = New-Project $world
        $before = Get-FolderState $project
        $null = Invoke-Vantor $world @('/C', $project)
        @(Get-FolderState $project).Count | Should -Be ($before.Count - 6)
        $run = Invoke-Vantor $world @('/R')
        $run.Output | Should -BeExactly ((Get-Notice) + "[$script:Caption] Successfully restored 6 file(s) to their original locations.`n")
        Get-FolderState $project | Should -Be $before
    }
}
