// The core stays free of every GUI: none of its files may include Qt.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>

TEST(CoreLibrary, IncludesNothingOfQt)
{
    const std::regex qtInclude(R"(^\s*#\s*include\s*[<"]Q)");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TALLIR_SOURCE_DIR "/src/core")) {
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number)
            EXPECT_FALSE(std::regex_search(line, qtInclude)) << entry.path() << ":" << number << ": " << line;
        ++files;
    }
    EXPECT_GT(files, 10);
}
