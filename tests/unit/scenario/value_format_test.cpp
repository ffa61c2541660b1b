// How expect db writes what the database holds: numbers, nulls, rows and
// columns, read from a real SQLite database.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "appserver/db/DbSession.h"
#include "scenario/DbQuery.h"
#include "scenario/ValueFormat.h"

namespace {

using scenario::DbValue;
using scenario::FormatNumber;
using scenario::FormatRows;

TEST(ValueFormat, WholeNumbersHaveNoDecimalPart) {
  EXPECT_EQ(FormatNumber(20.0), "20");
  EXPECT_EQ(FormatNumber(-3.0), "-3");
  EXPECT_EQ(FormatNumber(0.0), "0");
  EXPECT_EQ(FormatNumber(-0.0), "0");
  EXPECT_EQ(FormatNumber(9999.0), "9999");
  EXPECT_EQ(FormatNumber(1e21), "1000000000000000000000");
}

TEST(ValueFormat, OtherNumbersInShortestExactFormWithAPoint) {
  EXPECT_EQ(FormatNumber(2.5), "2.5");
  EXPECT_EQ(FormatNumber(0.1), "0.1");
  EXPECT_EQ(FormatNumber(-1.25), "-1.25");
  EXPECT_EQ(FormatNumber(1.0 / 3.0), "0.3333333333333333");
  EXPECT_EQ(std::stod(FormatNumber(0.1 + 0.2)), 0.1 + 0.2);
}

TEST(ValueFormat, RowsJoinedBySemicolonsColumnsByBars) {
  EXPECT_EQ(FormatRows({}), "");
  EXPECT_EQ(FormatRows({{DbValue::Text("0001"), DbValue::Null(), DbValue::Real(20)},
                        {DbValue::Text("a b"), DbValue::Integer(-7), DbValue::Real(0.5)}}),
            "0001||20;a b|-7|0.5");
  EXPECT_EQ(FormatRows({{DbValue::Null()}, {DbValue::Null()}}), ";");
}

class DbRows : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::path(::testing::TempDir()) / ("scenario_rows_" + std::to_string(::getpid()) + ".db");
    std::filesystem::remove(path_);
    session_ = dbsession::Open({dbsession::Dialect::Sqlite, path_.string()});
    *session_ << "CREATE TABLE T (CODE varchar(4), NAME varchar(10), QT double precision, N integer)";
    *session_ << "INSERT INTO T VALUES ('0001', 'um', 20.0, 3)";
    *session_ << "INSERT INTO T VALUES ('0002', NULL, 2.5, NULL)";
  }
  void TearDown() override {
    session_.reset();
    std::filesystem::remove(path_);
    std::filesystem::remove(path_.string() + "-wal");
    std::filesystem::remove(path_.string() + "-shm");
  }
  std::string Rows(const std::string& query) { return FormatRows(scenario::QueryRows(*session_, query)); }

  std::filesystem::path path_;
  std::unique_ptr<soci::session> session_;
};

TEST_F(DbRows, CodesStayTextNumbersFollowTheRules) {
  EXPECT_EQ(Rows("SELECT CODE, NAME, QT, N FROM T ORDER BY CODE"), "0001|um|20|3;0002||2.5|");
}

TEST_F(DbRows, ComputedColumns) {
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM T"), "2");
  EXPECT_EQ(Rows("SELECT SUM(QT) FROM T"), "22.5");
  EXPECT_EQ(Rows("SELECT MAX(QT) FROM T WHERE CODE = 'none'"), "");
}

TEST_F(DbRows, NoRowsGiveEmptyText) { EXPECT_EQ(Rows("SELECT CODE FROM T WHERE 1 = 0"), ""); }

TEST_F(DbRows, BadQueriesThrowWithTheDatabaseText) {
  try {
    scenario::QueryRows(*session_, "SELECT NOPE FROM T");
    FAIL() << "a bad query was accepted";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("NOPE"), std::string::npos) << e.what();
  }
}

}  // namespace
