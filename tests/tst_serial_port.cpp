// Opening and switching the serial port: real pseudo-terminals and missing devices.
#include "fake_port.h"
#include "link/link.h"
#include "link/port_names.h"
#include "link/serial_port.h"
#include "pty_pair.h"
#include "recording_view.h"

#include <QtTest>

class TestSerialPort : public QObject {
    Q_OBJECT
private slots:
    void deviceNames_data();
    void deviceNames();
    void listStartsWithComPorts();
    void openPtyResetsLink();
    void lineSettingsOnTheDevice();
    void missingDeviceStaysOff();
    void reopenSamePort();
    void switchToMissingPort();
    void refusedForPermissionExplainsAccess();
    void bytesBothWays();
};

void TestSerialPort::deviceNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("device");
    QTest::newRow("COM1") << "COM1" << "/dev/ttyS0";
    QTest::newRow("COM9") << "COM9" << "/dev/ttyS8";
    QTest::newRow("path") << "/dev/pts/7" << "/dev/pts/7";
    QTest::newRow("COM10 is no list name") << "COM10" << "COM10";
    QTest::newRow("lower case") << "com3" << "com3";
}

void TestSerialPort::deviceNames()
{
    QFETCH(QString, name);
    QFETCH(QString, device);
    QCOMPARE(Port_Device(name), device);
}

void TestSerialPort::listStartsWithComPorts()
{
    const QStringList list = Port_List();
    QVERIFY(list.size() >= 9);
    for (int i = 0; i < 9; ++i)
        QCOMPARE(list[i], QStringLiteral("COM%1").arg(i + 1));
    QCOMPARE(list.count("COM1"), 1);
}

namespace {

// A link in the middle of its life: commands queued, link decided, sends failing.
void dirty(Link &link)
{
    link.nCmdQueue = 2;
    link.CmdQueue[0].usKey = 0x41;
    link.CmdQueue[1].usKey = 0x54;
    link.LinkOk = 0;
    link.Tr_Fail = 2;
    link.Tr_Wait = 1;
    link.Tr_Ticks = 7;
    link.Tr_Retry = 3;
}

} // namespace

void TestSerialPort::openPtyResetsLink()
{
    PtyPair pty;
    QVERIFY(pty.ok());
    RecordingView view;
    SerialPortOpener opener;
    Link link(view, opener);
    dirty(link);
    view.panels[4] = "Нет связи";

    link.ComboBox1Click(pty.slavePath());

    QVERIFY(link.hCom);
    QVERIFY(view.timerRv);
    QCOMPARE(view.panels[2], pty.slavePath() + " включён");
    QCOMPARE(view.panels[4], QString());
    QCOMPARE(link.nCmdQueue, int16_t(0));
    QCOMPARE(link.CmdQueue[0].usKey, uint16_t(0));
    QCOMPARE(link.LinkOk, int16_t(2));
    QCOMPARE(link.Tr_Fail, int16_t(0));
    // The wait for an answer carries over to the new port.
    QCOMPARE(link.Tr_Wait, int16_t(1));
    QCOMPARE(link.Tr_Ticks, int16_t(7));
    QCOMPARE(link.Tr_Retry, int16_t(3));
}

void TestSerialPort::lineSettingsOnTheDevice()
{
    PtyPair pty;
    RecordingView view;
    SerialPortOpener opener;
    Link link(view, opener);
    QCOMPARE(link.Open_Com(pty.slavePath()), int16_t(1));

    const termios tio = pty.slaveSettings();
    // A pseudo-terminal keeps the speed but always reports 8 data bits
    // without parity, so only the speed and the stop bit can be seen here.
    QCOMPARE(cfgetospeed(&tio), speed_t(B115200));
    QCOMPARE(cfgetispeed(&tio), speed_t(B115200));
    QVERIFY(!(tio.c_cflag & CSTOPB));
}

void TestSerialPort::missingDeviceStaysOff()
{
    RecordingView view;
    SerialPortOpener opener;
    Link link(view, opener);
    dirty(link);

    link.ComboBox1Click("/dev/tavirs-no-such-port");

    QVERIFY(!link.hCom);
    QVERIFY(!view.timerRv);
    QCOMPARE(view.panels[2], QString("/dev/tavirs-no-such-port выключен"));
    // A failed open changes nothing else.
    QCOMPARE(link.nCmdQueue, int16_t(2));
    QCOMPARE(link.LinkOk, int16_t(0));
    QCOMPARE(link.Tr_Fail, int16_t(2));
    QVERIFY(!view.panels.contains(4));
}

void TestSerialPort::reopenSamePort()
{
    PtyPair pty;
    RecordingView view;
    SerialPortOpener opener;
    Link link(view, opener);
    link.ComboBox1Click(pty.slavePath());
    link.LinkOk = 1;
    link.nCmdQueue = 1;
    link.CmdQueue[0].usKey = 0x41;
    view.panels[4] = "Связь восстановлена";

    link.ComboBox1Click(pty.slavePath());

    QVERIFY(link.hCom);
    QVERIFY(view.timerRv);
    QCOMPARE(view.panels[2], pty.slavePath() + " включён");
    QCOMPARE(view.panels[4], QString());
    QCOMPARE(link.LinkOk, int16_t(2));
    QCOMPARE(link.nCmdQueue, int16_t(0));
}

void TestSerialPort::switchToMissingPort()
{
    FakeOpener opener;
    opener.line("COM3");
    RecordingView view;
    Link link(view, opener);
    link.ComboBox1Click("COM3");
    QVERIFY(opener.lines["COM3"].open);

    link.ComboBox1Click("COM4");

    QVERIFY(!opener.lines["COM3"].open); // the old port was closed
    QVERIFY(!link.hCom);
    QVERIFY(!view.timerRv);
    QCOMPARE(view.panels[2], QString("COM4 выключен"));
}

void TestSerialPort::refusedForPermissionExplainsAccess()
{
    FakeOpener opener;
    opener.refusals["COM2"] = OpenError::Permission;
    RecordingView view;
    Link link(view, opener);

    link.ComboBox1Click("COM2");

    QCOMPARE(view.panels[2], QString("COM2 выключен"));
    QVERIFY(view.hints[2].contains("dialout"));
    QVERIFY(view.boxes.isEmpty());

    opener.line("COM3");
    link.ComboBox1Click("COM3");
    QCOMPARE(view.hints[2], QString());
}

void TestSerialPort::bytesBothWays()
{
    PtyPair pty;
    RecordingView view;
    SerialPortOpener opener;
    Link link(view, opener);
    QCOMPARE(link.Open_Com(pty.slavePath()), int16_t(1));

    for (char c : QByteArray(":0141BE\r\n"))
        QVERIFY(link.hCom->writeByte(c));
    QByteArray sent;
    QTRY_COMPARE((sent += pty.readMaster()), QByteArray(":0141BE\r\n"));

    pty.writeMaster("~0141");
    QByteArray got;
    char buf[64];
    QTRY_VERIFY((got += QByteArray(buf, int(link.hCom->read(buf, sizeof buf)))).size() == 5);
    QCOMPARE(got, QByteArray("~0141"));
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serial_port.moc"
