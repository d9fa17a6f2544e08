// Base of every data-access class: the connection and transaction it runs in, and the statements
// it prepares once and keeps.
#pragma once

#include "framework/core/ZavoError.h"
#include "framework/db/IBSQL.h"
#include "model/DataObject.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

class TIBDatabase;
class TIBTransaction;

class ERecordNotFound : public EZavoError {
public:
    using EZavoError::EZavoError;
};

class ERecordLocked : public EZavoError {
public:
    using EZavoError::EZavoError;
};

class TDataAccessObject : public QObject {
    Q_OBJECT
public:
    explicit TDataAccessObject(QObject* owner = nullptr);
    ~TDataAccessObject() override;

    TIBDatabase* IBDatabase() const { return fDatabase; }
    void SetIBDatabase(TIBDatabase* database) { fDatabase = database; }
    TIBTransaction* IBTransaction() const { return fTransaction; }
    void SetIBTransaction(TIBTransaction* transaction) { fTransaction = transaction; }

protected:
    /// A new statement owned by the accessor, bound to its connection and transaction.
    TIBSQL* CreateIBSQL();
    /// The statement in `slot`, created with `lines` on first use.
    TIBSQL& Sql(TIBSQL*& slot, const QStringList& lines);

    /// Executes `sql`; the first row, if any, goes into `to`.
    template <typename T> bool LoadRecord(TIBSQL& sql, T& to) {
        sql.ExecQuery();
        const bool found = !sql.Eof();
        if (found)
            to.Assign(TStatementRow(sql));
        sql.Close();
        return found;
    }
    /// Executes `sql` and appends one record per row, in order.
    template <typename L> bool LoadList(TIBSQL& sql, L& to) {
        using Item = typename L::Item;
        bool any = false;
        for (sql.ExecQuery(); !sql.Eof(); sql.Next()) {
            to.Add(Item::FromRow(TStatementRow(sql)));
            any = true;
        }
        sql.Close();
        return any;
    }
    /// Appends the first column of every row to `to` as text.
    void LoadTexts(TIBSQL& sql, QStringList& to);
    /// Next value of `generator` (own short transaction).
    int NextValue(const QString& generator);

private:
    TIBDatabase* fDatabase = nullptr;
    TIBTransaction* fTransaction = nullptr;
    std::vector<std::unique_ptr<TIBSQL>> fStatements;
};

/// The record- or list-returning form of a load: the object, or none when nothing was read.
template <typename T, typename F> std::unique_ptr<T> OrNone(F&& fill) {
    auto object = std::make_unique<T>();
    if (!fill(*object))
        return nullptr;
    return object;
}

/// Declares beside `bool Name(params..., T& to)` its form returning `std::unique_ptr<T>`.
#define ZELM_OR_NONE(T, Name, Params, ...)                                                         \
    std::unique_ptr<T> Name Params {                                                               \
        return OrNone<T>([&](T& to) { return Name(__VA_ARGS__, to); });                            \
    }

/// "UPDATE OR INSERT INTO table(" + one line per column + ")", "VALUES(" + ":column" lines.
QStringList UpsertLines(const QString& table, const QStringList& columns);
/// "INSERT INTO table(" … the same shape as UpsertLines.
QStringList InsertLines(const QString& table, const QStringList& columns);
