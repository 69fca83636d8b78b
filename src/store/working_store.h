// The working store: four tables (Line, Cross, Point, Ctl) in Velorin.mdb, reached through
// record sets with the navigation, append, edit and find-first the commands rely on.
// SQLite underneath; the commands write their statements in the Jet dialect they were
// designed for, translated here one for one ("Delete * from X" -> "DELETE FROM X").
//
// Lifetime: one WorkingStore per process, opened at start-up. Record sets behave like
// dynasets: their membership and order are fixed when opened, appended rows join at the
// end, and field values reflect later statements run through the same store.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

struct sqlite3;
struct sqlite3_stmt;

namespace velorin::store {

class WorkingStore;

// One field's value: null, a number or a text.
struct FieldValue {
    enum class Kind { Null, Number, Text } kind = Kind::Null;
    double number = 0;
    std::string text;

    bool IsNull() const { return kind == Kind::Null; }
    double AsDouble() const;     // text read from its start, null as 0
    long AsLong() const;         // rounded half to even, as a 32-bit field reads
    std::string AsText() const;  // numbers in their shortest exact form, null as ""
};

class RecordSet {
  public:
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    // Navigation in statement order.
    void MoveFirst();
    void MoveNext();
    void MoveLast();
    bool EndOfFile() const;  // past the last row; at once for an empty set
    long RecordCount() const;

    // Positions on the first row, in statement order, satisfying the criterion (a
    // condition in the statement language, e.g. "CrossNo='断1' And Slen=0").
    // Returns false and sets NoMatch() when none does; callers must not rely on the
    // position then (it is left past the end).
    bool FindFirst(std::string_view criterion);
    bool NoMatch() const { return no_match_; }

    // Field of the current row by name, without regard to case ("ctlNo" is "CtlNo").
    FieldValue Field(std::string_view name) const;
    double Number(std::string_view name) const { return Field(name).AsDouble(); }
    std::string Text(std::string_view name) const { return Field(name).AsText(); }

    // Adding a row: AddNew, SetField..., Update. Changing the current row: Edit,
    // SetField..., Update.
    void AddNew();
    void Edit();
    void SetField(std::string_view name, double value);
    void SetField(std::string_view name, int value) { SetField(name, static_cast<double>(value)); }
    void SetField(std::string_view name, long value) { SetField(name, static_cast<double>(value)); }
    void SetField(std::string_view name, std::string_view text);
    void SetField(std::string_view name, const char* text) {
        SetField(name, std::string_view(text));
    }
    Status Update();

    const std::string& statement() const { return statement_; }
    const std::string& table() const { return table_; }

  private:
    friend class WorkingStore;
    RecordSet(WorkingStore* store, std::string statement, std::string table);
    int Column(std::string_view name) const;
    void Refresh() const;

    WorkingStore* store_;
    std::string statement_;
    std::string table_;
    std::vector<std::string> columns_;  // upper case
    // Rows column by column with texts in one arena: a million rows without a
    // million allocations.
    struct Rows;
    std::unique_ptr<Rows> rows_;
    size_t size() const;
    mutable bool stale_ = false;
    size_t position_ = 0;
    bool no_match_ = false;
    enum class Editing { None, Adding, Changing } editing_ = Editing::None;
    std::vector<FieldValue> pending_;
    uint64_t pending_set_ = 0;  // one bit per column
    uint64_t last_shape_ = 0;
    struct sqlite3_stmt** last_statement_ = nullptr;  // the insert or update used last
};

class WorkingStore {
  public:
    // Opens an existing store for reading and writing; never creates one. A file that is
    // not a store with the four tables gives a message naming it.
    static std::unique_ptr<WorkingStore> Open(const std::string& path, Status* status);
    ~WorkingStore();

    // "Delete ..." and "Update ..." statements.
    Status Execute(std::string_view statement);
    // Runs a "Select" and positions on its first row. A faulty statement gives an empty
    // set and the status.
    std::unique_ptr<RecordSet> OpenRecordSet(std::string_view statement, Status* status = nullptr);

    // The four standing record sets, open from start-up on; commands replace them with
    // the statement they need and leave them so.
    enum class Table { Line, Cross, Point, Ctl };
    RecordSet& Standing(Table table);
    RecordSet& Reopen(Table table, std::string_view statement);
    void OpenStandingRecordSets();

    // Makes what was written durable. Called once at the end of every command; writes are
    // batched into one transaction until then, which is what makes a million appends fast.
    // Returns the first write that failed since the last Commit (or the COMMIT itself),
    // named with the store file, so a command never reports success over lost rows.
    [[nodiscard]] Status Commit();
    // Ends the transaction without reporting: a failure stays for the command's Commit.
    void Flush();

    // For tests: every write from now on fails with `why` as if the disk were full or the
    // file read-only; an empty `why` ends it.
    void InjectWriteFault(std::string why);

    const std::string& path() const { return path_; }

  private:
    friend class RecordSet;
    WorkingStore(sqlite3* db, std::string path);
    void BeginWrite();
    void MarkStale(const std::string& table);
    // The index that per-section statements need. Dropped when Point is emptied so a
    // bulk fill does not maintain it row by row, made again by the first statement that
    // selects by section.
    void NeedSectionIndex(const std::string& table, std::string_view condition);
    Status Run(const std::string& sql);
    // Keeps the first failure of a command for Commit.
    Status Note(Status status);

    sqlite3* db_;
    Status first_failure_;
    std::string injected_fault_;
    std::string path_;
    bool in_transaction_ = false;
    bool section_index_ = false;
    long pending_writes_ = 0;
    std::vector<RecordSet*> open_sets_;
    std::unique_ptr<RecordSet> standing_[4];
    struct Cache;
    std::unique_ptr<Cache> cache_;
};

// Appends one section point to a record set over Point: the one shape every producer of
// sections writes.
Status AppendPoint(RecordSet& point, std::string_view section, double slen, double high,
                   double pian, std::string_view layer);

// What a failed SQLite call (result code `rc` on connection `db`) means, in a user's
// words: "磁盘空间不足", "文件被占用", "文件已损坏或不是数据库", with the system's cause
// where SQLite had one; SQLite's own text only for a faulty statement and rare codes.
std::string ResultText(sqlite3* db, int rc);

// A text value as a literal of the statement language: quoted, apostrophes doubled, so
// a section number like K1'20 cannot break a statement.
std::string SqlText(std::string_view text);

}  // namespace velorin::store
