#include "DataBreve.h"

#include "ZavoError.h"

QString TestoDataBreve(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QDate DataBreve(const QString& text) {
    const QString t = text.trimmed();
    for (const char* f : {"dd/MM/yyyy", "d/M/yyyy", "dd/MM/yy", "d/M/yy"}) {
        QDate d = QDate::fromString(t, QLatin1String(f));
        if (d.isValid()) {
            if (QLatin1String(f).endsWith(QLatin1String("/yy")) && d.year() < 1930)
                d = d.addYears(100);
            return d;
        }
    }
    return QDate();
}

QDate DataBreveValida(const QString& text) {
    const QString t = text.trimmed();
    const QDate d = DataBreve(t);
    if (!t.isEmpty() && !d.isValid())
        throw EZavoError(QStringLiteral("'%1' non è una data valida").arg(t));
    return d;
}
