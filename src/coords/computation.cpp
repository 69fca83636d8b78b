#include "coords/computation.h"

#include <cmath>
#include <string_view>
#include <unordered_map>

#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "survey/survey_file.h"

namespace velorin::coords {

namespace {

constexpr double kPi = 3.1415926535;  // the program's value, also in the quadrant corrections
constexpr double kPlaneTolerance = 0.1;
constexpr double kHeightTolerance = 0.04;
constexpr double kOverDistanceFactor = 3;
constexpr double kAutoThreshold = 30;
// Limits are inclusive; a difference computed from millimetre values can land a few
// ulps past a limit it equals, so comparisons allow this much (far below a millimetre).
constexpr double kSlack = 1e-9;

const std::string kShortRule = [] {
    std::string s;
    for (int i = 0; i < 16; ++i) s += "—";
    return s;
}();
const std::string kLongRule = [] {
    std::string s;
    for (int i = 0; i < 24; ++i) s += "—";
    return s;
}();

std::string F3(double v) { return Format(v, "#0.000"); }
double Number(std::string_view text) { return LeadingNumber(text); }

const char* ModeLine(ObservationMode mode) {
    switch (mode) {
        case ObservationMode::Automatic:
            return "测量类型：自动";
        case ObservationMode::DistanceHeight:
            return "测量类型：平距，高差测量";
        case ObservationMode::SlopeVertical:
            return "测量类型：斜距，垂直角测量";
    }
    return "";
}

// Name -> first row with that name, so lookups stay constant-time on large tables.
using NameIndex = std::unordered_map<std::string, size_t>;

struct Point {
    double x = 0, y = 0, h = 0;
};

class Run {
  public:
    Run(const ObservationList& observations, ControlTable& control, ResultTable& results,
        ObservationMode mode, Computation& out)
        : observations_(observations),
          control_(control),
          results_(results),
          option_(mode),
          out_(out) {
        control_index_.reserve(control_.rows.size() * 2);
        for (size_t i = 0; i < control_.rows.size(); ++i)
            control_index_.emplace(UpperCase(control_.rows[i].name), i);
        result_index_.reserve(observations_.lines.size());
        results_.rows.reserve(observations_.lines.size());
    }

    void Go();

  private:
    void Report(std::string line) { out_.report.push_back(std::move(line)); }
    void Stop(app::MessageIcon icon, std::string title, std::string text) {
        out_.messages.push_back({icon, std::move(title), std::move(text)});
        out_.stopped = true;
    }
    bool Locate(const std::string& name, Point& p);
    void Station(const std::string& line);
    void Backsight(const std::string& line);
    // False when the run stops.
    bool Observation(const std::string& line);
    void ControlCheck(const std::string& name, const survey::ControlRow& known, const Point& p);
    void BacksightCheck(const Point& p);
    void HeightCheck(bool control_check, double known_h, double computed_h,
                     const std::string& plane_first, const std::string& failed_first);
    void Summary();

    const ObservationList& observations_;
    ControlTable& control_;
    ResultTable& results_;
    ObservationMode option_;
    Computation& out_;
    NameIndex control_index_, result_index_;

    std::string station_name_, backsight_name_;
    Point station_, backsight_;
    double instrument_height_ = 0;
    double orientation_ = 0, backsight_distance_ = 0;
    bool usable_ = true;
    bool decided_ = false;  // automatic mode: a line has chosen the pair
    bool rule_shown_ = false;
    ObservationMode pair_ = ObservationMode::Automatic;
    long to_compute_ = 0, computed_ = 0, over_distance_ = 0;
};

bool Run::Locate(const std::string& name, Point& p) {
    if (auto it = control_index_.find(UpperCase(name)); it != control_index_.end()) {
        const survey::ControlRow& row = control_.rows[it->second];
        p = {Number(row.x), Number(row.y), Number(row.h)};
        return true;
    }
    Report("？ 没找到“" + name + "”的坐标，试着在坐标库中查找！");
    if (auto it = result_index_.find(UpperCase(name)); it != result_index_.end()) {
        const ResultRow& row = results_.rows[it->second];
        p = {Number(row.x), Number(row.y), Number(row.h)};
        Report("√ “" + name + "”坐标已找到，计算将继续……");
        control_.rows.push_back({name, F3(p.x), F3(p.y), F3(p.h), survey::kBranchMark});
        control_index_.emplace(UpperCase(name), control_.rows.size() - 1);
        return true;
    }
    Report("× 没找到“" + name + "”的坐标，该站数据将不参与计算！");
    return false;
}

void Run::Station(const std::string& line) {
    std::vector<std::string> f = Split(line, ',');
    station_name_ = f.size() > 1 ? f[1] : std::string();
    if (f.size() > 2 && !f[2].empty()) instrument_height_ = Number(f[2]);
    usable_ = Locate(station_name_, station_);
}

void Run::Backsight(const std::string& line) {
    backsight_name_ = survey::BacksightNameOf(line);
    backsight_ = {};
    orientation_ = 0;
    if (!usable_) return;
    usable_ = false;
    if (!Locate(backsight_name_, backsight_)) return;
    double dx = backsight_.x - station_.x, dy = backsight_.y - station_.y;
    if (dx == 0) {
        out_.messages.push_back({app::MessageIcon::Exclamation, "计算",
                                 "“" + station_name_ + "～" + backsight_name_ +
                                     "”纵方向坐标相同，该站坐标将不参与计算！"});
        return;
    }
    usable_ = true;
    orientation_ = std::atan(dy / dx);
    if (dx < 0)
        orientation_ += kPi;
    else if (dy < 0)
        orientation_ += 2 * kPi;
    backsight_distance_ = std::sqrt(dx * dx + dy * dy);
}

bool Run::Observation(const std::string& line) {
    ++to_compute_;
    std::vector<std::string> f = Split(line, ',');
    auto field = [&](size_t k) {
        return k < f.size() ? std::string_view(f[k]) : std::string_view();
    };
    std::string name(field(0));
    // Field 2 is the horizontal or slope distance and field 3 the height difference or
    // vertical angle, by the observation mode.
    double reading = Number(field(1)), measured_distance = Number(field(2)),
           height_or_angle = Number(field(3)), target_height = Number(field(4));
    // Text where a reading or distance belongs cannot be computed from: the point is
    // reported as failed with its line, rather than placed from 0.
    for (size_t k = 1; k <= 4; ++k) {
        if (Trim(field(k)).empty() || IsNumeric(field(k))) continue;
        if (usable_) {
            Report("× " + name + " 点计算坐标计算失败！");
            Report("——观测数据：" + line);
        }
        return true;
    }

    if (f.size() >= 4) {
        if (option_ == ObservationMode::Automatic) {
            ObservationMode pair = height_or_angle <= kAutoThreshold
                                       ? ObservationMode::DistanceHeight
                                       : ObservationMode::SlopeVertical;
            if (!decided_ || pair != pair_) {
                decided_ = true;
                pair_ = pair;
                Report(ModeLine(pair));
                Report(kShortRule);
            }
        } else if (!rule_shown_) {
            rule_shown_ = true;
            Report(kShortRule);
        }
    }
    if (!usable_) return true;
    if (option_ != ObservationMode::Automatic) {
        pair_ = option_;
    } else if (!decided_) {
        Stop(app::MessageIcon::Exclamation, "坐标计算",
             "系统自动识别失败，\n\n请手工选择“平距高差”或“高差垂直角”。");
        return false;
    }

    Point p;
    double distance = 0, vertical = 0;
    if (measured_distance != 0) {
        double azimuth = orientation_ + AngleToRadians(reading);
        if (azimuth > 2 * kPi) azimuth -= 2 * kPi;
        bool placed = false;
        if (pair_ == ObservationMode::DistanceHeight) {
            distance = measured_distance;
            placed = true;
        } else if (height_or_angle != 0) {
            vertical = AngleToRadians(height_or_angle);
            distance = measured_distance * std::sin(vertical);
            placed = true;
        }
        if (placed) {
            p.y = station_.y + distance * std::sin(azimuth);
            p.x = station_.x + distance * std::cos(azimuth);
            if (kOverDistanceFactor * backsight_distance_ <= distance + kSlack) {
                ++over_distance_;
                Report("！ " + name + " 前视超距（" + F3(distance) + "≥" + F3(backsight_distance_) +
                       "×3）");
            }
        }
    }
    if (station_.h != 0 && instrument_height_ != 0 && target_height != 0) {
        p.h = pair_ == ObservationMode::DistanceHeight
                  ? instrument_height_ + station_.h + height_or_angle - target_height
                  : instrument_height_ + station_.h + measured_distance * std::cos(vertical) -
                        target_height;
    }
    // No trap stops a run on overflow; a value that is not finite would be written into
    // the results as garbage, so the run stops here instead.
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.h) ||
        !std::isfinite(distance)) {
        Stop(app::MessageIcon::Critical, "计算被中止",
             "在计算“" + name + "”点时发生了错误，\n\n错误原因：溢出（6号错误）");
        return false;
    }

