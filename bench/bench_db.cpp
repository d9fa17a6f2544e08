// db: 100,000 rows inserted with one prepared statement and fetched back, through the access
// layer (ours) and written directly on the client library's object API (anchor).
#include "BenchSupport.h"

#include "HostDb.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>

#include <firebird/Interface.h>

#include <cstring>

using namespace Firebird;

namespace {
constexpr int kRows = 100000;
const char* kTable =
    "CREATE TABLE BENCH (ID INTEGER NOT NULL, NOME VARCHAR(40), VALORE DOUBLE PRECISION)";

QString NewDatabase(const QString& dir, const QString& name) {
    const QString path = dir + '/' + name;
    QFile::remove(path);
    CreateDatabaseFromScripts(path, {});
    TIBDatabase db;
    db.SetDatabaseName(path);
    db.Open();
    TIBTransaction tr(&db);
    tr.StartTransaction();
    TIBSQL q(&db, &tr);
    q.SetSQL(kTable);
    q.ExecQuery();
    tr.Commit();
    return path;
}

QString Name(int i) {
    return QStringLiteral("Articolo %1").arg(i);
}

double Ours(const QString& path, qint64& checksum) {
    TIBDatabase db;
    db.SetDatabaseName(path);
    db.Open();
    QElapsedTimer t;
    t.start();
    TIBTransaction tr(&db);
    tr.Params << "isc_tpb_concurrency"
              << "isc_tpb_nowait";
    tr.StartTransaction();
    TIBSQL ins(&db, &tr);
    ins.SetSQL("INSERT INTO BENCH (ID, NOME, VALORE) VALUES (:ID, :NOME, :VALORE)");
    for (int i = 0; i < kRows; ++i) {
        ins.ParamByName("ID").SetInteger(i);
        ins.ParamByName("NOME").SetString(Name(i));
        ins.ParamByName("VALORE").SetDouble(i * 0.5);
        ins.ExecQuery();
    }
    tr.Commit();
    if (qEnvironmentVariableIsSet("ZELM_BENCH_PHASES"))
        std::fprintf(stderr, "ours insert %.4f\n", Seconds(t));
    tr.StartTransaction();
    TIBSQL sel(&db, &tr);
    sel.SetSQL("SELECT ID, NOME, VALORE FROM BENCH");
    for (sel.ExecQuery(); !sel.Eof(); sel.Next()) {
        checksum += sel.FieldByName("ID").AsInteger();
        checksum += sel.FieldByName("NOME").AsString().size();
        checksum += static_cast<qint64>(sel.FieldByName("VALORE").AsDouble());
    }
    tr.Commit();
    return Seconds(t);
}

void Check(CheckStatusWrapper& st) {
    if (st.getState() & IStatus::STATE_ERRORS) {
        char buf[512];
        fb_get_master_interface()->getUtilInterface()->formatStatus(buf, sizeof buf, &st);
        std::fprintf(stderr, "%s\n", buf);
        std::exit(1);
    }
}

double Anchor(const QString& path, qint64& checksum) {
    IMaster* master = fb_get_master_interface();
    IStatus* status = master->getStatus();
    CheckStatusWrapper st(status);
    IXpbBuilder* dpb = master->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&st, isc_dpb_user_name, "SYSDBA");
    dpb->insertString(&st, isc_dpb_password, "plumbcore");
    dpb->insertString(&st, isc_dpb_lc_ctype, "UTF8");
    IAttachment* att = master->getDispatcher()->attachDatabase(
        &st, path.toUtf8().constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
    Check(st);
    dpb->dispose();

    QElapsedTimer t;
    t.start();
    const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_concurrency, isc_tpb_nowait};
    ITransaction* tra = att->startTransaction(&st, sizeof tpb, tpb);
    Check(st);
    const char* insSql = "INSERT INTO BENCH (ID, NOME, VALORE) VALUES (?, ?, ?)";
    IStatement* ins = att->prepare(&st, tra, 0, insSql, 3, IStatement::PREPARE_PREFETCH_METADATA);
    Check(st);
    IMessageMetadata* in = ins->getInputMetadata(&st);
    std::vector<unsigned char> buf(in->getMessageLength(&st));
    const unsigned oId = in->getOffset(&st, 0), nId = in->getNullOffset(&st, 0);
    const unsigned oNome = in->getOffset(&st, 1), nNome = in->getNullOffset(&st, 1);
    const unsigned oVal = in->getOffset(&st, 2), nVal = in->getNullOffset(&st, 2);
    for (int i = 0; i < kRows; ++i) {
        unsigned char* b = buf.data();
        *reinterpret_cast<short*>(b + nId) = 0;
        *reinterpret_cast<int*>(b + oId) = i;
        const QByteArray nome = Name(i).toUtf8();
        *reinterpret_cast<short*>(b + nNome) = 0;
        *reinterpret_cast<unsigned short*>(b + oNome) = static_cast<unsigned short>(nome.size());
        std::memcpy(b + oNome + 2, nome.constData(), nome.size());
        *reinterpret_cast<short*>(b + nVal) = 0;
        *reinterpret_cast<double*>(b + oVal) = i * 0.5;
        ins->execute(&st, tra, in, b, nullptr, nullptr);
        Check(st);
    }
    tra->commit(&st);
    Check(st);
    if (qEnvironmentVariableIsSet("ZELM_BENCH_PHASES"))
        std::fprintf(stderr, "anchor insert %.4f\n", Seconds(t));
    tra = att->startTransaction(&st, sizeof tpb, tpb);
    IStatement* sel = att->prepare(&st, tra, 0, "SELECT ID, NOME, VALORE FROM BENCH", 3,
                                   IStatement::PREPARE_PREFETCH_METADATA);
    Check(st);
    IMessageMetadata* out = sel->getOutputMetadata(&st);
    std::vector<unsigned char> row(out->getMessageLength(&st));
    const unsigned rId = out->getOffset(&st, 0), rNome = out->getOffset(&st, 1),
                   rVal = out->getOffset(&st, 2);
    const unsigned rnNome = out->getNullOffset(&st, 1), rnVal = out->getNullOffset(&st, 2);
    IResultSet* rs = sel->openCursor(&st, tra, nullptr, nullptr, out, 0);
    Check(st);
    while (rs->fetchNext(&st, row.data()) == IStatus::RESULT_OK) {
        const unsigned char* r = row.data();
        checksum += *reinterpret_cast<const int*>(r + rId);
        if (*reinterpret_cast<const short*>(r + rnNome) != -1) {
            const auto len = *reinterpret_cast<const unsigned short*>(r + rNome);
            checksum += QString::fromUtf8(reinterpret_cast<const char*>(r + rNome + 2), len).size();
        }
        if (*reinterpret_cast<const short*>(r + rnVal) != -1)
            checksum += static_cast<qint64>(*reinterpret_cast<const double*>(r + rVal));
    }
    rs->close(&st);
    tra->commit(&st);
    Check(st);
    const double s = Seconds(t);
    in->release();
    out->release();
    ins->free(&st);
    sel->free(&st);
    att->detach(&st);
    status->dispose();
    return s;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    qint64 sumOurs = 0, sumAnchor = 0;
    RunBench(
        "db", 5,
        [&](int i) { return Ours(NewDatabase(dir, QStringLiteral("ours%1.fdb").arg(i)), sumOurs); },
        [&](int i) {
            return Anchor(NewDatabase(dir, QStringLiteral("anchor%1.fdb").arg(i)), sumAnchor);
        });
    if (sumOurs != sumAnchor) {
        std::fprintf(stderr, "db: the two sides read different data\n");
        return 1;
    }
    return 0;
}
