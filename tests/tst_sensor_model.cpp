// The sensor model on explicit time: answers to commands, the measurement
// frames it sends, its signal, its misbehaviours, and the in-process port.
#include "fake_port.h"
#include "link/codec.h"
#include "sim/sensor_model.h"
#include "sim/sim_port.h"

#include <QtTest>

#include <bit>
#include <cmath>

namespace {

struct Frame {
    char start = 0;
    QByteArray body; // between the start character and CR LF
};

// What a receiver makes of the line: frames, characters outside any frame,
// and frames cut off by a new start character or never ended.
struct Line {
    QList<Frame> frames;
    int junk = 0;
    int cut = 0;
};

Line parseLine(const QByteArray &bytes)
{
    Line line;
    bool inFrame = false;
    Frame frame;
    for (char c : bytes) {
        if (c == ':' || c == '~') {
            if (inFrame)
                ++line.cut;
            inFrame = true;
            frame = Frame{c, {}};
        } else if (!inFrame) {
            ++line.junk;
        } else if (c == '\n' && frame.body.endsWith('\r')) {
            frame.body.chop(1);
            line.frames.append(frame);
            inFrame = false;
        } else {
            frame.body.append(c);
        }
    }
    if (inFrame)
        ++line.cut;
    return line;
}

bool bodyOk(const QByteArray &body)
{
    return Check_KS(body.constData()) == 0;
}

uint16_t word(const QByteArray &body, int pos)
{
    return Hex_Word(body.constData(), static_cast<uint16_t>(pos));
}

float floatAt(const QByteArray &body, int pos)
{
    const uint32_t bits = word(body, pos) | (static_cast<uint32_t>(word(body, pos + 4)) << 16);
    return std::bit_cast<float>(bits);
}

void feed(SensorModel &model, const QByteArray &bytes)
{
    for (char c : bytes)
        model.receive(c);
}

// Runs the model to `to` in steps and returns everything it sent.
QByteArray runTo(SensorModel &model, qint64 to, qint64 step = 10000)
{
    QByteArray out;
    for (qint64 t = model.now() + step; t < to; t += step) {
        model.advanceTo(t);
        out += model.takeOutput();
    }
    model.advanceTo(to);
    return out + model.takeOutput();
}

QList<Frame> answersIn(const QByteArray &bytes)
{
    QList<Frame> answers;
    for (const Frame &f : parseLine(bytes).frames)
        if (f.start == ':')
            answers.append(f);
    return answers;
}

struct Sample {
    qint64 index;
    float raw, zero, threshold, filtered;
};

QList<Sample> samplesOf(const QByteArray &bytes, int m)
{
    QList<Sample> samples;
    for (const Frame &f : parseLine(bytes).frames) {
        if (f.start != '~' || (word(f.body, 0) & 0xFF) != 0x41 || word(f.body, 4) != m)
            continue;
        samples.append({samples.size(), floatAt(f.body, 8), floatAt(f.body, 16), floatAt(f.body, 24), floatAt(f.body, 32)});
    }
    return samples;
}

} // namespace

class TestSensorModel : public QObject {
    Q_OBJECT
private slots:
    void answersCommands_data();
    void answersCommands();
    void storesNetworkAddress_data();
    void storesNetworkAddress();
    void baseThresholdReported_data();
    void baseThresholdReported();
    void thresholdFollowsBase();
    void measurementFrames_data();
    void measurementFrames();
    void intrusionRisesAboveThreshold_data();
    void intrusionRisesAboveThreshold();
    void sameSeedSameLine();
    void misbehaviours_data();
    void misbehaviours();
    void simPortRunsOnItsClock();
    void simPortOpenerRoutesNames();
};

