#include "formats/SQLiteTable3.h"

#include "SQLiteFixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <type_traits>

namespace klarvex {
namespace {

using test::MessageOf;
using testing::ScratchFolder;

std::wstring Text(const TSQLiteCell& cell) {
    const auto* text = std::get_if<std::wstring>(&cell);
    return text ? *text : L"<not text>";
}

// A database in a scratch folder with the given statements already run.
class SQLiteDatabaseTest : public ::testing::Test {
protected:
    TSQLiteDatabase& Database(std::initializer_list<const wchar_t*> statements = {}) {
        database_.emplace(folder_ / L"test.db");
        for (const wchar_t* statement : statements) database_->ExecuteStatement(statement);
        return *database_;
    }

    ScratchFolder folder_;
    std::optional<TSQLiteDatabase> database_;
};

// --- The real browser databases ---------------------------------------------

TEST(SQLiteRealDatabases, FirefoxPlacesTableFoundInAnyCaseAndCounted) {
    ScratchFolder folder;
    TSQLiteDatabase places(test::CopyRealData(folder, L"plaso-places.sqlite"));
    EXPECT_TRUE(places.HasTable(L"moz_places"));
    EXPECT_TRUE(places.HasTable(L"MOZ_PLACES"));
    EXPECT_TRUE(places.HasTable(L"Moz_Places"));
    EXPECT_FALSE(places.HasTable(L"moz_places2"));
    EXPECT_EQ(places.QueryTable(L"select * from moz_places").RowTotal(), 92);
}

TEST(SQLiteRealDatabases, ChromeHistoryAndWebDataTables) {
    ScratchFolder folder;
    TSQLiteDatabase history(test::CopyRealData(folder, L"plaso-History"));
    EXPECT_TRUE(history.HasTable(L"downloads"));
    EXPECT_TRUE(history.HasTable(L"urls"));
    TSQLiteDatabase webData(test::CopyRealData(folder, L"plaso-Web Data"));
    EXPECT_TRUE(webData.HasTable(L"autofill"));
    EXPECT_FALSE(webData.HasTable(L"downloads"));
}

TEST(SQLiteRealDatabases, DeletingFromAFirefoxDatabaseWithItsWriteAheadLog) {
    // Firefox keeps places.sqlite in WAL mode: the delete goes through the
    // log and its shared-memory index, and must still be there on reopening.
    ScratchFolder folder;
    const std::wstring path = test::CopyRealData(folder, L"dfirlabs-firefox-25.0-places.sqlite");
    test::CopyRealData(folder, L"dfirlabs-firefox-25.0-places.sqlite-wal");
    {
        TSQLiteDatabase places(path);
        ASSERT_EQ(places.QueryTable(L"select * from moz_historyvisits").RowTotal(), 2);
        places.ExecuteStatement(L"delete from moz_historyvisits");
    }
    TSQLiteDatabase reopened(path);
    EXPECT_EQ(reopened.QueryTable(L"select * from moz_historyvisits").RowTotal(), 0);
    EXPECT_EQ(reopened.QueryTable(L"select * from moz_places").RowTotal(), 10);
}

// --- HasTable -----------------------------------------------------------------

TEST_F(SQLiteDatabaseTest, HasTableIgnoresTheCaseOfAsciiLettersOnBothSides) {
    TSQLiteDatabase& db = Database({L"create table MOZ_Places (id integer)"});
    EXPECT_TRUE(db.HasTable(L"moz_places"));
    EXPECT_TRUE(db.HasTable(L"MOZ_PLACES"));
    EXPECT_FALSE(db.HasTable(L"moz_place"));
    EXPECT_FALSE(db.HasTable(L""));
}

TEST_F(SQLiteDatabaseTest, HasTableCountsOnlyTablesOfTheMainSchema) {
    TSQLiteDatabase& db = Database({
        L"create table base (id integer, name text)",
        L"create view only_view as select id from base",
        L"create index only_index on base (name)",
        L"create trigger only_trigger after insert on base begin select 1; end",
        L"create temp table only_temp (id integer)",
    });
    EXPECT_TRUE(db.HasTable(L"base"));
    EXPECT_FALSE(db.HasTable(L"only_view"));
    EXPECT_FALSE(db.HasTable(L"only_index"));
    EXPECT_FALSE(db.HasTable(L"only_trigger"));
    EXPECT_FALSE(db.HasTable(L"only_temp"));

    db.ExecuteStatement(L"attach database '" + folder_ / L"other.db" + L"' as other");
    db.ExecuteStatement(L"create table other.only_attached (id integer)");
    EXPECT_FALSE(db.HasTable(L"only_attached"));
}

TEST_F(SQLiteDatabaseTest, HasTableFoldsOnlyAsciiLettersAndKeepsQuotesInside) {
    // SQLite's lower() leaves other letters alone, so the name must too.
    TSQLiteDatabase& db = Database({L"create table \"ÄRGER\" (id integer)",
                                    L"create table \"it's\" (id integer)"});
    EXPECT_TRUE(db.HasTable(L"ÄRGER"));
    EXPECT_TRUE(db.HasTable(L"Ärger"));
    EXPECT_FALSE(db.HasTable(L"ärger"));
    // A quote in the name stays inside the text it is compared with.
    EXPECT_TRUE(db.HasTable(L"It's"));
    EXPECT_FALSE(db.HasTable(L"x' or 'a' = 'a"));
}

// --- Query results --------------------------------------------------------------

TEST_F(SQLiteDatabaseTest, QueryWithoutRowsHasNoColumnInformation) {
    TSQLiteDatabase& db = Database({L"create table t (id INTEGER, name TEXT)"});
    const TSQLiteTable table = db.QueryTable(L"select id, name from t");
    EXPECT_EQ(table.RowTotal(), 0);
    EXPECT_EQ(table.ColumnTotal(), 0);
    EXPECT_TRUE(table.ColumnNames().empty());
    EXPECT_TRUE(table.ColumnKinds().empty());
    EXPECT_TRUE(table.Cells().empty());
}

TEST_F(SQLiteDatabaseTest, ColumnKindsFollowTheExactDeclaredType) {
    TSQLiteDatabase& db = Database({
        L"create table t (a INTEGER, b integer, c BOOLEAN, d boolean, e NUMERIC, f FLOAT,"
        L" g DOUBLE, h Double, i REAL, j BLOB, k TEXT, l VARCHAR(20), m)",
        L"insert into t values (1, 2, 1, 1, 3.5, 4.5, 5.5, 6.5, 7.5, x'01', 'x', 'y', 8)",
    });
    const TSQLiteTable table = db.QueryTable(L"select * from t");
    ASSERT_EQ(table.ColumnTotal(), 13);
    // The comparison is case-sensitive: "boolean" and "Double" are text. The
    // library itself reports the standard type names (INT, INTEGER, REAL,
    // TEXT, BLOB, ANY) in upper case however they were written, so "integer"
    // arrives as "INTEGER". A column without a declared type takes the type
    // of its first value.
    EXPECT_EQ(table.ColumnKinds(),
              (std::vector<std::int32_t>{1, 1, 1, 3, 2, 2, 2, 3, 2, 4, 3, 3, 1}));
    EXPECT_EQ(Text(table.Cell(0, 3)), L"1");
    EXPECT_EQ(Text(table.Cell(0, 7)), L"6.5");
    EXPECT_EQ(std::get<std::int64_t>(table.Cell(0, 12)), 8);
}

TEST_F(SQLiteDatabaseTest, ExpressionColumnsTakeTheKindOfTheirFirstValue) {
    TSQLiteDatabase& db = Database();
    const TSQLiteTable table = db.QueryTable(L"select 1, 2.5, 'x', x'00ff', null");
    EXPECT_EQ(table.ColumnKinds(), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(std::get<std::int64_t>(table.Cell(0, 0)), 1);
    EXPECT_EQ(std::get<double>(table.Cell(0, 1)), 2.5);
    EXPECT_EQ(std::get<std::vector<std::uint8_t>>(table.Cell(0, 3)),
              (std::vector<std::uint8_t>{0x00, 0xff}));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(table.Cell(0, 4)));

    // A first value of null makes the column text for the rows after it.
    const TSQLiteTable mixed = db.QueryTable(L"select null as v union all select 7 union all select 2.5");
    EXPECT_EQ(mixed.ColumnKinds(), (std::vector<std::int32_t>{5}));
    ASSERT_EQ(mixed.RowTotal(), 3);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(mixed.Cell(0, 0)));
    EXPECT_EQ(Text(mixed.Cell(1, 0)), L"7");
    EXPECT_EQ(Text(mixed.Cell(2, 0)), L"2.5");
}

TEST_F(SQLiteDatabaseTest, CellsHoldEveryRowInOrderWithNullsAndCopies) {
    TSQLiteDatabase& db = Database({
        L"create table t (id INTEGER, score REAL, note TEXT, data BLOB)",
        L"insert into t values (1, 0.25, 42, x'000102')",
        L"insert into t values (-9000000000, null, 'ab' || char(0) || 'cd', x'')",
        L"insert into t values (null, 3, 'Grüße, 日本', null)",
    });
    const TSQLiteTable table = db.QueryTable(L"select * from t order by rowid");
    ASSERT_EQ(table.RowTotal(), 3);
    ASSERT_EQ(table.ColumnTotal(), 4);
    ASSERT_EQ(table.Cells().size(), 12u);

    EXPECT_EQ(std::get<std::int64_t>(table.Cell(0, 0)), 1);
    EXPECT_EQ(std::get<double>(table.Cell(0, 1)), 0.25);
    // An integer stored in a TEXT column comes back as its text.
    EXPECT_EQ(Text(table.Cell(0, 2)), L"42");
    EXPECT_EQ(std::get<std::vector<std::uint8_t>>(table.Cell(0, 3)), (std::vector<std::uint8_t>{0, 1, 2}));

    EXPECT_EQ(std::get<std::int64_t>(table.Cell(1, 0)), -9000000000LL);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(table.Cell(1, 1)));
    EXPECT_EQ(Text(table.Cell(1, 2)), L"ab");  // text ends at its first NUL
    EXPECT_TRUE(std::holds_alternative<std::monostate>(table.Cell(1, 3)));  // empty blob

