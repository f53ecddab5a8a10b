#Requires -Modules Pester
# Pester tests for the configuration editor: reading, saving and removal on real
# temporary folders, the rows of each mode, and the window layer built on
# stand-in Windows Forms types where the machine has none.

BeforeAll {
    Set-StrictMode -Version 3.0
    # The script as the program embeds it: the shared prelude, then the template.
    $script:TemplatePath = Join-Path $TestDrive 'config_editor.ps1'
    $parts = foreach ($part in 'prelude.ps1', 'config_editor.ps1') { [System.IO.File]::ReadAllText((Join-Path $PSScriptRoot $part)) }
    [System.IO.File]::WriteAllText($script:TemplatePath, -join $parts)
    $script:MasterTemplate = Join-Path $PSScriptRoot '../templates/Vantor.ini'
    $script:SpecialTemplate = Join-Path $PSScriptRoot '../templates/VantorSP.ini'
    $VantorNoWindow = $true
    . $script:TemplatePath

    function New-TestFolder([string]$Name) {
        $path = [System.IO.Path]::Combine($TestDrive, $Name + '_' + [guid]::NewGuid().ToString('N').Substring(0, 8))
        $null = [System.IO.Directory]::CreateDirectory($path)
        return $path
    }

    function Get-TemplateLine([string]$Path) {
        return , [string[]]@(Read-IniLine -Path $Path)
    }

    function ConvertTo-Base64Text([string]$Text) {
        return [System.Convert]::ToBase64String([System.Text.Encoding]::UTF8.GetBytes($Text))
    }

    # Saves like the Save button: existing lines, new values, mode.
    function Invoke-Save([string[]]$Line, [hashtable]$Value, [bool]$SpecialProject = $false, [bool]$CleanerMode = $false) {
        Get-SavedIniLine -Line $Line -Value $Value -SpecialProject $SpecialProject -CleanerMode $CleanerMode
    }
}

Describe 'Reading the installed versions' {
    It 'gives <Expected> for "<Text>"' -ForEach @(
        @{ Text = ''; Expected = @('') }
        @{ Text = '0'; Expected = @('') }
        @{ Text = '11,8,9,10'; Expected = @('', '11', '10', '9', '8') }
        @{ Text = '9'; Expected = @('', '9') }
        @{ Text = ' 10 , x,, 9 '; Expected = @('', '10', '9') }
    ) {
        Get-VersionList -InstalledVersions $Text | Should -Be $Expected
    }
}

Describe 'Reading the master reference values' {
    It 'reads the master template' {
        $master = Get-MasterReferenceValue -Line (Get-TemplateLine $script:MasterTemplate)
        $master['CP_Countdown'] | Should -BeExactly 'Long'
        $master['CP_Keep_N'] | Should -BeExactly '1'
        $master['CP_Max_Days'] | Should -BeExactly '21'
        $master['CP_Version_Max'] | Should -BeExactly ''
        $master['CP_Launch_Sweep'] | Should -BeTrue
        $master['CP_Reset_Config'] | Should -BeTrue
        $master['CP_Reset_UI'] | Should -BeFalse
        $master['CP_Reset_Mapkeys'] | Should -BeTrue
        $rules = $master['CP_Clutter'] -split ','
        $rules.Count | Should -Be 27
        $rules[0] | Should -BeExactly '*.lst*'
        $rules[26] | Should -BeExactly '*.xas'
    }
}

Describe 'Reading a file as the program does' {
    It 'starts every input at the value the program uses (<Name>)' -ForEach @(
        @{
            Name = 'master file with duplicates and unusual words'; SP = $false
            Lines = @('CP_Keep_N=2', '  CP_Keep_N = 4 ', 'CP_Keep_N=', 'CP_Creo_Cmd=a.bat', 'CP_Creo_Cmd=b.bat',
                'CP_Clutter=*.tmp, *.bak', 'CP_Clutter=', 'CP_Clutter=*.log,,', 'CP_Reset_UI=TRUE',
                'CP_Reset_Config=On', 'CP_Reset_Mapkeys=y', 'CP_Reset_Mapkeys=Yes', 'CP_Launch_Sweep=off',
                '  CP_Countdown=Hold', 'CP_Countdown=short', 'cp_countdown=None', 'Vantor_Setup_Master=\\a',
                'Vantor_Setup_Master=', 'CP_Max_Days=30', 'Some help text (e.g., =10)')
            Expected = @{
                CP_Keep_N = '2'; CP_Creo_Cmd = 'a.bat'; CP_Clutter = '*.tmp,*.bak,*.log'; CP_Reset_UI = 'Yes'
                CP_Reset_Config = 'Yes'; CP_Reset_Mapkeys = 'No'; CP_Launch_Sweep = 'Yes'; CP_Countdown = 'Short'
                Vantor_Setup_Master = ''; CP_Max_Days = '30'; CP_Version_Max = ''
            }
        }
        @{
            Name = 'master file without any setting'; SP = $false; Lines = @('[ Environment Launch ]')
            Expected = @{
                CP_Keep_N = ''; CP_Countdown = 'Medium'; CP_Launch_Sweep = 'Yes'; CP_Reset_Config = 'Yes'
                CP_Reset_UI = 'No'; CP_Reset_Mapkeys = 'No'; CP_Clutter = ''
            }
        }
        @{
            Name = 'Special Project with empty and unknown values'; SP = $true
            Lines = @('CP_Version_Max=', 'CP_Version_Max=11', 'CP_Keep_N=3', 'CP_Keep_N=', 'CP_Countdown=forever',
                'CP_Reset_Config=', 'CP_Reset_UI=True', 'CP_Reset_Mapkeys=0', 'CP_Launch_Sweep=n', 'CP_Clutter=')
            Expected = @{
                CP_Version_Max = ''; CP_Keep_N = '3'; CP_Countdown = 'Medium'; CP_Reset_Config = ''
                CP_Reset_UI = 'No'; CP_Reset_Mapkeys = 'No'; CP_Launch_Sweep = 'No'; CP_Clutter = ''
            }
        }
        @{
            Name = 'Special Project template'; SP = $true; Lines = @('template')
            Expected = @{
                CP_Version_Max = ''; CP_Creo_Cmd = ''; CP_Keep_N = ''; CP_Countdown = ''; CP_Launch_Sweep = ''
                CP_Reset_Config = ''; CP_Reset_UI = ''; CP_Reset_Mapkeys = ''; CP_Clutter = ''
            }
        }
    ) {
        if ($Lines[0] -eq 'template') { $Lines = Get-TemplateLine $script:SpecialTemplate }
        $values = Get-ProgramValue -Line $Lines -SpecialProject $SP
        foreach ($key in $Expected.Keys) { $values[$key] | Should -BeExactly $Expected[$key] -Because $key }
    }

    It 'keeps a yes/no word the program cannot read for the window (SP <SP>)' -ForEach @(
        @{ SP = $true }, @{ SP = $false }
    ) {
        $lines = @('CP_Reset_Config=perhaps', 'CP_Reset_UI=TRUE', 'CP_Launch_Sweep=perhaps')
        $values = Get-ProgramValue -Line $lines -SpecialProject $SP -KeepUnreadable
        $values['CP_Reset_Config'] | Should -BeExactly 'perhaps'
        $values['CP_Reset_UI'] | Should -BeExactly 'Yes'
        # The sweep switch reads every word: all but its "no" words mean yes.
        $values['CP_Launch_Sweep'] | Should -BeExactly 'Yes'
    }

    It 'gives the hints the master values as booleans for yes/no keys' {
        $master = Get-MasterReferenceValue -Line @('CP_Reset_UI=TRUE', 'CP_Launch_Sweep=off', 'CP_Reset_Mapkeys=no')
        $master['CP_Reset_UI'] | Should -BeTrue
        $master['CP_Launch_Sweep'] | Should -BeTrue
        $master['CP_Reset_Config'] | Should -BeTrue
        $master['CP_Reset_Mapkeys'] | Should -BeFalse
    }
}

