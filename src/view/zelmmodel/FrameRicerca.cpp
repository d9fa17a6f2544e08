#include "FrameRicerca.h"

#include "FieldControlZelmModel.h"

#include "control/ZelmModelService.h"
#include "framework/core/DataBreve.h"
#include "framework/core/Dialogs.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/SlotGuard.h"
#include "framework/grid/ZavoGrid.h"
#include "framework/session/Ricerche.h"
#include "framework/session/Session.h"
#include "framework/ui/DataModuleQuenvar.h"
#include "model/ZelmModelData.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QString Quoted(const QString& text) {
    return QString(text).replace(QLatin1Char('\''), QStringLiteral("''"));
}
} // namespace

TFrameZelmModelRicerca::TFrameZelmModelRicerca(QWidget* parent) : TFrameZelmModelMaster(parent) {
    setObjectName(QStringLiteral("FrameRicerca"));
    auto* tools = new QWidget(this);
    tools->setObjectName(QStringLiteral("PanelTools"));
    ButtonNuovo = ToolButton(tools, "ButtonNuovo", "&Nuovo", "Nuova scheda", 8);
    ButtonDuplica = ToolButton(tools, "ButtonDuplica", "&Duplica", "Duplica scheda", 17);
    ButtonElimina = ToolButton(tools, "ButtonElimina", "&Elimina", QString(), 2);
    ButtonModifica = ToolButton(tools, "ButtonModifica", "M&odifica", "Modifica scheda", 7);
    ButtonSospendi = ToolButton(tools, "ButtonSospendi", "&Sospendi", "Sospendi scheda", 19);
    ButtonMostra = ToolButton(tools, "ButtonMostra", "&Mostra", "Mostra scheda", 5);
    ButtonEliminate = ToolButton(tools, "ButtonEliminate", "Sc&hede eliminate",
                                 "Le schede eliminate, chi e quando; il loro ripristino", 20);
    ButtonEliminate->setFixedWidth(130);
    ButtonEsci = ToolButton(tools, "ButtonEsci", "Es&ci", "Chiudi la finestra", 10);
    auto* toolsLayout = new QHBoxLayout(tools);
    toolsLayout->setContentsMargins(1, 1, 1, 1);
    toolsLayout->setSpacing(0);
    for (QPushButton* b :
         {ButtonNuovo, ButtonDuplica, ButtonElimina, ButtonModifica, ButtonSospendi, ButtonMostra})
        toolsLayout->addWidget(b);
    toolsLayout->addSpacing(8);
    toolsLayout->addWidget(ButtonEliminate);
    toolsLayout->addSpacing(8);
    toolsLayout->addWidget(ButtonEsci);
    toolsLayout->addStretch();

    auto* filtro = new QWidget(this);
    filtro->setObjectName(QStringLiteral("PanelFiltro"));
    filtro->setFixedHeight(90);
    auto* titolo = new QLabel(QStringLiteral("Filtri"), filtro);
    QFont bold = titolo->font();
    bold.setBold(true);
    titolo->setFont(bold);
    titolo->setStyleSheet(QStringLiteral("color: #008080;"));
    CheckNascondiSospesi = new QCheckBox(QStringLiteral("Nascondi modelli sospesi"), filtro);
    CheckNascondiSospesi->setObjectName(QStringLiteral("CheckNascondiSospesi"));
    CheckNascondiSospesi->setChecked(true);

    auto edit = [&](const char* name, int width) {
        auto* e = new QLineEdit(filtro);
        e->setObjectName(QLatin1String(name));
        e->setMinimumWidth(width);
        return e;
    };
    EditSiglaCliente = edit("EditSiglaCliente", 120);
    EditLavorazione = edit("EditLavorazione", 110);
    EditCodice = edit("EditCodice", 110);
    EditForma = edit("EditForma", 90);
    EditTacco = edit("EditTacco", 90);
    EditPlato = edit("EditPlato", 90);
    EditDataInizio = edit("EditDataInizio", 80);
    EditDataFine = edit("EditDataFine", 80);
    EditDataInizio->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));
    EditDataFine->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));
    ActionRCliente = PickButton(filtro, "ActionRCliente", QStringLiteral("Ricerca cliente"), 12);
    ActionPickDataInizio =
        PickButton(filtro, "ActionPickDataInizio", QStringLiteral("Seleziona data inizio"), 18);
    ActionPickDataFine =
        PickButton(filtro, "ActionPickDataFine", QStringLiteral("Seleziona data fine"), 18);

    auto* boxes = new QHBoxLayout;
    auto box = [&](const QString& caption, std::initializer_list<QWidget*> widgets) {
        auto* g = new QGroupBox(caption, filtro);
        auto* l = new QHBoxLayout(g);
        l->setContentsMargins(4, 2, 4, 4);
        l->setSpacing(2);
        for (QWidget* w : widgets) {
            w->setParent(g);
            l->addWidget(w);
        }
        boxes->addWidget(g);
    };
    box(QStringLiteral("Cliente"), {EditSiglaCliente, ActionRCliente});
    box(QStringLiteral("Lavorazione"), {EditLavorazione});
    box(QStringLiteral("Codice"), {EditCodice});
    box(QStringLiteral("Forma"), {EditForma});
    box(QStringLiteral("Tacco"), {EditTacco});
    box(QStringLiteral("Plato"), {EditPlato});
    box(QStringLiteral("Data"),
        {new QLabel(QStringLiteral("Da:")), EditDataInizio, ActionPickDataInizio,
         new QLabel(QStringLiteral("A:")), EditDataFine, ActionPickDataFine});
    boxes->addStretch();
    auto* filtroLayout = new QVBoxLayout(filtro);
    filtroLayout->setContentsMargins(4, 2, 4, 2);
    auto* header = new QHBoxLayout;
    header->addWidget(titolo);
    header->addSpacing(16);
    header->addWidget(CheckNascondiSospesi);
    header->addStretch();
    filtroLayout->addLayout(header);
    filtroLayout->addLayout(boxes);

    FrameZavoGrid = new TFrameZavoGrid(this);
    FrameZavoGrid->setObjectName(QStringLiteral("FrameZavoGrid"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(filtro);
    layout->addWidget(FrameZavoGrid, 1);

    QWidget* order[] = {EditSiglaCliente, EditLavorazione, EditCodice,
                        EditForma,        EditTacco,       EditPlato,
                        EditDataInizio,   EditDataFine,    CheckNascondiSospesi};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    TimerFiltri = new QTimer(this);
    TimerFiltri->setObjectName(QStringLiteral("TimerFiltri"));
    TimerFiltri->setInterval(500);
    TimerFiltri->setSingleShot(true);
    connect(TimerFiltri, &QTimer::timeout, this, Guarded([this] { ApplicaFiltri(); }));
    // Only what the user types restarts the timer: a refresh 500 ms after the last key.
    for (QLineEdit* e : {EditSiglaCliente, EditLavorazione, EditCodice, EditForma, EditTacco,
                         EditPlato, EditDataInizio, EditDataFine})
        connect(e, &QLineEdit::textEdited, TimerFiltri, [this] {
            TimerFiltri->stop();
            TimerFiltri->start();
        });
    connect(CheckNascondiSospesi, &QCheckBox::clicked, this, Guarded([this] { ApplicaFiltri(); }));
    connect(ActionPickDataInizio, &QToolButton::clicked, this,
            Guarded([this] { PickData(EditDataInizio, QStringLiteral("Selezione data inizio")); }));
    connect(ActionPickDataFine, &QToolButton::clicked, this,
            Guarded([this] { PickData(EditDataFine, QStringLiteral("Selezione data fine")); }));
    connect(ActionRCliente, &QToolButton::clicked, this, Guarded([this] { RicercaCliente(); }));
    // The picks from the keyboard, as on the card.
    PickDaTastiera(EditSiglaCliente, ActionRCliente);
    PickDaTastiera(EditDataInizio, ActionPickDataInizio);
    PickDaTastiera(EditDataFine, ActionPickDataFine);
    // Enter in a filter box applies the filters at once; a sheet's code as a scanner types it
    // (its QR text, then Enter) shows that sheet's card, whatever the other filters say.
    for (QLineEdit* e : {EditSiglaCliente, EditLavorazione, EditCodice, EditForma, EditTacco,
                         EditPlato, EditDataInizio, EditDataFine})
        connect(e, &QLineEdit::returnPressed, this, Guarded([this, e] { Invio(e); }));

    const std::pair<QPushButton*, std::pair<TZelmModelCommand, bool>> commands[] = {
        {ButtonNuovo, {cmdNuovo, false}},
        {ButtonDuplica, {cmdDuplica, true}},
        {ButtonElimina, {cmdElimina, true}},
        {ButtonModifica, {cmdModifica, true}},
        {ButtonSospendi, {cmdSospendi, true}},
        {ButtonMostra, {cmdMostra, true}},
        {ButtonEliminate, {cmdSchedeEliminate, false}},
        {ButtonEsci, {cmdChiudi, false}}};
    for (const auto& [button, command] : commands)
        connect(button, &QPushButton::clicked, this,
                Guarded([this, c = command] { Raise(c.first, c.second); }));
    connect(FrameZavoGrid->ZavoGrid(), &QAbstractItemView::doubleClicked, this,
            Guarded([this] { Raise(cmdMostra, true); }));
    // Enter on a row does what a double-click does.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* enter =
            new QShortcut(keys, FrameZavoGrid->ZavoGrid(), nullptr, nullptr, Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, Guarded([this] { Raise(cmdMostra, true); }));
    }
    ButtonMostra->setToolTip(ButtonMostra->toolTip() + QStringLiteral(" (Invio)"));
}

