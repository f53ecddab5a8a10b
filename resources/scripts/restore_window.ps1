# Vantor restore window.
# Shows the swept files the program offers (one row per line of the rows file:
# four tab-separated columns) in a list with a filter box, and writes the
# numbers of the rows the user chose, one per line, into the result file. The
# program reads the log, builds the rows and moves the files; this window only
# picks. OK with rows chosen writes the file; Cancel, closing the window or OK
# with nothing chosen leaves it unwritten.
# The program feeds this script through standard input, which PowerShell reads as
# typed at a prompt: "} else {", "} catch {" and "} finally {" stay on one line,
# and an empty line ends each block at the top level.
# Runs on Windows PowerShell 5.1 and PowerShell 7. The build puts prelude.ps1 in
# front of this file.

Set-StrictMode -Version 3.0
Start-CompileProfile -Name 'RestoreWindow'

$script:PickerColumns = @('Date / Time', 'Type/Size', 'File Name', 'Original Path')
# Characters each column is wide, as the rows are padded.
$script:PickerWidths = @(26, 17, 60, 120)
$script:RowColumn = 'Row'

function Read-RestoreRow {
    # The rows file as objects with the four columns and the row's number.
    [CmdletBinding()]
    param([Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path)
    $number = 0
    $encoding = [System.Text.UTF8Encoding]::new($false)
    foreach ($line in [System.IO.File]::ReadAllLines($Path, $encoding)) {
        $fields = $line.Split([char]"`t")
        if ($fields.Length -eq 4) {
            [pscustomobject]@{ Row = $number; Fields = $fields }
        }
        $number++
    }
}

function ConvertTo-RowFilter {
    # A DataView filter keeping rows where any column holds Text, letter case
    # ignored. In LIKE, * % [ ] are taken literally only inside brackets and a
    # quote is doubled.
    [CmdletBinding()]
    [OutputType([string])]
    param([Parameter(Mandatory)][AllowEmptyString()][string]$Text)
    if ($Text.Trim().Length -eq 0) { return '' }
    $plain = [System.Text.StringBuilder]::new()
    foreach ($c in $Text.ToCharArray()) {
        if ('*%[]'.IndexOf($c) -ge 0) {
            $null = $plain.Append('[').Append($c).Append(']')
        } elseif ($c -eq "'") {
            $null = $plain.Append("''")
        } else {
            $null = $plain.Append($c)
        }
    }
    $terms = foreach ($column in $script:PickerColumns) {
        '[' + $column + "] LIKE '*" + $plain.ToString() + "*'"
    }
    return [string]::Join(' OR ', [string[]]$terms)
}

function Write-ChosenRow {
    # The chosen row numbers, ascending, one per line; replaced whole.
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][ValidateNotNullOrEmpty()][string]$Path,
        [Parameter(Mandatory)][AllowEmptyCollection()][int[]]$Row
    )
    $sorted = [int[]]$Row.Clone()
    [System.Array]::Sort($sorted)
    $text = [string]::Join("`r`n", $sorted) + "`r`n"
    $temp = $Path + '.' + [guid]::NewGuid().ToString('N') + '.tmp'
    [System.IO.File]::WriteAllText($temp, $text, [System.Text.UTF8Encoding]::new($false))
    if ([System.IO.File]::Exists($Path)) { [System.IO.File]::Delete($Path) }
    [System.IO.File]::Move($temp, $Path)
}

# --- window -----------------------------------------------------------------

function New-RowTable {
    [CmdletBinding()]
    [OutputType([System.Data.DataTable])]
    param([Parameter(Mandatory)][AllowEmptyCollection()][object[]]$Row)
    $table = [System.Data.DataTable]::new('Rows')
    foreach ($column in $script:PickerColumns) { $null = $table.Columns.Add($column, [string]) }
    $null = $table.Columns.Add($script:RowColumn, [int])
    foreach ($item in $Row) {
        $values = [object[]]($item.Fields + @($item.Row))
        $null = $table.Rows.Add($values)
    }
    return , $table
}

function New-RowGrid {
    [CmdletBinding()]
    param(
        [Parameter(Mandatory)][System.Data.DataView]$View,
        [Parameter(Mandatory)][ValidateCount(4, 4)][int[]]$Bounds
    )
    $grid = New-WindowControl -Type DataGridView -Text '' -Bounds $Bounds
    $grid.Anchor = [System.Windows.Forms.AnchorStyles]15
    $grid.ReadOnly = $true
    $grid.AllowUserToAddRows = $false
    $grid.AllowUserToDeleteRows = $false
    $grid.AllowUserToResizeRows = $false
    $grid.RowHeadersVisible = $false
    $grid.MultiSelect = $true
    $grid.SelectionMode = [System.Windows.Forms.DataGridViewSelectionMode]::FullRowSelect
    $grid.AutoGenerateColumns = $true
    $grid.BackgroundColor = [System.Drawing.Color]::White
    $grid.DataSource = $View
    return $grid
}

function Set-GridColumnWidth {
    # Each column as wide as its padded text; the number column stays hidden.
    [CmdletBinding()]
    param([Parameter(Mandatory)][System.Windows.Forms.DataGridView]$Grid)
    $em = [System.Windows.Forms.TextRenderer]::MeasureText('0000000000', $Grid.Font).Width / 10.0
    for ($i = 0; $i -lt $script:PickerColumns.Count; $i++) {
        $column = $Grid.Columns[$script:PickerColumns[$i]]
        $column.Width = [int]($script:PickerWidths[$i] * $em) + 8
        $column.SortMode = [System.Windows.Forms.DataGridViewColumnSortMode]::Automatic
    }
    $Grid.Columns[$script:RowColumn].Visible = $false
}

