// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qvm {

// Where samples are published: "mqtt://HOST[:PORT]/TOPIC" (port 1883) or
// "mqtts://HOST[:PORT]/TOPIC" (TLS, port 8883). The topic has no wildcards and no leading or
// trailing slash.
struct BrokerAddress {
  std::string host;
  int port = 1883;
  std::string topic;
  bool tls = false;
};

// The address of `url`; nullopt with `error` set when it is not one.
std::optional<BrokerAddress> ParseBrokerAddress(std::string_view url, std::string& error);

}  // namespace qvm
