#pragma once
// The program's logging categories. Quiet by default: warnings are written, debug and info
// messages only when asked for, for example QT_LOGGING_RULES="tamo.*=true" or
// QT_LOGGING_RULES="tamo.db.debug=true;tamo.extract.info=true".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(LogDb)       // tamo.db: files opened, queries run and their time
Q_DECLARE_LOGGING_CATEGORY(LogRaster)   // tamo.raster: which raster file a theme uses and why
Q_DECLARE_LOGGING_CATEGORY(LogExtract)  // tamo.extract: extractions from the archive, start to end
Q_DECLARE_LOGGING_CATEGORY(LogImport)   // tamo.import: Access imports into the cache folder
Q_DECLARE_LOGGING_CATEGORY(LogSettings) // tamo.settings: the settings file read, written, set aside
