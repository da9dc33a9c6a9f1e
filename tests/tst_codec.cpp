// Frame codec: hex digits, words, checksum of commands and received bodies.
#include "link/codec.h"

#include <QtTest>

class TestCodec : public QObject {
    Q_OBJECT
private slots:
    void checkBody_data();
    void checkBody();
    void calcKs_data();
    void calcKs();
    void hexDigitIsUpperCase();
    void wordsReadAlikeInBothCases();
    void shortBodiesReadNothingOutside_data();
    void shortBodiesReadNothingOutside();
};

void TestCodec::checkBody_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("result");
    QTest::newRow("poll answer") << QByteArray("0141BE") << 0;
    QTest::newRow("wrong checksum") << QByteArray("0141BF") << -9;
    QTest::newRow("odd length") << QByteArray("0141B") << -9;
    QTest::newRow("data word") << QByteArray("014112348A") << 0;
    QTest::newRow("high data byte ignored") << QByteArray("014199348A") << 0;
    QTest::newRow("lower case") << QByteArray("014112348a") << 0;
    QTest::newRow("wrong data low byte") << QByteArray("014112358A") << -9;
    QTest::newRow("address FF") << QByteArray("FF41C0") << 0;
    QTest::newRow("four-value frame") << QByteArray("0141000000000000000000000000000000000000BE") << 0;
    // 4k characters: the last group overlaps the checksum digits.
    QTest::newRow("4k body summed with overlap") << QByteArray("0141005F") << 0;
    QTest::newRow("4k body failing") << QByteArray("01410077") << -9;
    QTest::newRow("empty") << QByteArray("") << -9;
    QTest::newRow("two digits") << QByteArray("BE") << -9;
    QTest::newRow("four digits") << QByteArray("0141") << -9;
    QTest::newRow("non-hex garbage") << QByteArray("zz41BE") << -9;
}

void TestCodec::checkBody()
{
    QFETCH(QByteArray, body);
    QFETCH(int, result);
    QCOMPARE(int(Check_KS(body.constData())), result);
}

void TestCodec::calcKs_data()
{
    QTest::addColumn<QList<int>>("words");
    QTest::addColumn<int>("ks");
    QTest::newRow("poll") << QList<int>{0x0141} << 0xFFBE;
    QTest::newRow("read address") << QList<int>{0x0162} << 0xFF9D;
    QTest::newRow("one data word") << QList<int>{0x0141, 0x1234} << 0xED8A;
    QTest::newRow("write address 300") << QList<int>{0x0160, 0x012C, 0x0001} << 0xFE72;
    QTest::newRow("threshold flank 2, 0.5") << QList<int>{0x0154, 0x0001, 0x0000, 0x3F00} << 0xC0AA;
}

void TestCodec::calcKs()
{
    QFETCH(QList<int>, words);
    QFETCH(int, ks);
    QVector<uint16_t> w;
    for (int v : words)
        w << uint16_t(v);
    const uint16_t got = Calc_KS(w.constData(), uint16_t(w.size()));
    QCOMPARE(got & 0xFF, ks & 0xFF); // only the low byte reaches the line
    QCOMPARE(int(got), ks);
    // What the transmitter computes, the receiver accepts.
    w << got;
    QByteArray frame(4 * w.size() + 4, '\0');
    frame.truncate(qsizetype(Encode_Frame(':', w.constData(), uint16_t(w.size()), frame.data())));
    QVERIFY(frame.endsWith("\r\n"));
    const QByteArray body = frame.mid(1, frame.size() - 3);
    QCOMPARE(int(Check_KS(body.constData())), 0);
}

void TestCodec::hexDigitIsUpperCase()
{
    const QByteArray expected = "0123456789ABCDEF";
    for (uint16_t v = 0; v < 16; ++v)
        QCOMPARE(Hex_Digit(v), expected[v]);
    for (char c : expected)
        QCOMPARE(int(Hex_Value(c)), expected.indexOf(c));
}

void TestCodec::wordsReadAlikeInBothCases()
{
    QCOMPARE(Hex_Word("01ab", 0), uint16_t(0x01AB));
    QCOMPARE(Hex_Word("01AB", 0), uint16_t(0x01AB));
    QCOMPARE(Hex_Word("xx00FF41", 4), uint16_t(0xFF41));
}

void TestCodec::shortBodiesReadNothingOutside_data()
{
    QTest::addColumn<int>("length");
    for (int n = 0; n < 6; ++n)
        QTest::addRow("%d characters", n) << n;
}

void TestCodec::shortBodiesReadNothingOutside()
{
    // The body sits at the very end of an allocation; anything read past the
    // terminator would be caught by the sanitizers, and the result is a reject.
    QFETCH(int, length);
    QByteArray body(length, '0');
    std::unique_ptr<char[]> exact(new char[size_t(length) + 1]);
    std::memcpy(exact.get(), body.constData(), size_t(length) + 1);
    QCOMPARE(int(Check_KS(exact.get())), -9);
}

QTEST_APPLESS_MAIN(TestCodec)
#include "tst_codec.moc"
