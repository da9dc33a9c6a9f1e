#pragma once
// A model of the Тавирс-102 sensor as it behaves on the RS-485 line: it takes
// the program's ":" commands byte by byte, answers them, and sends its own "~"
// measurement frames for both flanks with a plausible signal.
//
// Time is explicit: nothing here reads a clock. The owner moves model time
// forward with advanceTo() and collects what the sensor has put on the line
// since with takeOutput(). The line is modelled as 115200 baud with 10 bits a
// character, so a frame leaves the sensor only once all its characters would
// have crossed the line, and frames never overlap.

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <cstdint>
#include <deque>
#include <random>
#include <vector>

struct SimConfig {
    int busAddress = 1;           // high byte of word 0, 0..255
    int ratePerFlank = 50;        // four-value frames per flank per second
    quint32 seed = 1;             // same seed, same signal and same line faults
    quint16 networkAddress = 1;   // what a read (62 hex) reports until written
    float baseThreshold = 40.0f;  // both flanks at power-on, ADC steps

    // Misbehaviours, for testing the program against a bad sensor or line.
    bool silent = false;          // puts nothing on the line at all
    double corruptShare = 0.0;    // share of output characters damaged, 0..1
    bool garbage = false;         // junk characters between frames
    bool deaf = false;            // ignores every command, measures on
};

class SensorModel {
public:
    static constexpr int LINE_CHARS_PER_SECOND = 11520;   // 115200 baud, 10 bits
    static constexpr int MAX_FOUR_VALUE_PER_SECOND = 256; // 256 × 45 characters fill the line
    static constexpr qint64 ANSWER_DELAY_US = 2000;       // from the command's LF to the answer
    static constexpr qint64 REPORT_PERIOD_US = 2000000;   // 42 and 45 hex frames, per flank
    static constexpr int MAX_COMMAND_BODY = 1022;

    explicit SensorModel(const SimConfig &config = {});

    // A byte the program put on the line, at the current model time.
    void receive(char byte);
    // Moves model time forward to usec (µs since the model started); an
    // earlier time than the current one changes nothing.
    void advanceTo(qint64 usec);
    // Everything the sensor has put on the line since the last call: whole
    // frames (and, with garbage on, the junk between them), in line order.
    QByteArray takeOutput();

    qint64 now() const { return now_; }
    // The four-value frame rate of each flank after the line's cap.
    int ratePerFlank() const { return rate_; }
    quint16 networkAddress() const { return networkAddress_; }
    float baseThreshold(int m) const { return flanks_[m & 1].base; }

private:
    struct Flank {
        std::mt19937 rng;
        float base = 40.0f;          // base threshold as last written
        double zeroBase = 500.0;     // where the zero level drifts around
        double driftPhase = 0.0;
        double wander = 0.0;         // slow random part of the zero level
        double zero = 500.0;
        double filtered = 0.0;       // smoothed rectified deviation from zero
        double noiseLevel = 0.0;     // long average of the filtered line at rest
        double threshold = 0.0;      // current threshold offset above zero
        bool alarm = false;          // filtered above threshold at the last sample
        qint64 sampleIndex = 0;
        qint64 intrusionStart = 0;   // µs
        qint64 intrusionEnd = 0;
        double intrusionAmplitude = 0.0;
        double intrusionFreq = 0.0;
        qint64 nextReport42 = 0;
        qint64 nextReport45 = 0;
    };

    qint64 sampleTime(int m, qint64 k) const;
    qint64 nextEventTime() const;
    void runEventsDue();
    void takeSample(int m, qint64 t);
    void planIntrusion(Flank &f, qint64 after);
    double uniform(std::mt19937 &rng);
    double gauss(std::mt19937 &rng);

    void handleCommand(const QByteArray &body);
    void queueAnswer(std::vector<uint16_t> words);
    void queueFrame(std::vector<uint16_t> words);
    void startNextOnLine();

    SimConfig config_;
    int rate_ = 50;
    qint64 now_ = 0;
    std::array<Flank, 2> flanks_;
    quint16 networkAddress_ = 1;

    // Command assembly.
    QByteArray rx_;
    bool rxActive_ = false;

    // Answers wait ANSWER_DELAY_US before they join the line, then go ahead
    // of any measurement frame still waiting.
    std::deque<std::pair<qint64, QByteArray>> answersDue_;
    std::deque<QByteArray> answersReady_;
    std::deque<QByteArray> framesReady_;

    // The frame now crossing the line and when its last character is through.
    QByteArray onLine_;
    bool lineBusy_ = false;
    bool lastWasJunk_ = false;
    qint64 lineFreeAt_ = 0;
    std::mt19937 lineRng_;
    QByteArray output_;
};

// The characters of a frame: start character, words 0..n-1 as four hex
// digits, the low byte of Calc_KS over them as two, CR LF.
QByteArray Sim_Encode(char start, const std::vector<uint16_t> &words);
