// A working store for the harnesses that read into it, made once per process from the
// schema the build uses.
#pragma once
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "fuzz/fuzz_input.h"
#include "store/working_store.h"

namespace velorin::fuzz {

inline store::WorkingStore& Store() {
    static std::unique_ptr<store::WorkingStore> store = [] {
        std::string path = Folder() + "Velorin.mdb";
        std::ifstream in(VELORIN_SOURCE_DIR "/src/store/schema.sql");
        std::stringstream schema;
        schema << in.rdbuf();
        sqlite3* db = nullptr;
        if (schema.str().empty() || sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
            sqlite3_exec(db, schema.str().c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "cannot make the working store %s\n", path.c_str());
            std::abort();
        }
        sqlite3_close(db);
        Status status;
        auto s = store::WorkingStore::Open(path, &status);
        if (!s) {
            std::fprintf(stderr, "%s\n", status.message().c_str());
            std::abort();
        }
        return s;
    }();
    return *store;
}

}  // namespace velorin::fuzz
