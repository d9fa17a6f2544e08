// The frame every list of the product lives in: a configurable grid over its own query, with the
// owner's side of the grid's contract written once (fresh SQL and the stored layout before each
// open, the layout saved before each close) and refreshes that keep the user's place.
#pragma once

#include <QStringList>
#include <QVariant>
#include <QWidget>

class TIBDatabase;
class TSession;
class TZavoGrid;
class TZavoQuery;

/// Reads the key of the current row of a list's query.
class TFieldControl : public QObject {
    Q_OBJECT
public:
    explicit TFieldControl(TZavoQuery* fields, QObject* owner = nullptr);
    /// The data set whose fields are read.
    TZavoQuery* Fields() const { return fFields; }
    /// The key field names, ";"-separated.
    virtual QString GetKeyFields() const = 0;
    /// The key values of the current row: one value, or a list for several fields; null when
    /// no row is current.
    virtual QVariant GetKeyValues() const = 0;

protected:
    /// The current row's value of `field`; null without a current row.
    virtual QVariant Value(const QString& field) const;

private:
    TZavoQuery* fFields;
};

/// The key of lists keyed by one integer column "ID".
class TFieldControlId : public TFieldControl {
    Q_OBJECT
public:
    using TFieldControl::TFieldControl;
    QString GetKeyFields() const override { return QStringLiteral("ID"); }
    /// The row's ID as an integer; null without a row.
    QVariant GetKeyValues() const override;
};

enum TRelocateMode { rmCurrentRecord, rmNextRecord };

/// A place in the list: the row index of the query.
struct TBookmark {
    int row = -1;
};

class TFrameZavoGrid : public QWidget {
    Q_OBJECT
public:
    explicit TFrameZavoGrid(QWidget* parent = nullptr);
    ~TFrameZavoGrid() override;

    TZavoGrid* ZavoGrid() const { return fGrid; }
    TZavoQuery* Query() const { return fQuery; }

    TSession* Session() const { return fSession; }
    /// The query and the layouts on the session's archive, for the session's user.
    void SetSession(TSession* session);
    /// The same set-up without a session: the database the list and its layouts live in, the
    /// user, the folder of the host's programs and the company code.
    void SetDatabase(TIBDatabase* database, int utente, const QString& binDir = QString(),
                     const QString& progetto = QString());

    QString TableName() const { return fTableName; }
    void SetTableName(const QString& name);
    int Situazione() const { return fSituazione; }
    void SetSituazione(int situazione);
    TFieldControl* FieldControl() const { return fFieldControl; }
    void SetFieldControl(TFieldControl* control) { fFieldControl = control; }
    /// The query is open and has at least one row.
    bool RowSelected() const;
    /// The text of the list's query; "SELECT * FROM <table>" when left empty.
    QStringList SQL;

    /// Close, restart the query's transaction, open.
    void RefreshGrid();
    /// Refreshes, then makes current the row whose key fields equal `keyValues` (none: null).
    void RefreshGrid(const QVariant& keyValues);
    /// Refreshes keeping the current row (`rmCurrentRecord`) or the one after it
    /// (`rmNextRecord`, the one before when it was the last).
    void RefreshGrid(TRelocateMode mode);
    /// Refreshes, then goes to `bookmark` when one is given.
    void RefreshGrid(TBookmark bookmark);
    TBookmark Bookmark() const;
    void Open() { RefreshGrid(); }
    void Close();

private:
    void BeforeOpen();
    void GoTo(int row);

    TSession* fSession = nullptr;
    TZavoGrid* fGrid = nullptr;
    TZavoQuery* fQuery = nullptr;
    TFieldControl* fFieldControl = nullptr;
    QString fTableName;
    int fSituazione = 0;
};
