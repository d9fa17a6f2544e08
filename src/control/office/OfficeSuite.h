// The office suite, driven headless through its automation bridge: one office process per
// application, started on first use with a private profile, reused, restarted once when it died,
// shut down with the application. Only this folder includes the bridge's headers; callers see
// Qt types.
#pragma once

#include "framework/core/ZavoError.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

/// A failure of the office suite, with the bridge's message.
class EOfficeError : public EZavoError {
public:
    using EZavoError::EZavoError;
};

class TSpreadsheet;

/// Cell properties set together on a range in one round trip to the office; only the fields
/// that hold a value are set.
struct TCellStyle {
    std::optional<int> horiJustify; ///< 1 left, 2 centre
    std::optional<int> vertJustify; ///< 2 middle
    std::optional<double> charHeight;
    std::optional<int> charColor;
    std::optional<int> cellBackColor;
    std::optional<bool> textWrapped;
    std::optional<QString> charFontName;
    std::optional<double> charWeight; ///< 150 bold
    std::optional<int> charPosture;   ///< 0 upright, 2 italic
    std::optional<int> numberFormat;
    std::optional<bool> shrinkToFit;
    /// Border line widths (1/100 mm) of each side.
    std::optional<int> topBorder, bottomBorder, leftBorder, rightBorder;

    bool operator==(const TCellStyle&) const = default;
    bool IsEmpty() const { return *this == TCellStyle(); }
    /// `over` laid on this style: what `over` sets wins.
    TCellStyle& Overlay(const TCellStyle& over);
};

/// A block of cells, 0-based, inclusive.
struct TCellArea {
    int startColumn, startRow, endColumn, endRow;
    bool operator==(const TCellArea&) const = default;
    /// "A1:T4"
    QString Name() const;
};

class TOfficeSuite {
public:
    /// The application's office suite (not started until first used).
    static TOfficeSuite& Instance();

    /// A new, hidden, empty spreadsheet.
    std::unique_ptr<TSpreadsheet> NewSpreadsheet();
    /// A workbook loaded from a file (no properties: as the user's office would open it).
    /// `filter` names the office's import filter when the caller knows the file's format (the
    /// office then skips guessing it); empty: the office detects it.
    std::unique_ptr<TSpreadsheet> LoadSpreadsheet(const QString& path,
                                                  const QString& filter = QString());

    /// Starts the office on a thread of its own when it is not running, and returns at once: a
    /// window that will need it soon spares its user the cold start. The first use waits for a
    /// start in progress; a start that failed is tried again (and reported) by the first use.
    void AvviaInAnticipo();

    bool Running() const;
    /// Process id of the office process, 0 when none.
    qint64 ProcessId() const;
    /// Ends the office process (the next use starts a new one).
    void Shutdown();
    /// How many times the process was started (tests and benchmarks read it).
    int StartCount() const;

    /// "file:///…" for a local path ("\" turned into "/"), spaces as %20 when asked.
    static QString FileUrl(const QString& path, bool escapeSpaces = false);

    struct Impl;

private:
    TOfficeSuite();
    ~TOfficeSuite();
    std::unique_ptr<Impl> d;
};

/// One spreadsheet document and its first sheet. Columns and rows are 0-based; ranges are
/// written like "A1:T4".
class TSpreadsheet {
public:
    ~TSpreadsheet();
    TSpreadsheet(const TSpreadsheet&) = delete;
    TSpreadsheet& operator=(const TSpreadsheet&) = delete;

    int SheetCount() const;
    void SetString(int col, int row, const QString& text);
    QString GetString(int col, int row) const;
    void SetValue(int col, int row, double value);
    double GetValue(int col, int row) const;
    /// Writes `text` into the top-left cell of `range`.
    void SetRangeString(const QString& range, const QString& text);
    /// Sets one property on a whole range (one round trip whatever its size). Integers, doubles,
    /// booleans and texts are understood.
    void SetProperty(const QString& range, const QString& name, const QVariant& value);
    QVariant GetProperty(int col, int row, const QString& name) const;
    /// The same style on many blocks at once (a handful of round trips whatever their number).
    void SetStyle(const QList<TCellArea>& areas, const TCellStyle& style);
    void SetRowsHeight(int firstRow, int lastRow, int height);
    void SetColumnsWidth(int firstColumn, int lastColumn, int width);
    void Merge(const TCellArea& area);
    /// Copies a block (contents, formats and merges) so that its top-left lands on the cell.
    void CopyRange(const TCellArea& source, int column, int row);
    /// Borders of `range` with the given line width (1/100 mm): all four, or top and bottom.
    void SetBorders(const QString& range, int lineWidth, bool allSides);
    /// Line width of a cell's border ("TopBorder2", …).
    int BorderWidth(int col, int row, const QString& border) const;
    void Merge(const QString& range);
    bool IsMerged(int col, int row) const;
    /// Columns and rows of the merged area a cell belongs to (the cell alone when not merged).
    struct TArea {
        int startColumn, endColumn, startRow, endRow;
    };
    TArea MergedArea(int col, int row) const;
    void SetColumnWidth(int col, int width);
    int ColumnWidth(int col) const;
    void SetRowHeight(int row, int height);
    int RowHeight(int row) const;
    /// Key of a number format for a locale, added when missing.
    int NumberFormatKey(const QString& code, const QString& language, const QString& country);
    /// The format code behind a key (tests read it back).
    QString NumberFormatCode(int key) const;
    void SetDataArray(const QString& range, const QList<QVariantList>& rows);
    QList<QVariantList> GetDataArray(const QString& range) const;
    /// A property of the sheet's page style ("ScaleToPagesX", "Width", …).
    QVariant PageProperty(const QString& name) const;
    void StoreAsExcel97(const QString& path);
    void StoreToHtml(const QString& path);
    /// The sheet's pages as PDF.
    void StoreToPdf(const QString& path);
    /// The first sheet as CSV (UTF-8, comma, double quotes) with the texts the cells show.
    void StoreToCsv(const QString& path);
    /// Embeds a picture file with its top-left corner on a cell, sized in 1/100 mm.
    void InsertImage(const QString& path, int col, int row, int width, int height);
    void Close();

    struct Impl;
    explicit TSpreadsheet(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> d;
};

/// "A".."Z", "AA".. for a 0-based column.
QString ColumnName(int col);
