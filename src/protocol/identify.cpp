// SPDX-License-Identifier: MIT
#include "protocol/identify.h"

#include <optional>

#include "core/hex.h"
#include "protocol/board_init.h"
#include "protocol/command_frame.h"
#include "protocol/device_command.h"
#include "protocol/identify_exchange.h"
#include "protocol/procedure_trap.h"

namespace qvm {

namespace {

constexpr const char* kDaisy = "IdentifyDaisyChain";
constexpr const char* kSingle = "IdentifyNonDaisyChain";
constexpr std::int64_t kSettleMs = 50;
constexpr int kAttempts = 3;
constexpr int kBottomTries = 3;
// Reads that may confirm the top device before it is taken for absent.
constexpr int kConfirmTries = 3;

// User register for the presence test and the serial number registers (page 2).
constexpr std::uint8_t kUserPage = 2;
constexpr std::uint8_t kAdrUser = 22;
constexpr std::uint8_t kAdrSerialLow = 27;
constexpr std::uint8_t kAdrSerialHigh = 28;
constexpr int kUserRegister = kUserPage * 64 + kAdrUser;
constexpr std::int16_t kTestPattern = 0x3A5A;
constexpr std::int16_t kDataMask = 0x3FFF;

// Identify response data bits 13..12.
constexpr int kMiddleDevice = 3;
constexpr int kTopDevice = 2;

std::int16_t& DeviceCount(Session& session, int devType) {
  return devType != 0 ? session.state.DeviceCount52401 : session.state.DeviceCount52400;
}

// The identify protocol of one device type. Every exchange yields the reply's first frame, or
// nothing when the chain gave no usable one; a bridge that does not answer ends the procedure.
class DaisyIdentifier {
 public:
  DaisyIdentifier(Session& session, int devType)
      : session_(session),
        type_(devType),
        name_(session.state.PartName(devType)),
        exchange_(session, devType, kDaisy) {}

  void Run() {
    if (type_ != 0 && type_ != 1) {
      Log("unknown device specified.");
      return;
    }
    session_.ChainIdentified[static_cast<std::size_t>(type_)] = false;
    for (int attempt = 0;; ++attempt) {
      if (attempt == kAttempts) {
        Log(name_ + " responded incorrectly to Identify command");
        return;
      }
      if (attempt > 0) {
        if (!Reset()) return;
        Settle();
      }
      if (RunAttempt() == Outcome::Done) return;
    }
  }

 private:
  enum class Outcome { Done, Restart };

  Outcome RunAttempt() {
    if (!IdentifyBottom()) return Outcome::Done;
    int n = 2;
    for (; n <= kMaxChainDevices; ++n) {
      Log("Sending Identify Device " + std::to_string(n) + " command to " + name_);
      const auto response = Send(kCommandPage, kAdrIdentify, static_cast<std::int16_t>(n), 0, n);
      if (exchange_.Failed()) return Outcome::Done;
      if (!response) return Outcome::Restart;
      if (!IsCommand(*response, kAdrIdentify)) {
        exchange_.RecordUnrecognized();
        continue;
      }
      const int position = (response->dat >> 12) & 3;
      if (position != kMiddleDevice && position != kTopDevice) {
        exchange_.RecordUnrecognized();
        return Outcome::Restart;
      }
      if (position == kMiddleDevice) {
        Count() = static_cast<std::int16_t>(n);
        continue;
      }
      const bool present = DeviceAnswers(n);
      if (exchange_.Failed()) return Outcome::Done;
      if (!present) {
        Log(name_ + " device " + std::to_string(n) + " did not answer; device " +
            std::to_string(n - 1) + " is the top device");
        --n;
      }
      Count() = static_cast<std::int16_t>(n);
      break;
    }
    const auto closing = Send(kCommandPage, kAdrIdentify, kIdentifyClose, 0, Count());
    if (exchange_.Failed()) return Outcome::Done;
    if (closing && IsCommand(*closing, kAdrAck)) {
      Log("Found " + std::to_string(Count()) + " " + name_ + " devices");
      session_.ChainIdentified[static_cast<std::size_t>(type_)] = true;
      return Outcome::Done;
    }
    if (closing) exchange_.RecordUnrecognized();
    return Outcome::Restart;
  }

  // Identify 0 until the bottom device acknowledges; false when the procedure ends.
  bool IdentifyBottom() {
    for (int k = 1; k <= kBottomTries; ++k) {
      Log("Sending Identify command to " + name_);
      const auto response = Send(kCommandPage, kAdrIdentify, 0, 0, 1);
      if (exchange_.Failed()) return false;
      if (response && IsCommand(*response, kAdrAck)) {
        Count() = 1;
        return true;
      }
      if (response) exchange_.RecordUnrecognized();
      if (k == kBottomTries) {
        Log(name_ + " did not respond with ACK");
        return false;
      }
      Settle();
      if (!Reset()) return false;
      Settle();
    }
    return false;
  }

