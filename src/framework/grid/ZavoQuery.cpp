#include "ZavoQuery.h"

#include "ZavoGridSql.h"

#include "framework/core/ZavoError.h"
#include "framework/db/DatabaseError.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <QDate>
#include <QDateTime>

TZavoQuery::TZavoQuery(QObject* parent) : QAbstractTableModel(parent) {}

TZavoQuery::~TZavoQuery() {
    fSql.reset();
    fTransaction.reset();
}

void TZavoQuery::Open() {
    if (Active())
        return;
    if (BeforeOpen)
        BeforeOpen();
    // No connection check here: starting the transaction below reconnects after a server
    // restart, or says the database is not connected.
    if (!fDatabase)
        throw EZavoError(QStringLiteral("Database non connesso"));
    beginResetModel();
    fRows.clear();
    fFields.clear();
    fCurrent = -1;
    try {
        fTransaction = std::make_unique<TIBTransaction>(fDatabase);
        fTransaction->Params << QStringLiteral("isc_tpb_read")
                             << QStringLiteral("isc_tpb_read_committed")
                             << QStringLiteral("isc_tpb_rec_version");
        fTransaction->StartTransaction();
        fSql = std::make_unique<TIBSQL>(fDatabase, fTransaction.get());
        fSql->ParamCheck = false; // the text is complete: conditions are written into it
        fSql->SetSQL(SQL);
        fSql->ExecQuery();
        for (const TFieldInfo& f : fSql->FieldInfos())
            fFields.push_back({f.sqlType, f.alias,
                               f.relation.isEmpty() ? QString() : f.relation + '.' + f.name,
                               f.alias, QColor(), QColor()});
        fEof = false;
        FetchChunk();
    } catch (...) {
        fSql.reset();
        fTransaction.reset();
        endResetModel();
        throw;
    }
    endResetModel();
    if (!fRows.empty())
        fCurrent = 0;
    if (AfterOpen)
        AfterOpen();
    emit Opened();
}

void TZavoQuery::Close() {
    if (!Active())
        return;
    beginResetModel();
    fSql.reset();
    try {
        if (fTransaction && fTransaction->InTransaction())
            fTransaction->Commit();
    } catch (const EDatabaseError& e) {
        // A read-only transaction on a connection that broke has nothing to keep.
        if (!e.IsConnectionLost())
            throw;
    }
    fTransaction.reset();
    fRows.clear();
    fRows.shrink_to_fit();
    fEof = true;
    fCurrent = -1;
    endResetModel();
    emit Closed();
}

void TZavoQuery::FetchChunk() {
    // The statement stands on its first row after ExecQuery and on the next unread one after
    // each chunk.
    int fetched = 0;
    const int count = FieldCount();
    while (!fSql->Eof() && fetched < kChunk) {
        std::vector<QVariant> row(count);
        for (int i = 0; i < count; ++i)
            row[i] = fSql->Fields(i).AsVariant();
        fRows.push_back(std::move(row));
        ++fetched;
        fSql->Next();
    }
    fEof = fSql->Eof();
}

QString TZavoQuery::FieldName(int field) const {
    return fFields.at(field).name;
}
QString TZavoQuery::FieldOrigin(int field) const {
    return fFields.at(field).origin;
}

int TZavoQuery::FieldIndex(const QString& name) const {
    for (size_t i = 0; i < fFields.size(); ++i)
        if (fFields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

QVariant TZavoQuery::Value(int row, int field) const {
    return fRows.at(row).at(field);
}

void TZavoQuery::SetRecNo(int row) {
    fCurrent = fRows.empty() ? -1 : std::clamp(row, 0, RecordCount() - 1);
}

bool TZavoQuery::Locate(const QStringList& fields, const QVariantList& values) {
    std::vector<int> cols;
    for (const QString& f : fields) {
        const int c = FieldIndex(f);
        if (c < 0)
            throw EZavoError(QStringLiteral("Campo %1 non trovato").arg(f));
        cols.push_back(c);
    }
    for (int r = 0;; ++r) {
        if (r >= RecordCount()) {
            if (!canFetchMore())
                return false;
            fetchMore();
        }
        if (r >= RecordCount())
            return false;
        bool match = true;
        for (size_t i = 0; i < cols.size() && match; ++i)
            match = fRows[r][cols[i]] == values.value(static_cast<int>(i));
        if (match) {
            fCurrent = r;
            return true;
        }
    }
}

void TZavoQuery::SetTitle(int field, const QString& title) {
    fFields.at(field).title = title;
    emit headerDataChanged(Qt::Horizontal, field, field);
}
QString TZavoQuery::Title(int field) const {
    return fFields.at(field).title;
}
void TZavoQuery::SetColumnColor(int field, const QColor& color) {
    fFields.at(field).color = color;
    if (!fRows.empty())
        emit dataChanged(index(0, field), index(RecordCount() - 1, field));
}
QColor TZavoQuery::ColumnColor(int field) const {
    return fFields.at(field).color;
}
void TZavoQuery::SetTitleColor(int field, const QColor& color) {
    fFields.at(field).titleColor = color;
    emit headerDataChanged(Qt::Horizontal, field, field);
}
QColor TZavoQuery::TitleColor(int field) const {
    return fFields.at(field).titleColor;
}

int TZavoQuery::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RecordCount();
}
int TZavoQuery::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FieldCount();
}

QVariant TZavoQuery::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= RecordCount())
        return QVariant();
    if (role == Qt::BackgroundRole) {
        const QColor& c = fFields[index.column()].color;
        return c.isValid() ? QVariant(c) : QVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        // Numbers line up on the right, as in every data grid.
        if (ClasseDaTipoSql(fFields[index.column()].sqlType) == clNumero)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    const QVariant& v = fRows[index.row()][index.column()];
    if (role == Qt::DisplayRole) {
        if (v.typeId() == QMetaType::QDate)
            return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
        if (v.typeId() == QMetaType::QDateTime)
            return v.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    }
    return v;
}

QVariant TZavoQuery::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= FieldCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return fFields[section].title;
    if (role == Qt::BackgroundRole && fFields[section].titleColor.isValid())
        return fFields[section].titleColor;
    return QVariant();
}

bool TZavoQuery::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && Active() && !fEof;
}

void TZavoQuery::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    const int before = RecordCount();
    // Rows are read before the model announces them: the count is known only afterwards.
    std::vector<std::vector<QVariant>> chunk;
    fRows.swap(chunk);
    FetchChunk();
    std::vector<std::vector<QVariant>> added;
    added.swap(fRows);
    fRows.swap(chunk);
    if (added.empty())
        return;
    beginInsertRows(QModelIndex(), before, before + static_cast<int>(added.size()) - 1);
    for (auto& r : added)
        fRows.push_back(std::move(r));
    endInsertRows();
}

int TZavoQuery::FieldType(int field) const {
    return fFields.at(field).sqlType;
}
