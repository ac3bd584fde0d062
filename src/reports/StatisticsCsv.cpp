#include "reports/StatisticsCsv.h"

#include "reports/SmuCsv.h"

namespace {

const std::vector<TAreaRow>& RowsOf(const TAreaStatistics& statistics, TStatisticsBy by) {
    return by == TStatisticsBy::Class ? statistics.Classes : statistics.Units;
}

// Numbers stay bare in the file; texts are quoted.
QString CsvField(const QString& text, bool number) {
    return number ? text : CsvCell(text);
}

} // namespace

QStringList StatisticsHeadings(TStatisticsBy by) {
    QStringList headings;
    if (by == TStatisticsBy::Class)
        headings << "Class"
                 << "Legend";
    else
        headings << "SMU"
                 << "Class"
                 << "Legend";
    headings << "Cells"
             << "Area (km²)"
             << "Share of land (%)";
    return headings;
}

QStringList StatisticsCells(const TAreaRow& row, TStatisticsBy by) {
    QStringList cells{QString::number(row.Key)};
    if (by == TStatisticsBy::Unit)
        cells << QString::number(row.Class);
    cells << row.Name << QString::number(row.Cells) << QString::number(row.AreaKm2, 'f', 3)
          << QString::number(row.SharePercent, 'f', 6);
    return cells;
}

QByteArray StatisticsCsvText(const TAreaStatistics& statistics, TStatisticsBy by) {
    const int nameColumn = by == TStatisticsBy::Class ? 1 : 2;
    QString text = CsvLine(StatisticsHeadings(by)) + "\r\n";
    for (const TAreaRow& row : RowsOf(statistics, by)) {
        const QStringList cells = StatisticsCells(row, by);
        QStringList fields;
        for (int i = 0; i < cells.size(); ++i)
            fields << CsvField(cells[i], i != nameColumn);
        text += fields.join(',') + "\r\n";
    }
    return text.toUtf8();
}

QString StatisticsClipboardText(const TAreaStatistics& statistics, TStatisticsBy by) {
    QString text = StatisticsHeadings(by).join('\t') + "\n";
    for (const TAreaRow& row : RowsOf(statistics, by)) {
        QStringList cells = StatisticsCells(row, by);
        // A tab or line break inside a name would break the table.
        for (QString& cell : cells)
            cell.replace('\t', ' ').replace('\n', ' ').replace('\r', ' ');
        text += cells.join('\t') + "\n";
    }
    return text;
}
