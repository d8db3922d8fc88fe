// A report's recording as it is written: FLAC through libsndfile, under a temporary name in
// the folder of the final one and renamed when it is complete, so that the folder never shows
// a half file under the final name. Used on the recorder's own thread.
#pragma once

#include "sound/Capture.h"
#include "sound/RecordingName.h"

#include <cstdint>
#include <memory>
#include <string>

struct sf_private_tag; // libsndfile's SNDFILE, kept out of this header

namespace skedula {

class FlacRecording {
public:
    // Makes the folder when it is missing and creates the temporary file with the tags.
    // Throws Error with the German message.
    FlacRecording(std::string path, CaptureFormat format, const RecordingTags& tags);
    // Not finished: the temporary file goes.
    ~FlacRecording();
    FlacRecording(const FlacRecording&) = delete;
    FlacRecording& operator=(const FlacRecording&) = delete;

    const std::string& path() const { return path_; }
    std::int64_t frames() const { return frames_; }

    // Throws Error with the German message (a full disk: "Zu wenig Speicherplatz").
    void Write(const std::int16_t* frames, std::size_t count);
    // Completes the file, flushes it to the disk and gives it its final name. Throws Error;
    // then nothing is left under either name.
    void Finish();
    // After a failed Write: what reached the disk gets the final name when it holds any
    // audio, so that a recording cut short keeps what was captured. Never throws.
    void KeepWhatWasWritten() noexcept;

    // The file calls libsndfile makes; inside only.
    struct Io;

private:
    void Close();

    std::string path_;
    std::string temporary_;
    std::unique_ptr<Io> io_;
    sf_private_tag* file_ = nullptr;
    std::int64_t frames_ = 0;
    bool done_ = false;
};

} // namespace skedula
