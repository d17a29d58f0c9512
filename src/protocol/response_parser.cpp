// SPDX-License-Identifier: MIT
#include "protocol/response_parser.h"

#include <algorithm>
#include <span>

#include "core/hex.h"
#include "protocol/command_frame.h"
#include "protocol/exchange_target.h"
#include "protocol/procedure_trap.h"
#include "protocol/traffic_line.h"

namespace qvm {

namespace {

constexpr const char* kDaisyParser = "ParseDaisyChainResponse";
constexpr const char* kSingleParser = "ParseNonDaisyChainResponse";
// A response frame at offset p starts at reply byte 4 + p.
constexpr int kFrameBase = 4;
constexpr std::size_t kSingleValueByte = 7;

struct BlockEntry {
  int devType;
  int cat;
  int adr;
  BlockRead block;
};

constexpr BlockEntry kBlockReads[] = {
    {0, 1, 15, {12, 13}}, {0, 1, 31, {22, 7}}, {0, 2, 15, {6, 7}},
    {0, 2, 31, {29, 14}}, {1, 2, 15, {5, 5}},  {1, 2, 31, {29, 7}},
};

Led AckLed(int type) {
  return type != 0 ? Led::Ack52401 : Led::Ack52400;
}
Led NackLed(int type) {
  return type != 0 ? Led::Nack52401 : Led::Nack52400;
}
Led FaultLed(int type) {
  return type != 0 ? Led::Fault52401 : Led::Fault52400;
}

// Block-mode bookkeeping of one reply: which frame opens the block and how many 3-byte words
// still follow it.
struct BlockTracker {
  bool active = false;
  int type = 0;
  int dev = 0;
  int cat = 0;
  int firstAddress = 0;
  int words = 0;
  int remaining = 0;

  // True between the block's first frame and its last word.
  bool open = false;

