#include "store/working_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <charconv>
#include <unordered_map>

#include "base/numbers.h"
#include "base/strings.h"

namespace velorin {
namespace {

// Commits a long run of appends in pieces so the write-ahead log stays bounded.
constexpr long kWritesPerCommit = 250000;

std::string Upper(std::string_view s) { return UpperCase(s); }

// The original dialect differs from SQLite's in two places the commands use:
// "Delete * from T" and "--" (minus a negative number, a comment to SQLite).
std::string Translate(std::string_view statement) {
    std::string s = Trim(statement);
    std::string upper = Upper(s);
    if (upper.starts_with("DELETE")) {
        size_t star = s.find_first_not_of(" \t", 6);
        if (star != std::string::npos && s[star] == '*') s.erase(6, star + 1 - 6);
    }
    std::string out;
    bool quoted = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\'') quoted = !quoted;
        if (!quoted && c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            out += "- ";
            continue;
        }
        out.push_back(c);
    }
    return out;
}

// The table a "Select ... from T ..." or "Update T ..." or "Delete from T" works on.
std::string TableOf(std::string_view statement) {
    std::string upper = Upper(statement);
    size_t at;
    if (upper.starts_with("UPDATE")) {
        at = 6;
    } else {
        at = upper.find(" FROM ");
        if (at == std::string::npos) return {};
        at += 6;
    }
    while (at < upper.size() && upper[at] == ' ') ++at;
    size_t end = at;
    while (end < upper.size() && upper[end] != ' ' && upper[end] != ';' && upper[end] != ',') ++end;
    std::string name = upper.substr(at, end - at);
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
    return name;
}

FieldValue ReadColumn(sqlite3_stmt* st, int col) {
    FieldValue v;
    switch (sqlite3_column_type(st, col)) {
        case SQLITE_NULL:
            break;
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            v.kind = FieldValue::Kind::Number;
            v.number = sqlite3_column_double(st, col);
            break;
        default:
            v.kind = FieldValue::Kind::Text;
            v.text.assign(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                          sqlite3_column_bytes(st, col));
    }
    return v;
}

void Bind(sqlite3_stmt* st, int index, const FieldValue& v) {
    switch (v.kind) {
        case FieldValue::Kind::Null:
            sqlite3_bind_null(st, index);
            break;
        case FieldValue::Kind::Number:
            sqlite3_bind_double(st, index, v.number);
            break;
        case FieldValue::Kind::Text:
            sqlite3_bind_text(st, index, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT);
            break;
    }
}

}  // namespace

// Prepared statements reused across appends: an insert per table and column set.
struct WorkingStore::Cache {
    std::unordered_map<std::string, sqlite3_stmt*> statements;
    ~Cache() {
        for (auto& [_, st] : statements) sqlite3_finalize(st);
    }
};

double FieldValue::AsDouble() const {
    if (kind == Kind::Number) return number;
    if (kind == Kind::Text) return LeadingNumber(text);
    return 0;
}

long FieldValue::AsLong() const { return static_cast<long>(RoundHalfEven(AsDouble())); }

std::string FieldValue::AsText() const {
    if (kind == Kind::Text) return text;
    if (kind == Kind::Null) return {};
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, number);
    return std::string(buf, r.ptr);
}

std::string SqlText(std::string_view text) { return "'" + ReplaceAll(std::string(text), "'", "''") + "'"; }

// ---------------------------------------------------------------- WorkingStore

std::unique_ptr<WorkingStore> WorkingStore::Open(const std::string& path, Status* status) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    auto fail = [&](const std::string& why) {
        if (db) sqlite3_close(db);
        if (status) *status = Status::Error("工作数据库“" + path + "”无法打开：" + why);
        return nullptr;
    };
    if (rc != SQLITE_OK) return fail(db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_busy_timeout(db, 2000);
    // WAL with NORMAL sync: a crash loses at most the last commit, never the file.
    char* err = nullptr;
    if (sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, &err) != SQLITE_OK) {
        std::string why = err ? err : "";
        sqlite3_free(err);
        return fail(why);
    }
    sqlite3_stmt* st = nullptr;
    int tables = 0;
    if (sqlite3_prepare_v2(db,
                           "SELECT count(*) FROM sqlite_master WHERE type='table' AND "
                           "upper(name) IN ('LINE','CROSS','POINT','CTL')",
                           -1, &st, nullptr) != SQLITE_OK)
        return fail(sqlite3_errmsg(db));
    if (sqlite3_step(st) == SQLITE_ROW) tables = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    if (tables != 4) return fail("缺少数据表 Line、Cross、Point、Ctl");
    if (status) *status = Status::Ok();
    return std::unique_ptr<WorkingStore>(new WorkingStore(db, path));
}

