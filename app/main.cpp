// The program: the simulated mouse when KDZ_SIMULATED_MOUSE asks for it (a new one as it leaves
// the factory), then the application.
#include <malloc.h>

#include <QThreadPool>

#include "app/FactoryMouseState.h"
#include "app/KavrinDireZerudApp.h"
#include "sim/SimulatedHidBackend.h"

int main(int argc, char** argv) {
  // One heap for every thread: the skin's images are decoded on worker threads and freed on
  // this one once they are cut, and a worker's heap would keep their pages resident after
  // start-up (malloc_trim gives back the free top of the main heap, not that of another).
  mallopt(M_ARENA_MAX, 1);
  // Qt's painting splits a large fill over the threads of its pool, which otherwise linger
  // idle for half a minute after each paint of a whole window; two seconds here.
  QThreadPool::globalInstance()->setExpiryTimeout(2000);
  sim::InstallSimulatedBackendIfRequested(app::FactoryMouseState());
  CKavrinDireZerudApp app;
  if (!app.InitInstance(argc, argv)) return app.ExitInstance();
  const int code = app.Run();
  app.ExitInstance();
  return code;
}
