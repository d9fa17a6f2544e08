#include "Processo.h"

#include "ZavoError.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QProcess>

namespace {
/// While a companion program runs, what the user clicks or types is dropped, not held back: held
/// input would be replayed when the program ends (a second click on a command would start it
/// again). Paint, timer and the process's own events go on.
class TScartaInput : public QObject {
public:
    TScartaInput() {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->installEventFilter(this);
    }
    ~TScartaInput() override {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
        }
    }
};
} // namespace

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
    if (process.state() != QProcess::NotRunning) {
        TScartaInput discard;
        loop.exec();
    }
    process.waitForFinished(-1);
    collected += process.readAllStandardOutput();
    if (output)
        *output = collected;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
