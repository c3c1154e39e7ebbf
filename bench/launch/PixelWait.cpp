// Runs a command and waits until one pixel of the X screen shows a given colour,
// then prints the milliseconds between starting the command and that moment.
//
//   pixel_wait [-x X] [-y Y] [-t tolerance] [-T timeout_ms] [-o log] RRGGBB [-- command args...]
//   pixel_wait -p [-x X] [-y Y]          prints the pixel's colour as RRGGBB
//
// The point defaults to the screen's centre; the command's output goes to `log`
// (default: nowhere). With a command, the output is
// "<ms> <pid>" (the pid so the caller can read its memory and end it); without,
// "<ms>" from the start of polling. Exit status 0 on a match, 1 on a timeout (the
// output then starts with "timeout"), 2 on bad usage or no display.
// The screen is read one pixel at a time about every millisecond: a whole-screen
// grab would itself take longer than the differences being measured.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

struct Options {
    std::optional<int> x;
    std::optional<int> y;
    int tolerance = 16;
    int timeoutMs = 30000;
    bool printOnly = false;
    std::string outputPath = "/dev/null";
    Rgb wanted;
    std::vector<char*> command;
};

int usage() {
    std::fprintf(stderr, "usage: pixel_wait [-x X] [-y Y] [-t tolerance] [-T timeout_ms] [-o log] RRGGBB [-- command...]\n"
                         "       pixel_wait -p [-x X] [-y Y]\n");
    return 2;
}

std::optional<Rgb> parseColour(const char* text) {
    if (std::strlen(text) != 6)
        return std::nullopt;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 16);
    if (*end != '\0')
        return std::nullopt;
    return Rgb{static_cast<int>((value >> 16) & 0xff), static_cast<int>((value >> 8) & 0xff),
               static_cast<int>(value & 0xff)};
}

std::optional<Options> parse(int argc, char** argv) {
    Options options;
    bool colourSeen = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--") {
            options.command.assign(argv + i + 1, argv + argc);
            break;
        }
        if (arg == "-p")
            options.printOnly = true;
        else if (arg == "-x" && hasValue)
            options.x = std::atoi(argv[++i]);
        else if (arg == "-y" && hasValue)
            options.y = std::atoi(argv[++i]);
        else if (arg == "-t" && hasValue)
            options.tolerance = std::atoi(argv[++i]);
        else if (arg == "-o" && hasValue)
            options.outputPath = argv[++i];
        else if (arg == "-T" && hasValue)
            options.timeoutMs = std::atoi(argv[++i]);
        else if (auto colour = parseColour(argv[i]); colour && !colourSeen) {
            options.wanted = *colour;
            colourSeen = true;
        } else
            return std::nullopt;
    }
    if (!colourSeen && !options.printOnly)
        return std::nullopt;
    options.command.push_back(nullptr);
    return options;
}

class Screen {
  public:
    Screen() : m_connection(xcb_connect(nullptr, nullptr)) {}
    ~Screen() { xcb_disconnect(m_connection); }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    bool open() {
        if (xcb_connection_has_error(m_connection))
            return false;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_root = screen->root;
        m_width = screen->width_in_pixels;
        m_height = screen->height_in_pixels;
        return true;
    }

    int width() const { return m_width; }
    int height() const { return m_height; }

    // The pixel as the screen shows it, windows included; nothing when the server
    // refuses (a point outside the screen).
    std::optional<Rgb> pixel(int x, int y) {
        const auto cookie = xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, static_cast<int16_t>(x),
                                          static_cast<int16_t>(y), 1, 1, ~0U);
        xcb_get_image_reply_t* reply = xcb_get_image_reply(m_connection, cookie, nullptr);
        if (reply == nullptr)
            return std::nullopt;
        std::optional<Rgb> result;
        // Depth 24 in 32-bit units, least significant byte first: blue, green, red, pad.
        if (xcb_get_image_data_length(reply) >= 3) {
            const uint8_t* data = xcb_get_image_data(reply);
            result = Rgb{data[2], data[1], data[0]};
        }
        std::free(reply);
        return result;
    }

  private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    int m_width = 0;
    int m_height = 0;
};

bool near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}

pid_t launch(std::vector<char*>& command, const char* outputPath) {
    const pid_t pid = fork();
    if (pid == 0) {
        // A group of its own, so that the caller can end it with all it starts; and
        // none of the caller's pipes, which would stay open as long as it runs.
        setsid();
        const int output = open(outputPath, O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int nothing = open("/dev/null", O_RDONLY);
        if (output >= 0 && nothing >= 0) {
            dup2(nothing, STDIN_FILENO);
            dup2(output, STDOUT_FILENO);
            dup2(output, STDERR_FILENO);
        }
        execvp(command[0], command.data());
        std::perror(command[0]);
        _exit(127);
    }
    return pid;
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parse(argc, argv);
    if (!options)
        return usage();
    Screen screen;
    if (!screen.open()) {
        std::fprintf(stderr, "pixel_wait: cannot connect to the X server\n");
        return 2;
    }
    const int x = options->x.value_or(screen.width() / 2);
    const int y = options->y.value_or(screen.height() / 2);
    if (options->printOnly) {
        const auto colour = screen.pixel(x, y);
        if (!colour)
            return 2;
        std::printf("%02x%02x%02x\n", colour->red, colour->green, colour->blue);
        return 0;
    }

    std::vector<char*> command = options->command;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = command.size() > 1 ? launch(command, options->outputPath.c_str()) : 0;
    const auto deadline = start + std::chrono::milliseconds(options->timeoutMs);
    const auto elapsedMs = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    while (std::chrono::steady_clock::now() < deadline) {
        if (const auto colour = screen.pixel(x, y); colour && near(*colour, options->wanted, options->tolerance)) {
            const double ms = elapsedMs();
            pid > 0 ? std::printf("%.1f %d\n", ms, pid) : std::printf("%.1f\n", ms);
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(1000));
    }
    const auto last = screen.pixel(x, y).value_or(Rgb{});
    pid > 0 ? std::printf("timeout %d %02x%02x%02x\n", pid, last.red, last.green, last.blue)
            : std::printf("timeout %02x%02x%02x\n", last.red, last.green, last.blue);
    return 1;
}
