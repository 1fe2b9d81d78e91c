#include "sim/pedal_model.h"

#include <QTest>

#include "sim/status_reply_text.h"
#include "sim_test_bytes.h"

using namespace korvanne;
using korvanne::test::drain;
using korvanne::test::feed;
using korvanne::test::hexBytes;

namespace {

PedalOptions unpaced() {
    PedalOptions options;
    options.pacing = false;
    return options;
}

// Reads one observable of the pedal by name: "entry N" (status reply), "value N", "stored N",
// "memory N", "tuningData N", "stray AAAA", "noteFilter", "rangeLimit", "bootloader", "events".
qlonglong probe(PedalModel& pedal, const QString& key) {
    const QStringList parts = key.split(' ');
    const QString name = parts.first();
    const int arg = parts.size() > 1 ? parts.at(1).toInt(nullptr, name == "stray" ? 16 : 10) : 0;
    const PedalState& s = pedal.state();
    if (name == "entry") return statusEntries(s).at(std::size_t(arg));
    if (name == "value") return s.values.at(std::size_t(arg));
    if (name == "stored") return s.storedValues.at(std::size_t(arg));
    if (name == "memory") return s.settingsMemory.at(std::size_t(arg));
    if (name == "tuningData") return s.tuningData.at(std::size_t(arg));
    if (name == "stray") {
        const auto it = s.strayWrites.find(std::uint16_t(arg));
        return it == s.strayWrites.end() ? -1 : qlonglong(it->second);
    }
    if (name == "noteFilter") return s.noteFilter.first << 8 | s.noteFilter.second;
    if (name == "rangeLimit") return s.rangeLimit;
    if (name == "bootloader") return pedal.inBootloader();
    if (name == "events") return qlonglong(pedal.events().size());
    qFatal("unknown probe %s", qPrintable(key));
}

QByteArray replyOf(const StatusEntries& entries) {
    const std::string text = statusReplyText(entries);
    return QByteArray(text.data(), qsizetype(text.size()));
}

}  // namespace

class PedalModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void catalogueMessages_data();
    void catalogueMessages();
    void statusReplyWireFormat();
    void parameterWriteLandsOnImageAddress();
    void upload_data();
    void upload();
    void eraseThenReadGivesBlankDump();
    void commandSplitOverWrites();
    void incompleteCommandIsGivenUp();
    void bootloaderSide_data();
    void bootloaderSide();
    void bootloaderSeamTakesEveryByte();
    void silence();
    void garbledStatusReply_data();
    void garbledStatusReply();
    void pulledCable();
};

