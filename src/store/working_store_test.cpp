#include "store/working_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

#include "base/paths.h"
#include "store/statements.h"
#include "support/testing.h"

namespace velorin::store {
namespace {

namespace st = statements;
using Table = WorkingStore::Table;

class StoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = testing::CopyStoreInto(dir_.path());
        Status s;
        store_ = WorkingStore::Open(path_, &s);
        ASSERT_TRUE(store_) << s.message();
        store_->OpenStandingRecordSets();
    }

    void AddPoint(const std::string& section, double slen, double high,
                  const std::string& layer = "地_点位") {
        RecordSet& p = store_->Standing(Table::Point);
        p.AddNew();
        p.SetField("CrossNo", section);
        p.SetField("Slen", slen);
        p.SetField("High", high);
        p.SetField("Pian", 0.0);
        p.SetField("Layer", layer);
        ASSERT_TRUE(p.Update().ok());
    }

    std::vector<double> Chainages(const std::string& statement) {
        std::vector<double> out;
        auto set = store_->OpenRecordSet(statement);
        for (set->MoveFirst(); !set->EndOfFile(); set->MoveNext())
            out.push_back(set->Number("Slen"));
        return out;
    }

    testing::TempDir dir_;
    std::string path_;
    std::unique_ptr<WorkingStore> store_;
};

TEST_F(StoreTest, StandingSetsOfAnEmptyStoreEndAtOnce) {
    for (Table t : {Table::Line, Table::Cross, Table::Point, Table::Ctl}) {
        EXPECT_TRUE(store_->Standing(t).EndOfFile());
        EXPECT_EQ(store_->Standing(t).RecordCount(), 0);
    }
}

TEST_F(StoreTest, PointsComeBackBySectionAndChainage) {
    AddPoint("断2", 1, 10);
    AddPoint("断1", 5, 11);
    AddPoint("断1", -2, 12);
    RecordSet& p = store_->Reopen(Table::Point, st::kPointByCrossNoSlen);
    std::vector<std::pair<std::string, double>> rows;
    for (p.MoveFirst(); !p.EndOfFile(); p.MoveNext())
        rows.emplace_back(p.Text("CrossNo"), p.Number("Slen"));
    EXPECT_EQ(rows,
              (std::vector<std::pair<std::string, double>>{{"断1", -2}, {"断1", 5}, {"断2", 1}}));
}

TEST_F(StoreTest, DeleteStatementsOfTheOriginalDialectEmptyTables) {
    AddPoint("A", 1, 2);
    ASSERT_TRUE(store_->Execute(st::kDeletePoint).ok());
    EXPECT_EQ(store_->Reopen(Table::Point, st::kPointByCrossNoSlen).RecordCount(), 0);
}

TEST_F(StoreTest, LeftSideListsFromTheCentreOutwards) {
    for (double s : {-1.5, -4.0, -0.5, 2.0}) AddPoint("K0+100", s, 100);
    EXPECT_EQ(Chainages(st::LeftPointsOfSection("K0+100")),
              (std::vector<double>{-0.5, -1.5, -4.0}));
    EXPECT_EQ(Chainages(st::RightPointsOfSection("K0+100")), (std::vector<double>{2.0}));
}

TEST_F(StoreTest, PerSectionQueriesBothSpellings) {
    AddPoint("A", 3, 1);
    AddPoint("B", 1, 1);
    AddPoint("A", 2, 1);
    EXPECT_EQ(Chainages(st::PointsOfSection("A")), (std::vector<double>{2, 3}));
    EXPECT_EQ(Chainages(st::PointsOfSectionBracketed("A")), (std::vector<double>{2, 3}));
    EXPECT_EQ(Chainages(st::PointsOfSectionUnordered("B")).size(), 1u);
}

TEST_F(StoreTest, FindFirstFollowsStatementOrder) {
    AddPoint("A", 4, 1, "断_中心点");
    AddPoint("A", -3, 1, "地_点位");
    AddPoint("A", 1, 1, "断_中心点");
    RecordSet& p = store_->Reopen(Table::Point, st::kPointByCrossNoSlen);
    ASSERT_TRUE(p.FindFirst(st::LayerIs("断_中心点")));
    EXPECT_FALSE(p.NoMatch());
    EXPECT_EQ(p.Number("Slen"), 1);  // the first in chainage order, not in insertion order
    ASSERT_TRUE(p.FindFirst(st::kNegativeChainage));
    EXPECT_EQ(p.Number("Slen"), -3);
    EXPECT_TRUE(p.FindFirst(st::SectionCentre("A")) == false && p.NoMatch());
}

