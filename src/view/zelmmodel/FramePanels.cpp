#include "FramePanels.h"

#include "FieldControlZelmModel.h"
#include "StoWriteForm.h"

#include "control/ZelmModelService.h"
#include "framework/core/Dialogs.h"
#include "framework/core/SlotGuard.h"
#include "framework/session/Session.h"
#include "framework/ui/DataModuleQuenvar.h"
#include "framework/ui/InputDialog.h"
#include "framework/ui/ModalDialog.h"
#include "model/MemDataSet.h"
#include "model/QuenvarHelpers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

namespace {
const QColor kOrange(0xFF, 0x80, 0x40);

/// A 21-pixel header button: the shared image when there is one, else a short text.
QToolButton* HeaderButton(TFrameZelmModelControl* panel, QHBoxLayout* layout, const char* name,
                          const QString& hint, int image, const QString& text) {
    auto* b = new QToolButton(panel->PanelTop);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setFixedSize(21, 21);
    b->setFocusPolicy(Qt::TabFocus); // reached by Tab after the card's fields, pressed by Space
    if (TDataModuleQuenvar* dm = DataModuleQuenvar(); dm && image >= 0)
        b->setIcon(dm->Icon(image));
    else
        b->setText(text);
    layout->addWidget(b);
    return b;
}

/// The rows of an in-memory table as records, in table order; none when it has no rows.
template <typename L> std::unique_ptr<L> RowsOf(TMemDataSet& table) {
    if (table.IsEmpty())
        return nullptr;
    auto list = std::make_unique<L>();
    const int keep = table.RecNo();
    for (int i = 0; i < table.RecordCount(); ++i) {
        table.SetRecNo(i);
        list->Add(L::Item::FromRow(TDataSetRow(table)));
    }
    table.SetRecNo(keep);
    return list;
}

void Prepare(TMemDataSet& table, TSession* session, const QString& name) {
    if (session)
        CreateDataSetLike(table, session->IBDatabase(), name);
}
} // namespace

// --- details ------------------------------------------------------------------------------------

TFrameZelmModelDett::TFrameZelmModelDett(QWidget* parent)
    : TFrameZelmModelControl(QStringLiteral("Taglia operativa"), QStringLiteral("TAGLIAOPERATIVA"),
                             parent) {
    setObjectName(QStringLiteral("FrameDett"));
    ActionTagliaOperativa = HeaderButton(this, HeaderLayout(), "ActionTagliaOperativa",
                                         QStringLiteral("Imposta taglia operativa"), 9, "...");
    ActionClear = HeaderButton(this, HeaderLayout(), "ActionClear",
                               QStringLiteral("Rimuovi taglia operativa"), 13, "X");
    HeaderLayout()->addStretch();
    ActionNuovo = HeaderButton(this, HeaderLayout(), "ActionNuovo",
                               QStringLiteral("Nuovo dettaglio"), 0, "+");
    ActionElimina = HeaderButton(this, HeaderLayout(), "ActionElimina",
                                 QStringLiteral("Elimina dettaglio"), 6, "-");
    DataSet = new TMemDataSet(this);
    DataSet->setObjectName(QStringLiteral("ClientDataSet")); // found by name like the widgets
    Grid = new TPanelGrid(DataSet, this);
    Grid->setObjectName(QStringLiteral("DBGrid"));
    Grid->Model()->setObjectName(QStringLiteral("DataSource"));
    SetBody(Grid);
    connect(ActionTagliaOperativa, &QToolButton::clicked, this,
            Guarded([this] { ImpostaTagliaOperativa(); }));
    connect(ActionClear, &QToolButton::clicked, this,
            Guarded([this] { RimuoviTagliaOperativa(); }));
    connect(ActionNuovo, &QToolButton::clicked, this, Guarded([this] { NuovoDettaglio(); }));
    connect(ActionElimina, &QToolButton::clicked, this, Guarded([this] { EliminaDettaglio(); }));
    SetReadOnly(true);
}

