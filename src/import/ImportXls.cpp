#include "ImportXls.h"

#include "FotoXls.h"

#include "control/office/OfficeSuite.h"
#include "framework/db/DBConnection.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "model/ZelmModelData.h"

#include <QDir>
#include <QFileInfo>

namespace {
/// Runs `step`; a failure becomes `prefix` followed by the underlying message.
template <typename F> void Passo(const QString& prefix, F&& step) {
    try {
        step();
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
    fGiaAcquisito = std::make_unique<TIBSQL>(&database, fScrittura.get());
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
}

TImportXls::~TImportXls() {
    // Statements before their transactions; an open write is given back.
    fFoto.reset();
    fStatements.clear();
    fInsertScheda.reset();
    fCliente.reset();
    fGiaAcquisito.reset();
    fInsertLog.reset();
    for (auto* t : {fScrittura.get(), fLog.get(), fLettura.get()})
        if (t && t->InTransaction())
            t->Rollback();
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

TEsitoXls TImportXls::Importa(const QString& fileName) {
    // A fresh snapshot first: the control row and the already-imported test see what others
    // committed meanwhile.
    if (fScrittura->InTransaction())
        fScrittura->Commit();
    fScrittura->StartTransaction();
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
    fGiaAcquisito->ParamByName("NOMEFILE").SetString(esito.nomeFile);
    fGiaAcquisito->ParamByName("PERCORSOFILE").SetString(percorso);
    fGiaAcquisito->ExecQuery();
    const int tot = fGiaAcquisito->Fields(0).AsInteger();
    fGiaAcquisito->Close();
    if (tot >= 1) {
        esito.esito = QStringLiteral("FILE GIA ACQUISITO");
        Log(esito, percorso);
        return esito;
    }

    std::unique_ptr<TSpreadsheet> documento;
    try {
        try {
            documento = TOfficeSuite::Instance().LoadSpreadsheet(file.absoluteFilePath());
        } catch (const EZavoError&) {
            throw EZavoError(QStringLiteral("Impossibile caricare il documento."));
        }
        esito.esito = QStringLiteral("OK");
        const TFoglioXls foglio = TFoglioXls::DaDocumento(*documento);
        const TTestataXls testata = LeggiTestata(foglio);
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
        fScrittura->CommitRetaining();
    } catch (const EZavoError& e) {
        esito.esito = QStringLiteral("ERRORE");
        esito.note = e.Message();
        // Nothing of a failed workbook stays; the transaction goes on for the next one.
        fScrittura->RollbackRetaining();
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
    if (!fLog->InTransaction())
        fLog->StartTransaction();
    fInsertLog->ParamByName("NOMEFILE").SetString(esito.nomeFile);
    fInsertLog->ParamByName("PERCORSOFILE").SetString(percorso);
    fInsertLog->ParamByName("ESITO").SetString(esito.esito);
    if (esito.note.isEmpty())
        fInsertLog->ParamByName("NOTE").SetNull();
    else
        fInsertLog->ParamByName("NOTE").SetString(esito.note);
    fInsertLog->ExecQuery();
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
    for (const auto& [param, value] : texts)
        s.ParamByName(param).SetString(value);
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
    TIBSQL& sql =
        Sql(QStringLiteral("SELECT r.NSET, r.NRIGA, r.ETICHETTA FROM %1 r WHERE r.NSET IN ( "
                           "    SELECT DISTINCT s.NSET     FROM %1 s     WHERE s.ETICHETTA = "
                           ":PRIMA_ETICHETTA ) ORDER BY r.NSET, r.NRIGA")
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
