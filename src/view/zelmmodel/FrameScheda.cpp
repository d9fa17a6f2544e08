#include "FrameScheda.h"

#include "StoricoForm.h"

#include "FieldControlZelmModel.h"
#include "FileWriteForm.h"
#include "FramePanels.h"

#include "control/LumetraViewer.h"
#include "control/ZelmModelService.h"
#include "framework/core/DataBreve.h"
#include "framework/core/Dialogs.h"
#include "framework/core/SlotGuard.h"
#include "framework/session/Ricerche.h"
#include "framework/session/Session.h"
#include "framework/ui/DataModuleQuenvar.h"
#include "framework/ui/InputDialog.h"
#include "framework/ui/ModalDialog.h"
#include "framework/ui/ZavoQrCode.h"
#include "model/MemDataSet.h"
#include "model/QuenvarHelpers.h"
#include "view/foto/VisoreFoto.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

std::function<bool(const QString&)> TFrameZelmModelScheda::ApriFile = [](const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
};

namespace {
const QColor kSilver(0xC0, 0xC0, 0xC0);

/// A caption over its control(s), optionally on a coloured band.
QWidget* Box(QWidget* parent, const QString& caption, std::initializer_list<QWidget*> controls,
             const QString& captionStyle = QString(), const QColor& band = QColor()) {
    auto* box = new QWidget(parent);
    if (band.isValid()) {
        box->setAutoFillBackground(true);
        QPalette p = box->palette();
        p.setColor(QPalette::Window, band);
        box->setPalette(p);
    }
    auto* label = new QLabel(caption, box);
    if (!captionStyle.isEmpty())
        label->setStyleSheet(captionStyle);
    auto* row = new QHBoxLayout;
    row->setSpacing(1);
    bool fixed = true;
    for (QWidget* c : controls) {
        c->setParent(box);
        row->addWidget(c);
        const bool grows = (c->sizePolicy().horizontalPolicy() & QSizePolicy::ExpandFlag) &&
                           c->minimumWidth() != c->maximumWidth();
        fixed = fixed && !grows;
    }
    // Controls of fixed width (a date and its "...") sit together under their caption, not
    // spread over the box.
    if (fixed)
        row->addStretch(1);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(2, 1, 2, 2);
    layout->setSpacing(1);
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addStretch();
    return box;
}

const QString kBold = QStringLiteral("font-weight: bold;");
} // namespace

QLineEdit* TFrameZelmModelScheda::AddEdit(const char* name, const QString& field, int maxLength) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    fBindings.push_back({e, field, false});
    return e;
}

