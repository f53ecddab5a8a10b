#Requires -Modules Pester
# Pester tests for the migration wizard: what a migration copies where, how the
# chosen config.pro is merged into Vantor_config.pro and how the auto-wired
# section is rebuilt, on real temporary folders.

BeforeAll {
    Set-StrictMode -Version 3.0
    # The script as the program embeds it: the shared prelude, then the template.
    $script:TemplatePath = Join-Path $TestDrive 'migration_wizard.ps1'
    $parts = foreach ($part in 'prelude.ps1', 'migration_wizard.ps1') { [System.IO.File]::ReadAllText((Join-Path $PSScriptRoot $part)) }
    [System.IO.File]::WriteAllText($script:TemplatePath, -join $parts)
    $VantorNoWindow = $true
    . $script:TemplatePath

    function New-TestRoot {
        $path = [System.IO.Path]::Combine($TestDrive, 'root_' + [guid]::NewGuid().ToString('N').Substring(0, 8))
        $null = [System.IO.Directory]::CreateDirectory($path)
        return $path
    }

    function New-SourceFile([string]$Root, [string]$Name, [string]$Text = 'x') {
        $folder = [System.IO.Path]::Combine($Root, 'source')
        $path = [System.IO.Path]::Combine($folder, $Name)
        $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::GetDirectoryName($path))
        [System.IO.File]::WriteAllText($path, $Text)
        return $path
    }

    function Get-MasterPath([string]$Root) {
        return [System.IO.Path]::Combine($Root, 'Vantor_Home', 'Settings', 'Vantor_config.pro')
    }

    function Set-Master([string]$Root, [string]$Text) {
        $path = Get-MasterPath $Root
        $null = [System.IO.Directory]::CreateDirectory([System.IO.Path]::GetDirectoryName($path))
        [System.IO.File]::WriteAllText($path, $Text)
    }

    function Get-MasterText([string]$Root) {
        return [System.IO.File]::ReadAllText((Get-MasterPath $Root))
    }
}

Describe 'Execute Migration with nothing chosen' {
    It 'creates the three folders and an empty master configuration' {
        $root = New-TestRoot
        Invoke-Migration -Root $root -Selection @{}
        foreach ($name in 'Settings', 'Templates', 'Library') {
            [System.IO.Directory]::Exists([System.IO.Path]::Combine($root, 'Vantor_Home', $name)) | Should -BeTrue
        }
        [System.IO.File]::ReadAllBytes((Get-MasterPath $root)).Length | Should -Be 0
    }

    It 'leaves an existing master configuration as it was, line ends made CR LF' {
        $root = New-TestRoot
        Set-Master $root "! mine`ndisplay_mode shade`n"
        Invoke-Migration -Root $root -Selection @{}
        Get-MasterText $root | Should -BeExactly "! mine`r`ndisplay_mode shade`r`n"
    }
}

