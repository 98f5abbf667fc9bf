// A progress bar from Min to Max. Values outside the range are clamped: a
// progress display never stops the work it reports.
#pragma once

#include "host/ui/Control.h"

namespace zanvoro::host {

class ProgressBar : public Control {
 public:
  ProgressBar(Form& form, std::string name)
      : Control(form, ControlKind::ProgressBar, std::move(name)) {}

  double Min() const { return min_; }
  double Max() const { return max_; }
  double Value() const { return value_; }
  // REQUIRES: min < max; otherwise the range is left as it was.
  void SetRange(double min, double max);
  void SetValue(double value);
  // 0 to 100.
  int Percent() const;

  std::vector<std::string> Texts() const override { return {}; }

 private:
  double min_ = 0;
  double max_ = 100;
  double value_ = 0;
};

}  // namespace zanvoro::host
