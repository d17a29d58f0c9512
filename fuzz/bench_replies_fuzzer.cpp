// SPDX-License-Identifier: MIT
// Any replies of the bridge board to the bench's own requests: firmware version, SPI mode and
// clock, raw SPI write read-back, I2C clock, options, transfers and address scan, and the
// port-register reads.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bench/sfr_access.h"
#include "core/clock.h"
#include "fuzz_support.h"
#include "link/bridge.h"
#include "link/i2c_settings.h"
#include "link/spi_settings.h"

namespace {

using namespace qvm;

struct Harness {
  Harness() : bus(source), bridge(bus, host, clock, view) { bridge.OpenBridge(); }

  fuzz::ByteSource source;
  fuzz::ReplayBus bus;
  QuietHost host;
  VirtualClock clock;
  ConsoleView view;
  Bridge bridge;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Harness harness;
  Bridge& bridge = harness.bridge;
  fuzz::ByteSource& in = harness.source;
  in.Reset({data, size});
  // Each step takes one request byte, then its reply from the replay board.
  for (int step = 0; step < 8 && in.Left() > 0; ++step) {
    const std::uint8_t request = in.Byte();
    const std::uint8_t argument = in.Byte();
    switch (request % 10) {
      case 0:
        (void)FirmwareVersionCaption(ReadFirmwareVersion(bridge));
        break;
      case 1:
        (void)SpiModeByte(ReadSpiMode(bridge));
        break;
      case 2: {
        const SpiClockReading clock = ReadSpiClock(bridge);
        (void)SpiClockList(clock.systemClockMhz);
        (void)SpiClockListIndex(clock.code);
        break;
      }
      case 3: {
        const I2cClockReading clock = ReadI2cClock(bridge);
        (void)I2cClockListIndex(I2cClockList(clock.baseClockMhz), clock.divider);
        break;
      }
      case 4:
        (void)ReadI2cOptions(bridge);
        break;
      case 5: {
        std::vector<std::uint8_t> read;
        const std::uint8_t address[] = {argument};
        bridge.I2cRead(0xA0, static_cast<std::uint8_t>(argument % (kI2cMaxReadBytes + 2)), address,
                       read);
        (void)PlaceReadData(argument, read.size());
        break;
      }
      case 6:
        (void)SfrRead(bridge, argument);
        break;
      case 7: {
        const std::uint8_t address[] = {argument};
        (void)ScanI2cAddresses(bridge, address, [](std::uint8_t) {});
        break;
      }
      case 8: {
        RawSpiWrite write;
        write.readBack = (argument & 1) != 0;
        write.data.assign(argument % (RawSpiWrite::kMaxDataBytes + 2), argument);
        (void)SendRawSpiWrite(bridge, write);
        break;
      }
      default:
        (void)ToggleScl(bridge, I2cOptions{(argument & 1) != 0, (argument & 2) != 0, false});
        break;
    }
  }
  return 0;
}