    EXPECT_TRUE(std::holds_alternative<std::monostate>(table.Cell(2, 0)));
    EXPECT_EQ(std::get<double>(table.Cell(2, 1)), 3.0);
    EXPECT_EQ(Text(table.Cell(2, 2)), L"Grüße, 日本");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(table.Cell(2, 3)));

    EXPECT_EQ(Text(table.Cells()[6]), L"ab");  // row after row
    EXPECT_THROW(table.Cell(3, 0), std::out_of_range);
    EXPECT_THROW(table.Cell(0, 4), std::out_of_range);
}

TEST_F(SQLiteDatabaseTest, ColumnNamesAreReportedInUpperCase) {
    TSQLiteDatabase& db = Database({L"create table t (Id INTEGER, \"café\" TEXT)",
                                    L"insert into t values (1, 'x')"});
    const TSQLiteTable table = db.QueryTable(L"select id, \"café\", id + 1 as Next, count(*) from t");
    EXPECT_EQ(table.ColumnNames(),
              (std::vector<std::wstring>{L"ID", L"CAFÉ", L"NEXT", L"COUNT(*)"}));
}

// --- Failures -----------------------------------------------------------------

TEST_F(SQLiteDatabaseTest, PrepareFailuresNameTheCodeTheStatementAndTheLibraryText) {
    TSQLiteDatabase& db = Database();
    EXPECT_EQ(MessageOf([&] { db.ExecuteStatement(L"delete from missing_table"); }),
              L"Error executing SQL.\rError [1]: SQL error or missing database.\r"
              L"\"delete from missing_table\": no such table: missing_table");
    EXPECT_EQ(MessageOf([&] { db.QueryTable(L"select * from missing_table"); }),
              L"Error executing SQL.\rError [1]: SQL error or missing database.\r"
              L"\"select * from missing_table\": no such table: missing_table");
}

