#pragma once
// Start-up step of the main frame: makes the attribute database ready to be read, importing an
// Access file into the cache folder (with a progress window) when its copy is missing or stale.

#include "settings/Preferences.h"

#include <QString>

class QWidget;

// Throws TAMOError when the import fails; returns at once for a SQLite file or a current copy.
// `importerProgram` empty: the import program beside the viewer's executable.
void PrepareAttributeDatabase(QWidget* parent,
                              const QString& connectionString = ProgramState().ConnectionString,
                              const QString& importerProgram = QString());
