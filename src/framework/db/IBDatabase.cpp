#include "IBDatabase.h"

#include "framework/core/Log.h"

#include "ConnessioniInAttesa.h"

#include "DBConnection.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <mutex>
#include <optional>

#include "FbClient.h"
#include "IBSQL.h"
#include "IBTransaction.h"

#include <QHash>
#include <QRegularExpression>

using namespace Firebird;

namespace {
struct ParsedParams {
    QString user, password, charset, role;
    int pageSize = 0;
    int forceWrite = -1;
};

QString Unquote(QString v) {
    v = v.trimmed();
    if (v.size() >= 2 &&
        ((v.startsWith('"') && v.endsWith('"')) || (v.startsWith('\'') && v.endsWith('\''))))
        v = v.mid(1, v.size() - 2);
    return v;
}

ParsedParams Parse(const QStringList& params) {
    ParsedParams p;
    static const QRegularExpression sep(QStringLiteral("^\\s*([A-Za-z_]+)\\s*(=|\\s)\\s*(.*)$"));
    for (const QString& line : params) {
        const auto m = sep.match(line);
        if (!m.hasMatch())
            continue;
        const QString key = m.captured(1).toLower();
        const QString value = Unquote(m.captured(3));
        if (key == "user_name" || key == "user")
            p.user = value;
        else if (key == "password")
            p.password = value;
        else if (key == "sql_role_name")
            p.role = value;
        else if (key == "lc_ctype" || key == "set_names")
            p.charset = value;
        else if (key == "page_size")
            p.pageSize = value.toInt();
        else if (key == "force_write")
            p.forceWrite = value.toInt();
    }
    return p;
}

/// Who the connection logs in as: the user its parameters name (with their password and role),
/// else the site's, else the product's default.
TCredenzialiSito Credenziali(const ParsedParams& p) {
    if (!p.user.isEmpty())
        return {p.user, p.password.isEmpty() ? DbDefaults::Password : p.password, p.role};
    TCredenzialiSito sito = CredenzialiSitoCorrenti();
    if (!sito.Utente.isEmpty()) {
        if (!p.password.isEmpty())
            sito.Password = p.password;
        if (!p.role.isEmpty())
            sito.Ruolo = p.role;
        return sito;
    }
    return {DbDefaults::User, p.password.isEmpty() ? DbDefaults::Password : p.password, p.role};
}
} // namespace

TIBDatabase::TIBDatabase() = default;

TIBDatabase::~TIBDatabase() {
    try {
        Close();
    } catch (...) {
        // A broken connection cannot be detached cleanly; its handle is released below.
    }
    if (fAttachment) {
        fAttachment->release();
        fAttachment = nullptr;
    }
    for (TIBTransaction* t : fTransactions)
        t->fDatabase = nullptr;
    for (TIBSQL* s : fStatements)
        s->fDatabase = nullptr;
}

void TIBDatabase::SetDatabaseName(const QString& name) {
    if (Connected())
        Close();
    fDatabaseName = name;
}

std::vector<unsigned char> TIBDatabase::BuildDpb(bool create, const QString& charset) const {
    const ParsedParams p = Parse(Params);
    FbClient::Status st;
    IXpbBuilder* dpb = FbClient::Util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    st.Check();
    auto add = [&](unsigned char tag, const QString& value) {
        dpb->insertString(&st, tag, value.toUtf8().constData());
        st.Check();
    };
    const TCredenzialiSito chi = Credenziali(p);
    add(isc_dpb_user_name, chi.Utente);
    add(isc_dpb_password, chi.Password);
    // A site's account has its rights through a role, which Firebird 3 applies only when the
    // connection names it.
    if (!chi.Ruolo.isEmpty())
        add(isc_dpb_sql_role_name, chi.Ruolo);
    add(isc_dpb_lc_ctype, charset);
    dpb->insertInt(&st, isc_dpb_utf8_filename, 1);
    if (p.forceWrite >= 0)
        dpb->insertInt(&st, isc_dpb_force_write, p.forceWrite);
    if (create) {
        dpb->insertInt(&st, isc_dpb_page_size, p.pageSize > 0 ? p.pageSize : 4096);
        dpb->insertInt(&st, isc_dpb_sql_dialect, SQLDialect);
        dpb->insertString(&st, isc_dpb_set_db_charset, "UTF8");
    }
    st.Check();
    const unsigned char* buf = dpb->getBuffer(&st);
    std::vector<unsigned char> out(buf, buf + dpb->getBufferLength(&st));
    dpb->dispose();
    return out;
}

