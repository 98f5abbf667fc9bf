#include "reports/ReportChart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "reports/HelpdeskReport.h"
#include "runtime/Date.h"
#include "runtime/Text.h"

namespace zanvoro {
namespace {

constexpr const char* kOpenedColor = "#4F81BD";
constexpr const char* kClosedColor = "#9BBB59";
constexpr const char* kMissedColor = "#C0504D";
constexpr size_t kMostBars = 8;

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  std::string out = text;
  if (out.size() > 2 && out.ends_with(".0")) out.resize(out.size() - 2);
  return out;
}

// A round step for the value axis, so about four grid lines fit.
double AxisStep(double most) {
  if (most <= 4) return 1;
  double raw = most / 4;
  double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * power >= raw) return m * power;
  }
  return 10 * power;
}

std::string Text(double x, double y, std::string_view anchor, std::string_view text,
                 std::string_view extra = {}) {
  return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" text-anchor=\"" +
         std::string(anchor) + "\"" + std::string(extra) + ">" + HtmlEscape(text) +
         "</text>";
}

std::string Rect(double x, double y, double w, double h, std::string_view color,
                 std::string_view tip) {
  return "<rect x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" width=\"" + Number(w) +
         "\" height=\"" + Number(h) + "\" fill=\"" + std::string(color) + "\"><title>" +
         HtmlEscape(tip) + "</title></rect>";
}

// The largest groups by count, the rest added up as "Other".
std::vector<std::pair<std::string, double>> Largest(
    const std::map<std::string, double>& counts, std::string_view empty_name) {
  std::vector<std::pair<std::string, double>> bars(counts.begin(), counts.end());
  std::stable_sort(bars.begin(), bars.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  if (bars.size() > kMostBars) {
    double rest = 0;
    for (size_t i = kMostBars - 1; i < bars.size(); ++i) rest += bars[i].second;
    bars.resize(kMostBars - 1);
    bars.emplace_back("Other", rest);
  }
  for (auto& bar : bars)
    if (bar.first.empty()) bar.first = empty_name;
  return bars;
}

}  // namespace

std::string ColumnChartSvg(std::string_view title, const std::vector<std::string>& labels,
                           const std::vector<ChartSeries>& series) {
  const double left = 36, top = 28, plot_h = 150, bottom = 40;
  const double group_w =
      std::max(12.0, std::min(48.0, 560.0 / std::max<size_t>(labels.size(), 1)));
  const double bar_w = (group_w - 4) / std::max<size_t>(series.size(), 1);
  const double width = left + group_w * static_cast<double>(labels.size()) + 16;
  const double height = top + plot_h + bottom + 18;
  double most = 0;
  for (const ChartSeries& s : series)
    for (double v : s.Values) most = std::max(most, v);
  const double step = AxisStep(most);
  const double top_value = std::max(step, std::ceil(most / step) * step);
  auto y_of = [&](double v) { return top + plot_h - v / top_value * plot_h; };

  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    Number(std::max(width, 240.0)) + "\" height=\"" + Number(height) +
                    "\" role=\"img\">";
  svg += Text(left, 16, "start", title, " font-weight=\"bold\"");
  for (double v = 0; v <= top_value + step / 2; v += step) {
    svg += "<line x1=\"" + Number(left) + "\" x2=\"" + Number(width - 8) + "\" y1=\"" +
           Number(y_of(v)) + "\" y2=\"" + Number(y_of(v)) + "\" stroke=\"#DDDDDD\"/>";
    svg += Text(left - 4, y_of(v) + 4, "end", Number(v));
  }
  // Every label when they fit, else every n-th.
  const size_t label_every =
      std::max<size_t>(1, static_cast<size_t>(std::ceil(36.0 / group_w)));
  for (size_t i = 0; i < labels.size(); ++i) {
    const double x = left + group_w * static_cast<double>(i) + 2;
    for (size_t s = 0; s < series.size(); ++s) {
      double v = i < series[s].Values.size() ? series[s].Values[i] : 0;
      if (v > 0)
        svg += Rect(x + bar_w * static_cast<double>(s), y_of(v), bar_w - 1,
                    plot_h - (y_of(v) - top), series[s].Color,
                    labels[i] + ": " + Number(v) + " " + series[s].Name);
    }
    if (i % label_every == 0)
      svg += Text(x + (group_w - 4) / 2, top + plot_h + 14, "middle", labels[i]);
  }
  double legend_x = left;
  for (const ChartSeries& s : series) {
    svg += Rect(legend_x, height - 16, 10, 10, s.Color, s.Name);
    svg += Text(legend_x + 14, height - 7, "start", s.Name);
    legend_x += 24 + 7.0 * static_cast<double>(s.Name.size());
  }
  return svg + "</svg>";
}

