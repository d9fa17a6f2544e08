#include "ReferenceData.h"

#include "QuenvarHelpers.h"

void TTaglieOperativeData::Read(const TRow& r) {
    FCodice = r.AsString("CODICE");
    FNRiga = r.AsInteger("NRIGA");
    FDescrizione1 = r.AsString("DESCRIZIONE1");
    FDescrizione2 = r.AsString("DESCRIZIONE2");
    FDescrizione3 = r.AsString("DESCRIZIONE3");
    FDescrizione4 = r.AsString("DESCRIZIONE4");
}

void TZelmSetData::Read(const TRow& r) {
    FNSet = r.AsInteger("NSET");
    FNRiga = r.AsInteger("NRIGA");
    FEtichetta = r.AsString("ETICHETTA");
}

void TZelmSetData::Write(TRow& r) const {
    SetIntegerOrNull(r, "NSET", FNSet, false);
    SetIntegerOrNull(r, "NRIGA", FNRiga, false);
    SetStringOrNull(r, "ETICHETTA", FEtichetta);
}

void TClientiData::Read(const TRow& r) {
    FCodice = r.AsString("CODICE");
    FRagSoc = r.AsString("RAGSOC");
    FDescrizioneSintetica = r.AsString("DESCRIZIONESINTETICA");
}

void TClassificazioneData::Read(const TRow& r) {
    FCodice = r.AsInteger("CODICE");
    FDescrizione = r.AsString("DESCRIZIONE");
    FDescrizione1 = r.AsString("DESCRIZIONE1");
    FCodiceCollegamento = r.AsInteger("CODICECOLLEGAMENTO");
    FDescrizione2 = r.AsString("DESCRIZIONE2");
    FDescrizione3 = r.AsString("DESCRIZIONE3");
}

int TZelmSetPreferenzeComponentiDataList::IndexOf(const QString& etichetta) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Etichetta() == etichetta)
            return i;
    return -1;
}
