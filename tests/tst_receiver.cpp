// The receive pass: frame assembly, checks, answers, measurement hand-off.
#include "link_fixture.h"

#include <QtTest>

class TestReceiver : public QObject {
    Q_OBJECT
private slots:
    void answerWhileAwaited();
    void assembly_data();
    void assembly();
    void answerWhileIdleRemovesUnsentHead();
    void measurementLeavesLinkAlone();
    void addressAnswerHandedOn();
    void overflowThenBodyWithoutKind();
    void passReadsEverythingWaiting();
    void noPortNoPass();
};

void TestReceiver::answerWhileAwaited()
{
    LinkFixture f;
    f.poll();
    QVERIFY(f.passesUntilSent() > 0);
    f.feed(":0141BE\r\n");
    f.passes(1);

    QCOMPARE(f.label(Lbl::N_rv_byte), QString("9"));
    QCOMPARE(f.label(Lbl::N_rv_frame), QString("1"));
    QCOMPARE(f.label(Lbl::Rv_SOF), QString("58"));
    QCOMPARE(f.label(Lbl::Rv_Adress), QString("1"));
    QCOMPARE(f.label(Lbl::Rv_Function), QString("65"));
    QCOMPARE(f.label(Lbl::Rv_Frame), QString("0141BE"));
    QCOMPARE(f.view.panels[0], QString("65"));
    QCOMPARE(f.view.panels[4], QString("Связь восстановлена"));
    QCOMPARE(f.view.posted, QVector<int>{WM_LINK_RESTORED});
    QCOMPARE(f.link.nCmdQueue, int16_t(0));
    QCOMPARE(f.link.Tr_Wait, int16_t(0));
    QCOMPARE(f.link.LinkOk, int16_t(1));

    // The link is up already: the next answer announces nothing.
    f.poll();
    QVERIFY(f.passesUntilSent() > 0);
    f.feed(":0141BE\r\n");
    f.passes(1);
    QCOMPARE(f.view.posted.size(), 1);
    QVERIFY(f.view.boxes.isEmpty()); // boxes come only through the posted message
}

void TestReceiver::assembly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("frames");   // accepted frames
    QTest::addColumn<int>("ksErrors");
    QTest::addColumn<QString>("lastBody");
    QTest::addColumn<int>("answers");  // answers taken (head commands removed)
    QTest::newRow("restart on start character")
        << QByteArray(":01:0141BE\r\n") << 1 << 0 << "0141BE" << 1;
    QTest::newRow("wrong checksum digit") << QByteArray(":0141BF\r\n") << 0 << 1 << "0141BF" << 0;
    QTest::newRow("LF without CR is data") << QByteArray(":0141\nBE\r\n") << 0 << 1 << "0141\nBE" << 0;
    QTest::newRow("CR without LF ends nothing") << QByteArray(":0141BE\r") << 0 << 0 << "" << 0;
    QTest::newRow("address FF") << QByteArray(":FF41C0\r\n") << 1 << 0 << "FF41C0" << 1;
    QTest::newRow("bytes without start character") << QByteArray("0141BE\r\n") << 1 << 0 << "0141BE" << 0;
    QTest::newRow("frame split over two reads") << QByteArray(":0141BE\r\n~01410000") << 1 << 0 << "0141BE" << 1;
    QTest::newRow("short body") << QByteArray(":BE\r\n") << 0 << 1 << "BE" << 0;
    QTest::newRow("empty body") << QByteArray(":\r\n") << 0 << 1 << "" << 0;
}

void TestReceiver::assembly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, frames);
    QFETCH(int, ksErrors);
    QFETCH(QString, lastBody);
    QFETCH(int, answers);
    LinkFixture f;
    f.poll();
    f.feed(bytes);
    f.passes(1);
    QCOMPARE(f.link.counters.N_rv_byte, int(bytes.size()));
    QCOMPARE(f.link.counters.N_rv_frame, frames);
    QCOMPARE(f.link.counters.KS_ERR, ksErrors);
    QCOMPARE(f.label(Lbl::Rv_Frame), lastBody);
    QCOMPARE(f.link.nCmdQueue, int16_t(1 - answers));
    if (frames)
        QCOMPARE(f.label(Lbl::Rv_Adress), QString(bytes.contains("FF41") ? "255" : "1"));
}

