// The program: the simulated mouse when KDZ_SIMULATED_MOUSE asks for it (a new one as it leaves
// the factory), then the application.
#include "app/FactoryMouseState.h"
#include "app/KavrinDireZerudApp.h"
#include "sim/SimulatedHidBackend.h"

int main(int argc, char** argv) {
  sim::InstallSimulatedBackendIfRequested(app::FactoryMouseState());
  CKavrinDireZerudApp app;
  if (!app.InitInstance(argc, argv)) return app.ExitInstance();
  const int code = app.Run();
  app.ExitInstance();
  return code;
}
