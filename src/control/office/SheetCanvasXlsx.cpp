// The canvas written as .xlsx with libxlsxwriter: the same form as through the office, with no
// office process at all.
#include "SheetCanvas.h"

#include <QDate>
#include <QFile>

#include <xlsxwriter.h>

namespace {
/// 1/100 mm at 96 dots per inch.
double Pixels(int hundredthsMm) {
    return hundredthsMm / 100.0 / 25.4 * 96.0;
}

/// A border's line width (1/100 mm) as the nearest line style.
uint8_t Border(int width) {
    if (width <= 0)
        return LXW_BORDER_NONE;
    if (width <= 40)
        return LXW_BORDER_THIN;
    if (width <= 90)
        return LXW_BORDER_MEDIUM;
    return LXW_BORDER_THICK;
}

} // namespace

void TSheetCanvas::WriteXlsx(const QString& path) const {
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook* wb = workbook_new(file.constData());
    if (!wb)
        throw EOfficeError(QStringLiteral("Impossibile creare il file \"%1\"").arg(path));
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Foglio1");
    // One format per distinct style; the bytes of names and number codes live as long as the
    // workbook.
    // A form has a few dozen distinct styles: found by comparison, not by a text key per cell.
    std::vector<std::pair<TCellStyle, lxw_format*>> formats;
    std::vector<QByteArray> keep;
    auto formatOf = [&](const TCellStyle* st) -> lxw_format* {
        if (!st || st->IsEmpty())
            return nullptr;
        for (const auto& [style, format] : formats)
            if (style == *st)
                return format;
        lxw_format* f = workbook_add_format(wb);
        if (st->horiJustify)
            format_set_align(f, *st->horiJustify == 2   ? LXW_ALIGN_CENTER
                                : *st->horiJustify == 3 ? LXW_ALIGN_RIGHT
                                                        : LXW_ALIGN_LEFT);
        if (st->vertJustify)
            format_set_align(f, *st->vertJustify == 2   ? LXW_ALIGN_VERTICAL_CENTER
                                : *st->vertJustify == 1 ? LXW_ALIGN_VERTICAL_TOP
                                                        : LXW_ALIGN_VERTICAL_BOTTOM);
        if (st->charHeight)
            format_set_font_size(f, *st->charHeight);
        if (st->charColor)
            format_set_font_color(f, static_cast<lxw_color_t>(*st->charColor));
        if (st->cellBackColor && *st->cellBackColor >= 0) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, static_cast<lxw_color_t>(*st->cellBackColor));
        }
        // Shrinking wins over wrapping (in the xlsx format a wrapped cell is never shrunk, and a
        // date too wide would show as "###").
        const bool shrink = st->shrinkToFit && *st->shrinkToFit;
        if (st->textWrapped && *st->textWrapped && !shrink)
            format_set_text_wrap(f);
        if (st->charFontName) {
            keep.push_back(st->charFontName->toUtf8());
            format_set_font_name(f, keep.back().constData());
        }
        if (st->charWeight && *st->charWeight >= 150)
            format_set_bold(f);
        if (st->charPosture && *st->charPosture == 2)
            format_set_italic(f);
        if (st->numberFormat == kDateFormat)
            format_set_num_format(f, "dd-mm-yyyy");
        if (shrink)
            format_set_shrink(f);
        if (st->topBorder)
            format_set_top(f, Border(*st->topBorder));
        if (st->bottomBorder)
            format_set_bottom(f, Border(*st->bottomBorder));
        if (st->leftBorder)
            format_set_left(f, Border(*st->leftBorder));
        if (st->rightBorder)
            format_set_right(f, Border(*st->rightBorder));
        formats.emplace_back(*st, f);
        return f;
    };
    auto styleAt = [&](int r, int c) -> const TCellStyle* {
        auto it = fStyles.find({r, c});
        return it == fStyles.end() ? nullptr : &it->second;
    };
    // Widths and heights go in whole pixels. A column's pixels are read back by the office at
    // the character width of the workbook's font, Calibri (Carlito, of the same widths, on this
    // system): 195.5 hundredths of a mm for seven pixels, not 96 dots per inch.
    Runs(fWidths, [&](int a, int b, int w) {
        worksheet_set_column_pixels(ws, static_cast<lxw_col_t>(a), static_cast<lxw_col_t>(b),
                                    static_cast<uint32_t>(qRound(7.0 * w / 195.5)), nullptr);
    });
    for (const auto& [row, height] : fHeights)
        worksheet_set_row_pixels(ws, static_cast<lxw_row_t>(row),
                                 static_cast<uint32_t>(qRound(Pixels(height))), nullptr);
    // Merges first: a merge writes its top-left cell, which the values below overwrite.
    for (const TCellArea& m : fMerges)
        worksheet_merge_range(ws, static_cast<lxw_row_t>(m.startRow),
                              static_cast<lxw_col_t>(m.startColumn),
                              static_cast<lxw_row_t>(m.endRow), static_cast<lxw_col_t>(m.endColumn),
                              "", formatOf(styleAt(m.startRow, m.startColumn)));
    for (int r = 0; r <= fLastRow; ++r)
        for (int c = 0; c < fColumns; ++c) {
            const auto row = static_cast<lxw_row_t>(r);
            const auto col = static_cast<lxw_col_t>(c);
            lxw_format* f = formatOf(styleAt(r, c));
            const QVariant v = fValues.value({r, c});
            if (v.typeId() == QMetaType::QDate && v.toDate().isValid()) {
                const QDate d = v.toDate();
                lxw_datetime dt{d.year(), d.month(), d.day(), 0, 0, 0};
                worksheet_write_datetime(ws, row, col, &dt, f);
            } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::Double ||
                       v.typeId() == QMetaType::LongLong) {
                worksheet_write_number(ws, row, col, v.toDouble(), f);
            } else if (!v.toString().isEmpty()) {
                worksheet_write_string(ws, row, col, v.toString().toUtf8().constData(), f);
            } else if (f) {
                worksheet_write_blank(ws, row, col, f);
            }
        }
    // A printable one-page A4 form whatever the number of rows.
    worksheet_set_paper(ws, 9);
    worksheet_fit_to_pages(ws, 1, 1);
    const lxw_error result = workbook_close(wb);
    if (result != LXW_NO_ERROR)
        throw EOfficeError(QStringLiteral("Impossibile scrivere il file \"%1\": %2")
                               .arg(path, QString::fromUtf8(lxw_strerror(result))));
}