function Get-SelectedRowNumber {
    [CmdletBinding()]
    [OutputType([int[]])]
    param([Parameter(Mandatory)][System.Windows.Forms.DataGridView]$Grid)
    $numbers = [System.Collections.Generic.List[int]]::new()
    foreach ($row in $Grid.SelectedRows) {
        $numbers.Add([int]$row.Cells[$script:RowColumn].Value)
    }
    return , $numbers.ToArray()
}

function Show-RestorePicker {
    # The list window; returns the chosen row numbers (none when cancelled).
    [CmdletBinding()]
    [OutputType([int[]])]
    param(
        [Parameter(Mandatory)][AllowEmptyCollection()][object[]]$Row,
        [Parameter(Mandatory)][string]$Title,
        [Parameter(Mandatory)][string]$Days
    )
    [System.Windows.Forms.Application]::EnableVisualStyles()
    $screen = [System.Windows.Forms.Screen]::PrimaryScreen.WorkingArea
    $width = [System.Math]::Min(1180, $screen.Width - 40)
    $height = [System.Math]::Min(640, $screen.Height - 40)
    $form = [System.Windows.Forms.Form]::new()
    $form.Text = $Title
    $form.ClientSize = [System.Drawing.Size]::new($width, $height)
    $form.MinimumSize = [System.Drawing.Size]::new(520, 320)
    $form.StartPosition = [System.Windows.Forms.FormStartPosition]::CenterScreen
    $form.Font = New-WindowFont -Size 9
    $hint = 'Select items to restore (Ctrl or Shift for several), then click OK. ' +
    'Files cannot be recovered after ' + $Days + ' days.'
    $note = New-WindowLabel -Look Note -Text $hint -Bounds @(12, 12, ($width - 24), 28)
    $note.Anchor = [System.Windows.Forms.AnchorStyles]13
    $filterLabel = New-WindowControl -Type Label -Text 'Filter:' -Bounds @(12, 52, 48, 20)
    $filter = New-WindowControl -Type TextBox -Text '' -Bounds @(62, 49, ($width - 74), 23)
    $filter.Anchor = [System.Windows.Forms.AnchorStyles]13
    $filter.Name = 'Filter'
    $table = New-RowTable -Row $Row
    $view = [System.Data.DataView]::new($table)
    $grid = New-RowGrid -View $view -Bounds @(12, 82, ($width - 24), ($height - 132))
    $grid.Name = 'Rows'
    $ok = New-WindowControl -Type Button -Text 'OK' -Bounds @(($width - 192), ($height - 38), 86, 28)
    $cancel = New-WindowControl -Type Button -Text 'Cancel' -Bounds @(($width - 98), ($height - 38), 86, 28)
    foreach ($button in @($ok, $cancel)) { $button.Anchor = [System.Windows.Forms.AnchorStyles]10 }
    $ok.DialogResult = [System.Windows.Forms.DialogResult]::OK
    $cancel.DialogResult = [System.Windows.Forms.DialogResult]::Cancel
    $form.AcceptButton = $ok
    $form.CancelButton = $cancel
    $form.Controls.AddRange([System.Windows.Forms.Control[]]@($note, $filterLabel, $filter, $grid, $ok, $cancel))
    # The handlers run while ShowDialog waits below, so they see this
    # function's variables.
    $filter.Add_TextChanged({ $view.RowFilter = ConvertTo-RowFilter -Text $filter.Text })
    $form.Add_Shown({ Set-GridColumnWidth -Grid $grid; $grid.ClearSelection(); $null = $filter.Focus() })
    $chosen = [int[]]@()
    try {
        if ($form.ShowDialog() -eq [System.Windows.Forms.DialogResult]::OK) {
            $chosen = Get-SelectedRowNumber -Grid $grid
        }
    } finally {
        $form.Dispose()
    }
    # One number after the other, as the stand-in of the tests gives them.
    return $chosen
}

function Test-WindowsForm {
    [CmdletBinding()]
    [OutputType([bool])]
    param()
    Add-Type -AssemblyName System.Windows.Forms -ErrorAction SilentlyContinue
    Add-Type -AssemblyName System.Data -ErrorAction SilentlyContinue
    return $null -ne ('System.Windows.Forms.Form' -as [type])
}

# --- entry ------------------------------------------------------------------
# Tests set $VantorNoWindow and dot-source this file to get the functions only;
# an end-to-end test without a desktop sets $VantorPickerStandIn to a script
# block that plays the user (it gets the rows and returns row numbers).
if (Get-Variable -Name VantorNoWindow -ValueOnly -ErrorAction SilentlyContinue) { return }

$vantorPick = Get-Variable -Name VantorPickerStandIn -ValueOnly -ErrorAction SilentlyContinue
if ($null -eq $vantorPick) {
    if (-not (Test-WindowsForm)) {
        [Console]::Error.WriteLine('The restore list needs Windows Forms, which this PowerShell does not have.')
        exit 1
    }
    $vantorPick = ${function:Show-RestorePicker}
}

try {
    $vantorRows = @(Read-RestoreRow -Path (ConvertFrom-VantorText '%ROWS_FILE%'))
    $vantorTitle = ConvertFrom-VantorText '%TITLE%'
    $vantorDays = ConvertFrom-VantorText '%DAYS%'
    $vantorChosen = @(& $vantorPick $vantorRows $vantorTitle $vantorDays)
    if ($vantorChosen.Count -gt 0) {
        Write-ChosenRow -Path (ConvertFrom-VantorText '%RESULT_FILE%') -Row $vantorChosen
    }
} catch {
    [Console]::Error.WriteLine('The restore list failed: ' + (Get-ReasonText -ErrorRecord $_))
    exit 1
}

exit 0
