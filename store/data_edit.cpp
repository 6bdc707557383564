#include "store/data_edit.h"

#include "store/data_files.h"

namespace store {

std::optional<platform::EditLock> editDataFile(
    std::u16string_view fileName, std::chrono::milliseconds wait, platform::EditLockError* why)
{
    return platform::EditLock::acquire(DataFilePath(fileName), wait, why);
}

} // namespace store
