// The search dialog of a grid column: a string (or a date range), a search type, "Upper" and an
// ordering choice; or, with "Generica", one text searched on all columns.
#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TEditData;

class TRZavoGridForm : public QDialog {
    Q_OBJECT
public:
    enum { trMaggioreUguale = 0, trContiene = 1, trIniziaCon = 2 };
    enum { toNo = 0, toCresc = 1, toDecres = 2 };

    explicit TRZavoGridForm(QWidget* parent = nullptr);

    QLabel* LabelStringa;
    QLineEdit* EditStringa;
    QGroupBox* BoxTipoRicerca;
    QButtonGroup* TipoRicerca;
    QCheckBox* CheckUpper;
    QGroupBox* BoxTipoOrdinamento;
    QButtonGroup* TipoOrdinamento;
    QPushButton* ButtonPiu;
    QCheckBox* CheckGenerica;
    QPushButton* ButtonEsegui;
    TEditData* EditData1;
    TEditData* EditData2;
    QLabel* LabelData2;

    int TipoRicercaScelto() const;
    void SetTipoRicerca(int choice);
    int TipoOrdinamentoScelto() const;
    void SetTipoOrdinamento(int choice);
    /// Numeric fields: only ">=" and "LIKE %%"; a remembered "LIKE %" falls back to ">=".
    void RiduciTipiRicerca();
    /// Date fields: the two date boxes in place of the string box.
    void ModoData();
    QString FTitoloFinestraRicerca;

signals:
    /// Enter in a box: run the search and close.
    void Conferma();
    /// Esc: close and give the base list back.
    void Annulla();
    /// The string changed, or "&+": search (at once or after the delay).
    void Modificata();
    void GenericaCambiata(bool on);
    void Esegui();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
