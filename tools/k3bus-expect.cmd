@echo off
rem k3bus-expect.cmd VCD K3CTL-ARGUMENTS...
rem The waveform the library means to put on the tuner bus for a k3ctl command, for k3bus compare:
rem the package's k3ctl.exe and TarvenK3Cmd.dll run against the simulator's IO.dll and
rem TarVenCOM.dll, copied together into a folder of their own under %TEMP% (removed afterwards),
rem with TARVEN_SIM_VCD naming VCD. Nothing is copied into bin\, and the real IO.dll and
rem TarVenCOM.dll are never loaded. The exit code is k3ctl's.
rem   tools\k3bus-expect.cmd expected.vcd radio detect 93.5M
setlocal
if "%~2"=="" (
  echo usage: k3bus-expect.cmd VCD K3CTL-ARGUMENTS...  e.g. k3bus-expect.cmd expected.vcd radio detect 93.5M 1>&2
  exit /b 2
)
set "vcd=%~f1"
set "kit=%~dp0.."
for %%f in (bin\k3ctl.exe bin\TarvenK3Cmd.dll simulator\IO.dll simulator\TarVenCOM.dll) do (
  if not exist "%kit%\%%f" (
    echo k3bus-expect: %%f is not in the package folder %kit% 1>&2
    exit /b 2
  )
)
set "run=%TEMP%\k3bus-expect-%RANDOM%%RANDOM%"
mkdir "%run%"
for %%f in (bin\k3ctl.exe bin\TarvenK3Cmd.dll simulator\IO.dll simulator\TarVenCOM.dll) do copy /y "%kit%\%%f" "%run%" >nul

set "args="
:next
shift
if "%~1"=="" goto run
set args=%args% %1
goto next

:run
set "TARVEN_SIM_VCD=%vcd%"
"%run%\k3ctl.exe"%args%
set status=%ERRORLEVEL%
rd /s /q "%run%"
echo k3bus-expect: the simulator's waveform is in %vcd% 1>&2
exit /b %status%
