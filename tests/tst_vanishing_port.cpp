// A real serial device that goes away: the port is handled once, nothing spins.
#include "cpu_time.h"
#include "link/link.h"
#include "link/serial_port.h"
#include "pty_pair.h"
#include "recording_view.h"

#include <QtTest>

class TestVanishingPort : public QObject {
    Q_OBJECT
private slots:
    void masterClosed();
};

void TestVanishingPort::masterClosed()
{
    PtyPair pty;
    QVERIFY(pty.ok());
    RecordingView view;
    SerialPortOpener opener;
    Link link(view, opener);
    link.ComboBox1Click(pty.slavePath());
    QVERIFY(link.hCom);

    link.Timer1Timer();
    for (int i = 0; i < 5; ++i)
        link.Rv_Data();
    QByteArray sent;
    QTRY_COMPARE((sent += pty.readMaster()), QByteArray(":0141BE\r\n"));
    pty.writeMaster(":0141BE\r\n");
    QTRY_VERIFY((QCoreApplication::processEvents(), link.Rv_Data(), link.LinkOk == 1));

    pty.closeMaster();
    // Left to itself the event loop stays idle: the failing device is not polled in a loop.
    const qint64 cpu0 = cpuMicroseconds();
    QEventLoop loop; // a real loop: QTest::qWait would sleep between its rounds
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    const qint64 cpu = cpuMicroseconds() - cpu0;
    QVERIFY2(cpu < 100000, qPrintable(QString("CPU time while idle: %1 us").arg(cpu)));
    QVERIFY(link.hCom->gone());

    // Reads yield nothing, sends fail: the third failed send closes the port.
    int passes = 0;
    while (link.hCom && passes < 200) {
        link.Timer1Timer();
        link.Rv_Data();
        QCoreApplication::processEvents();
        ++passes;
    }
    QVERIFY(!link.hCom);
    QCOMPARE(link.counters.N_rv_byte, 9);
    QCOMPARE(view.posted, (QVector<int>{WM_LINK_RESTORED, WM_LINK_LOST}));
    QCOMPARE(view.panels[2], pty.slavePath() + " выключен");

    // Picking the port again opens it when the device is back.
    PtyPair again;
    link.ComboBox1Click(again.slavePath());
    QVERIFY(link.hCom);
    QCOMPARE(view.panels[2], again.slavePath() + " включён");
}

QTEST_GUILESS_MAIN(TestVanishingPort)
#include "tst_vanishing_port.moc"
