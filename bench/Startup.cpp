// The program's start-up as a user sees it: from the process started to its first
// window mapped on the display, on an X server of its own (Xvfb), beside a bare Qt
// main window (bench_bare_window) started the same way, empty and with one line of
// Japanese text (the empty window never loads a font). The program's first window is
// to be mapped within 1.25 times the bare window's time. Each round starts the
// program in a fresh program folder, waits for the window, and ends the process.
// Skipped when Xvfb is not installed.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

pid_t Spawn(const std::string& program, const std::vector<std::string>& env) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string name = program;
    char* argv[] = {name.data(), nullptr};
    std::vector<std::string> envCopy = env;
    std::vector<char*> envp;
    for (auto& e : envCopy) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

std::string OnPath(const std::string& name) {
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        const std::string candidate = std::string(dir) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

// An X server of the benchmark's own for the whole run.
class Display {
  public:
    Display() {
        const std::string xvfb = OnPath("Xvfb");
        if (xvfb.empty()) return;
        std::random_device rd;
        for (int attempt = 0; attempt < 5 && connection_ == nullptr; ++attempt) {
            name_ = ":" + std::to_string(300 + rd() % 600);
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
            std::string program = xvfb, display = name_, screen = "-screen", size = "0", mode = "1280x1024x24",
                        noListen = "-nolisten", tcp = "tcp";
            char* argv[] = {program.data(), display.data(), screen.data(), size.data(), mode.data(),
                            noListen.data(), tcp.data(), nullptr};
            if (posix_spawn(&server_, xvfb.c_str(), &actions, nullptr, argv, environ) != 0) server_ = -1;
            posix_spawn_file_actions_destroy(&actions);
            for (int wait = 0; wait < 100 && server_ > 0; ++wait) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                xcb_connection_t* c = xcb_connect(name_.c_str(), nullptr);
                if (c != nullptr && xcb_connection_has_error(c) == 0) {
                    connection_ = c;
                    break;
                }
                if (c != nullptr) xcb_disconnect(c);
            }
            if (connection_ == nullptr && server_ > 0) {
                kill(server_, SIGKILL);
                waitpid(server_, nullptr, 0);
                server_ = -1;
            }
        }
        if (connection_ == nullptr) return;
        // Told of every window mapped on the screen.
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }
    ~Display() {
        if (connection_ != nullptr) xcb_disconnect(connection_);
        if (server_ > 0) {
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
        }
    }
    bool ok() const { return connection_ != nullptr; }
    const std::string& name() const { return name_; }

    // Waits for the next window mapped; false after 10 s without one.
    bool WaitForMap() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < until) {
            xcb_generic_event_t* e = xcb_poll_for_event(connection_);
            if (e == nullptr) {
                if (xcb_connection_has_error(connection_) != 0) return false;
                std::this_thread::sleep_for(std::chrono::microseconds(100));
                continue;
            }
            const bool mapped = (e->response_type & 0x7f) == XCB_MAP_NOTIFY;
            std::free(e);
            if (mapped) return true;
        }
        return false;
    }
    // Drops the events left over from a round.
    void Drain() {
        while (xcb_generic_event_t* e = xcb_poll_for_event(connection_)) std::free(e);
    }

  private:
    std::string name_;
    pid_t server_ = -1;
    xcb_connection_t* connection_ = nullptr;
};

Display& TheDisplay() {
    static Display display;
    return display;
}

void Start(benchmark::State& state, const std::string& program, bool text = false) {
    Display& display = TheDisplay();
    if (!display.ok()) {
        state.SkipWithError("no Xvfb");
        return;
    }
    std::random_device rd;
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("tabulo-bench-start-" + std::to_string(rd()));
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(home);
        std::filesystem::create_directories(home);
        display.Drain();
        std::vector<std::string> env = {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb",
                                        "HOME=" + home.string(), "TABULO_HOME=" + (home / "tabulo").string(),
                                        "XDG_RUNTIME_DIR=" + home.string(), "LANG=ja_JP.UTF-8"};
        if (const char* path = std::getenv("PATH")) env.push_back(std::string("PATH=") + path);
        if (text) env.push_back("TABULO_BARE_TEXT=1");
        state.ResumeTiming();
        const pid_t pid = Spawn(program, env);
        const bool mapped = pid > 0 && display.WaitForMap();
        state.PauseTiming();
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (!mapped) state.SkipWithError("no window was mapped");
        state.ResumeTiming();
    }
    std::filesystem::remove_all(home);
}

BENCHMARK_CAPTURE(Start, tabulo, std::string(TABULO_PROGRAM))
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(Start, bare_qt_window, std::string(TABULO_BARE_WINDOW))
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
// The same window with one line of Japanese text: what finding and loading the fonts
// adds to any window that shows text.
BENCHMARK_CAPTURE(Start, bare_qt_window_with_text, std::string(TABULO_BARE_WINDOW), true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace
