#pragma once
// The area statistics as a table for other programs: comma-separated (a header line, then one line
// per class or unit; texts in double quotes, numbers bare with a point, lines ending with CR LF,
// UTF-8) and as tab-separated text for the clipboard.

#include "raster/AreaStatistics.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

enum class TStatisticsBy { Class, Unit };

// The column headings of the table by class or by unit.
QStringList StatisticsHeadings(TStatisticsBy by);
// The cells of one row, numbers written as in the file.
QStringList StatisticsCells(const TAreaRow& row, TStatisticsBy by);

QByteArray StatisticsCsvText(const TAreaStatistics& statistics, TStatisticsBy by);
QString StatisticsClipboardText(const TAreaStatistics& statistics, TStatisticsBy by);
