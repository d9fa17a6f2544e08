#include "ImportXls.h"

#include "control/StoricoDataAccess.h"
#include "model/Storico.h"

#include "framework/core/Log.h"

#include "FotoXls.h"

#include "control/office/OfficeSuite.h"
#include "framework/core/FileAccess.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DatabaseError.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "model/ZelmModelData.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <limits>

namespace {
/// Runs `step`; a failure becomes `prefix` followed by the underlying message.
template <typename F> void Passo(const QString& prefix, F&& step) {
    try {
        step();
    } catch (const EDatabaseError& e) {
        throw EZavoError(prefix + e.Descrizione());
    } catch (const EZavoError& e) {
        throw EZavoError(prefix + e.Message());
    }
}

void Data(TIBSQL& sql, const char* param, const QDate& d) {
    if (d.isValid())
        sql.ParamByName(param).SetDate(d);
    else
        sql.ParamByName(param).SetNull();
}

QString Cartella(const QFileInfo& file) {
    return QDir::toNativeSeparators(file.absolutePath()) + QDir::separator();
}
} // namespace

QString TImportXls::ChiaveWorkbook(const QString& percorso, const QString& nome) {
    return QString::fromLatin1(
        QCryptographicHash::hash((percorso + QLatin1Char('|') + nome).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex());
}

TImportXls::TImportXls(TIBDatabase& database, int utente, const QString& tempDir,
                       const QString& programDir, QObject* owner)
    : QObject(owner), fDatabase(database), fUtente(utente), fTempDir(tempDir),
      fProgramDir(programDir) {
    fScrittura = CreaTransazione(database, TTipoTransazione::Snapshot, false);
    fLog = CreaTransazione(database, TTipoTransazione::Snapshot, false);
    fLettura = CreaTransazione(database, TTipoTransazione::ReadCommitted, false);
    fScrittura->StartTransaction();
    fLog->StartTransaction();
    fLettura->StartTransaction();
    fInsertLog = std::make_unique<TIBSQL>(&database, fLog.get());
    fInsertLog->SetSQL(
        QStringList{"INSERT INTO ZELMLOGIMPXLS (",
                    "  ID, DATAORA, OPERATORE, NOMEFILE, PERCORSOFILE, ESITO, NOTE", ") VALUES (",
                    "  GEN_ID(ID_ZELMLOGIMPXLS_COUNTER, 1), CURRENT_TIMESTAMP, " +
                        QString::number(utente) + ", :NOMEFILE, :PERCORSOFILE, :ESITO, :NOTE",
                    ")"});
    // Read committed: it sees what another importer committed after this one's snapshot began.
    fGiaAcquisito = std::make_unique<TIBSQL>(&database, fLettura.get());
    fGiaAcquisito->SetSQL(
        QStringList{"SELECT COALESCE(COUNT(*),0) TOT FROM ZELMMODEL ",
                    "WHERE NOMEFILE = :NOMEFILE AND PERCORSOFILE = :PERCORSOFILE"});
    fCliente = std::make_unique<TIBSQL>(&database, fLettura.get());
    fCliente->SetSQL(QStringLiteral(
        "SELECT CODICE FROM CLIENTI WHERE DESCRIZIONESINTETICA = :DESCRIZIONESINTETICA"));
    fInsertScheda = std::make_unique<TIBSQL>(&database, fScrittura.get());
    fInsertScheda->SetSQL(QStringList{
        "INSERT INTO ZELMMODEL (",
        "  ID, IDMODEL, IDVARIANTE, DATAVARIANTE, QRCODE, CODICECLIENTE, SIGLACLIENTE, "
        "LAVORAZIONE, CODICE, FORMA, TACCO,",
        "  PLATO, DATA, STAGIONE, TIPO, MODOLAVORAZIONE, MODELLO, LINEA, SETOPZIONILAVORAZ,",
        "  SETPREFERENZECOMPONENTI, INDUSTRIALIZZATORE, DATAPROTOTIPO, DATACONFERMAPROTOTIPO, "
        "DATACAMPIONE,",
        "  DATACONFERMACAMPIONE, DATASFILATA, DATACONFERMASFILATA, DATATESTADISERIE, "
        "DATACONFERMATESTADISERIE,",
        "  DATACONFERMAPRODUZIONE, NOTEVARIE, NOTECUOIO, NOTECAMP, STATUSSCHEDA, NOMEFILE, "
        "PERCORSOFILE",
        ") VALUES (",
        "  :ID, :IDMODEL, :IDVARIANTE, :DATAVARIANTE, :QRCODE, :CODICECLIENTE, :SIGLACLIENTE, "
        ":LAVORAZIONE, :CODICE, :FORMA, :TACCO,",
        "  :PLATO, :DATA, :STAGIONE, :TIPO, :MODOLAVORAZIONE, :MODELLO, :LINEA, "
        ":SETOPZIONILAVORAZ,",
        "  :SETPREFERENZECOMPONENTI, :INDUSTRIALIZZATORE, :DATAPROTOTIPO, :DATACONFERMAPROTOTIPO, "
        ":DATACAMPIONE,",
        "  :DATACONFERMACAMPIONE, :DATASFILATA, :DATACONFERMASFILATA, :DATATESTADISERIE, "
        ":DATACONFERMATESTADISERIE,",
        "  :DATACONFERMAPRODUZIONE, :NOTEVARIE, :NOTECUOIO, :NOTECAMP, :STATUSSCHEDA, :NOMEFILE, "
        ":PERCORSOFILE",
        ")"});
    LeggiLunghezze();
    PreparaPrenotazioni();
}

void TImportXls::LeggiLunghezze() {
    TIBSQL sql(&fDatabase, fLettura.get());
    sql.SetSQL(QStringLiteral(
        "SELECT TRIM(rf.RDB$RELATION_NAME) || '.' || TRIM(rf.RDB$FIELD_NAME), "
        "f.RDB$CHARACTER_LENGTH FROM RDB$RELATION_FIELDS rf JOIN RDB$FIELDS f ON "
        "f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE WHERE rf.RDB$RELATION_NAME IN ('ZELMMODEL', "
        "'ZELMLOGIMPXLS') AND f.RDB$CHARACTER_LENGTH IS NOT NULL"));
    for (sql.ExecQuery(); !sql.Eof(); sql.Next())
        fLunghezze[sql.Fields(0).AsString().trimmed()] = sql.Fields(1).AsInteger();
    sql.Close();
}

int TImportXls::Lunghezza(const QString& campo) const {
    // Only character columns have a length in the catalogue; a text blob (the notes) takes any.
    const auto it = fLunghezze.find(campo);
    return it == fLunghezze.end() ? std::numeric_limits<int>::max() : it->second;
}

void TImportXls::PreparaPrenotazioni() {
    TIBSQL exists(&fDatabase, fLettura.get());
    exists.SetSQL(QStringLiteral("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = "
                                 "'ZELMIMPXLSLOCK'"));
    auto present = [&exists] {
        exists.ExecQuery();
        const bool found = exists.Fields(0).AsInteger() > 0;
        exists.Close();
        return found;
    };
    bool ready = present();
    if (!ready) {
        // An archive older than the table: created once, by whoever imports first.
        try {
            auto ddl = CreaTransazione(fDatabase, TTipoTransazione::ReadCommitted);
            TIBSQL create(&fDatabase, ddl.get());
            create.SetSQL(QStringLiteral(
                "CREATE TABLE ZELMIMPXLSLOCK (CHIAVE CHAR(40) NOT NULL PRIMARY KEY)"));
            create.ExecQuery();
            ddl->Commit();
            ready = true;
        } catch (const EDatabaseError&) {
            ready = present(); // created meanwhile by another importer, or not ours to create
        }
    }
    // Without its claims two importers could store one workbook twice: an importer that cannot
    // use them does not start, and says what the administrator must run.
    const QString rimedio = QStringLiteral(
        "l'amministratore aggiorni l'archivio con zelm-provision CARTELLA --keep (o "
        "scripts/site-server.sh per un archivio sul server), che crea la tabella e ne dà i "
        "diritti all'utente del sito");
    if (!ready)
        throw EZavoError(QStringLiteral("Importazione non disponibile: nell'archivio manca la "
                                        "tabella ZELMIMPXLSLOCK, che impedisce di importare due "
                                        "volte la stessa cartella di lavoro, e l'utente "
                                        "dell'archivio non può crearla: ") +
                         rimedio);
    try {
        // A claim taken and given back in a transaction that is rolled back: the rights to
        // insert and delete are those the import needs.
        // Its key is this importer's own, so that two importers starting together never meet.
        const QString chiave = QStringLiteral("~prova %1 %2")
                                   .arg(QCoreApplication::applicationPid())
                                   .arg(QRandomGenerator::global()->generate());
        auto prova = CreaTransazione(fDatabase, TTipoTransazione::ReadCommitted);
        TIBSQL claim(&fDatabase, prova.get());
        claim.SetSQL(QStringLiteral("INSERT INTO ZELMIMPXLSLOCK (CHIAVE) VALUES (:CHIAVE)"));
        claim.ParamByName("CHIAVE").SetString(chiave);
        claim.ExecQuery();
        TIBSQL release(&fDatabase, prova.get());
        release.SetSQL(QStringLiteral("DELETE FROM ZELMIMPXLSLOCK WHERE CHIAVE = :CHIAVE"));
        release.ParamByName("CHIAVE").SetString(chiave);
        release.ExecQuery();
        prova->Rollback();
    } catch (const EDatabaseError& e) {
        if (!e.HasCode(FbCode::NoPermission))
            throw;
        throw EZavoError(QStringLiteral("Importazione non disponibile: l'utente dell'archivio "
                                        "non ha i diritti sulla tabella ZELMIMPXLSLOCK, che "
                                        "impedisce di importare due volte la stessa cartella di "
                                        "lavoro: ") +
                         rimedio);
    }
    fPrenota = std::make_unique<TIBSQL>(&fDatabase, fScrittura.get());
    fPrenota->SetSQL(QStringLiteral("INSERT INTO ZELMIMPXLSLOCK (CHIAVE) VALUES (:CHIAVE)"));
    fRilascia = std::make_unique<TIBSQL>(&fDatabase, fScrittura.get());
    fRilascia->SetSQL(QStringLiteral("DELETE FROM ZELMIMPXLSLOCK WHERE CHIAVE = :CHIAVE"));
}

TImportXls::~TImportXls() {
    // Statements before their transactions; an open write is given back.
    fFoto.reset();
    fStatements.clear();
    fPrenota.reset();
    fRilascia.reset();
    fInsertScheda.reset();
    fCliente.reset();
    fGiaAcquisito.reset();
    fInsertLog.reset();
    for (auto* t : {fScrittura.get(), fLog.get(), fLettura.get()})
        if (t && t->InTransaction())
            t->Rollback();
}

void TImportXls::PreparaOffice() {
    TOfficeSuite::Instance().AvviaInAnticipo();
}

QStringList TImportXls::FileDellaCartella(const QString& folder) {
    // "*.xls*" as the host's file system matches it (ignoring case), then only the two
    // workbook kinds: an .xlsm or .xlsb is skipped.
    QStringList files;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files, QDir::Unsorted)) {
        const QString ext = f.suffix().toLower();
        if (ext == QLatin1String("xls") || ext == QLatin1String("xlsx"))
            files << f.absoluteFilePath();
    }
    return files;
}

