// The record framework: the two row views records travel through, the abstract record, the
// owning lists, the contexts and the validation result.
#pragma once

#include "framework/core/ZavoError.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <typeinfo>
#include <vector>

class TIBSQL;
class TMemDataSet;

/// A row records are read from and written to, by column name: a statement's result row and
/// parameters, or the current row of an in-memory table.
class TRow {
public:
    virtual ~TRow() = default;
    virtual bool IsNull(const char* name) const = 0;
    virtual int AsInteger(const char* name) const = 0;
    virtual QString AsString(const char* name) const = 0;
    virtual double AsFloat(const char* name) const = 0;
    virtual QDateTime AsDateTime(const char* name) const = 0;
    virtual void SetNull(const char* name) = 0;
    virtual void SetInteger(const char* name, int value) = 0;
    virtual void SetString(const char* name, const QString& value) = 0;
    virtual void SetFloat(const char* name, double value) = 0;
    virtual void SetDate(const char* name, const QDate& value) = 0;
    virtual void SetDateTime(const char* name, const QDateTime& value) = 0;
};

/// A statement's current result row (reading) and its input parameters (writing).
class TStatementRow : public TRow {
public:
    explicit TStatementRow(TIBSQL& sql) : fSql(sql) {}
    bool IsNull(const char* name) const override;
    int AsInteger(const char* name) const override;
    QString AsString(const char* name) const override;
    double AsFloat(const char* name) const override;
    QDateTime AsDateTime(const char* name) const override;
    void SetNull(const char* name) override;
    void SetInteger(const char* name, int value) override;
    void SetString(const char* name, const QString& value) override;
    void SetFloat(const char* name, double value) override;
    void SetDate(const char* name, const QDate& value) override;
    void SetDateTime(const char* name, const QDateTime& value) override;

private:
    TIBSQL& fSql;
};

/// The current row of an in-memory table (its edit buffer while editing); dates are kept as
/// date-times at midnight.
class TDataSetRow : public TRow {
public:
    explicit TDataSetRow(TMemDataSet& dataSet) : fDataSet(dataSet) {}
    bool IsNull(const char* name) const override;
    int AsInteger(const char* name) const override;
    QString AsString(const char* name) const override;
    double AsFloat(const char* name) const override;
    QDateTime AsDateTime(const char* name) const override;
    void SetNull(const char* name) override;
    void SetInteger(const char* name, int value) override;
    void SetString(const char* name, const QString& value) override;
    void SetFloat(const char* name, double value) override;
    void SetDate(const char* name, const QDate& value) override;
    void SetDateTime(const char* name, const QDateTime& value) override;

private:
    TMemDataSet& fDataSet;
};

class TDataObject {
public:
    virtual ~TDataObject() = default;
    virtual void Clear() = 0;
    void Assign(const TRow& from) { Read(from); }
    void AssignTo(TRow& to) const { Write(to); }

protected:
    /// The record's columns from a row, and into one; a record the product only reads writes
    /// nothing.
    virtual void Read(const TRow& from) = 0;
    virtual void Write(TRow& to) const = 0;
};

/// Whether two records write the same values (NULLs included).
bool SameValues(const TDataObject& a, const TDataObject& b);

/// What every record repeats, written once: cleared, copied, cloned and built from a row.
/// `Base` is the record's parent when several records share their columns.
template <typename D, typename Base = TDataObject> class TRecord : public Base {
public:
    using Base::Assign;
    void Assign(const D& from) { static_cast<D&>(*this) = from; }
    void Clear() override { static_cast<D&>(*this) = D(); }
    std::unique_ptr<D> Clone() const { return std::make_unique<D>(static_cast<const D&>(*this)); }
    static std::unique_ptr<D> FromRow(const TRow& row) {
        auto record = std::make_unique<D>();
        record->Assign(row);
        return record;
    }
};

// Properties of a record: a getter and a setter; text setters keep the first `Cut` characters
// (loading from a row stores the value as read, through the field itself).
#define ZELM_TEXT(Name, Cut)                                                                       \
public:                                                                                            \
    const QString& Name() const {                                                                  \
        return F##Name;                                                                            \
    }                                                                                              \
    void Set##Name(const QString& value) {                                                         \
        F##Name = (Cut) > 0 ? value.left(Cut) : value;                                             \
    }                                                                                              \
                                                                                                   \
