// The link engine against the simulator executable over a real pseudo-terminal:
// a healthy conversation, then the simulator goes away.
#include "cpu_time.h"
#include "link/link.h"
#include "link/serial_port.h"
#include "link_fixture.h"

#include <QProcess>
#include <QtTest>

namespace {


// Runs the event loop for ms milliseconds, with a receive pass every 40 ms and
// a poll every pollMs, as the window's timers would.
void run(Link &link, int ms, int pollMs)
{
    QEventLoop loop;
    QTimer rv, poll;
    QObject::connect(&rv, &QTimer::timeout, [&] { link.TimerRvTimer(); });
    QObject::connect(&poll, &QTimer::timeout, [&] { link.Timer1Timer(); });
    rv.start(40);
    poll.start(pollMs);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

class TestLinkWithSim : public QObject {
    Q_OBJECT
private slots:
    void conversationThenSimulatorGone();
};

void TestLinkWithSim::conversationThenSimulatorGone()
{
    QProcess sim;
    sim.setProgram(QStringLiteral(SIM_EXE));
    sim.setArguments({"--seed", "5"});
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start();
    QVERIFY(sim.waitForStarted(5000));
    QVERIFY(QTest::qWaitFor([&] { return sim.canReadLine(); }, 5000));
    const QString slave = QString::fromLocal8Bit(sim.readLine()).trimmed();

    RecordingView view;
    SerialPortOpener opener;
    RecordingSink sink;
    Link link(view, opener);
    link.sink = &sink;
    link.ComboBox1Click(slave);
    QCOMPARE(view.panels[2], slave + " включён");

    run(link, 2000, 250);

    const LinkCounters &c = link.counters;
    QCOMPARE(link.LinkOk, int16_t(1));
    QCOMPARE(view.posted, QVector<int>{WM_LINK_RESTORED});
    QCOMPARE(c.Time_out, 0);
    QCOMPARE(c.KS_ERR, 0);
    QCOMPARE(c.Overflow_buffer, 0);
    QVERIFY2(c.N_tr_frame >= 6, qPrintable(QString::number(c.N_tr_frame)));
    QCOMPARE(c.N_tr_byte, 9 * c.N_tr_frame);
    // Every accepted frame is a poll answer or a measurement.
    const int answers = c.N_rv_frame - int(sink.measures.size());
    QVERIFY(answers >= c.N_tr_frame - 1 && answers <= c.N_tr_frame);
    QVERIFY2(sink.measures.size() >= 150, qPrintable(QString::number(sink.measures.size())));
    QCOMPARE(view.labels[Lbl::N_rv_byte], QString::number(c.N_rv_byte));
    QCOMPARE(view.panels[0], QString("65"));

    // The simulator ends: its side of the line closes.
    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    const qint64 cpu0 = cpuMicroseconds();
    QElapsedTimer wall;
    wall.start();
    run(link, 2500, 250);
    const qint64 cpu = cpuMicroseconds() - cpu0;

    QVERIFY(!link.hCom);
    QCOMPARE(view.posted, (QVector<int>{WM_LINK_RESTORED, WM_LINK_LOST}));
    QCOMPARE(view.panels[2], slave + " выключен");
    QCOMPARE(view.panels[4], QString("Нет связи"));
    QVERIFY2(cpu < wall.elapsed() * 1000 / 4, qPrintable(QString("CPU %1 us in %2 ms").arg(cpu).arg(wall.elapsed())));
}

QTEST_GUILESS_MAIN(TestLinkWithSim)
#include "tst_link_with_sim.moc"
