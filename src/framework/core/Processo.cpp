#include "Processo.h"

#include "ZavoError.h"

#include <QEventLoop>
#include <QProcess>

int EseguiProgramma(const QString& program, const QStringList& arguments, QByteArray* output) {
    QProcess process;
    QByteArray collected;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                     [&] { collected += process.readAllStandardOutput(); });
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(-1))
        throw EZavoError(
            QStringLiteral("Errore indefinito durante l'esecuzione di %1").arg(program));
    process.closeWriteChannel();
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    process.waitForFinished(-1);
    collected += process.readAllStandardOutput();
    if (output)
        *output = collected;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
