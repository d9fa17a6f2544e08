#include "ZavoGridSql.h"

#include "framework/core/DataBreve.h"
#include "framework/core/ZavoError.h"
#include "framework/db/IBSQL.h"

#include <QDate>

namespace {
QDate ParseDate(const QString& text) {
    return DataBreve(text);
}

QString MonthFirst(const QDate& d) {
    return d.toString(QStringLiteral("MM/dd/yyyy"));
}

QDate ReadDate(const QString& text) {
    const QDate d = ParseDate(text);
    if (!d.isValid())
        throw EZavoError(QStringLiteral("'%1' non è una data valida").arg(text.trimmed()));
    return d;
}

QString Expression(TClasseCampo classe, const QString& origin, const TParametriRicerca& p) {
    return p.upper && classe == clTesto ? QStringLiteral("UPPER(") + origin + ')' : origin;
}
} // namespace

QString LiteraleSql(const QString& text) {
    const QString literal = QString(text).replace(QLatin1Char('\''), QStringLiteral("''"));
    // Counted as the engine counts a literal (characters, not bytes) and after the doubling, so
    // that a text of apostrophes is measured by what the statement holds. Anything longer would
    // be refused by the engine in its own words.
    if (literal.toUcs4().size() > kMaxLiteraleRicerca)
        throw EZavoError(QStringLiteral("Il testo da cercare è troppo lungo: al massimo %1 "
                                        "caratteri")
                             .arg(kMaxLiteraleRicerca));
    return literal;
}

QString OgniGrafia(const QString& text, const std::function<QString(const QString&)>& test,
                   bool soloAscii) {
    const QChar acute(0x00B4);
    QStringList spellings{text};
    if (text.contains(QLatin1Char('\'')) || text.contains(acute))
        // Typed with either apostrophe, the row may hold the plain one or the host's "´".
        spellings = QStringList{QString(text).replace(acute, QLatin1Char('\'')),
                                QString(text).replace(QLatin1Char('\''), acute)};
    QStringList tests;
    for (const QString& spelling : spellings) {
        // A number's or a date's text never holds a character outside ASCII; the engine would
        // only fail to compare it (UTF8 connection).
        bool ascii = true;
        for (QChar ch : spelling)
            ascii = ascii && ch.unicode() < 128;
        if (ascii || !soloAscii)
            tests << test(LiteraleSql(spelling));
    }
    return tests.isEmpty() ? QStringLiteral("1=0") : tests.join(QStringLiteral(" OR "));
}

QString NumeroRicerca(const QString& text) {
    QString n = text.trimmed();
    n.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    n.toDouble(&ok);
    if (!ok)
        throw EZavoError(QStringLiteral("'%1' non è un numero valido").arg(text.trimmed()));
    return n;
}

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
    return classe != clDataOra || ParseDate(p.data1).isValid();
}

QString CondizioneRicerca(TClasseCampo classe, const QString& origin, const TParametriRicerca& p,
                          bool baseHasWhere) {
    const QString keyword = baseHasWhere ? QStringLiteral("AND") : QStringLiteral("WHERE");
    const bool isDate = classe == clData || classe == clDataOra;
    if (isDate) {
        if (p.data1.trimmed().isEmpty())
            return QString();
        QString line =
            keyword + '(' + origin + QStringLiteral(" >= '") + MonthFirst(ReadDate(p.data1)) + "')";
        if (!p.data2.trimmed().isEmpty()) {
            const QDate to = ReadDate(p.data2);
            // The last day is included whole: a time of day on it is still within the range.
            line += classe == clDataOra ? QStringLiteral("AND(") + origin + QStringLiteral(" < '") +
                                              MonthFirst(to.addDays(1)) + "')"
                                        : QStringLiteral("AND(") + origin +
                                              QStringLiteral(" <= '") + MonthFirst(to) + "')";
        }
        return line;
    }
    if (p.testo.isEmpty())
        return QString();
    const bool upper = p.upper && classe == clTesto;
    const int tipo = classe == clNumero && p.tipo == 2 ? 0 : p.tipo;
    // A number is compared as a number: the Italian decimal comma is read, anything else that
    // is not a number is refused before the engine sees it.
    const QString text = classe == clNumero && tipo == 0 ? NumeroRicerca(p.testo)
                         : upper                         ? p.testo.toUpper()
                                                         : p.testo;
    const QString expression = Expression(classe, origin, p);
    return keyword + '(' +
           OgniGrafia(
               text,
               [&](const QString& literal) {
                   switch (tipo) {
                   case 1:
                       return expression + QStringLiteral(" LIKE '%") + literal + "%'";
                   case 2:
                       return expression + QStringLiteral(" LIKE '") + literal + "%'";
                   default:
                       return expression + QStringLiteral(" >= '") + literal + "'";
                   }
               },
               classe == clNumero) +
           ')';
}

QString OrdinamentoRicerca(TClasseCampo classe, const QString& origin, const TParametriRicerca& p) {
    if (p.ordinamento != 1 && p.ordinamento != 2)
        return QString();
    return QStringLiteral("ORDER BY ") + Expression(classe, origin, p) +
           (p.ordinamento == 2 ? QStringLiteral(" DESC") : QString());
}

QStringList RicercaGenericaLines(const QStringList& base, const std::vector<TCampoRicerca>& fields,
                                 const QString& testo) {
    const QString value = testo.toUpper();
    QStringList lines = base;
    lines << (HaWhere(base) ? QStringLiteral("AND(") : QStringLiteral("WHERE("));
    // A number or a date never contains a character outside ASCII; asking the database would
    // only fail to transliterate the text (the connection speaks UTF8), so such columns are left
    // out when the text has one.
    bool ascii = true;
    for (QChar ch : value)
        ascii = ascii && ch.unicode() < 128;
    bool first = true;
    int size = 0;
    for (const TCampoRicerca& f : fields) {
        if (f.origin.isEmpty() || (!ascii && f.classe != clTesto && f.classe != clBlob))
            continue;
        const QString line =
            (first ? QString() : QStringLiteral("OR")) + '(' +
            OgniGrafia(
                value,
                [&](const QString& literal) {
                    return f.origin + QStringLiteral(" CONTAINING '") + literal + "'";
                },
                f.classe != clTesto && f.classe != clBlob) +
            ')';
        // The whole statement must stay within what the engine accepts.
        size += static_cast<int>(line.toUtf8().size());
        if (size > 2 * kMaxLiteraleRicerca)
            throw EZavoError(QStringLiteral("Il testo da cercare è troppo lungo per la ricerca "
                                            "su tutti i campi"));
        lines << line;
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
