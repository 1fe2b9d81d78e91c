// The one-line settings files: the look number and the two flags, each file's bytes decoded and
// read by the functions start-up reads the files with. The bytes come from memory: writing three
// real files per input cost a hundred times more than reading them.
#include <QByteArray>
#include <cstdint>

#include "operations/local_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    korvanne::LocalSettings::lookNumberFromBytes(bytes);
    const QString text = korvanne::LocalSettings::decodeText(bytes);
    korvanne::StartupSettingsFromTexts(text, text);
    return 0;
}
