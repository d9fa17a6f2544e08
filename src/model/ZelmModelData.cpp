#include "ZelmModelData.h"

#include <QRegularExpression>

#include "QuenvarHelpers.h"

namespace {
QDate ReadDate(const TRow& row, const char* name) {
    return GetDateOrZero(row, name).date();
}
} // namespace

const QStringList& TZelmModelData::Columns() {
    static const QStringList columns = {"ID",
                                        "IDMODEL",
                                        "IDVARIANTE",
                                        "DATAVARIANTE",
                                        "CODICECLIENTE",
                                        "SIGLACLIENTE",
                                        "LAVORAZIONE",
                                        "CODICE",
                                        "FORMA",
                                        "TACCO",
                                        "PLATO",
                                        "DATA",
                                        "STAGIONE",
                                        "TAGLIAOPERATIVA",
                                        "TIPO",
                                        "MODOLAVORAZIONE",
                                        "MODELLO",
                                        "LINEA",
                                        "SETOPZIONILAVORAZ",
                                        "SETPREFERENZECOMPONENTI",
                                        "INDUSTRIALIZZATORE",
                                        "DATAPROTOTIPO",
                                        "DATACONFERMAPROTOTIPO",
                                        "DATACAMPIONE",
                                        "DATACONFERMACAMPIONE",
                                        "DATASFILATA",
                                        "DATACONFERMASFILATA",
                                        "DATATESTADISERIE",
                                        "DATACONFERMATESTADISERIE",
                                        "DATACONFERMAPRODUZIONE",
                                        "NOTEVARIE",
                                        "NOTECUOIO",
                                        "NOTECAMP",
                                        "STATUSSCHEDA",
                                        "NOMEFILE",
                                        "PERCORSOFILE",
                                        "QRCODE"};
    return columns;
}

void TZelmModelData::Read(const TRow& r) {
    FId = r.AsInteger("ID");
    FIdModel = r.AsInteger("IDMODEL");
    FIdVariante = r.AsInteger("IDVARIANTE");
    FDataVariante = ReadDate(r, "DATAVARIANTE");
    FCodiceCliente = r.AsString("CODICECLIENTE");
    FSiglaCliente = r.AsString("SIGLACLIENTE");
    FLavorazione = r.AsString("LAVORAZIONE");
    FCodice = r.AsString("CODICE");
    FForma = r.AsString("FORMA");
    FTacco = r.AsString("TACCO");
    FPlato = r.AsString("PLATO");
    FData = ReadDate(r, "DATA");
    FStagione = r.AsString("STAGIONE");
    FTagliaOperativa = r.AsString("TAGLIAOPERATIVA");
    FTipo = r.AsString("TIPO");
    FModoLavorazione = r.AsString("MODOLAVORAZIONE");
    FModello = r.AsString("MODELLO");
    FLinea = r.AsString("LINEA");
    FSetOpzioniLavoraz = r.AsInteger("SETOPZIONILAVORAZ");
    FSetPreferenzeComponenti = r.AsInteger("SETPREFERENZECOMPONENTI");
    FIndustrializzatore = r.AsString("INDUSTRIALIZZATORE");
    FDataPrototipo = ReadDate(r, "DATAPROTOTIPO");
    FDataConfermaPrototipo = ReadDate(r, "DATACONFERMAPROTOTIPO");
    FDataCampione = ReadDate(r, "DATACAMPIONE");
    FDataConfermaCampione = ReadDate(r, "DATACONFERMACAMPIONE");
    FDataSfilata = ReadDate(r, "DATASFILATA");
    FDataConfermaSfilata = ReadDate(r, "DATACONFERMASFILATA");
    FDataTestaDiSerie = ReadDate(r, "DATATESTADISERIE");
    FDataConfermaTestaDiSerie = ReadDate(r, "DATACONFERMATESTADISERIE");
    FDataConfermaProduzione = ReadDate(r, "DATACONFERMAPRODUZIONE");
    FNoteVarie = r.AsString("NOTEVARIE");
    FNoteCuoio = r.AsString("NOTECUOIO");
    FNoteCamp = r.AsString("NOTECAMP");
    FStatusScheda = r.AsString("STATUSSCHEDA");
    FNomeFile = r.AsString("NOMEFILE");
    FPercorsoFile = r.AsString("PERCORSOFILE");
    FQrCode = r.AsString("QRCODE");
}

