#include "core/resources.h"

#include <QDir>
#include <QFile>

namespace korvanne {

QString resourcePath(const QString& kind, const QString& name) {
    if (name.isEmpty()) return {};
    const QDir dir(":/" + kind);
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    }
    return {};
}

std::optional<QByteArray> findResource(const QString& kind, const QString& name) {
    const QString path = resourcePath(kind, name);
    if (path.isEmpty()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

}  // namespace korvanne
