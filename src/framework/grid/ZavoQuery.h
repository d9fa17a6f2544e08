// The query data set every list shows: a SQL text over its own read transaction, rows fetched
// lazily in chunks as the view scrolls, and a Qt item model over them.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class TIBDatabase;
class TIBTransaction;
class TIBSQL;

class TZavoQuery : public QAbstractTableModel {
    Q_OBJECT
public:
    /// Rows read at a time: a first screen and a good margin, about what the stock Qt model
    /// reads; scrolling reads on.
    static constexpr int kChunk = 250;

    explicit TZavoQuery(QObject* parent = nullptr);
    ~TZavoQuery() override;

    TIBDatabase* Database() const { return fDatabase; }
    void SetDatabase(TIBDatabase* database) { fDatabase = database; }
    /// The statement, one line per entry; changes apply at the next Open.
    QStringList SQL;

    /// Run before the statement is prepared (the text may still change) and after the first rows
    /// are fetched; owners and grids chain them (each keeps and calls the previous one).
    std::function<void()> BeforeOpen;
    std::function<void()> AfterOpen;

    void Open();
    void Close();
    bool Active() const { return fSql != nullptr; }

    int FieldCount() const { return static_cast<int>(fFields.size()); }
    QString FieldName(int field) const;
    /// "RELATION.COLUMN" the field comes from, empty for expressions.
    QString FieldOrigin(int field) const;
    /// Firebird SQL type of a field (SqlType values).
    int FieldType(int field) const;
    int FieldIndex(const QString& name) const;

    /// Rows fetched so far.
    int RecordCount() const { return static_cast<int>(fRows.size()); }
    bool AllFetched() const { return fEof; }
    QVariant Value(int row, int field) const;
    int RecNo() const { return fCurrent; }
    void SetRecNo(int row);
    /// Fetches as needed until a row whose fields equal the values is found; makes it current.
    bool Locate(const QStringList& fields, const QVariantList& values);

    void SetTitle(int field, const QString& title);
    QString Title(int field) const;
    /// Background of a column's cells (invalid: the grid's own).
    void SetColumnColor(int field, const QColor& color);
    QColor ColumnColor(int field) const;
    void SetTitleColor(int field, const QColor& color);
    QColor TitleColor(int field) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex& parent = QModelIndex()) override;

signals:
    void Opened();
    void Closed();

private:
    struct TField {
        int sqlType = 0;
        QString name, origin, title;
        QColor color, titleColor;
    };
    void FetchChunk();

    TIBDatabase* fDatabase = nullptr;
    std::unique_ptr<TIBTransaction> fTransaction;
    std::unique_ptr<TIBSQL> fSql;
    std::vector<TField> fFields;
    std::vector<std::vector<QVariant>> fRows;
    bool fEof = true;
    int fCurrent = -1;
};
