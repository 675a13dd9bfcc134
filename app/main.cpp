// The program: the simulated mouse when KDZ_SIMULATED_MOUSE asks for it, then the application.
#include "app/KavrinDireZerudApp.h"
#include "sim/SimulatedHidBackend.h"

int main(int argc, char** argv) {
  sim::InstallSimulatedBackendIfRequested();
  CKavrinDireZerudApp app;
  if (!app.InitInstance(argc, argv)) return app.ExitInstance();
  const int code = app.Run();
  app.ExitInstance();
  return code;
}
