// The preset file format: what is written, what is read back and what is refused.
#include "operations/preset_file.h"

#include <QTest>

using namespace korvanne;

namespace {

ParameterValues sampleValues() {
    ParameterValues v{};
    for (std::size_t k = 0; k < v.size(); ++k) v[k] = std::uint32_t(0x00100000 * k + k);
    v[0] = KnobMaximumValue;
    v[1] = 0x00400000;
    return v;
}

QByteArray bytesOf(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

}  // namespace

class PresetFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aWrittenFileHasTheFixedShape() {
        const QByteArray file = bytesOf(presetFileBytes(sampleValues()));
        QCOMPARE(file.size(), qsizetype(PresetFileSize));
        QVERIFY(
            file.startsWith("\xEF\xBB\xBF"
                            "007FE000\r00400000\r"));
        QCOMPARE(file.count('\r'), qsizetype(18));
        QCOMPARE(file.count('\n'), qsizetype(0));
        QVERIFY(file.endsWith(QByteArray::fromStdString(hex8Text(sampleValues()[18]))));
    }

    void linesLoadAlike_data() {
        QTest::addColumn<QByteArray>("file");
        const QByteArray cr = bytesOf(presetFileBytes(sampleValues()));
        QByteArray crlf = cr;
        crlf.replace("\r", "\r\n");
        QByteArray lf = cr;
        lf.replace('\r', '\n');
        QTest::newRow("CR, as written") << cr;
        QTest::newRow("CR LF") << crlf;
        QTest::newRow("LF") << lf;
        QTest::newRow("lower case") << cr.toLower();
        QTest::newRow("no byte-order mark") << cr.mid(3);
        QTest::newRow("a line end after the last line") << cr + "\r\n";
        QTest::newRow("blanks at the end of lines") << QByteArray(cr).replace("\r", " \t\r");
        // Only the first nineteen lines are read.
        QTest::newRow("twenty lines") << cr + "\r00000000";
        QTest::newRow("lines after the nineteenth, not values") << cr + "\r\rnotes: warm\r";
    }
    void linesLoadAlike() {
        QFETCH(QByteArray, file);
        const PresetParse p = parsePresetFile(file.toStdString());
        QVERIFY2(p.content, p.error.c_str());
        const ParameterValues expected = sampleValues();
        QCOMPARE(p.content->values, std::vector<std::uint32_t>(expected.begin(), expected.end()));
        QCOMPARE(p.content->fields.size(), std::size_t(19));
    }

    void malformedFilesAreRefusedNamingTheLine_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");
        const QByteArray good = bytesOf(presetFileBytes(sampleValues())).mid(3);
        QTest::newRow("ZZ000010 on line 2")
            << QByteArray(good).replace("00400000", "ZZ000010")
            << "line 2 is not eight hexadecimal digits (\"ZZ000010\")";
        QTest::newRow("0000001Z on line 1")
            << QByteArray(good).replace("007FE000", "0000001Z") << "line 1 is not";
        QTest::newRow("a blank in front of line 2")
            << QByteArray(good).replace("\r00400000", "\r 00400000") << "line 2 is not";
        QTest::newRow("nine digits")
            << QByteArray(good).replace("007FE000", "007FE0001") << "line 1 is not";
        QTest::newRow("an empty line in between")
            << QByteArray(good).replace("\r00400000", "\r\r00400000") << "line 2 is not";
        QTest::newRow("empty") << QByteArray() << "holds no parameter values";
        QTest::newRow("only a mark") << QByteArray("\xEF\xBB\xBF") << "holds no parameter values";
        QTest::newRow("a control character is shown escaped")
            << QByteArray(good).replace("007FE000", QByteArray("007FE00\x01", 8))
            << "(\"007FE00\\x01\")";
    }
    void malformedFilesAreRefusedNamingTheLine() {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        const PresetParse p = parsePresetFile(file.toStdString());
        QVERIFY(!p.content);
        QVERIFY2(QString::fromStdString(p.error).contains(error), p.error.c_str());
    }

    void olderPresetsWithSeventeenLinesLoad() {
        QByteArray file = bytesOf(presetFileBytes(sampleValues()));
        file.truncate(3 + 17 * 9 - 1);
        const PresetParse p = parsePresetFile(file.toStdString());
        QVERIFY2(p.content, p.error.c_str());
        QCOMPARE(p.content->values.size(), std::size_t(17));
        QCOMPARE(p.content->values[16], sampleValues()[16]);
    }

    void reverseBytePairs_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("reversed");
        QTest::newRow("eight") << "AABBCCDD"
                               << "DDCCBBAA";
        QTest::newRow("six") << "AABBCC"
                             << "CCBBAA";
        QTest::newRow("odd length drops the lone digit") << "AABBC"
                                                         << "BBAA";
        QTest::newRow("empty") << ""
                               << "";
    }
    void reverseBytePairs() {
        QFETCH(QString, field);
        QTEST(QString::fromStdString(ReverseBytePairs(field.toStdString())), "reversed");
    }

    void saveNames_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("saved");
        QTest::newRow("ends in .txt") << "/p/preset.txt"
                                      << "/p/preset.txt";
        QTest::newRow("upper case extension is not it") << "/p/preset.TXT"
                                                        << "/p/preset.TXT.txt";
        QTest::newRow("no extension") << "/p/preset"
                                      << "/p/preset.txt";
    }
    void saveNames() {
        QFETCH(QString, chosen);
        QTEST(QString::fromStdString(presetSaveName(chosen.toStdString())), "saved");
    }

    void loadLabels() {
        QCOMPARE(presetLoadLabel(0), std::string("Dry: "));
        QCOMPARE(presetLoadLabel(11), std::string("Wave2_Pitch: "));
        QCOMPARE(presetLoadLabel(16), std::string("Limit Range UP: "));
        QCOMPARE(presetLoadLabel(17), std::string());
    }

private:
    static std::string hex8Text(std::uint32_t v) {
        char text[9];
        std::snprintf(text, sizeof text, "%08X", v);
        return text;
    }
};

QTEST_APPLESS_MAIN(PresetFileTest)
#include "preset_file_test.moc"
