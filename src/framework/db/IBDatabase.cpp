#include "IBDatabase.h"

#include "FbClient.h"
#include "IBSQL.h"
#include "IBTransaction.h"

#include <QHash>
#include <QRegularExpression>

using namespace Firebird;

namespace {
struct ParsedParams {
    QString user, password, charset;
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
        else if (key == "lc_ctype" || key == "set_names")
            p.charset = value;
        else if (key == "page_size")
            p.pageSize = value.toInt();
        else if (key == "force_write")
            p.forceWrite = value.toInt();
    }
    return p;
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
    add(isc_dpb_user_name, p.user.isEmpty() ? DbDefaults::User : p.user);
    add(isc_dpb_password, p.password.isEmpty() ? DbDefaults::Password : p.password);
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
/// The default character set of each database opened so far, by name.
QHash<QString, QString>& KnownCharsets() {
    static QHash<QString, QString> known;
    return known;
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
    fCharset = charset.toUpper();
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
    QHash<QString, QString>& known = KnownCharsets();
    if (const auto it = known.constFind(fDatabaseName); it != known.constEnd()) {
        Attach(*it);
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
        known.insert(fDatabaseName, QStringLiteral("WIN1252"));
        Close();
        Attach(QStringLiteral("WIN1252"));
    } else {
        known.insert(fDatabaseName, DbDefaults::Charset);
    }
}

void TIBDatabase::CreateDatabase() {
    if (Connected())
        Close();
    const QString chosen = Parse(Params).charset;
    const QString charset = chosen.isEmpty() ? DbDefaults::Charset : chosen;
    KnownCharsets().remove(fDatabaseName); // a new database: its default is asked again
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
}

namespace {
// Windows-1252 where it differs from Latin-1 (0x80..0x9F); 0 marks the five unused codes.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

QByteArray TIBDatabase::Encode(const QString& text) const {
    if (fUtf8)
        return text.toUtf8();
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        int code = -1;
        for (int i = 0; i < 32 && code < 0; ++i)
            if (kCp1252High[i] == u)
                code = 0x80 + i;
        if (code < 0)
            throw EDatabaseError(QStringLiteral("Il carattere \"%1\" non è rappresentabile nel set "
                                                "di caratteri %2 del database")
                                     .arg(QString(ch), fCharset),
                                 {});
        out.append(static_cast<char>(code));
    }
    return out;
}

QString TIBDatabase::Decode(const char* bytes, qsizetype size) const {
    if (fUtf8)
        return QString::fromUtf8(bytes, size);
    QString out(size, Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const bool high = b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80] != 0;
        d[i] = QChar(high ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return out;
}

void TIBDatabase::DetachAll() {
    for (TIBSQL* s : std::set<TIBSQL*>(fStatements))
        s->FreeHandle();
    for (TIBTransaction* t : std::set<TIBTransaction*>(fTransactions))
        t->ForceRollback();
}

void TIBDatabase::Close() {
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
    DetachAll();
    FbClient::Status st;
    fAttachment->dropDatabase(&st);
    if (st.Failed()) {
        st.Raise();
    }
    fAttachment = nullptr;
}