Describe 'Copying the chosen files' {
    It 'puts every file where its row says and wires the pointers' {
        $root = New-TestRoot
        $selection = @{
            f_map        = New-SourceFile $root 'my_mapkeys.pro' 'mapkey a'
            f_ui         = New-SourceFile $root 'ribbon.ui' 'ui'
            f_dmt        = New-SourceFile $root 'colors.dmt' 'dmt'
            f_scl        = New-SourceFile $root 'bg.scl' 'scl'
            f_pnt        = New-SourceFile $root 'pens.pnt' 'pnt'
            f_dtl        = New-SourceFile $root 'iso.dtl.4' 'dtl'
            f_tpl        = @((New-SourceFile $root 'a/frame.frm' 'f'), (New-SourceFile $root 'a/start.PRT.3' 'p'), (New-SourceFile $root 'b/big.asm.2' 'a'), (New-SourceFile $root 'b/second.prt' 'q'))
            f_lib_assets = @((New-SourceFile $root 'lib/steel.mtl' 'm'), (New-SourceFile $root 'lib/bolt.sym.7' 's'))
            f_lib        = [System.IO.Path]::Combine($root, 'source', 'tree')
        }
        $null = New-SourceFile $root 'tree/screws/m6.prt' 'm6'
        $null = New-SourceFile $root 'tree/top.txt' 'top'
        Invoke-Migration -Root $root -Selection $selection

        $homeFolder = [System.IO.Path]::Combine($root, 'Vantor_Home')
        $expectedFiles = [ordered]@{
            'Settings/Vantor_mapkeys.pro'      = 'mapkey a'
            'Settings/Vantor_customization.ui' = 'ui'
            'Settings/appearance.dmt'          = 'dmt'
            'Settings/Creo.scl'                = 'scl'
            'Settings/table.pnt'               = 'pnt'
            'Templates/iso.dtl.4'              = 'dtl'
            'Templates/frame.frm'              = 'f'
            'Templates/start.PRT.3'            = 'p'
            'Templates/big.asm.2'              = 'a'
            'Library/steel.mtl'                = 'm'
            'Library/bolt.sym.7'               = 's'
            'Library/screws/m6.prt'            = 'm6'
            'Library/top.txt'                  = 'top'
        }
        foreach ($relative in $expectedFiles.Keys) {
            [System.IO.File]::ReadAllText([System.IO.Path]::Combine($homeFolder, $relative)) | Should -BeExactly $expectedFiles[$relative] -Because $relative
        }
        $expected = @(
            ''
            '! --- Vantor Auto-Wired Customizations ---'
            'drawing_setup_file $WorkPath\Vantor_Home\Templates\iso.dtl'
            'format_setup_file $WorkPath\Vantor_Home\Templates\iso.dtl'
            'pen_table_file $WorkPath\Vantor_Home\Settings\table.pnt'
            'pro_colormap_path $WorkPath\Vantor_Home\Settings'
            'pro_dtl_setup_dir $WorkPath\Vantor_Home\Templates'
            'pro_format_dir $WorkPath\Vantor_Home\Templates'
            'pro_material_dir $WorkPath\Vantor_Home\Library'
            'pro_symbol_dir $WorkPath\Vantor_Home\Library'
            'search_path $WorkPath\Vantor_Home\Library'
            'start_model_dir $WorkPath\Vantor_Home\Templates'
            'system_colors_file $WorkPath\Vantor_Home\Settings\Creo.scl'
            'template_designasm $WorkPath\Vantor_Home\Templates\big.asm'
            'template_solidpart $WorkPath\Vantor_Home\Templates\start.PRT'
        )
        Get-MasterText $root | Should -BeExactly (($expected -join "`r`n") + "`r`n")
    }

    It 'skips a file that is gone and carries on' {
        $root = New-TestRoot
        $pens = New-SourceFile $root 'pens.pnt' 'pnt'
        Invoke-Migration -Root $root -Selection @{ f_scl = [System.IO.Path]::Combine($root, 'missing.scl'); f_pnt = $pens }
        [System.IO.File]::Exists([System.IO.Path]::Combine($root, 'Vantor_Home', 'Settings', 'table.pnt')) | Should -BeTrue
        Get-MasterText $root | Should -Match 'pen_table_file '
    }

    It 'overwrites files copied by an earlier run' {
        $root = New-TestRoot
        Invoke-Migration -Root $root -Selection @{ f_map = (New-SourceFile $root 'one.pro' 'old') }
        Invoke-Migration -Root $root -Selection @{ f_map = (New-SourceFile $root 'two.pro' 'new') }
        [System.IO.File]::ReadAllText([System.IO.Path]::Combine($root, 'Vantor_Home', 'Settings', 'Vantor_mapkeys.pro')) | Should -BeExactly 'new'
    }
}

