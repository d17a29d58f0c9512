// SPDX-License-Identifier: MIT
#include "broker_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
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
  WriteConfig();
}

void BrokerProcess::WriteConfig() {
  std::ofstream config(folder_ + "/broker.conf");
  config << "listener " << port_ << " 127.0.0.1\n"
         << "allow_anonymous true\n"
         << "persistence true\n"
         << "persistence_location " << folder_ << "/\n"
         << "log_dest none\n";
  if (!certFile_.empty()) {
    config << "certfile " << certFile_ << "\n"
           << "keyfile " << keyFile_ << "\n";
  }
}

void BrokerProcess::UseTls(const std::string& certFile, const std::string& keyFile) {
  certFile_ = certFile;
  keyFile_ = keyFile;
  WriteConfig();
}

namespace {

// Runs `args` with its output thrown away; true when it exits 0.
bool RunQuietly(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The broker reads its certificate files as its own user.
void MakeReadable(const std::string& folder, const std::string& name) {
  for (const char* suffix : {".pem", ".key"}) chmod((folder + "/" + name + suffix).c_str(), 0644);
}

}  // namespace

bool MakeCertificateAuthority(const std::string& folder, const std::string& name,
                              std::string& error) {
  const std::string stem = folder + "/" + name;
  if (!RunQuietly({"openssl",
                   "req",
                   "-x509",
                   "-newkey",
                   "ec",
                   "-pkeyopt",
                   "ec_paramgen_curve:prime256v1",
                   "-nodes",
                   "-keyout",
                   stem + ".key",
                   "-out",
                   stem + ".pem",
                   "-days",
                   "2",
                   "-subj",
                   "/CN=qvm test authority " + name,
                   "-addext",
                   "basicConstraints=critical,CA:TRUE",
                   "-addext",
                   "keyUsage=critical,keyCertSign,cRLSign"})) {
    error = "openssl could not make a certificate authority (is openssl installed?)";
    return false;
  }
  MakeReadable(folder, name);
  return true;
}

bool MakeServerCertificate(const std::string& folder, const std::string& authority,
                           std::string& error) {
  const std::string stem = folder + "/server";
  {
    std::ofstream extensions(stem + ".ext");
    extensions << "subjectAltName=IP:127.0.0.1\n"
               << "extendedKeyUsage=serverAuth\n";
  }
  if (!RunQuietly({"openssl", "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                   "-nodes", "-keyout", stem + ".key", "-out", stem + ".csr", "-subj",
                   "/CN=127.0.0.1"}) ||
      !RunQuietly({"openssl", "x509", "-req", "-in", stem + ".csr", "-CA",
                   folder + "/" + authority + ".pem", "-CAkey", folder + "/" + authority + ".key",
                   "-CAcreateserial", "-out", stem + ".pem", "-days", "2", "-extfile",
                   stem + ".ext"})) {
    error = "openssl could not make the server's certificate";
    return false;
  }
  MakeReadable(folder, "server");
  return true;
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