WorkingStore::WorkingStore(sqlite3* db, std::string path)
    : db_(db), path_(std::move(path)), cache_(std::make_unique<Cache>()) {}

WorkingStore::~WorkingStore() {
    Commit();
    for (auto& s : standing_) s.reset();
    cache_.reset();
    sqlite3_close(db_);
}

Status WorkingStore::Run(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string why = err ? err : "";
        sqlite3_free(err);
        return Status::Error("工作数据库语句执行失败：" + sql + "：" + why);
    }
    return Status::Ok();
}

void WorkingStore::BeginWrite() {
    if (!in_transaction_) {
        Run("BEGIN");
        in_transaction_ = true;
    }
    if (++pending_writes_ >= kWritesPerCommit) {
        Commit();
        Run("BEGIN");
        in_transaction_ = true;
    }
}

void WorkingStore::Commit() {
    if (in_transaction_) {
        Run("COMMIT");
        in_transaction_ = false;
    }
    pending_writes_ = 0;
}

void WorkingStore::MarkStale(const std::string& table) {
    for (RecordSet* set : open_sets_)
        if (set->table_ == table) set->stale_ = true;
}

Status WorkingStore::Execute(std::string_view statement) {
    BeginWrite();
    Status s = Run(Translate(statement));
    MarkStale(TableOf(statement));
    return s;
}

std::unique_ptr<RecordSet> WorkingStore::OpenRecordSet(std::string_view statement, Status* status) {
    std::unique_ptr<RecordSet> set(new RecordSet(this, std::string(statement), TableOf(statement)));
    // rowid rides along so edits and refreshes can find the row again.
    std::string sql = Translate(statement);
    std::string upper = Upper(sql);
    if (!upper.starts_with("SELECT ") || set->table_.empty()) {
        if (status) *status = Status::Error("工作数据库语句无法识别：" + std::string(statement));
        return set;
    }
    sql.insert(7, set->table_ + ".rowid AS __rowid, ");
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        if (status) *status = Status::Error("工作数据库语句执行失败：" + std::string(statement) + "：" + sqlite3_errmsg(db_));
        return set;
    }
    int n = sqlite3_column_count(st);
    for (int c = 1; c < n; ++c) set->columns_.push_back(Upper(sqlite3_column_name(st, c)));
    while (sqlite3_step(st) == SQLITE_ROW) {
        RecordSet::Row row;
        row.rowid = sqlite3_column_int64(st, 0);
        row.values.reserve(n - 1);
        for (int c = 1; c < n; ++c) row.values.push_back(ReadColumn(st, c));
        set->rows_.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    if (status) *status = Status::Ok();
    return set;
}

RecordSet& WorkingStore::Standing(Table table) {
    auto& slot = standing_[static_cast<int>(table)];
    if (!slot) OpenStandingRecordSets();
    return *slot;
}

RecordSet& WorkingStore::Reopen(Table table, std::string_view statement) {
    auto& slot = standing_[static_cast<int>(table)];
    slot.reset();
    slot = OpenRecordSet(statement);
    return *slot;
}

void WorkingStore::OpenStandingRecordSets() {
    Reopen(Table::Line, "Select * from Line Order By [No]");
    Reopen(Table::Cross, "Select * from Cross Order By CrossNo");
    Reopen(Table::Point, "Select * from Point Order By CrossNo,Slen");
    Reopen(Table::Ctl, "Select * from Ctl Order By Name,CtlNo");
}

// ---------------------------------------------------------------- RecordSet

RecordSet::RecordSet(WorkingStore* store, std::string statement, std::string table)
    : store_(store), statement_(std::move(statement)), table_(std::move(table)) {
    store_->open_sets_.push_back(this);
}

RecordSet::~RecordSet() { std::erase(store_->open_sets_, this); }

void RecordSet::Refresh() const {
    if (!stale_) return;
    stale_ = false;
    std::unordered_map<long long, std::vector<FieldValue>> current;
    std::string sql = "SELECT rowid, * FROM " + table_;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(store_->db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return;
    int n = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<FieldValue> values;
        for (int c = 1; c < n; ++c) values.push_back(ReadColumn(st, c));
        current.emplace(sqlite3_column_int64(st, 0), std::move(values));
    }
    sqlite3_finalize(st);
    // Rows deleted since opening drop out; the rest keep their place.
    std::vector<Row> kept;
    for (auto& row : rows_) {
        auto it = current.find(row.rowid);
        if (it != current.end()) kept.push_back({row.rowid, std::move(it->second)});
    }
    rows_ = std::move(kept);
}

void RecordSet::MoveFirst() { position_ = 0; }
void RecordSet::MoveNext() {
    Refresh();
    if (position_ < rows_.size()) ++position_;
}
void RecordSet::MoveLast() {
    Refresh();
    position_ = rows_.empty() ? 0 : rows_.size() - 1;
}
bool RecordSet::EndOfFile() const {
    Refresh();
    return position_ >= rows_.size();
}
long RecordSet::RecordCount() const {
    Refresh();
    return static_cast<long>(rows_.size());
}

