// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "broker_process.h"
#include "run_qvmctl.h"
#include "subscriber.h"

namespace qvm::test {
namespace {

using cli::Qvmctl;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The message of a tick is its --json line with the rig, the board and the chain added.
TEST(QvmctlMqtt, EveryTickIsPublishedAsItsJsonLine) {
  BrokerProcess broker;
  ASSERT_TRUE(broker.Start()) << broker.Error();
  Subscriber subscriber(broker.Port(), "lab/#");
  ASSERT_TRUE(subscriber.WaitSubscribed());
  const std::string url = "mqtt://127.0.0.1:" + std::to_string(broker.Port()) + "/lab/rig1";
  const cli::CliRun run =
      Qvmctl({"--sim", "daisy:52400x3", "--json", "poll", "5", "--interval", "20", "--scan", "all",
              "--read", "volts", "--mqtt", url, "--rig", "rig1"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> ticks = Lines(run.out);
  ASSERT_EQ(ticks.size(), 5u);
  const auto received = subscriber.WaitFor(
      [](const std::vector<Received>& r) {
        return std::count_if(r.begin(), r.end(),
                             [](const Received& m) { return m.topic == "lab/rig1"; }) >= 5;
      },
      std::chrono::seconds{5});
  std::vector<std::string> samples;
  for (const Received& m : received) {
    if (m.topic == "lab/rig1") samples.push_back(m.payload);
  }
  ASSERT_EQ(samples.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(samples[i],
              ticks[i].substr(0, ticks[i].size() - 1) +
                  ",\"rig\":\"rig1\",\"board\":\"SIM-0001\",\"chain\":\"daisy:52400x3\"}");
  }
}

// Without a broker the poll and its CSV go on; the exit status says samples were not delivered.
TEST(QvmctlMqtt, AnAbsentBrokerCostsThePollNothingButItsExitStatus) {
  const std::string csv = ::testing::TempDir() + "qvmctl_mqtt.csv";
  const std::string url = "mqtt://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/lab/rig1";
  const cli::CliRun run = Qvmctl({"--sim", "daisy:52400x3", "poll", "4", "--interval", "20",
                                  "--read", "volts", "--csv", csv, "--mqtt", url});
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.err.find("warning: the broker " + url + " does not answer"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("4 samples were not delivered"), std::string::npos) << run.err;
  std::ifstream file(csv);
  std::string line;
  int lines = 0;
  while (std::getline(file, line)) ++lines;
  EXPECT_EQ(lines, 5);
  for (const char* bad : {"tcp://h/t", "mqtt://h/lab/#"}) {
    EXPECT_EQ(Qvmctl({"--sim", "daisy:52400x3", "poll", "1", "--mqtt", bad}).status, 2) << bad;
  }
}

// A TLS broker with a throwaway certificate authority: the lab's CA delivers, another CA is a
// broker that does not answer (a warning, the poll goes on, exit status 3).
TEST(QvmctlMqtt, TlsDeliversWithTheLabsAuthorityAndWarnsWithAnother) {
  BrokerProcess broker;
  std::string error;
  ASSERT_TRUE(MakeCertificateAuthority(broker.Folder(), "lab", error)) << error;
  ASSERT_TRUE(MakeCertificateAuthority(broker.Folder(), "other", error)) << error;
  ASSERT_TRUE(MakeServerCertificate(broker.Folder(), "lab", error)) << error;
  broker.UseTls(broker.Folder() + "/server.pem", broker.Folder() + "/server.key");
  ASSERT_TRUE(broker.Start()) << broker.Error();
  const std::string url = "mqtts://127.0.0.1:" + std::to_string(broker.Port()) + "/lab/rig1";
  const auto poll = [&](const std::string& authority) {
    return Qvmctl({"--sim", "daisy:52400x3", "--json", "poll", "3", "--interval", "20", "--read",
                   "volts", "--mqtt", url, "--rig", "rig1", "--mqtt-ca",
                   broker.Folder() + "/" + authority + ".pem"});
  };
  const cli::CliRun delivered = poll("lab");
  EXPECT_EQ(delivered.status, 0) << delivered.err;
  EXPECT_EQ(delivered.err, "");
  const cli::CliRun refused = poll("other");
  EXPECT_EQ(refused.status, 3) << refused.err;
  EXPECT_NE(refused.err.find("qvmctl: warning: the broker " + url + " does not answer ("),
            std::string::npos)
      << refused.err;
  EXPECT_NE(refused.err.find("qvmctl: 3 samples were not delivered to the broker " + url),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(Lines(refused.out).size(), 3u);
  // A file that is no certificate authority at all is refused before anything is polled.
  const cli::CliRun missing = poll("missing");
  EXPECT_EQ(missing.status, 2) << missing.err;
  EXPECT_NE(missing.err.find("--mqtt-ca "), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace qvm::test
