// The companion photo application's rows: a button of its control table and a stored picture.
#pragma once

#include "DataObject.h"

class TLumetraControlData : public TRecord<TLumetraControlData> {
    ZELM_VALUE(int, CodiceSituazione)
    ZELM_TEXT(ControlloCodice, 20)
    ZELM_VALUE(int, ControlloAttivi)
    ZELM_TEXT(ControlloEtichetta, 64)
    ZELM_TEXT(ControlloTipoFunzione, 20)
    ZELM_TEXT(ImagePath, 256)
    ZELM_VALUE(int, FillOrvoItemPhoto)
    ZELM_VALUE(int, RegolaInstradamentoFoto)
    ZELM_VALUE(int, RegolaOrvoData)
    ZELM_TEXT(TabellaRicerca, 31)
    ZELM_TEXT(CampoRicerca, 31)
    ZELM_TEXT(CampoRitorno, 31)
    ZELM_TEXT(PrefissoRitorno, 20)
    ZELM_VALUE(int, Viewer)
    ZELM_VALUE(int, TransfPrism)
    ZELM_VALUE(int, AlbumPrismDef)
    ZELM_VALUE(int, AbilitaScannerEsterno)
    ZELM_TEXT(OrvoDataTabella2, 31)
    ZELM_TEXT(OrvoDataCampo2, 31)
    ZELM_TEXT(OrvoDataTabella3, 31)
    ZELM_TEXT(OrvoDataCampo3, 31)
    ZELM_VALUE(int, AlbumModello)
    ZELM_TEXT(ButtonColor, 20)
    ZELM_VALUE(int, CriterioNomeAlbum)

protected:
    void Read(const TRow& from) override;
    void Write(TRow&) const override {}
};

/// The routing rule of the pictures the import stores.
constexpr int rifUniversale = 12;

class TOrvoItemPhotoData : public TRecord<TOrvoItemPhotoData> {
    ZELM_VALUE(int, Id)
    ZELM_VALUE(QDateTime, DataOra)
    ZELM_VALUE(int, CodiceOperatore)
    ZELM_TEXT(Certificato, 128)
    ZELM_TEXT(CodiceItem, 50)
    ZELM_TEXT(EstensioneCodice, 3)
    ZELM_TEXT(NomeFile, 128)
    ZELM_TEXT(Status, 20)
    ZELM_TEXT(Titolo, 64)
    ZELM_TEXT(Note, 0)
    ZELM_TEXT(Classificazione, 10)
    ZELM_VALUE(int, RegolaInstradamentoFoto)
    ZELM_TEXT(PercorsoFoto, 256)

public:
    const QString& EstensioneFile() const { return FEstensioneFile; }
    /// Kept without a leading dot.
    void SetEstensioneFile(const QString& value);
    /// Folder, delimiter, name with its extension replaced: ".jpg" when none, kept when it starts
    /// with a dot, otherwise a dot and the lower-cased extension.
    QString FileName() const;
    static QStringList Columns();

protected:
    void Read(const TRow& from) override;
    void Write(TRow& to) const override;
    QString FEstensioneFile;
};

/// A call of the photo viewer: the hand-over row the viewer reads (and, picking, fills).
class TOrvoViewerCallData : public TRecord<TOrvoViewerCallData> {
    ZELM_VALUE(int, Id)
    ZELM_VALUE(QDateTime, DataOra)
    ZELM_VALUE(int, Operatore)
    ZELM_TEXT(CodiceItem, 50)
    ZELM_TEXT(EstensioneCodice, 3)
    ZELM_TEXT(Classificazione, 10)
    ZELM_VALUE(int, IdFotoScelta)

public:
    static QStringList Columns();

protected:
    void Read(const TRow& from) override;
    void Write(TRow& to) const override;
};
