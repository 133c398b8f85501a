#pragma once
// Base import: copies every table of another base into the open one. It
// leaves g_BasePath naming the open base when it returns.

// Puts the import behind the program's window links (ImportBase).
void InstallImport();
