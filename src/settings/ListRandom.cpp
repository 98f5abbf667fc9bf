#include "settings/ListRandom.h"

#include <random>

namespace zanvoro {

size_t RandomListIndex(size_t count) {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  return std::uniform_int_distribution<size_t>(0, count - 1)(generator);
}

}  // namespace zanvoro
