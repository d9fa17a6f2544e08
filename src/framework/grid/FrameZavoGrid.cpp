#include "FrameZavoGrid.h"

#include "ZavoGrid.h"
#include "ZavoQuery.h"

#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"
#include "framework/ui/FormBase.h"

#include <QAction>
#include <QVBoxLayout>

TFieldControl::TFieldControl(TZavoQuery* fields, QObject* owner)
    : QObject(owner), fFields(fields) {}

QVariant TFieldControl::Value(const QString& field) const {
    if (!fFields || !fFields->Active() || fFields->RecNo() < 0)
        return QVariant();
    const int index = fFields->FieldIndex(field);
    return index < 0 ? QVariant() : fFields->Value(fFields->RecNo(), index);
}

QVariant TFieldControlId::GetKeyValues() const {
    const QVariant id = Value(QStringLiteral("ID"));
    return id.isNull() ? QVariant() : QVariant(id.toInt());
}

TFrameZavoGrid::TFrameZavoGrid(QWidget* parent) : QWidget(parent) {
    fQuery = new TZavoQuery(this);
    fGrid = new TZavoGrid(this);
    fGrid->setObjectName(QStringLiteral("ZavoGrid"));
    fGrid->OrderBy = true;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(fGrid);
    // The owner's side of the contract: the query text afresh and the stored layout before each
    // open, the layout saved before each close.
    fQuery->BeforeOpen = [this] { BeforeOpen(); };
}

TFrameZavoGrid::~TFrameZavoGrid() {
    // The layout is saved when the list goes, as at every close.
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; the window's own close has saved it already.
    }
}

void TFrameZavoGrid::SetSession(TSession* session) {
    fSession = session;
    SetDatabase(&session->IBDatabase(), session->ZavoUser()->CodiceUtente(),
                session->ParametriTrebon()->BinDir(), session->ZavoUser()->DittaUtente());
}

void TFrameZavoGrid::SetDatabase(TIBDatabase* database, int utente, const QString& binDir,
                                 const QString& progetto) {
    fQuery->SetDatabase(database);
    fGrid->DatabaseImpostazioni = database;
    fGrid->CodiceProgetto = kCodiceProgetto;
    fGrid->Utente = utente;
    fGrid->TabellaPiccola = true;
    fGrid->FDirectoryBin = binDir;
    fGrid->NomeProgetto = progetto;
    fGrid->AbilitaRicercheF5 = true;
    fGrid->SetSorgenteDati(fQuery);
    // The grid's current row is the query's current row.
    connect(fGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    fQuery->SetRecNo(current.row());
            });
}

void TFrameZavoGrid::SetTableName(const QString& name) {
    fTableName = name;
    fGrid->NomeTabellaQuery = name;
}

void TFrameZavoGrid::SetSituazione(int situazione) {
    fSituazione = situazione;
    fGrid->SetSituazione(situazione);
}

bool TFrameZavoGrid::RowSelected() const {
    return fQuery->Active() && fQuery->RecordCount() > 0;
}

void TFrameZavoGrid::BeforeOpen() {
    if (fGrid->RicercaInCorso)
        return;
    if (SQL.isEmpty() && !fTableName.isEmpty())
        SQL = QStringList{QStringLiteral("SELECT * FROM %1").arg(fTableName)};
    fQuery->SQL = SQL;
    fGrid->SQLIniziale = SQL;
    fGrid->RecuperaAspettodaStorico();
}

void TFrameZavoGrid::Close() {
    if (fQuery->Active() && !fGrid->RicercaInCorso && !fGrid->RecuperoAspettoBaseInCorso)
        fGrid->SalvaAspettoSuStorico();
    fQuery->Close();
}

void TFrameZavoGrid::RefreshGrid() {
    Close();
    fQuery->Open(); // the query's own transaction starts afresh with it
    GoTo(fQuery->RecNo());
}

void TFrameZavoGrid::RefreshGrid(const QVariant& keyValues) {
    RefreshGrid();
    if (keyValues.isNull() || !fFieldControl)
        return;
    const QStringList fields = fFieldControl->GetKeyFields().split(';', Qt::SkipEmptyParts);
    const QVariantList values = keyValues.typeId() == QMetaType::QVariantList
                                    ? keyValues.toList()
                                    : QVariantList{keyValues};
    if (fQuery->Locate(fields, values))
        GoTo(fQuery->RecNo());
}

void TFrameZavoGrid::RefreshGrid(TRelocateMode mode) {
    if (mode == rmNextRecord) {
        if (!RowSelected()) {
            RefreshGrid();
            return;
        }
        const int current = fQuery->RecNo();
        if (current + 1 >= fQuery->RecordCount() && fQuery->canFetchMore())
            fQuery->fetchMore();
        // At the end the step forward stays on the last row, and the step back leaves it.
        fQuery->SetRecNo(current + 1 < fQuery->RecordCount() ? current + 1 : current - 1);
    }
    RefreshGrid(RowSelected() && fFieldControl ? fFieldControl->GetKeyValues() : QVariant());
}

void TFrameZavoGrid::RefreshGrid(TBookmark bookmark) {
    RefreshGrid();
    if (bookmark.row < 0)
        return;
    while (bookmark.row >= fQuery->RecordCount() && fQuery->canFetchMore())
        fQuery->fetchMore();
    if (bookmark.row < fQuery->RecordCount()) {
        fQuery->SetRecNo(bookmark.row);
        GoTo(bookmark.row);
    }
}

TBookmark TFrameZavoGrid::Bookmark() const {
    return TBookmark{RowSelected() ? fQuery->RecNo() : -1};
}

void TFrameZavoGrid::GoTo(int row) {
    if (row < 0 || row >= fQuery->RecordCount())
        return;
    const int column = fGrid->currentIndex().isValid() ? fGrid->currentIndex().column() : 0;
    const QModelIndex index = fQuery->index(row, column);
    fGrid->setCurrentIndex(index);
    fGrid->scrollTo(index);
}
