# Every script template runs under Windows PowerShell 5.1 (powershell.exe) in the
# product, but our Pester runs use PowerShell 7, which happily parses and runs
# syntax 5.1 rejects or reads differently. This file parses each template with
# the PowerShell 7 parser and walks its syntax tree for those constructs, so a
# 7-only line fails here instead of on a user's desktop.

BeforeDiscovery {
    # Functions still being reworked, by file, that may break the house style;
    # each must still break it, so the list only ever shrinks.
    $styleExceptions = @{}
    $templates = @(Get-ChildItem -LiteralPath $PSScriptRoot -Filter '*.ps1' -File |
        Where-Object { $_.Name -notlike '*.Tests.ps1' } |
        Sort-Object Name |
        ForEach-Object { @{ Name = $_.Name; Path = $_.FullName; Allowed = @($styleExceptions[$_.Name]) } })
}

BeforeAll {
    Set-StrictMode -Version 3.0

    $script:ForEachObjectNames = @('foreach-object', 'microsoft.powershell.core\foreach-object', 'foreach', '%')
    # Commands that Windows PowerShell 5.1 does not have.
    $script:NewCommands = @('join-string', 'test-json', 'get-error')
    # -Encoding names that only PowerShell 6 and later accept.
    $script:NewEncodings = @('utf8nobom', 'utf8bom')

    function Get-AstProperty {
        # Properties such as NullConditional or CleanBlock do not exist on the 5.1
        # syntax tree, so read them without tripping strict mode.
        param([Parameter(Mandatory)] $Ast, [Parameter(Mandatory)] [string] $Name)
        $property = $Ast.PSObject.Properties[$Name]
        if ($null -eq $property) { return $null }
        return $property.Value
    }

    function Test-ParameterName {
        # True when the parameter as typed (-Pa, -Par, -Parallel) can only mean $Full.
        param([string] $Typed, [string] $Full, [int] $MinimumLength)
        return $Typed.Length -ge $MinimumLength -and $Full.StartsWith($Typed, [System.StringComparison]::OrdinalIgnoreCase)
    }

    function Get-CommandFinding {
        param([Parameter(Mandatory)] [System.Management.Automation.Language.CommandAst] $Command)
        $found = New-Object 'System.Collections.Generic.List[string]'
        $name = $Command.GetCommandName()
        if ($null -eq $name) { return $found }
        $name = $name.ToLowerInvariant()
        if ($script:NewCommands -contains $name) {
            $found.Add("the command $($Command.GetCommandName()) (PowerShell 7 only)")
        }
        $elements = $Command.CommandElements
        for ($i = 1; $i -lt $elements.Count; $i++) {
            $parameter = $elements[$i]
            if ($parameter -isnot [System.Management.Automation.Language.CommandParameterAst]) { continue }
            $typed = $parameter.ParameterName
            if ($script:ForEachObjectNames -contains $name -and (Test-ParameterName $typed 'Parallel' 2)) {
                $found.Add('ForEach-Object -Parallel')
            }
            if (@('get-content', 'set-content', 'add-content') -contains $name -and (Test-ParameterName $typed 'AsByteStream' 3)) {
                $found.Add("$($Command.GetCommandName()) -AsByteStream (use -Encoding Byte on 5.1)")
            }
            if ($name -eq 'convertfrom-json' -and (Test-ParameterName $typed 'AsHashtable' 3)) {
                $found.Add('ConvertFrom-Json -AsHashtable')
            }
            if (Test-ParameterName $typed 'Encoding' 3) {
                $value = $parameter.Argument
                if ($null -eq $value -and $i + 1 -lt $elements.Count) { $value = $elements[$i + 1] }
                if ($value -is [System.Management.Automation.Language.StringConstantExpressionAst] -and
                    $script:NewEncodings -contains $value.Value.ToLowerInvariant()) {
                    $found.Add("-Encoding $($value.Value) (PowerShell 6 and later)")
                }
            }
        }
        return $found
    }

    function Get-StringEscapeFinding {
        # "`e" and "`u{...}" are escapes only from PowerShell 6 on; 5.1 prints
        # the letters instead. An even run of backticks is literal backticks.
        param([Parameter(Mandatory)] $Token)
        $kinds = @('StringExpandable', 'HereStringExpandable')
        if ($kinds -notcontains $Token.Kind.ToString()) { return $null }
        if ($Token.Text -cmatch '(?<!`)(``)*`(e|u\{)') { return 'the escape `' + $Matches[2] + ' in a double-quoted string' }
        return $null
    }

    function Get-LegacySyntaxFinding {
        # Returns one "line N: what" text per construct Windows PowerShell 5.1 lacks.
        param(
            [Parameter(Mandatory)] [System.Management.Automation.Language.Ast] $Ast,
            [System.Management.Automation.Language.Token[]] $Tokens = @()
        )
        $findings = New-Object 'System.Collections.Generic.List[string]'
        $nodes = $Ast.FindAll({ $true }, $true)
        foreach ($node in $nodes) {
            $what = New-Object 'System.Collections.Generic.List[string]'
            switch ($node.GetType().Name) {
                'TernaryExpressionAst' { $what.Add('the ternary operator ?:') }
                'PipelineChainAst' { $what.Add('a pipeline chain (&& or ||)') }
                'BinaryExpressionAst' {
                    if ($node.Operator.ToString() -eq 'QuestionQuestion') { $what.Add('the null-coalescing operator ??') }
                    $replace = @('Ireplace', 'Creplace', 'Replace') -contains $node.Operator.ToString()
                    if ($replace -and $node.Right -is [System.Management.Automation.Language.ArrayLiteralAst] -and
                        $node.Right.Elements.Count -ge 2 -and
                        $node.Right.Elements[1] -is [System.Management.Automation.Language.ScriptBlockExpressionAst]) {
                        $what.Add('-replace with a script block substitution')
                    }
                }
                'AssignmentStatementAst' {
                    if ($node.Operator.ToString() -eq 'QuestionQuestionEquals') { $what.Add('the null-coalescing assignment ??=') }
                }
                { $_ -in 'MemberExpressionAst', 'InvokeMemberExpressionAst' } {
                    if (Get-AstProperty $node 'NullConditional') { $what.Add('null-conditional member access ?.') }
                }
                'IndexExpressionAst' {
                    if (Get-AstProperty $node 'NullConditional') { $what.Add('null-conditional indexing ?[]') }
                }
                'ScriptBlockAst' {
                    if ($null -ne (Get-AstProperty $node 'CleanBlock')) { $what.Add('a clean block') }
                }
                'PipelineAst' {
                    if (Get-AstProperty $node 'Background') { $what.Add('the background operator & at the end of a pipeline') }
                }
                'CommandAst' {
                    foreach ($item in (Get-CommandFinding $node)) { $what.Add($item) }
                }
            }
            foreach ($item in $what) { $findings.Add("line $($node.Extent.StartLineNumber): $item") }
        }
        foreach ($token in $Tokens) {
            $item = Get-StringEscapeFinding $token
            if ($null -ne $item) { $findings.Add("line $($token.Extent.StartLineNumber): $item") }
        }
        return , $findings
    }

    function Test-TemplateSyntax {
        # Parses one file; returns its parse errors and its 5.1 findings.
        param([Parameter(Mandatory)] [string] $Path)
        $tokens = $null
        $errors = $null
        $ast = [System.Management.Automation.Language.Parser]::ParseFile($Path, [ref] $tokens, [ref] $errors)
        [string[]] $parseErrors = @($errors | ForEach-Object { "line $($_.Extent.StartLineNumber): $($_.Message)" })
        $legacy = Get-LegacySyntaxFinding -Ast $ast -Tokens $tokens
        return [pscustomobject]@{ ParseErrors = $parseErrors; Findings = [string[]] $legacy.ToArray() }
    }

    # The house style, checked on every template: no catch that swallows a
    # failure, [Type]::new() instead of New-Object, [Parameter(Mandatory)], and
    # lines under 120 characters.
    $script:LineLimit = 120

    function Get-FunctionName {
        # The function a node sits in, or '(top level)'.
        param([Parameter(Mandatory)] $Ast)
        for ($node = $Ast; $null -ne $node; $node = $node.Parent) {
            if ($node -is [System.Management.Automation.Language.FunctionDefinitionAst]) { return $node.Name }
        }
        return '(top level)'
    }

    function Test-DiscardingCatch {
        # True for a catch that handles nothing: no statement, or one that only
        # throws $_ away. A catch naming its exception types may stay empty when
        # a comment in it says why.
        param(
            [Parameter(Mandatory)] [System.Management.Automation.Language.CatchClauseAst] $Catch,
            [System.Management.Automation.Language.Token[]] $Tokens = @()
        )
        $statements = @($Catch.Body.Statements)
        $discard = '^(\$null\s*=\s*\$_|\[void\]\s*\$_|\$_\s*\|\s*Out-Null)$'
        $empty = $statements.Count -eq 0 -or ($statements.Count -eq 1 -and $statements[0].Extent.Text.Trim() -match $discard)
        if (-not $empty) { return $false }
        if ($Catch.IsCatchAll) { return $true }
        $body = $Catch.Body.Extent
        $comments = @($Tokens | Where-Object {
                $_.Kind -eq 'Comment' -and $_.Extent.StartOffset -gt $body.StartOffset -and $_.Extent.EndOffset -lt $body.EndOffset
            })
        return $comments.Count -eq 0
    }

    function Get-StyleFinding {
        # One object per place that breaks the house style: Rule, Function, Line.
        param([Parameter(Mandatory)] [string] $Path)
        $tokens = $null
        $errors = $null
        $ast = [System.Management.Automation.Language.Parser]::ParseFile($Path, [ref] $tokens, [ref] $errors)
        $found = [System.Collections.Generic.List[object]]::new()
        $add = { param($Rule, $Node) $found.Add([pscustomobject]@{
                    Rule = $Rule; Function = (Get-FunctionName $Node); Line = $Node.Extent.StartLineNumber }) }
        foreach ($node in $ast.FindAll({ $true }, $true)) {
            if ($node -is [System.Management.Automation.Language.CatchClauseAst] -and (Test-DiscardingCatch $node $tokens)) {
                & $add 'catch that swallows the failure' $node
            }
            if ($node -is [System.Management.Automation.Language.CommandAst] -and $node.GetCommandName() -eq 'New-Object') {
                & $add 'New-Object' $node
            }
            if ($node -is [System.Management.Automation.Language.NamedAttributeArgumentAst] -and
                $node.ArgumentName -eq 'Mandatory' -and -not $node.ExpressionOmitted) {
                & $add 'Mandatory = $true' $node
            }
        }
        $lines = [System.IO.File]::ReadAllLines($Path)
        $functions = @($ast.FindAll({ param($n) $n -is [System.Management.Automation.Language.FunctionDefinitionAst] }, $true))
        for ($i = 0; $i -lt $lines.Length; $i++) {
            if ($lines[$i].Length -lt $script:LineLimit) { continue }
            $owner = '(top level)'
            foreach ($function in $functions) {
                if ($function.Extent.StartLineNumber -le $i + 1 -and $function.Extent.EndLineNumber -ge $i + 1) { $owner = $function.Name }
            }
            $found.Add([pscustomobject]@{ Rule = "line of $($lines[$i].Length) characters"; Function = $owner; Line = $i + 1 })
        }
        return , $found
    }

    function Test-Sample {
        param([Parameter(Mandatory)] [string] $Code)
        $path = Join-Path $TestDrive ('sample_' + [guid]::NewGuid().ToString('N') + '.ps1')
        [System.IO.File]::WriteAllText($path, $Code, (New-Object System.Text.UTF8Encoding $true))
        return Test-TemplateSyntax -Path $path
    }
}

