#pragma once
// The program's entry and the name of the base each start creates.

#include <QString>

// The program's entry: the splash window, from whose timer the start goes
// on. Out of memory shows "Mémoire insuffisante"; any other failure shows
// its description.
void Main();

// "NewBase" + the number with at least three digits + ".cvb".
QString StartBaseName(int number);
// The first number from 1 whose name is free in dir: no file, folder or
// link of that exact name.
int FirstFreeStartBaseNumber(const QString &dir);
