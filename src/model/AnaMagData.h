// An article of the host's item master (ANAMAG): one row per article code and extension.
#pragma once

#include "DataObject.h"

enum TTipoArticoloAnaMag {
    taaDaDefinire,
    taaComponente,
    taaProdFinito,
    taaKit,
    taaMulti,
    taaSemilavorato,
    taaServizio,
    taaCartone
};

class TAnaMagData : public TRecord<TAnaMagData> {
    ZELM_VALUE(int, Id)
    ZELM_TEXT(Codice, 20)
    ZELM_TEXT(Estensione, 3)
    ZELM_TEXT(Codice2, 20)
    ZELM_TEXT(Codice3, 20)
    ZELM_TEXT(TipoArticolo, 1)
    ZELM_TEXT(Fornitore, 10)
    ZELM_TEXT(Descrizione1, 50)
    ZELM_TEXT(Descrizione2, 50)
    ZELM_TEXT(Classificazione1, 10)
    ZELM_TEXT(Classificazione2, 10)
    ZELM_TEXT(Classificazione3, 10)
    ZELM_TEXT(Classificazione4, 10)
    ZELM_TEXT(Classificazione5, 10)
    ZELM_TEXT(Classificazione6, 10)
    ZELM_TEXT(Info1, 15)
    ZELM_TEXT(Info2, 20)
    ZELM_TEXT(Info3, 15)
    ZELM_VALUE(double, Info4)
    ZELM_VALUE(double, Info5)
    ZELM_VALUE(double, Info6)
    ZELM_VALUE(double, Peso)
    ZELM_TEXT(Udm, 2)
    ZELM_VALUE(int, CodIva)
    ZELM_TEXT(Note, 0)
    ZELM_TEXT(NomeFoto, 128)
    ZELM_TEXT(CodicePrecedente, 20)
    ZELM_TEXT(EstCodicePrecedente, 3)
    ZELM_TEXT(CodiceSostituente, 20)
    ZELM_TEXT(EstCodiceSostituente, 3)
    ZELM_VALUE(double, PrezzoListinoFornitore)
    ZELM_VALUE(double, Sconto1)
    ZELM_VALUE(double, Sconto2)
    ZELM_VALUE(double, Sconto3)
    ZELM_VALUE(double, PrezzoAcquistoNetto)
    ZELM_VALUE(double, PercOneri)
    ZELM_VALUE(double, NettoPiuOneri)
    ZELM_VALUE(double, PercRicaricoVendita)
    ZELM_VALUE(double, PrezzoVendita)
    ZELM_TEXT(CodiceArtColl, 20)
    ZELM_TEXT(EstCodiceArtColl, 3)
    ZELM_VALUE(QDate, DataCreazione)
    ZELM_VALUE(QDate, DataUltimaModifica)
    ZELM_VALUE(qint16, Status)
    ZELM_TEXT(Cliente, 10)
    ZELM_VALUE(int, UnitaDiVendita)
    ZELM_VALUE(double, QuantitaDiVendita)
    ZELM_TEXT(Udm2, 3)
    ZELM_VALUE(double, CoeffUdm2)
    ZELM_VALUE(qint16, OpMassiva)

public:
    TTipoArticoloAnaMag GetTipoArticolo() const { return CastTipoArticolo(FTipoArticolo); }
    void SetTipoArticolo(TTipoArticoloAnaMag value) { FTipoArticolo = CastTipoArticolo(value); }
    static QString CastTipoArticolo(TTipoArticoloAnaMag value);
    static TTipoArticoloAnaMag CastTipoArticolo(const QString& text);

    /// The 50 columns in insert order.
    static const QStringList& Columns();

protected:
    void Read(const TRow& from) override;
    void Write(TRow& to) const override;
};

class TAnaMagDataList : public TDataList<TAnaMagData> {};
