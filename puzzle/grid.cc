#include "puzzle/grid.h"

namespace quarnel {

Grid::Grid(int width, int height)
    : w_(width), h_(height), horizontal_((h_ + 1) * w_), edges_(horizontal_ + h_ * (w_ + 1)),
      dots_((h_ + 1) * (w_ + 1)), cells_(w_ * h_), ends_(2 * static_cast<size_t>(edges_)),
      sides_(2 * static_cast<size_t>(edges_)), next_(4 * static_cast<size_t>(cells_)) {
  for (int e = 0; e < edges_; ++e) {
    if (e < horizontal_) {
      const int r = e / w_, c = e % w_;
      ends_[2 * e] = r * (w_ + 1) + c;
      ends_[2 * e + 1] = ends_[2 * e] + 1;
      sides_[2 * e] = r > 0 ? (r - 1) * w_ + c : cells_;
      sides_[2 * e + 1] = r < h_ ? r * w_ + c : cells_;
    } else {
      const int k = e - horizontal_, r = k / (w_ + 1), c = k % (w_ + 1);
      ends_[2 * e] = r * (w_ + 1) + c;
      ends_[2 * e + 1] = ends_[2 * e] + w_ + 1;
      sides_[2 * e] = c > 0 ? r * w_ + c - 1 : cells_;
      sides_[2 * e + 1] = c < w_ ? r * w_ + c : cells_;
    }
  }
  for (int cell = 0; cell < cells_; ++cell) {
    const int r = cell / w_, c = cell % w_;
    int* next = &next_[4 * static_cast<size_t>(cell)];
    next[0] = r > 0 ? cell - w_ : -1;
    next[1] = r < h_ - 1 ? cell + w_ : -1;
    next[2] = c > 0 ? cell - 1 : -1;
    next[3] = c < w_ - 1 ? cell + 1 : -1;
  }
}

}  // namespace quarnel
