@echo off
rem Raises the build number in version.h before anything is compiled, and
rem stops the build when that fails: every exit code but 0 means no update.
if not defined REVTICK set REVTICK=revtick.exe
"%REVTICK%" -v "%~dp0version.h"
if errorlevel 1 (
  echo Build number not updated ^(exit code %errorlevel%^) 1>&2
  exit /b %errorlevel%
)
rem The compiler runs here, for example: cl /nologo /EHsc main.cpp
