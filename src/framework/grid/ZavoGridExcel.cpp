#include "ZavoGridExcel.h"

#include "ZavoGrid.h"
#include "ZavoQuery.h"

#include "framework/core/Dialogs.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DatabaseError.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QProgressDialog>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cstdio>

namespace {
/// Excel's longest cell text, in characters.
constexpr int kMaxTesto = 32767;

/// The mode a new file gets from the process's umask (0666 less it), read without changing it:
/// umask() would change it for every thread of the host for a moment.
QFile::Permissions PermessiNuovoFile() {
    unsigned mask = 022;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("Umask:"))
                mask = line.mid(6).trimmed().toUInt(nullptr, 8);
    const unsigned mode = 0666 & ~mask;
    QFile::Permissions p;
    const std::pair<unsigned, QFile::Permission> bits[] = {
        {0400, QFile::ReadOwner},  {0200, QFile::WriteOwner}, {0040, QFile::ReadGroup},
        {0020, QFile::WriteGroup}, {0004, QFile::ReadOther},  {0002, QFile::WriteOther}};
    for (const auto& [bit, permission] : bits)
        if (mode & bit)
            p |= permission;
    return p;
}
} // namespace

QString TZavoGridExcel::Resoconto(int righe) const {
    QString text = QStringLiteral("Esportate %1 righe in \"%2\"")
                       .arg(righe)
                       .arg(QDir::toNativeSeparators(FileName));
    if (Fogli > 1)
        text += QStringLiteral(" su %1 fogli (un foglio Excel contiene al massimo %2 righe)")
                    .arg(Fogli)
                    .arg(RighePerFoglio);
    if (!CelleTagliate.isEmpty()) {
        const QStringList shown = CelleTagliate.mid(0, 10);
        text += QStringLiteral("\nTesti tagliati a %1 caratteri, il massimo di una cella Excel: ")
                    .arg(kMaxTesto) +
                shown.join(QStringLiteral("; "));
        if (CelleTagliate.size() > shown.size())
            text += QStringLiteral(" e altre %1 celle").arg(CelleTagliate.size() - shown.size());
    }
    return text;
}

