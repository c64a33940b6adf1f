@echo off
rem Removes the simulated bus's registration; a driver's own registration is left alone.
regsvr32 /u /s "%~dp0corvo-sim.dll"
if errorlevel 1 (
  echo The simulated bus could not be unregistered.
  exit /b 1
)
echo The simulated bus is no longer registered.
