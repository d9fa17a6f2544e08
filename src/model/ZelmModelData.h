// The model sheet: one variant of one shoe model, row of ZELMMODEL.
#pragma once

#include "DataObject.h"

enum TStatusScheda { sInPreparazione, sRilasciataC, sRilasciataP, sSospesa };

class TZelmModelData : public TRecord<TZelmModelData> {
    ZELM_VALUE(int, Id)
    ZELM_VALUE(int, IdModel)
    ZELM_VALUE(int, IdVariante)
    ZELM_VALUE(QDate, DataVariante)
    ZELM_TEXT(CodiceCliente, 10)
    ZELM_TEXT(SiglaCliente, 20)
    ZELM_TEXT(Lavorazione, 30)
    ZELM_TEXT(Codice, 30)
    ZELM_TEXT(Forma, 30)
    ZELM_TEXT(Tacco, 30)
    ZELM_TEXT(Plato, 30)
    ZELM_VALUE(QDate, Data)
    ZELM_TEXT(Stagione, 30)
    ZELM_TEXT(TagliaOperativa, 10)
    ZELM_TEXT(Tipo, 50)
    ZELM_TEXT(ModoLavorazione, 50)
    ZELM_TEXT(Modello, 30)
    ZELM_TEXT(Linea, 30)
    ZELM_VALUE(int, SetOpzioniLavoraz)
    ZELM_VALUE(int, SetPreferenzeComponenti)
    ZELM_TEXT(Industrializzatore, 30)
    ZELM_VALUE(QDate, DataPrototipo)
    ZELM_VALUE(QDate, DataConfermaPrototipo)
    ZELM_VALUE(QDate, DataCampione)
    ZELM_VALUE(QDate, DataConfermaCampione)
    ZELM_VALUE(QDate, DataSfilata)
    ZELM_VALUE(QDate, DataConfermaSfilata)
    ZELM_VALUE(QDate, DataTestaDiSerie)
    ZELM_VALUE(QDate, DataConfermaTestaDiSerie)
    ZELM_VALUE(QDate, DataConfermaProduzione)
    ZELM_TEXT(NoteVarie, 0)
    ZELM_TEXT(NoteCuoio, 0)
    ZELM_TEXT(NoteCamp, 0)
    ZELM_TEXT(StatusScheda, 20)
    ZELM_TEXT(NomeFile, 128)
    ZELM_TEXT(PercorsoFile, 128)
    ZELM_TEXT(QrCode, 20)

public:
    TStatusScheda GetStatusScheda() const { return CastStatusScheda(FStatusScheda); }
    void SetStatusScheda(TStatusScheda value) { FStatusScheda = CastStatusScheda(value); }
    static QString CastStatusScheda(TStatusScheda value);
    static TStatusScheda CastStatusScheda(const QString& text);
    /// Throws EZavoError with the rule's message when the change is not allowed.
    void ValidateStatusChange(TStatusScheda newStatus) const;

    QString GetFileName() const;
    void SetFileName(const QString& value);
    void SetQrCode(int idModel, int idVariante) { FQrCode = QrText(idModel, idVariante); }
    void UpdateQrCode() { SetQrCode(FIdModel, FIdVariante); }
    /// "M" + model (at least 7 digits) + "V" + variant (at least 3 digits).
    static QString QrText(int idModel, int idVariante);
    /// Reads a text of QrText's shape ("M0000123V000", any case, blanks around it, as a scanner
    /// types it); false for any other text.
    static bool LeggiQrText(const QString& text, int& idModel, int& idVariante);

    /// Upsert column order of ZELMMODEL.
    static const QStringList& Columns();

protected:
    void Read(const TRow& from) override;
    void Write(TRow& to) const override;
};
