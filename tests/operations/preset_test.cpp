// "Save Preset" and "Load Preset" against the simulated pedal: real files in a temporary folder,
// scripted dialogs, virtual time.
#include <QAction>
#include <QDir>
#include <QTest>

#include "device/hex_text.h"
#include "device/message_builders.h"
#include "editor_fixture.h"
#include "effect/fx_settings.h"
#include "effect/knob_dial.h"
#include "effect/tform_fx_settings.h"
#include "operations/presets.h"
#include "test_files.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

struct PresetFixture : EditorFixture {
    PedalModel* pedal = nullptr;
    std::size_t seen = 0;

    // `tuning`: the pedal's, so the note-cut boxes can be switched on.
    explicit PresetFixture(int tuning = 0) {
        pedal = &transport.addPedal();
        pedal->state().tuning = tuning;
        // A threshold whose shown angle encodes back to itself: knob read-back is not exact for
        // every value, and these tests count messages.
        pedal->state().values[order(Param::NoiseGateThreshold)] = 0x00400000;
        start();
        main().action("menuScan")->trigger();
        clock.advance(FxSettings::DeferredSendMs);
        seen = pedal->received().size();
        dialogs.messages.clear();
    }
    FxSettings& fx() { return operations().fxSettings(); }
    QString presetFolder() const { return QDir(home.path()).filePath("TAVRO/Korvanne MK3/Preset"); }
    QString sent() {
        QString text;
        const auto& r = pedal->received();
        for (std::size_t i = seen; i < r.size(); ++i) text += QString::fromStdString(hex2(r[i]));
        seen = r.size();
        return text;
    }
    QString save(const QString& name) {
        const QString path = QDir(presetFolder()).filePath(name);
        dialogs.expectSaveFile(path);
        main().action("menuSavePreset")->trigger();
        clock.advance(FxSettings::DeferredSendMs);
        sent();
        return path;
    }
    void load(const QString& path) {
        dialogs.expectOpenFile(path);
        main().action("menuLoadPreset")->trigger();
    }
    QString fileIn(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(presetFolder());
        const QString path = QDir(presetFolder()).filePath(name);
        writeBytes(path, bytes);
        return path;
    }
};

QByteArray presetOf(const ParameterValues& values, const char* separator = "\r") {
    QStringList lines;
    for (std::uint32_t v : values) lines << QString::fromStdString(hex8(v));
    return lines.join(separator).toLatin1();
}

}  // namespace

class PresetTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aSavedPresetLoadsBackAndReloadingSendsNothing() {
        PresetFixture f;
        // Dry at its maximum, reported back by the pedal before the file is written.
        f.fx().setKnob(Knob::dialDry, KnobMaximumAngle);
        f.clock.advance(FxSettings::DeferredSendMs);
        const QString path = f.save("mine.txt");
        QCOMPARE(f.dialogs.dialogTitles, QStringList{Presets::SaveTitle});
        QCOMPARE(f.dialogs.dialogFolders, QStringList{f.presetFolder()});
        QCOMPARE(f.dialogs.messages, QStringList{"File saved successfully: " + path});
        const QByteArray file = readBytes(path);
        QCOMPARE(file.size(), qsizetype(173));
        QVERIFY(
            file.startsWith("\xEF\xBB\xBF"
                            "007FE000\r"));
        QCOMPARE(file.count('\r'), qsizetype(18));
        QCOMPARE(file.count('\n'), qsizetype(0));
        QCOMPARE(file.mid(3), presetOf(f.fx().records.values()));

