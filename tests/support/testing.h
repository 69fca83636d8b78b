// Helpers shared by the test programs: a scratch folder per test, file bytes, and the
// places of the real instrument samples and the built program folder.
#pragma once

#include <string>
#include <vector>

namespace velorin::testing {

// A fresh folder under the system's temporary folder, removed when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder with a trailing separator.
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// Lines joined with CR LF after each, converted to GBK: what the users' files hold.
std::string GbkCrlf(const std::vector<std::string>& lines);

std::string SamplesDir();  // ../shared/samples with a trailing separator
std::string AppDir();      // build/app with a trailing separator
std::string SourceDir();   // the checkout with a trailing separator

// An empty store in `folder`, as the build makes it for the program folder.
std::string CopyStoreInto(const std::string& folder);

// velorin-batch run in a scratch program folder of its own (fresh store, the built symbol
// drawings), so tests never touch build/app's store or settings.
class BatchProgram {
  public:
    BatchProgram();
    // Runs `velorin-batch --program-dir DIR ARGS`; returns the exit status and keeps the
    // lines of standard output and standard error.
    int Run(const std::string& args);
    // Copies examples/<relative> into the scratch folder; returns its path there.
    std::string CopyExample(const std::string& relative);

    TempDir dir;
    int status = -1;
    std::vector<std::string> out, err;
};

}  // namespace velorin::testing
