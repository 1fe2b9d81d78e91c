#include "operations/pedal_backup.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <array>

#include "core/decimal_digits.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"
#include "device/status_reply.h"
#include "effect/control_assignments.h"
#include "effect/fx_settings.h"
#include "effect/parameter_catalogue.h"
#include "effect/parameter_store.h"
#include "effect/tunings.h"
#include "pedal/pedal_settings.h"

namespace korvanne {

namespace {

// The value to write for a parameter the pedal reported as `reported`. Low Pass, High Pass and
// Range are reported as small step counts, not as what is written: they go back through their
// knob's own encoding, as a preset's values do.
std::uint32_t writableValue(const CatalogueEntry& entry, std::uint32_t reported) {
    if (entry.encoding != Encoding::Knob || entry.readBackScale == KnobScale) return reported;
    return EncodeKnob(DecodeKnob(reported, entry.readBackScale)).value;
}

QString rangeText(int range) {
    return range == msg::RangeStandard ? QStringLiteral("standard")
           : range == msg::RangeLow    ? QStringLiteral("low")
                                       : QString::number(range);
}

int midiChannel(int reported) {
    return PedalSettings::midiChannelOf(std::uint8_t(reported));
}

QString onOff(bool on) {
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

}  // namespace

PedalSnapshot PedalBackup::snapshot() const {
    const Communication& comm = p_.link;
    const std::vector<std::uint8_t>& e = p_.messages.received_bytes_array;
    PedalSnapshot s;
    // A reply shorter than the whole leaves the rest at the defaults.
    auto entry = [&](std::size_t i, int fallback) { return i < e.size() ? int(e[i]) : fallback; };
    s.firmware = entry(status_entry::Firmware, 0);
    s.algorithm = comm.DeviceAlgorithm;
    const std::optional<std::uint32_t> effect = decimalFromDigits(comm.EffectNumber.toStdString());
    s.effect = effect ? QJsonValue(qint64(*effect)) : QJsonValue(comm.EffectNumber);
    s.effectName = effect && p_.effectName ? p_.effectName(int(*effect)) : QString();
    s.footswitchMode = entry(status_entry::FootswitchMode, 0);
    s.tuning = entry(status_entry::Tuning, 0);
    s.semitones = int(std::int8_t(entry(status_entry::Semitones, 0)));
    s.bypass = entry(status_entry::Bypass, 0) == 1;
    s.storeBypassStatus = entry(status_entry::StoreBypassStatus, 0) == 1;
    s.instrumentRange = entry(status_entry::InstrumentRange, msg::RangeStandard);
    s.midiChannel = entry(status_entry::MidiChannel, 0);
    for (int i = 0; i < AssignLists; ++i) {
        s.assignments[AssignmentKeys[i]] = p_.assignments.assignedText(AssignList(i));
    }
    for (const CatalogueEntry& c : ParameterCatalogue()) {
        s.parameters[QString::fromLatin1(c.name)] = p_.fx.records.value(c.param);
    }
    return s;
}

Outcome PedalBackup::backup(const QString& path) const {
    const QByteArray json = QJsonDocument(snapshot().toJson()).toJson(QJsonDocument::Indented);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit()) {
        return Outcome::failed(
            QStringLiteral("Cannot write %1: %2.").arg(path, file.errorString()));
    }
    return Outcome::done(QStringLiteral("Backup written to %1.").arg(path));
}

Outcome PedalBackup::read(const QString& path, PedalSnapshot& wanted) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Outcome::failed(QStringLiteral("Cannot read %1: %2.").arg(path, file.errorString()));
    }
    QString error;
    std::optional<PedalSnapshot> read = snapshotFromJson(file.readAll(), error);
    if (!read) {
        return Outcome::failed(QStringLiteral("%1 is not a pedal backup: %2.").arg(path, error));
    }
    for (int i = 0; i < AssignLists; ++i) {
        const QString& text = read->assignments.at(AssignmentKeys[i]);
        if (p_.assignments.entryIndex(AssignList(i), text) < 0) {
            return Outcome::failed(
                QStringLiteral("%1 is not a pedal backup: \"%2\" cannot be assigned to %3.")
                    .arg(path, text, AssignmentKeys[i]));
        }
    }
    wanted = std::move(*read);
    return Outcome::done();
}

