#include "core/temp_names.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <random>

namespace {

constexpr std::size_t kRandomLength = 10;
constexpr char kRandomCharacters[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kRandomCharacterCount = sizeof kRandomCharacters - 1;

bool IsRandomCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string RandomName(const std::string& stem, const char* suffix) {
    static std::mutex lock;
    static std::mt19937_64 random([] {
        std::random_device device;
        return (static_cast<std::uint64_t>(device()) << 32) ^ device();
    }());
    std::string name = stem;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (std::size_t i = 0; i < kRandomLength; ++i)
            name += kRandomCharacters[random() % kRandomCharacterCount];
    }
    return name + suffix;
}

bool IsTempName(std::string_view name, std::string_view prefix) {
    const std::string_view suffix = kTempSuffix;
    if (name.size() != prefix.size() + kRandomLength + suffix.size() ||
        name.substr(0, prefix.size()) != prefix ||
        name.substr(prefix.size() + kRandomLength) != suffix)
        return false;
    const std::string_view random = name.substr(prefix.size(), kRandomLength);
    return std::all_of(random.begin(), random.end(), IsRandomCharacter);
}

bool IsStaleTemp(const FoundTemp& found) {
    return found.plainFile && found.usersOwn && !found.inUse;
}
