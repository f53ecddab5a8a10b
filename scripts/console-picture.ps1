# Draws a console screen captured with its colours (`tmux capture-pane -e`)
# as a PNG in the colours of the Windows console, through ImageMagick.
param(
    [Parameter(Mandatory)][string]$Screen,
    [Parameter(Mandatory)][string]$Png,
    [int]$Columns = 100,
    # Wine's terminal shows the console's code page 437 bytes as the Windows
    # characters of those bytes (a box corner as "É"): read them back as 437.
    [switch]$CodePage437
)
Set-StrictMode -Version 3.0
$ErrorActionPreference = 'Stop'

# The Windows console's sixteen colours, in ANSI order (black, red, green,
# yellow, blue, magenta, cyan, white), then their bright forms.
$palette = @('#0C0C0C', '#C50F1F', '#13A10E', '#C19C00', '#0037DA', '#881798', '#3A96DD', '#CCCCCC',
    '#767676', '#E74856', '#16C60C', '#F9F1A5', '#3B78FF', '#B4009E', '#61D6D6', '#F2F2F2')
$font = '/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf'
if (-not (Test-Path -LiteralPath $font)) { throw "missing $font (fonts-dejavu-core)" }
$cellWidth = 9
$cellHeight = 18
$fontSize = 14.9

function Set-Colour([hashtable]$Pen, [string]$Codes) {
    $list = @($Codes.Split(';') | ForEach-Object { if ($_ -eq '') { 0 } else { [int]$_ } })
    for ($i = 0; $i -lt $list.Count; $i++) {
        $code = $list[$i]
        if ($code -eq 0) { $Pen.Fg = 7; $Pen.Bg = 0; $Pen.Bold = $false }
        elseif ($code -eq 1) { $Pen.Bold = $true }
        elseif ($code -eq 22) { $Pen.Bold = $false }
        elseif ($code -ge 30 -and $code -le 37) { $Pen.Fg = $code - 30 }
        elseif ($code -eq 39) { $Pen.Fg = 7 }
        elseif ($code -ge 40 -and $code -le 47) { $Pen.Bg = $code - 40 }
        elseif ($code -eq 49) { $Pen.Bg = 0 }
        elseif ($code -ge 90 -and $code -le 97) { $Pen.Fg = $code - 82 }
        elseif ($code -ge 100 -and $code -le 107) { $Pen.Bg = $code - 92 }
        elseif (($code -eq 38 -or $code -eq 48) -and $list[$i + 1] -eq 5) {
            $index = $list[$i + 2] % 16
            if ($code -eq 38) { $Pen.Fg = $index } else { $Pen.Bg = $index }
            $i += 2
        }
    }
}

# One line of the capture as runs of text of one colour: @{ Column; Text; Fg; Bg }.
function Split-Line([string]$Line, [hashtable]$Pen) {
    $runs = [System.Collections.Generic.List[hashtable]]::new()
    $column = 0
    foreach ($piece in [regex]::Split($Line, '(\x1b\[[0-9;]*m)')) {
        if ($piece -match '^\x1b\[([0-9;]*)m$') { Set-Colour $Pen $Matches[1]; continue }
        if ($piece -eq '') { continue }
        $fg = $Pen.Fg
        if ($Pen.Bold -and $fg -lt 8) { $fg += 8 }
        $runs.Add(@{ Column = $column; Text = $piece; Fg = $fg; Bg = $Pen.Bg })
        $column += $piece.Length
    }
    return $runs
}

function ConvertFrom-WineText([string]$Text) {
    [System.Text.Encoding]::RegisterProvider([System.Text.CodePagesEncodingProvider]::Instance)
    $windows = [System.Text.Encoding]::GetEncoding(1252)
    $box = [System.Text.Encoding]::GetEncoding(437)
    $out = [System.Text.StringBuilder]::new()
    foreach ($c in $Text.ToCharArray()) {
        if ([int]$c -lt 0x80) { $null = $out.Append($c); continue }
        # Latin-1 for the bytes Windows-1252 leaves undefined.
        $byte = [int]$c
        if ($byte -gt 0xFF) { $byte = $windows.GetBytes([string]$c)[0] }
        $null = $out.Append($box.GetString([byte[]]@($byte)))
    }
    return $out.ToString()
}

$text = [System.IO.File]::ReadAllText($Screen)
if ($CodePage437) { $text = ConvertFrom-WineText $text }
$lines = @($text.Replace("`r", '').TrimEnd("`n").Split("`n"))
$width = $Columns * $cellWidth + 16
$height = $lines.Count * $cellHeight + 16
$mvg = [System.Text.StringBuilder]::new()
$null = $mvg.AppendLine("viewbox 0 0 $width $height").AppendLine("fill '$($palette[0])' rectangle 0,0 $width,$height")
$null = $mvg.AppendLine("font '$font' font-size $fontSize text-antialias 1")
$pen = @{ Fg = 7; Bg = 0; Bold = $false }
for ($row = 0; $row -lt $lines.Count; $row++) {
    foreach ($run in (Split-Line $lines[$row] $pen)) {
        $x = 8 + $run.Column * $cellWidth
        $y = 8 + $row * $cellHeight
        if ($run.Bg -ne 0) {
            $right = $x + $run.Text.Length * $cellWidth
            $null = $mvg.AppendLine("fill '$($palette[$run.Bg])' rectangle $x,$y $right,$($y + $cellHeight)")
        }
        if ($run.Text.Trim() -eq '') { continue }
        $text = $run.Text.Replace('\', '\\').Replace("'", "\'").Replace('%', '%%')
        $null = $mvg.AppendLine("fill '$($palette[$run.Fg])' text $x,$($y + 14) '$text'")
    }
}
$mvgPath = $Png + '.mvg'
[System.IO.File]::WriteAllText($mvgPath, $mvg.ToString(), [System.Text.UTF8Encoding]::new($false))
& convert -size "${width}x$height" "mvg:$mvgPath" -colors 16 "png8:$Png"
$code = $LASTEXITCODE
Remove-Item -LiteralPath $mvgPath
if ($code -ne 0) { throw "convert failed for $Png" }