TEST_F(SQLiteDatabaseTest, TextWithoutAStatementCannotBePrepared) {
    TSQLiteDatabase& db = Database();
    // Also right after a failure: the earlier error must not leak into it.
    EXPECT_THROW(db.ExecuteStatement(L"no sql at all"), ESQLiteException);
    EXPECT_EQ(MessageOf([&] { db.ExecuteStatement(L""); }), L"Could not prepare SQL statement");
    EXPECT_EQ(MessageOf([&] { db.ExecuteStatement(L"  -- only a comment"); }),
              L"Could not prepare SQL statement");
    EXPECT_EQ(MessageOf([&] { db.QueryTable(L";"); }), L"Could not prepare SQL statement");
}

TEST_F(SQLiteDatabaseTest, StepFailuresAreReportedWithTheLibrarysOwnError) {
    TSQLiteDatabase& db = Database({L"create table t (id integer primary key)",
                                    L"insert into t values (1)"});
    EXPECT_EQ(MessageOf([&] { db.ExecuteStatement(L"insert into t values (1)"); }),
              L"Error executing SQL statement.\rError [19]: Abort due to contraint violation.\r"
              L"\"insert into t values (1)\": UNIQUE constraint failed: t.id");
    EXPECT_EQ(MessageOf([&] { db.QueryTable(L"select abs(-9223372036854775808)"); }),
              L"Could not retrieve data.\rError [1]: SQL error or missing database.\r"
              L"\"select abs(-9223372036854775808)\": integer overflow");
    // The failed statements are gone: the table is unchanged and usable.
    db.ExecuteStatement(L"insert into t values (2)");
    EXPECT_EQ(db.QueryTable(L"select * from t").RowTotal(), 2);
}

