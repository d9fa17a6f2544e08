#include "RicercheZavo.h"

#include "ZavoRicerca.h"
#include "ZavoRicercheForm.h"

#include "framework/session/ZavoUser.h"

bool TRicercheZavo::FindCliente(QString& codice) {
    TZavoRicerca r;
    r.NomeTabella = QStringLiteral("CLIENTI");
    r.CodiceProgetto = 537;
    r.SituazioneForm = 5;
    r.SituazioneZavoGrid = 6;
    r.CampiRic.New(QStringLiteral("CODICE"), QStringLiteral("Codice"));
    r.CampiRic.New(QStringLiteral("RAGSOC"), QStringLiteral("Rag. Soc."));
    r.CampiRic.New(QStringLiteral("DESCRIZIONESINTETICA"), QStringLiteral("Sigla"));
    r.CampiRitorno << QStringLiteral("CODICE");
    if (!codice.isEmpty())
        r.AddPosizionaCampo({TZavoCampoPos(QStringLiteral("CODICE"), codice)});
    QString result;
    if (!EseguiRicerca(r, FZavoUser->CodiceUtente(), result))
        return false;
    codice = result;
    return true;
}

bool TRicercheZavo::FindZelmModel(int& id) {
    TZavoRicerca r;
    r.NomeTabella = QStringLiteral("ZELMMODEL");
    r.CodiceProgetto = 537;
    r.SituazioneForm = 8;
    r.SituazioneZavoGrid = 9;
    const char* fields[][2] = {{"ID", "Id"},
                               {"IDMODEL", "Id Model"},
                               {"IDVARIANTE", "Variante"},
                               {"SIGLACLIENTE", "Cliente"},
                               {"LAVORAZIONE", "Lavorazione"},
                               {"CODICE", "Codice"},
                               {"FORMA", "Forma"},
                               {"TACCO", "Tacco"},
                               {"PLATO", "Plato"},
                               {"DATA", "Data"}};
    for (const auto& f : fields)
        r.CampiRic.New(QString::fromLatin1(f[0]), QString::fromLatin1(f[1]));
    // Suspended sheets are never offered.
    r.FiltroRaw().QueryRaw = QStringLiteral("(STATUSSCHEDA IS DISTINCT FROM 'Sospesa')");
    r.CampiRitorno << QStringLiteral("ID");
    if (id != 0)
        r.AddPosizionaCampo({TZavoCampoPos(QStringLiteral("ID"), QString::number(id))});
    QString result;
    if (!EseguiRicerca(r, FZavoUser->CodiceUtente(), result))
        return false;
    id = result.toInt(); // not a number: 0
    return true;
}

void InstallaRicercheZavo() {
    InstallaRicerche([](QObject* owner) { return new TRicercheZavo(owner); });
}