void TFrameZelmModelDett::SetSession(TSession* session) {
    TFrameZelmModelControl::SetSession(session);
    Prepare(*DataSet, session, QStringLiteral("ZELMMODELDETT"));
    SetColumns();
    Aggiorna();
}

void TFrameZelmModelDett::SetReadOnly(bool readOnly) {
    TFrameZelmModelControl::SetReadOnly(readOnly);
    Grid->SetReadOnly(readOnly);
    Aggiorna();
}

void TFrameZelmModelDett::SetColumns() {
    std::vector<TPanelColumn> columns(DataSet->FieldCount());
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        const QString name = DataSet->FieldDef(i).name;
        TPanelColumn& c = columns[i];
        if (name == QLatin1String("TIPODETT")) {
            c = Shown(QStringLiteral("Tipo dettaglio"), 130);
        } else if (name.size() > 1 && name.startsWith(QLatin1Char('D')) &&
                   name.mid(1).toInt() >= 1 && name.mid(1).toInt() <= 17) {
            // Column Di shows the i-th size of the operative size, titled by its description.
            const int size = name.mid(1).toInt();
            c.editable = true;
            c.width = 50;
            c.alignment = Qt::AlignCenter;
            c.highlighted = true;
            c.titleColor = kOrange;
            c.visible = size <= fTaglie.Count();
            c.title = c.visible ? fTaglie[size - 1]->Descrizione1() : QString();
        }
    }
    Grid->Model()->columns = std::move(columns);
    Grid->ApplyColumns();
}

void TFrameZelmModelDett::SetContext(const TZelmModelDettContext& from) {
    fTaglie.Clear();
    if (from.TaglieOperative())
        for (int i = 0; i < from.TaglieOperative()->Count(); ++i)
            fTaglie.Add(from.TaglieOperative()->Items(i)->Clone());
    SetColumns();
    ReplaceRecordsFrom(*DataSet, from.Dett());
    Grid->SyncCurrent();
    RefreshHeader();
    Aggiorna();
}

std::unique_ptr<TZelmModelDettDataList> TFrameZelmModelDett::GetData() {
    Grid->CommitEdit();
    return RowsOf<TZelmModelDettDataList>(*DataSet);
}

void TFrameZelmModelDett::Aggiorna() {
    const bool taglia = FieldsCache && !FieldsCache->TagliaOperativa().isEmpty();
    const bool editable = !ReadOnly();
    ActionTagliaOperativa->setEnabled(editable);
    ActionNuovo->setEnabled(taglia && editable);
    ActionElimina->setEnabled(taglia && editable);
    ActionClear->setEnabled(taglia && editable);
    if (!taglia)
        ShowInfo(QStringLiteral("Taglia operativa non impostata"));
    else if (IsDataSetEmpty(*DataSet))
        ShowInfo(QStringLiteral("Nessun dettaglio"));
    else
        ShowInfo(QString());
}

void TFrameZelmModelDett::ImpostaTagliaOperativa() {
    Grid->CommitEdit();
    if (!DataSet->IsEmpty()) {
        Dialogs().Warning(QStringLiteral(
            "Non è possibile cambiare taglia operativa se sono presenti dei dettagli"));
        return;
    }
    Service()->StartTransaction();
    QStringList codici;
    Service()->DataAccessManager().TaglieOperativeDataAccess().LoadDistinctCodice(codici);
    QString codice = FieldsCache->TagliaOperativa();
    if (!InputDialogListValue(QStringLiteral("Selezione taglia operativa"),
                              QStringLiteral("Codice"), codici, codice))
        return;
    FieldsCache->SetTagliaOperativa(codice);
    fTaglie.Clear();
    Service()->LoadTaglieOperative(codice, fTaglie);
    SetColumns();
    RefreshHeader();
    Aggiorna();
}

