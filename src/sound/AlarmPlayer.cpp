#include "sound/AlarmPlayer.h"

#include "engine/Error.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <sys/stat.h>

namespace skedula {

namespace {

// SDL keeps the text of its last failure; an empty one means it named no reason.
Error sdlError() {
    const char* text = Mix_GetError();
    if (text == nullptr || *text == '\0') {
        return Error("Unbekannter Fehler-Code");
    }
    return Error(text);
}

// SDL opens a FIFO by blocking until a writer comes, which would freeze the whole program,
// and a folder or a device is no sound either. A path that does not exist at all is left to
// SDL so that the user sees its text for that.
void rejectNonRegularFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        throw Error("'" + path + "' ist keine Datei");
    }
}

constexpr int channels = 2;
constexpr int chunkFrames = 2048; // about 46 ms at 44.1 kHz: far below the 500 ms tick

} // namespace

AlarmPlayer::~AlarmPlayer() {
    Close();
    if (deviceOpen_) {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void AlarmPlayer::Close() {
    if (music_ == nullptr) {
        return;
    }
    // Freeing the music stops it first when it is the one playing.
    Mix_FreeMusic(music_);
    music_ = nullptr;
}

void AlarmPlayer::setFileName(const std::string& fileName) {
    fileName_ = fileName;
}

void AlarmPlayer::Open() {
    Close();
    rejectNonRegularFile(fileName_);
    openDevice();
    SDL_ClearError();
    music_ = Mix_LoadMUS(fileName_.c_str());
    if (music_ == nullptr) {
        throw sdlError();
    }
}

void AlarmPlayer::Play() {
    if (music_ == nullptr) {
        throw Error("Kein MCI-Gerät geöffnet");
    }
    // Mix_PlayMusic starts from the beginning and hands the sound to SDL's audio thread.
    // A failure to start leaves the alarm silent; nothing waits for the sound or its end.
    Mix_PlayMusic(music_, 0); // 0: once, no repeat
}

void AlarmPlayer::openDevice() {
    if (deviceOpen_) {
        return;
    }
    // SIGINT and SIGTERM belong to the application, whatever the environment asks of SDL.
    SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
    SDL_ClearError();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        throw sdlError();
    }
    SDL_ClearError();
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, channels, chunkFrames) != 0) {
        Error error = sdlError();
        // Let a later alarm try again, for instance once a sound card is there.
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        throw error;
    }
    deviceOpen_ = true;
}

} // namespace skedula
