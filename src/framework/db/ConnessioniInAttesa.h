// Connections a closed lookup leaves open for the next one of the process. A new attachment
// costs its open and, above all, reading the catalogue of every table it touches anew: a
// clerk who opens the customer lookup ten times an hour need not wait for that ten times.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class TIBDatabase;

namespace ConnessioniInAttesa {
/// How long a connection waits unused before it is closed.
inline constexpr int kAttesaMs = 5 * 60 * 1000;
/// A connection parked for this database with these parameters, or null.
std::unique_ptr<TIBDatabase> Prendi(const QString& databaseName, const QStringList& params);
/// Parks a connection that nothing uses any more; one still in use (a transaction or a
/// statement of its own), closed or lost is closed as before.
void Riponi(std::unique_ptr<TIBDatabase> database);
/// Closes the parked connections: all of them, or those to one database.
void Chiudi(const QString& databaseName = QString());
/// How many connections are parked (tests).
int Quante();
} // namespace ConnessioniInAttesa
