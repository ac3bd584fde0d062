#pragma once
// Start-up step of the main frame: makes the attribute database ready to be read, importing an
// Access file into the cache folder (with a progress window) when its copy is missing or stale.

#include <QString>

class QWidget;

// Throws TAMOError when the import fails; returns at once for a SQLite file or a current copy in
// `cacheFolder`. `importerProgram` empty: the import program beside the viewer's executable.
void PrepareAttributeDatabase(QWidget* parent, const QString& connectionString, const QString& cacheFolder,
                              const QString& importerProgram = QString());