std::string BarChartSvg(std::string_view title,
                        const std::vector<std::pair<std::string, double>>& bars,
                        std::string_view color) {
  const double label_w = 130, top = 26, bar_h = 16, plot_w = 200;
  const double height = top + (bar_h + 4) * static_cast<double>(bars.size()) + 8;
  double most = 1;
  for (const auto& bar : bars) most = std::max(most, bar.second);
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    Number(label_w + plot_w + 50) + "\" height=\"" + Number(height) +
                    "\" role=\"img\">";
  svg += Text(0, 16, "start", title, " font-weight=\"bold\"");
  double y = top;
  for (const auto& [label, value] : bars) {
    std::string shown = label.size() > 22 ? label.substr(0, 21) + "..." : label;
    svg += Text(label_w - 6, y + bar_h - 4, "end", shown);
    svg += Rect(label_w, y, std::max(1.0, value / most * plot_w), bar_h, color,
                label + ": " + Number(value));
    svg +=
        Text(label_w + value / most * plot_w + 4, y + bar_h - 4, "start", Number(value));
    y += bar_h + 4;
  }
  return svg + "</svg>";
}

std::string ReportChartsHtml(const ReportTable& table) {
  if (table.Cases.empty()) return {};
  // Days for up to a month, weeks (from Sunday) up to half a year, else months.
  const double first = table.Days.Start.Serial();
  const double days = table.Days.End.Serial() - first + 1;
  enum class Bucket {
    Day,
    Week,
    Month
  } bucket = days <= 31    ? Bucket::Day
             : days <= 186 ? Bucket::Week
                           : Bucket::Month;
  std::vector<std::string> labels;
  std::vector<double> starts;  // first day of each bucket
  for (Date d = table.Days.Start; d <= table.Days.End;) {
    starts.push_back(d.Serial());
    labels.push_back(FormatDate(d, bucket == Bucket::Month ? "MMM yyyy" : "d MMM"));
    if (bucket == Bucket::Day) {
      d = Date(d.Serial() + 1);
    } else if (bucket == Bucket::Week) {
      d = Date(d.Serial() + 8 - Weekday(d, 1));
    } else {
      d = DateSerial(Year(d), Month(d) + 1, 1);
    }
  }
  auto index_of = [&](Date d) -> int {
    double day = DatePart(d).Serial();
    if (IsAbsentDate(d) || day < first || day > table.Days.End.Serial()) return -1;
    auto it = std::upper_bound(starts.begin(), starts.end(), day);
    return static_cast<int>(it - starts.begin()) - 1;
  };
  ChartSeries opened{"Opened", kOpenedColor, std::vector<double>(labels.size())};
  ChartSeries closed{"Closed", kClosedColor, std::vector<double>(labels.size())};
  std::map<std::string, double> categories;
  std::map<std::string, double> technicians;
  double met = 0;
  double missed = 0;
  for (const ReportCase& c : table.Cases) {
    if (int i = index_of(c.Created); i >= 0) ++opened.Values[static_cast<size_t>(i)];
    if (int i = index_of(c.Closed); i >= 0) ++closed.Values[static_cast<size_t>(i)];
    ++categories[c.Category];
    ++technicians[c.Technician];
    if (!IsAbsentDate(c.Closed) && !IsAbsentDate(c.Due))
      ++(c.Closed <= c.Due ? met : missed);
  }
  const char* per = bucket == Bucket::Day    ? "day"
                    : bucket == Bucket::Week ? "week"
                                             : "month";
  std::string html = "<div class=\"charts\">";
  html += ColumnChartSvg(std::string("Cases opened and closed per ") + per, labels,
                         {opened, closed});
  html += BarChartSvg("By problem category", Largest(categories, "(none)"), kOpenedColor);
  html +=
      BarChartSvg("By technician", Largest(technicians, "(unassigned)"), kOpenedColor);
  if (met + missed > 0) {
    html += BarChartSvg("Service level (closed cases with a due date)",
                        {{"Met", met}, {"Missed", missed}},
                        missed > met ? kMissedColor : kClosedColor);
  }
  return html + "</div>";
}

}  // namespace zanvoro
