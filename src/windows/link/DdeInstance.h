// The process's one DDEML instance: made at program start before any window exists, ended at
// program end. The DDE conversation port runs its conversations in it; its callback hands
// each transaction to the conversation it names.
#pragma once

#include <windows.h>

#include <ddeml.h>

#include <string>

namespace skedula {

// The German message for a DDEML error code, with the code as upper-case hexadecimal:
// "DDE-Fehler - Konversation konnte nicht eingerichtet werden ($0400A)".
std::string DdeErrorMessage(UINT code);

// What a conversation does with the transactions of the instance's callback.
class DdeCallbackTarget {
public:
    virtual ~DdeCallbackTarget() = default;
    virtual HDDEDATA OnTransaction(UINT type, UINT format, HCONV conversation, HSZ topic, HSZ item,
                                   HDDEDATA data) = 0;
};

class DdeInstance {
public:
    // DdeInitializeA as a standard application without filters. Throws Error with the
    // message for the code when DDEML refuses.
    DdeInstance();
    ~DdeInstance();
    DdeInstance(const DdeInstance&) = delete;
    DdeInstance& operator=(const DdeInstance&) = delete;

    DWORD id() const { return id_; }

private:
    DWORD id_ = 0;
};

} // namespace skedula
