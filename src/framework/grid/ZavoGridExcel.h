// Any list to Excel: every row of the list's query in force (its search included), the visible
// columns in their order with their titles and widths, written directly as .xlsx in
// libxlsxwriter's constant-memory mode. A cancel or a failure leaves no file behind.
#pragma once

#include <QString>

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

    /// Writes the workbook; true with the rows written in `righe`, false when stopped. A target
    /// that cannot be written raises an Italian message; no partial file is ever left.
    bool Esegui(int* righe = nullptr);
};
