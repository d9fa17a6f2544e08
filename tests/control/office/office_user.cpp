// An application that starts the office and then waits to be killed (for the orphan test):
// prints the office's process id and its profile folder. With "esci": one that ends at once.
#include "control/office/OfficeSuite.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "esci") == 0) {
        // Uses a document and ends at once with the office alive and no application object:
        // the exit must not race the bridge's threads.
        auto doc = TOfficeSuite::Instance().NewSpreadsheet();
        doc->SetString(0, 0, "fine");
        doc->Close();
        return 0;
    }
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