namespace {
/// The default character set of each database opened so far, by name. Connections may be opened
/// on several threads at once (a lookup attaches its archive in the background).
QHash<QString, QString>& KnownCharsets() {
    static QHash<QString, QString> known;
    return known;
}
std::mutex& KnownCharsetsLock() {
    static std::mutex lock;
    return lock;
}
std::optional<QString> KnownCharset(const QString& name) {
    std::lock_guard<std::mutex> guard(KnownCharsetsLock());
    const auto it = KnownCharsets().constFind(name);
    return it == KnownCharsets().constEnd() ? std::nullopt : std::optional<QString>(*it);
}
void SetKnownCharset(const QString& name, const QString& charset) {
    std::lock_guard<std::mutex> guard(KnownCharsetsLock());
    if (charset.isEmpty())
        KnownCharsets().remove(name);
    else
        KnownCharsets().insert(name, charset);
}
} // namespace

void TIBDatabase::Attach(const QString& charset) {
    const std::vector<unsigned char> dpb = BuildDpb(false, charset);
    FbClient::Status st;
    IAttachment* att = FbClient::Provider()->attachDatabase(
        &st, fDatabaseName.toUtf8().constData(), static_cast<unsigned>(dpb.size()), dpb.data());
    if (st.Failed()) {
        if (att)
            att->release();
        st.Raise();
    }
    fAttachment = att;
    fVerificata.start();
    fCharset = charset.toUpper();
    static std::once_flag client;
    std::call_once(client, [] {
        const unsigned v = FbClient::Util()->getClientVersion();
        qCInfo(zelmDb) << "client Firebird" << (v >> 8) << "." << (v & 0xFF);
    });
    const TCredenzialiSito chi = Credenziali(Parse(Params));
    qCInfo(zelmDb).noquote() << "connessione aperta:" << fDatabaseName
                             << (ViaServer() ? "(server)" : "(locale)") << "utente" << chi.Utente
                             << "ruolo" << (chi.Ruolo.isEmpty() ? QStringLiteral("-") : chi.Ruolo)
                             << "caratteri" << fCharset;
    fUtf8 = fCharset == QLatin1String("UTF8") || fCharset == QLatin1String("UNICODE_FSS");
}

void TIBDatabase::Open() {
    if (Connected())
        return;
    const QString chosen = Parse(Params).charset;
    if (!chosen.isEmpty()) {
        Attach(chosen);
        return;
    }
    // The database's own default character set decides. The host suite's databases were made
    // by a program that connects without one: their text is Windows-1252 bytes, which a UTF8
    // connection would hand over garbled, and UTF-8 written through it would look garbled there.
    // A database's default does not change while the program runs: it is asked once per name.
    if (const std::optional<QString> known = KnownCharset(fDatabaseName)) {
        Attach(*known);
        return;
    }
    Attach(DbDefaults::Charset);
    QString own;
    try {
        TIBTransaction tr(this);
        tr.StartTransaction();
        TIBSQL sql(this, &tr);
        sql.SetSQL(QStringLiteral("SELECT RDB$CHARACTER_SET_NAME FROM RDB$DATABASE"));
        sql.ExecQuery();
        own = sql.Fields(0).AsString().trimmed().toUpper();
    } catch (const EZavoError&) {
        return; // unreadable: the default stays
    }
    if (own.isEmpty() || own == QLatin1String("NONE") || own == QLatin1String("WIN1252")) {
        SetKnownCharset(fDatabaseName, QStringLiteral("WIN1252"));
        Close();
        Attach(QStringLiteral("WIN1252"));
    } else {
        SetKnownCharset(fDatabaseName, DbDefaults::Charset);
    }
}

bool TIBDatabase::ViaServer() const {
    // "host:path" or "host/port:path"; a local path starts with '/'.
    return !fDatabaseName.startsWith(QLatin1Char('/')) && fDatabaseName.contains(QLatin1Char(':'));
}

