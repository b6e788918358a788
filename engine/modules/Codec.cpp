#include "engine/modules/Codec.h"

#include "engine/core/MessageLog.h"
#include "engine/vfs/File.h"

namespace zen {

Result Codec::Accepts(File* file) const
{
    if (!file) {
        Warning("Указатель на файл равен 0 при проверке кодеком [%s].", m_name.CStr());
        return kInvalidArgument;
    }
    const String extension = file->GetExtension();
    return m_extensions.Contains(extension) ? kSuccess : kFailure;
}

Result Codec::AddExtension(const String& extension)
{
    return m_extensions.Append(extension);
}

}  // namespace zen