TIBSQL& TImportXls::Sql(const QString& text) {
    std::unique_ptr<TIBSQL>& slot = fStatements[text];
    if (!slot) {
        slot = std::make_unique<TIBSQL>(&fDatabase, fScrittura.get());
        slot->SetSQL(text);
    }
    return *slot;
}

int TImportXls::GenId(const char* generator) {
    TIBSQL& sql =
        Sql(QStringLiteral("SELECT GEN_ID(%1, 1) FROM RDB$DATABASE").arg(QLatin1String(generator)));
    sql.ExecQuery();
    const int id = sql.Fields(0).AsInteger();
    sql.Close();
    return id;
}

void TImportXls::Ricollega(bool chiediSempre) {
    // A server that restarts takes a few seconds to come back: the batch waits for it rather than
    // failing every workbook left.
    for (int attesa = 0;; ++attesa) {
        try {
            if (fDatabase.Ripristina(chiediSempre || attesa > 0)) {
                // The old connection's transactions went with it.
                if (!fLettura->InTransaction())
                    fLettura->StartTransaction();
            }
            return;
        } catch (const EDatabaseError& e) {
            if (!e.IsConnectionLost() || attesa >= kAttesaServer)
                throw EZavoError(e.TestoUtente());
            QThread::sleep(1);
        }
    }
}

