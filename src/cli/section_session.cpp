#include "cli/section_session.h"

#include <charconv>
#include <cstdio>

#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "cad/dwg_converter.h"
#include "cad/embedded/block_cycles.h"

namespace velorin::cli {

namespace {

std::optional<std::vector<double>> Numbers(const std::string& text, size_t count) {
    auto parts = Split(text, ',');
    if (parts.size() != count) return std::nullopt;
    std::vector<double> out;
    for (const auto& p : parts) {
        auto n = ParseNumber(Trim(p));
        if (!n) return std::nullopt;
        out.push_back(*n);
    }
    return out;
}

// Shortest text that reads back as the same number, as a user would type it.
std::string Coordinate(double value) {
    char text[32];
    auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

}  // namespace

SectionSession::SectionSession(Run& run)
    : run_(run),
      host_(JoinPath(run.program.ProgramDir, "Support"), &run.ui),
      connector_(host_),
      context_{run.program, run.ui, clock_, &connector_} {
    host_.set_picker(&picker_);
}

std::unique_ptr<SectionSession> SectionSession::Open(Run& run, const std::string& command,
                                                     int* status, bool may_create) {
    auto drawing = run.options.Get("drawing");
    if (!drawing || drawing->empty()) {
        *status = UsageError(command, "需要 --drawing FILE.dxf 或 FILE.dwg");
        return nullptr;
    }
    // Working on a drawing that is not there would make an empty one and report on it.
    if (!may_create && !PathExists(*drawing)) {
        run.ui.MessageBox(app::MessageIcon::Critical, command,
                          "找不到图形文件“" + *drawing + "”，该命令需要一个已有的图形。");
        *status = 1;
        return nullptr;
    }
    auto s = std::make_unique<SectionSession>(run);
    for (const auto& pick : run.options.All("pick")) {
        auto xy = Numbers(pick, 2);
        if (!xy) {
            *status = UsageError(command, "--pick 应写成 X,Y");
            return nullptr;
        }
        cad::embedded::Pick p;
        p.a = {(*xy)[0], (*xy)[1]};
        s->picker_.picks.push_back(p);
    }
    for (const auto& pick : run.options.All("pick-window")) {
        auto xy = Numbers(pick, 4);
        if (!xy) {
            *status = UsageError(command, "--pick-window 应写成 X1,Y1,X2,Y2");
            return nullptr;
        }
        cad::embedded::Pick p;
        p.kind = cad::embedded::Pick::Kind::Window;
        p.a = {(*xy)[0], (*xy)[1]};
        p.b = {(*xy)[2], (*xy)[3]};
        s->picker_.picks.push_back(p);
    }
    Status opened;
    if (cad::IsDwgPath(*drawing)) {
        // A DWG is read once through the converter; a missing one is an error, not a
        // new drawing.
        if (auto converted = LoadDrawing(run, *drawing, &opened)) {
            s->drawing_ = s->host_.Adopt(std::move(converted));
            s->dwg_ = *drawing;
        }
    } else {
        s->drawing_ = s->host_.Open(*drawing, &opened);
        if (s->drawing_) TellWarnings(run, s->drawing_->drawing(), *drawing);
    }
    if (!s->drawing_) {
        run.ui.MessageBox(app::MessageIcon::Critical, command, opened.message());
        *status = 1;
        return nullptr;
    }
    s->before_ = s->drawing_->drawing().Serialize();
    return s;
}

int SectionSession::Finish(int status) {
    for (const cad::embedded::Pick& pick : picker_.missed) {
        std::string where = Coordinate(pick.a.x) + "," + Coordinate(pick.a.y);
        if (pick.kind == cad::embedded::Pick::Kind::Window)
            std::fprintf(stderr, "选择：在 %s,%s,%s 窗口内没有找到对象\n", where.c_str(),
                         Coordinate(pick.b.x).c_str(), Coordinate(pick.b.y).c_str());
        else
            std::fprintf(stderr, "选择：在 %s 处没有找到对象\n", where.c_str());
    }
    std::fflush(stderr);
    // When no pick took anything the command had nothing to work on: it fails, and what
    // it set up in the drawing (a current layer) is not saved.
    if (status == 0 && picker_.handed > 0 && picker_.missed.size() == picker_.handed) {
        std::fprintf(stderr, "velorin-batch: 所选位置没有可用的对象，命令未完成。\n");
        return 1;
    }
    if (drawing_->drawing().Serialize() == before_) return status;
    Status saved = drawing_->Save();
    if (!saved.ok()) {
        run_.ui.MessageBox(app::MessageIcon::Critical, "velorin-batch", saved.message());
        return 1;
    }
    if (!dwg_.empty())
        run_.ui.MessageBox(
            app::MessageIcon::Information, "velorin-batch",
            "图形已保存为 " + drawing_->drawing().path() + "（DWG 文件 " + dwg_ + " 未改动）");
    return status;
}

bool SectionSession::SaveNewDrawing(size_t before, const std::string& path) {
    const auto& docs = host_.documents();
    if (docs.size() <= before) return false;
    Status saved = docs.back()->Save(path);
    if (!saved.ok())
        run_.ui.MessageBox(app::MessageIcon::Critical, "velorin-batch", saved.message());
    return saved.ok();
}

std::unique_ptr<cad::embedded::Drawing> LoadDrawing(Run& run, const std::string& path,
                                                    Status* status) {
    if (!cad::IsDwgPath(path)) {
        auto drawing = cad::embedded::Drawing::Load(path, status);
        if (drawing) TellWarnings(run, *drawing, path);
        return drawing;
    }
    auto converted = cad::ConvertDwg(path, cad::DwgConverter::Default(), status);
    if (!converted) return nullptr;
    std::string target = cad::DxfBesideDwg(path);
    auto drawing = cad::embedded::Drawing::Parse(std::move(converted->dxf), path, status);
    if (!drawing) return nullptr;
    drawing->set_path(target);
    for (const auto& w : converted->warnings)
        run.ui.MessageBox(app::MessageIcon::Information, "velorin-batch", path + "：" + w);
    TellWarnings(run, *drawing, path);
    return drawing;
}

void TellWarnings(Run& run, const cad::embedded::Drawing& drawing, const std::string& path) {
    for (const auto& w : cad::embedded::DrawingWarnings(drawing, path))
        run.ui.MessageBox(app::MessageIcon::Information, "velorin-batch", w);
}

void PrintLines(const std::vector<std::string>& lines) {
    for (const auto& line : lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string JoinCells(const std::vector<std::string>& cells) {
    std::string out;
    for (size_t i = 0; i < cells.size(); ++i) out += (i ? "," : "") + cells[i];
    return out;
}

}  // namespace velorin::cli
