#pragma once
// Fills the hooks through which the start-up road and the base windows
// reach fCorvane, and puts the program's own base services behind the
// Database menu. Called once, before the start-up road runs.

void InstallMainWindowLink();

namespace mainwindow {
// Every window inside the main window (cards and lists), in load order, each
// changed card asking whether to store; false when one refused to close.
bool UnloadCardWindows();
}
