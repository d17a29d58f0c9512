// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/host.h"
#include "link/bridge.h"
#include "link/hid_device.h"
#include "link/packet_exchange.h"
#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "protocol/com_error_tap.h"
#include "protocol/fault_recorder.h"
#include "protocol/polling_timer.h"
#include "protocol/protocol_view.h"
#include "protocol/reply_outcome.h"
#include "protocol/traffic_line.h"

namespace qvm {

// SPI settings of the bridge board, as they travel in the set-up block.
struct SpiSettings {
  std::uint8_t SpiClockCode = 2;
  // Twice the daisy-chain response time-out in microseconds, high and low byte.
  std::uint8_t SpiTimeoutHigh = 0x29;
  std::uint8_t SpiTimeoutLow = 0x30;
};

// The bridge set-up block (command 20): GPIO set-up with the chain mode in byte 0 and the
// daisy-chain bit in byte 4, SPI clock code in byte 6, SPI time-out in bytes 7 and 8.
using SetupBlock = std::array<std::uint8_t, 9>;
inline constexpr SetupBlock kInitialSetupBlock = {0xFF, 0xFF, 0x80, 0x03, 0x00,
                                                  0x00, 2,    0x29, 0x30};

// Mode byte of the configuration: bits 4..3 select the chain mode.
inline constexpr std::uint8_t kModeSingleDevice = 0x00;
inline constexpr std::uint8_t kModeDaisyChain = 0x08;
inline constexpr std::uint8_t kModeMask = 0x18;

// Fault status word per device type and device number after the previous daisy-chain reply.
using FaultStatusTable = std::array<std::array<std::int16_t, kDevicesPerType>, kDeviceTypes>;

// The core's single-instance state for one console: the link, the exchange, the register model
// and image, the shared state record and the protocol's own settings, together with the outside
// world they talk to. The program creates one; tests create a fresh one per case.
class Session {
 public:
  Session(HidBus& bus, Host& host, Clock& clock, ProtocolView& view, FaultRecorder& faults,
          PollingTimer& polling);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // What the exchange under way is to bring, and what the last reply brought.
  ExchangeTarget target;
  ReplyOutcome LastReply;
  // Device exchanges sent so far; the register image stamps each value read with the number of
  // the exchange that brought it.
  std::uint32_t exchangeNumber = 0;
  // Status refreshes asked for while a StatusRefreshBatch runs wait for its end.
  int statusRefreshBatches = 0;
  bool statusRefreshPending = false;
  // Counts communication errors for the acquisitions open and passes every record on.
  ComErrorTap faultTap;

  Host& host;
  Clock& clock;
  ProtocolView& view;
  // Where the protocol reports errors and faults: the tap in front of the program's recorder.
  FaultRecorder& faults;
  PollingTimer& polling;

  Bridge bridge;
  ExchangeState exchange;
  PacketExchange packets;
  RegisterModel model;
  RegisterImage image;
  SharedState state;

  SetupBlock GpioSpiSetup = kInitialSetupBlock;
  SpiSettings spi;
  std::uint8_t ChainModeSetting = kModeSingleDevice;
  FaultStatusTable PrevFaultStatus{};
  // Per device type: the last identification ran to its end, so its device count holds.
  std::array<bool, kDeviceTypes> ChainIdentified{};

  // Appends `text` and CR LF to the activity log.
  void LogLine(std::string_view text);
  // The same for a traffic line, written where the last line was: no allocation per line.
  void LogLine(const TrafficLine& line);
  // The activity-log line being written; its storage serves every line.
  std::string logLine;
};

}  // namespace qvm
