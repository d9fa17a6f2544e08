// A workbook laid out as the source system writes them, written through the office.
#pragma once

#include "control/office/OfficeSuite.h"

#include <QDate>
#include <QString>

#include <xlsxwriter.h>

#include <functional>
#include <tuple>
#include <vector>

/// The texts of a workbook laid out as the source system writes them (column, row, text).
inline std::vector<std::tuple<int, int, QString>> CelleModello() {
    return {{0, 0, "CLIENTE"},
            {1, 0, "DATA"},
            {2, 0, "LAVORAZIONE"},
            {3, 0, "CODICE"},
            {4, 0, "FORMA"},
            {5, 0, "TACCO"},
            {6, 0, "PLATO"},
            {0, 1, "MILANO MODA"},
            {1, 1, "12-03-2024 OK"},
            {2, 1, "Cucito"},
            {3, 1, "IMP-1"},
            {4, 1, "F1"},
            {5, 1, "T1"},
            {6, 1, "P1"},
            {0, 2, "PROTOTIPO"},
            {2, 2, "01/02/2024"},
            {3, 2, "CONFERMA CAMPIONE"},
            {4, 2, ":"},
            {0, 3, "STAGIONE"},
            {1, 3, "PE 2025"},
            {0, 5, "TOMAIA"},
            {1, 5, "interi"},
            {0, 6, "ALTEZZA"},
            {1, 6, "45"},
            {0, 7, "TIPO"},
            {1, 7, "Donna"},
            {0, 8, "LAVORAZ."},
            {1, 8, "Montato"},
            {0, 9, "MODELLO"},
            {1, 9, "Aurora"},
            {0, 11, "LINEA"},
            {1, 11, "Classica"},
            {0, 12, "Cucitura tomaia"},
            {1, 12, "Doppia"},
            {0, 13, "FODERA"},
            {0, 14, "Sottopiede"},
            {0, 15, "Suola"},
            {0, 16, "Tacco"},
            {0, 17, "Bordo"},
            {9, 12, "x"},
            {10, 12, "Pelle vitello"},
            {14, 12, "Cuoio suola"},
            {17, 12, "X"},
            {18, 12, "Gomma antiscivolo"},
            {10, 13, "Fodera in pelle"},
            {0, 19, "INDUSTRIALIZZATORE"},
            {2, 19, "Mario Rossi"},
            {0, 62, "VARIE"},
            {1, 62, "Nota varia"}};
}

/// A workbook laid out as the source system writes them; `change` edits it before it is stored.
inline void Scrivi(const QString& path, const std::function<void(TSpreadsheet&)>& change = {}) {
    auto doc = TOfficeSuite::Instance().NewSpreadsheet();
    for (const auto& [col, row, text] : CelleModello())
        doc->SetString(col, row, text);
    for (int i = 0; i < 4; ++i)
        doc->SetValue(1 + i, 4, 36 + i); // sizes as numbers, read as shown
    doc->Merge(TCellArea{1, 6, 3, 6});   // "45" over three sizes
    doc->SetString(4, 6, "46");
    if (change)
        change(*doc);
    doc->StoreAsExcel97(path);
    doc->Close();
}

/// The same workbook as .xlsx written without the office, with `dates` as true date cells in the
/// spreadsheet's default short-date format (built-in format 14, what typing a date gives).
inline void ScriviXlsx(const QString& path, const std::vector<std::tuple<int, int, QDate>>& dates) {
    lxw_workbook* wb = workbook_new(path.toUtf8().constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    lxw_format* shortDate = workbook_add_format(wb);
    format_set_num_format_index(shortDate, 14);
    for (const auto& [col, row, text] : CelleModello())
        worksheet_write_string(ws, row, col, text.toUtf8().constData(), nullptr);
    for (int i = 0; i < 4; ++i)
        worksheet_write_number(ws, 4, 1 + i, 36 + i, nullptr);
    worksheet_merge_range(ws, 6, 1, 6, 3, "45", nullptr);
    worksheet_write_string(ws, 6, 4, "46", nullptr);
    for (const auto& [col, row, date] : dates) {
        lxw_datetime dt{date.year(), date.month(), date.day(), 0, 0, 0};
        worksheet_write_datetime(ws, row, col, &dt, shortDate);
    }
    workbook_close(wb);
}
