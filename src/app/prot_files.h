#pragma once
// The day's protocol files, one per flank, each with its table heading.

#include <QByteArray>
#include <QDate>
#include <QString>

class View;

// The bytes of a new protocol file of flank m (0 or 1), in Windows-1251.
QByteArray Prot_Heading(int m);
// Path of flank m's file for the given date below workDir.
QString Prot_Path(const QString &workDir, const QDate &date, int m);
// Creates the files of that date that do not exist yet.
void Prot_Init(const QString &workDir, const QDate &date, View &view);