Describe 'Saving without a change' {
    BeforeAll {
        # Files written by hand: duplicates, unusual yes/no words, indented and
        # misspelt keys, LF line ends, a byte-order mark, Windows-1252 text.
        $utf8 = [System.Text.Encoding]::UTF8
        $legacy = [System.Text.Encoding]::GetEncoding(1252)
        $script:HandWritten = @(
            @{ Name = 'master, LF'; SP = $false; Bytes = $utf8.GetBytes(
                    "CP_Creo_Cmd=a.bat`nCP_Creo_Cmd=b.bat`nCP_Launch_Sweep=off`nCP_Reset_UI=True`nCP_Keep_N = 3`n" +
                    "  CP_Countdown=Hold`nCP_Countdown=soon`nCP_Clutter=*.tmp, *.bak`nCP_Clutter=*.log`nnote`n")
            }
            @{ Name = 'master, mark, no last line end'; SP = $false; Bytes = [byte[]]@(0xEF, 0xBB, 0xBF) +
                $utf8.GetBytes("CP_Keep_N=2`r`nCP_Keep_N=4`r`nCP_Reset_Config=maybe`r`nCP_Max_Days=")
            }
            @{ Name = 'Special Project, Windows-1252'; SP = $true; Bytes = $legacy.GetBytes(
                    "CP_Creo_Cmd=C:\Pr$([char]0xFC)fung\creo.bat`r`nCP_Reset_UI=`r`nCP_Reset_Mapkeys=Y`r`n" +
                    "CP_Launch_Sweep=FALSE`r`n")
            }
            @{ Name = 'empty Special Project'; SP = $true; Bytes = [byte[]]@() }
        )

        function Get-HandWrittenState($File, [bool]$CleanerMode) {
            $master = Join-Path (New-TestFolder 'anchor') 'Vantor.ini'
            $path = $master
            if ($File.SP) { $path = Join-Path (New-TestFolder 'project') 'VantorSP.ini' }
            [System.IO.File]::WriteAllBytes($path, $File.Bytes)
            $arguments = @{
                IniPath = $path; ModeLabel = 'm'; FileLabel = 'f'; InstalledVersions = '11,10'; MasterIni = $master
                CleanerMode = $CleanerMode
            }
            return Get-EditorState @arguments
        }
    }

    It 'leaves the file byte for byte as it was (cleaner mode <Cleaner>)' -ForEach @(
        @{ Cleaner = $false }
        @{ Cleaner = $true }
    ) {
        foreach ($file in $script:HandWritten) {
            $state = Get-HandWrittenState $file $Cleaner
            $saving = @{ Path = $state.IniPath; SpecialProject = $file.SP; CleanerMode = $Cleaner }
            Save-EditorValue @saving -Value $state.Initial.Clone() -Initial $state.Initial
            [System.IO.File]::ReadAllBytes($state.IniPath) | Should -Be $file.Bytes -Because $file.Name
        }
    }

    It 'rewrites only the key that changed' {
        $state = Get-HandWrittenState $script:HandWritten[0] $false
        $state.Initial['CP_Creo_Cmd'] | Should -BeExactly 'a.bat'
        $value = $state.Initial.Clone()
        $value['CP_Reset_UI'] = 'Yes'
        $saving = @{ Path = $state.IniPath; SpecialProject = $false; CleanerMode = $false }
        Save-EditorValue @saving -Value $value -Initial $state.Initial
        Read-IniLine -Path $state.IniPath | Should -Be @('CP_Creo_Cmd=a.bat', 'CP_Creo_Cmd=b.bat',
            'CP_Launch_Sweep=off', 'CP_Reset_UI=Yes', 'CP_Keep_N = 3', '  CP_Countdown=Hold', 'CP_Countdown=soon',
            'CP_Clutter=*.tmp, *.bak',
            'CP_Clutter=*.log', 'note')
    }
}

Describe 'Reading file bytes' {
    It 'reads a missing file as no lines' {
        @(Read-IniLine -Path (Join-Path $TestDrive 'missing.ini')).Count | Should -Be 0
    }

    It 'reads a missing folder as no lines' {
        @(Read-IniLine -Path (Join-Path $TestDrive 'nowhere/VantorSP.ini')).Count | Should -Be 0
    }

    It 'drops a byte-order mark and splits CR LF, LF and CR' {
        $path = Join-Path (New-TestFolder 'bom') 'x.ini'
        [System.IO.File]::WriteAllBytes($path, [byte[]](@(0xEF, 0xBB, 0xBF) + [System.Text.Encoding]::UTF8.GetBytes("A=1`r`nB=2`nC=3`rD=4`r`n")))
        Read-IniLine -Path $path | Should -Be @('A=1', 'B=2', 'C=3', 'D=4')
    }

    It 'keeps accented letters of a file in the system code page' {
        $path = Join-Path (New-TestFolder 'ansi') 'x.ini'
        # "Bauteil für Müller" in Windows-1252.
        $bytes = [System.Text.Encoding]::ASCII.GetBytes("Bauteil f`tr M`tller`r`n")
        $bytes[9] = 0xFC
        $bytes[13] = 0xFC
        [System.IO.File]::WriteAllBytes($path, $bytes)
        Read-IniLine -Path $path | Should -Be @("Bauteil f$([char]0xFC)r M$([char]0xFC)ller")
    }

    It 'throws when the path cannot be read' {
        { Read-IniLine -Path (New-TestFolder 'adir') } | Should -Throw
    }
}