TEsitoXls TImportXls::Importa(const QString& fileName) {
    fTempo.start();
    fDettaglio.clear();
    Ricollega(true);
    // A fresh snapshot first: the control row sees what others committed meanwhile.
    if (fScrittura->InTransaction())
        fScrittura->Commit();
    fScrittura->StartTransaction();
    SegnaStorico(fDatabase, *fScrittura, zelm::storico::kImport,
                 NomeUtente.isEmpty() ? QStringLiteral("utente %1").arg(fUtente) : NomeUtente,
                 zelm::storico::kProgrammaImport);
    if (AcquisisciFoto && !fFoto)
        fFoto = std::make_unique<TFotoXls>(fDatabase, *fScrittura, fUtente);

    const QFileInfo file(fileName);
    TEsitoXls esito;
    esito.nomeFile = file.fileName();
    const QString percorso = fileName.isEmpty() ? QString() : Cartella(file);
    if (fileName.isEmpty() || !file.isFile()) {
        esito.esito = QStringLiteral("FILE MANCANTE");
        Log(esito, percorso);
        return esito;
    }
    // A name or folder the sheet cannot record would fail every check below with the engine's
    // truncation: refused by name, the batch goes on.
    const int maxNome = Lunghezza(QStringLiteral("ZELMMODEL.NOMEFILE"));
    const int maxPercorso = Lunghezza(QStringLiteral("ZELMMODEL.PERCORSOFILE"));
    if (esito.nomeFile.size() > maxNome || percorso.size() > maxPercorso) {
        esito.esito = QStringLiteral("ERRORE");
        esito.note =
            esito.nomeFile.size() > maxNome
                ? QStringLiteral("Il nome del file è lungo %1 caratteri: l'archivio ne registra al "
                                 "massimo %2. Rinominare il file e ripetere l'importazione.")
                      .arg(esito.nomeFile.size())
                      .arg(maxNome)
                : QStringLiteral("Il percorso della cartella è lungo %1 caratteri: l'archivio ne "
                                 "registra al massimo %2. Spostare il file in una cartella dal "
                                 "percorso più breve e ripetere l'importazione.")
                      .arg(percorso.size())
                      .arg(maxPercorso);
        Log(esito, percorso);
        return esito;
    }

    const QString chiave = ChiaveWorkbook(percorso, esito.nomeFile);
    std::unique_ptr<TSpreadsheet> documento;
    try {
        // The claim keeps a second importer off this workbook until this one commits; the
        // already-imported test after it then sees the other's committed sheet.
        if (fPrenota) {
            fPrenota->ParamByName("CHIAVE").SetString(chiave);
            try {
                fPrenota->ExecQuery();
            } catch (const EDatabaseError& e) {
                if (!e.IsLockConflict() && !e.HasCode(FbCode::UniqueKeyViolation) &&
                    !e.HasCode(FbCode::NoDuplicates))
                    throw;
                throw EZavoError(QStringLiteral(
                    "File in uso da un altro utente: la sua importazione è in corso"));
            }
        }
        fGiaAcquisito->ParamByName("NOMEFILE").SetString(esito.nomeFile);
        fGiaAcquisito->ParamByName("PERCORSOFILE").SetString(percorso);
        fGiaAcquisito->ExecQuery();
        const int tot = fGiaAcquisito->Fields(0).AsInteger();
        fGiaAcquisito->Close();
        if (tot >= 1) {
            fScrittura->RollbackRetaining();
            esito.esito = QStringLiteral("FILE GIA ACQUISITO");
            Log(esito, percorso);
            return esito;
        }
        // A lock file left beside the workbook by an office that died is removed; one of a
        // live office elsewhere means the workbook is open there.
        if (QFileInfo::exists(BloccoOffice(file.absoluteFilePath())) &&
            !RimuoviBloccoOfficeOrfano(file.absoluteFilePath()))
            throw EZavoError(QStringLiteral("File in uso da un altro utente o applicazione"));
        try {
            documento = TOfficeSuite::Instance().LoadSpreadsheet(file.absoluteFilePath());
        } catch (const EZavoError& e) {
            fDettaglio = e.Message();
            throw EZavoError(QStringLiteral("Impossibile caricare il documento."));
        }
        esito.esito = QStringLiteral("OK");
        const TFoglioXls foglio = TFoglioXls::DaDocumento(*documento);
        const TTestataXls testata = LeggiTestata(foglio);
        if (PrimaDelPasso)
            PrimaDelPasso(QStringLiteral("scheda"));
        const TSModelResult scheda = InserisciScheda(testata, esito.nomeFile, percorso);
        TTaglieXls taglie;
        Passo(QStringLiteral("Errore durante la lettura: "), [&] { taglie = LeggiTaglie(foglio); });
        ImpostaTagliaOperativa(scheda, taglie.Taglie);
        InserisciDettagli(scheda, taglie.Righe);
        QList<TSetOpzioniItem> opzioni;
        Passo(QStringLiteral("Errore durante la lettura Info Linea: "),
              [&] { opzioni = LeggiOpzioni(foglio); });
        InserisciOpzioni(scheda, opzioni);
        QList<TPreferenzeComp> preferenze;
        Passo(QStringLiteral("Errore durante la lettura Preferenze Comp: "),
              [&] { preferenze = LeggiPreferenze(foglio); });
        InserisciPreferenze(scheda, preferenze);
        if (AcquisisciFoto)
            fFoto->Estrai(*documento, file.absoluteFilePath(), scheda.QrCode, fTempDir,
                          fProgramDir);
        if (fRilascia) {
            fRilascia->ParamByName("CHIAVE").SetString(chiave);
            fRilascia->ExecQuery();
        }
        fScrittura->CommitRetaining();
    } catch (const EZavoError& e) {
        esito.esito = QStringLiteral("ERRORE");
        const auto* db = dynamic_cast<const EDatabaseError*>(&e);
        esito.note = db ? db->Descrizione() : e.Message();
        if (fDettaglio.isEmpty())
            fDettaglio = e.Dettaglio();
        // Nothing of a failed workbook stays, its claim included; the transaction goes on for
        // the next one.
        try {
            fScrittura->RollbackRetaining();
        } catch (const EDatabaseError&) {
            // The connection is gone: the next workbook starts a new transaction or fails alike.
        }
    }
    if (documento) {
        try {
            documento->Close();
        } catch (const EZavoError&) {
            // The outcome is already decided; a document that will not close is the office's.
        }
    }
    Log(esito, percorso);
    return esito;
}

