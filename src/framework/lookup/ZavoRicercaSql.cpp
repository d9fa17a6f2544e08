#include "ZavoRicercaSql.h"

#include "ZavoRicerca.h"

#include "framework/core/DataBreve.h"
#include "framework/core/ZavoError.h"
#include "framework/db/IBSQL.h"
#include "framework/grid/ZavoGridSql.h"

#include <QDate>

namespace {
const QStringList kCatalogue{
    "SELECT r.RDB$FIELD_NAME AS NOMECAMPO, ", "CASE f.RDB$FIELD_TYPE ", "WHEN 261 THEN 'BLOB' ",
    "WHEN 14 THEN 'CHAR' ", "WHEN 40 THEN 'CSTRING' ", "WHEN 11 THEN 'D_FLOAT' ",
    "WHEN 27 THEN 'DOUBLE' ", "WHEN 10 THEN 'FLOAT' ", "WHEN 16 THEN 'INT64' ",
    "WHEN 8 THEN 'INTEGER' ", "WHEN 9 THEN 'QUAD' ", "WHEN 7 THEN 'SMALLINT' ",
    "WHEN 12 THEN 'DATE' ", "WHEN 13 THEN 'TIME' ", "WHEN 35 THEN 'TIMESTAMP' ",
    "WHEN 37 THEN 'VARCHAR' ", "ELSE 'UNKNOWN' ", "END AS TIPOCAMPO ",
    "FROM RDB$RELATION_FIELDS r  ",
    "LEFT JOIN RDB$FIELDS f ON r.RDB$FIELD_SOURCE = f.RDB$FIELD_NAME  ",
    // The table's name is bound: it never becomes part of the text.
    "WHERE r.RDB$RELATION_NAME=:TABELLA  ", "ORDER BY r.RDB$FIELD_POSITION "};

bool Numeric(const QString& type) {
    static const QStringList numeric{"D_FLOAT", "DOUBLE", "FLOAT",   "INT64",
                                     "INTEGER", "QUAD",   "SMALLINT"};
    return numeric.contains(type);
}

const TColonnaRicerca* Find(const std::vector<TColonnaRicerca>& columns, const QString& name) {
    for (const TColonnaRicerca& c : columns)
        if (c.nome == name)
            return &c;
    return nullptr;
}
} // namespace

std::vector<TColonnaRicerca> LeggiColonne(TIBDatabase& database, TIBTransaction& transaction,
                                          const QString& table) {
    TIBSQL sql(&database, &transaction);
    sql.SetSQL(kCatalogue);
    sql.ParamByName("TABELLA").SetString(table);
    std::vector<TColonnaRicerca> columns;
    for (sql.ExecQuery(); !sql.Eof(); sql.Next())
        columns.push_back({sql.FieldByName("NOMECAMPO").AsString().trimmed(),
                           sql.FieldByName("TIPOCAMPO").AsString().trimmed()});
    if (columns.empty())
        throw EZavoError(QStringLiteral("Tabella \"%1\" non trovata").arg(table));
    return columns;
}

QString CondizioneFiltro(const QString& column, const QString& type, const QString& text) {
    if (type == QLatin1String("DATE")) {
        // Read as the short-date box reads it; an unreadable date is refused by its field, the
        // engine would only say "conversion error".
        const QDate d = DataBreve(text);
        if (!d.isValid())
            throw EZavoError(QStringLiteral("%1: '%2' non è una data valida (atteso gg/mm/aaaa)")
                                 .arg(column, text.trimmed()));
        return QStringLiteral(" AND ") + column + QStringLiteral(" = '") +
               d.toString(QStringLiteral("MM-dd-yyyy")) + QStringLiteral("' ");
    }
    // A number is searched in its text; only the decimal comma is turned into a dot. Every
    // value is quoted: nothing typed can end the literal.
    const QString value = (Numeric(type) ? QString(text).replace(',', '.') : text).toUpper();
    if (Numeric(type))
        for (QChar ch : value)
            if (ch.unicode() >= 128)
                // A number's text never holds such a character; the engine would only fail to
                // compare it (UTF8 connection), so the condition says so at once.
                return QStringLiteral(" AND 1=0 ");
    return QStringLiteral(" AND (") +
           OgniGrafia(
               value,
               [&](const QString& literal) {
                   return QStringLiteral("UPPER(") + column + QStringLiteral(") LIKE '%") +
                          literal + QStringLiteral("%'");
               },
               Numeric(type)) +
           QStringLiteral(") ");
}

