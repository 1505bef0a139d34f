#pragma once
// Random draws of the animation.  Every decision takes a fresh uniform value
// r in [0, 1) from an injected source; draw(a) = floor(a * r) + 1.  The
// product seeds SeededRandom from the clock; tests fix the seed (or script the
// values) so that a run is reproducible.

#include <cstdint>

namespace fizzlet {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A uniform value in [0, 1).
  virtual double next_uniform() = 0;
};

// floor(a * r) + 1 for a fresh r: 1..a for a whole a, 1..floor(a) + 1 otherwise.
std::int32_t draw(RandomSource& random, double a);

// The coin of the motion rules: draw(500) < 250, true with probability 249/500.
bool coin(RandomSource& random);

// A small deterministic generator (xoshiro256**, state expanded from the seed
// with splitmix64).  Equal seeds give equal sequences on every platform.
class SeededRandom final : public RandomSource {
 public:
  explicit SeededRandom(std::uint64_t seed = 0) { reseed(seed); }
  void reseed(std::uint64_t seed);
  std::uint64_t next_u64();
  double next_uniform() override;  // 53 random bits: k / 2^53

 private:
  std::uint64_t s_[4] = {};
};

}  // namespace fizzlet
