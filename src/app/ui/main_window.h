#pragma once
// The main window: its widgets, its event handlers and the View through
// which the program's logic writes to them.

#include "app/program.h"
#include "app/view.h"
#include "charts.h"

#include <QList>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QMessageBox;
class QTableWidget;
class TAboutBox;

namespace Ui {
class TFmain;
}

class TFmain : public QMainWindow, public View {
    Q_OBJECT
public:
    explicit TFmain(PortOpener &opener, const QString &startPort = QStringLiteral("COM1"), QWidget *parent = nullptr);
    ~TFmain() override;

    Program &program() { return program_; }
    Ui::TFmain *form() const { return ui.get(); }
    const ChartSeries &charts() const { return charts_; }
    TAboutBox *aboutBox() const { return AboutBox; }
    QLabel *statusPanel(int i) const { return panels_.value(i); }

    // When set, a message box is handed here, fully set up, instead of being
    // run; tests use it so that no box ever waits for a click.
    static std::function<void(QMessageBox &)> boxHook;

    // View
    void setLabel(Lbl label, const QString &text) override;
    void setPanel(int panel, const QString &text) override;
    void setPanelHint(int panel, const QString &hint) override;
    void setCell(Grid grid, int col, int row, const QString &text) override;
    void setField(Field field, const QString &text) override;
    void focusField(Field field) override;
    void selectPort(const QString &name) override;
    void setTimerRv(bool on) override;
    void setValueAxis(int m, bool automatic, double min, double max) override;
    void traceReset(int m) override;
    void showMessage(const QString &text) override;
    void messageBox(const QString &text, const QString &caption, int flags) override;
    void postLinkMsg(int msg) override;

    QTimer TimerRv;
    QTimer Timer1;

protected:
    // The window's message dispatch: the link's two messages go to the
    // program, everything else to Qt.
    bool event(QEvent *e) override;
    // Key preview: Alt+X is seen before the focused control.
    bool eventFilter(QObject *watched, QEvent *e) override;

private slots:
    void TimerRvTimer();
    void Timer1Timer();
    void ComboBox1Click(int index);
    void NExitClick();
    void N2Click();
    void N3_printClick();

private:
    struct Box {
        QString text;
        QString caption;
        int flags;
    };
    void showBox(const Box &box);
    void flushBoxes();
    QLineEdit *field(Field f) const;
    QTableWidget *grid(Grid g) const;

    std::unique_ptr<Ui::TFmain> ui;
    TAboutBox *AboutBox = nullptr;
    QList<QLabel *> panels_;
    ChartSeries charts_;
    bool inPass_ = false;
    bool flushing_ = false;
    QList<Box> pending_;

    // Declared last: the window and its widgets exist before the program
    // first writes to them, and the program (with its port) goes first.
    Program program_;
};
