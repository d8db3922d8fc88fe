// The conversation port over DDEML: the Windows program's transport to the radio-control
// program (Ham Radio Deluxe), beside the Linux program's rigctld and gqrx ports. The shared
// receiver link runs its steps over it; every DDEML call of the link is here.
#pragma once

#include "link/ConversationPort.h"
#include "windows/link/DdeInstance.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace skedula {

// Where the Windows program finds the radio-control program when it does not answer.
inline constexpr const char* kRadioControlProgram =
    "C:\\Programme\\Ham Radio Deluxe\\HamRadioDeluxe.exe";

// Bound of every transaction that waits for the server (advise start, request).
inline constexpr DWORD kDdeTimeoutMs = 1000;

class DdemlConversation final : public ConversationPort, private DdeCallbackTarget {
public:
    explicit DdemlConversation(DdeInstance& instance);
    // Ends a conversation still open and releases every string handle.
    ~DdemlConversation() override;
    DdemlConversation(const DdemlConversation&) = delete;
    DdemlConversation& operator=(const DdemlConversation&) = delete;

    void SetListener(ConversationListener* listener) override;
    bool Connect(const std::string& service, const std::string& topic) override;
    bool StartAdvise(const std::string& item) override;
    std::optional<std::string> Request(const std::string& item) override;
    bool Execute(const std::string& command) override;
    void Disconnect() override;
    // WinExec of the arguments joined by blanks, unquoted, shown minimised and not activated.
    bool StartServer(const std::vector<std::string>& arguments) override;

    // The data format of the open conversation (CF_TEXT unless the server names another).
    UINT format() const { return format_; }

private:
    struct Notice {
        std::string item; // empty: the server ended the conversation
        std::optional<std::string> value;
    };

    HDDEDATA OnTransaction(UINT type, UINT format, HCONV conversation, HSZ topic, HSZ item,
                           HDDEDATA data) override;
    static LRESULT CALLBACK NoticeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HSZ Handle(const std::string& text);
    void ReleaseItemHandles();
    void ReleaseNameHandles();
    // Notices reach the listener from the message loop, never from inside the callback or a
    // transaction of ours: Wine's DDEML must not be asked for a request inside a notification.
    void Queue(Notice notice);
    void Deliver();
    // Wine never calls the client back with XTYP_DISCONNECT: a failed transaction looks
    // whether the server has ended the conversation.
    void CheckStillConnected();

    DdeInstance& instance_;
    ConversationListener* listener_ = nullptr;
    HWND noticeWindow_ = nullptr;
    HCONV conversation_ = nullptr;
    UINT format_ = CF_TEXT;
    std::string serviceName_, topicName_;
    HSZ service_ = nullptr;
    HSZ topic_ = nullptr;
    std::map<std::string, HSZ> items_;
    std::deque<Notice> notices_;
    bool inTransaction_ = false;
};

} // namespace skedula
