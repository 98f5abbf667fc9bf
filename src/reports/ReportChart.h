// Charts for the helpdesk report, drawn as inline SVG by our own code so a
// report prints and opens anywhere without a network: cases opened and
// closed over the period, by problem category, by technician, and the
// service level met or missed.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zanvoro {

struct ReportTable;

// The style the charts need; goes into the document's head once.
inline constexpr const char* kChartStyle =
    "<style type=\"text/css\">div.charts { margin-top:8px; } "
    "div.charts svg { display:inline-block; margin:0 12px 12px 0; "
    "font-family:Tahoma; font-size:9pt; } "
    "@media print { div.charts { page-break-inside:avoid; } }</style>";

struct ChartSeries {
  std::string Name;
  std::string Color;           // "#4F81BD"
  std::vector<double> Values;  // one per label
};

// Vertical bars, the series side by side at each label, with a legend.
std::string ColumnChartSvg(std::string_view title, const std::vector<std::string>& labels,
                           const std::vector<ChartSeries>& series);

// Horizontal bars, one per label, in the order given.
std::string BarChartSvg(std::string_view title,
                        const std::vector<std::pair<std::string, double>>& bars,
                        std::string_view color);

// The section's charts; "" when it lists no case.
std::string ReportChartsHtml(const ReportTable& table);

}  // namespace zanvoro
