#include "app/prot_files.h"

#include "app/view.h"

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

QByteArray Prot_Heading(int m)
{
    const QString title = QString(18, u' ') + QStringLiteral("\t\t") +
                          (m == 0 ? QStringLiteral("Сработки первого фланга") : QStringLiteral("Сработки второго фланга")) +
                          QString(32, u' ');
    const QString rule(85, u'-');
    const QString columns = QStringLiteral(
        "|Номер|Сигн.с ЧЭ отф.|Сигн.с ЧЭ отф.,%| Порог |Базовое знач.пор.|   Дата   | Время  |");
    QStringEncoder cp1251("windows-1251");
    QByteArray bytes;
    for (const QString &line : {title, rule, columns, rule}) {
        bytes += cp1251.encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

QString Prot_Path(const QString &workDir, const QDate &date, int m)
{
    return workDir + QStringLiteral("/prot/%1%2%3.f%4")
                         .arg(date.day(), 2, 10, QLatin1Char('0'))
                         .arg(date.month(), 2, 10, QLatin1Char('0'))
                         .arg(date.year(), 4, 10, QLatin1Char('0'))
                         .arg(m + 1);
}

namespace {

// Writes a new file whole, or leaves none behind.
bool Write_New(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    bool ok = file.write(bytes) == bytes.size();
    ok = file.flush() && ok;
    file.close();
    ok = ok && file.error() == QFileDevice::NoError;
    if (!ok)
        file.remove();
    return ok;
}

} // namespace

void Prot_Init(const QString &workDir, const QDate &date, View &view)
{
    for (int m = 0; m < 2; ++m) {
        const QString path = Prot_Path(workDir, date, m);
        if (QFileInfo::exists(path))
            continue; // whatever it holds, an existing file stays as it is
        if (!Write_New(path, Prot_Heading(m)))
            view.messageBox(QStringLiteral("Не открылся файл для записи"), QStringLiteral("Ошибка"), MB_ICONERROR);
    }
}