    std::string stored = name;
    if (p.x != 0 && p.y != 0) {
        if (name == backsight_name_) {
            BacksightCheck(p);
            stored += "校";
        } else if (name != station_name_) {
            if (auto it = control_index_.find(UpperCase(name)); it != control_index_.end()) {
                ControlCheck(name, control_.rows[it->second], p);
                stored += "核";
            }
        }
    }
    if (p.x == 0 || p.y == 0) {
        Report("× " + name + " 点计算坐标计算失败！");
        Report("——观测数据：" + line);
        return true;
    }
    ++computed_;
    stored = UpperCase(stored);
    result_index_.emplace(stored, results_.rows.size());
    results_.rows.push_back({stored, F3(p.y), F3(p.x), p.h != 0 ? F3(p.h) : std::string()});
    return true;
}

void Run::ControlCheck(const std::string& name, const survey::ControlRow& known, const Point& p) {
    double kx = Number(known.x), ky = Number(known.y), kh = Number(known.h);
    double error = std::hypot(kx - p.x, ky - p.y);
    std::string setup = station_name_ + "～" + backsight_name_;
    std::string first;
    if (error <= kPlaneTolerance + kSlack) {
        first = "☆ " + setup + "（检：" + name + "）";
        Report(first);
        Report("——平面误差：" + F3(error) + "米");
    } else {
        first = "× " + setup + "（检：" + name + "  平面超差）";
        Report(first);
        Report("——平面误差：" + F3(error) + "米");
        Report("——理论坐标：" + F3(ky) + "," + F3(kx));
        Report("——实测坐标：" + F3(p.y) + "," + F3(p.x));
    }
    HeightCheck(true, kh, p.h, first, "× " + setup + "（检：" + name + "  高程超差）");
}

void Run::BacksightCheck(const Point& p) {
    double error = std::hypot(backsight_.x - p.x, backsight_.y - p.y);
    std::string setup = station_name_ + "～" + backsight_name_;
    std::string first;
    if (error <= kPlaneTolerance + kSlack) {
        first = "☆ " + setup;
        Report(first);
        Report("——平面误差：" + F3(error) + "米");
    } else {
        first = "× " + setup + "（平面超差）   平面误差：" + F3(error) + "米";
        Report(first);
        double known = std::hypot(backsight_.x - station_.x, backsight_.y - station_.y);
        double measured = std::hypot(p.x - station_.x, p.y - station_.y);
        Report("——理论平距：" + F3(known) + "米，实测平距：" + F3(measured) + "米");
    }
    HeightCheck(false, backsight_.h, p.h, first, "× " + setup + "（高程超差）");
}

