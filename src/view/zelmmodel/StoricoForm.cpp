#include "StoricoForm.h"

#include "framework/core/SlotGuard.h"
#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoGrid.h"
#include "framework/grid/ZavoGridSql.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TFormStoricoScheda::TFormStoricoScheda(TSession* session, int id, int idModel, int idVariante,
                                       QWidget* parent)
    : QDialog(parent), fId(id), fIdModel(idModel), fIdVariante(idVariante) {
    setObjectName(QStringLiteral("FormStoricoScheda"));
    setWindowTitle(
        QStringLiteral("Storico della scheda %1 variante %2").arg(idModel).arg(idVariante));
    resize(1120, 520);
    EditCampo = new QLineEdit(this);
    EditCampo->setObjectName(QStringLiteral("EditCampo"));
    EditCampo->setToolTip(QStringLiteral("Solo i campi che contengono questo testo"));
    EditUtente = new QLineEdit(this);
    EditUtente->setObjectName(QStringLiteral("EditUtente"));
    EditUtente->setToolTip(QStringLiteral("Solo gli utenti che contengono questo testo"));
    auto* labelCampo = new QLabel(QStringLiteral("&Campo"), this);
    labelCampo->setBuddy(EditCampo);
    auto* labelUtente = new QLabel(QStringLiteral("&Utente"), this);
    labelUtente->setBuddy(EditUtente);
    ButtonChiudi = new QPushButton(QStringLiteral("C&hiudi"), this);
    ButtonChiudi->setObjectName(QStringLiteral("ButtonChiudi"));
    auto* filtri = new QHBoxLayout;
    filtri->addWidget(labelCampo);
    filtri->addWidget(EditCampo, 1);
    filtri->addWidget(labelUtente);
    filtri->addWidget(EditUtente, 1);
    filtri->addWidget(ButtonChiudi);

    FrameStorico = new TFrameZavoGrid(this);
    FrameStorico->setObjectName(QStringLiteral("FrameStorico"));
    FrameStorico->ZavoGrid()->setObjectName(QStringLiteral("GridStorico"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filtri);
    layout->addWidget(FrameStorico, 1);

    FrameStorico->SetSession(session);
    FrameStorico->SetSituazione(7);
    FrameStorico->SetFieldControl(new TFieldControlId(FrameStorico->Query(), FrameStorico));
    // Newest first until the user orders it otherwise.
    FrameStorico->ZavoGrid()->OrdinamentoDefault =
        QStringLiteral("ORDER BY ZELMMODELSTORICO.IDSTORICO DESC");
    FrameStorico->ZavoGrid()->ProgettoColonne = {
        {"DATAORA", {QStringLiteral("Data e ora"), 115}},
        {"UTENTE", {QStringLiteral("Utente"), 110}},
        {"PROGRAMMA", {QStringLiteral("Programma"), 80}},
        {"OPERAZIONE", {QStringLiteral("Operazione"), 90}},
        {"OGGETTO", {QStringLiteral("Oggetto"), 80}},
        {"IDOGGETTO", {QStringLiteral("N. oggetto"), 75}},
        {"CAMPO", {QStringLiteral("Campo"), 140}},
        {"VALOREPRIMA", {QStringLiteral("Valore prima"), 190}},
        {"VALOREDOPO", {QStringLiteral("Valore dopo"), 190}},
        {"ID", {QStringLiteral("N. riga"), 60}}};
    FrameStorico->SQL = CostruisciSql();

    // The filters follow the typing, once it pauses.
    fTimer = new QTimer(this);
    fTimer->setSingleShot(true);
    fTimer->setInterval(300);
    connect(fTimer, &QTimer::timeout, this, Guarded([this] { Applica(); }));
    for (QLineEdit* e : {EditCampo, EditUtente})
        connect(e, &QLineEdit::textChanged, fTimer, qOverload<>(&QTimer::start));
    connect(ButtonChiudi, &QPushButton::clicked, this, &QDialog::reject);
}

// The list runs on the session's connection: it goes first.
TFormStoricoScheda::~TFormStoricoScheda() {
    delete FrameStorico;
}

QStringList TFormStoricoScheda::CostruisciSql() const {
    // The sheet's own rows, and those of the sub-records it shares with the model's other
    // variants (details and annotations) or has for its variant (options, preferences).
    QStringList sql{
        QStringLiteral("SELECT ZELMMODELSTORICO.DATAORA, "
                       "ZELMMODELSTORICO.UTENTE, ZELMMODELSTORICO.PROGRAMMA, "
                       "ZELMMODELSTORICO.OPERAZIONE, ZELMMODELSTORICO.OGGETTO, "
                       "ZELMMODELSTORICO.IDOGGETTO, ZELMMODELSTORICO.CAMPO, "
                       "CAST(ZELMMODELSTORICO.VALOREPRIMA AS VARCHAR(4000)) AS VALOREPRIMA, "
                       "CAST(ZELMMODELSTORICO.VALOREDOPO AS VARCHAR(4000)) AS VALOREDOPO, "
                       "ZELMMODELSTORICO.IDSTORICO AS ID FROM ZELMMODELSTORICO"),
        QStringLiteral("WHERE (ZELMMODELSTORICO.ID = %1 OR (ZELMMODELSTORICO.IDMODEL = %2 AND "
                       "(ZELMMODELSTORICO.IDVARIANTE = %3 OR ZELMMODELSTORICO.IDVARIANTE IS "
                       "NULL)))")
            .arg(fId)
            .arg(fIdModel)
            .arg(fIdVariante)};
    if (const QString campo = EditCampo->text().trimmed(); !campo.isEmpty())
        sql << QStringLiteral("AND ZELMMODELSTORICO.CAMPO CONTAINING '%1'").arg(LiteraleSql(campo));
    if (const QString utente = EditUtente->text().trimmed(); !utente.isEmpty())
        sql << QStringLiteral("AND ZELMMODELSTORICO.UTENTE CONTAINING '%1'")
                   .arg(LiteraleSql(utente));
    return sql;
}

void TFormStoricoScheda::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (fAperta)
        return;
    fAperta = true;
    RunGuarded([this] { FrameStorico->RefreshGrid(); });
}

void TFormStoricoScheda::Applica() {
    fTimer->stop();
    FrameStorico->SQL = CostruisciSql();
    FrameStorico->RefreshGrid(rmCurrentRecord);
}

void TFormStoricoScheda::done(int result) {
    // The list's layout is stored as the user left it.
    RunGuarded([this] { FrameStorico->Close(); });
    QDialog::done(result);
}
