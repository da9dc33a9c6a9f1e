#include "sim/sensor_model.h"

#include "link/codec.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double NOISE_SIGMA = 6.0;          // raw signal noise, ADC steps
constexpr double FILTER_TAU = 0.25;          // s, filtered line
constexpr double NOISE_LEVEL_TAU = 20.0;     // s, resting level the threshold adapts to
constexpr double THRESHOLD_TAU = 5.0;        // s, current threshold following its target
constexpr double THRESHOLD_BASE_FACTOR = 1.5;
constexpr double THRESHOLD_NOISE_FACTOR = 3.0;
constexpr double INTRUSION_RAMP = 0.15;      // s, burst envelope rise and fall
constexpr std::size_t MAX_FRAMES_WAITING = 4; // beyond this a sample's frame is dropped

float clampValue(double v)
{
    if (!(v >= 0.0))
        return 0.0f;
    return static_cast<float>(std::min(v, 1023.0));
}

void appendFloat(std::vector<uint16_t> &words, float v)
{
    const uint32_t bits = std::bit_cast<uint32_t>(v);
    words.push_back(static_cast<uint16_t>(bits & 0xFFFF)); // low word first
    words.push_back(static_cast<uint16_t>(bits >> 16));
}

qint64 lineTimeUs(qsizetype chars)
{
    const qint64 n = chars;
    return (n * 1000000 + SensorModel::LINE_CHARS_PER_SECOND - 1) / SensorModel::LINE_CHARS_PER_SECOND;
}

} // namespace

QByteArray Sim_Encode(char start, const std::vector<uint16_t> &words)
{
    std::vector<uint16_t> command(words);
    command.push_back(Calc_KS(words.data(), static_cast<uint16_t>(words.size())));
    QByteArray frame(static_cast<qsizetype>(command.size()) * 4 + 4, Qt::Uninitialized);
    frame.truncate(static_cast<qsizetype>(
        Encode_Frame(start, command.data(), static_cast<uint16_t>(command.size()), frame.data())));
    return frame;
}

SensorModel::SensorModel(const SimConfig &config)
    : config_(config)
    , networkAddress_(config.networkAddress)
{
    std::seed_seq lineSeed{config.seed, 0x4C494E45u};
    lineRng_.seed(lineSeed);
    config_.busAddress &= 0xFF;
    config_.corruptShare = std::clamp(config_.corruptShare, 0.0, 1.0);
    rate_ = std::clamp(config.ratePerFlank, 1, MAX_FOUR_VALUE_PER_SECOND / 2);

    for (int m = 0; m < 2; ++m) {
        Flank &f = flanks_[m];
        std::seed_seq flankSeed{config.seed, static_cast<uint32_t>(m), 0x54415649u};
        f.rng.seed(flankSeed);
        f.base = config.baseThreshold;
        f.zeroBase = 470.0 + 60.0 * m + 40.0 * (uniform(f.rng) - 0.5);
        f.driftPhase = 2.0 * PI * uniform(f.rng);
        f.zero = f.zeroBase;
        f.noiseLevel = NOISE_SIGMA * std::sqrt(2.0 / PI); // mean of |noise|
        f.filtered = f.noiseLevel;
        f.threshold = THRESHOLD_BASE_FACTOR * f.base + THRESHOLD_NOISE_FACTOR * f.noiseLevel;
        // The flanks report a little apart so that their frames do not queue up.
        f.nextReport42 = 100000 + 50000 * m;
        f.nextReport45 = 1100000 + 50000 * m;
        planIntrusion(f, 0);
    }
}

double SensorModel::uniform(std::mt19937 &rng)
{
    // mt19937's output is fixed by the standard; the distributions are not,
    // so the conversion is done here to keep a seed's signal the same anywhere.
    return (static_cast<double>(rng()) + 0.5) / 4294967296.0;
}

double SensorModel::gauss(std::mt19937 &rng)
{
    const double u1 = uniform(rng);
    const double u2 = uniform(rng);
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * PI * u2);
}

void SensorModel::planIntrusion(Flank &f, qint64 after)
{
    const double gap = 20.0 + 20.0 * uniform(f.rng);
    const double length = 0.7 + 1.4 * uniform(f.rng);
    f.intrusionStart = after + static_cast<qint64>(gap * 1e6);
    f.intrusionEnd = f.intrusionStart + static_cast<qint64>(length * 1e6);
    f.intrusionAmplitude = 230.0 + 150.0 * uniform(f.rng);
    f.intrusionFreq = 3.0 + 5.0 * uniform(f.rng);
}

// ---- commands ------------------------------------------------------------

