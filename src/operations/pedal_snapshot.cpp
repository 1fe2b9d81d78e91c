#include "operations/pedal_snapshot.h"

#include <QJsonDocument>
#include <QRegularExpression>

#include "device/hex_qtext.h"
#include "device/message_builders.h"
#include "effect/parameter_catalogue.h"
#include "effect/shown_values.h"
#include "pedal/pedal_settings.h"

namespace korvanne {

namespace {

const CatalogueEntry* entryNamed(const QString& name) {
    for (const CatalogueEntry& e : ParameterCatalogue()) {
        if (name == QLatin1String(e.name)) return &e;
    }
    return nullptr;
}

// A shown value as a sentence quotes it.
QString jsonText(const QJsonValue& v) {
    if (v.isString()) return '"' + v.toString() + '"';
    if (v.isNull()) return QStringLiteral("null");
    return v.toVariant().toString();
}

}  // namespace

QJsonValue shownJson(const CatalogueEntry& entry, std::uint32_t value) {
    const std::optional<std::string> shown = shownValue(entry, value);
    return shown ? QJsonValue(QString::fromStdString(*shown)) : QJsonValue(QJsonValue::Null);
}

QJsonObject PedalSnapshot::toJson() const {
    QJsonObject o;
    o["firmware"] = firmware;
    o["algorithm"] = algorithm;
    o["effect"] = effect;
    o["effect_name"] = effectName;
    o["footswitch_mode"] = footswitchMode;
    o["tuning"] = tuning;
    o["semitones"] = semitones;
    QJsonObject a;
    for (const auto& [key, text] : assignments) a[key] = text;
    o["assignments"] = a;
    o["bypass"] = bypass;
    o["store_bypass_status"] = storeBypassStatus;
    o["instrument_range"] = instrumentRange == msg::RangeStandard ? QJsonValue("standard")
                            : instrumentRange == msg::RangeLow    ? QJsonValue("low")
                                                                  : QJsonValue(instrumentRange);
    const int channel = midiChannel >= 0 && midiChannel <= 255
                            ? PedalSettings::midiChannelOf(std::uint8_t(midiChannel))
                            : midiChannel;
    o["midi_channel"] = channel == 0 ? QJsonValue("OMNI") : QJsonValue(channel);
    QJsonObject p;
    QJsonObject shown;
    for (const auto& [name, value] : parameters) {
        p[name] = qhex8(value);
        if (const CatalogueEntry* entry = entryNamed(name)) shown[name] = shownJson(*entry, value);
    }
    o["parameters"] = p;
    o[QLatin1String(ParametersShownKey)] = shown;
    return o;
}

std::optional<PedalSnapshot> snapshotFromJson(const QByteArray& bytes, QString& error) {
    QJsonParseError parse{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError || !document.isObject()) {
        error = QStringLiteral("it is not a JSON object written by korvanne-cli backup");
        return std::nullopt;
    }
    const QJsonObject o = document.object();
    PedalSnapshot s;
    // A whole number within [min, max] under `key`.
    auto integer = [&](const char* key, int min, int max, int& target) {
        const QJsonValue v = o.value(key);
        const double d = v.toDouble(-1e9);
        if (!v.isDouble() || d != double(int(d)) || d < min || d > max) {
            error = QStringLiteral("\"%1\" must be a whole number from %2 to %3")
                        .arg(key)
                        .arg(min)
                        .arg(max);
            return false;
        }
        target = int(d);
        return true;
    };
    auto boolean = [&](const char* key, bool& target) {
        if (!o.value(key).isBool()) {
            error = QStringLiteral("\"%1\" must be true or false").arg(key);
            return false;
        }
        target = o.value(key).toBool();
        return true;
    };
    if (!integer("footswitch_mode", 0, 3, s.footswitchMode)) return std::nullopt;
    if (!integer("tuning", 0, 8, s.tuning)) return std::nullopt;
    if (!integer("semitones", -5, 3, s.semitones)) return std::nullopt;
    if (!boolean("store_bypass_status", s.storeBypassStatus)) return std::nullopt;
    s.bypassKnown = o.contains("bypass");
    if (s.bypassKnown && !boolean("bypass", s.bypass)) return std::nullopt;

    const QJsonValue range = o.value("instrument_range");
    if (range == QJsonValue("standard")) {
        s.instrumentRange = msg::RangeStandard;
    } else if (range == QJsonValue("low")) {
        s.instrumentRange = msg::RangeLow;
    } else {
        error = QStringLiteral("\"instrument_range\" must be \"standard\" or \"low\"");
        return std::nullopt;
    }
    const QJsonValue midi = o.value("midi_channel");
    if (midi == QJsonValue("OMNI")) {
        s.midiChannel = 0;
    } else if (!integer("midi_channel", 1, 16, s.midiChannel)) {
        error = QStringLiteral("\"midi_channel\" must be \"OMNI\" or a number from 1 to 16");
        return std::nullopt;
    }

    if (!o.value("assignments").isObject()) {
        error = QStringLiteral("\"assignments\" must be an object");
        return std::nullopt;
    }
    const QJsonObject assignments = o.value("assignments").toObject();
    for (const char* key : AssignmentKeys) {
        if (!assignments.value(key).isString()) {
            error = QStringLiteral("\"assignments\" must name an entry for \"%1\"").arg(key);
            return std::nullopt;
        }
        s.assignments[key] = assignments.value(key).toString();
    }

    if (!o.value("parameters").isObject()) {
        error = QStringLiteral("\"parameters\" must be an object");
        return std::nullopt;
    }
    static const QRegularExpression eightHex(QStringLiteral("^[0-9A-Fa-f]{8}$"));
    const QJsonObject parameters = o.value("parameters").toObject();
    for (auto it = parameters.begin(); it != parameters.end(); ++it) {
        if (!entryNamed(it.key())) {
            error = QStringLiteral("\"%1\" is not a parameter name").arg(it.key());
            return std::nullopt;
        }
        const QString text = it.value().toString();
        if (!it.value().isString() || !eightHex.match(text).hasMatch()) {
            error = QStringLiteral("the value of \"%1\" must be 8 hex digits").arg(it.key());
            return std::nullopt;
        }
        s.parameters[it.key()] = text.toUInt(nullptr, 16);
    }
    // The shown values only repeat "parameters" in the effect window's scale; a restore works
    // from the raw values alone. A shown value that says otherwise would have the restore do
    // what the file does not seem to say, so the file is refused.
    const QString shownKey = QLatin1String(ParametersShownKey);
    if (o.contains(shownKey)) {
        if (!o.value(shownKey).isObject()) {
            error = QStringLiteral("\"%1\" must be an object").arg(shownKey);
            return std::nullopt;
        }
        const QJsonObject shown = o.value(shownKey).toObject();
        for (auto it = shown.begin(); it != shown.end(); ++it) {
            const CatalogueEntry* entry = entryNamed(it.key());
            if (!entry) {
                error = QStringLiteral("\"%1\" in \"%2\" is not a parameter name")
                            .arg(it.key(), shownKey);
                return std::nullopt;
            }
            const auto raw = s.parameters.find(it.key());
            if (raw == s.parameters.end()) {
                error = QStringLiteral("\"%1\" gives \"%2\", which \"parameters\" lacks")
                            .arg(shownKey, it.key());
                return std::nullopt;
            }
            const QJsonValue expected = shownJson(*entry, raw->second);
            if (it.value() != expected) {
                error = QStringLiteral(
                            "\"%1\" gives %2 as %3 but its value %4 in \"parameters\" shows %5; "
                            "a restore works from the value in \"parameters\", so change that one "
                            "or take %2 out of \"%1\"")
                            .arg(shownKey, it.key(), jsonText(it.value()), qhex8(raw->second),
                                 jsonText(expected));
                return std::nullopt;
            }
        }
    }

    s.firmware = o.value("firmware").toInt();
    s.algorithm = o.value("algorithm").toString();
    s.effect = o.value("effect");
    s.effectName = o.value("effect_name").toString();
    return s;
}

}  // namespace korvanne
