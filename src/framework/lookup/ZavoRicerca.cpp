#include "ZavoRicerca.h"

#include "framework/core/ZavoError.h"

#include <QDomDocument>
#include <QDomElement>

namespace {
void AddText(QDomElement& parent, const QString& name, const QString& text) {
    QDomDocument doc = parent.ownerDocument();
    QDomElement child = doc.createElement(name);
    child.appendChild(doc.createTextNode(text));
    parent.appendChild(child);
}
void AddTextIfAny(QDomElement& parent, const QString& name, const QString& text) {
    if (!text.isEmpty())
        AddText(parent, name, text);
}
QString Text(const QDomElement& parent, const QString& name) {
    return parent.firstChildElement(name).text();
}
int Number(const QDomElement& parent, const QString& name) {
    return Text(parent, name).trimmed().toInt();
}
} // namespace

// --- the XML side ------------------------------------------------------------------------------

void TZavoXMLComponent::GetNode(QDomElement& parent) const {
    QDomElement element = parent.ownerDocument().createElement(NomeNodo());
    parent.appendChild(element);
    Scrivi(element);
}

QString TZavoXMLComponent::GetStr() const {
    QDomDocument doc;
    QDomElement root = doc.createElement(NomeNodo());
    doc.appendChild(root);
    Scrivi(root);
    return doc.toString(-1);
}

void TZavoXMLComponent::SetStr(const QString& xml) {
    QDomDocument doc;
    if (!doc.setContent(xml))
        throw EZavoError(QStringLiteral("Definizione di ricerca non valida"));
    SetDocument(doc);
}

void TZavoXMLComponent::SetDocument(const QDomDocument& document) {
    SetNode(document.documentElement());
}

void TZavoXMLComponent::SetNode(const QDomElement& element) {
    Leggi(element);
}

// --- the row to start on -----------------------------------------------------------------------

void TZavoCampoPosList::Scrivi(QDomElement& element) const {
    for (const TZavoCampoPos& p : fItems) {
        QDomElement campo = element.ownerDocument().createElement(QStringLiteral("Campo"));
        element.appendChild(campo);
        AddText(campo, QStringLiteral("NomeCampo"), p.Nome());
        AddText(campo, QStringLiteral("ValoreCampo"), p.Valore());
    }
}

void TZavoCampoPosList::Leggi(const QDomElement& element) {
    fItems.clear();
    for (QDomElement c = element.firstChildElement(QStringLiteral("Campo")); !c.isNull();
         c = c.nextSiblingElement(QStringLiteral("Campo")))
        fItems.emplace_back(Text(c, QStringLiteral("NomeCampo")),
                            Text(c, QStringLiteral("ValoreCampo")));
}

int TZavoCampoPosList::IndexOf(const QString& nome) const {
    for (size_t i = 0; i < fItems.size(); ++i)
        if (fItems[i].Nome() == nome)
            return static_cast<int>(i);
    return -1;
}

TZavoCampoPos& TZavoCampoPosList::New() {
    fItems.emplace_back();
    return fItems.back();
}

// --- fixed filters -----------------------------------------------------------------------------

std::unique_ptr<TZavoFiltro> TZavoFiltro::FromNode(const QDomElement& element) {
    std::unique_ptr<TZavoFiltro> filter;
    if (!element.firstChildElement(QStringLiteral("QueryRaw")).isNull())
        filter = std::make_unique<TZavoFiltroRaw>();
    else if (!element.firstChildElement(QStringLiteral("ValoreContenuto")).isNull())
        filter = std::make_unique<TZavoFiltroContaining>();
    else
        filter = std::make_unique<TZavoFiltroIn>();
    filter->Leggi(element);
    return filter;
}

void TZavoFiltroIn::AssegnaQuery(const QStringList& lines) {
    QStringList trimmed;
    for (const QString& line : lines)
        trimmed << line.trimmed();
    Query = trimmed.join(' ').replace('\'', QChar(0x00B4));
}

void TZavoFiltroIn::Scrivi(QDomElement& element) const {
    AddText(element, QStringLiteral("CampoFiltro"), CampoFiltro);
    AddText(element, QStringLiteral("Query"), Query);
}
void TZavoFiltroIn::Leggi(const QDomElement& element) {
    CampoFiltro = Text(element, QStringLiteral("CampoFiltro"));
    Query = Text(element, QStringLiteral("Query"));
}

