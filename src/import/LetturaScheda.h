// Where a workbook of the source system keeps each value of a model sheet, read from the sheet's
// window into neutral records. Nothing here touches the database.
#pragma once

#include "FoglioXls.h"

#include <QDate>
#include <QStringList>

#include <optional>

struct TRigaDettaglio {
    QString Nome;
    QStringList Dati;
};

struct TSetOpzioniItem {
    QString Etichetta;
    QString Descrizione;
};

struct TPreferenzeComp {
    QString Etichetta;
    bool Presente = false;
};

/// The header values of the sheet; dates are null when the workbook gives none.
struct TTestataXls {
    QString SiglaCliente, Lavorazione, Codice, Forma, Tacco, Plato, Stagione, Tipo, ModoLavorazione,
        Modello, Linea, Industrializzatore, NoteVarie, NoteCuoio, NoteCamp;
    QDate Data, DataPrototipo, DataCampione, DataConfermaCampione, DataSfilata, DataConfermaSfilata,
        DataTestaDiSerie, DataConfermaTestaDiSerie, DataConfermaProduzione;
    /// The first date that could not be read, with its label and the text as written ("" when
    /// every date was read; "Errore ZELMMODEL: Data mancante" without the sheet's date). It is
    /// reported after the customer is checked.
    QString ErroreData;
};

struct TTaglieXls {
    QStringList Taglie;
    QList<TRigaDettaglio> Righe;
};

/// The first non-empty of the `n` cells under the first cell equal to `label` (searched from
/// `firstCol`, `firstRow`, row by row); "" when the label or a value is missing.
QString ValoreSotto(const TFoglioXls& f, const QString& label, int n, int firstCol = 0,
                    int firstRow = 0);
/// The same, to the right of the label.
QString ValoreDestra(const TFoglioXls& f, const QString& label, int n, int firstCol = 0,
                     int firstRow = 0);
/// A date cell's text as the source system writes it ("12-03-2024 OK"): null for "" and ":";
/// a text that is not a date raises "'…' non è una data valida".
QDate NormalizzaData(const QString& text);

/// The header; raises "Errore ZELMMODEL: SiglaCliente mancante" without a customer, and "Il
/// foglio di lavoro è vuoto o non leggibile" for a sheet without a single readable cell.
TTestataXls LeggiTestata(const TFoglioXls& f);
/// The size row and the detail rows under the season label.
TTaglieXls LeggiTaglie(const TFoglioXls& f);
QList<TSetOpzioniItem> LeggiOpzioni(const TFoglioXls& f);
QList<TPreferenzeComp> LeggiPreferenze(const TFoglioXls& f);

/// One candidate set's labels, in line order.
struct TSetCandidato {
    int NSet = 0;
    QStringList Etichette;
};
/// The first set (in the order given) with exactly the labels read, ignoring case and the sets'
/// blanks; none when no set matches.
std::optional<int> TrovaSet(const QList<TSetCandidato>& sets, const QStringList& etichette);
