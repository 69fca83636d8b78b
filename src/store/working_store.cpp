#include "store/working_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>

#include "base/file_system.h"
#include "base/numbers.h"
#include "base/strings.h"

namespace velorin::store {
namespace {

// Commits a long run of appends in pieces so the write-ahead log stays bounded.
constexpr long kWritesPerCommit = 250000;

std::string Upper(std::string_view s) { return UpperCase(s); }

// The commands' dialect differs from SQLite's in two places the commands use:
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
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    return name;
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
            // The value outlives the step that uses it.
            sqlite3_bind_text(st, index, v.text.data(), static_cast<int>(v.text.size()),
                              SQLITE_STATIC);
            break;
    }
}

}  // namespace

struct RecordSet::Rows {
    struct Column {
        std::vector<uint8_t> kind;  // FieldValue::Kind
        std::vector<double> number;
        std::vector<uint32_t> offset, length;
    };
    std::vector<long long> rowid;
    std::vector<Column> columns;
    std::string arena;

    explicit Rows(size_t n) : columns(n) {}
    size_t size() const { return rowid.size(); }

    void Set(size_t c, size_t row, const FieldValue& v) {
        Column& col = columns[c];
        col.kind[row] = static_cast<uint8_t>(v.kind);
        col.number[row] = v.number;
        if (v.kind == FieldValue::Kind::Text) {
            col.offset[row] = static_cast<uint32_t>(arena.size());
            col.length[row] = static_cast<uint32_t>(v.text.size());
            arena += v.text;
        }
    }
    size_t Append(long long id) {
        rowid.push_back(id);
        for (Column& col : columns) {
            col.kind.push_back(0);
            col.number.push_back(0);
            col.offset.push_back(0);
            col.length.push_back(0);
        }
        return rowid.size() - 1;
    }
    // Appends a row straight from a statement; columns start at `first`.
    void AppendFrom(sqlite3_stmt* st, long long id, int first) {
        size_t row = Append(id);
        for (size_t c = 0; c < columns.size(); ++c) {
            Column& col = columns[c];
            int sc = static_cast<int>(c) + first;
            switch (sqlite3_column_type(st, sc)) {
                case SQLITE_NULL:
                    break;
                case SQLITE_INTEGER:
                case SQLITE_FLOAT:
                    col.kind[row] = static_cast<uint8_t>(FieldValue::Kind::Number);
                    col.number[row] = sqlite3_column_double(st, sc);
                    break;
                default: {
                    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, sc));
                    int n = sqlite3_column_bytes(st, sc);
                    col.kind[row] = static_cast<uint8_t>(FieldValue::Kind::Text);
                    col.offset[row] = static_cast<uint32_t>(arena.size());
                    col.length[row] = static_cast<uint32_t>(n);
                    arena.append(text, n);
                }
            }
        }
    }
    FieldValue Get(size_t c, size_t row) const {
        const Column& col = columns[c];
        FieldValue v;
        v.kind = static_cast<FieldValue::Kind>(col.kind[row]);
        v.number = col.number[row];
        if (v.kind == FieldValue::Kind::Text)
            v.text.assign(arena, col.offset[row], col.length[row]);
        return v;
    }
};

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

Status AppendPoint(RecordSet& point, std::string_view section, double slen, double high,
                   double pian, std::string_view layer) {
    point.AddNew();
    point.SetField("CrossNo", section);
    point.SetField("Slen", slen);
    point.SetField("High", high);
    point.SetField("Pian", pian);
    point.SetField("Layer", layer);
    return point.Update();
}

std::string ResultText(sqlite3* db, int rc) {
    // The system's cause, where SQLite met one (a file it could not open, read or write).
    auto with_cause = [&](std::string text) {
        int error = db ? sqlite3_system_errno(db) : 0;
        return error ? text + "（" + ErrorText(error) + "）" : text;
    };
    switch (rc & 0xFF) {
        case SQLITE_FULL:
            return "磁盘空间不足";
        case SQLITE_READONLY:
            return "数据库文件只读，不能写入";
        case SQLITE_CANTOPEN:
            return with_cause("无法打开数据库文件");
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
        case SQLITE_PROTOCOL:
            return "文件被占用";
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return "文件已损坏或不是数据库";
        case SQLITE_IOERR:
            return with_cause("读写错误");
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return "没有权限";
        case SQLITE_NOMEM:
            return "内存不足";
        case SQLITE_TOOBIG:
            return "数据过大";
        case SQLITE_INTERRUPT:
            return "操作被中断";
        case SQLITE_CONSTRAINT:
            return "数据不符合数据表的约束";
        case SQLITE_MISMATCH:
            return "数据类型不符";
        case SQLITE_ERROR:
            // A statement the store does not take: SQLite's words name what is wrong in it.
            return std::string("语句有误（") + (db ? sqlite3_errmsg(db) : "") + "）";
    }
    return "数据库错误 " + std::to_string(rc) + "（" + sqlite3_errstr(rc) + "）";
}