Describe 'Merging the chosen config.pro' {
    It 'takes the whole file unchanged on the first migration, then the section' {
        $root = New-TestRoot
        $config = New-SourceFile $root 'config.pro' "! my options`r`n`r`ndisplay_mode  shade`r`npen_table_file C:\old.pnt`r`n"
        Invoke-Migration -Root $root -Selection @{ f_cfg = $config; f_pnt = (New-SourceFile $root 't.pnt') }
        Get-MasterText $root | Should -BeExactly ("! my options`r`n`r`ndisplay_mode  shade`r`n! [Vantor Migrated] pen_table_file C:\old.pnt`r`n`r`n" +
            "! --- Vantor Auto-Wired Customizations ---`r`npen_table_file `$WorkPath\Vantor_Home\Settings\table.pnt`r`n")
    }

    It 'replaces body lines by option name, appends new ones and comments once' {
        $root = New-TestRoot
        Set-Master $root "! head`r`nDisplay_Mode wireframe`r`nunits mm`r`n"
        $text = "! head`r`n! theirs`r`ndisplay_mode shade`r`nnew_option yes`r`n`r`n"
        Invoke-Migration -Root $root -Selection @{ f_cfg = (New-SourceFile $root 'config.pro' $text) }
        $expected = "! head`r`ndisplay_mode shade`r`nunits mm`r`n! theirs`r`nnew_option yes`r`n"
        Get-MasterText $root | Should -BeExactly $expected
    }

    It 'ignores a chosen config.pro that no longer exists' {
        $root = New-TestRoot
        Set-Master $root "units mm`r`n"
        Invoke-Migration -Root $root -Selection @{ f_cfg = [System.IO.Path]::Combine($root, 'gone.pro') }
        Get-MasterText $root | Should -BeExactly "units mm`r`n"
    }

    It 'points template_solidpart at the scaffold on a second migration and comments the old line' {
        $root = New-TestRoot
        Invoke-Migration -Root $root -Selection @{ f_cfg = (New-SourceFile $root 'first.pro' "units mm`r`n"); f_pnt = (New-SourceFile $root 't.pnt') }
        $config = New-SourceFile $root 'second.pro' "template_solidpart C:\Std\start.prt.2`r`n"
        Invoke-Migration -Root $root -Selection @{ f_cfg = $config; f_tpl = @((New-SourceFile $root 'other.prt' 'p'), (New-SourceFile $root 'asm_start.asm' 'a')) }
        $expected = @(
            'units mm'
            '! [Vantor Migrated] template_solidpart C:\Std\start.prt.2'
            ''
            '! --- Vantor Auto-Wired Customizations ---'
            'pen_table_file $WorkPath\Vantor_Home\Settings\table.pnt'
            'pro_dtl_setup_dir $WorkPath\Vantor_Home\Templates'
            'pro_format_dir $WorkPath\Vantor_Home\Templates'
            'start_model_dir $WorkPath\Vantor_Home\Templates'
            'template_designasm $WorkPath\Vantor_Home\Templates\asm_start.asm'
            'template_solidpart $WorkPath\Vantor_Home\Templates\start.prt'
        )
        Get-MasterText $root | Should -BeExactly (($expected -join "`r`n") + "`r`n")
    }

    It 'comments an active pen_table_file line when a pen table is chosen, once only' {
        $root = New-TestRoot
        Set-Master $root "pen_table_file D:\pens\old.pnt`r`n"
        Invoke-Migration -Root $root -Selection @{ f_pnt = (New-SourceFile $root 'new.pnt') }
        Invoke-Migration -Root $root -Selection @{}
        Get-MasterText $root | Should -BeExactly ("! [Vantor Migrated] pen_table_file D:\pens\old.pnt`r`n`r`n" +
            "! --- Vantor Auto-Wired Customizations ---`r`npen_table_file `$WorkPath\Vantor_Home\Settings\table.pnt`r`n")
    }

    It 'does not rewrite a master configuration it cannot read' {
        $root = New-TestRoot
        $master = Get-MasterPath $root
        $null = [System.IO.Directory]::CreateDirectory($master)
        { Invoke-Migration -Root $root -Selection @{} } | Should -Throw
        [System.IO.Directory]::Exists($master) | Should -BeTrue
    }
}