void TFrameZelmModelRicerca::SetSession(TSession* session) {
    TFrameZelmModelMaster::SetSession(session);
    // The list's design: Italian titles; widths fitted to the titles and the first screen.
    std::map<QString, TZavoGrid::TProgettoColonna> design;
    const std::pair<const char*, const char*> titles[] = {
        {"ID", "ID"},
        {"IDMODEL", "N. modello"},
        {"IDVARIANTE", "Variante"},
        {"DATAVARIANTE", "Data variante"},
        {"CODICECLIENTE", "Cod. cliente"},
        {"SIGLACLIENTE", "Cliente"},
        {"LAVORAZIONE", "Lavorazione"},
        {"CODICE", "Codice"},
        {"FORMA", "Forma"},
        {"TACCO", "Tacco"},
        {"PLATO", "Plato"},
        {"DATA", "Data"},
        {"STAGIONE", "Stagione"},
        {"TAGLIAOPERATIVA", "Taglia operativa"},
        {"TIPO", "Tipo"},
        {"MODOLAVORAZIONE", "Modo lavorazione"},
        {"MODELLO", "Modello"},
        {"LINEA", "Linea"},
        {"SETOPZIONILAVORAZ", "Set opzioni"},
        {"SETPREFERENZECOMPONENTI", "Set preferenze"},
        {"INDUSTRIALIZZATORE", "Industrializzatore"},
        {"DATAPROTOTIPO", "Prototipo"},
        {"DATACONFERMAPROTOTIPO", "Conferma prototipo"},
        {"DATACAMPIONE", "Campione"},
        {"DATACONFERMACAMPIONE", "Conferma campione"},
        {"DATASFILATA", "Sfilata"},
        {"DATACONFERMASFILATA", "Conferma sfilata"},
        {"DATATESTADISERIE", "Testa di serie"},
        {"DATACONFERMATESTADISERIE", "Conferma testa di serie"},
        {"DATACONFERMAPRODUZIONE", "Conferma produzione"},
        {"NOTEVARIE", "Note varie"},
        {"NOTECUOIO", "Note cuoio"},
        {"NOTECAMP", "Note campionario"},
        {"STATUSSCHEDA", "Stato"},
        {"NOMEFILE", "File"},
        {"PERCORSOFILE", "Cartella file"},
        {"QRCODE", "QR code"}};
    for (const auto& [field, title] : titles)
        design[QLatin1String(field)] = {QString::fromUtf8(title), 0};
    FrameZavoGrid->ZavoGrid()->ProgettoColonne = design;
    delete fCurrentRecord;
    fCurrentRecord = new TFieldControlZelmModel(FrameZavoGrid->Query(), this);
    FrameZavoGrid->SetSession(session);
    FrameZavoGrid->SetTableName(QStringLiteral("ZELMMODEL"));
    FrameZavoGrid->SetSituazione(2);
    FrameZavoGrid->SetFieldControl(fCurrentRecord);
    const bool full = !session || session->DirittoAccesso() != daSolaLettura;
    for (QPushButton* b :
         {ButtonNuovo, ButtonDuplica, ButtonElimina, ButtonModifica, ButtonSospendi})
        b->setEnabled(full);
}

