#include "windows/link/DdeInstance.h"

#include "engine/Error.h"

#include <cstdio>

namespace skedula {

namespace {

DWORD currentInstance = 0;

// The conversation a transaction belongs to: the user handle the port recorded on it.
DdeCallbackTarget* TargetOf(HCONV conversation, DWORD transaction) {
    if (conversation == nullptr || currentInstance == 0)
        return nullptr;
    CONVINFO info{};
    // Wine checks cb against its own CONVINFO: the 64-bit size, not the 32-bit program's 96.
    info.cb = sizeof info;
    if (::DdeQueryConvInfo(conversation, transaction, &info) == 0)
        return nullptr;
    return reinterpret_cast<DdeCallbackTarget*>(info.hUser);
}

HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV conversation, HSZ topic, HSZ item,
                           HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2) {
    (void)data2;
    const DWORD transaction = type == XTYP_XACT_COMPLETE ? static_cast<DWORD>(data1) : QID_SYNC;
    if (DdeCallbackTarget* target = TargetOf(conversation, transaction))
        return target->OnTransaction(type, format, conversation, topic, item, data);
    return nullptr;
}

} // namespace

std::string DdeErrorMessage(UINT code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", code);
    const std::string number = std::string("($0") + hex + ")";
    switch (code) {
    case DMLERR_LOW_MEMORY:
    case DMLERR_MEMORY_ERROR:
        return "Wegen Speichermangel bei DDE ist ein Fehler aufgetreten " + number + ".";
    case DMLERR_NO_CONV_ESTABLISHED:
        return "DDE-Fehler - Konversation konnte nicht eingerichtet werden " + number;
    default:
        return "DDE gab einen Fehler zurück " + number;
    }
}

DdeInstance::DdeInstance() {
    const UINT result = ::DdeInitializeA(&id_, Callback, APPCLASS_STANDARD, 0);
    if (result != DMLERR_NO_ERROR)
        throw Error(DdeErrorMessage(result));
    currentInstance = id_;
}

DdeInstance::~DdeInstance() {
    currentInstance = 0;
    ::DdeUninitialize(id_);
}

} // namespace skedula
