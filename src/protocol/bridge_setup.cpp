#include "protocol/bridge_setup.h"

#include <algorithm>

#include "link/packet_exchange.h"

namespace qvm {

namespace {

constexpr std::uint8_t kWriteBlock = 0;
constexpr std::uint8_t kReadBlock = 1;
constexpr std::size_t kBlockInRequest = 3;
constexpr std::size_t kBlockInReply = 2;

void FillBlock(Session& session, std::uint8_t daisyBit) {
  SetupBlock& block = session.GpioSpiSetup;
  block = {0xFF,
           0xFF,
           0x80,
           0x03,
           daisyBit,
           0x00,
           session.spi.SpiClockCode,
           session.spi.SpiTimeoutHigh,
           session.spi.SpiTimeoutLow};
  UpdateReadGpioSpi(session);
}

void StartRequest(Bridge& bridge, std::uint8_t direction) {
  bridge.FillReport(0);
  bridge.SetReportId();
  bridge.ReportBuffer[1] = kCmdSetupBlock;
  bridge.ReportBuffer[2] = direction;
}

}  // namespace

void SetupBridgeIdle(Session& session) {
  FillBlock(session, 0x00);
}

void SetupBridgeDaisy(Session& session) {
  FillBlock(session, 0x80);
}

void UpdateReadGpioSpi(Session& session) {
  Bridge& bridge = session.bridge;
  if (!bridge.EvbConnected) return;
  SetupBlock& block = session.GpioSpiSetup;
  session.exchange.FrameByteCount = static_cast<std::int32_t>(block.size());
  session.exchange.FrameBuffer.assign(block.begin(), block.end());

  StartRequest(bridge, kWriteBlock);
  std::copy(block.begin(), block.end(), bridge.ReportBuffer.begin() + kBlockInRequest);
  bridge.WriteReport();
  if (session.view.TraceActive()) session.view.AppendTrace("Read Case 20 GPIO Setup \r\n");

  bridge.FlushInput();
  StartRequest(bridge, kReadBlock);
  if (bridge.checkStatus(bridge.WriteReport()) != kTransferSuccess) {
    session.LogLine("UpdateReadGpioSpi: ReadPipe response size incorrect. Check firmware version!");
    return;
  }
  if (bridge.ReadInto(Bridge::kReadTimeoutMs) == ReadResult::Report) {
    std::copy_n(bridge.ReportBuffer.begin() + kBlockInReply, block.size(), block.begin());
  } else {
    // No reply: the prompt, and the block keeps the values written rather than the request
    // still in the buffer.
    bridge.checkStatus(false);
  }
  block[0] = session.ChainModeSetting;
}

}  // namespace qvm
