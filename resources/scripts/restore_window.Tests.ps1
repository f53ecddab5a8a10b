#Requires -Modules Pester
# Pester tests for the restore list window's logic: the rows file it reads, the
# filter it applies and the result file it writes. The window itself is drawn
# and driven under Wine.

BeforeAll {
    # The script as the program embeds it: the shared prelude, then the template.
    $parts = foreach ($part in 'prelude.ps1', 'restore_window.ps1') {
        [System.IO.File]::ReadAllText((Join-Path $PSScriptRoot $part))
    }
    $script:TemplatePath = Join-Path $TestDrive 'restore_window.ps1'
    [System.IO.File]::WriteAllText($script:TemplatePath, -join $parts)
    $VantorNoWindow = $true
    . $script:TemplatePath
}

Describe 'The restore list' {
    It 'reads rows of four columns with their numbers and skips anything else' {
        $rows = Join-Path $TestDrive 'rows.txt'
        $text = "a`tb`tc`td`r`nbroken`r`n2024`tClutter`tO'Neil [A].log`t/p/50%`r`n"
        [System.IO.File]::WriteAllText($rows, $text)
        $read = @(Read-RestoreRow -Path $rows)
        $read.Count | Should -Be 2
        $read[1].Row | Should -Be 2
        $read[1].Fields[2] | Should -BeExactly "O'Neil [A].log"
    }

    It 'filters on any column, taking wildcard characters and quotes literally' {
        $rows = @(
            [pscustomobject]@{ Row = 0; Fields = @('2024-05-03 10:00', 'Clutter', "O'Neil [A].log", '/p') }
            [pscustomobject]@{ Row = 1; Fields = @('2024-05-03 10:00', '1.0 KB', 'plain.log', '/p/50%') }
            [pscustomobject]@{ Row = 2; Fields = @('2024-05-02 09:00', 'Clutter', 'A.log', '/q*') }
        )
        $view = [System.Data.DataView]::new((New-RowTable -Row $rows))
        $cases = @(
            @{ Text = '[a]'; Rows = @(0) }
            @{ Text = "o'neil"; Rows = @(0) }
            @{ Text = '50%'; Rows = @(1) }
            @{ Text = '*'; Rows = @(2) }
            @{ Text = 'clutter'; Rows = @(0, 2) }
            @{ Text = '  '; Rows = @(0, 1, 2) }
            @{ Text = 'nothing'; Rows = @() }
        )
        foreach ($case in $cases) {
            $view.RowFilter = ConvertTo-RowFilter -Text $case.Text
            $shown = @(foreach ($item in $view) { $item['Row'] })
            ($shown -join ",") | Should -BeExactly ($case.Rows -join ",") -Because $case.Text
        }
    }

    It 'writes the chosen rows ascending, replacing an older result' {
        $result = Join-Path $TestDrive 'result.txt'
        [System.IO.File]::WriteAllText($result, 'old')
        Write-ChosenRow -Path $result -Row @(7, 0, 3)
        [System.IO.File]::ReadAllText($result) | Should -BeExactly "0`r`n3`r`n7`r`n"
    }
}
