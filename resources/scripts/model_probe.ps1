# Vantor model-version probe.
# Samples the models of one folder for the Creo version that saved them and lists
# the installed Creo versions, then prints one result line:
#   X|<data version>|<roots text>|<latest version>|<data version installed 0/1>|<other versions>
# Runs on Windows PowerShell 5.1 and PowerShell 7. The build puts the head of
# prelude.ps1 in front of this file: only its first few functions.

Set-StrictMode -Version 3.0
Start-CompileProfile -Name 'ModelProbe'

# --- model half -------------------------------------------------------------

$script:ModelFilePattern = [regex]::new('\.(prt|asm|drw)(\.\d+)?$', 'IgnoreCase')
# Both the largest and the most recently written models are sampled: a small
# part saved yesterday by a newer Creo must not hide behind big old assemblies.
$script:SampleSize = 5
# The version mark stands among the text lines at the head of a model, after
# the UGC header and, in older files, after a text block of the model's own.
# Reading stops at the first NUL byte (the binary data has begun) or here.
$script:HeaderByteLimit = 65536
# What is read first: the UGC header and the mark of a Creo model fit in it.
$script:HeadByteCount = 4096
$script:HeaderEncoding = [System.Text.Encoding]::GetEncoding(28591)
# A mark is a line that begins with '#' (line ends CR, LF or CR LF), so words
# inside binary data never count. The first mark of a file decides:
#   '#Creo  TM  11.0 ...'            that version
#   '#Creo  TM  Version P-20-53 ...' a build code (see CreoBuildCodeVersion)
#   '#Creo  TM ...' otherwise        Creo of unknown version
#   a predecessor product's name     LegacyVersion
$script:VersionMarkPattern = [regex]::new(
    '(?<![^\r\n])#(?:Creo[ \t]+TM\b(?:[ \t]+(?:(?<number>\d+)|Version[ \t]+(?<build>[A-Z]-\d+)-\d+))?' +
    '|[^\r\n]*?(?<legacy>Wildfire|Pro/ENGINEER|PT/Products|Creo[ \t]+Elements/Pro))',
    'IgnoreCase')
# Build codes of marks that carry no version number. P-20 files carry the same
# release fields in their UGC line as files marked 'Creo TM 3.0', and a 2015
# copyright.
$script:CreoBuildCodeVersion = @{ 'P-20' = 3 }
# Predecessor products (Wildfire, Pro/ENGINEER) count as this version.
$script:LegacyVersion = 5
# Models whose marks give no version number.
$script:UnknownVersion = -1
# What Get-VersionMark gives for a predecessor's mark, kept apart from a
# 'Creo TM 5' mark until the sample is weighed.
$script:PredecessorMark = -2

function Get-ModelFile {
    [CmdletBinding()]
    [OutputType([System.Collections.Generic.List[System.IO.FileInfo]])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Directory
    )
    $models = [System.Collections.Generic.List[System.IO.FileInfo]]::new()
    $skip = [System.IO.FileAttributes]::Hidden -bor [System.IO.FileAttributes]::System
    try {
        foreach ($file in [System.IO.DirectoryInfo]::new($Directory).EnumerateFiles()) {
            if (($file.Attributes -band $skip) -ne 0) { continue }
            if ($script:ModelFilePattern.IsMatch($file.Name)) { $models.Add($file) }
        }
    }
    catch [System.IO.IOException], [System.UnauthorizedAccessException], [System.Security.SecurityException] {
        # A folder that cannot be read (further) gives the models found so far.
        $models.TrimExcess()
    }
    return , $models
}

# Inserts a file into a short list kept in order (largest or newest first,
# then by name so that ties give the same sample every run), trimmed to $Count.
# Keys are whole numbers (bytes, ticks) so that comparing them stays cheap.
function Add-RankedFile {
    param(
        [System.Collections.Generic.List[System.IO.FileInfo]]$Ranked,
        [System.IO.FileInfo]$File,
        [bool]$ByTime,
        [int]$Count
    )
    $key = $File.Length
    if ($ByTime) { $key = $File.LastWriteTimeUtc.Ticks }
    $at = 0
    while ($at -lt $Ranked.Count) {
        $other = $Ranked[$at].Length
        if ($ByTime) { $other = $Ranked[$at].LastWriteTimeUtc.Ticks }
        if ($key -gt $other) { break }
        if ($key -eq $other -and [string]::CompareOrdinal($File.Name, $Ranked[$at].Name) -lt 0) { break }
        $at++
    }
    if ($at -ge $Count) { return }
    $Ranked.Insert($at, $File)
    if ($Ranked.Count -gt $Count) { $Ranked.RemoveAt($Count) }
}

