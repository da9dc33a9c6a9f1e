// The transmit queue and the frames the transmitter puts on the line.
#include "link/codec.h"
#include "link_fixture.h"

#include <QtTest>

namespace {

QVector<uint16_t> command(QVector<uint16_t> words)
{
    words << Calc_KS(words.constData(), uint16_t(words.size()));
    return words;
}

} // namespace

class TestTransmitter : public QObject {
    Q_OBJECT
private slots:
    void frames_data();
    void frames();
    void queueHoldsThirtyTwo();
    void oneCommandPerFunctionCode();
    void tooLongIsRefusedWithBox();
    void failedWriteMidFrame();
    void lastFrameShownWhole();
    void functionCodeZeroHoldsTheQueue();
    void deleteMovesTheQueueUp();
};

void TestTransmitter::frames_data()
{
    QTest::addColumn<QVector<uint16_t>>("words");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("poll") << command({0x0141}) << QByteArray(":0141BE\r\n");
    QTest::newRow("read address") << command({0x0162}) << QByteArray(":01629D\r\n");
    QTest::newRow("write address 1") << command({0x0160, 1, 1}) << QByteArray(":0160000100019D\r\n");
    QTest::newRow("write address 300") << command({0x0160, 300, 1}) << QByteArray(":0160012C000172\r\n");
    QTest::newRow("write address 65535") << command({0x0160, 0xFFFF, 1}) << QByteArray(":0160FFFF00019F\r\n");
    QTest::newRow("threshold flank 1, 0.5") << command({0x0154, 0, 0x0000, 0x3F00}) << QByteArray(":0154000000003F00AB\r\n");
    QTest::newRow("threshold flank 2, 0.5") << command({0x0154, 1, 0x0000, 0x3F00}) << QByteArray(":0154000100003F00AA\r\n");
    QTest::newRow("threshold flank 1, 512") << command({0x0154, 0, 0x0000, 0x4400}) << QByteArray(":0154000000004400AB\r\n");
    QTest::newRow("one word") << QVector<uint16_t>{0xFFBE} << QByteArray(":BE\r\n");
}

void TestTransmitter::frames()
{
    QFETCH(QVector<uint16_t>, words);
    QFETCH(QByteArray, line);
    LinkFixture f;
    QCOMPARE(f.link.Send_Cmd1(':', words.constData(), uint16_t(words.size())), int16_t(0));
    QCOMPARE(f.line().written, line);
    QCOMPARE(f.label(Lbl::Tr_Frame), QString::fromLatin1(line));
    QCOMPARE(f.label(Lbl::N_tr_byte), QString::number(line.size()));
    QCOMPARE(f.label(Lbl::N_tr_frame), QString("1"));
    QCOMPARE(f.link.Tr_Wait, int16_t(1));
    QCOMPARE(f.link.Tr_Ticks, int16_t(0));
}

void TestTransmitter::queueHoldsThirtyTwo()
{
    LinkFixture f;
    for (uint16_t key = 1; key <= 33; ++key) {
        const auto words = command({uint16_t(0x0100 | key)});
        f.link.Put_Cmd(':', words.constData(), 2);
    }
    QCOMPARE(f.link.nCmdQueue, int16_t(32));
    QCOMPARE(f.link.CmdQueue[31].usKey, uint16_t(32));
    QVERIFY(f.view.boxes.isEmpty());
}

void TestTransmitter::oneCommandPerFunctionCode()
{
    LinkFixture f;
    const auto flank1 = command({0x0154, 0, 0x0000, 0x3F00});
    const auto flank2 = command({0x0154, 1, 0x0000, 0x4400});
    f.link.Put_Cmd(':', flank1.constData(), 5);
    f.link.Put_Cmd(':', flank2.constData(), 5); // other data, same function: dropped
    QCOMPARE(f.link.nCmdQueue, int16_t(1));
    QCOMPARE(f.link.CmdQueue[0].usData[1], uint16_t(0));

    // A poll while the previous one waits for its answer is dropped too.
    LinkFixture g;
    g.poll();
    QVERIFY(g.passesUntilSent() > 0);
    g.poll();
    g.poll();
    QCOMPARE(g.link.nCmdQueue, int16_t(1));
    QVERIFY(g.view.boxes.isEmpty());
}

