/* A plug-in that reads a Socket through the runtime's socket helpers,
   reached by name through the lookup routine. */
#include "karuplugin.h"
#include <stddef.h>

static PluginMarkSocketUsageProc markUsage;
static pluginSocketReadProc readSome;
static pluginSocketReadAllProc readAll;
static pluginSocketLookaheadProc lookahead;

__declspec(dllexport) int32_t kpSocketUsage; /* what PluginMarkSocketUsage answered */

__declspec(dllexport) KARUString kpSockRead(KARUObject socket, int32_t count) {
  return readSome(socket, count);
}
__declspec(dllexport) KARUString kpSockReadAll(KARUObject socket) { return readAll(socket); }
__declspec(dllexport) KARUString kpSockLookahead(KARUObject socket) { return lookahead(socket); }

__declspec(dllexport) void KARUPluginMain(KARULookup lookup) {
  markUsage = KARU_ENTRY(lookup, PluginMarkSocketUsage);
  readSome = KARU_ENTRY(lookup, pluginSocketRead);
  readAll = KARU_ENTRY(lookup, pluginSocketReadAll);
  lookahead = KARU_ENTRY(lookup, pluginSocketLookahead);
  kpSocketUsage = markUsage ? markUsage() : -1;
}
