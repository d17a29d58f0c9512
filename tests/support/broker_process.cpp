// SPDX-License-Identifier: MIT
#include "broker_process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace qvm::test {

namespace {

constexpr const char* kBrokerProgram = "/usr/sbin/mosquitto";

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = Loopback(port);
  const bool connected =
      connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

}  // namespace

int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t size = sizeof address;
  bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

BrokerProcess::BrokerProcess() : port_(FreeLoopbackPort()) {
  char pattern[] = "/tmp/qvm-broker-XXXXXX";
  folder_ = mkdtemp(pattern);
  // A broker started as root runs as its own user, which must be able to write its state here.
  chmod(folder_.c_str(), 0777);
  std::ofstream config(folder_ + "/broker.conf");
  config << "listener " << port_ << " 127.0.0.1\n"
         << "allow_anonymous true\n"
         << "persistence true\n"
         << "persistence_location " << folder_ << "/\n"
         << "log_dest none\n";
}

BrokerProcess::~BrokerProcess() {
  Stop();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

bool BrokerProcess::Start() {
  if (access(kBrokerProgram, X_OK) != 0) {
    error_ = std::string(kBrokerProgram) + " is not installed";
    return false;
  }
  const std::string config = folder_ + "/broker.conf";
  char* const argv[] = {const_cast<char*>(kBrokerProgram), const_cast<char*>("-c"),
                        const_cast<char*>(config.c_str()), nullptr};
  if (posix_spawn(&pid_, kBrokerProgram, nullptr, nullptr, argv, environ) != 0) {
    pid_ = -1;
    error_ = "the broker could not be started";
    return false;
  }
  for (int i = 0; i < 500; ++i) {
    if (Accepts(port_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds{10});
  }
  error_ = "the broker did not listen on port " + std::to_string(port_);
  Stop();
  return false;
}

void BrokerProcess::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace qvm::test
