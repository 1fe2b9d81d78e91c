// The effect list and algorithm images as built into the program, the loader and the pick.
#include "transfer/effect_resources.h"

#include <QtTest>
#include <set>

#include "recording_log.h"

using namespace korvanne;

namespace {

qint64 orNone(const std::optional<std::uint16_t>& value) {
    return value ? qint64(*value) : -1;
}

AlgorithmImage loadImage(const QString& name) {
    EffectCatalogue catalogue;
    const ResourceLoad loaded = catalogue.LoadResourceText(name);
    if (!loaded.ok()) qWarning() << loaded.error;
    return catalogue.currentImage();
}

const QStringList kImageNames = {"KORVANNE_MK3_0008", "KORVANNE_MK3_0009", "KORVANNE_MK3_0010",
                                 "KORVANNE_MK3_0011", "KORVANNE_MK3_0012", "KORVANNE_MK3_0013",
                                 "KORVANNE_MK3_0014"};

}  // namespace

class EffectResourcesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void deliveredImages_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("digits");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("unreadWord");
        QTest::newRow("0008") << "KORVANNE_MK3_0008" << 9280 << 8 << 0x0005;
        QTest::newRow("0009") << "KORVANNE_MK3_0009" << 9344 << 9 << 0x0005;
        QTest::newRow("0010") << "KORVANNE_MK3_0010" << 9088 << 10 << 0x0005;
        QTest::newRow("0011") << "KORVANNE_MK3_0011" << 9088 << 11 << 0x0007;
        QTest::newRow("0012") << "KORVANNE_MK3_0012" << 9024 << 12 << 0x0006;
        QTest::newRow("0013") << "KORVANNE_MK3_0013" << 8704 << 13 << 0x0009;
        QTest::newRow("0014") << "KORVANNE_MK3_0014" << 8704 << 14 << 0x0009;
    }
    void deliveredImages() {
        QFETCH(QString, name);
        QFETCH(int, digits);
        QFETCH(int, number);
        QFETCH(int, unreadWord);
        EffectCatalogue catalogue;
        QVERIFY(catalogue.LoadResourceText(name).ok());
        QCOMPARE(catalogue.ResourceLines.size(), 1);
        const QString line = catalogue.imageLine();
        QCOMPARE(line.size(), digits);
        static const QRegularExpression upperHex("^[0-9A-F]*$");
        QVERIFY(upperHex.match(line).hasMatch());

        const AlgorithmImage image = catalogue.currentImage();
        QCOMPARE(int(image.size()), digits / 2);
        QCOMPARE(orNone(image.lengthField()), qint64(image.size()));
        QCOMPARE(image.command(), std::optional<std::uint8_t>(0x00));
        QCOMPARE(image.algorithmNumber(), std::optional<std::uint32_t>(number));
        QCOMPARE(orNone(image.unreadWord()), qint64(unreadWord));
        // Each passes the check an algorithm file must pass before it is uploaded.
        QCOMPARE(QString::fromStdString(image.fault()), QString());

        // Two parameters sharing one processor address would make one control move another.
        std::set<std::uint16_t> used;
        for (std::size_t k = 0; k < AlgorithmImage::ParameterWords; ++k) {
            const auto word = image.addressWord(k);
            QVERIFY(word.has_value());
            if (*word != 0) QVERIFY2(used.insert(*word).second, qPrintable(QString::number(k)));
        }
    }

    void publishedAddressTables_data() {
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("in0008");
        QTest::addColumn<int>("in0013");
        const int table[][3] = {
            {0, 0x000B, 0x0027},  {1, 0x00E8, 0x0007},  {2, 0x0077, 0x007D},  {3, 0x0073, 0x0080},
            {4, 0x0003, 0x0002},  {5, 0x00CC, 0x00AF},  {6, 0x00DE, 0x00BD},  {7, 0x00A0, 0x007E},
            {8, 0x00E9, 0x00C9},  {9, 0x004C, 0x002D},  {10, 0x005B, 0x0041}, {11, 0x0051, 0x0037},
            {12, 0x000A, 0x000B}, {13, 0x006E, 0x0052}, {14, 0x00E7, 0x00C6}, {15, 0x001B, 0x001D},
            {16, 0x000C, 0x000E}, {17, 0x0000, 0x0006}, {18, 0x0000, 0xFF00}, {19, 0x0000, 0x00BC},
            {20, 0x0000, 0x0003},
        };
        for (const auto& row : table) {
            QTest::addRow("word %d", row[0]) << row[0] << row[1] << row[2];
        }
    }
    void publishedAddressTables() {
        QFETCH(int, word);
        QFETCH(int, in0008);
        QFETCH(int, in0013);
        QCOMPARE(orNone(loadImage("KORVANNE_MK3_0008").addressWord(std::size_t(word))),
                 qint64(in0008));
        QCOMPARE(orNone(loadImage("KORVANNE_MK3_0013").addressWord(std::size_t(word))),
                 qint64(in0013));
    }

    void effectListAtStartUp() {
        EffectCatalogue catalogue;
        QVERIFY(catalogue.loadEffectList().ok());
        const QStringList items = catalogue.effectListLines();
        QCOMPARE(items, QStringList{"Korvanne MK3 0014"});
        QVERIFY(catalogue.setLatestFromFirstItem(items.value(0)));
        QCOMPARE(catalogue.LatestAlgorithmNumber, 14u);
        // Every listed effect has its image.
        for (const QString& item : items) {
            const QString name = EffectCatalogue::resourceNameOf(item);
            QVERIFY2(EffectCatalogue().LoadResourceText(name).ok(), qPrintable(name));
        }
        // The names outlive the list's lines, which an image load replaces.
        QVERIFY(catalogue.LoadResourceText(EffectCatalogue::resourceNameOf(items.value(0))).ok());
        QCOMPARE(catalogue.effectName(0), items.value(0));
        QCOMPARE(catalogue.effectName(1), QString());
    }

    void unreadableFirstItemKeepsTheNumber_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("no item") << QString();
        QTest::newRow("no number") << "Korvanne MK3 beta";
    }
    void unreadableFirstItemKeepsTheNumber() {
        QFETCH(QString, item);
        EffectCatalogue catalogue;
        catalogue.LatestAlgorithmNumber = 14;
        QVERIFY(!catalogue.setLatestFromFirstItem(item));
        QCOMPARE(catalogue.LatestAlgorithmNumber, 14u);
    }

    void loadIgnoresLetterCase_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("firstCharacters");
        QTest::newRow("octave") << "octave"
                                << "Korvanne MK3 0014";
        QTest::newRow("OCTAVE") << "OCTAVE"
                                << "Korvanne MK3 0014";
        QTest::newRow("image as named from the effect") << "Korvanne_MK3_0014"
                                                        << "001100";
        QTest::newRow("image in lower case") << "korvanne_mk3_0014"
                                             << "001100";
    }
    void loadIgnoresLetterCase() {
        QFETCH(QString, name);
        QFETCH(QString, firstCharacters);
        EffectCatalogue catalogue;
        const ResourceLoad loaded = catalogue.LoadResourceText(name);
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        QCOMPARE(catalogue.ResourceLines.size(), 1);
        QVERIFY(catalogue.ResourceLines[0].startsWith(firstCharacters));
    }

    void missingResourceKeepsTheLines_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("unknown effect") << "Korvanne_MK3_0015";
        QTest::newRow("nothing picked yet") << QString();
    }
    void missingResourceKeepsTheLines() {
        QFETCH(QString, name);
        EffectCatalogue catalogue;
        QVERIFY(catalogue.loadEffectList().ok());
        const ResourceLoad loaded = catalogue.LoadResourceText(name);
        QVERIFY(!loaded.ok());
        QCOMPARE(loaded.error, QStringLiteral("Resource %1 not found").arg(name));
        QCOMPARE(catalogue.ResourceLines, QStringList{"Korvanne MK3 0014"});
    }

    void lineEnds_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF after each line") << QByteArray("A\r\nB\r\n") << QStringList{"A", "B"};
        QTest::newRow("last line without an end") << QByteArray("A\r\nB") << QStringList{"A", "B"};
        QTest::newRow("empty line kept") << QByteArray("A\r\n\r\nB") << QStringList{"A", "", "B"};
        QTest::newRow("lone LF and CR") << QByteArray("A\nB\rC") << QStringList{"A", "B", "C"};
        QTest::newRow("nothing") << QByteArray() << QStringList{};
        QTest::newRow("8-bit characters") << QByteArray("Octave \xE9t\xE9\r\n")
                                          << QStringList{QString::fromLatin1("Octave \xE9t\xE9")};
    }
    void lineEnds() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        QCOMPARE(EffectCatalogue::splitLines(content), lines);
    }

    void loadReadsLinesFromTheResource() {
        EffectCatalogue catalogue;
        QVERIFY(catalogue.LoadResourceText("mixed_ends").ok());
        QCOMPARE(catalogue.ResourceLines, (QStringList{"First", "Second"}));
    }

    void getResourceFileLogsEachStep() {
        EffectCatalogue catalogue;
        test::RecordingLog log;
        QVERIFY(catalogue.GetResourceFile(0, "Korvanne MK3 0014", log).ok());
        QCOMPARE(catalogue.SelectedEffectName, QStringLiteral("Korvanne MK3 0014"));
        QCOMPARE(log.lines.size(), 4);
        QCOMPARE(log.lines[0], QStringLiteral("efx index :0"));
        QCOMPARE(log.lines[1], QStringLiteral("selected effect name: Korvanne MK3 0014"));
        QCOMPARE(log.lines[2], QStringLiteral("resource name: Korvanne_MK3_0014"));
        QCOMPARE(log.lines[3],
                 "filecontent (first 128 bytes): " + catalogue.ResourceLines[0].left(256));
        QCOMPARE(log.lines[3].size(), 31 + 256);
        QVERIFY(!log.scrolled.contains(false));
        QCOMPARE(catalogue.currentImage().algorithmNumber(), std::optional<std::uint32_t>(14));
    }

    void shortImageIsLoggedWhole() {
        EffectCatalogue catalogue;
        test::RecordingLog log;
        QVERIFY(catalogue.GetResourceFile(3, "Short Image 1", log).ok());
        QCOMPARE(log.lines, (QStringList{"efx index :3", "selected effect name: Short Image 1",
                                         "resource name: Short_Image_1",
                                         "filecontent (first 128 bytes): 0011AB"}));
    }

    void pickOfAMissingImageStopsAfterLoading() {
        EffectCatalogue catalogue;
        test::RecordingLog log;
        QVERIFY(catalogue.loadEffectList().ok());
        const ResourceLoad loaded = catalogue.GetResourceFile(1, "Korvanne MK3 0099", log);
        QVERIFY(!loaded.ok());
        QVERIFY(loaded.error.contains("Korvanne_MK3_0099"));
        QCOMPARE(catalogue.SelectedEffectName, QStringLiteral("Korvanne MK3 0099"));
        QCOMPARE(log.lines, (QStringList{"efx index :1", "selected effect name: Korvanne MK3 0099",
                                         "resource name: Korvanne_MK3_0099"}));
        QCOMPARE(catalogue.ResourceLines, QStringList{"Korvanne MK3 0014"});
    }
};

QTEST_GUILESS_MAIN(EffectResourcesTest)
#include "effect_resources_test.moc"
