// In-memory table that the card and the panels edit: field definitions, rows appended, edited and
// posted, a current row, values by field name with NULL, an optional ordering field, and a Qt
// item model over it so that a grid can show it.
#pragma once

#include <QAbstractTableModel>
#include <QMetaType>
#include <QString>
#include <QVariant>

#include <vector>

struct TMemFieldDef {
    QString name;
    QMetaType::Type type = QMetaType::QString; ///< Int, LongLong, Double, QString, QDate, QDateTime
    int size = 0;                              ///< characters kept for text fields (0: no limit)
    QString displayLabel;                      ///< column title; the name when empty
};

class TMemDataSet : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TState { dsInactive, dsBrowse, dsEdit, dsInsert };

    explicit TMemDataSet(QObject* parent = nullptr);

    // --- structure
    void AddFieldDef(const QString& name, QMetaType::Type type, int size = 0);
    void ClearFieldDefs();
    /// Creates the (empty) table from the field definitions and opens it.
    void CreateDataSet();
    void Close();
    bool Active() const { return fState != dsInactive; }
    TState State() const { return fState; }
    int FieldCount() const { return static_cast<int>(fFields.size()); }
    const TMemFieldDef& FieldDef(int index) const { return fFields.at(index); }
    TMemFieldDef& FieldDef(int index) { return fFields.at(index); }
    /// -1 when there is no such field (case-insensitive, like the database).
    int FieldIndex(const QString& name) const;
    /// The same for a name spelt in the code (the records name their columns so): no conversion.
    int FieldIndex(QLatin1StringView name) const;

    // --- navigation
    int RecordCount() const { return static_cast<int>(fRows.size()); }
    bool IsEmpty() const { return fRows.empty(); }
    /// Current row, 0-based; -1 when the table is empty.
    int RecNo() const { return fCurrent; }
    void SetRecNo(int row);
    void First() { SetRecNo(fRows.empty() ? -1 : 0); }
    void Last() { SetRecNo(static_cast<int>(fRows.size()) - 1); }
    bool Next();
    bool Eof() const { return fRows.empty() || fEof; }
    /// Makes the first row whose `field` equals `value` current; false when none.
    bool Locate(const QString& field, const QVariant& value);

    // --- editing
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    /// Removes every row.
    void EmptyDataSet();
    /// Rows appended (Append, SetValue, Post) and removed (EmptyDataSet) until EndLoad reach the
    /// views once, as one reset, rather than row by row: a card's lists are filled this way.
    /// EndLoad puts the rows in the index's order and makes the first one current.
    void BeginLoad();
    void EndLoad();

    // --- values of the current row (of the edit buffer while editing or inserting)
    QVariant Value(const QString& field) const;
    QVariant Value(QLatin1StringView field) const;
    QVariant Value(int row, int column) const;
    bool IsNull(const QString& field) const { return !Value(field).isValid(); }
    /// Only while editing or inserting; an invalid QVariant stores NULL; text is cut to its size.
    void SetValue(const QString& field, const QVariant& value);
    void SetValue(QLatin1StringView field, const QVariant& value);

    /// Keeps the rows ordered by this field (empty: insertion order).
    void SetIndexFieldName(const QString& field);
    QString IndexFieldName() const { return fIndexField; }

    // --- QAbstractTableModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void CurrentChanged(int row);

private:
    using TRow = std::vector<QVariant>;
    template <class TName> int FindField(TName name) const;
    template <class TName> int RequireField(TName name) const;
    QVariant ValueAt(int column) const;
    void SetValueAt(int column, const QVariant& value);
    void RequireActive() const;
    QVariant Coerce(int column, const QVariant& value) const;
    /// Where a row belongs under the index (after equal keys).
    int SortedPosition(const TRow& row, int skip = -1) const;
    void Sort();
    /// Orders the rows by the index field, telling no view (the caller does).
    void SortRows();

    std::vector<TMemFieldDef> fFields;
    std::vector<TRow> fRows;
    TRow fBuffer;
    TState fState = dsInactive;
    bool fLoading = false;
    int fCurrent = -1;
    bool fEof = true;
    QString fIndexField;
};
