// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "core/clock.h"
#include "link/hid_device.h"
#include "sim/bridge/bridge_faults.h"
#include "sim/bridge/bridge_firmware.h"
#include "sim/bridge/exchange_hook.h"
#include "sim/bridge/spi_target.h"

namespace qvm::sim {

// A simulated bridge board: takes the console's 64-byte output reports, answers them as the
// bridge firmware does (BridgeFirmware) and queues each reply until its ready time, the write
// time plus the reply latency. Works on the system clock and on a virtual one.
class SimulatedBoard final : public HidDevice {
 public:
  static constexpr std::size_t kHistoryLimit = 1024;  // output reports kept for the tests
  static constexpr std::size_t kQueueLimit = 64;      // replies queued; the oldest goes first
  static constexpr const char* kSerial = "SIM-0001";  // its USB serial number string

  // `target` (not owned) sits behind the SPI port; without one the port loops back.
  SimulatedBoard(Clock& clock, std::string path, std::uint16_t vendorId = kBridgeVendorId,
                 std::uint16_t productId = kBridgeProductId, SpiTarget* target = nullptr);
  // The same with our ids, keeping the target alive as long as the board.
  SimulatedBoard(Clock& clock, std::string path, std::shared_ptr<SpiTarget> target);

  bool Write(const Report& report) override;
  // Returns the next queued reply when it is ready within the time-out, after sleeping on the
  // clock until its ready time; otherwise sleeps the whole time-out. A negative time-out waits
  // for the next queued reply however late; with none queued it returns at once.
  ReadResult Read(Report& report, int timeoutMs) override;
  std::string LastError() const override { return lastError_; }
  bool IsSimulated() const override { return true; }

  // Its entry in the bus listing (manufacturer "Velquist", product "Simulated bridge board",
  // serial kSerial).
  HidDeviceInfo Info() const;
  const std::string& Path() const { return path_; }

  BridgeFaults& Faults() { return faults_; }
  // Consulted around every SPI packet; nothing by default.
  void SetExchangeHook(std::shared_ptr<ExchangeHook> hook) { hook_ = std::move(hook); }
  // Pulls the board out: queued replies are lost, writes fail, reads give Error and the bus no
  // longer lists it. Handles opened before an unplug stay dead after Replug.
  void Unplug();
  void Replug();
  // An unplugged board comes back by itself once the clock reaches `atMs`.
  void ScheduleReplug(std::int64_t atMs) { replugAtMs_ = atMs; }
  // Plugged in now (a scheduled replug that is due happens here).
  bool Plugged();
  // Listed on the bus, but opening it fails as a device node without permission does.
  void SetOpenDenied(bool denied) { openDenied_ = denied; }
  bool OpenDenied() const { return openDenied_; }
  // Its firmware hangs after enumeration: the board opens and takes every output report, and
  // answers none of them.
  void SetFirmwareHung(bool hung) { firmwareHung_ = hung; }
  // Counts the replugs, so that a handle can tell that it outlived its board's connection.
  std::uint64_t PlugGeneration() const { return generation_; }

  // The output reports the board received, oldest first (at most kHistoryLimit).
  const std::deque<Report>& ReceivedReports() const { return received_; }
  void ClearReceivedReports() { received_.clear(); }
  std::size_t PendingReplies() const { return queue_.size(); }

  // The firmware's settings, its EEPROM and port registers.
  BridgeFirmware& Firmware() { return firmware_; }

 private:
  struct PendingReply {
    Report report;
    std::int64_t readyMs;
  };

  bool Accept(const Report& report);
  void KeepPacketReply(const Report& reply);
  void InjectPacketFaults(const Report& request, Report& reply);
  void Queue(const Report& reply);

  Clock& clock_;
  std::string path_;
  std::uint16_t vendorId_;
  std::uint16_t productId_;
  std::shared_ptr<SpiTarget> ownedTarget_;
  BridgeFirmware firmware_;
  BridgeFaults faults_;
  std::shared_ptr<ExchangeHook> hook_;
  bool plugged_ = true;
  std::optional<std::int64_t> replugAtMs_;
  bool openDenied_ = false;
  bool firmwareHung_ = false;
  std::uint64_t generation_ = 0;
  // What a stray reply repeats: the last SPI packet reply a host waited for.
  Report lastPacketReply_;
  std::deque<PendingReply> queue_;
  std::deque<Report> received_;
  std::string lastError_;
};

}  // namespace qvm::sim
