// The lookup dialog: filter rows built from a search definition, the configurable grid of the
// rows found, the picture of the current row, and the values of the picked row handed back as
// one text. It runs on a connection context of its own (TabXForm).
#pragma once

#include <QDialog>
#include <QDomElement>
#include <QStringList>
#include <QVariant>

#include "ZavoRicercaSql.h"

#include <functional>

#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class TDataModuleDittaF;
class TFrameZavoGrid;
class TIBDatabase;
class TTabXForm;
class TZavoRicerca;
struct TColonnaRicerca;

class TZavoRicercheForm : public QDialog {
    Q_OBJECT
public:
    /// The dialog on the context of `module`; its caption names the user and the company.
    TZavoRicercheForm(TDataModuleDittaF* module, QWidget* parent = nullptr);
    ~TZavoRicercheForm() override;

    /// Builds the dialog from the definition's XML text and opens the list. Failures (the
    /// catalogue, the first query) reach the caller.
    void InizializzazioneZavo(const QString& xml);

    QString ParamRitorno;

    QPushButton* ButtonAttivaSel = nullptr;
    QPushButton* ButtonAnnSel = nullptr;
    QPushButton* ButtonRitorna = nullptr;
    QPushButton* ButtonChiudi = nullptr;
    QPushButton* ButtonRefresh = nullptr;
    QLabel* ImagePreview = nullptr;
    TFrameZavoGrid* GridMain = nullptr;

    /// Applies the filter boxes (rebuilds and reopens the query).
    void AttivaSelezione();
    void AnnullaSelezione();
    /// Hands back the current row's return values and closes.
    void Ritorna();
    void Chiudi();

    /// Esc and "Chiudi": nothing returned, the placement kept.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct TRiga {
        QString nome;
        QString etichetta; ///< the definition's label ("" when none)
        QLineEdit* filtro = nullptr;
        QLineEdit* corrente = nullptr;
        QLineEdit* descrFiltro = nullptr;
        QLineEdit* descrCorrente = nullptr;
        QDomElement decodifica, secondoLivello;
        /// The description statement, built once its names were found in the catalogue.
        mutable QString decSql;
    };
    TIBDatabase& SearchDatabase(const QDomElement& element) const;
    void BuildRows();
    QString BuildQuery();
    void RowChanged();
    QString Descrizione(const TRiga& row, const QString& value) const;
    void Posiziona();
    void SecondoLivello(TRiga& row);
    void ScegliFile(TRiga& row);
    void SaveOnClose();

    TDataModuleDittaF* fModule;
    TTabXForm* fContext;
    std::unique_ptr<TZavoRicerca> fDefinition;
    QDomDocument fXml;
    QDomElement fRoot;
    std::vector<TRiga> fRows;
    std::vector<TColonnaRicerca> fColumns;
    /// The table's columns when they were read with the connection (table, columns).
    std::optional<std::pair<QString, std::vector<TColonnaRicerca>>> fColonneLette;
    friend QString MostraRicercaXml(int utente, int idFinestra, const QString& xml);
    QWidget* fFilters = nullptr;
    bool fClosed = false;
};

/// Builds the context for `utente`, the dialog on it, reports its handle for `idFinestra`, runs
/// it modally and returns the picked row's text (empty: nothing picked).
QString MostraRicercaXml(int utente, int idFinestra, const QString& xml);
/// Runs a lookup from its XML text; true when a row was picked (`result` holds its text).
bool EseguiRicercaXml(const QString& xml, int utente, QString& result);
bool EseguiRicerca(const TZavoRicerca& ricerca, int utente, QString& result);

/// Tests and automation reach the modal dialog through this hook: when set, it runs once the
/// dialog is built and shown, before it waits for the user.
void SetOnRicercaAperta(std::function<void(TZavoRicercheForm&)> hook);

/// A value of a lookup's row as the user reads it: dates as short dates ("15/08/2026").
QString TestoValore(const QVariant& value);
/// A read-only box that looks read-only (the window's colour), apart from the editable filters.
void AspettoSolaLettura(QLineEdit* edit);