bool TFrameZelmModelRicerca::RowSelected() const {
    return FrameZavoGrid->RowSelected();
}

QStringList TFrameZelmModelRicerca::CostruisciSql() const {
    QStringList sql{QStringLiteral("SELECT * FROM ZELMMODEL"),
                    QStringLiteral("WHERE ID IS NOT NULL")};
    if (CheckNascondiSospesi->isChecked())
        sql << QStringLiteral("AND STATUSSCHEDA IS DISTINCT FROM '%1'")
                   .arg(TZelmModelData::CastStatusScheda(sSospesa));
    if (!EditSiglaCliente->text().isEmpty())
        sql << QStringLiteral("AND SIGLACLIENTE='%1'").arg(Quoted(EditSiglaCliente->text()));
    const std::pair<const char*, QLineEdit*> containing[] = {{"LAVORAZIONE", EditLavorazione},
                                                             {"CODICE", EditCodice},
                                                             {"FORMA", EditForma},
                                                             {"TACCO", EditTacco},
                                                             {"PLATO", EditPlato}};
    for (const auto& [field, e] : containing)
        if (!e->text().isEmpty())
            sql << QStringLiteral("AND %1 CONTAINING '%2'")
                       .arg(QLatin1String(field), Quoted(e->text()));
    if (const QDate d = DataBreve(EditDataInizio->text()); d.isValid())
        sql << QStringLiteral("AND DATA>='%1'").arg(d.toString(QStringLiteral("dd.MM.yyyy")));
    if (const QDate d = DataBreve(EditDataFine->text()); d.isValid())
        sql << QStringLiteral("AND DATA<='%1'").arg(d.toString(QStringLiteral("dd.MM.yyyy")));
    return sql;
}

