#ifndef QUARNEL_PUZZLE_LOOP_GENERATOR_H_
#define QUARNEL_PUZZLE_LOOP_GENERATOR_H_

#include <cstdint>
#include <random>
#include <vector>

#include "puzzle/board.h"
#include "puzzle/grid.h"
#include "puzzle/loop_solver.h"

namespace quarnel {

/// A random single loop on a `width` × `height` board, as per-edge flags:
/// the border of a region of cells grown and shrunk at random while it stays
/// one piece without holes or corner-to-corner touches.
std::vector<bool> RandomLoop(int width, int height, std::mt19937_64& random);

/// The loop around the cells marked in `inside` (per cell, row by row):
/// the edges between a cell inside and one outside or the frame. It is one
/// loop when the inside and the rest are each one piece and no two cells
/// meet only at a corner.
std::vector<bool> LoopAround(const Grid& grid, const std::vector<uint8_t>& inside);

/// The board of that size whose every cell holds the number of its sides on
/// `loop`.
Board CluesOf(int width, int height, const std::vector<bool>& loop);

/// Takes clues off `board` in random order, keeping each removal that leaves
/// exactly one solution, until no single clue can go; a board that is not
/// unique on entry comes back as it was. Each try may spend `budget`; an
/// undetermined one counts as not unique.
Board MinimiseClues(Board board, std::mt19937_64& random, const SolveBudget& budget);

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_LOOP_GENERATOR_H_
