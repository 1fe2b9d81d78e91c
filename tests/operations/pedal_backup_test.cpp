// Backup and restore over the desktop editor's own operations, on virtual time against the
// simulated pedal: the outcome of each command and the bytes the pedal received.
#include "operations/pedal_backup.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include "device/communication.h"
#include "effect/control_assignments.h"
#include "effect/fx_settings.h"
#include "effect/parameter_store.h"
#include "effect/tunings.h"
#include "linked_editor.h"
#include "pedal/pedal_settings.h"
#include "test_files.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

PedalBackup backupOf(LinkedEditor& e) {
    PedalOperations& c = e.operations();
    return PedalBackup({c.communication(), c.messages(), c.controlAssignments(), c.tunings(),
                        c.pedalSettings(), c.fxSettings(), c.parameterStore(),
                        [](int) { return QStringLiteral("effect"); }});
}

// What a backup of the linked pedal's present state reads back as.
PedalSnapshot currentState(LinkedEditor& e, const QString& file) {
    PedalSnapshot state;
    if (backupOf(e).backup(file).kind != Outcome::Done) return state;
    backupOf(e).read(file, state);
    return state;
}

}  // namespace

class PedalBackupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(files_.isValid()); }
    void backupHoldsWhatTheLinkRead();
    void restoreSendsOnlyWhatDiffers();
    void restoreStopsWhenTheUserSaysNo();
    void restoreRefusesWhatTheTuningRuleTurnsBack();
    void unreadableBackupIsRefused();

private:
    QTemporaryDir files_;
};

void PedalBackupTest::backupHoldsWhatTheLinkRead() {
    // A pedal other than a new one: Open C with two semitones down, MIDI channel 12.
    LinkedEditor e;
    e.pedal->state().tuning = 7;
    e.pedal->state().semitones = -2;
    e.pedal->state().midiChannel = 12;
    e.readStatus();
    e.mark();
    const QString file = files_.filePath("held.json");
    const Outcome outcome = backupOf(e).backup(file);
    QCOMPARE(outcome.kind, Outcome::Done);
    QCOMPARE(outcome.sentence, "Backup written to " + file + ".");
    const QJsonObject o = QJsonDocument::fromJson(readBytes(file)).object();
    QCOMPARE(o["tuning"].toInt(), 7);
    QCOMPARE(o["semitones"].toInt(), -2);
    QCOMPARE(o["midi_channel"].toInt(), 12);
    QCOMPARE(o["instrument_range"].toString(), QString("standard"));
    QCOMPARE(o["effect_name"].toString(), QString("effect"));
    // A backup only reads what the link brought back.
    QCOMPARE(e.sent(), bytes({}));
}

void PedalBackupTest::restoreSendsOnlyWhatDiffers() {
    LinkedEditor e;
    PedalSnapshot wanted = currentState(e, files_.filePath("same.json"));
    QVERIFY(!wanted.parameters.empty());

    QStringList changes;
    const auto changed = [&](const QString& key, const QString& from, const QString& to) {
        changes << key + ": " + from + " -> " + to;
    };
    const Outcome same = backupOf(e).restore(wanted, false, changed);
    QCOMPARE(same.kind, Outcome::Done);
    QCOMPARE(same.sentence, QString("The pedal already holds the backup's settings."));
    QCOMPARE(e.sent(), bytes({}));

    const QString dryBefore =
        QStringLiteral("%1").arg(wanted.parameters["Dry"], 8, 16, QChar('0')).toUpper();
    QVERIFY(dryBefore != "007FE000");
    wanted.midiChannel = 5;
    wanted.parameters["Dry"] = 0x007FE000;
    const Outcome restored = backupOf(e).restore(wanted, false, changed);
    QCOMPARE(restored.kind, Outcome::Done);
    QCOMPARE(restored.sentence, QString());
    QCOMPARE(changes, (QStringList{"midi_channel: OMNI -> 5",
                                   "parameters.Dry: " + dryBefore + " -> 007FE000"}));
    e.clock.advance(300);
    const std::vector<std::uint8_t> sent = e.sent();
    QCOMPARE(std::vector<std::uint8_t>(sent.begin(), sent.begin() + 2), bytes({0x07, 0x05}));
    QCOMPARE(sent.size(), std::size_t(2 + 7));
    QCOMPARE(std::vector<std::uint8_t>(sent.end() - 4, sent.end()),
             bytes({0x00, 0x7F, 0xE0, 0x00}));
}

void PedalBackupTest::restoreStopsWhenTheUserSaysNo() {
    LinkedEditor e;
    PedalSnapshot wanted = currentState(e, files_.filePath("no.json"));
    QVERIFY(!wanted.parameters.empty());
    wanted.tuning = 3;
    wanted.midiChannel = 9;
    e.dialogs.expectConfirm(false, "Set new tuning?");
    const Outcome outcome = backupOf(e).restore(wanted, true, {});
    QCOMPARE(outcome.kind, Outcome::Cancelled);
    QVERIFY(e.dialogs.scriptDone());
    // Nothing after the refused step is sent, the MIDI channel and the store included.
    e.clock.advance(300);
    QCOMPARE(e.sent(), bytes({}));
}

void PedalBackupTest::restoreRefusesWhatTheTuningRuleTurnsBack() {
    LinkedEditor e;
    PedalSnapshot wanted = currentState(e, files_.filePath("rule.json"));
    QVERIFY(!wanted.parameters.empty());
    wanted.assignments["control4"] = "Dominant Notes Cut";
    const Outcome outcome = backupOf(e).restore(wanted, true, {});
    QCOMPARE(outcome.kind, Outcome::Refused);
    QCOMPARE(outcome.sentence, ControlAssignments::TuningRuleMessage);
    QCOMPARE(e.dialogs.messages, QStringList{ControlAssignments::TuningRuleMessage});
    e.clock.advance(300);
    QCOMPARE(e.sent(), bytes({}));
}

void PedalBackupTest::unreadableBackupIsRefused() {
    LinkedEditor e;
    const QString file = files_.filePath("bad.json");
    QVERIFY(writeBytes(file, R"({"footswitch_mode": 0, "tuning": 0, "semitones": 0,
        "store_bypass_status": false, "instrument_range": "standard", "midi_channel": "OMNI",
        "assignments": {"control1": "Bypass", "control2": "Not Assigned",
                        "control3": "Not Assigned", "control4": "Not Assigned",
                        "remote": "Not Assigned"},
        "parameters": {}})"));
    PedalSnapshot wanted;
    const Outcome outcome = backupOf(e).read(file, wanted);
    QCOMPARE(outcome.kind, Outcome::Failed);
    QCOMPARE(outcome.sentence,
             file + " is not a pedal backup: \"Bypass\" cannot be assigned to control1.");
    const Outcome missing = backupOf(e).read(files_.filePath("none.json"), wanted);
    QCOMPARE(missing.kind, Outcome::Failed);
    QVERIFY2(missing.sentence.startsWith("Cannot read "), qPrintable(missing.sentence));
}

QTEST_MAIN(PedalBackupTest)
#include "pedal_backup_test.moc"
