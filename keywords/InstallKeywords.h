#pragma once
// Puts this folder's listings and windows behind the program's window links.
void InstallKeywordWindows();
