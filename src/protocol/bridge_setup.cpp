// SPDX-License-Identifier: MIT
#include "protocol/bridge_setup.h"

#include <algorithm>

#include "link/packet_exchange.h"

namespace qvm {

namespace {

constexpr std::uint8_t kWriteBlock = 0;
constexpr std::uint8_t kReadBlock = 1;
constexpr std::size_t kBlockInRequest = 3;
constexpr std::size_t kBlockInReply = 2;
// Block bytes 1..3: the GPIO set-up that every block carries as written.
constexpr std::ptrdiff_t kFixedFirst = 1;
constexpr std::ptrdiff_t kFixedEnd = 4;
constexpr std::uint8_t kReportId = 1;

bool FillBlock(Session& session, std::uint8_t daisyBit) {
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
  return UpdateReadGpioSpi(session);
}

void StartRequest(Bridge& bridge, std::uint8_t direction) {
  bridge.FillReport(0);
  bridge.SetReportId();
  bridge.ReportBuffer[1] = kCmdSetupBlock;
  bridge.ReportBuffer[2] = direction;
}

// The report in the buffer answers the read of `block`: a late reply to another request
// carries other bytes where the block's fixed GPIO set-up stands.
bool AnswersBlockRead(const Report& reply, const SetupBlock& block) {
  return reply[0] == kReportId && std::equal(block.begin() + kFixedFirst, block.begin() + kFixedEnd,
                                             reply.begin() + kBlockInReply + kFixedFirst);
}

// Waits up to the read time-out for the reply that answers the read; true when it came.
bool ReadBlockReply(Session& session, const SetupBlock& block) {
  Bridge& bridge = session.bridge;
  const std::int64_t end = session.clock.NowMs() + Bridge::kReadTimeoutMs;
  for (std::int64_t left = Bridge::kReadTimeoutMs; left > 0; left = end - session.clock.NowMs()) {
    if (bridge.ReadInto(static_cast<int>(left)) != ReadResult::Report) return false;
    if (AnswersBlockRead(bridge.ReportBuffer, block)) return true;
    session.LogLine(
        "UpdateReadGpioSpi: a report that does not answer the set-up read was passed "
        "over");
  }
  return false;
}

// One write and read-back of the block; false when the link failed or the bridge did not answer.
bool WriteAndReadBlock(Session& session) {
  Bridge& bridge = session.bridge;
  SetupBlock& block = session.GpioSpiSetup;
  session.exchange.FrameByteCount = static_cast<std::int32_t>(block.size());
  session.exchange.FrameBuffer.assign(block.begin(), block.end());

  StartRequest(bridge, kWriteBlock);
  std::copy(block.begin(), block.end(), bridge.ReportBuffer.begin() + kBlockInRequest);
  bridge.WriteReport();
  if (session.view.TraceActive()) session.view.AppendTrace("Read Case 20 GPIO Setup \r\n");

  bridge.FlushInput();
  StartRequest(bridge, kReadBlock);
  if (!bridge.WriteReport()) {
    const std::string problem = bridge.LinkProblem();
    session.LogLine("UpdateReadGpioSpi: ReadPipe response size incorrect. Check firmware version!" +
                    (problem.empty() ? "" : " (" + problem + ")"));
    return false;
  }
  if (!ReadBlockReply(session, block)) {
    if (!bridge.LinkLost()) bridge.MarkSilent();
    // The block keeps the values written, with the mode byte, rather than what the buffer holds.
    block[0] = session.ChainModeSetting;
    return false;
  }
  std::copy_n(bridge.ReportBuffer.begin() + kBlockInReply, block.size(), block.begin());
  block[0] = session.ChainModeSetting;
  return true;
}

}  // namespace

bool SetupBridgeIdle(Session& session) {
  return FillBlock(session, 0x00);
}

bool SetupBridgeDaisy(Session& session) {
  return FillBlock(session, 0x80);
}

bool UpdateReadGpioSpi(Session& session) {
  Bridge& bridge = session.bridge;
  const SetupBlock written = session.GpioSpiSetup;
  while (bridge.EvbConnected) {
    session.GpioSpiSetup = written;
    if (WriteAndReadBlock(session)) return true;
    // Retry opens the link again and sends the block anew; Cancel ends the set-up here.
    if (!bridge.PromptLinkRetry()) return false;
  }
  return false;
}

}  // namespace qvm
