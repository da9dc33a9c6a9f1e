// Sending from the queue, time-outs, giving up, closing a failing port, timing.
#include "link_fixture.h"

#include <QtTest>

namespace {
const QByteArray POLL = ":0141BE\r\n";
}

class TestSupervision : public QObject {
    Q_OBJECT
private slots:
    void sendsOnEveryFifthPass();
    void silentSensorCycle();
    void wrongChecksumInTimeOutPass();
    void answerInTimeOutPassCounts();
    void threeFailedSends_data();
    void threeFailedSends();
    void vanishedDeviceClosesOnce();
    void portChangeWhileWaiting();
    void tickCounterWraps();
    void timingWindow();
    void noHighResolutionCounter();
};

void TestSupervision::sendsOnEveryFifthPass()
{
    LinkFixture f;
    f.poll();
    QCOMPARE(f.passesUntilSent(), 5);
    QCOMPARE(f.line().written, POLL);
    QCOMPARE(f.link.Tr_Wait, int16_t(1));
    // One frame per pass at most, and none while the answer is awaited.
    f.passes(10);
    QCOMPARE(f.line().written, POLL);
}

void TestSupervision::silentSensorCycle()
{
    LinkFixture f;
    f.poll();
    f.passes(5);
    for (int timeout = 1; timeout <= 20; ++timeout) {
        f.passes(10);
        QCOMPARE(f.link.counters.Time_out, timeout - 1);
        f.passes(1);
        QCOMPARE(f.link.counters.Time_out, timeout);
        QCOMPARE(f.line().written, POLL.repeated(timeout + 1)); // resent each time
    }
    QVERIFY(f.view.posted.isEmpty());
    f.passes(11);
    QCOMPARE(f.link.counters.Time_out, 21);
    QCOMPARE(f.label(Lbl::Time_out), QString("21"));
    QCOMPARE(f.line().written, POLL.repeated(21));
    QCOMPARE(f.link.nCmdQueue, int16_t(0));
    QCOMPARE(f.link.LinkOk, int16_t(0));
    QCOMPARE(f.link.Tr_Wait, int16_t(0));
    QCOMPARE(f.view.panels[4], QString("Нет связи"));
    QCOMPARE(f.view.posted, QVector<int>{WM_LINK_LOST});

    // The next poll runs the same cycle without another message.
    f.poll();
    f.passes(5 + 21 * 11);
    QCOMPARE(f.link.counters.Time_out, 42);
    QCOMPARE(f.view.posted.size(), 1);
    QVERIFY(f.link.hCom);
}

void TestSupervision::wrongChecksumInTimeOutPass()
{
    LinkFixture f;
    f.poll();
    f.passes(5 + 10);
    f.feed(":0141BF\r\n");
    f.passes(1); // the time-out falls in this pass
    QCOMPARE(f.link.counters.KS_ERR, 1);
    QCOMPARE(f.link.counters.Time_out, 0);
    QCOMPARE(f.line().written, POLL.repeated(2)); // resent all the same
    QCOMPARE(f.link.nCmdQueue, int16_t(1));
    // The mark lasts one pass: the next time-out counts.
    f.passes(11);
    QCOMPARE(f.link.counters.Time_out, 1);
}

void TestSupervision::answerInTimeOutPassCounts()
{
    LinkFixture f;
    f.poll();
    f.passes(5 + 10);
    f.feed(POLL);
    f.passes(1);
    QCOMPARE(f.link.counters.Time_out, 0);
    QCOMPARE(f.link.nCmdQueue, int16_t(0));
    QCOMPARE(f.line().written, POLL);
}

void TestSupervision::threeFailedSends_data()
{
    QTest::addColumn<int>("linkOk");
    QTest::addColumn<bool>("announced");
    QTest::newRow("link up") << 1 << true;
    QTest::newRow("undecided") << 2 << true;
    QTest::newRow("already lost") << 0 << false;
}

