#include "StoWriteForm.h"

#include "FrameCustom.h"

#include "control/ZelmModelSubDataAccess.h"
#include "framework/core/DataBreve.h"
#include "framework/core/Dialogs.h"
#include "framework/core/SlotGuard.h"
#include "framework/core/ZavoError.h"
#include "framework/session/Session.h"
#include "framework/ui/DataModuleQuenvar.h"
#include "model/ZelmModelSubData.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TFormZelmModelStoWrite::TFormZelmModelStoWrite(QWidget* parent, TSession* session)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormZelmModelStoWrite"));
    setWindowTitle(QStringLiteral("Annotazione"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto flat = [this](const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setFlat(true);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    QPushButton* tipo = flat(QStringLiteral("&Tipo")); // Alt+letter: to the field
    QPushButton* data = flat(QStringLiteral("&Data"));
    QPushButton* annotazione = flat(QStringLiteral("A&nnotazione"));
    DBComboTipo = new QComboBox(this);
    DBComboTipo->setObjectName(QStringLiteral("DBComboTipo"));
    DBComboTipo->setEditable(true);
    DBComboTipo->setInsertPolicy(QComboBox::NoInsert);
    DBComboTipo->lineEdit()->setMaxLength(30);
    DBComboTipo->setMinimumWidth(300);
    DBEditData = new QLineEdit(this);
    DBEditData->setObjectName(QStringLiteral("DBEditData"));
    DBEditData->setFixedWidth(90);
    ActionData = PickButton(this, "ActionData", QStringLiteral("Selezione data annotazione"), 18);
    DBEditAnnotazione = new QLineEdit(this);
    DBEditAnnotazione->setObjectName(QStringLiteral("DBEditAnnotazione"));
    DBEditAnnotazione->setMaxLength(128);
    DBEditAnnotazione->setMinimumWidth(700);
    ButtonOk = new QPushButton(QStringLiteral("Ok"), this);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    if (TDataModuleQuenvar* dm = DataModuleQuenvar()) {
        ButtonOk->setIcon(dm->Icon(16));
        ButtonCancel->setIcon(dm->Icon(13));
    }

    auto* fields = new QGridLayout;
    fields->addWidget(tipo, 0, 0);
    fields->addWidget(DBComboTipo, 0, 1, Qt::AlignLeft);
    auto* dataRow = new QHBoxLayout;
    dataRow->addWidget(DBEditData);
    dataRow->addWidget(ActionData);
    dataRow->addStretch();
    fields->addWidget(data, 1, 0);
    fields->addLayout(dataRow, 1, 1);
    fields->addWidget(annotazione, 2, 0);
    fields->addWidget(DBEditAnnotazione, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOk);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(tipo, &QPushButton::clicked, DBComboTipo, [this] { DBComboTipo->setFocus(); });
    connect(data, &QPushButton::clicked, DBEditData, [this] { DBEditData->setFocus(); });
    connect(annotazione, &QPushButton::clicked, DBEditAnnotazione,
            [this] { DBEditAnnotazione->setFocus(); });
    connect(ActionData, &QToolButton::clicked, this, Guarded([this] { PickData(); }));
    connect(ButtonOk, &QPushButton::clicked, this, Guarded([this] { Conferma(); }));
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

    if (session)
        DBComboTipo->addItems(TipiAnnotazione(session->IBDatabase()));
}

void TFormZelmModelStoWrite::SetData(const TZelmModelStoData& from) {
    DBComboTipo->setCurrentIndex(-1);
    DBComboTipo->setEditText(from.TipoAnnotazione());
    DBEditData->setText(TestoDataBreve(from.DataAnnotazione()));
    DBEditAnnotazione->setText(from.Annotazione());
}

void TFormZelmModelStoWrite::GetData(TZelmModelStoData& to) const {
    to.SetTipoAnnotazione(DBComboTipo->currentText());
    to.SetDataAnnotazione(DataBreve(DBEditData->text()));
    to.SetAnnotazione(DBEditAnnotazione->text());
}

void TFormZelmModelStoWrite::Conferma() {
    if (DBEditAnnotazione->text().isEmpty()) {
        Dialogs().Warning(QStringLiteral("Inserire un'annotazione"));
        DBEditAnnotazione->setFocus();
        return;
    }
    try {
        DataBreveValida(DBEditData->text());
    } catch (const EZavoError& e) {
        Dialogs().Warning(e.Message());
        DBEditData->setFocus();
        return;
    }
    accept();
}

void TFormZelmModelStoWrite::PickData() {
    QDate date = DataBreve(DBEditData->text());
    if (!date.isValid())
        date = QDate::currentDate();
    if (!Dialogs().InputDate(QStringLiteral("Selezione data annotazione"), date))
        return;
    DBEditData->setFocus();
    DBEditData->setText(TestoDataBreve(date));
}

void TFormZelmModelStoWrite::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    DBEditAnnotazione->setFocus();
}
