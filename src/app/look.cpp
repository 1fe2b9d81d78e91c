#include "app/look.h"

#include <QApplication>
#include <QFileInfo>

#include "core/resources.h"

namespace korvanne {

namespace {
QString& lastApplied() {
    static QString name;
    return name;
}
}  // namespace

bool applyStyle(const QString& styleName) {
    const QString path = resourcePath("styles", styleName);
    if (path.isEmpty()) return false;
    const std::optional<QByteArray> sheet = findResource("styles", styleName);
    if (!sheet || !qApp) return false;
    qApp->setStyleSheet(QString::fromUtf8(*sheet));
    lastApplied() = QFileInfo(path).fileName();
    return true;
}

QString appliedStyle() {
    return lastApplied();
}

}  // namespace korvanne
