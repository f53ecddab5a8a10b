# Sweep engine benchmark: builds a project folder, sweeps it with the engine
# template as the program runs it (a fresh PowerShell process on a filled
# payload), and compares the engine's own work (its run time minus bare
# PowerShell start-up, `pwsh -NoProfile -Command exit`, measured in the same
# run) with the same renames made by a loop of os.rename() in one Python
# process. Runs are interleaved (bare, engine, rename loop, ...) so that all
# see the same machine load; every figure is the median of the runs. A
# second Python loop makes, around each rename, the file-system calls the
# engine must make (size, no-overwrite look, stamp): the floor of its work.
# -Compare adds a shell loop of `mv` and the naive cmdlet pipeline
# (Get-ChildItem | Move-Item), for scale.
#
#   pwsh -NoProfile -File bench/sweep_bench.ps1 [-Sizes 10000,20000,40000] [-Runs 5] [-Compare]
#       [-PowerShell "command"]   another PowerShell (bench/precompiled_pwsh.sh)
#
# Prints figures only; it asserts nothing.

[CmdletBinding()]
param(
    # "20000,40000" works both with -File and -Command.
    [string[]]$Sizes = @('10000', '20000', '40000'),
    [ValidateRange(5, 20)][int]$Runs = 5,
    [switch]$Compare,
    [string]$WorkDir = '',
    [string]$PowerShell = ''
)

Set-StrictMode -Version 3.0
$ErrorActionPreference = 'Stop'
$Sizes = [int[]]@($Sizes | ForEach-Object { $_.Split(',') } | Where-Object { $_ -ne '' })

$repo = Split-Path -Parent $PSScriptRoot
$enginePath = [System.IO.Path]::Combine($repo, 'resources', 'scripts', 'sweep_engine.ps1')
# Shared script code that the build puts in front of the engine.
$preludePath = [System.IO.Path]::Combine($repo, 'resources', 'scripts', 'prelude.ps1')
if ($WorkDir -eq '') { $WorkDir = [System.IO.Path]::Combine([System.IO.Path]::GetTempPath(), 'vantor-bench-' + $PID) }
$pwshExe = (Get-Command -Name pwsh, powershell -CommandType Application -ErrorAction SilentlyContinue | Select-Object -First 1).Source
# A command of several words runs as its first word with the rest in front of the arguments.
$pwshArgs = @()
if ($PowerShell -ne '') {
    $words = -split $PowerShell
    $pwshExe = $words[0]
    $pwshArgs = @($words | Select-Object -Skip 1)
}
$pythonExe = (Get-Command -Name python3 -CommandType Application -ErrorAction Stop | Select-Object -First 1).Source
$keepCount = 1
$clutterRules = '*.lst*,*.inf*,*.ger*,*.crc*,*.memb*,*.ers*,iges_stats.dat*,*.bde,*.bdi,*.bdm,*.m_p*,*.ptd,*.als,*.pls,s2d0*.sec*,mechevnt*,mmenglog*,*.log*,*_log.*,std.out,std.err,*.tst,*.xpr,trail.txt.*,*.err.*,mc_err.log,*.xas'

function ConvertTo-VantorText([string]$Value) { [System.Convert]::ToBase64String([System.Text.Encoding]::UTF8.GetBytes($Value)) }

# Project of about $Count files: a quarter clutter, a tenth documents to keep,
# the rest models with 1 to 9 iterations each. Returns the names that a sweep
# with keep count 1 moves.
function New-BenchProject {
    param([string]$Folder, [int]$Count)

    $null = [System.IO.Directory]::CreateDirectory($Folder)
    $bytes = [byte[]]::new(256)
    $moves = [System.Collections.Generic.List[string]]::new()
    $clutterKinds = @('trail.txt.{0}', 'job{0}.log', 'part{0}.bde', 'mesh{0}.inf', 'drw{0}.crc', 'run{0}.m_p', 'out{0}.lst.1')
    $clutter = [int]($Count / 4)
    for ($i = 0; $i -lt $clutter; $i++) {
        $name = $clutterKinds[$i % $clutterKinds.Length] -f $i
        [System.IO.File]::WriteAllBytes([System.IO.Path]::Combine($Folder, $name), $bytes)
        $moves.Add($name)
    }
    $keep = [int]($Count / 10)
    $keepKinds = @('datasheet{0}.pdf', 'notes{0}.txt', 'export{0}.step')
    for ($i = 0; $i -lt $keep; $i++) {
        [System.IO.File]::WriteAllBytes([System.IO.Path]::Combine($Folder, ($keepKinds[$i % 3] -f $i)), $bytes)
    }
    $left = $Count - $clutter - $keep
    $model = 0
    $ext = @('prt', 'asm', 'drw')
    while ($left -gt 0) {
        $iterations = [System.Math]::Min(($model % 9) + 1, $left)
        $base = 'model{0}.{1}' -f $model, $ext[$model % 3]
        for ($n = 1; $n -le $iterations; $n++) {
            $name = $base + '.' + $n
            [System.IO.File]::WriteAllBytes([System.IO.Path]::Combine($Folder, $name), $bytes)
            if ($n -le $iterations - $keepCount) { $moves.Add($name) }
        }
        $left -= $iterations
        $model++
    }
    return , $moves
}

