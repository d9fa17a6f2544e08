#include "ZavoRicercheForm.h"

#include <future>
#include <mutex>

#include "framework/core/DataBreve.h"

#include "TabXForm.h"
#include "ZavoRicerca.h"
#include "ZavoRicercaSql.h"

#include "framework/core/Dialogs.h"
#include "framework/core/SlotGuard.h"
#include "framework/core/WinPath.h"
#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoGrid.h"
#include "framework/grid/ZavoQuery.h"
#include "framework/ui/PlacementStore.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
std::function<void(TZavoRicercheForm&)>& OnAperta() {
    static std::function<void(TZavoRicercheForm&)> hook;
    return hook;
}
QString Child(const QDomElement& e, const char* name) {
    return e.firstChildElement(QString::fromLatin1(name)).text();
}
} // namespace

void SetOnRicercaAperta(std::function<void(TZavoRicercheForm&)> hook) {
    OnAperta() = std::move(hook);
}

TZavoRicercheForm::TZavoRicercheForm(TDataModuleDittaF* module, QWidget* parent)
    : QDialog(parent), fModule(module), fContext(module->PTabX()),
      fDefinition(std::make_unique<TZavoRicerca>()) {
    setObjectName(QStringLiteral("ZavoRicercheForm"));
    setWindowTitle(QStringLiteral("Ricerca - Utente: %1 - Ditta: %2")
                       .arg(fContext->NomeUtenteCorrente, fContext->NomeProgetto));
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(13);
    setFont(f);
    fFilters = new QWidget(this);
    ImagePreview = new QLabel(this);
    ImagePreview->setObjectName(QStringLiteral("ImagePreview"));
    ImagePreview->setFixedSize(200, 140);
    ImagePreview->setAlignment(Qt::AlignCenter);
    auto makeButton = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        // No default button: Enter in a filter box applies the filters once, through the box.
        b->setAutoDefault(false);
        return b;
    };
    ButtonAttivaSel = makeButton("ButtonAttivaSel", QStringLiteral("&Attiva selezione"));
    ButtonAnnSel = makeButton("ButtonAnnSel", QStringLiteral("A&nnulla selezione"));
    ButtonRitorna = makeButton("ButtonRitorna", QStringLiteral("&Ritorna"));
    ButtonChiudi = makeButton("ButtonChiudi", QStringLiteral("&Chiudi"));
    ButtonRefresh = makeButton("ButtonRefresh", QStringLiteral("±"));
    ButtonRefresh->setFixedWidth(28);
    GridMain = new TFrameZavoGrid(this);
    GridMain->setObjectName(QStringLiteral("GridMain"));

    auto* top = new QHBoxLayout;
    top->addWidget(fFilters, 1);
    top->addWidget(ImagePreview, 0, Qt::AlignTop | Qt::AlignRight);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {ButtonAttivaSel, ButtonAnnSel, ButtonRitorna, ButtonChiudi})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(ButtonRefresh);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->addWidget(GridMain, 1);
    resize(872, 422);

    connect(ButtonAttivaSel, &QPushButton::clicked, this, Guarded([this] { AttivaSelezione(); }));
    connect(ButtonAnnSel, &QPushButton::clicked, this, Guarded([this] { AnnullaSelezione(); }));
    connect(ButtonRitorna, &QPushButton::clicked, this, Guarded([this] { Ritorna(); }));
    connect(ButtonChiudi, &QPushButton::clicked, this, Guarded([this] { Chiudi(); }));
    connect(ButtonRefresh, &QPushButton::clicked, this, Guarded([this] {
                GridMain->Close();
                GridMain->Open(); // the list's own transaction starts afresh
            }));
}

TZavoRicercheForm::~TZavoRicercheForm() {
    // The list goes before the context's connections.
    delete GridMain;
    GridMain = nullptr;
}

