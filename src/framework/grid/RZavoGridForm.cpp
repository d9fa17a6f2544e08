#include "RZavoGridForm.h"

#include "EditData.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QButtonGroup* Choices(QGroupBox* box, const QStringList& labels, int chosen) {
    auto* group = new QButtonGroup(box);
    auto* layout = new QHBoxLayout(box);
    for (int i = 0; i < labels.size(); ++i) {
        auto* radio = new QRadioButton(labels[i], box);
        group->addButton(radio, i);
        layout->addWidget(radio);
        radio->setChecked(i == chosen);
    }
    return group;
}
} // namespace

TRZavoGridForm::TRZavoGridForm(QWidget* parent) : QDialog(parent) {
    LabelStringa = new QLabel(QStringLiteral("Stringa di ricerca"), this);
    EditStringa = new QLineEdit(this);
    EditData1 = new TEditData(this);
    EditData2 = new TEditData(this);
    LabelData2 = new QLabel(QStringLiteral("e (facoltativo):"), this);
    EditData1->hide();
    EditData2->hide();
    LabelData2->hide();
    BoxTipoRicerca = new QGroupBox(QStringLiteral(" Tipo ricerca "), this);
    TipoRicerca = Choices(BoxTipoRicerca, {">=", "LIKE %%", "LIKE %"}, 0);
    CheckUpper = new QCheckBox(QStringLiteral("Upper"), this);
    CheckUpper->setChecked(true);
    BoxTipoOrdinamento = new QGroupBox(QStringLiteral(" Tipo ordinamento "), this);
    TipoOrdinamento = Choices(BoxTipoOrdinamento, {"No", "Cresc.", "Decres."}, 1);
    ButtonPiu = new QPushButton(QStringLiteral("&+"), this);
    CheckGenerica = new QCheckBox(QStringLiteral("Generica"), this);
    CheckGenerica->setEnabled(false);
    ButtonEsegui = new QPushButton(QStringLiteral("Esegui"), this);
    ButtonEsegui->setEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(LabelStringa, 0, 0, 1, 3);
    grid->addWidget(EditStringa, 1, 0, 1, 2);
    grid->addWidget(EditData1, 1, 0);
    grid->addWidget(LabelData2, 1, 1);
    grid->addWidget(EditData2, 1, 2);
    grid->addWidget(ButtonPiu, 1, 3);
    grid->addWidget(BoxTipoRicerca, 2, 0, 1, 3);
    grid->addWidget(CheckUpper, 2, 3);
    grid->addWidget(BoxTipoOrdinamento, 3, 0, 1, 3);
    grid->addWidget(CheckGenerica, 4, 0);
    grid->addWidget(ButtonEsegui, 4, 3);
    setFixedSize(sizeHint());

    for (QLineEdit* edit :
         {EditStringa, static_cast<QLineEdit*>(EditData1), static_cast<QLineEdit*>(EditData2)}) {
        edit->installEventFilter(this);
        // A quote never reaches a condition: typed or pasted, it becomes "´".
        connect(edit, &QLineEdit::textChanged, this, [edit](const QString& text) {
            if (!text.contains('\''))
                return;
            const int at = edit->cursorPosition();
            edit->setText(QString(text).replace('\'', QChar(0x00B4)));
            edit->setCursorPosition(at);
        });
    }
    connect(EditStringa, &QLineEdit::textEdited, this, [this] {
        if (!CheckGenerica->isChecked())
            emit Modificata();
    });
    connect(ButtonPiu, &QPushButton::clicked, this, &TRZavoGridForm::Modificata);
    connect(CheckGenerica, &QCheckBox::toggled, this, &TRZavoGridForm::GenericaCambiata);
    connect(ButtonEsegui, &QPushButton::clicked, this, &TRZavoGridForm::Esegui);
}

int TRZavoGridForm::TipoRicercaScelto() const {
    return std::max(0, TipoRicerca->checkedId());
}

void TRZavoGridForm::SetTipoRicerca(int choice) {
    QAbstractButton* b = TipoRicerca->button(choice); // none when the choice is not offered
    if (!b)
        b = TipoRicerca->button(trMaggioreUguale);
    b->setChecked(true);
}

int TRZavoGridForm::TipoOrdinamentoScelto() const {
    return std::max(0, TipoOrdinamento->checkedId());
}

void TRZavoGridForm::SetTipoOrdinamento(int choice) {
    if (QAbstractButton* b = TipoOrdinamento->button(choice))
        b->setChecked(true);
}

void TRZavoGridForm::RiduciTipiRicerca() {
    QAbstractButton* third = TipoRicerca->button(trIniziaCon);
    if (third->isChecked())
        TipoRicerca->button(trMaggioreUguale)->setChecked(true);
    TipoRicerca->removeButton(third);
    third->hide();
}

void TRZavoGridForm::ModoData() {
    EditStringa->hide();
    EditData1->show();
    EditData2->show();
    LabelData2->show();
    LabelStringa->setText(QStringLiteral("Inserisci una data compresa tra:"));
    BoxTipoRicerca->hide();
    EditData1->setFocus();
}

bool TRZavoGridForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            !(watched == EditStringa && CheckGenerica->isChecked())) {
            emit Conferma();
            return true;
        }
        if (key == Qt::Key_Escape) {
            emit Annulla();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TRZavoGridForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit Annulla();
        return;
    }
    QDialog::keyPressEvent(event);
}