QString CondizioneFissa(const TZavoFiltro* filter) {
    if (const auto* raw = dynamic_cast<const TZavoFiltroRaw*>(filter)) {
        if (!raw->QueryRaw.isEmpty())
            return QStringLiteral(" AND (") + raw->QueryRaw + ')';
    } else if (const auto* in = dynamic_cast<const TZavoFiltroIn*>(filter)) {
        if (!in->Query.isEmpty())
            return QStringLiteral(" AND ") + in->CampoFiltro + QStringLiteral(" IN (") +
                   QString(in->Query).replace(QChar(0x00B4), '\'') + QStringLiteral(") ");
    } else if (const auto* containing = dynamic_cast<const TZavoFiltroContaining*>(filter)) {
        return QStringLiteral(" AND ") + containing->CampoFiltro + QStringLiteral(" CONTAINING '") +
               LiteraleRicerca(containing->ValoreContenuto) + '\'';
    }
    return QString();
}

QString QueryRicerca(const QString& table, const std::vector<TColonnaRicerca>& columns,
                     const std::vector<std::pair<QString, QString>>& filters,
                     const TZavoFiltro* filter) {
    QStringList names;
    for (const TColonnaRicerca& c : columns)
        names << c.nome;
    QString text = QStringLiteral("SELECT ") + names.join(',') + QStringLiteral(" FROM ") + table +
                   QStringLiteral(" WHERE 1=1 ");
    for (const auto& [name, value] : filters) {
        if (value.isEmpty())
            continue;
        const TColonnaRicerca* column = Find(columns, name);
        if (!column)
            throw EZavoError(
                QStringLiteral("Campo \"%1\" non presente nella tabella %2").arg(name, table));
        text += CondizioneFiltro(column->nome, column->tipo, value);
    }
    return text + CondizioneFissa(filter);
}

QStringList ColonneChiave(TIBDatabase& database, TIBTransaction& transaction,
                          const QString& table) {
    TIBSQL sql(&database, &transaction);
    // The primary key first, then a unique index (with or without a constraint), then a foreign
    // key's: "the first index" must not depend on the catalogue's order.
    sql.SetSQL(QStringList{"SELECT i.RDB$INDEX_NAME CHIAVEPRIMARIA", " FROM RDB$INDICES i ",
                           " LEFT JOIN RDB$RELATION_CONSTRAINTS rc ON "
                           "rc.RDB$INDEX_NAME = i.RDB$INDEX_NAME",
                           " WHERE i.RDB$RELATION_NAME=:TABELLA", " AND ( ",
                           " i.RDB$UNIQUE_FLAG = 1 ", " OR i.RDB$FOREIGN_KEY IS NOT NULL ", " )",
                           " ORDER BY CASE rc.RDB$CONSTRAINT_TYPE WHEN 'PRIMARY KEY' THEN 0 "
                           "ELSE 1 END, i.RDB$UNIQUE_FLAG DESC, i.RDB$INDEX_NAME"});
    sql.ParamByName("TABELLA").SetString(table);
    sql.ExecQuery();
    const QString index = sql.Eof() ? QString() : sql.Fields(0).AsString().trimmed();
    sql.Close();
    QStringList keys;
    if (index.isEmpty()) {
        TIBSQL all(&database, &transaction);
        all.SetSQL(QStringList{"SELECT RDB$FIELD_NAME NOMECAMPO ", "FROM RDB$RELATION_FIELDS ",
                               "WHERE RDB$RELATION_NAME=:TABELLA", "ORDER BY RDB$FIELD_POSITION"});
        all.ParamByName("TABELLA").SetString(table);
        for (all.ExecQuery(); !all.Eof(); all.Next())
            keys << all.Fields(0).AsString().trimmed();
        return keys;
    }
    TIBSQL seg(&database, &transaction);
    seg.SetSQL(QStringList{"SELECT s.RDB$FIELD_NAME AS NOMECAMPO ", "FROM RDB$INDEX_SEGMENTS s ",
                           "LEFT JOIN RDB$INDICES i ON i.RDB$INDEX_NAME = s.RDB$INDEX_NAME ",
                           " WHERE i.RDB$RELATION_NAME=:TABELLA ", " AND s.RDB$INDEX_NAME=:INDICE ",
                           " ORDER BY s.RDB$FIELD_POSITION "});
    seg.ParamByName("TABELLA").SetString(table);
    seg.ParamByName("INDICE").SetString(index);
    for (seg.ExecQuery(); !seg.Eof(); seg.Next())
        keys << seg.Fields(0).AsString().trimmed();
    return keys;
}
