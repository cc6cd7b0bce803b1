// Devices, the devices' demonstration (devices.exe), used as a person would:
// a server socket and a client socket of the one program talking over
// loopback, a connection refused because nobody listens, the serial terminal
// on COM2 of the test bed with a peer answering on the pair's far end, and a
// sound played into the test bed's sound server, looped and stopped.
// Screenshots of each step are kept.
#include "e2e.h"
#include "soundfiles.h"

namespace {

using e2e::DriverRun;

class DevicesDemo : public e2e::ApplicationTest {
protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    open(DEVICES_EXE, DEVICES_SOURCES "/Devices.bas");
  }
  std::string waitNet(const std::string &text) {
    return "wait-text " + id["NetStatus"] + " \"" + text + "\"\n";
  }
  std::string setPort(int port) { return enter("PortField", std::to_string(port)); }
  std::string waitFor(const std::string &control, const std::string &text) {
    return "wait-text " + id[control] + " \"" + text + "\"\n";
  }
  std::string press(const std::string &button) { return "click " + id[button] + "\n"; }
  const std::string start = "start devices.exe\nwait-window QXWindow \"Devices\"\n";
  const std::string quit = "close\nwait-exit\n";
};

TEST_F(DevicesDemo, TheClientSocketTalksToTheServerSocketOverLoopback) {
  DriverRun run =
      drive(start + setPort(50123) + "click " + id["ListenButton"] + "\n" +
            waitNet("server: listening on port 50123") + "click " + id["ConnectButton"] +
            "\nsleep 2\n" + "click " + id["SendButton"] + "\n" +
            waitNet("client got: echo: hello") + read("NetLog") + "screenshot echoed\n" + "click " +
            id["CloseButton"] + "\n" + waitNet("closed both sockets") + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  std::string log = e2e::textOf(run, id["NetLog"], 0);
  for (const char *line :
       {"server: listening on port 50123\r\n", "client: connecting to 127.0.0.1:50123\r\n",
        "client: connected\r\n", "server: a client connected from 127.0.0.1\r\n",
        "client sent: hello\r\n", "server got: hello\r\n", "client got: echo: hello\r\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
  /* the server answers only after it got the message */
  EXPECT_LT(log.find("server got: hello"), log.find("client got: echo: hello")) << log;
}

TEST_F(DevicesDemo, AConnectionNobodyTakesIsAnError) {
  DriverRun run = drive(start + setPort(50124) + "click " + id["ConnectButton"] + "\n" +
                        waitNet("client: error 102") + "screenshot refused\n" + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
}

// The far end of the pair answers each line in capitals and ends after "bye".
TEST_F(DevicesDemo, TheSerialTerminalTalksToThePeerOnCom2) {
  std::string peer = "timeout 200 '" SERIAL_ECHO "' '" SERIAL_STATE "/peer' >'" +
                     (dir / "echo.out").string() + "' 2>&1 & echo $! >'" +
                     (dir / "echo.pid").string() + "'";
  ASSERT_EQ(std::system(peer.c_str()), 0);
  DriverRun run =
      drive(start + enter("ComField", "1") + press("OpenComButton") + "sleep 1\n" +
            read("SerialStatus") + enter("ComField", "2") + press("OpenComButton") +
            waitFor("SerialStatus", "COM2 open at 57600 baud, 1 port(s) present") +
            enter("LineField", "hello, far end") + press("ComSendButton") +
            waitFor("SerialStatus", "received: HELLO, FAR END") + enter("LineField", "bye") +
            press("ComSendButton") + waitFor("SerialStatus", "received: BYE") + read("SerialLog") +
            "screenshot serial\n" + quit);
  std::system(("kill $(cat '" + (dir / "echo.pid").string() + "') 2>/dev/null").c_str());
  ASSERT_EQ(run.exitCode, 0) << run.output() << "\npeer: " << readFile("echo.out");
  EXPECT_EQ(e2e::textOf(run, id["SerialStatus"], 0).rfind("cannot open COM1 (error ", 0), 0u)
      << e2e::textOf(run, id["SerialStatus"], 0);
  std::string log = e2e::textOf(run, id["SerialLog"], 0);
  for (const char *line : {"sent: hello, far end\r\n", "received: HELLO, FAR END\r\n",
                           "sent: bye\r\n", "received: BYE\r\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
}

// A second-long tone plays to its end, then loops past its length until
// stopped; a file that is no sound is said to be none; a key plays its note.
TEST_F(DevicesDemo, SoundsPlayToTheirEndLoopAndStop) {
  std::ofstream(dir / "chime.wav", std::ios::binary) << waveFile(22050, 16, 1000);
  std::ofstream(dir / "notes.txt", std::ios::binary) << "not a sound at all";
  DriverRun run =
      drive(start + press("PlayButton") + waitFor("SoundStatus", "finished") + press("LoopButton") +
            "sleep 3\n" + read("SoundStatus") + "screenshot looping\n" + press("StopButton") +
            waitFor("SoundStatus", "stopped") + enter("SoundField", "notes.txt") +
            press("PlayButton") + waitFor("SoundStatus", "notes.txt is not a sound") +
            press("Key(1)") + read("SoundStatus") + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  /* a wait-text prints the control too: reads 0, 2 and 3 are the waits */
  EXPECT_EQ(e2e::textOf(run, id["SoundStatus"], 1), "looping chime.wav")
      << "three seconds on, the one-second sound still plays";
  EXPECT_EQ(e2e::textOf(run, id["SoundStatus"], 4), "note 64");
}

} // namespace