void TFrameZelmModelDett::RimuoviTagliaOperativa() {
    Grid->CommitEdit();
    const bool ok = DataSet->IsEmpty()
                        ? Dialogs().Question(QStringLiteral("Rimuovere la taglia operativa?"))
                        : Dialogs().WarningQuestion(
                              QStringLiteral("Rimuovere la taglia operativa e tutti i dettagli?"));
    if (!ok)
        return;
    FieldsCache->SetTagliaOperativa(QString());
    fTaglie.Clear();
    SetColumns();
    DataSet->EmptyDataSet();
    RefreshHeader();
    Aggiorna();
}

void TFrameZelmModelDett::NuovoDettaglio() {
    QString tipo;
    for (;;) {
        if (!Dialogs().InputText(QStringLiteral("Nuovo dettaglio"), QStringLiteral("Tipo"), tipo))
            return;
        QString refusal;
        if (tipo.isEmpty()) {
            refusal = QStringLiteral("Tipo dettaglio obbligatorio");
        } else {
            try {
                TZelmModelDettData::ValidateTipoDett(tipo);
                for (int i = 0; i < DataSet->RecordCount() && refusal.isEmpty(); ++i)
                    if (DataSet->Value(i, DataSet->FieldIndex(QStringLiteral("TIPODETT")))
                            .toString() == tipo)
                        refusal = QStringLiteral("Tipo dettaglio \"%1\" già usato").arg(tipo);
            } catch (const EZavoError& e) {
                refusal = e.Message();
            }
        }
        if (refusal.isEmpty())
            break;
        // The dialog opens again on what was typed.
        Dialogs().Warning(refusal);
    }
    Grid->CommitEdit();
    TZelmModelDettData row;
    row.SetIdModel(FieldsCache->IdModel());
    row.SetTipoDett(tipo);
    AppendRecordFrom(*DataSet, row);
    Grid->SyncCurrent();
    Aggiorna();
}

void TFrameZelmModelDett::EliminaDettaglio() {
    Grid->CommitEdit();
    if (DataSet->IsEmpty()) {
        Dialogs().Warning(QStringLiteral("Nessun dettaglio selezionato"));
        return;
    }
    if (!Dialogs().Question(QStringLiteral("Eliminare il dettaglio selezionato?")))
        return;
    DataSet->Delete();
    Grid->SyncCurrent();
    Aggiorna();
}

// --- options ------------------------------------------------------------------------------------

TFrameZelmModelOpz::TFrameZelmModelOpz(QWidget* parent)
    : TFrameZelmModelControl(QStringLiteral("Set opzioni lavoraz."),
                             QStringLiteral("SETOPZIONILAVORAZ"), parent) {
    setObjectName(QStringLiteral("FrameOpz"));
    ActionSetOpzioniLavoraz =
        HeaderButton(this, HeaderLayout(), "ActionSetOpzioniLavoraz",
                     QStringLiteral("Imposta set opzioni lavoraz."), 9, "...");
    ActionClear = HeaderButton(this, HeaderLayout(), "ActionClear",
                               QStringLiteral("Rimuovi set opzioni lavoraz."), 13, "X");
    HeaderLayout()->addStretch();
    DataSet = new TMemDataSet(this);
    DataSet->setObjectName(QStringLiteral("ClientDataSet")); // found by name like the widgets
    Grid = new TPanelGrid(DataSet, this);
    Grid->setObjectName(QStringLiteral("DBGrid"));
    Grid->Model()->setObjectName(QStringLiteral("DataSource"));
    SetBody(Grid);
    connect(ActionSetOpzioniLavoraz, &QToolButton::clicked, this,
            Guarded([this] { ImpostaSet(); }));
    connect(ActionClear, &QToolButton::clicked, this, Guarded([this] { RimuoviSet(); }));
    // A description typed makes the set unchangeable: the buttons follow at once.
    connect(DataSet, &QAbstractItemModel::dataChanged, this, [this] { Aggiorna(); });
    SetReadOnly(true);
}

