#pragma once
// A link on a scripted port, with the passes and the poll driven by hand.

#include "fake_port.h"
#include "link/link.h"
#include "recording_view.h"

#include <QVector>

struct SeenFrame {
    uint16_t func;
    QByteArray body;
    bool operator==(const SeenFrame &o) const = default;
};

// Records what the link hands on.
class RecordingSink : public FrameSink {
public:
    void Rv_Measure(uint16_t func, const char *body) override { measures << SeenFrame{func, body}; }
    void Rv_Address(const char *body) override { addresses << QByteArray(body); }
    QVector<SeenFrame> measures;
    QVector<QByteArray> addresses;
};

struct LinkFixture {
    LinkFixture()
    {
        opener.line("COM1");
        link.sink = &sink;
        link.ComboBox1Click("COM1");
    }
    FakeLine &line() { return opener.lines["COM1"]; }
    void feed(const QByteArray &bytes) { line().incoming += bytes; }
    void passes(int n)
    {
        for (int i = 0; i < n; ++i)
            link.Rv_Data();
    }
    // Passes until the head command has gone out; returns how many it took.
    int passesUntilSent()
    {
        const qsizetype before = line().written.size();
        for (int i = 1; i <= 10; ++i) {
            link.Rv_Data();
            if (line().written.size() != before)
                return i;
        }
        return -1;
    }
    void poll() { link.Timer1Timer(); }
    QString label(Lbl l) const { return view.labels.value(l); }

    RecordingView view;
    FakeOpener opener;
    RecordingSink sink;
    Link link{view, opener};
};
