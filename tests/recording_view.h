#pragma once
// A View that records every call, for tests that look at what the user would see.

#include "app/view.h"

#include <QMap>
#include <QPair>
#include <QStringList>
#include <QVector>

struct RecordedBox {
    QString text;
    QString caption; // empty for the plain message box
    int flags = 0;
    bool operator==(const RecordedBox &o) const = default;
};

class RecordingView : public View {
public:
    void setLabel(Lbl label, const QString &text) override { labels[label] = text; ++labelWrites[label]; }
    void setPanel(int panel, const QString &text) override { panels[panel] = text; }
    void setPanelHint(int panel, const QString &hint) override { hints[panel] = hint; }
    void setCell(Grid grid, int col, int row, const QString &text) override { cells[{int(grid), {col, row}}] = text; }
    void setField(Field field, const QString &text) override { fields[field] = text; }
    void focusField(Field field) override { focus << field; }
    void selectPort(const QString &name) override { selectedPort = name; }
    void setTimerRv(bool on) override { timerRv = on; }
    void setValueAxis(int m, bool automatic, double min, double max) override { axis[m] = {automatic, {min, max}}; }
    void traceReset(int m) override { ++traceResets[m]; }
    void showMessage(const QString &text) override { boxes << RecordedBox{text, QString(), 0}; }
    void messageBox(const QString &text, const QString &caption, int flags) override
    {
        boxes << RecordedBox{text, caption, flags};
    }
    void postLinkMsg(int msg) override { posted << msg; }

    QString cell(Grid grid, int col, int row) const { return cells.value({int(grid), {col, row}}); }

    QMap<Lbl, QString> labels;
    QMap<Lbl, int> labelWrites;
    QMap<int, QString> panels;
    QMap<int, QString> hints;
    QMap<QPair<int, QPair<int, int>>, QString> cells;
    QMap<Field, QString> fields;
    QVector<Field> focus;
    QString selectedPort;
    bool timerRv = false;
    QMap<int, QPair<bool, QPair<double, double>>> axis;
    QMap<int, int> traceResets;
    QVector<RecordedBox> boxes;
    QVector<int> posted;
};
