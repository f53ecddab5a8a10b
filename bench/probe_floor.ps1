# The least a model probe can do, for scale: decode the folder, list it, pick
# the models, read the head of five of them, search each for a version mark and
# print a result line. No ranking, no installations, no error handling.
# bench/probe_bench.sh runs it like the probe, with the prelude in front.
Start-CompileProfile -Name 'ProbeFloor'
$dir = [System.Text.Encoding]::UTF8.GetString([System.Convert]::FromBase64String('%TARGET_DIR%'))
$pattern = [regex]::new('\.(prt|asm|drw)(\.\d+)?$', 'IgnoreCase')
$models = [System.Collections.Generic.List[System.IO.FileInfo]]::new()
foreach ($file in [System.IO.DirectoryInfo]::new($dir).GetFiles()) {
    if ($pattern.IsMatch($file.Name)) { $models.Add($file) }
}
$buffer = [byte[]]::new(4096)
$mark = [regex]::new('(?<![^\r\n])#Creo[ \t]+TM[ \t]+(?<number>\d+)', 'IgnoreCase')
$best = 0
for ($i = 0; $i -lt 5 -and $i -lt $models.Count; $i++) {
    $stream = [System.IO.File]::OpenRead($models[$i].FullName)
    try { $read = $stream.Read($buffer, 0, $buffer.Length) } finally { $stream.Dispose() }
    $hit = $mark.Match([System.Text.Encoding]::Latin1.GetString($buffer, 0, $read))
    if ($hit.Success -and [int]$hit.Groups['number'].Value -gt $best) { $best = [int]$hit.Groups['number'].Value }
}
[System.Console]::Out.WriteLine('X|' + $best + '|NONE|0|0|NONE')