void TZavoFiltroRaw::Scrivi(QDomElement& element) const {
    AddText(element, QStringLiteral("QueryRaw"), QueryRaw);
}
void TZavoFiltroRaw::Leggi(const QDomElement& element) {
    QueryRaw = Text(element, QStringLiteral("QueryRaw"));
}

void TZavoFiltroContaining::Scrivi(QDomElement& element) const {
    AddText(element, QStringLiteral("CampoFiltro"), CampoFiltro);
    AddText(element, QStringLiteral("ValoreContenuto"), ValoreContenuto);
}
void TZavoFiltroContaining::Leggi(const QDomElement& element) {
    CampoFiltro = Text(element, QStringLiteral("CampoFiltro"));
    ValoreContenuto = Text(element, QStringLiteral("ValoreContenuto"));
}

// --- fields ------------------------------------------------------------------------------------

void TZavoDecodifica::Scrivi(QDomElement& element) const {
    AddTextIfAny(element, QStringLiteral("Etichetta"), Etichetta);
    AddText(element, QStringLiteral("TabellaCol"), TabellaCol);
    AddText(element, QStringLiteral("CampoCol"), CampoCol);
    AddText(element, QStringLiteral("CampoDec"), CampoDec);
}
void TZavoDecodifica::Leggi(const QDomElement& element) {
    Etichetta = Text(element, QStringLiteral("Etichetta"));
    TabellaCol = Text(element, QStringLiteral("TabellaCol"));
    CampoCol = Text(element, QStringLiteral("CampoCol"));
    CampoDec = Text(element, QStringLiteral("CampoDec"));
}

TZavoCampo::TZavoCampo() = default;
TZavoCampo::~TZavoCampo() = default;

void TZavoCampo::Scrivi(QDomElement& element) const {
    AddText(element, QStringLiteral("Nome"), Nome);
    AddTextIfAny(element, QStringLiteral("Etichetta"), Etichetta);
    if (Decodifica)
        Decodifica->GetNode(element);
    if (RicercaSecLiv)
        RicercaSecLiv->GetNode(element);
}

void TZavoCampo::Leggi(const QDomElement& element) {
    Nome = Text(element, QStringLiteral("Nome"));
    Etichetta = Text(element, QStringLiteral("Etichetta"));
    const QDomElement dec = element.firstChildElement(QStringLiteral("Decodifica"));
    Decodifica.reset();
    if (!dec.isNull()) {
        Decodifica = std::make_unique<TZavoDecodifica>();
        Decodifica->SetNode(dec);
    }
    const QDomElement nested = element.firstChildElement(QStringLiteral("RicercaSecLiv"));
    RicercaSecLiv.reset();
    if (!nested.isNull()) {
        RicercaSecLiv = std::make_unique<TZavoRicercaSecLiv>();
        RicercaSecLiv->SetNode(nested);
    }
}

TZavoCampoRic* TZavoCampiList::Add(std::unique_ptr<TZavoCampoRic> field) {
    fItems.push_back(std::move(field));
    return fItems.back().get();
}

int TZavoCampiList::IndexOf(const QString& nome) const {
    for (size_t i = 0; i < fItems.size(); ++i)
        if (fItems[i]->Nome == nome)
            return static_cast<int>(i);
    return -1;
}

void TZavoCampiList::Scrivi(QDomElement& element) const {
    for (const auto& field : fItems)
        field->GetNode(element);
}

void TZavoCampiList::Leggi(const QDomElement& element) {
    fItems.clear();
    for (QDomElement c = element.firstChildElement(QStringLiteral("CampoRic")); !c.isNull();
         c = c.nextSiblingElement(QStringLiteral("CampoRic"))) {
        auto field = std::make_unique<TZavoCampoRic>();
        field->SetNode(c);
        fItems.push_back(std::move(field));
    }
}

TZavoCampoRic* TZavoCampiRic::New() {
    return Add(std::make_unique<TZavoCampoRic>());
}

TZavoCampoRic* TZavoCampiRic::New(const QString& nome, const QString& etichetta) {
    TZavoCampoRic* field = New();
    field->Nome = nome;
    field->Etichetta = etichetta.isEmpty() ? nome : etichetta;
    return field;
}

// --- the definition ----------------------------------------------------------------------------

TZavoFinestra::TZavoFinestra() = default;
TZavoFinestra::~TZavoFinestra() = default;

void TZavoFinestra::AddPosizionaCampo(const std::vector<TZavoCampoPos>& entries) {
    if (!PosizionaCampo)
        PosizionaCampo = std::make_unique<TZavoCampoPosList>();
    PosizionaCampo->Clear();
    for (const TZavoCampoPos& e : entries)
        PosizionaCampo->Add(e);
}

