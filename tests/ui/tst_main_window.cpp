// The main window as the user meets it: start state, size, Alt+X and
// "Выход", the port list, the boxes of the link messages, the About box.
#include "about_box.h"
#include "charts.h"
#include "fake_port.h"
#include "main_window.h"
#include "port_combo_box.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>
#include <qcustomplot.h>

namespace {

struct ShownBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

QList<ShownBox> shown;

// A named part of a window; fails the test when it is missing.
template <typename T>
T *part(QObject *root, const char *name)
{
    T *c = root->findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("missing %s", name);
    return c;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void startState_data();
    void startState();
    void clientAreaIsFixedBelowTheMenu();
    void textsFitTheirControls();
    void altX_data();
    void altX();
    void exitWithPortNeverOpened();
    void linkMessageBoxAfterTheLoop_data();
    void linkMessageBoxAfterTheLoop();
    void plainMessageCarriesTheTitle();
    void boxesWaitForTheEndOfThePass();
    void valueAxis_data();
    void valueAxis();
    void portList();
    void aboutBoxReturns();

private:
    QTemporaryDir work_;
    QString oldDir_;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(work_.isValid());
    // Protocol files go below the current folder; both folders exist, so no box.
    QDir(work_.path()).mkpath(QStringLiteral("prot"));
    QDir(work_.path()).mkpath(QStringLiteral("Chart"));
    oldDir_ = QDir::currentPath();
    QDir::setCurrent(work_.path());
    TFmain::boxHook = [](QMessageBox &mb) {
        shown << ShownBox{mb.windowTitle(), mb.text(), mb.icon(), mb.standardButtons()};
    };
}

void TestMainWindow::init()
{
    shown.clear();
}

void TestMainWindow::cleanupTestCase()
{
    TFmain::boxHook = nullptr;
    QDir::setCurrent(oldDir_);
}

void TestMainWindow::startState_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("panel2");

    QTest::newRow("COM1 opens") << "COM1" << true << QStringLiteral("COM1 включён");
    QTest::newRow("COM1 missing") << "COM1" << false << QStringLiteral("COM1 выключен");
    QTest::newRow("device path not in the list") << "/dev/nonexistent" << false
                                                 << QStringLiteral("/dev/nonexistent выключен");
}

void TestMainWindow::startState()
{
    QFETCH(QString, port);
    QFETCH(bool, present);
    QFETCH(QString, panel2);

    FakeOpener opener;
    if (present)
        opener.line(port);
    TFmain w(opener, port);

    QCOMPARE(w.statusPanel(0)->text(), QStringLiteral("0"));
    QCOMPARE(w.statusPanel(1)->text(), QStringLiteral("0"));
    QCOMPARE(w.statusPanel(2)->text(), panel2);
    QCOMPARE(w.statusPanel(3)->text(), QStringLiteral(" Alt+X - выход"));
    QCOMPARE(w.statusPanel(4)->text(), QString());
    QCOMPARE(part<PortComboBox>(&w, "ComboBox1")->currentText(), port);
    QCOMPARE(w.TimerRv.isActive(), present);
    QCOMPARE(w.TimerRv.interval(), 40);
    QVERIFY(w.Timer1.isActive());
    QCOMPARE(w.Timer1.interval(), 1000);
    QVERIFY(shown.isEmpty());

    // The pages as the start leaves them.
    QCOMPARE(part<QTabWidget>(&w, "PageControl1")->currentWidget(), part<QWidget>(&w, "TabSheet1"));
    QCOMPARE(part<QLineEdit>(&w, "Edit1")->text(), QStringLiteral("5000"));
    QCOMPARE(part<QLineEdit>(&w, "Edit6")->text(), QStringLiteral("1023"));
    QVERIFY(part<QRadioButton>(&w, "RadioButton2")->isChecked());
    QVERIFY(part<QRadioButton>(&w, "RadioButton4")->isChecked());
    QCOMPARE(part<QPushButton>(&w, "BBtnRunStop1")->text(), QStringLiteral("Стоп"));
    QCOMPARE(part<QTableWidget>(&w, "StringGrid1")->item(0, 0)->text(), QStringLiteral("Сигнал с ЧЭ отфильтр."));
    QCOMPARE(part<QTableWidget>(&w, "StringGrid5")->item(4, 0)->text(), QStringLiteral("Нулевой уровень"));
    QCOMPARE(part<QTableWidget>(&w, "StringGrid6")->item(0, 6)->text(), QStringLiteral(" Время"));
    for (QLabel *value : {part<QLabel>(&w, "N_rv_byte"), part<QLabel>(&w, "Tr_Frame"), part<QLabel>(&w, "Label37"), part<QLabel>(&w, "Rv_Function")})
        QCOMPARE(value->text(), value->objectName());
    for (QCustomPlot *plot : {part<QCustomPlot>(&w, "Chart1"), part<QCustomPlot>(&w, "Chart2"), part<QCustomPlot>(&w, "Chart3")}) {
        QCOMPARE(plot->graphCount(), 4);
        QCOMPARE(plot->yAxis->range(), QCPRange(0, 1023));
        for (int i = 0; i < 4; ++i)
            QVERIFY(plot->graph(i)->data()->isEmpty());
    }
}

