#include "puzzle/sat_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace quarnel {
namespace {

// Clauses alone: every full assignment that propagation lets through is a
// model.
class NoTheory : public Theory {
 public:
  ClauseRef Check(SatCore&, bool*) override { return kNoClause; }
  bool Model(SatCore&) override { return true; }
  void Decided(int) override {}
  void Backtracked(int, size_t) override {}
};

using Clauses = std::vector<std::vector<Lit>>;

bool Holds(const Clauses& clauses, const std::vector<Lit>& units, unsigned assignment) {
  auto truth = [&](Lit l) { return ((assignment >> l.var()) & 1) == static_cast<unsigned>(l.value()); };
  for (Lit l : units) {
    if (!truth(l)) return false;
  }
  for (const std::vector<Lit>& clause : clauses) {
    bool any = false;
    for (Lit l : clause) any = any || truth(l);
    if (!any) return false;
  }
  return true;
}

// Whether some assignment of `vars` variables keeps the clauses and the units.
bool Satisfiable(int vars, const Clauses& clauses, const std::vector<Lit>& units) {
  for (unsigned a = 0; a < (1u << vars); ++a) {
    if (Holds(clauses, units, a)) return true;
  }
  return false;
}

// Random formulas over a few variables, each searched under a series of
// random assumptions on one core (what it learns carried from one search
// to the next): a model keeps the clauses and the assumptions; a conflict
// is made of assumptions only, and they alone already cannot hold.
TEST(SatCoreAssumptions, AgreeWithEveryAssignment) {
  std::mt19937 random(33);
  NoTheory theory;
  int unsatisfiable = 0, satisfiable = 0, root = 0;
  for (int n = 0; n < 400; ++n) {
    const int vars = 4 + static_cast<int>(random() % 9);
    const int count = vars * (2 + static_cast<int>(random() % 4));
    Clauses clauses;
    SatCore core(vars, SolveBudget{});
    for (int i = 0; i < count; ++i) {
      std::vector<Lit> clause;
      const int size = 2 + static_cast<int>(random() % 3);
      for (int k = 0; k < size; ++k) {
        clause.push_back(Lit::Of(static_cast<int>(random() % vars), random() % 2 == 0));
      }
      clauses.push_back(clause);
      core.AddOriginal(clause);
    }
    const bool formula = Satisfiable(vars, clauses, {});
    for (int check = 0; check < 8; ++check) {
      std::vector<Lit> assumptions;
      const int size = static_cast<int>(random() % 5);
      for (int k = 0; k < size; ++k) {
        assumptions.push_back(Lit::Of(static_cast<int>(random() % vars), random() % 2 == 0));
      }
      core.Assume(assumptions);
      const SatCore::Status status = core.Advance(theory, 1'000'000);
      const bool expected = Satisfiable(vars, clauses, assumptions);
      if (status == SatCore::Status::Stopped) {
        ASSERT_TRUE(expected);
        unsigned assignment = 0;
        for (int v = 0; v < vars; ++v) assignment |= static_cast<unsigned>(core.Value(v) == 1) << v;
        EXPECT_TRUE(Holds(clauses, assumptions, assignment));
        ++satisfiable;
        continue;
      }
      ASSERT_EQ(status, SatCore::Status::Unsatisfiable);
      ASSERT_FALSE(expected);
      const std::vector<Lit>& conflict = core.final_conflict();
      // Empty only when the clauses alone cannot hold.
      if (conflict.empty()) {
        EXPECT_FALSE(formula);
      }
      for (Lit l : conflict) {
        EXPECT_NE(std::find(assumptions.begin(), assumptions.end(), l), assumptions.end());
      }
      EXPECT_FALSE(Satisfiable(vars, clauses, conflict));
      ++(conflict.empty() ? root : unsatisfiable);
    }
  }
  EXPECT_GT(unsatisfiable, 300);
  EXPECT_GT(satisfiable, 300);
  EXPECT_GT(root, 20);
}

TEST(SatCoreAssumptions, NamesBothOfTwoAssumptionsThatContradict) {
  NoTheory theory;
  SatCore core(3, SolveBudget{});
  core.AddOriginal({Lit::Of(0, false), Lit::Of(1, true)});  // 0 implies 1
  core.Assume({Lit::Of(2, true), Lit::Of(0, true), Lit::Of(1, false)});
  ASSERT_EQ(core.Advance(theory, 1000), SatCore::Status::Unsatisfiable);
  std::vector<Lit> conflict = core.final_conflict();
  std::sort(conflict.begin(), conflict.end(), [](Lit a, Lit b) { return a.code() < b.code(); });
  EXPECT_EQ(conflict, (std::vector<Lit>{Lit::Of(0, true), Lit::Of(1, false)}));
  // Without the contradiction, the same core finds a model again.
  core.Assume({Lit::Of(0, true)});
  EXPECT_EQ(core.Advance(theory, 1000), SatCore::Status::Stopped);
  EXPECT_EQ(core.Value(1), 1);
}

}  // namespace
}  // namespace quarnel