void TZavoFinestra::Scrivi(QDomElement& element) const {
    AddTextIfAny(element, QStringLiteral("ParametroArchivio"), ParametroArchivio);
    AddText(element, QStringLiteral("NomeTabella"), NomeTabella);
    AddText(element, QStringLiteral("CodiceProgetto"), QString::number(CodiceProgetto));
    AddText(element, QStringLiteral("SituazioneZavoGrid"), QString::number(SituazioneZavoGrid));
    AddText(element, QStringLiteral("CodiceProgettoForm"), QString::number(CodiceProgettoForm));
    AddText(element, QStringLiteral("SituazioneForm"), QString::number(SituazioneForm));
    AddTextIfAny(element, QStringLiteral("CampoFile"), CampoFile);
    AddTextIfAny(element, QStringLiteral("CampoFoto"), CampoFoto);
    if (PosizionaCampo)
        PosizionaCampo->GetNode(element);
    ScriviCampi(element);
    if (pFiltro)
        pFiltro->GetNode(element);
    ScriviRitorno(element);
}

void TZavoFinestra::Leggi(const QDomElement& element) {
    ParametroArchivio = Text(element, QStringLiteral("ParametroArchivio"));
    NomeTabella = Text(element, QStringLiteral("NomeTabella"));
    CodiceProgetto = Number(element, QStringLiteral("CodiceProgetto"));
    SituazioneZavoGrid = Number(element, QStringLiteral("SituazioneZavoGrid"));
    CodiceProgettoForm = Number(element, QStringLiteral("CodiceProgettoForm"));
    SituazioneForm = Number(element, QStringLiteral("SituazioneForm"));
    CampoFile = Text(element, QStringLiteral("CampoFile"));
    CampoFoto = Text(element, QStringLiteral("CampoFoto"));
    const QDomElement pos = element.firstChildElement(QStringLiteral("PosizionaCampo"));
    PosizionaCampo.reset();
    if (!pos.isNull()) {
        PosizionaCampo = std::make_unique<TZavoCampoPosList>();
        PosizionaCampo->SetNode(pos);
    }
    const QDomElement filter = element.firstChildElement(QStringLiteral("Filtro"));
    pFiltro = filter.isNull() ? nullptr : TZavoFiltro::FromNode(filter);
    LeggiRicerca(element);
}

template <typename F> F& TZavoRicerca::FiltroDi() {
    if (!pFiltro)
        pFiltro = std::make_unique<F>();
    auto* filter = dynamic_cast<F*>(pFiltro.get());
    if (!filter)
        throw EZavoError(QStringLiteral("Tipo filtro non valido"));
    return *filter;
}

TZavoFiltroIn& TZavoRicerca::FiltroIn() {
    return FiltroDi<TZavoFiltroIn>();
}
TZavoFiltroRaw& TZavoRicerca::FiltroRaw() {
    return FiltroDi<TZavoFiltroRaw>();
}
TZavoFiltroContaining& TZavoRicerca::FiltroContaining() {
    return FiltroDi<TZavoFiltroContaining>();
}

void TZavoRicerca::ScriviCampi(QDomElement& element) const {
    AddTextIfAny(element, QStringLiteral("FocusIniziale"), FocusIniziale);
    if (CampiRic.Count() > 0)
        CampiRic.GetNode(element);
}

void TZavoRicerca::ScriviRitorno(QDomElement& element) const {
    if (CampiRitorno.isEmpty())
        return;
    QDomElement list = element.ownerDocument().createElement(QStringLiteral("CampiRitorno"));
    element.appendChild(list);
    for (const QString& column : CampiRitorno)
        AddText(list, QStringLiteral("CampoRitorno"), column);
}

void TZavoRicerca::LeggiRicerca(const QDomElement& element) {
    FocusIniziale = Text(element, QStringLiteral("FocusIniziale"));
    const QDomElement fields = element.firstChildElement(QStringLiteral("CampiRic"));
    if (fields.isNull())
        CampiRic = TZavoCampiRic();
    else
        CampiRic.SetNode(fields);
    CampiRitorno.clear();
    const QDomElement ret = element.firstChildElement(QStringLiteral("CampiRitorno"));
    for (QDomElement c = ret.firstChildElement(QStringLiteral("CampoRitorno")); !c.isNull();
         c = c.nextSiblingElement(QStringLiteral("CampoRitorno")))
        CampiRitorno << c.text();
}
