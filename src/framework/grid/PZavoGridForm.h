// "Personalizzazione Griglia": the stored layout of one grid as an editable list (titles,
// colours, visibility), with the basic-aspect reset.
#pragma once

#include <QDialog>

#include <memory>

class QTableWidget;
class QTableWidgetItem;
class TIBDatabase;
class TIBTransaction;
class TZavoGrid;

class TPZavoGridForm : public QDialog {
    Q_OBJECT
public:
    TPZavoGridForm(TZavoGrid& grid, TIBDatabase& database, QWidget* parent = nullptr);
    ~TPZavoGridForm() override;

    QTableWidget* Lista;
    void Carica();
    /// Writes row `row` back (title, colour, visibility).
    void Scrivi(int row);
    void CambiaColore();
    void ColoreDefault();
    void AspettoBase();
    /// Commits and closes ("Chiudi").
    void Chiudi();
    /// Esc and the close box: commit as "Chiudi" does, then close.
    void reject() override;

private:
    void Conferma();
    /// The colour cell as a swatch of the stored colour (the grid's own when none).
    void MostraColore(QTableWidgetItem* item);

    TZavoGrid& fGrid;
    TIBDatabase& fDatabase;
    std::unique_ptr<TIBTransaction> fTransaction;
    bool fLoading = false;
};
