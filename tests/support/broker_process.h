// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

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
  // The broker's own folder, removed with it.
  const std::string& Folder() const { return folder_; }
  // From the next Start the listener speaks TLS with this certificate and key (PEM files).
  void UseTls(const std::string& certFile, const std::string& keyFile);

 private:
  void WriteConfig();

  std::string folder_;
  int port_ = 0;
  pid_t pid_ = -1;
  std::string error_;
  std::string certFile_;
  std::string keyFile_;
};

// A loopback port no socket holds now.
int FreeLoopbackPort();

// A throwaway certificate authority made with openssl: `folder`/NAME.pem and its key NAME.key.
// False with the reason when openssl is missing or failed.
bool MakeCertificateAuthority(const std::string& folder, const std::string& name,
                              std::string& error);
// A server certificate for 127.0.0.1 signed by the authority NAME of `folder`:
// `folder`/server.pem and server.key.
bool MakeServerCertificate(const std::string& folder, const std::string& authority,
                           std::string& error);

}  // namespace qvm::test
