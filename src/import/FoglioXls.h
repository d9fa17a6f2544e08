// The window of a workbook's first sheet that the import reads (columns A–AD, rows 1–100) as
// neutral data: each cell's displayed text and the merged areas. Read from the office in one
// round trip: the document stored as flat OpenDocument XML and parsed here.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

class TSpreadsheet;

class TFoglioXls {
public:
    static constexpr int kColonne = 30; // A..AD
    static constexpr int kRighe = 100;

    struct TArea {
        int col = 0, row = 0, width = 1, height = 1;
    };

    TFoglioXls();
    /// The first sheet of `xml` (a flat OpenDocument spreadsheet); no sheet: an empty window.
    static TFoglioXls DaXml(const QByteArray& xml);
    /// The first sheet of an open workbook.
    static TFoglioXls DaDocumento(TSpreadsheet& documento);

    bool HaFogli() const { return fHaFogli; }
    /// The displayed text of a cell, trimmed; "" outside the window.
    QString Testo(int col, int row) const;
    void SetTesto(int col, int row, const QString& text);
    /// Width of the merged area that starts at the cell (1 when none).
    int Larghezza(int col, int row) const;
    const QList<TArea>& Aree() const { return fAree; }
    void AggiungiArea(const TArea& area) { fAree << area; }

private:
    QVector<QString> fTesti;
    QList<TArea> fAree;
    bool fHaFogli = false;
};
