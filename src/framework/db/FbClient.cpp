#include "FbClient.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

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

namespace {
// Status objects are needed around every client call; a small per-thread pool keeps them from
// being allocated and freed once per fetched row.
// Once the thread's pool is gone (a connection closed by an exit handler, after the main
// thread's own objects), statuses are allocated and freed one by one.
thread_local bool tPoolGone = false;
struct StatusPool {
    std::vector<IStatus*> free;
    ~StatusPool() {
        for (IStatus* s : free)
            s->dispose();
        free.clear();
        tPoolGone = true;
    }
};
thread_local StatusPool tPool;

IStatus* TakeStatus() {
    if (tPoolGone || tPool.free.empty())
        return Master()->getStatus();
    IStatus* s = tPool.free.back();
    tPool.free.pop_back();
    return s;
}
} // namespace

Status::Status() : fStatus(TakeStatus()), fWrapper(fStatus) {}

Status::~Status() {
    if (tPoolGone) {
        fStatus->dispose();
        return;
    }
    fStatus->init();
    tPool.free.push_back(fStatus);
}

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

namespace {
std::atomic<unsigned> gConnessioniPerse{0};
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
        case isc_arg_win32: {
            // A Windows server: "file not found" and "path not found" both mean no such file.
            const intptr_t code = *v++;
            if (code == 2 || code == 3)
                osError = ENOENT;
            break;
        }
        case isc_arg_interpreted: {
            // Through a server the OS error arrives as its text only.
            const char* text = reinterpret_cast<const char*>(*v++);
            if (text && std::strcmp(text, std::strerror(ENOENT)) == 0)
                osError = ENOENT;
            break;
        }
        default:
            ++v;
            break;
        }
    }
    EDatabaseError error(message, std::move(codes), osError);
    if (error.IsConnectionLost())
        gConnessioniPerse.fetch_add(1, std::memory_order_relaxed);
    return error;
}

unsigned ConnessioniPerse() {
    return gConnessioniPerse.load(std::memory_order_relaxed);
}

} // namespace FbClient