QList<TEsitoXls> TImportXls::ImportaFile(const QStringList& files, const TProgresso& progresso) {
    QList<TEsitoXls> esiti;
    for (int i = 0; i < files.size(); ++i) {
        if (progresso && !progresso(i + 1, static_cast<int>(files.size()), files[i]))
            break;
        esiti << Importa(files[i]);
    }
    return esiti;
}

void TImportXls::Log(const TEsitoXls& esito, const QString& percorso) {
    QString riga = QStringLiteral("cartella di lavoro %1 esito %2 in %3 ms")
                       .arg(QDir(percorso).filePath(esito.nomeFile), esito.esito)
                       .arg(fTempo.isValid() ? fTempo.elapsed() : 0);
    if (!esito.note.isEmpty())
        riga += QStringLiteral(" | nota: ") + esito.note;
    if (!fDettaglio.isEmpty())
        riga += QStringLiteral(" | dettaglio: ") + fDettaglio;
    qCInfo(zelmImport).noquote() << riga;
    try {
        try {
            Registra(esito, percorso);
        } catch (const EDatabaseError& e) {
            // The connection broke under this workbook: its outcome is written once the server
            // is back.
            if (!e.IsConnectionLost())
                throw;
            Ricollega();
            Registra(esito, percorso);
        }
    } catch (const EDatabaseError& e) {
        throw EZavoError(QStringLiteral("Esito di \"%1\" non registrato: %2")
                             .arg(esito.nomeFile, e.Descrizione()));
    }
}

