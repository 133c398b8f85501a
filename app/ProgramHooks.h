#pragma once
// Fills every hook between the program's windows: each folder's Install
// function, as the program runs them before its start. The test that drives
// every command of the main window runs the same list.

void InstallProgramHooks();
