// The test plug-ins, installed once per process for the suites that use them.
#pragma once

// Installs the calculator's library and the test plug-ins (kpv1, kpv3, kpv4,
// kpctl, a plain library) and completes their classes.
void install_test_plugins();