TIBDatabase& TZavoRicercheForm::SearchDatabase(const QDomElement& element) const {
    return fContext->IBDatabase(Child(element, "IBDatabase").trimmed() == "2" ? 2 : 1);
}

void TZavoRicercheForm::InizializzazioneZavo(const QString& xml) {
    if (!fXml.setContent(xml))
        throw EZavoError(QStringLiteral("Definizione di ricerca non valida"));
    fRoot = fXml.documentElement();
    fDefinition->SetNode(fRoot);
    TIBDatabase& db = SearchDatabase(fRoot);
    // The names the definition gives are checked against the catalogue before any statement is
    // built from them.
    if (fColonneLette && fColonneLette->first == fDefinition->NomeTabella) {
        fColumns = std::move(fColonneLette->second); // read just now, with the connection
    } else {
        TIBTransaction tr(&db);
        tr.StartTransaction();
        fColumns = LeggiColonne(db, tr, fDefinition->NomeTabella); // read once per dialog
    }
    fColonneLette.reset();
    GridMain->SetDatabase(&db, fContext->UtenteCorrente, fContext->GetV(QStringLiteral("BinDir")),
                          fContext->NomeProgetto);
    GridMain->ZavoGrid()->CheckTabZavoGrid();
    GridMain->ZavoGrid()->CodiceProgetto = fDefinition->CodiceProgetto;
    GridMain->SetSituazione(fDefinition->SituazioneZavoGrid);
    GridMain->SetTableName(fDefinition->NomeTabella);
    BuildRows();
    // The picture only where the definition has one; the list keeps room for a dozen rows
    // however many filter rows there are.
    ImagePreview->setVisible(!fDefinition->CampoFoto.isEmpty());
    resize(width(), std::max(height(), fFilters->sizeHint().height() + 300));
    connect(GridMain->ZavoGrid()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            Guarded([this] { RowChanged(); }));
    connect(GridMain->ZavoGrid(), &QAbstractItemView::doubleClicked, this,
            Guarded([this] { Ritorna(); }));
    // The list's titles are the definition's labels; widths fitted to the first screen.
    std::map<QString, TZavoGrid::TProgettoColonna> design;
    for (const TRiga& row : fRows)
        design[row.nome.toUpper()] = {row.etichetta, 0};
    for (const TColonnaRicerca& c : fColumns)
        design.try_emplace(c.nome.toUpper(), TZavoGrid::TProgettoColonna{});
    GridMain->ZavoGrid()->ProgettoColonne = design;
    GridMain->SQL = QStringList{BuildQuery()};
    GridMain->Open();
    Posiziona();
    RowChanged();
}