// Every command goes out while the line is busy with 128 frames per flank a
// second, so the answer has to find its place between measurement frames.
void TestSensorModel::answersCommands_data()
{
    QTest::addColumn<int>("busAddress");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("answer"); // empty: none expected

    QTest::newRow("poll") << 1 << QByteArray(":0141BE\r\n") << QByteArray(":0141BE\r\n");
    QTest::newRow("poll lower case") << 1 << QByteArray(":0141be\r\n") << QByteArray(":0141BE\r\n");
    QTest::newRow("poll after a restart") << 1 << QByteArray(":01:0141BE\r\n") << QByteArray(":0141BE\r\n");
    QTest::newRow("poll at bus address 5") << 5 << QByteArray(":0541BA\r\n") << QByteArray(":0541BA\r\n");
    QTest::newRow("write address") << 1 << QByteArray(":0160012C000172\r\n") << QByteArray(":01609F\r\n");
    QTest::newRow("read address") << 1 << QByteArray(":01629D\r\n") << QByteArray(":016200019C\r\n");
    QTest::newRow("base threshold") << 1 << QByteArray(":0154000000003F00AB\r\n") << QByteArray(":0154AB\r\n");
    QTest::newRow("unknown function acknowledged") << 1 << QByteArray(":01708F\r\n") << QByteArray(":01708F\r\n");

    QTest::newRow("wrong checksum") << 1 << QByteArray(":0141BF\r\n") << QByteArray();
    QTest::newRow("other bus address") << 1 << QByteArray(":0241BD\r\n") << QByteArray();
    QTest::newRow("poll for 1 at bus address 5") << 5 << QByteArray(":0141BE\r\n") << QByteArray();
    QTest::newRow("odd length") << 1 << QByteArray(":0141B\r\n") << QByteArray();
    QTest::newRow("LF without CR") << 1 << QByteArray(":0141BE\n") << QByteArray();
    QTest::newRow("measurement start") << 1 << QByteArray("~0141BE\r\n") << QByteArray();
    QTest::newRow("base threshold too short") << 1 << QByteArray(":015400003F00AB\r\n") << QByteArray();
}

void TestSensorModel::answersCommands()
{
    QFETCH(int, busAddress);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, answer);

    SimConfig config;
    config.busAddress = busAddress;
    config.ratePerFlank = 128;
    SensorModel model(config);
    QByteArray line = runTo(model, 1234567);
    feed(model, command);
    const qint64 sent = model.now();

    qint64 arrived = -1;
    for (qint64 t = sent + 250; t <= sent + 50000; t += 250) {
        model.advanceTo(t);
        line += model.takeOutput();
        if (arrived < 0 && !answersIn(line).isEmpty())
            arrived = t;
    }

    const Line parsed = parseLine(line);
    QCOMPARE(parsed.junk, 0);
    QCOMPARE(parsed.cut, 0); // the answer never lands inside a measurement frame
    if (answer.isEmpty()) {
        QCOMPARE(answersIn(line).size(), 0);
        return;
    }
    QCOMPARE(answersIn(line).size(), 1);
    QVERIFY2(line.contains(answer), line.right(200).constData());
    QVERIFY2(arrived - sent <= 8000, QByteArray::number(arrived - sent).constData());
}

void TestSensorModel::storesNetworkAddress_data()
{
    QTest::addColumn<QByteArray>("write");
    QTest::addColumn<int>("address");
    QTest::newRow("300") << QByteArray(":0160012C000172\r\n") << 300;
    QTest::newRow("0") << QByteArray(":0160000000019E\r\n") << 0;
    QTest::newRow("65535") << QByteArray(":0160FFFF00019F\r\n") << 65535;
}

void TestSensorModel::storesNetworkAddress()
{
    QFETCH(QByteArray, write);
    QFETCH(int, address);

    SensorModel model;
    feed(model, write);
    runTo(model, 100000);
    feed(model, ":01629D\r\n");
    const QList<Frame> answers = answersIn(runTo(model, 200000));

    QCOMPARE(answers.size(), 1);
    const QByteArray body = answers.first().body;
    QCOMPARE(body.size(), 10);
    QVERIFY(bodyOk(body));
    QCOMPARE(word(body, 0), uint16_t(0x0162));
    QCOMPARE(int(word(body, 4)), address);
    if (address == 300)
        QCOMPARE(body, QByteArray("0162012C71"));
}

