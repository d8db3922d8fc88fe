#include "sound/RecordingChoice.h"

#include "storage/UserFolders.h"

namespace skedula {

std::string DefaultRecordingFolder() {
    return DataHome() + "/Skedula/Aufnahmen";
}

} // namespace skedula