void TZavoRicercheForm::BuildRows() {
    auto* grid = new QGridLayout(fFilters);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    int line = 0;
    QWidget* focus = nullptr;
    const QDomElement fields = fRoot.firstChildElement(QStringLiteral("CampiRic"));
    for (QDomElement c = fields.firstChildElement(QStringLiteral("CampoRic")); !c.isNull();
         c = c.nextSiblingElement(QStringLiteral("CampoRic"))) {
        TRiga row;
        row.nome = Child(c, "Nome");
        row.decodifica = c.firstChildElement(QStringLiteral("Decodifica"));
        row.secondoLivello = c.firstChildElement(QStringLiteral("RicercaSecLiv"));
        row.etichetta = Child(c, "Etichetta");
        const QString label = row.etichetta.isEmpty() ? row.nome : row.etichetta;
        auto* button = new QPushButton(label, fFilters);
        button->setObjectName(QStringLiteral("B") + row.nome);
        button->setFocusPolicy(Qt::NoFocus);
        row.filtro = new QLineEdit(Child(c, "ValoreDefault"), fFilters);
        row.filtro->setObjectName(QStringLiteral("FB") + row.nome);
        row.corrente = new QLineEdit(fFilters);
        row.corrente->setObjectName(QStringLiteral("CB") + row.nome);
        row.corrente->setReadOnly(true);
        row.corrente->setFocusPolicy(Qt::NoFocus);
        AspettoSolaLettura(row.corrente);
        grid->addWidget(button, line, 0);
        grid->addWidget(row.filtro, line, 1);
        grid->addWidget(row.corrente, line, 3);
        QLineEdit* filtro = row.filtro;
        connect(button, &QPushButton::clicked, filtro, [filtro] { filtro->setFocus(); });
        connect(filtro, &QLineEdit::returnPressed, this, Guarded([this] { AttivaSelezione(); }));
        const size_t index = fRows.size();
        // A field may be both a nested lookup and the file field: it gets both buttons.
        auto* picks = new QHBoxLayout;
        picks->setSpacing(2);
        if (!row.secondoLivello.isNull()) {
            auto* more = new QPushButton(QStringLiteral("..."), fFilters);
            more->setObjectName(QStringLiteral("BRIC") + row.nome);
            more->setFixedWidth(25);
            more->setAutoDefault(false);
            more->setToolTip(QStringLiteral("Ricerca"));
            picks->addWidget(more);
            connect(more, &QPushButton::clicked, this,
                    Guarded([this, index] { SecondoLivello(fRows[index]); }));
        }
        if (row.nome == fDefinition->CampoFile && !row.nome.isEmpty()) {
            auto* file = new QPushButton(QStringLiteral("..."), fFilters);
            file->setObjectName(QStringLiteral("BC") + row.nome);
            file->setFixedWidth(25);
            file->setAutoDefault(false);
            file->setToolTip(QStringLiteral("Scegli file"));
            picks->addWidget(file);
            connect(file, &QPushButton::clicked, this,
                    Guarded([this, index] { ScegliFile(fRows[index]); }));
        }
        grid->addLayout(picks, line, 2);
        if (row.nome == fDefinition->FocusIniziale)
            focus = row.filtro;
        ++line;
        if (!row.decodifica.isNull()) {
            auto* caption = new QLabel(Child(row.decodifica, "Etichetta"), fFilters);
            caption->setObjectName(QStringLiteral("C") + row.nome);
            caption->setAlignment(Qt::AlignCenter);
            row.descrFiltro = new QLineEdit(fFilters);
            row.descrFiltro->setObjectName(QStringLiteral("IFFB") + row.nome);
            row.descrFiltro->setReadOnly(true);
            AspettoSolaLettura(row.descrFiltro);
            row.descrCorrente = new QLineEdit(fFilters);
            row.descrCorrente->setObjectName(QStringLiteral("IRCB") + row.nome);
            row.descrCorrente->setReadOnly(true);
            AspettoSolaLettura(row.descrCorrente);
            grid->addWidget(caption, line, 0);
            grid->addWidget(row.descrFiltro, line, 1);
            grid->addWidget(row.descrCorrente, line, 3);
            connect(filtro, &QLineEdit::textChanged, this,
                    Guarded([this, index](const QString& text) {
                        fRows[index].descrFiltro->setText(
                            text.isEmpty() ? QString() : Descrizione(fRows[index], text));
                    }));
            ++line;
        }
        fRows.push_back(row);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    if (focus)
        QTimer::singleShot(0, focus, [focus] { focus->setFocus(); });
}

QString TZavoRicercheForm::BuildQuery() {
    std::vector<std::pair<QString, QString>> filters;
    for (const TRiga& row : fRows)
        filters.emplace_back(row.nome, row.filtro->text());
    return QueryRicerca(fDefinition->NomeTabella, fColumns, filters, fDefinition->Filtro());
}

QString TZavoRicercheForm::Descrizione(const TRiga& row, const QString& value) const {
    TIBDatabase& db = SearchDatabase(row.decodifica);
    TIBTransaction tr(&db);
    tr.StartTransaction();
    if (row.decSql.isEmpty()) {
        // The names come from the definition and are checked against the catalogue once per
        // field; the value is bound, so a quote in it is just a character.
        const QString table = Child(row.decodifica, "TabellaCol");
        const QString key = Child(row.decodifica, "CampoCol");
        const QString description = Child(row.decodifica, "CampoDec");
        const std::vector<TColonnaRicerca> columns = LeggiColonne(db, tr, table);
        auto known = [&](const QString& name) {
            return std::any_of(columns.begin(), columns.end(),
                               [&](const TColonnaRicerca& c) { return c.nome == name; });
        };
        if (!known(key) || !known(description))
            throw EZavoError(
                QStringLiteral("Campo \"%1\" non presente nella tabella %2").arg(key, table));
        row.decSql =
            QStringLiteral("SELECT %1 FROM %2 WHERE %3=:VALORE").arg(description, table, key);
    }
    TIBSQL sql(&db, &tr);
    sql.SetSQL(row.decSql);
    sql.ParamByName("VALORE").SetString(value);
    sql.ExecQuery();
    return sql.Eof() ? QString() : sql.Fields(0).AsString();
}

void TZavoRicercheForm::RowChanged() {
    TZavoQuery* q = GridMain->Query();
    const bool row = GridMain->RowSelected() && q->RecNo() >= 0;
    for (TRiga& r : fRows) {
        const int field = q->FieldIndex(r.nome);
        const QString value =
            row && field >= 0 ? TestoValore(q->Value(q->RecNo(), field)) : QString();
        r.corrente->setText(value);
        if (r.descrCorrente)
            r.descrCorrente->setText(value.isEmpty() ? QString() : Descrizione(r, value));
    }
    ImagePreview->clear();
    const int foto = fDefinition->CampoFoto.isEmpty() ? -1 : q->FieldIndex(fDefinition->CampoFoto);
    if (row && foto >= 0) {
        const QString path = q->Value(q->RecNo(), foto).toString();
        if (!path.isEmpty() && QFileInfo::exists(path))
            ImagePreview->setPixmap(QPixmap(path).scaled(ImagePreview->size(), Qt::KeepAspectRatio,
                                                         Qt::SmoothTransformation));
    }
}

void TZavoRicercheForm::Posiziona() {
    const TZavoCampoPosList* pos = fDefinition->PosizionaCampo.get();
    if (!pos || pos->Count() == 0)
        return;
    TZavoQuery* q = GridMain->Query();
    std::vector<int> fields;
    QStringList values;
    for (int i = 0; i < pos->Count(); ++i) {
        fields.push_back(q->FieldIndex(pos->Get(i).Nome()));
        values << pos->Get(i).Valore();
    }
    // Case-insensitive prefixes, fetching on as needed; no match keeps the first row.
    for (int r = 0;; ++r) {
        while (r >= q->RecordCount() && q->canFetchMore())
            q->fetchMore();
        if (r >= q->RecordCount())
            return;
        bool match = true;
        for (size_t k = 0; k < fields.size() && match; ++k)
            match =
                fields[k] >= 0 && q->Value(r, fields[k])
                                      .toString()
                                      .startsWith(values[static_cast<int>(k)], Qt::CaseInsensitive);
        if (match) {
            GridMain->RefreshGrid(TBookmark{r});
            return;
        }
    }
}

void TZavoRicercheForm::AttivaSelezione() {
    GridMain->SQL = QStringList{BuildQuery()};
    GridMain->RefreshGrid();
    RowChanged();
}

void TZavoRicercheForm::AnnullaSelezione() {
    for (TRiga& r : fRows)
        r.filtro->clear();
    AttivaSelezione();
}

void TZavoRicercheForm::Ritorna() {
    TZavoQuery* q = GridMain->Query();
    if (!GridMain->RowSelected() || q->RecNo() < 0) {
        // Nothing to return: the dialog closes returning nothing.
        Chiudi();
        return;
    }
    QStringList columns = fDefinition->CampiRitorno;
    if (columns.isEmpty()) {
        TIBDatabase& db = SearchDatabase(fRoot);
        TIBTransaction tr(&db);
        tr.StartTransaction();
        columns = ColonneChiave(db, tr, fDefinition->NomeTabella);
    }
    QStringList values;
    for (const QString& c : columns) {
        const int field = q->FieldIndex(c);
        values << (field >= 0 ? TestoValore(q->Value(q->RecNo(), field)) : QString());
    }
    ParamRitorno = TestoRitorno(values);
    SaveOnClose();
    accept();
}

void TZavoRicercheForm::Chiudi() {
    ParamRitorno.clear();
    SaveOnClose();
    reject();
}

void TZavoRicercheForm::SecondoLivello(TRiga& row) {
    QDomDocument nested;
    nested.appendChild(nested.importNode(row.secondoLivello, true));
    if (row.secondoLivello.isNull() || !row.secondoLivello.hasChildNodes()) {
        Dialogs().Error(QStringLiteral("Errore interno. Impossibile avviare la ricerca di secondo "
                                       "livello."));
        return;
    }
    const QString result =
        MostraRicercaXml(fContext->UtenteCorrente, static_cast<int>(winId()), nested.toString(-1));
    row.filtro->setText(result); // cancelled: the box is emptied
    AttivaSelezione();
}

void TZavoRicercheForm::ScegliFile(TRiga& row) {
    const QString file =
        Dialogs().ChooseOpenFile(QStringLiteral("Apri"), QString(), QStringLiteral("*.*"));
    if (file.isEmpty())
        return;
    row.filtro->setText(file);
    AttivaSelezione();
}

void TZavoRicercheForm::SaveOnClose() {
    if (fClosed)
        return;
    fClosed = true;
    GridMain->Close(); // saves the user's layout
    ScriviPosizioneForm(this, fContext->UtenteCorrente, fDefinition->SituazioneForm,
                        fContext->IBDatabase(1), fDefinition->CodiceProgettoForm);
}

void TZavoRicercheForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RunGuarded([this] {
        LeggiPosizioneForm(this, fContext->UtenteCorrente, fDefinition->SituazioneForm,
                           fContext->IBDatabase(1), fDefinition->CodiceProgettoForm);
    });
}

