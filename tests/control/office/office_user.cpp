// An application that starts the office and then waits to be killed (for the orphan test):
// prints the office's process id and its profile folder.
#include "control/office/OfficeSuite.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TOfficeSuite::Instance().NewSpreadsheet()->Close();
    const QString pattern =
        QStringLiteral("zelm-office-%1-*").arg(QCoreApplication::applicationPid());
    const QStringList profiles = QDir(QDir::tempPath()).entryList({pattern}, QDir::Dirs);
    std::printf("%lld %s\n", TOfficeSuite::Instance().ProcessId(),
                qPrintable(QDir::tempPath() + '/' + profiles.value(0)));
    std::fflush(stdout);
    for (;;)
        QThread::sleep(1);
}
