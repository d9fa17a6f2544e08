// Printing a list: the columns the user arranged (taken while they fit the page), written as a
// project and a request for the host suite's print module, or laid out by our own print preview
// when the module is not installed. Both read the same column selection.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <vector>

class QImage;
class QPagedPaintDevice;
class QPainter;
class TIBDatabase;

/// A printed column: its field, its title and its printed width.
struct TColonnaStampa {
    QString campo, titolo;
    int larghezzaMm = 0;
    bool forzata = false; ///< the last column stretched to the page's end
};

/// A stored column width in pixels, in millimetres (pixels / 3.7795, ties to even).
int PixelInMm(int pixels);

class TZavoGridStampa : public QObject {
    Q_OBJECT
public:
    explicit TZavoGridStampa(QObject* owner = nullptr);
    ~TZavoGridStampa() override;

    QString pNomeReport; ///< "StZavoGrid_<yyyyMMddhhmmsszzz>.LST"
    int Progetto = 0, Situazione = 0, Utente = 0;
    QString Tabella;
    QString SQLRif;
    QString BinDir;
    TIBDatabase* DatabaseRif = nullptr;  ///< where the layout is stored
    TIBDatabase* DatabaseDati = nullptr; ///< where the list's query runs (our preview)
    QString Intestazione_Riga1, Intestazione_Riga2;
    int Intestazione_Allineamento = 0; ///< 0 left, 1 centred
    QString OrientamentoPagina = QStringLiteral("VERTICALE");
    int DimensioneFontDati = 10;
    bool FlagNumeraPagine = false;
    bool FlagTroncaTesti = false;
    bool FlagForzaUltimaColonna = false;

    bool Orizzontale() const { return OrientamentoPagina == QLatin1String("ORIZZONTALE"); }
    /// 195 mm portrait, 282 mm landscape.
    int LarghezzaStampabile() const { return Orizzontale() ? 282 : 195; }

    /// The visible stored columns in position order, taken while they fit.
    std::vector<TColonnaStampa> Colonne() const;
    /// A stored column: field, title, width in pixels.
    struct TColonnaSalvata {
        QString campo, titolo;
        int pixel = 0;
    };
    /// The selection from stored columns in their order, for this job's page and options.
    std::vector<TColonnaStampa> Seleziona(const QList<TColonnaSalvata>& stored) const;

    QString FileProgetto() const;
    /// The project text for `colonne`.
    QString TestoProgetto(const std::vector<TColonnaStampa>& colonne) const;
    /// The request text for the project at `progetto` (preview or edit).
    QString TestoRichiesta(const QString& progetto, bool anteprima) const;
    /// The print module's launcher ("PrentixLaunch", or in "Combit"); empty when neither exists.
    static QString Launcher();

    /// Writes both files, runs the launcher, deletes the files. Without the launcher: false
    /// (nothing written).
    bool Stampa(bool anteprima);

    /// Rows of the list per page in our own layout when no text wraps (each row one line).
    int RighePerPagina() const;
    /// Lays out every row of the list's query on `device` (our preview and PDF).
    void Disegna(QPagedPaintDevice& device, const std::vector<TColonnaStampa>& colonne) const;
    /// The same with the rows already read (`numeriche`: the columns right-aligned).
    void Disegna(QPagedPaintDevice& device, const std::vector<TColonnaStampa>& colonne,
                 const QList<QStringList>& rows, const std::vector<bool>& numeriche = {}) const;
    /// Every row of the list's query, as texts of `colonne`; `numeriche`, when given, tells the
    /// columns that hold numbers.
    QList<QStringList> Righe(const std::vector<TColonnaStampa>& colonne,
                             std::vector<bool>* numeriche = nullptr) const;
    /// Page `page` (from 0) of our layout as a picture at `dpi`.
    QImage Pagina(int page, const std::vector<TColonnaStampa>& colonne, int dpi) const;
    /// Shows our print preview (print or PDF from there).
    void Anteprima(QWidget* parent);

private:
    /// The rows of one page and the height (mm) of each.
    struct TPaginaStampa {
        int prima = 0;
        std::vector<double> altezze;
    };
    /// Splits the rows into pages: a row that wraps grows to hold its text, so a page holds
    /// fewer of them.
    std::vector<TPaginaStampa> Impagina(QPainter& p, double mm, const QList<QStringList>& rows,
                                        const std::vector<TColonnaStampa>& colonne) const;
    void DisegnaPagina(QPainter& p, double mm, int page, const std::vector<TPaginaStampa>& pagine,
                       const QList<QStringList>& rows, const std::vector<TColonnaStampa>& colonne,
                       const std::vector<bool>& numeriche) const;
    QDateTime fCreazione;
};
