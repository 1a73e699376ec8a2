// What the document view is handed, and the fingerprint that tells a save whether its file
// is still the one its preview saw.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "core/content_sums.h"
#include "document/view_text.h"
#include "tests/support/literal_cipher.h"

namespace vqtest {
namespace {

std::uint64_t FingerprintOf(const std::string& bytes) {
    RunningFingerprint fingerprint;
    fingerprint.Add(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return fingerprint.Value();
}

TEST(DocumentText, TheFingerprintTellsChangesTheChecksumMisses) {
    std::string bytes(1000, 'a');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 61 == 7 ? 0 : 'a' + i % 26);
    const std::uint64_t original = FingerprintOf(bytes);
    std::string swapped = bytes;
    std::swap(swapped[10], swapped[500]); // the same byte sum
    ASSERT_EQ(LiteralChecksum(bytes), LiteralChecksum(swapped));
    EXPECT_NE(original, FingerprintOf(swapped));
    std::string neighbours = bytes;
    std::swap(neighbours[998], neighbours[999]);
    EXPECT_NE(original, FingerprintOf(neighbours));
    EXPECT_NE(original, FingerprintOf(bytes + std::string(1, '\0')));
    EXPECT_EQ(original, FingerprintOf(bytes));
}

// The view is handed a long text cut to its bound, with a last line of its own that says so in
// the program's number form; a text up to the bound is handed over as it is.
TEST(DocumentText, OnlyATextLongerThanTheBoundIsCutForTheView) {
    const auto shown = [](const std::string& bytes, std::uint64_t fileSize) {
        return CodePageViewText(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                fileSize, LeadBytes())
            .bytes;
    };
    const std::string atBound(kViewTextBound, 'x');
    EXPECT_EQ(atBound, shown(atBound, kViewTextBound));
    EXPECT_EQ("", shown("", 0));

    std::string longer = atBound + "yz";
    longer[0] = 'a';
    EXPECT_EQ(std::string(longer, 0, kViewTextBound) +
                  "\r\n[The view shows the first 8,192 of 4,294,967,295 bytes. Encrypt, "
                  "Decrypt and Save As work on the whole file.]",
              shown(longer, 4294967295u));
    EXPECT_NE(std::string::npos, shown(longer, 5368709120ull).find(" of 5,368,709,120 bytes."));
}

} // namespace
} // namespace vqtest
