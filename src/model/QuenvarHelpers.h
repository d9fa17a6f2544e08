// NULL mapping between records and rows, and the in-memory table routines of the panels.
#pragma once

#include "DataObject.h"
#include "MemDataSet.h"

#include "framework/core/ScopeExit.h"
#include "framework/db/DbHelpers.h"

class TIBDatabase;

void SetStringOrNull(TRow& row, const char* name, const QString& value);
void SetIntegerOrNull(TRow& row, const char* name, int value, bool nullIfZero);
/// NULL when the flag is set and |value| <= 1e-12.
void SetFloatOrNull(TRow& row, const char* name, bool nullIfZero, double value);
/// Date 0 (a null QDate) is NULL.
void SetDateOrNull(TRow& row, const char* name, const QDate& value);
void SetDateTimeOrNull(TRow& row, const char* name, const QDateTime& value);
/// NULL reads as date 0 (a null QDateTime).
QDateTime GetDateOrZero(const TRow& row, const char* name);

/// False while a row is being edited or inserted; otherwise whether the table has no rows.
bool IsDataSetEmpty(const TMemDataSet& dataSet);
/// (Re)creates `dataSet`, empty, with one field per column of `tableName`.
void CreateDataSetLike(TMemDataSet& dataSet, TIBDatabase& database, const QString& tableName);
void EditRecordFrom(TMemDataSet& dataSet, const TDataObject& record);
void AppendRecordFrom(TMemDataSet& dataSet, const TDataObject& record);
/// Replaces the rows of `dataSet` with the records of `list` (none when null), shown to the views
/// at once; the first row is current.
template <class TList> void ReplaceRecordsFrom(TMemDataSet& dataSet, const TList* list) {
    dataSet.BeginLoad();
    const TScopeExit end([&] { dataSet.EndLoad(); });
    dataSet.EmptyDataSet();
    if (list)
        for (int i = 0; i < list->Count(); ++i)
            AppendRecordFrom(dataSet, *list->Items(i));
}
