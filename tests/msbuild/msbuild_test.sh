#!/bin/bash
# packaging/msbuild/revtick.targets in the real MSBuild engine (dotnet
# msbuild), over cpp.targets, which stands in for Microsoft's C++ targets,
# with the POSIX step behind RevtickStepProgram. One row per way a build
# meets the counter; each row checks the counter's rises, which sources
# compile, the numbers the programs print and the build's errors, then
# prints its line of the table.
#   msbuild_test.sh PROGRAM STEP SOURCE_DIR SCRATCH [NUPKG]
# With NUPKG, the package's layout is that package's, unpacked, with the
# POSIX programs in place of its Windows ones.
# Skipped (exit 77), with the reason, where dotnet is missing;
# REVTICK_REQUIRE_DOTNET=1 (CI) makes that a failure.
set -eu
program=$1 step=$2 source=$3 scratch=$4 nupkg=${5:-}
. "$source/tests/integration/lib.sh"

if ! command -v dotnet >/dev/null || ! dotnet msbuild -version >/dev/null 2>&1; then
  [ "${REVTICK_REQUIRE_DOTNET:-}" != 1 ] ||
    fail "dotnet msbuild required (REVTICK_REQUIRE_DOTNET=1), but not found: install the .NET SDK"
  echo "skipped: dotnet msbuild not found (the .NET SDK)"
  exit 77
fi
command -v flock >/dev/null || fail "flock not found (util-linux)"
# No first-run banner, no telemetry, and no build nodes left running.
export DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_SKIP_FIRST_TIME_EXPERIENCE=1 DOTNET_NOLOGO=1
export MSBUILDDISABLENODEREUSE=1

rm -rf "$scratch" && mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)
targets=$source/packaging/msbuild/revtick.targets
stand_in=$source/tests/msbuild/cpp.targets

# project FILE TYPE PROPERTIES ITEMS [PROPS]: a .vcxproj as Visual Studio
# lays it out, PROPS imported first and revtick.targets after the C++
# targets; main.cpp includes the header, other.cpp does not.
project() {
  local dir props=""
  dir=$(dirname "$1")
  [ -z "${5:-}" ] || props="<Import Project=\"$5\" />"
  mkdir -p "$dir"
  cat >"$1" <<EOF
<Project>
  $props
  <PropertyGroup><ConfigurationType>$2</ConfigurationType>$3</PropertyGroup>
  <ItemGroup>$4</ItemGroup>
  <Import Project="$stand_in" />
  <Import Project="$targets" />
</Project>
EOF
  [ "$2" = Utility ] && return
  printf '#include <cstdio>\n#include "version.h"\nint other();\nint main() { std::printf("%%u\\n", BUILD_NUMBER + other()); }\n' \
    >"$dir/main.cpp"
  printf 'int other() { return 0; }\n' >"$dir/other.cpp"
}
sources='<ClCompile Include="main.cpp" /><ClCompile Include="other.cpp" />'
program_xml="<RevtickStepProgram>$step</RevtickStepProgram>"

# build LOG PROJECT ARGUMENTS...: one dotnet msbuild run; its status.
build() {
  local log=$1
  shift
  dotnet msbuild -nologo -nr:false -v:m "$@" >"$log" 2>&1
}
number() { sed -n 's/^#define [^ ]* \([0-9]*\)\r$/\1/p' "$1" | head -n 1; }
# compiled LOG: the sources compiled since the last call, in one line.
compiled() {
  local seen=${2:-0}
  [ -f "$1" ] || { echo; return; }
  tail -n +$((seen + 1)) "$1" | sort | tr '\n' ' ' | sed 's/ $//'
}
lines() { [ -f "$1" ] && wc -l <"$1" || echo 0; }

# One line per row, with the seconds it took.
printf '%-34s %6s %5s %8s %8s %7s\n' row builds rises compiles failures seconds
row_started=$SECONDS
row() {
  printf '%-34s %6s %5s %8s %8s %7s\n' "$@" $((SECONDS - row_started))
  row_started=$SECONDS
}

