#include "SqlParams.h"

namespace {
bool IsNameStart(QChar c) {
    return c.isLetter() || c == '_';
}
bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == '_' || c == '$';
}

QChar ClosingDelimiter(QChar open) {
    switch (open.unicode()) {
    case '(':
        return ')';
    case '[':
        return ']';
    case '{':
        return '}';
    case '<':
        return '>';
    default:
        return open;
    }
}
} // namespace

TParsedSql ParseNamedParams(const QString& sql) {
    TParsedSql out;
    out.sql.reserve(sql.size());
    const int n = sql.size();
    int i = 0;
    auto copyUntil = [&](int end) {
        out.sql += QStringView(sql).mid(i, end - i);
        i = end;
    };
    while (i < n) {
        const QChar c = sql[i];
        const QChar next = i + 1 < n ? sql[i + 1] : QChar();
        if ((c == 'q' || c == 'Q') && next == '\'' && i + 2 < n &&
            (i == 0 || !IsNameChar(sql[i - 1]))) {
            // Alternative string literal q'<d>…<d'>'.
            const QChar close = ClosingDelimiter(sql[i + 2]);
            int j = i + 3;
            while (j + 1 < n && !(sql[j] == close && sql[j + 1] == '\''))
                ++j;
            copyUntil(std::min(n, j + 2));
        } else if (c == '\'' || c == '"') {
            int j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2; // doubled quote inside the literal
                        continue;
                    }
                    break;
                }
                ++j;
            }
            copyUntil(std::min(n, j + 1));
        } else if (c == '-' && next == '-') {
            int j = sql.indexOf('\n', i);
            copyUntil(j < 0 ? n : j);
        } else if (c == '/' && next == '*') {
            int j = sql.indexOf(QLatin1String("*/"), i + 2);
            copyUntil(j < 0 ? n : j + 2);
        } else if (c == ':' && i + 1 < n && IsNameStart(next) && (i == 0 || sql[i - 1] != ':')) {
            int j = i + 1;
            while (j < n && IsNameChar(sql[j]))
                ++j;
            out.names << sql.mid(i + 1, j - i - 1).toUpper();
            out.sql += '?';
            i = j;
        } else {
            out.sql += c;
            ++i;
        }
    }
    return out;
}
