// SPDX-License-Identifier: MIT
#include "mqtt/sample_publisher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "broker_process.h"
#include "mqtt/broker_address.h"
#include "mqtt/tick_publishing.h"
#include "subscriber.h"

namespace qvm::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

PublisherSettings Settings(int port, std::size_t queueLimit = 10000) {
  PublisherSettings settings;
  settings.address = {"127.0.0.1", port, "lab/rig1", false};
  settings.rig = "rig1";
  settings.queueLimit = queueLimit;
  return settings;
}

std::vector<std::string> Samples(const std::vector<Received>& received) {
  std::vector<std::string> samples;
  for (const Received& r : received) {
    if (r.topic == "lab/rig1") samples.push_back(r.payload);
  }
  return samples;
}

TEST(BrokerAddress, ParsesUrlsAndNamesWhatIsWrong) {
  struct Case {
    const char* url;
    const char* host;
    int port;
    const char* topic;
    bool tls;
  };
  for (const Case& c :
       {Case{"mqtt://127.0.0.1:1884/lab/rig1", "127.0.0.1", 1884, "lab/rig1", false},
        Case{"mqtt://broker/lab", "broker", 1883, "lab", false},
        Case{"mqtts://broker.lab/a/b", "broker.lab", 8883, "a/b", true}}) {
    std::string error;
    const auto address = ParseBrokerAddress(c.url, error);
    ASSERT_TRUE(address) << c.url << ": " << error;
    EXPECT_EQ(address->host, c.host);
    EXPECT_EQ(address->port, c.port);
    EXPECT_EQ(address->topic, c.topic);
    EXPECT_EQ(address->tls, c.tls);
  }
  for (const char* bad :
       {"tcp://h/t", "mqtt://h", "mqtt://h/", "mqtt://:1883/t", "mqtt://h:0/t", "mqtt://h:99999/t",
        "mqtt://h:x/t", "mqtt://h/lab/#", "mqtt://h/a//b", "mqtt://h/a/"}) {
    std::string error;
    EXPECT_FALSE(ParseBrokerAddress(bad, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

// A broker, a subscriber to "lab/#" and a publisher connected to the broker.
class PublisherOnBroker : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(broker.Start()) << broker.Error();
    subscriber = std::make_unique<Subscriber>(broker.Port(), "lab/#");
    ASSERT_TRUE(subscriber->WaitSubscribed());
    publisher = std::make_unique<SamplePublisher>(Settings(broker.Port()));
    std::string reason;
    ASSERT_TRUE(publisher->Start(seconds{5}, reason)) << reason;
  }

  BrokerProcess broker;
  std::unique_ptr<Subscriber> subscriber;
  std::unique_ptr<SamplePublisher> publisher;
};

TEST_F(PublisherOnBroker, EverySampleArrivesInOrderBetweenOnlineAndOffline) {
  EXPECT_EQ(publisher->StateText(), "broker connected");
  std::vector<std::string> sent;
  for (int i = 0; i < 5; ++i) {
    sent.push_back("{\"tick\":" + std::to_string(i) + "}");
    publisher->Publish(sent.back());
  }
  const PublisherCounts counts = publisher->Stop(seconds{5});
  EXPECT_EQ(counts.published, 5u);
  EXPECT_EQ(counts.dropped, 0u);
  const auto received = subscriber->WaitFor(
      [](const std::vector<Received>& r) {
        return std::any_of(r.begin(), r.end(), [](const Received& m) {
          return m.payload.find("offline") != std::string::npos;
        });
      },
      seconds{5});
  EXPECT_EQ(Samples(received), sent);
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received.front().topic, "lab/rig1/status");
  EXPECT_EQ(received.front().payload, "{\"rig\":\"rig1\",\"state\":\"online\"}");
  EXPECT_EQ(received.back().payload, "{\"rig\":\"rig1\",\"state\":\"offline\"}");
}

TEST(SamplePublisher, AnAbsentBrokerIsNamedAndAFullQueueDropsTheOldest) {
  SamplePublisher publisher(Settings(FreeLoopbackPort(), 10));
  std::string reason;
  EXPECT_FALSE(publisher.Start(milliseconds{300}, reason));
  EXPECT_EQ(reason, "Connection refused");
  EXPECT_EQ(publisher.StateText(), "broker unreachable: Connection refused");
  for (int i = 0; i < 25; ++i) publisher.Publish("sample");
  EXPECT_EQ(publisher.Counts().dropped, 15u);
  const PublisherCounts counts = publisher.Stop(milliseconds{0});
  EXPECT_EQ(counts.published, 0u);
  EXPECT_EQ(counts.dropped, 25u);
}

// The console stops a publisher without waiting on it; closing the window may shorten the time
// left for what is queued.
TEST(SamplePublisher, AStopRequestRunsOnItsOwnAndMayOnlyBeShortened) {
  SamplePublisher publisher(Settings(FreeLoopbackPort()));
  std::string reason;
  EXPECT_FALSE(publisher.Start(milliseconds{0}, reason));
  for (int i = 0; i < 3; ++i) publisher.Publish("sample");
  EXPECT_EQ(publisher.Counts().queued, 3u);
  publisher.RequestStop(seconds{30});
  std::this_thread::sleep_for(milliseconds{100});
  EXPECT_FALSE(publisher.Finished());
  publisher.RequestStop(seconds{60});
  publisher.RequestStop(milliseconds{0});
  for (int i = 0; i < 200 && !publisher.Finished(); ++i)
    std::this_thread::sleep_for(milliseconds{10});
  ASSERT_TRUE(publisher.Finished());
  const PublisherCounts counts = publisher.Counts();
  EXPECT_EQ(counts.dropped, 3u);
  EXPECT_EQ(counts.queued, 0u);
  EXPECT_EQ(PublishingStatusText(publisher.StateText(), counts), "MQTT: stopped, 3 dropped");
}

TEST(TickPublishing, StatusLinesAndTheChainAndBoardOfAMessage) {
  PublisherCounts counts;
  EXPECT_EQ(PublishingStatusText("broker connected", counts), "MQTT: connected");
  counts.queued = 12;
  counts.dropped = 4;
  EXPECT_EQ(PublishingStatusText("broker unreachable: Connection refused", counts),
            "MQTT: unreachable: Connection refused (12 queued), 4 dropped");
  SharedState state;
  state.DaisyChainMode = true;
  state.DeviceCount52400 = 3;
  state.DeviceCount52401 = 2;
  EXPECT_EQ(ChainText(state), "daisy:52400x3+52401x2");
  state.DaisyChainMode = false;
  state.PartName52400 = "QVM38817";
  EXPECT_EQ(ChainText(state), "single:38817");
  TickPublishing publishing(Settings(FreeLoopbackPort()), "A7\"F3", "single:38817");
  EXPECT_EQ(publishing.Message("{\"tick\":1}"),
            "{\"tick\":1,\"rig\":\"rig1\",\"board\":\"A7\\\"F3\",\"chain\":\"single:38817\"}");
}

TEST_F(PublisherOnBroker, ABrokerRestartedMidRunLosesNoSampleAtQos1) {
  std::set<std::string> sent;
  const auto publish = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      sent.insert(std::to_string(i));
      publisher->Publish(std::to_string(i));
      std::this_thread::sleep_for(milliseconds{5});
    }
  };
  publish(0, 40);
  broker.Stop();
  publish(40, 80);
  ASSERT_TRUE(broker.Start()) << broker.Error();
  publish(80, 120);
  const PublisherCounts counts = publisher->Stop(seconds{10});
  EXPECT_EQ(counts.dropped, 0u);
  EXPECT_GE(counts.connectionsLost, 1u);
  const auto received = subscriber->WaitFor(
      [&sent](const std::vector<Received>& r) {
        const std::vector<std::string> samples = Samples(r);
        return std::set<std::string>(samples.begin(), samples.end()) == sent;
      },
      seconds{10});
  const std::vector<std::string> samples = Samples(received);
  EXPECT_EQ(std::set<std::string>(samples.begin(), samples.end()), sent);
}

}  // namespace
}  // namespace qvm::test
