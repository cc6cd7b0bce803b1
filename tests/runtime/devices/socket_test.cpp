// Sockets against real peers on loopback: a listener and a client in this
// program, and the outside peer started by the test bed (echo, send-then-
// close, silent, flood, a refused port). Events are recorded in the order
// they are raised.
#include "describe.h"
#include "recorder.h"
#include "devices/socket.h"
#include "startup/entrytable.h"
#include "karuplugin.h"
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace describe;

// The events raised, as "Name@socket", and what a handler does besides.
std::vector<std::string> gEvents;
std::map<SocketObject *, std::string> gNames;
std::function<void(SocketObject *, const char *)> gOnEvent;

void record(Object *o, const char *event) {
  SocketObject *s = (SocketObject *)o;
  gEvents.push_back(std::string(event) + "@" + gNames[s]);
  if (gOnEvent) gOnEvent(s, event);
}
void onConnected(Object *o) { record(o, "Connected"); }
void onError(Object *o) { record(o, "Error"); }
void onData(Object *o) { record(o, "DataAvailable"); }
void onSent(Object *o) { record(o, "SendComplete"); }

int count(const char *event) {
  int n = 0;
  for (const std::string &e : gEvents) n += e == event;
  return n;
}

void pumpAWhile(DWORD ms = 300) {
  pump_until([] { return false; }, ms);
}

// The ports the outside peer announced, by mode.
std::map<std::string, int> peerPorts() {
  std::map<std::string, int> ports;
  const char *dir = getenv("TCP_PEER_DIR");
  if (!dir) return ports;
  std::ifstream in(std::string(dir) + "/ports");
  std::string mode;
  int port;
  while (in >> mode >> port) ports[mode] = port;
  return ports;
}

std::string text(RString *s) {
  std::string t(str_cview(s), str_len(s));
  RuntimeUnlockString(s);
  return t;
}

// Byte i of the peer's pattern is i % 251.
bool isPattern(const std::string &bytes, int64_t from) {
  for (size_t i = 0; i < bytes.size(); i++)
    if ((uint8_t)bytes[i] != (from + (int64_t)i) % 251) return false;
  return true;
}

class SocketTest : public RuntimeTest {
protected:
  ClassDef cls;
  ClassDef *table[1] = {&cls};
  std::map<std::string, int> ports;
  std::string address = "127.0.0.1";
  int32_t enginesBefore = 0; /* a failed test may leave some behind */

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    derive(&cls, "TestSocket", registry_find("Socket"), 36);
    addHandler(&cls, "Connected", (void *)onConnected);
    addHandler(&cls, "Error", (void *)onError);
    addHandler(&cls, "DataAvailable", (void *)onData);
    addHandler(&cls, "SendComplete", (void *)onSent);
    gClassTable = table;
    gClassCount = 1;
    gEvents.clear();
    gNames.clear();
    gOnEvent = nullptr;
    ports = peerPorts();
    enginesBefore = socket_engine_count();
    ASSERT_FALSE(ports.empty()) << "the TCP peer is not running (TCP_PEER_DIR)";
  }
  void TearDown() override {
    gOnEvent = nullptr;
    pump();
    EXPECT_EQ(socket_engine_count(), enginesBefore) << "an engine outlives its control";
    gClassTable = nullptr;
    gClassCount = 0;
    retire_test_classes({&cls});
    RuntimeTest::TearDown();
  }
  SocketObject *make(const char *name, int port = 0) {
    SocketObject *s = (SocketObject *)CreateInstance(&cls);
    gNames[s] = name;
    s->port = port;
    return s;
  }
  SocketObject *connectTo(const char *name, const char *mode) {
    SocketObject *s = make(name, ports[mode]);
    RString *a = str_from(address.c_str());
    str_assign(&s->address, a);
    RuntimeUnlockString(a);
    SocketConnect(s);
    return s;
  }
  static void directConnect(SocketObject *s, int port) {
    RString *a = str_from("127.0.0.1");
    socketDirectConnect(s, a, port);
    RuntimeUnlockString(a);
  }
  static void write(SocketObject *s, const std::string &bytes) {
    RString *t = str_make(bytes.data(), (int32_t)bytes.size());
    SocketWrite(s, t);
    RuntimeUnlockString(t);
  }
  static void release(SocketObject *s) { RuntimeUnlockObject(&s->header); }
};

