#pragma once
// Processor time this process has used, to tell an idle loop from a spinning one.

#include <QtGlobal>
#include <sys/resource.h>

inline qint64 cpuMicroseconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return qint64(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000000 + u.ru_utime.tv_usec + u.ru_stime.tv_usec;
}
