#Requires -Modules Pester
# Pester tests for the model-version probe, on real temporary folders.

BeforeAll {
    # The probe as the program embeds it: the shared prelude, then the template.
    $script:TemplatePath = Join-Path $TestDrive 'model_probe.ps1'
    $parts = foreach ($name in 'prelude.ps1', 'model_probe.ps1') { [System.IO.File]::ReadAllText((Join-Path $PSScriptRoot $name)) }
    [System.IO.File]::WriteAllText($script:TemplatePath, -join $parts)
    $VantorNoWindow = $true
    . $script:TemplatePath

    function New-TestFolder([string]$Name) {
        $path = [System.IO.Path]::Combine($TestDrive, $Name)
        $null = [System.IO.Directory]::CreateDirectory($path)
        return $path
    }

    # A model file whose text header holds the given lines, padded with binary
    # bytes (no line breaks) to the given size.
    function New-ModelFile([string]$Folder, [string]$Name, [string[]]$Header, [int]$Size = 0, [string]$LineEnd = "`n") {
        $path = [System.IO.Path]::Combine($Folder, $Name)
        $bytes = New-Object 'System.Collections.Generic.List[byte]'
        foreach ($line in $Header) {
            $bytes.AddRange([System.Text.Encoding]::ASCII.GetBytes($line + $LineEnd))
        }
        while ($bytes.Count -lt $Size) { $bytes.Add(0x8F) }
        [System.IO.File]::WriteAllBytes($path, $bytes.ToArray())
        return $path
    }

    function Get-CreoHeader([int]$Version, [int]$Line = 4) {
        $lines = New-Object 'System.Collections.Generic.List[string]'
        $lines.Add('#UGC:2 PART 1681 1500 2 1 0 26 2500 2024000 00000101 \')
        $lines.Add('#- VERS 0 0')
        while ($lines.Count -lt ($Line - 2)) { $lines.Add('#- HOST 1 0') }
        $lines.Add('#-END_OF_UGC_HEADER')
        $lines.Add("#Creo  TM  $Version.0  (c) 2024 by PTC Inc. All Rights Reserved. $Version.0.2.0")
        $lines.Add('#USER_ID 0 0')
        return $lines.ToArray()
    }

    function Add-Bytes([string]$Path, [byte[]]$Bytes) {
        $stream = [System.IO.File]::Open($Path, [System.IO.FileMode]::Append)
        try { $stream.Write($Bytes, 0, $Bytes.Length) } finally { $stream.Dispose() }
    }

    # Creo data marked with a build code instead of a version number.
    function Get-BuildCodeHeader([string]$Code) {
        $lines = [System.Collections.Generic.List[string]]::new()
        $lines.Add('#UGC:2 PART 1863 1500 2 1 0 35 3400 2014330 00000131 \')
        foreach ($tag in 'VERS 0 0', 'HOST', 'LINK', 'DBID', 'REVS 0,', 'RELL 0,', 'UOBJ_ID 0 0 0', 'MACH _Windows') {
            $lines.Add("#- $tag")
        }
        $lines.Add('#-END_OF_UGC_HEADER')
        $lines.Add("#Creo  TM  Version $Code  (c) 2015 by PTC Inc.  All Rights Reserved. U520")
        return $lines.ToArray()
    }

    # Predecessor data: the UGC header, then a P_OBJECT text block, then the
    # mark on the given line.
    function Get-PredecessorHeader([string]$Mark, [int]$Line) {
        $lines = [System.Collections.Generic.List[string]]::new()
        $lines.Add('#UGC:2 PART 1179 710 4 1 1 15 2201 2001040 00000233 \')
        $lines.Add('#- VERS 0 0')
        $lines.Add('#-END_OF_UGC_HEADER')
        $lines.Add('#P_OBJECT 6')
        while ($lines.Count -lt ($Line - 1)) {
            $lines.Add('@P_object 1 0')
            $lines.Add('0 1 ->')
            $lines.Add('@depend_on_list 2 0  -> 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20')
        }
        while ($lines.Count -gt ($Line - 1)) { $lines.RemoveAt($lines.Count - 1) }
        $lines.Add($Mark)
        $lines.Add('#UGC_TOC 1 31 81 17')
        return $lines.ToArray()
    }

    # A stand-in PTC root holding the given installation folders; a folder named
    # with a trailing '!' gets no parametric.exe.
    function New-PtcRoot([string]$Root, [string[]]$Installation) {
        $null = [System.IO.Directory]::CreateDirectory($Root)
        foreach ($name in $Installation) {
            if ($name.EndsWith('!')) {
                $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::Combine($Root, $name.TrimEnd('!'), 'Parametric', 'bin'))
                continue
            }
            $bin = [System.IO.Path]::Combine($Root, $name, 'Parametric', 'bin')
            $null = [System.IO.Directory]::CreateDirectory($bin)
            [System.IO.File]::WriteAllText([System.IO.Path]::Combine($bin, 'parametric.exe'), 'stand-in')
        }
        return $Root
    }
}

Describe 'Get-ModelDataVersion' {
    It 'reads the Creo mark of each major version and keeps the highest' -ForEach @(
        @{ Versions = @(9); Expected = 9 }
        @{ Versions = @(10); Expected = 10 }
        @{ Versions = @(11, 9); Expected = 11 }
        @{ Versions = @(9, 12, 10); Expected = 12 }
    ) {
        $folder = New-TestFolder "marks$($Versions -join '_')"
        $i = 0
        foreach ($version in $Versions) {
            $i++
            $null = New-ModelFile $folder "m$i.prt" (Get-CreoHeader $version) (1000 * $i)
        }
        Get-ModelDataVersion -Directory $folder | Should -Be $Expected
    }

    It 'reads the mark where real headers put it: <Case>' -ForEach @(
        @{ Case = 'Creo 10 on line 12'; Expected = 10; Files = @(@{ Lines = { Get-CreoHeader 10 -Line 12 } }) }
        @{ Case = '12 without .0'; Expected = 12; Files = @(@{ Lines = { @('#UGC:2 PART 2330 1500', '#-END_OF_UGC_HEADER',
                    '#Creo  TM  12  (c) 2025 by PTC Inc.  All Rights Reserved.') } }) }
        @{ Case = 'build code P-20-53 is Creo 3'; Expected = 3; Files = @(@{ Lines = { Get-BuildCodeHeader 'P-20-53' } }) }
        @{ Case = 'another build code is Creo of unknown version'; Expected = -1
            Files = @(@{ Lines = { Get-BuildCodeHeader 'Q-01-07' } }) }
        @{ Case = 'Creo without number or build code'; Expected = -1; Files = @(@{ Lines = { @('#-END_OF_UGC_HEADER',
                    '#Creo  TM  (c) 2016 by PTC Inc.', '#Pro/ENGINEER  TM  Wildfire 4.0') } }) }
        @{ Case = 'unknown Creo and a Creo 9 file: 9'; Expected = 9
            Files = @(@{ Lines = { Get-BuildCodeHeader 'Q-01-07' } }, @{ Lines = { Get-CreoHeader 9 } }) }
        @{ Case = 'Wildfire 4 on line 105 after a P_OBJECT block'; Expected = 5
            Files = @(@{ Lines = { Get-PredecessorHeader '#Pro/ENGINEER  TM  Wildfire 4.0  (c) 2007 by PTC' 105 } }) }
        @{ Case = '2001 on line 70, CR line ends'; Expected = 5; LineEnd = "`r"
            Files = @(@{ Lines = { Get-PredecessorHeader '#Pro/ENGINEER  TM  2001  (c) 2001 by PTC' 70 } }) }
        @{ Case = 'PT/Products build code, CR LF line ends'; Expected = 5; LineEnd = "`r`n"
            Files = @(@{ Lines = { Get-PredecessorHeader '#PT/Products  Version H-01-33' 40 } }) }
        @{ Case = 'a line must begin with #'; Expected = -1; Files = @(@{ Lines = { @('#-END_OF_UGC_HEADER',
                    'Wildfire 4.0 model', ' #Creo  TM  11.0') } }) }
        @{ Case = 'binary tail naming Wildfire'; Expected = -1
            Files = @(@{ Lines = { @('#UGC:2 PART 1681', '#-END_OF_UGC_HEADER', '#UGC_TOC 1 31 81 17') }
                    Tail = "`0" + [char]0x8F + "Wildfire 4.0`n#Pro/ENGINEER  TM  Wildfire 4.0`n" }) }
        @{ Case = 'Wildfire 3 on line 400, past the first short read'; Expected = 5
            Files = @(@{ Lines = { Get-PredecessorHeader '#Pro/ENGINEER  TM  Wildfire 3.0' 400 } }) }
        @{ Case = 'mark beyond 64 KiB of text'; Expected = -1
            Files = @(@{ Lines = { Get-PredecessorHeader '#Pro/ENGINEER  TM  Wildfire 3.0' 2200 } }) }
        @{ Case = 'the newest file is the smallest'; Expected = 4
            Files = @(
                @{ Lines = { Get-CreoHeader 4 -Line 12 }; Size = 56000; Age = 0 }
                foreach ($i in 1..6) { @{ Lines = { Get-PredecessorHeader '#Pro/ENGINEER  TM  Wildfire 5.0' 20 }; Size = 900000 + $i; Age = 10 + $i } }
                foreach ($i in 1..6) { @{ Lines = { Get-CreoHeader 2 }; Size = 60000 + $i; Age = 1 + $i } }
            ) }
    ) {
        $folder = New-TestFolder ('marks' + [guid]::NewGuid().ToString('N'))
        $lineEnd = "`n"
        if ($_.ContainsKey('LineEnd')) { $lineEnd = $_.LineEnd }
        $i = 0
        foreach ($file in $Files) {
            $i++
            $path = New-ModelFile $folder "m$i.prt" (& $file.Lines) 0 $lineEnd
            if ($file.ContainsKey('Tail')) { Add-Bytes $path ([System.Text.Encoding]::GetEncoding(28591).GetBytes($file.Tail)) }
            if ($file.ContainsKey('Size')) { Add-Bytes $path ([byte[]]::new($file.Size - (Get-Item $path).Length)) }
            if ($file.ContainsKey('Age')) { [System.IO.File]::SetLastWriteTimeUtc($path, [datetime]::UtcNow.AddDays(-$file.Age)) }
        }
        Get-ModelDataVersion -Directory $folder | Should -Be $Expected
    }

    It 'gives -1 for models without a mark and 0 for a folder without models' {
        $unmarked = New-TestFolder 'unmarked'
        $null = New-ModelFile $unmarked 'plain.drw' @('#UGC:2 DRAWING', '#-END_OF_UGC_HEADER', '#USER_ID 0') 5000
        Get-ModelDataVersion -Directory $unmarked | Should -Be -1

        $empty = New-TestFolder 'nomodels'
        $null = New-ModelFile $empty 'notes.txt' (Get-CreoHeader 11) 100
        $null = New-ModelFile $empty 'bracket.prt.bak' (Get-CreoHeader 11) 100
        Get-ModelDataVersion -Directory $empty | Should -Be 0
    }

    It 'recognises iterations and upper-case extensions, and skips hidden files' {
        $folder = New-TestFolder 'names'
        $null = New-ModelFile $folder 'bracket.prt.7' (Get-CreoHeader 9) 500
        $null = New-ModelFile $folder 'FRAME.ASM' (Get-CreoHeader 10) 400
        $hidden = New-ModelFile $folder '.cache.prt' (Get-CreoHeader 12) 600
        [System.IO.File]::SetAttributes($hidden, [System.IO.File]::GetAttributes($hidden) -bor [System.IO.FileAttributes]::Hidden)
        Get-ModelDataVersion -Directory $folder | Should -Be 10
    }

    It 'samples the five largest and the five newest models, each once' {
        $folder = New-TestFolder 'sample'
        foreach ($i in 1..11) {
            $path = New-ModelFile $folder "big$i.prt" (Get-CreoHeader 9) (100000 + $i)
            [System.IO.File]::SetLastWriteTimeUtc($path, [datetime]::UtcNow.AddDays(-$i))
        }
        # Neither among the largest nor among the newest: unnoticed.
        $path = New-ModelFile $folder 'small.prt' (Get-CreoHeader 12) 2000
        [System.IO.File]::SetLastWriteTimeUtc($path, [datetime]::UtcNow.AddDays(-30))
        Get-ModelDataVersion -Directory $folder | Should -Be 9
        (Select-ModelSample -File (Get-ModelFile -Directory $folder)).Name | Should -Be @('big11.prt', 'big10.prt', 'big9.prt', 'big8.prt', 'big7.prt', 'big1.prt', 'big2.prt', 'big3.prt',
                'big4.prt', 'big5.prt')

        # Among the five largest it is seen.
        $null = New-ModelFile $folder 'small.prt' (Get-CreoHeader 12) 100004
        Get-ModelDataVersion -Directory $folder | Should -Be 12
    }

    It 'reads only the start of a large model without line breaks' {
        $folder = New-TestFolder 'binary'
        $null = New-ModelFile $folder 'solid.prt' @('#Creo  TM  11.0') 3000000
        Get-ModelDataVersion -Directory $folder | Should -Be 11
    }

    It 'gives 0 for a folder that does not exist' {
        Get-ModelDataVersion -Directory ([System.IO.Path]::Combine($TestDrive, 'missing')) | Should -Be 0
    }
}

Describe 'Get-PtcRoot' {
    It 'walks up from each install location to the Creo or PROE folder and keeps its parent once' {
        $rootA = New-PtcRoot ([System.IO.Path]::Combine($TestDrive, 'regA', 'PTC')) @('Creo 10.0.2.0', 'PROE Wildfire 5.0')
        $rootB = New-PtcRoot ([System.IO.Path]::Combine($TestDrive, 'regB')) @('creo 11.0.0.0')
        $deep = [System.IO.Path]::Combine($rootA, 'Creo 10.0.2.0', 'Parametric', 'bin')
        $locations = @(
            $deep,
            [System.IO.Path]::Combine($rootB, 'creo 11.0.0.0'),
            [System.IO.Path]::Combine($rootA, 'PROE Wildfire 5.0'),
            [System.IO.Path]::Combine($TestDrive, 'regA', 'gone'),
            (New-TestFolder 'plain\folder'.Replace('\', [System.IO.Path]::DirectorySeparatorChar)),
            ''
        )
        $fallback = New-TestFolder 'fallbackUnused'
        $roots = Get-PtcRoot -InstallLocation $locations -FallbackRoot $fallback
        $roots | Should -Be @($rootA, $rootB)
    }

    It 'uses the fallback root only when the registry gives none and it exists' {
        $fallback = New-TestFolder 'fallbackPTC'
        Get-PtcRoot -InstallLocation @() -FallbackRoot $fallback | Should -Be @($fallback)
        $none = Get-PtcRoot -InstallLocation @() -FallbackRoot ([System.IO.Path]::Combine($TestDrive, 'nope'))
        $none.Count | Should -Be 0
    }

    It 'takes the fallback from ProgramFiles' {
        $saved = $env:ProgramFiles
        try {
            $env:ProgramFiles = [System.IO.Path]::Combine($TestDrive, 'pf')
            Get-DefaultPtcRoot | Should -Be ([System.IO.Path]::Combine($TestDrive, 'pf', 'PTC'))
            $env:ProgramFiles = $null
            Get-DefaultPtcRoot | Should -Be 'C:\Program Files\PTC'
        }
        finally {
            $env:ProgramFiles = $saved
        }
    }
}

Describe 'Get-CreoInstallation' {
    It 'lists the major versions of folders holding parametric.exe' {
        $root1 = New-PtcRoot ([System.IO.Path]::Combine($TestDrive, 'inst1')) @('Creo 9.0.3.0', 'Creo 11.0.1.0', 'Creo 12.0.0.0!', 'Creo abc', 'Other 13.0', 'Creo 10.0.0.0')
        $root2 = New-PtcRoot ([System.IO.Path]::Combine($TestDrive, 'inst2')) @('Creo 8.0.0.0', 'Creo 10.0.2.0')
        $result = Get-CreoInstallation -Root @($root1, $root2, ([System.IO.Path]::Combine($TestDrive, 'absent'))) -DataVersion 9
        $result.Latest | Should -Be 11
        $result.DataInstalled | Should -Be 1
        $result.Others | Should -Be @(8, 9, 10)
    }

    It 'reports nothing installed for no roots' {
        $result = Get-CreoInstallation -Root @() -DataVersion 0
        $result.Latest | Should -Be 0
        $result.DataInstalled | Should -Be 0
        $result.Others.Count | Should -Be 0
    }
}

Describe 'Invoke-ModelProbe' {
    It 'writes one result line with both halves' {
        $target = New-TestFolder 'project'
        $null = New-ModelFile $target 'bracket.prt.3' (Get-CreoHeader 9) 4000
        $root = New-PtcRoot ([System.IO.Path]::Combine($TestDrive, 'pf1', 'PTC')) @('Creo 9.0.0.0', 'Creo 11.0.0.0', 'Creo 10.0.1.0')
        Invoke-ModelProbe -TargetDir $target -InstallLocation @() -FallbackRoot $root |
            Should -BeExactly "X|9|$root|11|1|9,10"
    }

    It 'writes NONE for no installation and joins several roots with *' {
        $target = New-TestFolder 'project2'
        Invoke-ModelProbe -TargetDir $target -InstallLocation @() -FallbackRoot ([System.IO.Path]::Combine($TestDrive, 'none')) |
            Should -BeExactly 'X|0|NONE|0|0|NONE'

        $r1 = New-PtcRoot ([System.IO.Path]::Combine($TestDrive, 'multi1')) @('Creo 10.0.0.0')
        $r2 = New-PtcRoot ([System.IO.Path]::Combine($TestDrive, 'multi2')) @('Creo 10.0.2.0')
        $locations = @([System.IO.Path]::Combine($r1, 'Creo 10.0.0.0'), [System.IO.Path]::Combine($r2, 'Creo 10.0.2.0'))
        Invoke-ModelProbe -TargetDir $target -InstallLocation $locations -FallbackRoot $r1 |
            Should -BeExactly "X|0|$r1*$r2|10|0|NONE"
    }
}

Describe 'The filled template' {
    BeforeAll {
        function Invoke-FilledProbe([string]$Target, [string]$ProgramFiles) {
            $encoded = [System.Convert]::ToBase64String([System.Text.Encoding]::UTF8.GetBytes($Target))
            $text = [System.IO.File]::ReadAllText($script:TemplatePath).Replace('%TARGET_DIR%', $encoded)
            $payload = [System.IO.Path]::Combine($TestDrive, 'Vantor_Payload_test.ps1')
            # As the program writes it: UTF-8 with a byte-order mark, CR LF line ends.
            [System.IO.File]::WriteAllText($payload, $text.Replace("`r`n", "`n").Replace("`n", "`r`n"), (New-Object System.Text.UTF8Encoding -ArgumentList $true))
            $pwsh = (Get-Command -Name pwsh -CommandType Application | Select-Object -First 1).Source
            $saved = $env:ProgramFiles
            Push-Location -LiteralPath $TestDrive
            try {
                $env:ProgramFiles = $ProgramFiles
                $output = & $pwsh -NoProfile -NonInteractive -ExecutionPolicy Bypass -File $payload 2>&1
            }
            finally {
                $env:ProgramFiles = $saved
                Pop-Location
            }
            return @($output | ForEach-Object { [string]$_ })
        }
    }

    It 'probes folders whose names hold quotes and code as plain data' -ForEach @(
        @{ Name = "Bob's bracket" }
        @{ Name = "Bob$([char]0x2019)s parts" }
        @{ Name = '$(Set-Content canary.txt 1) `n "q"' }
    ) {
        $pf = New-TestFolder ('pf' + [guid]::NewGuid().ToString('N'))
        $root = New-PtcRoot ([System.IO.Path]::Combine($pf, 'PTC')) @('Creo 10.0.2.0', 'Creo 11.0.0.0')
        $target = New-TestFolder $Name
        $null = New-ModelFile $target 'bracket.prt.7' (Get-CreoHeader 10) 2000
        $output = Invoke-FilledProbe -Target $target -ProgramFiles $pf
        $output | Should -Be @("X|10|$root|11|1|10")
        Test-Path -LiteralPath ([System.IO.Path]::Combine($TestDrive, 'canary.txt')) | Should -BeFalse
    }
}

Describe 'Template layout' {
    It 'uses its placeholder only in the entry layer' {
        $lines = [System.IO.File]::ReadAllLines($script:TemplatePath)
        $guard = [array]::FindIndex($lines, [Predicate[string]] { param($l) $l -match '^if \(.*VantorNoWindow' })
        $guard | Should -BeGreaterThan 0
        for ($i = 0; $i -lt $guard; $i++) { $lines[$i] | Should -Not -Match '%[A-Z_]+%' }
        ($lines[$guard..($lines.Count - 1)] -join "`n") | Should -Match "'%TARGET_DIR%'"
    }
}