TEST_F(SQLiteDatabaseTest, ExecuteStatementRefusesAQueryThatReturnsRows) {
    TSQLiteDatabase& db = Database({L"create table t (id integer)", L"insert into t values (1)"});
    // Having a row ready is no library error, so the message has no details.
    EXPECT_EQ(MessageOf([&] { db.ExecuteStatement(L"select id from t"); }),
              L"Error executing SQL statement");
}

TEST(SQLiteOpen, APathInAMissingFolderFailsNamingThePath) {
    ScratchFolder folder;
    const std::wstring path = folder / L"no such folder\\places.sqlite";
    EXPECT_EQ(MessageOf([&] { TSQLiteDatabase db(path); }),
              L"Failed to open database \"" + path + L"\" : unable to open database file");
    EXPECT_FALSE(test::FileExists(path));
}

TEST(SQLiteOpen, AFileThatIsNotADatabaseFailsWithCode26OnFirstUse) {
    ScratchFolder folder;
    // A real index.dat: a file a cleaner might meet, but no SQLite database.
    TSQLiteDatabase db(test::CopyRealData(folder, L"plaso-old-index.dat"));
    const std::wstring message = MessageOf([&] { db.HasTable(L"moz_places"); });
    EXPECT_EQ(message.rfind(L"Error executing SQL.\rError [26]: File opened that is not a database file.\r"
                            L"\"select [sql] from sqlite_master where [type] = 'table' and "
                            L"lower(name) = 'moz_places' \": ",
                            0),
              0u)
        << message;
}

TEST(SQLiteOpen, PathsOutsideTheSystemCodePageReachTheRightFile) {
    ScratchFolder folder;
    const std::wstring path = folder / L"Profil Łódź 日本.sqlite";
    {
        TSQLiteDatabase db(path);
        db.ExecuteStatement(L"create table t (id integer)");
    }
    EXPECT_TRUE(test::FileExists(path));
    TSQLiteDatabase again(path);
    EXPECT_TRUE(again.HasTable(L"t"));
}

TEST(SQLiteOpen, EveryHandleIsReleasedAfterFailuresToo) {
    // SQLite opens its files without FILE_SHARE_DELETE: while any statement
    // or the connection is left open, the file cannot be deleted.
    ScratchFolder folder;
    const std::wstring path = folder / L"released.db";
    {
        TSQLiteDatabase db(path);
        db.ExecuteStatement(L"create table t (id integer primary key)");
        db.ExecuteStatement(L"insert into t values (1)");
        EXPECT_THROW(db.ExecuteStatement(L"insert into t values (1)"), ESQLiteException);
        EXPECT_THROW(db.ExecuteStatement(L"select * from t"), ESQLiteException);
        EXPECT_THROW(db.QueryTable(L"select abs(-9223372036854775808) from t"), ESQLiteException);
        EXPECT_TRUE(db.HasTable(L"t"));
    }
    EXPECT_TRUE(DeleteFileW(path.c_str())) << "error " << GetLastError();

    const std::wstring notDatabase = test::CopyRealData(folder, L"plaso-old-index.dat");
    {
        TSQLiteDatabase db(notDatabase);
        EXPECT_THROW(db.HasTable(L"t"), ESQLiteException);
    }
    EXPECT_TRUE(DeleteFileW(notDatabase.c_str())) << "error " << GetLastError();
}

TEST(SQLiteOpen, TheDatabaseObjectIsMoveOnly) {
    static_assert(!std::is_copy_constructible_v<TSQLiteDatabase>);
    static_assert(!std::is_copy_assignable_v<TSQLiteDatabase>);
    static_assert(!std::is_copy_constructible_v<SQLiteConnection>);
    static_assert(!std::is_copy_constructible_v<SQLiteStatement>);
    static_assert(std::is_nothrow_move_constructible_v<SQLiteConnection>);
    static_assert(std::is_nothrow_move_constructible_v<SQLiteStatement>);

    ScratchFolder folder;
    const std::wstring path = folder / L"moved.db";
    {
        TSQLiteDatabase first(path);
        first.ExecuteStatement(L"create table t (id integer)");
        TSQLiteDatabase second(std::move(first));
        EXPECT_TRUE(second.HasTable(L"t"));
    }  // closed once, by the object that holds it
    EXPECT_TRUE(DeleteFileW(path.c_str())) << "error " << GetLastError();
}

}  // namespace
}  // namespace klarvex
