// fake_dde_server.exe: a stand-in for the radio-control program's DDE server, for the Windows
// tests. It serves service "HRD_RADIO_000", topic "HRD_CAT" with the items HRD_FREQUENCY,
// HRD_MODE and HRD_SMETER as text (CF_TEXT), by advise loop (warm or hot) and by request,
// takes execute commands, and writes every transaction to a log. It speaks the raw DDE
// messages, not DDEML: Wine's DDEML server answers a request with the data and a stray
// acknowledgement, which shifts a client's answers by one item. Its windows are ANSI windows,
// so that Wine hands execute strings over byte for byte. FakeDdeServerProcess.h starts and
// drives it from a test.
//
// Command line: fake_dde_server.exe --log FILE --control NAME [options]
//   --log FILE          appends one line per transaction to FILE
//   --control NAME      the title of its control window (class "SkedulaFakeDdeControl"); a test
//                       finds it with FindWindowA once the server is ready
//   --service S         serves service S instead of HRD_RADIO_000
//   --topic T           serves topic T instead of HRD_CAT
//   --value ITEM=TEXT   the item's first text (HRD_FREQUENCY 7100000, HRD_MODE AM, HRD_SMETER S5)
//   --refuse ITEM       refuses the item's advise start and its requests
//   --silent ITEM       never answers the item's advise start
// An execute "freq X" or "mode X" makes X the frequency or mode text and announces it, as a
// radio that follows the tuning would.
//
// Control: WM_COPYDATA to the control window, the command's bytes in lpData:
//   "set ITEM TEXT"     the item's text becomes TEXT; its advise loops are told (a warm loop
//                       without the value, a hot one with it)
//   "end"               ends every conversation (WM_DDE_TERMINATE) and goes on serving
//   "quit"              ends every conversation and exits
//
// Log, one line per event, texts byte for byte:
//   ready
//   initiate SERVICE TOPIC accepted|declined
//   advise ITEM warm|hot accepted|refused|ignored
//   unadvise ITEM
//   request ITEM -> TEXT          request ITEM refused
//   execute TEXT
//   notify ITEM warm|hot TEXT
//   terminate client|server
//   quit
#include <windows.h>

#include <dde.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>

namespace {

struct Conversation {
    HWND client = nullptr;
    std::map<std::string, bool> advised; // item -> warm
};

struct Server {
    std::string log;
    std::string service = "HRD_RADIO_000";
    std::string topic = "HRD_CAT";
    std::map<std::string, std::string> items = {
        {"HRD_FREQUENCY", "7100000"}, {"HRD_MODE", "AM"}, {"HRD_SMETER", "S5"}};
    std::set<std::string> refused;
    std::set<std::string> silent;
    std::map<HWND, Conversation> conversations;
};

Server server;

void Log(const std::string& line) {
    if (FILE* file = std::fopen(server.log.c_str(), "ab")) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fputc('\n', file);
        std::fclose(file);
    }
}

std::string AtomText(UINT_PTR atom) {
    if (atom == 0)
        return "";
    char text[256] = {};
    ::GlobalGetAtomNameA(static_cast<ATOM>(atom), text, sizeof text);
    return text;
}

bool SameName(const std::string& asked, const std::string& ours) {
    return asked.empty() || ::lstrcmpiA(asked.c_str(), ours.c_str()) == 0;
}

WPARAM From(HWND window) {
    return reinterpret_cast<WPARAM>(window);
}

// A DDEDATA block holding the text and its zero byte; the client frees it.
HGLOBAL TextData(const std::string& text, bool response) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof(DDEDATA) + text.size());
    auto* data = static_cast<DDEDATA*>(::GlobalLock(memory));
    data->unused = 0;
    data->fResponse = response ? 1 : 0;
    data->fRelease = 1;
    data->reserved = 0;
    data->fAckReq = 0;
    data->cfFormat = CF_TEXT;
    std::memcpy(data->Value, text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory);
    return memory;
}

void Notify(const std::string& item) {
    const std::string& text = server.items[item];
    for (auto& [window, conversation] : server.conversations) {
        auto advise = conversation.advised.find(item);
        if (advise == conversation.advised.end())
            continue;
        const bool warm = advise->second;
        HGLOBAL data = warm ? nullptr : TextData(text, false);
        const ATOM atom = ::GlobalAddAtomA(item.c_str());
        ::PostMessageA(conversation.client, WM_DDE_DATA, From(window),
                       ::PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(data), atom));
        Log("notify " + item + (warm ? " warm " : " hot ") + text);
    }
}