bool TIBDatabase::Ripristina(bool chiediSempre) {
    if (!ViaServer() || (!fAttachment && !fPersa))
        return false;
    if (fAttachment) {
        // Commands come in bursts of statements: one question a second is enough to notice a
        // restart, and saves a round trip per transaction of the burst. A statement that failed
        // on a lost connection since the last question makes the next check ask at once.
        const unsigned perse = FbClient::ConnessioniPerse();
        if (!chiediSempre && fVerificata.isValid() && fVerificata.elapsed() < 1000 &&
            perse == fPerseAllaVerifica)
            return false;
        fPerseAllaVerifica = perse;
        FbClient::Status st;
        fAttachment->ping(&st);
        if (!st.Failed()) {
            fVerificata.start();
            return false;
        }
        // The old connection is dead: forget what ran on it, release its handle. A transaction
        // under way is marked lost, so that its owner's commit fails instead of passing for one.
        for (TIBTransaction* t : fTransactions)
            if (t->InTransaction())
                t->fPersa = true;
        DetachAll();
        fAttachment->release();
        fAttachment = nullptr;
        fPersa = true;
        qCWarning(zelmDb).noquote() << "connessione persa:" << fDatabaseName;
    }
    Attach(fCharset); // raises the network failure while the server is away
    fPersa = false;
    qCInfo(zelmDb).noquote() << "connessione ripristinata:" << fDatabaseName;
    fPerseAllaVerifica = FbClient::ConnessioniPerse();
    fVerificata.start();
    return true;
}

void TIBDatabase::CreateDatabase() {
    if (Connected())
        Close();
    const QString chosen = Parse(Params).charset;
    const QString charset = chosen.isEmpty() ? DbDefaults::Charset : chosen;
    SetKnownCharset(fDatabaseName, QString()); // a new database: its default is asked again
    const std::vector<unsigned char> dpb = BuildDpb(true, charset);
    FbClient::Status st;
    IAttachment* att = FbClient::Provider()->createDatabase(
        &st, fDatabaseName.toUtf8().constData(), static_cast<unsigned>(dpb.size()), dpb.data());
    if (st.Failed()) {
        if (att)
            att->release();
        st.Raise();
    }
    fAttachment = att;
    fCharset = charset.toUpper();
    fUtf8 = fCharset == QLatin1String("UTF8") || fCharset == QLatin1String("UNICODE_FSS");
    qCInfo(zelmDb).noquote() << "database creato:" << fDatabaseName;
}

namespace {
// Windows-1252 through Qt's converter (ICU): the five codes the code page leaves unused map to
// the C1 controls of the same number, both ways, so every byte reads back as it was stored.
/// A new encoder each time: an encoder that met a character the code page lacks keeps saying so
/// (Qt 6.4 over ICU), even after resetState().
QStringEncoder Cp1252Encoder() {
    return QStringEncoder("windows-1252", QStringConverter::Flag::Stateless);
}
QStringDecoder& Cp1252Decoder() {
    thread_local QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
    decoder.resetState();
    return decoder;
}
} // namespace

QByteArray TIBDatabase::Encode(const QString& text) const {
    if (fUtf8)
        return text.toUtf8();
    QStringEncoder encoder = Cp1252Encoder();
    QByteArray out = encoder.encode(text);
    if (encoder.hasError()) {
        // Named to the user: the first character the code page lacks.
        for (int i = 0; i < text.size(); ++i) {
            const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString ch = text.mid(i, length);
            QStringEncoder one = Cp1252Encoder();
            (void)QByteArray(one.encode(ch));
            if (one.hasError())
                throw EDatabaseError(QStringLiteral("Il carattere \"%1\" non è rappresentabile "
                                                    "nel set di caratteri %2 del database")
                                         .arg(ch, fCharset),
                                     {});
            i += static_cast<int>(length) - 1;
        }
    }
    return out;
}

QString TIBDatabase::Decode(const char* bytes, qsizetype size) const {
    if (fUtf8)
        return QString::fromUtf8(bytes, size);
    return Cp1252Decoder().decode(QByteArrayView(bytes, size));
}

void TIBDatabase::DetachAll() {
    for (TIBSQL* s : std::set<TIBSQL*>(fStatements))
        s->FreeHandle();
    for (TIBTransaction* t : std::set<TIBTransaction*>(fTransactions))
        t->ForceRollback();
}

void TIBDatabase::Close() {
    fPersa = false;
    if (!fAttachment)
        return;
    DetachAll();
    FbClient::Status st;
    fAttachment->detach(&st);
    if (st.Failed()) {
        // A connection that the server already dropped cannot be detached: release it anyway,
        // the handle is useless from here on.
        fAttachment->release();
        fAttachment = nullptr;
        st.Raise();
    }
    fAttachment = nullptr;
}

void TIBDatabase::DropDatabase() {
    if (!fAttachment)
        return;
    // A connection parked for a later lookup would keep the database in use.
    ConnessioniInAttesa::Chiudi(fDatabaseName);
    DetachAll();
    FbClient::Status st;
    fAttachment->dropDatabase(&st);
    if (st.Failed()) {
        st.Raise();
    }
    fAttachment = nullptr;
}
