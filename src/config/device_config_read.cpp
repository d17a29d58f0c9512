// SPDX-License-Identifier: MIT
#include "config/device_config_read.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "config/configuration_file.h"
#include "core/fixed_answer_host.h"
#include "core/hex.h"
#include "model/decoders.h"
#include "operations/balance_sequence.h"
#include "operations/bulk_reads.h"
#include "protocol/acquisition.h"
#include "protocol/register_access.h"
#include "records/local_file_system.h"
#include "records/record_channel.h"
#include "records/record_paths.h"

namespace qvm {

namespace {

constexpr int kSetupPage = 2;
constexpr int kBalanceValueFirst = 0xA0;
constexpr int kBalanceValueCount = 24;
constexpr std::size_t kNamedInProblem = 3;

// Registers of the file besides the balance values, by device type.
constexpr int kPrimaryRegisters[] = {0x83, 0x85, 0x90, 0x91, 0x92, kRegBalanceSetup,
                                     0x95, 0x96, 0x97};
constexpr int kCompanionRegisters[] = {0x83, 0x85, 0x96, 0x97};

int DevicesInFile(const Session& session, int type) {
  const int count = type == 0 ? session.state.DeviceCount52400 : session.state.DeviceCount52401;
  if (count <= 0) return 0;
  return std::clamp(session.state.DaisyChainMode ? count : 1, 0, kDevicesPerType - 1);
}

DeviceCommand ReadCommand(const ConfigRegister& r) {
  DeviceCommand command;
  command.dev = static_cast<std::uint8_t>(r.dev);
  command.devType = static_cast<std::int16_t>(r.type);
  command.cat = kSetupPage;
  command.adr = static_cast<std::uint8_t>(r.reg & 0x3F);
  return command;
}

// Reads the banks of a primary device and writes its balance setup register back as it was.
void ReadBanks(Session& session, int dev) {
  if (session.image.Stale(0, dev, kRegBalanceSetup) ||
      session.image.ReadIn(0, dev, kRegBalanceSetup) == 0) {
    return;
  }
  const std::int16_t setup = session.image.at(0, dev, kRegBalanceSetup);
  for (int bank = 0; bank < kBalanceBanks; ++bank) ReadBalanceBankOf(session, dev, bank);
  DeviceCommand restore = ReadCommand({0, dev, kRegBalanceSetup});
  restore.dat = setup;
  WriteSingleReg(session, restore);
  if (WriteAcknowledged(session, dev)) {
    session.image.StoreWritten(0, dev, kRegBalanceSetup, setup);
  } else {
    session.image.MarkStale(0, dev, kRegBalanceSetup);
  }
}

std::string PartDevice(const Session& session, int type, int dev) {
  return session.state.PartName(type) + " device " + std::to_string(dev);
}

}  // namespace

std::vector<ConfigRegister> ConfigRegisters(const Session& session) {
  std::vector<ConfigRegister> registers;
  for (int dev = 1; dev <= DevicesInFile(session, 0); ++dev) {
    for (const int reg : kPrimaryRegisters) registers.push_back({0, dev, reg});
    for (int k = 0; k < kBalanceValueCount; ++k) {
      registers.push_back({0, dev, kBalanceValueFirst + k});
    }
  }
  for (int dev = 1; dev <= DevicesInFile(session, 1); ++dev) {
    for (const int reg : kCompanionRegisters) registers.push_back({1, dev, reg});
  }
  return registers;
}

std::vector<std::string> UnknownConfigValues(const Session& session) {
  std::vector<std::string> unknown;
  for (const ConfigRegister& r : ConfigRegisters(session)) {
    if (session.image.Known(r.type, r.dev, r.reg) && !session.image.Stale(r.type, r.dev, r.reg)) {
      continue;
    }
    unknown.push_back(PartDevice(session, r.type, r.dev) + " register " +
                      Hex0x(static_cast<std::uint32_t>(r.reg), 2));
  }
  for (int dev = 1; dev <= DevicesInFile(session, 0); ++dev) {
    for (int bank = 0; bank < kBalanceBanks; ++bank) {
      if (session.state
              .BalanceStatusKnown[static_cast<std::size_t>(dev)][static_cast<std::size_t>(bank)]) {
        continue;
      }
      unknown.push_back(PartDevice(session, 0, dev) + " balance bank " + std::to_string(bank));
    }
  }
  return unknown;
}

void ReadDeviceConfig(Session& session) {
  if (!session.bridge.EvbConnected) return;
  const Acquisition read(session);
  ReadAllFaults(session);
  ReadAllSetups(session);
  for (const ConfigRegister& r : ConfigRegisters(session)) {
    if (read.Fresh(r.type, r.dev, r.reg)) continue;
    DeviceCommand command = ReadCommand(r);
    ReadSingleReg(session, command);
  }
  for (int dev = 1; dev <= DevicesInFile(session, 0); ++dev) ReadBanks(session, dev);
}

bool SaveConfigurationTo(Session& session, RecordFileSystem& files, const std::string& path,
                         std::string& problem) {
  const std::string target = files.FileExists(path) ? path : WithDefaultExtension(path, "txt");
  if (const auto missing = DanglingLinkTarget(target)) {
    problem = target + " is a symbolic link to " + *missing + ", which does not exist";
    return false;
  }
  ReadDeviceConfig(session);
  const std::vector<std::string> unknown = UnknownConfigValues(session);
  if (!unknown.empty()) {
    problem = std::to_string(unknown.size()) + " values could not be read (";
    for (std::size_t i = 0; i < std::min(unknown.size(), kNamedInProblem); ++i) {
      problem += (i == 0 ? "" : ", ") + unknown[i];
    }
    problem += unknown.size() > kNamedInProblem ? ", ...)" : ")";
    return false;
  }
  const std::string partial = target + ".partial";
  FixedAnswerHost answer(session.host);
  answer.SetAnswer(partial);
  RecordChannel channel(kConfigExportChannel, answer, files, session.bridge.MessageTitle);
  std::error_code ec;
  if (!SaveDeviceConfig(session, channel)) {
    std::filesystem::remove(partial, ec);
    problem = "the file could not be written";
    return false;
  }
  std::filesystem::rename(partial, target, ec);
  if (ec) {
    std::filesystem::remove(partial, ec);
    problem = "the file could not be renamed to " + target + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace qvm
