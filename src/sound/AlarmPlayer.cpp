#include "sound/AlarmPlayer.h"

#include "engine/Error.h"
#include "storage/FileError.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {

namespace {

// SDL keeps the text of its last failure; an empty one means it named no reason.
std::string sdlReason() {
    const char* text = Mix_GetError();
    if (text == nullptr || *text == '\0') {
        return "Unbekannter Fehler-Code";
    }
    return text;
}

// SDL's text when it gives a reason in words; nothing when it only names the decoder, or the
// decoder's call, that tried the file ("ModPlug_Load failed" for a text file, which SDL hands
// to its last decoder): that says nothing to a listener. SDL_mixer puts "music_<decoder>: "
// before some reasons; the reason stays, the name goes.
std::optional<std::string> decoderReason(std::string text) {
    if (text.starts_with("music_")) {
        const std::size_t colon = text.find(": ");
        if (colon != std::string::npos && text.find(' ') > colon)
            text.erase(0, colon + 2);
    }
    const std::string firstWord = text.substr(0, text.find(' '));
    if (firstWord.find('_') != std::string::npos)
        return std::nullopt;
    return text;
}

Error fileProblem(int errnum, const std::string& path) {
    const std::string named = "Alarmdatei '" + path + "'";
    // For the listener a missing folder is a missing file, whatever the list files say of it.
    if (errnum == ENOENT || errnum == ENOTDIR) {
        std::string text = named + " nicht gefunden";
        // Relative paths count from the folder Skedula was started in, which a start from the
        // desktop menu makes the home folder.
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::current_path(error);
        if (std::filesystem::path(path).is_relative() && !error)
            text += " (relativ zum Arbeitsordner " + folder.string() + ")";
        return Error(text);
    }
    return Error(named + ": " + FileErrorMessage(errnum, false));
}

// SDL answers in English and names the file only for some failures, so what can be wrong
// with the file itself is found before SDL sees it. This also keeps SDL away from a FIFO,
// which it opens by blocking until a writer comes, freezing the whole program; a folder or a
// device is no sound either.
void checkAlarmFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        throw fileProblem(errno, path);
    }
    if (!S_ISREG(info.st_mode)) {
        throw Error("'" + path + "' ist keine Datei");
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        throw fileProblem(errno, path);
    }
    ::close(fd);
}

Error noSoundOutput() {
    return Error("Keine Tonausgabe möglich (" + sdlReason() + ")");
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
    checkAlarmFile(fileName_);
    openDevice();
    SDL_ClearError();
    music_ = Mix_LoadMUS(fileName_.c_str());
    if (music_ == nullptr) {
        const std::optional<std::string> reason = decoderReason(sdlReason());
        throw Error("Alarmdatei '" + fileName_ + "' ist keine abspielbare WAV- oder MP3-Datei" +
                    (reason ? " (" + *reason + ")" : std::string()));
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
        throw noSoundOutput();
    }
    SDL_ClearError();
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, channels, chunkFrames) != 0) {
        Error error = noSoundOutput();
        // Let a later alarm try again, for instance once a sound card is there.
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        throw error;
    }
    deviceOpen_ = true;
}

} // namespace skedula