void EndConversations() {
    auto ended = std::move(server.conversations);
    server.conversations.clear();
    for (auto& [window, conversation] : ended) {
        ::PostMessageA(conversation.client, WM_DDE_TERMINATE, From(window), 0);
        Log("terminate server");
        ::DestroyWindow(window);
    }
}

void PostAck(HWND client, HWND window, LPARAM lParam, UINT from, bool positive, UINT_PTR atom) {
    ::PostMessageA(client, WM_DDE_ACK, From(window),
                   ::ReuseDDElParam(lParam, from, WM_DDE_ACK, positive ? 0x8000 : 0, atom));
}

void OnAdvise(HWND window, Conversation& conversation, LPARAM lParam) {
    UINT_PTR options = 0;
    UINT_PTR atom = 0;
    ::UnpackDDElParam(WM_DDE_ADVISE, lParam, &options, &atom);
    const std::string item = AtomText(atom);
    bool warm = false;
    auto memory = reinterpret_cast<HGLOBAL>(options);
    if (const auto* advise = static_cast<const DDEADVISE*>(::GlobalLock(memory))) {
        warm = advise->fDeferUpd != 0;
        ::GlobalUnlock(memory);
    }
    const std::string kind = warm ? " warm" : " hot";
    if (server.silent.count(item) != 0) {
        Log("advise " + item + kind + " ignored");
        return;
    }
    if (server.items.count(item) == 0 || server.refused.count(item) != 0) {
        // A negative acknowledgement leaves the options to the client.
        Log("advise " + item + kind + " refused");
        PostAck(conversation.client, window, lParam, WM_DDE_ADVISE, false, atom);
        return;
    }
    conversation.advised[item] = warm;
    ::GlobalFree(memory);
    Log("advise " + item + kind + " accepted");
    PostAck(conversation.client, window, lParam, WM_DDE_ADVISE, true, atom);
}

void OnRequest(HWND window, Conversation& conversation, LPARAM lParam) {
    UINT_PTR format = 0;
    UINT_PTR atom = 0;
    ::UnpackDDElParam(WM_DDE_REQUEST, lParam, &format, &atom);
    ::FreeDDElParam(WM_DDE_REQUEST, lParam);
    const std::string item = AtomText(atom);
    if (server.items.count(item) == 0 || server.refused.count(item) != 0 || format != CF_TEXT) {
        Log("request " + item + " refused");
        ::PostMessageA(conversation.client, WM_DDE_ACK, From(window),
                       ::PackDDElParam(WM_DDE_ACK, 0, atom));
        return;
    }
    const std::string& text = server.items[item];
    Log("request " + item + " -> " + text);
    ::PostMessageA(
        conversation.client, WM_DDE_DATA, From(window),
        ::PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(TextData(text, true)), atom));
}

void OnExecute(HWND window, Conversation& conversation, LPARAM lParam) {
    // An execute's lParam is the command block itself, not a packed pair.
    auto commands = reinterpret_cast<HGLOBAL>(lParam);
    std::string text;
    if (const auto* bytes = static_cast<const char*>(::GlobalLock(commands))) {
        text.assign(bytes, ::strnlen(bytes, ::GlobalSize(commands)));
        ::GlobalUnlock(commands);
    }
    Log("execute " + text);
    ::PostMessageA(conversation.client, WM_DDE_ACK, From(window),
                   ::PackDDElParam(WM_DDE_ACK, 0x8000, reinterpret_cast<UINT_PTR>(commands)));
    const struct {
        const char* prefix;
        const char* item;
    } tunings[] = {{"freq ", "HRD_FREQUENCY"}, {"mode ", "HRD_MODE"}};
    for (const auto& tuning : tunings) {
        if (text.rfind(tuning.prefix, 0) == 0) {
            server.items[tuning.item] = text.substr(std::strlen(tuning.prefix));
            Notify(tuning.item);
        }
    }
}

