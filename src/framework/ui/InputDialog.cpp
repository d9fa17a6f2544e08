#include "InputDialog.h"

#include "DataModuleQuenvar.h"

#include "framework/core/Dialogs.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

bool InputDialogList(const QString& title, const QString& prompt, const QStringList& items,
                     int& index) {
    return Dialogs().InputList(title, prompt, items, index);
}

bool InputDialogListValue(const QString& title, const QString& prompt, const QStringList& items,
                          QString& value) {
    int index = items.indexOf(value);
    if (!InputDialogList(title, prompt, items, index) || index < 0 || index >= items.size())
        return false;
    value = items[index];
    return true;
}

bool InputDialogText(const QString& title, const QString& prompt, QString& text) {
    return Dialogs().InputText(title, prompt, text);
}

bool InputDialogDate(const QString& title, QDate& date) {
    QDate chosen = date;
    if (!Dialogs().InputDate(title, chosen) || !chosen.isValid())
        return false;
    date = chosen;
    return true;
}

namespace {
QPushButton* Button(const QString& caption, int glyph, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    if (TDataModuleQuenvar* images = DataModuleQuenvar())
        b->setIcon(images->Icon(glyph));
    return b;
}
} // namespace

TInputForm::TInputForm(const QString& title, const QString& prompt, QWidget* input, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(10);
    setFont(f);
    LabelPrompt = new QLabel(prompt, this);
    LabelPrompt->setWordWrap(true);
    ButtonOk = Button(QStringLiteral("OK"), 16, this);
    ButtonOk->setDefault(true);
    ButtonCancel = Button(QStringLiteral("Cancel"), 13, this);
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    // The layout follows the dialog units: about 45 average characters wide.
    const int width = fontMetrics().averageCharWidth() * 45;
    input->setParent(this);
    input->setMinimumWidth(width);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOk);
    buttons->addWidget(ButtonCancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelPrompt);
    layout->addWidget(input);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    input->setFocus(); // the dialog opens ready for typing
}

TInputListForm::TInputListForm(const QString& title, const QString& prompt,
                               const QStringList& items, int index, QWidget* parent)
    : TInputForm(title, prompt, ComboList = new QComboBox, parent) {
    ComboList->addItems(items); // a drop-down list: no typing
    ComboList->setCurrentIndex(index >= 0 && index < items.size() ? index : -1);
}

TInputTextForm::TInputTextForm(const QString& title, const QString& prompt, const QString& text,
                               QWidget* parent)
    : TInputForm(title, prompt, EditText = new QLineEdit, parent) {
    EditText->setMaxLength(255);
    EditText->setText(text);
    if (!text.isEmpty())
        EditText->selectAll();
}

TInputDateForm::TInputDateForm(const QString& title, const QDate& date, QWidget* parent)
    : QDialog(parent), fSelected(date) {
    setWindowTitle(title);
    Calendar = new QCalendarWidget(this);
    Calendar->setLocale(QLocale(QLocale::Italian, QLocale::Italy)); // month and day names
    Calendar->setFirstDayOfWeek(Qt::Monday);
    Calendar->setFixedSize(400, 400);
    Calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    if (date.isValid())
        Calendar->setSelectedDate(date);
    else
        Calendar->setCurrentPage(QDate::currentDate().year(), QDate::currentDate().month());
    connect(Calendar, &QCalendarWidget::clicked, this, [this](const QDate& d) { fSelected = d; });
    connect(Calendar, &QCalendarWidget::activated, this, [this](const QDate& d) {
        fSelected = d;
        accept();
    });
    ButtonOk = Button(QStringLiteral("OK"), 16, this);
    ButtonOk->setDefault(true);
    ButtonCancel = Button(QStringLiteral("Cancel"), 13, this);
    for (QPushButton* b : {ButtonOk, ButtonCancel})
        b->setFixedSize(80, 28);
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOk);
    buttons->addStretch();
    buttons->addWidget(ButtonCancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Calendar);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Calendar->setFocus(); // the arrows move the day, Enter takes it
}
