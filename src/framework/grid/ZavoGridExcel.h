// Any list to Excel: every row of the list's query in force (its search included), the visible
// columns in their order with their titles and widths, written directly as .xlsx in
// libxlsxwriter's constant-memory mode. A cancel or a failure leaves no file behind.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TIBDatabase;

struct TColonnaExcel {
    QString campo;  ///< the query's field
    QString titolo; ///< the column's title
    int pixel = 0;  ///< its width in the grid
};

class TZavoGridExcel {
public:
    TIBDatabase* Database = nullptr;
    QString SQL;
    std::vector<TColonnaExcel> Colonne;
    QString FileName;
    /// Called every so many rows with the rows written; false stops the export (nothing kept).
    std::function<bool(int righe)> Progresso;
    /// The data rows a worksheet takes below its title row (Excel's limit); the rows past it go
    /// on in a new worksheet with the same titles.
    int RighePerFoglio = 1048575;

    /// What the last run wrote: the worksheets, and each cell whose text was cut to Excel's
    /// 32,767 characters as "row N, column \"title\"" (rows counted as the list counts them).
    int Fogli = 0;
    QStringList CelleTagliate;

    /// Writes the workbook; true with the rows written in `righe`, false when stopped. A target
    /// that cannot be written raises an Italian message; no partial file is ever left, and an
    /// existing target is replaced whole (keeping its permissions) only once the new one is
    /// complete.
    bool Esegui(int* righe = nullptr);
    /// The message that reports a completed export to the user.
    QString Resoconto(int righe) const;
};