function Invoke-EngineRun {
    param([string]$Project, [string]$Bin)

    $payload = [System.IO.Path]::Combine($WorkDir, 'payload.ps1')
    $text = [System.IO.File]::ReadAllText($preludePath) + [System.IO.File]::ReadAllText($enginePath)
    $text = $text.Replace('%TARGET_DIR%', (ConvertTo-VantorText $Project)).Replace('%RECYCLE_DIR%', (ConvertTo-VantorText $Bin))
    $text = $text.Replace('%LOG_FILE%', (ConvertTo-VantorText ([System.IO.Path]::Combine($Bin, 'Vantor_Sweep.log'))))
    $text = $text.Replace('%CP_CLUTTER%', (ConvertTo-VantorText $clutterRules)).Replace('%CP_KEEP_N%', [string]$keepCount).Replace('%CP_MAX_DAYS%', '21')
    [System.IO.File]::WriteAllText($payload, $text, [System.Text.UTF8Encoding]::new($true))
    $line = & $pwshExe @pwshArgs -NoProfile -NonInteractive -ExecutionPolicy Bypass -File $payload
    return ($line | Where-Object { $_ -like 'X|*' } | Select-Object -First 1)
}

function Invoke-PlainMoveLoop {
    param([string]$Project, [string]$Mirror, [System.Collections.Generic.List[string]]$Moves)

    $list = [System.IO.Path]::Combine($WorkDir, 'moves.txt')
    [System.IO.File]::WriteAllLines($list, $Moves)
    $script = 'mkdir -p "$2" && while IFS= read -r n; do mv -f -- "$1/$n" "$2/$n"; done < "$3"'
    & bash -c $script bench $Project $Mirror $list
}

function Invoke-RenameLoop {
    param([string]$Project, [string]$Mirror, [System.Collections.Generic.List[string]]$Moves)

    $list = [System.IO.Path]::Combine($WorkDir, 'moves.txt')
    [System.IO.File]::WriteAllLines($list, $Moves)
    $script = 'import os, sys
p, m, l = sys.argv[1:4]
os.makedirs(m, exist_ok=True)
for n in open(l, encoding="utf-8").read().splitlines():
    os.rename(os.path.join(p, n), os.path.join(m, n))'
    & $pythonExe -c $script $Project $Mirror $list
    if ($LASTEXITCODE -ne 0) { throw 'the rename loop failed' }
}

# The same renames with the file-system calls the engine must make for each
# file around its rename: the size its log line records, a look at the target
# so that no bin copy is overwritten, and the stamp retention counts from
# (.NET reads the file's times before it sets one). This is the floor of the
# engine's own work in any language.
function Invoke-GuardedLoop {
    param([string]$Project, [string]$Mirror, [System.Collections.Generic.List[string]]$Moves)

    $list = [System.IO.Path]::Combine($WorkDir, 'moves.txt')
    [System.IO.File]::WriteAllLines($list, $Moves)
    $script = 'import os, sys, time
p, m, l = sys.argv[1:4]
os.makedirs(m, exist_ok=True)
now = time.time_ns()
size = 0
for n in open(l, encoding="utf-8").read().splitlines():
    s, t = os.path.join(p, n), os.path.join(m, n)
    size += os.stat(s).st_size
    if os.path.lexists(t):
        raise SystemExit("target exists")
    os.rename(s, t)
    os.utime(t, ns=(os.lstat(t).st_atime_ns, now))'
    & $pythonExe -c $script $Project $Mirror $list
    if ($LASTEXITCODE -ne 0) { throw 'the guarded loop failed' }
}

function Invoke-BareStartup {
    & $pwshExe @pwshArgs -NoProfile -Command exit
}

function Invoke-NaiveMove {
    param([string]$Project, [string]$Mirror, [System.Collections.Generic.List[string]]$Moves)

    $list = [System.IO.Path]::Combine($WorkDir, 'moves.txt')
    [System.IO.File]::WriteAllLines($list, $Moves)
    $script = {
        param($p, $m, $l)
        $names = @{}
        foreach ($n in (Get-Content -LiteralPath $l)) { $names[$n] = $true }
        $null = New-Item -ItemType Directory -Path $m -Force
        Get-ChildItem -LiteralPath $p -File | Where-Object { $names.ContainsKey($_.Name) } | Move-Item -Destination $m -Force
    }
    & $pwshExe @pwshArgs -NoProfile -NonInteractive -Command $script -args $Project, $Mirror, $list
}

function Measure-Seconds([scriptblock]$Block) {
    $watch = [System.Diagnostics.Stopwatch]::StartNew()
    $null = & $Block
    return $watch.Elapsed.TotalSeconds
}

