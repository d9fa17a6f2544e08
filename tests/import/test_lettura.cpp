// Where the import finds each value in a sheet, on sheets built in memory: label searches and
// their window, dates, sizes and detail rows, options, preferences, set matching; the flat
// OpenDocument text the office writes.
#include "import/LetturaScheda.h"

#include "framework/core/ZavoError.h"

#include <gtest/gtest.h>

namespace {
TFoglioXls Foglio(std::initializer_list<std::tuple<int, int, const char*>> cells) {
    TFoglioXls f;
    f.SetTesto(0, 0, QString()); // a sheet, even without cells
    for (const auto& [col, row, text] : cells)
        f.SetTesto(col, row, QString::fromUtf8(text));
    return f;
}
} // namespace

TEST(LetturaScheda, LabelSearchesAndTheirWindow) {
    const TFoglioXls f = Foglio({{2, 3, "CLIENTE"},
                                 {2, 5, "MILANO MODA"}, // below, past an empty cell
                                 {0, 7, "STAGIONE"},
                                 {3, 7, "PE 2025"},
                                 {29, 10, "TIPO"}, // last column: nothing to its right
                                 {0, 20, "Cliente"}});
    EXPECT_EQ(ValoreSotto(f, "CLIENTE", 1), "");
    EXPECT_EQ(ValoreSotto(f, "CLIENTE", 2), "MILANO MODA");
    EXPECT_EQ(ValoreDestra(f, " STAGIONE ", 5), "PE 2025");
    EXPECT_EQ(ValoreDestra(f, "STAGIONE", 2), "");
    EXPECT_EQ(ValoreDestra(f, "TIPO", 5), "");
    // Out of the window (column AE, row 101) is not in the sheet at all.
    TFoglioXls out = Foglio({{30, 0, "CLIENTE"}, {0, 100, "CLIENTE"}});
    EXPECT_EQ(out.Testo(30, 0), "");
    EXPECT_THROW(LeggiTestata(out), EZavoError);
    // Case counts.
    try {
        LeggiTestata(Foglio({{0, 0, "Cliente"}, {0, 1, "MILANO MODA"}}));
        FAIL();
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), "Errore ZELMMODEL: SiglaCliente mancante");
    }
}

TEST(LetturaScheda, Dates) {
    const struct {
        const char* text;
        QDate date;
    } cases[] = {{"12-03-2024 OK", QDate(2024, 3, 12)},
                 {" ok 1/2/2025", QDate(2025, 2, 1)},
                 {"05--06--2024", QDate(2024, 6, 5)},
                 {"", QDate()},
                 {":", QDate()},
                 {"OK", QDate()}};
    for (const auto& c : cases)
        EXPECT_EQ(NormalizzaData(c.text), c.date) << c.text;
    try {
        NormalizzaData("da definire");
        FAIL();
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), "'DA DEFINIRE' non è una data valida");
    }
}

TEST(LetturaScheda, SizesAndDetailRows) {
    TFoglioXls f = Foglio({{0, 2, "Stagione"},
                           {1, 3, "36"},
                           {2, 3, "36½"},
                           {3, 3, "37"},
                           {4, 3, "37½"},
                           {0, 4, "Tomaia"},
                           {1, 4, "interi"},
                           {0, 5, "Altezza"},
                           {1, 5, "45"},
                           {4, 5, "46"},
                           {0, 6, "Vuota"},
                           {0, 7, "Lavoraz."},
                           {0, 8, "Dopo"},
                           {1, 8, "1"}});
    f.AggiungiArea({1, 5, 3, 1}); // "45" over three sizes
    const TTaglieXls t = LeggiTaglie(f);
    EXPECT_EQ(t.Taglie, (QStringList{"36", "36½", "37", "37½"}));
    ASSERT_EQ(t.Righe.size(), 2);
    EXPECT_EQ(t.Righe[0].Nome, "TOMAIA");
    EXPECT_EQ(t.Righe[0].Dati, (QStringList{"X", ".", "X", "."}));
    EXPECT_EQ(t.Righe[1].Dati, (QStringList{"45", "45", "45", "46"}));

    // A season label below row 13 reads nothing.
    EXPECT_TRUE(LeggiTaglie(Foglio({{0, 13, "STAGIONE"}, {1, 14, "36"}})).Taglie.isEmpty());
    // Twenty sizes are all read (the writer keeps 17).
    TFoglioXls venti = Foglio({{0, 0, "STAGIONE"}, {0, 2, "RIGA"}});
    for (int i = 1; i <= 20; ++i) {
        venti.SetTesto(i, 1, QString::number(i));
        venti.SetTesto(i, 2, "v");
    }
    EXPECT_EQ(LeggiTaglie(venti).Righe.value(0).Dati.size(), 20);
}

