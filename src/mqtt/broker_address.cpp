// SPDX-License-Identifier: MIT
#include "mqtt/broker_address.h"

#include <charconv>

namespace qvm {

std::optional<BrokerAddress> ParseBrokerAddress(std::string_view url, std::string& error) {
  BrokerAddress address;
  if (url.starts_with("mqtt://")) {
    url.remove_prefix(7);
  } else if (url.starts_with("mqtts://")) {
    url.remove_prefix(8);
    address.tls = true;
    address.port = 8883;
  } else {
    error = "a broker address starts with mqtt:// or mqtts://";
    return std::nullopt;
  }
  const std::size_t slash = url.find('/');
  if (slash == std::string_view::npos || slash + 1 == url.size()) {
    error = "a broker address names a topic: mqtt://HOST[:PORT]/TOPIC";
    return std::nullopt;
  }
  std::string_view hostPort = url.substr(0, slash);
  const std::string_view topic = url.substr(slash + 1);
  if (const std::size_t colon = hostPort.rfind(':'); colon != std::string_view::npos) {
    const std::string_view port = hostPort.substr(colon + 1);
    const auto [end, status] =
        std::from_chars(port.data(), port.data() + port.size(), address.port);
    if (status != std::errc{} || end != port.data() + port.size() || address.port < 1 ||
        address.port > 65535) {
      error = "the broker's port is not a number from 1 to 65535";
      return std::nullopt;
    }
    hostPort = hostPort.substr(0, colon);
  }
  if (hostPort.empty()) {
    error = "a broker address names its host";
    return std::nullopt;
  }
  if (topic.find_first_of("#+") != std::string_view::npos || topic.back() == '/' ||
      topic.find("//") != std::string_view::npos) {
    error = "the topic may hold no wildcard (# +), empty level or trailing slash";
    return std::nullopt;
  }
  address.host = hostPort;
  address.topic = topic;
  return address;
}

}  // namespace qvm