void TImportXls::Registra(const TEsitoXls& esito, const QString& percorso) {
    if (!fLog->InTransaction())
        fLog->StartTransaction();
    // The log keeps what fits of a name or folder too long for it; the note says why.
    fInsertLog->ParamByName("NOMEFILE")
        .SetString(esito.nomeFile.left(Lunghezza(QStringLiteral("ZELMLOGIMPXLS.NOMEFILE"))));
    fInsertLog->ParamByName("PERCORSOFILE")
        .SetString(percorso.left(Lunghezza(QStringLiteral("ZELMLOGIMPXLS.PERCORSOFILE"))));
    fInsertLog->ParamByName("ESITO").SetString(esito.esito);
    if (esito.note.isEmpty())
        fInsertLog->ParamByName("NOTE").SetNull();
    else
        fInsertLog->ParamByName("NOTE").SetString(esito.note);
    fInsertLog->ExecQuery();
    if (PrimaDelPasso)
        PrimaDelPasso(QStringLiteral("registro"));
    fLog->CommitRetaining();
}

TSModelResult TImportXls::InserisciScheda(const TTestataXls& t, const QString& nome,
                                          const QString& percorso) {
    TSModelResult r;
    r.Id = GenId("ID_ZELMMODEL_COUNTER");
    r.IdModel = GenId("IDMODEL_ZELMMODEL_COUNTER");
    r.QrCode = TZelmModelData::QrText(r.IdModel, 0);
    fCliente->ParamByName("DESCRIZIONESINTETICA").SetString(t.SiglaCliente);
    fCliente->ExecQuery();
    const QString codice = fCliente->Eof() ? QString() : fCliente->Fields(0).AsString();
    fCliente->Close();
    if (codice.isEmpty())
        throw EZavoError(QStringLiteral("Errore ZELMMODEL: CodiceCliente non trovato"));
    if (!t.ErroreData.isEmpty())
        throw EZavoError(t.ErroreData);
    TIBSQL& s = *fInsertScheda;
    s.ParamByName("ID").SetInteger(r.Id);
    s.ParamByName("IDMODEL").SetInteger(r.IdModel);
    s.ParamByName("IDVARIANTE").SetInteger(0);
    s.ParamByName("DATAVARIANTE").SetNull();
    s.ParamByName("QRCODE").SetString(r.QrCode);
    s.ParamByName("CODICECLIENTE").SetString(codice);
    const std::pair<const char*, QString> texts[] = {{"SIGLACLIENTE", t.SiglaCliente},
                                                     {"LAVORAZIONE", t.Lavorazione},
                                                     {"CODICE", t.Codice},
                                                     {"FORMA", t.Forma},
                                                     {"TACCO", t.Tacco},
                                                     {"PLATO", t.Plato},
                                                     {"STAGIONE", t.Stagione},
                                                     {"TIPO", t.Tipo},
                                                     {"MODOLAVORAZIONE", t.ModoLavorazione},
                                                     {"MODELLO", t.Modello},
                                                     {"LINEA", t.Linea},
                                                     {"INDUSTRIALIZZATORE", t.Industrializzatore},
                                                     {"NOTEVARIE", t.NoteVarie},
                                                     {"NOTECUOIO", t.NoteCuoio},
                                                     {"NOTECAMP", t.NoteCamp},
                                                     {"NOMEFILE", nome},
                                                     {"PERCORSOFILE", percorso}};
    for (const auto& [param, value] : texts) {
        const int max = Lunghezza(QStringLiteral("ZELMMODEL.") + QLatin1String(param));
        if (value.size() > max)
            throw EZavoError(QStringLiteral("Errore insert ZELMMODEL: il valore di %1 è lungo %2 "
                                            "caratteri, l'archivio ne registra al massimo %3")
                                 .arg(QLatin1String(param))
                                 .arg(value.size())
                                 .arg(max));
        s.ParamByName(param).SetString(value);
    }
    Data(s, "DATA", t.Data);
    Data(s, "DATAPROTOTIPO", t.DataPrototipo);
    Data(s, "DATACAMPIONE", t.DataCampione);
    Data(s, "DATACONFERMACAMPIONE", t.DataConfermaCampione);
    Data(s, "DATASFILATA", t.DataSfilata);
    Data(s, "DATACONFERMASFILATA", t.DataConfermaSfilata);
    Data(s, "DATATESTADISERIE", t.DataTestaDiSerie);
    Data(s, "DATACONFERMATESTADISERIE", t.DataConfermaTestaDiSerie);
    Data(s, "DATACONFERMAPRODUZIONE", t.DataConfermaProduzione);
    for (const char* none :
         {"DATACONFERMAPROTOTIPO", "STATUSSCHEDA", "SETOPZIONILAVORAZ", "SETPREFERENZECOMPONENTI"})
        s.ParamByName(none).SetNull();
    Passo(QStringLiteral("Errore insert ZELMMODEL: "), [&] { s.ExecQuery(); });
    return r;
}