Describe 'Computing the saved lines' {
    It 'adds no line for an empty key in master mode' {
        Invoke-Save -Line @('Help', 'CP_Keep_N=1') -Value @{ CP_Keep_N = '2'; CP_Creo_Cmd = '' } |
            Should -Be @('Help', 'CP_Keep_N=2')
    }

    It 'adds an empty line for an empty key in a Special Project' {
        Invoke-Save -Line @('Help', 'CP_Keep_N=1') -Value @{ CP_Keep_N = '2'; CP_Creo_Cmd = '' } -SpecialProject $true |
            Should -Be @('Help', 'CP_Keep_N=2', 'CP_Creo_Cmd=')
    }

    It 'writes an undecided check box as an empty value in a Special Project' {
        $value = ConvertFrom-CheckState -State Indeterminate -SpecialProject $true
        Invoke-Save -Line @('CP_Reset_UI=Yes') -Value @{ CP_Reset_UI = $value } -SpecialProject $true |
            Should -Be @('CP_Reset_UI=')
        Invoke-Save -Line @() -Value @{ CP_Reset_UI = $value } -SpecialProject $true | Should -Be @('CP_Reset_UI=')
    }

    It 'replaces an emptied value in master mode' {
        Invoke-Save -Line @('CP_Creo_Cmd=a.bat') -Value @{ CP_Creo_Cmd = '' } | Should -Be @('CP_Creo_Cmd=')
    }

    It 'leaves launch keys and an emptied CP_Keep_N alone in cleaner mode' {
        $lines = @('CP_Version_Max=10', 'CP_Creo_Cmd=a.bat', 'Vantor_Setup_Master=\\srv\x', 'CP_Countdown=Long',
            'CP_Launch_Sweep=Yes', 'CP_Reset_Config=Yes', 'CP_Reset_UI=No', 'CP_Reset_Mapkeys=Yes',
            'CP_Keep_N=2', 'CP_Max_Days=21', 'CP_Clutter=*.tmp')
        $value = @{ CP_Countdown = 'Hold'; CP_Launch_Sweep = 'No'; CP_Keep_N = ''; CP_Max_Days = '30'; CP_Clutter = '*.tmp,*.bak' }
        Invoke-Save -Line $lines -Value $value -CleanerMode $true | Should -Be @(
            'CP_Version_Max=10', 'CP_Creo_Cmd=a.bat', 'Vantor_Setup_Master=\\srv\x', 'CP_Countdown=Hold',
            'CP_Launch_Sweep=No', 'CP_Reset_Config=Yes', 'CP_Reset_UI=No', 'CP_Reset_Mapkeys=Yes',
            'CP_Keep_N=2', 'CP_Max_Days=30', 'CP_Clutter=*.tmp', 'CP_Clutter=*.bak')
    }

    It 'appends no empty key in cleaner mode, not even in a Special Project' {
        Invoke-Save -Line @('Help') -Value @{ CP_Keep_N = ''; CP_Countdown = 'None'; CP_Clutter = '' } -SpecialProject $true -CleanerMode $true |
            Should -Be @('Help', 'CP_Countdown=None', 'CP_Clutter=')
    }

    It 'saves " , *.tmp, , *.log " as two clutter lines at the end' {
        Invoke-Save -Line @('CP_Clutter=*.old', 'Help', 'CP_Keep_N=1') -Value @{ CP_Clutter = ' , *.tmp, , *.log '; CP_Keep_N = '1' } |
            Should -Be @('Help', 'CP_Keep_N=1', 'CP_Clutter=*.tmp', 'CP_Clutter=*.log')
    }

    It 'writes one empty clutter line for empty clutter text or text of commas only' {
        Invoke-Save -Line @('CP_Clutter=*.a', 'CP_Clutter=*.b') -Value @{ CP_Clutter = '' } | Should -Be @('CP_Clutter=')
        Invoke-Save -Line @('CP_Clutter=*.a') -Value @{ CP_Clutter = ' , ,' } | Should -Be @('CP_Clutter=')
    }

    It 'keeps only the first of two CP_Keep_N lines, with the new value' {
        Invoke-Save -Line @('A', 'CP_Keep_N=2', 'B', 'CP_Keep_N=4', 'C') -Value @{ CP_Keep_N = '3' } |
            Should -Be @('A', 'CP_Keep_N=3', 'B', 'C')
    }

    It 'keeps help text, blank lines, unknown keys and other spellings in place' {
        $lines = @('=======', '', 'Leave blank ... (e.g., =10)', 'My_Key=1', 'cp_keep_n=7', '  CP_Keep_N = 2 ', '[ Action & Enforcement ]')
        Invoke-Save -Line $lines -Value @{ CP_Keep_N = '5' } |
            Should -Be @('=======', '', 'Leave blank ... (e.g., =10)', 'My_Key=1', 'cp_keep_n=7', 'CP_Keep_N=5', '[ Action & Enforcement ]')
    }

    It 'leaves the clutter lines in place when no clutter value is given' {
        Invoke-Save -Line @('CP_Clutter=*.a', 'CP_Keep_N=1') -Value @{ CP_Keep_N = '2' } | Should -Be @('CP_Clutter=*.a', 'CP_Keep_N=2')
    }

    It 'appends missing keys in window order and trims the values' {
        $value = @{ CP_Keep_N = ' 2 '; CP_Countdown = 'Hold'; CP_Version_Max = '10'; CP_Reset_UI = 'Yes'; CP_Clutter = '*.x' }
        Invoke-Save -Line @() -Value $value |
            Should -Be @('CP_Version_Max=10', 'CP_Countdown=Hold', 'CP_Reset_UI=Yes', 'CP_Keep_N=2', 'CP_Clutter=*.x')
    }

    It 'saves the Special Project template with a version lock and undecided boxes' {
        $value = @{ CP_Version_Max = '10'; CP_Creo_Cmd = ''; CP_Countdown = ''; CP_Launch_Sweep = 'No'; CP_Reset_Config = ''
            CP_Reset_UI = 'Yes'; CP_Reset_Mapkeys = ''; CP_Keep_N = '2'; CP_Clutter = '*.tmp'
        }
        $saved = Invoke-Save -Line (Get-TemplateLine $script:SpecialTemplate) -Value $value -SpecialProject $true
        $template = Get-TemplateLine $script:SpecialTemplate
        $saved.Count | Should -Be $template.Count
        $changed = @(for ($i = 0; $i -lt $saved.Count; $i++) { if ($saved[$i] -cne $template[$i]) { $saved[$i] } })
        $changed | Should -Be @('CP_Version_Max=10', 'CP_Launch_Sweep=No', 'CP_Reset_UI=Yes', 'CP_Keep_N=2', 'CP_Clutter=*.tmp')
        $saved[-1] | Should -BeExactly 'CP_Clutter=*.tmp'
    }

    It 'moves the 27 master clutter lines to the end and keeps the help lines' {
        $template = Get-TemplateLine $script:MasterTemplate
        $master = Get-MasterReferenceValue -Line $template
        $value = @{ CP_Version_Max = ''; CP_Creo_Cmd = ''; Vantor_Setup_Master = ''; CP_Countdown = 'Long'; CP_Launch_Sweep = 'Yes'
            CP_Reset_Config = 'Yes'; CP_Reset_UI = 'No'; CP_Reset_Mapkeys = 'Yes'; CP_Keep_N = '1'; CP_Max_Days = '21'; CP_Clutter = $master['CP_Clutter']
        }
        $saved = Invoke-Save -Line $template -Value $value
        $saved | Should -Be $template -Because 'saving unchanged values changes nothing when the clutter lines already end the file'
    }
}

Describe 'Writing the file' {
    It 'creates a missing file as UTF-8 without byte-order mark, with CR LF after every line' {
        $path = Join-Path (New-TestFolder 'new') 'VantorSP.ini'
        Save-EditorValue -Path $path -Value @{ CP_Keep_N = '2'; CP_Creo_Cmd = "C:\Bob$([char]0x2019)s parts\run.bat"; CP_Clutter = '' } -SpecialProject $true -CleanerMode $false
        $expected = "CP_Creo_Cmd=C:\Bob$([char]0x2019)s parts\run.bat`r`nCP_Keep_N=2`r`nCP_Clutter=`r`n"
        [System.IO.File]::ReadAllBytes($path) | Should -Be ([System.Text.Encoding]::UTF8.GetBytes($expected))
    }

    It 'rewrites a file with a byte-order mark and LF line ends in place' {
        $folder = New-TestFolder 'rewrite'
        $path = Join-Path $folder 'Vantor.ini'
        [System.IO.File]::WriteAllText($path, "Gr$([char]0xFC)$([char]0xDF)e`nCP_Keep_N=1`nCP_Clutter=*.a`n", (New-Object System.Text.UTF8Encoding $true))
        Save-EditorValue -Path $path -Value @{ CP_Keep_N = '4'; CP_Clutter = '*.b' } -SpecialProject $false -CleanerMode $false
        [System.IO.File]::ReadAllBytes($path) | Should -Be ([System.Text.Encoding]::UTF8.GetBytes("Gr$([char]0xFC)$([char]0xDF)e`r`nCP_Keep_N=4`r`nCP_Clutter=*.b`r`n"))
        @(Get-ChildItem -LiteralPath $folder -Force).Name | Should -Be @('Vantor.ini') -Because 'no temporary file stays behind'
    }

    It 'refuses to rewrite a file it cannot read' {
        $folder = New-TestFolder 'unreadable'
        $path = Join-Path $folder 'VantorSP.ini'
        $null = [System.IO.Directory]::CreateDirectory($path)
        { Save-EditorValue -Path $path -Value @{ CP_Keep_N = '2' } -SpecialProject $true -CleanerMode $false } | Should -Throw
        [System.IO.Directory]::Exists($path) | Should -BeTrue
        @(Get-ChildItem -LiteralPath $folder -Force).Name | Should -Be @('VantorSP.ini')
    }
}

