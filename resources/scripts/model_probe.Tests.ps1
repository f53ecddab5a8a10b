#Requires -Modules Pester
# Pester tests for the model-version probe, on real temporary folders.

BeforeAll {
    $script:TemplatePath = Join-Path $PSScriptRoot 'model_probe.ps1'
    $VantorNoWindow = $true
    . $script:TemplatePath

    function New-TestFolder([string]$Name) {
        $path = [System.IO.Path]::Combine($TestDrive, $Name)
        $null = [System.IO.Directory]::CreateDirectory($path)
        return $path
    }

    # A model file whose text header holds the given lines, padded with binary
    # bytes (no line breaks) to the given size.
    function New-ModelFile([string]$Folder, [string]$Name, [string[]]$Header, [int]$Size = 0) {
        $path = [System.IO.Path]::Combine($Folder, $Name)
        $bytes = New-Object 'System.Collections.Generic.List[byte]'
        foreach ($line in $Header) {
            $bytes.AddRange([System.Text.Encoding]::ASCII.GetBytes($line + "`n"))
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

    It 'finds the mark on the thirteenth line but not on the fourteenth' {
        $on13 = New-TestFolder 'line13'
        $null = New-ModelFile $on13 'a.prt' (Get-CreoHeader 10 -Line 13) 4000
        Get-ModelDataVersion -Directory $on13 | Should -Be 10

        $on14 = New-TestFolder 'line14'
        $null = New-ModelFile $on14 'a.prt' (Get-CreoHeader 10 -Line 14) 4000
        Get-ModelDataVersion -Directory $on14 | Should -Be -1
    }

    It 'counts Wildfire and Pro/ENGINEER as 5, matching letter case loosely' -ForEach @(
        @{ Mark = '#Wildfire 4.0 (c) 2008 by Parametric Technology Corporation' }
        @{ Mark = '#Pro/ENGINEER  TM  Wildfire 5.0 (c) 2009' }
        @{ Mark = '#pro/engineer  Release 2001' }
    ) {
        $folder = New-TestFolder ('legacy' + [guid]::NewGuid().ToString('N'))
        $null = New-ModelFile $folder 'old.asm' @('#UGC:2 ASSEMBLY', '#-END_OF_UGC_HEADER', $Mark) 3000
        Get-ModelDataVersion -Directory $folder | Should -Be 5
    }

    It 'takes the first mark line of a file: a Wildfire line before a Creo mark gives 5' {
        $folder = New-TestFolder 'firstmark'
        $null = New-ModelFile $folder 'x.prt' @('#-END_OF_UGC_HEADER', '#Wildfire 2.0', '#Creo  TM  11.0') 3000
        Get-ModelDataVersion -Directory $folder | Should -Be 5
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

    It 'samples only the five largest models: a small newer file goes unnoticed' {
        $folder = New-TestFolder 'sample'
        foreach ($i in 1..6) {
            $null = New-ModelFile $folder "big$i.prt" (Get-CreoHeader 9) (100000 + $i)
        }
        $null = New-ModelFile $folder 'small.prt' (Get-CreoHeader 12) 2000
        Get-ModelDataVersion -Directory $folder | Should -Be 9

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
        $guard = [array]::FindIndex($lines, [Predicate[string]] { param($l) $l -match '^if \(Get-Variable -Name VantorNoWindow' })
        $guard | Should -BeGreaterThan 0
        for ($i = 0; $i -lt $guard; $i++) { $lines[$i] | Should -Not -Match '%[A-Z_]+%' }
        ($lines[$guard..($lines.Count - 1)] -join "`n") | Should -Match "'%TARGET_DIR%'"
    }
}
