@echo off
rem Raises the build number in the counter build_number before anything is
rem compiled, then writes generated\version.h, the header the sources
rem include, from the number this raise reported (another build that shares
rem the counter may raise it again at once), as a new file with a fresh time:
rem the compiler's own check then compiles again exactly the files that
rem include it. Every exit code but 0 means no update, and the build stops with
rem the generated header as it was.
setlocal
if not defined REVTICK set REVTICK=revtick.exe
set generated=%~dp0generated
if not exist "%generated%" mkdir "%generated%"
set tries=0
:raise
"%REVTICK%" -v "%~dp0build_number" >"%generated%\report.txt" 2>"%generated%\error.txt"
set status=%errorlevel%
rem A counter held by another build: wait a second and try again.
if not %status%==3 goto raised
if %tries%==10 goto raised
findstr /r /c:"^Cannot open file .* (0/32 " /c:"^Cannot open file .* (0/16 " "%generated%\error.txt" >nul
if errorlevel 1 goto raised
set /a tries+=1
ping -n 2 127.0.0.1 >nul
goto raise
:raised
if not %status%==0 (
  type "%generated%\error.txt" 1>&2
  echo %~dp0build_number: Build number not updated ^(exit code %status%^) 1>&2
  exit /b %status%
)
type "%generated%\report.txt"
rem Macro "NAME" set to N in "FILE": the second and fifth words.
for /f "usebackq tokens=2,5" %%a in ("%generated%\report.txt") do (
  >"%generated%\version.h.new" echo #define %%~a %%b
)
move /y "%generated%\version.h.new" "%generated%\version.h" >nul
if errorlevel 1 exit /b 1
rem The compiler runs here, for example: cl /nologo /EHsc /I "%generated%" main.cpp
