#include "tests/codecs/Rar2TestData.h"
#include "TestPaths.h"

#include <fstream>
#include <sstream>

namespace zen::test {

std::string Rar2DataPath(const std::string& file)
{
    return std::string(ZEN_TESTDATA_DIR) + "/rar2/" + file;
}

std::vector<Rar2ManifestLine> ReadRar2Manifest()
{
    std::vector<Rar2ManifestLine> lines;
    std::ifstream in(Rar2DataPath("MANIFEST.tsv"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Rar2ManifestLine entry;
        std::string size;
        std::string crc;
        std::getline(fields, entry.archive, '\t');
        std::getline(fields, entry.entry, '\t');
        std::getline(fields, size, '\t');
        std::getline(fields, crc, '\t');
        entry.hasData = !size.empty() && size[0] != '(';
        if (entry.hasData) {
            entry.size = static_cast<uint32_t>(std::stoul(size));
            entry.crc = static_cast<uint32_t>(std::stoul(crc, nullptr, 16));
        }
        lines.push_back(entry);
    }
    return lines;
}

}  // namespace zen::test
