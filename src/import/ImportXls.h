// The import of workbooks of the source system into model sheets: one workbook at a time in the
// write transaction, every attempt logged in ZELMLOGIMPXLS in a transaction of its own. The
// import window and the command-line importer both run this driver.
#pragma once

#include "LetturaScheda.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class TIBDatabase;
class TIBSQL;
class TIBTransaction;
class TFotoXls;
class TSpreadsheet;

/// What the sheet insert gave: the new sheet's identifiers and model code.
struct TSModelResult {
    int Id = 0;
    int IdModel = 0;
    QString QrCode;
};

/// The outcome of one workbook as logged.
struct TEsitoXls {
    QString esito; ///< "OK", "ERRORE", "FILE GIA ACQUISITO", "FILE MANCANTE"
    QString note;
    QString nomeFile;
};

class TImportXls : public QObject {
    Q_OBJECT
public:
    /// Prepares the statements on `database` for user `utente`. `tempDir` and `programDir` are
    /// the folders the pictures are worked in and stored under (see TFotoXls).
    TImportXls(TIBDatabase& database, int utente, const QString& tempDir, const QString& programDir,
               QObject* owner = nullptr);
    ~TImportXls() override;

    /// Pictures go to the photo store too.
    /// The user's name the sheets' history records (empty: "utente N" by the user's number).
    QString NomeUtente;
    bool AcquisisciFoto = false;

    /// Imports one workbook and logs the attempt. Raises (and logs nothing) only when the photo
    /// store is asked for and its control row is missing, or when the log cannot be written.
    TEsitoXls Importa(const QString& fileName);

    /// Every import reads its workbooks through the office: starts it in the background, so
    /// that the first workbook does not wait for its cold start (a window that opens, a batch
    /// that lists its folders).
    static void PreparaOffice();

    /// The workbooks of a folder (its own entries "*.xls*" whose extension is .xls or .xlsx, any
    /// case), in the order the file system lists them.
    static QStringList FileDellaCartella(const QString& folder);

    /// Called before each workbook of a batch with its position (from 1), the count and the
    /// name; false stops the batch before that workbook.
    using TProgresso = std::function<bool(int n, int count, const QString& file)>;
    /// Imports every workbook of `files` in turn; one failure never stops the batch.
    QList<TEsitoXls> ImportaFile(const QStringList& files, const TProgresso& progresso = {});

    /// The claim of a workbook among importers: a row of ZELMIMPXLSLOCK with this key is held
    /// by the write transaction of whoever is importing it (folder and name hashed to fit).
    static QString ChiaveWorkbook(const QString& percorso, const QString& nome);

    /// The write transaction (every write of a workbook).
    TIBTransaction& TransazioneScrittura() { return *fScrittura; }

    /// Called before the steps of a workbook that write ("scheda": the sheet insert, "registro":
    /// the log row's commit), so that a test can break the connection exactly there.
    std::function<void(const QString& passo)> PrimaDelPasso;

private:
    TSModelResult InserisciScheda(const TTestataXls& t, const QString& nome,
                                  const QString& percorso);
    void ImpostaTagliaOperativa(const TSModelResult& r, const QStringList& taglie);
    void InserisciDettagli(const TSModelResult& r, const QList<TRigaDettaglio>& righe);
    void InserisciOpzioni(const TSModelResult& r, const QList<TSetOpzioniItem>& opzioni);
    void InserisciPreferenze(const TSModelResult& r, const QList<TPreferenzeComp>& preferenze);
    QList<TSetCandidato> Candidati(const QString& table, const QString& primaEtichetta);
    /// Matches `labels` to a set of `table` and writes its number into the sheet's `column`;
    /// the set's number. The three texts: no labels, no set matched, the update refused (%1:
    /// the number).
    int ImpostaSet(const TSModelResult& r, const QStringList& labels, const QString& table,
                   const QString& column, const QString& vuota, const QString& nessuno,
                   const QString& erroreAggiornamento);
    int GenId(const char* generator);
    /// A statement of the write transaction, prepared once and kept for the next workbooks.
    TIBSQL& Sql(const QString& text);
    /// Logs an attempt; a database failure is raised in Italian.
    /// Opens the connection again when a server restarted under the batch, waiting up to
    /// kAttesaServer seconds for it to answer; then raises the failure in Italian.
    /// `chiediSempre`: the server is asked even when it answered less than a second ago (the
    /// start of a workbook, whose first write must not meet a connection cut meanwhile).
    void Ricollega(bool chiediSempre = false);
    static constexpr int kAttesaServer = 30;
    void Log(const TEsitoXls& esito, const QString& percorso);

    void Registra(const TEsitoXls& esito, const QString& percorso);
    /// Widths of the text columns of the sheet and the log ("ZELMMODEL.NOMEFILE" → 128); a
    /// column without one (a text blob) has no limit.
    void LeggiLunghezze();
    int Lunghezza(const QString& campo) const;
    /// The claims' table (created when missing) and its two statements.
    void PreparaPrenotazioni();

    TIBDatabase& fDatabase;
    int fUtente;
    QString fTempDir, fProgramDir;
    std::unique_ptr<TIBTransaction> fScrittura, fLog, fLettura;
    std::unique_ptr<TIBSQL> fInsertLog, fGiaAcquisito, fCliente, fInsertScheda;
    std::unique_ptr<TFotoXls> fFoto;
    std::map<QString, std::unique_ptr<TIBSQL>> fStatements;
    std::map<QString, int> fLunghezze;
    std::unique_ptr<TIBSQL> fPrenota, fRilascia;
    // The workbook under way, for the diagnostic log: since when, and the technical detail of
    // its failure (the outcome's note is the Italian one).
    QElapsedTimer fTempo;
    QString fDettaglio;
};