TFrameZelmModelScheda::TFrameZelmModelScheda(QWidget* parent) : TFrameZelmModelMaster(parent) {
    setObjectName(QStringLiteral("FrameScheda"));
    ClientDataSet = new TMemDataSet(this);

    // --- tool bar
    auto* tools = new QWidget(this);
    tools->setObjectName(QStringLiteral("PanelTools"));
    tools->setFixedHeight(28);
    ActionModifica = ToolButton(tools, "ActionModifica", "&Modifica", "Modifica scheda", 7);
    ActionSalva = ToolButton(tools, "ActionSalva", "&Salva", "Salva modifiche", 14);
    ActionAnnulla = ToolButton(tools, "ActionAnnulla", "&Annulla", "Annulla modifiche", 13);
    ActionRilasciaC =
        ToolButton(tools, "ActionRilasciaC", "Rilascia &C.", "Rilascia scheda campione", 15);
    ActionRilasciaP =
        ToolButton(tools, "ActionRilasciaP", "Rilascia &P.", "Rilascia scheda produzione", 15);
    ActionExportXls = ToolButton(tools, "ActionExportXls", "&Export", "Esporta file Excel", 4);
    ActionStorico = ToolButton(tools, "ActionStorico", "S&torico",
                               "Chi ha cambiato la scheda, che cosa e quando", 9);
    ActionChiudi = ToolButton(tools, "ActionChiudi", "C&hiudi", "Chiudi scheda", 1);
    auto* toolsLayout = new QHBoxLayout(tools);
    toolsLayout->setContentsMargins(1, 1, 1, 1);
    toolsLayout->setSpacing(0);
    for (QPushButton* b : {ActionModifica, ActionSalva, ActionAnnulla, ActionRilasciaC,
                           ActionRilasciaP, ActionExportXls, ActionStorico, ActionChiudi})
        toolsLayout->addWidget(b);
    toolsLayout->addStretch();

    // --- top line: identifiers and file reference
    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("PanelTop"));
    auto bold = [&](const QString& text) {
        auto* l = new QLabel(text, top);
        l->setStyleSheet(kBold);
        return l;
    };
    auto value = [&](const char* name) {
        auto* l = new QLabel(top);
        l->setObjectName(QLatin1String(name));
        l->setMinimumWidth(50);
        return l;
    };
    LabelId = value("LabelId");
    LabelIdModel = value("LabelIdModel");
    LabelIdVariante = value("LabelIdVariante");
    LabelDataVariante = value("LabelDataVariante");
    LabelFile = new QLabel(QStringLiteral("Nessun riferimento file"), top);
    LabelFile->setObjectName(QStringLiteral("LabelFile"));
    LabelFile->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont underlined = LabelFile->font();
    underlined.setUnderline(true);
    LabelFile->setFont(underlined);
    LabelFile->setCursor(Qt::PointingHandCursor);
    LabelFile->installEventFilter(this);
    ActionWriteFile =
        PickButton(top, "ActionWriteFile", QStringLiteral("Modifica riferimenti file"), 9);
    auto* idLine = new QHBoxLayout;
    idLine->addWidget(bold(QStringLiteral("ID:")));
    idLine->addWidget(LabelId);
    idLine->addWidget(bold(QStringLiteral("ID Model:")));
    idLine->addWidget(LabelIdModel);
    idLine->addWidget(bold(QStringLiteral("Variante:")));
    idLine->addWidget(LabelIdVariante);
    idLine->addWidget(LabelDataVariante);
    idLine->addStretch();
    idLine->addWidget(LabelFile);
    idLine->addWidget(ActionWriteFile);

    // --- left block
    QLineEdit* cliente = AddEdit("DBEditSiglaCliente", QStringLiteral("SIGLACLIENTE"), 20);
    LabelCodiceCliente = new QLabel(top);
    LabelCodiceCliente->setObjectName(QStringLiteral("LabelCodiceCliente"));
    LabelCodiceCliente->setFont(underlined);
    LabelCodiceCliente->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelCodiceCliente->setMinimumWidth(50);
    ActionRicercaCliente =
        PickButton(top, "ActionRicercaCliente", QStringLiteral("Ricerca cliente"), 12);
    QLineEdit* lavorazione = AddEdit("DBEditLavorazione", QStringLiteral("LAVORAZIONE"), 30);
    QLineEdit* codice = AddEdit("DBEditCodice", QStringLiteral("CODICE"), 30);
    QLineEdit* forma = AddEdit("DBEditForma", QStringLiteral("FORMA"), 30);
    QLineEdit* tacco = AddEdit("DBEditTacco", QStringLiteral("TACCO"), 30);
    QLineEdit* plato = AddEdit("DBEditPlato", QStringLiteral("PLATO"), 30);
    QLineEdit* data = AddEdit("DBEditData", QStringLiteral("DATA"), 10);
    fBindings.back().date = true;
    auto* pickData = PickButton(top, "ActionData", QStringLiteral("Seleziona data"), 18);
    DatePicks.push_back({QStringLiteral("DATA"), pickData, QStringLiteral("Selezione data")});
    QLineEdit* stagione = AddEdit("DBEditStagione", QStringLiteral("STAGIONE"), 30);
    QLineEdit* linea = AddEdit("DBEditLinea", QStringLiteral("LINEA"), 30);
    QLineEdit* industrializzatore =
        AddEdit("DBEditIndustrializzatore", QStringLiteral("INDUSTRIALIZZATORE"), 30);
    DBEditStatusScheda = new QLineEdit(top);
    DBEditStatusScheda->setObjectName(QStringLiteral("DBEditStatusScheda"));
    DBEditStatusScheda->setReadOnly(true);
    DBEditStatusScheda->setFocusPolicy(Qt::NoFocus);
    for (QLineEdit* e : {data})
        e->setFixedWidth(80);

    auto* left = new QGridLayout;
    left->setSpacing(2);
    auto* clienteRow = new QWidget(top);
    {
        auto* l = new QHBoxLayout(clienteRow);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(1);
        cliente->setParent(clienteRow);
        LabelCodiceCliente->setParent(clienteRow);
        ActionRicercaCliente->setParent(clienteRow);
        l->addWidget(cliente, 1);
        l->addWidget(LabelCodiceCliente);
        l->addWidget(ActionRicercaCliente);
    }
    left->addWidget(Box(top, QStringLiteral("Cliente"), {clienteRow}), 0, 0);
    left->addWidget(Box(top, QStringLiteral("Lavorazione"), {lavorazione}), 0, 1);
    left->addWidget(Box(top, QStringLiteral("Codice"), {codice}), 0, 2);
    left->addWidget(Box(top, QStringLiteral("Forma"), {forma}), 1, 0);
    left->addWidget(Box(top, QStringLiteral("Tacco"), {tacco}), 1, 1);
    left->addWidget(Box(top, QStringLiteral("Plato"), {plato}), 1, 2);
    left->addWidget(Box(top, QStringLiteral("Data"), {data, pickData}), 2, 0);
    left->addWidget(Box(top, QStringLiteral("Stagione"), {stagione},
                        QStringLiteral("color: white; font-weight: bold; background: #008000; "
                                       "padding: 0 4px;")),
                    2, 1, 1, 2);
    left->addWidget(Box(top, QStringLiteral("Linea"), {linea}), 3, 0, 1, 3);
    left->addWidget(
        Box(top, QStringLiteral("Industrializzatore"), {industrializzatore}, QString(), kSilver), 4,
        0, 1, 3);

    ImageQrCode = new QLabel(top);
    ImageQrCode->setObjectName(QStringLiteral("ImageQrCode"));
    ImageQrCode->setFixedSize(74, 74);
    ImageQrCode->setAlignment(Qt::AlignCenter);
    ImageQrCode->setStyleSheet(QStringLiteral("background: white;"));
    ActionOrvoPhoto = new QPushButton(QStringLiteral("&OrvoPhoto"), top);
    ActionOrvoPhoto->setObjectName(QStringLiteral("ActionOrvoPhoto"));
    ActionOrvoPhoto->setToolTip(QStringLiteral("Visualizza foto collegate alla scheda"));
    ActionOrvoPhoto->setFocusPolicy(Qt::NoFocus);
    if (TDataModuleQuenvar* dm = DataModuleQuenvar())
        ActionOrvoPhoto->setIcon(dm->Icon(21));
    MnemonicInTooltip(ActionOrvoPhoto);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(Box(top, QStringLiteral("Status scheda"), {DBEditStatusScheda}), 1);
    auto* qr = new QVBoxLayout;
    qr->addWidget(ImageQrCode, 0, Qt::AlignHCenter);
    qr->addWidget(ActionOrvoPhoto);
    statusRow->addLayout(qr);
    left->addLayout(statusRow, 5, 0, 1, 3);
    left->setRowStretch(6, 1);

    // --- right block
    QLineEdit* tipo = AddEdit("DBEditTipo", QStringLiteral("TIPO"), 50);
    QLineEdit* modo = AddEdit("DBEditModoLavorazione", QStringLiteral("MODOLAVORAZIONE"), 50);
    QLineEdit* modello = AddEdit("DBEditModello", QStringLiteral("MODELLO"), 30);
    auto* right = new QGridLayout;
    right->setSpacing(2);
    right->addWidget(
        Box(top, QStringLiteral("Tipo"), {tipo}, QStringLiteral("color: red; font-weight: bold;")),
        0, 0);
    right->addWidget(Box(top, QStringLiteral("Lavoraz."), {modo},
                         QStringLiteral("color: blue; font-weight: bold;")),
                     0, 1);
    right->addWidget(Box(top, QStringLiteral("Modello"), {modello},
                         QStringLiteral("color: blue; font-weight: bold;"), QColor(0xFF, 0xA5, 0)),
                     0, 2);
    struct TMilestone {
        const char* edit;
        const char* field;
        const char* pick;
        const char* caption;
        const char* title;
    };
    const TMilestone milestones[] = {
        {"DBEditDataPrototipo", "DATAPROTOTIPO", "ActionDataPrototipo", "Prototipo",
         "Selezione data prototipo"},
        {"DBEditDataConfermaPrototipo", "DATACONFERMAPROTOTIPO", "ActionDataConfermaPrototipo",
         "Conferma", "Selezione data conferma prototipo"},
        {"DBEditDataCampione", "DATACAMPIONE", "ActionDataCampione", "Campione",
         "Selezione data campione"},
        {"DBEditDataConfermaCampione", "DATACONFERMACAMPIONE", "ActionDataConfermaCampione",
         "Conferma", "Selezione data conferma campione"},
        {"DBEditDataSfilata", "DATASFILATA", "ActionDataSfilata", "Sfilata",
         "Selezione data sfilata"},
        {"DBEditDataConfermaSfilata", "DATACONFERMASFILATA", "ActionDataConfermaSfilata",
         "Conferma", "Selezione data conferma sfilata"},
        {"DBEditDataTestaDiSerie", "DATATESTADISERIE", "ActionDataTestaDiSerie", "Testa di serie",
         "Selezione data testa di serie"},
        {"DBEditDataConfermaTestaDiSerie", "DATACONFERMATESTADISERIE",
         "ActionDataConfermaTestaDiSerie", "Conferma", "Selezione data conferma testa di serie"},
        {"DBEditDataConfermaProduzione", "DATACONFERMAPRODUZIONE", "ActionDataConfermaProduzione",
         "Conferma produzione", "Selezione data conferma produzione"},
    };
    QWidget* band = nullptr;
    QHBoxLayout* bandLayout = nullptr;
    int row = 1;
    for (size_t i = 0; i < std::size(milestones); ++i) {
        const TMilestone& m = milestones[i];
        QLineEdit* e = AddEdit(m.edit, QLatin1String(m.field), 10);
        fBindings.back().date = true;
        e->setFixedWidth(80);
        QToolButton* pick = PickButton(top, m.pick, QLatin1String(m.title), 18);
        DatePicks.push_back({QLatin1String(m.field), pick, QLatin1String(m.title)});
        const bool last = i + 1 == std::size(milestones);
        // Each milestone and its confirmation share one silver band.
        if (i % 2 == 0 || last) {
            band = new QWidget(top);
            band->setAutoFillBackground(true);
            QPalette p = band->palette();
            p.setColor(QPalette::Window, kSilver);
            band->setPalette(p);
            bandLayout = new QHBoxLayout(band);
            bandLayout->setContentsMargins(2, 0, 2, 0);
            right->addWidget(band, row++, 0, 1, 3);
        }
        // A milestone and its confirmation share the band's width, half each.
        bandLayout->addWidget(
            Box(band, QLatin1String(m.caption), {e, pick}, last ? kBold : QString()), 1);
        if (last && i % 2 == 0)
            bandLayout->addStretch(1);
    }
    auto memo = [&](const char* name, const char* field) {
        auto* m = new QPlainTextEdit(top);
        m->setObjectName(QLatin1String(name));
        m->setFixedHeight(2 * m->fontMetrics().lineSpacing() + 10);
        m->setTabChangesFocus(true);
        m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        fBindings.push_back({m, QLatin1String(field), false});
        return m;
    };
    QPlainTextEdit* varie = memo("DBMemoNoteVarie", "NOTEVARIE");
    QPlainTextEdit* cuoio = memo("DBMemoNoteCuoio", "NOTECUOIO");
    QPlainTextEdit* camp = memo("DBMemoNoteCamp", "NOTECAMP");
    right->addWidget(Box(top, QStringLiteral("Varie"), {varie}, kBold), row++, 0, 1, 3);
    right->addWidget(Box(top, QStringLiteral("Cuoio"), {cuoio},
                         QStringLiteral("color: white; font-weight: bold; background: #0000FF; "
                                        "padding: 0 4px;")),
                     row++, 0, 1, 3);
    right->addWidget(Box(top, QStringLiteral("Camp."), {camp}, kBold), row++, 0, 1, 3);

    FrameDett = new TFrameZelmModelDett(top);
    auto* blocks = new QHBoxLayout;
    blocks->addLayout(left, 1);
    blocks->addSpacing(8);
    blocks->addLayout(right, 1);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(2, 2, 2, 2);
    topLayout->addLayout(idLine);
    topLayout->addLayout(blocks);
    FrameDett->setMinimumHeight(130);
    topLayout->addWidget(FrameDett, 1);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("PanelClient"));
    FrameOpz = new TFrameZelmModelOpz(client);
    FramePrefComp = new TFrameZelmModelPrefComp(client);
    FrameSto = new TFrameZelmModelSto(client);
    auto* clientLayout = new QHBoxLayout(client);
    clientLayout->setContentsMargins(2, 0, 2, 2);
    clientLayout->setSpacing(6);
    clientLayout->addWidget(FrameOpz, 3);
    clientLayout->addWidget(FramePrefComp, 2);
    clientLayout->addWidget(FrameSto, 5);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    client->setMinimumHeight(150);
    layout->addWidget(top, 3);
    layout->addWidget(client, 2);

    // Tab order: the left block, the status, the right block, the dates, the memos, the details.
    std::vector<QWidget*> order;
    for (const TBinding& b : fBindings) {
        order.push_back(b.control);
        if (b.field == QLatin1String("INDUSTRIALIZZATORE"))
            order.push_back(DBEditStatusScheda);
    }
    // Then each panel: its commands, then its list.
    for (TFrameZelmModelControl* panel : std::initializer_list<TFrameZelmModelControl*>{
             FrameDett, FrameOpz, FramePrefComp, FrameSto}) {
        for (QToolButton* b :
             panel->PanelTop->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
            order.push_back(b);
        if (QWidget* body = panel->FocusWidget())
            order.push_back(body);
    }
    for (size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    fTabOrder = order;

    const std::pair<QPushButton*, TZelmModelCommand> commands[] = {
        {ActionModifica, cmdModifica},   {ActionSalva, cmdSalva},
        {ActionAnnulla, cmdAnnulla},     {ActionRilasciaC, cmdRilasciaC},
        {ActionRilasciaP, cmdRilasciaP}, {ActionExportXls, cmdExportXls},
        {ActionChiudi, cmdChiudi}};
    for (const auto& [button, command] : commands)
        connect(button, &QPushButton::clicked, this, Guarded([this, c = command] { Command(c); }));
    for (const TDatePick& pick : DatePicks)
        connect(pick.button, &QToolButton::clicked, this,
                Guarded([this, f = pick.field, t = pick.title] { PickData(f, t); }));
    connect(ActionRicercaCliente, &QToolButton::clicked, this,
            Guarded([this] { RicercaCliente(); }));
    connect(ActionWriteFile, &QToolButton::clicked, this, Guarded([this] { WriteFile(); }));
    connect(ActionOrvoPhoto, &QPushButton::clicked, this, Guarded([this] { OrvoPhoto(); }));
    connect(ActionStorico, &QPushButton::clicked, this, Guarded([this] { MostraStorico(); }));

    // The keyboard, as business forms have it: Ctrl+S saves, Esc cancels (each only where its
    // button is enabled), F4 or Alt+Down on an edit opens its pick ("...").
    auto shortcut = [this](const QKeySequence& keys, QWidget* on, Qt::ShortcutContext context,
                           QAbstractButton* button) {
        auto* s = new QShortcut(keys, on, nullptr, nullptr, context);
        connect(s, &QShortcut::activated, this, [button] {
            if (button->isEnabled() && button->isVisible())
                button->click();
        });
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this, Qt::WidgetWithChildrenShortcut, ActionSalva);
    shortcut(QKeySequence(Qt::Key_Escape), this, Qt::WidgetWithChildrenShortcut, ActionAnnulla);
    ActionSalva->setToolTip(ActionSalva->toolTip() + QStringLiteral(" (Ctrl+S)"));
    ActionAnnulla->setToolTip(ActionAnnulla->toolTip() + QStringLiteral(" (Esc)"));
    std::vector<std::pair<QString, QAbstractButton*>> picks{
        {QStringLiteral("SIGLACLIENTE"), ActionRicercaCliente}};
    for (const TDatePick& pick : DatePicks)
        picks.emplace_back(pick.field, pick.button);
    for (const auto& [field, button] : picks)
        for (const TBinding& b : fBindings)
            if (b.field == field)
                PickDaTastiera(b.control, button);
    SetReadOnly(true);
}

void TFrameZelmModelScheda::FocusPrimoCampo() {
    for (QWidget* w : fTabOrder) {
        const auto* edit = qobject_cast<QLineEdit*>(w);
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(this) &&
            !(edit && edit->isReadOnly())) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void TFrameZelmModelScheda::SetSession(TSession* session) {
    TFrameZelmModelMaster::SetSession(session);
    CreateDataSetLike(*ClientDataSet, session->IBDatabase(), QStringLiteral("ZELMMODEL"));
    delete fFieldsCache;
    fFieldsCache = new TFieldControlZelmModel(ClientDataSet, this);
    // The edits take no more than their columns hold.
    for (const TBinding& b : fBindings)
        if (auto* e = qobject_cast<QLineEdit*>(b.control); e && !b.date) {
            const int index = ClientDataSet->FieldIndex(b.field);
            if (index >= 0 && ClientDataSet->FieldDef(index).size > 0)
                e->setMaxLength(ClientDataSet->FieldDef(index).size);
        }
    for (TFrameZelmModelControl* panel : std::initializer_list<TFrameZelmModelControl*>{
             FrameDett, FrameOpz, FramePrefComp, FrameSto}) {
        panel->SetFieldsCache(fFieldsCache);
        panel->SetSession(session);
    }
    if (session->DirittoAccesso() == daSolaLettura)
        LabelFile->setCursor(Qt::ArrowCursor);
    SetReadOnly(ReadOnly());
}

void TFrameZelmModelScheda::SetService(TZelmModelService* service) {
    TFrameZelmModelMaster::SetService(service);
    for (TFrameZelmModelCustom* panel : std::initializer_list<TFrameZelmModelCustom*>{
             FrameDett, FrameOpz, FramePrefComp, FrameSto})
        panel->SetService(service);
}

void TFrameZelmModelScheda::SetReadOnly(bool readOnly) {
    if (readOnly && ClientDataSet->Active())
        PostEdits();
    TFrameZelmModelMaster::SetReadOnly(readOnly);
    const bool solaLettura = Session() && Session()->DirittoAccesso() == daSolaLettura;
    ActionModifica->setEnabled(readOnly && !solaLettura);
    for (QWidget* w :
         {static_cast<QWidget*>(ActionSalva), static_cast<QWidget*>(ActionAnnulla),
          static_cast<QWidget*>(ActionWriteFile), static_cast<QWidget*>(ActionRicercaCliente)})
        w->setEnabled(!readOnly);
    for (const TDatePick& pick : DatePicks)
        pick.button->setEnabled(!readOnly);
    ActionExportXls->setEnabled(readOnly);
    ActionChiudi->setEnabled(readOnly);
    for (const TBinding& b : fBindings)
        SetControlReadOnly(b.control, readOnly);
    SetControlReadOnly(DBEditStatusScheda);
    for (TFrameZelmModelCustom* panel : std::initializer_list<TFrameZelmModelCustom*>{
             FrameDett, FrameOpz, FramePrefComp, FrameSto})
        panel->SetReadOnly(readOnly);
    RefreshStatus();
    RefreshFile();
}

void TFrameZelmModelScheda::SetContext(const TZelmModelContext& from) {
    ClientDataSet->EmptyDataSet();
    if (from.Model())
        AppendRecordFrom(*ClientDataSet, *from.Model());
    LoadControls();
    RefreshStatus();
    RefreshQrCode();
    RefreshFile();
    std::unique_ptr<TZelmModelDettContext> dett = Service()->BuildDettContext(from);
    FrameDett->SetContext(dett ? *dett : TZelmModelDettContext());
    std::unique_ptr<TZelmModelOpzContext> opz = Service()->BuildOpzContext(from);
    FrameOpz->SetContext(opz ? *opz : TZelmModelOpzContext());
    std::unique_ptr<TZelmModelPrefCompContext> pref = Service()->BuildPrefCompContext(from);
    FramePrefComp->SetContext(pref ? *pref : TZelmModelPrefCompContext());
    FrameSto->SetData(from.Sto());
}

std::unique_ptr<TZelmModelContext> TFrameZelmModelScheda::GetContext() {
    PostEdits();
    auto context = std::make_unique<TZelmModelContext>();
    if (!ClientDataSet->IsEmpty())
        context->SetModel(TZelmModelData::FromRow(TDataSetRow(*ClientDataSet)));
    context->SetDett(FrameDett->GetData());
    context->SetOpz(FrameOpz->GetData());
    context->SetPrefComp(FramePrefComp->GetData());
    context->SetSto(FrameSto->GetData());
    return context;
}

void TFrameZelmModelScheda::LoadControls() {
    for (const TBinding& b : fBindings) {
        const QVariant v = ClientDataSet->IsEmpty() ? QVariant() : ClientDataSet->Value(b.field);
        QString text;
        if (b.date)
            text = TestoDataBreve(fFieldsCache->Date(b.field.toLatin1().constData()));
        else if (!v.isNull())
            text = v.toString();
        if (auto* e = qobject_cast<QLineEdit*>(b.control))
            e->setText(text);
        else if (auto* m = qobject_cast<QPlainTextEdit*>(b.control))
            m->setPlainText(text);
    }
    auto number = [&](const char* field) {
        const QVariant v = fFieldsCache->FieldValue(QLatin1String(field));
        return v.isNull() ? QString() : v.toString();
    };
    LabelId->setText(number("ID"));
    LabelIdModel->setText(number("IDMODEL"));
    LabelIdVariante->setText(number("IDVARIANTE"));
    LabelDataVariante->setText(TestoDataBreve(fFieldsCache->Date("DATAVARIANTE")));
    LabelCodiceCliente->setText(fFieldsCache->CodiceCliente());
    DBEditStatusScheda->setText(fFieldsCache->StatusScheda());
}

void TFrameZelmModelScheda::PostEdits() {
    if (!ClientDataSet->Active() || ClientDataSet->IsEmpty())
        return;
    // Every control is read first: a date that is not one leaves the row as it was.
    std::vector<std::pair<QString, QVariant>> values;
    for (const TBinding& b : fBindings) {
        QString text;
        if (auto* e = qobject_cast<QLineEdit*>(b.control)) {
            text = e->text();
        } else if (auto* m = qobject_cast<QPlainTextEdit*>(b.control)) {
            // Notes keep the host's CR LF line ends; an untouched note is left as stored.
            text = m->toPlainText();
            const QString stored = ClientDataSet->Value(b.field).toString();
            if (QString(stored).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) == text)
                text = stored;
            else
                text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        }
        if (b.date) {
            QDate d;
            try {
                d = DataBreveValida(text);
            } catch (const EZavoError&) {
                b.control->setFocus();
                throw;
            }
            values.emplace_back(b.field, d.isValid() ? QVariant(d) : QVariant());
        } else {
            values.emplace_back(b.field, text.isEmpty() ? QVariant() : QVariant(text));
        }
    }
    bool changed = false;
    for (const auto& [field, v] : values) {
        const QVariant old = ClientDataSet->Value(field);
        const bool same = old.isNull() ? v.isNull()
                                       : !v.isNull() && (old.typeId() == QMetaType::QDateTime
                                                             ? old.toDateTime().date() == v.toDate()
                                                             : old == v);
        if (same)
            continue;
        if (ClientDataSet->State() == TMemDataSet::dsBrowse)
            ClientDataSet->Edit();
        ClientDataSet->SetValue(field, v);
        changed = true;
    }
    if (changed || ClientDataSet->State() != TMemDataSet::dsBrowse)
        ClientDataSet->Post();
}

void TFrameZelmModelScheda::RefreshStatus() {
    const QString status = fFieldsCache ? fFieldsCache->StatusScheda() : QString();
    const TStatusScheda s = TZelmModelData::CastStatusScheda(status);
    QColor colour = Qt::yellow;
    if (s == sRilasciataC || s == sRilasciataP)
        colour = QColor(0, 0xFF, 0);
    else if (s == sSospesa)
        colour = Qt::red;
    QPalette p = DBEditStatusScheda->palette();
    p.setColor(QPalette::Base, colour);
    DBEditStatusScheda->setPalette(p);
    ActionRilasciaC->setEnabled(!ReadOnly() && s == sInPreparazione);
    ActionRilasciaP->setEnabled(!ReadOnly() && s == sRilasciataC);
}

void TFrameZelmModelScheda::RefreshQrCode() {
    const QString text = fFieldsCache ? fFieldsCache->QrCode() : QString();
    if (text.isEmpty()) {
        ImageQrCode->clear();
        return;
    }
    // One pixel per module, enlarged by the largest whole factor that fits: every module the
    // same size and sharp (a scanner reads it off the screen), and no large picture to shrink.
    const QImage bitmap = GetQrCodeBitmap(text, 1);
    const int side = std::min(ImageQrCode->width(), ImageQrCode->height());
    const int factor = std::max(1, side / std::max(1, bitmap.width()));
    ImageQrCode->setPixmap(QPixmap::fromImage(
        bitmap.scaled(bitmap.size() * factor, Qt::KeepAspectRatio, Qt::FastTransformation)));
}

void TFrameZelmModelScheda::RefreshFile() {
    const QString nome = fFieldsCache ? fFieldsCache->NomeFile() : QString();
    LabelFile->setText(nome.isEmpty() ? QStringLiteral("Nessun riferimento file") : nome);
    LabelFile->setToolTip(fFieldsCache ? fFieldsCache->GetFileName() : QString());
}

void TFrameZelmModelScheda::PickData(const QString& field, const QString& title) {
    PostEdits();
    const QByteArray name = field.toLatin1();
    QDate date = fFieldsCache->Date(name.constData());
    if (!InputDialogDate(title, date))
        return;
    fFieldsCache->SetDate(name.constData(), date);
    ClientDataSet->Post();
    LoadControls();
}

void TFrameZelmModelScheda::RicercaCliente() {
    PostEdits();
    QString codice = fFieldsCache->CodiceCliente();
    if (!Session()->Ricerche()->FindCliente(codice))
        return;
    TClientiData cliente;
    const bool found = Service()->LoadCliente(codice, cliente);
    fFieldsCache->SetCodiceCliente(codice);
    fFieldsCache->SetSiglaCliente(found ? cliente.DescrizioneSintetica() : QString());
    ClientDataSet->Post();
    LoadControls();
}

void TFrameZelmModelScheda::WriteFile() {
    PostEdits();
    TFormZelmModelFileWrite dialog(this);
    dialog.SetNomeFile(fFieldsCache->NomeFile());
    dialog.SetPercorsoFile(fFieldsCache->PercorsoFile());
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    fFieldsCache->SetNomeFile(dialog.NomeFile());
    fFieldsCache->SetPercorsoFile(dialog.PercorsoFile());
    ClientDataSet->Post();
    RefreshFile();
}

QString TFrameZelmModelScheda::MotivoApertura(const QString& path) {
    const QFileInfo file(path);
    if (!file.dir().exists())
        return QStringLiteral("Percorso non trovato.");
    if (!file.exists())
        return QStringLiteral("File non trovato.");
    if (!file.isReadable())
        return QStringLiteral("Accesso negato.");
    return QString();
}

void TFrameZelmModelScheda::ClickFile() {
    if (!Session() || Session()->DirittoAccesso() == daSolaLettura || !fFieldsCache)
        return;
    const QString path = fFieldsCache->GetFileName();
    if (path.isEmpty()) {
        if (!ReadOnly())
            WriteFile();
        return;
    }
    // A folder kept in Windows form is looked for with this system's separators.
    const QString local = QDir::fromNativeSeparators(QString(path).replace('\\', '/'));
    if (const QString motivo = MotivoApertura(local); !motivo.isEmpty()) {
        Dialogs().Warning(motivo);
        return;
    }
    if (!ApriFile(local))
        Dialogs().Warning(QStringLiteral("Nessuna applicazione associata a questo tipo di file."));
}

void TFrameZelmModelScheda::MostraStorico() {
    if (!fFieldsCache || !Service())
        return;
    try {
        Service()->RichiediStorico();
    } catch (...) {
        ShowCurrentError(false);
        return;
    }
    TFormStoricoScheda storico(Session(), fFieldsCache->Id(), fFieldsCache->IdModel(),
                               fFieldsCache->IdVariante(), window());
    ExecModal(storico);
}

void TFrameZelmModelScheda::OrvoPhoto() {
    TLumetraViewer viewer;
    // Without the companion program, our own viewer shows the pictures.
    TVisoreFotoQt visore(window(), Session());
    viewer.VisoreIncorporato = &visore;
    try {
        const QString qr = fFieldsCache ? fFieldsCache->QrCode() : QString();
        if (qr.isEmpty())
            throw EZavoError(QStringLiteral("QRCode non valorizzato"));
        viewer.Session = Session();
        viewer.CodiceItem = qr;
        viewer.Prepare();
    } catch (...) {
        ShowCurrentError(false, QStringLiteral("Operazione non consentita\r\n"));
        return;
    }
    try {
        viewer.Show();
    } catch (...) {
        ShowCurrentError(false, QStringLiteral("Operazione fallita\r\n"));
    }
}

bool TFrameZelmModelScheda::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LabelFile && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        RunGuarded([this] { ClickFile(); });
        return true;
    }
    return TFrameZelmModelMaster::eventFilter(watched, event);
}