  // Returns the size of the next frame after `frame` (4 or 3 bytes).
  int Advance(int frameType, const DeviceCommand& frame, int size) {
    if (!active) return 4;
    if (size == 4) {
      if (frameType == type && frame.dev == dev && frame.cat == cat && frame.adr == firstAddress) {
        remaining = words - 1;
        open = remaining > 0;
        if (open) return 3;
        active = false;
      }
      return 4;
    }
    if (--remaining > 0) return 3;
    active = false;
    open = false;
    return 4;
  }
};

void RecordNewFaults(Session& session) {
  for (int dev = 0; dev < kDevicesPerType; ++dev) {
    for (int type = 0; type < kDeviceTypes; ++type) {
      const std::int16_t previous = session.PrevFaultStatus[type][dev];
      const std::int16_t current = session.image.at(type, dev, kRegFaultStatus);
      if ((current & ~previous) == 0) continue;
      for (int bit = 0; bit < kBitsPerRegister; ++bit) {
        const std::int16_t mask = BitMask[static_cast<std::size_t>(bit)];
        if ((previous & mask) == 0 && (current & mask) != 0) {
          session.faults.RecordFaultStatus(
              session.state.PartName(type) + " device " + std::to_string(dev) + " " +
              session.model.BitName(type, kRegFaultStatus, bit) + " Fault");
        }
      }
    }
    for (int type = 0; type < kDeviceTypes; ++type) {
      session.PrevFaultStatus[type][dev] = session.image.at(type, dev, kRegFaultStatus);
    }
  }
}

// Records the expected answers the reply lacks, unless a NAK already marked the reply.
void CheckExpectedAnswers(Session& session, const std::string& name) {
  ReplyOutcome& outcome = session.LastReply;
  outcome.missing = static_cast<std::uint16_t>(session.target.devices & ~outcome.answered);
  if (outcome.missing == 0 || outcome.nack) return;
  std::string devices;
  int count = 0;
  for (int d = 1; d < kDevicesPerType; ++d) {
    if ((outcome.missing & (1u << d)) == 0) continue;
    devices += (count++ == 0 ? "" : ", ") + std::to_string(d);
  }
  const std::string text = name + (count == 1 ? " device " : " devices ") + devices;
  session.LogLine(std::string(kDaisyParser) + ": " + text + " no acknowledge");
  session.faults.RecordNoAcknowledge(text);
}

void ParseDaisyFrames(Session& session, const DeviceCommand& command, const std::string& prefix) {
  const Report& reply = session.bridge.ReportBuffer;
  const int replyCount = session.exchange.ReplyCount;
  const std::vector<std::uint8_t>& sent = session.exchange.FrameBuffer;
  const int type = sent.empty() ? 0 : (sent[0] >> 6) & 1;
  const std::string& name = session.state.PartName(type);

  BlockTracker block;
  const int commandType = TypeIndex(command.devType);
  if (session.model.RegKind(commandType, command.RegisterIndex()) == kKindBlockRead) {
    const BlockRead table = BlockReadFor(commandType, command.cat, command.adr);
    block = {true, commandType, command.dev, command.cat, table.firstAddress, table.words, 0};
  }

  DeviceCommand frame;
  int p = 1;
  int d = 4;
  while (p + d <= replyCount) {
    const std::size_t first = static_cast<std::size_t>(kFrameBase + p);
    if (first + static_cast<std::size_t>(d) > reply.size()) {
      // The reply count claims more bytes than a report holds.
      session.LogLine(std::string(kDaisyParser) + ": " + name + " unrecognized response");
      session.LastReply.unrecognized = true;
      session.faults.RecordUnrecognizedResponse();
      return;
    }
    const bool crcGood = DecodeDaisyResponse(
        frame, std::span<const std::uint8_t>(reply).subspan(first, static_cast<std::size_t>(d)));
    if (session.view.ShowActivityLogs()) {
      session.LogLine(TrafficLine{prefix, name, frame.dev, frame.cat, frame.adr, frame.dat, 4});
    }
    if (!crcGood) {
      session.LogLine(std::string(kDaisyParser) + ": " + name + " CRC4 checksum error");
      session.LastReply.crcError = true;
      session.faults.RecordCrc4Error();
      return;
    }
    p += d;

    const int m = frame.RegisterIndex();
    if (m == kRegAck) session.view.SetLed(AckLed(type), Colour::Green);
    if (m == kRegNak) {
      session.LastReply.nack = true;
      session.faults.RecordNackResponse(session.exchange.TraceSent, session.exchange.TraceReceived);
      session.view.SetLed(NackLed(type), Colour::Green);
    }
    if (m == kRegFaultStatus && frame.dat != 0) session.view.SetLed(FaultLed(type), Colour::Red);

    const bool blockWasOpen = block.open;
    d = block.Advance(type, frame, d);
    // A device has answered once its frame, or the last word of its block, has come.
    if (!block.open && frame.dev < kDevicesPerType) {
      session.LastReply.answered =
          static_cast<std::uint16_t>(session.LastReply.answered | (1u << frame.dev));
      if (type == commandType && frame.dev == command.dev &&
          (blockWasOpen || frame.RegisterIndex() == command.RegisterIndex())) {
        session.LastReply.requestAnswered = m != kRegNak;
        session.LastReply.requestValue = frame.dat;
      }
    }

    if (IsReadableKind(session.model.RegKind(type, m))) {
      session.image.StoreRead(type, frame.dev, m, frame.dat, session.exchangeNumber,
                              session.clock.NowMs());
    }
    if (session.view.UpdateGuiControls() && type == session.state.SelectedDeviceType &&
        frame.dev == session.state.SelectedDevice) {
      RefreshRegisterSlots(session, m, frame.dat);
    }
  }

  CheckExpectedAnswers(session, name);
  if (session.view.UpdateGuiControls()) RequestStatusRefresh(session);
  RecordNewFaults(session);
}

void ParseSingleReply(Session& session, DeviceCommand& command, const std::string& prefix) {
  command.dev = 1;
  const int type = TypeIndex(command.devType);
  const int m = command.RegisterIndex();
  const std::string& name = session.state.PartName(type);
  if (IsReadableKind(session.model.RegKind(type, m)) || m == kRegAlwaysData) {
    if (session.exchange.ReplyCount < 5) {
      session.LogLine(std::string(kSingleParser) + ": " + name + " unrecognized response");
      session.LastReply.unrecognized = true;
      session.faults.RecordUnrecognizedResponse();
      return;
    }
    const Report& reply = session.bridge.ReportBuffer;
    command.dat = static_cast<std::int16_t>((reply[kSingleValueByte] & 0x3F) * 256 +
                                            reply[kSingleValueByte + 1]);
    session.LastReply.requestAnswered = true;
    session.LastReply.requestValue = command.dat;
    session.image.StoreRead(type, 1, m, command.dat, session.exchangeNumber, session.clock.NowMs());
    if (type == session.state.SelectedDeviceType) RefreshRegisterSlots(session, m, command.dat);
    session.LogLine(
        TrafficLine{prefix, name, std::nullopt, command.cat, command.adr, command.dat, 4});
  }
  RefreshStatusDisplays(session.view);
}

}  // namespace

void RequestStatusRefresh(Session& session) {
  if (session.statusRefreshBatches > 0) {
    session.statusRefreshPending = true;
  } else {
    RefreshStatusDisplays(session.view);
  }
}

StatusRefreshBatch::StatusRefreshBatch(Session& session) : session_(session) {
  ++session_.statusRefreshBatches;
}

StatusRefreshBatch::~StatusRefreshBatch() {
  if (--session_.statusRefreshBatches > 0 || !session_.statusRefreshPending) return;
  session_.statusRefreshPending = false;
  RefreshStatusDisplays(session_.view);
}

void RefreshStatusDisplays(ProtocolView& view) {
  if (view.MainTabDeviceStatusVisible()) view.UpdateMainTabDeviceStatusControls();
  if (view.MonitorTabVisible()) view.UpdateMonitorTabControls();
}

BlockRead BlockReadFor(int devType, int cat, int adr) {
  for (const BlockEntry& entry : kBlockReads) {
    if (entry.devType == devType && entry.cat == (cat & 7) && entry.adr == adr) {
      return entry.block;
    }
  }
  return {};
}

void RefreshRegisterSlots(Session& session, int address, std::int16_t value) {
  const int tab = session.view.SelectedTab();
  if (tab < 0 || tab >= kMaxTabs) return;
  const RegisterTables& tables =
      session.model.type[static_cast<std::size_t>(TypeIndex(session.state.SelectedDeviceType))];
  const auto& slots = tables.TabRegister[static_cast<std::size_t>(tab)];
  for (int slot = 0; slot < kSlotsPerTab; ++slot) {
    if (slots[static_cast<std::size_t>(slot)] == address &&
        session.view.RegisterSlotVisible(slot)) {
      session.view.ShowRegisterSlot(slot, HexDigits(static_cast<std::uint16_t>(value), 4));
    }
  }
}

void ParseDaisyChainResponse(Session& session, const DeviceCommand& command,
                             const std::string& prefix) {
  RunTrapped(session, kDaisyParser, [&] { ParseDaisyFrames(session, command, prefix); });
  SettleExchange(session);
}

void ParseNonDaisyChainResponse(Session& session, DeviceCommand& command,
                                const std::string& prefix) {
  RunTrapped(session, kSingleParser, [&] { ParseSingleReply(session, command, prefix); });
  SettleExchange(session);
}

}  // namespace qvm