void TFrameZelmModelOpz::SetSession(TSession* session) {
    TFrameZelmModelControl::SetSession(session);
    Prepare(*DataSet, session, QStringLiteral("ZELMMODELOPZ"));
    std::vector<TPanelColumn> columns(DataSet->FieldCount());
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        const QString name = DataSet->FieldDef(i).name;
        if (name == QLatin1String("ETICHETTA"))
            columns[i] = Shown(QStringLiteral("Etichetta"), 200);
        else if (name == QLatin1String("DESCRIZIONE"))
            columns[i] = Shown(QStringLiteral("Descrizione"), 400, true);
    }
    Grid->Model()->columns = std::move(columns);
    Grid->ApplyColumns();
    Aggiorna();
}

void TFrameZelmModelOpz::SetReadOnly(bool readOnly) {
    TFrameZelmModelControl::SetReadOnly(readOnly);
    Grid->SetReadOnly(readOnly);
    Aggiorna();
}

bool TFrameZelmModelOpz::Espresse() {
    Grid->CommitEdit();
    const int column = DataSet->FieldIndex(QStringLiteral("DESCRIZIONE"));
    for (int i = 0; column >= 0 && i < DataSet->RecordCount(); ++i)
        if (!DataSet->Value(i, column).toString().isEmpty())
            return true;
    return false;
}

void TFrameZelmModelOpz::ShowRows(const TZelmModelOpzDataList* rows) {
    ReplaceRecordsFrom(*DataSet, rows);
    Grid->SyncCurrent();
    Aggiorna();
}

void TFrameZelmModelOpz::BuildRows(const TZelmSetOpzioniLavorazDataList& set) {
    TZelmModelOpzDataList rows;
    for (int i = 0; i < set.Count(); ++i) {
        auto row = std::make_unique<TZelmModelOpzData>();
        row->SetIdModel(FieldsCache->IdModel());
        row->SetIdVarianteModel(FieldsCache->IdVariante());
        row->SetIdOpzione(FieldsCache->SetOpzioniLavoraz());
        row->SetEtichetta(set[i]->Etichetta());
        rows.Add(std::move(row));
    }
    ShowRows(&rows);
}

void TFrameZelmModelOpz::SetContext(const TZelmModelOpzContext& from) {
    if (from.Opz() && !from.Opz()->IsEmpty())
        ShowRows(from.Opz());
    else if (from.SetList())
        BuildRows(*from.SetList());
    else
        ShowRows(nullptr);
    RefreshHeader();
}

std::unique_ptr<TZelmModelOpzDataList> TFrameZelmModelOpz::GetData() {
    Grid->CommitEdit();
    return RowsOf<TZelmModelOpzDataList>(*DataSet);
}

void TFrameZelmModelOpz::Aggiorna() {
    const bool editable = !ReadOnly();
    ActionSetOpzioniLavoraz->setEnabled(editable);
    ActionClear->setEnabled(editable && FieldsCache && FieldsCache->SetOpzioniLavoraz() > 0);
    ShowInfo(IsDataSetEmpty(*DataSet) ? QStringLiteral("Set opzioni lavorazione non impostato")
                                      : QString());
}

void TFrameZelmModelOpz::ImpostaSet() {
    if (Espresse()) {
        Dialogs().Warning(QStringLiteral(
            "Non è possibile cambiare set se sono state espresse delle opzioni lavorazioni"));
        return;
    }
    Service()->StartTransaction();
    QStringList sets;
    Service()->DataAccessManager().ZelmSetOpzioniLavorazDataAccess().LoadDistinctNSet(sets);
    QString numero = QString::number(FieldsCache->SetOpzioniLavoraz());
    if (!InputDialogListValue(QStringLiteral("Selezione set opzioni lavoraz."),
                              QStringLiteral("Numero"), sets, numero))
        return;
    FieldsCache->SetSetOpzioniLavoraz(numero.toInt());
    TZelmSetOpzioniLavorazDataList set;
    if (numero.toInt() > 0)
        Service()->DataAccessManager().ZelmSetOpzioniLavorazDataAccess().Load(numero.toInt(), set);
    BuildRows(set);
    RefreshHeader();
}

