#include "DataAccessObject.h"

#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"

TDataAccessObject::TDataAccessObject(QObject* owner) : QObject(owner) {}

TDataAccessObject::~TDataAccessObject() = default;

TIBSQL* TDataAccessObject::CreateIBSQL() {
    fStatements.push_back(std::make_unique<TIBSQL>(fDatabase, fTransaction));
    return fStatements.back().get();
}

TIBSQL& TDataAccessObject::Sql(TIBSQL*& slot, const QStringList& lines) {
    if (!slot) {
        slot = CreateIBSQL();
        slot->SetSQL(lines);
    }
    return *slot;
}

void TDataAccessObject::LoadTexts(TIBSQL& sql, QStringList& to) {
    for (sql.ExecQuery(); !sql.Eof(); sql.Next())
        to << sql.Fields(0).AsString();
    sql.Close();
}

int TDataAccessObject::NextValue(const QString& generator) {
    return GeneratorNextValue(*fDatabase, generator, 1);
}

static QStringList ColumnLines(const QString& head, const QString& table,
                               const QStringList& columns) {
    QStringList lines{head + table + '('};
    for (int i = 0; i < columns.size(); ++i)
        lines << "  " + columns[i] + (i + 1 < columns.size() ? "," : "");
    lines << ")"
          << "VALUES(";
    for (int i = 0; i < columns.size(); ++i)
        lines << "  :" + columns[i] + (i + 1 < columns.size() ? "," : "");
    lines << ")";
    return lines;
}

QStringList UpsertLines(const QString& table, const QStringList& columns) {
    return ColumnLines(QStringLiteral("UPDATE OR INSERT INTO "), table, columns);
}

QStringList InsertLines(const QString& table, const QStringList& columns) {
    return ColumnLines(QStringLiteral("INSERT INTO "), table, columns);
}
