// The photo application's tables: its control row and its picture rows.
#pragma once

#include "DataAccessObject.h"

#include "model/PhotoData.h"

#include <memory>
#include <vector>

class TLumetraControlAccess : public TDataAccessObject {
    Q_OBJECT
public:
    using TDataAccessObject::TDataAccessObject;
    bool Load(int codiceSituazione, const QString& controlloCodice, TLumetraControlData& to);

private:
    TIBSQL* fLoad = nullptr;
};

class TOrvoItemPhotoAccess : public TDataAccessObject {
    Q_OBJECT
public:
    using TDataAccessObject::TDataAccessObject;
    bool Load(int id, TOrvoItemPhotoData& to);
    ZELM_OR_NONE(TOrvoItemPhotoData, Load, (int id), id)
    /// The active pictures of an item: the cover first, then by name (their number), then id.
    std::vector<std::unique_ptr<TOrvoItemPhotoData>> LoadItem(const QString& codiceItem);
    /// Inserts the picture; an Id of 0 is drawn from IDORVOITEMPHOTOCOUNTER first.
    void Insert(TOrvoItemPhotoData& data);
    /// Clears the cover mark of every other cover of the album (`exceptId` 0: none excluded).
    void ResetCover(int idAlbum, int exceptId = 0);

private:
    TIBSQL* fLoad = nullptr;
    TIBSQL* fLoadItem = nullptr;
    TIBSQL* fInsert = nullptr;
    TIBSQL* fGen = nullptr;
    TIBSQL* fCover = nullptr;
};

class TOrvoViewerCallDataAccess : public TDataAccessObject {
    Q_OBJECT
public:
    using TDataAccessObject::TDataAccessObject;
    bool Load(int id, TOrvoViewerCallData& to);
    ZELM_OR_NONE(TOrvoViewerCallData, Load, (int id), id)
    /// Draws the ID from ID_ORVOVIEWERCALL_COUNTER when 0, then updates or inserts the row.
    void Save(TOrvoViewerCallData& data);

private:
    TIBSQL* fLoad = nullptr;
    TIBSQL* fSave = nullptr;
};