Describe 'Removing a Special Project' {
    It 'deletes VantorSP.ini and VantorSP_UserEnv but keeps config.pro and models' {
        $folder = New-TestFolder 'project'
        $ini = Join-Path $folder 'VantorSP.ini'
        [System.IO.File]::WriteAllText($ini, 'CP_Keep_N=2')
        [System.IO.File]::WriteAllText((Join-Path $folder 'config.pro'), 'x')
        [System.IO.File]::WriteAllText((Join-Path $folder 'bracket.prt.3'), 'x')
        $cache = [System.IO.Directory]::CreateDirectory((Join-Path $folder 'VantorSP_UserEnv/.wf/cache')).FullName
        $locked = Join-Path $cache 'entry.dat'
        [System.IO.File]::WriteAllText($locked, 'x')
        [System.IO.File]::SetAttributes($locked, [System.IO.FileAttributes]::ReadOnly)
        Remove-SpecialProject -IniPath $ini
        @(Get-ChildItem -LiteralPath $folder -Force).Name | Sort-Object | Should -Be @('bracket.prt.3', 'config.pro')
    }

    It 'removes a link inside VantorSP_UserEnv without emptying its target' {
        $folder = New-TestFolder 'linked'
        $outside = [System.IO.Directory]::CreateDirectory((Join-Path $folder 'shared')).FullName
        [System.IO.File]::WriteAllText((Join-Path $outside 'keep.txt'), 'x')
        $userEnv = [System.IO.Directory]::CreateDirectory((Join-Path $folder 'VantorSP_UserEnv')).FullName
        $null = New-Item -ItemType SymbolicLink -Path (Join-Path $userEnv 'link') -Target $outside
        Remove-SpecialProject -IniPath (Join-Path $folder 'VantorSP.ini')
        [System.IO.Directory]::Exists($userEnv) | Should -BeFalse
        [System.IO.File]::Exists((Join-Path $outside 'keep.txt')) | Should -BeTrue
    }

    It 'removes a VantorSP_UserEnv that is itself a link, and only the link' {
        $folder = New-TestFolder 'linkroot'
        $outside = [System.IO.Directory]::CreateDirectory((Join-Path $folder 'elsewhere')).FullName
        [System.IO.File]::WriteAllText((Join-Path $outside 'keep.txt'), 'x')
        $null = New-Item -ItemType SymbolicLink -Path (Join-Path $folder 'VantorSP_UserEnv') -Target $outside
        Remove-SpecialProject -IniPath (Join-Path $folder 'VantorSP.ini')
        Test-Path -LiteralPath (Join-Path $folder 'VantorSP_UserEnv') | Should -BeFalse
        [System.IO.File]::Exists((Join-Path $outside 'keep.txt')) | Should -BeTrue
    }

    It 'does nothing when neither exists' {
        $folder = New-TestFolder 'plain'
        { Remove-SpecialProject -IniPath (Join-Path $folder 'VantorSP.ini') } | Should -Not -Throw
    }

    It 'refuses any file but VantorSP.ini' {
        $folder = New-TestFolder 'anchor'
        $master = Join-Path $folder 'Vantor.ini'
        [System.IO.File]::WriteAllText($master, 'x')
        $null = [System.IO.Directory]::CreateDirectory((Join-Path $folder 'VantorSP_UserEnv'))
        { Remove-SpecialProject -IniPath $master } | Should -Throw
        [System.IO.File]::Exists($master) | Should -BeTrue
        [System.IO.Directory]::Exists((Join-Path $folder 'VantorSP_UserEnv')) | Should -BeTrue
    }

    It 'asks with the confirmation text' {
        Get-RemovalConfirmationText | Should -BeExactly ("The local VantorSP.ini and VantorSP_UserEnv folder will be removed. (The local config.pro will remain.)`n`n" +
            "Launching Creo from this folder will now revert to your standard Vantor settings.`n`nConfirm Special Project removal.")
    }
}