void TestSensorModel::baseThresholdReported_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("flank");
    QTest::addColumn<float>("value");
    QTest::newRow("flank 1, 512") << QByteArray(":0154000000004400AB\r\n") << 0 << 512.0f;
    QTest::newRow("flank 2, 0.5") << QByteArray(":0154000100003F00AA\r\n") << 1 << 0.5f;
}

void TestSensorModel::baseThresholdReported()
{
    QFETCH(QByteArray, command);
    QFETCH(int, flank);
    QFETCH(float, value);

    auto reported = [](const QByteArray &line) {
        QList<QPair<int, float>> values;
        for (const Frame &f : parseLine(line).frames)
            if (f.start == '~' && (word(f.body, 0) & 0xFF) == 0x42) {
                if (f.body.size() != 18 || !bodyOk(f.body))
                    return QList<QPair<int, float>>{{-1, 0.0f}};
                values.append({word(f.body, 4), floatAt(f.body, 8)});
            }
        return values;
    };

    SensorModel model;
    const auto before = reported(runTo(model, 3000000));
    QCOMPARE(before, (QList<QPair<int, float>>{{0, 40.0f}, {1, 40.0f}, {0, 40.0f}, {1, 40.0f}}));

    feed(model, command);
    const auto after = reported(runTo(model, 5000000));
    QCOMPARE(after.size(), 2);
    for (const auto &[m, v] : after)
        QCOMPARE(v, m == flank ? value : 40.0f);
    QCOMPARE(model.baseThreshold(flank), value);
}

void TestSensorModel::thresholdFollowsBase()
{
    SensorModel model;
    runTo(model, 5000000);
    feed(model, ":0154000000004400AB\r\n"); // flank 1: 512
    const QByteArray line = runTo(model, 35000000);

    // Look at the last second only: by then the current threshold has settled.
    const QList<Sample> raised = samplesOf(line, 0).mid(1450);
    const QList<Sample> kept = samplesOf(line, 1).mid(1450);
    QVERIFY(!raised.isEmpty() && !kept.isEmpty());
    for (const Sample &s : raised)
        QVERIFY2(s.threshold > 512.0f && s.threshold <= 1023.0f, QByteArray::number(s.threshold).constData());
    for (const Sample &s : kept)
        QVERIFY2(s.threshold > 40.0f && s.threshold < 200.0f, QByteArray::number(s.threshold).constData());
}

void TestSensorModel::measurementFrames_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("busAddress");
    QTest::addColumn<int>("perFlank"); // four-value frames per flank in 10 s
    QTest::newRow("default") << 50 << 1 << 500;
    QTest::newRow("slow") << 1 << 1 << 10;
    QTest::newRow("line full") << 128 << 1 << 1280;
    QTest::newRow("above the line's cap") << 1000 << 1 << 1280;
    QTest::newRow("bus address 7") << 50 << 7 << 500;
}

