// Names of files and folders from scripts outside any one code page, in UTF-8, for the tests
// of names and paths.
#ifndef VEILQUILL_TESTS_SAMPLE_NAMES_H
#define VEILQUILL_TESTS_SAMPLE_NAMES_H

#include <string>

namespace vqtest {

inline const std::string kGreekName = "Σημειώσεις.txt";
inline const std::string kCyrillicFolder = "Документы"; // nine characters, eighteen bytes
inline const std::string kCjkName = "命令行.txt";
inline const std::string kEmojiName = "📝 notes 😀.txt"; // characters beyond the first 65,536

} // namespace vqtest

#endif
