#include "AnaMagData.h"

#include "QuenvarHelpers.h"

const QStringList& TAnaMagData::Columns() {
    static const QStringList columns = {"ID",
                                        "CODICE",
                                        "ESTENSIONE",
                                        "CODICE2",
                                        "CODICE3",
                                        "TIPOARTICOLO",
                                        "FORNITORE",
                                        "DESCRIZIONE1",
                                        "DESCRIZIONE2",
                                        "CLASSIFICAZIONE1",
                                        "CLASSIFICAZIONE2",
                                        "CLASSIFICAZIONE3",
                                        "CLASSIFICAZIONE4",
                                        "CLASSIFICAZIONE5",
                                        "CLASSIFICAZIONE6",
                                        "INFO1",
                                        "INFO2",
                                        "INFO3",
                                        "INFO4",
                                        "INFO5",
                                        "INFO6",
                                        "PESO",
                                        "UDM",
                                        "CODIVA",
                                        "NOTE",
                                        "NOMEFOTO",
                                        "CODICEPRECEDENTE",
                                        "ESTCODICEPRECEDENTE",
                                        "CODICESOSTITUENTE",
                                        "ESTCODICESOSTITUENTE",
                                        "PREZZOLISTINOFORNITORE",
                                        "SCONTO1",
                                        "SCONTO2",
                                        "SCONTO3",
                                        "PREZZOACQUISTONETTO",
                                        "PERCONERI",
                                        "NETTOPIUONERI",
                                        "PERCRICARICOVENDITA",
                                        "PREZZOVENDITA",
                                        "CODICEARTCOLL",
                                        "ESTCODICEARTCOLL",
                                        "DATACREAZIONE",
                                        "DATAULTIMAMODIFICA",
                                        "STATUS",
                                        "CLIENTE",
                                        "UNITADIVENDITA",
                                        "QUANTITADIVENDITA",
                                        "UDM2",
                                        "COEFFUDM2",
                                        "OPMASSIVA"};
    return columns;
}

void TAnaMagData::Read(const TRow& r) {
    FId = r.AsInteger("ID");
    FCodice = r.AsString("CODICE");
    FEstensione = r.AsString("ESTENSIONE");
    FCodice2 = r.AsString("CODICE2");
    FCodice3 = r.AsString("CODICE3");
    FTipoArticolo = r.AsString("TIPOARTICOLO");
    FFornitore = r.AsString("FORNITORE");
    FDescrizione1 = r.AsString("DESCRIZIONE1");
    FDescrizione2 = r.AsString("DESCRIZIONE2");
    FClassificazione1 = r.AsString("CLASSIFICAZIONE1");
    FClassificazione2 = r.AsString("CLASSIFICAZIONE2");
    FClassificazione3 = r.AsString("CLASSIFICAZIONE3");
    FClassificazione4 = r.AsString("CLASSIFICAZIONE4");
    FClassificazione5 = r.AsString("CLASSIFICAZIONE5");
    FClassificazione6 = r.AsString("CLASSIFICAZIONE6");
    FInfo1 = r.AsString("INFO1");
    FInfo2 = r.AsString("INFO2");
    FInfo3 = r.AsString("INFO3");
    FInfo4 = r.AsFloat("INFO4");
    FInfo5 = r.AsFloat("INFO5");
    FInfo6 = r.AsFloat("INFO6");
    FPeso = r.AsFloat("PESO");
    FUdm = r.AsString("UDM");
    FCodIva = r.AsInteger("CODIVA");
    FNote = r.AsString("NOTE");
    FNomeFoto = r.AsString("NOMEFOTO");
    FCodicePrecedente = r.AsString("CODICEPRECEDENTE");
    FEstCodicePrecedente = r.AsString("ESTCODICEPRECEDENTE");
    FCodiceSostituente = r.AsString("CODICESOSTITUENTE");
    FEstCodiceSostituente = r.AsString("ESTCODICESOSTITUENTE");
    FPrezzoListinoFornitore = r.AsFloat("PREZZOLISTINOFORNITORE");
    FSconto1 = r.AsFloat("SCONTO1");
    FSconto2 = r.AsFloat("SCONTO2");
    FSconto3 = r.AsFloat("SCONTO3");
    FPrezzoAcquistoNetto = r.AsFloat("PREZZOACQUISTONETTO");
    FPercOneri = r.AsFloat("PERCONERI");
    FNettoPiuOneri = r.AsFloat("NETTOPIUONERI");
    FPercRicaricoVendita = r.AsFloat("PERCRICARICOVENDITA");
    FPrezzoVendita = r.AsFloat("PREZZOVENDITA");
    FCodiceArtColl = r.AsString("CODICEARTCOLL");
    FEstCodiceArtColl = r.AsString("ESTCODICEARTCOLL");
    FDataCreazione = GetDateOrZero(r, "DATACREAZIONE").date();
    FDataUltimaModifica = GetDateOrZero(r, "DATAULTIMAMODIFICA").date();
    FStatus = static_cast<qint16>(r.AsInteger("STATUS"));
    FCliente = r.AsString("CLIENTE");
    FUnitaDiVendita = r.AsInteger("UNITADIVENDITA");
    FQuantitaDiVendita = r.AsFloat("QUANTITADIVENDITA");
    FUdm2 = r.AsString("UDM2");
    FCoeffUdm2 = r.AsFloat("COEFFUDM2");
    FOpMassiva = static_cast<qint16>(r.AsInteger("OPMASSIVA"));
}

