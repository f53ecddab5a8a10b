#!/usr/bin/env bash
# Builds a precompiled (ReadyToRun) copy of the installed PowerShell and prints
# the command that starts it, for the benchmarks:
#
#   PWSH="$(bench/precompiled_pwsh.sh)" bench/launch_bench.sh
#
# The PowerShell that the dotnet tool installs carries its own code as IL
# only, so each run compiles what it uses as it goes. The Windows installers
# ship it (and Windows PowerShell) precompiled. This copy shows the figures
# users' machines would give; the installed PowerShell is left as it is.
# The copy is kept in the user's cache folder and made once per version.
set -euo pipefail
export PATH="$PATH:$HOME/.dotnet/tools"
command -v pwsh >/dev/null || { echo "pwsh is missing" >&2; exit 1; }
command -v dotnet >/dev/null || { echo "dotnet is missing" >&2; exit 1; }

# Where the tool keeps its assemblies, and which runtime runs them.
# One line each, so that folders with spaces in their names come through whole.
mapfile -t found < <(pwsh -NoProfile -NonInteractive -Command \
  '[System.IO.Path]::GetDirectoryName([System.Management.Automation.PSObject].Assembly.Location)
   [System.IO.Path]::GetDirectoryName([object].Assembly.Location)
   [string]$PSVersionTable.PSVersion')
[ "${#found[@]}" -eq 3 ] || { echo "PowerShell did not say where it lives" >&2; exit 1; }
tool=${found[0]} runtime=${found[1]} version=${found[2]}
dotnet_version=$(basename "$runtime")
out="${XDG_CACHE_HOME:-$HOME/.cache}/vantor-bench/pwsh-$version-r2r"
if [ -f "$out/.done" ]; then echo "dotnet $out/pwsh.dll"; exit 0; fi

# The compiler comes as a NuGet package matching the runtime; a throw-away
# project fetches it from the configured source.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/fetch.csproj" <<EOF
<Project Sdk="Microsoft.NET.Sdk">
  <PropertyGroup><TargetFramework>net${dotnet_version%.*}</TargetFramework></PropertyGroup>
  <ItemGroup>
    <PackageDownload Include="Microsoft.NETCore.App.Crossgen2.linux-x64" Version="[$dotnet_version]" />
  </ItemGroup>
</Project>
EOF
dotnet restore "$work/fetch.csproj" >"$work/restore.log" 2>&1 ||
  { cat "$work/restore.log" >&2; echo "the compiler package could not be fetched" >&2; exit 1; }
packages=$(dotnet nuget locals global-packages --list | sed 's/^[^:]*: *//')
crossgen="$packages/microsoft.netcore.app.crossgen2.linux-x64/$dotnet_version/tools/crossgen2"
[ -x "$crossgen" ] || { echo "no compiler at $crossgen" >&2; exit 1; }

rm -rf "$out.tmp"
mkdir -p "$(dirname "$out")"
cp -r "$tool" "$out.tmp"
# PowerShell's own assemblies: the engine, the host and the built-in commands.
for name in System.Management.Automation Microsoft.PowerShell.ConsoleHost \
  Microsoft.PowerShell.Commands.Utility Microsoft.PowerShell.Commands.Management \
  Microsoft.PowerShell.Security pwsh; do
  [ -f "$tool/$name.dll" ] || continue
  echo "compiling $name" >&2
  "$crossgen" "$tool/$name.dll" -o "$out.tmp/$name.dll" -r "$tool/*.dll" -r "$runtime/*.dll" \
    --targetos linux --targetarch x64 -O >"$work/$name.log" 2>&1 ||
    { cat "$work/$name.log" >&2; echo "$name did not compile" >&2; exit 1; }
done
touch "$out.tmp/.done"
rm -rf "$out"
mv "$out.tmp" "$out"
echo "dotnet $out/pwsh.dll"