Describe 'The rows of each mode' {
    BeforeAll {
        $script:Versions = @('', '11', '10')
        function Get-RowKey([bool]$SpecialProject, [bool]$CleanerMode) {
            return @(Get-EditorRow -SpecialProject $SpecialProject -CleanerMode $CleanerMode -VersionList $script:Versions |
                    ForEach-Object { if ($_.Kind -eq 'Caption') { '[' + $_.Label + ']' } else { $_.Key } })
        }
    }

    It 'shows the baseline rows' {
        Get-RowKey $false $false | Should -Be @('[Environment & Launch]', 'CP_Version_Max', 'CP_Creo_Cmd', 'Vantor_Setup_Master', 'CP_Countdown',
            '[Action & Enforcement]', 'CP_Launch_Sweep', 'CP_Reset_Config', 'CP_Reset_UI', 'CP_Reset_Mapkeys',
            '[Maintenance & Cleanup]', 'CP_Keep_N', 'CP_Max_Days', 'CP_Clutter')
    }

    It 'shows the Special Project variance rows' {
        Get-RowKey $true $false | Should -Be @('[Environment & Launch]', 'CP_Version_Max', 'CP_Creo_Cmd', 'CP_Countdown',
            '[Action & Enforcement]', 'CP_Launch_Sweep', 'CP_Reset_Config', 'CP_Reset_UI', 'CP_Reset_Mapkeys',
            '[Maintenance & Cleanup]', 'CP_Keep_N', 'CP_Clutter')
    }

    It 'shows the master cleaner rows' {
        Get-RowKey $false $true | Should -Be @('[Console & Automation]', 'CP_Countdown', 'CP_Launch_Sweep',
            '[Maintenance & Cleanup]', 'CP_Keep_N', 'CP_Max_Days', 'CP_Clutter')
    }

    It 'shows the Special Project cleaner rows' {
        Get-RowKey $true $true | Should -Be @('[Console & Automation]', 'CP_Countdown', 'CP_Launch_Sweep',
            '[Maintenance & Cleanup]', 'CP_Keep_N', 'CP_Clutter')
    }

    It 'gives <Key> its label, hint, tool tip, width and items (SP <SP>, cleaner <Cleaner>)' -ForEach @(
        @{ Key = 'CP_Version_Max'; SP = $true; Cleaner = $false; Kind = 'List'; Width = 65; Items = @('', '11', '10')
            Label = 'CP_Version_Max (Specific Version Lock):'; Hint = 'Forces this Special Project to open with an exact Creo version.'
            Tip = 'Leave blank to inherit the Master limit, or select a version to lock this project.'
        }
        @{ Key = 'CP_Version_Max'; SP = $false; Cleaner = $false; Kind = 'List'; Width = 65; Items = @('', '11', '10')
            Label = 'CP_Version_Max (Auto-Version Limit):'; Hint = 'Limits the latest Creo version Vantor will automatically select.'
            Tip = 'Leave blank for no limit, or select a detected installation to set a ceiling.'
        }
        @{ Key = 'CP_Creo_Cmd'; SP = $false; Cleaner = $false; Kind = 'Text'; Width = 180; Items = @()
            Label = 'CP_Creo_Cmd (Creo Launch CMD):'; Hint = 'Custom execution command.'
            Tip = 'Leave blank for auto-discovery, or provide a specific launch command.'
        }
        @{ Key = 'Vantor_Setup_Master'; SP = $false; Cleaner = $false; Kind = 'Text'; Width = 180; Items = @()
            Label = 'Vantor_Setup_Master (Sync Target):'; Hint = 'UNC Network path to synchronize the Vantor_Home baseline.'
            Tip = 'Set to a shared server path to pull updates to this client.'
        }
        @{ Key = 'CP_Countdown'; SP = $false; Cleaner = $false; Kind = 'List'; Width = 120; Items = @('Hold', 'Long', 'Medium', 'Short', 'None')
            Label = 'CP_Countdown (Console Timer):'; Hint = 'Delay duration before automatically proceeding with launch.'
            Tip = "Choose 'Hold' to pause indefinitely, or 'None' for instant execution."
        }
        @{ Key = 'CP_Countdown'; SP = $true; Cleaner = $true; Kind = 'List'; Width = 120; Items = @('', 'Hold', 'Long', 'Medium', 'Short', 'None')
            Label = 'CP_Countdown (Console Timer):'; Hint = 'Delay duration before automatically closing the cleaner console.'
            Tip = "Choose 'Hold' to view the sweep inventory, or 'None' to auto-close."
        }
        @{ Key = 'CP_Launch_Sweep'; SP = $false; Cleaner = $true; Kind = 'Check'; Width = 0; Items = @()
            Label = 'CP_Launch_Sweep (Sweep at Launch)'; Hint = 'Automatically execute file purge and sweep engine prior to launching.'
            Tip = 'Uncheck to skip folder cleaning at Creo launch.'
        }
        @{ Key = 'CP_Reset_Config'; SP = $true; Cleaner = $false; Kind = 'Check'; Width = 0; Items = @()
            Label = 'CP_Reset_Config (Reset config.pro)'; Hint = 'Synchronize the active config.pro with the Master baseline.'
            Tip = 'Uncheck to allow custom modifications to the active config.pro.'
        }
        @{ Key = 'CP_Reset_UI'; SP = $false; Cleaner = $false; Kind = 'Check'; Width = 0; Items = @()
            Label = 'CP_Reset_UI (Reset .ui)'; Hint = 'Overwrite the active customization.ui with the Master baseline.'
            Tip = 'Uncheck to allow active creo_parametric_customization.ui variance.'
        }
        @{ Key = 'CP_Reset_Mapkeys'; SP = $false; Cleaner = $false; Kind = 'Check'; Width = 0; Items = @()
            Label = 'CP_Reset_Mapkeys (Reset mapkeys.pro)'; Hint = 'Overwrite the active mapkeys.pro with the Master baseline.'
            Tip = 'Uncheck to allow active mapkey.pro variance.'
        }
        @{ Key = 'CP_Keep_N'; SP = $true; Cleaner = $false; Kind = 'Combo'; Width = 65; Items = @('', '1', '2', '3', '4', '5')
            Label = 'CP_Keep_N (Versions to keep):'; Hint = 'Number of recent model versions to keep during a sweep.'
            Tip = 'Select a value or type your own. Set to 1 to keep only the newest file.'
        }
        @{ Key = 'CP_Keep_N'; SP = $false; Cleaner = $true; Kind = 'Combo'; Width = 65; Items = @('1', '2', '3', '4', '5')
            Label = 'CP_Keep_N (Versions to keep):'; Hint = 'Number of recent model versions to keep during a sweep.'
            Tip = 'Select a value or type your own. Set to 1 to keep only the newest file.'
        }
        @{ Key = 'CP_Max_Days'; SP = $false; Cleaner = $false; Kind = 'Combo'; Width = 65; Items = @('7', '14', '21', '30', '60', '90')
            Label = 'CP_Max_Days (Age out threshold):'; Hint = 'Days to hold swept files in the quarantine bin before deletion.'
            Tip = 'Select a value or type your own.'
        }
        @{ Key = 'CP_Clutter'; SP = $true; Cleaner = $true; Kind = 'Text'; Width = 180; Items = @()
            Label = 'CP_Clutter (Comma separated):'; Hint = 'List of file extensions to automatically sweep.'
            Tip = 'Use comma separation (e.g., .*.lst*,*.inf*,*.crc*).'
        }
    ) {
        $row = @(Get-EditorRow -SpecialProject $SP -CleanerMode $Cleaner -VersionList $script:Versions | Where-Object { $_.Key -ceq $Key })
        $row.Count | Should -Be 1
        $row[0].Kind | Should -BeExactly $Kind
        $row[0].Label | Should -BeExactly $Label
        $row[0].Hint | Should -BeExactly $Hint
        $row[0].ToolTip | Should -BeExactly $Tip
        $row[0].Width | Should -Be $Width
        @($row[0].Items) | Should -Be $Items
    }

    It 'places the baseline rows and buttons' {
        $layout = Get-EditorLayout -Row (Get-EditorRow -SpecialProject $false -CleanerMode $false -VersionList @(''))
        $layout.RowY | Should -Be @(122, 150, 196, 242, 288, 344, 372, 416, 460, 504, 558, 586, 632, 678)
        $layout.ButtonY | Should -Be 744
        $layout.ClientWidth | Should -Be 495
        $layout.ClientHeight | Should -Be 799
    }

    It 'places the cleaner rows and buttons' {
        $layout = Get-EditorLayout -Row (Get-EditorRow -SpecialProject $true -CleanerMode $true -VersionList @(''))
        $layout.RowY | Should -Be @(122, 150, 196, 250, 278, 324)
        $layout.ButtonY | Should -Be 390
        $layout.ClientHeight | Should -Be 445
    }
}

