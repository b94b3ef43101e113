@echo off
rem Raises the build number in the counter build_number before anything is
rem compiled, and writes generated\version.h, the header the sources
rem include, with revtick-step: from this raise, or from the CI's number in
rem REVTICK_BUILD_NUMBER (or the variable REVTICK_NUMBER_FROM names, plus
rem REVTICK_NUMBER_OFFSET), and only when its text changed, so the
rem compiler's own check compiles again exactly the files that include it.
rem A failed step stops the build with its message on the counter and the
rem header as it was. REVTICK_RAISE=0 builds without raising; REVTICK_FLAGS
rem adds -n or -t; REVTICK_STEP names the program (revtick-step.exe).
setlocal
if not defined REVTICK_STEP set REVTICK_STEP=revtick-step.exe
set options=-v %REVTICK_FLAGS%
if "%REVTICK_RAISE%"=="0" set options=%options% -c
if defined REVTICK_NUMBER_FROM set options=%options% -e %REVTICK_NUMBER_FROM%
if defined REVTICK_NUMBER_OFFSET set options=%options% -o %REVTICK_NUMBER_OFFSET%
cd /d "%~dp0"
if not exist generated mkdir generated
"%REVTICK_STEP%" %options% build_number generated\version.h
if errorlevel 1 exit /b %errorlevel%
rem The compiler runs here, for example: cl /nologo /EHsc /I generated main.cpp
