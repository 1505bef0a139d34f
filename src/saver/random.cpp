#include "saver/random.h"

#include <cmath>

namespace fizzlet {

std::int32_t draw(RandomSource& random, double a) {
  const double r = random.next_uniform();
  return static_cast<std::int32_t>(std::floor(a * r)) + 1;
}

bool coin(RandomSource& random) { return draw(random, 500) < 250; }

namespace {

std::uint64_t splitmix64(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

constexpr std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

void SeededRandom::reseed(std::uint64_t seed) {
  std::uint64_t x = seed;
  for (auto& word : s_) word = splitmix64(x);
}

std::uint64_t SeededRandom::next_u64() {
  const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
  const std::uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = rotl(s_[3], 45);
  return result;
}

double SeededRandom::next_uniform() {
  return static_cast<double>(next_u64() >> 11) * 0x1.0p-53;
}

}  // namespace fizzlet