void PedalModelTest::catalogueMessages_data() {
    QTest::addColumn<QByteArray>("stream");  // one or more messages
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("expect");  // "probe=value; ..."

    const QByteArray none;
    QTest::newRow("01 lands on the parameter at its address")
        << hexBytes("01 0027 007FE000") << none << "value 0=0x7FE000; entry 27=0x7F; entry 28=0xE0";
    QTest::newRow("01 to an address no parameter has is kept aside")
        << hexBytes("01 1234 00000005") << none << "stray 1234=5; value 0=0x400000";
    QTest::newRow("03 stores the nine assignable values")
        << hexBytes(
               "03 007FE000 00400000 00000000 00000001 00000000 00000000 00000000 "
               "00000000 00200000")
        << none << "stored 0=0x7FE000; stored 3=1; stored 8=0x200000";
    QTest::newRow("04 assigns controls and remote")
        << hexBytes("04 01 00 00 01 01 000B FFFF FFFF 000E FFFD") << none
        << "entry 7=1; entry 8=0; entry 10=1; entry 11=1; entry 12=0; entry 13=0x0B; "
           "entry 14=0xFF; entry 18=0; entry 19=0x0E; entry 20=0xFF; entry 21=0xFD";
    QTest::newRow("04 flag without a code reports unassigned")
        << hexBytes("04 01 00 00 00 00 FFFF FFFF FFFF FFFF FFFF") << none
        << "entry 7=0; entry 12=0xFF; entry 13=0xFF";
    QTest::newRow("05 with its key enters the bootloader")
        << hexBytes("05 00 01 02 03 04 05 06") << none << "bootloader=1";
    QTest::newRow("05 with another key does not")
        << hexBytes("05 00 00 00 00 00 00 00") << none << "bootloader=0; events=1";
    QTest::newRow("07 sets the MIDI channel") << hexBytes("07 0C") << none << "entry 25=12";
    QTest::newRow("07 OMNI after a channel") << hexBytes("07 10 07 00") << none << "entry 25=0";
    QTest::newRow("07 above channel 16 is ignored")
        << hexBytes("07 09 07 11") << none << "entry 25=9; events=1";
    QTest::newRow("08 short change preset, long bypass")
        << hexBytes("08 01 01") << none << "entry 4=3";
    QTest::newRow("08 short bypass, long bypass") << hexBytes("08 00 01") << none << "entry 4=1";
    QTest::newRow("09 tuning with semitones up")
        << hexBytes("09 07 03") << none << "entry 5=7; entry 6=3; noteFilter=0xFFFF";
    QTest::newRow("09 tuning with semitones down")
        << hexBytes("09 06 FB") << none << "entry 5=6; entry 6=0xFB";
    QTest::newRow("09 note cut leaves the tuning")
        << hexBytes("09 07 03 09 00 07") << none << "entry 5=7; entry 6=3; noteFilter=0x0007";
    QTest::newRow("09 no note cut") << hexBytes("09 00 07 09 FF FF") << none << "noteFilter=0xFFFF";
    QTest::newRow("09 fitting both readings changes both")
        << hexBytes("09 01 FF") << none << "entry 5=1; entry 6=0xFF; noteFilter=0x01FF";
    QTest::newRow("09 fitting neither is ignored")
        << hexBytes("09 07 03 09 09 09") << none << "entry 5=7; entry 6=3; events=1";
    QTest::newRow("0B erases the settings memory")
        << hexBytes("0B 50 00 00 00") << none << "memory 0=0xFF; memory 16383=0xFF";
    QTest::newRow("0B at another I2C address erases nothing")
        << hexBytes("0B 51 00 00 00") << none << "memory 0=0; events=1";
    QTest::newRow("0C at another I2C address answers nothing")
        << hexBytes("0C 51 00 00 00 00") << none << "events=1";
    QTest::newRow("0D bypass on") << hexBytes("0D 01") << none << "entry 22=1";
    QTest::newRow("0D bypass off again") << hexBytes("0D 01 0D 00") << none << "entry 22=0";
    QTest::newRow("0E keeps the tuning data")
        << hexBytes("0E 007FF5EC" + QByteArray(2 * 632, '0') + "FF8137C0") << none
        << "tuningData 0=0; tuningData 1=0x7F; tuningData 638=0x37; tuningData 639=0xC0; "
           "entry 22=0";
    QTest::newRow("0F low with its checksum")
        << hexBytes("0F BA 02 03 04 05 06 B3") << none << "entry 24=186";
    QTest::newRow("0F standard after low")
        << hexBytes("0F BA 02 03 04 05 06 B3 0F FF 01 02 03 04 05 F1") << none << "entry 24=255";
    QTest::newRow("0F with a wrong checksum is ignored")
        << hexBytes("0F BA 02 03 04 05 06 B3 0F FF 01 02 03 04 05 F0") << none
        << "entry 24=186; events=1";
    QTest::newRow("10 store bypass status") << hexBytes("10 01") << none << "entry 23=1";
    QTest::newRow("10 do not store bypass status")
        << hexBytes("10 01 10 FF") << none << "entry 23=0";
    QTest::newRow("11 range limit on") << hexBytes("11 01") << none << "rangeLimit=1";
    QTest::newRow("11 range limit off") << hexBytes("11 01 11 FF") << none << "rangeLimit=0";
    QTest::newRow("unknown first byte is dropped and the stream goes on")
        << hexBytes("AA 06 0D 01") << none << "entry 22=1; events=2";
    QTest::newRow("a lone 7F gets no answer from the firmware")
        << hexBytes("7F") << none << "bootloader=0";
    QTest::newRow("02 with another second byte gets no answer")
        << hexBytes("02 01") << none << "events=1";
    QTest::newRow("02 00 answers the status")
        << hexBytes("0D 01 02 00") << replyOf(statusEntries([] {
               PedalState s;
               s.bypass = true;
               return s;
           }()))
        << "entry 22=1";
}

void PedalModelTest::catalogueMessages() {
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, answer);
    QFETCH(QString, expect);

    PedalModel pedal(unpaced());
    QCOMPARE(feed(pedal, stream), std::size_t(stream.size()));
    QCOMPARE(drain(pedal), answer);
    for (const QString& item : expect.split(';', Qt::SkipEmptyParts)) {
        const QStringList kv = item.trimmed().split('=');
        bool ok = false;
        const qlonglong want = kv.at(1).toLongLong(&ok, 0);
        QVERIFY2(ok, qPrintable(item));
        QVERIFY2(probe(pedal, kv.at(0)) == want,
                 qPrintable(QStringLiteral("%1 is %2").arg(kv.at(0)).arg(probe(pedal, kv.at(0)))));
    }
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(pedal.received().data()),
                        qsizetype(pedal.received().size())),
             stream);
}

