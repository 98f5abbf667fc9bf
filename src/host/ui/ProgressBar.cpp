#include "host/ui/ProgressBar.h"

#include <algorithm>
#include <cmath>

namespace zanvoro::host {

void ProgressBar::SetRange(double min, double max) {
  if (!(min < max)) return;
  min_ = min;
  max_ = max;
  value_ = std::clamp(value_, min_, max_);
}

void ProgressBar::SetValue(double value) {
  if (std::isnan(value)) return;
  value_ = std::clamp(value, min_, max_);
}

int ProgressBar::Percent() const {
  return static_cast<int>(std::lround((value_ - min_) * 100 / (max_ - min_)));
}

}  // namespace zanvoro::host
