// NULL mapping between records and rows, and the in-memory table routines of the panels.
#pragma once

#include "DataObject.h"

#include "framework/db/DbHelpers.h"

class TIBDatabase;

void SetStringOrNull(TStatementRow& row, const char* name, const QString& value);
void SetStringOrNull(TDataSetRow& row, const char* name, const QString& value);
void SetIntegerOrNull(TStatementRow& row, const char* name, int value, bool nullIfZero);
void SetIntegerOrNull(TDataSetRow& row, const char* name, int value, bool nullIfZero);
/// NULL when the flag is set and |value| <= 1e-12.
void SetFloatOrNull(TStatementRow& row, const char* name, bool nullIfZero, double value);
/// Date 0 (a null QDate) is NULL.
void SetDateOrNull(TStatementRow& row, const char* name, const QDate& value);
void SetDateTimeOrNull(TStatementRow& row, const char* name, const QDateTime& value);
void SetDateTimeOrNull(TDataSetRow& row, const char* name, const QDateTime& value);
/// A record's date column: SetDateOrNull into a statement, SetDateTimeOrNull into a table.
void SetRecordDate(TStatementRow& row, const char* name, const QDate& value);
void SetRecordDate(TDataSetRow& row, const char* name, const QDate& value);
/// NULL reads as date 0 (a null QDateTime).
QDateTime GetDateOrZero(const TStatementRow& row, const char* name);
QDateTime GetDateOrZero(const TDataSetRow& row, const char* name);

/// False while a row is being edited or inserted; otherwise whether the table has no rows.
bool IsDataSetEmpty(const TMemDataSet& dataSet);
/// (Re)creates `dataSet`, empty, with one field per column of `tableName`.
void CreateDataSetLike(TMemDataSet& dataSet, TIBDatabase& database, const QString& tableName);
void EditRecordFrom(TMemDataSet& dataSet, const TDataObject& record);
void AppendRecordFrom(TMemDataSet& dataSet, const TDataObject& record);
