#include "FieldControlZelmModel.h"

#include "framework/core/ZavoError.h"
#include "model/MemDataSet.h"
#include "model/ZelmModelData.h"

#include <QDateTime>

TFieldControlZelmModel::TFieldControlZelmModel(TZavoQuery* fields, QObject* owner)
    : TFieldControlId(fields, owner) {}

TFieldControlZelmModel::TFieldControlZelmModel(TMemDataSet* fields, QObject* owner)
    : TFieldControlId(nullptr, owner), fRow(fields) {}

QVariant TFieldControlZelmModel::Value(const QString& field) const {
    if (!fRow)
        return TFieldControl::Value(field);
    if (!fRow->Active() || (fRow->RecNo() < 0 && fRow->State() != TMemDataSet::dsInsert))
        return QVariant();
    return fRow->Value(field);
}

int TFieldControlZelmModel::Int(const char* field) const {
    return Value(QLatin1String(field)).toInt();
}

QString TFieldControlZelmModel::Text(const char* field) const {
    return Value(QLatin1String(field)).toString();
}

QDate TFieldControlZelmModel::Date(const char* field) const {
    const QVariant v = Value(QLatin1String(field));
    if (v.isNull())
        return QDate();
    return v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
}

void TFieldControlZelmModel::Write(const char* field, const QVariant& v) {
    if (!fRow)
        throw EZavoError(QStringLiteral("Campo %1 in sola lettura").arg(QLatin1String(field)));
    if (fRow->State() == TMemDataSet::dsBrowse)
        fRow->Edit();
    fRow->SetValue(QLatin1String(field), v);
}

void TFieldControlZelmModel::SetText(const char* field, const QString& v) {
    Write(field, v.isEmpty() ? QVariant() : QVariant(v));
}

void TFieldControlZelmModel::SetInt(const char* field, int v) {
    Write(field, v == 0 ? QVariant() : QVariant(v));
}

void TFieldControlZelmModel::SetDate(const char* field, const QDate& v) {
    Write(field, v.isValid() ? QVariant(v) : QVariant());
}

// The record's rules, so that the card and the export agree on the file a sheet refers to.
QString TFieldControlZelmModel::GetFileName() const {
    TZelmModelData sheet;
    sheet.SetNomeFile(NomeFile());
    sheet.SetPercorsoFile(PercorsoFile());
    return sheet.GetFileName();
}

void TFieldControlZelmModel::SetFileName(const QString& value) {
    TZelmModelData sheet;
    sheet.SetNomeFile(NomeFile());
    sheet.SetPercorsoFile(PercorsoFile());
    sheet.SetFileName(value);
    SetPercorsoFile(sheet.PercorsoFile());
    SetNomeFile(sheet.NomeFile());
}