LRESULT CALLBACK ConversationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto found = server.conversations.find(window);
    if (message < WM_DDE_FIRST || message > WM_DDE_LAST || found == server.conversations.end())
        return ::DefWindowProcA(window, message, wParam, lParam);
    Conversation& conversation = found->second;
    switch (message) {
    case WM_DDE_ADVISE:
        OnAdvise(window, conversation, lParam);
        break;
    case WM_DDE_UNADVISE: {
        UINT_PTR format = 0;
        UINT_PTR atom = 0;
        ::UnpackDDElParam(WM_DDE_UNADVISE, lParam, &format, &atom);
        const std::string item = AtomText(atom);
        conversation.advised.erase(item);
        Log("unadvise " + item);
        PostAck(conversation.client, window, lParam, WM_DDE_UNADVISE, true, atom);
        break;
    }
    case WM_DDE_REQUEST:
        OnRequest(window, conversation, lParam);
        break;
    case WM_DDE_EXECUTE:
        OnExecute(window, conversation, lParam);
        break;
    case WM_DDE_ACK:
        // Only a notification that asks for one is acknowledged; none does.
        ::FreeDDElParam(WM_DDE_ACK, lParam);
        break;
    case WM_DDE_TERMINATE: {
        const HWND client = conversation.client;
        Log("terminate client");
        server.conversations.erase(found);
        ::PostMessageA(client, WM_DDE_TERMINATE, From(window), 0);
        ::DestroyWindow(window);
        break;
    }
    default:
        break;
    }
    return 0;
}

void OnInitiate(HWND client, LPARAM lParam) {
    const std::string service = AtomText(LOWORD(lParam));
    const std::string topic = AtomText(HIWORD(lParam));
    const bool ours = SameName(service, server.service) && SameName(topic, server.topic);
    Log("initiate " + service + " " + topic + (ours ? " accepted" : " declined"));
    if (!ours)
        return;
    HWND window = ::CreateWindowExA(0, "SkedulaFakeDdeConversation", "", WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    server.conversations[window].client = client;
    ::SendMessageA(client, WM_DDE_ACK, From(window),
                   MAKELPARAM(::GlobalAddAtomA(server.service.c_str()),
                              ::GlobalAddAtomA(server.topic.c_str())));
}

void OnControl(const std::string& command) {
    if (command.rfind("set ", 0) == 0) {
        const std::string rest = command.substr(4);
        const std::size_t blank = rest.find(' ');
        const std::string item = rest.substr(0, blank);
        server.items[item] = blank == std::string::npos ? "" : rest.substr(blank + 1);
        Notify(item);
    } else if (command == "end") {
        EndConversations();
    } else if (command == "quit") {
        EndConversations();
        Log("quit");
        ::PostQuitMessage(0);
    }
}

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DDE_INITIATE) {
        OnInitiate(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
    }
    if (message == WM_COPYDATA) {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        OnControl(std::string(static_cast<const char*>(copy->lpData), copy->cbData));
        return TRUE;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

std::string Argument(int& i, int count, char** arguments) {
    return i + 1 < count ? arguments[++i] : "";
}

} // namespace

int main(int count, char** arguments) {
    std::string control;
    for (int i = 1; i < count; ++i) {
        const std::string option = arguments[i];
        if (option == "--log") {
            server.log = Argument(i, count, arguments);
        } else if (option == "--control") {
            control = Argument(i, count, arguments);
        } else if (option == "--service") {
            server.service = Argument(i, count, arguments);
        } else if (option == "--topic") {
            server.topic = Argument(i, count, arguments);
        } else if (option == "--value") {
            const std::string value = Argument(i, count, arguments);
            const std::size_t equals = value.find('=');
            server.items[value.substr(0, equals)] = value.substr(equals + 1);
        } else if (option == "--refuse") {
            server.refused.insert(Argument(i, count, arguments));
        } else if (option == "--silent") {
            server.silent.insert(Argument(i, count, arguments));
        } else {
            std::fprintf(stderr, "fake_dde_server: unknown option %s\n", option.c_str());
            return 2;
        }
    }
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA controlClass{};
    controlClass.lpfnWndProc = ControlProc;
    controlClass.hInstance = instance;
    controlClass.lpszClassName = "SkedulaFakeDdeControl";
    WNDCLASSA conversationClass{};
    conversationClass.lpfnWndProc = ConversationProc;
    conversationClass.hInstance = instance;
    conversationClass.lpszClassName = "SkedulaFakeDdeConversation";
    ::RegisterClassA(&controlClass);
    ::RegisterClassA(&conversationClass);
    ::CreateWindowExA(0, "SkedulaFakeDdeControl", control.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                      nullptr, instance, nullptr);
    Log("ready");
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}