Describe 'Inputs and hints' {
    BeforeAll {
        $script:List = New-EditorRow -Kind List -Key 'CP_Countdown' -Label 'l' -Items @('', 'Hold', 'Long')
        $script:Combo = New-EditorRow -Kind Combo -Key 'CP_Keep_N' -Label 'l' -Items @('1', '2')
        $script:Check = New-EditorRow -Kind Check -Key 'CP_Reset_UI' -Label 'l'
        $script:Text = New-EditorRow -Kind Text -Key 'CP_Creo_Cmd' -Label 'l'
        $versions = Add-LockedVersion -VersionList @('', '11') -Value '12'
        $script:Versions = New-EditorRow -Kind List -Key 'CP_Version_Max' -Label 'l' -Items $versions
    }

    It 'adds a version lock "<Value>" no Creo has as "<Added>"' -ForEach @(
        @{ Value = '12'; Added = '12 (not installed)'; Saved = '12' }
        @{ Value = '11'; Added = ''; Saved = '11' }
        @{ Value = ''; Added = ''; Saved = '11' }
        @{ Value = 'eleven'; Added = ''; Saved = '11' }
    ) {
        $list = Add-LockedVersion -VersionList @('', '11') -Value $Value
        @($list | Select-Object -Skip 2) -join '' | Should -BeExactly $Added
        # What the last item saves as.
        ConvertFrom-ListItem -Item @($list)[-1] | Should -BeExactly $Saved
    }

    It 'starts <Kind> at "<Expected>" for "<Value>" (SP <SP>)' -ForEach @(
        @{ Kind = 'List'; Value = 'Long'; SP = $false; Expected = 'Long' }
        @{ Kind = 'List'; Value = 'Forever'; SP = $false; Expected = '' }
        @{ Kind = 'List'; Value = 'long'; SP = $false; Expected = '' }
        @{ Kind = 'Combo'; Value = '9'; SP = $false; Expected = '9' }
        @{ Kind = 'Combo'; Value = ''; SP = $false; Expected = '1' }
        @{ Kind = 'Combo'; Value = $null; SP = $false; Expected = '1' }
        @{ Kind = 'Text'; Value = $null; SP = $false; Expected = '' }
        @{ Kind = 'Text'; Value = 'a.bat'; SP = $false; Expected = 'a.bat' }
        @{ Kind = 'Check'; Value = 'Yes'; SP = $true; Expected = 'Checked' }
        @{ Kind = 'Check'; Value = 'No'; SP = $true; Expected = 'Unchecked' }
        @{ Kind = 'Check'; Value = $null; SP = $true; Expected = 'Indeterminate' }
        @{ Kind = 'Check'; Value = 'Yes'; SP = $false; Expected = 'Checked' }
        @{ Kind = 'Check'; Value = $null; SP = $false; Expected = 'Unchecked' }
        @{ Kind = 'Check'; Value = 'perhaps'; SP = $false; Expected = 'Indeterminate' }
        @{ Kind = 'Check'; Value = 'perhaps'; SP = $true; Expected = 'Indeterminate' }
        @{ Kind = 'Versions'; Value = '12'; SP = $true; Expected = '12 (not installed)' }
        @{ Kind = 'Versions'; Value = '11'; SP = $true; Expected = '11' }
    ) {
        $row = (Get-Variable -Name $Kind -Scope Script).Value
        Get-InitialInputValue -Row $row -FileValue $Value -SpecialProject $SP | Should -BeExactly $Expected
    }

    It 'reads a check box as <Expected> for <State> (SP <SP>)' -ForEach @(
        @{ State = 'Checked'; SP = $true; Expected = 'Yes' }
        @{ State = 'Unchecked'; SP = $true; Expected = 'No' }
        @{ State = 'Indeterminate'; SP = $true; Expected = '' }
        @{ State = 'Checked'; SP = $false; Expected = 'Yes' }
        @{ State = 'Unchecked'; SP = $false; Expected = 'No' }
    ) {
        ConvertFrom-CheckState -State $State -SpecialProject $SP | Should -BeExactly $Expected
    }

    It 'shows the master value in steel blue while a Special Project input is empty' {
        $master = Get-MasterReferenceValue -Line @('CP_Reset_UI=No', 'CP_Keep_N=1')
        $hint = Get-HintText -BaseText 'Base.' -MasterText (Get-MasterDisplayText -Row $script:Check -Master $master) -SpecialProject $true -IsEmpty $true
        $hint.Text | Should -BeExactly 'Base. (Current Value: NO)'
        $hint.Color | Should -BeExactly 'SteelBlue'
        (Get-MasterDisplayText -Row $script:Combo -Master $master) | Should -BeExactly '1'
        (Get-MasterDisplayText -Row $script:Text -Master $master) | Should -BeExactly 'NONE'
        (Get-MasterDisplayText -Row $script:Check -Master (Get-MasterReferenceValue -Line @('CP_Reset_UI=yes'))) | Should -BeExactly 'YES'
    }

    It 'shows the base text in grey otherwise' {
        $hint = Get-HintText -BaseText 'Base.' -MasterText 'NONE' -SpecialProject $true -IsEmpty $false
        $hint.Text | Should -BeExactly 'Base.'
        $hint.Color | Should -BeExactly 'Gray'
        (Get-HintText -BaseText 'Base.' -MasterText 'NONE' -SpecialProject $false -IsEmpty $true).Text | Should -BeExactly 'Base.'
    }
}

Describe 'The editor state' {
    It 'edits a Special Project when the path differs from the master path' {
        $anchor = New-TestFolder 'anchor'
        $project = New-TestFolder 'project'
        $master = Join-Path $anchor 'Vantor.ini'
        [System.IO.File]::Copy($script:MasterTemplate, $master)
        $ini = Join-Path $project 'VantorSP.ini'
        [System.IO.File]::WriteAllText($ini, "CP_Keep_N=3`r`nCP_Reset_UI=`r`n")
        $state = Get-EditorState -IniPath $ini -ModeLabel 'Special Project Variance' -FileLabel 'VantorSP.ini' -InstalledVersions '11,9,10' -MasterIni $master -CleanerMode $false
        $state.SpecialProject | Should -BeTrue
        $state.Edited['CP_Keep_N'] | Should -BeExactly '3'
        $state.Edited['CP_Reset_UI'] | Should -BeExactly ''
        $state.Master['CP_Countdown'] | Should -BeExactly 'Long'
        @($state.Rows | Where-Object { $_.Key -eq 'CP_Version_Max' })[0].Items | Should -Be @('', '11', '10', '9')
    }

    It 'edits the master file when the paths differ only in letter case' {
        $anchor = New-TestFolder 'Anchor'
        $master = Join-Path $anchor 'Vantor.ini'
        $state = Get-EditorState -IniPath $master.ToUpperInvariant() -ModeLabel 'Master Cleaner Settings' -FileLabel 'Vantor.ini' -InstalledVersions '' -MasterIni $master -CleanerMode $true
        $state.SpecialProject | Should -BeFalse
        $state.Edited['CP_Keep_N'] | Should -BeExactly '' -Because 'a missing file reads as empty'
        $state.Master['CP_Keep_N'] | Should -BeExactly ''
        $state.Rows[0].Label | Should -BeExactly 'Console & Automation'
    }

    It 'maps the dialog result to the result line' {
        Format-EditorResult -DialogResult 'OK' | Should -BeExactly 'X|OK'
        Format-EditorResult -DialogResult 'Abort' | Should -BeExactly 'X|Abort'
        Format-EditorResult -DialogResult 'Cancel' | Should -BeExactly 'X|Cancel'
        Format-EditorResult -DialogResult 'None' | Should -BeExactly 'X|Cancel'
    }
}

Describe 'The template file' {
    BeforeAll {
        $script:Text = [System.IO.File]::ReadAllText($script:TemplatePath)
        $marker = $script:Text.IndexOf('# --- entry ---')
        $script:Logic = $script:Text.Substring(0, $marker)
        $script:Entry = $script:Text.Substring($marker)
    }

    It 'defines the functions and runs nothing when dot-sourced with $VantorNoWindow' {
        $output = & {
            $VantorNoWindow = $true
            . $script:TemplatePath
            (Get-Command -Name Get-SavedIniLine -CommandType Function).Name
        }
        $output | Should -BeExactly 'Get-SavedIniLine'
    }

    It 'uses its placeholders only in the entry layer, text ones inside single quotes' {
        foreach ($name in 'INI_PATH', 'MODE_LABEL', 'FILE_LABEL', 'INSTALLED_VERSIONS', 'MASTER_INI', 'IS_CLEANER_MODE') {
            $script:Logic | Should -Not -Match "%$name%"
            ([regex]::Matches($script:Entry, "%$name%")).Count | Should -Be 1
        }
        foreach ($name in 'INI_PATH', 'MODE_LABEL', 'FILE_LABEL', 'INSTALLED_VERSIONS', 'MASTER_INI') {
            $script:Entry | Should -Match "ConvertFrom-VantorText '%$name%'"
        }
        $script:Entry | Should -Match '= %IS_CLEANER_MODE%\r?\n'
    }

    It 'is plain ASCII' {
        [System.IO.File]::ReadAllBytes($script:TemplatePath) | Where-Object { $_ -gt 127 } | Should -BeNullOrEmpty
    }

    It 'hands the filled values to the editor as pure data: <Name>' -ForEach @(
        @{ Name = 'an apostrophe'; Folder = "C:\Work\Bob's parts"; Cleaner = '$false' }
        @{ Name = 'a typographic apostrophe'; Folder = "C:\Work\Bob$([char]0x2019)s parts"; Cleaner = '$true' }
        @{ Name = 'a subexpression'; Folder = 'C:\Work\$(Remove-Item x)'; Cleaner = '$false' }
    ) {
        $entry = $script:Entry
        $fill = [ordered]@{
            '%INI_PATH%'           = ConvertTo-Base64Text "$Folder\VantorSP.ini"
            '%MODE_LABEL%'         = ConvertTo-Base64Text 'Special Project Variance'
            '%FILE_LABEL%'         = ConvertTo-Base64Text 'VantorSP.ini'
            '%INSTALLED_VERSIONS%' = ConvertTo-Base64Text '11,10'
            '%MASTER_INI%'         = ConvertTo-Base64Text 'C:\Vantor\Vantor.ini'
            '%IS_CLEANER_MODE%'    = $Cleaner
        }
        foreach ($key in $fill.Keys) { $entry = $entry.Replace($key, $fill[$key]) }
        $received = & {
            function Invoke-ConfigEditor { param($Request) [pscustomobject]$Request }
            $VantorNoWindow = $false
            . ([scriptblock]::Create($entry))
        }
        $received.IniPath | Should -BeExactly "$Folder\VantorSP.ini"
        $received.ModeLabel | Should -BeExactly 'Special Project Variance'
        $received.FileLabel | Should -BeExactly 'VantorSP.ini'
        $received.InstalledVersions | Should -BeExactly '11,10'
        $received.MasterIni | Should -BeExactly 'C:\Vantor\Vantor.ini'
        $received.CleanerMode | Should -Be ($Cleaner -eq '$true')
        $received.CleanerMode | Should -BeOfType [bool]
    }
}