std::string SqlText(std::string_view text) {
    return "'" + ReplaceAll(std::string(text), "'", "''") + "'";
}

// ---------------------------------------------------------------- WorkingStore

std::unique_ptr<WorkingStore> WorkingStore::Open(const std::string& path, Status* status) {
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    auto fail = [&](const std::string& why) {
        if (db) sqlite3_close(db);
        if (status) *status = Status::Error("工作数据库“" + path + "”无法打开：" + why);
        return nullptr;
    };
    if (rc != SQLITE_OK) return fail(ResultText(db, rc));
    sqlite3_busy_timeout(db, 2000);
    // WAL with NORMAL sync: a crash loses at most the last commit, never the file.
    rc = sqlite3_exec(db,
                      "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA "
                      "cache_size=-262144; PRAGMA temp_store=MEMORY; PRAGMA threads=2;",
                      nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return fail(ResultText(db, rc));
    sqlite3_stmt* st = nullptr;
    int tables = 0;
    rc = sqlite3_prepare_v2(db,
                            "SELECT count(*) FROM sqlite_master WHERE type='table' AND "
                            "upper(name) IN ('LINE','CROSS','POINT','CTL')",
                            -1, &st, nullptr);
    if (rc != SQLITE_OK) return fail(ResultText(db, rc));
    if (sqlite3_step(st) == SQLITE_ROW) tables = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    if (tables != 4) return fail("缺少数据表 Line、Cross、Point、Ctl");
    if (status) *status = Status::Ok();
    return std::unique_ptr<WorkingStore>(new WorkingStore(db, path));
}

WorkingStore::WorkingStore(sqlite3* db, std::string path)
    : db_(db), path_(std::move(path)), cache_(std::make_unique<Cache>()) {}

WorkingStore::~WorkingStore() {
    // Every command has committed and reported already; this only ends a stray transaction.
    Flush();
    for (auto& s : standing_) s.reset();
    cache_.reset();
    sqlite3_close(db_);
}

Status WorkingStore::Run(const std::string& sql) {
    if (!injected_fault_.empty() && sql != "BEGIN" && sql != "ROLLBACK")
        return Note(Status::Error("工作数据库语句执行失败：" + sql + "：" + injected_fault_));
    if (int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); rc != SQLITE_OK)
        return Note(Status::Error("工作数据库语句执行失败：" + sql + "：" + ResultText(db_, rc)));
    return Status::Ok();
}

Status WorkingStore::Note(Status status) {
    if (!status.ok() && first_failure_.ok()) first_failure_ = status;
    return status;
}

void WorkingStore::InjectWriteFault(std::string why) { injected_fault_ = std::move(why); }

void WorkingStore::BeginWrite() {
    if (!in_transaction_) {
        (void)Run("BEGIN");
        in_transaction_ = true;
    }
    if (++pending_writes_ >= kWritesPerCommit) {
        Flush();
        (void)Run("BEGIN");
        in_transaction_ = true;
    }
}

void WorkingStore::Flush() {
    if (in_transaction_) {
        if (!Run("COMMIT").ok()) (void)Run("ROLLBACK");
        in_transaction_ = false;
    }
    pending_writes_ = 0;
}

Status WorkingStore::Commit() {
    Flush();
    Status failure = first_failure_;
    first_failure_ = Status::Ok();
    if (failure.ok()) return failure;
    return Status::Error("工作数据库“" + path_ + "”写入失败，本次命令的结果没有全部保存：" +
                         failure.message());
}

void WorkingStore::MarkStale(const std::string& table) {
    for (RecordSet* set : open_sets_)
        if (set->table_ == table) set->stale_ = true;
}

Status WorkingStore::Execute(std::string_view statement) {
    BeginWrite();
    std::string table = TableOf(statement);
    std::string upper = Upper(statement);
    bool empties_points = table == "POINT" && upper.starts_with("DELETE") &&
                          upper.find(" WHERE ") == std::string::npos;
    if (empties_points) {
        (void)Run("DROP INDEX IF EXISTS PointBySection");
        section_index_ = false;
    }
    NeedSectionIndex(table, statement);
    Status s = Run(Translate(statement));
    MarkStale(table);
    return s;
}

