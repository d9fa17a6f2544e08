// A lookup's search definition: the table, the fields a user filters on (with their description
// lookups and nested lookups), a fixed filter, the columns returned and the row to start on; and
// its XML text, which is all the lookup dialog is built from.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QDomDocument;
class QDomElement;

/// Base of every element of a definition.
class TZavoXMLComponent {
public:
    virtual ~TZavoXMLComponent() = default;
    /// The element's name.
    virtual QString NomeNodo() const = 0;
    /// Writes the object into `element` (its own element).
    virtual void Scrivi(QDomElement& element) const = 0;
    /// Reads the object back from its own element.
    virtual void Leggi(const QDomElement& element) = 0;

    /// Adds a child element named NomeNodo to `parent` and writes into it.
    void GetNode(QDomElement& parent) const;
    /// The XML text of a new document whose root element is NomeNodo.
    QString GetStr() const;
    /// Reads the object back from a text (its root element), a document or an element; a text
    /// that is not XML raises "Definizione di ricerca non valida".
    void SetStr(const QString& xml);
    void SetDocument(const QDomDocument& document);
    void SetNode(const QDomElement& element);
};

/// A value of the row to start on: a column name (31 characters at most) and its value (255).
class TZavoCampoPos {
public:
    TZavoCampoPos() = default;
    TZavoCampoPos(const QString& nome, const QString& valore) {
        SetNome(nome);
        SetValore(valore);
    }
    const QString& Nome() const { return fNome; }
    void SetNome(const QString& nome) { fNome = nome.left(31); }
    const QString& Valore() const { return fValore; }
    void SetValore(const QString& valore) { fValore = valore.left(255); }

private:
    QString fNome, fValore;
};

class TZavoCampoPosList : public TZavoXMLComponent {
public:
    QString NomeNodo() const override { return QStringLiteral("PosizionaCampo"); }
    void Scrivi(QDomElement& element) const override;
    void Leggi(const QDomElement& element) override;

    void Add(const TZavoCampoPos& entry) { fItems.push_back(entry); }
    const TZavoCampoPos& Get(int index) const { return fItems.at(index); }
    TZavoCampoPos& Get(int index) { return fItems.at(index); }
    /// Position of the entry named exactly `nome`, -1 when none.
    int IndexOf(const QString& nome) const;
    /// Appends an empty entry and returns it.
    TZavoCampoPos& New();
    void Clear() { fItems.clear(); }
    int Count() const { return static_cast<int>(fItems.size()); }

private:
    std::vector<TZavoCampoPos> fItems;
};

/// A fixed filter of a definition (at most one).
class TZavoFiltro : public TZavoXMLComponent {
public:
    QString NomeNodo() const override { return QStringLiteral("Filtro"); }
    /// The filter a "Filtro" element describes: by "QueryRaw", "ValoreContenuto" or "Query".
    static std::unique_ptr<TZavoFiltro> FromNode(const QDomElement& element);
};

/// `CampoFiltro` IN (the subquery `Query`); quotes of the query are kept as "´".
class TZavoFiltroIn : public TZavoFiltro {
public:
    QString CampoFiltro, Query;
    /// The trimmed lines joined with one blank, every quote written as "´".
    void AssegnaQuery(const QStringList& lines);
    void Scrivi(QDomElement& element) const override;
    void Leggi(const QDomElement& element) override;
};

/// The SQL condition `QueryRaw`.
class TZavoFiltroRaw : public TZavoFiltro {
public:
    QString QueryRaw;
    void Scrivi(QDomElement& element) const override;
    void Leggi(const QDomElement& element) override;
};

/// `CampoFiltro` CONTAINING `ValoreContenuto`.
class TZavoFiltroContaining : public TZavoFiltro {
public:
    QString CampoFiltro, ValoreContenuto;
    void Scrivi(QDomElement& element) const override;
    void Leggi(const QDomElement& element) override;
};

