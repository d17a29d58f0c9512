// SPDX-License-Identifier: MIT
#include "protocol_bench.h"

#include "model/register_model.h"

namespace qvm::test {

ProtocolBench::ProtocolBench(sim::SpiTarget& target)
    : board(std::make_shared<sim::SimulatedBoard>(clock, "sim:0", kBridgeVendorId, kBridgeProductId,
                                                  &target)) {
  bus.Attach(board);
}

void ProtocolBench::Connect() {
  session.bridge.OpenBridge();
}

void ProtocolBench::UseDaisyChain() {
  session.state.DaisyChainMode = true;
  board->Firmware().Settings().setupBlock[sim::kSetupDaisyByte] = sim::kSetupDaisyBit;
}

void ProtocolBench::DefineTestKinds() {
  for (RegisterTables& tables : session.model.type) {
    auto& kind = tables.RegKind;
    // Cell voltages and the rest of page 1 read-only, page 2 read/write set-up registers.
    for (int r = 64; r < 128; ++r) kind[r] = kKindReadOnly;
    for (int r = 128; r < 192; ++r) kind[r] = kKindReadWrite;
    kind[132] = kKindReadOnly;  // fault status
    kind[133] = kKindReadOnly;
    kind[155] = kKindReadOnly;  // serial number
    kind[156] = kKindReadOnly;
    // Block reads.
    kind[79] = kKindBlockRead;
    kind[95] = kKindBlockRead;
    kind[143] = kKindBlockRead;
    kind[159] = kKindBlockRead;
    // Page 3 commands and responses.
    for (int r = 192; r < 256; ++r) kind[r] = kKindCommand;
    for (int bit = 0; bit < kBitsPerRegister; ++bit) {
      tables.BitName[132][bit] = "Bit" + std::to_string(bit);
    }
  }
  session.model.type[0].BitName[132][3] = "CellOV";
}

const Report& ProtocolBench::LastSent() const {
  return board->ReceivedReports().back();
}

}  // namespace qvm::test
