#include "ExportExcelScheda.h"

#include "control/office/OfficeSuite.h"
#include "control/office/SheetCanvas.h"
#include "framework/core/FileAccess.h"
#include "framework/core/ScopeExit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <map>

namespace {
// Colours as red × 65536 + green × 256 + blue.
constexpr int kWhite = 0xFFFFFF, kDarkGreen = 0x336600, kYellow = 0xFFFF00, kOrange = 0xFF950E,
              kDarkRed = 0xC5000B, kBrownRed = 0x8D281E, kDarkBlue = 0x004586, kBlue = 0x0084D1,
              kSlate = 0x355269, kSteel = 0xB4C7DC, kLavender = 0xB7B3CA;
// Frame widths: points × 0.352777 × 100, rounded (1/100 mm).
constexpr int kThin = 26, kThick = 62;
constexpr int A = 0, B = 1, C = 2, D = 3, E = 4, F = 5, G = 6, H = 7, I = 8, J = 9, K = 10, L = 11,
              M = 12, N = 13, O = 14, P = 15, Q = 16, R = 17, S = 18, T = 19;
} // namespace

TCellStyle operator|(TCellStyle a, const TCellStyle& b) {
    return a.Overlay(b);
}

/// Writes the form cell block by cell block; rows are counted from 1 as the sheet shows them.
class TExportExcelScheda::TWriter {
public:
    TWriter(TSheetCanvas& form, const TZelmModelContext& context)
        : s(form), ctx(context), m(*context.Model()) {}

    void Run() {
        const int headerEnd = Header(1);
        const int left = LeftColumn(headerEnd + 1);
        const int right = RightColumn(headerEnd + 1);
        if (left < right) {
            Style(Range(A, left + 1, H, right), Fill(kYellow));
            s.Merge(Range(A, left + 1, H, right));
        } else if (right < left) {
            Style(Range(I, right + 1, T, left), Fill(kYellow));
            s.Merge(Range(I, right + 1, T, left));
        }
        Bottom(std::max(left, right) + 1);
    }

private:
    // Rows are counted from 1 here, as the sheet shows them.
    static TCellArea Range(int c1, int r1, int c2, int r2) { return {c1, r1 - 1, c2, r2 - 1}; }
    static TCellArea Range(int c1, int c2, int row) { return Range(c1, row, c2, row); }
    static TCellArea Cell(int c, int row) { return Range(c, row, c, row); }

    // Style pieces, combined with |.
    static TCellStyle Fill(int colour) {
        TCellStyle st;
        st.cellBackColor = colour;
        return st;
    }
    static TCellStyle Text(double size, bool bold = false, bool italic = false) {
        TCellStyle st;
        st.charHeight = size;
        st.charFontName = QStringLiteral("Calibri");
        if (bold || italic) {
            st.charWeight = 150;
            st.charPosture = italic ? 2 : 0;
        }
        return st;
    }
    static TCellStyle Bold() {
        TCellStyle st;
        st.charFontName = QStringLiteral("Calibri");
        st.charWeight = 150;
        st.charPosture = 0;
        return st;
    }
    static TCellStyle BoldItalic() {
        TCellStyle st = Bold();
        st.charPosture = 2;
        return st;
    }
    static TCellStyle Ink(int colour) {
        TCellStyle st;
        st.charColor = colour;
        st.charFontName = QStringLiteral("Calibri");
        return st;
    }
    static TCellStyle Centre() {
        TCellStyle st;
        st.horiJustify = 2;
        return st;
    }
    static TCellStyle Left() {
        TCellStyle st;
        st.horiJustify = 1;
        return st;
    }
    static TCellStyle Middle() {
        TCellStyle st;
        st.vertJustify = 2;
        return st;
    }
    static TCellStyle Wrap() {
        TCellStyle st;
        st.textWrapped = true;
        return st;
    }
    /// A label that would not fit its cells at its size is shrunk to fit, never cut: the form's
    /// widths leave the longest labels a few letters short in Calibri's metrics.
    static TCellStyle Intera() {
        TCellStyle st;
        st.shrinkToFit = true;
        return st;
    }
    static TCellStyle Frame(int width, bool all = true) {
        TCellStyle st;
        st.topBorder = st.bottomBorder = width;
        if (all)
            st.leftBorder = st.rightBorder = width;
        return st;
    }