void PedalModelTest::statusReplyWireFormat() {
    PedalOptions options = unpaced();
    options.effect = 10;
    PedalModel pedal(options);
    PedalState& s = pedal.state();
    s.footswitchMode = 3;
    s.tuning = 6;
    s.semitones = -5;
    s.assignments.flags = {1, 0, 0, 0, 1};
    s.assignments.codes = {0x000B, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFD};
    s.bypass = true;
    s.storeBypass = true;
    s.instrumentRange = 186;
    s.midiChannel = 9;
    s.values.fill(0);
    s.values[param::Dry] = 0x007FE000;
    s.values[param::LowPass] = 0x007FE000;   // knob at its maximum: full 24 steps
    s.values[param::HighPass] = 0x00400000;  // knob half way: 8 of 16 steps
    s.values[param::Range] = 0x00002000;     // one knob step: rounds to 0 of 22
    s.values[param::HarmonicPitch] = 0x0022AAA8;
    s.values[param::NoiseGateThreshold] = 0x12345678;

    feed(pedal, hexBytes("02 00"));
    const QByteArray reply = drain(pedal);

    // Firmware 13, algorithm 0014 as bytes 00 14, effect 10 as byte 10 hex.
    QVERIFY(
        reply.startsWith("13\r\n0\r\n20\r\n16\r\n3\r\n6\r\n251\r\n"
                         "1\r\n0\r\n0\r\n0\r\n1\r\n"
                         "0\r\n11\r\n255\r\n255\r\n255\r\n255\r\n255\r\n255\r\n255\r\n253\r\n"
                         "1\r\n1\r\n186\r\n9\r\n"
                         "0\r\n127\r\n224\r\n0\r\n"));
    const QList<QByteArray> lines = reply.split('\n');
    QCOMPARE(lines.size(), 103);  // 102 entries, each ended by CR LF
    QVERIFY(lines.last().isEmpty());
    QList<int> entries;
    for (int i = 0; i < 102; ++i) {
        QVERIFY2(lines.at(i).endsWith('\r'), qPrintable(QString::number(i)));
        entries << lines.at(i).chopped(1).toInt();
    }
    const auto value = [&](int parameter) {
        const int at = 26 + 4 * parameter;
        return quint32(entries[at]) << 24 | quint32(entries[at + 1]) << 16 |
               quint32(entries[at + 2]) << 8 | quint32(entries[at + 3]);
    };
    QCOMPARE(value(param::Dry), 0x007FE000u);
    QCOMPARE(value(param::LowPass), 24u);
    QCOMPARE(value(param::HighPass), 8u);
    QCOMPARE(value(param::Range), 0u);
    QCOMPARE(value(param::HarmonicPitch), 0x0022AAA8u);
    QCOMPARE(value(param::NoiseGateThreshold), 0x12345678u);
    QCOMPARE(value(param::SubMix), 0u);
}

void PedalModelTest::parameterWriteLandsOnImageAddress() {
    std::array<std::uint16_t, 60> words{};
    words[0] = 0x0100;   // Dry
    words[5] = 0x0105;   // Low Pass
    words[9] = 0x0109;   // a word no parameter uses
    words[12] = 0x0200;  // Input Level
    // Dry HPF (17) to Noise Gate Threshold (20) absent: address 0000, shared.
    PedalModel pedal(unpaced());
    feed(pedal, test::syntheticImage(words, 0x0015));
    QCOMPARE(drain(pedal), QByteArray("UPLOAD OK 0015"));
    QCOMPARE(pedal.state().algorithm, 15);

    feed(pedal, hexBytes("01 0100 007FE000"));  // Dry
    feed(pedal, hexBytes("01 0200 00123456"));  // Input Level
    feed(pedal, hexBytes("01 0027 00000001"));  // Dry's address in the previous table
    feed(pedal, hexBytes("01 0109 00000002"));
    feed(pedal, hexBytes("01 0000 00000001"));  // every parameter the image leaves at 0000
    const auto& v = pedal.state().values;
    QCOMPARE(v[param::Dry], 0x007FE000u);
    QCOMPARE(v[param::InputLevel], 0x00123456u);
    QCOMPARE(v[param::DryHpf], 1u);
    QCOMPARE(v[param::LimitRangeUp], 1u);
    QCOMPARE(v[param::NoiseGateStatus], 1u);
    QCOMPARE(v[param::NoiseGateThreshold], 1u);
    QCOMPARE(v[param::Range], 1u);  // Range has no word: it sits at 0000
    QCOMPARE(pedal.state().strayWrites.size(), std::size_t(2));
    QCOMPARE(pedal.state().strayWrites.at(0x0027), 1u);
    QCOMPARE(pedal.state().strayWrites.at(0x0109), 2u);

    feed(pedal, hexBytes("02 00"));
    const QList<QByteArray> lines = drain(pedal).split('\n');
    QCOMPARE(lines.mid(26, 4), (QList<QByteArray>{"0\r", "127\r", "224\r", "0\r"}));
}