void TImportXls::ImpostaTagliaOperativa(const TSModelResult& r, const QStringList& taglie) {
    if (taglie.isEmpty())
        throw EZavoError(QStringLiteral(
            "Impossibile impostare la taglia operativa: Elenco taglie vuoto nel documento."));
    TIBSQL& find = Sql(
        QStringLiteral("SELECT FIRST 1 CODICE FROM TAGLIEOPERATIVE WHERE DESCRIZIONE1 = :DESC1"));
    find.ParamByName("DESC1").SetString(taglie.first());
    find.ExecQuery();
    if (find.Eof()) {
        find.Close();
        throw EZavoError(QStringLiteral("Taglia operativa non trovata per il valore: \"%1\"")
                             .arg(taglie.first()));
    }
    const QString codice = find.Fields(0).AsString();
    find.Close();
    Passo(QStringLiteral("Errore durante l'aggiornamento della Taglia Operativa: "), [&] {
        TIBSQL& update =
            Sql(QStringLiteral("UPDATE ZELMMODEL SET TAGLIAOPERATIVA = :TAGLIA WHERE ID = :ID"));
        update.ParamByName("TAGLIA").SetString(codice);
        update.ParamByName("ID").SetInteger(r.Id);
        update.ExecQuery();
    });
}

void TImportXls::InserisciDettagli(const TSModelResult& r, const QList<TRigaDettaglio>& righe) {
    TIBSQL& insert = Sql(QStringList{
        "INSERT INTO ZELMMODELDETT (", "  ID, IDMODEL, TIPODETT, ",
        "  D1, D2, D3, D4, D5, D6, D7, D8, D9, D10, D11, D12, D13, D14, D15, D16, D17",
        ") VALUES (", "  :ID, :IDMODEL, :TIPODETT, ",
        "  :D1, :D2, :D3, :D4, :D5, :D6, :D7, :D8, :D9, :D10, :D11, :D12, :D13, :D14, :D15, :D16, "
        ":D17",
        ")"}
                             .join('\n'));
    for (const TRigaDettaglio& riga : righe) {
        const int id = GenId("ID_ZELMMODELDETT_COUNTER");
        Passo(QStringLiteral("Errore inserimento riga dettaglio \"%1\": ").arg(riga.Nome), [&] {
            insert.ParamByName("ID").SetInteger(id);
            insert.ParamByName("IDMODEL").SetInteger(r.IdModel);
            insert.ParamByName("TIPODETT").SetString(riga.Nome.left(30));
            for (int i = 0; i < 17; ++i) {
                const QByteArray name = "D" + QByteArray::number(i + 1);
                if (i < riga.Dati.size())
                    insert.ParamByName(name.constData()).SetString(riga.Dati[i].left(5));
                else
                    insert.ParamByName(name.constData()).SetNull();
            }
            insert.ExecQuery();
        });
    }
}

