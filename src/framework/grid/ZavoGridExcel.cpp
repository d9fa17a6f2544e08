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

bool TZavoGridExcel::Esegui(int* righe) {
    if (!Database)
        throw EZavoError(QStringLiteral("Nessun archivio per l'esportazione"));
    const QFileInfo target(FileName);
    // Written beside the target under another name, renamed only when complete: a stop or a
    // failure leaves nothing of it.
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
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // one row in memory at a time, whatever the rows
    const QByteArray tempName = QFile::encodeName(temp.fileName());
    lxw_workbook* wb = workbook_new_opt(tempName.constData(), &options);
    if (!wb)
        throw EZavoError(QStringLiteral("Impossibile scrivere il file \"%1\"").arg(shown));
    bool closed = false;
    TScopeExit close([&] {
        if (!closed)
            workbook_close(wb);
    });
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "dd/mm/yyyy");
    lxw_format* dateTime = workbook_add_format(wb);
    format_set_num_format(dateTime, "dd/mm/yyyy hh:mm");
    for (size_t c = 0; c < Colonne.size(); ++c) {
        const auto col = static_cast<lxw_col_t>(c);
        worksheet_set_column_pixels(ws, col, col,
                                    static_cast<uint32_t>(std::max(Colonne[c].pixel, 20)), nullptr);
        worksheet_write_string(ws, 0, col, Colonne[c].titolo.toUtf8().constData(), bold);
    }
    worksheet_freeze_panes(ws, 1, 0);

    auto tr = CreaTransazione(*Database, TTipoTransazione::ReadCommitted);
    TIBSQL sql(Database, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(SQL);
    int n = 0;
    try {
        sql.ExecQuery();
        std::vector<int> index;
        for (const TColonnaExcel& c : Colonne)
            index.push_back(sql.FieldIndex(c.campo));
        for (; !sql.Eof(); sql.Next()) {
            const auto row = static_cast<lxw_row_t>(n + 1);
            for (size_t c = 0; c < index.size(); ++c) {
                if (index[c] < 0)
                    continue;
                const TSqlField& f = sql.Fields(index[c]);
                if (f.IsNull())
                    continue;
                const auto col = static_cast<lxw_col_t>(c);
                const QVariant v = f.AsVariant();
                switch (v.typeId()) {
                case QMetaType::QDate: {
                    const QDate d = v.toDate();
                    lxw_datetime dt{d.year(), d.month(), d.day(), 0, 0, 0};
                    worksheet_write_datetime(ws, row, col, &dt, date);
                    break;
                }
                case QMetaType::QDateTime: {
                    const QDateTime t = v.toDateTime();
                    lxw_datetime dt{
                        t.date().year(),   t.date().month(),
                        t.date().day(),    t.time().hour(),
                        t.time().minute(), t.time().second() + t.time().msec() / 1000.0};
                    worksheet_write_datetime(ws, row, col, &dt, dateTime);
                    break;
                }
                case QMetaType::Int:
                case QMetaType::LongLong:
                case QMetaType::Short:
                case QMetaType::Double:
                case QMetaType::Float:
                    worksheet_write_number(ws, row, col, v.toDouble(), nullptr);
                    break;
                default:
                    worksheet_write_string(ws, row, col, v.toString().toUtf8().constData(),
                                           nullptr);
                }
            }
            ++n;
            if (n % 1000 == 0 && Progresso && !Progresso(n))
                return false; // the temporary file goes with `temp`
        }
    } catch (const EDatabaseError& e) {
        throw EZavoError(QStringLiteral("Esportazione non riuscita: ") + e.Descrizione());
    }
    closed = true;
    if (workbook_close(wb) != LXW_NO_ERROR)
        throw EZavoError(QStringLiteral("Impossibile scrivere il file \"%1\": errore di "
                                        "scrittura (disco pieno o non raggiungibile?)")
                             .arg(shown));
    if ((QFileInfo::exists(target.absoluteFilePath()) &&
         !QFile::remove(target.absoluteFilePath())) ||
        !temp.rename(target.absoluteFilePath()))
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
        Dialogs().Information(QStringLiteral("Esportate %1 righe in \"%2\"")
                                  .arg(righe)
                                  .arg(QDir::toNativeSeparators(file)));
    else
        Dialogs().Information(QStringLiteral("Esportazione annullata: nessun file scritto"));
}
