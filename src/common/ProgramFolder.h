#pragma once
// The program folder (the executable's folder, with a trailing "/"): Data/ and Cache/ live below it.

#include <QString>

QString ProgramFolder();
// Tests point the program folder elsewhere; an empty path goes back to the executable's folder.
void SetProgramFolder(const QString& folder);
