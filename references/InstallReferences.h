#pragma once
// Puts the reference card behind the program's window links: the card
// openers create fBibMulti through createReferenceWindow.
void InstallReferenceWindows();
