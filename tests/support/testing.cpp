#include "support/testing.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/paths.h"
#include "base/text_file.h"

namespace velorin::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "velorin-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    if (!made) throw std::runtime_error("cannot make a temporary folder");
    path_ = std::string(made) + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buf;
    buf << in.rdbuf();
    return buf.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string GbkCrlf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += Utf8ToGbk(l) + "\r\n";
    return out;
}

std::string SamplesDir() { return std::string(VELORIN_SAMPLES_DIR) + "/"; }
std::string AppDir() { return std::string(VELORIN_APP_DIR) + "/"; }
std::string SourceDir() { return std::string(VELORIN_SOURCE_DIR) + "/"; }

std::string CopyStoreInto(const std::string& folder) {
    // Made afresh from the schema the build uses, not copied from build/app, whose store
    // holds whatever the last run of the program left in it.
    std::string target = folder + "Velorin.mdb";
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(target + suffix);
    std::string schema = ReadBytes(SourceDir() + "src/store/schema.sql");
    sqlite3* db = nullptr;
    char* error = nullptr;
    if (schema.empty() || sqlite3_open(target.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, schema.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string why = error ? error : "cannot read src/store/schema.sql";
        sqlite3_free(error);
        sqlite3_close(db);
        throw std::runtime_error("cannot make a store in " + folder + ": " + why);
    }
    sqlite3_close(db);
    return target;
}

}  // namespace velorin::testing

namespace velorin::testing {

BatchProgram::BatchProgram() {
    CopyStoreInto(dir.path());
    fs::copy(AppDir() + "Support", dir.File("Support"), fs::copy_options::recursive);
}

int BatchProgram::Run(const std::string& args) {
    std::string command = "'" + AppDir() + "velorin-batch' --program-dir '" + dir.path() + "' " +
                          args + " >'" + dir.File("out.txt") + "' 2>'" + dir.File("err.txt") + "'";
    int raw = std::system(command.c_str());
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    out = SplitLines(ReadBytes(dir.File("out.txt")));
    err = SplitLines(ReadBytes(dir.File("err.txt")));
    return status;
}

std::string BatchProgram::CopyExample(const std::string& relative) {
    std::string target = dir.File(FileName(relative));
    fs::copy_file(SourceDir() + "examples/" + relative, target,
                  fs::copy_options::overwrite_existing);
    return target;
}

}  // namespace velorin::testing
