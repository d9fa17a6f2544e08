#include "PZavoGridForm.h"

#include "ZavoGrid.h"

#include "framework/core/Dialogs.h"
#include "framework/core/SlotGuard.h"
#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum { cNomeCampo, cNomeColonna, cColore, cVisibile, cPosizione };
} // namespace

TPZavoGridForm::TPZavoGridForm(TZavoGrid& grid, TIBDatabase& database, QWidget* parent)
    : QDialog(parent), fGrid(grid), fDatabase(database) {
    setWindowTitle(QStringLiteral("Personalizzazione Griglia"));
    QFont f = grid.font();
    if (f.pointSizeF() > 10)
        f.setPointSizeF(10);
    setFont(f);
    Lista = new QTableWidget(this);
    Lista->setColumnCount(5);
    Lista->setHorizontalHeaderLabels(
        {"NomeCampo", "NomeColonna", "ColoreColonna", "Visibile", "Posizione"});
    Lista->setColumnHidden(cPosizione, true);
    Lista->verticalHeader()->hide();
    auto* cambia = new QPushButton(QStringLiteral("Cambia Colore"), this);
    auto* predefinito = new QPushButton(QStringLiteral("Colore Default"), this);
    auto* base = new QPushButton(QStringLiteral("Aspetto Base"), this);
    auto* chiudi = new QPushButton(QStringLiteral("Ch&iudi"), this);
    connect(cambia, &QPushButton::clicked, this, Guarded([this] { CambiaColore(); }));
    connect(predefinito, &QPushButton::clicked, this, Guarded([this] { ColoreDefault(); }));
    connect(base, &QPushButton::clicked, this, Guarded([this] { AspettoBase(); }));
    connect(chiudi, &QPushButton::clicked, this, Guarded([this] { Chiudi(); }));
    connect(Lista, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (fLoading)
            return;
        // A value the table refuses (a title too long) is shown, and the list shows again what
        // is stored.
        if (!RunGuarded([&] { Scrivi(item->row()); }))
            RunGuarded([this] { Carica(); });
    });
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cambia, predefinito, base})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(chiudi);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Lista);
    layout->addLayout(buttons);
    resize(520, 420);
    Carica();
}

TPZavoGridForm::~TPZavoGridForm() = default;

void TPZavoGridForm::Carica() {
    fLoading = true;
    if (!fTransaction)
        fTransaction = CreaTransazione(fDatabase, TTipoTransazione::Snapshot);
    else if (!fTransaction->InTransaction())
        fTransaction->StartTransaction();
    TIBSQL sql(&fDatabase, fTransaction.get());
    sql.ParamCheck = false;
    sql.SetSQL(fGrid.LayoutStore().ListQuery());
    Lista->setRowCount(0);
    for (sql.ExecQuery(); !sql.Eof(); sql.Next()) {
        const int row = Lista->rowCount();
        Lista->insertRow(row);
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(sql.Fields(c).AsString());
            if (c == cNomeCampo)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            if (c == cColore) {
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
                const int stored = sql.Fields(c).AsInteger();
                item->setBackground(stored == 0 ? palette().color(QPalette::Window)
                                                : TZavoGrid::FromStored(stored));
            }
            Lista->setItem(row, c, item);
        }
    }
    fLoading = false;
}

void TPZavoGridForm::Scrivi(int row) {
    TIBSQL sql(&fDatabase, fTransaction.get());
    sql.SetSQL(fGrid.LayoutStore().ModifyLines());
    sql.ParamByName("NOMECAMPO").SetString(Lista->item(row, cNomeCampo)->text());
    sql.ParamByName("NOMECOLONNA").SetString(Lista->item(row, cNomeColonna)->text());
    const QString colour = Lista->item(row, cColore)->text();
    if (colour.isEmpty())
        sql.ParamByName("COLORECOLONNA").SetNull();
    else
        sql.ParamByName("COLORECOLONNA").SetInteger(colour.toInt());
    sql.ParamByName("VISIBILE").SetInteger(Lista->item(row, cVisibile)->text().toInt());
    sql.ParamByName("POSIZIONE").SetInteger(Lista->item(row, cPosizione)->text().toInt());
    sql.ExecQuery();
}

void TPZavoGridForm::CambiaColore() {
    const int row = Lista->currentRow();
    if (row < 0)
        return;
    int colour = Lista->item(row, cColore)->text().toInt();
    if (!Dialogs().ChooseColor(colour))
        return;
    Lista->item(row, cColore)->setText(QString::number(colour));
    Lista->item(row, cColore)->setBackground(TZavoGrid::FromStored(colour));
}

void TPZavoGridForm::ColoreDefault() {
    const int row = Lista->currentRow();
    if (row < 0)
        return;
    Lista->item(row, cColore)->setText(QString());
    Lista->item(row, cColore)->setBackground(palette().color(QPalette::Window));
}

void TPZavoGridForm::AspettoBase() {
    if (Dialogs().Avviso(QStringLiteral("ATTENZIONE CON QUESTA OPERAZIONE SI PERDONO TUTTE LE "
                                        "PERSONALIZZAZIONI DELL'ASPETTO DELLA GRIGLIA."),
                         QStringLiteral("PREMERE CANCEL SE NON SI STA CAPENDO COSA SI STA "
                                        "FACENDO")) != 1)
        return;
    if (fTransaction && fTransaction->InTransaction())
        fTransaction->Rollback();
    fGrid.AspettoBase();
    Carica();
}

void TPZavoGridForm::Chiudi() {
    if (fTransaction && fTransaction->InTransaction())
        fTransaction->Commit();
    accept();
}