TEST_F(StoreTest, FindFirstReportsNoMatchWhenAllStartAtZero) {
    AddPoint("A", 0, 1);
    AddPoint("A", 5, 1);
    RecordSet& p = store_->Reopen(Table::Point, st::kPointByCrossNoSlen);
    EXPECT_FALSE(p.FindFirst(st::kNegativeChainage));
    EXPECT_TRUE(p.NoMatch());
    EXPECT_TRUE(p.FindFirst(st::SectionCentre("A")));
}

TEST_F(StoreTest, TextComparesWithoutRegardToCase) {
    AddPoint("k1+020", 1, 1, "Layer1");
    RecordSet& p = store_->Reopen(Table::Point, st::kPointByCrossNoSlen);
    EXPECT_TRUE(p.FindFirst(st::SectionAndLayer("K1+020", "LAYER1")));
}

TEST_F(StoreTest, ApostrophesInNamesWorkEverywhere) {
    const std::string odd = "K1'20";
    AddPoint(odd, 5, 1, "it's");
    AddPoint(odd, 7, 1, "it's");
    AddPoint("other", 9, 1);
    EXPECT_EQ(Chainages(st::PointsOfSection(odd)), (std::vector<double>{5, 7}));
    ASSERT_TRUE(store_->Execute(st::ShiftSectionChainages(5, odd)).ok());
    EXPECT_EQ(Chainages(st::PointsOfSection(odd)), (std::vector<double>{0, 2}));
    EXPECT_EQ(Chainages(st::PointsOfSection("other")), (std::vector<double>{9}));
    RecordSet& p = store_->Reopen(Table::Point, st::kPointByCrossNoSlen);
    EXPECT_TRUE(p.FindFirst(st::SectionAndLayer(odd, "it's")));
    EXPECT_TRUE(p.FindFirst(st::SectionCentre(odd)));
}

struct ShiftCase {
    const char* name;
    std::string statement;
    double expected;  // chainage 10 after the statement
    friend void PrintTo(const ShiftCase& c, std::ostream* os) { *os << c.name; }
};

class ShiftTest : public StoreTest, public ::testing::WithParamInterface<ShiftCase> {};

