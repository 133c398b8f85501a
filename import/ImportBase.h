#pragma once
// Copies every table of another base into the open one. It leaves g_BasePath
// naming the open base when it returns.

void ImportBase();
