#include "FileWriteForm.h"

#include "framework/core/Dialogs.h"
#include "framework/core/SlotGuard.h"
#include "framework/ui/DataModuleQuenvar.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

TFormZelmModelFileWrite::TFormZelmModelFileWrite(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormZelmModelFileWrite"));
    setWindowTitle(QStringLiteral("Riferimenti file"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setAcceptDrops(true);
    auto* percorso = new QPushButton(QStringLiteral("Percorso"), this);
    auto* nome = new QPushButton(QStringLiteral("Nome"), this);
    for (QPushButton* b : {percorso, nome}) {
        b->setFlat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    EditPercorsoFile = new QLineEdit(this);
    EditPercorsoFile->setObjectName(QStringLiteral("EditPercorsoFile"));
    EditNomeFile = new QLineEdit(this);
    EditNomeFile->setObjectName(QStringLiteral("EditNomeFile"));
    for (QLineEdit* e : {EditPercorsoFile, EditNomeFile}) {
        e->setMaxLength(128);
        e->setMinimumWidth(420);
    }
    ButtonCerca = new QPushButton(QStringLiteral("Cerca"), this);
    ButtonCerca->setObjectName(QStringLiteral("ButtonCerca"));
    ButtonCerca->setToolTip(QStringLiteral("Seleziona file"));
    ButtonOk = new QPushButton(QStringLiteral("Ok"), this);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    if (TDataModuleQuenvar* dm = DataModuleQuenvar()) {
        ButtonOk->setIcon(dm->Icon(16));
        ButtonCancel->setIcon(dm->Icon(13));
        ButtonCerca->setIcon(dm->Icon(20));
    }
    connect(percorso, &QPushButton::clicked, EditPercorsoFile,
            [this] { EditPercorsoFile->setFocus(); });
    connect(nome, &QPushButton::clicked, EditNomeFile, [this] { EditNomeFile->setFocus(); });
    connect(ButtonCerca, &QPushButton::clicked, this, Guarded([this] { Cerca(); }));
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QGridLayout;
    fields->addWidget(percorso, 0, 0);
    fields->addWidget(EditPercorsoFile, 0, 1);
    fields->addWidget(ButtonCerca, 0, 2);
    fields->addWidget(nome, 1, 0);
    fields->addWidget(EditNomeFile, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOk);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TFormZelmModelFileWrite::NomeFile() const {
    return EditNomeFile->text();
}
void TFormZelmModelFileWrite::SetNomeFile(const QString& nome) {
    EditNomeFile->setText(nome);
}
QString TFormZelmModelFileWrite::PercorsoFile() const {
    return EditPercorsoFile->text();
}
void TFormZelmModelFileWrite::SetPercorsoFile(const QString& percorso) {
    EditPercorsoFile->setText(percorso);
}

void TFormZelmModelFileWrite::Assegna(const QString& fullName) {
    // Either separator: the host's Windows names and this system's own.
    const int cut = std::max(fullName.lastIndexOf('\\'), fullName.lastIndexOf('/'));
    if (cut >= 0)
        SetPercorsoFile(fullName.left(cut + 1));
    SetNomeFile(fullName.mid(cut + 1));
}

void TFormZelmModelFileWrite::Cerca() {
    const QString file = Dialogs().ChooseOpenFile(
        QStringLiteral("Cerca file"), PercorsoFile(),
        QStringLiteral("File Excel (*.xls;*.xlsx)|*.xls;*.xlsx|Tutti i file (*.*)|*.*"));
    if (!file.isEmpty())
        Assegna(file);
}

void TFormZelmModelFileWrite::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TFormZelmModelFileWrite::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty())
        return;
    // Only the first file counts, and only a workbook.
    const QString file = urls.first().toLocalFile().left(255);
    const QString ext = QFileInfo(file).suffix().toUpper();
    if (ext == QLatin1String("XLS") || ext == QLatin1String("XLSX"))
        Assegna(file);
    activateWindow();
    raise();
    event->acceptProposedAction();
}
