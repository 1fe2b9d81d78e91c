// Uploading an algorithm to the simulated pedal on virtual time: the embedded image and a file,
// the confirmation, the bypass before it, the single write, the answer shown in the status label
// and the time limit on waiting for it.
#include "transfer/algorithm_upload.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "editor_fixture.h"
#include "parameter_echo.h"
#include "sim/built_in_pedal.h"
#include "test_files.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

QByteArray received(const PedalModel& pedal, std::size_t from) {
    const auto& r = pedal.received();
    return QByteArray(reinterpret_cast<const char*>(r.data() + from), qsizetype(r.size() - from));
}

QByteArray image14() {
    const std::vector<std::uint8_t> image = builtInAlgorithmImage(14);
    return QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
}

// A linked editor; `linkedAt` is how many bytes the pedal had received once linked.
struct Linked {
    EditorFixture f;
    PedalModel* pedal = nullptr;
    std::size_t linkedAt = 0;

    explicit Linked(PedalOptions options = {}) {
        pedal = &f.transport.addPedal(std::move(options));
        f.start();
        f.main().action("menuScan")->trigger();
        f.dialogs.messages.clear();
        linkedAt = pedal->received().size();
    }
    QString status() { return f.main().findChild<QLabel*>("lblStatus")->text(); }
    void clickUpload(bool yes = true) {
        f.dialogs.expectConfirm(yes, "Upload the selected algorithm?");
        f.main().findChild<QPushButton*>("btnUpload")->click();
    }
    void uploadFile(const QString& path) {
        f.dialogs.expectOpenFile(path);
        if (!path.isEmpty()) {
            f.dialogs.expectConfirm(true, "Upload the algorithm image " +
                                              QFileInfo(path).fileName() + " to the pedal?");
        }
        f.main().action("menuLoadAlgorithmFromFile")->trigger();
    }
};

}  // namespace

class AlgorithmUploadTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void uploadSelected() {
        PedalOptions options;
        options.algorithm = 13;
        Linked l(options);
        QCOMPARE(l.f.operations().catalogue.SelectedEffectName, QString("Korvanne MK3 0014"));
        l.clickUpload();
        // Bypass, the whole image in one write, then the status request.
        QCOMPARE(withoutParameterEcho(received(*l.pedal, l.linkedAt)),
                 QByteArray::fromHex("0D01") + image14() + QByteArray::fromHex("0200"));
        QVERIFY(l.pedal->state().bypass);
        QCOMPARE(l.status(), QString("UPLOAD OK 0014"));
        QCOMPARE(l.f.main().findChild<QLabel*>("lblAlgorithmVersion")->text(),
                 QString("Device Algorithm: 0014"));
        QCOMPARE(l.f.dialogs.messages, QStringList());
        QVERIFY(!l.f.operations().UploadCheckTimer().isActive());
        QVERIFY(l.f.operations().Timer_USB_Read().isActive());
        const int at = int(l.f.log.lines.indexOf("size: 4352"));
        QVERIFY(at > 0);
        QVERIFY(l.f.log.lines.at(at - 1).startsWith("resource name: "));
        QVERIFY(l.f.log.contains("num of bytes: 4352"));
        QVERIFY(l.f.log.contains("write to device"));
        QVERIFY(l.f.log.contains("received: UPLOAD OK 0014"));
    }

    void checkTimerLeavesTheAnswerOfAGoodUpload() {
        // The status request after the answer is slow (its reply comes in pieces for over five
        // seconds): the 5 s check falls into it and must not call the upload failed.
        PedalOptions options;
        options.pacing = false;
        options.faults.tornPieces = 60;
        options.faults.tornGapUs = 90'000;
        Linked l(options);
        // The link's reply ended with a late LF: let the poll take it.
        l.f.clock.advance(200);
        const std::int64_t start = l.f.clock.nowMs();
        l.clickUpload();
        QVERIFY(l.f.clock.nowMs() - start > 5000);
        QCOMPARE(l.status(), QString("UPLOAD OK 0014"));
        QVERIFY(!l.f.operations().UploadCheckTimer().isActive());
        QCOMPARE(l.f.main().findChild<QLabel*>("lblAlgorithmVersion")->text(),
                 QString("Device Algorithm: 0014"));
    }

    void noSendsNothing() {
        Linked l;
        l.clickUpload(false);
        QCOMPARE(received(*l.pedal, l.linkedAt), QByteArray());
        QVERIFY(l.f.operations().Timer_USB_Read().isActive());
        QVERIFY(!l.f.operations().UploadCheckTimer().isActive());
    }

    void answers_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("pieces");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("receivedLines");
        QTest::newRow("20 bytes in one read") << "ABCDEFGHIJKLMNOPQRST" << 1 << "ABCDEFGHIJKLMNOPQ"
                                              << QStringList{"received: ABCDEFGHIJKLMNOPQ"};
        QTest::newRow("two reads") << "UPLOAD OK 0014" << 2 << "UPLOAD OK 0014"
                                   << QStringList{"received: UPLOAD ", "received: UPLOAD OK 0014"};
        QTest::newRow("none") << "" << 1 << "Upload Failed" << QStringList{};
    }
    void answers() {
        QFETCH(QString, answer);
        QFETCH(int, pieces);
        QFETCH(QString, status);
        QFETCH(QStringList, receivedLines);
        PedalOptions options;
        options.pacing = false;
        options.faults.uploadAnswer = answer.toStdString();
        options.faults.uploadAnswerPieces = pieces;
        Linked l(options);
        const std::int64_t start = l.f.clock.nowMs();
        l.clickUpload();
        QCOMPARE(l.status(), status);
        QCOMPARE(l.f.log.lines.filter(QRegularExpression("^received: ")), receivedLines);
        QVERIFY(!l.f.operations().UploadCheckTimer().isActive());
        QVERIFY(l.f.operations().Timer_USB_Read().isActive());
        const bool answered = !answer.isEmpty();
        // Without an answer the wait ends after 15 s and no status request follows.
        QCOMPARE(withoutParameterEcho(received(*l.pedal, l.linkedAt))
                     .endsWith(QByteArray::fromHex("0200")),
                 answered);
        if (!answered) {
            QVERIFY(l.f.clock.nowMs() - start >= 15'000);
            QVERIFY(l.f.log.contains("no answer to the upload within 15 s"));
        }
    }

    void fromFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("status");
        QTest::newRow("algorithm file") << image14() << image14() << "UPLOAD OK 0014";
        QByteArray older = image14();
        older[124] = 0x08;
        QTest::newRow("an older algorithm number") << older << older << "UPLOAD OK 0008";
    }
    void fromFile() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, sent);
        QFETCH(QString, status);
        Linked l;
        QTemporaryDir dir;
        const QString path = dir.filePath("effect.dat");
        QVERIFY(writeBytes(path, content));
        l.uploadFile(path);
        QCOMPARE(received(*l.pedal, l.linkedAt), QByteArray::fromHex("0D01") + sent);
        QCOMPARE(l.status(), status);
        QVERIFY(l.f.log.contains("Opening - " + path));
        QVERIFY(l.f.log.contains(QString::number(sent.size()) + " Bytes Sent ..."));
        QVERIFY(!l.f.operations().UploadCheckTimer().isActive());
        QCOMPARE(l.f.operations().upload().OpenDialogFolder, dir.path());
        if (status == "UPLOAD OK 0014") {
            QCOMPARE(l.f.log.lines.filter("num of bytes received from device: ").last(),
                     QString("num of bytes received from device: 0"));
        }
        // The file command sends no status request afterwards.
        QVERIFY(!withoutParameterEcho(received(*l.pedal, l.linkedAt))
                     .endsWith(QByteArray::fromHex("0200")) ||
                sent.isEmpty());
    }

    // A file that is not an algorithm image is refused with the reason before anything reaches
    // the pedal: no bypass, no upload, no question, no check timer.
    void filesThatAreNotAlgorithmImages_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("why");
        const auto changed = [](int at, std::initializer_list<int> bytes) {
            QByteArray image = image14();
            for (int b : bytes) image[at++] = char(b);
            return image;
        };
        const auto word = [](int k) { return 3 + 2 * k; };
        QTest::newRow("a text file") << QByteArray("Korvanne MK3 effect\r\n")
                                     << "it does not begin with the upload command 00";
        QTest::newRow("an empty file") << QByteArray() << "it is empty";
        QTest::newRow("too short for the header")
            << image14().left(100)
            << "it holds 100 bytes, fewer than the 128 of an image's header "
               "and program";
        QTest::newRow("larger than an image can be")
            << QByteArray(70'000, char(0x00))
            << "it holds more than 65535 bytes, the most an image can hold";
        QTest::newRow("cut short")
            << image14().left(4000) << "its length field says 4352 bytes, but it holds 4000";
        QTest::newRow("longer than its length field")
            << image14() + QByteArray(8, '\0')
            << "its length field says 4352 bytes, but it holds 4360";
        QTest::newRow("another command")
            << changed(0, {0x01}) << "it does not begin with the upload command 00";
        QTest::newRow("algorithm number not in decimal digits")
            << changed(123, {0x00, 0x1A})
            << "its algorithm number 001A is not written in decimal digits";
        QTest::newRow("algorithm number 0")
            << changed(123, {0x00, 0x00}) << "its algorithm number is 0000";
        QTest::newRow("a parameter every effect has without an address")
            << changed(word(0), {0x00, 0x00})
            << "its address table gives no address in word 0, which every effect uses";
        QTest::newRow("two parameters at one address")
            << changed(word(12), {0x00, 0x27})
            << "its address table gives address 0027 to both word 0 and word 12";
        QTest::newRow("a word beyond the parameters")
            << changed(word(40), {0x01, 0x00})
            << "its address table uses word 40, beyond the 21 parameter words";
    }
    void filesThatAreNotAlgorithmImages() {
        QFETCH(QByteArray, content);
        QFETCH(QString, why);
        Linked l;
        QTemporaryDir dir;
        const QString path = dir.filePath("effect.dat");
        QVERIFY(writeBytes(path, content));
        const QString status = l.status();
        l.f.dialogs.expectOpenFile(path);
        const Outcome outcome = l.f.operations().upload().menuLoadAlgorithmFromFileClick();
        const QString sentence = "effect.dat is not an algorithm image: " + why + ".";
        QCOMPARE(outcome.kind, Outcome::Refused);
        QCOMPARE(outcome.sentence, sentence);
        QCOMPARE(l.f.dialogs.messages, QStringList{sentence});
        QVERIFY(l.f.log.contains(sentence));
        l.f.clock.advance(AlgorithmUpload::AnswerLimitMs);
        QCOMPARE(received(*l.pedal, l.linkedAt), QByteArray());
        QVERIFY(!l.f.operations().UploadCheckTimer().isActive());
        QCOMPARE(l.status(), status);
        QVERIFY(l.f.operations().Timer_USB_Read().isActive());
        // A good file afterwards goes out as usual.
        QVERIFY(writeBytes(path, image14()));
        l.uploadFile(path);
        QCOMPARE(received(*l.pedal, l.linkedAt), QByteArray::fromHex("0D01") + image14());
        QCOMPARE(l.status(), QString("UPLOAD OK 0014"));
    }

    void anUnreadStatusReplyIsNotTakenForTheFileAnswer() {
        Linked l;
        // A status reply arrives while nothing reads the line.
        l.f.operations().Timer_USB_Read().stop();
        D2xxUnit& unit = l.f.operations().unit();
        unit.TxBuffer[0] = 0x02;
        unit.TxBuffer[1] = 0x00;
        QCOMPARE(unit.WriteFTDevice(2), std::uint32_t(2));
        l.f.clock.advance(1000);
        QCOMPARE(unit.GetFTQueueStatus(), ft::OK);
        QVERIFY(unit.RxQueueCount > 0);

        QTemporaryDir dir;
        const QString path = dir.filePath("effect.dat");
        QVERIFY(writeBytes(path, image14()));
        l.uploadFile(path);
        QCOMPARE(l.status(), QString("UPLOAD OK 0014"));
        const QStringList shown = l.f.log.lines.filter(QRegularExpression("^received: "));
        QVERIFY(!shown.isEmpty());
        // Only the upload's answer is shown, as it arrives.
        for (const QString& line : shown) {
            QVERIFY2(QString("UPLOAD OK 0014").startsWith(line.mid(QString("received: ").size())),
                     qPrintable(line));
        }
    }

    void cancelledFileDialogSendsNothing() {
        Linked l;
        l.uploadFile(QString());
        QCOMPARE(received(*l.pedal, l.linkedAt), QByteArray());
        QVERIFY(!l.f.operations().UploadCheckTimer().isActive());
    }

    void otherCommandsAreRefusedDuringTheWait() {
        // While the upload waits for an answer that does not come, the user clicks again.
        PedalOptions options;
        options.faults.uploadAnswer = "";
        Linked l(options);
        std::unique_ptr<Timer> click = l.f.clock.createTimer();
        click->setSingleShot(true);
        Qt::CursorShape cursor = Qt::ArrowCursor;
        click->onTimeout([&] {
            cursor = l.f.main().cursor().shape();
            l.f.main().findChild<QPushButton*>("btnUpload")->click();
            l.f.main().action("menuLoadAlgorithmFromFile")->trigger();
        });
        click->start(3000);
        l.clickUpload();
        QCOMPARE(cursor, Qt::BusyCursor);
        QVERIFY(
            l.f.log.contains("Upload Selected refused: another exchange with the pedal is in "
                             "progress"));
        QVERIFY(
            l.f.log.contains("Load Effect From File refused: another exchange with the pedal "
                             "is in progress"));
        // One bypass and one image only; no second question was asked.
        QCOMPARE(received(*l.pedal, l.linkedAt), QByteArray::fromHex("0D01") + image14());
        QVERIFY(l.f.dialogs.scriptDone());
        QCOMPARE(l.status(), QString("Upload Failed"));
    }
};

QTEST_MAIN(AlgorithmUploadTest)
#include "algorithm_upload_test.moc"
