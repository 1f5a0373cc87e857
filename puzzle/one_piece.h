#ifndef QUARNEL_PUZZLE_ONE_PIECE_H_
#define QUARNEL_PUZZLE_ONE_PIECE_H_

#include <cstdint>
#include <vector>

namespace quarnel {

/// The cells of one colour's side: those not of the other colour (the
/// wall), joined side to side. The inside's side is one piece when it has
/// at most one piece; the outside's when each of its pieces reaches the
/// frame, beyond which all is outside.
///
/// The search's colour rules look at the whole board each time a cell
/// takes a colour. Most of those looks find nothing: the cells walled
/// since the last look left the other side as it was, one piece. This
/// tells so from a few cells round each of them, at a fraction of the cost.
class OnePieceWatch {
 public:
  OnePieceWatch(int width, int height);

  /// `colour` per cell, row by row: 1 inside, 0 outside, -1 not yet known.
  /// The side whose wall is `wall` (0 for the inside's side, 1 for the
  /// outside's) was one piece before the cells of `taken` took the colour
  /// `wall`, one after another in that order. Returns true when it is one
  /// piece still; false when that cannot be told without a look at the
  /// whole board (it may be one piece all the same).
  bool Stays(const int8_t* colour, int8_t wall, const std::vector<int>& taken);

 private:
  // Whether the walled places round `cell` (kind: per place round it, 0
  // walled, 1 open, 2 the frame when open) belong to pieces of the wall
  // that do not meet, so that the open cells beside it stay joined the
  // long way round.
  bool WallsApart(int cell, const int* kind, const int8_t* colour, int8_t wall);

  int width_, height_;
  // Cells walled in `taken` but not yet taken away: they still count as
  // open. A stamp per cell for those, and one for the cells followed.
  std::vector<uint32_t> pending_, visit_;
  uint32_t pending_now_ = 0, visit_now_ = 0;
  // Per cell followed, the arc whose piece it is.
  std::vector<int8_t> owner_;
  std::vector<int> work_;
};

/// Whether the side whose wall is `wall` is one piece, from a pass over the
/// whole board.
bool IsOnePiece(int width, int height, const int8_t* colour, int8_t wall);

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_ONE_PIECE_H_
