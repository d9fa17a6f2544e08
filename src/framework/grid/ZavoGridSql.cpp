#include "ZavoGridSql.h"

#include "framework/core/ZavoError.h"
#include "framework/db/IBSQL.h"

#include <QDate>

namespace {
QDate ParseDate(const QString& text) {
    return QDate::fromString(text.trimmed(), QStringLiteral("dd/MM/yyyy"));
}

QString MonthFirst(const QString& text) {
    const QDate d = ParseDate(text);
    if (!d.isValid())
        throw EZavoError(QStringLiteral("'%1' non è una data valida").arg(text));
    return d.toString(QStringLiteral("MM/dd/yyyy"));
}

QString Expression(TClasseCampo classe, const QString& origin, const TParametriRicerca& p) {
    return p.upper && classe == clTesto ? QStringLiteral("UPPER(") + origin + ')' : origin;
}
} // namespace

TClasseCampo ClasseDaTipoSql(int sqlType) {
    switch (sqlType) {
    case SqlType::Short:
    case SqlType::Long:
    case SqlType::Int64:
    case SqlType::Float:
    case SqlType::Double:
    case SqlType::DFloat:
        return clNumero;
    case SqlType::Date:
        return clData;
    case SqlType::Timestamp:
        return clDataOra;
    case SqlType::Blob:
        return clBlob;
    default:
        return clTesto;
    }
}

QString LiteraleRicerca(QString text) {
    return text.replace('\'', QChar(0x00B4));
}

bool HaWhere(const QStringList& base) {
    for (const QString& line : base)
        if (line.toUpper().contains(QLatin1String("WHERE")))
            return true;
    return false;
}

bool RicercaApplicabile(TClasseCampo classe, const TParametriRicerca& p) {
    return classe != clDataOra || (p.data1.size() == 10 && ParseDate(p.data1).isValid());
}

QString CondizioneRicerca(TClasseCampo classe, const QString& origin, const TParametriRicerca& p,
                          bool baseHasWhere) {
    const QString keyword = baseHasWhere ? QStringLiteral("AND") : QStringLiteral("WHERE");
    const bool isDate = classe == clData || classe == clDataOra;
    if (isDate) {
        if (p.data1.trimmed().isEmpty())
            return QString();
        QString line =
            keyword + '(' + origin + QStringLiteral(" >= '") + MonthFirst(p.data1) + "')";
        if (!p.data2.trimmed().isEmpty())
            line += QStringLiteral("AND(") + origin + QStringLiteral(" <= '") +
                    MonthFirst(p.data2) + "')";
        return line;
    }
    if (p.testo.isEmpty())
        return QString();
    const bool upper = p.upper && classe == clTesto;
    const QString value = LiteraleRicerca(upper ? p.testo.toUpper() : p.testo);
    const QString expression = Expression(classe, origin, p);
    switch (classe == clNumero && p.tipo == 2 ? 0 : p.tipo) {
    case 1:
        return keyword + '(' + expression + QStringLiteral(" LIKE '%") + value + "%')";
    case 2:
        return keyword + '(' + expression + QStringLiteral(" LIKE '") + value + "%')";
    default:
        return keyword + '(' + expression + QStringLiteral(" >= '") + value + "')";
    }
}

QString OrdinamentoRicerca(TClasseCampo classe, const QString& origin, const TParametriRicerca& p) {
    if (p.ordinamento != 1 && p.ordinamento != 2)
        return QString();
    return QStringLiteral("ORDER BY ") + Expression(classe, origin, p) +
           (p.ordinamento == 2 ? QStringLiteral(" DESC") : QString());
}

QStringList RicercaGenericaLines(const QStringList& base, const std::vector<TCampoRicerca>& fields,
                                 const QString& testo) {
    const QString value = LiteraleRicerca(testo.toUpper());
    QStringList lines = base;
    lines << (HaWhere(base) ? QStringLiteral("AND(") : QStringLiteral("WHERE("));
    // A number or a date never contains a character outside ASCII; asking the database would
    // only fail to transliterate the text (the connection speaks UTF8), so such columns are left
    // out when the text has one.
    bool ascii = true;
    for (QChar ch : value)
        ascii = ascii && ch.unicode() < 128;
    bool first = true;
    for (const TCampoRicerca& f : fields) {
        if (f.origin.isEmpty() || (!ascii && f.classe != clTesto && f.classe != clBlob))
            continue;
        lines << (first ? QString() : QStringLiteral("OR")) + '(' + f.origin +
                     QStringLiteral(" CONTAINING '") + value + "')";
        first = false;
    }
    lines << QStringLiteral(")");
    return lines;
}

QStringList OrderingLines(int mode, const TOrdEntry& single, const std::vector<TOrdEntry>& multi,
                          const QStringList& customFields, const QStringList& origins,
                          bool orderBy) {
    auto applies = [&](const TOrdEntry& e) {
        return customFields.contains(e.field) || origins.contains(e.origin.toUpper());
    };
    QStringList lines;
    if (mode == 1 && !single.field.isEmpty() && applies(single))
        lines << QStringLiteral("ORDER BY ") + single.origin +
                     (single.direction == 2 ? QStringLiteral(" DESC") : QString());
    if (mode == 2 && orderBy)
        for (const TOrdEntry& e : multi)
            if (applies(e))
                lines << (lines.isEmpty() ? QStringLiteral("ORDER BY ") : QStringLiteral(",")) +
                             e.origin + (e.direction == 2 ? QStringLiteral(" DESC") : QString());
    return lines;
}

QString OrdinamentoChiavePrimaria(const QString& table, const QStringList& keyColumns) {
    QStringList names;
    for (QString column : keyColumns)
        names << table + '.' + column.remove(' ');
    return names.isEmpty() ? QString() : QStringLiteral("ORDER BY ") + names.join(',');
}
