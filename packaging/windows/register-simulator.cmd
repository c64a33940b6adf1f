@echo off
rem Registers the simulated bus as this machine's device-link component. Only for trying the
rem program without an Ostrel: while it is registered, the programs talk to the simulator,
rem and nothing reaches a real device. unregister-simulator.cmd undoes it.
regsvr32 /s "%~dp0corvo-sim.dll"
if errorlevel 1 (
  echo The simulated bus could not be registered.
  exit /b 1
)
echo The simulated bus is registered. Run unregister-simulator.cmd before using a real Ostrel.
