#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <system_error>

namespace zen::test {

TempFolder::TempFolder()
{
    std::string pattern = ::testing::TempDir() + "zen_test_XXXXXX";
    m_path = mkdtemp(pattern.data()) ? pattern : std::string();
    EXPECT_FALSE(m_path.empty()) << "no temporary folder";
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

}  // namespace zen::test
