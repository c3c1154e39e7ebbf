// Runs a fuzz target without libFuzzer, for compilers that lack it and for CI:
// every file of the seed folders given on the command line, then a fixed number
// of deterministic mutations of them. Short and repeatable; a real fuzzing run
// uses the libFuzzer build (VISTREL_LIBFUZZER=ON with clang). Two of libFuzzer's
// options are understood: -runs=N mutations, and -max_total_time=S seconds after
// which the mutations stop early (slow targets under the sanitizers).

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr int defaultMutationRuns = 20000;
constexpr int maximumMutationsPerRun = 8;

// Tokens that make the readers take their less travelled branches: play list syntax,
// JPEG markers and TIFF headers, Exif/XMP framing, line separators and odd numbers.
constexpr std::array<std::string_view, 33> tokens{
    "[", "]", "{", "}", "\"path\":", "\"active\":true", "\"pathBytes\":\"ff\"", "\"x\":[", ",",
    "\n", "\r\n", "#EXTM3U\n", "file:///", "%0A", "\xFF", "\"\\u0000\"",
    std::string_view("\xFF\xD8", 2), std::string_view("\xFF\xE0\x00\x10JFIF\x00", 9), "\xFF\xC0", "\xFF\xDA",
    std::string_view("\xFF\xE1\x00\x40" "Exif\x00\x00", 10), std::string_view("II*\x00\x08\x00\x00\x00", 8),
    std::string_view("MM\x00*\x00\x00\x00\x08", 8), std::string_view("\x01\x12\x00\x03\x00\x00\x00\x01", 8),
    "<x:xmpmeta xmlns:x='adobe:ns:meta/'>", "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9",
    "1e39", "-0", "nan", "inf", "4.9e-45"};

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    return bytes;
}

struct Options {
    int runs = defaultMutationRuns;
    std::chrono::seconds maxTotalTime{0}; // 0: no limit
    std::vector<std::filesystem::path> seedPaths;
};

Options options(int argc, char** argv) {
    Options result;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument.starts_with("-runs="))
            result.runs = std::atoi(argv[i] + 6);
        else if (argument.starts_with("-max_total_time="))
            result.maxTotalTime = std::chrono::seconds(std::atoi(argv[i] + 16));
        else if (!argument.starts_with("-"))
            result.seedPaths.emplace_back(argument);
    }
    return result;
}

std::vector<std::string> seeds(const std::vector<std::filesystem::path>& seedPaths) {
    std::vector<std::filesystem::path> files;
    for (const auto& given : seedPaths) {
        if (!std::filesystem::is_directory(given)) {
            files.push_back(given);
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(given))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end()); // the same order on every file system
    std::vector<std::string> result{""};
    for (const auto& file : files)
        result.push_back(readFile(file));
    return result;
}

void mutate(std::string& bytes, std::mt19937& random) {
    const auto pick = [&random](std::size_t bound) { return bound == 0 ? 0 : random() % bound; };
    switch (random() % 5) {
    case 0: // flip a byte
        if (!bytes.empty())
            bytes[pick(bytes.size())] = static_cast<char>(random());
        break;
    case 1: // drop a span
        if (!bytes.empty()) {
            const std::size_t at = pick(bytes.size());
            bytes.erase(at, 1 + pick(std::min<std::size_t>(16, bytes.size() - at)));
        }
        break;
    case 2: // repeat a span
        if (!bytes.empty()) {
            const std::size_t at = pick(bytes.size());
            bytes.insert(at, bytes.substr(at, 1 + pick(32)));
        }
        break;
    case 3: // cut the end off
        bytes.resize(pick(bytes.size() + 1));
        break;
    default:
        bytes.insert(pick(bytes.size() + 1), tokens[pick(tokens.size())]);
    }
}

void run(const std::string& bytes) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    const Options given = options(argc, argv);
    const std::vector<std::string> corpus = seeds(given.seedPaths);
    for (const std::string& seed : corpus)
        run(seed);
    std::mt19937 random(20240611);
    int done = 0;
    for (; done < given.runs; ++done) {
        if (given.maxTotalTime.count() > 0 && std::chrono::steady_clock::now() - started > given.maxTotalTime)
            break;
        std::string bytes = corpus[random() % corpus.size()];
        const int mutations = 1 + static_cast<int>(random() % maximumMutationsPerRun);
        for (int m = 0; m < mutations; ++m)
            mutate(bytes, random);
        run(bytes);
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    std::printf("%zu seeds and %d mutated inputs in %lld ms, no fault\n", corpus.size(), done,
                static_cast<long long>(elapsed.count()));
    return 0;
}
