# Vantor model-version probe.
# Samples the models of one folder for the Creo version that saved them and lists
# the installed Creo versions, then prints one result line:
#   X|<data version>|<roots text>|<latest version>|<data version installed 0/1>|<other versions>
# Runs on Windows PowerShell 5.1 and PowerShell 7.

Set-StrictMode -Version 3.0

# --- model half -------------------------------------------------------------

$script:ModelFilePattern = '\.(prt|asm|drw)(\.\d+)?$'
$script:CreoMarkPattern = '#Creo\s+TM\s+(\d+)'
$script:LegacyMarkPattern = 'Wildfire|Pro/ENGINEER'
$script:HeaderLineCount = 13
$script:SampleSize = 5
# Model files are mostly binary: a header "line" with no line break in sight must
# not pull a whole model into memory, so no more than this is read per file.
$script:HeaderByteLimit = 262144
# Predecessor products (Wildfire, Pro/ENGINEER) count as this version.
$script:LegacyVersion = 5

function Get-ModelFile {
    [CmdletBinding()]
    [OutputType([System.IO.FileInfo])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Directory
    )
    $models = New-Object 'System.Collections.Generic.List[System.IO.FileInfo]'
    $skip = [System.IO.FileAttributes]::Hidden -bor [System.IO.FileAttributes]::System
    try {
        $folder = New-Object System.IO.DirectoryInfo -ArgumentList $Directory
        foreach ($file in $folder.EnumerateFiles()) {
            if (($file.Attributes -band $skip) -ne 0) { continue }
            if ($file.Name -match $script:ModelFilePattern) { $models.Add($file) }
        }
    }
    catch {
        # An unreadable folder simply has no models to sample.
        $null = $_
    }
    return , $models
}

function Select-LargestModelFile {
    [CmdletBinding()]
    [OutputType([System.IO.FileInfo[]])]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][System.IO.FileInfo[]]$File,
        [ValidateRange(1, 1000)][int]$Count = $script:SampleSize
    )
    # Name as second key keeps the sample the same from run to run when sizes tie.
    $sorted = @($File | Sort-Object -Property @{ Expression = 'Length'; Descending = $true }, @{ Expression = 'Name'; Descending = $false })
    if ($sorted.Count -gt $Count) { $sorted = $sorted[0..($Count - 1)] }
    return , [System.IO.FileInfo[]]$sorted
}

function Read-HeaderLine {
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Path,
        [ValidateRange(1, 1000)][int]$Count = $script:HeaderLineCount
    )
    $stream = [System.IO.File]::Open($Path, [System.IO.FileMode]::Open, [System.IO.FileAccess]::Read, [System.IO.FileShare]::ReadWrite)
    try {
        $buffer = New-Object byte[] $script:HeaderByteLimit
        $filled = 0
        while ($filled -lt $buffer.Length) {
            $read = $stream.Read($buffer, $filled, $buffer.Length - $filled)
            if ($read -le 0) { break }
            $filled += $read
        }
    }
    finally {
        $stream.Dispose()
    }
    # Latin-1 maps every byte to one character, so binary data cannot break the decoding.
    $text = [System.Text.Encoding]::GetEncoding(28591).GetString($buffer, 0, $filled)
    $lines = $text.Split([char]10)
    if ($lines.Count -gt $Count) { $lines = $lines[0..($Count - 1)] }
    return , [string[]]$lines
}

function Get-VersionMark {
    [CmdletBinding()]
    [OutputType([int])]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][AllowEmptyString()][string[]]$Line
    )
    foreach ($text in $Line) {
        $creo = [regex]::Match($text, $script:CreoMarkPattern, [System.Text.RegularExpressions.RegexOptions]::IgnoreCase)
        if ($creo.Success) {
            $version = 0
            if ([int]::TryParse($creo.Groups[1].Value, [ref]$version)) { return $version }
            return 0
        }
        if ([regex]::IsMatch($text, $script:LegacyMarkPattern, [System.Text.RegularExpressions.RegexOptions]::IgnoreCase)) {
            return $script:LegacyVersion
        }
    }
    return 0
}

