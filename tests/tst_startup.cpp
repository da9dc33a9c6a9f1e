// Start-up of the program, its exit paths and the link message boxes.
#include "app/program.h"
#include "fake_port.h"
#include "recording_view.h"

#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void formCreate_data();
    void formCreate();
    void headings();
    void keyDown_data();
    void keyDown();
    void exitWithPortNeverOpened();
    void exitClosesPortAndStopsReceiver();
    void linkMessages();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString oldCwd_;
};

void TestStartup::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QDir(dir_->path()).mkdir("prot");
    oldCwd_ = QDir::currentPath();
    QDir::setCurrent(dir_->path());
}

void TestStartup::cleanup()
{
    QDir::setCurrent(oldCwd_);
}

void TestStartup::formCreate_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("present");
    QTest::newRow("COM1 present") << "COM1" << true;
    QTest::newRow("no COM1") << "COM1" << false;
    QTest::newRow("port from the command line") << "/dev/pts/9" << true;
}

void TestStartup::formCreate()
{
    QFETCH(QString, port);
    QFETCH(bool, present);
    RecordingView view;
    FakeOpener opener;
    if (present)
        opener.line(port);
    Program program(view, opener);

    program.FormCreate(port, QDate(2026, 1, 1));

    QCOMPARE(program.WorkDir, QDir::currentPath());
    QCOMPARE(view.panels[0], QString("0"));
    QCOMPARE(view.panels[1], QString("0"));
    QCOMPARE(view.panels[2], port + (present ? " включён" : " выключен"));
    QCOMPARE(view.panels[3], QString(" Alt+X - выход"));
    QCOMPARE(view.panels.value(4), QString()); // empty either way
    QCOMPARE(view.selectedPort, port);
    QCOMPARE(view.timerRv, present);
    QCOMPARE(bool(program.link.hCom), present);
    QCOMPARE(opener.opened, present ? QStringList{port} : QStringList{});

    for (Field f : {Field::Edit1, Field::Edit4})
        QCOMPARE(view.fields[f], QString("5000"));
    for (Field f : {Field::Edit2, Field::Edit5})
        QCOMPARE(view.fields[f], QString("0"));
    for (Field f : {Field::Edit3, Field::Edit6})
        QCOMPARE(view.fields[f], QString("1023"));
    for (Field f : {Field::Edit7, Field::Edit8})
        QCOMPARE(view.fields[f], QString("100"));
    for (int m = 0; m < 2; ++m) {
        QCOMPARE(view.axis[m], qMakePair(false, qMakePair(0.0, 1023.0)));
        QVERIFY(view.traceResets[m] >= 1);
        const FlankState &f = program.flanks.Flank[m];
        QCOMPARE(f.ulLength, 5000u);
        QCOMPARE(f.ulX, 0u);
        QCOMPARE(f.fPercent, 100.0f);
    }
    QVERIFY(view.boxes.isEmpty());
    QVERIFY(QFileInfo::exists("prot/01012026.f1"));
    QVERIFY(QFileInfo::exists("prot/01012026.f2"));
}

void TestStartup::headings()
{
    RecordingView view;
    FakeOpener opener;
    Program program(view, opener);
    program.FormCreate();

    const QStringList stats{"Сигнал с ЧЭ отфильтр.", "Сигнал с ЧЭ отфильтр.,%", "Текущий порог", "Базовое знач.порога",
                            "Нулевой уровень"};
    const QStringList events{" Номер", " Сигнал с ЧЭ отф.", " Сигнал с ЧЭ отф.,%", " Порог", " Базовое знач.порога",
                             " Дата", " Время"};
    for (Grid g : {Grid::StringGrid1, Grid::StringGrid5})
        for (int row = 0; row < 5; ++row) {
            QCOMPARE(view.cell(g, 0, row), stats[row]);
            QCOMPARE(view.cell(g, 1, row), QString()); // values come with the first frames
        }
    for (Grid g : {Grid::StringGrid3, Grid::StringGrid6})
        for (int col = 0; col < 7; ++col)
            QCOMPARE(view.cell(g, col, 0), events[col]);
}

void TestStartup::keyDown_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("alt");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Alt+X") << int('X') << true << true;
    QTest::newRow("X alone") << int('X') << false << false;
    QTest::newRow("Alt+Y") << int('Y') << true << false;
}

void TestStartup::keyDown()
{
    QFETCH(int, key);
    QFETCH(bool, alt);
    QFETCH(bool, closes);
    RecordingView view;
    FakeOpener opener;
    opener.line("COM1");
    Program program(view, opener);
    program.FormCreate();

    QCOMPARE(program.FormKeyDown(key, alt), closes);
    QCOMPARE(opener.lines["COM1"].open, !closes);
    QCOMPARE(bool(program.link.hCom), !closes);
}

void TestStartup::exitWithPortNeverOpened()
{
    RecordingView view;
    FakeOpener opener;
    Program program(view, opener);
    program.FormCreate();
    program.NExitClick();
    QVERIFY(!view.timerRv);
    QVERIFY(program.FormKeyDown('X', true));
    QVERIFY(view.boxes.isEmpty());
}

void TestStartup::exitClosesPortAndStopsReceiver()
{
    RecordingView view;
    FakeOpener opener;
    opener.line("COM1");
    Program program(view, opener);
    program.FormCreate();
    QVERIFY(view.timerRv);
    program.NExitClick();
    QVERIFY(!view.timerRv);
    QVERIFY(!opener.lines["COM1"].open);
}

void TestStartup::linkMessages()
{
    RecordingView view;
    FakeOpener opener;
    Program program(view, opener);
    program.Link_Msg(WM_LINK_LOST);
    program.Link_Msg(WM_LINK_RESTORED);
    program.Link_Msg(1027);
    QCOMPARE(view.boxes, (QVector<RecordedBox>{{"Нет связи с датчиком!", "Ошибка", 16},
                                                {"Связь восстановлена!", "Ошибка", 48}}));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
