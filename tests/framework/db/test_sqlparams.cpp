#include "framework/db/SqlParams.h"

#include "support/TestSupport.h"

struct ParamCase {
    const char* sql;
    const char* expected;
    QStringList names;
};

class SqlParams : public ::testing::TestWithParam<ParamCase> {};

TEST_P(SqlParams, MapsNamesToMarkersOutsideQuotesAndComments) {
    const ParamCase& c = GetParam();
    const TParsedSql parsed = ParseNamedParams(QString::fromUtf8(c.sql));
    EXPECT_EQ(parsed.sql, QString::fromUtf8(c.expected));
    EXPECT_EQ(parsed.names, c.names);
}

INSTANTIATE_TEST_SUITE_P(
    , SqlParams,
    ::testing::Values(
        ParamCase{"SELECT * FROM T WHERE ID=:ID", "SELECT * FROM T WHERE ID=?", {"ID"}},
        ParamCase{"UPDATE T SET A=:a, B=:B_2 WHERE A=:A",
                  "UPDATE T SET A=?, B=? WHERE A=?",
                  {"A", "B_2", "A"}},
        ParamCase{
            "SELECT ':X', \":Y\" FROM T WHERE Z=:Z", "SELECT ':X', \":Y\" FROM T WHERE Z=?", {"Z"}},
        ParamCase{
            "SELECT 'l''anno :A' FROM T WHERE B=:B", "SELECT 'l''anno :A' FROM T WHERE B=?", {"B"}},
        ParamCase{
            "SELECT q'{:A ' }' FROM T WHERE B=:B", "SELECT q'{:A ' }' FROM T WHERE B=?", {"B"}},
        ParamCase{"SELECT 1 -- :A\nFROM T /* :B */ WHERE C=:C",
                  "SELECT 1 -- :A\nFROM T /* :B */ WHERE C=?",
                  {"C"}},
        ParamCase{"SELECT CAST(:P AS VARCHAR(64)) FROM RDB$DATABASE",
                  "SELECT CAST(? AS VARCHAR(64)) FROM RDB$DATABASE",
                  {"P"}},
        ParamCase{"SELECT A FROM T WHERE T.X = 1", "SELECT A FROM T WHERE T.X = 1", {}}),
    CaseIndex());
