#include "ZelmModelSubData.h"

#include "QuenvarHelpers.h"

namespace {
const char* const kDColumns[] = {"D1",  "D2",  "D3",  "D4",  "D5",  "D6",  "D7",  "D8", "D9",
                                 "D10", "D11", "D12", "D13", "D14", "D15", "D16", "D17"};
} // namespace

// --- details --------------------------------------------------------------------------------
TZelmModelDettData::TZelmModelDettData(bool cleared) {
    if (cleared)
        Clear();
}

template <typename Row> void TZelmModelDettData::Read(const Row& r) {
    FId = r.AsInteger("ID");
    FIdModel = r.AsInteger("IDMODEL");
    FTipoDett = r.AsString("TIPODETT");
    for (int i = 0; i < kSizes; ++i)
        FD[i] = r.AsString(kDColumns[i]);
}

template <typename Row> void TZelmModelDettData::Write(Row& r) const {
    SetIntegerOrNull(r, "ID", FId, false);
    SetIntegerOrNull(r, "IDMODEL", FIdModel, false);
    SetStringOrNull(r, "TIPODETT", FTipoDett);
    for (int i = 0; i < kSizes; ++i)
        SetStringOrNull(r, kDColumns[i], FD[i]);
}

void TZelmModelDettData::Assign(const TDataSetRow& from) {
    Read(from);
}
void TZelmModelDettData::Assign(const TStatementRow& from) {
    Read(from);
}
void TZelmModelDettData::AssignTo(TDataSetRow& to) const {
    Write(to);
}
void TZelmModelDettData::AssignTo(TStatementRow& to) const {
    Write(to);
}

void TZelmModelDettData::ValidateTipoDett(const QString& value) {
    if (value.size() > 30)
        throw EZavoError(
            QStringLiteral("\"%1\" supera la dimensione massima (30 car.)").arg(value));
}

// --- options --------------------------------------------------------------------------------
TZelmModelOpzData::TZelmModelOpzData(bool cleared) {
    if (cleared)
        Clear();
}

template <typename Row> void TZelmModelOpzData::Read(const Row& r) {
    FId = r.AsInteger("ID");
    FIdModel = r.AsInteger("IDMODEL");
    FIdVarianteModel = r.AsInteger("IDVARIANTEMODEL");
    FIdOpzione = r.AsInteger("IDOPZIONE");
    FEtichetta = r.AsString("ETICHETTA");
    FDescrizione = r.AsString("DESCRIZIONE");
}

template <typename Row> void TZelmModelOpzData::Write(Row& r) const {
    SetIntegerOrNull(r, "ID", FId, false);
    SetIntegerOrNull(r, "IDMODEL", FIdModel, false);
    SetIntegerOrNull(r, "IDVARIANTEMODEL", FIdVarianteModel, false);
    SetIntegerOrNull(r, "IDOPZIONE", FIdOpzione, true);
    SetStringOrNull(r, "ETICHETTA", FEtichetta);
    SetStringOrNull(r, "DESCRIZIONE", FDescrizione);
}

void TZelmModelOpzData::Assign(const TDataSetRow& from) {
    Read(from);
}
void TZelmModelOpzData::Assign(const TStatementRow& from) {
    Read(from);
}
void TZelmModelOpzData::AssignTo(TDataSetRow& to) const {
    Write(to);
}
void TZelmModelOpzData::AssignTo(TStatementRow& to) const {
    Write(to);
}

// --- preferences ----------------------------------------------------------------------------
TZelmModelPrefCompData::TZelmModelPrefCompData(bool cleared) {
    if (cleared)
        Clear();
}

template <typename Row> void TZelmModelPrefCompData::Read(const Row& r) {
    FId = r.AsInteger("ID");
    FIdModel = r.AsInteger("IDMODEL");
    FIdVarianteModel = r.AsInteger("IDVARIANTEMODEL");
    FIdOpzione = r.AsInteger("IDOPZIONE");
    FEtichetta = r.AsString("ETICHETTA");
}

template <typename Row> void TZelmModelPrefCompData::Write(Row& r) const {
    SetIntegerOrNull(r, "ID", FId, false);
    SetIntegerOrNull(r, "IDMODEL", FIdModel, false);
    SetIntegerOrNull(r, "IDVARIANTEMODEL", FIdVarianteModel, false);
    SetIntegerOrNull(r, "IDOPZIONE", FIdOpzione, true);
    SetStringOrNull(r, "ETICHETTA", FEtichetta);
}

void TZelmModelPrefCompData::Assign(const TDataSetRow& from) {
    Read(from);
}
void TZelmModelPrefCompData::Assign(const TStatementRow& from) {
    Read(from);
}
void TZelmModelPrefCompData::AssignTo(TDataSetRow& to) const {
    Write(to);
}
void TZelmModelPrefCompData::AssignTo(TStatementRow& to) const {
    Write(to);
}

// --- annotations ----------------------------------------------------------------------------
TZelmModelStoData::TZelmModelStoData(bool cleared) {
    if (cleared)
        Clear();
}

template <typename Row> void TZelmModelStoData::Read(const Row& r) {
    FId = r.AsInteger("ID");
    FIdModel = r.AsInteger("IDMODEL");
    FTipoAnnotazione = r.AsString("TIPOANNOTAZIONE");
    FDataAnnotazione = GetDateOrZero(r, "DATAANNOTAZIONE").date();
    FAnnotazione = r.AsString("ANNOTAZIONE");
}

template <typename Row> void TZelmModelStoData::Write(Row& r) const {
    SetIntegerOrNull(r, "ID", FId, false);
    SetIntegerOrNull(r, "IDMODEL", FIdModel, false);
    SetStringOrNull(r, "TIPOANNOTAZIONE", FTipoAnnotazione);
    SetRecordDate(r, "DATAANNOTAZIONE", FDataAnnotazione);
    SetStringOrNull(r, "ANNOTAZIONE", FAnnotazione);
}

void TZelmModelStoData::Assign(const TDataSetRow& from) {
    Read(from);
}
void TZelmModelStoData::Assign(const TStatementRow& from) {
    Read(from);
}
void TZelmModelStoData::AssignTo(TDataSetRow& to) const {
    Write(to);
}
void TZelmModelStoData::AssignTo(TStatementRow& to) const {
    Write(to);
}

// --- lists ----------------------------------------------------------------------------------
int TZelmModelDettDataList::IndexOf(const QString& tipoDett) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->TipoDett() == tipoDett)
            return i;
    return -1;
}

int TZelmModelPrefCompDataList::IndexOf(const QString& etichetta) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Etichetta() == etichetta)
            return i;
    return -1;
}