TEST_F(SocketTest, ListenerAndClientInOneProgramTalkBothWays) {
  SocketObject *server = make("server"), *client = make("client");
  SocketListen(server);
  ASSERT_NE(server->port, 0) << "a listener at port 0 reads back the port it got";
  directConnect(client, server->port);
  ASSERT_TRUE(pump_until([] { return count("Connected@server") && count("Connected@client"); }));
  EXPECT_EQ(socketPPPStatus(server, 0), kSocketConnected);
  EXPECT_EQ(text(socketRemoteAddressGetter(server, 0)), "127.0.0.1");
  EXPECT_FALSE(text(socketLocalAddressGetter(client, 0)).empty());
  EXPECT_EQ(socketGetEvents(client) & kSocketEventConnected, kSocketEventConnected);
  EXPECT_EQ(socketGetEvents(client), 0) << "taking the events clears them";

  write(client, "ping");
  ASSERT_TRUE(pump_until([&] { return text(socketLookahead(server, 0)) == "ping"; }));
  EXPECT_EQ(text(socketRead(server, 2)), "pi");
  EXPECT_EQ(text(SocketReadAll(server)), "ng");
  write(server, "pong");
  ASSERT_TRUE(pump_until([] { return count("DataAvailable@client") > 0; }));
  pumpAWhile(100);
  EXPECT_EQ(text(SocketReadAll(client)), "pong");
  EXPECT_GE(count("SendComplete@client"), 1);
  release(client);
  ASSERT_TRUE(pump_until([] { return count("Error@server") > 0; }));
  EXPECT_EQ(socketLastErrorCode(server, 0), kSocketClosed) << "the peer closed";
  EXPECT_EQ(socketPPPStatus(server, 0), kSocketClosedByPeer);
  release(server);
}

TEST_F(SocketTest, WritingBeforeTheConnectionIsMadeSendsOnceItIs) {
  SocketObject *s = connectTo("c", "echo");
  write(s, "queued early");
  EXPECT_EQ(socketPPPStatus(s, 0), kSocketConnecting);
  ASSERT_TRUE(pump_until([&] { return text(socketLookahead(s, 0)) == "queued early"; }));
  ASSERT_GE(gEvents.size(), 2u);
  EXPECT_EQ(gEvents[0], "Connected@c");
  EXPECT_EQ(gEvents[1], "SendComplete@c");
  EXPECT_EQ(socketGetEvents(s), kSocketEventConnected | kSocketEventSent | kSocketEventReceived);
  release(s);
}

TEST_F(SocketTest, ARefusedConnectionRaisesErrorAndNeverConnected) {
  SocketObject *s = connectTo("c", "refused");
  ASSERT_TRUE(pump_until([] { return count("Error@c") > 0; }));
  EXPECT_EQ(count("Connected@c"), 0);
  EXPECT_EQ(socketLastErrorCode(s, 0), kSocketClosed);
  EXPECT_EQ(s->lastErrorCode, kSocketClosed);
  release(s);
}

TEST_F(SocketTest, AHostThatDoesNotResolveIsError101) {
  address = "no-such-host.invalid";
  SocketObject *s = connectTo("c", "echo");
  ASSERT_TRUE(pump_until([] { return count("Error@c") > 0; }));
  EXPECT_EQ(socketLastErrorCode(s, 0), kSocketNoServer);
  EXPECT_EQ(count("Connected@c"), 0);
  release(s);
}

TEST_F(SocketTest, AListenerTakesOneClientAndRefusesTheNext) {
  SocketObject *server = make("server"), *first = make("first"), *second = make("second");
  SocketListen(server);
  directConnect(first, server->port);
  ASSERT_TRUE(pump_until([] { return count("Connected@server") && count("Connected@first"); }));
  directConnect(second, server->port);
  ASSERT_TRUE(pump_until([] { return count("Error@second") > 0; }));
  EXPECT_EQ(count("Connected@second"), 0);
  EXPECT_EQ(count("Connected@server"), 1);
  write(first, "still here");
  ASSERT_TRUE(pump_until([&] { return text(socketLookahead(server, 0)) == "still here"; }));
  for (SocketObject *s : {server, first, second}) release(s);
}

TEST_F(SocketTest, APeerThatSendsThenClosesLosesNothing) {
  SocketObject *s = connectTo("c", "sendclose");
  ASSERT_TRUE(pump_until([] { return count("Error@c") > 0; }));
  EXPECT_EQ(socketLastErrorCode(s, 0), kSocketClosed);
  std::string got = text(SocketReadAll(s));
  EXPECT_EQ(got.size(), 100000u);
  EXPECT_TRUE(isPattern(got, 0));
  release(s);
}

TEST_F(SocketTest, CloseInsideDataAvailableKeepsTheInputAndDefersTheRelease) {
  SocketObject *s = connectTo("c", "echo");
  gOnEvent = [](SocketObject *s, const char *event) {
    if (!strcmp(event, "DataAvailable")) {
      socketClose(s);
      write(s, "after close"); /* a fresh idle engine: queued, not sent */
    }
  };
  write(s, "abc");
  ASSERT_TRUE(pump_until([] { return count("DataAvailable@c") > 0; }));
  pumpAWhile();
  EXPECT_EQ(count("DataAvailable@c"), 1);
  EXPECT_EQ(count("SendComplete@c"), 1) << "no event of the closed engine after the handler";
  EXPECT_EQ(socketPPPStatus(s, 0), kSocketIdle);
  EXPECT_EQ(text(SocketReadAll(s)), "abc") << "what was received stays readable";
  EXPECT_EQ(socket_engine_count(), enginesBefore + 1) << "the closed engine went";
  release(s);
}