void TestSupervision::threeFailedSends()
{
    QFETCH(int, linkOk);
    QFETCH(bool, announced);
    LinkFixture f;
    f.link.LinkOk = int16_t(linkOk);
    f.line().failFromByte = 0;
    f.poll();
    f.passes(10);
    QCOMPARE(f.link.Tr_Fail, int16_t(2));
    QVERIFY(f.link.hCom);
    f.passes(5);
    QVERIFY(!f.link.hCom);
    QVERIFY(!f.line().open);
    QCOMPARE(f.link.nCmdQueue, int16_t(0));
    QCOMPARE(f.link.LinkOk, int16_t(0));
    QVERIFY(f.view.timerRv); // the timer goes on, the passes do nothing
    QCOMPARE(f.view.panels[2], QString(announced ? "COM1 выключен" : "COM1 включён"));
    QCOMPARE(f.view.panels.value(4), QString(announced ? "Нет связи" : ""));
    QCOMPARE(f.view.posted, announced ? QVector<int>{WM_LINK_LOST} : QVector<int>{});

    // Counters stop moving until a port is picked again.
    f.feed(POLL);
    f.poll();
    f.passes(20);
    QCOMPARE(f.link.counters.N_rv_byte, 0);
    f.line().failFromByte = -1;
    f.link.ComboBox1Click("COM1");
    QVERIFY(f.link.hCom);
    QCOMPARE(f.link.Tr_Fail, int16_t(0));
}

void TestSupervision::vanishedDeviceClosesOnce()
{
    LinkFixture f;
    f.poll();
    f.passes(5);
    f.feed(POLL);
    f.passes(1);
    QCOMPARE(f.link.LinkOk, int16_t(1));

    f.line().gone = true; // the adapter was pulled out
    f.feed(POLL);
    for (int i = 0; i < 100; ++i) {
        f.poll();
        f.passes(1);
    }
    QVERIFY(!f.link.hCom);
    QCOMPARE(f.view.posted, (QVector<int>{WM_LINK_RESTORED, WM_LINK_LOST}));
    QCOMPARE(f.view.panels[2], QString("COM1 выключен"));
    QCOMPARE(f.link.counters.N_rv_byte, 9);
}

void TestSupervision::portChangeWhileWaiting()
{
    LinkFixture f;
    f.opener.line("COM2");
    f.poll();
    f.passes(5 + 3);
    f.link.ComboBox1Click("COM2");
    QCOMPARE(f.link.Tr_Wait, int16_t(1));
    QCOMPARE(f.link.nCmdQueue, int16_t(0));
    // The time-out falls on the new port with the head empty: nothing is sent.
    f.passes(8);
    QCOMPARE(f.link.counters.Time_out, 1);
    QVERIFY(f.opener.lines["COM2"].written.isEmpty());
    // Once a poll is queued, the next time-out sends it.
    f.poll();
    f.passes(11);
    QCOMPARE(f.link.counters.Time_out, 2);
    QCOMPARE(f.opener.lines["COM2"].written, POLL);
}

void TestSupervision::tickCounterWraps()
{
    LinkFixture f;
    f.link.Tick_Cnt = 65534;
    f.poll();
    f.passes(1); // 65535: a multiple of 5
    QCOMPARE(f.line().written, POLL);
    const uint16_t read[2] = {0x0162, 0xFF9D};
    f.link.Put_Cmd(':', read, 2);
    f.feed(POLL);
    f.passes(1); // 0: a multiple of 5 too, so the next command follows at once
    QCOMPARE(f.link.Tick_Cnt, uint16_t(0));
    QCOMPARE(f.line().written, POLL + ":01629D\r\n");
}

void TestSupervision::timingWindow()
{
    LinkFixture f;
    qint64 now = 0;
    QVector<qint64> durations(100, 200'000);   // 200 µs a pass
    durations[17] = 3'500'000;                 // one slow pass in the first window
    durations[60] = 1'250'000;
    int pass = 0;
    bool start = true;
    f.link.Tm_Clock = [&] {
        if (!start)
            now += durations[pass++];
        start = !start;
        return now;
    };
    for (int i = 0; i < 49; ++i)
        f.link.TimerRvTimer();
    QVERIFY(!f.view.labels.contains(Lbl::Label35));
    f.link.TimerRvTimer();
    QCOMPARE(f.label(Lbl::Label35), QString("3500"));
    QCOMPARE(f.label(Lbl::Label37), QString("3"));
    for (int i = 0; i < 50; ++i)
        f.link.TimerRvTimer();
    QCOMPARE(f.label(Lbl::Label35), QString("1250"));
    QCOMPARE(f.label(Lbl::Label37), QString("1"));
    QCOMPARE(f.view.labelWrites[Lbl::Label35], 2);
}

void TestSupervision::noHighResolutionCounter()
{
    LinkFixture f;
    f.link.Tm_Clock = [] { return qint64(-1); };
    for (int i = 0; i < 120; ++i)
        f.link.TimerRvTimer();
    QCOMPARE(f.label(Lbl::Label35), QString("Измерение невозможно"));
    QCOMPARE(f.view.labelWrites[Lbl::Label35], 1);
    QCOMPARE(f.label(Lbl::Label37), QString("0"));
}

QTEST_GUILESS_MAIN(TestSupervision)
#include "tst_supervision.moc"
