@echo off
rem Runs every Windows test of HotlinkConfig on this machine: unpack the
rem kit anywhere, then run this script from an interactive desktop (the
rem window tests open windows). Windows 7 SP1 to 11.
rem
rem The test that holds the editor to this machine's own profile reader
rem (GetPrivateProfileStringA) and the console program's tests need the
rem system locale Chinese (PRC), ANSI code page 936; with another code page
rem they are skipped, and the script says so. It ends with one summary line,
rem and exits with 1 when any test program failed, 0 otherwise.
rem (This script is ASCII on purpose: it runs under any code page.)
setlocal
cd /d "%~dp0"
set ran=0
set failed=0
set failures=
set acp=
for /f "tokens=1,3" %%a in ('reg query "HKLM\SYSTEM\CurrentControlSet\Control\Nls\CodePage" /v ACP') do if "%%a"=="ACP" set acp=%%b
echo HotlinkConfig Windows tests, in %CD%
echo ANSI code page: %acp%

call :run settings_tests.exe
call :run shared_file_test.exe
call :run executable_resources_test.exe
call :run startup_tests.exe
call :run main_window_tests.exe
call :run dialogs_tests.exe
call :run e2e_driver.exe
if not "%acp%"=="936" goto :other_code_page
call :run profile_differential_test.exe
call :run command_line_test.exe
goto :summary

:other_code_page
echo.
echo The ANSI code page is %acp%, not 936: the system locale is not Chinese, PRC.
echo Skipped: profile_differential_test.exe and command_line_test.exe, which compare
echo with GetPrivateProfileStringA under code page 936. Set the system locale
echo to Chinese, PRC, and restart Windows to run them.

:summary
echo.
if not %failed%==0 goto :failed
echo All %ran% test programs passed.
exit /b 0
:failed
echo %failed% of %ran% test programs failed:%failures%
exit /b 1

:run
set /a ran+=1
echo.
echo ==== %1
if not exist "%1" echo missing from the kit: %1& goto :count_failure
"%1"
if errorlevel 1 goto :count_failure
goto :eof
:count_failure
set /a failed+=1
set failures=%failures% %1
goto :eof