    void Style(const TCellArea& area, const TCellStyle& st) { s.Style(area, st); }
    void Put(const TCellArea& area, const QString& text) {
        if (!text.isEmpty())
            s.Put(area, text);
    }
    void MergePut(const TCellArea& area, const QString& text) {
        s.Merge(area);
        Put(area, text);
    }
    /// A date is written only when set: its day number, shown as DD-MM-YYYY.
    void PutDate(const TCellArea& area, const QDate& date) {
        if (!date.isValid())
            return;
        s.Put(area, static_cast<double>(QDate(1899, 12, 30).daysTo(date)));
        TCellStyle st;
        st.numberFormat = TSheetCanvas::kDateFormat;
        Style(TCellArea{area.startColumn, area.startRow, area.startColumn, area.startRow}, st);
    }

    static QString Notes(QString text) {
        // Line breaks normalised (CR LF), then written as the office's own line break.
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
        return text;
    }

    int Header(int r) {
        // 5. Labels and the main references.
        for (int c : {A, B, C, D, E, F, G, H, I, J, K, L, M, N, O, P, Q, R, S, T})
            s.ColumnWidth(c, c == A ? 2040 : (c == S ? 1140 : 890));
        Style(Range(A, r, T, r + 3), Centre() | Fill(kYellow) | Frame(kThick));
        Style(Range(A, T, r), Text(11, true, true) | Intera());
        const std::pair<std::pair<int, int>, const char*> labels[] = {
            {{A, B}, "CLIENTE"}, {{C, E}, "LAVORAZIONE"}, {{F, H}, "CODICE"}, {{I, K}, "FORMA"},
            {{L, N}, "TACCO"},   {{O, Q}, "PLATO"},       {{R, T}, "DATA"}};
        for (const auto& [cols, label] : labels)
            MergePut(Range(cols.first, cols.second, r), QString::fromLatin1(label));
        Style(Range(A, r + 1, T, r + 3), Middle() | Text(14, true) | Wrap());
        const std::pair<std::pair<int, int>, QString> values[] = {
            {{A, B}, m.SiglaCliente()}, {{C, E}, m.Lavorazione()}, {{F, H}, m.Codice()},
            {{I, K}, m.Forma()},        {{L, N}, m.Tacco()},       {{O, Q}, m.Plato()}};
        for (const auto& [cols, value] : values)
            MergePut(Range(cols.first, r + 1, cols.second, r + 3), value);
        Style(Range(A, r + 1, B, r + 3), Text(18, true));
        Style(Range(C, r + 1, E, r + 3), Ink(kDarkRed));
        s.Merge(Range(R, r + 1, T, r + 3));
        // At 14 points a date is wider than R:T: shrunk rather than shown as "###".
        TCellStyle shrink;
        shrink.shrinkToFit = true;
        Style(Range(R, r + 1, T, r + 3), shrink);
        PutDate(Range(R, r + 1, T, r + 3), m.Data());
        r += 4;

        // 6. Season.
        s.RowHeight(r - 1, 630);
        Style(Range(A, T, r),
              Centre() | Text(15, true) | Ink(kWhite) | Fill(kDarkGreen) | Frame(kThin));
        MergePut(Range(A, D, r), QStringLiteral("STAGIONE"));
        MergePut(Range(E, T, r), m.Stagione());
        ++r;

        // 7. Sizes and details.
        const TZelmModelDettDataList* dett = ctx.Dett();
        if (dett && !dett->IsEmpty()) {
            Style(Range(A, T, r), Centre() | Text(11, true) | Fill(kYellow) | Frame(kThin));
            Put(Cell(A, r), QStringLiteral("TAGLIE"));
            Style(Range(B, R, r), Fill(kOrange));
            if (const TTaglieOperativeDataList* sizes = ctx.TaglieOperative())
                for (int i = 0; i < 17 && i < sizes->Count(); ++i)
                    Put(Cell(B + i, r), sizes->Items(i)->Descrizione1());
            s.Merge(Range(S, T, r));
            ++r;
            for (const auto& row : *dett) {
                s.RowHeight(r - 1, 350);
                s.RowHeight(r, 350);
                Style(Range(A, r, T, r + 1),
                      Centre() | Middle() | Text(11, true) | Fill(kYellow) | Frame(kThin));
                Style(Range(A, r, A, r + 1), Intera());
                MergePut(Range(A, r, A, r + 1), row->TipoDett());
                for (int i = 1; i <= 17; ++i)
                    MergePut(Range(i, r, i, r + 1), row->D(i));
                s.Merge(Range(S, r, T, r + 1));
                r += 2;
            }
        }

        // 8, 9. Type and processing mode.
        const std::tuple<int, const char*, QString> lines[] = {
            {kDarkRed, "TIPO", m.Tipo()}, {kDarkBlue, "LAVORAZ.", m.ModoLavorazione()}};
        for (const auto& [ink, label, value] : lines) {
            s.RowHeight(r - 1, 600);
            Style(Range(A, T, r),
                  Centre() | Middle() | Ink(ink) | Fill(kYellow) | Bold() | Frame(kThin));
            Style(Cell(A, r), Text(11) | Intera());
            Put(Cell(A, r), QString::fromLatin1(label));
            Style(Range(B, R, r), Text(16));
            MergePut(Range(B, R, r), value);
            s.Merge(Range(S, T, r));
            ++r;
        }

        // 10. Model.
        s.RowHeight(r - 1, 710);
        Style(Range(A, H, r),
              Centre() | Middle() | Ink(kDarkBlue) | Bold() | Fill(kOrange) | Frame(kThin));
        Style(Cell(A, r), Text(11) | Intera());
        Put(Cell(A, r), QStringLiteral("MODELLO."));
        s.Merge(Range(B, H, r));
        Style(Range(I, T, r),
              Centre() | Middle() | Ink(kWhite) | Fill(kDarkRed) | Text(16, true) | Frame(kThick));
        MergePut(Range(I, T, r), m.Modello());
        return r;
    }

