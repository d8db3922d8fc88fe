// The Windows system's pieces of the program: the clock with the regional time separator, the
// process's DDE instance and the conversation port over DDEML, the alarm player over MCI and
// the list files through the Windows file API. main hands them to the composition.
#pragma once

#include "windows/app/Composition.h"
#include "windows/engine/WindowsClock.h"
#include "windows/link/DdeInstance.h"
#include "windows/link/DdemlConversation.h"
#include "windows/sound/MciAlarmPlayer.h"
#include "windows/ui/ListFilePort.h"

namespace skedula {

class WinListFiles final : public ListFilePort {
public:
    void Load(CellGrid& list, const std::string& path) override;
    void Save(const CellGrid& list, const std::string& path) override;
};

class WindowsPlatform {
public:
    // The DDE instance first: it is made before any window exists.
    WindowsPlatform() : conversation_(dde_) {}

    Composition::Platform Ports();

private:
    DdeInstance dde_;
    DdemlConversation conversation_;
    WindowsClock clock_;
    MciAlarmPlayer player_;
    WinListFiles lists_;
};

} // namespace skedula