# The largest and the most recently written models, each file once, in one
# pass: only a file that beats the last of a short list is ranked.
function Select-ModelSample {
    [CmdletBinding()]
    [OutputType([System.IO.FileInfo[]])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()]
        [System.Collections.Generic.List[System.IO.FileInfo]]$File,
        [ValidateRange(1, 1000)][int]$Count = $script:SampleSize
    )
    $largest = [System.Collections.Generic.List[System.IO.FileInfo]]::new()
    $newest = [System.Collections.Generic.List[System.IO.FileInfo]]::new()
    foreach ($candidate in $File) {
        # Inline tests keep the common case (ranks nowhere) free of calls.
        if ($largest.Count -lt $Count) { Add-RankedFile $largest $candidate $false $Count }
        else {
            $last = $largest[$Count - 1]
            if ($candidate.Length -gt $last.Length -or ($candidate.Length -eq $last.Length -and
                    [string]::CompareOrdinal($candidate.Name, $last.Name) -lt 0)) {
                Add-RankedFile $largest $candidate $false $Count
            }
        }
        if ($newest.Count -lt $Count) { Add-RankedFile $newest $candidate $true $Count }
        else {
            $last = $newest[$Count - 1]
            $time = $candidate.LastWriteTimeUtc.Ticks
            if ($time -gt $last.LastWriteTimeUtc.Ticks -or ($time -eq $last.LastWriteTimeUtc.Ticks -and
                    [string]::CompareOrdinal($candidate.Name, $last.Name) -lt 0)) {
                Add-RankedFile $newest $candidate $true $Count
            }
        }
    }
    foreach ($candidate in $newest) {
        if (-not $largest.Contains($candidate)) { $largest.Add($candidate) }
    }
    return , $largest.ToArray()
}

# The version mark of one model, from the text at its head: up to the first
# NUL byte (the binary data has begun), at most HeaderByteLimit bytes. Most
# marks stand within the first lines, so a short head is searched first, up
# to its last whole line; only a model without a mark there is read on, from
# the same open file. $Buffer is reused from file to file.
function Get-ModelVersionMark {
    param(
        [Parameter(Mandatory)][string]$Path,
        [Parameter(Mandatory)][byte[]]$Buffer
    )
    $filled = 0
    $end = -1
    $stream = [System.IO.FileStream]::new($Path, [System.IO.FileMode]::Open, [System.IO.FileAccess]::Read,
        [System.IO.FileShare]::ReadWrite, 1, [System.IO.FileOptions]::SequentialScan)
    try {
        foreach ($want in $script:HeadByteCount, $Buffer.Length) {
            $read = 1
            while ($filled -lt $want -and $read -gt 0) {
                $read = $stream.Read($Buffer, $filled, $want - $filled)
                $filled += $read
            }
            $end = [System.Array]::IndexOf($Buffer, [byte]0, 0, $filled)
            # The whole head is read: the binary data or the end of the file began.
            if ($end -ge 0 -or $filled -lt $want) { break }
            # Marks are ASCII; one character per byte tells how much was read.
            $text = $script:HeaderEncoding.GetString($Buffer, 0, $filled)
            $cut = $text.LastIndexOfAny([char[]]@("`r", "`n"))
            if ($cut -lt 0) { continue }
            $mark = Get-VersionMark -HeaderText $text.Substring(0, $cut + 1)
            if ($mark -ne 0) { return $mark }
        }
    }
    finally {
        $stream.Dispose()
    }
    if ($end -lt 0) { $end = $filled }
    return Get-VersionMark -HeaderText $script:HeaderEncoding.GetString($Buffer, 0, $end)
}

