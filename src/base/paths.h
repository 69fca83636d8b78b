// Paths as the pages build them: a folder "with its trailing separator", and the
// program folder that holds Velorin.ini, Velorin.mdb and Support.
#pragma once

#include <string>
#include <string_view>

#include "base/status.h"

namespace velorin {

inline constexpr char kSeparator = '/';

// The folder with one separator (the platform's) at its end.
std::string WithTrailingSeparator(std::string_view folder);
// folder + separator (unless it ends in one) + name.
std::string JoinPath(std::string_view folder, std::string_view name);
// The last component of a path ("a/b/c.cor" -> "c.cor").
std::string FileName(std::string_view path);
// The folder of a path with its trailing separator ("a/b/c.cor" -> "a/b/").
std::string FolderOf(std::string_view path);
// A file beside `path` named after it: the file name's extension (from its last ".")
// replaced by `ending`, or `ending` appended when the name has none ("d/a.dat" ->
// "d/a.sur", "d/rw" -> "d/rw.sur", "d/jkv." -> "d/jkv.sur"). `ending` carries its own
// dot and may carry more ("（标）.dm"). Never leaves the file's folder, whatever the
// name's length.
std::string ReplaceExtension(std::string_view path, std::string_view ending);
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
// Creates the folder (and its parents) when missing; the message names the folder and the
// cause.
Status MakeFolder(const std::string& path);
// The folder of the running executable with a trailing separator.
std::string ExecutableDir();

}  // namespace velorin
