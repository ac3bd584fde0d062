#include "common/Logging.h"

Q_LOGGING_CATEGORY(LogDb, "tamo.db", QtWarningMsg)
Q_LOGGING_CATEGORY(LogRaster, "tamo.raster", QtWarningMsg)
Q_LOGGING_CATEGORY(LogExtract, "tamo.extract", QtWarningMsg)
Q_LOGGING_CATEGORY(LogImport, "tamo.import", QtWarningMsg)
Q_LOGGING_CATEGORY(LogSettings, "tamo.settings", QtWarningMsg)