protected:                                                                                         \
    QString F##Name;

#define ZELM_VALUE(Type, Name)                                                                     \
public:                                                                                            \
    Type Name() const {                                                                            \
        return F##Name;                                                                            \
    }                                                                                              \
    void Set##Name(Type value) {                                                                   \
        F##Name = value;                                                                           \
    }                                                                                              \
                                                                                                   \
protected:                                                                                         \
    Type F##Name{};

/// Owning list of records: removing an item or destroying the list frees the items.
template <typename T> class TDataList {
public:
    using Item = T;
    virtual ~TDataList() = default;
    int Count() const { return static_cast<int>(fItems.size()); }
    bool IsEmpty() const { return fItems.empty(); }
    T* Items(int index) const { return fItems.at(index).get(); }
    T* operator[](int index) const { return Items(index); }
    T* Add(std::unique_ptr<T> item) {
        fItems.push_back(std::move(item));
        return fItems.back().get();
    }
    void Delete(int index) { fItems.erase(fItems.begin() + index); }
    void Clear() { fItems.clear(); }
    auto begin() const { return fItems.begin(); }
    auto end() const { return fItems.end(); }

    /// Appends a clone of every item of `from`, in order.
    virtual void CopyFrom(const TDataList& from) {
        for (const auto& item : from.fItems)
            fItems.push_back(item->Clone());
    }
    /// Position of the first item with this identifier, -1 when none.
    int IndexOf(int id) const {
        for (size_t i = 0; i < fItems.size(); ++i)
            if (fItems[i]->Id() == id)
                return static_cast<int>(i);
        return -1;
    }

protected:
    std::vector<std::unique_ptr<T>> fItems;
};

/// Clone of a list of any concrete list class.
template <typename L> std::unique_ptr<L> CloneList(const L& list) {
    auto copy = std::make_unique<L>();
    copy->CopyFrom(list);
    return copy;
}

/// Owner of a fixed set of objects that live and die together.
class TContext {
public:
    virtual ~TContext() = default;

protected:
    explicit TContext(int slotCount) : fSlots(slotCount) {}
    template <typename T> T* Slot(int index) const {
        void* object = fSlots.at(index).object.get();
        if (!object)
            return nullptr;
        if (*fSlots[index].type != typeid(T))
            throw EZavoError(QStringLiteral("Conversione di tipo non valida"));
        return static_cast<T*>(object);
    }
    /// Stores `object` and takes ownership; an object already in the slot is not freed here
    /// (it stays owned by the context until the context dies).
    template <typename T> void SetSlot(int index, std::unique_ptr<T> object) {
        Entry& e = fSlots.at(index);
        if (e.object)
            fRetired.push_back(std::move(e.object));
        e.type = &typeid(T);
        e.object =
            std::shared_ptr<void>(object.release(), [](void* p) { delete static_cast<T*>(p); });
    }

    /// Frees every object the context holds and empties the slots.
    void ClearSlots() {
        for (Entry& e : fSlots)
            e = Entry{};
        fRetired.clear();
    }
    int SlotCount() const { return static_cast<int>(fSlots.size()); }

private:
    struct Entry {
        const std::type_info* type = nullptr;
        std::shared_ptr<void> object;
    };
    std::vector<Entry> fSlots;
    std::vector<std::shared_ptr<void>> fRetired;
};

/// What a validation returns: 0 nothing to report, 1 warnings only, 2 at least one error.
class TValidationResult {
public:
    virtual ~TValidationResult() = default;
    quint16 Code() const { return fCode; }
    const QStringList& Errors() const { return fErrors; }
    const QStringList& Warnings() const { return fWarnings; }
    void AppendWarning(const QString& msg) {
        fWarnings << msg;
        if (fCode == 0)
            fCode = 1;
    }
    void AppendError(const QString& msg) {
        fErrors << msg;
        fCode = 2;
    }
    bool IsOk() const { return fCode == 0; }
    bool IsWarning() const { return fCode == 1; }
    bool IsError() const { return fCode == 2; }

private:
    quint16 fCode = 0;
    QStringList fErrors, fWarnings;
};
