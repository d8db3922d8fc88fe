#include "sound/SoundServer.h"

#include "engine/Error.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

#include <memory>

namespace skedula {

namespace {

using Clock = std::chrono::steady_clock;

struct Listing {
    std::vector<SoundSource> sources;
    bool done = false;
};

void Collect(pa_context*, const pa_source_info* info, int eol, void* self) {
    Listing& listing = *static_cast<Listing*>(self);
    if (eol != 0 || info == nullptr) {
        listing.done = true;
        return;
    }
    SoundSource source;
    source.name = info->name != nullptr ? info->name : "";
    source.description = info->description != nullptr && *info->description != '\0'
                             ? info->description
                             : source.name;
    source.monitor = info->monitor_of_sink != PA_INVALID_INDEX;
    listing.sources.push_back(std::move(source));
}

// Runs the loop until the condition holds; false when the deadline passed first.
template <typename Condition>
bool RunUntil(pa_mainloop* loop, Clock::time_point deadline, Condition done) {
    while (!done()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        if (pa_mainloop_prepare(loop, static_cast<int>(left.count())) < 0 ||
            pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
            return false;
    }
    return true;
}

} // namespace

std::vector<SoundSource> ListSoundSources(std::chrono::milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    const std::unique_ptr<pa_mainloop, decltype(&pa_mainloop_free)> loop(pa_mainloop_new(),
                                                                         &pa_mainloop_free);
    if (!loop)
        throw Error(SoundServerReason(PA_ERR_INTERNAL));
    const auto endContext = [](pa_context* context) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    };
    const std::unique_ptr<pa_context, decltype(endContext)> context(
        pa_context_new(pa_mainloop_get_api(loop.get()), "Skedula"), endContext);
    if (!context)
        throw Error(SoundServerReason(PA_ERR_INTERNAL));
    // Never starts a sound server of its own: the desktop's is the one to record from.
    if (pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        throw Error(SoundServerReason(pa_context_errno(context.get())));

    const auto settled = [&] {
        const pa_context_state_t state = pa_context_get_state(context.get());
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    };
    if (!RunUntil(loop.get(), deadline, settled))
        throw Error("Der Sound-Server antwortet nicht");
    if (pa_context_get_state(context.get()) != PA_CONTEXT_READY)
        throw Error(SoundServerReason(pa_context_errno(context.get())));

    Listing listing;
    pa_operation* operation = pa_context_get_source_info_list(context.get(), &Collect, &listing);
    if (operation == nullptr)
        throw Error(SoundServerReason(pa_context_errno(context.get())));
    const bool answered = RunUntil(loop.get(), deadline, [&] {
        return listing.done || pa_context_get_state(context.get()) != PA_CONTEXT_READY;
    });
    if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
        pa_operation_cancel(operation);
    pa_operation_unref(operation);
    if (!answered)
        throw Error("Der Sound-Server antwortet nicht");
    if (!listing.done)
        throw Error(SoundServerReason(pa_context_errno(context.get())));
    return listing.sources;
}

std::string SoundServerReason(int error) {
    switch (error) {
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_INVALIDSERVER:
        return "Der Sound-Server ist nicht erreichbar";
    case PA_ERR_CONNECTIONTERMINATED:
        return "Die Verbindung zum Sound-Server ist abgebrochen";
    case PA_ERR_NOENTITY:
        return "Die Quelle ist nicht vorhanden (nicht angeschlossen?)";
    case PA_ERR_KILLED:
        return "Die Quelle ist verschwunden (ausgesteckt?)";
    case PA_ERR_TIMEOUT:
        return "Der Sound-Server antwortet nicht";
    case PA_ERR_ACCESS:
    case PA_ERR_AUTHKEY:
        return "Der Sound-Server verweigert den Zugriff";
    default:
        return std::string("Fehler des Sound-Servers: ") + pa_strerror(error);
    }
}

} // namespace skedula
