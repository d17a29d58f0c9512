// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <string>

namespace qvm::test {

// A real MQTT broker on a free loopback port, started for one test and stopped by its PID.
// Sessions persist across Restart(), as on a broker that keeps its state on disk.
class BrokerProcess {
 public:
  BrokerProcess();
  ~BrokerProcess();
  BrokerProcess(const BrokerProcess&) = delete;
  BrokerProcess& operator=(const BrokerProcess&) = delete;

  // False, with the reason in Error(), when no broker program is installed or it never listened.
  bool Start();
  void Stop();
  bool Restart() {
    Stop();
    return Start();
  }

  int Port() const { return port_; }
  const std::string& Error() const { return error_; }

 private:
  std::string folder_;
  int port_ = 0;
  pid_t pid_ = -1;
  std::string error_;
};

// A loopback port no socket holds now.
int FreeLoopbackPort();

}  // namespace qvm::test
