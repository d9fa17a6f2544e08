// The texts the grid writes into its query, as case tables: no application object, no database.
#include "framework/core/ZavoError.h"
#include "framework/db/IBSQL.h"
#include "framework/grid/ZavoGridSql.h"

#include <gtest/gtest.h>

namespace {
TParametriRicerca P(const QString& testo, int tipo, bool upper = true, const char* d1 = "",
                    const char* d2 = "", int ordinamento = 0) {
    TParametriRicerca p;
    p.testo = testo;
    p.tipo = tipo;
    p.upper = upper;
    p.ordinamento = ordinamento;
    p.data1 = d1;
    p.data2 = d2;
    return p;
}

struct ConditionCase {
    const char* name;
    TClasseCampo classe;
    TParametriRicerca p;
    bool where;
    QString expected;
};

const QString kLong = QString(300, 'x');
} // namespace

class Condition : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(Condition, IsWrittenAsTheGridSendsIt) {
    const ConditionCase& c = GetParam();
    EXPECT_EQ(CondizioneRicerca(c.classe, "T.C", c.p, c.where), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    , Condition,
    ::testing::Values(
        // text × search type × upper-casing
        ConditionCase{"text_ge_upper", clTesto, P("ab", 0), false, "WHERE(UPPER(T.C) >= 'AB')"},
        ConditionCase{"text_ge_plain", clTesto, P("ab", 0, false), false, "WHERE(T.C >= 'ab')"},
        ConditionCase{"text_contains_upper", clTesto, P("ab", 1), false,
                      "WHERE(UPPER(T.C) LIKE '%AB%')"},
        ConditionCase{"text_contains_plain", clTesto, P("ab", 1, false), false,
                      "WHERE(T.C LIKE '%ab%')"},
        ConditionCase{"text_starts_upper", clTesto, P("ab", 2), false,
                      "WHERE(UPPER(T.C) LIKE 'AB%')"},
        ConditionCase{"text_starts_plain", clTesto, P("ab", 2, false), false,
                      "WHERE(T.C LIKE 'ab%')"},
        // numbers are never upper-cased and never "LIKE %"
        ConditionCase{"number_ge", clNumero, P("5", 0), false, "WHERE(T.C >= '5')"},
        ConditionCase{"number_contains", clNumero, P("5", 1), false, "WHERE(T.C LIKE '%5%')"},
        ConditionCase{"number_starts_falls_back", clNumero, P("5", 2), false, "WHERE(T.C >= '5')"},
        ConditionCase{"blob_never_upper", clBlob, P("ab", 1), false, "WHERE(T.C LIKE '%ab%')"},
        // dates: month first, one or two of them, the text ignored
        ConditionCase{"date_from", clData, P("ignored", 0, true, "05/03/2024"), false,
                      "WHERE(T.C >= '03/05/2024')"},
        ConditionCase{"date_pair", clData, P("", 0, true, "05/03/2024", "10/03/2024"), false,
                      "WHERE(T.C >= '03/05/2024')AND(T.C <= '03/10/2024')"},
        ConditionCase{"date_only_second_is_none", clData, P("", 0, true, "", "10/03/2024"), false,
                      ""},
        // a timestamp's last day is included whole; short forms read as the date box reads them
        ConditionCase{"datetime_pair", clDataOra, P("", 0, true, "01/12/2026", "31/12/2026"), true,
                      "AND(T.C >= '12/01/2026')AND(T.C < '01/01/2027')"},
        ConditionCase{"datetime_one_day", clDataOra, P("", 0, true, "04/03/2024", "04/03/2024"),
                      false, "WHERE(T.C >= '03/04/2024')AND(T.C < '03/05/2024')"},
        ConditionCase{"date_short_forms", clData, P("", 0, true, "5/3/2024", "15/08/26"), false,
                      "WHERE(T.C >= '03/05/2024')AND(T.C <= '08/15/2026')"},
        // the Italian decimal comma
        ConditionCase{"number_decimal_comma", clNumero, P(" 1,5 ", 0), false,
                      "WHERE(T.C >= '1.5')"},
        // a base query that already has a WHERE
        ConditionCase{"base_has_where", clTesto, P("ab", 2), true, "AND(UPPER(T.C) LIKE 'AB%')"},
        ConditionCase{"empty_text_is_none", clTesto, P("", 2), false, ""},
        // hostile and odd texts: nothing can end the literal
        // an apostrophe finds both spellings, the plain one doubled inside its literal
        ConditionCase{"quote", clTesto, P("l'anno", 2, false), false,
                      QString::fromUtf8("WHERE(T.C LIKE 'l''anno%' OR T.C LIKE 'l´anno%')")},
        ConditionCase{
            "quote_injection", clTesto, P("1' OR '1'='1", 0, false), false,
            QString::fromUtf8("WHERE(T.C >= '1'' OR ''1''=''1' OR T.C >= '1´ OR ´1´=´1')")},
        ConditionCase{"acute_accent_kept", clTesto, P(QString::fromUtf8("l´a"), 0, false), false,
                      QString::fromUtf8("WHERE(T.C >= 'l''a' OR T.C >= 'l´a')")},
        ConditionCase{"number_like_quote_ascii_only", clNumero, P("1'", 1), false,
                      "WHERE(T.C LIKE '%1''%')"},
        ConditionCase{"percent_and_underscore_kept", clTesto, P("50%_x", 1, false), false,
                      "WHERE(T.C LIKE '%50%_x%')"},
        ConditionCase{"backslash_kept", clTesto, P("a\\'b\\", 2, false), false,
                      QString::fromUtf8("WHERE(T.C LIKE 'a\\''b\\%' OR T.C LIKE 'a\\´b\\%')")},
        ConditionCase{"comment_marker", clTesto, P("x' --", 0, false), false,
                      QString::fromUtf8("WHERE(T.C >= 'x'' --' OR T.C >= 'x´ --')")},
        ConditionCase{"long_text", clTesto, P(kLong, 0, false), false,
                      "WHERE(T.C >= '" + kLong + "')"},
        ConditionCase{"non_ascii_upper", clTesto, P(QString::fromUtf8("perché è"), 2), false,
                      QString::fromUtf8("WHERE(UPPER(T.C) LIKE 'PERCHÉ È%')")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConditionDates, AnUnreadableDateIsRefusedWithItsText) {
    for (const char* bad : {"31/02/2024", "2024-03-05", "5 marzo"}) {
        try {
            CondizioneRicerca(clData, "T.D", P("", 0, true, bad), false);
            ADD_FAILURE() << bad;
        } catch (const EZavoError& e) {
            EXPECT_EQ(e.Message(), QString("'%1' non è una data valida").arg(bad));
        }
    }
    EXPECT_THROW(CondizioneRicerca(clData, "T.D", P("", 0, true, "01/01/2024", "x"), false),
                 EZavoError);
    // An incomplete date-time does nothing at all.
    EXPECT_FALSE(RicercaApplicabile(clDataOra, P("", 0, true, "01/01/2")));
    EXPECT_TRUE(RicercaApplicabile(clDataOra, P("", 0, true, "01/01/24")));
    // A text no literal can hold is refused in Italian before any statement.
    try {
        CondizioneRicerca(clTesto, "T.C", P(QString(40000, 'x'), 1), false);
        ADD_FAILURE();
    } catch (const EZavoError& e) {
        EXPECT_TRUE(e.Message().startsWith("Il testo da cercare è troppo lungo")) << e.what();
    }
    EXPECT_THROW(RicercaGenericaLines({"SELECT * FROM T"},
                                      {{"T.A", clTesto}, {"T.B", clTesto}, {"T.C", clTesto}},
                                      QString(25000, 'x')),
                 EZavoError);
    EXPECT_TRUE(RicercaApplicabile(clDataOra, P("", 0, true, "01/01/2024")));
    EXPECT_TRUE(RicercaApplicabile(clData, P("", 0, true, "")));
}

TEST(SearchOrdering, FollowsTheChoiceAndTheUpperCasing) {
    EXPECT_EQ(OrdinamentoRicerca(clTesto, "T.C", P("a", 0, true, "", "", 1)),
              "ORDER BY UPPER(T.C)");
    EXPECT_EQ(OrdinamentoRicerca(clTesto, "T.C", P("a", 0, false, "", "", 2)), "ORDER BY T.C DESC");
    EXPECT_EQ(OrdinamentoRicerca(clNumero, "T.A", P("a", 0, true, "", "", 1)), "ORDER BY T.A");
    EXPECT_EQ(OrdinamentoRicerca(clTesto, "T.C", P("a", 0, true, "", "", 0)), "");
}

TEST(AllColumnsSearch, OneContainingPerColumnWithAnOrigin) {
    const std::vector<TCampoRicerca> fields{
        {"T.A", clNumero}, {"", clTesto}, {"T.C", clTesto}, {"T.D", clData}, {"T.M", clBlob}};
    EXPECT_EQ(RicercaGenericaLines({"SELECT * FROM T"}, fields, "ab"),
              QStringList({"SELECT * FROM T", "WHERE(", "(T.A CONTAINING 'AB')",
                           "OR(T.C CONTAINING 'AB')", "OR(T.D CONTAINING 'AB')",
                           "OR(T.M CONTAINING 'AB')", ")"}));
    // After a WHERE, a quote and text outside ASCII: only text columns are asked.
    EXPECT_EQ(
        RicercaGenericaLines({"SELECT * FROM T", "where T.A > 0"}, fields,
                             QString::fromUtf8("l'è")),
        QStringList({"SELECT * FROM T", "where T.A > 0", "AND(",
                     QString::fromUtf8("(T.C CONTAINING 'L''È' OR T.C CONTAINING 'L´È')"),
                     QString::fromUtf8("OR(T.M CONTAINING 'L''È' OR T.M CONTAINING 'L´È')"), ")"}));
}

struct OrderingCase {
    const char* name;
    int mode;
    TOrdEntry single;
    std::vector<TOrdEntry> multi;
    bool orderBy;
    QStringList expected;
};

class Ordering : public ::testing::TestWithParam<OrderingCase> {};

TEST_P(Ordering, LinesForTheColumnsTheBaseQueryHas) {
    const OrderingCase& c = GetParam();
    EXPECT_EQ(OrderingLines(c.mode, c.single, c.multi, {"CALC"}, {"T.A", "T.C", "T.D"}, c.orderBy),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    , Ordering,
    ::testing::Values(
        OrderingCase{"single_ascending", 1, {"C", "T.C", 2, 1}, {}, true, {"ORDER BY T.C"}},
        OrderingCase{"single_descending", 1, {"C", "t.c", 2, 2}, {}, true, {"ORDER BY t.c DESC"}},
        OrderingCase{"single_gone_from_base", 1, {"X", "T.X", 4, 1}, {}, true, {}},
        OrderingCase{
            "single_custom_field", 1, {"CALC", "A+B", 5, 2}, {}, true, {"ORDER BY A+B DESC"}},
        OrderingCase{"no_field", 1, {}, {}, true, {}},
        OrderingCase{
            "multi",
            2,
            {},
            {{"C", "T.C", 2, 1}, {"X", "T.X", 4, 1}, {"D", "T.D", 3, 2}, {"A", "T.A", 0, 1}},
            true,
            {"ORDER BY T.C", ",T.D DESC", ",T.A"}},
        OrderingCase{"multi_without_order_by", 2, {}, {{"C", "T.C", 2, 1}}, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrimaryKeyOrdering, JoinsTheKeyColumnsWithoutBlanks) {
    EXPECT_EQ(OrdinamentoChiavePrimaria("T", {"A   ", "B "}), "ORDER BY T.A,T.B");
    EXPECT_EQ(OrdinamentoChiavePrimaria("T", {}), "");
}

TEST(FieldClasses, FromTheSqlType) {
    EXPECT_EQ(ClasseDaTipoSql(SqlType::Long), clNumero);
    EXPECT_EQ(ClasseDaTipoSql(SqlType::Int64), clNumero);
    EXPECT_EQ(ClasseDaTipoSql(SqlType::Double), clNumero);
    EXPECT_EQ(ClasseDaTipoSql(SqlType::Date), clData);
    EXPECT_EQ(ClasseDaTipoSql(SqlType::Timestamp), clDataOra);
    EXPECT_EQ(ClasseDaTipoSql(SqlType::Blob), clBlob);
    EXPECT_EQ(ClasseDaTipoSql(SqlType::Varying), clTesto);
    EXPECT_EQ(ClasseDaTipoSql(SqlType::Text), clTesto);
    EXPECT_TRUE(HaWhere({"select *", "from t where x"}));
    EXPECT_FALSE(HaWhere({"select * from t"}));
}