# 10 builds of one project that holds the step: the number rises once a
# build, exactly main.cpp compiles again, the program prints the counter's
# number, and with -n the header has the counter's very bytes. With -t the
# counter keeps its first time, so only a header with a time of its own
# gets main.cpp compiled again.
one=$scratch/one/app.vcxproj
project "$one" Application "<RevtickCounter>build_number</RevtickCounter>$program_xml<RevtickOptions>-n -t -v</RevtickOptions>" "$sources"
dir=$(dirname "$one")
printf '#define BUILD_NUMBER 6\r\n' >"$dir/build_number"
compiles=0
for round in 1 2 3 4 5 6 7 8 9 10; do
  seen=$(lines "$dir/compiled.log")
  build "$dir/build.log" "$one" || { cat "$dir/build.log"; fail "one project, build $round failed"; }
  want=$((6 + round))
  [ "$(number "$dir/build_number")" = $want ] || fail "one project, build $round: the counter holds $(number "$dir/build_number"), not $want"
  got=$(compiled "$dir/compiled.log" "$seen")
  expected=main.cpp
  [ $round != 1 ] || expected="main.cpp other.cpp"
  [ "$got" = "$expected" ] || fail "one project, build $round compiled '$got', not '$expected'"
  compiles=$((compiles + $(echo "$got" | wc -w)))
  [ "$("$dir/bin/Debug/app")" = $want ] || fail "one project, build $round: the program prints $("$dir/bin/Debug/app"), not $want"
  cmp -s "$dir/obj/Debug/generated/version.h" "$dir/build_number" || fail "one project, build $round: the header is not the counter's text"
  grep -q "Macro \"BUILD_NUMBER\" set to $want in" "$dir/build.log" || fail "one project: -v's report is not in the build's output"
done
row "one project" 10 $(($(number "$dir/build_number") - 6)) $compiles 0

# A solution as docs/integration.md lays it out: a Utility project holds
# the step, two programs reference it and take the header from the folder
# that the solution's Directory.Build.props names (solution.props here, which
# each project imports first, as Microsoft.Cpp.Default.props does), all
# built at once (-m). Each build raises the number once; both programs print it.
readme_block "$source/docs/integration.md" "MSBuild Directory.Build.props" xml >"$scratch/solution.props"
reference=$(readme_block "$source/docs/integration.md" "MSBuild ProjectReference" xml | grep -v ItemGroup)
[ -n "$reference" ] || fail "docs/integration.md shows no ProjectReference"
project "$scratch/version/version.vcxproj" Utility "<RevtickCounter>../build_number</RevtickCounter>$program_xml" "" \
  "$scratch/solution.props"
for name in app tool; do
  project "$scratch/$name/$name.vcxproj" Application "" "$sources$reference" "$scratch/solution.props"
done
cat >"$scratch/all.proj" <<'EOF'
<Project>
  <Target Name="Build">
    <MSBuild Projects="app/app.vcxproj;tool/tool.vcxproj;version/version.vcxproj" BuildInParallel="true" />
  </Target>
</Project>
EOF
printf '#define BUILD_NUMBER 100\r\n' >"$scratch/build_number"
compiles=0
for round in 1 2 3 4 5 6 7 8 9 10; do
  seen_app=$(lines "$scratch/app/compiled.log") seen_tool=$(lines "$scratch/tool/compiled.log")
  build "$scratch/build.log" "$scratch/all.proj" -m:2 -p:Configuration=Debug || { cat "$scratch/build.log"; fail "solution, build $round failed"; }
  want=$((100 + round))
  [ "$(number "$scratch/build_number")" = $want ] ||
    fail "solution, build $round: the counter holds $(number "$scratch/build_number"), not $want"
  for name in app tool; do
    [ "$("$scratch/$name/bin/Debug/$name")" = $want ] || fail "solution, build $round: $name prints $("$scratch/$name/bin/Debug/$name"), not $want"
  done
  got="$(compiled "$scratch/app/compiled.log" "$seen_app") $(compiled "$scratch/tool/compiled.log" "$seen_tool")"
  expected="main.cpp main.cpp"
  [ $round != 1 ] || expected="main.cpp other.cpp main.cpp other.cpp"
  [ "$got" = "$expected" ] || fail "solution, build $round compiled '$got', not '$expected'"
  compiles=$((compiles + $(echo "$got" | wc -w)))
done
row "solution, -m" 10 $(($(number "$scratch/build_number") - 100)) $compiles 0

