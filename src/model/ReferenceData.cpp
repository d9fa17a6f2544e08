#include "ReferenceData.h"

#include "QuenvarHelpers.h"

void TTaglieOperativeData::Assign(const TStatementRow& r) {
    FCodice = r.AsString("CODICE");
    FNRiga = r.AsInteger("NRIGA");
    FDescrizione1 = r.AsString("DESCRIZIONE1");
    FDescrizione2 = r.AsString("DESCRIZIONE2");
    FDescrizione3 = r.AsString("DESCRIZIONE3");
    FDescrizione4 = r.AsString("DESCRIZIONE4");
}

void TZelmSetData::Clear() {
    FNSet = 0;
    FNRiga = 0;
    FEtichetta.clear();
}

template <typename Row> void TZelmSetData::Read(const Row& r) {
    FNSet = r.AsInteger("NSET");
    FNRiga = r.AsInteger("NRIGA");
    FEtichetta = r.AsString("ETICHETTA");
}

template <typename Row> void TZelmSetData::Write(Row& r) const {
    SetIntegerOrNull(r, "NSET", FNSet, false);
    SetIntegerOrNull(r, "NRIGA", FNRiga, false);
    SetStringOrNull(r, "ETICHETTA", FEtichetta);
}

void TZelmSetData::Assign(const TDataSetRow& from) {
    Read(from);
}
void TZelmSetData::Assign(const TStatementRow& from) {
    Read(from);
}
void TZelmSetData::AssignTo(TDataSetRow& to) const {
    Write(to);
}
void TZelmSetData::AssignTo(TStatementRow& to) const {
    Write(to);
}

void TClientiData::Assign(const TStatementRow& r) {
    FCodice = r.AsString("CODICE");
    FRagSoc = r.AsString("RAGSOC");
    FDescrizioneSintetica = r.AsString("DESCRIZIONESINTETICA");
}

void TClassificazioneData::Clear() {
    FCodice = 0;
    FDescrizione.clear();
    FDescrizione1.clear();
    FCodiceCollegamento = 0;
    FDescrizione2.clear();
    FDescrizione3.clear();
}

void TClassificazioneData::Assign(const TStatementRow& r) {
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
