// The day's protocol files: exact bytes, existing files left alone, failures.
#include "app/prot_files.h"
#include "recording_view.h"

#include <QtTest>
#include <csignal>
#include <sys/resource.h>

namespace {

const QDate DAY(2026, 1, 1);
const RecordedBox CANNOT_CREATE{"Не открылся файл для записи", "Ошибка", 16};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestProtFiles : public QObject {
    Q_OBJECT
private slots:
    void init();
    void headingBytes();
    void newFiles();
    void existingFilesUntouched_data();
    void existingFilesUntouched();
    void missingFolder();
    void writeFailureLeavesNoFile();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString work_;
};

void TestProtFiles::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    work_ = dir_->path();
    QVERIFY(QDir(work_).mkdir("prot"));
}

void TestProtFiles::headingBytes()
{
    const QByteArray f1 = Prot_Heading(0);
    const QByteArray f2 = Prot_Heading(1);
    QCOMPARE(f1.size(), 338);
    QCOMPARE(f2.size(), 338);

    const QList<QByteArray> lines = f1.split('\n');
    QCOMPARE(lines.size(), 5); // four lines, each ended by CR LF
    QCOMPARE(lines[0].size(), 76);
    QCOMPARE(lines[1], QByteArray(85, '-') + '\r');
    QCOMPARE(lines[3], lines[1]);
    QCOMPARE(lines[4], QByteArray());
    // Windows-1251, byte for byte.
    QCOMPARE(lines[0], QByteArray(18, ' ') + "\t\t" + QByteArray::fromHex("d1f0e0e1eef2eae820efe5f0e2eee3ee20f4ebe0ede3e0") +
                           QByteArray(32, ' ') + '\r');
    QCOMPARE(lines[2], QByteArray::fromHex("7ccdeeece5f07cd1e8e3ed2ef120d7dd20eef2f42e7cd1e8e3ed2ef120d7dd20eef2f42e2c257c20cfeef0eee3207c"
                                           "c1e0e7eee2eee520e7ede0f72eefeef02e7c202020c4e0f2e02020207c20c2f0e5ecff20207c0d"));
    // The two files differ only in "первого" / "второго".
    QCOMPARE(f2, QByteArray(f1).replace(QByteArray::fromHex("efe5f0e2eee3ee"), QByteArray::fromHex("e2f2eef0eee3ee")));
}

void TestProtFiles::newFiles()
{
    RecordingView view;
    Prot_Init(work_, DAY, view);
    QVERIFY(view.boxes.isEmpty());
    QCOMPARE(readAll(work_ + "/prot/01012026.f1"), Prot_Heading(0));
    QCOMPARE(readAll(work_ + "/prot/01012026.f2"), Prot_Heading(1));
    QCOMPARE(Prot_Path(work_, QDate(2025, 3, 9), 1), work_ + "/prot/09032025.f2");
}

void TestProtFiles::existingFilesUntouched_data()
{
    QTest::addColumn<QByteArray>("f1");   // content, or "-" for no file
    QTest::addColumn<QByteArray>("f2");
    QTest::newRow("both exist") << QByteArray("journal 1") << QByteArray("journal 2");
    QTest::newRow("empty file") << QByteArray("") << QByteArray("");
    QTest::newRow("only flank 2 exists") << QByteArray("-") << QByteArray("kept");
}

void TestProtFiles::existingFilesUntouched()
{
    QFETCH(QByteArray, f1);
    QFETCH(QByteArray, f2);
    const QString p1 = work_ + "/prot/01012026.f1", p2 = work_ + "/prot/01012026.f2";
    if (f1 != "-")
        write(p1, f1);
    write(p2, f2);

    RecordingView view;
    Prot_Init(work_, DAY, view);

    QVERIFY(view.boxes.isEmpty());
    QCOMPARE(readAll(p1), f1 == "-" ? Prot_Heading(0) : f1);
    QCOMPARE(readAll(p2), f2);
}

void TestProtFiles::missingFolder()
{
    QVERIFY(QDir(work_).rmdir("prot"));
    RecordingView view;
    Prot_Init(work_, DAY, view);
    QCOMPARE(view.boxes, (QVector<RecordedBox>{CANNOT_CREATE, CANNOT_CREATE}));
    QVERIFY(!QFileInfo::exists(work_ + "/prot"));
}

void TestProtFiles::writeFailureLeavesNoFile()
{
    // The files can be created, but the disk takes only 100 bytes of each.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 100;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    RecordingView view;
    Prot_Init(work_, DAY, view);
    setrlimit(RLIMIT_FSIZE, &old);

    QCOMPARE(view.boxes, (QVector<RecordedBox>{CANNOT_CREATE, CANNOT_CREATE}));
    QVERIFY(QDir(work_ + "/prot").isEmpty());
}

QTEST_GUILESS_MAIN(TestProtFiles)
#include "tst_prot_files.moc"
