#include "common/DatabaseKind.h"

#include <QByteArray>
#include <QFile>

TDatabaseKind DetectDatabaseKind(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return TDatabaseKind::Unknown;
    const QByteArray head = file.read(32);
    if (head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return TDatabaseKind::SQLite;
    // Access files carry their engine name at offset 4.
    const QByteArray engine = head.mid(4, 15);
    if (engine == "Standard Jet DB" || engine == "Standard ACE DB")
        return TDatabaseKind::Access;
    return TDatabaseKind::Unknown;
}