bool TZavoGridExcel::Esegui(int* righe) {
    if (!Database)
        throw EZavoError(QStringLiteral("Nessun archivio per l'esportazione"));
    Fogli = 0;
    CelleTagliate.clear();
    const QFileInfo target(FileName);
    // Written beside the target under another name, renamed over it only when complete: a stop
    // or a failure leaves nothing of it, and the old file stays until the new one replaces it.
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    const QString shown = QDir::toNativeSeparators(target.absoluteFilePath());
    if (!QFileInfo(target.absolutePath()).isDir())
        throw EZavoError(QStringLiteral("Impossibile scrivere il file \"%1\": la cartella non "
                                        "esiste")
                             .arg(shown));
    if (!temp.open())
        throw EZavoError(QStringLiteral("Impossibile scrivere il file \"%1\": la cartella non "
                                        "è scrivibile")
                             .arg(shown));
    temp.close();
    const auto scrittura = [&shown](lxw_error e) {
        if (e != LXW_NO_ERROR)
            throw EZavoError(QStringLiteral("Impossibile scrivere il file \"%1\": errore %2 "
                                            "nella scrittura della cartella di lavoro")
                                 .arg(shown)
                                 .arg(static_cast<int>(e)));
    };
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // one row in memory at a time, whatever the rows
    const QByteArray tempName = QFile::encodeName(temp.fileName());
    lxw_workbook* wb = workbook_new_opt(tempName.constData(), &options);
    if (!wb)
        throw EZavoError(QStringLiteral("Impossibile scrivere il file \"%1\"").arg(shown));
    bool closed = false;
    TScopeExit close([&] {
        if (!closed) {
            workbook_close(wb);
            temp.remove(); // a stop or a failure: nothing stays beside the target
        }
    });
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "dd/mm/yyyy");
    lxw_format* dateTime = workbook_add_format(wb);
    format_set_num_format(dateTime, "dd/mm/yyyy hh:mm");
    lxw_worksheet* ws = nullptr;
    const auto nuovoFoglio = [&] {
        ++Fogli;
        ws = workbook_add_worksheet(wb, nullptr);
        if (!ws)
            scrittura(LXW_ERROR_MEMORY_MALLOC_FAILED);
        for (size_t c = 0; c < Colonne.size(); ++c) {
            const auto col = static_cast<lxw_col_t>(c);
            scrittura(worksheet_set_column_pixels(
                ws, col, col, static_cast<uint32_t>(std::max(Colonne[c].pixel, 20)), nullptr));
            scrittura(
                worksheet_write_string(ws, 0, col, Colonne[c].titolo.toUtf8().constData(), bold));
        }
        worksheet_freeze_panes(ws, 1, 0);
    };
    nuovoFoglio();

    auto tr = CreaTransazione(*Database, TTipoTransazione::ReadCommitted);
    TIBSQL sql(Database, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(SQL);
    int n = 0;
    const int perFoglio = std::max(1, std::min(RighePerFoglio, 1048575));
    try {
        sql.ExecQuery();
        std::vector<int> index;
        for (const TColonnaExcel& c : Colonne)
            index.push_back(sql.FieldIndex(c.campo));
        for (; !sql.Eof(); sql.Next()) {
            if (n > 0 && n % perFoglio == 0)
                nuovoFoglio();
            const auto row = static_cast<lxw_row_t>(n % perFoglio + 1);
            for (size_t c = 0; c < index.size(); ++c) {
                if (index[c] < 0)
                    continue;
                const TSqlField& f = sql.Fields(index[c]);
                if (f.IsNull())
                    continue;
                const auto col = static_cast<lxw_col_t>(c);
                const QVariant v = f.AsVariant();
                const auto testo = [&](const QString& text) {
                    QString cell = text;
                    if (cell.size() > kMaxTesto) { // only then can it hold more characters
                        const QList<uint> chars = cell.toUcs4();
                        if (chars.size() > kMaxTesto) {
                            cell = QString::fromUcs4(chars.constData(), kMaxTesto);
                            CelleTagliate << QStringLiteral("riga %1, colonna \"%2\"")
                                                 .arg(n + 1)
                                                 .arg(Colonne[c].titolo);
                        }
                    }
                    scrittura(
                        worksheet_write_string(ws, row, col, cell.toUtf8().constData(), nullptr));
                };
                switch (v.typeId()) {
                case QMetaType::QDate: {
                    const QDate d = v.toDate();
                    if (d.year() < 1900) { // before Excel's first day: kept as the text shown
                        testo(d.toString(QStringLiteral("dd/MM/yyyy")));
                        break;
                    }
                    lxw_datetime dt{d.year(), d.month(), d.day(), 0, 0, 0};
                    scrittura(worksheet_write_datetime(ws, row, col, &dt, date));
                    break;
                }
                case QMetaType::QDateTime: {
                    const QDateTime t = v.toDateTime();
                    if (t.date().year() < 1900) {
                        testo(t.toString(QStringLiteral("dd/MM/yyyy hh:mm")));
                        break;
                    }
                    lxw_datetime dt{
                        t.date().year(),   t.date().month(),
                        t.date().day(),    t.time().hour(),
                        t.time().minute(), t.time().second() + t.time().msec() / 1000.0};
                    scrittura(worksheet_write_datetime(ws, row, col, &dt, dateTime));
                    break;
                }
                case QMetaType::Bool:
                    testo(v.toBool() ? QStringLiteral("Sì") : QStringLiteral("No"));
                    break;
                case QMetaType::Int:
                case QMetaType::LongLong:
                case QMetaType::Short:
                case QMetaType::Double:
                case QMetaType::Float:
                    scrittura(worksheet_write_number(ws, row, col, v.toDouble(), nullptr));
                    break;
                default:
                    testo(v.toString());
                }
            }
            ++n;
            if (n % 1000 == 0 && Progresso && !Progresso(n))
                return false; // the temporary file goes at once, with the workbook
        }
    } catch (const EDatabaseError& e) {
        throw EZavoError(QStringLiteral("Esportazione non riuscita: ") + e.Descrizione());
    }
    closed = true;
    if (workbook_close(wb) != LXW_NO_ERROR)
        throw EZavoError(QStringLiteral("Impossibile scrivere il file \"%1\": errore di "
                                        "scrittura (disco pieno o non raggiungibile?)")
                             .arg(shown));
    // The mode of the file it replaces, else what a new file of this user gets (the temporary
    // file was made readable by its owner only).
    temp.setPermissions(target.exists() ? QFile::permissions(target.absoluteFilePath())
                                        : PermessiNuovoFile());
    if (std::rename(tempName.constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        throw EZavoError(QStringLiteral("Impossibile scrivere il file \"%1\": il file esistente "
                                        "è in uso o protetto")
                             .arg(shown));
    temp.setAutoRemove(false);
    if (righe)
        *righe = n;
    return true;
}

// --- the grid's menu entry ----------------------------------------------------------------------

TZavoGridExcel TZavoGrid::LavoroExcel(const QString& fileName) const {
    TZavoGridExcel job;
    job.Database = fQuery ? fQuery->Database() : nullptr;
    job.SQL = fQuery ? fQuery->SQL.join('\n') : QString();
    job.FileName = fileName;
    const QHeaderView* header = horizontalHeader();
    for (int v = 0; fQuery && v < header->count(); ++v) {
        const int field = header->logicalIndex(v);
        if (header->isSectionHidden(field))
            continue;
        job.Colonne.push_back({fQuery->FieldName(field), fQuery->Title(field), columnWidth(field)});
    }
    return job;
}

void TZavoGrid::EsportaExcel() {
    // Refused where printing is: a view of another kind.
    if (TipoTabella != 0) {
        Dialogs().Warning(QStringLiteral("Funzionalità non disponibile per questo tipo di vista"));
        return;
    }
    if (!fQuery || !fQuery->Active())
        return;
    QString file = Dialogs().ChooseSaveFile(
        QStringLiteral("Esporta in Excel"),
        (NomeTabellaQuery.isEmpty() ? QStringLiteral("elenco") : NomeTabellaQuery.toLower()) +
            QStringLiteral(".xlsx"),
        QStringLiteral("Excel (*.xlsx)|*.xlsx"));
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".xlsx");
    TZavoGridExcel job = LavoroExcel(file);
    QProgressDialog progress(QStringLiteral("Esportazione in corso…"), QStringLiteral("Annulla"), 0,
                             0, this);
    progress.setWindowTitle(QStringLiteral("Esporta in Excel"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    job.Progresso = [&progress](int righe) {
        progress.setLabelText(QStringLiteral("Esportazione in corso…\n%1 righe").arg(righe));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    int righe = 0;
    const bool done = job.Esegui(&righe);
    progress.close();
    if (done)
        Dialogs().Information(job.Resoconto(righe));
    else
        Dialogs().Information(QStringLiteral("Esportazione annullata: nessun file scritto"));
}
