#include "charts.h"

#include <qcustomplot.h>

namespace {

QFont pixelFont(const QFont &base, int px, bool bold)
{
    QFont f(base);
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

const QColor AQUA(0, 255, 255);
const QColor GREEN(0, 128, 0);

} // namespace

ChartBox::ChartBox(QCustomPlot *p, Kind kind) : QObject(p), plot(p)
{
    setObjectName(plot->objectName() + QStringLiteral("Box"));
    const bool live = kind != Viewer;
    const QFont base = plot->font();

    // Long traces stay smooth: polylines drawn in one go.
    plot->setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    plot->setBackground(Qt::white);
    plot->setInteractions(QCP::Interactions());
    plot->setSelectionRectMode(QCP::srmZoom);
    // The drag is taken here: to the lower right it zooms, to the upper left it restores.
    disconnect(plot->selectionRect(), SIGNAL(accepted(QRect, QMouseEvent *)), plot,
               SLOT(processRectZoom(QRect, QMouseEvent *)));
    connect(plot->selectionRect(), &QCPSelectionRect::accepted, this, &ChartBox::rectDragged);
    connect(plot, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent *) { restoreAxes(); });
    connect(plot, &QCustomPlot::legendClick, this,
            [this](QCPLegend *, QCPAbstractLegendItem *item, QMouseEvent *) { legendClicked(item); });

    QCPAxisRect *rect = plot->axisRect();
    if (live) {
        plot->plotLayout()->insertRow(0);
        auto *title = new QCPTextElement(plot, kind == Flank1 ? QStringLiteral("ФЛАНГ 1") : QStringLiteral("ФЛАНГ 2"),
                                         pixelFont(base, 19, false));
        plot->plotLayout()->addElement(0, 0, title);
        // The right strip (15 % of the chart) is kept free for the controls on it.
        rect->setMinimumMargins(QMargins(0, 0, plot->width() * 15 / 100, 0));
    }

    QCPAxis *x = plot->xAxis;
    QCPAxis *y = plot->yAxis;
    y->setLabel(QStringLiteral("Сигнал, [дискр. АЦП]"));
    y->setLabelFont(pixelFont(base, 13, false));
    x->setLabel(kind == Flank1 ? QStringLiteral("Отсчёты ") : QStringLiteral("Отсчёты"));
    x->setLabelFont(pixelFont(base, 11, false));
    x->setTickLabelFont(pixelFont(base, 11, false));
    y->setTickLabelFont(pixelFont(base, live ? 11 : 13, false));
    y->setRange(0, 1023);
    x->setRange(0, live ? 5000 : 1000);
    plot->axisRect()->setupFullAxesBox(false);

    struct Trace {
        QCPGraph **graph;
        QString title;
        QColor colour;
    };
    const Trace traces[4] = {
        {&signal, QStringLiteral("Сигнал с ЧЭ"), Qt::blue},
        {&filtered, live ? QStringLiteral("Сигнал с ЧЭ отфильтр.") : QStringLiteral("Сигнал с ЧЭ отфильтрованный"), GREEN},
        {&threshold, QStringLiteral("Текущий порог"), Qt::red},
        {&zero, QStringLiteral("Нулевой уровень"), AQUA},
    };
    for (const Trace &t : traces) {
        QCPGraph *g = plot->addGraph();
        g->setName(t.title);
        g->setPen(QPen(t.colour, 2));
        g->setLineStyle(QCPGraph::lsLine);
        g->setScatterStyle(QCPScatterStyle::ssNone);
        g->setAdaptiveSampling(true);
        *t.graph = g;
    }

    // Legend in its own row below the plot, one line of entries.
    QCPLegend *legend = plot->legend;
    legend->setVisible(true);
    rect->insetLayout()->take(legend);
    auto *legendRow = new QCPLayoutGrid;
    plot->plotLayout()->addElement(plot->plotLayout()->rowCount(), 0, legendRow);
    plot->plotLayout()->setRowStretchFactor(plot->plotLayout()->rowCount() - 1, 0.001);
    // Empty cells on both sides keep the legend at its own width, centred.
    legendRow->addElement(0, 0, new QCPLayoutElement(plot));
    legendRow->addElement(0, 1, legend);
    legendRow->addElement(0, 2, new QCPLayoutElement(plot));
    legendRow->setColumnStretchFactors({1, 0.001, 1});
    legendRow->setMargins(QMargins(0, 0, 0, 0));
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setWrap(4);
    legend->setBrush(QColor(192, 192, 192));
    legend->setFont(pixelFont(base, 11, !live));
    legend->setIconSize(25, 12);
    legend->setMargins(QMargins(4, 1, 4, 1));
    plot->plotLayout()->setMargins(QMargins(2, 2, 2, 2));
    plot->replot();
}

void ChartBox::setValueAxis(bool automatic, double min, double max)
{
    automatic_ = automatic;
    min_ = min;
    max_ = max;
    if (automatic) {
        bool found = false;
        for (QCPGraph *g : {signal, filtered, threshold, zero})
            if (g->visible() && !g->data()->isEmpty())
                found = true;
        if (found)
            plot->yAxis->rescale(true);
    } else {
        plot->yAxis->setRange(min, max);
    }
    plot->replot(QCustomPlot::rpQueuedReplot);
}

void ChartBox::restoreAxes()
{
    bool hasData = false;
    for (QCPGraph *g : {signal, filtered, threshold, zero})
        if (!g->data()->isEmpty())
            hasData = true;
    if (hasData)
        plot->xAxis->rescale(true);
    setValueAxis(automatic_, min_, max_);
}

void ChartBox::clear()
{
    for (QCPGraph *g : {signal, filtered, threshold, zero})
        g->data()->clear();
    plot->replot(QCustomPlot::rpQueuedReplot);
}

void ChartBox::legendClicked(QCPAbstractLegendItem *item)
{
    auto *entry = qobject_cast<QCPPlottableLegendItem *>(item);
    if (!entry)
        return;
    QCPAbstractPlottable *series = entry->plottable();
    series->setVisible(!series->visible());
    entry->setTextColor(series->visible() ? Qt::black : QColor(128, 128, 128));
    plot->replot();
}

void ChartBox::rectDragged(const QRect &rect, QMouseEvent *)
{
    // rect runs from where the button went down to where it came up.
    if (rect.right() < rect.left() && rect.bottom() < rect.top()) {
        restoreAxes();
        return;
    }
    const QRect area = rect.normalized();
    if (area.width() < 3 || area.height() < 3)
        return;
    plot->axisRect()->zoom(QRectF(area));
    plot->replot();
}

ChartSeries Setup_Charts(QCustomPlot *chart1, QCustomPlot *chart2, QCustomPlot *chart3)
{
    ChartSeries s;
    s.chart1 = new ChartBox(chart1, ChartBox::Flank1);
    s.chart2 = new ChartBox(chart2, ChartBox::Flank2);
    s.chart3 = new ChartBox(chart3, ChartBox::Viewer);
    s.Series1 = s.chart1->signal;
    s.Series8 = s.chart1->filtered;
    s.Series2 = s.chart1->threshold;
    s.Series3 = s.chart1->zero;
    s.Series4 = s.chart2->signal;
    s.Series7 = s.chart2->filtered;
    s.Series5 = s.chart2->threshold;
    s.Series6 = s.chart2->zero;
    s.Series9 = s.chart3->signal;
    s.Series12 = s.chart3->filtered;
    s.Series11 = s.chart3->threshold;
    s.Series10 = s.chart3->zero;
    return s;
}