void TFrameZelmModelRicerca::Open() {
    FrameZavoGrid->SQL = CostruisciSql();
    FrameZavoGrid->RefreshGrid();
}

void TFrameZelmModelRicerca::Close() {
    FrameZavoGrid->Close();
}

void TFrameZelmModelRicerca::RefreshGrid(int id) {
    FrameZavoGrid->RefreshGrid(QVariant(id));
}

void TFrameZelmModelRicerca::RefreshGrid(TRelocateMode mode) {
    FrameZavoGrid->RefreshGrid(mode);
}

void TFrameZelmModelRicerca::ApplicaFiltri() {
    TimerFiltri->stop();
    FrameZavoGrid->SQL = CostruisciSql();
    FrameZavoGrid->RefreshGrid(rmCurrentRecord);
}

void TFrameZelmModelRicerca::Raise(TZelmModelCommand command, bool needsRow) {
    if (needsRow && !RowSelected()) {
        Dialogs().Warning(QStringLiteral("Nessun record selezionato"));
        return;
    }
    Command(command);
}

void TFrameZelmModelRicerca::Invio(QLineEdit* edit) {
    int idModel = 0, idVariante = 0;
    if (!TZelmModelData::LeggiQrText(edit->text(), idModel, idVariante)) {
        ApplicaFiltri();
        return;
    }
    const QString code = edit->text().trimmed().toUpper();
    edit->clear(); // a code is no filter: the list stays as the other boxes say
    ApplicaFiltri();
    const int id = Service()->IdDaQrText(idModel, idVariante);
    if (id == 0) {
        Dialogs().Warning(QStringLiteral("Nessuna scheda con il codice %1").arg(code));
        return;
    }
    emit MostraScheda(id);
}

void TFrameZelmModelRicerca::PickData(QLineEdit* edit, const QString& title) {
    QDate date = DataBreve(edit->text());
    if (!Dialogs().InputDate(title, date))
        return;
    edit->setText(TestoDataBreve(date));
    ApplicaFiltri();
}

void TFrameZelmModelRicerca::RicercaCliente() {
    QString codice;
    if (!Session() || !Session()->Ricerche()->FindCliente(codice))
        return;
    Service()->StartTransaction();
    TScopeExit end([this] { Service()->EndTransaction(false); });
    TClientiData cliente;
    if (Service()->LoadCliente(codice, cliente)) {
        EditSiglaCliente->setText(cliente.DescrizioneSintetica());
        ApplicaFiltri();
    }
}
