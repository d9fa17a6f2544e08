// Dates as the workstations of the host suite write them in their short format: day/month/year.
#pragma once

#include <QDate>
#include <QString>

/// "dd/mm/yyyy"; a null date gives "".
QString TestoDataBreve(const QDate& date);
/// The date a text means in the short format ("d/m/yyyy", two-digit years in 1930–2029); null
/// when it means none.
QDate DataBreve(const QString& text);
/// As DataBreve, but a text that is neither empty nor a date raises "'…' non è una data valida".
QDate DataBreveValida(const QString& text);