void TestMainWindow::clientAreaIsFixedBelowTheMenu()
{
    FakeOpener opener;
    TFmain w(opener);
    w.show();
    const int menu = w.menuBar()->height();
    QVERIFY(menu > 0);
    QCOMPARE(w.size(), QSize(989, menu + 694));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(w.centralWidget()->geometry(), QRect(0, menu, 989, 669));
    QCOMPARE(w.statusBar()->geometry(), QRect(0, menu + 669, 989, 25));
    QCOMPARE(part<QTabWidget>(&w, "PageControl1")->geometry(), QRect(8, 42, 979, 611));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(w.statusPanel(i)->width(), 150);
    QVERIFY(w.statusPanel(4)->geometry().right() > 900);
}

// Every caption sits inside its control at the layout's size and font.
void TestMainWindow::textsFitTheirControls()
{
    FakeOpener opener;
    TFmain w(opener);
    QStringList tooWide;
    const QList<QWidget *> all = w.findChildren<QWidget *>() + w.aboutBox()->findChildren<QWidget *>();
    for (QWidget *c : all) {
        const QFontMetrics fm(c->font());
        int needed = 0;
        QString text;
        if (auto *l = qobject_cast<QLabel *>(c)) {
            if (l->wordWrap() || l->parent() == w.statusBar())
                continue;
            text = l->text();
            needed = fm.horizontalAdvance(text);
        } else if (auto *r = qobject_cast<QRadioButton *>(c)) {
            text = r->text();
            needed = fm.horizontalAdvance(text) + 18;
        } else if (auto *b = qobject_cast<QPushButton *>(c)) {
            text = b->text();
            needed = fm.horizontalAdvance(text) + 8 + (b->icon().isNull() ? 0 : 20);
        } else {
            continue;
        }
        if (needed > c->width())
            tooWide << QStringLiteral("%1 \"%2\": %3 > %4").arg(c->objectName(), text).arg(needed).arg(c->width());
    }
    QVERIFY2(tooWide.isEmpty(), qPrintable(tooWide.join(QLatin1String("; "))));
}

void TestMainWindow::altX_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("networkAdr"); // what the address field holds afterwards

    QTest::newRow("Alt+X in the address field") << "NetworkAdr" << int(Qt::AltModifier) << true << "1";
    QTest::newRow("Ctrl+Alt+X in the port list") << "ComboBox1" << int(Qt::ControlModifier | Qt::AltModifier)
                                                 << true << "1";
    QTest::newRow("Shift+Alt+X in a scale field") << "Edit2" << int(Qt::ShiftModifier | Qt::AltModifier) << true
                                                  << "1";
    QTest::newRow("X alone reaches the field") << "NetworkAdr" << int(Qt::NoModifier) << false << "1x";
    QTest::newRow("Ctrl+X in the statistics table") << "StringGrid1" << int(Qt::ControlModifier) << false << "1";
}

