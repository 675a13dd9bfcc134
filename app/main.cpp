// The program: the simulated mouse when KDZ_SIMULATED_MOUSE asks for it (a new one as it leaves
// the factory), then the application.
#include <malloc.h>

#include "app/FactoryMouseState.h"
#include "app/KavrinDireZerudApp.h"
#include "sim/SimulatedHidBackend.h"

int main(int argc, char** argv) {
  // One heap for every thread: the skin's images are decoded on worker threads and freed on
  // this one once they are cut, and a worker's heap would keep their pages resident after
  // start-up (malloc_trim gives back the free top of the main heap, not that of another).
  mallopt(M_ARENA_MAX, 1);
  sim::InstallSimulatedBackendIfRequested(app::FactoryMouseState());
  CKavrinDireZerudApp app;
  if (!app.InitInstance(argc, argv)) return app.ExitInstance();
  const int code = app.Run();
  app.ExitInstance();
  return code;
}