void TAnaMagData::Write(TRow& r) const {
    SetIntegerOrNull(r, "ID", FId, true);
    SetStringOrNull(r, "CODICE", FCodice);
    SetStringOrNull(r, "ESTENSIONE", FEstensione);
    SetStringOrNull(r, "CODICE2", FCodice2);
    SetStringOrNull(r, "CODICE3", FCodice3);
    SetStringOrNull(r, "TIPOARTICOLO", FTipoArticolo);
    SetStringOrNull(r, "FORNITORE", FFornitore);
    SetStringOrNull(r, "DESCRIZIONE1", FDescrizione1);
    SetStringOrNull(r, "DESCRIZIONE2", FDescrizione2);
    SetStringOrNull(r, "CLASSIFICAZIONE1", FClassificazione1);
    SetStringOrNull(r, "CLASSIFICAZIONE2", FClassificazione2);
    SetStringOrNull(r, "CLASSIFICAZIONE3", FClassificazione3);
    SetStringOrNull(r, "CLASSIFICAZIONE4", FClassificazione4);
    SetStringOrNull(r, "CLASSIFICAZIONE5", FClassificazione5);
    SetStringOrNull(r, "CLASSIFICAZIONE6", FClassificazione6);
    SetStringOrNull(r, "INFO1", FInfo1);
    SetStringOrNull(r, "INFO2", FInfo2);
    SetStringOrNull(r, "INFO3", FInfo3);
    SetFloatOrNull(r, "INFO4", true, FInfo4);
    SetFloatOrNull(r, "INFO5", true, FInfo5);
    SetFloatOrNull(r, "INFO6", true, FInfo6);
    SetFloatOrNull(r, "PESO", true, FPeso);
    SetStringOrNull(r, "UDM", FUdm);
    SetIntegerOrNull(r, "CODIVA", FCodIva, true);
    SetStringOrNull(r, "NOTE", FNote);
    SetStringOrNull(r, "NOMEFOTO", FNomeFoto);
    SetStringOrNull(r, "CODICEPRECEDENTE", FCodicePrecedente);
    SetStringOrNull(r, "ESTCODICEPRECEDENTE", FEstCodicePrecedente);
    SetStringOrNull(r, "CODICESOSTITUENTE", FCodiceSostituente);
    SetStringOrNull(r, "ESTCODICESOSTITUENTE", FEstCodiceSostituente);
    SetFloatOrNull(r, "PREZZOLISTINOFORNITORE", true, FPrezzoListinoFornitore);
    SetFloatOrNull(r, "SCONTO1", true, FSconto1);
    SetFloatOrNull(r, "SCONTO2", true, FSconto2);
    SetFloatOrNull(r, "SCONTO3", true, FSconto3);
    SetFloatOrNull(r, "PREZZOACQUISTONETTO", true, FPrezzoAcquistoNetto);
    SetFloatOrNull(r, "PERCONERI", true, FPercOneri);
    SetFloatOrNull(r, "NETTOPIUONERI", true, FNettoPiuOneri);
    SetFloatOrNull(r, "PERCRICARICOVENDITA", true, FPercRicaricoVendita);
    SetFloatOrNull(r, "PREZZOVENDITA", true, FPrezzoVendita);
    SetStringOrNull(r, "CODICEARTCOLL", FCodiceArtColl);
    SetStringOrNull(r, "ESTCODICEARTCOLL", FEstCodiceArtColl);
    SetDateOrNull(r, "DATACREAZIONE", FDataCreazione);
    SetDateOrNull(r, "DATAULTIMAMODIFICA", FDataUltimaModifica);
    SetIntegerOrNull(r, "STATUS", FStatus, false);
    SetStringOrNull(r, "CLIENTE", FCliente);
    SetIntegerOrNull(r, "UNITADIVENDITA", FUnitaDiVendita, true);
    SetFloatOrNull(r, "QUANTITADIVENDITA", true, FQuantitaDiVendita);
    SetStringOrNull(r, "UDM2", FUdm2);
    SetFloatOrNull(r, "COEFFUDM2", true, FCoeffUdm2);
    SetIntegerOrNull(r, "OPMASSIVA", FOpMassiva, true);
}

namespace {
const char* const kLetters[] = {"", "C", "F", "K", "M", "S", "L", "B"};
}

QString TAnaMagData::CastTipoArticolo(TTipoArticoloAnaMag value) {
    return QString::fromLatin1(kLetters[value]);
}

TTipoArticoloAnaMag TAnaMagData::CastTipoArticolo(const QString& text) {
    for (int t = taaCartone; t >= taaDaDefinire; --t)
        if (text == QLatin1String(kLetters[t]))
            return static_cast<TTipoArticoloAnaMag>(t);
    return taaDaDefinire;
}
