#pragma once
// Puts this folder's analysis, word windows and searches behind the
// program's window links.
void InstallWordWindows();
