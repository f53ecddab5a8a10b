#Requires -Modules Pester
# Pester tests for the code every window script shares: writing a file in one
# step and the compile profile, on real temporary folders.

BeforeAll {
    Set-StrictMode -Version 3.0
    . (Join-Path $PSScriptRoot 'prelude.ps1')

    function New-TestFolder {
        $path = [System.IO.Path]::Combine($TestDrive, [guid]::NewGuid().ToString('N').Substring(0, 8))
        return [System.IO.Directory]::CreateDirectory($path).FullName
    }

    function Get-Listing([string]$Folder) {
        return @([System.IO.Directory]::GetFileSystemEntries($Folder) | ForEach-Object { [System.IO.Path]::GetFileName($_) })
    }
}

Describe 'Writing a file in one step' {
    It 'writes exactly the bytes given, <Case>, and leaves nothing beside it' -ForEach @(
        @{ Case = 'as a new file'; Old = $null; ReadOnly = $false; Bytes = [byte[]]@(0x61, 0x0D, 0x0A, 0xC3, 0xA9) }
        @{ Case = 'over a longer file'; Old = 'a much longer text than the new one'; ReadOnly = $false; Bytes = [byte[]]@(0x62) }
        @{ Case = 'over a read-only file'; Old = 'old'; ReadOnly = $true; Bytes = [byte[]]@(0x63) }
        @{ Case = 'as an empty file'; Old = 'old'; ReadOnly = $false; Bytes = [byte[]]@() }
    ) {
        $folder = New-TestFolder
        $path = Join-Path $folder 'settings.ini'
        if ($null -ne $Old) { [System.IO.File]::WriteAllText($path, $Old) }
        if ($ReadOnly) { [System.IO.File]::SetAttributes($path, [System.IO.FileAttributes]::ReadOnly) }
        Write-FileAtomically -Path $path -Byte $Bytes
        [System.IO.File]::ReadAllBytes($path) | Should -Be $Bytes
        Get-Listing $folder | Should -Be @('settings.ini')
    }

    It 'gives up with the reason, the old file whole and no temporary file, when the place stays refused' {
        $folder = New-TestFolder
        # A folder in the way refuses the rename the way a held file does.
        $path = [System.IO.Directory]::CreateDirectory((Join-Path $folder 'Vantor.ini')).FullName
        { Write-FileAtomically -Path $path -Byte ([byte[]]@(1)) -RetryMilliseconds 0 } | Should -Throw
        [System.IO.Directory]::Exists($path) | Should -BeTrue
        Get-Listing $folder | Should -Be @('Vantor.ini')
    }

    It 'retries a refused rename until the place is free' {
        $folder = New-TestFolder
        $path = Join-Path $folder 'Vantor.ini'
        $null = [System.IO.Directory]::CreateDirectory($path)
        # The scanner lets go while the writer waits.
        Mock Start-Sleep { [System.IO.Directory]::Delete($path) }
        Write-FileAtomically -Path $path -Byte ([byte[]]@(0x6E, 0x65, 0x77))
        Should -Invoke Start-Sleep -Times 1 -Exactly
        [System.IO.File]::ReadAllText($path) | Should -BeExactly 'new'
        Get-Listing $folder | Should -Be @('Vantor.ini')
    }
}

Describe 'The compile profile of each script' {
    It 'has a name of its own in every template' {
        $templates = 'config_editor', 'migration_wizard', 'restore_window'
        $names = foreach ($template in $templates) {
            $text = [System.IO.File]::ReadAllText((Join-Path $PSScriptRoot "$template.ps1"))
            $calls = [regex]::Matches($text, "(?m)^Start-CompileProfile -Name '(\w+)'")
            $calls.Count | Should -Be 1 -Because "$template starts its profile once"
            $calls[0].Groups[1].Value
        }
        @($names | Sort-Object -Unique).Count | Should -Be $templates.Count
    }

    It 'is written by <Case>' -ForEach @(
        @{ Case = 'a run'; NoWindow = '$false'; Written = $true }
        @{ Case = 'no test'; NoWindow = '$true'; Written = $false }
    ) {
        $cache = New-TestFolder
        $pwsh = (Get-Command -Name pwsh -CommandType Application | Select-Object -First 1).Source
        $prelude = Join-Path $PSScriptRoot 'prelude.ps1'
        $saved = $env:XDG_CACHE_HOME
        try {
            $env:XDG_CACHE_HOME = $cache
            & $pwsh -NoProfile -NonInteractive -Command "`$VantorNoWindow = $NoWindow; . '$prelude'; Start-CompileProfile -Name Check"
        } finally {
            $env:XDG_CACHE_HOME = $saved
        }
        [System.IO.File]::Exists([System.IO.Path]::Combine($cache, 'powershell', 'Vantor-Check')) | Should -Be $Written
    }
}