TEST_F(SocketTest, AControlReleasedInsideItsOwnEventGoesAfterIt) {
  connectTo("c", "sendclose");
  gOnEvent = [](SocketObject *s, const char *event) {
    if (!strcmp(event, "Connected")) release(s); /* the test's only reference */
  };
  ASSERT_TRUE(pump_until([] { return count("Connected@c") > 0; }));
  pumpAWhile();
  EXPECT_EQ(live_instances(&cls), 0);
  EXPECT_EQ(socket_engine_count(), enginesBefore);
}

TEST_F(SocketTest, PollLetsEverySocketThroughWhileOneGoesInItsOwnHandler) {
  SocketObject *a = connectTo("a", "echo"), *b = connectTo("b", "echo");
  ASSERT_TRUE(pump_until([] { return count("Connected@a") && count("Connected@b"); }));
  gOnEvent = [](SocketObject *s, const char *event) {
    if (!strcmp(event, "DataAvailable") && gNames[s] == "b") release(s); /* its last reference */
  };
  write(b, "bye");
  write(a, "hi");
  Sleep(500); /* the echoes arrive; their notifications wait unseen */
  socketPoll(a);
  EXPECT_EQ(count("DataAvailable@a"), 1) << "received by the poll itself";
  EXPECT_EQ(count("DataAvailable@b"), 1) << "the other socket's notification went through";
  EXPECT_EQ(live_instances(&cls), 1);
  EXPECT_EQ(text(SocketReadAll(a)), "hi");
  release(a);
}

TEST_F(SocketTest, AHundredMegabytesAtOnceArriveWhole) {
  SocketObject *s = connectTo("c", "flood");
  static int64_t got;
  static bool intact;
  got = 0;
  intact = true;
  gOnEvent = [](SocketObject *s, const char *event) {
    if (strcmp(event, "DataAvailable")) return;
    std::string chunk = text(SocketReadAll(s));
    intact = intact && isPattern(chunk, got);
    got += chunk.size();
  };
  ASSERT_TRUE(pump_until([] { return count("Error@c") > 0; }, 240000));
  got += text(SocketReadAll(s)).size();
  EXPECT_EQ(got, 100LL * 1024 * 1024);
  EXPECT_TRUE(intact);
  release(s);
}

TEST_F(SocketTest, AHalfOpenConnectionStaysQuietAndClosesCleanly) {
  SocketObject *s = connectTo("c", "silent");
  write(s, "anyone?");
  ASSERT_TRUE(pump_until([] { return count("SendComplete@c") > 0; }));
  pumpAWhile(500);
  EXPECT_EQ(count("DataAvailable@c"), 0);
  EXPECT_EQ(count("Error@c"), 0);
  socketPoll(s);
  EXPECT_EQ(socketLookahead(s, 0), nullptr);
  socketClose(s);
  pumpAWhile();
  EXPECT_EQ(count("Error@c"), 0) << "closing our own end raises nothing";
  release(s);
}

TEST_F(SocketTest, AConnectionNobodyAnswersTimesOutWith101) {
  UINT saved = gSocketConnectTimeout;
  gSocketConnectTimeout = 500; /* the peer's full backlog drops the connection request */
  SocketObject *s = connectTo("c", "full");
  gSocketConnectTimeout = saved;
  ASSERT_TRUE(pump_until([] { return !gEvents.empty(); }, 10000));
  EXPECT_EQ(gEvents[0], "Error@c");
  EXPECT_EQ(socketLastErrorCode(s, 0), kSocketNoServer);
  release(s);
}

TEST_F(SocketTest, PluginsReadThroughTheSocketHelpers) {
  HMODULE lib = LoadLibraryA(KPSOCK_DLL);
  ASSERT_NE(lib, nullptr);
  auto main = (KARUPluginMainProc)(void *)GetProcAddress(lib, "KARUPluginMain");
  main((KARULookup)entry_routine);
  EXPECT_EQ(*(int32_t *)(void *)GetProcAddress(lib, "kpSocketUsage"), 1);
  using Reader = RString *(*)(SocketObject *, int32_t);
  using Whole = RString *(*)(SocketObject *);
  auto readSome = (Reader)(void *)GetProcAddress(lib, "kpSockRead");
  auto readAll = (Whole)(void *)GetProcAddress(lib, "kpSockReadAll");
  auto peek = (Whole)(void *)GetProcAddress(lib, "kpSockLookahead");
  SocketObject *s = connectTo("c", "echo");
  write(s, "plug-in");
  ASSERT_TRUE(pump_until([&] { return text(peek(s)) == "plug-in"; }));
  EXPECT_EQ(readSome(s, -1), nullptr) << "a count below 1 reads nothing";
  EXPECT_EQ(socketRead(s, 0), nullptr);
  EXPECT_EQ(text(readSome(s, 4)), "plug");
  EXPECT_EQ(text(readAll(s)), "-in");
  EXPECT_EQ(readAll(s), nullptr);
  release(s);
  FreeLibrary(lib);
}

} // namespace
