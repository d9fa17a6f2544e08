// Reads of the host tables a sheet refers to: size ranges, option and preference sets,
// customers and the two classifications.
#pragma once

#include "DataAccessObject.h"

#include "model/ReferenceData.h"

class TTaglieOperativeDataAccess : public TDataAccessObject {
    Q_OBJECT
public:
    using TDataAccessObject::TDataAccessObject;
    /// Sizes of a range in NRIGA order; the code is cut to 10 characters first.
    bool Load(const QString& codice, TTaglieOperativeDataList& to);
    ZELM_OR_NONE(TTaglieOperativeDataList, Load, (const QString& codice), codice)
    void LoadDistinctCodice(QStringList& to);

private:
    TIBSQL* fSizes = nullptr;
    TIBSQL* fCodes = nullptr;
};

/// Option sets and preference sets: the same statements on two tables.
class TZelmSetDataAccess : public TDataAccessObject {
    Q_OBJECT
public:
    TZelmSetDataAccess(const char* table, QObject* owner);
    /// Set numbers in numeric order, as decimal texts, appended to `to`.
    void LoadDistinctNSet(QStringList& to);

protected:
    TIBSQL& Labels(int nSet);

private:
    QString fTable;
    TIBSQL* fLabels = nullptr;
    TIBSQL* fNumbers = nullptr;
};

class TZelmSetOpzioniLavorazDataAccess : public TZelmSetDataAccess {
    Q_OBJECT
public:
    explicit TZelmSetOpzioniLavorazDataAccess(QObject* owner = nullptr)
        : TZelmSetDataAccess("ZELMSETOPZIONILAVORAZ", owner) {}
    bool Load(int nSet, TZelmSetOpzioniLavorazDataList& to) { return LoadList(Labels(nSet), to); }
    ZELM_OR_NONE(TZelmSetOpzioniLavorazDataList, Load, (int nSet), nSet)
};

class TZelmSetPreferenzeComponentiDataAccess : public TZelmSetDataAccess {
    Q_OBJECT
public:
    explicit TZelmSetPreferenzeComponentiDataAccess(QObject* owner = nullptr)
        : TZelmSetDataAccess("ZELMSETPREFERENZECOMPONENTI", owner) {}
    bool Load(int nSet, TZelmSetPreferenzeComponentiDataList& to) {
        return LoadList(Labels(nSet), to);
    }
    ZELM_OR_NONE(TZelmSetPreferenzeComponentiDataList, Load, (int nSet), nSet)
};

class TClientiDataAccess : public TDataAccessObject {
    Q_OBJECT
public:
    using TDataAccessObject::TDataAccessObject;
    /// The code is cut to 10 characters before it is bound.
    bool Load(const QString& codice, TClientiData& to);
    ZELM_OR_NONE(TClientiData, Load, (const QString& codice), codice)

private:
    TIBSQL* fSelect = nullptr;
};

template <typename T, typename L> class TClassificazioneAccess : public TDataAccessObject {
public:
    TClassificazioneAccess(const char* table, QObject* owner)
        : TDataAccessObject(owner), fTable(QString::fromLatin1(table)) {}
    bool Load(int codice, T& to) {
        TIBSQL& sql =
            Sql(fByKey, {QStringLiteral("SELECT * FROM %1 WHERE CODICE=:CODICE").arg(fTable)});
        sql.ParamByName("CODICE").SetInteger(codice);
        return LoadRecord(sql, to);
    }
    std::unique_ptr<T> Load(int codice) {
        return OrNone<T>([&](T& r) { return Load(codice, r); });
    }
    bool LoadAll(L& to) {
        return LoadList(Sql(fAll, {QStringLiteral("SELECT * FROM %1 ORDER BY CODICE").arg(fTable)}),
                        to);
    }
    std::unique_ptr<L> LoadAll() {
        return OrNone<L>([&](L& l) { return LoadAll(l); });
    }

private:
    QString fTable;
    TIBSQL* fByKey = nullptr;
    TIBSQL* fAll = nullptr;
};

class TClassificazione1DataAccess
    : public TClassificazioneAccess<TClassificazione1Data, TClassificazione1DataList> {
public:
    explicit TClassificazione1DataAccess(QObject* owner = nullptr)
        : TClassificazioneAccess("CLASSIFICAZIONE1", owner) {}
};

class TClassificazione5DataAccess
    : public TClassificazioneAccess<TClassificazione5Data, TClassificazione5DataList> {
public:
    explicit TClassificazione5DataAccess(QObject* owner = nullptr)
        : TClassificazioneAccess("CLASSIFICAZIONE5", owner) {}
};