void TestTransmitter::tooLongIsRefusedWithBox()
{
    LinkFixture f;
    f.poll();
    static uint16_t words[SIZE_TR_BUF + 1] = {0x0154};
    f.link.Put_Cmd(':', words, SIZE_TR_BUF + 1);
    QCOMPARE(f.link.nCmdQueue, int16_t(1));
    QCOMPARE(f.view.boxes, (QVector<RecordedBox>{{"Put_Cmd: usDataLen>SIZE_TR_BUF!", "Внимание", 48}}));

    QCOMPARE(f.link.Send_Cmd1(':', words, SIZE_TR_BUF + 1), int16_t(-2));
    QCOMPARE(f.view.boxes.last(), (RecordedBox{"Send_Cmd1: usDataLen>SIZE_TR_BUF!", "Внимание", 48}));
    QVERIFY(f.line().written.isEmpty());
}

void TestTransmitter::failedWriteMidFrame()
{
    LinkFixture f;
    const auto poll = command({0x0141});
    QCOMPARE(f.link.Send_Cmd1(':', poll.constData(), 2), int16_t(0));
    f.link.Tr_Wait = 0;
    f.line().failFromByte = f.line().written.size() + 2; // the third character fails

    QCOMPARE(f.link.Send_Cmd1(':', poll.constData(), 2), int16_t(-2));

    QCOMPARE(f.line().written, QByteArray(":0141BE\r\n:0"));
    QCOMPARE(f.link.counters.N_tr_byte, 11);
    QCOMPARE(f.label(Lbl::N_tr_byte), QString("9")); // catches up with the next whole frame
    QCOMPARE(f.label(Lbl::N_tr_frame), QString("1"));
    QCOMPARE(f.label(Lbl::Tr_Frame), QString(":0141BE\r\n"));
    QCOMPARE(f.link.Tr_Wait, int16_t(0));
}

void TestTransmitter::lastFrameShownWhole()
{
    LinkFixture f;
    const auto threshold = command({0x0154, 0, 0x0000, 0x3F00});
    const auto poll = command({0x0141});
    f.link.Send_Cmd1(':', threshold.constData(), 5);
    f.link.Send_Cmd1(':', poll.constData(), 2);
    QCOMPARE(f.label(Lbl::Tr_Frame), QString(":0141BE\r\n"));

    // A frame longer than the text shows its beginning and nothing else.
    QVector<uint16_t> longWords(40, 0x1111);
    longWords[0] = 0x0170;
    longWords = command(longWords.mid(0, 39));
    QCOMPARE(f.link.Send_Cmd1(':', longWords.constData(), 40), int16_t(0));
    QCOMPARE(f.label(Lbl::Tr_Frame).size(), 99);
    QVERIFY(f.label(Lbl::Tr_Frame).startsWith(":01701111"));
}

void TestTransmitter::functionCodeZeroHoldsTheQueue()
{
    LinkFixture f;
    const auto zero = command({0x0100});
    f.link.Put_Cmd(':', zero.constData(), 2);
    f.poll();
    QCOMPARE(f.link.nCmdQueue, int16_t(2));
    f.passes(20);
    QVERIFY(f.line().written.isEmpty());
    QCOMPARE(f.link.nCmdQueue, int16_t(2));
}

void TestTransmitter::deleteMovesTheQueueUp()
{
    LinkFixture f;
    for (uint16_t w : {0x0141, 0x0154, 0x0162}) {
        const auto c = command({w});
        f.link.Put_Cmd(':', c.constData(), 2);
    }
    f.link.Del_Cmd();
    QCOMPARE(f.link.nCmdQueue, int16_t(2));
    QCOMPARE(f.link.CmdQueue[0].usKey, uint16_t(0x54));
    QCOMPARE(f.link.CmdQueue[1].usKey, uint16_t(0x62));
    QCOMPARE(f.link.CmdQueue[2].usKey, uint16_t(0));
    f.link.Del_Cmd();
    f.link.Del_Cmd();
    f.link.Del_Cmd(); // on an empty queue: nothing
    QCOMPARE(f.link.nCmdQueue, int16_t(0));
    const auto c = command({0x0154});
    f.link.Put_Cmd(':', c.constData(), 2); // the function is free again
    QCOMPARE(f.link.nCmdQueue, int16_t(1));
}

QTEST_GUILESS_MAIN(TestTransmitter)
#include "tst_transmitter.moc"