    int LeftColumn(int r) {
        // 12. Line.
        s.RowHeight(r - 1, 710);
        Style(Range(A, H, r), Middle() | Fill(kYellow) | Frame(kThin));
        Style(Cell(A, r), Text(11, true));
        Put(Cell(A, r), QStringLiteral("LINEA"));
        Style(Range(B, H, r), Text(14, true, true) | Ink(kDarkRed));
        MergePut(Range(B, H, r), m.Linea());
        ++r;
        // 13. Options.
        const TZelmModelOpzDataList* opz = ctx.Opz();
        if (opz && !opz->IsEmpty()) {
            Style(Range(A, r, H, r + opz->Count() - 1), Text(11) | Fill(kYellow) | Frame(kThin));
            Style(Range(A, r, A, r + opz->Count() - 1), BoldItalic() | Intera());
            Style(Range(B, r, H, r + opz->Count() - 1), Bold());
            for (const auto& row : *opz) {
                s.RowHeight(r - 1, 530);
                Put(Cell(A, r), row->Etichetta());
                MergePut(Range(B, H, r), row->Descrizione());
                ++r;
            }
        }
        // 14. Person in charge.
        s.RowHeight(r - 1, 710);
        Style(Range(A, H, r), Middle() | Text(13, true) | Fill(kSteel) | Frame(kThin, false));
        Style(Range(A, D, r), Intera());
        MergePut(Range(A, D, r), QStringLiteral("INDUSTRIALIZZATORE"));
        MergePut(Range(E, H, r), m.Industrializzatore());
        return r;
    }

    int RightColumn(int r) {
        // 15. Sole block.
        Style(Range(I, r, T, r + 2), Centre() | Middle() | Text(16, true) | Ink(kWhite));
        Style(Range(I, T, r), Fill(kDarkBlue));
        Style(Range(I, M, r), Frame(kThick));
        MergePut(Range(I, M, r), QStringLiteral("SCHEDA"));
        Style(Range(N, T, r), Frame(kThin));
        MergePut(Range(N, T, r), QStringLiteral("SUOLA"));
        Style(Range(I, r + 1, T, r + 2), Fill(kBlue) | Frame(kThin));
        MergePut(Range(I, r + 1, M, r + 2), QStringLiteral("FABBRICANTE"));
        s.Merge(Range(N, r + 1, T, r + 2));
        r += 3;

        // 16. Component preferences: three lines per row.
        const TZelmSetPreferenzeComponentiDataList* set = ctx.SetPreferenzeComponenti();
        const TZelmModelPrefCompDataList* chosen = ctx.PrefComp();
        if (set && !set->IsEmpty()) {
            for (int first = 0; first < set->Count(); first += 3, ++r) {
                Style(Cell(I, r), Fill(kYellow) | Frame(kThin));
                const std::pair<int, std::pair<int, int>> triples[] = {
                    {J, {K, M}}, {N, {O, Q}}, {R, {S, T}}};
                for (int t = 0; t < 3; ++t) {
                    const int index = first + t;
                    const QString label =
                        index < set->Count() ? set->Items(index)->Etichetta() : QString();
                    const bool mark = index < set->Count() && chosen && chosen->IndexOf(label) >= 0;
                    const int fill = mark ? kOrange : kYellow;
                    const auto& [markCol, labelCols] = triples[t];
                    Style(Cell(markCol, r), Text(11, true) | Frame(kThick) | Fill(fill));
                    Put(Cell(markCol, r), mark ? QStringLiteral("X") : QString());
                    const TCellArea labelRange = Range(labelCols.first, labelCols.second, r);
                    Style(labelRange, Text(11, true) | Fill(fill));
                    MergePut(labelRange, label);
                }
            }
        }

        // 17. Milestones.
        Style(Cell(I, r), Fill(kYellow) | Frame(kThin));
        Style(Range(J, T, r), Fill(kYellow) | Frame(kThick));
        s.Merge(Range(J, T, r));
        ++r;
        const std::pair<const char*, QDate> dates[] = {
            {"PROTOTIPO", m.DataPrototipo()},
            {"CONFERMA PROTOTIPO", m.DataConfermaPrototipo()},
            {"CAMPIONE", m.DataCampione()},
            {"CONFERMA CAMPIONE", m.DataConfermaCampione()},
            {"SFILATA", m.DataSfilata()},
            {"CONFERMA SFILATA", m.DataConfermaSfilata()},
            {"TESTA DI SERIE", m.DataTestaDiSerie()},
            {"CONFERMA T. DI SERIE", m.DataConfermaTestaDiSerie()},
            {"CONFERMA PROD", m.DataConfermaProduzione()}};
        for (int i = 0; i < 9; ++i) {
            const bool last = i == 8;
            const double size = last ? 14 : 11;
            Style(Cell(I, r), Fill(kYellow) | Frame(kThin));
            Style(Cell(J, r), Fill(kYellow) | Frame(kThick));
            Style(Range(K, O, r), Middle() | Text(size, true, true) | Fill(kYellow) |
                                      Frame(kThin, false) | Intera());
            MergePut(Range(K, O, r), QString::fromLatin1(dates[i].first));
            TCellStyle dateStyle =
                Left() | Middle() | Text(size, true) | Fill(kLavender) | Frame(kThin, false);
            if (last)
                dateStyle = dateStyle | Ink(kBrownRed);
            Style(Range(P, S, r), dateStyle);
            s.Merge(Range(P, S, r));
            PutDate(Range(P, S, r), dates[i].second);
            Style(Cell(T, r), Fill(kYellow));
            ++r;
            if (!last) {
                Style(Cell(I, r), Fill(kYellow) | Frame(kThin));
                Style(Cell(J, r), Fill(kYellow) | Frame(kThick));
                Style(Range(K, S, r), Fill(kYellow) | Frame(kThin, false));
                s.Merge(Range(K, S, r));
                Style(Cell(T, r), Fill(kYellow));
                ++r;
            }
        }
        return r - 1;
    }

    void SpacerRow(int r) {
        Style(Range(A, T, r), Fill(kYellow));
        Style(Range(A, S, r), Frame(kThin, false));
        s.Merge(Range(A, S, r));
    }

