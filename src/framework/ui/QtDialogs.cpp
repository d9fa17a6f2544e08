#include "QtDialogs.h"

#include "InputDialog.h"

#include <QComboBox>
#include <QLineEdit>

#include "DataModuleQuenvar.h"

#include "framework/core/Log.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {
QWidget* ActiveParent() {
    return QApplication::activeWindow();
}

int Show(QMessageBox::Icon icon, const QString& title, const QString& text,
         QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, text, buttons, ActiveParent());
    return box.exec();
}
} // namespace

void TQtDialogs::Information(const QString& text) {
    Show(QMessageBox::Information, QStringLiteral("Informazione"), text, QMessageBox::Ok);
}
void TQtDialogs::Warning(const QString& text) {
    Show(QMessageBox::Warning, QStringLiteral("Attenzione"), text, QMessageBox::Ok);
}
void TQtDialogs::Error(const QString& text) {
    Show(QMessageBox::Critical, QStringLiteral("Errore"), text, QMessageBox::Ok);
}
void TQtDialogs::ErrorDetail(const QString& text, const QString& detail) {
    if (detail.isEmpty()) {
        Error(text);
        return;
    }
    // The Italian message as it stands; the technical part under "Dettagli", and "Copia" puts
    // message, detail and version on the clipboard for an e-mail to the support desk.
    const QString full =
        QStringLiteral("%1\n\nDettagli: %2\nVersione: zelm %3, Qt %4")
            .arg(text, detail, zelm::log::Versione(), QString::fromLatin1(qVersion()));
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Errore"), text, QMessageBox::Ok,
                    ActiveParent());
    box.setDetailedText(full.section(QStringLiteral("\n\n"), 1));
    QPushButton* copia = box.addButton(QStringLiteral("&Copia"), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    // A message box closes on any button: "Copia" copies and shows it again, until OK.
    for (;;) {
        box.exec();
        if (box.clickedButton() != copia)
            break;
        QGuiApplication::clipboard()->setText(full);
    }
}

bool TQtDialogs::Question(const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Conferma"), text,
                    QMessageBox::Yes | QMessageBox::No, ActiveParent());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sì"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    return box.exec() == QMessageBox::Yes;
}

bool TQtDialogs::WarningQuestion(const QString& text, bool defaultYes) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Attenzione"), text,
                    QMessageBox::Yes | QMessageBox::No, ActiveParent());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sì"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool TQtDialogs::InputTwoFields(const QString& caption, const QString& prompt, QString& left,
                                QString& right) {
    TBraskoIn2Form form(ActiveParent());
    form.setWindowTitle(caption);
    form.Prompt->setText(prompt);
    form.Edit1->setText(left);
    form.Edit2->setText(right);
    form.exec();
    if (form.Esito != 1)
        return false;
    left = form.Edit1->text();
    right = form.Edit2->text();
    return true;
}

// The windows write filters as "description|patterns|description|patterns"; Qt wants
// "description (patterns);;…" with blanks between the patterns.
QString QtFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        const int open = description.indexOf(QLatin1Char('('));
        if (open >= 0)
            description = description.left(open).trimmed();
        out << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return out.join(QStringLiteral(";;"));
}

QString TQtDialogs::ChooseOpenFile(const QString& caption, const QString& folder,
                                   const QString& filter) {
    return QFileDialog::getOpenFileName(ActiveParent(), caption, folder, QtFilter(filter));
}
QString TQtDialogs::ChooseSaveFile(const QString& caption, const QString& fileName,
                                   const QString& filter) {
    QString selected;
    QString chosen = QFileDialog::getSaveFileName(ActiveParent(), caption, fileName,
                                                  QtFilter(filter), &selected);
    // A name typed without extension takes the one of the kind chosen in the list ("*.pdf").
    static const QRegularExpression single(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)\\)"));
    if (!chosen.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
        if (const auto m = single.match(selected); m.hasMatch())
            chosen += QLatin1Char('.') + m.captured(1);
    return chosen;
}
QString TQtDialogs::ChooseFolder(const QString& caption, const QString& folder) {
    return QFileDialog::getExistingDirectory(ActiveParent(), caption, folder);
}

bool TQtDialogs::ChooseColor(int& color) {
    const QColor initial(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    const QColor chosen = QColorDialog::getColor(initial, ActiveParent());
    if (!chosen.isValid())
        return false;
    color = chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16);
    return true;
}

int TQtDialogs::Avviso(const QString& text, const QString& emphasis) {
    TAvZavoGrForm form(text, emphasis, ActiveParent());
    return form.exec() == QDialog::Accepted ? 1 : 2;
}

TAvZavoGrForm::TAvZavoGrForm(const QString& text, const QString& emphasis, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Avviso"));
    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    auto* red = new QLabel(emphasis, this);
    red->setWordWrap(true);
    red->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* texts = new QVBoxLayout;
    texts->addWidget(label);
    texts->addWidget(red);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setFixedWidth(420);
}

TBraskoIn2Form::TBraskoIn2Form(QWidget* parent) : QDialog(parent) {
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(8);
    setFont(f);
    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::StyledPanel);
    Prompt = new QLabel(bevel);
    Edit1 = new QLineEdit(bevel);
    Edit2 = new QLineEdit(bevel);
    Edit2->setMaxLength(1);
    auto* fields = new QHBoxLayout;
    fields->addWidget(Edit1, 3);
    fields->addWidget(Edit2, 1);
    auto* inner = new QVBoxLayout(bevel);
    inner->addWidget(Prompt);
    inner->addLayout(fields);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Annulla"), this);
    if (TDataModuleQuenvar* images = DataModuleQuenvar()) {
        ok->setIcon(images->Icon(16));
        cancel->setIcon(images->Icon(13));
    }
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bevel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        Esito = 1;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        Esito = 2;
        reject();
    });
    connect(this, &QDialog::rejected, this, [this] {
        if (Esito == 0)
            Esito = 2;
    });
    setFixedSize(380, 150);
}

void TBraskoIn2Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Edit1->setFocus();
}

bool TQtDialogs::InputList(const QString& title, const QString& prompt, const QStringList& items,
                           int& index) {
    TInputListForm form(title, prompt, items, index, QApplication::activeWindow());
    if (form.exec() != QDialog::Accepted)
        return false;
    index = form.ComboList->currentIndex();
    return true;
}

bool TQtDialogs::InputText(const QString& title, const QString& prompt, QString& text) {
    TInputTextForm form(title, prompt, text, QApplication::activeWindow());
    if (form.exec() != QDialog::Accepted)
        return false;
    text = form.EditText->text();
    return true;
}

bool TQtDialogs::InputDate(const QString& title, QDate& date) {
    TInputDateForm form(title, date, QApplication::activeWindow());
    if (form.exec() != QDialog::Accepted)
        return false;
    date = form.Selected();
    return true;
}
