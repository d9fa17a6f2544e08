#include "ZelmModelSubData.h"

#include "QuenvarHelpers.h"

namespace {
const char* const kDColumns[] = {"D1",  "D2",  "D3",  "D4",  "D5",  "D6",  "D7",  "D8", "D9",
                                 "D10", "D11", "D12", "D13", "D14", "D15", "D16", "D17"};
} // namespace

// --- details --------------------------------------------------------------------------------

void TZelmModelDettData::Read(const TRow& r) {
    FId = r.AsInteger("ID");
    FIdModel = r.AsInteger("IDMODEL");
    FTipoDett = r.AsString("TIPODETT");
    for (int i = 0; i < kSizes; ++i)
        FD[i] = r.AsString(kDColumns[i]);
}

void TZelmModelDettData::Write(TRow& r) const {
    SetIntegerOrNull(r, "ID", FId, false);
    SetIntegerOrNull(r, "IDMODEL", FIdModel, false);
    SetStringOrNull(r, "TIPODETT", FTipoDett);
    for (int i = 0; i < kSizes; ++i)
        SetStringOrNull(r, kDColumns[i], FD[i]);
}

void TZelmModelDettData::ValidateTipoDett(const QString& value) {
    if (value.size() > 30)
        throw EZavoError(
            QStringLiteral("\"%1\" supera la dimensione massima (30 car.)").arg(value));
}

// --- options --------------------------------------------------------------------------------

void TZelmModelOpzData::Read(const TRow& r) {
    FId = r.AsInteger("ID");
    FIdModel = r.AsInteger("IDMODEL");
    FIdVarianteModel = r.AsInteger("IDVARIANTEMODEL");
    FIdOpzione = r.AsInteger("IDOPZIONE");
    FEtichetta = r.AsString("ETICHETTA");
    FDescrizione = r.AsString("DESCRIZIONE");
}

void TZelmModelOpzData::Write(TRow& r) const {
    SetIntegerOrNull(r, "ID", FId, false);
    SetIntegerOrNull(r, "IDMODEL", FIdModel, false);
    SetIntegerOrNull(r, "IDVARIANTEMODEL", FIdVarianteModel, false);
    SetIntegerOrNull(r, "IDOPZIONE", FIdOpzione, true);
    SetStringOrNull(r, "ETICHETTA", FEtichetta);
    SetStringOrNull(r, "DESCRIZIONE", FDescrizione);
}

// --- preferences ----------------------------------------------------------------------------

void TZelmModelPrefCompData::Read(const TRow& r) {
    FId = r.AsInteger("ID");
    FIdModel = r.AsInteger("IDMODEL");
    FIdVarianteModel = r.AsInteger("IDVARIANTEMODEL");
    FIdOpzione = r.AsInteger("IDOPZIONE");
    FEtichetta = r.AsString("ETICHETTA");
}

void TZelmModelPrefCompData::Write(TRow& r) const {
    SetIntegerOrNull(r, "ID", FId, false);
    SetIntegerOrNull(r, "IDMODEL", FIdModel, false);
    SetIntegerOrNull(r, "IDVARIANTEMODEL", FIdVarianteModel, false);
    SetIntegerOrNull(r, "IDOPZIONE", FIdOpzione, true);
    SetStringOrNull(r, "ETICHETTA", FEtichetta);
}

// --- annotations ----------------------------------------------------------------------------

void TZelmModelStoData::Read(const TRow& r) {
    FId = r.AsInteger("ID");
    FIdModel = r.AsInteger("IDMODEL");
    FTipoAnnotazione = r.AsString("TIPOANNOTAZIONE");
    FDataAnnotazione = GetDateOrZero(r, "DATAANNOTAZIONE").date();
    FAnnotazione = r.AsString("ANNOTAZIONE");
}

void TZelmModelStoData::Write(TRow& r) const {
    SetIntegerOrNull(r, "ID", FId, false);
    SetIntegerOrNull(r, "IDMODEL", FIdModel, false);
    SetStringOrNull(r, "TIPOANNOTAZIONE", FTipoAnnotazione);
    SetDateOrNull(r, "DATAANNOTAZIONE", FDataAnnotazione);
    SetStringOrNull(r, "ANNOTAZIONE", FAnnotazione);
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