Describe 'Script template <Name>' -ForEach $templates {
    It 'parses without errors' {
        (Test-TemplateSyntax -Path $Path).ParseErrors | Should -BeNullOrEmpty
    }

    It 'uses only syntax Windows PowerShell 5.1 understands' {
        (Test-TemplateSyntax -Path $Path).Findings | Should -BeNullOrEmpty
    }

    It 'keeps the house style' {
        $allowed = @($Allowed | Where-Object { $_ })
        $findings = Get-StyleFinding -Path $Path
        $broken = @($findings | Where-Object { $allowed -notcontains $_.Function } | ForEach-Object {
                "line $($_.Line) in $($_.Function): $($_.Rule)" })
        $broken | Should -BeNullOrEmpty
        $owners = @($findings | ForEach-Object { $_.Function })
        $stale = @($allowed | Where-Object { $owners -notcontains $_ })
        $stale | Should -BeNullOrEmpty -Because 'a function that keeps the style now leaves the list of exceptions'
    }
}

Describe 'The 5.1 syntax check' {
    It 'reports <Construct>' -ForEach @(
        @{ Construct = 'a ternary'; Code = '$a = $true ? 1 : 2'; Expect = 'ternary' }
        @{ Construct = 'null-coalescing'; Code = '$b = $null ?? 3'; Expect = '??' }
        @{ Construct = 'null-coalescing assignment'; Code = '$c = $null; $c ??= 4'; Expect = '??=' }
        @{ Construct = 'null-conditional member access'; Code = '$d = $null; ${d}?.Length'; Expect = 'member access ?.' }
        @{ Construct = 'null-conditional method call'; Code = '$d = $null; ${d}?.ToString()'; Expect = 'member access ?.' }
        @{ Construct = 'null-conditional indexing'; Code = '$e = @(1); ${e}?[0]'; Expect = 'indexing ?[]' }
        @{ Construct = 'an && chain'; Code = 'Get-Date && Get-Date'; Expect = 'pipeline chain' }
        @{ Construct = 'an || chain'; Code = 'Get-Date || Get-Date'; Expect = 'pipeline chain' }
        @{ Construct = 'ForEach-Object -Parallel'; Code = '1..2 | ForEach-Object -Parallel { $_ }'; Expect = '-Parallel' }
        @{ Construct = 'an abbreviated -Parallel on the % alias'; Code = '1..2 | % -Par { $_ }'; Expect = '-Parallel' }
        @{ Construct = 'a clean block'; Code = "function f {`n  process { 1 }`n  clean { 2 }`n}"; Expect = 'clean block' }
        @{ Construct = 'a background job operator'; Code = 'Get-Date &'; Expect = 'background' }
        @{ Construct = 'the `e escape'; Code = '$f = "`e[0m"'; Expect = 'escape `e' }
        @{ Construct = 'the `u{} escape'; Code = '$g = "`u{2713}"'; Expect = 'escape `u' }
        @{ Construct = '-replace with a script block'; Code = '''ab'' -replace ''a'', { ''x'' }'; Expect = 'script block substitution' }
        @{ Construct = 'Join-String'; Code = '1, 2 | Join-String -Separator ","'; Expect = 'Join-String' }
        @{ Construct = '-Encoding utf8NoBOM'; Code = 'Set-Content -Path x -Value 1 -Encoding utf8NoBOM'; Expect = 'utf8NoBOM' }
        @{ Construct = '-Encoding:utf8BOM'; Code = 'Set-Content -Path x -Value 1 -Encoding:utf8BOM'; Expect = 'utf8BOM' }
        @{ Construct = 'Get-Content -AsByteStream'; Code = 'Get-Content -Path x -AsByteStream'; Expect = 'AsByteStream' }
        @{ Construct = 'ConvertFrom-Json -AsHashtable'; Code = ''' {} '' | ConvertFrom-Json -AsHashtable'; Expect = 'AsHashtable' }
    ) {
        $result = Test-Sample -Code $Code
        $result.ParseErrors | Should -BeNullOrEmpty
        $result.Findings.Count | Should -Be 1
        $result.Findings[0] | Should -Match ('^line 1: .*' + [regex]::Escape($Expect))
    }

    It 'gives the line of each finding' {
        $result = Test-Sample -Code "`$a = 1`n`n`$b = `$a ? 2 : 3`n1..2 | ForEach-Object -Parallel { `$_ }"
        $result.Findings | Should -Be @('line 3: the ternary operator ?:', 'line 4: ForEach-Object -Parallel')
    }

    It 'reports a file that does not parse' {
        $result = Test-Sample -Code "function Broken {`n  if (`$true) {`n"
        $result.ParseErrors.Count | Should -BeGreaterThan 0
        $result.ParseErrors[0] | Should -BeLike 'line *'
    }

    It 'passes 5.1 code that looks like the forbidden constructs' {
        $code = @'
Set-StrictMode -Version 3.0
function Get-Sample {
    [CmdletBinding()]
    param([string] $Text = 'a ? b : c ?? d && e || f')
    begin { $list = New-Object 'System.Collections.Generic.List[string]' }
    process {
        $value = if ($Text) { $Text.Length } else { 0 }
        $first = @($Text)[0]
        $null = $list.Add("$first ``e ``u{1} $($value)")
        $clean = $Text -replace 'a', 'b'
        1..2 | ForEach-Object -Process { $_ } -Begin { } -End { }
        1..2 | % { $_ }
        $groups = @(1, 2) | Group-Object -AsHashtable
        Set-Content -LiteralPath (Join-Path $env:TEMP 'x.txt') -Value $clean -Encoding UTF8
        Get-Content -LiteralPath (Join-Path $env:TEMP 'x.txt') -Encoding Byte -TotalCount 1
        Get-Date; if ($?) { Get-Date }
        $h = @{ 'parallel' = 1 }
        $h['parallel']
        $h.parallel
        $esc = [char]27
    }
    end { $list }
}
'@
        $result = Test-Sample -Code $code
        $result.ParseErrors | Should -BeNullOrEmpty
        $result.Findings | Should -BeNullOrEmpty
    }
}

Describe 'The style check' {
    BeforeAll {
        function Get-SampleFinding([string]$Code) {
            $path = Join-Path $TestDrive ('style_' + [guid]::NewGuid().ToString('N') + '.ps1')
            [System.IO.File]::WriteAllText($path, $Code)
            $findings = Get-StyleFinding -Path $path
            return $findings | ForEach-Object { "$($_.Function): $($_.Rule)" }
        }
    }

    It 'reports <Case>' -ForEach @(
        @{ Case = 'a catch-all that discards $_'; Code = 'function F { try { 1 } catch { $null = $_ } }'; Expect = 'F: catch*' }
        @{ Case = 'an empty catch-all'; Code = "try { 1 } catch {`n  # nothing`n}"; Expect = '(top level): catch*' }
        @{ Case = 'a typed catch left empty without a word'; Code = 'try { 1 } catch [System.IO.IOException] { }'
            Expect = '(top level): catch*' }
        @{ Case = 'a catch that pipes $_ away'; Code = 'try { 1 } catch { $_ | Out-Null }'; Expect = '(top level): catch*' }
        @{ Case = 'New-Object'; Code = 'function G { New-Object System.Text.StringBuilder }'; Expect = 'G: New-Object' }
        @{ Case = 'Mandatory = $true'; Code = 'function H { param([Parameter(Mandatory = $true)][string]$A) $A }'
            Expect = 'H: Mandatory = $true' }
        @{ Case = 'a line of 120 characters'; Code = '$a = ''' + ('x' * 113) + ''''; Expect = '(top level): line of 120*' }
    ) {
        $found = @(Get-SampleFinding $Code)
        $found.Count | Should -Be 1 -Because ($found -join '; ')
        $found[0] | Should -BeLike $Expect
    }

    It 'passes catches that handle a named case, ::new() and short lines' {
        $code = @'
function Get-Sample {
    param([Parameter(Mandatory)][string]$Path, [Parameter(ValueFromPipeline = $true)]$Item)
    $list = [System.Collections.Generic.List[string]]::new()
    try { $list.Add([System.IO.File]::ReadAllText($Path)) } catch [System.IO.FileNotFoundException] {
        # A missing file reads as no text.
    }
    try { 1 } catch { throw }
    try { 2 } catch { Write-Warning $_.Exception.Message }
    return $list
}
'@ + "`n" + '$b = ''' + ('y' * 112) + ''''
        Get-SampleFinding $code | Should -BeNullOrEmpty
    }
}
