#include "app/program.h"

#include "app/prot_files.h"

#include <QDir>

const QString APP_TITLE = QStringLiteral("Программа для исследования характеристик датчика \"Тавирс-102\"");

namespace {

const char *const STAT_HEADINGS[5] = {
    "Сигнал с ЧЭ отфильтр.", "Сигнал с ЧЭ отфильтр.,%", "Текущий порог", "Базовое знач.порога", "Нулевой уровень",
};
const char *const EVENT_HEADINGS[7] = {
    " Номер", " Сигнал с ЧЭ отф.", " Сигнал с ЧЭ отф.,%", " Порог", " Базовое знач.порога", " Дата", " Время",
};

} // namespace

Program::Program(View &v, PortOpener &opener) : view(v), link(v, opener) {}

void Program::FormCreate(const QString &portName, const QDate &today)
{
    WorkDir = QDir::currentPath();

    view.setPanel(0, QStringLiteral("0"));
    view.setPanel(1, QStringLiteral("0"));
    view.setPanel(3, QStringLiteral(" Alt+X - выход"));

    view.selectPort(portName);

    flanks.Flank_Init();

    static const Field xField[2] = {Field::Edit1, Field::Edit4};
    static const Field minField[2] = {Field::Edit2, Field::Edit5};
    static const Field maxField[2] = {Field::Edit3, Field::Edit6};
    static const Field percentField[2] = {Field::Edit8, Field::Edit7};
    for (int m = 0; m < 2; ++m) {
        const FlankState &f = flanks.Flank[m];
        view.setField(xField[m], QString::number(f.ulLength));
        view.setField(minField[m], QString::number(f.fMinY));
        view.setField(maxField[m], QString::number(f.fMaxY));
        view.setField(percentField[m], QString::number(f.fPercent));
    }

    // "Ручн. по Y" on both pages: fixed value axis, traces start empty.
    for (int m = 0; m < 2; ++m) {
        view.setValueAxis(m, false, flanks.Flank[m].fMinY, flanks.Flank[m].fMaxY);
        Trace_Reset(m);
    }

    const int16_t r = link.Open_Com(portName);
    view.setPanel(2, portName + (r == 1 ? QStringLiteral(" включён") : QStringLiteral(" выключен")));

    for (Grid g : {Grid::StringGrid1, Grid::StringGrid5})
        for (int row = 0; row < 5; ++row)
            view.setCell(g, 0, row, QString::fromUtf8(STAT_HEADINGS[row]));
    for (Grid g : {Grid::StringGrid3, Grid::StringGrid6})
        for (int col = 0; col < 7; ++col)
            view.setCell(g, col, 0, QString::fromUtf8(EVENT_HEADINGS[col]));

    Prot_Init(WorkDir, today, view);
}

bool Program::FormKeyDown(int key, bool alt)
{
    if (key != 'X' || !alt)
        return false;
    link.Close_Com();
    return true;
}

void Program::NExitClick()
{
    link.Set_TimerRv(false);
    link.Close_Com();
}

void Program::Timer1Timer()
{
    link.Timer1Timer();
}

void Program::TimerRvTimer()
{
    link.TimerRvTimer();
}

void Program::Link_Msg(int msg)
{
    if (msg == WM_LINK_LOST)
        view.messageBox(QStringLiteral("Нет связи с датчиком!"), QStringLiteral("Ошибка"), MB_ICONERROR);
    else if (msg == WM_LINK_RESTORED)
        view.messageBox(QStringLiteral("Связь восстановлена!"), QStringLiteral("Ошибка"), MB_ICONEXCLAMATION);
}

void Program::Trace_Reset(int m)
{
    flanks.Flank[m].ulX = 0;
    view.traceReset(m);
}
