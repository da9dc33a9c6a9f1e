#pragma once
// The three charts of the window: the live charts of the two flanks and the
// oscillogram viewer's chart, with their four traces each.

#include <QObject>

class QCustomPlot;
class QCPGraph;
class QCPAbstractLegendItem;
class QMouseEvent;
class QRect;

// One chart with its four traces in the order they are drawn and listed:
// raw signal, filtered signal, current threshold, zero level.
class ChartBox : public QObject {
    Q_OBJECT
public:
    enum Kind { Flank1, Flank2, Viewer };
    ChartBox(QCustomPlot *plot, Kind kind);

    // Value axis: automatic (fitted to the data) or fixed to [min, max].
    void setValueAxis(bool automatic, double min, double max);
    bool valueAxisAutomatic() const { return automatic_; }
    // Value axis as set, point axis fitted to the data: the view before any zoom.
    void restoreAxes();
    // Empties the four traces and redraws.
    void clear();

    QCustomPlot *const plot;
    QCPGraph *signal = nullptr;
    QCPGraph *filtered = nullptr;
    QCPGraph *threshold = nullptr;
    QCPGraph *zero = nullptr;

private:
    void legendClicked(QCPAbstractLegendItem *item);
    void rectDragged(const QRect &rect, QMouseEvent *event);

    bool automatic_ = false;
    double min_ = 0;
    double max_ = 1023;
};

// The traces by their series names.
struct ChartSeries {
    ChartBox *chart1 = nullptr, *chart2 = nullptr, *chart3 = nullptr;
    // Flank 1: raw, filtered, threshold, zero level.
    QCPGraph *Series1 = nullptr, *Series8 = nullptr, *Series2 = nullptr, *Series3 = nullptr;
    // Flank 2.
    QCPGraph *Series4 = nullptr, *Series7 = nullptr, *Series5 = nullptr, *Series6 = nullptr;
    // Viewer.
    QCPGraph *Series9 = nullptr, *Series12 = nullptr, *Series11 = nullptr, *Series10 = nullptr;

    ChartBox *flank(int m) const { return m == 0 ? chart1 : chart2; }
};

// Sets up the three charts; the ChartBox objects are children of their plots.
ChartSeries Setup_Charts(QCustomPlot *chart1, QCustomPlot *chart2, QCustomPlot *chart3);
