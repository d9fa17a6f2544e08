#include "IBDatabase.h"

#include "FbClient.h"
#include "IBSQL.h"
#include "IBTransaction.h"

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

std::vector<unsigned char> TIBDatabase::BuildDpb(bool create) const {
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
    add(isc_dpb_lc_ctype, p.charset.isEmpty() ? DbDefaults::Charset : p.charset);
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

void TIBDatabase::Open() {
    if (Connected())
        return;
    const std::vector<unsigned char> dpb = BuildDpb(false);
    FbClient::Status st;
    IAttachment* att = FbClient::Provider()->attachDatabase(
        &st, fDatabaseName.toUtf8().constData(), static_cast<unsigned>(dpb.size()), dpb.data());
    if (st.Failed()) {
        if (att)
            att->release();
        st.Raise();
    }
    fAttachment = att;
}

void TIBDatabase::CreateDatabase() {
    if (Connected())
        Close();
    const std::vector<unsigned char> dpb = BuildDpb(true);
    FbClient::Status st;
    IAttachment* att = FbClient::Provider()->createDatabase(
        &st, fDatabaseName.toUtf8().constData(), static_cast<unsigned>(dpb.size()), dpb.data());
    if (st.Failed()) {
        if (att)
            att->release();
        st.Raise();
    }
    fAttachment = att;
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