Outcome PedalBackup::restore(const PedalSnapshot& wanted, bool store, const ChangeReport& changed) {
    const PedalSnapshot now = snapshot();
    int changes = 0;
    const auto change = [&](const QString& key, const QString& from, const QString& to) {
        if (changed) changed(key, from, to);
        ++changes;
    };

    // The footswitch first, then the tuning: the tracking parameters after it need one.
    if (wanted.footswitchMode != now.footswitchMode) {
        p_.assignments.chooseFootswitchMode(wanted.footswitchMode);
        if (Outcome sent = p_.assignments.btnSetFootswitchModeClick(); !sent.ok()) return sent;
        change("footswitch_mode", QString::number(now.footswitchMode),
               QString::number(wanted.footswitchMode));
    }
    if (wanted.tuning != now.tuning || wanted.semitones != now.semitones) {
        p_.tunings.cmbGuitarTuningChange(wanted.tuning);
        p_.tunings.cmbSemitonesVariationChange(QString::number(wanted.semitones));
        if (Outcome set = p_.tunings.btnSetTuningClick(); !set.ok()) return set;
        // The note-cut rule asks the tuning list; without a window it is told here.
        p_.fx.headlessControls().guitarTuning = wanted.tuning;
        if (wanted.tuning != now.tuning) {
            change("tuning", QString::number(now.tuning), QString::number(wanted.tuning));
        }
        if (wanted.semitones != now.semitones) {
            change("semitones", QString::number(now.semitones), QString::number(wanted.semitones));
        }
    }
    bool assignmentsDiffer = false;
    for (int i = 0; i < AssignLists; ++i) {
        const auto list = AssignList(i);
        const QString before = p_.assignments.assignedText(list);
        const int index = p_.assignments.entryIndex(list, wanted.assignments.at(AssignmentKeys[i]));
        // The operation turns back a choice its tuning rule refuses.
        if (Outcome chosen = p_.assignments.choose(list, index); !chosen.ok()) return chosen;
        if (p_.assignments.assignedText(list) == before) continue;
        assignmentsDiffer = true;
        change(QStringLiteral("assignments.%1").arg(AssignmentKeys[i]), before,
               p_.assignments.assignedText(list));
    }
    if (assignmentsDiffer) {
        if (Outcome sent = p_.assignments.btnAssignClick(); !sent.ok()) return sent;
    }

    if (wanted.instrumentRange != now.instrumentRange) {
        Outcome sent = wanted.instrumentRange == msg::RangeStandard
                           ? p_.settings.menuStandardClick()
                           : p_.settings.menuLowClick();
        if (!sent.ok()) return sent;
        change("instrument_range", rangeText(now.instrumentRange),
               rangeText(wanted.instrumentRange));
    }
    if (wanted.storeBypassStatus != now.storeBypassStatus) {
        const Outcome sent = wanted.storeBypassStatus
                                 ? p_.settings.menuStoreBypassStatusClick()
                                 : p_.settings.menuDoNotStoreBypassStatusClick();
        if (!sent.ok()) return sent;
        change("store_bypass_status", onOff(now.storeBypassStatus),
               onOff(wanted.storeBypassStatus));
    }
    if (midiChannel(wanted.midiChannel) != midiChannel(now.midiChannel)) {
        const QString caption = PedalSettings::midiChannelCaption(midiChannel(wanted.midiChannel));
        if (Outcome sent = p_.settings.menuMIDIchannelsClickItem(caption); !sent.ok()) return sent;
        change("midi_channel", PedalSettings::midiChannelCaption(midiChannel(now.midiChannel)),
               caption);
    }

    if (wanted.bypassKnown && wanted.bypass != now.bypass) {
        p_.fx.SendBypass(wanted.bypass);
        change("bypass", onOff(now.bypass), onOff(wanted.bypass));
    }
    // Each parameter by its name, at the address of the image the pedal runs now.
    for (const CatalogueEntry& entry : ParameterCatalogue()) {
        const QString name = QString::fromLatin1(entry.name);
        const auto it = wanted.parameters.find(name);
        if (it == wanted.parameters.end()) continue;
        const std::uint32_t current = now.parameters.at(name);
        if (it->second == current) continue;
        p_.fx.SendSwitchParameter(writableValue(entry, it->second), entry.param);
        change("parameters." + name, QString::fromStdString(hex8(current)),
               QString::fromStdString(hex8(it->second)));
    }
    const QString differed =
        changes == 0 ? QStringLiteral("The pedal already holds the backup's settings.") : QString();
    if (!store) return Outcome::done(differed);
    if (Outcome saved = p_.store.btnSaveParametersClick(); !saved.ok()) return saved;
    return Outcome::done((differed.isEmpty() ? QString() : differed + '\n') +
                         QStringLiteral("Parameters saved in the pedal."));
}