void TFrameZelmModelOpz::RimuoviSet() {
    const bool ok =
        Espresse() ? Dialogs().WarningQuestion(
                         QStringLiteral("Rimuovere il set e tutte le opzioni lavorazioni?"))
                   : Dialogs().Question(QStringLiteral("Rimuovere il set opzioni lavorazioni?"));
    if (!ok)
        return;
    FieldsCache->SetSetOpzioniLavoraz(0);
    ShowRows(nullptr);
    RefreshHeader();
}

// --- preferences --------------------------------------------------------------------------------

TFrameZelmModelPrefComp::TFrameZelmModelPrefComp(QWidget* parent)
    : TFrameZelmModelControl(QStringLiteral("Set preferenze componenti"),
                             QStringLiteral("SETPREFERENZECOMPONENTI"), parent) {
    setObjectName(QStringLiteral("FramePrefComp"));
    ActionSetPreferenzeComponenti =
        HeaderButton(this, HeaderLayout(), "ActionSetPreferenzeComponenti",
                     QStringLiteral("Imposta set preferenze componenti"), 9, "...");
    ActionClear = HeaderButton(this, HeaderLayout(), "ActionClear",
                               QStringLiteral("Rimuovi set preferenze componenti"), 13, "X");
    HeaderLayout()->addStretch();
    CheckListBox = new QListWidget(this);
    CheckListBox->setObjectName(QStringLiteral("CheckListBox"));
    SetBody(CheckListBox);
    connect(ActionSetPreferenzeComponenti, &QToolButton::clicked, this,
            Guarded([this] { ImpostaSet(); }));
    connect(ActionClear, &QToolButton::clicked, this, Guarded([this] { RimuoviSet(); }));
    SetReadOnly(true);
}

void TFrameZelmModelPrefComp::SetReadOnly(bool readOnly) {
    TFrameZelmModelControl::SetReadOnly(readOnly);
    for (int i = 0; i < CheckListBox->count(); ++i) {
        QListWidgetItem* item = CheckListBox->item(i);
        item->setFlags(readOnly ? item->flags() & ~Qt::ItemIsUserCheckable
                                : item->flags() | Qt::ItemIsUserCheckable);
    }
    Aggiorna();
}

bool TFrameZelmModelPrefComp::Espresse() const {
    for (int i = 0; i < CheckListBox->count(); ++i)
        if (CheckListBox->item(i)->checkState() == Qt::Checked)
            return true;
    return false;
}