TEST(LetturaScheda, OptionsPreferencesAndSets) {
    const TFoglioXls f = Foglio({{0, 11, "LINEA"},
                                 {0, 12, "CALZATA"},
                                 {1, 12, "Comoda"},
                                 {0, 13, "Suola"},
                                 {0, 14, "colore"},
                                 {1, 14, "Nero"},
                                 {0, 15, "Oltre"},
                                 {9, 12, "x"},
                                 {10, 12, "Pelle"},
                                 {14, 12, "Cuoio"},
                                 {18, 13, "Gomma"},
                                 {17, 13, "X"},
                                 {10, 16, "Troppo tardi"}});
    const QList<TSetOpzioniItem> opzioni = LeggiOpzioni(f);
    ASSERT_EQ(opzioni.size(), 3); // ends with COLORE
    EXPECT_EQ(opzioni[0].Descrizione, "Comoda");
    const QList<TPreferenzeComp> pref = LeggiPreferenze(f);
    ASSERT_EQ(pref.size(), 3); // rows 14 and 15 empty: the list ends before row 16
    EXPECT_TRUE(pref[0].Presente);
    EXPECT_FALSE(pref[1].Presente);
    EXPECT_EQ(pref[2].Etichetta, "Gomma");
    EXPECT_TRUE(pref[2].Presente);

    const QList<TSetCandidato> sets{{3, {"Calzata", "SUOLA ", "Colore", "Extra"}},
                                    {5, {"Calzata", "suola", "COLORE"}},
                                    {7, {"CALZATA", "SUOLA", "COLORE"}}};
    EXPECT_EQ(TrovaSet(sets, {"CALZATA", "Suola", "colore"}), 5);
    EXPECT_FALSE(TrovaSet(sets, {"CALZATA", "Suola"}).has_value());
}

TEST(FoglioXls, CsvCellsAndMergedWidths) {
    const TFoglioXls f =
        TFoglioXls::DaCsv("a  b, x ,\"con, virgola\",\"su\ndue righe\",\"\"\"citato\"\"\"\r\n"
                          ",12/03/2024\n\n" +
                          QByteArray(31, ',') + "\n");
    EXPECT_TRUE(f.HaFogli());
    EXPECT_EQ(f.Testo(0, 0), "a  b");
    EXPECT_EQ(f.Testo(1, 0), "x");
    EXPECT_EQ(f.Testo(2, 0), "con, virgola");
    EXPECT_EQ(f.Testo(3, 0), "su\ndue righe");
    EXPECT_EQ(f.Testo(4, 0), "\"citato\"");
    EXPECT_EQ(f.Testo(1, 1), "12/03/2024");
    EXPECT_EQ(f.Testo(0, 2), "");

    // Widths: the areas given first, then the source, asked once per cell.
    TFoglioXls g;
    g.AggiungiArea({1, 5, 3, 1});
    int asked = 0;
    g.SetFonteLarghezze([&](int col, int) {
        ++asked;
        return col == 4 ? 2 : 1;
    });
    EXPECT_EQ(g.Larghezza(1, 5), 3);
    EXPECT_EQ(g.Larghezza(4, 5), 2);
    EXPECT_EQ(g.Larghezza(4, 5), 2);
    EXPECT_EQ(g.Larghezza(5, 5), 1);
    EXPECT_EQ(asked, 2);
}