void WorkingStore::NeedSectionIndex(const std::string& table, std::string_view condition) {
    if (section_index_ || table != "POINT") return;
    std::string upper = Upper(condition);
    if (upper.find("CROSSNO") == std::string::npos) return;
    // Ordering by section alone needs no index: a sort of the rows is faster than keeping one.
    if (upper.find("WHERE") == std::string::npos && !upper.starts_with("CROSSNO") &&
        upper.find("(CROSSNO") == std::string::npos)
        return;
    (void)Run("CREATE INDEX IF NOT EXISTS PointBySection ON Point (CrossNo, Slen)");
    section_index_ = true;
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
    NeedSectionIndex(set->table_, statement);
    sqlite3_stmt* st = nullptr;
    if (int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr); rc != SQLITE_OK) {
        if (status)
            *status = Status::Error("工作数据库语句执行失败：" + std::string(statement) + "：" +
                                    ResultText(db_, rc));
        return set;
    }
    int n = sqlite3_column_count(st);
    for (int c = 1; c < n; ++c) set->columns_.push_back(Upper(sqlite3_column_name(st, c)));
    set->rows_ = std::make_unique<RecordSet::Rows>(set->columns_.size());
    while (sqlite3_step(st) == SQLITE_ROW)
        set->rows_->AppendFrom(st, sqlite3_column_int64(st, 0), 1);
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
    : store_(store),
      statement_(std::move(statement)),
      table_(std::move(table)),
      rows_(std::make_unique<Rows>(0)) {
    store_->open_sets_.push_back(this);
}

RecordSet::~RecordSet() { std::erase(store_->open_sets_, this); }

size_t RecordSet::size() const {
    Refresh();
    return rows_->size();
}

