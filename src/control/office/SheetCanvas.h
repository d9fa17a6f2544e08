// A spreadsheet built in memory and written to the office in batches (one data array, style
// groups, row and column runs, repeated row bands copied with their merges).
#pragma once

#include "OfficeSuite.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

/// A sheet as it will be: values, merges, heights, widths and each cell's final style. Built in
/// memory and handed to the office in a few batched calls: the same workbook as writing cell by
/// cell, with far fewer round trips to the office process. Columns 0 .. Columns-1 are used.
class TSheetCanvas {
public:
    /// Marks a date cell until the office's key of the date format is known.
    static constexpr int kDateFormat = -2;

    explicit TSheetCanvas(int columns = 20) : fColumns(columns) {}

    void Style(const TCellArea& a, const TCellStyle& st) {
        for (int r = a.startRow; r <= a.endRow; ++r)
            for (int c = a.startColumn; c <= a.endColumn; ++c)
                fStyles[{r, c}].Overlay(st);
        fLastRow = std::max(fLastRow, a.endRow);
    }
    void Put(const TCellArea& a, const QVariant& value) {
        fValues[{a.startRow, a.startColumn}] = value;
        fLastRow = std::max(fLastRow, a.endRow);
    }
    void Merge(const TCellArea& a) {
        fMerges << a;
        fLastRow = std::max(fLastRow, a.endRow);
    }
    void RowHeight(int row, int height) { fHeights[row] = height; }
    void ColumnWidth(int col, int width) { fWidths[col] = width; }

    void Apply(TSpreadsheet& s) const {
        ApplySizes(s);
        // Rows laid out like an earlier band (the details, preference lines, milestones,
        // annotations) are copied from it with their merges instead of merged one by one.
        std::vector<std::pair<TCellArea, int>> copies;
        std::set<int> copiedRows;
        std::vector<std::pair<std::vector<QString>, int>> templates;
        for (int r = 0; r <= fLastRow;) {
            int h = 1;
            for (const TCellArea& m : fMerges)
                if (m.startRow >= r && m.startRow < r + h)
                    h = std::max(h, m.endRow - r + 1);
            const std::vector<QString> key = BandKey(r, h);
            auto found = std::find_if(templates.begin(), templates.end(),
                                      [&](const auto& t) { return t.first == key; });
            if (found != templates.end() && !key.empty()) {
                copies.push_back(
                    {TCellArea{0, found->second, fColumns - 1, found->second + h - 1}, r});
                for (int i = r; i < r + h; ++i)
                    copiedRows.insert(i);
            } else if (!key.empty()) {
                templates.push_back({key, r});
            }
            r += h;
        }
        for (const TCellArea& m : fMerges)
            if (!copiedRows.count(m.startRow))
                s.Merge(m);
        ApplyStyles(s);
        for (const auto& [from, row] : copies)
            s.CopyRange(from, 0, row);
        // Values last: a copy brings its template's values along.
        QList<QVariantList> rows;
        for (int r = 0; r <= fLastRow; ++r) {
            QVariantList line;
            for (int c = 0; c < fColumns; ++c)
                line << fValues.value({r, c});
            rows << line;
        }
        s.SetDataArray(TCellArea{0, 0, fColumns - 1, fLastRow}.Name(), rows);
    }

