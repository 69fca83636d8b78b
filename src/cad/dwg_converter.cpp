#include "cad/dwg_converter.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "base/file_system.h"
#include "base/paths.h"
#include "base/strings.h"

namespace velorin::cad {

namespace {

constexpr const char* kPackage = "@mlightcad/libredwg-web";

std::string InstallHint(const std::string& folder) {
    return std::string(
               "请安装 Debian 软件包 nodejs 和 npm（apt-get install nodejs npm）以及 npm 包 ") +
           kPackage + " 0.7.14：在 Velorin 源码目录运行 scripts/setup 后重新构建，转换器即装入“" +
           folder + "”";
}

std::optional<std::string> FindOnPath(const std::string& program) {
    if (program.find('/') != std::string::npos)
        return access(program.c_str(), X_OK) == 0 ? std::optional(program) : std::nullopt;
    const char* path = std::getenv("PATH");
    for (const auto& dir : Split(path ? path : "", ':')) {
        if (dir.empty()) continue;
        std::string candidate = JoinPath(dir, program);
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

// Resident memory of a process in MB, or -1 when it cannot be read.
long ResidentMb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6) / 1024;
    return -1;
}

struct Outcome {
    std::string stderr_text;
    int exit_code = -1;  // -1: killed by a signal
    int signal = 0;
    std::string stopped;  // why we stopped it, when we did
};

Outcome Run(const std::vector<std::string>& args, const DwgConverter& c) {
    Outcome o;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        o.stopped = "无法创建管道：" + ErrorText(errno);
        return o;
    }
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        int error = errno;
        close(fds[0]), close(fds[1]);
        o.stopped = "无法启动转换进程：" + ErrorText(error);
        return o;
    }
    if (pid == 0) {
        // Its own process group, so a stop reaches anything it starts.
        setpgid(0, 0);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);  // the library prints its own notes on stdout
        dup2(fds[1], 2);
        execv(argv[0], argv.data());
        dprintf(2, "error: 无法运行 %s\n", argv[0]);
        _exit(127);
    }
    close(fds[1]);
    setpgid(pid, pid);
    auto start = std::chrono::steady_clock::now();
    bool open_pipe = true;
    int wstatus = 0;
    for (;;) {
        if (open_pipe) {
            pollfd p{fds[0], POLLIN, 0};
            if (poll(&p, 1, 100) > 0) {
                char buf[4096];
                ssize_t n = read(fds[0], buf, sizeof buf);
                if (n > 0 && o.stderr_text.size() < (1 << 20))
                    o.stderr_text.append(buf, static_cast<size_t>(n));
                if (n <= 0) open_pipe = false;
            }
        } else {
            usleep(100 * 1000);
        }
        if (waitpid(pid, &wstatus, WNOHANG) == pid) break;
        if (c.tick) c.tick();
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
        long mb = ResidentMb(pid);
        if (seconds >= c.timeout_seconds)
            o.stopped = "转换超过 " + std::to_string(c.timeout_seconds) + " 秒仍未完成，已停止";
        else if (mb > c.memory_limit_mb)
            o.stopped = "转换占用内存超过 " + std::to_string(c.memory_limit_mb) + " MB，已停止";
        if (!o.stopped.empty()) {
            kill(-pid, SIGKILL);
            waitpid(pid, &wstatus, 0);
            break;
        }
    }
    // What it wrote before it ended.
    for (char buf[4096];;) {
        pollfd p{fds[0], POLLIN, 0};
        if (!open_pipe || poll(&p, 1, 0) <= 0) break;
        ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        if (o.stderr_text.size() < (1 << 20)) o.stderr_text.append(buf, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (WIFEXITED(wstatus)) o.exit_code = WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus)) o.signal = WTERMSIG(wstatus);
    return o;
}

}  // namespace

bool IsDwgPath(const std::string& path) { return EndsWith(UpperCase(path), ".DWG"); }

std::string DxfBesideDwg(const std::string& dwg_path) {
    return dwg_path.substr(0, dwg_path.size() - 4) + ".dxf";
}

DwgConverter DwgConverter::Default() {
    DwgConverter c;
    const char* folder = std::getenv("VELORIN_DWG_CONVERTER");
    c.folder = folder && *folder ? folder : JoinPath(ExecutableDir(), "dwg");
    const char* node = std::getenv("VELORIN_NODE");
    if (node && *node) c.node = node;
    return c;
}

std::optional<DwgConversion> ConvertDwg(const std::string& path, const DwgConverter& c,
                                        Status* status) {
    auto failed = [&](const std::string& cause) {
        if (status) *status = Status::Error("无法打开 DWG 文件“" + path + "”：" + cause);
        return std::nullopt;
    };
    if (!PathExists(path)) return failed("文件不存在");
    auto node = FindOnPath(c.node);
    if (!node) return failed("未找到 Node.js（" + c.node + "）。" + InstallHint(c.folder));
    std::string script = JoinPath(c.folder, "dwg2dxf.mjs");
    std::string library = JoinPath(c.folder, std::string("node_modules/") + kPackage);
    if (!PathExists(script))
        return failed("未安装 DWG 转换器（缺少 " + script + "）。" + InstallHint(c.folder));
    if (!PathExists(JoinPath(library, "package.json")))
        return failed("未安装 " + std::string(kPackage) + "（缺少 " + library + "）。" +
                      InstallHint(c.folder));

    const char* tmp = std::getenv("TMPDIR");
    std::string out = JoinPath(tmp && *tmp ? tmp : "/tmp", "velorin-dwg-XXXXXX.dxf");
    int fd = mkstemps(out.data(), 4);
    if (fd < 0) return failed("无法创建临时文件 " + out + "：" + ErrorText(errno));
    close(fd);
    // Liftoff only: V8's optimising compiler would spend many seconds and hundreds of MB
    // on the library's WebAssembly, mostly as the process exits.
    Outcome o = Run({*node, "--liftoff-only", "--max-old-space-size=512", script, path, out}, c);
    // Nothing read counts as nothing converted, reported below with the converter's words.
    std::string dxf = ReadFileBytes(out).value_or("");
    std::remove(out.c_str());

    std::vector<std::string> errors, warnings, other;
    for (auto line : Split(o.stderr_text, '\n')) {
        line = Trim(line);
        if (line.rfind("error: ", 0) == 0)
            errors.push_back(line.substr(7));
        else if (line.rfind("warning: ", 0) == 0)
            warnings.push_back(line.substr(9));
        else if (!line.empty())
            other.push_back(line);
    }
    if (!o.stopped.empty()) return failed(o.stopped);
    if (o.exit_code != 0 || dxf.empty()) {
        if (!errors.empty()) return failed(errors.front());
        std::string cause = o.signal
                                ? "转换进程被信号 " + std::to_string(o.signal) + " 终止"
                                : "转换进程异常退出（状态 " + std::to_string(o.exit_code) + "）";
        if (!other.empty()) cause += "：" + other.back();
        return failed(cause);
    }
    if (status) *status = Status::Ok();
    return DwgConversion{std::move(dxf), std::move(warnings)};
}

}  // namespace velorin::cad
