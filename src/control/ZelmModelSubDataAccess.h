// Details, options, preferences and annotations of a sheet: loads, deletes and list saves.
#pragma once

#include "DataAccessObject.h"

#include "framework/db/DbHelpers.h"

#include "model/ZelmModelSubData.h"

/// Rows of one table keyed by ID, loaded by a key (model, or model and variant) and saved as
/// lists with the same prepared upsert.
class TSubRowsAccess : public TDataAccessObject {
    Q_OBJECT
public:
    using TDataAccessObject::TDataAccessObject;

protected:
    struct TTexts {
        const char* table;
        const char* generator;
        QStringList byKey, deleteByKey, upsert;
    };
    virtual const TTexts& Texts() const = 0;
    TIBSQL& ById(int id);
    TIBSQL& ByKey();
    void DeleteOne(int id);
    TIBSQL& DeleteByKeyStatement();
    /// Gives every new row an identifier, then writes each row with the upsert; a row that
    /// `stored` holds with the same values is not written again (rewriting it unchanged would
    /// only collide with another user's edit of the same model). The new rows' identifiers
    /// come from one draw of the generator: a block of them is as much this caller's alone as
    /// a single value.
    template <typename L> void SaveList(L& list, const L* stored = nullptr) {
        int missing = 0;
        for (auto& item : list)
            missing += item->Id() == 0 ? 1 : 0;
        int next = missing > 0 ? NextValues(missing) : 0;
        for (auto& item : list) {
            if (item->Id() == 0) {
                item->SetId(next++);
            } else if (stored) {
                const int at = stored->IndexOf(item->Id());
                if (at >= 0 && SameValues(*item, *stored->Items(at)))
                    continue;
            }
            SaveRow(*item);
        }
    }
    template <typename T> void SaveRow(T& item) {
        if (item.Id() == 0)
            item.SetId(NextValue(QString::fromLatin1(Texts().generator)));
        TIBSQL& sql = Sql(fUpsert, Texts().upsert);
        TStatementRow row(sql);
        item.AssignTo(row);
        sql.ExecQuery();
    }

public:
    int GenId() { return NextValue(QString::fromLatin1(Texts().generator)); }
    /// The first of `count` consecutive identifiers drawn at once.
    int NextValues(int count) {
        return GeneratorNextValue(*IBDatabase(), QString::fromLatin1(Texts().generator), count) -
               count + 1;
    }

private:
    TIBSQL* fById = nullptr;
    TIBSQL* fByKey = nullptr;
    TIBSQL* fDelete = nullptr;
    TIBSQL* fDeleteByKey = nullptr;
    TIBSQL* fUpsert = nullptr;
};

class TZelmModelDettDataAccess : public TSubRowsAccess {
    Q_OBJECT
public:
    using TSubRowsAccess::TSubRowsAccess;
    bool Load(int id, TZelmModelDettData& to);
    ZELM_OR_NONE(TZelmModelDettData, Load, (int id), id)
    bool LoadByModel(int idModel, TZelmModelDettDataList& to);
    ZELM_OR_NONE(TZelmModelDettDataList, LoadByModel, (int idModel), idModel)
    void Delete(int id) { DeleteOne(id); }
    void DeleteByModel(int idModel);
    void Save(TZelmModelDettDataList& list, const TZelmModelDettDataList* stored = nullptr) {
        SaveList(list, stored);
    }

protected:
    const TTexts& Texts() const override;
};

/// Options and preferences share their shape: rows of one variant of a model.
class TVarianteRowsAccess : public TSubRowsAccess {
    Q_OBJECT
public:
    using TSubRowsAccess::TSubRowsAccess;
    void DeleteByVarianteModel(int idModel, int idVarianteModel);

protected:
    TIBSQL& ByVariante(int idModel, int idVarianteModel);
};

class TZelmModelOpzDataAccess : public TVarianteRowsAccess {
    Q_OBJECT
public:
    using TVarianteRowsAccess::TVarianteRowsAccess;
    bool Load(int id, TZelmModelOpzData& to);
    ZELM_OR_NONE(TZelmModelOpzData, Load, (int id), id)
    bool LoadByVarianteModel(int idModel, int idVarianteModel, TZelmModelOpzDataList& to);
    ZELM_OR_NONE(TZelmModelOpzDataList, LoadByVarianteModel, (int idModel, int idVarianteModel),
                 idModel, idVarianteModel)
    void Delete(int id) { DeleteOne(id); }
    void Save(TZelmModelOpzDataList& list, const TZelmModelOpzDataList* stored = nullptr) {
        SaveList(list, stored);
    }

protected:
    const TTexts& Texts() const override;
};

class TZelmModelPrefCompDataAccess : public TVarianteRowsAccess {
    Q_OBJECT
public:
    using TVarianteRowsAccess::TVarianteRowsAccess;
    bool Load(int id, TZelmModelPrefCompData& to);
    ZELM_OR_NONE(TZelmModelPrefCompData, Load, (int id), id)
    bool LoadByVarianteModel(int idModel, int idVarianteModel, TZelmModelPrefCompDataList& to);
    ZELM_OR_NONE(TZelmModelPrefCompDataList, LoadByVarianteModel,
                 (int idModel, int idVarianteModel), idModel, idVarianteModel)
    void Delete(int id) { DeleteOne(id); }
    void Save(TZelmModelPrefCompDataList& list,
              const TZelmModelPrefCompDataList* stored = nullptr) {
        SaveList(list, stored);
    }

protected:
    const TTexts& Texts() const override;
};

class TZelmModelStoDataAccess : public TSubRowsAccess {
    Q_OBJECT
public:
    using TSubRowsAccess::TSubRowsAccess;
    bool Load(int id, TZelmModelStoData& to);
    ZELM_OR_NONE(TZelmModelStoData, Load, (int id), id)
    /// By date, then by identifier.
    bool LoadByModel(int idModel, TZelmModelStoDataList& to);
    ZELM_OR_NONE(TZelmModelStoDataList, LoadByModel, (int idModel), idModel)
    void Delete(int id) { DeleteOne(id); }
    void DeleteByModel(int idModel);
    void Save(TZelmModelStoData& sto) { SaveRow(sto); }
    void Save(TZelmModelStoDataList& list, const TZelmModelStoDataList* stored = nullptr) {
        SaveList(list, stored);
    }
    /// Every distinct non-NULL type of the whole table, ascending, appended to `to`.
    void LoadDistinctTipoAnnotazione(QStringList& to);

protected:
    const TTexts& Texts() const override;

private:
    TIBSQL* fTipi = nullptr;
};

class TIBDatabase;
/// The annotation types already used, read in a snapshot transaction of its own (the annotation
/// dialog offers them without touching the window's transaction).
QStringList TipiAnnotazione(TIBDatabase& database);