void TestMainWindow::altX()
{
    QFETCH(QString, target);
    QFETCH(int, modifiers);
    QFETCH(bool, closes);
    QFETCH(QString, networkAdr);

    FakeOpener opener;
    opener.line(QStringLiteral("COM1"));
    TFmain w(opener);
    w.show();
    QVERIFY(opener.line(QStringLiteral("COM1")).open);
    auto *widget = w.findChild<QWidget *>(target);
    QVERIFY(widget);
    // Show the page that holds the control, as a user would.
    auto *pages = part<QTabWidget>(&w, "PageControl1");
    for (QWidget *p = widget; p && p != pages; p = p->parentWidget())
        if (pages->indexOf(p) >= 0)
            pages->setCurrentWidget(p);

    QTest::keyClick(widget, Qt::Key_X, Qt::KeyboardModifiers(modifiers));

    QCOMPARE(w.isVisible(), !closes);
    QCOMPARE(opener.line(QStringLiteral("COM1")).open, !closes);
    QCOMPARE(part<QLineEdit>(&w, "NetworkAdr")->text(), networkAdr);
    QVERIFY(shown.isEmpty());
}

void TestMainWindow::exitWithPortNeverOpened()
{
    FakeOpener opener; // knows no port: COM1 fails to open
    TFmain w(opener);
    w.show();
    QCOMPARE(w.statusPanel(2)->text(), QStringLiteral("COM1 выключен"));

    part<QAction>(&w, "NExit")->trigger();

    QVERIFY(!w.isVisible());
    QVERIFY(!w.TimerRv.isActive());
    QVERIFY(shown.isEmpty());
}

void TestMainWindow::linkMessageBoxAfterTheLoop_data()
{
    QTest::addColumn<int>("msg");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("icon");

    QTest::newRow("link lost") << WM_LINK_LOST << QStringLiteral("Нет связи с датчиком!") << int(QMessageBox::Critical);
    QTest::newRow("link restored") << WM_LINK_RESTORED << QStringLiteral("Связь восстановлена!")
                                   << int(QMessageBox::Warning);
}

void TestMainWindow::linkMessageBoxAfterTheLoop()
{
    QFETCH(int, msg);
    QFETCH(QString, text);
    QFETCH(int, icon);

    FakeOpener opener;
    TFmain w(opener);
    w.postLinkMsg(msg);
    QVERIFY(shown.isEmpty()); // posted, not shown inside the caller

    QCoreApplication::sendPostedEvents(&w);

    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].caption, QStringLiteral("Ошибка"));
    QCOMPARE(shown[0].text, text);
    QCOMPARE(int(shown[0].icon), icon);
    QCOMPARE(shown[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void TestMainWindow::boxesWaitForTheEndOfThePass()
{
    FakeOpener opener;
    opener.line("COM1");
    TFmain w(opener);
    Link &link = w.program().link;

    // A box that arises inside a pass: an impossible head command.
    link.nCmdQueue = 1;
    link.CmdQueue[0].usKey = 0x41;
    link.CmdQueue[0].cSOF = ':';
    link.CmdQueue[0].usDataLen = SIZE_TR_BUF + 1;
    link.Tick_Cnt = 4;
    int failsWhenShown = -1;
    struct Restore {
        std::function<void(QMessageBox &)> hook;
        ~Restore() { TFmain::boxHook = hook; }
    } restore{TFmain::boxHook};
    TFmain::boxHook = [&](QMessageBox &box) {
        shown << ShownBox{box.windowTitle(), box.text(), box.icon(), box.standardButtons()};
        failsWhenShown = link.Tr_Fail;
    };
    QVERIFY(QMetaObject::invokeMethod(&w, "TimerRvTimer"));

    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("Send_Cmd1: usDataLen>SIZE_TR_BUF!"));
    QCOMPARE(failsWhenShown, 1); // the pass had finished its tick step

    // An answer restores the link; its box comes with the loop, not the pass.
    opener.lines["COM1"].incoming = ":0141BE\r\n";
    QVERIFY(QMetaObject::invokeMethod(&w, "TimerRvTimer"));
    QCOMPARE(link.LinkOk, int16_t(1));
    QCOMPARE(shown.size(), 1);
    QCoreApplication::sendPostedEvents(&w);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1].text, QStringLiteral("Связь восстановлена!"));
}

