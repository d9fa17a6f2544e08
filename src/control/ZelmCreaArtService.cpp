#include "ZelmCreaArtService.h"

#include <QDate>

std::unique_ptr<TClassificazione1DataList> TZelmCreaArtService::LoadLissaColoreList() {
    auto list = DataAccessManager().Classificazione1DataAccess().LoadAll();
    return list ? std::move(list) : std::make_unique<TClassificazione1DataList>();
}

std::unique_ptr<TClassificazione5DataList> TZelmCreaArtService::LoadNumerataOperativa() {
    auto list = DataAccessManager().Classificazione5DataAccess().LoadAll();
    return list ? std::move(list) : std::make_unique<TClassificazione5DataList>();
}

std::unique_ptr<TTaglieOperativeDataList>
TZelmCreaArtService::LoadTaglieOperative(const QString& codice) {
    return DataAccessManager().TaglieOperativeDataAccess().Load(codice);
}

std::unique_ptr<TZelmModelData> TZelmCreaArtService::LoadZelmModel(int id) {
    return DataAccessManager().ZelmModelDataAccess().Load(id);
}

std::unique_ptr<TClientiData> TZelmCreaArtService::LoadCliente(const QString& codice) {
    return DataAccessManager().ClientiDataAccess().Load(codice);
}

void TZelmCreaArtService::ValidateCreazione(const TZelmCreaArtContext& context) {
    if (!context.Model())
        throw EZavoError(QStringLiteral("Nessun modello selezionato"));
    if (context.Model()->GetStatusScheda() == sSospesa)
        throw EZavoError(QStringLiteral("Modello sospeso"));
    // A code of blanks would write articles that no search can tell apart: empty as well.
    if (context.CodiceArticolo().trimmed().isEmpty())
        throw EZavoError(QStringLiteral("Codice articolo non specificato"));
    if (!context.NumerataOperativa())
        throw EZavoError(QStringLiteral("Numerata operativa non specificata"));
    if (!context.TaglieOperative() || context.TaglieOperative()->IsEmpty())
        throw EZavoError(QStringLiteral("Nessuna taglia operativa collegata alla numerata \"%1\"")
                             .arg(context.NumerataOperativa()->Descrizione()));
    if (DataAccessManager().AnaMagDataAccess().Load(context.CodiceArticolo()))
        throw EZavoError(
            QStringLiteral("Codice articolo \"%1\" già presente").arg(context.CodiceArticolo()));
}

std::vector<std::unique_ptr<TAnaMagData>>
TZelmCreaArtService::Articoli(const TZelmCreaArtContext& context) const {
    const QStringList righe = AvvolgiTesto(context.FondoDescrizione(), 50);
    const QDate oggi = QDate::currentDate();
    std::vector<std::unique_ptr<TAnaMagData>> articoli;
    for (int i = 0; context.TaglieOperative() && i < context.TaglieOperative()->Count(); ++i) {
        auto a = std::make_unique<TAnaMagData>();
        a->SetCodice(context.CodiceArticolo());
        a->SetEstensione(context.TaglieOperative()->Items(i)->Descrizione2());
        a->SetTipoArticolo(taaProdFinito);
        a->SetDescrizione1(righe.value(0));
        a->SetDescrizione2(righe.value(1));
        if (context.LissaColore())
            a->SetClassificazione1(context.LissaColore()->Descrizione());
        if (context.NumerataOperativa())
            a->SetClassificazione5(context.NumerataOperativa()->Descrizione());
        a->SetInfo1(context.Forma());
        if (context.Cliente())
            a->SetCliente(context.Cliente()->Codice());
        a->SetStatus(0);
        a->SetDataCreazione(oggi);
        articoli.push_back(std::move(a));
    }
    return articoli;
}

void TZelmCreaArtService::Creazione(const TZelmCreaArtContext& context) {
    RequireWriteAccess();
    std::vector<std::unique_ptr<TAnaMagData>> articoli = Articoli(context);
    TAnaMagDataAccess& access = DataAccessManager().AnaMagDataAccess();
    for (const auto& a : articoli)
        access.Save(*a);
}

QStringList AvvolgiTesto(const QString& text, int width) {
    QStringList lines;
    int pos = 0;
    while (pos < text.size()) {
        int cut = text.size() - pos;
        if (cut > width && text.at(pos + width) == u' ') {
            cut = width + 1; // a full line whose next character is a blank keeps its last word
        } else if (cut > width) {
            cut = width;
            for (int i = width - 1; i >= 0; --i) {
                const QChar c = text.at(pos + i);
                if (c == u' ' || c == u'-' || c == u'.' || c == u'_') {
                    cut = i + 1;
                    break;
                }
            }
        }
        QString line = text.mid(pos, cut);
        while (line.endsWith(u' '))
            line.chop(1);
        lines << line;
        pos += cut;
        // The next line never starts with the blanks that ended this one.
        while (pos < text.size() && text.at(pos) == u' ')
            ++pos;
    }
    return lines;
}
