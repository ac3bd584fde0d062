#include "common/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString& OverriddenFolder() {
    static QString folder;
    return folder;
}

QString WithSlash(QString path) {
    if (!path.endsWith('/'))
        path += '/';
    return path;
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
