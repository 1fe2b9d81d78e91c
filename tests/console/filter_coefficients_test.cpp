// The filter coefficient generator's arithmetic and text, from the system's own examples.
#include "console/filter_coefficients.h"

#include <QtTest>
#include <cmath>
#include <string>
#include <vector>

using namespace korvanne::filter;

namespace {

QStringList toQt(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& l : lines) out << QString::fromStdString(l);
    return out;
}

// The five coefficient lines for five 32-bit values, laid out as the generator writes them.
QStringList coefficientLines(const QList<quint32>& v) {
    QStringList out;
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QString hex = QString("%1").arg(v[i], 8, 16, QChar('0')).toUpper();
        QStringList pairs;
        for (int p = 0; p < 4; ++p) pairs << "'" + hex.mid(2 * p, 2) + "'";
        QString line = pairs.join(", ");
        line = i == 0 ? "(" + line + ", " : i == 4 ? line + ");" : line + ", ";
        out << line;
    }
    return out;
}

}  // namespace

class FilterCoefficientsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void table_data() {
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("offset");
        QTest::addColumn<double>("q");
        QTest::addColumn<double>("boost");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QList<quint32>>("values");
        QTest::newRow("worked example")
            << "A2" << 0 << 1.41 << 6.0 << "A2_6db_boost_Q1.41 : array[0..19] of string ="
            << QList<quint32>{0x00807576, 0xFF00F2CE, 0x007E9E81, 0x00FF0D32, 0xFF80EC09};
        QTest::newRow("start values")
            << "A2" << 0 << 11.0 << -6.0 << "A2_6db_cut_Q11 : array[0..19] of string ="
            << QList<quint32>{0x007FF0E7, 0xFF004351, 0x007FD291, 0x00FFBCAF, 0xFF803C88};
    }
    void table() {
        QFETCH(QString, note);
        QFETCH(int, offset);
        QFETCH(double, q);
        QFETCH(double, boost);
        QFETCH(QString, header);
        QFETCH(QList<quint32>, values);
        const auto lines =
            coefficientTable(note.toStdString(), CalcNoteFrequency(offset), q, boost);
        QVERIFY(lines);
        QCOMPARE(toQt(*lines), QStringList{header} + coefficientLines(values));
        // The layout, trailing blanks included.
        QVERIFY(lines->at(1).starts_with("('") && lines->at(1).ends_with("', "));
        QVERIFY(lines->at(4).ends_with("', "));
        QVERIFY(lines->at(5).ends_with("');"));
    }

    // A gain of 0 dB makes the filter flat: b0 is one, the feedback cancels the feed-forward.
    void zeroGainIsFlat_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<double>("q");
        QTest::newRow("A1 Q 1.41") << -12 << 1.41;
        QTest::newRow("A2 Q 11") << 0 << 11.0;
        QTest::newRow("G#5 Q 0.5") << 35 << 0.5;
    }
    void zeroGainIsFlat() {
        QFETCH(int, offset);
        QFETCH(double, q);
        const Coefficients c = peakingEqualiser(CalcNoteFrequency(offset), q, 0.0);
        QCOMPARE(toFixedPoint(c.b0), 0x00800000u);
        QCOMPARE(toFixedPoint(c.c3), 0u - toFixedPoint(c.b1));
        QCOMPARE(toFixedPoint(c.c4), 0u - toFixedPoint(c.b2));
        const auto lines = coefficientTable("A2", CalcNoteFrequency(offset), q, 0.0);
        QVERIFY(lines && QString::fromStdString(lines->front()).contains("_0db_boost_Q"));
        QCOMPARE(lines->at(1), std::string("('00', '80', '00', '00', "));
    }

    void noteFrequencies_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("hz");
        QTest::newRow("A1") << 0 << "A1" << 55.0;
        QTest::newRow("A2") << 12 << "A2" << 110.0;
        QTest::newRow("A3") << 24 << "A3" << 220.0;
        QTest::newRow("G#5") << 47 << "G#5" << 830.6093951598903;  // 110 × 2^(35/12)
    }
    void noteFrequencies() {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(double, hz);
        QCOMPARE(QString::fromLatin1(noteNames()[std::size_t(index)].data(),
                                     qsizetype(noteNames()[std::size_t(index)].size())),
                 name);
        QCOMPARE(CalcNoteFrequency(index - ReferenceIndex), hz);
    }
    void gSharp5IsAbout830Hz() { QVERIFY(std::abs(CalcNoteFrequency(35) - 830.61) < 0.01); }

    void roundingAndWrap_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<quint32>("fixed");
        const double lsb = 1.0 / FixedPointOne;
        QTest::newRow("one") << 1.0 << 0x00800000u;
        QTest::newRow("minus one") << -1.0 << 0xFF800000u;
        QTest::newRow("half step down to even") << 2.5 * lsb << 2u;
        QTest::newRow("half step up to even") << 3.5 * lsb << 4u;
        QTest::newRow("negative half to even") << -2.5 * lsb << 0xFFFFFFFEu;
        QTest::newRow("just above half") << 2.5000001 * lsb << 3u;
        QTest::newRow("beyond 32 bits keeps the low bits") << 512.0 + lsb << 1u;
        QTest::newRow("beyond any double once scaled") << 1e308 << 0u;
    }
    void roundingAndWrap() {
        QFETCH(double, value);
        QFETCH(quint32, fixed);
        QCOMPARE(toFixedPoint(value), fixed);
    }

    void decimalText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 6.0 << "."
                               << "6";
        QTest::newRow("two places") << 1.41 << "."
                                    << "1.41";
        QTest::newRow("comma") << 1.41 << ","
                               << "1,41";
        QTest::newRow("small, no exponent") << 0.00001 << "."
                                            << "0.00001";
        QTest::newRow("large, no exponent") << 1e7 << "."
                                            << "10000000";
    }
    void decimalText() {
        QFETCH(double, value);
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(shortestDecimal(value, separator.toStdString())), text);
    }

    void headerUsesTheSeparator() {
        const auto lines = coefficientTable("C#3", 138.59, 0.75, -2.5, ",");
        QVERIFY(lines);
        QCOMPARE(lines->front(), std::string("C#3_2,5db_cut_Q0,75 : array[0..19] of string ="));
    }

    void noFilterWithoutAPositiveQ_data() {
        QTest::addColumn<double>("q");
        QTest::addColumn<double>("boost");
        QTest::newRow("Q 0") << 0.0 << 6.0;
        QTest::newRow("Q below 0") << -1.0 << 6.0;
        QTest::newRow("Q not a number") << std::nan("") << 6.0;
        QTest::newRow("gain beyond range") << 1.0 << 1e308;
        // b0 is about 7e302: a finite double, but not once scaled by 2^23.
        QTest::newRow("coefficient beyond fixed point") << 1.0 << 12200.0;
    }
    void noFilterWithoutAPositiveQ() {
        QFETCH(double, q);
        QFETCH(double, boost);
        QVERIFY(!coefficientTable("A2", 110.0, q, boost));
    }
};

QTEST_APPLESS_MAIN(FilterCoefficientsTest)
#include "filter_coefficients_test.moc"
