#include "QuenvarHelpers.h"

#include "MemDataSet.h"

#include "framework/db/DBConnection.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <cmath>

// --- row views ------------------------------------------------------------------------------
bool TStatementRow::IsNull(const char* name) const {
    return fSql.FieldByName(name).IsNull();
}
int TStatementRow::AsInteger(const char* name) const {
    return fSql.FieldByName(name).AsInteger();
}
QString TStatementRow::AsString(const char* name) const {
    return fSql.FieldByName(name).AsString();
}
double TStatementRow::AsFloat(const char* name) const {
    return fSql.FieldByName(name).AsDouble();
}
QDateTime TStatementRow::AsDateTime(const char* name) const {
    return fSql.FieldByName(name).AsDateTime();
}
void TStatementRow::SetNull(const char* name) {
    fSql.ParamByName(name).SetNull();
}
void TStatementRow::SetInteger(const char* name, int value) {
    fSql.ParamByName(name).SetInteger(value);
}
void TStatementRow::SetString(const char* name, const QString& value) {
    fSql.ParamByName(name).SetString(value);
}
void TStatementRow::SetFloat(const char* name, double value) {
    fSql.ParamByName(name).SetDouble(value);
}
void TStatementRow::SetDate(const char* name, const QDate& value) {
    fSql.ParamByName(name).SetDate(value);
}
void TStatementRow::SetDateTime(const char* name, const QDateTime& value) {
    fSql.ParamByName(name).SetDateTime(value);
}

bool TDataSetRow::IsNull(const char* name) const {
    return !fDataSet.Value(QLatin1StringView(name)).isValid();
}
int TDataSetRow::AsInteger(const char* name) const {
    return fDataSet.Value(QLatin1StringView(name)).toInt();
}
QString TDataSetRow::AsString(const char* name) const {
    return fDataSet.Value(QLatin1StringView(name)).toString();
}
double TDataSetRow::AsFloat(const char* name) const {
    return fDataSet.Value(QLatin1StringView(name)).toDouble();
}
QDateTime TDataSetRow::AsDateTime(const char* name) const {
    const QVariant v = fDataSet.Value(QLatin1StringView(name));
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    return v.toDateTime();
}
void TDataSetRow::SetNull(const char* name) {
    fDataSet.SetValue(QLatin1StringView(name), QVariant());
}
void TDataSetRow::SetInteger(const char* name, int value) {
    fDataSet.SetValue(QLatin1StringView(name), value);
}
void TDataSetRow::SetString(const char* name, const QString& value) {
    fDataSet.SetValue(QLatin1StringView(name), value);
}
void TDataSetRow::SetFloat(const char* name, double value) {
    fDataSet.SetValue(QLatin1StringView(name), value);
}
void TDataSetRow::SetDate(const char* name, const QDate& value) {
    fDataSet.SetValue(QLatin1StringView(name), QDateTime(value, QTime(0, 0)));
}
void TDataSetRow::SetDateTime(const char* name, const QDateTime& value) {
    fDataSet.SetValue(QLatin1StringView(name), value);
}

// --- comparing records --------------------------------------------------------------------
namespace {
/// A row that only records what a record writes into it.
class TValuesRow : public TRow {
public:
    bool IsNull(const char*) const override { return true; }
    int AsInteger(const char*) const override { return 0; }
    QString AsString(const char*) const override { return QString(); }
    double AsFloat(const char*) const override { return 0; }
    QDateTime AsDateTime(const char*) const override { return QDateTime(); }
    void SetNull(const char* name) override { Put(name, QVariant()); }
    void SetInteger(const char* name, int value) override { Put(name, value); }
    void SetString(const char* name, const QString& value) override { Put(name, value); }
    void SetFloat(const char* name, double value) override { Put(name, value); }
    void SetDate(const char* name, const QDate& value) override { Put(name, value); }
    void SetDateTime(const char* name, const QDateTime& value) override { Put(name, value); }
    std::vector<std::pair<QByteArray, QVariant>> values;

private:
    void Put(const char* name, const QVariant& value) { values.emplace_back(name, value); }
};
} // namespace

bool SameValues(const TDataObject& a, const TDataObject& b) {
    TValuesRow ra, rb;
    a.AssignTo(ra);
    b.AssignTo(rb);
    return ra.values == rb.values;
}

// --- NULL mapping ---------------------------------------------------------------------------
void SetStringOrNull(TRow& row, const char* name, const QString& value) {
    if (value.isEmpty())
        row.SetNull(name);
    else
        row.SetString(name, value);
}

void SetIntegerOrNull(TRow& row, const char* name, int value, bool nullIfZero) {
    if (value == 0 && nullIfZero)
        row.SetNull(name);
    else
        row.SetInteger(name, value);
}

void SetFloatOrNull(TRow& row, const char* name, bool nullIfZero, double value) {
    if (nullIfZero && std::fabs(value) <= 1e-12)
        row.SetNull(name);
    else
        row.SetFloat(name, value);
}

void SetDateOrNull(TRow& row, const char* name, const QDate& value) {
    if (!value.isValid())
        row.SetNull(name);
    else
        row.SetDate(name, value);
}

void SetDateTimeOrNull(TRow& row, const char* name, const QDateTime& value) {
    if (!value.isValid())
        row.SetNull(name);
    else
        row.SetDateTime(name, value);
}

QDateTime GetDateOrZero(const TRow& row, const char* name) {
    return row.IsNull(name) ? QDateTime() : row.AsDateTime(name);
}

// --- in-memory tables -----------------------------------------------------------------------
bool IsDataSetEmpty(const TMemDataSet& dataSet) {
    if (dataSet.State() == TMemDataSet::dsEdit || dataSet.State() == TMemDataSet::dsInsert)
        return false;
    return dataSet.IsEmpty();
}

void CreateDataSetLike(TMemDataSet& dataSet, TIBDatabase& database, const QString& tableName) {
    std::unique_ptr<TIBTransaction> tr =
        CreaTransazione(database, TTipoTransazione::Snapshot, false);
    tr->StartTransaction();
    TIBSQL sql(&database, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringLiteral("SELECT FIRST 1 * FROM %1").arg(tableName));
    sql.Prepare();
    dataSet.ClearFieldDefs();
    for (const TFieldInfo& f : sql.FieldInfos()) {
        QMetaType::Type type = QMetaType::QString;
        switch (f.sqlType) {
        case SqlType::Short:
        case SqlType::Long:
            type = f.scale < 0 ? QMetaType::Double : QMetaType::Int;
            break;
        case SqlType::Int64:
            type = f.scale < 0 ? QMetaType::Double : QMetaType::LongLong;
            break;
        case SqlType::Float:
        case SqlType::Double:
        case SqlType::DFloat:
            type = QMetaType::Double;
            break;
        case SqlType::Date:
            type = QMetaType::QDate;
            break;
        case SqlType::Timestamp:
            type = QMetaType::QDateTime;
            break;
        default:
            break;
        }
        dataSet.AddFieldDef(f.alias, type, f.IsText() ? f.Size() : 0);
    }
    sql.FreeHandle();
    tr->Rollback();
    dataSet.CreateDataSet();
}

void EditRecordFrom(TMemDataSet& dataSet, const TDataObject& record) {
    dataSet.Edit();
    TDataSetRow row(dataSet);
    record.AssignTo(row);
    dataSet.Post();
}

void AppendRecordFrom(TMemDataSet& dataSet, const TDataObject& record) {
    dataSet.Append();
    TDataSetRow row(dataSet);
    record.AssignTo(row);
    dataSet.Post();
}
