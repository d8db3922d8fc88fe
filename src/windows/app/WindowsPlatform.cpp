#include "windows/app/WindowsPlatform.h"

#include "windows/storage/WinListFile.h"

namespace skedula {

void WinListFiles::Load(CellGrid& list, const std::string& path) {
    LoadList(list, path);
}

void WinListFiles::Save(const CellGrid& list, const std::string& path) {
    SaveList(list, path);
}

Composition::Platform WindowsPlatform::Ports() {
    return {clock_, conversation_, player_, lists_, {kRadioControlProgram}};
}

} // namespace skedula
