#include "platform/workingset.h"

#include <malloc.h>
#include <sys/mman.h>

#include <QByteArray>
#include <QFile>
#include <QList>

void trimWorkingSet() {
    malloc_trim(0);
#ifdef MADV_PAGEOUT
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return;
    // Only mappings of files: the kernel keeps pages that other processes map too, and a page
    // written since (a relocation) is anonymous memory, which it can only swap.
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || !fields[5].startsWith('/'))
            continue;
        const QList<QByteArray> range = fields[0].split('-');
        bool startOk = false;
        bool endOk = false;
        const quintptr start = range.value(0).toULongLong(&startOk, 16);
        const quintptr end = range.value(1).toULongLong(&endOk, 16);
        if (startOk && endOk && end > start)
            madvise(reinterpret_cast<void*>(start), end - start, MADV_PAGEOUT);
    }
#endif
}