/// The description of a field's value, looked up in another table.
class TZavoDecodifica : public TZavoXMLComponent {
public:
    QString Etichetta, TabellaCol, CampoCol, CampoDec;
    QString NomeNodo() const override { return QStringLiteral("Decodifica"); }
    void Scrivi(QDomElement& element) const override;
    void Leggi(const QDomElement& element) override;
};

class TZavoRicercaSecLiv;

/// One search field; it owns its description lookup and its nested lookup.
class TZavoCampo : public TZavoXMLComponent {
public:
    TZavoCampo();
    ~TZavoCampo() override;
    QString Nome, Etichetta;
    std::unique_ptr<TZavoDecodifica> Decodifica;
    std::unique_ptr<TZavoRicercaSecLiv> RicercaSecLiv;
    void Scrivi(QDomElement& element) const override;
    void Leggi(const QDomElement& element) override;
};

class TZavoCampoRic : public TZavoCampo {
public:
    QString NomeNodo() const override { return QStringLiteral("CampoRic"); }
};

/// Search fields in order.
class TZavoCampiList : public TZavoXMLComponent {
public:
    TZavoCampoRic* Add(std::unique_ptr<TZavoCampoRic> field);
    TZavoCampoRic* Get(int index) const { return fItems.at(index).get(); }
    /// Position of the field named exactly `nome`, -1 when none.
    int IndexOf(const QString& nome) const;
    int Count() const { return static_cast<int>(fItems.size()); }
    void Scrivi(QDomElement& element) const override;
    void Leggi(const QDomElement& element) override;

protected:
    std::vector<std::unique_ptr<TZavoCampoRic>> fItems;
};

class TZavoCampiRic : public TZavoCampiList {
public:
    QString NomeNodo() const override { return QStringLiteral("CampiRic"); }
    TZavoCampoRic* New();
    /// A field whose label defaults to its name.
    TZavoCampoRic* New(const QString& nome, const QString& etichetta = QString());
};

/// The window part of a definition: what is searched and where layouts are kept.
class TZavoFinestra : public TZavoXMLComponent {
public:
    TZavoFinestra();
    ~TZavoFinestra() override;
    QString NomeNodo() const override { return QStringLiteral("ZavoForm"); }

    TZavoFiltro* Filtro() const { return pFiltro.get(); }
    /// Empty: the user parameter "Archivio".
    QString ParametroArchivio;
    QString NomeTabella;
    int CodiceProgetto = 0;
    int SituazioneZavoGrid = 0;
    int CodiceProgettoForm = 0;
    int SituazioneForm = 0;
    QString CampoFile, CampoFoto;
    /// None until set.
    std::unique_ptr<TZavoCampoPosList> PosizionaCampo;
    /// Empties the list (creating it) and adds the entries.
    void AddPosizionaCampo(const std::vector<TZavoCampoPos>& entries);

    void Scrivi(QDomElement& element) const override;
    void Leggi(const QDomElement& element) override;

protected:
    /// The parts between the window's own and the filter, and after the filter.
    virtual void ScriviCampi(QDomElement&) const {}
    virtual void ScriviRitorno(QDomElement&) const {}
    virtual void LeggiRicerca(const QDomElement&) {}
    std::unique_ptr<TZavoFiltro> pFiltro;
};

class TZavoRicerca : public TZavoFinestra {
public:
    QString FocusIniziale;
    TZavoCampiRic CampiRic;
    QStringList CampiRitorno;

    /// The fixed filter of that kind, created on first use; "Tipo filtro non valido" when a
    /// filter of another kind is set.
    TZavoFiltroIn& FiltroIn();
    TZavoFiltroRaw& FiltroRaw();
    TZavoFiltroContaining& FiltroContaining();

protected:
    void ScriviCampi(QDomElement& element) const override;
    void ScriviRitorno(QDomElement& element) const override;
    void LeggiRicerca(const QDomElement& element) override;

private:
    template <typename F> F& FiltroDi();
};

/// The nested lookup of a search field.
class TZavoRicercaSecLiv : public TZavoRicerca {
public:
    QString NomeNodo() const override { return QStringLiteral("RicercaSecLiv"); }
};