function Get-ModelDataVersion {
    [CmdletBinding()]
    [OutputType([int])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Directory
    )
    $sample = Select-LargestModelFile -File (Get-ModelFile -Directory $Directory)
    if ($sample.Count -eq 0) { return 0 }
    $highest = 0
    foreach ($file in $sample) {
        try {
            $mark = Get-VersionMark -Line (Read-HeaderLine -Path $file.FullName)
        }
        catch {
            # A model that cannot be read is left out of the sample.
            continue
        }
        if ($mark -gt $highest) { $highest = $mark }
    }
    if ($highest -eq 0) { return -1 }
    return $highest
}

# --- installation half ------------------------------------------------------

$script:CreoRegistryKey = 'HKLM:\SOFTWARE\PTC\PTC Creo Parametric'
$script:InstallFolderPattern = '^(Creo|PROE) '

function Get-RegistryInstallLocation {
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [ValidateNotNullOrEmpty()][string]$KeyPath = $script:CreoRegistryKey
    )
    $locations = New-Object 'System.Collections.Generic.List[string]'
    try {
        if (-not (Test-Path -LiteralPath $KeyPath)) { return , $locations.ToArray() }
        $subKeys = @(Get-ChildItem -LiteralPath $KeyPath -ErrorAction Stop)
    }
    catch {
        # No registry (or no access): discovery falls back to the default root.
        return , $locations.ToArray()
    }
    foreach ($subKey in $subKeys) {
        try {
            $value = (Get-ItemProperty -LiteralPath $subKey.PSPath -Name 'InstallLocation' -ErrorAction Stop).InstallLocation
            if ($value) { $locations.Add([string]$value) }
        }
        catch {
            $null = $_
        }
    }
    return , $locations.ToArray()
}

function Find-InstallationParent {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$Location
    )
    if (-not [System.IO.Directory]::Exists($Location)) { return '' }
    $folder = New-Object System.IO.DirectoryInfo -ArgumentList $Location
    while ($null -ne $folder) {
        if ($folder.Name -match $script:InstallFolderPattern) {
            if ($null -eq $folder.Parent) { return '' }
            return $folder.Parent.FullName
        }
        $folder = $folder.Parent
    }
    return ''
}

function Get-DefaultPtcRoot {
    [CmdletBinding()]
    [OutputType([string])]
    param()
    # ProgramFiles is set on every Windows system; the literal is the last resort.
    if ($env:ProgramFiles) { return [System.IO.Path]::Combine($env:ProgramFiles, 'PTC') }
    return 'C:\Program Files\PTC'
}

function Get-PtcRoot {
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][AllowEmptyString()][string[]]$InstallLocation,
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$FallbackRoot
    )
    $roots = New-Object 'System.Collections.Generic.List[string]'
    foreach ($location in $InstallLocation) {
        if (-not $location) { continue }
        $root = Find-InstallationParent -Location $location
        if ($root -and -not (Test-ListHasText -List $roots -Text $root)) { $roots.Add($root) }
    }
    if ($roots.Count -eq 0 -and [System.IO.Directory]::Exists($FallbackRoot)) { $roots.Add($FallbackRoot) }
    return , $roots.ToArray()
}

function Test-ListHasText {
    [CmdletBinding()]
    [OutputType([bool])]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][System.Collections.Generic.List[string]]$List,
        [Parameter(Mandatory = $true)][string]$Text
    )
    foreach ($item in $List) {
        if ([string]::Equals($item, $Text, [System.StringComparison]::OrdinalIgnoreCase)) { return $true }
    }
    return $false
}

function Get-MajorVersion {
    [CmdletBinding()]
    [OutputType([int])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$FolderName
    )
    # 'Creo 10.0.2.0' gives 10; a name without a leading number gives -1 and is skipped.
    $rest = $FolderName -replace 'Creo ', ''
    $first = $rest.Split('.')[0]
    $major = 0
    if ([int]::TryParse($first, [System.Globalization.NumberStyles]::Integer, [System.Globalization.CultureInfo]::InvariantCulture, [ref]$major)) { return $major }
    return -1
}

