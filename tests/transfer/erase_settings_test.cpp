// "Erase Settings" and the memory check against the simulated pedal on virtual time: the
// warning, the erase, the pauses, the check question, and the verdict on the dump however it
// arrives.
#include "transfer/erase_settings.h"

#include <QAction>
#include <QRegularExpression>
#include <QTest>

#include "console/console_tools.h"
#include "device/communication.h"
#include "device/message_builders.h"
#include "editor_fixture.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

std::vector<std::uint8_t> bytes(std::initializer_list<int> list) {
    return std::vector<std::uint8_t>(list.begin(), list.end());
}

// A dump read: the marker and the memory's bytes.
std::vector<std::uint8_t> dump(std::uint8_t fill = 0xFF) {
    std::vector<std::uint8_t> d(1 + 16384, fill);
    d[0] = 0xAB;
    return d;
}

struct Linked {
    EditorFixture f;
    PedalModel* pedal = nullptr;
    std::size_t linkBytes = 0;
    // What the pedal received after the link.
    std::vector<std::uint8_t> sentAfterLink() const {
        const auto& all = pedal->received();
        return std::vector<std::uint8_t>(all.begin() + std::ptrdiff_t(linkBytes), all.end());
    }
    explicit Linked(PedalOptions options = {}) {
        pedal = &f.transport.addPedal(std::move(options));
        f.start();
        f.main().action("menuScan")->trigger();
        // The link's status request and the effect window's echo of the pedal's values.
        f.clock.advance(100);
        linkBytes = pedal->received().size();
        f.log.clear();
        f.dialogs.messages.clear();
    }
    EraseSettings& erase() { return f.operations().eraseSettings(); }
    QStringList dumpLines() const {
        return f.log.lines.filter(QRegularExpression("^\\d+: [0-9A-F]{2}$"));
    }
};

}  // namespace

class EraseSettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void warningText() {
        const QStringList lines = {
            "Are you sure you want to delete all settings?",
            "This action will delete the Korvanne MK3 algorithm and any other settings like "
            "presets and assignments",
            "Erase settings is suggested in the following cases:",
            "- the pedal is unresponsive/freezed after updates",
            "- you want to switch to the Lumor X MultiEfx",
            "If you proceed with erasing you can always restore algorithm by:",
            "- uploading the Korvanne MK3 algorithm once again from \"Upload Selected\" button",
            "- click Request",
            "- set tuning and assignments as desired",
            "- click Save Parameters, Set Tuning, Assign",
        };
        QCOMPARE(EraseSettings::Warning().split("\r\n"), lines);
        QCOMPARE(EraseSettings::Warning(), lines.join("\r\n"));
    }

    void noToTheWarningSendsNothing() {
        Linked l;
        l.f.dialogs.expectConfirm(false, EraseSettings::Warning());
        l.f.main().action("menuEraseSettings")->trigger();
        QVERIFY(l.f.dialogs.scriptDone());
        QVERIFY(l.sentAfterLink().empty());
        QVERIFY(l.f.log.lines.isEmpty());
    }

    void yesThenNoErasesOnly() {
        Linked l;
        l.f.dialogs.expectConfirm(true, EraseSettings::Warning());
        l.f.dialogs.expectConfirm(false, EraseSettings::CheckQuestion);
        const std::int64_t before = l.f.clock.nowMs();
        l.f.main().action("menuEraseSettings")->trigger();
        QVERIFY(l.f.dialogs.scriptDone());
        // Enter answers the erase No; the memory check, which only reads, keeps Yes.
        QCOMPARE(l.f.dialogs.confirmDefaults,
                 (QList<Dialogs::Default>{Dialogs::Default::No, Dialogs::Default::Yes}));
        QCOMPARE(l.sentAfterLink(), bytes({0x0B, 0x50, 0x00, 0x00, 0x00}));
        QCOMPARE(l.f.log.lines.value(0), QString("erase message: 0B50000000"));
        QVERIFY(l.f.clock.nowMs() - before >= 100 + 4000);
        QVERIFY(l.f.operations().messages().linkFree());
        QCOMPARE(l.f.dialogs.messages, QStringList());
    }

    // The whole command with the check: the pedal's own erased memory reads back empty, and a
    // memory that still holds something reads back not empty.
    void eraseAndCheck_data() {
        QTest::addColumn<bool>("pedalErases");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("erased") << true << EraseSettings::EmptyMessage;
        QTest::newRow("one byte left") << false << EraseSettings::NotEmptyMessage;
    }
    void eraseAndCheck() {
        QFETCH(bool, pedalErases);
        QFETCH(QString, verdict);
        Linked l;
        // A pedal whose erase leaves one byte behind.
        bool userActedDuringPause = false;
        auto during = l.f.clock.createTimer();
        during->setSingleShot(true);
        during->onTimeout([&] {
            if (!pedalErases) l.pedal->state().settingsMemory[9000] = 0x12;
            // The window is live, but other device commands wait for the command to end.
            userActedDuringPause = true;
            l.f.main().action("menuScan")->trigger();
            l.f.main().action("menuDisconnect")->trigger();
        });
        during->start(1000);
        l.f.dialogs.expectConfirm(true, EraseSettings::Warning());
        l.f.dialogs.expectConfirm(true, EraseSettings::CheckQuestion);
        const std::int64_t before = l.f.clock.nowMs();
        l.f.main().action("menuEraseSettings")->trigger();
        QVERIFY(userActedDuringPause);
        QVERIFY(l.f.operations().communication().Linked);
        QVERIFY(l.f.clock.nowMs() - before >= 100 + 4000 + 4000);
        QCOMPARE(l.sentAfterLink(),
                 bytes({0x0B, 0x50, 0x00, 0x00, 0x00, 0x0C, 0x50, 0x00, 0x00, 0x00, 0x00}));
        // The click on Unlink during the pause was refused at the door, and said so.
        const QString refused = "Unlink refused: another exchange with the pedal is in progress";
        QVERIFY(l.f.log.lines.contains(refused));
        QStringList trace = l.f.log.lines;
        trace.removeAll(refused);
        QCOMPARE(trace.value(1), QString("Read message: 0C5000000000"));
        l.f.clock.advance(100);
        // The dump was read whole, after the pause.
        QCOMPARE(l.f.log.lines.filter("num of bytes read: "),
                 QStringList{"num of bytes read: 16385"});
        const QStringList lines = l.dumpLines();
        QCOMPARE(lines.size(), 16384);
        QCOMPARE(lines.first(), QString("0: FF"));
        QCOMPARE(lines.last(), QString("16383: FF"));
        QCOMPARE(lines[9000], QString(pedalErases ? "9000: FF" : "9000: 12"));
        QCOMPARE(l.f.dialogs.messages, QStringList{verdict});
    }

    // The verdict on reads handed over by the poll, one table row per shape of dump.
    void verdictOnReads_data() {
        QTest::addColumn<QList<int>>("cuts");  // where the dump is cut into reads
        QTest::addColumn<int>("otherAt");      // index of a byte that is not FF, -1 for none
        QTest::addColumn<QString>("verdict");
        QTest::newRow("one read, empty") << QList<int>{} << -1 << EraseSettings::EmptyMessage;
        QTest::newRow("first byte set") << QList<int>{} << 0 << EraseSettings::NotEmptyMessage;
        QTest::newRow("last byte set") << QList<int>{} << 16383 << EraseSettings::NotEmptyMessage;
        QTest::newRow("three reads, empty")
            << QList<int>{1, 8000} << -1 << EraseSettings::EmptyMessage;
        QTest::newRow("three reads, set in the last")
            << QList<int>{5000, 12000} << 16000 << EraseSettings::NotEmptyMessage;
        QTest::newRow("marker alone first") << QList<int>{1} << 1 << EraseSettings::NotEmptyMessage;
    }
    void verdictOnReads() {
        QFETCH(QList<int>, cuts);
        QFETCH(int, otherAt);
        QFETCH(QString, verdict);
        Linked l;
        std::vector<std::uint8_t> d = dump();
        if (otherAt >= 0) d[std::size_t(otherAt) + 1] = 0x00;
        int from = 0;
        for (int cut : cuts + QList<int>{int(d.size())}) {
            QCOMPARE(l.f.dialogs.messages, QStringList());
            l.erase().CheckMemoryDump({d.begin() + from, d.begin() + cut});
            from = cut;
        }
        QCOMPARE(l.f.dialogs.messages, QStringList{verdict});
        const QStringList lines = l.dumpLines();
        QCOMPARE(lines.size(), 16384);
        QCOMPARE(lines.first(), QString(otherAt == 0 ? "0: 00" : "0: FF"));
        QCOMPARE(lines.last(), QString(otherAt == 16383 ? "16383: 00" : "16383: FF"));
        QVERIFY(!l.erase().dumpInProgress());
    }

    void readsWithoutTheMarkerNeverCheck_data() {
        QTest::addColumn<QByteArray>("read");
        QTest::newRow("status text") << QByteArray("13\r\n0\r\n");
        QTest::newRow("erased memory without its marker") << QByteArray(16385, char(0xFF));
        QTest::newRow("marker second") << QByteArray::fromHex("00AB");
    }
    void readsWithoutTheMarkerNeverCheck() {
        QFETCH(QByteArray, read);
        Linked l;
        l.erase().CheckMemoryDump({read.begin(), read.end()});
        l.f.clock.advance(5000);
        QVERIFY(l.f.log.lines.isEmpty());
        QCOMPARE(l.f.dialogs.messages, QStringList());
    }

    // The pedal's dump through the poll, taken as the line delivers it: paced at line speed
    // (many reads), in three pieces, or cut short.
    void dumpThroughThePoll_data() {
        QTest::addColumn<bool>("pacing");
        QTest::addColumn<int>("pieces");
        QTest::addColumn<int>("shortBy");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("paced") << true << 1 << 0 << EraseSettings::EmptyMessage;
        QTest::newRow("three pieces") << false << 3 << 0 << EraseSettings::EmptyMessage;
        QTest::newRow("cut short")
            << true << 1 << 1000 << "Memory check failed: the pedal sent 15384 of 16,384 bytes";
        QTest::newRow("marker only")
            << false << 1 << 16384 << "Memory check failed: the pedal sent 0 of 16,384 bytes";
    }
    void dumpThroughThePoll() {
        QFETCH(bool, pacing);
        QFETCH(int, pieces);
        QFETCH(int, shortBy);
        QFETCH(QString, verdict);
        PedalOptions options;
        options.pacing = pacing;
        options.faults.dumpPieces = pieces;
        options.faults.dumpShortBy = std::size_t(shortBy);
        Linked l(options);
        l.pedal->state().settingsMemory.fill(0xFF);
        // A read asked for without the tools' pause, so the poll meets the dump on its way.
        QVERIFY(l.f.operations().messages().Send(msg::eepromRead(0x50)) == 6);
        l.f.clock.advance(1000);
        const qsizetype reads = l.f.log.lines.filter("num of bytes read: ").size();
        l.f.clock.advance(EraseSettings::DumpQuietLimitMs + 1000);
        QCOMPARE(l.f.dialogs.messages, QStringList{verdict});
        if (pieces > 1) QCOMPARE(l.f.log.lines.filter("num of bytes read: ").size(), pieces);
        if (pacing) QVERIFY2(reads > 3, qPrintable(QString::number(reads)));
        // Only bytes that came are logged and judged; a short dump is never called empty.
        QCOMPARE(l.dumpLines().size(), 16384 - shortBy);
        if (shortBy > 0) QCOMPARE(l.f.log.lines.last(), verdict);
    }

    // A pedal with an older algorithm links without the poll running: the check it is erased
    // for still reads its dump.
    void checkWhileThePollIsStopped() {
        PedalOptions older;
        older.algorithm = 13;
        Linked l(older);
        l.f.dialogs.messages.clear();
        QVERIFY(!l.f.operations().Timer_USB_Read().isActive());
        l.f.dialogs.expectConfirm(true, EraseSettings::Warning());
        l.f.dialogs.expectConfirm(true, EraseSettings::CheckQuestion);
        l.f.main().action("menuEraseSettings")->trigger();
        QCOMPARE(l.f.dialogs.messages, QStringList{EraseSettings::EmptyMessage});
        QCOMPARE(l.dumpLines().size(), 16384);
    }

    // Asked for by the command, a dump that never comes is reported instead of passed over.
    void noDumpAfterTheCheckQuestion() {
        Linked l;
        l.pedal->options().faults.silence = PedalFaults::Silence::Everything;
        l.f.dialogs.expectConfirm(true, EraseSettings::Warning());
        l.f.dialogs.expectConfirm(true, EraseSettings::CheckQuestion);
        l.f.main().action("menuEraseSettings")->trigger();
        l.f.clock.advance(EraseSettings::DumpQuietLimitMs + 100);
        QCOMPARE(l.f.dialogs.messages,
                 QStringList{"Memory check failed: the pedal sent 0 of 16,384 bytes"});
    }

    // A short dump followed by a whole one: the second is judged on its own bytes.
    void aShortDumpLeavesNothingBehind() {
        Linked l;
        std::vector<std::uint8_t> first = dump(0x00);
        first.resize(100);
        l.erase().CheckMemoryDump(first);
        l.f.clock.advance(EraseSettings::DumpQuietLimitMs + 50);
        QCOMPARE(l.f.dialogs.messages,
                 QStringList{"Memory check failed: the pedal sent 99 of 16,384 bytes"});
        l.f.dialogs.messages.clear();
        l.erase().CheckMemoryDump(dump(0xFF));
        QCOMPARE(l.f.dialogs.messages, QStringList{EraseSettings::EmptyMessage});
    }
};

QTEST_MAIN(EraseSettingsTest)
#include "erase_settings_test.moc"
