// Writes numbered lines to a rotated log file (for the two-process test):
//   log_writer PATH MAXBYTES FILES TAG COUNT
#include "framework/core/Log.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 6)
        return 2;
    zelm::log::TFileLog log(QString::fromLocal8Bit(argv[1]), QByteArray(argv[2]).toLongLong(),
                            QByteArray(argv[3]).toInt());
    const QByteArray tag(argv[4]);
    const int count = QByteArray(argv[5]).toInt();
    const QByteArray filler(90, 'x');
    for (int i = 0; i < count; ++i)
        if (!log.Scrivi(tag + ' ' + QByteArray::number(i) + ' ' + filler + " fine"))
            return 1;
    return 0;
}
