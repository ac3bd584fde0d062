#include "reports/SmuCsv.h"

#include "common/TAMOError.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

QString CsvCell(const QString& text) {
    static const QRegularExpression whole("^[+-]?[0-9]+$");
    if (whole.match(text).hasMatch()) {
        bool fits = false;
        text.toInt(&fits);
        if (fits)
            return text;
    }
    QString quoted = text;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QString CsvLine(const QStringList& cells) {
    QStringList written;
    written.reserve(cells.size());
    for (const QString& cell : cells)
        written << CsvCell(cell);
    return written.join(',');
}

QByteArray SmuCsvText(const TSmuTableContent& content, TDecode decode, const QStringList& captions) {
    static constexpr TSmuHeaderField fields[] = {TSmuHeaderField::Coverage, TSmuHeaderField::SoilMappingUnit,
                                                 TSmuHeaderField::DominantWrb, TSmuHeaderField::DominantOxu};
    QString text;
    for (int i = 0; i < 4; ++i)
        text += CsvLine({captions.value(i), content.HeaderValue(fields[i], decode)}) + "\r\n";
    const std::vector<QStringList> rows = content.Rows(decode);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        // The separator rows have no cells of their own; the line names the depth layer.
        const int layer = TSmuTableContent::SeparatorLayer(row);
        if (layer > 0)
            text += "Depth Layer D" + QString::number(layer) + "\r\n";
        else
            text += CsvLine(rows[static_cast<std::size_t>(row)]) + "\r\n";
    }
    return text.toUtf8();
}

QString SmuCsvFileName(const QString& chosen) {
    const QFileInfo info(chosen);
    const QString name = info.fileName();
    if (info.suffix().compare("csv", Qt::CaseInsensitive) == 0)
        return chosen;
    // The extension is what follows the last dot of the name (not of the folder).
    const int dot = name.lastIndexOf('.');
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString folder = chosen.left(chosen.size() - name.size());
    return folder + base + ".CSV";
}

void WriteFileReplacing(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    const auto fail = [&](const QString& reason) {
        throw TAMOError(
            QString("The file \"%1\" cannot be written: %2").arg(QDir::toNativeSeparators(path), reason));
    };
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(reason);
    }
    if (!file.commit())
        fail(file.errorString());
}
