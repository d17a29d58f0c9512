#include "sim/bridge/simulated_board.h"

#include <gtest/gtest.h>

namespace qvm::sim {
namespace {

TEST(SimulatedBoard, Placeholder) {}

}  // namespace
}  // namespace qvm::sim
