#include "PhotoData.h"

#include "QuenvarHelpers.h"

#include <QFileInfo>

void TLumetraControlData::Read(const TRow& r) {
    FCodiceSituazione = r.AsInteger("CODICESITUAZIONE");
    FControlloCodice = r.AsString("CONTROLLOCODICE");
    FControlloAttivi = r.AsInteger("CONTROLLOATTIVI");
    FControlloEtichetta = r.AsString("CONTROLLOETICHETTA");
    FControlloTipoFunzione = r.AsString("CONTROLLOTIPOFUNZIONE");
    FImagePath = r.AsString("IMAGEPATH");
    FFillOrvoItemPhoto = r.AsInteger("FILLORVOITEMPHOTO");
    FRegolaInstradamentoFoto = r.AsInteger("REGOLAINSTRADAMENTOFOTO");
    FRegolaOrvoData = r.AsInteger("REGOLAORVODATA");
    FTabellaRicerca = r.AsString("TABELLARICERCA");
    FCampoRicerca = r.AsString("CAMPORICERCA");
    FCampoRitorno = r.AsString("CAMPORITORNO");
    FPrefissoRitorno = r.AsString("PREFISSORITORNO");
    FViewer = r.AsInteger("VIEWER");
    FTransfPrism = r.AsInteger("TRANSFPRISM");
    FAlbumPrismDef = r.AsInteger("ALBUMPRISMDEF");
    FAbilitaScannerEsterno = r.AsInteger("ABILITASCANNERESTERNO");
    FOrvoDataTabella2 = r.AsString("ORVODATATABELLA2");
    FOrvoDataCampo2 = r.AsString("ORVODATACAMPO2");
    FOrvoDataTabella3 = r.AsString("ORVODATATABELLA3");
    FOrvoDataCampo3 = r.AsString("ORVODATACAMPO3");
    FAlbumModello = r.AsInteger("ALBUM_MODELLO");
    FButtonColor = r.AsString("BUTTONCOLOR");
    FCriterioNomeAlbum = r.AsInteger("CRITERIONOMEALBUM");
}

void TOrvoItemPhotoData::SetEstensioneFile(const QString& value) {
    FEstensioneFile = value.startsWith(QLatin1Char('.')) ? value.mid(1) : value;
}

QString TOrvoItemPhotoData::FileName() const {
    QString folder = FPercorsoFoto;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) &&
        !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    // A row written by others may keep its extension's dot: then it is used as it stands.
    const QString suffix = FEstensioneFile.isEmpty() ? QStringLiteral(".jpg")
                           : FEstensioneFile.startsWith(QLatin1Char('.'))
                               ? FEstensioneFile
                               : QLatin1Char('.') + FEstensioneFile.toLower();
    return folder + QFileInfo(FNomeFile).completeBaseName() + suffix;
}

QStringList TOrvoItemPhotoData::Columns() {
    return {"ID",           "DATAORA",         "CODICEOPERATORE",
            "CERTIFICATO",  "CODICEITEM",      "ESTENSIONECODICE",
            "NOMEFILE",     "STATUS",          "TITOLO",
            "NOTE",         "CLASSIFICAZIONE", "REGOLAINSTRADAMENTOFOTO",
            "PERCORSOFOTO", "ESTENSIONE_FILE"};
}

void TOrvoItemPhotoData::Read(const TRow& r) {
    FId = r.AsInteger("ID");
    FDataOra = GetDateOrZero(r, "DATAORA");
    FCodiceOperatore = r.AsInteger("CODICEOPERATORE");
    FCertificato = r.AsString("CERTIFICATO");
    FCodiceItem = r.AsString("CODICEITEM");
    FEstensioneCodice = r.AsString("ESTENSIONECODICE");
    FNomeFile = r.AsString("NOMEFILE");
    FStatus = r.AsString("STATUS");
    FTitolo = r.AsString("TITOLO");
    FNote = r.AsString("NOTE");
    FClassificazione = r.AsString("CLASSIFICAZIONE");
    FRegolaInstradamentoFoto = r.AsInteger("REGOLAINSTRADAMENTOFOTO");
    FPercorsoFoto = r.AsString("PERCORSOFOTO");
    FEstensioneFile = r.AsString("ESTENSIONE_FILE");
}

// Empty texts, a zero date and zero numbers are written as NULL.
void TOrvoItemPhotoData::Write(TRow& r) const {
    SetIntegerOrNull(r, "ID", FId, true);
    SetDateTimeOrNull(r, "DATAORA", FDataOra);
    SetIntegerOrNull(r, "CODICEOPERATORE", FCodiceOperatore, true);
    SetStringOrNull(r, "CERTIFICATO", FCertificato);
    SetStringOrNull(r, "CODICEITEM", FCodiceItem);
    SetStringOrNull(r, "ESTENSIONECODICE", FEstensioneCodice);
    SetStringOrNull(r, "NOMEFILE", FNomeFile);
    SetStringOrNull(r, "STATUS", FStatus);
    SetStringOrNull(r, "TITOLO", FTitolo);
    SetStringOrNull(r, "NOTE", FNote);
    SetStringOrNull(r, "CLASSIFICAZIONE", FClassificazione);
    SetIntegerOrNull(r, "REGOLAINSTRADAMENTOFOTO", FRegolaInstradamentoFoto, true);
    SetStringOrNull(r, "PERCORSOFOTO", FPercorsoFoto);
    SetStringOrNull(r, "ESTENSIONE_FILE", FEstensioneFile);
}

QStringList TOrvoViewerCallData::Columns() {
    return {"ID",          "DATAORA",          "OPERATORE",
            "CODICEITEM",  "ESTENSIONECODICE", "CLASSIFICAZIONE",
            "IDFOTOSCELTA"};
}

void TOrvoViewerCallData::Read(const TRow& r) {
    FId = r.AsInteger("ID");
    FDataOra = GetDateOrZero(r, "DATAORA");
    FOperatore = r.AsInteger("OPERATORE");
    FCodiceItem = r.AsString("CODICEITEM");
    FEstensioneCodice = r.AsString("ESTENSIONECODICE");
    FClassificazione = r.AsString("CLASSIFICAZIONE");
    FIdFotoScelta = r.AsInteger("IDFOTOSCELTA");
}

// Empty texts and zero numbers are written as NULL (a pick leaves IDFOTOSCELTA to the viewer).
void TOrvoViewerCallData::Write(TRow& r) const {
    SetIntegerOrNull(r, "ID", FId, true);
    SetDateTimeOrNull(r, "DATAORA", FDataOra);
    SetIntegerOrNull(r, "OPERATORE", FOperatore, true);
    SetStringOrNull(r, "CODICEITEM", FCodiceItem);
    SetStringOrNull(r, "ESTENSIONECODICE", FEstensioneCodice);
    SetStringOrNull(r, "CLASSIFICAZIONE", FClassificazione);
    SetIntegerOrNull(r, "IDFOTOSCELTA", FIdFotoScelta, true);
}