std::vector<PedalBackup::Change> PedalBackup::plan(const PedalSnapshot& wanted) const {
    const PedalSnapshot now = snapshot();
    std::vector<Change> changes;
    const auto differ = [&](const QString& label, const QString& from, const QString& to) {
        if (from != to) changes.push_back({label, from, to});
    };
    // As the footswitch choices show a mode: 2 and 3 change the preset on a short press, 1 and 3
    // bypass on a long one.
    const auto footswitch = [](int mode) {
        if (mode < 0 || mode > 3) return QString::number(mode);
        return QStringLiteral("short %1, long %2")
            .arg(mode >= 2 ? "preset" : "bypass", mode % 2 == 1 ? "bypass" : "preset");
    };
    const auto tuning = [](int t) { return Tunings::TuningEntries.value(t, QString::number(t)); };
    const auto semitones = [](int s) {
        return Tunings::SemitoneEntries.value(s + Tunings::SemitoneOffset, QString::number(s));
    };
    differ(QStringLiteral("Footswitch mode"), footswitch(now.footswitchMode),
           footswitch(wanted.footswitchMode));
    differ(QStringLiteral("Tuning"), tuning(now.tuning), tuning(wanted.tuning));
    differ(QStringLiteral("Semitones"), semitones(now.semitones), semitones(wanted.semitones));
    const char* const controls[] = {"Control I", "Control II", "Control III", "Control IV",
                                    "Remote footswitch"};
    for (int i = 0; i < AssignLists; ++i) {
        differ(QString::fromLatin1(controls[i]), now.assignments.at(AssignmentKeys[i]),
               wanted.assignments.at(AssignmentKeys[i]));
    }
    differ(QStringLiteral("Instrument range"), rangeText(now.instrumentRange),
           rangeText(wanted.instrumentRange));
    differ(QStringLiteral("Store bypass status"), onOff(now.storeBypassStatus),
           onOff(wanted.storeBypassStatus));
    differ(QStringLiteral("MIDI channel"),
           PedalSettings::midiChannelCaption(midiChannel(now.midiChannel)),
           PedalSettings::midiChannelCaption(midiChannel(wanted.midiChannel)));
    if (wanted.bypassKnown)
        differ(QStringLiteral("Bypass"), onOff(now.bypass), onOff(wanted.bypass));
    for (const CatalogueEntry& entry : ParameterCatalogue()) {
        const QString name = QString::fromLatin1(entry.name);
        const auto it = wanted.parameters.find(name);
        if (it == wanted.parameters.end()) continue;
        differ(name, QString::fromStdString(hex8(now.parameters.at(name))),
               QString::fromStdString(hex8(it->second)));
    }
    return changes;
}

}  // namespace korvanne
