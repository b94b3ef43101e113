@echo off
rem Raises the build number in the counter build_number.h before anything is
rem compiled, then writes generated\version.h, the header the sources
rem include, with a fresh time: the compiler's own check then compiles again
rem exactly the files that include it. Every exit code but 0 means no update,
rem and the build stops with the generated header as it was.
if not defined REVTICK set REVTICK=revtick.exe
"%REVTICK%" -v "%~dp0build_number.h"
if errorlevel 1 (
  echo Build number not updated ^(exit code %errorlevel%^) 1>&2
  exit /b %errorlevel%
)
if not exist "%~dp0generated" mkdir "%~dp0generated"
rem copy would keep the counter's time, stamped two seconds back; type
rem writes a new file, which gets the current time.
type "%~dp0build_number.h" >"%~dp0generated\version.h"
if errorlevel 1 exit /b 1
rem The compiler runs here, for example: cl /nologo /EHsc /I "%~dp0generated" main.cpp
