#include "common/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString& OverriddenFolder() {
    static QString folder;
    return folder;
}
} // namespace

QString ProgramFolder() {
    if (!OverriddenFolder().isEmpty())
        return OverriddenFolder();
    if (QCoreApplication::instance())
        return WithSlash(QCoreApplication::applicationDirPath());
    return WithSlash(QDir::currentPath());
}

void SetProgramFolder(const QString& folder) {
    OverriddenFolder() = folder.isEmpty() ? QString() : WithSlash(QDir::fromNativeSeparators(folder));
}

QString WithSlash(QString path) {
    if (!path.endsWith('/'))
        path += '/';
    return path;
}

bool IsInsideFolder(const QString& path, const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QString file = QFileInfo(path).canonicalFilePath();
    const QString dir = QFileInfo(folder).canonicalFilePath();
    if (file.isEmpty() || dir.isEmpty())
        return false;
    return file.startsWith(WithSlash(dir));
}