void TestSensorModel::measurementFrames()
{
    QFETCH(int, rate);
    QFETCH(int, busAddress);
    QFETCH(int, perFlank);

    SimConfig config;
    config.ratePerFlank = rate;
    config.busAddress = busAddress;
    SensorModel model(config);

    QByteArray line;
    for (qint64 t = 100000; t <= 10000000; t += 100000) {
        model.advanceTo(t);
        line += model.takeOutput();
        // Never faster than 115200 baud, 10 bits a character.
        QVERIFY2(line.size() <= t * 11520 / 1000000 + 45, QByteArray::number(t).constData());
    }

    const Line parsed = parseLine(line);
    QCOMPARE(parsed.junk, 0);
    QCOMPARE(parsed.cut, 0);
    int fourValue[2] = {0, 0};
    int reports[2] = {0, 0};
    for (const Frame &f : parsed.frames) {
        QCOMPARE(f.start, '~');
        QVERIFY2(bodyOk(f.body), f.body.constData());
        const uint16_t w0 = word(f.body, 0);
        QCOMPARE(int(w0 >> 8), busAddress);
        const int m = word(f.body, 4);
        QVERIFY2(m == 0 || m == 1, f.body.constData());
        switch (w0 & 0xFF) {
        case 0x41:
            QCOMPARE(f.body.size(), 40 + 2);
            for (int pos = 8; pos <= 32; pos += 8) {
                const float v = floatAt(f.body, pos);
                QVERIFY2(std::isfinite(v) && v >= 0.0f && v <= 1023.0f, f.body.constData());
            }
            ++fourValue[m];
            break;
        case 0x42:
            QCOMPARE(f.body.size(), 16 + 2);
            ++reports[m];
            break;
        case 0x45:
            QCOMPARE(f.body.size(), 12 + 2);
            ++reports[m];
            break;
        default:
            QFAIL(f.body.constData());
        }
    }
    for (int m = 0; m < 2; ++m) {
        // A full line drops the odd sample to make room for the reports.
        QVERIFY2(fourValue[m] <= perFlank + 1 && fourValue[m] >= perFlank * 99 / 100,
                 QByteArray::number(fourValue[m]).constData());
        QCOMPARE(reports[m], 10); // five of each kind in 10 s
    }
    QVERIFY(fourValue[0] + fourValue[1] <= 2 * SensorModel::MAX_FOUR_VALUE_PER_SECOND / 2 * 10 + 2);
}

void TestSensorModel::intrusionRisesAboveThreshold_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::newRow("seed 1") << 1u;
    QTest::newRow("seed 2") << 2u;
    QTest::newRow("seed 4711") << 4711u;
}

// Both flanks rest below their threshold and go above it, within a minute,
// for a stretch as long as an intrusion, with the raw signal swinging far
// from the zero level meanwhile.
void TestSensorModel::intrusionRisesAboveThreshold()
{
    QFETCH(quint32, seed);
    SimConfig config;
    config.seed = seed;
    SensorModel model(config);
    const QByteArray line = runTo(model, 60000000, 100000);

    for (int m = 0; m < 2; ++m) {
        const QList<Sample> samples = samplesOf(line, m);
        QVERIFY(samples.size() >= 2990);
        int above = 0;
        int longest = 0;
        int run = 0;
        float widestSwing = 0.0f;
        for (const Sample &s : samples) {
            QVERIFY(s.zero > 200.0f && s.zero < 800.0f);
            if (s.zero + s.filtered > s.zero + s.threshold) {
                ++above;
                longest = std::max(longest, ++run);
                widestSwing = std::max(widestSwing, std::abs(s.raw - s.zero));
            } else {
                run = 0;
            }
        }
        const QByteArray what = QByteArray("flank ") + QByteArray::number(m) + " above " + QByteArray::number(above)
                                + " longest " + QByteArray::number(longest);
        // 0.4 s to 2.5 s in a row at 50 samples a second; mostly at rest.
        QVERIFY2(longest >= 20 && longest <= 125, what.constData());
        QVERIFY2(above < samples.size() / 10, what.constData());
        QVERIFY2(widestSwing > 100.0f, what.constData());
    }
}

void TestSensorModel::sameSeedSameLine()
{
    SimConfig config;
    config.garbage = true;
    config.corruptShare = 0.01;
    SensorModel a(config), b(config);
    config.seed = 2;
    SensorModel c(config);
    const QByteArray lineA = runTo(a, 5000000);
    QCOMPARE(runTo(b, 5000000, 3333), lineA); // the step size does not matter either
    QVERIFY(runTo(c, 5000000) != lineA);
}

void TestSensorModel::misbehaviours_data()
{
    QTest::addColumn<bool>("silent");
    QTest::addColumn<bool>("deaf");
    QTest::addColumn<double>("corrupt");
    QTest::addColumn<bool>("garbage");

    QTest::newRow("silent") << true << false << 0.0 << false;
    QTest::newRow("deaf") << false << true << 0.0 << false;
    QTest::newRow("corrupt") << false << false << 0.002 << false;
    QTest::newRow("garbage") << false << false << 0.0 << true;
}

