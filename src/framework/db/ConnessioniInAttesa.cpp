#include "ConnessioniInAttesa.h"

#include "IBDatabase.h"

#include "framework/core/ZavoError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <cstdlib>
#include <mutex>
#include <vector>

namespace {
// A handful at most: a lookup uses the user database and one archive.
constexpr size_t kMassimo = 4;

struct TInAttesa {
    std::unique_ptr<TIBDatabase> db;
    QString chiave;
    QElapsedTimer da;
};

struct TRiserva {
    std::mutex lock;
    std::vector<TInAttesa> connessioni;
    bool chiusuraRegistrata = false;
    // Closes what waited too long, lookups or not; it lives in the application's thread.
    QTimer* scadenza = nullptr;
};

TRiserva& Riserva() {
    static TRiserva r;
    return r;
}

QString Chiave(const QString& databaseName, const QStringList& params) {
    return databaseName + QLatin1Char('\n') + params.join(QLatin1Char('\n'));
}

// Closed outside the lock: a detach through a server may take a while.
void ChiudiTutte(std::vector<std::unique_ptr<TIBDatabase>> uscite) {
    for (auto& db : uscite) {
        try {
            db->Close();
        } catch (const EZavoError&) {
            // a connection the server already dropped is released all the same
        }
    }
}

std::vector<std::unique_ptr<TIBDatabase>> TogliScadute(TRiserva& r) {
    std::vector<std::unique_ptr<TIBDatabase>> uscite;
    for (auto it = r.connessioni.begin(); it != r.connessioni.end();) {
        if (it->da.hasExpired(ConnessioniInAttesa::kAttesaMs)) {
            uscite.push_back(std::move(it->db));
            it = r.connessioni.erase(it);
        } else {
            ++it;
        }
    }
    return uscite;
}

void ChiudiScadute() {
    TRiserva& r = Riserva();
    std::vector<std::unique_ptr<TIBDatabase>> scadute;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        scadute = TogliScadute(r);
    }
    ChiudiTutte(std::move(scadute));
}

void ChiudiAllUscita() {
    ConnessioniInAttesa::Chiudi();
}
} // namespace

namespace ConnessioniInAttesa {

std::unique_ptr<TIBDatabase> Prendi(const QString& databaseName, const QStringList& params) {
    TRiserva& r = Riserva();
    std::unique_ptr<TIBDatabase> trovata;
    std::vector<std::unique_ptr<TIBDatabase>> scadute;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        scadute = TogliScadute(r);
        const QString chiave = Chiave(databaseName, params);
        for (auto it = r.connessioni.begin(); it != r.connessioni.end(); ++it)
            if (it->chiave == chiave) {
                trovata = std::move(it->db);
                r.connessioni.erase(it);
                break;
            }
    }
    ChiudiTutte(std::move(scadute));
    return trovata;
}

void Riponi(std::unique_ptr<TIBDatabase> database) {
    if (!database || !database->Libera())
        return; // closed by its destructor, as always
    TRiserva& r = Riserva();
    std::vector<std::unique_ptr<TIBDatabase>> uscite;
    bool pianifica = false;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        uscite = TogliScadute(r);
        QString chiave = Chiave(database->DatabaseName(), database->Params);
        r.connessioni.push_back({std::move(database), std::move(chiave), {}});
        r.connessioni.back().da.start();
        while (r.connessioni.size() > kMassimo) {
            uscite.push_back(std::move(r.connessioni.front().db));
            r.connessioni.erase(r.connessioni.begin());
        }
        if (!r.chiusuraRegistrata) {
            // Closed before the application goes; and, in any case, before the client
            // library's own exit handler, registered earlier, which cannot shut the engine
            // down under an open connection (an atexit handler of a library also runs when
            // the library is unloaded).
            qAddPostRoutine(ChiudiAllUscita);
            static const bool registrata = std::atexit(ChiudiAllUscita) == 0;
            Q_UNUSED(registrata);
            r.chiusuraRegistrata = true;
        }
        QCoreApplication* app = QCoreApplication::instance();
        pianifica = app && QThread::currentThread() == app->thread();
    }
    ChiudiTutte(std::move(uscite));
    if (!pianifica)
        return;
    if (!r.scadenza) {
        r.scadenza = new QTimer;
        r.scadenza->setSingleShot(true);
        QObject::connect(r.scadenza, &QTimer::timeout, ChiudiScadute);
    }
    r.scadenza->start(kAttesaMs + 1000); // counted from the newest one parked
}

void Chiudi(const QString& databaseName) {
    TRiserva& r = Riserva();
    std::vector<std::unique_ptr<TIBDatabase>> uscite;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        if (databaseName.isEmpty()) {
            // Nothing of ours may stay behind in the application: the library may be unloaded.
            if (r.chiusuraRegistrata)
                qRemovePostRoutine(ChiudiAllUscita);
            r.chiusuraRegistrata = false;
            delete r.scadenza;
            r.scadenza = nullptr;
        }
        for (auto it = r.connessioni.begin(); it != r.connessioni.end();) {
            if (databaseName.isEmpty() || it->db->DatabaseName() == databaseName) {
                uscite.push_back(std::move(it->db));
                it = r.connessioni.erase(it);
            } else {
                ++it;
            }
        }
    }
    ChiudiTutte(std::move(uscite));
}

int Quante() {
    TRiserva& r = Riserva();
    std::lock_guard<std::mutex> guard(r.lock);
    return static_cast<int>(r.connessioni.size());
}

} // namespace ConnessioniInAttesa
