#include "main_window.h"

#include "about_box.h"
#include "look.h"
#include "port_combo_box.h"
#include "ui_main_window.h"

#include <QApplication>
#include <array>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <qcustomplot.h>

std::function<void(QMessageBox &)> TFmain::boxHook;

namespace {

constexpr int CLIENT_WIDTH = 989;
constexpr int CLIENT_HEIGHT = 694;
constexpr int STATUS_HEIGHT = 25;
constexpr int PANEL_WIDTH = 150;

void setupGrid(QTableWidget *g, int col0, int col1)
{
    g->setColumnWidth(0, col0);
    g->setColumnWidth(1, col1);
    for (int r = 0; r < g->rowCount(); ++r)
        g->setRowHeight(r, 24);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

} // namespace

TFmain::TFmain(PortOpener &opener, const QString &startPort, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TFmain>()), program_(*this, opener)
{
    ui->setupUi(this);
    Form_PixelFonts(this);
    setWindowIcon(App_Icon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    // The separator of the "Файл" menu carries its own name like the items.
    for (QAction *a : ui->NFile->actions())
        if (a->isSeparator())
            a->setObjectName(QStringLiteral("N3"));

    // Status bar: four panels of 150 pixels, the last one takes the rest.
    ui->StatusBar1->setFixedHeight(STATUS_HEIGHT);
    ui->StatusBar1->setSizeGripEnabled(false);
    ui->StatusBar1->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 5; ++i) {
        auto *panel = new QLabel(ui->StatusBar1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        panel->setContentsMargins(2, 0, 2, 0);
        if (i < 4) {
            panel->setFixedWidth(PANEL_WIDTH);
            ui->StatusBar1->addWidget(panel);
        } else {
            panel->setMinimumWidth(50);
            ui->StatusBar1->addWidget(panel, 1);
        }
        panels_ << panel;
    }

    setupGrid(ui->StringGrid1, 172, 81);
    setupGrid(ui->StringGrid5, 172, 81);
    for (QTableWidget *g : {ui->StringGrid3, ui->StringGrid6})
        for (int r = 0; r < g->rowCount(); ++r)
            g->setRowHeight(r, 24);

    ui->BitBtnOpChart->setIcon(Chart_Icon());
    ui->BitBtn1->setIcon(Chart_Icon());
    ui->BBtnRunStop1->setProperty("Tag", 1);
    ui->BBtnRunStop2->setProperty("Tag", 1);
    // The texts go to the chart underneath; the empty label only marks its top edge.
    ui->Label4->setAttribute(Qt::WA_TransparentForMouseEvents);

    charts_ = Setup_Charts(ui->Chart1, ui->Chart2, ui->Chart3);

    AboutBox = new TAboutBox(this);
    AboutBox->setObjectName(QStringLiteral("AboutBox"));

    // Client area 989 × 694 below the menu bar, status bar included; fixed.
    const int menuHeight = ui->MainMenu1->sizeHint().height();
    setFixedSize(CLIENT_WIDTH, menuHeight + CLIENT_HEIGHT);

    TimerRv.setObjectName(QStringLiteral("TimerRv"));
    TimerRv.setInterval(40);
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    connect(&TimerRv, &QTimer::timeout, this, &TFmain::TimerRvTimer);
    connect(&Timer1, &QTimer::timeout, this, &TFmain::Timer1Timer);
    connect(ui->ComboBox1, &QComboBox::activated, this, &TFmain::ComboBox1Click);
    connect(ui->NExit, &QAction::triggered, this, &TFmain::NExitClick);
    connect(ui->N2, &QAction::triggered, this, &TFmain::N2Click);
    connect(ui->N3_print, &QAction::triggered, this, &TFmain::N3_printClick);

    qApp->installEventFilter(this);

    Timer1.start();
    program_.FormCreate(startPort);
}

TFmain::~TFmain()
{
    qApp->removeEventFilter(this);
    TimerRv.stop();
    Timer1.stop();
}


// --- View ------------------------------------------------------------------

namespace {

// Frames carry their CR LF and may carry other control characters; a label
// shows them on one line: the line end dropped, anything else as a dot.
QString Label_Text(QString text)
{
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    for (QChar &c : text)
        if (c.unicode() < 0x20)
            c = u'·';
    return text;
}

} // namespace

void TFmain::setLabel(Lbl label, const QString &text)
{
    QLabel *l = nullptr;
    switch (label) {
    case Lbl::N_rv_byte: l = ui->N_rv_byte; break;
    case Lbl::N_rv_frame: l = ui->N_rv_frame; break;
    case Lbl::Rv_Frame: l = ui->Rv_Frame; break;
    case Lbl::N_tr_byte: l = ui->N_tr_byte; break;
    case Lbl::N_tr_frame: l = ui->N_tr_frame; break;
    case Lbl::Tr_Frame: l = ui->Tr_Frame; break;
    case Lbl::KS_ERR: l = ui->KS_ERR; break;
    case Lbl::Overflow_buffer: l = ui->Overflow_buffer; break;
    case Lbl::Time_out: l = ui->Time_out; break;
    case Lbl::Label35: l = ui->Label35; break;
    case Lbl::Label37: l = ui->Label37; break;
    case Lbl::Rv_SOF: l = ui->Rv_SOF; break;
    case Lbl::Rv_Adress: l = ui->Rv_Adress; break;
    case Lbl::Rv_Function: l = ui->Rv_Function; break;
    }
    if (l)
        l->setText(Label_Text(text));
}

void TFmain::setPanel(int panel, const QString &text)
{
    if (QLabel *l = panels_.value(panel))
        l->setText(text);
}

void TFmain::setPanelHint(int panel, const QString &hint)
{
    if (QLabel *l = panels_.value(panel))
        l->setToolTip(hint);
}

QTableWidget *TFmain::grid(Grid g) const
{
    switch (g) {
    case Grid::StringGrid1: return ui->StringGrid1;
    case Grid::StringGrid5: return ui->StringGrid5;
    case Grid::StringGrid3: return ui->StringGrid3;
    case Grid::StringGrid6: return ui->StringGrid6;
    }
    return nullptr;
}

void TFmain::setCell(Grid g, int col, int row, const QString &text)
{
    QTableWidget *t = grid(g);
    if (!t || row < 0 || col < 0 || row >= t->rowCount() || col >= t->columnCount())
        return;
    if (QTableWidgetItem *item = t->item(row, col))
        item->setText(text);
    else
        t->setItem(row, col, new QTableWidgetItem(text));
}

QLineEdit *TFmain::field(Field f) const
{
    switch (f) {
    case Field::Edit1: return ui->Edit1;
    case Field::Edit2: return ui->Edit2;
    case Field::Edit3: return ui->Edit3;
    case Field::Edit4: return ui->Edit4;
    case Field::Edit5: return ui->Edit5;
    case Field::Edit6: return ui->Edit6;
    case Field::Edit7: return ui->Edit7;
    case Field::Edit8: return ui->Edit8;
    case Field::Delta1: return ui->Delta1;
    case Field::Delta2: return ui->Delta2;
    case Field::NetworkAdr: return ui->NetworkAdr;
    case Field::NetworkAdrRd: return ui->NetworkAdrRd;
    }
    return nullptr;
}

void TFmain::setField(Field f, const QString &text)
{
    if (QLineEdit *e = field(f))
        e->setText(text);
}

void TFmain::focusField(Field f)
{
    if (QLineEdit *e = field(f))
        e->setFocus(Qt::OtherFocusReason);
}

void TFmain::selectPort(const QString &name)
{
    ui->ComboBox1->selectPort(name);
}

void TFmain::setTimerRv(bool on)
{
    if (on)
        TimerRv.start();
    else
        TimerRv.stop();
}

void TFmain::setValueAxis(int m, bool automatic, double min, double max)
{
    QRadioButton *autoButton = m == 0 ? ui->RadioButton1 : ui->RadioButton3;
    QRadioButton *manualButton = m == 0 ? ui->RadioButton2 : ui->RadioButton4;
    (automatic ? autoButton : manualButton)->setChecked(true);
    const std::array<QLineEdit *, 2> limits = m == 0 ? std::array<QLineEdit *, 2>{ui->Edit2, ui->Edit3}
                                                     : std::array<QLineEdit *, 2>{ui->Edit5, ui->Edit6};
    for (QLineEdit *e : limits)
        e->setEnabled(!automatic);
    charts_.flank(m)->setValueAxis(automatic, min, max);
}

void TFmain::traceReset(int m)
{
    charts_.flank(m)->clear();
}

void TFmain::showMessage(const QString &text)
{
    messageBox(text, APP_TITLE, 0);
}

void TFmain::messageBox(const QString &text, const QString &caption, int flags)
{
    const Box box{text, caption, flags};
    // Never inside a receive pass: the box waits until the pass is over.
    if (inPass_ || flushing_) {
        pending_ << box;
        return;
    }
    showBox(box);
}

void TFmain::postLinkMsg(int msg)
{
    QCoreApplication::postEvent(this, new QEvent(QEvent::Type(msg)));
}

void TFmain::showBox(const Box &box)
{
    QMessageBox mb(this);
    mb.setWindowTitle(box.caption);
    mb.setText(box.text);
    mb.setStandardButtons(QMessageBox::Ok);
    if (box.flags == MB_ICONERROR)
        mb.setIcon(QMessageBox::Critical);
    else if (box.flags == MB_ICONEXCLAMATION)
        mb.setIcon(QMessageBox::Warning);
    else
        mb.setIcon(QMessageBox::NoIcon);
    if (boxHook)
        boxHook(mb);
    else
        mb.exec();
}

void TFmain::flushBoxes()
{
    if (flushing_)
        return;
    flushing_ = true;
    while (!pending_.isEmpty())
        showBox(pending_.takeFirst());
    flushing_ = false;
}

// --- events ----------------------------------------------------------------

bool TFmain::event(QEvent *e)
{
    const int type = int(e->type());
    if (type == WM_LINK_LOST || type == WM_LINK_RESTORED) {
        program_.Link_Msg(type);
        return true;
    }
    return QMainWindow::event(e);
}

bool TFmain::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        auto *key = static_cast<QKeyEvent *>(e);
        // The X key whatever the keyboard layout: with a Russian layout Qt
        // reports Ч, so the key's position (X11 key code 53) counts as well.
        const bool keyX = key->key() == Qt::Key_X || (QGuiApplication::platformName() == QLatin1String("xcb") && key->nativeScanCode() == 53);
        if (w && w->window() == this && keyX && (key->modifiers() & Qt::AltModifier)) {
            if (program_.FormKeyDown('X', true)) {
                close();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void TFmain::TimerRvTimer()
{
    if (inPass_)
        return;
    inPass_ = true;
    program_.TimerRvTimer();
    inPass_ = false;
    flushBoxes();
}

void TFmain::Timer1Timer()
{
    program_.Timer1Timer();
}

void TFmain::ComboBox1Click(int index)
{
    program_.ComboBox1Click(ui->ComboBox1->itemText(index));
}

void TFmain::NExitClick()
{
    program_.NExitClick();
    close();
}

void TFmain::N2Click()
{
    AboutBox->exec();
}

void TFmain::N3_printClick()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The client area as it looks now, with the page that is shown.
    const QPixmap image = ui->centralwidget->grab();
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(image.rect());
    painter.drawPixmap(0, 0, image);
}
