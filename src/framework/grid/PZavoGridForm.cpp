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
    Lista->setHorizontalHeaderLabels({"Campo", "Titolo", "Colore", "Visibile", "Posizione"});
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
    // The colour is picked, never typed: a double-click or Enter on its swatch opens the picker.
    const auto picker = Guarded([this](int row, int column) {
        if (column != cColore)
            return;
        Lista->setCurrentCell(row, column);
        CambiaColore();
    });
    connect(Lista, &QTableWidget::cellDoubleClicked, this, picker);
    connect(Lista, &QTableWidget::cellActivated, this, picker);
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
                // A swatch: the stored value rides in the item, not as a decimal number.
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
                item->setText(QString());
                if (!sql.Fields(c).IsNull())
                    item->setData(Qt::UserRole, sql.Fields(c).AsInteger());
                MostraColore(item);
            }
            if (c == cVisibile) {
                // Shown unless 0: a NULL is not 0.
                const bool visible = sql.Fields(c).IsNull() || sql.Fields(c).AsInteger() != 0;
                item->setText(QString());
                item->setFlags((item->flags() & ~Qt::ItemIsEditable) | Qt::ItemIsUserCheckable);
                item->setCheckState(visible ? Qt::Checked : Qt::Unchecked);
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
    const QVariant colour = Lista->item(row, cColore)->data(Qt::UserRole);
    if (!colour.isValid())
        sql.ParamByName("COLORECOLONNA").SetNull();
    else
        sql.ParamByName("COLORECOLONNA").SetInteger(colour.toInt());
    sql.ParamByName("VISIBILE")
        .SetInteger(Lista->item(row, cVisibile)->checkState() == Qt::Checked ? 1 : 0);
    sql.ParamByName("POSIZIONE").SetInteger(Lista->item(row, cPosizione)->text().toInt());
    sql.ExecQuery();
}

void TPZavoGridForm::CambiaColore() {
    const int row = Lista->currentRow();
    if (row < 0)
        return;
    int colour = Lista->item(row, cColore)->data(Qt::UserRole).toInt();
    if (!Dialogs().ChooseColor(colour))
        return;
    Lista->item(row, cColore)->setData(Qt::UserRole, colour); // written at once
    MostraColore(Lista->item(row, cColore));
}

void TPZavoGridForm::MostraColore(QTableWidgetItem* item) {
    const QVariant stored = item->data(Qt::UserRole);
    const bool own = !stored.isValid() || stored.toInt() == 0;
    const QColor colour =
        own ? palette().color(QPalette::Base) : TZavoGrid::FromStored(stored.toInt());
    const bool loading = fLoading;
    fLoading = true; // the look is not an edit
    item->setBackground(colour);
    item->setToolTip(own ? QStringLiteral("Colore della griglia") : colour.name().toUpper());
    fLoading = loading;
}

void TPZavoGridForm::ColoreDefault() {
    const int row = Lista->currentRow();
    if (row < 0)
        return;
    Lista->item(row, cColore)->setData(Qt::UserRole, QVariant()); // written at once
    MostraColore(Lista->item(row, cColore));
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

void TPZavoGridForm::Conferma() {
    if (fTransaction && fTransaction->InTransaction())
        fTransaction->Commit();
}

void TPZavoGridForm::Chiudi() {
    Conferma();
    accept();
}

void TPZavoGridForm::reject() {
    // Esc and the window's close box keep what was edited, as "Chiudi" does: every edit was
    // written as it was made, and a closed dialog never drops them in silence.
    RunGuarded([this] { Conferma(); });
    QDialog::reject();
}
