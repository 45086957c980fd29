#include "kestrel_app.h"

#include <cstdlib>

int main(int argc, char* argv[]) {
    fenwick::CKestrelApp app(argc, argv);
    // As with any application object: an event loop of its own runs only when asked for.
    return app.InitInstance() ? fenwick::CKestrelApp::exec() : EXIT_SUCCESS;
}