    void Bottom(int r) {
        // 18. Annotations.
        SpacerRow(r++);
        if (const TZelmModelStoDataList* sto = ctx.Sto()) {
            for (const auto& row : *sto) {
                TCellStyle st = Text(11, true) | Fill(kYellow) | Frame(kThin, false);
                if (row->TipoAnnotazione().toUpper().contains(QStringLiteral("MODIF")))
                    st = st | Ink(kDarkRed);
                Style(Range(A, S, r), st);
                Style(Cell(A, r), Intera());
                Put(Cell(A, r), row->TipoAnnotazione());
                const QString text =
                    row->DataAnnotazione().isValid()
                        ? QStringLiteral("%1 %2").arg(
                              row->DataAnnotazione().toString(QStringLiteral("dd-MM-yyyy")),
                              row->Annotazione())
                        : row->Annotazione();
                MergePut(Range(B, S, r), text);
                Style(Cell(T, r), Fill(kYellow));
                ++r;
            }
        }
        for (int i = 0; i < 3; ++i)
            SpacerRow(r++);
        // 19–21. Notes.
        const std::tuple<const char*, QString, bool> notes[] = {{"VARIE", m.NoteVarie(), false},
                                                                {"CUOIO", m.NoteCuoio(), true},
                                                                {"CAMP.", m.NoteCamp(), false}};
        for (const auto& [label, text, slate] : notes) {
            TCellStyle st = Text(11, true) | Fill(slate ? kSlate : kYellow) | Frame(kThin, false);
            if (slate)
                st = st | Ink(kWhite);
            Style(Range(A, S, r), st | Wrap());
            Put(Cell(A, r), QString::fromLatin1(label));
            MergePut(Range(B, S, r), Notes(text));
            Style(Cell(T, r), Fill(kYellow));
            ++r;
        }
        // 22. Free space for handwriting.
        for (int i = 0; i < 3; ++i)
            SpacerRow(r++);
        Style(Range(A, r, T, r + 9), Frame(kThin));
        s.Merge(Range(A, r, T, r + 9));
    }

    TSheetCanvas& s;
    const TZelmModelContext& ctx;
    const TZelmModelData& m;
};

TExportExcelScheda::TExportExcelScheda(QObject* owner) : QObject(owner) {}
TExportExcelScheda::~TExportExcelScheda() = default;

std::unique_ptr<TValidationResult> TExportExcelScheda::Prepare() const {
    auto result = std::make_unique<TValidationResult>();
    const QFileInfo info(FileName);
    const QString full = info.absoluteFilePath();
    // A lock left by an office that died while storing must not block the name for ever, even
    // once the file itself is gone.
    RimuoviBloccoOfficeOrfano(full);
    if (info.exists()) {
        result->AppendWarning(QStringLiteral("File \"%1\" già presente").arg(full));
        const QString reason = MotivoAccessoNegato(full);
        if (!reason.isEmpty())
            result->AppendError(
                QStringLiteral("Impossibile accedere al file \"%1\".\r\nProbabilmente "
                               "è già aperto da un altro utente o applicazione\r\n")
                    .arg(full) +
                reason);
    } else if (!QFileInfo(info.absolutePath()).isDir()) {
        result->AppendError(
            QStringLiteral("Directory \"%1\" non trovata").arg(info.absolutePath()));
    }
    return result;
}

void TExportExcelScheda::Exec() {
    if (!Context || !Context->Model())
        throw EZavoError(QStringLiteral("Nessuna scheda da esportare"));
    TSheetCanvas form;
    TWriter(form, *Context).Run();
    const QString target = QFileInfo(FileName).absoluteFilePath();
    const TFormato formato = FormatoDi(FileName);
    if (formato == TFormato::Xlsx) {
        form.WriteXlsx(target);
        return;
    }
    // Excel 97 and PDF: the same form written directly, then one load and one store by the
    // office (batching its hundred merges and styles costs more than this). The filter is
    // named: the office need not guess what it is given.
    QTemporaryDir temp;
    if (!temp.isValid())
        throw EZavoError(
            QStringLiteral("Cartella temporanea non creata: %1").arg(temp.errorString()));
    const QString xlsx = temp.filePath(QStringLiteral("scheda.xlsx"));
    form.WriteXlsx(xlsx);
    auto sheet =
        TOfficeSuite::Instance().LoadSpreadsheet(xlsx, QStringLiteral("Calc MS Excel 2007 XML"));
    TScopeExit close([&sheet] {
        try {
            sheet->Close();
        } catch (const EZavoError&) {
            // already stored or already failed: nothing more to tell
        }
    });
    // The form comes with its page set up: A4, scaled to one page whatever its rows.
    if (formato == TFormato::Pdf) {
        // The code sits right of the form, beside its top rows: it covers nothing.
        if (!FileQrCode.isEmpty())
            sheet->InsertImage(FileQrCode, 20, 0, 3000, 3000);
        sheet->StoreToPdf(target);
    } else {
        sheet->StoreAsExcel97(target);
    }
}

TExportExcelScheda::TFormato TExportExcelScheda::FormatoDi(const QString& fileName) {
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == QLatin1String("xlsx"))
        return TFormato::Xlsx;
    if (ext == QLatin1String("pdf"))
        return TFormato::Pdf;
    return TFormato::Xls;
}