void TestReceiver::answerWhileIdleRemovesUnsentHead()
{
    LinkFixture f;
    f.poll();
    f.feed(":0160000000019E\r\n"); // any correct answer will do
    f.passes(1);                    // Tick_Cnt 1: nothing was sent
    QVERIFY(f.line().written.isEmpty());
    QCOMPARE(f.link.nCmdQueue, int16_t(0));
    QCOMPARE(f.label(Lbl::Rv_Function), QString("96"));
    QVERIFY(!f.view.panels.contains(0));
}

void TestReceiver::measurementLeavesLinkAlone()
{
    LinkFixture f;
    f.poll();
    QVERIFY(f.passesUntilSent() > 0);
    const QByteArray body = "0141000100000000000000000000000000000000BD";
    f.feed("~" + body + "\r\n~014500000012A8\r\n");
    f.passes(1);
    QCOMPARE(f.sink.measures, (QVector<SeenFrame>{{0x41, body}, {0x45, "014500000012A8"}}));
    QCOMPARE(f.label(Lbl::Rv_SOF), QString("126"));
    QCOMPARE(f.link.LinkOk, int16_t(2));
    QCOMPARE(f.link.Tr_Wait, int16_t(1));
    QCOMPARE(f.link.nCmdQueue, int16_t(1));
    QVERIFY(f.view.posted.isEmpty());
}

void TestReceiver::addressAnswerHandedOn()
{
    LinkFixture f;
    f.feed(":0162012C71\r\n");
    f.passes(1);
    QCOMPARE(f.sink.addresses, QVector<QByteArray>{"0162012C71"});
    QCOMPARE(f.link.LinkOk, int16_t(1)); // answer handling first
    QVERIFY(f.sink.measures.isEmpty());
}

void TestReceiver::overflowThenBodyWithoutKind()
{
    LinkFixture f;
    f.poll();
    f.feed(":" + QByteArray(1023, '0'));
    f.passes(1);
    QCOMPARE(f.link.counters.Overflow_buffer, 0); // a body may hold 1022 characters and its CR
    f.feed("0");
    f.passes(1);
    QCOMPARE(f.link.counters.Overflow_buffer, 1);
    QCOMPARE(f.label(Lbl::Overflow_buffer), QString("1"));
    QCOMPARE(f.link.Rv_Kind, int16_t(0));
    // What follows up to CR LF is a body of no kind: counted, nothing more.
    f.feed("0141BE\r\n");
    f.passes(1);
    QCOMPARE(f.link.counters.N_rv_frame, 1);
    QCOMPARE(f.link.nCmdQueue, int16_t(1));
    QCOMPARE(f.link.LinkOk, int16_t(2));
    QVERIFY(f.sink.measures.isEmpty());
}

void TestReceiver::passReadsEverythingWaiting()
{
    LinkFixture f;
    QByteArray many;
    for (int i = 0; i < 2000; ++i)
        many += "~014500000012A8\r\n";
    f.feed(many);
    f.passes(1);
    QVERIFY(f.line().incoming.isEmpty());
    QCOMPARE(f.sink.measures.size(), 2000);
    QCOMPARE(f.label(Lbl::N_rv_byte), QString::number(many.size()));
    QCOMPARE(f.label(Lbl::N_rv_frame), QString("2000"));
}

void TestReceiver::noPortNoPass()
{
    LinkFixture f;
    f.link.ComboBox1Click("COM7"); // missing
    f.feed(":0141BE\r\n");
    const uint16_t ticks = f.link.Tick_Cnt;
    f.passes(3);
    QCOMPARE(f.link.Tick_Cnt, ticks);
    QCOMPARE(f.link.counters.N_rv_byte, 0);
}

QTEST_GUILESS_MAIN(TestReceiver)
#include "tst_receiver.moc"
