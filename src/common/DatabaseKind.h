#pragma once
// The two kinds of attribute database the program reads, told apart by their first bytes.

#include <QString>

enum class TDatabaseKind { Access, SQLite, Unknown };

// Tells the file's format by its first bytes; a missing or unreadable file is Unknown.
TDatabaseKind DetectDatabaseKind(const QString& path);