function Get-Median([double[]]$Values) {
    $sorted = [double[]]$Values.Clone()
    [System.Array]::Sort($sorted)
    return $sorted[[int][System.Math]::Floor($sorted.Length / 2)]
}

function Get-Load { ([System.IO.File]::ReadAllText('/proc/loadavg').Split(' ')[0..2]) -join ' ' }

$ownBySize = @{}
"Sweep engine benchmark: median of $Runs interleaved runs each, keep count $keepCount, fresh process per run"
"machine: $([System.Environment]::ProcessorCount) cores, load average $(Get-Load)"
"PowerShell: $pwshExe $pwshArgs"
$kinds = @('bare', 'engine', 'rename', 'guarded')
$header = '{0,8} {1,8} {2,8} {3,9} {4,9} {5,9} {6,10} {7,10} {8,14}' -f 'files', 'moved', 'bare s', 'engine s', 'own s',
    'rename s', 'own/rename', 'guarded s', 'guarded/rename'
if ($Compare) {
    $kinds += @('plain', 'naive')
    $header += ' {0,9} {1,9}' -f 'mv loop s', 'naive s'
}
$header
foreach ($size in $Sizes) {
    $times = @{}
    foreach ($kind in $kinds) { $times[$kind] = [System.Collections.Generic.List[double]]::new() }
    $moved = 0
    for ($run = 0; $run -lt $Runs; $run++) {
        foreach ($kind in $kinds) {
            if ($kind -eq 'bare') {
                $times[$kind].Add((Measure-Seconds { Invoke-BareStartup }))
                continue
            }
            if ([System.IO.Directory]::Exists($WorkDir)) { [System.IO.Directory]::Delete($WorkDir, $true) }
            $project = [System.IO.Path]::Combine($WorkDir, 'Proj')
            $bin = [System.IO.Path]::Combine($WorkDir, 'Vantor_Sweep')
            $moves = New-BenchProject -Folder $project -Count $size
            $mirror = [System.IO.Path]::Combine($bin, $project.TrimStart('/'))
            $null = [System.IO.Directory]::CreateDirectory($bin)
            if ($kind -eq 'engine') {
                $result = $null
                $times[$kind].Add((Measure-Seconds { $script:result = Invoke-EngineRun -Project $project -Bin $bin }))
                $fields = ([string]$result).Split('|')
                $moved = [int]$fields[1] + [int]$fields[3]
                if ($moved -ne $moves.Count) { Write-Warning "engine moved $moved files, expected $($moves.Count)" }
            } elseif ($kind -eq 'rename') {
                $times[$kind].Add((Measure-Seconds { Invoke-RenameLoop -Project $project -Mirror $mirror -Moves $moves }))
            } elseif ($kind -eq 'guarded') {
                $times[$kind].Add((Measure-Seconds { Invoke-GuardedLoop -Project $project -Mirror $mirror -Moves $moves }))
            } elseif ($kind -eq 'plain') {
                $times[$kind].Add((Measure-Seconds { Invoke-PlainMoveLoop -Project $project -Mirror $mirror -Moves $moves }))
            } else {
                $times[$kind].Add((Measure-Seconds { Invoke-NaiveMove -Project $project -Mirror $mirror -Moves $moves }))
            }
            $left = [System.IO.Directory]::GetFiles($project).Length
            if ($left -ne $size - $moves.Count) { Write-Warning "$kind left $left files, expected $($size - $moves.Count)" }
        }
    }
    $median = @{}
    foreach ($kind in $kinds) { $median[$kind] = Get-Median $times[$kind].ToArray() }
    $own = $median['engine'] - $median['bare']
    $ownBySize[$size] = $own
    $line = '{0,8} {1,8} {2,8:F2} {3,9:F2} {4,9:F2} {5,9:F2} {6,9:F2}x {7,10:F2} {8,13:F2}x' -f $size, $moved, $median['bare'],
        $median['engine'], $own, $median['rename'], ($own / $median['rename']), $median['guarded'],
        ($median['guarded'] / $median['rename'])
    if ($Compare) { $line += ' {0,9:F2} {1,9:F2}' -f $median['plain'], $median['naive'] }
    $line
}
"own s: the engine's run time minus the bare start-up (bare s) of the same runs"
"guarded s: the rename loop with the size, no-overwrite look and stamp the engine makes per file"
for ($i = 1; $i -lt $Sizes.Length; $i++) {
    $small = $Sizes[$i - 1]
    $large = $Sizes[$i]
    'Growth: the engine''s own work at {0} files is {1:F2}x that at {2} files ({3:F2}x the files)' -f $large,
        ($ownBySize[$large] / $ownBySize[$small]), $small, ($large / $small)
}
"machine: $([System.Environment]::ProcessorCount) cores, load average $(Get-Load)"
if ([System.IO.Directory]::Exists($WorkDir)) { [System.IO.Directory]::Delete($WorkDir, $true) }
