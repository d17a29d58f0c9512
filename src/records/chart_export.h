// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/host.h"
#include "model/value_format.h"
#include "records/chart_store.h"
#include "records/record_channel.h"

namespace qvm {

// Devices in the export: the primary devices of the chain in daisy-chain mode (at most the 15
// the store holds), else the single device 1.
int ChartExportDeviceCount(const SharedState& state);

// "TimeStamp,Elapsed(min),ComErrors," and the columns of devices 1..`devices`, each field
// followed by a comma.
std::string ChartExportHeader(int devices);

// The ComErrors field of a flag word: "NoACK_", "CRCErr_", "BadResponse_", "NackResponse_",
// "PipeComErr_" for the set bits, in that order.
std::string ComErrorCodes(std::uint16_t flags);
// The flag word of a ComErrors field; nullopt when the field holds anything but those codes.
std::optional<std::uint16_t> ComErrorFlags(std::string_view codes);

// The data line of stored sample `sample`.
std::string ChartExportRow(const ChartStore& store, int sample, int devices, char decimalSeparator);
// The same line appended to `out` (no line end), for writers that gather many rows.
void AppendChartExportRow(std::string& out, const ChartStore& store, int sample, int devices,
                          char decimalSeparator);

// Writes the whole store through the chart export channel, with "." as decimal separator so
// that no number splits a comma-separated field. An unopened file shows the cancellation
// message; a failed write ends the export there (the channel has warned). The rows go out in
// blocks of about a megabyte. True when every line was written and the file closed.
bool ExportCSV(const ChartStore& store, RecordChannel& channel, Host& host,
               const std::string& messageTitle, char decimalSeparator = '.');

}  // namespace qvm