        f.dialogs.messages.clear();
        f.load(path);
        QCOMPARE(f.dialogs.messages, QStringList{"File loaded successfully: " + path});
        // Both dialogs give a name typed without an extension the preset's ".txt".
        QCOMPARE(f.dialogs.dialogTitles, (QStringList{Presets::SaveTitle, Presets::OpenTitle}));
        QCOMPARE(f.dialogs.dialogSuffixes, (QStringList{"txt", "txt"}));
        QVERIFY(f.log.contains("Dry: 007FE000"));
        QVERIFY(f.log.contains("Limit Range UP: 00000000"));
        QCOMPARE(f.fx().records.value(Param::Dry), KnobMaximumValue);
        f.clock.advance(FxSettings::DeferredSendMs);
        f.sent();
        // The controls show the file's values now: loading it again sends nothing.
        const ParameterValues loaded = f.fx().records.values();
        f.load(path);
        f.clock.advance(FxSettings::DeferredSendMs);
        QCOMPARE(f.sent(), QString());
        QCOMPARE(f.fx().records.values(), loaded);
    }

    void lineEndsAndLetterCaseLoadAlike_data() {
        QTest::addColumn<QByteArray>("separator");
        QTest::addColumn<bool>("lowerCase");
        QTest::newRow("CR") << QByteArray("\r") << false;
        QTest::newRow("CR LF") << QByteArray("\r\n") << false;
        QTest::newRow("LF") << QByteArray("\n") << false;
        QTest::newRow("lower case") << QByteArray("\r") << true;
    }
    void lineEndsAndLetterCaseLoadAlike() {
        QFETCH(QByteArray, separator);
        QFETCH(bool, lowerCase);
        PresetFixture f;
        ParameterValues values = f.fx().records.values();
        values[order(Param::Dry)] = 0x000C8000;
        values[order(Param::HarmonicPitch)] = 0x007AAAA8;
        QByteArray bytes = presetOf(values, separator.constData());
        if (lowerCase) bytes = bytes.toLower();
        f.load(f.fileIn("p.txt", bytes));
        // The knob shows -161 and stores the value its position encodes.
        QCOMPARE(f.editor->fxSettings().knob(Knob::dialDry)->angle(), -161);
        QCOMPARE(f.fx().records.value(Param::Dry), std::uint32_t(0x000C6000));
        QCOMPARE(f.fx().records.value(Param::HarmonicPitch), std::uint32_t(0x007AAAA8));
        QCOMPARE(f.sent(), QString("010027000C6000"
                                   "010052007AAAA8"));
        QCOMPARE(f.pedal->state().values[0], std::uint32_t(0x000C6000));
    }

    void onlySplitDifferingSendsOneMessage() {
        PresetFixture f;
        ParameterValues values = f.fx().records.values();
        values[order(Param::Split)] = values[order(Param::Split)] ? 0 : 1;
        f.load(f.fileIn("split.txt", "\xEF\xBB\xBF" + presetOf(values)));
        QCOMPARE(f.sent(), QString::fromStdString(
                               hexText(msg::parameterWrite(0x00C9, values[order(Param::Split)]))));
    }

    void olderPresetsOfSeventeenLinesLoad() {
        PresetFixture f;
        const ParameterValues before = f.fx().records.values();
        ParameterValues values = before;
        values[order(Param::Dry)] = KnobMaximumValue;
        values[order(Param::NoiseGateStatus)] = 1;
        values[order(Param::NoiseGateThreshold)] = KnobMaximumValue;
        QByteArray bytes = presetOf(values);
        bytes.truncate(17 * 9 - 1);
        f.load(f.fileIn("old.txt", bytes));
        QCOMPARE(f.fx().records.value(Param::Dry), KnobMaximumValue);
        QCOMPARE(f.fx().records.value(Param::NoiseGateStatus),
                 before[order(Param::NoiseGateStatus)]);
        QCOMPARE(f.fx().records.value(Param::NoiseGateThreshold),
                 before[order(Param::NoiseGateThreshold)]);
        QCOMPARE(f.sent(), QString("010027007FE000"));
    }

    void malformedPresetsChangeNothing_data() {
        QTest::addColumn<QByteArray>("line2");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not hex") << QByteArray("ZZ000010") << "line 2 is not eight";
        QTest::newRow("blank in front") << QByteArray(" 0040000") << "line 2 is not eight";
        QTest::newRow("too short") << QByteArray("004000") << "line 2 is not eight";
    }
    void malformedPresetsChangeNothing() {
        QFETCH(QByteArray, line2);
        QFETCH(QString, reason);
        PresetFixture f;
        ParameterValues values = f.fx().records.values();
        values[order(Param::Dry)] = KnobMaximumValue;
        QList<QByteArray> lines = presetOf(values).split('\r');
        lines[1] = line2;
        const QString path = f.fileIn("bad.txt", lines.join('\r'));
        const ParameterValues before = f.fx().records.values();
        f.log.clear();
        f.load(path);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].startsWith("Error loading file: " + path + ": " + reason),
                 qPrintable(f.dialogs.messages[0]));
        QCOMPARE(f.fx().records.values(), before);
        f.clock.advance(FxSettings::DeferredSendMs);
        QCOMPARE(f.sent(), QString());
        QCOMPARE(f.log.lines, QStringList());
    }

    void aPresetChangingEveryControlSendsInTheWindowsOrder() {
        PresetFixture f(1);
        const ParameterValues before = f.fx().records.values();
        ParameterValues values = before;
        const auto other = [&](Param p, std::uint32_t a, std::uint32_t b) {
            values[order(p)] = before[order(p)] == a ? b : a;
        };
        // A knob's record holds what the pedal reported (Low Pass, High Pass and Range in steps
        // of their own): the knob's position says which value moves it.
        for (Param p :
             {Param::Dry, Param::SubMix, Param::Minus1Oct, Param::Minus2Oct, Param::LowPass,
              Param::HighPass, Param::FirstHarmonic, Param::Range, Param::InputLevel,
              Param::WaveClip, Param::DryHpf, Param::NoiseGateThreshold}) {
            const bool atMaximum =
                f.fx().view().knobAngle(FxSettings::knobOf(p)) == KnobMaximumAngle;
            values[order(p)] = atMaximum ? 0 : KnobMaximumValue;
        }
        other(Param::Wave, WaveOn, WaveOff);
        other(Param::HarmonicPitch, 0x00800000, 0x00200000);
        for (Param p : {Param::Split, Param::DominantNotesCut, Param::HighNotesCut,
                        Param::LimitRangeUp, Param::NoiseGateStatus})
            other(p, 1, 0);
        f.load(f.fileIn("all.txt", presetOf(values)));
        QCOMPARE(f.dialogs.messages.size(), 1);  // "File loaded successfully: ..."
        // One parameter write per control, each at once, addressed as the 0014 image says.
        const QString sent = f.sent();
        QStringList addresses;
        for (qsizetype at = 0; at + 14 <= sent.size(); at += 14) {
            QCOMPARE(sent.mid(at, 2), QString("01"));
            addresses << sent.mid(at + 2, 4);
        }
        QCOMPARE(sent.size() % 14, qsizetype(0));
        QCOMPARE(addresses, (QStringList{"0027",     // Dry
                                         "0007",     // Sub Mix
                                         "007D",     // -1 Oct
                                         "0080",     // -2 Oct
                                         "0002",     // Wave
                                         "00AF",     // Low Pass
                                         "00BD",     // High Pass
                                         "007E",     // 1st Harmonic
                                         "00C9",     // Split
                                         "0000",     // Range
                                         "000B",     // Input Level
                                         "00C6",     // Wave Clip
                                         "0052",     // 1st Harmonic Pitch
                                         "001D",     // Dominant Notes Cut
                                         "000E",     // High Notes Cut
                                         "0006",     // Dry HPF
                                         "FF00",     // Limit Range UP
                                         "00BC",     // Noise Gate Status
                                         "0003"}));  // Noise Gate Threshold
    }

    void linesAfterTheNineteenthAreIgnored() {
        PresetFixture f;
        ParameterValues values = f.fx().records.values();
        values[order(Param::Dry)] = KnobMaximumValue;
        f.load(f.fileIn("notes.txt", presetOf(values) + "\r\rwarm, for the bridge pickup\r"));
        QCOMPARE(f.dialogs.messages,
                 QStringList{"File loaded successfully: " + f.presetFolder() + "/notes.txt"});
        QCOMPARE(f.fx().records.value(Param::Dry), KnobMaximumValue);
        QCOMPARE(f.sent(), QString("010027007FE000"));
    }

    void anUnreadableFileLoadsLikeACancel() {
        PresetFixture f;
        const ParameterValues before = f.fx().records.values();
        f.log.clear();
        f.load(QDir(f.presetFolder()).filePath("gone.txt"));
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].startsWith("Error loading file: "),
                 qPrintable(f.dialogs.messages[0]));
        QCOMPARE(f.log.lines.size(), 17);
        QCOMPARE(f.log.lines.first(), QString("Dry: "));
        QCOMPARE(f.log.lines.last(), QString("Limit Range UP: "));
        QCOMPARE(f.fx().records.values(), before);
        f.clock.advance(FxSettings::DeferredSendMs);
        QCOMPARE(f.sent(), QString());
    }

    void cancellingALoadLogsTheLabelsAndSendsNothing() {
        PresetFixture f;
        f.log.clear();
        f.load(QString());
        QCOMPARE(f.log.lines.size(), 17);
        QCOMPARE(f.log.lines.first(), QString("Dry: "));
        QCOMPARE(f.log.lines.last(), QString("Limit Range UP: "));
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.sent(), QString());
        QVERIFY(QDir(f.presetFolder()).exists());
    }

    void namesGetTheirExtension_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("upper case extension") << "preset.TXT"
                                              << "preset.TXT.txt";
        QTest::newRow("no extension") << "preset"
                                      << "preset.txt";
    }
    void namesGetTheirExtension() {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        PresetFixture f;
        f.save(chosen);
        QCOMPARE(QDir(f.presetFolder()).entryList(QDir::Files), QStringList{written});
    }

    void aFailedSaveLeavesNoFileAndSaysWhy() {
        PresetFixture f;
        f.save("missing folder/preset.txt");
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].startsWith("Error saving file: "),
                 qPrintable(f.dialogs.messages[0]));
        QVERIFY(!QFile::exists(QDir(f.presetFolder()).filePath("missing folder/preset.txt")));
    }

    void anExistingPresetIsReplacedWhole() {
        PresetFixture f;
        const QString path = f.fileIn("old.txt", QByteArray(4096, 'x'));
        f.save("old.txt");
        QCOMPARE(readBytes(path).size(), qsizetype(173));
    }
};

QTEST_MAIN(PresetTest)
#include "preset_test.moc"