void PedalModelTest::upload_data() {
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("algorithm");

    std::array<std::uint16_t, 60> words{};
    words[0] = 0x0011;
    const QByteArray good = test::syntheticImage(words, 0x0014, 4225);  // 4352 bytes
    QTest::newRow("well-formed") << good << QByteArray("UPLOAD OK 0014") << 14;
    QTest::newRow("algorithm 8") << test::syntheticImage(words, 0x0008)
                                 << QByteArray("UPLOAD OK 0008") << 8;
    QTest::newRow("fewer bytes than the length field")
        << test::syntheticImage(words, 0x0015, 16, 200) << QByteArray("UPLOAD ERROR") << 13;
    QTest::newRow("too short for an image")
        << test::syntheticImage(words, 0x0015).left(10).replace(2, 1, "\x0A")
        << QByteArray("UPLOAD ERROR") << 13;
    QTest::newRow("length field below three")
        << hexBytes("00 00 02") << QByteArray("UPLOAD ERROR") << 13;
    QTest::newRow("number not decimal")
        << test::syntheticImage(words, 0x001A) << QByteArray("UPLOAD ERROR") << 13;
}

void PedalModelTest::upload() {
    QFETCH(QByteArray, image);
    QFETCH(QByteArray, answer);
    QFETCH(int, algorithm);

    PedalOptions options = unpaced();
    options.algorithm = 13;
    PedalModel pedal(options);
    feed(pedal, image, 0);
    // An upload cut short is answered once the pedal gives up waiting for the rest.
    QCOMPARE(drain(pedal, 1'000'000), answer);
    QCOMPARE(pedal.state().algorithm, algorithm);
    QCOMPARE(pedal.state().addresses[0], answer.startsWith("UPLOAD OK") ? 0x0011 : 0x0027);

    // The stream goes on after the upload either way.
    feed(pedal, hexBytes("02 00"), 1'000'000);
    QCOMPARE(drain(pedal, 1'000'000).count('\r'), 102);
}

void PedalModelTest::eraseThenReadGivesBlankDump() {
    PedalModel pedal(unpaced());
    feed(pedal, hexBytes("0C 50 00 00 00 00"));
    const QByteArray before = drain(pedal);
    QCOMPARE(before.size(), 16385);
    QCOMPARE(quint8(before.at(0)), 0xABu);
    QVERIFY(before.mid(1) != QByteArray(16384, char(0xFF)));

    feed(pedal, hexBytes("0B 50 00 00 00 0C 50 00 00 00 00"));
    const QByteArray dump = drain(pedal);
    QCOMPARE(dump, QByteArray(1, char(0xAB)) + QByteArray(16384, char(0xFF)));
}

void PedalModelTest::commandSplitOverWrites() {
    PedalModel pedal(unpaced());
    feed(pedal, hexBytes("0D"), 0);
    feed(pedal, hexBytes("01 02"), 10);
    QVERIFY(pedal.state().bypass);
    QCOMPARE(drain(pedal, 10), QByteArray());
    feed(pedal, hexBytes("00"), 20);
    QCOMPARE(drain(pedal, 20).count('\r'), 102);
}

void PedalModelTest::incompleteCommandIsGivenUp() {
    PedalModel pedal(unpaced());
    // A parameter write cut short must not swallow the next command as its address.
    feed(pedal, hexBytes("01 00"), 0);
    feed(pedal, hexBytes("0D 01"), 1'000'000);
    QVERIFY(pedal.state().bypass);
    QVERIFY(pedal.state().strayWrites.empty());
    QCOMPARE(pedal.events().size(), std::size_t(1));
}

void PedalModelTest::bootloaderSide_data() {
    QTest::addColumn<bool>("startInBootloader");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("entry then sync")
        << false << hexBytes("05 00 01 02 03 04 05 06 7F") << hexBytes("79");
    QTest::newRow("command with a wrong complement refused")
        << false << hexBytes("05 00 01 02 03 04 05 06 7F 31 00") << hexBytes("79 1F");
    QTest::newRow("started in the bootloader") << true << hexBytes("7F") << hexBytes("79");
    // Before its first 0x7F the bootloader is silent, so a status request gets no answer.
    QTest::newRow("status request in the bootloader") << true << hexBytes("02 00") << QByteArray();
    QTest::newRow("second sync refused") << true << hexBytes("7F 7F") << hexBytes("79 1F");
    QTest::newRow("sync to the firmware") << false << hexBytes("7F") << QByteArray();
}

