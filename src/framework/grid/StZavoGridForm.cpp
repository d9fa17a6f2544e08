#include "StZavoGridForm.h"

#include "ZavoGridStampa.h"

#include "framework/core/Dialogs.h"
#include "framework/core/SlotGuard.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TStZavoGridForm::TStZavoGridForm(TZavoGridStampa& job, QWidget* parent)
    : QDialog(parent), fJob(job) {
    setObjectName(QStringLiteral("StZavoGridForm"));
    setWindowTitle(QStringLiteral("Stampa ") + job.Tabella);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto radio = [this](const char* name, const QString& text, QButtonGroup* group) {
        auto* r = new QRadioButton(text, this);
        r->setObjectName(QLatin1String(name));
        group->addButton(r);
        return r;
    };
    auto check = [this](const char* name, const QString& text) {
        auto* c = new QCheckBox(text, this);
        c->setObjectName(QLatin1String(name));
        return c;
    };

    auto* intestazione = new QGroupBox(QStringLiteral("Intestazione"), this);
    EditRiga1 = new QLineEdit(intestazione);
    EditRiga1->setObjectName(QStringLiteral("EditRiga1"));
    EditRiga2 = new QLineEdit(intestazione);
    EditRiga2->setObjectName(QStringLiteral("EditRiga2"));
    auto* allineamento = new QButtonGroup(this);
    RadioSinistra = radio("RadioSinistra", QStringLiteral("A sinistra"), allineamento);
    RadioCentrale = radio("RadioCentrale", QStringLiteral("Centrale"), allineamento);
    RadioSinistra->setChecked(true);
    auto* formI = new QFormLayout(intestazione);
    formI->addRow(QStringLiteral("Riga 1:"), EditRiga1);
    formI->addRow(QStringLiteral("Riga 2:"), EditRiga2);
    auto* rowA = new QHBoxLayout;
    rowA->addWidget(RadioSinistra);
    rowA->addWidget(RadioCentrale);
    rowA->addStretch();
    formI->addRow(QStringLiteral("Allineamento"), rowA);

    auto* opzioni = new QGroupBox(QStringLiteral("Opzioni stampa"), this);
    auto* orientamento = new QButtonGroup(this);
    RadioVerticale = radio("RadioVerticale", QStringLiteral("Verticale"), orientamento);
    RadioOrizzontale = radio("RadioOrizzontale", QStringLiteral("Orizzontale"), orientamento);
    RadioVerticale->setChecked(true);
    CheckNumeraPagine = check("CheckNumeraPagine", QStringLiteral("Esponi numerazione pagine"));
    CheckTroncaTesti =
        check("CheckTroncaTesti", QStringLiteral("Tronca testi che eccedono i bordi in griglia"));
    CheckForzaUltimaColonna =
        check("CheckForzaUltimaColonna", QStringLiteral("Forza esposizione ultima colonna"));
    CheckForzaUltimaColonna->setChecked(true);
    auto* font = new QButtonGroup(this);
    RadioPiccola = radio("RadioPiccola", QStringLiteral("Piccola (Arial 8)"), font);
    RadioMedia = radio("RadioMedia", QStringLiteral("Media (Arial 10)"), font);
    RadioGrande = radio("RadioGrande", QStringLiteral("Grande (Arial 12)"), font);
    RadioMedia->setChecked(true);
    auto* formO = new QVBoxLayout(opzioni);
    auto* rowO = new QHBoxLayout;
    rowO->addWidget(new QLabel(QStringLiteral("Orientamento pagina"), opzioni));
    rowO->addWidget(RadioVerticale);
    rowO->addWidget(RadioOrizzontale);
    rowO->addStretch();
    formO->addLayout(rowO);
    formO->addWidget(CheckNumeraPagine);
    formO->addWidget(CheckTroncaTesti);
    formO->addWidget(CheckForzaUltimaColonna);
    auto* nota = new QLabel(QStringLiteral("(verrà utilizzato tutto lo spazio disponibile in "
                                           "stampa, troncando l'ultima colonna)"),
                            opzioni);
    nota->setIndent(20);
    formO->addWidget(nota);
    auto* rowF = new QHBoxLayout;
    rowF->addWidget(new QLabel(QStringLiteral("Dimensione font dati"), opzioni));
    rowF->addWidget(RadioPiccola);
    rowF->addWidget(RadioMedia);
    rowF->addWidget(RadioGrande);
    rowF->addStretch();
    formO->addLayout(rowF);

    ButtonAnteprima = new QPushButton(QStringLiteral("Anteprima"), this);
    ButtonAnteprima->setObjectName(QStringLiteral("ButtonAnteprima"));
    ButtonAnteprima->setDefault(true);
    ButtonChiudi = new QPushButton(QStringLiteral("Chiudi"), this);
    ButtonChiudi->setObjectName(QStringLiteral("ButtonChiudi"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonAnteprima);
    buttons->addWidget(ButtonChiudi);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intestazione);
    layout->addWidget(opzioni);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ActionEditazione =
        new QAction(QStringLiteral("Apri editazione report (assistenza tecnica)"), this);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    addAction(ActionEditazione);
    connect(ActionEditazione, &QAction::triggered, this, Guarded([this] { ApriEditazione(); }));
    connect(ButtonAnteprima, &QPushButton::clicked, this, Guarded([this] { Anteprima(); }));
    connect(ButtonChiudi, &QPushButton::clicked, this, &QDialog::reject);
}

void TStZavoGridForm::Applica() {
    fJob.Intestazione_Riga1 = EditRiga1->text();
    fJob.Intestazione_Riga2 = EditRiga2->text();
    fJob.Intestazione_Allineamento = RadioCentrale->isChecked() ? 1 : 0;
    fJob.OrientamentoPagina =
        RadioOrizzontale->isChecked() ? QStringLiteral("ORIZZONTALE") : QStringLiteral("VERTICALE");
    fJob.DimensioneFontDati = RadioPiccola->isChecked() ? 8 : RadioGrande->isChecked() ? 12 : 10;
    fJob.FlagNumeraPagine = CheckNumeraPagine->isChecked();
    fJob.FlagTroncaTesti = CheckTroncaTesti->isChecked();
    fJob.FlagForzaUltimaColonna = CheckForzaUltimaColonna->isChecked();
}

void TStZavoGridForm::Anteprima() {
    Applica();
    // Without the host's print module the list is shown by our own preview.
    if (!fJob.Stampa(true))
        fJob.Anteprima(this);
}

void TStZavoGridForm::ApriEditazione() {
    Applica();
    if (!fJob.Stampa(false))
        Dialogs().Warning(QStringLiteral("Modulo di stampa \"%1\" non trovato")
                              .arg(QStringLiteral("PrentixLaunch")));
}
