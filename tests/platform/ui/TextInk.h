#pragma once

// Where text was drawn over a known background, for tests that read a caption off the screen:
// the columns and rows whose pixels differ from the background.
#include <QImage>

#include <algorithm>
#include <utility>
#include <vector>

namespace uitest {

class TextInk {
 public:
  // `shown` is the background with text drawn on it, `background` the same without the text.
  TextInk(const QImage& shown, const QImage& background)
      : shown_(shown.convertToFormat(QImage::Format_RGB32)),
        background_(background.convertToFormat(QImage::Format_RGB32)) {}

  bool At(int x, int y) const { return shown_.pixel(x, y) != background_.pixel(x, y); }

  // The runs of columns with ink, as [first, last] pairs, left to right.
  std::vector<std::pair<int, int>> Runs() const {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < shown_.width(); ++x) {
      bool ink = false;
      for (int y = 0; y < shown_.height() && !ink; ++y) ink = At(x, y);
      if (!ink) continue;
      if (!runs.empty() && runs.back().second == x - 1) {
        runs.back().second = x;
      } else {
        runs.emplace_back(x, x);
      }
    }
    return runs;
  }
  // The first and last rows with ink within columns [first, last]; (height, -1) without ink.
  std::pair<int, int> Rows(int first, int last) const {
    int top = shown_.height(), bottom = -1;
    for (int y = 0; y < shown_.height(); ++y) {
      for (int x = std::max(first, 0); x <= last && x < shown_.width(); ++x) {
        if (!At(x, y)) continue;
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
    return {top, bottom};
  }
  // Whether the text ends in "…": its last `tail` columns of ink, about half an ellipsis, hold
  // only dots on one line, while the text before them is taller.
  bool EndsInEllipsis(int tail) const {
    const std::vector<std::pair<int, int>> runs = Runs();
    if (runs.empty()) return false;
    const int last = runs.back().second;
    const auto [dotsTop, dotsBottom] = Rows(last - tail + 1, last);
    const auto [top, bottom] = Rows(runs.front().first, last);
    return dotsBottom - dotsTop <= 3 && bottom - top > 6;
  }

 private:
  QImage shown_;
  QImage background_;
};

}  // namespace uitest