# The version the first mark of a header gives: a number, PredecessorMark,
# UnknownVersion for Creo without a known number, or 0 for no mark at all.
function Get-VersionMark {
    [CmdletBinding()]
    [OutputType([int])]
    param(
        [Parameter(Mandatory)][AllowEmptyString()][string]$HeaderText
    )
    $mark = $script:VersionMarkPattern.Match($HeaderText)
    if (-not $mark.Success) { return 0 }
    if ($mark.Groups['legacy'].Success) { return $script:PredecessorMark }
    $version = 0
    if ($mark.Groups['number'].Success -and [int]::TryParse($mark.Groups['number'].Value, [ref]$version) -and
        $version -gt 0) {
        return $version
    }
    $build = $mark.Groups['build'].Value.ToUpperInvariant()
    if ($build -and $script:CreoBuildCodeVersion.ContainsKey($build)) { return $script:CreoBuildCodeVersion[$build] }
    return $script:UnknownVersion
}

# 0 for a folder without models; the newest version of the sample, or
# UnknownVersion when no sampled model gives one. Predecessor data is older
# than any Creo, whatever its number: a Creo 4 part beside Wildfire parts
# makes the folder Creo 4 data.
function Get-ModelDataVersion {
    [CmdletBinding()]
    [OutputType([int])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Directory
    )
    $sample = Select-ModelSample -File (Get-ModelFile -Directory $Directory)
    if ($sample.Count -eq 0) { return 0 }
    $buffer = [byte[]]::new($script:HeaderByteLimit)
    $newestCreo = 0
    $predecessor = $false
    foreach ($file in $sample) {
        try {
            $mark = Get-ModelVersionMark -Path $file.FullName -Buffer $buffer
        }
        catch {
            # A model that cannot be read is left out of the sample.
            continue
        }
        if ($mark -eq $script:PredecessorMark) { $predecessor = $true }
        elseif ($mark -gt $newestCreo) { $newestCreo = $mark }
    }
    if ($newestCreo -gt 0) { return $newestCreo }
    if ($predecessor) { return $script:LegacyVersion }
    return $script:UnknownVersion
}

# --- installation half ------------------------------------------------------

$script:CreoRegistryKey = 'SOFTWARE\PTC\PTC Creo Parametric'
$script:InstallFolderPattern = '^(Creo|PROE) '

function Get-RegistryInstallLocation {
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [ValidateNotNullOrEmpty()][string]$KeyPath = $script:CreoRegistryKey
    )
    # The registry API rather than the HKLM: drive: the provider's first use
    # costs more than the whole probe.
    $locations = [System.Collections.Generic.List[string]]::new()
    # Elsewhere the registry API only throws, and a first exception is dear.
    if (-not (Test-WindowsPlatform)) { return , $locations.ToArray() }
    $key = $null
    try {
        $hive = [Microsoft.Win32.Registry]::LocalMachine
        if ($null -eq $hive) { return , $locations.ToArray() }
        $key = $hive.OpenSubKey($KeyPath)
        if ($null -eq $key) { return , $locations.ToArray() }
        foreach ($name in $key.GetSubKeyNames()) {
            $subKey = $key.OpenSubKey($name)
            if ($null -eq $subKey) { continue }
            try {
                $value = $subKey.GetValue('InstallLocation')
                if ($value) { $locations.Add([string]$value) }
            }
            finally {
                $subKey.Dispose()
            }
        }
    }
    catch [System.PlatformNotSupportedException], [System.Security.SecurityException],
    [System.UnauthorizedAccessException], [System.IO.IOException] {
        # No registry (or no access): discovery falls back to the default root.
        $locations.Clear()
    }
    finally {
        if ($null -ne $key) { $key.Dispose() }
    }
    return , $locations.ToArray()
}

function Find-InstallationParent {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Location
    )
    if (-not [System.IO.Directory]::Exists($Location)) { return '' }
    $folder = [System.IO.DirectoryInfo]::new($Location)
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
    # The environment API, not the env: drive, whose provider costs a first use.
    $programFiles = [System.Environment]::GetEnvironmentVariable('ProgramFiles')
    if ($programFiles) { return [System.IO.Path]::Combine($programFiles, 'PTC') }
    return 'C:\Program Files\PTC'
}

