// Named parameters: ":NAME" in a SQL text becomes a positional marker. Quoted strings ('…',
// q'{…}'), quoted identifiers ("…") and comments (-- …, /* … */) are left alone.
#pragma once

#include <QString>
#include <QStringList>

struct TParsedSql {
    QString sql;       ///< the text with "?" in place of each ":NAME"
    QStringList names; ///< one entry per marker, in order, upper-case; a name may repeat
};

TParsedSql ParseNamedParams(const QString& sql);
