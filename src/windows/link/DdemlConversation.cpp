#include "windows/link/DdemlConversation.h"

#include <utility>

namespace skedula {

namespace {

constexpr UINT kDeliverNotices = WM_APP + 1;
constexpr const char* kNoticeClass = "SkedulaDdeNotices";

// Marks the port busy for the length of a synchronous transaction, whose modal loop may
// dispatch our notice window's messages.
class TransactionScope {
public:
    explicit TransactionScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~TransactionScope() { flag_ = false; }
    TransactionScope(const TransactionScope&) = delete;
    TransactionScope& operator=(const TransactionScope&) = delete;

private:
    bool& flag_;
};

} // namespace

DdemlConversation::DdemlConversation(DdeInstance& instance) : instance_(instance) {
    HINSTANCE module = ::GetModuleHandleA(nullptr);
    WNDCLASSA noticeClass{};
    if (!::GetClassInfoA(module, kNoticeClass, &noticeClass)) {
        noticeClass.lpfnWndProc = NoticeProc;
        noticeClass.hInstance = module;
        noticeClass.lpszClassName = kNoticeClass;
        ::RegisterClassA(&noticeClass);
    }
    noticeWindow_ = ::CreateWindowExA(0, kNoticeClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      module, nullptr);
    ::SetWindowLongPtrA(noticeWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

DdemlConversation::~DdemlConversation() {
    listener_ = nullptr;
    if (conversation_ != nullptr)
        Disconnect();
    ReleaseItemHandles();
    ReleaseNameHandles();
    ::DestroyWindow(noticeWindow_);
}

void DdemlConversation::SetListener(ConversationListener* listener) {
    listener_ = listener;
}

HSZ DdemlConversation::Handle(const std::string& text) {
    return ::DdeCreateStringHandleA(instance_.id(), text.c_str(), CP_WINANSI);
}

bool DdemlConversation::Connect(const std::string& service, const std::string& topic) {
    if (conversation_ != nullptr)
        return false;
    // The handles are made where absent and kept for the next attempt, as long as the names
    // stay the same.
    if (service_ == nullptr || service != serviceName_) {
        ReleaseNameHandles();
        serviceName_ = service;
        topicName_ = topic;
    }
    if (topic != topicName_) {
        ::DdeFreeStringHandle(instance_.id(), topic_);
        topic_ = nullptr;
        topicName_ = topic;
    }
    if (service_ == nullptr && !serviceName_.empty())
        service_ = Handle(serviceName_);
    if (topic_ == nullptr && !topicName_.empty())
        topic_ = Handle(topicName_);

    CONVCONTEXT context{};
    context.cb = sizeof context;
    context.iCodePage = CP_WINANSI;
    HCONV conversation = nullptr;
    {
        TransactionScope busy(inTransaction_);
        conversation = ::DdeConnect(instance_.id(), service_, topic_, &context);
    }
    if (conversation == nullptr)
        return false;
    conversation_ = conversation;
    CONVINFO info{};
    info.cb = sizeof info;
    format_ = CF_TEXT;
    if (::DdeQueryConvInfo(conversation_, QID_SYNC, &info) != 0 && info.wFmt != 0)
        format_ = info.wFmt;
    ::DdeSetUserHandle(conversation_, QID_SYNC,
                       reinterpret_cast<DWORD_PTR>(static_cast<DdeCallbackTarget*>(this)));
    return true;
}

bool DdemlConversation::StartAdvise(const std::string& item) {
    if (conversation_ == nullptr)
        return false;
    HSZ& handle = items_[item];
    if (handle == nullptr)
        handle = Handle(item);
    HDDEDATA result = nullptr;
    {
        TransactionScope busy(inTransaction_);
        result =
            ::DdeClientTransaction(nullptr, static_cast<DWORD>(-1), conversation_, handle, format_,
                                   XTYP_ADVSTART | XTYPF_NODATA, kDdeTimeoutMs, nullptr);
    }
    if (result == nullptr) {
        (void)::DdeGetLastError(instance_.id());
        ::DdeFreeStringHandle(instance_.id(), handle);
        items_.erase(item);
        CheckStillConnected();
        return false;
    }
    if (!notices_.empty())
        ::PostMessageA(noticeWindow_, kDeliverNotices, 0, 0);
    return true;
}

std::optional<std::string> DdemlConversation::Request(const std::string& item) {
    auto found = items_.find(item);
    if (conversation_ == nullptr || found == items_.end())
        return std::nullopt;
    HDDEDATA data = nullptr;
    {
        TransactionScope busy(inTransaction_);
        data = ::DdeClientTransaction(nullptr, static_cast<DWORD>(-1), conversation_, found->second,
                                      format_, XTYP_REQUEST, kDdeTimeoutMs, nullptr);
    }
    if (!notices_.empty())
        ::PostMessageA(noticeWindow_, kDeliverNotices, 0, 0);
    if (data == nullptr) {
        CheckStillConnected();
        return std::nullopt;
    }
    DWORD size = 0;
    std::string value;
    if (const BYTE* bytes = ::DdeAccessData(data, &size)) {
        value.assign(reinterpret_cast<const char*>(bytes), size);
        ::DdeUnaccessData(data);
    }
    ::DdeFreeDataHandle(data);
    return value;
}

bool DdemlConversation::Execute(const std::string& command) {
    if (conversation_ == nullptr)
        return false;
    HDDEDATA data = ::DdeCreateDataHandle(
        instance_.id(), reinterpret_cast<BYTE*>(const_cast<char*>(command.c_str())),
        static_cast<DWORD>(command.size() + 1), 0, nullptr, format_, 0);
    if (data == nullptr)
        return false;
    DWORD transaction = 0;
    const HDDEDATA sent =
        ::DdeClientTransaction(reinterpret_cast<BYTE*>(data), static_cast<DWORD>(-1), conversation_,
                               nullptr, format_, XTYP_EXECUTE, TIMEOUT_ASYNC, &transaction);
    if (sent == nullptr) {
        CheckStillConnected();
        return false;
    }
    return true;
}

void DdemlConversation::Disconnect() {
    notices_.clear();
    if (conversation_ == nullptr)
        return;
    ReleaseItemHandles();
    ::DdeSetUserHandle(conversation_, QID_SYNC, 0);
    ::DdeDisconnect(conversation_);
    conversation_ = nullptr;
    ReleaseNameHandles();
}

bool DdemlConversation::StartServer(const std::vector<std::string>& arguments) {
    std::string commandLine;
    for (const std::string& argument : arguments) {
        if (!commandLine.empty())
            commandLine += ' ';
        commandLine += argument;
    }
    return ::WinExec(commandLine.c_str(), SW_SHOWMINNOACTIVE) >= 32;
}

HDDEDATA DdemlConversation::OnTransaction(UINT type, UINT format, HCONV conversation, HSZ topic,
                                          HSZ item, HDDEDATA data) {
    (void)format;
    (void)topic;
    if (conversation != conversation_)
        return nullptr;
    if (type == XTYP_DISCONNECT) {
        Queue({"", std::nullopt});
        return nullptr;
    }
    if (type != XTYP_ADVDATA)
        return nullptr;
    for (const auto& [name, handle] : items_) {
        if (::DdeCmpStringHandles(handle, item) != 0)
            continue;
        // A value that comes with the notification is kept as it is: Wine delivers the
        // answers to requests this way once an execute has completed.
        std::optional<std::string> value;
        if (data != nullptr) {
            const DWORD size = ::DdeGetData(data, nullptr, 0, 0);
            std::string bytes(size, '\0');
            ::DdeGetData(data, reinterpret_cast<BYTE*>(bytes.data()), size, 0);
            value = std::move(bytes);
        }
        Queue({name, std::move(value)});
    }
    return reinterpret_cast<HDDEDATA>(DDE_FACK);
}

void DdemlConversation::Queue(Notice notice) {
    notices_.push_back(std::move(notice));
    ::PostMessageA(noticeWindow_, kDeliverNotices, 0, 0);
}

void DdemlConversation::Deliver() {
    // One at a time: a listener may disconnect, which drops the notices still waiting.
    while (!inTransaction_ && !notices_.empty()) {
        Notice notice = std::move(notices_.front());
        notices_.pop_front();
        if (!notice.item.empty()) {
            if (listener_ != nullptr)
                listener_->ItemChanged(notice.item, notice.value);
            continue;
        }
        if (conversation_ == nullptr)
            continue;
        // The server has gone: release our side; the names' handles stay for the next open.
        ReleaseItemHandles();
        ::DdeSetUserHandle(conversation_, QID_SYNC, 0);
        conversation_ = nullptr;
        notices_.clear();
        if (listener_ != nullptr)
            listener_->ConversationEnded();
    }
}

void DdemlConversation::CheckStillConnected() {
    if (conversation_ == nullptr)
        return;
    CONVINFO info{};
    info.cb = sizeof info;
    if (::DdeQueryConvInfo(conversation_, QID_SYNC, &info) == 0 ||
        (info.wStatus & ST_CONNECTED) == 0)
        Queue({"", std::nullopt});
}

LRESULT CALLBACK DdemlConversation::NoticeProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == kDeliverNotices) {
        if (auto* port =
                reinterpret_cast<DdemlConversation*>(::GetWindowLongPtrA(window, GWLP_USERDATA)))
            port->Deliver();
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void DdemlConversation::ReleaseItemHandles() {
    for (auto& [name, handle] : items_)
        ::DdeFreeStringHandle(instance_.id(), handle);
    items_.clear();
}

void DdemlConversation::ReleaseNameHandles() {
    if (service_ != nullptr)
        ::DdeFreeStringHandle(instance_.id(), service_);
    if (topic_ != nullptr)
        ::DdeFreeStringHandle(instance_.id(), topic_);
    service_ = topic_ = nullptr;
}

} // namespace skedula
