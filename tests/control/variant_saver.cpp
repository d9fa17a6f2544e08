// One user of the concurrent-variants test: varies a sheet, says so, waits for the start signal
// (a file appearing), saves and commits, and prints the variant number it got.
#include "control/ZelmModelService.h"
#include "framework/session/Session.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    try {
        TSession session(nullptr, 1);
        TZelmModelService service;
        service.SetSession(&session);
        service.StartTransaction();
        auto from = service.Load(QByteArray(argv[1]).toInt());
        auto variant = service.CreateVariante(*from);
        variant->Model()->SetModello(
            QStringLiteral("processo %1").arg(QCoreApplication::applicationPid()));
        std::printf("PRONTO\n");
        std::fflush(stdout);
        while (!QFileInfo::exists(QString::fromLocal8Bit(argv[2])))
            QThread::msleep(5);
        service.Save(*variant);
        service.EndTransaction(true);
        std::printf("VARIANTE %d %s\n", variant->Model()->IdVariante(),
                    qPrintable(variant->Model()->QrCode()));
        return 0;
    } catch (const std::exception& e) {
        std::printf("ERRORE %s\n", e.what());
        return 1;
    }
}