void RecordSet::Refresh() const {
    if (!stale_) return;
    stale_ = false;
    std::unordered_map<long long, size_t> wanted;
    for (size_t i = 0; i < rows_->size(); ++i) wanted.emplace(rows_->rowid[i], i);
    // Rows deleted since opening drop out; the rest keep their place with fresh values.
    std::vector<std::pair<size_t, long long>> order;  // old position, rowid
    auto fresh = std::make_unique<Rows>(columns_.size());
    std::string sql = "SELECT rowid, * FROM " + table_;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(store_->db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return;
    std::vector<std::pair<size_t, size_t>> placed;  // old position, row in `fresh`
    while (sqlite3_step(st) == SQLITE_ROW) {
        long long id = sqlite3_column_int64(st, 0);
        auto it = wanted.find(id);
        if (it == wanted.end()) continue;
        fresh->AppendFrom(st, id, 1);
        placed.emplace_back(it->second, fresh->size() - 1);
    }
    sqlite3_finalize(st);
    std::sort(placed.begin(), placed.end());
    auto ordered = std::make_unique<Rows>(columns_.size());
    for (auto [old_pos, at] : placed) {
        size_t row = ordered->Append(fresh->rowid[at]);
        for (size_t c = 0; c < columns_.size(); ++c) ordered->Set(c, row, fresh->Get(c, at));
    }
    const_cast<RecordSet*>(this)->rows_ = std::move(ordered);
}

void RecordSet::MoveFirst() { position_ = 0; }
void RecordSet::MoveNext() {
    if (position_ < size()) ++position_;
}
void RecordSet::MoveLast() {
    size_t n = size();
    position_ = n == 0 ? 0 : n - 1;
}
bool RecordSet::EndOfFile() const { return position_ >= size(); }
long RecordSet::RecordCount() const { return static_cast<long>(size()); }

int RecordSet::Column(std::string_view name) const {
    for (size_t i = 0; i < columns_.size(); ++i) {
        const std::string& col = columns_[i];
        if (col.size() != name.size()) continue;
        bool same = true;
        for (size_t k = 0; k < name.size() && same; ++k) {
            char ch = name[k];
            if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
            same = ch == col[k];
        }
        if (same) return static_cast<int>(i);
    }
    return -1;
}

FieldValue RecordSet::Field(std::string_view name) const {
    int c = Column(name);
    if (c < 0 || position_ >= size()) return {};
    return rows_->Get(c, position_);
}

bool RecordSet::FindFirst(std::string_view criterion) {
    Refresh();
    no_match_ = true;
    store_->NeedSectionIndex(table_, criterion);
    std::string sql = Translate("SELECT rowid FROM " + table_ + " WHERE " + std::string(criterion));
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(store_->db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        position_ = rows_->size();
        return false;
    }
    std::vector<long long> matching;
    while (sqlite3_step(st) == SQLITE_ROW) matching.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    std::sort(matching.begin(), matching.end());
    for (size_t i = 0; i < rows_->size(); ++i) {
        if (std::binary_search(matching.begin(), matching.end(), rows_->rowid[i])) {
            position_ = i;
            no_match_ = false;
            return true;
        }
    }
    position_ = rows_->size();
    return false;
}

void RecordSet::AddNew() {
    editing_ = Editing::Adding;
    pending_.assign(columns_.size(), FieldValue{});
    pending_set_ = 0;
}

void RecordSet::Edit() {
    if (position_ >= size()) return;
    editing_ = Editing::Changing;
    pending_.resize(columns_.size());
    for (size_t c = 0; c < columns_.size(); ++c) pending_[c] = rows_->Get(c, position_);
    pending_set_ = 0;
}

void RecordSet::SetField(std::string_view name, double value) {
    int c = Column(name);
    if (c < 0 || editing_ == Editing::None) return;
    pending_[c].kind = FieldValue::Kind::Number;
    pending_[c].number = value;
    pending_[c].text.clear();
    pending_set_ |= uint64_t{1} << c;
}

void RecordSet::SetField(std::string_view name, std::string_view text) {
    int c = Column(name);
    if (c < 0 || editing_ == Editing::None) return;
    pending_[c].kind = FieldValue::Kind::Text;
    pending_[c].text.assign(text);
    pending_set_ |= uint64_t{1} << c;
}

Status RecordSet::Update() {
    if (editing_ == Editing::None) return Status::Error("工作数据库：没有正在编辑的记录");
    Editing mode = editing_;
    editing_ = Editing::None;
    auto is_set = [&](size_t c) { return (pending_set_ >> c) & 1; };
    // One prepared statement per table, kind and set of columns serves every append of
    // the same shape.
    uint64_t shape = pending_set_ * 2 + (mode == Editing::Adding ? 1 : 0);
    if (shape != last_shape_ || !last_statement_) {
        std::string key = table_ + ":" + std::to_string(shape);
        last_statement_ = &store_->cache_->statements[key];
        last_shape_ = shape;
    }
    sqlite3_stmt*& st = *last_statement_;
    if (!st) {
        std::string sql;
        if (mode == Editing::Adding) {
            std::string names, marks;
            for (size_t c = 0; c < columns_.size(); ++c) {
                if (!is_set(c)) continue;
                if (!names.empty()) names += ",", marks += ",";
                names += "[" + columns_[c] + "]";
                marks += "?";
            }
            sql = names.empty()
                      ? "INSERT INTO " + table_ + " DEFAULT VALUES"
                      : "INSERT INTO " + table_ + " (" + names + ") VALUES (" + marks + ")";
        } else {
            std::string sets;
            for (size_t c = 0; c < columns_.size(); ++c) {
                if (!is_set(c)) continue;
                if (!sets.empty()) sets += ",";
                sets += "[" + columns_[c] + "]=?";
            }
            if (sets.empty()) return Status::Ok();
            sql = "UPDATE " + table_ + " SET " + sets + " WHERE rowid=?";
        }
        if (int rc = sqlite3_prepare_v2(store_->db_, sql.c_str(), -1, &st, nullptr);
            rc != SQLITE_OK) {
            Status s = Status::Error("工作数据库语句执行失败：" + sql + "：" +
                                     ResultText(store_->db_, rc));
            st = nullptr;
            return s;
        }
    }
    store_->BeginWrite();
    if (!store_->injected_fault_.empty())
        return store_->Note(Status::Error("工作数据库写入失败：" + store_->injected_fault_));
    int index = 1;
    for (size_t c = 0; c < columns_.size(); ++c)
        if (is_set(c)) Bind(st, index++, pending_[c]);
    if (mode == Editing::Changing) sqlite3_bind_int64(st, index, rows_->rowid[position_]);
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (rc != SQLITE_DONE)
        return store_->Note(Status::Error("工作数据库写入失败：" + ResultText(store_->db_, rc)));
    size_t row =
        mode == Editing::Adding ? rows_->Append(sqlite3_last_insert_rowid(store_->db_)) : position_;
    for (size_t c = 0; c < columns_.size(); ++c)
        if (mode == Editing::Adding || is_set(c)) rows_->Set(c, row, pending_[c]);
    // Other sets over the table see the change on their next access; this one is current.
    bool was_stale = stale_;
    store_->MarkStale(table_);
    stale_ = was_stale;
    return Status::Ok();
}

}  // namespace velorin::store