void TZelmModelData::Write(TRow& r) const {
    SetIntegerOrNull(r, "ID", FId, false);
    SetIntegerOrNull(r, "IDMODEL", FIdModel, false);
    SetIntegerOrNull(r, "IDVARIANTE", FIdVariante, false);
    SetDateOrNull(r, "DATAVARIANTE", FDataVariante);
    SetStringOrNull(r, "CODICECLIENTE", FCodiceCliente);
    SetStringOrNull(r, "SIGLACLIENTE", FSiglaCliente);
    SetStringOrNull(r, "LAVORAZIONE", FLavorazione);
    SetStringOrNull(r, "CODICE", FCodice);
    SetStringOrNull(r, "FORMA", FForma);
    SetStringOrNull(r, "TACCO", FTacco);
    SetStringOrNull(r, "PLATO", FPlato);
    SetDateOrNull(r, "DATA", FData);
    SetStringOrNull(r, "STAGIONE", FStagione);
    SetStringOrNull(r, "TAGLIAOPERATIVA", FTagliaOperativa);
    SetStringOrNull(r, "TIPO", FTipo);
    SetStringOrNull(r, "MODOLAVORAZIONE", FModoLavorazione);
    SetStringOrNull(r, "MODELLO", FModello);
    SetStringOrNull(r, "LINEA", FLinea);
    SetIntegerOrNull(r, "SETOPZIONILAVORAZ", FSetOpzioniLavoraz, true);
    SetIntegerOrNull(r, "SETPREFERENZECOMPONENTI", FSetPreferenzeComponenti, true);
    SetStringOrNull(r, "INDUSTRIALIZZATORE", FIndustrializzatore);
    SetDateOrNull(r, "DATAPROTOTIPO", FDataPrototipo);
    SetDateOrNull(r, "DATACONFERMAPROTOTIPO", FDataConfermaPrototipo);
    SetDateOrNull(r, "DATACAMPIONE", FDataCampione);
    SetDateOrNull(r, "DATACONFERMACAMPIONE", FDataConfermaCampione);
    SetDateOrNull(r, "DATASFILATA", FDataSfilata);
    SetDateOrNull(r, "DATACONFERMASFILATA", FDataConfermaSfilata);
    SetDateOrNull(r, "DATATESTADISERIE", FDataTestaDiSerie);
    SetDateOrNull(r, "DATACONFERMATESTADISERIE", FDataConfermaTestaDiSerie);
    SetDateOrNull(r, "DATACONFERMAPRODUZIONE", FDataConfermaProduzione);
    SetStringOrNull(r, "NOTEVARIE", FNoteVarie);
    SetStringOrNull(r, "NOTECUOIO", FNoteCuoio);
    SetStringOrNull(r, "NOTECAMP", FNoteCamp);
    SetStringOrNull(r, "STATUSSCHEDA", FStatusScheda);
    SetStringOrNull(r, "NOMEFILE", FNomeFile);
    SetStringOrNull(r, "PERCORSOFILE", FPercorsoFile);
    SetStringOrNull(r, "QRCODE", FQrCode);
}

namespace {
const char* const kStatusTexts[] = {"InPreparazione", "RilasciataC", "RilasciataP", "Sospesa"};
}

QString TZelmModelData::CastStatusScheda(TStatusScheda value) {
    return QString::fromLatin1(kStatusTexts[value]);
}

TStatusScheda TZelmModelData::CastStatusScheda(const QString& text) {
    for (int s = sSospesa; s >= sInPreparazione; --s)
        if (text == QLatin1String(kStatusTexts[s]))
            return static_cast<TStatusScheda>(s);
    return sInPreparazione;
}

void TZelmModelData::ValidateStatusChange(TStatusScheda newStatus) const {
    // Rows: current status; columns: requested status; empty: allowed.
    static const char* const kRules[4][4] = {
        {"Scheda già in preparazione", nullptr,
         "Scheda in preparazione - deve prima essere rilasciata campione", nullptr},
        {"Scheda già rilasciata (campione)", "Scheda già rilasciata (campione)", nullptr, nullptr},
        {"Scheda già rilasciata (produzione)", "Scheda già rilasciata (produzione)",
         "Scheda già rilasciata (produzione)", nullptr},
        {"Scheda sospesa", "Scheda sospesa", "Scheda sospesa", "Scheda già sospesa"}};
    if (const char* message = kRules[GetStatusScheda()][newStatus])
        throw EZavoError(QString::fromUtf8(message));
}

QString TZelmModelData::GetFileName() const {
    if (FNomeFile.isEmpty())
        return QString();
    if (FPercorsoFile.isEmpty())
        return FNomeFile;
    const bool endsWithSep = FPercorsoFile.endsWith('\\') || FPercorsoFile.endsWith('/');
    // A folder written with "/" gets "/" as its separator, a Windows folder "\".
    const QChar sep = FPercorsoFile.contains('\\') || !FPercorsoFile.contains('/') ? '\\' : '/';
    return FPercorsoFile + (endsWithSep ? QString() : QString(sep)) + FNomeFile;
}

void TZelmModelData::SetFileName(const QString& value) {
    const int cut =
        std::max({value.lastIndexOf('\\'), value.lastIndexOf('/'), value.lastIndexOf(':')});
    if (value.contains('\\') || value.contains('/')) {
        FPercorsoFile = value.left(cut + 1);
        FNomeFile = value.mid(cut + 1);
    } else {
        FNomeFile = value;
    }
}

bool TZelmModelData::LeggiQrText(const QString& text, int& idModel, int& idVariante) {
    static const QRegularExpression shape(QStringLiteral("^M(\\d{7,9})V(\\d{3,4})$"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = shape.match(text.trimmed());
    if (!m.hasMatch())
        return false;
    bool okModel = false, okVariante = false;
    const int model = m.captured(1).toInt(&okModel);
    const int variante = m.captured(2).toInt(&okVariante);
    if (!okModel || !okVariante || model <= 0)
        return false;
    idModel = model;
    idVariante = variante;
    return true;
}

QString TZelmModelData::QrText(int idModel, int idVariante) {
    return QStringLiteral("M%1V%2").arg(QString::number(idModel).rightJustified(7, '0'),
                                        QString::number(idVariante).rightJustified(3, '0'));
}