void SensorModel::receive(char byte)
{
    if (config_.deaf)
        return;
    if (byte == ':' || byte == '~') {
        // A start character restarts assembly. "~" frames are other sensors'
        // measurements on the bus: nothing to answer.
        rx_.clear();
        rxActive_ = byte == ':';
        return;
    }
    if (!rxActive_)
        return;
    if (byte == '\n' && !rx_.isEmpty() && rx_.back() == '\r') {
        rx_.chop(1);
        const QByteArray body = rx_;
        rx_.clear();
        rxActive_ = false;
        handleCommand(body);
        return;
    }
    rx_.append(byte);
    if (rx_.size() > MAX_COMMAND_BODY + 1) { // no room left for the CR
        rx_.clear();
        rxActive_ = false;
    }
}

void SensorModel::handleCommand(const QByteArray &body)
{
    const qsizetype n = body.size();
    if (n < 6 || (n - 2) % 4 != 0 || Check_KS(body.constData()) != 0)
        return;
    const char *text = body.constData();
    const int words = static_cast<int>((n - 2) / 4);
    auto word = [text](int i) { return Hex_Word(text, static_cast<uint16_t>(4 * i)); };

    const uint16_t w0 = word(0);
    if ((w0 >> 8) != config_.busAddress)
        return;

    switch (w0 & 0xFF) {
    case 0x41: // poll
        queueAnswer({w0});
        break;
    case 0x60: // write network address; word 2 carries nothing we use
        if (words < 2)
            return;
        networkAddress_ = word(1);
        queueAnswer({w0});
        break;
    case 0x62: // read network address
        queueAnswer({w0, networkAddress_});
        break;
    case 0x54: { // base threshold of a flank
        if (words < 4)
            return;
        const uint16_t m = word(1);
        if (m > 1)
            return; // no such flank: no answer
        const uint32_t bits = static_cast<uint32_t>(word(2)) | (static_cast<uint32_t>(word(3)) << 16);
        const float v = std::bit_cast<float>(bits);
        // Acknowledged either way; a value the sensor cannot use is not kept.
        if (std::isfinite(v) && v > 0.0f && v <= 1023.0f)
            flanks_[m].base = v;
        queueAnswer({w0});
        break;
    }
    default:
        // Functions this sensor does not know are acknowledged like a write,
        // so that a probing program keeps its link; nothing changes.
        queueAnswer({w0});
        break;
    }
}

void SensorModel::queueAnswer(std::vector<uint16_t> words)
{
    if (config_.silent)
        return;
    answersDue_.emplace_back(now_ + ANSWER_DELAY_US, Sim_Encode(':', words));
}

void SensorModel::queueFrame(std::vector<uint16_t> words)
{
    if (config_.silent)
        return;
    // A sensor whose line is full drops samples rather than lagging behind.
    if (framesReady_.size() >= MAX_FRAMES_WAITING)
        return;
    framesReady_.push_back(Sim_Encode('~', words));
}

// ---- time ----------------------------------------------------------------

qint64 SensorModel::sampleTime(int m, qint64 k) const
{
    // Flank 2 samples half a period after flank 1.
    return ((2 * k + m) * 1000000) / (2 * static_cast<qint64>(rate_));
}

qint64 SensorModel::nextEventTime() const
{
    qint64 t = std::numeric_limits<qint64>::max();
    if (lineBusy_)
        t = lineFreeAt_;
    else if (!answersReady_.empty() || !framesReady_.empty())
        t = now_;
    if (!answersDue_.empty())
        t = std::min(t, answersDue_.front().first);
    for (int m = 0; m < 2; ++m) {
        const Flank &f = flanks_[m];
        t = std::min({t, sampleTime(m, f.sampleIndex), f.nextReport42, f.nextReport45});
    }
    return t;
}

void SensorModel::advanceTo(qint64 usec)
{
    if (usec < now_)
        return;
    for (;;) {
        const qint64 t = nextEventTime();
        if (t > usec)
            break;
        now_ = std::max(now_, t);
        runEventsDue();
    }
    now_ = usec;
}

