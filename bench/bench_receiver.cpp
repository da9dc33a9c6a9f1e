// Pushes four-value frames through the receive pass as fast as it can and
// prints frames per second and the longest pass. No window, no real port.
#include "app/view.h"
#include "link/codec.h"
#include "link/link.h"
#include "sim/sensor_model.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstring>

namespace {

class NullView : public View {
public:
    void setLabel(Lbl, const QString &) override {}
    void setPanel(int, const QString &) override {}
    void setPanelHint(int, const QString &) override {}
    void setCell(Grid, int, int, const QString &) override {}
    void setField(Field, const QString &) override {}
    void focusField(Field) override {}
    void selectPort(const QString &) override {}
    void setTimerRv(bool) override {}
    void setValueAxis(int, bool, double, double) override {}
    void traceReset(int) override {}
    void showMessage(const QString &) override {}
    void messageBox(const QString &, const QString &, int) override {}
    void postLinkMsg(int) override {}
};

// A line that always holds the same block of frames, as many times as asked.
class LoopPort : public Port {
public:
    LoopPort(const QByteArray &block, int blocksPerPass) : block_(block), perPass_(blocksPerPass) {}
    void refill() { left_ = perPass_; offset_ = 0; }
    qint64 read(char *buf, qint64 max) override
    {
        qint64 n = 0;
        while (n < max && left_ > 0) {
            const qint64 take = qMin<qint64>(max - n, block_.size() - offset_);
            std::memcpy(buf + n, block_.constData() + offset_, size_t(take));
            n += take;
            offset_ += take;
            if (offset_ == block_.size()) {
                offset_ = 0;
                --left_;
            }
        }
        return n;
    }
    bool writeByte(char) override { return true; }
    bool gone() const override { return false; }

private:
    QByteArray block_;
    int perPass_;
    int left_ = 0;
    qint64 offset_ = 0;
};

class OneOpener : public PortOpener {
public:
    explicit OneOpener(LoopPort *port) : port_(port) {}
    std::unique_ptr<Port> open(const QString &, OpenError *error) override
    {
        *error = OpenError::None;
        struct Borrowed : Port {
            LoopPort *p;
            qint64 read(char *b, qint64 m) override { return p->read(b, m); }
            bool writeByte(char c) override { return p->writeByte(c); }
            bool gone() const override { return false; }
        };
        auto b = std::make_unique<Borrowed>();
        b->p = port_;
        return b;
    }
    LoopPort *port_;
};

class CountingSink : public FrameSink {
public:
    void Rv_Measure(uint16_t, const char *) override { ++frames; }
    void Rv_Address(const char *) override {}
    long long frames = 0;
};

QByteArray fourValueFrame(uint16_t m, float a, float b, float c, float d)
{
    std::vector<uint16_t> words{0x0141, m};
    for (float v : {a, b, c, d}) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        words.push_back(uint16_t(bits & 0xFFFF));
        words.push_back(uint16_t(bits >> 16));
    }
    return Sim_Encode('~', words); // the checksum word is added there
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray block = fourValueFrame(0, 512.5f, 500.0f, 60.0f, 12.25f) + fourValueFrame(1, 480.0f, 470.0f, 55.0f, 9.5f);
    // One pass at the line's full rate holds about 10 frames (256 a second, 40 ms);
    // here each pass is given 1000 frames to make the figures stable.
    constexpr int BLOCKS_PER_PASS = 500;
    constexpr int PASSES = 4000;

    NullView view;
    LoopPort port(block, BLOCKS_PER_PASS);
    OneOpener opener(&port);
    CountingSink sink;
    Link link(view, opener);
    link.sink = &sink;
    link.Open_Com(QStringLiteral("bench"));

    QElapsedTimer total;
    total.start();
    qint64 longestNs = 0;
    for (int p = 0; p < PASSES; ++p) {
        port.refill();
        QElapsedTimer pass;
        pass.start();
        link.Rv_Data();
        longestNs = qMax(longestNs, pass.nsecsElapsed());
    }
    const double seconds = total.nsecsElapsed() / 1e9;
    const double fps = sink.frames / seconds;
    std::printf("frames handled:          %lld (checksum errors %d)\n", sink.frames, link.counters.KS_ERR);
    std::printf("bytes read:              %d\n", link.counters.N_rv_byte);
    std::printf("frames per second:       %.0f\n", fps);
    std::printf("bytes per second:        %.0f\n", fps * (block.size() / 2.0));
    std::printf("longest pass (%d frames): %.1f us\n", 2 * BLOCKS_PER_PASS, longestNs / 1000.0);
    std::printf("line maximum:            256 frames/s -> margin x%.0f\n", fps / 256.0);
    return sink.frames == 2LL * BLOCKS_PER_PASS * PASSES ? 0 : 1;
}
