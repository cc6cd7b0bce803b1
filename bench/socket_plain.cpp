// The baseline of the socket benchmark: a plain program that connects to the
// given loopback port with the socket library and receives the given number
// of bytes with blocking receives, then closes.
//   socket_plain.exe PORT BYTES
#include <winsock2.h>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
  if (argc < 3) return 2;
  WSADATA data;
  WSAStartup(0x0101, &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons((u_short)atoi(argv[1]));
  to.sin_addr.s_addr = inet_addr("127.0.0.1");
  if (connect(s, (sockaddr *)&to, sizeof to) != 0) return 1;
  long long want = atoll(argv[2]), got = 0;
  static char buffer[1 << 16];
  while (got < want) {
    int n = recv(s, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    got += n;
  }
  closesocket(s);
  WSACleanup();
  return got == want ? 0 : 1;
}
