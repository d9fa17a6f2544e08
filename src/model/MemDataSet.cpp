#include "MemDataSet.h"

#include "framework/core/ZavoError.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>

namespace {
int Compare(const QVariant& a, const QVariant& b) {
    // NULL sorts first, as in the database's ascending order.
    if (!a.isValid() || !b.isValid())
        return a.isValid() - b.isValid();
    const QPartialOrdering o = QVariant::compare(a, b);
    return o == QPartialOrdering::Less ? -1 : (o == QPartialOrdering::Greater ? 1 : 0);
}
} // namespace

TMemDataSet::TMemDataSet(QObject* parent) : QAbstractTableModel(parent) {}

void TMemDataSet::AddFieldDef(const QString& name, QMetaType::Type type, int size) {
    if (Active())
        throw EZavoError(
            QStringLiteral("Impossibile modificare la struttura di una tabella aperta"));
    fFields.push_back({name, type, size, QString()});
}

void TMemDataSet::ClearFieldDefs() {
    if (Active())
        Close();
    fFields.clear();
}

void TMemDataSet::CreateDataSet() {
    beginResetModel();
    fRows.clear();
    fState = dsBrowse;
    fCurrent = -1;
    fEof = true;
    endResetModel();
}

void TMemDataSet::Close() {
    beginResetModel();
    fRows.clear();
    fBuffer.clear();
    fState = dsInactive;
    fCurrent = -1;
    endResetModel();
}

