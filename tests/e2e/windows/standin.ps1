# The stand-in powershell.exe takes the command lines Windows PowerShell
# takes, in any letter case and shortened, and hands back the script's output
# and exit code; a command line it cannot take (an unknown or ambiguous
# switch, no script, a command other than "-") ends with 64.
param([Parameter(Mandatory)][string]$Scratch)
. ([System.IO.Path]::Combine($PSScriptRoot, 'WindowDriver.ps1'))

$script = [System.IO.Path]::Combine($Scratch, 'Vantor_Payload_1.ps1')
[System.IO.File]::WriteAllText($script, "param(`$Word) Write-Output ('X|' + `$Word + '|ö')`r`nexit 7`r`n")
$piped = "Write-Output 'X|piped'`r`nexit 105`r`n"

function Invoke-StandIn([string[]]$Argument, [string]$Text) {
    $info = [System.Diagnostics.ProcessStartInfo]::new($env:VANTOR_STANDIN)
    foreach ($item in $Argument) { $info.ArgumentList.Add($item) }
    $info.UseShellExecute = $false
    $info.RedirectStandardInput = $true
    $info.RedirectStandardOutput = $true
    $info.StandardOutputEncoding = $global:VantorUtf8
    $process = [System.Diagnostics.Process]::Start($info)
    $process.StandardInput.Write($Text)
    $process.StandardInput.Close()
    $output = $process.StandardOutput.ReadToEnd().Trim()
    $process.WaitForExit()
    return '{0} {1}' -f $process.ExitCode, $output
}

$cases = @(
    @{ Argument = @('-NoProfile', '-Sta', '-ExecutionPolicy', 'Bypass', '-File', $script, 'one'); Expected = '7 X|one|ö' }
    @{ Argument = @('-noprofile', '-NONINTERACTIVE', '-executionpolicy', 'bypass', '-FILE', $script); Expected = '7 X||ö' }
    @{ Argument = @('-STA', '-NoProfile', '-ExecutionPolicy', 'Bypass', '-WindowStyle', 'Hidden', '-Command', '-');
        Text = $piped; Expected = '105 X|piped' }
    @{ Argument = @('-nop', '-ex', 'Bypass', '-c', '-'); Text = $piped; Expected = '105 X|piped' }
    @{ Argument = @('-no', '-c', '-'); Text = $piped; Expected = '64 ' }
    @{ Argument = @('-Bogus', '-File', $script); Expected = '64 ' }
    @{ Argument = @('-Command', 'Write-Output 1'); Expected = '64 ' }
    @{ Argument = @('-NoProfile'); Expected = '64 ' }
)
foreach ($case in $cases) {
    $result = Invoke-StandIn -Argument $case.Argument -Text ([string]$case['Text'])
    Assert-Equal $case.Expected $result ('powershell.exe ' + ($case.Argument -join ' '))
}
Complete-Scenario