void Run::HeightCheck(bool control_check, double known_h, double computed_h,
                      const std::string& plane_first, const std::string& failed_first) {
    if (known_h == 0 || computed_h == 0) return;
    double error = control_check ? known_h - computed_h : computed_h - known_h;
    auto& report = out_.report;
    if (std::fabs(error) <= kHeightTolerance + kSlack) {
        if (report.size() >= 2 && StartsWith(report[report.size() - 2], "☆")) {
            report.back() += "，高程误差：" + F3(control_check ? std::fabs(error) : error) + "米";
        } else {
            std::string again = plane_first;
            if (StartsWith(again, "× ")) again = "☆ " + again.substr(std::string_view("× ").size());
            Report(again);
            Report("——高程误差：" + F3(error) + "米");
        }
    } else {
        Report(failed_first);
        Report("——高程误差：" + F3(error) + "米");
        Report("——理论高程：" + F3(known_h) + "米，实测高程：" + F3(computed_h) + "米");
    }
}

void Run::Summary() {
    Report(kLongRule);
    std::string rate = Format(
        computed_ > 0 ? static_cast<double>(over_distance_) / computed_ * 100 : 0.0, "#0.00");
    std::string over_line =
        "其中：" + std::to_string(over_distance_) + "个点前视超距，超距率" + rate + "%";
    std::string over_report =
        "— 超距数：" + std::to_string(over_distance_) + "，超距率：" + rate + "%";
    if (computed_ == to_compute_) {
        std::string all = std::to_string(computed_) + "个坐标点全部计算完毕！";
        Report("— " + all);
        if (over_distance_ > 0) {
            out_.messages.push_back({app::MessageIcon::Exclamation, "坐标计算",
                                     "坐标计算结束！\n\n" + all + "\n" + over_line});
            Report(over_report);
        } else {
            out_.messages.push_back(
                {app::MessageIcon::Information, "坐标计算", "坐标计算结束！\n\n" + all});
        }
    } else {
        std::string counts = "应算" + std::to_string(to_compute_) + "，实算" +
                             std::to_string(computed_) + "个坐标点";
        Report("— " + counts);
        std::string text = "坐标计算结束，\n\n" + counts + "。";
        if (over_distance_ > 0) {
            out_.messages.push_back(
                {app::MessageIcon::Exclamation, "坐标计算", text + "\n" + over_line});
            Report(over_report);
        } else {
            out_.messages.push_back({app::MessageIcon::Exclamation, "坐标计算", text});
        }
    }
    results_.path = ReplaceExtension(observations_.path, ".cor");
}

void Run::Go() {
    Report(ModeLine(option_));
    for (const auto& raw : observations_.lines) {
        std::string line = Trim(raw);
        if (line.empty() || line.front() == ';') continue;
        if (survey::IsStationLine(line)) {
            Station(line);
        } else if (survey::IsBacksightLine(line)) {
            Backsight(line);
        } else if (!Observation(line)) {
            return;
        }
    }
    Summary();
}

}  // namespace

double AngleToRadians(double a) {
    double d = std::floor(a);
    // Two-digit minutes read from a binary fraction: 12.45 is 12.4499999..., whose
    // minutes must still be 45, not 44 and 99.99 seconds.
    double m = std::floor((a - d) * 100 + 1e-7);
    double s = ((a - d) * 100 - m) * 100;
    return (d + m / 60 + s / 3600) * kPi / 180;
}

Computation ComputeCoordinates(const ObservationList& observations, ControlTable& control,
                               ResultTable& results, ObservationMode mode) {
    Computation out;
    results.rows.clear();
    if (observations.lines.empty()) return out;
    Run run(observations, control, results, mode, out);
    run.Go();
    // The rows of a stopped run are partial: they carry no file name, so "保存" can
    // never write them over the files of an earlier, complete run.
    if (out.stopped) results.path.clear();
    return out;
}

}  // namespace velorin::coords
