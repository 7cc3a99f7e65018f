// Tabulo: bookkeeping for the blue-return statement.
#include "shell/Application.h"

int main(int argc, char** argv) {
    tabulo::Application app(argc, argv);
    return app.Run();
}
