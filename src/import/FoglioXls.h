// The window of a workbook's first sheet that the import reads (columns A–AD, rows 1–100) as
// neutral data: each cell's displayed text, and the width of a merged area asked for a cell.
// The texts come from the office in one round trip (the sheet stored as CSV with the texts as
// shown); a merged width is asked of the office only for the cells that need it.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVector>

#include <functional>

class TSpreadsheet;

class TFoglioXls {
public:
    static constexpr int kColonne = 30; // A..AD
    static constexpr int kRighe = 100;

    struct TArea {
        int col = 0, row = 0, width = 1, height = 1;
    };

    TFoglioXls();
    /// The cells of a CSV text (comma, double quotes, UTF-8).
    static TFoglioXls DaCsv(const QByteArray& csv);
    /// The first sheet of an open workbook; its merged widths are asked of `documento`, which
    /// must stay open while the sheet is read.
    static TFoglioXls DaDocumento(TSpreadsheet& documento);

    bool HaFogli() const { return fHaFogli; }
    /// The displayed text of a cell, trimmed; "" outside the window.
    QString Testo(int col, int row) const;
    void SetTesto(int col, int row, const QString& text);
    /// Width of the merged area that starts at the cell (1 when none).
    int Larghezza(int col, int row) const;
    void AggiungiArea(const TArea& area) { fAree << area; }
    /// Where merged widths come from besides the areas added.
    void SetFonteLarghezze(std::function<int(int col, int row)> fonte) {
        fFonte = std::move(fonte);
    }

private:
    QVector<QString> fTesti;
    QList<TArea> fAree;
    std::function<int(int, int)> fFonte;
    mutable QHash<int, int> fLarghezze;
    bool fHaFogli = false;
};
