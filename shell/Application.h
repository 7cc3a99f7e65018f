#pragma once
// The running program: owns the shared state, the message boxes, the printer, the help
// window and the main window, and takes them through start-up to the end of the run.

#include <memory>

namespace tabulo {

class Application {
public:
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the program; the exit code of the process.
    int Run();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace tabulo