QList<TSetCandidato> TImportXls::Candidati(const QString& table, const QString& primaEtichetta) {
    TIBSQL& sql = Sql(
        QStringLiteral("SELECT r.NSET, r.NRIGA, r.ETICHETTA FROM %1 r WHERE r.NSET IN ( "
                       "    SELECT DISTINCT s.NSET     FROM %1 s     WHERE UPPER(s.ETICHETTA) = "
                       "UPPER(:PRIMA_ETICHETTA) ) ORDER BY r.NSET, r.NRIGA")
            .arg(table));
    sql.ParamByName("PRIMA_ETICHETTA").SetString(primaEtichetta);
    QList<TSetCandidato> sets;
    for (sql.ExecQuery(); !sql.Eof(); sql.Next()) {
        const int nset = sql.Fields(0).AsInteger();
        if (sets.isEmpty() || sets.last().NSet != nset)
            sets << TSetCandidato{nset, {}};
        sets.last().Etichette << sql.Fields(2).AsString();
    }
    sql.Close();
    return sets;
}

int TImportXls::ImpostaSet(const TSModelResult& r, const QStringList& labels, const QString& table,
                           const QString& column, const QString& vuota, const QString& nessuno,
                           const QString& erroreAggiornamento) {
    if (labels.isEmpty())
        throw EZavoError(vuota);
    const std::optional<int> nset = TrovaSet(Candidati(table, labels.first()), labels);
    if (!nset)
        throw EZavoError(nessuno);
    Passo(erroreAggiornamento.arg(*nset), [&] {
        TIBSQL& update =
            Sql(QStringLiteral("UPDATE ZELMMODEL SET %1 = :NSET WHERE ID = :ID").arg(column));
        update.ParamByName("NSET").SetInteger(*nset);
        update.ParamByName("ID").SetInteger(r.Id);
        update.ExecQuery();
    });
    return *nset;
}

