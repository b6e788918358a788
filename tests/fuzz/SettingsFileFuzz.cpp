// Arbitrary bytes as the default-settings and message resources: the line reader, the entry
// split, the number parsing and the message table must take anything.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/Saver.h"
#include "app/SettingsFile.h"
#include "engine/core/Ptr.h"
#include "platform/PosixTestHooks.h"

namespace {

class FuzzSaver : public brightfold::Saver {
public:
    int Update(double) override { return 0; }
    int Render() override { return 0; }
    int CreateOverlay() override { return 0; }
    int DestroyOverlay() override { return 0; }
    int CreateData() override { return 0; }
    int DestroyData() override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    platform::posix::SetMediaResource(239, bytes);
    platform::posix::SetMediaResource(229, bytes);
    zen::Ptr<FuzzSaver> saver(new FuzzSaver);
    (void)saver->Settings().LoadDefaults();
    (void)saver->Settings().ApplyDefaults();
    (void)saver->Settings().LoadMessages();
    (void)saver->Settings().LookupMessage(zen::String("AppName"));

    brightfold::SettingsFile file(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string_view line, key, value;
    while (file.NextLine(line))
        brightfold::SettingsFile::SplitEntry(line, key, value);
    return 0;
}