# Two configurations of the solution built at the same moment (a batch
# build): each waits its turn at the counter, and the four programs carry
# the two numbers the two raises gave, never one number twice.
numbers=""
for round in 1 2 3 4 5; do
  before=$(number "$scratch/build_number")
  build "$scratch/debug.log" "$scratch/all.proj" -m:2 -p:Configuration=Debug &
  debug=$!
  build "$scratch/release.log" "$scratch/all.proj" -m:2 -p:Configuration=Release || { cat "$scratch/release.log"; fail "at once, round $round: Release failed"; }
  wait $debug || { cat "$scratch/debug.log"; fail "at once, round $round: Debug failed"; }
  [ "$(number "$scratch/build_number")" = $((before + 2)) ] || fail "at once, round $round: the counter rose from $before to $(number "$scratch/build_number")"
  for configuration in Debug Release; do
    app=$("$scratch/app/bin/$configuration/app") tool=$("$scratch/tool/bin/$configuration/tool")
    [ "$app" = "$tool" ] || fail "at once, round $round: $configuration's programs print $app and $tool"
    numbers="$numbers $app"
  done
  [ "$(echo $numbers | tr ' ' '\n' | sort -u | wc -l)" = $((round * 2)) ] || fail "at once: one number twice in$numbers"
done
row "two configurations at once" 10 10 - 0

# The failures, on the one project: a counter the tool rejects, and one
# held by another program for longer than the wait. The build fails with
# the step's message as its one error, on the counter; counter and header
# stay.
header=$dir/obj/Debug/generated/version.h
# hold FILE SECONDS: another program holds FILE (flock) for SECONDS, in one
# process, $holder, whose end frees it.
hold() {
  (
    exec 9<"$1"
    flock 9
    exec sleep "$2"
  ) &
  holder=$!
  sleep 0.5
}
cp "$header" "$scratch/header.before"
failure() {
  local what=$1 message=$2
  cp "$dir/build_number" "$scratch/counter.before"
  if build "$dir/build.log" "$one"; then fail "$what: the build did not fail"; fi
  grep -qF "$dir/build_number : error : $message" "$dir/build.log" || {
    cat "$dir/build.log"
    fail "$what: no error on the counter with the step's message '$message'"
  }
  [ "$(grep -c ': error ' "$dir/build.log")" = 1 ] || { cat "$dir/build.log"; fail "$what: not one error"; }
  cmp -s "$dir/build_number" "$scratch/counter.before" || fail "$what: the counter changed"
  cmp -s "$header" "$scratch/header.before" || fail "$what: the header changed"
}
cp "$dir/build_number" "$scratch/counter.good"
printf '#define BUILD_NUMBER 16\n' >"$dir/build_number"
failure "LF counter" "No EOL"
cp "$scratch/counter.good" "$dir/build_number"
hold "$dir/build_number" 30
started=$SECONDS
failure "held counter" "Cannot open file \"build_number\" (0/16 - Device or resource busy)"
kill $holder
wait $holder 2>/dev/null || true  # ended by the signal
waited=$((SECONDS - started))
[ $waited -ge 9 ] || fail "held counter: the build gave up after $waited s, not after its wait"
row "rejected counter, held counter" 2 0 - 2

# Held for a moment only: the build waits its turn and raises the number.
before=$(number "$dir/build_number")
hold "$dir/build_number" 2
build "$dir/build.log" "$one" || { cat "$dir/build.log"; fail "briefly held counter: the build failed"; }
wait $holder
[ "$(number "$dir/build_number")" = $((before + 1)) ] || fail "briefly held counter: not raised once"
[ "$("$dir/bin/Debug/app")" = $((before + 1)) ] || fail "briefly held counter: the program is behind"
row "briefly held counter" 1 1 1 0