function Get-CreoInstallation {
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param(
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][string[]]$Root,
        [Parameter(Mandatory = $true)][int]$DataVersion
    )
    $versions = New-Object 'System.Collections.Generic.List[int]'
    $latest = 0
    $dataInstalled = 0
    foreach ($path in $Root) {
        if (-not [System.IO.Directory]::Exists($path)) { continue }
        try {
            $folders = [System.IO.Directory]::GetDirectories($path)
        }
        catch {
            # A root that cannot be listed contributes nothing.
            continue
        }
        foreach ($folder in $folders) {
            $name = [System.IO.Path]::GetFileName($folder)
            if ($name -notlike 'Creo *') { continue }
            if (-not [System.IO.File]::Exists([System.IO.Path]::Combine($folder, 'Parametric', 'bin', 'parametric.exe'))) { continue }
            $major = Get-MajorVersion -FolderName $name
            if ($major -lt 0) { continue }
            if ($major -gt $latest) { $latest = $major }
            if ($major -eq $DataVersion) { $dataInstalled = 1 }
            if (-not $versions.Contains($major)) { $versions.Add($major) }
        }
    }
    $others = New-Object 'System.Collections.Generic.List[int]'
    foreach ($version in $versions) {
        if ($version -ne $latest) { $others.Add($version) }
    }
    $others.Sort()
    return [pscustomobject]@{
        Latest        = $latest
        DataInstalled = $dataInstalled
        Others        = $others.ToArray()
    }
}

function Format-ProbeResult {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory = $true)][int]$DataVersion,
        [Parameter(Mandatory = $true)][AllowEmptyCollection()][string[]]$Root,
        [Parameter(Mandatory = $true)][pscustomobject]$Installation
    )
    $rootsText = 'NONE'
    if ($Root.Count -gt 0) { $rootsText = $Root -join '*' }
    $othersText = 'NONE'
    if ($Installation.Others.Count -gt 0) { $othersText = $Installation.Others -join ',' }
    $fields = @('X', [string]$DataVersion, $rootsText, [string]$Installation.Latest, [string]$Installation.DataInstalled, $othersText)
    return $fields -join '|'
}

function Invoke-ModelProbe {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory = $true)][ValidateNotNullOrEmpty()][string]$TargetDir,
        [AllowEmptyCollection()][string[]]$InstallLocation = (Get-RegistryInstallLocation),
        [ValidateNotNullOrEmpty()][string]$FallbackRoot = (Get-DefaultPtcRoot)
    )
    $dataVersion = Get-ModelDataVersion -Directory $TargetDir
    $roots = Get-PtcRoot -InstallLocation $InstallLocation -FallbackRoot $FallbackRoot
    $installation = Get-CreoInstallation -Root $roots -DataVersion $dataVersion
    return Format-ProbeResult -DataVersion $dataVersion -Root $roots -Installation $installation
}

function ConvertFrom-VantorText([string]$Encoded) { [System.Text.Encoding]::UTF8.GetString([System.Convert]::FromBase64String($Encoded)) }

function Set-Utf8Output {
    [CmdletBinding()]
    param()
    # Paths in the result line must reach the program as UTF-8; without a console
    # the setter may refuse, and then the system code page has to do.
    try { [Console]::OutputEncoding = New-Object System.Text.UTF8Encoding -ArgumentList $false }
    catch { $null = $_ }
}

# --- entry ------------------------------------------------------------------
# Tests set $VantorNoWindow and dot-source this file to get the functions only.
if (Get-Variable -Name VantorNoWindow -ValueOnly -ErrorAction SilentlyContinue) { return }

Set-Utf8Output
$targetDir = ConvertFrom-VantorText '%TARGET_DIR%'
Write-Output (Invoke-ModelProbe -TargetDir $targetDir)
