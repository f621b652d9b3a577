@echo off
rem update-velox.cmd - quiet update of this machine's VELOX card.
rem
rem Run it as an administrator from the updater's folder on a share (a
rem computer start-up script, a software distribution tool or by hand):
rem
rem   \\server\velox\velox-updater-<version>\update-velox.cmd [LOGS]
rem
rem LOGS is a folder the machines can write, by default the folder logs
rem beside the updater's folder (\\server\velox\logs). The batch file puts
rem there this machine's session log (<computer>-flash.log), its PDA backups
rem if any, a result record in results.csv (meru.exe -report) and a line in
rem results.txt, and ends with meru.exe's exit code: 0 the card was updated
rem or up to date, 1 nothing was written or the update failed.
setlocal
set LOGS=%~1
if "%LOGS%"=="" set LOGS=%~dp0..\logs
if not exist "%LOGS%\" mkdir "%LOGS%"
start "" /wait "%~dp0meru.exe" -quiet -batteryOK -report "%LOGS%\results.csv"
set RESULT=%ERRORLEVEL%
copy /y c:\flash.log "%LOGS%\%COMPUTERNAME%-flash.log" >nul
if exist c:\pda-*.pda copy /y c:\pda-*.pda "%LOGS%" >nul
rem The redirection comes first: written after the line, as in
rem "echo ... code 1>>file", cmd would take the digit for a handle number.
>>"%LOGS%\results.txt" echo %DATE% %TIME% %COMPUTERNAME% exit code %RESULT%
exit /b %RESULT%