int RecordSet::Column(std::string_view name) const {
    std::string upper = Upper(name);
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i] == upper) return static_cast<int>(i);
    return -1;
}

FieldValue RecordSet::Field(std::string_view name) const {
    Refresh();
    int c = Column(name);
    if (c < 0 || position_ >= rows_.size()) return {};
    return rows_[position_].values[c];
}

bool RecordSet::FindFirst(std::string_view criterion) {
    Refresh();
    no_match_ = true;
    std::string sql = Translate("SELECT rowid FROM " + table_ + " WHERE " + std::string(criterion));
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(store_->db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        position_ = rows_.size();
        return false;
    }
    std::vector<long long> matching;
    while (sqlite3_step(st) == SQLITE_ROW) matching.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    std::sort(matching.begin(), matching.end());
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (std::binary_search(matching.begin(), matching.end(), rows_[i].rowid)) {
            position_ = i;
            no_match_ = false;
            return true;
        }
    }
    position_ = rows_.size();
    return false;
}

void RecordSet::AddNew() {
    editing_ = Editing::Adding;
    pending_.assign(columns_.size(), FieldValue{});
    pending_set_.assign(columns_.size(), false);
}

void RecordSet::Edit() {
    Refresh();
    if (position_ >= rows_.size()) return;
    editing_ = Editing::Changing;
    pending_ = rows_[position_].values;
    pending_set_.assign(columns_.size(), false);
}

void RecordSet::SetField(std::string_view name, double value) {
    int c = Column(name);
    if (c < 0 || editing_ == Editing::None) return;
    pending_[c].kind = FieldValue::Kind::Number;
    pending_[c].number = value;
    pending_[c].text.clear();
    pending_set_[c] = true;
}

void RecordSet::SetField(std::string_view name, std::string_view text) {
    int c = Column(name);
    if (c < 0 || editing_ == Editing::None) return;
    pending_[c].kind = FieldValue::Kind::Text;
    pending_[c].text.assign(text);
    pending_set_[c] = true;
}

Status RecordSet::Update() {
    if (editing_ == Editing::None) return Status::Error("工作数据库：没有正在编辑的记录");
    Editing mode = editing_;
    editing_ = Editing::None;
    // The statement names the columns that were set, so one prepared statement serves
    // every append of the same shape.
    std::string key = (mode == Editing::Adding ? "I:" : "U:") + table_ + ":";
    for (size_t c = 0; c < columns_.size(); ++c)
        if (pending_set_[c]) key += columns_[c] + ",";
    sqlite3_stmt*& st = store_->cache_->statements[key];
    if (!st) {
        std::string sql;
        if (mode == Editing::Adding) {
            std::string names, marks;
            for (size_t c = 0; c < columns_.size(); ++c) {
                if (!pending_set_[c]) continue;
                if (!names.empty()) names += ",", marks += ",";
                names += "[" + columns_[c] + "]";
                marks += "?";
            }
            sql = names.empty() ? "INSERT INTO " + table_ + " DEFAULT VALUES"
                                : "INSERT INTO " + table_ + " (" + names + ") VALUES (" + marks + ")";
        } else {
            std::string sets;
            for (size_t c = 0; c < columns_.size(); ++c) {
                if (!pending_set_[c]) continue;
                if (!sets.empty()) sets += ",";
                sets += "[" + columns_[c] + "]=?";
            }
            if (sets.empty()) return Status::Ok();
            sql = "UPDATE " + table_ + " SET " + sets + " WHERE rowid=?";
        }
        if (sqlite3_prepare_v2(store_->db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            Status s = Status::Error("工作数据库语句执行失败：" + sql + "：" + sqlite3_errmsg(store_->db_));
            st = nullptr;
            return s;
        }
    }
    store_->BeginWrite();
    int index = 1;
    for (size_t c = 0; c < columns_.size(); ++c)
        if (pending_set_[c]) Bind(st, index++, pending_[c]);
    if (mode == Editing::Changing) sqlite3_bind_int64(st, index, rows_[position_].rowid);
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (rc != SQLITE_DONE) return Status::Error(std::string("工作数据库写入失败：") + sqlite3_errmsg(store_->db_));
    // Stored values read back as the engine keeps them: integer columns whole.
    if (mode == Editing::Adding) {
        rows_.push_back({sqlite3_last_insert_rowid(store_->db_), std::move(pending_)});
    } else {
        rows_[position_].values = std::move(pending_);
    }
    store_->MarkStale(table_);
    stale_ = false;
    // Other sets over the table see the change on their next access; this one is current.
    return Status::Ok();
}

}  // namespace velorin