void SensorModel::runEventsDue()
{
    if (lineBusy_ && lineFreeAt_ <= now_) {
        output_ += onLine_;
        onLine_.clear();
        lineBusy_ = false;
    }
    while (!answersDue_.empty() && answersDue_.front().first <= now_) {
        answersReady_.push_back(std::move(answersDue_.front().second));
        answersDue_.pop_front();
    }
    for (int m = 0; m < 2; ++m) {
        Flank &f = flanks_[m];
        for (qint64 t = sampleTime(m, f.sampleIndex); t <= now_; t = sampleTime(m, f.sampleIndex)) {
            takeSample(m, t);
            ++f.sampleIndex;
        }
        const uint16_t address = static_cast<uint16_t>(config_.busAddress << 8);
        if (f.nextReport42 <= now_) {
            std::vector<uint16_t> words{static_cast<uint16_t>(address | 0x42), static_cast<uint16_t>(m)};
            appendFloat(words, f.base);
            queueFrame(std::move(words));
            f.nextReport42 += REPORT_PERIOD_US;
        }
        if (f.nextReport45 <= now_) {
            // Status word: bit 0 set while the flank is in alarm.
            const uint16_t status = f.alarm ? 0x0001 : 0x0000;
            queueFrame({static_cast<uint16_t>(address | 0x45), static_cast<uint16_t>(m), status});
            f.nextReport45 += REPORT_PERIOD_US;
        }
    }
    if (!lineBusy_)
        startNextOnLine();
}

void SensorModel::takeSample(int m, qint64 t)
{
    Flank &f = flanks_[m];
    const double dt = 1.0 / rate_;
    const double seconds = t / 1e6;

    // Zero level: a slow swing of a few minutes plus a random wander.
    f.wander += -f.wander * dt / 60.0 + 0.8 * std::sqrt(dt) * gauss(f.rng);
    f.zero = f.zeroBase + 10.0 * std::sin(2.0 * PI * seconds / 240.0 + f.driftPhase) + f.wander;

    double burst = 0.0;
    if (t >= f.intrusionStart && t < f.intrusionEnd) {
        const double since = (t - f.intrusionStart) / 1e6;
        const double left = (f.intrusionEnd - t) / 1e6;
        const double envelope = std::min({1.0, since / INTRUSION_RAMP, left / INTRUSION_RAMP});
        burst = f.intrusionAmplitude * envelope * std::sin(2.0 * PI * f.intrusionFreq * since);
    }
    if (t >= f.intrusionEnd)
        planIntrusion(f, f.intrusionEnd);

    const double raw = std::clamp(f.zero + NOISE_SIGMA * gauss(f.rng) + burst, 0.0, 1023.0);

    f.filtered += (1.0 - std::exp(-dt / FILTER_TAU)) * (std::abs(raw - f.zero) - f.filtered);
    // The threshold adapts to the resting level only, not to an intrusion.
    if (f.filtered < f.threshold)
        f.noiseLevel += (1.0 - std::exp(-dt / NOISE_LEVEL_TAU)) * (f.filtered - f.noiseLevel);
    const double target = THRESHOLD_BASE_FACTOR * f.base + THRESHOLD_NOISE_FACTOR * f.noiseLevel;
    f.threshold += (1.0 - std::exp(-dt / THRESHOLD_TAU)) * (target - f.threshold);
    f.alarm = f.filtered > f.threshold;

    std::vector<uint16_t> words{static_cast<uint16_t>((config_.busAddress << 8) | 0x41), static_cast<uint16_t>(m)};
    appendFloat(words, clampValue(raw));
    appendFloat(words, clampValue(f.zero));
    appendFloat(words, clampValue(f.threshold));
    appendFloat(words, clampValue(f.filtered));
    queueFrame(std::move(words));
}

void SensorModel::startNextOnLine()
{
    const bool waiting = !answersReady_.empty() || !framesReady_.empty();
    if (lineBusy_ || !waiting)
        return;

    if (config_.garbage && !lastWasJunk_ && uniform(lineRng_) < 0.3) {
        static const char junk[] = "0123456789ABCDEFabcdef !#$%&*+-./=?@XYZ|\r\n";
        const int count = 1 + static_cast<int>(lineRng_() % 12);
        onLine_.clear();
        for (int i = 0; i < count; ++i)
            onLine_.append(junk[lineRng_() % (sizeof junk - 1)]);
        lastWasJunk_ = true;
    } else {
        std::deque<QByteArray> &from = answersReady_.empty() ? framesReady_ : answersReady_;
        onLine_ = std::move(from.front());
        from.pop_front();
        lastWasJunk_ = false;
    }

    if (config_.corruptShare > 0.0) {
        for (char &c : onLine_)
            if (uniform(lineRng_) < config_.corruptShare)
                c = static_cast<char>(c ^ (1 + lineRng_() % 127)); // stays 7-bit, never unchanged
    }
    lineBusy_ = true;
    lineFreeAt_ = now_ + lineTimeUs(onLine_.size());
}

QByteArray SensorModel::takeOutput()
{
    QByteArray out;
    out.swap(output_);
    return out;
}
