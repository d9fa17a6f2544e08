#include "SchedeEliminateForm.h"

#include "framework/core/Dialogs.h"
#include "framework/core/SlotGuard.h"
#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoGrid.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
/// A value the deleted sheet had, from the rows its deletion left.
QString Campo(const char* campo, const char* tipo) {
    return QStringLiteral("(SELECT FIRST 1 CAST(C.VALOREPRIMA AS %2) FROM ZELMMODELSTORICO C "
                          "WHERE C.TRANSAZIONE = ZELMMODELSTORICO.TRANSAZIONE AND C.ID = "
                          "ZELMMODELSTORICO.ID AND C.OGGETTO = 'Scheda' AND C.CAMPO = '%1') AS %1")
        .arg(QLatin1String(campo), QLatin1String(tipo));
}
} // namespace

TFormSchedeEliminate::TFormSchedeEliminate(TSession* session, bool puoRipristinare, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormSchedeEliminate"));
    setWindowTitle(QStringLiteral("Schede eliminate"));
    resize(960, 460);
    FrameEliminate = new TFrameZavoGrid(this);
    FrameEliminate->setObjectName(QStringLiteral("FrameEliminate"));
    FrameEliminate->ZavoGrid()->setObjectName(QStringLiteral("GridEliminate"));
    ButtonRipristina = new QPushButton(QStringLiteral("&Ripristina"), this);
    ButtonRipristina->setObjectName(QStringLiteral("ButtonRipristina"));
    ButtonRipristina->setToolTip(puoRipristinare
                                     ? QStringLiteral("Riporta la scheda com'era, con i suoi "
                                                      "dettagli, opzioni, preferenze e annotazioni")
                                     : QStringLiteral("L'utente ha accesso in sola lettura"));
    ButtonRipristina->setEnabled(puoRipristinare);
    ButtonChiudi = new QPushButton(QStringLiteral("C&hiudi"), this);
    ButtonChiudi->setObjectName(QStringLiteral("ButtonChiudi"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonRipristina);
    buttons->addWidget(ButtonChiudi);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FrameEliminate, 1);
    layout->addLayout(buttons);

    FrameEliminate->SetSession(session);
    FrameEliminate->SetSituazione(8);
    FrameEliminate->SetFieldControl(new TFieldControlId(FrameEliminate->Query(), FrameEliminate));
    FrameEliminate->ZavoGrid()->OrdinamentoDefault =
        QStringLiteral("ORDER BY ZELMMODELSTORICO.IDSTORICO DESC");
    FrameEliminate->ZavoGrid()->ProgettoColonne = {
        {"DATAORA", {QStringLiteral("Eliminata il"), 120}},
        {"UTENTE", {QStringLiteral("Da"), 120}},
        {"PROGRAMMA", {QStringLiteral("Programma"), 80}},
        {"IDMODEL", {QStringLiteral("Modello"), 70}},
        {"IDVARIANTE", {QStringLiteral("Variante"), 65}},
        {"SIGLACLIENTE", {QStringLiteral("Cliente"), 120}},
        {"CODICE", {QStringLiteral("Codice"), 110}},
        {"MODELLO", {QStringLiteral("Descrizione"), 170}},
        {"ID", {QStringLiteral("ID"), 50}}};
    // The last deletion of every sheet that is not in the archive now.
    FrameEliminate->SQL = QStringList{
        QStringLiteral("SELECT ZELMMODELSTORICO.DATAORA, ZELMMODELSTORICO.UTENTE, "
                       "ZELMMODELSTORICO.PROGRAMMA, ZELMMODELSTORICO.IDMODEL, "
                       "ZELMMODELSTORICO.IDVARIANTE, %1, %2, %3, ZELMMODELSTORICO.ID")
            .arg(Campo("SIGLACLIENTE", "VARCHAR(20)"), Campo("CODICE", "VARCHAR(30)"),
                 Campo("MODELLO", "VARCHAR(30)")),
        QStringLiteral("FROM ZELMMODELSTORICO"),
        QStringLiteral("WHERE ZELMMODELSTORICO.OGGETTO = 'Scheda' AND ZELMMODELSTORICO.CAMPO = "
                       "'ID' AND ZELMMODELSTORICO.VALOREDOPO IS NULL"),
        QStringLiteral("AND NOT EXISTS (SELECT 1 FROM ZELMMODEL M WHERE M.ID = "
                       "ZELMMODELSTORICO.ID)"),
        QStringLiteral("AND ZELMMODELSTORICO.IDSTORICO = (SELECT MAX(L.IDSTORICO) FROM "
                       "ZELMMODELSTORICO L WHERE L.ID = ZELMMODELSTORICO.ID AND L.OGGETTO = "
                       "'Scheda' AND L.CAMPO = 'ID' AND L.VALOREDOPO IS NULL)")};

    connect(ButtonRipristina, &QPushButton::clicked, this,
            Guarded([this] { RipristinaCorrente(); }));
    connect(ButtonChiudi, &QPushButton::clicked, this, &QDialog::reject);
}

// The list runs on the session's connection: it goes first.
TFormSchedeEliminate::~TFormSchedeEliminate() {
    delete FrameEliminate;
}

void TFormSchedeEliminate::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (fAperta)
        return;
    fAperta = true;
    RunGuarded([this] { FrameEliminate->RefreshGrid(); });
}

void TFormSchedeEliminate::RipristinaCorrente() {
    const QVariant id = FrameEliminate->FieldControl()->GetKeyValues();
    if (id.isNull()) {
        Dialogs().Warning(QStringLiteral("Nessuna scheda eliminata selezionata"));
        return;
    }
    if (!Dialogs().Question(QStringLiteral("Ripristinare la scheda %1?").arg(id.toInt())))
        return;
    if (Ripristina && Ripristina(id.toInt()))
        FrameEliminate->RefreshGrid(rmNextRecord);
}

void TFormSchedeEliminate::done(int result) {
    RunGuarded([this] { FrameEliminate->Close(); });
    QDialog::done(result);
}