Describe 'Reading the managed section' {
    It 'keeps its options and every search path, and gives mapkeys, comments and migrated lines back' {
        $lines = @('a 1', '! [Vantor Migrated] pen_table_file C:\p.pnt', '! [Vantor Migrated] units mm',
            '!---  vantor auto-wired stuff', '', 'pen_table_file $WorkPath\x', 'Search_Path X:\lib', '! note',
            'search_path Y:\lib', 'mapkey q @x;\', 'mapkey(continued) y;', 'lonely')
        $state = Read-MasterConfig -Line $lines
        $state.Body.ToArray() | Should -Be @('a 1', 'pen_table_file C:\p.pnt', '! [Vantor Migrated] units mm',
            '! note', 'mapkey q @x;\', 'mapkey(continued) y;')
        @($state.Managed.Keys | Sort-Object) | Should -Be @('lonely', 'pen_table_file', 'search_path')
        $state.Managed['search_path'].Values.ToArray() | Should -Be @('X:\lib', 'Y:\lib')
        $state.Known['a'] | Should -BeExactly '1'
    }
}

Describe 'Migrating option files as users keep them' {
    BeforeAll {
        function Get-SearchPathLine([int]$Number) {
            $kinds = @("search_path `"C:\Standard Parts\Group $Number`"", "search_path .\lib\sub$Number",
                "search_path   \\server\cad\lib$Number")
            return $kinds[$Number % 3]
        }

        function New-OptionFileText([string]$Owner, [int]$FirstMapkey, [int]$Mapkeys, [int]$FirstPath,
            [int]$Paths, [string]$Extra) {
            # A first comment line, options with and without values, tab-separated
            # def_layer lines, search paths quoted, relative and on a server, and
            # mapkeys with runs of 2 to 14 continuation lines.
            $lines = [System.Collections.Generic.List[string]]::new()
            $lines.AddRange([string[]]@("! Creo Parametric configuration of $Owner", '', 'regen_failure_handling',
                    "def_layer`tlayer_axis`t01_AXES", $Extra))
            for ($i = $FirstPath; $i -lt $FirstPath + $Paths; $i++) { $lines.Add((Get-SearchPathLine $i)) }
            for ($k = $FirstMapkey; $k -lt $FirstMapkey + $Mapkeys; $k++) {
                $lines.Add("mapkey k$k @MAPKEY_NAME$Owner macro $k;@MAPKEY_LABELk$k;\")
                $run = 2 + $k % 13
                for ($c = 0; $c -lt $run; $c++) {
                    $end = '\'
                    if ($c -eq $run - 1) { $end = '' }
                    $lines.Add("mapkey(continued) ~ Command ``ProCmdStep$c`` ;$end")
                }
            }
            return $lines.ToArray()
        }

        function Get-Line([string]$Path) { return (Read-OptionText -Path $Path).Lines }
        function Get-Count([string[]]$Lines, [string]$Line) { return @($Lines | Where-Object { $_ -ceq $Line }).Count }
    }

    It 'keeps every mapkey and search path of two files, and a second run changes nothing' {
        $root = New-TestRoot
        $design = New-SourceFile $root 'design.pro'
        $bom = [byte[]]@(0xEF, 0xBB, 0xBF)
        $designText = ((New-OptionFileText 'design' 0 40 0 80 'display_mode shade') -join "`r`n") + "`r`n"
        [System.IO.File]::WriteAllBytes($design, $bom + [System.Text.Encoding]::UTF8.GetBytes($designText))
        $toolingText = (New-OptionFileText 'tooling' 30 33 60 123 'pen_table_file D:\pens.pnt') -join "`n"
        $tooling = New-SourceFile $root 'tooling.pro' $toolingText
        Invoke-Migration -Root $root -Selection @{ f_cfg = $design; f_lib = [System.IO.Path]::Combine($root, 'source') }
        $selection = @{ f_cfg = $tooling; f_pnt = (New-SourceFile $root 't.pnt') }
        Invoke-Migration -Root $root -Selection $selection
        $once = [System.IO.File]::ReadAllBytes((Get-MasterPath $root))
        Invoke-Migration -Root $root -Selection $selection
        [System.IO.File]::ReadAllBytes((Get-MasterPath $root)) | Should -Be $once

        $once[0..2] | Should -Be $bom
        $lines = Get-Line (Get-MasterPath $root)
        for ($k = 0; $k -le 62; $k++) {
            $at = @(for ($i = 0; $i -lt $lines.Length; $i++) { if ($lines[$i].StartsWith("mapkey k$k ")) { $i } })
            $at.Count | Should -Be 1 -Because "mapkey k$k"
            $owner = 'design'
            if ($k -ge 30) { $owner = 'tooling' }
            $lines[$at[0]] | Should -BeExactly "mapkey k$k @MAPKEY_NAME$owner macro $k;@MAPKEY_LABELk$k;\"
            $lines[$at[0] + 2 + $k % 13] | Should -BeLike 'mapkey(continued)*' -Because "the block of k$k is whole"
            $lines[$at[0] + 3 + $k % 13] | Should -Not -BeLike 'mapkey(continued)*' -Because "the block of k$k ends"
        }
        for ($i = 0; $i -lt 183; $i++) { Get-Count $lines (Get-SearchPathLine $i) | Should -Be 1 -Because "path $i" }
        Get-Count $lines '! [Vantor Migrated] pen_table_file D:\pens.pnt' | Should -Be 1
        Get-Count $lines 'regen_failure_handling' | Should -Be 1
        $lines[-4..-1] | Should -Be @('', '! --- Vantor Auto-Wired Customizations ---',
            'pen_table_file $WorkPath\Vantor_Home\Settings\table.pnt', 'search_path $WorkPath\Vantor_Home\Library')
    }

    It 'keeps a Windows-1252 file in its code page and converts what comes in UTF-8' {
        $root = New-TestRoot
        $legacy = [System.Text.Encoding]::GetEncoding(1252)
        $config = New-SourceFile $root 'config.pro'
        $u = [char]0xFC
        $text = "! Pr${u}fstand M${u}ller`r`nsearch_path C:\Pr${u}fteile`r`nmapkey $([char]0xE4) @x;`r`n"
        $bytes = $legacy.GetBytes($text)
        [System.IO.File]::WriteAllBytes($config, $bytes)
        Invoke-Migration -Root $root -Selection @{ f_cfg = $config }
        [System.IO.File]::ReadAllBytes((Get-MasterPath $root)) | Should -Be $bytes
        $sharp = "search_path C:\Ma$([char]0xDF)e"
        $incoming = New-SourceFile $root 'more.pro' "$sharp`r`nsearch_path C:\Pr${u}fteile`r`n"
        Invoke-Migration -Root $root -Selection @{ f_cfg = $incoming }
        Invoke-Migration -Root $root -Selection @{ f_cfg = $incoming }
        [System.IO.File]::ReadAllBytes((Get-MasterPath $root)) | Should -Be ($bytes + $legacy.GetBytes("$sharp`r`n"))
    }
}

Describe 'Small rules' {
    It 'version-free name of <Name> is <Expected>' -ForEach @(
        @{ Name = 'start.prt.3'; Expected = 'start.prt' }
        @{ Name = 'start.prt'; Expected = 'start.prt' }
        @{ Name = 'a.12'; Expected = 'a' }
        @{ Name = 'v2'; Expected = 'v2' }
    ) {
        Get-VersionFreeName -Name $Name | Should -BeExactly $Expected
    }

    It 'counts a file picked twice across Browse rounds once' {
        $list = New-Object 'System.Collections.Generic.List[string]'
        Add-SelectedPath -List $list -Path @('C:\a\x.prt', 'C:\a\y.asm')
        Add-SelectedPath -List $list -Path @('C:\a\x.prt', 'C:\b\z.drw')
        $list.ToArray() | Should -Be @('C:\a\x.prt', 'C:\a\y.asm', 'C:\b\z.drw')
        Get-SelectionCountText -Count $list.Count | Should -BeExactly '3 total file(s) selected'
    }

    It 'gives X|OK only for OK' {
        Format-MigrationResult -DialogResult 'OK' | Should -BeExactly 'X|OK'
        Format-MigrationResult -DialogResult 'Cancel' | Should -BeExactly 'X|Cancel'
        Format-MigrationResult -DialogResult 'Abort' | Should -BeExactly 'X|Cancel'
    }

    It 'lays the rows out in three groups with the buttons below' {
        $layout = Get-WizardLayout -Row (Get-WizardRow)
        ($layout.Captions | ForEach-Object { $_.Y }) | Should -Be @(112, 290, 468)
        ($layout.Rows | ForEach-Object { $_.Y }) | Should -Be @(140, 188, 236, 318, 366, 414, 496, 544, 592, 640)
        $layout.ButtonY | Should -Be 704
        $layout.ClientHeight | Should -Be 759
    }
}

Describe 'The entry layer' {
    It 'decodes the anchor folder from base64' {
        $text = Get-Content -LiteralPath $script:TemplatePath -Raw
        $text | Should -Match ([regex]::Escape("ConvertFrom-VantorText '%ROOT_DIR%'"))
        ConvertFrom-VantorText ([System.Convert]::ToBase64String([System.Text.Encoding]::UTF8.GetBytes("C:\Ö's `$x"))) | Should -BeExactly "C:\Ö's `$x"
    }
}