template <class TName> int TMemDataSet::FindField(TName name) const {
    // The code names fields as they were defined: the exact spelling is looked for first, the
    // case-insensitive match (the database's rule) only when it fails.
    for (size_t i = 0; i < fFields.size(); ++i)
        if (fFields[i].name == name)
            return static_cast<int>(i);
    for (size_t i = 0; i < fFields.size(); ++i)
        if (fFields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

int TMemDataSet::FieldIndex(const QString& name) const {
    return FindField(name);
}
int TMemDataSet::FieldIndex(QLatin1StringView name) const {
    return FindField(name);
}

template <class TName> int TMemDataSet::RequireField(TName name) const {
    const int i = FindField(name);
    if (i < 0)
        throw EZavoError(QStringLiteral("Campo %1 non trovato").arg(name));
    return i;
}

void TMemDataSet::RequireActive() const {
    if (!Active())
        throw EZavoError(QStringLiteral("Tabella non aperta"));
}

void TMemDataSet::SetRecNo(int row) {
    if (fState == dsEdit || fState == dsInsert)
        Post();
    const int count = static_cast<int>(fRows.size());
    fCurrent = count == 0 ? -1 : std::clamp(row, 0, count - 1);
    fEof = count == 0;
    emit CurrentChanged(fCurrent);
}

bool TMemDataSet::Next() {
    if (fCurrent + 1 >= static_cast<int>(fRows.size())) {
        fEof = true;
        return false;
    }
    SetRecNo(fCurrent + 1);
    return true;
}

bool TMemDataSet::Locate(const QString& field, const QVariant& value) {
    const int c = RequireField(field);
    for (size_t r = 0; r < fRows.size(); ++r)
        if (Compare(fRows[r][c], Coerce(c, value)) == 0) {
            SetRecNo(static_cast<int>(r));
            return true;
        }
    return false;
}

void TMemDataSet::Append() {
    RequireActive();
    if (fState == dsEdit || fState == dsInsert)
        Post();
    fBuffer.assign(fFields.size(), QVariant());
    fState = dsInsert;
}

void TMemDataSet::Edit() {
    RequireActive();
    if (fState == dsEdit || fState == dsInsert)
        return;
    if (fCurrent < 0)
        throw EZavoError(QStringLiteral("Nessuna riga da modificare"));
    fBuffer = fRows[fCurrent];
    fState = dsEdit;
}

void TMemDataSet::Post() {
    if (fState == dsInsert && fLoading) {
        fRows.push_back(std::move(fBuffer)); // ordered and shown by EndLoad
        fState = dsBrowse;
        fCurrent = static_cast<int>(fRows.size()) - 1;
        fEof = false;
    } else if (fState == dsInsert) {
        const int at =
            fIndexField.isEmpty() ? static_cast<int>(fRows.size()) : SortedPosition(fBuffer);
        beginInsertRows(QModelIndex(), at, at);
        fRows.insert(fRows.begin() + at, fBuffer);
        endInsertRows();
        fState = dsBrowse;
        fCurrent = at;
        fEof = false;
        emit CurrentChanged(fCurrent);
    } else if (fState == dsEdit) {
        fRows[fCurrent] = fBuffer;
        fState = dsBrowse;
        if (!fIndexField.isEmpty()) {
            const int to = SortedPosition(fRows[fCurrent], fCurrent);
            if (to != fCurrent) {
                const int dest = to > fCurrent ? to + 1 : to;
                beginMoveRows(QModelIndex(), fCurrent, fCurrent, QModelIndex(), dest);
                TRow row = std::move(fRows[fCurrent]);
                fRows.erase(fRows.begin() + fCurrent);
                fRows.insert(fRows.begin() + to, std::move(row));
                endMoveRows();
                fCurrent = to;
            }
        }
        emit dataChanged(index(fCurrent, 0), index(fCurrent, columnCount() - 1));
        emit CurrentChanged(fCurrent);
    }
    fBuffer.clear();
}

void TMemDataSet::Cancel() {
    if (fState == dsEdit || fState == dsInsert)
        fState = dsBrowse;
    fBuffer.clear();
}

void TMemDataSet::Delete() {
    RequireActive();
    if (fState == dsInsert) {
        Cancel();
        return;
    }
    Cancel();
    if (fCurrent < 0)
        return;
    beginRemoveRows(QModelIndex(), fCurrent, fCurrent);
    fRows.erase(fRows.begin() + fCurrent);
    endRemoveRows();
    const int count = static_cast<int>(fRows.size());
    fCurrent = count == 0 ? -1 : std::min(fCurrent, count - 1);
    fEof = count == 0;
    emit CurrentChanged(fCurrent);
}

void TMemDataSet::EmptyDataSet() {
    RequireActive();
    if (fLoading) {
        fRows.clear();
        fBuffer.clear();
        fState = dsBrowse;
        fCurrent = -1;
        fEof = true;
        return;
    }
    beginResetModel();
    fRows.clear();
    fBuffer.clear();
    fState = dsBrowse;
    fCurrent = -1;
    fEof = true;
    endResetModel();
    emit CurrentChanged(fCurrent);
}

QVariant TMemDataSet::Value(const QString& field) const {
    return ValueAt(RequireField(field));
}
QVariant TMemDataSet::Value(QLatin1StringView field) const {
    return ValueAt(RequireField(field));
}

QVariant TMemDataSet::ValueAt(int c) const {
    if (fState == dsEdit || fState == dsInsert)
        return fBuffer[c];
    if (fCurrent < 0)
        return QVariant();
    return fRows[fCurrent][c];
}

QVariant TMemDataSet::Value(int row, int column) const {
    return fRows.at(row).at(column);
}

QVariant TMemDataSet::Coerce(int column, const QVariant& value) const {
    if (!value.isValid() || value.isNull())
        return QVariant();
    const TMemFieldDef& f = fFields[column];
    QVariant v = value;
    if (f.type == QMetaType::QDate && v.typeId() == QMetaType::QDateTime)
        v = v.toDateTime().date();
    if (!v.convert(QMetaType(f.type)))
        throw EZavoError(QStringLiteral("Valore non valido per il campo %1").arg(f.name));
    if (f.type == QMetaType::QString && f.size > 0)
        v = v.toString().left(f.size);
    return v;
}

void TMemDataSet::SetValue(const QString& field, const QVariant& value) {
    SetValueAt(RequireField(field), value);
}
void TMemDataSet::SetValue(QLatin1StringView field, const QVariant& value) {
    SetValueAt(RequireField(field), value);
}

void TMemDataSet::SetValueAt(int c, const QVariant& value) {
    if (fState != dsEdit && fState != dsInsert)
        throw EZavoError(QStringLiteral("Tabella non in modifica"));
    fBuffer[c] = Coerce(c, value);
}

void TMemDataSet::BeginLoad() {
    RequireActive();
    if (fLoading)
        return;
    if (fState == dsEdit || fState == dsInsert)
        Post();
    beginResetModel();
    fLoading = true;
}

void TMemDataSet::EndLoad() {
    if (!fLoading)
        return;
    fLoading = false;
    if (fState == dsInsert)
        Cancel(); // a row left half-written by a failed load
    SortRows();
    endResetModel();
    fCurrent = fRows.empty() ? -1 : 0;
    fEof = fRows.empty();
    emit CurrentChanged(fCurrent);
}

int TMemDataSet::SortedPosition(const TRow& row, int skip) const {
    const int c = FieldIndex(fIndexField);
    int pos = 0;
    for (int i = 0; i < static_cast<int>(fRows.size()); ++i) {
        if (i == skip)
            continue;
        if (Compare(fRows[i][c], row[c]) <= 0)
            ++pos;
        else
            break;
    }
    return pos;
}

void TMemDataSet::SortRows() {
    // Stable: rows with equal keys keep the order they came in, as Post places them.
    if (const int c = FieldIndex(fIndexField); c >= 0)
        std::stable_sort(fRows.begin(), fRows.end(),
                         [c](const TRow& a, const TRow& b) { return Compare(a[c], b[c]) < 0; });
}

void TMemDataSet::Sort() {
    if (FieldIndex(fIndexField) < 0)
        return;
    beginResetModel();
    SortRows();
    endResetModel();
}

void TMemDataSet::SetIndexFieldName(const QString& field) {
    if (!field.isEmpty())
        RequireField(field);
    fIndexField = field;
    Sort();
}

int TMemDataSet::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(fRows.size());
}

int TMemDataSet::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(fFields.size());
}

QVariant TMemDataSet::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const QVariant& v = fRows[index.row()][index.column()];
    if (role == Qt::EditRole)
        return v;
    if (role != Qt::DisplayRole || !v.isValid())
        return QVariant();
    switch (fFields[index.column()].type) {
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    default:
        return v;
    }
}

bool TMemDataSet::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    SetRecNo(index.row());
    Edit();
    try {
        fBuffer[index.column()] = Coerce(index.column(), value);
    } catch (const EZavoError&) {
        Cancel();
        return false;
    }
    Post();
    return true;
}

QVariant TMemDataSet::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section >= FieldCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const TMemFieldDef& f = fFields[section];
    return f.displayLabel.isEmpty() ? f.name : f.displayLabel;
}

Qt::ItemFlags TMemDataSet::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}
