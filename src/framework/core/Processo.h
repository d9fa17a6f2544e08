// Running a companion program of the host suite and waiting for it: the caller's windows keep
// painting but take no input while it runs (what the user clicks or types meanwhile is dropped),
// and its output is read as it comes (a program that writes more than a pipe holds never stalls).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

/// Runs `program` with `arguments` (each reaches the program as one argument) and returns its
/// exit code (-1 when it crashed); `output` receives its standard output. A program that cannot
/// be started raises "Errore indefinito durante l'esecuzione di %s".
int EseguiProgramma(const QString& program, const QStringList& arguments,
                    QByteArray* output = nullptr);