TEST_P(ShiftTest, ShiftsChainagesToTheMillimetre) {
    AddPoint("A", 10, 1);
    ASSERT_TRUE(store_->Execute(GetParam().statement).ok()) << GetParam().statement;
    EXPECT_NEAR(Chainages(st::PointsOfSection("A")).at(0), GetParam().expected, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Shifts, ShiftTest,
    ::testing::Values(ShiftCase{"Centre", st::ShiftAllChainages(4.25), 5.75},
                      // "Slen--3.000": minus a negative centre must not turn into a comment.
                      ShiftCase{"NegativeCentre", st::ShiftAllChainages(-3), 13},
                      ShiftCase{"RoundedToMillimetre", st::ShiftAllChainages(1.00049),
                                8.9995 + 0.0005},
                      ShiftCase{"StartChainage", st::AddStartChainage(1020.5), 1030.5},
                      ShiftCase{"NegativeStart", st::AddStartChainage(-2), 8},
                      ShiftCase{"OneSection", st::ShiftSectionChainages(-1, "A"), 11}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StoreTest, OpenSetsSeeLaterStatementsAndKeepTheirRows) {
    AddPoint("A", 10, 1);
    AddPoint("A", 20, 1);
    RecordSet& p = store_->Reopen(Table::Point, st::kPointByCrossNoSlen);
    ASSERT_TRUE(store_->Execute(st::ShiftAllChainages(10)).ok());
    p.MoveFirst();
    EXPECT_EQ(p.Number("Slen"), 0);
    EXPECT_EQ(p.RecordCount(), 2);
    ASSERT_TRUE(store_->Execute(st::kDeletePoint).ok());
    EXPECT_TRUE(p.EndOfFile());
}

TEST_F(StoreTest, AppendedRowsJoinTheOpenSetAtTheEnd) {
    AddPoint("B", 1, 1);
    RecordSet& p = store_->Reopen(Table::Point, st::kPointByCrossNoSlen);
    AddPoint("A", 0, 1);
    p.MoveLast();
    EXPECT_EQ(p.Text("CrossNo"), "A");
    EXPECT_EQ(p.RecordCount(), 2);
}

TEST_F(StoreTest, EditRenamesTheCurrentRow) {
    RecordSet& c = store_->Reopen(Table::Cross, st::kCrossBySIndex);
    for (double i : {2.0, 1.0}) {
        c.AddNew();
        c.SetField("CrossNo", "tmp" + std::to_string(static_cast<int>(i)));
        c.SetField("SIndex", i);
        ASSERT_TRUE(c.Update().ok());
    }
    RecordSet& again = store_->Reopen(Table::Cross, st::kCrossBySIndex);
    int n = 1;
    for (again.MoveFirst(); !again.EndOfFile(); again.MoveNext()) {
        again.Edit();
        again.SetField("CrossNo", "断" + std::to_string(n++));
        ASSERT_TRUE(again.Update().ok());
    }
    RecordSet& check = store_->Reopen(Table::Cross, st::kCrossByCrossNo);
    check.MoveFirst();
    EXPECT_EQ(check.Text("CrossNo"), "断1");
    EXPECT_EQ(check.Number("SIndex"), 1);
}

TEST_F(StoreTest, LineVerticesOrderByNumber) {
    RecordSet& l = store_->Standing(Table::Line);
    for (int no : {4, 0, 2}) {
        l.AddNew();
        l.SetField("No", no);
        l.SetField("X1", no * 1.5);
        l.SetField("Y1", 0.0);
        ASSERT_TRUE(l.Update().ok());
    }
    RecordSet& again = store_->Reopen(Table::Line, st::kLineByNo);
    std::vector<long> numbers;
    for (again.MoveFirst(); !again.EndOfFile(); again.MoveNext())
        numbers.push_back(again.Field("No").AsLong());
    EXPECT_EQ(numbers, (std::vector<long>{0, 2, 4}));
}

TEST_F(StoreTest, PointNameFieldAnswersToBothSpellings) {
    RecordSet& c = store_->Standing(Table::Ctl);
    c.AddNew();
    c.SetField("ctlNo", "K1");
    c.SetField("Name", "a.cor");
    c.SetField("X1", 1.0);
    ASSERT_TRUE(c.Update().ok());
    RecordSet& again = store_->Reopen(Table::Ctl, st::kCtlByNameCtlNo);
    EXPECT_EQ(again.Text("CtlNo"), "K1");
    EXPECT_EQ(again.Text("ctlNo"), "K1");
    EXPECT_TRUE(again.Field("H1").IsNull());  // fields missing from the file line stay empty
}

TEST_F(StoreTest, CommittedRowsOutliveTheProcess) {
    AddPoint("A", 1, 2);
    ASSERT_TRUE(store_->Commit().ok());
    store_.reset();
    Status s;
    auto reopened = WorkingStore::Open(path_, &s);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->OpenRecordSet(st::kPointByCrossNoSlen)->RecordCount(), 1);
}

// A write that fails part-way through a command (disk full, file made read-only) is
// kept and returned by the command's Commit, naming the store file; the next command
// starts clean.
TEST_F(StoreTest, TheFirstFailedWriteOfACommandIsReturnedByCommit) {
    enum class Write { Append, Statement, CommitItself };
    const std::pair<const char*, Write> rows[] = {{"append", Write::Append},
                                                  {"statement", Write::Statement},
                                                  {"commit itself", Write::CommitItself}};
    for (const auto& [name, write] : rows) {
        SCOPED_TRACE(name);
        AddPoint("A", 1, 2);
        ASSERT_TRUE(store_->Commit().ok());
        AddPoint("A2", 1, 2);  // written before the fault, lost with the transaction
        store_->InjectWriteFault("磁盘已满");
        if (write == Write::Append) {
            RecordSet& p = store_->Standing(Table::Point);
            p.AddNew();
            p.SetField("CrossNo", "B");
            EXPECT_FALSE(p.Update().ok());
        } else if (write == Write::Statement) {
            EXPECT_FALSE(store_->Execute("Delete * from Point").ok());
        }
        Status s = store_->Commit();
        store_->InjectWriteFault("");
        EXPECT_FALSE(s.ok());
        EXPECT_TRUE(s.message().starts_with("工作数据库“" + path_ +
                                            "”写入失败，本次命令的结果没有全部保存："))
            << s.message();
        EXPECT_NE(s.message().find("磁盘已满"), std::string::npos);
        EXPECT_TRUE(store_->Commit().ok());  // reported once
        EXPECT_EQ(store_->OpenRecordSet("Select * from Point where CrossNo='A'")->RecordCount(), 1);
        EXPECT_EQ(store_->OpenRecordSet("Select * from Point where CrossNo='A2'")->RecordCount(),
                  0);
        ASSERT_TRUE(store_->Execute("Delete * from Point").ok());
        ASSERT_TRUE(store_->Commit().ok());
    }
}

TEST(StoreOpenTest, AStoreThatCannotBeOpenedIsNamedWithTheCause) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("junk.mdb"), std::string(4096, 'x'));
    const std::pair<std::string, std::string> rows[] = {
        {dir.File("Velorin.mdb"), "无法打开数据库文件（文件或文件夹不存在）"},
        {dir.File("junk.mdb"), "文件已损坏或不是数据库"},
    };
    for (const auto& [path, cause] : rows) {
        Status s;
        EXPECT_FALSE(WorkingStore::Open(path, &s));
        EXPECT_EQ(s.message(), "工作数据库“" + path + "”无法打开：" + cause);
    }
    EXPECT_FALSE(PathExists(dir.File("Velorin.mdb")));  // never created
}