void TFrameZelmModelPrefComp::BuildItems(const TZelmSetPreferenzeComponentiDataList& set) {
    CheckListBox->clear();
    fSetList.Clear();
    for (int i = 0; i < set.Count(); ++i) {
        fSetList.Add(set[i]->Clone());
        auto* item = new QListWidgetItem(set[i]->Etichetta(), CheckListBox);
        item->setFlags(ReadOnly() ? item->flags() & ~Qt::ItemIsUserCheckable
                                  : item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    Aggiorna();
}

void TFrameZelmModelPrefComp::SetContext(const TZelmModelPrefCompContext& from) {
    const TZelmSetPreferenzeComponentiDataList none;
    BuildItems(from.SetList() ? *from.SetList() : none);
    if (from.PrefComp())
        for (int i = 0; i < from.PrefComp()->Count(); ++i) {
            const TZelmModelPrefCompData& saved = *from.PrefComp()->Items(i);
            const int index = fSetList.IndexOf(saved.Etichetta());
            if (index < 0)
                continue;
            // The stored row keeps its identifier: saved again unchanged, it is not rewritten.
            CheckListBox->item(index)->setCheckState(Qt::Checked);
            CheckListBox->item(index)->setData(Qt::UserRole, saved.Id());
        }
    RefreshHeader();
}

std::unique_ptr<TZelmModelPrefCompDataList> TFrameZelmModelPrefComp::GetData() const {
    auto list = std::make_unique<TZelmModelPrefCompDataList>();
    for (int i = 0; i < CheckListBox->count(); ++i) {
        if (CheckListBox->item(i)->checkState() != Qt::Checked)
            continue;
        auto row = std::make_unique<TZelmModelPrefCompData>();
        row->SetId(CheckListBox->item(i)->data(Qt::UserRole).toInt());
        row->SetIdModel(FieldsCache->IdModel());
        row->SetIdVarianteModel(FieldsCache->IdVariante());
        row->SetIdOpzione(FieldsCache->SetPreferenzeComponenti());
        row->SetEtichetta(fSetList[i]->Etichetta());
        list->Add(std::move(row));
    }
    return list->IsEmpty() ? nullptr : std::move(list);
}

void TFrameZelmModelPrefComp::Aggiorna() {
    const bool editable = !ReadOnly();
    ActionSetPreferenzeComponenti->setEnabled(editable);
    ActionClear->setEnabled(editable && FieldsCache && FieldsCache->SetPreferenzeComponenti() > 0);
    ShowInfo(CheckListBox->count() == 0 ? QStringLiteral("Set preferenze componenti non impostato")
                                        : QString());
}

void TFrameZelmModelPrefComp::ImpostaSet() {
    if (Espresse()) {
        Dialogs().Warning(QStringLiteral(
            "Non è possibile cambiare set se sono state espresse delle preferenze componenti"));
        return;
    }
    Service()->StartTransaction();
    QStringList sets;
    Service()->DataAccessManager().ZelmSetPreferenzeComponentiDataAccess().LoadDistinctNSet(sets);
    QString numero = QString::number(FieldsCache->SetPreferenzeComponenti());
    if (!InputDialogListValue(QStringLiteral("Selezione set preferenze componenti"),
                              QStringLiteral("Numero"), sets, numero))
        return;
    FieldsCache->SetSetPreferenzeComponenti(numero.toInt());
    TZelmSetPreferenzeComponentiDataList set;
    if (numero.toInt() > 0)
        Service()->DataAccessManager().ZelmSetPreferenzeComponentiDataAccess().Load(numero.toInt(),
                                                                                    set);
    BuildItems(set);
    RefreshHeader();
}

void TFrameZelmModelPrefComp::RimuoviSet() {
    const bool ok =
        Espresse() ? Dialogs().WarningQuestion(
                         QStringLiteral("Rimuovere il set e tutte le preferenze componenti?"))
                   : Dialogs().Question(QStringLiteral("Rimuovere il set preferenze componenti?"));
    if (!ok)
        return;
    FieldsCache->SetSetPreferenzeComponenti(0);
    BuildItems(TZelmSetPreferenzeComponentiDataList());
    RefreshHeader();
}

// --- annotations --------------------------------------------------------------------------------

TFrameZelmModelSto::TFrameZelmModelSto(QWidget* parent)
    : TFrameZelmModelControl(QStringLiteral("Annotazioni"), QString(), parent) {
    setObjectName(QStringLiteral("FrameSto"));
    ActionNuovo = HeaderButton(this, HeaderLayout(), "ActionNuovo",
                               QStringLiteral("Nuova annotazione"), 0, "+");
    ActionElimina = HeaderButton(this, HeaderLayout(), "ActionElimina",
                                 QStringLiteral("Elimina annotazione"), 6, "-");
    ActionModifica = HeaderButton(this, HeaderLayout(), "ActionModifica",
                                  QStringLiteral("Modifica annotazione"), 9, "M");
    HeaderLayout()->addStretch();
    DataSet = new TMemDataSet(this);
    DataSet->setObjectName(QStringLiteral("ClientDataSet")); // found by name like the widgets
    Grid = new TPanelGrid(DataSet, this);
    Grid->setObjectName(QStringLiteral("DBGrid"));
    Grid->Model()->setObjectName(QStringLiteral("DataSource"));
    SetBody(Grid);
    connect(ActionNuovo, &QToolButton::clicked, this, Guarded([this] { NuovaAnnotazione(); }));
    connect(ActionElimina, &QToolButton::clicked, this, Guarded([this] { EliminaAnnotazione(); }));
    connect(ActionModifica, &QToolButton::clicked, this,
            Guarded([this] { ModificaAnnotazione(); }));
    connect(DataSet, &TMemDataSet::CurrentChanged, this, [this] { Aggiorna(); });
    SetReadOnly(true);
}

void TFrameZelmModelSto::SetSession(TSession* session) {
    TFrameZelmModelControl::SetSession(session);
    Prepare(*DataSet, session, QStringLiteral("ZELMMODELSTO"));
    DataSet->SetIndexFieldName(QStringLiteral("DATAANNOTAZIONE"));
    std::vector<TPanelColumn> columns(DataSet->FieldCount());
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        const QString name = DataSet->FieldDef(i).name;
        if (name == QLatin1String("TIPOANNOTAZIONE"))
            columns[i] = Shown(QStringLiteral("Tipo"), 300);
        else if (name == QLatin1String("DATAANNOTAZIONE"))
            columns[i] = Shown(QStringLiteral("Data"), 90);
        else if (name == QLatin1String("ANNOTAZIONE"))
            columns[i] = Shown(QStringLiteral("Annotazione"), 500);
    }
    Grid->Model()->columns = std::move(columns);
    Grid->ApplyColumns();
    Aggiorna();
}

void TFrameZelmModelSto::SetReadOnly(bool readOnly) {
    TFrameZelmModelControl::SetReadOnly(readOnly);
    Grid->SetReadOnly(true); // the list is edited through the dialog only
    Aggiorna();
}

void TFrameZelmModelSto::SetData(const TZelmModelStoDataList* from) {
    ReplaceRecordsFrom(*DataSet, from);
    Grid->SyncCurrent();
    Aggiorna();
}

std::unique_ptr<TZelmModelStoDataList> TFrameZelmModelSto::GetData() {
    return RowsOf<TZelmModelStoDataList>(*DataSet);
}

void TFrameZelmModelSto::Aggiorna() {
    const bool editable = !ReadOnly();
    for (QToolButton* b : {ActionNuovo, ActionElimina, ActionModifica})
        b->setEnabled(editable);
    ShowInfo(IsDataSetEmpty(*DataSet) ? QStringLiteral("Nessuna annotazione") : QString());
}

void TFrameZelmModelSto::NuovaAnnotazione() {
    TZelmModelStoData record;
    record.SetIdModel(FieldsCache->IdModel());
    record.SetDataAnnotazione(QDate::currentDate());
    TFormZelmModelStoWrite dialog(this, Session());
    dialog.SetData(record);
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    dialog.GetData(record);
    AppendRecordFrom(*DataSet, record);
    Grid->SyncCurrent();
    Aggiorna();
}

void TFrameZelmModelSto::ModificaAnnotazione() {
    Grid->CommitEdit();
    if (DataSet->IsEmpty()) {
        Dialogs().Warning(QStringLiteral("Nessuna annotazione selezionata"));
        return;
    }
    auto record = TZelmModelStoData::FromRow(TDataSetRow(*DataSet));
    TFormZelmModelStoWrite dialog(this, Session());
    dialog.SetData(*record);
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    dialog.GetData(*record);
    EditRecordFrom(*DataSet, *record);
    Grid->SyncCurrent();
    Aggiorna();
}

void TFrameZelmModelSto::EliminaAnnotazione() {
    if (DataSet->IsEmpty()) {
        Dialogs().Warning(QStringLiteral("Nessuna annotazione selezionata"));
        return;
    }
    if (!Dialogs().Question(QStringLiteral("Eliminare l'annotazione selezionata?")))
        return;
    DataSet->Delete();
    Grid->SyncCurrent();
    Aggiorna();
}
