#include "FotoXls.h"

#include "control/office/OfficeSuite.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace {
void CreaCartella(const QString& folder) {
    if (!QDir().mkpath(folder))
        throw EZavoError(QStringLiteral("Creazione cartella fallita: %1").arg(folder));
}
} // namespace

TFotoXls::TFotoXls(TIBDatabase& database, TIBTransaction& transaction, int utente)
    : fDatabase(database), fTransaction(transaction), fUtente(utente) {
    TIBSQL sql(&database, &transaction);
    sql.SetSQL(QStringLiteral("SELECT CODICESITUAZIONE, CONTROLLOCODICE FROM LUMETRACONTROL WHERE "
                              "UPPER(CONTROLLOETICHETTA) = 'FOTO MODELLI' "));
    sql.ExecQuery();
    if (sql.Eof() || sql.Fields(1).AsString().isEmpty())
        throw EZavoError(
            QStringLiteral("Errore: Nessun pulsante FOTO MODELLI trovato su LUMETRACONTROL"));
    const int situazione = sql.Fields(0).AsInteger();
    const QString codice = sql.Fields(1).AsString();
    sql.Close();
    TLumetraControlAccess access;
    access.SetIBDatabase(&database);
    access.SetIBTransaction(&transaction);
    if (!access.Load(situazione, codice, fControllo))
        throw EZavoError(QStringLiteral("Errore: CONTROLLOCODICE %1 non trovato in archivio "
                                        "(codice situazione %2")
                             .arg(codice)
                             .arg(situazione));
    fFoto.SetIBDatabase(&database);
    fFoto.SetIBTransaction(&transaction);
}

TFotoXls::~TFotoXls() = default;

QImage TFotoXls::Miniatura(const QImage& picture) {
    QSize size = picture.size();
    if (size.width() > 180 || size.height() > 120)
        size = size.scaled(180, 120, Qt::KeepAspectRatio);
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), size), picture);
    return out;
}

QString TFotoXls::Cartella(const QString& codiceModello, const QString& programDir) {
    QString folder = fControllo.ImagePath().isEmpty() ? QDir(programDir).filePath("scan")
                                                      : fControllo.ImagePath();
    if (fControllo.TabellaRicerca().isEmpty() || fControllo.CampoRicerca().isEmpty() ||
        fControllo.CampoRitorno().isEmpty())
        return folder;
    QString key = codiceModello;
    if (const QString prefix = fControllo.PrefissoRitorno(); !prefix.isEmpty())
        key = key.toUpper().startsWith(prefix.toUpper()) ? key.mid(prefix.size()) : QString();
    const QString column = fControllo.OrvoDataCampo2().isEmpty() ? fControllo.CampoRicerca()
                                                                 : fControllo.OrvoDataCampo2();
    QString answer;
    try {
        // The key is bound, not pasted into the statement.
        TIBSQL sql(&fDatabase, &fTransaction);
        sql.SetSQL(QStringList{QStringLiteral("SELECT ") + column,
                               QStringLiteral("FROM ") + fControllo.TabellaRicerca(),
                               QStringLiteral("WHERE ") + fControllo.CampoRitorno() + "=:CHIAVE"});
        sql.ParamByName("CHIAVE").SetString(key);
        sql.ExecQuery();
        if (!sql.Eof())
            answer = sql.Fields(0).AsString();
        sql.Close();
    } catch (const EZavoError&) {
        // A lookup that fails adds no subfolder.
    }
    for (const char c : QByteArray("\n\r\"*/:<>?\\|"))
        answer.remove(QLatin1Char(c));
    answer = answer.trimmed();
    if (!answer.isEmpty()) {
        folder = QDir(folder).filePath(answer);
        CreaCartella(folder);
    }
    folder = QDir(folder).filePath(QDate::currentDate().toString(QStringLiteral("yyyy MM dd")));
    CreaCartella(folder);
    return folder;
}

void TFotoXls::Estrai(TSpreadsheet& documento, const QString& fileName,
                      const QString& codiceModello, const QString& tempDir,
                      const QString& programDir) {
    const QFileInfo workbook(fileName);
    const QString work =
        QDir(tempDir.isEmpty() ? programDir : tempDir).filePath(workbook.completeBaseName());
    CreaCartella(work);
    documento.StoreToHtml(QDir(work).filePath(workbook.completeBaseName() + ".html"));

    const QFileInfoList files = QDir(work).entryInfoList(QDir::Files, QDir::Unsorted);
    int number = 0;
    QString folder; // looked up at the first picture, once for the workbook
    for (const QFileInfo& file : files) {
        const QString ext = file.suffix().toLower();
        if (ext != QLatin1String("png") && ext != QLatin1String("jpg") &&
            ext != QLatin1String("jpeg"))
            continue;
        ++number;
        QString picture = file.filePath();
        if (ext == QLatin1String("png")) {
            const QString jpg = QDir(work).filePath(file.completeBaseName() + ".jpg");
            QImage image(picture);
            if (image.isNull() || !image.save(jpg, "JPEG", 80))
                throw EZavoError(
                    QStringLiteral("Conversione in JPEG non riuscita: %1").arg(picture));
            picture = jpg;
        }
        TOrvoItemPhotoData record;
        record.SetDataOra(QDateTime::currentDateTime());
        record.SetCodiceOperatore(fUtente);
        record.SetStatus(QStringLiteral("ATTIVO"));
        record.SetRegolaInstradamentoFoto(rifUniversale);
        record.SetCodiceItem(codiceModello);
        record.SetNomeFile(
            QStringLiteral("%1_%2").arg(codiceModello).arg(number, 3, 10, QLatin1Char('0')));
        record.SetEstensioneFile(QStringLiteral("jpg"));
        if (folder.isEmpty())
            folder = Cartella(codiceModello, programDir);
        record.SetPercorsoFoto(folder);

        if (!QDir(record.PercorsoFoto()).exists())
            throw EZavoError(
                QStringLiteral("Directory \"%1\" non trovata").arg(record.PercorsoFoto()));
        const QString target = record.FileName();
        if (QFileInfo::exists(target) || !QFile::copy(picture, target))
            throw EZavoError(
                QStringLiteral("Copia del file %1 in %2 non riuscita").arg(picture, target));
        const QString thumbs = QDir(record.PercorsoFoto()).filePath(QStringLiteral("miniature"));
        CreaCartella(thumbs);
        const QImage image(picture);
        const QString thumb = QDir(thumbs).filePath(record.NomeFile() + ".tbn");
        if (image.isNull() || !Miniatura(image).save(thumb, "JPEG", 80))
            throw EZavoError(QStringLiteral("Miniatura non scritta: %1").arg(thumb));
        if (fControllo.FillOrvoItemPhoto() == 1)
            fFoto.Insert(record);
    }
    QDir(work).removeRecursively();
}
