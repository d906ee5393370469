@echo off
rem Runs every test program of this folder on the machine it is started on:
rem Windows 10 or 11, from an administrator command prompt (the tests
rem install and uninstall the program, in c:\program files and HKLM), or
rem Wine's cmd.exe. It may be started from any folder.
rem
rem For each program, results\NAME.txt keeps its console output and
rem results\NAME.xml its GoogleTest results. A program that crashes, or
rem that its watchdog ends, counts every test it did not report as passed
rem or skipped as failed. The last line counts the tests:
rem     N passed, N failed, N skipped
rem and the exit code is 0 only when none failed.
rem
rem "run-tests.cmd --quick" runs only the first test of each program: a
rem check, in a minute, that every program starts, lists its tests and
rem finds its inputs here.
rem
rem (Wine's cmd.exe runs it too: no find /c, no !var:~n! here.)
setlocal EnableExtensions
set "quick="
if "%~1"=="--quick" set quick=1
cd /d "%~dp0"
if not exist results mkdir results
set /a passed=0, failed=0, skipped=0
for %%P in (*_tests.exe) do call :run_program "%%~nP"
echo %passed% passed, %failed% failed, %skipped% skipped
if %failed% gtr 0 exit /b 1
exit /b 0

rem ---- one test program: its tests listed, run and counted ----------------
:run_program
set "name=%~1"
set /a listed=0, ok=0, skip=0
set "suite="
set "first="
"%name%.exe" --gtest_list_tests > "results\%name%.list" 2> nul
for /f "usebackq tokens=1" %%W in ("results\%name%.list") do call :count_listed "%%W"
set "filter=*"
if defined quick set "filter=%first%"
if defined quick set listed=1
"%name%.exe" "--gtest_filter=%filter%" --gtest_color=no --gtest_print_time=1 "--gtest_output=xml:results\%name%.xml" > "results\%name%.txt" 2>&1
set status=%errorlevel%
for /f %%L in ('find "[       OK ]" ^< "results\%name%.txt"') do set /a ok+=1
rem A skipped test's own line ends with its time; the summary's do not.
for /f %%L in ('find "[  SKIPPED ]" ^< "results\%name%.txt" ^| find " ms)"') do set /a skip+=1
set /a bad=listed-ok-skip
if %bad% lss 0 set bad=0
rem A program that fails without a failing test (a crash at its end, say)
rem still fails.
if not "%status%"=="0" if %bad% equ 0 set bad=1
set /a passed+=ok, failed+=bad, skipped+=skip
echo %name%: %ok% passed, %bad% failed, %skip% skipped
del "results\%name%.list"
goto :eof

rem A listing names each suite ("Suite.") and below it each test, indented.
:count_listed
set "word=%~1"
if "%word:~-1%"=="." set "suite=%word%"
if "%word:~-1%"=="." goto :eof
set /a listed+=1
if not defined first set "first=%suite%%word%"
goto :eof