# Builds that must leave the counter alone: Visual Studio's design-time
# builds, a single-file compile (Ctrl+F7), and RevtickRaise=false, which
# writes the header from the counter's number as it is (with -n, the
# counter's very bytes again).
before=$(number "$dir/build_number")
for case in "design-time:-p:DesignTimeBuild=true" "single file:-p:SelectedFiles=main.cpp"; do
  what=${case%%:*} switch=${case#*:}
  build "$dir/build.log" "$one" "$switch" || { cat "$dir/build.log"; fail "$what build failed"; }
  [ "$(number "$dir/build_number")" = "$before" ] || fail "$what build raised the counter"
done
printf '#define BUILD_NUMBER 500\r\n#define BUILD_NUMBERNext 501\r\n' >"$dir/build_number"
build "$dir/build.log" "$one" -p:RevtickRaise=false || { cat "$dir/build.log"; fail "a build without raising failed"; }
[ "$(number "$dir/build_number")" = 500 ] || fail "a build without raising raised the counter"
cmp -s "$header" "$dir/build_number" || fail "without raising: the header is not the counter's text"
[ "$("$dir/bin/Debug/app")" = 500 ] || fail "without raising: the program prints $("$dir/bin/Debug/app"), not 500"
row "design-time, single file, no raise" 3 0 - 0
# The shipped layouts, each with its step found by revtick.props alone:
# the NuGet package's (build/native, tools/x86 on a machine that is not
# x64) and the ZIP's (bin/, the step beside the targets); and a project
# kept from before the step, which names only RevtickProgram (revtick.exe),
# with the step beside that and neither beside the targets.
if [ -n "$nupkg" ]; then
  python3 -m zipfile -l "$nupkg" | awk 'NR > 1 { print $1 }' >"$scratch/nupkg.list"
  LC_ALL=C sort -c "$scratch/nupkg.list" || fail "$(basename "$nupkg") is not in name order"
  for name in '[Content_Types].xml' _rels/.rels revtick.nuspec build/native/revtick.props \
    build/native/revtick.targets tools/x86/revtick.exe tools/x64/revtick.exe \
    tools/x86/revtick-step.exe tools/x64/revtick-step.exe; do
    grep -qxF "$name" "$scratch/nupkg.list" || fail "$(basename "$nupkg") holds no $name"
  done
  python3 -m zipfile -e "$nupkg" "$scratch/nuget"
  # (unpacked without their modes: cp makes new, runnable files)
  rm "$scratch"/nuget/tools/*/revtick.exe "$scratch"/nuget/tools/*/revtick-step.exe
  for machine in x86 x64; do
    cp "$program" "$scratch/nuget/tools/$machine/revtick.exe"
    cp "$step" "$scratch/nuget/tools/$machine/revtick-step.exe"
  done
fi
# WHAT:TARGETS:PROGRAMS:PROPERTIES, WHAT the project's folder and the
# others under $scratch.
for layout in "package:nuget/build/native:nuget/tools/x86:" "ZIP:zip/bin:zip/bin:" \
  "RevtickProgram:earlier/msbuild:earlier/bin:<RevtickProgram>../earlier/bin/revtick.exe</RevtickProgram>"; do
  IFS=: read -r what from programs properties <<<"$layout"
  if [ ! -f "$scratch/$from/revtick.targets" ]; then
    mkdir -p "$scratch/$from" "$scratch/$programs"
    cp "$source/packaging/msbuild/revtick.props" "$source/packaging/msbuild/revtick.targets" "$scratch/$from"
    cp "$program" "$scratch/$programs/revtick.exe"
    cp "$step" "$scratch/$programs/revtick-step.exe"
  fi
  targets=$scratch/$from/revtick.targets
  project "$scratch/$what/app.vcxproj" Application "<RevtickCounter>build_number</RevtickCounter>$properties" "$sources"
  printf '#define BUILD_NUMBER 41\r\n' >"$scratch/$what/build_number"
  env -u PROCESSOR_ARCHITECTURE -u PROCESSOR_ARCHITEW6432 dotnet msbuild -nologo -nr:false -v:m \
    "$scratch/$what/app.vcxproj" >"$scratch/$what/build.log" 2>&1 || { cat "$scratch/$what/build.log"; fail "$what layout: the build failed"; }
  [ "$("$scratch/$what/bin/Debug/app")" = 42 ] || fail "$what layout: the program prints $("$scratch/$what/bin/Debug/app"), not 42"
done
row "${nupkg:+the }package, ZIP, RevtickProgram" 3 3 6 0
echo "ok: revtick.targets in dotnet msbuild $(dotnet msbuild -version | tail -n 1)"
