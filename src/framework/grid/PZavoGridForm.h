// "Personalizzazione Griglia": the stored layout of one grid as an editable list (titles,
// colours, visibility), with the basic-aspect reset.
#pragma once

#include <QDialog>

#include <memory>

class QTableWidget;
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

private:
    TZavoGrid& fGrid;
    TIBDatabase& fDatabase;
    std::unique_ptr<TIBTransaction> fTransaction;
    bool fLoading = false;
};
