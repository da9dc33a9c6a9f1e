// The simulator executable end to end: it serves a pseudo-terminal that a
// real QSerialPort opens like any serial device.
#include <QProcess>
#include <QSerialPort>
#include <QtTest>

#include <unistd.h>

namespace {

void configure(QSerialPort &port, const QString &path)
{
    // A pseudo-terminal takes the line settings only before the open.
    port.setPortName(path);
    port.setBaudRate(QSerialPort::Baud115200);
    port.setDataBits(QSerialPort::Data7);
    port.setParity(QSerialPort::OddParity);
    port.setStopBits(QSerialPort::OneStop);
}

// Processor time the process has used so far, in clock ticks.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong(); // utime, stime
}

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void answersPollAndSendsFrames();
    void keepsServingAfterClientLeftWithoutSpinning();
    void exitsCleanlyOnTerminate();
    void cleanupTestCase();

private:
    bool pollAndWait(QSerialPort &port, QByteArray *line);

    QProcess sim_;
    QString slave_;
};

void TestSimPty::initTestCase()
{
    sim_.setProgram(QStringLiteral(SIM_EXE));
    sim_.setArguments({QStringLiteral("--seed"), QStringLiteral("3")});
    sim_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim_.start();
    QVERIFY2(sim_.waitForStarted(5000), qPrintable(sim_.errorString()));
    QVERIFY(QTest::qWaitFor([this] { return sim_.canReadLine(); }, 5000));
    slave_ = QString::fromLocal8Bit(sim_.readLine()).trimmed();
    QVERIFY2(slave_.startsWith(QLatin1String("/dev/")), qPrintable(slave_));
}

bool TestSimPty::pollAndWait(QSerialPort &port, QByteArray *line)
{
    port.write(":0141BE\r\n");
    port.flush();
    return QTest::qWaitFor([&] {
        *line += port.readAll();
        return line->contains(":0141BE\r\n") && line->count('~') >= 5;
    }, 1000);
}

void TestSimPty::answersPollAndSendsFrames()
{
    QSerialPort port;
    configure(port, slave_);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    QByteArray line;
    QVERIFY2(pollAndWait(port, &line), line.right(300).constData());
    QVERIFY(line.contains("~0141"));
}

void TestSimPty::keepsServingAfterClientLeftWithoutSpinning()
{
    // No client now: the simulator must wait, not spin on the hung-up master.
    QTest::qWait(200);
    const qint64 before = cpuTicks(sim_.processId());
    QVERIFY(before >= 0);
    QTest::qWait(1000);
    const qint64 used = cpuTicks(sim_.processId()) - before;
    QVERIFY2(used < sysconf(_SC_CLK_TCK) / 4, QByteArray::number(used).constData());

    QSerialPort port;
    configure(port, slave_);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    QByteArray line;
    QVERIFY2(pollAndWait(port, &line), line.right(300).constData());
}

void TestSimPty::exitsCleanlyOnTerminate()
{
    sim_.terminate(); // SIGTERM
    QVERIFY(sim_.waitForFinished(5000));
    QCOMPARE(sim_.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim_.exitCode(), 0);
}

void TestSimPty::cleanupTestCase()
{
    if (sim_.state() != QProcess::NotRunning) {
        sim_.kill();
        sim_.waitForFinished(5000);
    }
}

QTEST_GUILESS_MAIN(TestSimPty)
#include "tst_sim_pty.moc"
