#pragma once
#include <filesystem>
#include <string>

namespace zen::test {

// A folder of its own for one test, below the test framework's temporary folder, removed with
// everything in it afterwards. A folder that cannot be made fails the test (its path is then
// empty, and nothing is removed).
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::filesystem::path Root() const { return m_path; }
    std::string Path(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

}  // namespace zen::test