// What SQLite's failures say to a user, each from a real failing operation on a store.
TEST(StoreOpenTest, SqliteFailuresAreToldInTheUsersWords) {
    testing::TempDir dir;
    std::string store = testing::CopyStoreInto(dir.path());
    std::string broken = dir.File("broken.mdb");
    testing::WriteBytes(broken, testing::ReadBytes(store));
    {
        // The schema page after the file header overwritten.
        std::string bytes = testing::ReadBytes(broken);
        for (size_t i = 100; i < 400 && i < bytes.size(); ++i) bytes[i] = '\xA5';
        testing::WriteBytes(broken, bytes);
    }
    std::vector<sqlite3*> opened;
    auto open = [&](const std::string& path, int flags) {
        sqlite3* db = nullptr;
        int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
        opened.push_back(db);
        sqlite3_busy_timeout(db, 0);
        return std::pair{db, rc};
    };
    constexpr int kWrite = SQLITE_OPEN_READWRITE;
    auto run = [](sqlite3* db, const char* sql) {
        return std::pair{db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr)};
    };
    struct Row {
        const char* name;
        std::function<std::pair<sqlite3*, int>()> fail;
        const char* words;
    };
    const Row rows[] = {
        {"missing", [&] { return open(dir.File("none.mdb"), kWrite); },
         "无法打开数据库文件（文件或文件夹不存在）"},
        {"full",
         [&] {
             sqlite3* db = open(store, kWrite).first;
             run(db, "PRAGMA max_page_count=1");  // no room beyond the pages it has
             return run(db, "INSERT INTO Point (CrossNo) VALUES (hex(zeroblob(100000)))");
         },
         "磁盘空间不足"},
        {"read-only",
         [&] { return run(open(store, SQLITE_OPEN_READONLY).first, "DELETE FROM Point"); },
         "数据库文件只读，不能写入"},
        {"damaged", [&] { return run(open(broken, kWrite).first, "SELECT * FROM Point"); },
         "文件已损坏或不是数据库"},
        {"faulty statement",
         [&] { return run(open(store, kWrite).first, "SELECT * FROM Nowhere"); },
         "语句有误（no such table: Nowhere）"},
        // Last: the lock stays until the end.
        {"held by another program",
         [&] {
             run(open(store, kWrite).first, "BEGIN EXCLUSIVE");
             return run(open(store, kWrite).first, "DELETE FROM Point");
         },
         "文件被占用"},
    };
    for (const Row& row : rows) {
        auto [db, rc] = row.fail();
        EXPECT_NE(rc, SQLITE_OK) << row.name;
        EXPECT_EQ(ResultText(db, rc), row.words) << row.name;
    }
    for (sqlite3* db : opened) sqlite3_close(db);
}

TEST(StoreFileTest, TheBuiltStoreHoldsTheFourTables) {
    Status s;
    testing::TempDir dir;
    auto store = WorkingStore::Open(testing::CopyStoreInto(dir.path()), &s);
    ASSERT_TRUE(store) << s.message();
    auto cross = store->OpenRecordSet("Select * from Cross Order By SIndex", &s);
    ASSERT_TRUE(s.ok()) << s.message();
    auto point = store->OpenRecordSet("Select CrossNo, Slen, High, Pian, Layer from Point", &s);
    EXPECT_TRUE(s.ok()) << s.message();
    auto ctl = store->OpenRecordSet("Select CtlNo, Name, X1, Y1, H1 from Ctl", &s);
    EXPECT_TRUE(s.ok()) << s.message();
}

}  // namespace
}  // namespace velorin::store
