#include "cli/value_parsing.h"

#include <QLocale>
#include <cmath>

#include "console/filter_coefficients.h"
#include "device/hex_text.h"
#include "effect/note_tracking_filter.h"
#include "effect/shown_values.h"

namespace korvanne {

std::optional<QString> hexDigits(QString text, int digits) {
    if (text.startsWith("0x", Qt::CaseInsensitive)) text = text.mid(2);
    if (text.size() != digits || !isHexText(text.toStdString())) return std::nullopt;
    return text.toUpper();
}

std::optional<int> wholeNumber(const QString& word, int minimum, int maximum) {
    bool ok = false;
    const int number = word.toInt(&ok);
    if (!ok || number < minimum || number > maximum) return std::nullopt;
    return number;
}

const CatalogueEntry* parameterByName(const QString& name) {
    for (const CatalogueEntry& e : ParameterCatalogue()) {
        if (name.compare(QString::fromLatin1(e.name), Qt::CaseInsensitive) == 0) return &e;
    }
    return nullptr;
}

std::optional<SetRequest> parseSetRequest(QStringList words, QString& error) {
    if (words.size() < 2) {
        error = QStringLiteral("set wants NAME and VALUE.");
        return std::nullopt;
    }
    // A name of several words may also come unquoted: all words before the value.
    const QString value = words.takeLast();
    const QString name = words.join(' ');
    SetRequest request;
    request.entry = parameterByName(name);
    if (!request.entry) {
        error = QStringLiteral(
                    "'%1' is not a parameter name (\"Dry\", \"Noise Gate Threshold\", "
                    "... as the effect window names them).")
                    .arg(name);
        return std::nullopt;
    }
    const CatalogueEntry& entry = *request.entry;
    const QString shownName = QString::fromLatin1(entry.name);
    const QString kind = value.section('=', 0, 0).toLower();
    const QString number = value.section('=', 1);
    if (value.contains('=') && kind == "angle") {
        if (entry.encoding != Encoding::Knob) {
            error = QStringLiteral("%1 is not a knob: angle= does not apply.").arg(shownName);
            return std::nullopt;
        }
        const std::optional<int> angle = wholeNumber(number, -180, 180);
        if (!angle) {
            error = QStringLiteral("angle= wants whole degrees from -180 to 180.");
            return std::nullopt;
        }
        request.kind = SetRequest::Angle;
        request.angle = *angle;
    } else if (value.contains('=') && kind == "pitch") {
        if (entry.param != Param::HarmonicPitch) {
            error = QStringLiteral("pitch= applies to \"1st Harmonic Pitch\" only.");
            return std::nullopt;
        }
        const std::optional<int> pitch = wholeNumber(number, -12, 12);
        if (!pitch) {
            error = QStringLiteral("pitch= wants semitones from -12 to 12.");
            return std::nullopt;
        }
        request.kind = SetRequest::Pitch;
        request.pitch = *pitch;
    } else if (value.contains('=') && kind == "raw") {
        const std::optional<QString> digits = hexDigits(number, 8);
        if (!digits) {
            error = QStringLiteral("raw= wants 8 hex digits, e.g. 0x007FE000.");
            return std::nullopt;
        }
        request.kind = SetRequest::Raw;
        request.raw = digits->toUInt(nullptr, 16);
    } else if (value.contains('=')) {
        error = QStringLiteral(
            "VALUE must be the value as the effect window shows it (6.5, -11, on, off), "
            "angle=DEG, pitch=N or raw=0xHHHHHHHH.");
        return std::nullopt;
    } else if (const std::optional<int> setting = settingFromShown(entry, value.toStdString())) {
        request.kind = SetRequest::Shown;
        request.setting = *setting;
    } else if ((value == "on" || value == "off") && entry.encoding == Encoding::Knob) {
        error = QStringLiteral("%1 is not a switch: on and off do not apply.").arg(shownName);
        return std::nullopt;
    } else {
        const QString other = entry.encoding == Encoding::Knob         ? "angle=DEG or "
                              : entry.encoding == Encoding::PitchTable ? "pitch=N or "
                                                                       : "";
        error = QStringLiteral("%1 wants %2 as the effect window shows it, or %3raw=0xHHHHHHHH.")
                    .arg(shownName, QString::fromStdString(shownValueForms(entry)), other);
        return std::nullopt;
    }
    return request;
}

std::optional<CoefficientRequest> parseCoefficientRequest(const QStringList& words,
                                                          QString& error) {
    if (words.size() != 3) {
        error = QStringLiteral("coefficients wants NOTE GAIN Q.");
        return std::nullopt;
    }
    const auto& names = filter::noteNames();
    CoefficientRequest request;
    request.note = -1;
    for (int i = 0; i < int(names.size()); ++i) {
        if (words[0].compare(QString::fromLatin1(names[i].data(), qsizetype(names[i].size())),
                             Qt::CaseInsensitive) == 0) {
            request.note = i;
        }
    }
    if (request.note < 0) {
        error = QStringLiteral("NOTE must be one of A1, A#1, ... G#5.");
        return std::nullopt;
    }
    // Numbers on the command line are read the same way whatever the user's locale.
    bool gainOk = false;
    bool qOk = false;
    request.gain = QLocale::c().toDouble(words[1], &gainOk);
    request.q = QLocale::c().toDouble(words[2], &qOk);
    if (!gainOk || !std::isfinite(request.gain)) {
        error = QStringLiteral("GAIN must be a number of dB.");
        return std::nullopt;
    }
    if (!qOk || !(request.q > 0) || !std::isfinite(request.q)) {
        error = QStringLiteral("Q must be a number above 0.");
        return std::nullopt;
    }
    return request;
}

std::optional<int> noteCutCode(const QString& word) {
    const auto& names = NoteTrackingFilter::NoteNames;
    for (int code = 0; code < int(names.size()); ++code) {
        if (word.compare(names[std::size_t(code)], Qt::CaseInsensitive) == 0) return code;
    }
    return std::nullopt;
}

std::optional<QString> midiChannelCaption(const QString& word) {
    if (word.compare(QLatin1String("omni"), Qt::CaseInsensitive) == 0) {
        return QStringLiteral("OMNI");
    }
    const std::optional<int> channel = wholeNumber(word, 1, 16);
    if (!channel) return std::nullopt;
    return QString::number(*channel);
}

std::optional<std::map<QString, QString>> parseKeyValues(const QStringList& words,
                                                         const QStringList& keys,
                                                         const QString& command, QString& error) {
    std::map<QString, QString> values;
    QString last;
    for (const QString& word : words) {
        const qsizetype eq = word.indexOf('=');
        if (eq < 0) {
            if (last.isEmpty()) {
                error = QStringLiteral("%1 wants KEY=VALUE words (%2), not '%3'.")
                            .arg(command, keys.join(", "), word);
                return std::nullopt;
            }
            values[last] += ' ' + word;
            continue;
        }
        const QString key = word.left(eq).toLower();
        if (!keys.contains(key)) {
            error = QStringLiteral("%1 knows %2, not '%3'.")
                        .arg(command, keys.join(", "), word.left(eq));
            return std::nullopt;
        }
        if (values.count(key)) {
            error = QStringLiteral("%1 is given twice.").arg(key);
            return std::nullopt;
        }
        values[key] = word.mid(eq + 1);
        last = key;
    }
    return values;
}

}  // namespace korvanne