BeforeDiscovery {
    $formType = 'System.Windows.Forms.Form' -as [type]
    $realForms = $null -ne $formType -and $formType.Assembly.GetName().Name -eq 'System.Windows.Forms'
}

# Without a desktop there is no Windows Forms: stand-ins with the same members
# let the window layer build its controls here. With the real types loaded the
# window would open real message boxes, so these tests then stand aside.
Describe 'The window layer' -Skip:$realForms {
    BeforeAll {
        if (-not ('System.Windows.Forms.Form' -as [type])) {
            Add-Type -ReferencedAssemblies 'System.Drawing.Primitives', 'System.Collections', 'System.ComponentModel.Primitives' -TypeDefinition @'
using System;
using System.Collections.Generic;
using System.Drawing;
#pragma warning disable 67
namespace System.Windows.Forms {
    public enum CheckState { Unchecked, Checked, Indeterminate }
    public enum ComboBoxStyle { Simple, DropDown, DropDownList }
    public enum FormStartPosition { Manual, CenterScreen, WindowsDefaultLocation, WindowsDefaultBounds, CenterParent }
    public enum FormBorderStyle { None, FixedSingle, Fixed3D, FixedDialog, Sizable, FixedToolWindow, SizableToolWindow }
    public enum BorderStyle { None, FixedSingle, Fixed3D }
    public enum DialogResult { None, OK, Cancel, Abort, Retry, Ignore, Yes, No }
    public enum MessageBoxButtons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel }
    public enum MessageBoxIcon { None = 0, Error = 16, Question = 32, Warning = 48, Information = 64 }
    public struct Padding {
        public int Left, Top, Right, Bottom;
        public Padding(int all) { Left = Top = Right = Bottom = all; }
        public Padding(int left, int top, int right, int bottom) { Left = left; Top = top; Right = right; Bottom = bottom; }
    }
    public class ControlCollection : List<Control> {
        private readonly Control owner;
        public ControlCollection(Control owner) { this.owner = owner; }
        public new void Add(Control control) { control.Parent = owner; base.Add(control); }
        public Control[] Find(string key, bool searchAllChildren) { return FindAll(c => string.Equals(c.Name, key, StringComparison.OrdinalIgnoreCase)).ToArray(); }
    }
    public class Control {
        private string text = "";
        public Control() { Controls = new ControlCollection(this); }
        public string Name { get; set; }
        public object Tag { get; set; }
        public Point Location { get; set; }
        public Size Size { get; set; }
        public object Font { get; set; }
        public Color ForeColor { get; set; }
        public Color BackColor { get; set; }
        public Padding Padding { get; set; }
        public Control Parent { get; set; }
        public ControlCollection Controls { get; private set; }
        public event EventHandler TextChanged;
        public event EventHandler Click;
        public int Height { get { return Size.Height; } set { Size = new Size(Size.Width, value); } }
        public virtual string Text { get { return text; } set { if (text != value) { text = value ?? ""; if (TextChanged != null) TextChanged(this, EventArgs.Empty); } } }
        public Form FindForm() { Control c = Parent; while (c != null && !(c is Form)) c = c.Parent; return c as Form; }
        public void PerformClick() { if (Click != null) Click(this, EventArgs.Empty); }
        public void Dispose() { }
    }
    public class Label : Control { public bool UseMnemonic { get; set; } public BorderStyle BorderStyle { get; set; } public Label() { UseMnemonic = true; } }
    public class TextBox : Control { }
    public class Button : Control { public DialogResult DialogResult { get; set; } }
    public class ComboBox : Control {
        private int selected = -1;
        public ComboBox() { Items = new List<object>(); }
        public ComboBoxStyle DropDownStyle { get; set; }
        public List<object> Items { get; private set; }
        public event EventHandler SelectedIndexChanged;
        public int SelectedIndex {
            get { return selected; }
            set { selected = value; Text = value < 0 ? "" : (string)Items[value]; if (SelectedIndexChanged != null) SelectedIndexChanged(this, EventArgs.Empty); }
        }
    }
    public class CheckBox : Control {
        private CheckState state;
        public bool ThreeState { get; set; }
        public event EventHandler CheckStateChanged;
        public CheckState CheckState { get { return state; } set { if (state != value) { state = value; if (CheckStateChanged != null) CheckStateChanged(this, EventArgs.Empty); } } }
    }
    public class Form : Control {
        public FormStartPosition StartPosition { get; set; }
        public FormBorderStyle FormBorderStyle { get; set; }
        public bool MaximizeBox { get; set; }
        public DialogResult DialogResult { get; set; }
        public Size ClientSize { get; set; }
        public event EventHandler Shown;
        public void Activate() { }
    }
    public class ToolTip {
        private readonly Dictionary<Control, string> tips = new Dictionary<Control, string>();
        public bool IsBalloon { get; set; }
        public bool ShowAlways { get; set; }
        public int AutoPopDelay { get; set; }
        public int InitialDelay { get; set; }
        public int ReshowDelay { get; set; }
        public void SetToolTip(Control control, string caption) { tips[control] = caption; }
        public string GetToolTip(Control control) { string t; return tips.TryGetValue(control, out t) ? t : ""; }
    }
    public static class MessageBox {
        public static DialogResult Answer = DialogResult.OK;
        public static List<string> Shown = new List<string>();
        public static DialogResult Show(string text, string caption, MessageBoxButtons buttons, MessageBoxIcon icon) { Shown.Add(caption + "|" + text); return Answer; }
    }
}
'@
        }

        function New-TestForm([string]$IniPath, [string]$MasterIni, [bool]$CleanerMode = $false) {
            $state = Get-EditorState -IniPath $IniPath -ModeLabel 'Mode' -FileLabel ([System.IO.Path]::GetFileName($IniPath)) -InstalledVersions '11,10' -MasterIni $MasterIni -CleanerMode $CleanerMode
            return New-EditorForm -State $state
        }

        function Get-Control($Form, [string]$Name) { return $Form.Controls.Find($Name, $false)[0] }

        function Get-HintLabel($Control) { return $Control.Tag.HintLabel }

        function Get-Button($Form, [string]$Text) { return @($Form.Controls | Where-Object { $_ -is [System.Windows.Forms.Button] -and $_.Text -eq $Text })[0] }
    }

    BeforeEach {
        # System.Drawing.Font needs GDI+, which this machine may lack.
        Mock New-WindowFont { [pscustomobject]@{ Size = $Size; Style = $Style } }
        # Measuring text and fitting the screen need a desktop: the window tests
        # under Wine check both.
        Mock Measure-TextHeight { $Least }
        Mock Set-WindowFit { }
        [System.Windows.Forms.MessageBox]::Shown.Clear()
        $script:Anchor = New-TestFolder 'anchor'
        $script:Project = New-TestFolder 'project'
        $script:Master = Join-Path $script:Anchor 'Vantor.ini'
        [System.IO.File]::Copy($script:MasterTemplate, $script:Master)
        $script:Special = Join-Path $script:Project 'VantorSP.ini'
        [System.IO.File]::Copy($script:SpecialTemplate, $script:Special)
    }

    It 'builds the Special Project window with its frame, rows and buttons' {
        $form = New-TestForm -IniPath $script:Special -MasterIni $script:Master
        $form.Text | Should -BeExactly 'Vantor Configuration Editor'
        $form.ClientSize.Width | Should -Be 495
        $form.ClientSize.Height | Should -Be (Get-EditorLayout -Row $form.Tag.Rows).ClientHeight
        $labels = @($form.Controls | Where-Object { $_ -is [System.Windows.Forms.Label] })
        $labels[0].Text | Should -BeExactly 'Vantor Configuration - Mode'
        $labels[1].Text | Should -BeExactly ("Editing: VantorSP.ini`nPath: " + $script:Special)
        @($labels | Where-Object { -not $_.UseMnemonic }).Count | Should -Be $labels.Count
        $names = @($form.Controls | Where-Object { $_.Name } | ForEach-Object { $_.Name })
        $names | Should -Be @('CP_Version_Max', 'CP_Creo_Cmd', 'CP_Countdown', 'CP_Launch_Sweep', 'CP_Reset_Config', 'CP_Reset_UI', 'CP_Reset_Mapkeys', 'CP_Keep_N', 'CP_Clutter')
        @($form.Controls | Where-Object { $_ -is [System.Windows.Forms.Button] } | ForEach-Object { $_.Text }) | Should -Be @('Cancel', 'Save && Exit', 'Remove Special Project')
        (Get-Button $form 'Remove Special Project').Location.X | Should -Be 20
        $keep = Get-Control $form 'CP_Keep_N'
        $keep.Location.X | Should -Be 290
        $keep.Location.Y | Should -Be ((Get-EditorLayout -Row $form.Tag.Rows).RowY[10] - 2)
        $keep.DropDownStyle | Should -Be 'DropDown'
        (Get-Control $form 'CP_Countdown').DropDownStyle | Should -Be 'DropDownList'
        (Get-Control $form 'CP_Clutter').BackColor.Name | Should -Be 'WhiteSmoke'
        (Get-Control $form 'CP_Reset_UI').ThreeState | Should -BeTrue
    }

    It 'shows the master value while a Special Project input is empty and refreshes it' {
        $form = New-TestForm -IniPath $script:Special -MasterIni $script:Master
        $box = Get-Control $form 'CP_Reset_Config'
        $box.CheckState | Should -Be 'Indeterminate'
        (Get-HintLabel $box).Text | Should -BeExactly 'Synchronize the active config.pro with the Master baseline. (Current Value: YES)'
        (Get-HintLabel $box).ForeColor.Name | Should -Be 'SteelBlue'
        $box.CheckState = [System.Windows.Forms.CheckState]::Unchecked
        (Get-HintLabel $box).Text | Should -BeExactly 'Synchronize the active config.pro with the Master baseline.'
        (Get-HintLabel $box).ForeColor.Name | Should -Be 'Gray'
        $keep = Get-Control $form 'CP_Keep_N'
        (Get-HintLabel $keep).Text | Should -BeExactly 'Number of recent model versions to keep during a sweep. (Current Value: 1)'
        $keep.Text = '4'
        (Get-HintLabel $keep).Text | Should -BeExactly 'Number of recent model versions to keep during a sweep.'
        $keep.Text = ' '
        (Get-HintLabel $keep).ForeColor.Name | Should -Be 'SteelBlue'
        $cmd = Get-Control $form 'CP_Creo_Cmd'
        (Get-HintLabel $cmd).Text | Should -BeExactly 'Custom execution command. (Current Value: NONE)'
    }

    It 'saves the Special Project with an undecided box left empty' {
        $form = New-TestForm -IniPath $script:Special -MasterIni $script:Master
        (Get-Control $form 'CP_Version_Max').SelectedIndex = 2
        (Get-Control $form 'CP_Reset_UI').CheckState = [System.Windows.Forms.CheckState]::Checked
        (Get-Control $form 'CP_Launch_Sweep').CheckState = [System.Windows.Forms.CheckState]::Unchecked
        (Get-Control $form 'CP_Clutter').Text = ' *.tmp ,, *.bak '
        (Get-Button $form 'Save && Exit').PerformClick()
        $form.DialogResult | Should -Be 'OK'
        $lines = Read-IniLine -Path $script:Special
        $lines | Should -Contain 'CP_Version_Max=10'
        $lines | Should -Contain 'CP_Reset_UI=Yes'
        $lines | Should -Contain 'CP_Launch_Sweep=No'
        $lines | Should -Contain 'CP_Reset_Config='
        $lines[-2..-1] | Should -Be @('CP_Clutter=*.tmp', 'CP_Clutter=*.bak')
    }

    It 'saves a file nobody changed byte for byte as it was, in every mode' {
        $text = "CP_Creo_Cmd=a.bat`nCP_Creo_Cmd=b.bat`nCP_Launch_Sweep=off`nCP_Reset_UI=True`nCP_Countdown=soon`n" +
            "CP_Version_Max=12`nCP_Reset_Config=perhaps`n"
        foreach ($path in @($script:Master, $script:Special)) {
            foreach ($cleaner in @($false, $true)) {
                [System.IO.File]::WriteAllText($path, $text)
                $form = New-TestForm -IniPath $path -MasterIni $script:Master -CleanerMode $cleaner
                (Get-Button $form 'Save && Exit').PerformClick()
                $form.DialogResult | Should -Be 'OK'
                [System.IO.File]::ReadAllText($path) | Should -BeExactly $text -Because "$path, cleaner $cleaner"
            }
        }
    }

    It 'keeps the window open and the file whole when saving fails' {
        $before = [System.IO.File]::ReadAllBytes($script:Special)
        $form = New-TestForm -IniPath $script:Special -MasterIni $script:Master
        Mock Write-FileAtomically { throw [System.IO.IOException]::new('disk full') }
        (Get-Control $form 'CP_Keep_N').Text = '4'
        (Get-Button $form 'Save && Exit').PerformClick()
        $form.DialogResult | Should -Be 'None'
        [System.IO.File]::ReadAllBytes($script:Special) | Should -Be $before
        [System.Windows.Forms.MessageBox]::Shown[0] | Should -BeLike '*disk full*'
    }

    It 'offers no removal in cleaner mode and keeps the master two-state boxes' {
        $form = New-TestForm -IniPath $script:Master -MasterIni $script:Master -CleanerMode $true
        @($form.Controls | Where-Object { $_ -is [System.Windows.Forms.Button] } | ForEach-Object { $_.Text }) | Should -Be @('Cancel', 'Save && Exit')
        $box = Get-Control $form 'CP_Launch_Sweep'
        $box.ThreeState | Should -BeFalse
        $box.CheckState | Should -Be 'Checked'
        (Get-HintLabel $box).Text | Should -BeExactly 'Automatically execute file purge and sweep engine prior to launching.'
        (Get-Control $form 'CP_Countdown').Text | Should -BeExactly 'Long'
        (Get-Control $form 'CP_Max_Days').Text | Should -BeExactly '21'
        (Get-Control $form 'CP_Keep_N').Text = ''
        (Get-Button $form 'Save && Exit').PerformClick()
        $form.DialogResult | Should -Be 'OK'
        $lines = Read-IniLine -Path $script:Master
        $lines | Should -Contain 'CP_Keep_N=1'
        ($lines | Where-Object { $_ -like 'CP_Clutter=*' }).Count | Should -Be 27
    }
}
