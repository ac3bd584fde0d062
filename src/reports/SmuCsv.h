#pragma once
// The comma-separated export of the SMU details table: four header lines, then one line per grid
// row. A whole number is written bare, every other cell in double quotes (quotes inside doubled),
// lines end with CR LF, the text is UTF-8. Written to a temporary file that replaces the target
// only when complete.

#include "reports/SmuTableContent.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// One cell: bare when the whole text is an optionally signed whole number, else quoted.
QString CsvCell(const QString& text);
QString CsvLine(const QStringList& cells);

// The export of one unit as the table shows it (`decode`: the Domains box); `captions` are the
// four header captions in order.
QByteArray SmuCsvText(const TSmuTableContent& content, TDecode decode, const QStringList& captions);

// The file the export writes for the name chosen in the save dialog: a name ending in ".csv" in
// any case is kept; any other extension is replaced by ".CSV", and one is added when there is none.
QString SmuCsvFileName(const QString& chosen);

// Writes `bytes` to `path` through a temporary file in the same folder, renamed over the target
// when all was written. Raises TAMOError with the system's reason when that fails; the target is
// then unchanged.
void WriteFileReplacing(const QString& path, const QByteArray& bytes);
