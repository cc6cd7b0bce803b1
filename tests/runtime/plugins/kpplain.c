/* A library without KARUPluginMain: installed and loaded like a plug-in,
   otherwise left alone. */
__declspec(dllexport) int kpPlainAnswer(void) { return 42; }