    /// The same sheet written as an .xlsx workbook, without the office (one page, A4).
    void WriteXlsx(const QString& path) const;

private:
    /// What a band of rows looks like: its merges and every cell's style, relative to its first
    /// row; empty for a band without merges (nothing to gain by copying it).
    std::vector<QString> BandKey(int row, int height) const {
        std::vector<QString> key;
        for (const TCellArea& m : fMerges)
            if (m.startRow >= row && m.startRow < row + height)
                key.push_back(QStringLiteral("m%1,%2,%3,%4")
                                  .arg(m.startColumn)
                                  .arg(m.startRow - row)
                                  .arg(m.endColumn)
                                  .arg(m.endRow - row));
        if (key.empty())
            return key;
        std::sort(key.begin(), key.end());
        key.push_back(QString::number(height));
        for (int r = row; r < row + height; ++r)
            for (int c = 0; c < fColumns; ++c) {
                auto it = fStyles.find({r, c});
                key.push_back(it == fStyles.end() ? QString() : StyleText(it->second));
            }
        return key;
    }
    static QString StyleText(const TCellStyle& st) {
        QStringList parts;
        auto add = [&](const auto& v) {
            if constexpr (std::is_same_v<std::decay_t<decltype(*v)>, QString>)
                parts << (v ? *v : QStringLiteral("-"));
            else
                parts << (v ? QString::number(*v) : QStringLiteral("-"));
        };
        add(st.horiJustify);
        add(st.vertJustify);
        add(st.charHeight);
        add(st.charColor);
        add(st.cellBackColor);
        add(st.textWrapped);
        add(st.charFontName);
        add(st.charWeight);
        add(st.charPosture);
        add(st.numberFormat);
        add(st.shrinkToFit);
        add(st.topBorder);
        add(st.bottomBorder);
        add(st.leftBorder);
        add(st.rightBorder);
        return parts.join('|');
    }

    template <typename Set> static void Runs(const std::map<int, int>& sizes, Set&& set) {
        for (auto it = sizes.begin(); it != sizes.end();) {
            auto end = it;
            while (std::next(end) != sizes.end() && std::next(end)->first == end->first + 1 &&
                   std::next(end)->second == it->second)
                ++end;
            set(it->first, end->first, it->second);
            it = std::next(end);
        }
    }
    void ApplySizes(TSpreadsheet& s) const {
        Runs(fWidths, [&](int a, int b, int w) { s.SetColumnsWidth(a, b, w); });
        Runs(fHeights, [&](int a, int b, int h) { s.SetRowsHeight(a, b, h); });
    }
    void ApplyStyles(TSpreadsheet& s) const {
        int dateKey = -1;
        // Cells of one style, as row runs joined downwards into blocks.
        std::vector<std::pair<TCellStyle, QList<TCellArea>>> groups;
        auto groupOf = [&](const TCellStyle& st) -> QList<TCellArea>& {
            for (auto& g : groups)
                if (g.first == st)
                    return g.second;
            groups.emplace_back(st, QList<TCellArea>());
            return groups.back().second;
        };
        for (int r = 0; r <= fLastRow; ++r) {
            for (int c = 0; c < fColumns;) {
                auto it = fStyles.find({r, c});
                if (it == fStyles.end() || it->second.IsEmpty()) {
                    ++c;
                    continue;
                }
                int end = c;
                while (end + 1 < fColumns && fStyles.count({r, end + 1}) &&
                       fStyles.at({r, end + 1}) == it->second)
                    ++end;
                QList<TCellArea>& areas = groupOf(it->second);
                bool joined = false;
                for (TCellArea& a : areas)
                    if (a.endRow == r - 1 && a.startColumn == c && a.endColumn == end) {
                        a.endRow = r;
                        joined = true;
                        break;
                    }
                if (!joined)
                    areas << TCellArea{c, r, end, r};
                c = end + 1;
            }
        }
        for (auto& [style, areas] : groups) {
            TCellStyle st = style;
            if (st.numberFormat == kDateFormat) {
                if (dateKey < 0)
                    dateKey = s.NumberFormatKey(QStringLiteral("DD-MM-YYYY"), QStringLiteral("it"),
                                                QStringLiteral("IT"));
                st.numberFormat = dateKey;
            }
            s.SetStyle(areas, st);
        }
    }

    std::map<std::pair<int, int>, TCellStyle> fStyles;
    QHash<QPair<int, int>, QVariant> fValues;
    QList<TCellArea> fMerges;
    std::map<int, int> fHeights, fWidths;
    int fColumns;
    int fLastRow = 0;
};