void TZavoRicercheForm::reject() {
    // Esc ends here without a close event: the placement is kept all the same.
    ParamRitorno.clear();
    RunGuarded([this] { SaveOnClose(); });
    QDialog::reject();
}

void TZavoRicercheForm::closeEvent(QCloseEvent* event) {
    ParamRitorno.clear();
    RunGuarded([this] { SaveOnClose(); });
    QDialog::closeEvent(event);
}

QString TestoValore(const QVariant& value) {
    // Dates as the user reads and types them, not in the engine's ISO form.
    if (value.typeId() == QMetaType::QDate)
        return TestoDataBreve(value.toDate());
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime t = value.toDateTime();
        return t.time() == QTime(0, 0) ? TestoDataBreve(t.date())
                                       : t.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    }
    return value.toString();
}

void AspettoSolaLettura(QLineEdit* edit) {
    // The look of a box that only shows: the window's colour, not the editable white.
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    edit->setPalette(p);
}

// --- running a lookup ---------------------------------------------------------------------------

QString MostraRicercaXml(int utente, int idFinestra, const QString& xml) {
    QDomDocument doc;
    if (!doc.setContent(xml))
        throw EZavoError(QStringLiteral("Definizione di ricerca non valida"));
    const QDomElement root = doc.documentElement();
    const bool archivio = Child(root, "IBDatabase").trimmed() != "2";
    const QString nomeArchivio = Child(root, "ParametroArchivio").isEmpty()
                                     ? QStringLiteral("Archivio")
                                     : Child(root, "ParametroArchivio");
    // The archive this user's lookups opened last in this process is attached on a worker
    // thread while the user database is opened and read; it is taken only when the parameter
    // still names it, otherwise it is closed and the named one opened as always.
    static std::mutex ultimiLock;
    static QHash<QString, QString> ultimi;
    const QString chiave = HostProgramDir() + QLatin1Char('|') + QString::number(utente) +
                           QLatin1Char('|') + nomeArchivio;
    QString anticipato;
    {
        std::lock_guard<std::mutex> guard(ultimiLock);
        anticipato = archivio ? ultimi.value(chiave) : QString();
    }
    // The worker also reads the table's columns on it, which the dialog asks for first.
    struct TAnticipo {
        std::unique_ptr<TIBDatabase> db;
        std::optional<std::pair<QString, std::vector<TColonnaRicerca>>> colonne;
    };
    const QString tabella = Child(root, "NomeTabella");
    std::future<TAnticipo> anticipo;
    if (!anticipato.isEmpty())
        anticipo = std::async(std::launch::async, [anticipato, tabella] {
            TAnticipo a;
            try {
                a.db = ConnettiRiusando(anticipato);
            } catch (const EZavoError&) {
                return a; // opened again below, where its failure is told
            }
            try {
                TIBTransaction tr(a.db.get());
                tr.StartTransaction();
                a.colonne.emplace(tabella, LeggiColonne(*a.db, tr, tabella));
            } catch (const EZavoError&) {
                // read again by the dialog, where its failure is told
            }
            return a;
        });
    std::optional<std::pair<QString, std::vector<TColonnaRicerca>>> colonne;
    auto context = std::make_unique<TTabXForm>(nullptr, IniSuDataBase);
    context->SetUserPerNum(utente);
    context->Inserisci(QStringLiteral("SFT"), QStringLiteral("BinDir"), QString(),
                       context->CaricaParametro(QStringLiteral("Directory bin")), QString(),
                       QString(), QString(), QString(), QString::number(utente));
    if (archivio) {
        const QString& name = nomeArchivio;
        context->Inserisci(QStringLiteral("SFT"), name, QString(), context->CaricaParametro(name),
                           QString(), QString(), QString(), QString(), QString::number(utente));
        const QString path = context->GetV(name);
        if (anticipo.valid())
            if (TAnticipo a = anticipo.get(); a.db && path == anticipato) {
                context->AdottaDatabase(1, std::move(a.db));
                colonne = std::move(a.colonne);
            }
        if (!context->IBDatabase(1).Connected())
            context->ConnettiDatabase1(name);
        std::lock_guard<std::mutex> guard(ultimiLock);
        ultimi.insert(chiave, path);
    } else {
        const QString name = QStringLiteral("Directory listino");
        context->Inserisci(QStringLiteral("SFT"), name, QString(), context->CaricaParametro(name),
                           QString(), QString(), QString(), QString(), QString::number(utente));
        if (!context->GetV(name).isEmpty())
            context->ConnettiDatabase2(name);
    }
    auto module = std::make_unique<TDataModuleDittaF>(nullptr, context.get());
    TZavoRicercheForm form(module.get());
    form.fColonneLette = std::move(colonne);
    form.InizializzazioneZavo(xml);
    context->ScritturaHandleDiApertura(idFinestra, static_cast<qint64>(form.winId()));
    if (OnAperta())
        QTimer::singleShot(0, &form, [&form] { OnAperta()(form); });
    form.exec();
    return form.ParamRitorno;
}

bool EseguiRicercaXml(const QString& xml, int utente, QString& result) {
    result.clear();
    result = MostraRicercaXml(utente, 0, xml);
    return !result.isEmpty();
}

bool EseguiRicerca(const TZavoRicerca& ricerca, int utente, QString& result) {
    return EseguiRicercaXml(ricerca.GetStr(), utente, result);
}