void TestMainWindow::plainMessageCarriesTheTitle()
{
    FakeOpener opener;
    TFmain w(opener);
    w.showMessage(QStringLiteral(" Неверный формат данных; повторите ввод"));

    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].caption, APP_TITLE);
    QCOMPARE(shown[0].text, QStringLiteral(" Неверный формат данных; повторите ввод"));
    QCOMPARE(shown[0].icon, QMessageBox::NoIcon);
    QCOMPARE(shown[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void TestMainWindow::valueAxis_data()
{
    QTest::addColumn<int>("m");
    QTest::newRow("flank 1") << 0;
    QTest::newRow("flank 2") << 1;
}

void TestMainWindow::valueAxis()
{
    QFETCH(int, m);
    FakeOpener opener;
    TFmain w(opener);
    QRadioButton *autoButton = m == 0 ? part<QRadioButton>(&w, "RadioButton1") : part<QRadioButton>(&w, "RadioButton3");
    QRadioButton *manualButton = m == 0 ? part<QRadioButton>(&w, "RadioButton2") : part<QRadioButton>(&w, "RadioButton4");
    QLineEdit *minField = m == 0 ? part<QLineEdit>(&w, "Edit2") : part<QLineEdit>(&w, "Edit5");
    QLineEdit *maxField = m == 0 ? part<QLineEdit>(&w, "Edit3") : part<QLineEdit>(&w, "Edit6");
    QCustomPlot *plot = m == 0 ? part<QCustomPlot>(&w, "Chart1") : part<QCustomPlot>(&w, "Chart2");
    QCustomPlot *other = m == 0 ? part<QCustomPlot>(&w, "Chart2") : part<QCustomPlot>(&w, "Chart1");

    plot->graph(0)->addData(0, 300);
    plot->graph(0)->addData(1, 700);
    w.setValueAxis(m, true, 0, 1023);
    QVERIFY(autoButton->isChecked());
    QVERIFY(!minField->isEnabled());
    QVERIFY(!maxField->isEnabled());
    QCOMPARE(plot->yAxis->range(), QCPRange(300, 700));

    w.setValueAxis(m, false, 100, 500);
    QVERIFY(manualButton->isChecked());
    QVERIFY(minField->isEnabled());
    QVERIFY(maxField->isEnabled());
    QCOMPARE(plot->yAxis->range(), QCPRange(100, 500));
    QCOMPARE(other->yAxis->range(), QCPRange(0, 1023));

    w.traceReset(m);
    for (int i = 0; i < 4; ++i)
        QVERIFY(plot->graph(i)->data()->isEmpty());
}

void TestMainWindow::portList()
{
    FakeOpener opener;
    opener.line(QStringLiteral("COM2"));
    TFmain w(opener, QStringLiteral("/dev/nonexistent"));
    PortComboBox *list = part<PortComboBox>(&w, "ComboBox1");

    // Reading the names again keeps the added device and the selection.
    list->refresh();
    QCOMPARE(list->currentText(), QStringLiteral("/dev/nonexistent"));
    QCOMPARE(list->itemText(0), QStringLiteral("COM1"));

    const int com2 = list->findText(QStringLiteral("COM2"));
    list->setCurrentIndex(com2);
    emit list->activated(com2);
    QCOMPARE(w.statusPanel(2)->text(), QStringLiteral("COM2 включён"));
    QVERIFY(w.TimerRv.isActive());

    // Picking the same item again reopens it.
    emit list->activated(com2);
    QCOMPARE(opener.opened, QStringList({QStringLiteral("COM2"), QStringLiteral("COM2")}));

    const int dev = list->findText(QStringLiteral("/dev/nonexistent"));
    QVERIFY(dev >= 0);
    emit list->activated(dev);
    QCOMPARE(w.statusPanel(2)->text(), QStringLiteral("/dev/nonexistent выключен"));
    QVERIFY(!opener.line(QStringLiteral("COM2")).open);
    QVERIFY(!w.TimerRv.isActive());
}

void TestMainWindow::aboutBoxReturns()
{
    FakeOpener opener;
    TFmain w(opener);
    TAboutBox *box = w.aboutBox();
    QVERIFY(!box->isVisible());
    QCOMPARE(box->windowTitle(), QStringLiteral("О программе..."));
    QCOMPARE(box->size(), QSize(549, 219));
    QCOMPARE(box->minimumSize(), box->maximumSize());

    // Shown without its own loop here; Enter and the close button both return.
    box->show();
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(!box->isVisible());
    QCOMPARE(box->result(), int(QDialog::Accepted));

    box->show();
    box->close();
    QVERIFY(!box->isVisible());

    box->show();
    part<QPushButton>(box, "OKButton")->click();
    QVERIFY(!box->isVisible());
    QCOMPARE(box->result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
