#include "FbClient.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <unistd.h>

using namespace Firebird;

namespace FbClient {

namespace {
// The embedded engine keeps its lock files in /tmp/firebird unless told otherwise; a user who
// cannot write there would get an obscure failure, so point it at a private writable folder.
void PrepareEnvironment() {
    if (std::getenv("FIREBIRD_LOCK") || geteuid() == 0)
        return;
    const QString dir = QDir::tempPath() + QStringLiteral("/firebird-%1").arg(getuid());
    QDir().mkpath(dir);
    setenv("FIREBIRD_LOCK", QFile::encodeName(dir).constData(), 0);
}
} // namespace

IMaster* Master() {
    static IMaster* master = [] {
        PrepareEnvironment();
        return fb_get_master_interface();
    }();
    return master;
}

IUtil* Util() {
    static IUtil* util = Master()->getUtilInterface();
    return util;
}

IProvider* Provider() {
    static IProvider* provider = Master()->getDispatcher();
    return provider;
}

Status::Status() : fStatus(Master()->getStatus()), fWrapper(fStatus) {}

Status::~Status() { fStatus->dispose(); }

bool Status::Failed() const {
    return (const_cast<CheckStatusWrapper&>(fWrapper).getState() & IStatus::STATE_ERRORS) != 0;
}

void Status::Check() {
    if (Failed())
        Raise();
}

void Status::Raise() {
    EDatabaseError error = ErrorFromStatus(&fWrapper);
    fWrapper.init();
    throw error;
}

EDatabaseError ErrorFromStatus(IStatus* status) {
    char buffer[2048] = {};
    Util()->formatStatus(buffer, sizeof buffer - 1, status);
    QString message = QString::fromUtf8(buffer).trimmed();

    std::vector<long> codes;
    int osError = 0;
    const intptr_t* v = status->getErrors();
    while (v && *v != isc_arg_end) {
        const intptr_t tag = *v++;
        switch (tag) {
        case isc_arg_gds:
            codes.push_back(static_cast<long>(*v++));
            break;
        case isc_arg_cstring:
            v += 2;
            break;
        case isc_arg_unix:
            osError = static_cast<int>(*v++);
            break;
        default:
            ++v;
            break;
        }
    }
    return EDatabaseError(message, std::move(codes), osError);
}

} // namespace FbClient
