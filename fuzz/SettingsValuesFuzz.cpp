// Feeds arbitrary stored texts to the typed settings: a hand-edited or damaged
// settings file may hold anything under any key. Every number read must be finite,
// every finite number written must read back bit for bit, and the recent documents
// stay within their bound whatever list was stored.

#include "FakeSettingsStore.h"
#include "FuzzFault.h"
#include "core/settings/RecentDocuments.h"
#include "core/settings/SettingsKeys.h"
#include "core/settings/UserDefaults.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using vistrel::fuzz::fault;
namespace keys = vistrel::SettingsKeys;

const std::array floatKeys{keys::transparency, keys::scaleX,  keys::scaleY,          keys::posX,
                           keys::posY,         keys::sleep,   keys::imageCompression};

std::vector<std::string> lines(std::string_view input) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end = input.find('\n'); end != std::string_view::npos; end = input.find('\n', start)) {
        result.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    result.emplace_back(input.substr(start));
    return result;
}

// The first lines are the stored texts of the single values, the rest the recent documents.
void store(const std::vector<std::string>& texts, vistrel::test::FakeSettingsStore& settings) {
    std::size_t next = 0;
    for (const char* key : floatKeys)
        if (next < texts.size())
            settings.strings[key] = texts[next++];
    if (next < texts.size())
        settings.strings[keys::movieOnDesk] = texts[next++];
    if (next < texts.size())
        settings.strings[keys::imagePath] = texts[next++];
    settings.lists[keys::recentDocuments].assign(texts.begin() + static_cast<std::ptrdiff_t>(next), texts.end());
}

void checkNumbers(vistrel::UserDefaults& defaults, std::string_view input) {
    for (const char* key : floatKeys) {
        const float value = defaults.floatForKey(key);
        if (!std::isfinite(value))
            fault("a stored number read as no finite number", input);
        defaults.setFloat(key, value);
        if (std::bit_cast<std::uint32_t>(defaults.floatForKey(key)) != std::bit_cast<std::uint32_t>(value))
            fault("a number changed when written and read again", input);
    }
    // Any finite bit pattern, subnormal numbers and negative zero included.
    if (input.size() >= sizeof(float)) {
        float raw = 0.0f;
        std::memcpy(&raw, input.data(), sizeof raw);
        if (std::isfinite(raw)) {
            defaults.setFloat(keys::posX, raw);
            if (std::bit_cast<std::uint32_t>(defaults.floatForKey(keys::posX)) != std::bit_cast<std::uint32_t>(raw))
                fault("a number changed when written and read again", input);
        }
    }
    (void)defaults.boolForKey(keys::movieOnDesk);
}

void checkRecentDocuments(vistrel::UserDefaults& defaults, std::string_view input) {
    vistrel::RecentDocuments recent(defaults);
    if (recent.recentDocumentPaths().size() > vistrel::RecentDocuments::maximumRecentDocumentCount)
        fault("more recent documents than kept", input);
    const std::string newest = "/shown/last.jpg";
    recent.noteNewRecentDocumentURL(newest);
    const auto paths = recent.recentDocumentPaths();
    if (paths.empty() || paths.front() != newest ||
        paths.size() > vistrel::RecentDocuments::maximumRecentDocumentCount ||
        std::count(paths.begin(), paths.end(), newest) != 1)
        fault("the newest recent document is not first and alone", input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    vistrel::test::FakeSettingsStore settings;
    store(lines(input), settings);
    vistrel::UserDefaults defaults(settings);
    defaults.registerViewerDefaults();
    checkNumbers(defaults, input);
    checkRecentDocuments(defaults, input);
    return 0;
}
