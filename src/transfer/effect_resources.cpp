#include "transfer/effect_resources.h"

#include "core/resources.h"
#include "core/log_sink.h"
#include "transfer/effect_catalogue.h"

namespace korvanne {

QStringList EffectCatalogue::splitLines(const QByteArray& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines << QString::fromLatin1(text.mid(start, i - start));
        if (c == '\r' && i + 1 < size && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    // A last line without a line end still counts; a final line end adds no empty line.
    if (start < size) lines << QString::fromLatin1(text.mid(start));
    return lines;
}

ResourceLoad EffectCatalogue::LoadResourceText(const QString& name) {
    const auto content = findResource(QStringLiteral("effects"), name);
    if (!content) return {QStringLiteral("Resource %1 not found").arg(name)};
    ResourceLines = splitLines(*content);
    return {};
}

bool EffectCatalogue::setLatestFromFirstItem(const QString& firstItem) {
    const auto number = LatestAlgorithmNumberFrom(firstItem.toLatin1().toStdString());
    if (!number) return false;
    LatestAlgorithmNumber = *number;
    return true;
}

ResourceLoad EffectCatalogue::GetResourceFile(int index, const QString& itemText, LogSink& log) {
    log.ConsoleLog(QStringLiteral("efx index :") + QString::number(index));
    SelectedEffectName = itemText;
    log.ConsoleLog(QStringLiteral("selected effect name: ") + SelectedEffectName);
    return loadSelectedEffectImage(log);
}

ResourceLoad EffectCatalogue::loadSelectedEffectImage(LogSink& log) {
    const QString name = resourceNameOf(SelectedEffectName);
    log.ConsoleLog(QStringLiteral("resource name: ") + name);
    ResourceLoad loaded = LoadResourceText(name);
    if (!loaded.ok()) return loaded;
    log.ConsoleLog(fileContentLogLine(imageLine()));
    return loaded;
}

AlgorithmImage EffectCatalogue::currentImage() const {
    return AlgorithmImage::fromLine(imageLine().toLatin1().toStdString());
}

QString EffectCatalogue::resourceNameOf(const QString& effectName) {
    return QString::fromLatin1(
        QByteArray::fromStdString(EffectResourceName(effectName.toLatin1().toStdString())));
}

QString EffectCatalogue::fileContentLogLine(const QString& line) {
    return QStringLiteral("filecontent (first 128 bytes): ") + line.left(256);
}

}  // namespace korvanne