function Get-PtcRoot {
    [CmdletBinding()]
    [OutputType([string[]])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][AllowEmptyString()][string[]]$InstallLocation,
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$FallbackRoot
    )
    $roots = [System.Collections.Generic.List[string]]::new()
    $seen = [System.Collections.Generic.HashSet[string]]::new([System.StringComparer]::OrdinalIgnoreCase)
    foreach ($location in $InstallLocation) {
        if (-not $location) { continue }
        $root = Find-InstallationParent -Location $location
        if ($root -and $seen.Add($root)) { $roots.Add($root) }
    }
    if ($roots.Count -eq 0 -and [System.IO.Directory]::Exists($FallbackRoot)) { $roots.Add($FallbackRoot) }
    return , $roots.ToArray()
}

function Get-MajorVersion {
    [CmdletBinding()]
    [OutputType([int])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$FolderName
    )
    # 'Creo 10.0.2.0' gives 10; a name without a leading number gives -1 and is skipped.
    $rest = $FolderName -replace 'Creo ', ''
    $first = $rest.Split('.')[0]
    $major = 0
    $invariant = [System.Globalization.CultureInfo]::InvariantCulture
    $integer = [System.Globalization.NumberStyles]::Integer
    if ([int]::TryParse($first, $integer, $invariant, [ref]$major)) { return $major }
    return -1
}

function Get-CreoInstallation {
    [CmdletBinding()]
    [OutputType([pscustomobject])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Root,
        [Parameter(Mandatory)][int]$DataVersion
    )
    $versions = [System.Collections.Generic.List[int]]::new()
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
            $program = [System.IO.Path]::Combine($folder, 'Parametric', 'bin', 'parametric.exe')
            if (-not [System.IO.File]::Exists($program)) { continue }
            $major = Get-MajorVersion -FolderName $name
            if ($major -lt 0) { continue }
            if ($major -gt $latest) { $latest = $major }
            if ($major -eq $DataVersion) { $dataInstalled = 1 }
            if (-not $versions.Contains($major)) { $versions.Add($major) }
        }
    }
    $others = [System.Collections.Generic.List[int]]::new()
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
        [Parameter(Mandatory)][int]$DataVersion,
        [Parameter(Mandatory)][AllowEmptyCollection()][string[]]$Root,
        [Parameter(Mandatory)][pscustomobject]$Installation
    )
    $rootsText = 'NONE'
    if ($Root.Count -gt 0) { $rootsText = $Root -join '*' }
    $othersText = 'NONE'
    if ($Installation.Others.Count -gt 0) { $othersText = $Installation.Others -join ',' }
    $fields = @('X', [string]$DataVersion, $rootsText, [string]$Installation.Latest,
        [string]$Installation.DataInstalled, $othersText)
    return $fields -join '|'
}

function Invoke-ModelProbe {
    [CmdletBinding()]
    [OutputType([string])]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$TargetDir,
        [AllowEmptyCollection()][string[]]$InstallLocation = (Get-RegistryInstallLocation),
        [ValidateNotNullOrEmpty()][string]$FallbackRoot = (Get-DefaultPtcRoot)
    )
    $dataVersion = Get-ModelDataVersion -Directory $TargetDir
    $roots = Get-PtcRoot -InstallLocation $InstallLocation -FallbackRoot $FallbackRoot
    $installation = Get-CreoInstallation -Root $roots -DataVersion $dataVersion
    return Format-ProbeResult -DataVersion $dataVersion -Root $roots -Installation $installation
}

# Writes the result line to standard output as UTF-8 bytes, so that paths in
# it reach the program intact whatever code page the console has, or none.
function Write-ResultLine {
    param([Parameter(Mandatory)][string]$Line)
    $bytes = [System.Text.UTF8Encoding]::new($false).GetBytes($Line + [System.Environment]::NewLine)
    $out = [System.Console]::OpenStandardOutput()
    $out.Write($bytes, 0, $bytes.Length)
    $out.Flush()
}

# --- entry ------------------------------------------------------------------
# Tests set $VantorNoWindow and dot-source the prelude and this file to get the functions only.
if ($ExecutionContext.SessionState.PSVariable.GetValue('VantorNoWindow')) { return }

$targetDir = ConvertFrom-VantorText '%TARGET_DIR%'
Write-ResultLine -Line (Invoke-ModelProbe -TargetDir $targetDir)
