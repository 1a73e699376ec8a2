// The names of our temporary files: a name made for a prefix is recognised with that prefix
// only, and the clean-up never takes the other files our jobs leave beside a file.
#include "core/temp_names.h"

#include <gtest/gtest.h>

#include <string>

namespace vqtest {
namespace {

TEST(TempNames, MadeNamesAreRecognisedOnlyWithTheirOwnPrefix) {
    const std::string visible = RandomName(kTempPrefix, kTempSuffix);
    const std::string hidden = RandomName(kHiddenTempPrefix, kTempSuffix);
    EXPECT_TRUE(IsTempName(visible, kTempPrefix)) << visible;
    EXPECT_TRUE(IsTempName(hidden, kHiddenTempPrefix)) << hidden;
    EXPECT_FALSE(IsTempName(visible, kHiddenTempPrefix));
    EXPECT_FALSE(IsTempName(hidden, kTempPrefix));
    EXPECT_NE(visible, RandomName(kTempPrefix, kTempSuffix));
    // A record moved aside to be removed, and the new content kept beside a file.
    for (const std::string& kept :
         {RandomName(".vq~gone~", kTempSuffix), std::string(".notes.txt") + kKeptCopySuffix,
          RandomName(".notes.txt.vq~new~", kTempSuffix), RandomName("notes.txt.vq~", ".new")}) {
        EXPECT_FALSE(IsTempName(kept, kTempPrefix)) << kept;
        EXPECT_FALSE(IsTempName(kept, kHiddenTempPrefix)) << kept;
    }
}

} // namespace
} // namespace vqtest