void TestSensorModel::misbehaviours()
{
    QFETCH(bool, silent);
    QFETCH(bool, deaf);
    QFETCH(double, corrupt);
    QFETCH(bool, garbage);

    SimConfig config;
    config.silent = silent;
    config.deaf = deaf;
    config.corruptShare = corrupt;
    config.garbage = garbage;
    SensorModel model(config);

    // A poll every second, as the program sends it.
    QByteArray line;
    for (qint64 s = 1; s <= 10; ++s) {
        line += runTo(model, s * 1000000);
        feed(model, ":0141BE\r\n");
    }
    line += runTo(model, 10100000);

    if (silent) {
        QVERIFY(line.isEmpty());
        return;
    }
    const Line parsed = parseLine(line);
    int good = 0, bad = 0, answers = 0;
    for (const Frame &f : parsed.frames) {
        if (!bodyOk(f.body))
            ++bad;
        else if (f.start == ':')
            ++answers;
        else
            ++good;
    }
    QVERIFY2(good > 800, QByteArray::number(good).constData());
    if (deaf) {
        QCOMPARE(answers, 0);
        QCOMPARE(bad, 0);
    } else if (corrupt > 0.0) {
        // About 0.2 % of 45 000 characters: dozens of frames damaged.
        QVERIFY2(bad + parsed.cut >= 10, QByteArray::number(bad).constData());
        QVERIFY(answers >= 5);
    } else if (garbage) {
        QVERIFY(parsed.junk > 100);
        QCOMPARE(bad, 0);
        QCOMPARE(parsed.cut, 0);
        QCOMPARE(answers, 10);
    }
}

void TestSensorModel::simPortRunsOnItsClock()
{
    qint64 now = 7000000; // the clock need not start at zero
    SimPort port(SimConfig{}, [&now] { return now; });
    char buf[4096];
    QCOMPARE(port.read(buf, sizeof buf), qint64(0));

    now += 500000;
    QByteArray line;
    for (qint64 n; (n = port.read(buf, 100)) > 0;) // hands out no more than asked
        line.append(buf, n);
    // Half a second at 50 frames per flank: about 50 four-value frames.
    const Line parsed = parseLine(line);
    QCOMPARE(parsed.cut, 0);
    QVERIFY2(parsed.frames.size() >= 48 && parsed.frames.size() <= 54, QByteArray::number(parsed.frames.size()).constData());

    for (char c : QByteArray(":0141BE\r\n"))
        QVERIFY(port.writeByte(c));
    QCOMPARE(port.read(buf, sizeof buf), qint64(0)); // no time has passed
    now += 10000;
    const qint64 n = port.read(buf, sizeof buf);
    QVERIFY(QByteArray(buf, n).contains(":0141BE\r\n"));
    QVERIFY(!port.gone());
}

void TestSensorModel::simPortOpenerRoutesNames()
{
    auto fake = std::make_unique<FakeOpener>();
    FakeOpener *other = fake.get();
    other->line(QStringLiteral("COM3"));
    SimPortOpener opener(std::move(fake));

    OpenError error = OpenError::Other;
    for (const QString &name : {SIM_PORT_NAME, QStringLiteral("sim")}) {
        error = OpenError::Other;
        std::unique_ptr<Port> port = opener.open(name, &error);
        QVERIFY(port);
        QCOMPARE(error, OpenError::None);
        QVERIFY(dynamic_cast<SimPort *>(port.get()));
    }
    QVERIFY(other->opened.isEmpty());

    QVERIFY(opener.open(QStringLiteral("COM3"), &error));
    QCOMPARE(other->opened, QStringList{QStringLiteral("COM3")});
    QVERIFY(!opener.open(QStringLiteral("COM4"), &error));
    QCOMPARE(error, OpenError::NotFound);

    SimPortOpener alone(nullptr);
    QVERIFY(alone.open(QStringLiteral("sim"), &error));
    QVERIFY(!alone.open(QStringLiteral("COM1"), &error));
    QCOMPARE(error, OpenError::NotFound);
}

QTEST_GUILESS_MAIN(TestSensorModel)
#include "tst_sensor_model.moc"
