#pragma once
// The program folder (the executable's folder, with a trailing "/"): Data/ and Cache/ live below it.

#include <QString>

QString ProgramFolder();
// Tests point the program folder elsewhere; an empty path goes back to the executable's folder.
void SetProgramFolder(const QString& folder);

// `path` with a trailing "/" (a folder path as the program keeps it).
QString WithSlash(QString path);

// True when `path` names an existing file inside `folder` (or below it), compared after
// resolving links and "..". The program deletes files only where this holds for its cache folder.
bool IsInsideFolder(const QString& path, const QString& folder);
