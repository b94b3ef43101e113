# A Visual Studio project, app.vcxproj, whose main.cpp prints the build
# number of the version.h it includes, built by the real MSBuild engine
# (dotnet msbuild) over tests/msbuild/cpp.targets, which stands in for
# Microsoft's C++ targets; packaging/msbuild/revtick.targets runs the
# installed revtick-step. cpp.targets' compiler names each source it
# compiles in $COMPILE_LOG. Skipped where the .NET SDK is missing, unless
# REVTICK_REQUIRE_DOTNET=1 (CI).
recipe_init() {
  label=MSBuild
  if ! command -v dotnet >/dev/null || ! dotnet msbuild -version >/dev/null 2>&1; then
    [ "${REVTICK_REQUIRE_DOTNET:-}" != 1 ] ||
      fail "dotnet msbuild required (REVTICK_REQUIRE_DOTNET=1), but not found: install the .NET SDK"
    echo "skipped: dotnet msbuild not found (the .NET SDK)"
    exit 77
  fi
  # No first-run banner, no telemetry, and no build nodes left running.
  export DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_SKIP_FIRST_TIME_EXPERIENCE=1 DOTNET_NOLOGO=1
  export MSBUILDDISABLENODEREUSE=1
}
recipe_prepare() { # DIR NEXT FROM OFFSET
  properties="<RevtickCounter>build_number</RevtickCounter>"
  properties="$properties<RevtickStepProgram>$prefix/bin/revtick-step</RevtickStepProgram>"
  properties="$properties<CompileLog>$COMPILE_LOG</CompileLog>"
  [ "$2" = 0 ] || properties="$properties<RevtickOptions>-n</RevtickOptions>"
  [ -z "$3" ] || properties="$properties<RevtickNumberFrom>$3</RevtickNumberFrom>"
  [ -z "$4" ] || properties="$properties<RevtickNumberOffset>$4</RevtickNumberOffset>"
  mkdir -p "$1"
  cat >"$1/app.vcxproj" <<EOF
<Project>
  <PropertyGroup><ConfigurationType>Application</ConfigurationType>$properties</PropertyGroup>
  <ItemGroup><ClCompile Include="main.cpp" /></ItemGroup>
  <Import Project="$source/tests/msbuild/cpp.targets" />
  <Import Project="$source/packaging/msbuild/revtick.targets" />
</Project>
EOF
  cp "$source/examples/consumer/main.cpp" "$1"
}
# Nothing to configure: RAISE goes to the build as RevtickRaise.
recipe_configure() { # DIR RAISE
  revtick_raise=true
  [ "$2" = ON ] || revtick_raise=false
}
# MSBuild shows the step's error as "FILE : error : TEXT"; the table reads
# it in the form the step prints, "FILE: error: TEXT".
recipe_build() {
  status=0
  dotnet msbuild -nologo -nr:false -v:m "$1/app.vcxproj" -p:RevtickRaise="$revtick_raise" \
    >"$1/msbuild.log" 2>&1 </dev/null || status=$?
  sed 's/ : error : /: error: /' "$1/msbuild.log"
  return $status
}
recipe_header() { echo "$1/obj/Debug/generated/version.h"; }
recipe_program() { "$1/bin/Debug/app"; }