void PedalModelTest::bootloaderSide() {
    QFETCH(bool, startInBootloader);
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, answer);

    PedalOptions options = unpaced();
    options.startInBootloader = startInBootloader;
    PedalModel pedal(options);
    feed(pedal, stream);
    QCOMPARE(drain(pedal), answer);
}

namespace {
// A bootloader side that keeps what it is given and starts the firmware on 21 (Go).
class RecordingBootloader final : public BootloaderSide {
public:
    explicit RecordingBootloader(std::vector<std::uint8_t>& seen) : seen_(seen) {}
    void enter() override { ++entered; }
    void receiveByte(std::uint8_t byte, BootloaderHost& host) override {
        seen_.push_back(byte);
        host.answer({0x79});
        if (byte == 0x21) host.startFirmware();
    }
    int entered = 0;

private:
    std::vector<std::uint8_t>& seen_;
};
}  // namespace

void PedalModelTest::bootloaderSeamTakesEveryByte() {
    std::vector<std::uint8_t> seen;
    auto side = std::make_unique<RecordingBootloader>(seen);
    RecordingBootloader* bootloader = side.get();
    PedalModel pedal(unpaced(), std::move(side));

    feed(pedal, hexBytes("05 00 01 02 03 04 05 06 7F 02 00 0D 01 21 0D 01"));
    QCOMPARE(bootloader->entered, 1);
    QCOMPARE(seen, (std::vector<std::uint8_t>{0x7F, 0x02, 0x00, 0x0D, 0x01, 0x21}));
    QCOMPARE(drain(pedal), hexBytes("79 79 79 79 79 79"));
    QVERIFY(!pedal.inBootloader());
    QVERIFY(pedal.state().bypass);  // the byte after Go reached the firmware
}

void PedalModelTest::silence() {
    PedalOptions options = unpaced();
    options.faults.silence = PedalFaults::Silence::StatusRequest;
    PedalModel pedal(options);
    feed(pedal, hexBytes("02 00"));
    QCOMPARE(drain(pedal), QByteArray());
    feed(pedal, hexBytes("0C 50 00 00 00 00"));
    QCOMPARE(drain(pedal).size(), 16385);

    pedal.options().faults.silence = PedalFaults::Silence::Everything;
    feed(pedal, hexBytes("0C 50 00 00 00 00 05 00 01 02 03 04 05 06 7F"));
    QCOMPARE(drain(pedal), QByteArray());
    QVERIFY(pedal.inBootloader());  // silent, not deaf
}

void PedalModelTest::garbledStatusReply_data() {
    QTest::addColumn<int>("garble");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<int>("crCount");

    QTest::newRow("digit replaced")
        << int(PedalFaults::Garble::ReplaceDigit) << QByteArray("13\r\n0\r\n20\r\nX\r\n") << 102;
    QTest::newRow("CR dropped") << int(PedalFaults::Garble::DropCr)
                                << QByteArray("13\r\n0\r\n20\r\n0\n0\r\n") << 101;
}

void PedalModelTest::garbledStatusReply() {
    QFETCH(int, garble);
    QFETCH(QByteArray, start);
    QFETCH(int, crCount);

    PedalOptions options = unpaced();
    options.faults.garble = PedalFaults::Garble(garble);
    options.faults.garbledEntry = 3;
    PedalModel pedal(options);
    feed(pedal, hexBytes("02 00"));
    const QByteArray reply = drain(pedal);
    QVERIFY2(reply.startsWith(start), reply.left(20).constData());
    QCOMPARE(reply.count('\r'), crCount);
}

void PedalModelTest::pulledCable() {
    PedalOptions options = unpaced();
    options.faults.pullAfterBytes = 3;
    PedalModel pedal(options);
    QCOMPARE(feed(pedal, hexBytes("0D 01 02 00")), std::size_t(3));
    QVERIFY(pedal.cablePulled());
    QVERIFY(pedal.state().bypass);
    QCOMPARE(feed(pedal, hexBytes("00")), std::size_t(0));
    QCOMPARE(drain(pedal), QByteArray());
    QCOMPARE(pedal.received().size(), std::size_t(3));
}

QTEST_GUILESS_MAIN(PedalModelTest)
#include "pedal_model_test.moc"