  // Whether device n answers a read addressed to it, which only a device numbered n does. The
  // top device's echo alone does not prove it: a lone device answers Identify 2 as the top.
  // Silence is the answer of a device that is not there, so it is not recorded as a fault.
  bool DeviceAnswers(int n) {
    for (int k = 1; k <= kConfirmTries; ++k) {
      const auto answer = Send(kUserPage, kAdrUser, 0, static_cast<std::uint8_t>(n), 0);
      if (exchange_.Failed()) return false;
      if (answer && answer->dev == n && answer->RegisterIndex() == kUserRegister) return true;
      if (answer) exchange_.RecordUnrecognized();
    }
    return false;
  }

  bool Reset() {
    Log("Sending RESET command to " + name_);
    Send(kCommandPage, kAdrReset, 0, 1, 0);
    return !exchange_.Failed();
  }

  void Settle() { WaitMs(session_, kSettleMs); }

  std::optional<DeviceCommand> Send(std::uint8_t cat, std::uint8_t adr, std::int16_t dat,
                                    std::uint8_t dev, int answerer) {
    DeviceCommand command;
    command.dev = dev;
    command.cat = cat;
    command.adr = adr;
    command.dat = dat;
    return exchange_.Send(command, answerer);
  }

  std::int16_t& Count() { return DeviceCount(session_, type_); }

  static bool IsCommand(const DeviceCommand& response, std::uint8_t adr) {
    return (response.cat & 7) == kCommandPage && response.adr == adr;
  }

  void Log(const std::string& text) { session_.LogLine(std::string(kDaisy) + ": " + text); }

  Session& session_;
  int type_;
  std::string name_;
  IdentifyExchange exchange_;
};

class SingleIdentifier {
 public:
  SingleIdentifier(Session& session, int devType)
      : session_(session), type_(devType), name_(session.state.PartName(devType)) {}

  void Run() {
    if (type_ != 0 && type_ != 1) {
      Log("unknown device specified.");
      return;
    }
    session_.ChainIdentified[static_cast<std::size_t>(type_)] = false;
    Log("Testing " + name_ + " user register.");
    std::int16_t saved = 0;
    if (!Read(kAdrUser, saved)) return PipeError();
    saved &= kDataMask;
    if (!Write(kAdrUser, kTestPattern)) return PipeError();
    std::int16_t readBack = 0;
    const bool readOk = Read(kAdrUser, readBack);
    // The test pattern never stays behind, even when the read-back failed.
    const bool restored = Write(kAdrUser, saved);
    if (!readOk || !restored) return PipeError();
    if (readBack != kTestPattern) {
      Log(name_ + " not found");
      return;
    }
    Log("Reading 28-bit " + name_ + " serial number.");
    std::int16_t low = 0;
    std::int16_t high = 0;
    if (!Read(kAdrSerialLow, low) || !Read(kAdrSerialHigh, high)) return PipeError();
    const std::uint32_t serial = static_cast<std::uint32_t>(low & kDataMask) +
                                 static_cast<std::uint32_t>(high & kDataMask) * 16384u;
    Log("Found " + name_ + "serial number = " + Hex0x(serial, 8));
    DeviceCount(session_, type_) = 1;
    session_.ChainIdentified[static_cast<std::size_t>(type_)] = true;
  }

 private:
  bool Exchange(DeviceCommand& command) {
    command.devType = static_cast<std::int16_t>(type_);
    return SendCommandFrame(session_, command) && session_.exchange.ReplyCount > 4;
  }

  bool Read(std::uint8_t adr, std::int16_t& value) {
    DeviceCommand command;
    command.cat = kUserPage;
    command.adr = adr;
    if (!Exchange(command)) return false;
    value = command.dat;
    return true;
  }

  bool Write(std::uint8_t adr, std::int16_t value) {
    DeviceCommand command;
    command.cat = kUserPage | 0x8;
    command.adr = adr;
    command.dat = value;
    return Exchange(command);
  }

  void PipeError() {
    Log(name_ + " pipe communication error");
    session_.faults.RecordPipeComError();
  }

  void Log(const std::string& text) { session_.LogLine(std::string(kSingle) + ": " + text); }

  Session& session_;
  int type_;
  std::string name_;
};

}  // namespace

void IdentifyDaisyChain(Session& session, int devType) {
  RunTrapped(session, kDaisy, [&] { DaisyIdentifier(session, devType).Run(); });
}

void IdentifyNonDaisyChain(Session& session, int devType) {
  RunTrapped(session, kSingle, [&] { SingleIdentifier(session, devType).Run(); });
}

}  // namespace qvm