void TImportXls::InserisciOpzioni(const TSModelResult& r, const QList<TSetOpzioniItem>& opzioni) {
    QStringList labels;
    for (const TSetOpzioniItem& o : opzioni)
        labels << o.Etichetta;
    const int nset = ImpostaSet(
        r, labels, QStringLiteral("ZELMSETOPZIONILAVORAZ"), QStringLiteral("SETOPZIONILAVORAZ"),
        QStringLiteral("Impossibile cercare Set Opzioni: La lista letta da Excel è vuota."),
        QStringLiteral("Nessun Set Opzioni trovato."),
        QStringLiteral("Errore durante l'aggiornamento del Set Opzioni (NSET: %1): "));
    TIBSQL& insert = Sql(QStringList{
        "INSERT INTO ZELMMODELOPZ (",
        "  ID, IDMODEL, IDVARIANTEMODEL, IDOPZIONE, ETICHETTA, DESCRIZIONE", ") VALUES (",
        "  GEN_ID(ID_ZELMMODELOPZ_COUNTER, 1), :IDMODEL, :IDVARIANTEMODEL, "
        ":IDOPZIONE, :ETICHETTA, :DESCRIZIONE",
        ")"}
                             .join('\n'));
    for (const TSetOpzioniItem& o : opzioni)
        Passo(QStringLiteral("Errore inserimento set opzioni \"%1\": ").arg(o.Etichetta), [&] {
            insert.ParamByName("IDMODEL").SetInteger(r.IdModel);
            insert.ParamByName("IDVARIANTEMODEL").SetInteger(0);
            insert.ParamByName("IDOPZIONE").SetInteger(nset);
            insert.ParamByName("ETICHETTA").SetString(o.Etichetta.left(30));
            insert.ParamByName("DESCRIZIONE").SetString(o.Descrizione.left(50));
            insert.ExecQuery();
        });
}

void TImportXls::InserisciPreferenze(const TSModelResult& r,
                                     const QList<TPreferenzeComp>& preferenze) {
    // Every label read takes part in the matching; only the marked ones become rows.
    QStringList labels;
    for (const TPreferenzeComp& p : preferenze)
        labels << p.Etichetta;
    const int nset = ImpostaSet(
        r, labels, QStringLiteral("ZELMSETPREFERENZECOMPONENTI"),
        QStringLiteral("SETPREFERENZECOMPONENTI"),
        QStringLiteral("Impossibile cercare Set Preferenze Componenti: La lista letta da Excel è "
                       "vuota."),
        QStringLiteral("Nessun Set Preferenze Componenti trovato per le etichette fornite."),
        QStringLiteral("Errore aggiornamento Set Preferenze Componenti (NSET: %1): "));
    TIBSQL& insert =
        Sql(QStringList{"INSERT INTO ZELMMODELPREFCOMP (",
                        "  ID, IDMODEL, IDVARIANTEMODEL, IDOPZIONE, ETICHETTA", ") VALUES (",
                        "  GEN_ID(ID_ZELMMODELPREFCOMP_COUNTER, 1), :IDMODEL, "
                        ":IDVARIANTEMODEL, :IDOPZIONE, :ETICHETTA",
                        ")"}
                .join('\n'));
    for (const TPreferenzeComp& p : preferenze) {
        if (!p.Presente)
            continue;
        Passo(QStringLiteral("Errore inserimento preferenza componente \"%1\": ").arg(p.Etichetta),
              [&] {
                  insert.ParamByName("IDMODEL").SetInteger(r.IdModel);
                  insert.ParamByName("IDVARIANTEMODEL").SetInteger(0);
                  insert.ParamByName("IDOPZIONE").SetInteger(nset);
                  insert.ParamByName("ETICHETTA").SetString(p.Etichetta.left(30));
                  insert.ExecQuery();
              });
    }
}
